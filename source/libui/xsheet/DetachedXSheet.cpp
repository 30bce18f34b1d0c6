#include "xsheet/DetachedXSheet.h"

#include <QCloseEvent>
#include <QVBoxLayout>

namespace UI {

DetachedXSheet::DetachedXSheet(QWidget* parent)
    : QWidget(parent, Qt::Tool)
{
    setFocusPolicy(Qt::NoFocus);
    setAttribute(Qt::WA_ShowWithoutActivating);
    setWindowTitle(tr("X-Sheet"));
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    if (parent)
        installEventFilter(parent);
}

QByteArray DetachedXSheet::savedGeometry() const
{
    return isVisible() ? saveGeometry() : m_savedGeometry;
}

void DetachedXSheet::setSavedGeometry(const QByteArray& geometry)
{
    m_savedGeometry = geometry;
}

void DetachedXSheet::showEvent(QShowEvent* event)
{
    if (!m_savedGeometry.isEmpty())
        restoreGeometry(m_savedGeometry);
    QWidget::showEvent(event);
}

void DetachedXSheet::hideEvent(QHideEvent* event)
{
    m_savedGeometry = saveGeometry();
    QWidget::hideEvent(event);
}

void DetachedXSheet::closeEvent(QCloseEvent* event)
{
    event->ignore();
    hide();
    emit hidden();
}

void DetachedXSheet::keyPressEvent(QKeyEvent* event)
{
    emit keyPressed(event);
}

void DetachedXSheet::keyReleaseEvent(QKeyEvent* event)
{
    emit keyReleased(event);
}

} // namespace UI
