#include "panels/SpeedDialGraphicsEffect.h"

#include "common/UIScale.h"
#include "panels/DialGeometry.h"

#include <QAction>
#include <QAbstractTextDocumentLayout>
#include <QPainter>
#include <QSvgRenderer>
#include <QTextDocument>
#include <QTextOption>
#include <QWidget>

#include <QtMath>

namespace UI {

namespace {
constexpr double iconRadius = 69;
const QColor selectionColour(44, 125, 44);
const QColor lightColour(221, 216, 213);
constexpr double selectionLineWidth = 2.5;
} // namespace

struct SpeedDialGraphicsEffect::Private
{
    float scale = 1.0f;
    double outerRadius = 89.75;
    double innerRadius = 46.75;
    QPointF centre{97, 97};
    QPainterPath sectorTemplate;
    QPainterPath selectionSector;
    QSize iconSize{32, 32};
    QSvgRenderer highlightArt{QStringLiteral(":/speeddial/quickselectHighlightShadow.svg")};
    QSvgRenderer shadowArt{QStringLiteral(":/speeddial/quickselectShadow.svg")};
    QSize shadowSize{387, 387};
    QPointF shadowOffset{-93, -88};
    QPointF selectLineEndPoint;
    QPointF initialPoint;
    double angle = 0;
    bool selecting = false;
    bool highlighted = false;
    bool waiting = false;
    int postSelectionSlot = -1;
    bool infoBoxEnabled = true;
    QTextDocument infoBox;
    QList<QAction*> actions = QList<QAction*>(DialGeometry::slotCount, nullptr);

    QPointF iconCentre(int slot) const
    {
        return DialGeometry::iconCentre(centre, iconRadius * scale, slot);
    }
    QRect iconRect(int slot) const
    {
        QRectF r(QPointF(0, 0), QSizeF(iconSize));
        r.moveCenter(iconCentre(slot));
        return r.toRect();
    }
    QRectF highlightRect(int slot) const
    {
        const int side = scaled(100, scale);
        QRectF r(0, 0, side, side);
        r.moveCenter(iconCentre(slot));
        return r;
    }
};

SpeedDialGraphicsEffect::SpeedDialGraphicsEffect(QObject* parent)
    : QGraphicsEffect(parent), d(std::make_unique<Private>())
{
    QTextOption option = d->infoBox.defaultTextOption();
    option.setAlignment(Qt::AlignCenter);
    d->infoBox.setDefaultTextOption(option);
    d->infoBox.setDocumentMargin(10);
    d->infoBox.setDefaultStyleSheet(QStringLiteral("p{color:#DDD8D5;margin:1ex}"));
    updateUISize();
}

SpeedDialGraphicsEffect::~SpeedDialGraphicsEffect() = default;

void SpeedDialGraphicsEffect::updateUISize()
{
    const float s = uiScale();
    d->scale = s;
    d->outerRadius = 89.75 * s;
    d->innerRadius = 46.75 * s;
    d->iconSize = QSize(scaled(32, s), scaled(32, s));
    d->shadowSize = QSize(scaled(387, s), scaled(387, s));
    d->shadowOffset = QPointF(-93 * s, -88 * s);
    d->centre = QPointF(97 * s, 97 * s);
    d->sectorTemplate = DialGeometry::sectorTemplate(d->centre, d->outerRadius, d->innerRadius);
    updateSelectLine(d->angle);
    update();
}

void SpeedDialGraphicsEffect::insertAction(QAction* action, int slot)
{
    if (slot >= 0 && slot < DialGeometry::slotCount)
        d->actions[slot] = action;
}

QAction* SpeedDialGraphicsEffect::action(int slot) const
{
    return slot >= 0 && slot < DialGeometry::slotCount ? d->actions.at(slot) : nullptr;
}

bool SpeedDialGraphicsEffect::isSelecting() const
{
    return d->selecting && !d->waiting;
}

bool SpeedDialGraphicsEffect::isHighlighted() const
{
    return d->highlighted;
}

int SpeedDialGraphicsEffect::postSelectionSlot() const
{
    return d->postSelectionSlot;
}

QPointF SpeedDialGraphicsEffect::centre() const
{
    return d->centre;
}

double SpeedDialGraphicsEffect::innerRadius() const
{
    return d->innerRadius;
}

double SpeedDialGraphicsEffect::outerRadius() const
{
    return d->outerRadius;
}

void SpeedDialGraphicsEffect::mousePress(QPointF p)
{
    if (QLineF(d->centre, p).length() < d->innerRadius) {
        d->selecting = true;
        d->waiting = false;
        d->postSelectionSlot = -1;
    }
}

void SpeedDialGraphicsEffect::setInitialSelectLineEndPoint(QPointF p)
{
    if (QLineF(d->centre, p).length() >= d->innerRadius) {
        d->selecting = true;
        d->waiting = true;
        d->postSelectionSlot = -1;
        d->initialPoint = p;
    } else {
        setSelectLineEndPoint(p);
    }
}

void SpeedDialGraphicsEffect::setSelectLineEndPoint(QPointF p)
{
    if (d->selecting && d->waiting && QLineF(d->initialPoint, p).length() > 5)
        d->waiting = false;
    if (d->selecting && !d->waiting) {
        d->highlighted = QLineF(d->centre, p).length() >= d->innerRadius;
        d->selectLineEndPoint = p;
        updateSelectLine(DialGeometry::directionTo(d->centre, p));
    }
}

void SpeedDialGraphicsEffect::updateSelectLine(double angle)
{
    d->angle = DialGeometry::snapAngle(angle);
    d->selectionSector = DialGeometry::turnedSector(d->sectorTemplate, d->angle, d->centre);
}

int SpeedDialGraphicsEffect::selectedSlot() const
{
    return DialGeometry::slotForAngle(d->angle);
}

QAction* SpeedDialGraphicsEffect::endSelection(PostSelectionHighlight mode)
{
    QAction* result = nullptr;
    if (d->selecting && !d->waiting && d->highlighted) {
        const int slot = selectedSlot();
        QAction* candidate = d->actions.at(slot);
        if (candidate && candidate->isEnabled()) {
            result = candidate;
            if (mode == KeepHighlight)
                d->postSelectionSlot = slot;
        }
    }
    d->selecting = false;
    d->highlighted = false;
    return result;
}

void SpeedDialGraphicsEffect::clearSelection()
{
    d->postSelectionSlot = -1;
}

QString SpeedDialGraphicsEffect::toolTipText(QPoint p) const
{
    const double distance = QLineF(d->centre, QPointF(p)).length();
    if (distance < d->innerRadius)
        return tr("Select nothing");
    if (distance > d->outerRadius)
        return QString();
    const QAction* a =
        d->actions.at(DialGeometry::slotForAngle(DialGeometry::directionTo(d->centre, p)));
    return a ? a->toolTip() : QString();
}

void SpeedDialGraphicsEffect::setInfoBoxHtml(const QString& html)
{
    d->infoBox.setHtml(html);
    d->infoBox.adjustSize();
}

void SpeedDialGraphicsEffect::setInfoBoxEnabled(bool enabled)
{
    d->infoBoxEnabled = enabled;
}

QRectF SpeedDialGraphicsEffect::boundingRectFor(const QRectF& rect) const
{
    // The shadow and the information box reach beyond the dial: allow the
    // whole window.
    const auto* dial = qobject_cast<const QWidget*>(parent());
    if (!dial)
        return rect;
    return QRectF(rect.topLeft() - QPointF(dial->pos()), QSizeF(dial->window()->size()));
}

void SpeedDialGraphicsEffect::draw(QPainter* painter)
{
    const auto paintIcon = [&](int slot) {
        d->actions.at(slot)->icon().paint(painter, d->iconRect(slot), Qt::AlignCenter,
                                          QIcon::Normal, QIcon::Off);
    };

    if (d->postSelectionSlot >= 0) {
        const int slot = d->postSelectionSlot;
        painter->save();
        painter->setRenderHint(QPainter::Antialiasing);
        painter->setPen(Qt::NoPen);
        d->highlightArt.render(painter, d->highlightRect(slot));
        painter->fillPath(d->selectionSector, lightColour);
        if (d->actions.at(slot))
            paintIcon(slot);
        painter->restore();
        return;
    }

    QPoint offset;
    const QPixmap source = sourcePixmap(Qt::DeviceCoordinates, &offset, QGraphicsEffect::NoPad);
    painter->save();
    painter->setWorldTransform(QTransform());
    d->shadowArt.render(painter, QRectF(QPointF(offset) + d->shadowOffset, QSizeF(d->shadowSize)));
    painter->drawPixmap(offset, source);
    painter->restore();

    painter->save();
    painter->setRenderHint(QPainter::Antialiasing);
    painter->setPen(Qt::NoPen);
    const int slot = selectedSlot();
    if (d->highlighted && d->actions.at(slot) && d->actions.at(slot)->isEnabled()) {
        d->highlightArt.render(painter, d->highlightRect(slot));
        painter->fillPath(d->selectionSector, lightColour);
    }
    for (int k = 0; k < DialGeometry::slotCount; ++k) {
        QAction* a = d->actions.at(k);
        if (!a)
            continue;
        painter->save();
        if (!a->isEnabled())
            painter->setOpacity(painter->opacity() * 0.3);
        paintIcon(k);
        painter->restore();
    }
    if (d->infoBoxEnabled && !d->infoBox.isEmpty()) {
        const QSizeF size = d->infoBox.size();
        const QPointF topLeft(d->centre.x() - size.width() / 2, 220 * d->scale);
        painter->setBrush(QColor(45, 41, 38, 170));
        painter->drawRoundedRect(QRectF(topLeft, size), 5, 5);
        painter->save();
        painter->translate(topLeft);
        d->infoBox.drawContents(painter);
        painter->restore();
    }
    if (isSelecting()) {
        painter->setBrush(selectionColour);
        painter->drawEllipse(d->centre, 2.5, 2.5);
        QPen pen(selectionColour, selectionLineWidth);
        pen.setCapStyle(Qt::RoundCap);
        painter->setPen(pen);
        painter->drawLine(d->centre, d->selectLineEndPoint);
    }
    painter->restore();
}

} // namespace UI
