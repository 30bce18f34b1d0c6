#include "xsheet/ColorGizmo.h"

#include "xsheet/ColorGizmoGraphicsEffect.h"
#include "xsheet/GizmoShape.h"

#include <QConicalGradient>
#include <QHelpEvent>
#include <QIcon>
#include <QMouseEvent>
#include <QPainter>
#include <QPixmapCache>
#include <QPropertyAnimation>
#include <QToolTip>

#include <cmath>

namespace UI {

namespace {

// The colour gizmos' own copy of the base artwork, loaded with the first one.
QIcon const& baseArtwork()
{
    static QIcon const* const icon = new QIcon(QStringLiteral(":/xsheet/X-layerColBase.svg"));
    return *icon;
}

struct Preset
{
    QColor color;
    char const* name;
};

Preset const presets[] = {
    {QColor(Qt::black), QT_TRANSLATE_NOOP("QWidget", "Black")},
    {QColor(40, 97, 184), QT_TRANSLATE_NOOP("QWidget", "Blue")},
    {QColor(196, 46, 85), QT_TRANSLATE_NOOP("QWidget", "Red")},
    {QColor(125, 180, 52), QT_TRANSLATE_NOOP("QWidget", "Green")},
};

QPainterPath strokeSample(double s)
{
    QPainterPath path;
    path.moveTo(13.696 * s, 5.5 * s);
    path.cubicTo(13.696 * s, 5.5 * s, 11.668 * s, 6.023 * s, 8.809 * s, 7.542 * s);
    path.cubicTo(5.95 * s, 9.062 * s, 11.188 * s, 8.031 * s, 15.097 * s, 9.098 * s);
    path.cubicTo(19.007 * s, 10.166 * s, 8.809 * s, 12.5 * s, 8.809 * s, 12.5 * s);
    return path;
}

} // namespace

class ColorGizmo::ColorGizmoPrivate
{
public:
    explicit ColorGizmoPrivate(ColorGizmo* q)
        : shape(q)
    {
        updateArtwork();
    }

    void updateArtwork()
    {
        float const s = shape.scale();
        sample = strokeSample(s);
        wheel16 = colorWheelPixmap(int(16 * s), 1);
        wheel16x2 = colorWheelPixmap(int(16 * s), 2);
        wheel17 = colorWheelPixmap(int(17 * s), 1);
        wheel17x2 = colorWheelPixmap(int(17 * s), 2);
    }

    GizmoShape shape;
    QPainterPath sample;
    QPixmap wheel16;
    QPixmap wheel16x2;
    QPixmap wheel17;
    QPixmap wheel17x2;
    QColor color = Qt::red;
    int hoveredRow = GizmoShape::NoRow;
    int pressedRow = GizmoShape::NoRow;
    int layerIdx = -1;
};

ColorGizmo::ColorGizmo(QWidget* parent)
    : QWidget(parent)
{
    d = std::make_unique<ColorGizmoPrivate>(this);
    baseArtwork();
    connect(d->shape.createAnimation(), &QPropertyAnimation::finished, this, &ColorGizmo::updateSize);
    updateSize();
    setFocusPolicy(Qt::ClickFocus);
    setAttribute(Qt::WA_Hover, true);
    setGraphicsEffect(new ColorGizmoGraphicsEffect(this));
}

ColorGizmo::~ColorGizmo() = default;

QColor ColorGizmo::presetColor(int row)
{
    return row >= 1 && row <= 4 ? presets[row - 1].color : QColor();
}

QPixmap ColorGizmo::colorWheelPixmap(int side, qreal ratio)
{
    // Every column's gizmo shows the same wheels: drawn once per size, as a
    // scene may have thousands of columns.
    QString const key = QStringLiteral("ColorGizmo wheel %1 %2").arg(side).arg(ratio);
    QPixmap cached;
    if (QPixmapCache::find(key, &cached))
        return cached;
    int const n = side + side % 2;
    QPixmap pixmap(qRound(n * ratio), qRound(n * ratio));
    pixmap.setDevicePixelRatio(ratio);
    pixmap.fill(Qt::transparent);
    QPainter painter(&pixmap);
    painter.setRenderHint(QPainter::Antialiasing, true);
    QPointF const centre(n / 2.0, n / 2.0);
    QConicalGradient gradient(centre, 0);
    auto const hue = [](int h) { return QColor::fromHsl(h % 360, 255, 128, 128); };
    gradient.setColorAt(1, hue(0));
    gradient.setColorAt(5.0 / 6, hue(60));
    gradient.setColorAt(4.0 / 6, hue(120));
    gradient.setColorAt(0.5, hue(180));
    gradient.setColorAt(2.0 / 6, hue(240));
    gradient.setColorAt(1.0 / 6, hue(300));
    gradient.setColorAt(0, hue(360));
    painter.setPen(QPen(QColor(94, 94, 93), 1, Qt::SolidLine, Qt::SquareCap, Qt::BevelJoin));
    painter.setBrush(gradient);
    double const diameter = n - 2;
    painter.drawEllipse(centre, diameter / 2, diameter / 2);
    painter.setPen(Qt::NoPen);
    painter.setBrush(QColor(94, 94, 93));
    double const disc = n / 2.7;
    painter.drawEllipse(centre, disc / 2, disc / 2);
    painter.end();
    QPixmapCache::insert(key, pixmap);
    return pixmap;
}

QColor ColorGizmo::color() const
{
    return d->color;
}

int ColorGizmo::layerIdx() const
{
    return d->layerIdx;
}

void ColorGizmo::setLayerIdx(int layerIdx)
{
    d->layerIdx = layerIdx;
}

void ColorGizmo::setColor(QColor const& color)
{
    if (color == d->color)
        return;
    d->color = color;
    update();
    emit colorChanged(d->layerIdx, color);
}

int ColorGizmo::gizmoHeight() const
{
    return d->shape.height();
}

void ColorGizmo::setGizmoHeight(int height)
{
    if (d->shape.setHeight(height))
        emit gizmoHeightChanged(d->shape.height());
}

QPoint ColorGizmo::topCenter() const
{
    return d->shape.topCenter();
}

void ColorGizmo::setTopCenter(QPoint const& point)
{
    d->shape.setTopCenter(point);
}

int ColorGizmo::state() const
{
    return d->shape.state();
}

void ColorGizmo::updateSize()
{
    d->shape.setOpenHeight(d->shape.maximumHeight());
    d->shape.applyStateSize();
}

void ColorGizmo::updateUISize()
{
    d->shape.updateSizes();
    d->updateArtwork();
    updateSize();
    update();
    updateGeometry();
}

void ColorGizmo::openGizmo()
{
    d->shape.animateTo(GizmoShape::Open, d->shape.maximumHeight());
    setFocus(Qt::OtherFocusReason);
}

void ColorGizmo::closeGizmo()
{
    d->shape.animateTo(GizmoShape::Closing, d->shape.minimumHeight());
}

void ColorGizmo::closeGizmo(QPoint const& pos)
{
    if (pos.y() > 16 * d->shape.scale())
        d->shape.animateTo(GizmoShape::Closing, d->shape.minimumHeight());
    else
        d->shape.animateTo(GizmoShape::Hover, d->shape.hoverHeight());
}

bool ColorGizmo::event(QEvent* event)
{
    // Events arrive while the private data is being built (its animation
    // becomes a child).
    if (!d)
        return QWidget::event(event);
    bool const open = d->shape.state() == GizmoShape::Open;
    if (d->shape.handleHover(event, d->hoveredRow, true))
        update();
    switch (event->type()) {
    case QEvent::ToolTip: {
        auto* help = static_cast<QHelpEvent*>(event);
        QString text;
        if (!open) {
            text = QWidget::tr("Choose Layer Color");
        } else {
            int const row = d->shape.rowAt(help->pos());
            if (row == 0)
                text = QWidget::tr("Current Color");
            else if (row >= 1 && row <= 4)
                text = QWidget::tr("Set Layer Color to %1").arg(QWidget::tr(presets[row - 1].name));
            else if (row == 5)
                text = QWidget::tr("Set Custom Layer Color");
        }
        if (text.isEmpty()) {
            QToolTip::hideText();
            event->ignore();
        } else {
            QToolTip::showText(help->globalPos(), text, this);
        }
        return true;
    }
    default:
        break;
    }
    return QWidget::event(event);
}

void ColorGizmo::mousePressEvent(QMouseEvent* event)
{
    d->pressedRow = d->shape.rowAt(event->position().toPoint());
    update();
}

void ColorGizmo::mouseMoveEvent(QMouseEvent*)
{
}

void ColorGizmo::mouseReleaseEvent(QMouseEvent* event)
{
    QPoint const pos = event->position().toPoint();
    if (d->shape.state() == GizmoShape::Open) {
        int const row = d->shape.rowAt(pos);
        if (row == d->pressedRow) {
            if (row >= 1 && row <= 4) {
                QColor const preset = presetColor(row);
                if (preset != d->color) {
                    d->color = preset;
                    emit colorChanged(d->layerIdx, preset);
                }
                closeGizmo(pos);
            } else if (row == 0) {
                closeGizmo(pos);
            }
        }
    } else {
        openGizmo();
    }
    d->pressedRow = GizmoShape::NoRow;
    update();
}

void ColorGizmo::focusOutEvent(QFocusEvent* event)
{
    if (d->shape.state() != GizmoShape::Closing)
        closeGizmo();
    QWidget::focusOutEvent(event);
}

void ColorGizmo::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    float const s = d->shape.scale();
    int const w = width();
    int const h = height();
    int const dx = (d->shape.openWidth() - w) / 2;
    painter.setRenderHint(QPainter::Antialiasing, false);
    d->shape.paintBase(painter, baseArtwork().pixmap(QSize(d->shape.openWidth(), d->shape.maximumHeight()),
                                                     devicePixelRatioF(), QIcon::Normal, QIcon::Off));

    painter.setRenderHint(QPainter::Antialiasing, true);
    painter.setBrush(Qt::NoBrush);
    QPen pen(d->color, 2 * s, Qt::SolidLine, Qt::FlatCap, Qt::MiterJoin);
    painter.setPen(pen);
    painter.drawPath(d->sample.translated(-dx, h - int(17 * s)));

    for (int i = 1; i <= 4; ++i) {
        int const top = h - int((16 + 18 * i) * s);
        bool const pressed = d->pressedRow == i;
        bool const hovered = d->hoveredRow == i;
        if (pressed || (d->pressedRow == GizmoShape::NoRow && hovered))
            painter.fillRect(QRectF(2 * s, top + s, 20 * s, 17 * s), Qt::white);
        pen.setColor(presets[i - 1].color);
        painter.setPen(pen);
        painter.save();
        if (pressed && hovered) {
            painter.scale(1.15, 1.15);
            painter.drawPath(d->sample.translated(0, top / 1.15 - 1));
        } else {
            painter.drawPath(d->sample.translated(0, top));
        }
        painter.restore();
    }

    QRectF const custom(2 * s, h - int(105 * s) - 2 * s, 20 * s, 19 * s);
    bool const pressed = d->pressedRow == 5;
    bool const hovered = d->hoveredRow == 5;
    if (pressed || (d->pressedRow == GizmoShape::NoRow && hovered))
        painter.fillRect(custom, Qt::white);
    bool const ratioOne = devicePixelRatioF() == 1.0;
    if (pressed && hovered)
        painter.drawPixmap(QPointF(3 * s, h - 1 - int(105 * s)), ratioOne ? d->wheel17 : d->wheel17x2);
    else
        painter.drawPixmap(QPointF(4 * s, h - int(105 * s)), ratioOne ? d->wheel16 : d->wheel16x2);
    painter.fillRect(custom, QColor(128, 128, 128, 128));
}

} // namespace UI
