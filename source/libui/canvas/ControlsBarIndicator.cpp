#include "canvas/ControlsBarIndicator.h"

#include "settings/Settings.h"

namespace UI {

ControlsBarIndicator::ControlsBarIndicator(QString const& svgFile, QWidget* parent)
    : QSvgWidget(svgFile, parent)
{
    setSizePolicy(QSizePolicy::Fixed, QSizePolicy::Fixed);
    updateUISize();
}

bool ControlsBarIndicator::isIndicatorVisible() const
{
    return m_indicatorVisible;
}

void ControlsBarIndicator::setIndicatorVisible(bool visible)
{
    if (visible == m_indicatorVisible)
        return;
    m_indicatorVisible = visible;
    update();
}

void ControlsBarIndicator::updateUISize()
{
    int const side = int(32 * Model::Settings::instance()->UIScaleFraction());
    setFixedSize(side, side);
    update();
}

void ControlsBarIndicator::paintEvent(QPaintEvent* event)
{
    if (m_indicatorVisible)
        QSvgWidget::paintEvent(event);
}

} // namespace UI
