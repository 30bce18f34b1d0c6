#include "panels/ExpandToolButton.h"

#include <QPainter>
#include <QStyleOptionToolButton>
#include <QStylePainter>

namespace UI {

ExpandToolButton::ExpandToolButton(QWidget* parent)
    : QToolButton(parent)
{
    setFocusPolicy(Qt::NoFocus);
    setCheckable(true);
    setToolButtonStyle(Qt::ToolButtonTextBesideIcon);
    setArrowType(Qt::RightArrow);
    setIconSize(QSize(8, 8));
    connect(this, &QToolButton::clicked, this,
            [this](bool checked) { setArrowType(checked ? Qt::DownArrow : Qt::RightArrow); });
}

void ExpandToolButton::paintEvent(QPaintEvent*)
{
    QStylePainter painter(this);
    painter.setRenderHint(QPainter::SmoothPixmapTransform);
    QStyleOptionToolButton option;
    initStyleOption(&option);
    option.state &= ~(QStyle::State_Raised | QStyle::State_Sunken | QStyle::State_On);
    painter.drawControl(QStyle::CE_ToolButtonLabel, option);
}

} // namespace UI
