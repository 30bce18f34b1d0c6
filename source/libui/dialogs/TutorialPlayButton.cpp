#include "dialogs/TutorialPlayButton.h"

#include <QPainter>

namespace UI {

TutorialPlayButton::TutorialPlayButton(QWidget* parent)
    : QToolButton(parent)
    , m_normal(QStringLiteral(":/video_tutorial/playSymbol.svg"))
    , m_hover(QStringLiteral(":/video_tutorial/playSymbol-hover.svg"))
    , m_pressed(QStringLiteral(":/video_tutorial/playSymbol-click.svg"))
{
    setFocusPolicy(Qt::NoFocus);
    setAttribute(Qt::WA_Hover, true);
}

void TutorialPlayButton::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    const QRect r = rect();
    icon().paint(&painter, r, Qt::AlignCenter, QIcon::Normal, QIcon::Off);
    const QIcon& symbol = isDown() ? m_pressed : underMouse() ? m_hover : m_normal;
    symbol.paint(&painter, r, Qt::AlignCenter, QIcon::Normal, QIcon::Off);
}

} // namespace UI
