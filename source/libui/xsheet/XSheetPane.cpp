#include "xsheet/XSheetPane.h"

#include "settings/Settings.h"
#include "xsheet/XSheetPaneBar.h"

#include <QVBoxLayout>

namespace UI {

XSheetPane::XSheetPane(QWidget* parent)
    : QWidget(parent)
    , m_layout(new QVBoxLayout(this))
    , m_bar(new XSheetPaneBar(this))
{
    m_layout->setContentsMargins(0, 0, 0, 0);
    m_layout->setSpacing(0);
    m_layout->addWidget(m_bar);
    Model::Settings* settings = Model::Settings::instance();
    m_bar->setVisible(settings->showXSheetTopBar());
    connect(settings, &Model::Settings::showXSheetTopBarChanged, m_bar, &QWidget::setVisible);
}

void XSheetPane::setXSheet(QWidget* xsheet)
{
    if (m_xsheet == xsheet)
        return;
    if (m_xsheet)
        m_layout->removeWidget(m_xsheet);
    m_xsheet = xsheet;
    if (xsheet)
        m_layout->addWidget(xsheet, 1);
}

QWidget* XSheetPane::xSheet() const
{
    return m_xsheet;
}

XSheetPaneBar* XSheetPane::paneBar() const
{
    return m_bar;
}

void XSheetPane::updateUISize()
{
    m_bar->updateUISize();
    update();
    updateGeometry();
}

} // namespace UI
