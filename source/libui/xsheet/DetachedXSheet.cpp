#include "xsheet/DetachedXSheet.h"

#include <QCloseEvent>
#include <QVBoxLayout>

#include <algorithm>

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

void DetachedXSheet::setOpeningGeometry(const QRect& geometry)
{
    m_openingGeometry = geometry;
}

QRect DetachedXSheet::openingGeometry(const QRect& workArea, int width, bool onLeft,
                                      const QRect& screen, const QMargins& frame)
{
    const int frameWidth = std::min(width + frame.left() + frame.right(), screen.width());
    const int frameHeight = std::min(workArea.height(), screen.height());
    // A window that fits nowhere beside the work area covers its edge
    // instead, where the docked sheet stood.
    const int besideX = onLeft ? workArea.left() - frameWidth : workArea.right() + 1;
    const int x = std::clamp(besideX, screen.left(), screen.right() + 1 - frameWidth);
    const int y = std::clamp(workArea.top(), screen.top(), screen.bottom() + 1 - frameHeight);
    return QRect(x, y, frameWidth, frameHeight) - frame;
}

void DetachedXSheet::showEvent(QShowEvent* event)
{
    // restoreGeometry() brings a window stored on a screen that is gone
    // back onto one that exists.
    const bool restored = !m_savedGeometry.isEmpty() && restoreGeometry(m_savedGeometry);
    if (!restored && m_openingGeometry.isValid())
        setGeometry(m_openingGeometry);
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
