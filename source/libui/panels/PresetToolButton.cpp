#include "panels/PresetToolButton.h"

#include "common/UIScale.h"
#include "panels/PresetToolButtonShadowEffect.h"

#include <QPainter>

namespace UI {

PresetToolButton::PresetToolButton(QWidget* parent)
    : QToolButton(parent)
{
    setFocusPolicy(Qt::NoFocus);
    setCheckable(false);
    setAttribute(Qt::WA_Hover);
    updateUISize();
    setGraphicsEffect(new PresetToolButtonShadowEffect(this));
}

void PresetToolButton::updateUISize()
{
    setFixedSize(scaled(40), scaled(40));
    setIconSize(QSize(scaled(32), scaled(32)));
    update();
    updateGeometry();
}

void PresetToolButton::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    const QSize icon = iconSize();
    const QRect target((width() - 1) / 2 - (icon.width() - 1) / 2,
                       (height() - 1) / 2 - (icon.height() - 1) / 2, icon.width(), icon.height());
    QIcon::Mode mode = QIcon::Normal;
    if (!isEnabled())
        mode = QIcon::Disabled;
    else if (isDown())
        mode = QIcon::Selected;
    else if (underMouse())
        mode = QIcon::Active;
    this->icon().paint(&painter, target, Qt::AlignCenter, mode,
                       isChecked() ? QIcon::On : QIcon::Off);
}

} // namespace UI
