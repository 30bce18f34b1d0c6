#include "panels/PresetToolButtonShadowEffect.h"

#include "common/UIScale.h"
#include "panels/PresetToolButton.h"
#include "settings/Settings.h"

#include <QPainter>
#include <QSvgRenderer>

namespace UI {

struct PresetToolButtonShadowEffect::Private
{
    QSvgRenderer hoverArt{QStringLiteral(":/toolsettings/icon-hover-darkBG.svg")};
    QPointF hoverCentreOffset{0, 0};
    QPointF hoverPlacement;
    QSvgRenderer clickArt{QStringLiteral(":/toolsettings/icon-click-darkBG.svg")};
    QPointF clickCentreOffset{0, 2};
    QPointF clickPlacement;
    double scale = 1;

    QSizeF scaledSize(const QSvgRenderer& art) const
    {
        return QSizeF(qRound(art.defaultSize().width() * scale),
                      qRound(art.defaultSize().height() * scale));
    }
};

PresetToolButtonShadowEffect::PresetToolButtonShadowEffect(QObject* parent)
    : QGraphicsEffect(parent), d(std::make_unique<Private>())
{
    d->scale = uiScale();
    connect(Model::Settings::instance(), &Model::Settings::UIScaleChanged, this, [this] {
        d->scale = uiScale();
        updateBoundingRect();
    });
}

PresetToolButtonShadowEffect::~PresetToolButtonShadowEffect() = default;

bool PresetToolButtonShadowEffect::isDown() const
{
    const auto* button = qobject_cast<const PresetToolButton*>(parent());
    return button && button->isDown();
}

bool PresetToolButtonShadowEffect::underMouse() const
{
    const auto* button = qobject_cast<const PresetToolButton*>(parent());
    return button && button->testAttribute(Qt::WA_UnderMouse);
}

QPointF PresetToolButtonShadowEffect::hoverPlacement() const
{
    return d->hoverPlacement;
}

QPointF PresetToolButtonShadowEffect::clickPlacement() const
{
    return d->clickPlacement;
}

QRectF PresetToolButtonShadowEffect::boundingRectFor(const QRectF& rect) const
{
    const QPointF c = rect.center();
    QRectF result = rect;
    const auto place = [&](const QSvgRenderer& art, QPointF centreOffset, QPointF& placement) {
        const QSizeF size = d->scaledSize(art);
        const QPointF topLeft =
            c + d->scale * centreOffset - QPointF(size.width() / 2, size.height() / 2);
        placement = topLeft - rect.topLeft();
        result = result.united(QRectF(topLeft, size));
    };
    place(d->hoverArt, d->hoverCentreOffset, d->hoverPlacement);
    place(d->clickArt, d->clickCentreOffset, d->clickPlacement);
    return result;
}

void PresetToolButtonShadowEffect::draw(QPainter* painter)
{
    QPoint offset;
    const QPixmap source = sourcePixmap(Qt::LogicalCoordinates, &offset, QGraphicsEffect::NoPad);
    if (isDown())
        d->clickArt.render(painter,
                           QRectF(offset + d->clickPlacement, d->scaledSize(d->clickArt)));
    painter->drawPixmap(offset, source);
    if (underMouse())
        d->hoverArt.render(painter,
                           QRectF(offset + d->hoverPlacement, d->scaledSize(d->hoverArt)));
}

} // namespace UI
