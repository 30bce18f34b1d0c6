#include "canvas/CanvasGrid.h"

#include <QLineF>

namespace UI {

namespace {

void addLine(QPainterPath& path, const QPointF& a, const QPointF& b)
{
    path.moveTo(a);
    path.lineTo(b);
}

void addDiagonals(QPainterPath& path, const QRectF& f)
{
    addLine(path, f.topLeft(), QPointF(f.right(), f.bottom()));
    addLine(path, QPointF(f.right(), f.top()), QPointF(f.left(), f.bottom()));
}

// From a corner through a point to where that line meets an edge; nothing
// when the two never meet.
void addThrough(QPainterPath& path, const QPointF& corner, const QPointF& through,
                const QLineF& edge)
{
    QPointF end;
    if (QLineF(corner, through).intersects(edge, &end) != QLineF::NoIntersection)
        addLine(path, corner, end);
}

QPainterPath diagonals(const QRectF& f)
{
    const double x = f.x(), y = f.y(), w = f.width(), h = f.height();
    QPainterPath path;
    addLine(path, QPointF(x, y + 0.3 * h), QPointF(x + w, y + 0.3 * h));
    addLine(path, QPointF(x, y + h - 0.3 * h), QPointF(x + w, y + h - 0.3 * h));
    addLine(path, QPointF(x + 0.3 * w, y), QPointF(x + 0.3 * w, y + h));
    addLine(path, QPointF(x + w - 0.3 * w, y), QPointF(x + w - 0.3 * w, y + h));
    addDiagonals(path, f);
    const QLineF top(QPointF(x, y), QPointF(x + w, y));
    const QLineF bottom(QPointF(x, y + h), QPointF(x + w, y + h));
    addThrough(path, QPointF(x, y), QPointF(x + 0.3 * w, y + 0.7 * h), bottom);
    addThrough(path, QPointF(x + w, y), QPointF(x + 0.7 * w, y + 0.7 * h), bottom);
    addThrough(path, QPointF(x, y + h), QPointF(x + 0.3 * w, y + 0.3 * h), top);
    addThrough(path, QPointF(x + w, y + h), QPointF(x + 0.7 * w, y + 0.3 * h), top);
    return path;
}

QPainterPath renaissance(const QRectF& f)
{
    const double x = f.x(), y = f.y(), w = f.width(), h = f.height();
    const double qw = w / 4.0, qh = h / 4.0;
    QPainterPath path;
    CanvasGrid::addGrid(path, f, 4);
    // Descending, then the mirrored ascending lines.
    addLine(path, {x, y + h - qh}, {x + qw, y + h});
    addLine(path, {x, y + 2 * qh}, {x + 2 * qw, y + h});
    addLine(path, {x, y + qh}, {x + w - qw, y + h});
    addLine(path, {x, y}, {x + w, y + h});
    addLine(path, {x + qw, y}, {x + w, y + h - qh});
    addLine(path, {x + 2 * qw, y}, {x + w, y + 2 * qh});
    addLine(path, {x + w - qw, y}, {x + w, y + qh});
    addLine(path, {x, y + qh}, {x + qw, y});
    addLine(path, {x, y + 2 * qh}, {x + 2 * qw, y});
    addLine(path, {x, y + h - qh}, {x + w - qw, y});
    addLine(path, {x, y + h}, {x + w, y});
    addLine(path, {x + qw, y + h}, {x + w, y + qh});
    addLine(path, {x + 2 * qw, y + h}, {x + w, y + 2 * qh});
    addLine(path, {x + w - qw, y + h}, {x + w, y + h - qh});
    return path;
}

} // namespace

void CanvasGrid::addGrid(QPainterPath& path, const QRectF& f, int n)
{
    if (n <= 1)
        return;
    double px = f.x();
    double py = f.y();
    for (int k = 1; k < n; ++k) {
        px += f.width() / n;
        py += f.height() / n;
        addLine(path, QPointF(px, f.top()), QPointF(px, f.top() + f.height()));
        addLine(path, QPointF(f.left(), py), QPointF(f.left() + f.width(), py));
    }
}

QPainterPath CanvasGrid::path(KW::GridType type, const QRectF& f)
{
    QPainterPath path;
    switch (type) {
    case KW::GridType::FieldGuide:
        addGrid(path, f, 30);
        addDiagonals(path, f);
        break;
    case KW::GridType::Safety:
        path.addRect(f.x() + 0.05 * f.width(), f.y() + 0.05 * f.height(), 0.9 * f.width(),
                     0.9 * f.height());
        path.addRect(f.x() + 0.1 * f.width(), f.y() + 0.1 * f.height(), 0.8 * f.width(),
                     0.8 * f.height());
        break;
    case KW::GridType::Thirds:
        addGrid(path, f, 3);
        break;
    case KW::GridType::Diagonals:
        path = diagonals(f);
        break;
    case KW::GridType::Renaissance:
        path = renaissance(f);
        break;
    }
    return path;
}

} // namespace UI
