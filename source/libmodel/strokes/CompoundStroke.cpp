#include "strokes/CompoundStroke.h"

#include "strokes/BitmapStroke.h"
#include "strokes/Blending.h"
#include "strokes/SingleStroke.h"

#include <QBuffer>
#include <QImage>
#include <QList>
#include <QPainter>
#include <QProgressDialog>
#include <QtDebug>

#include <algorithm>
#include <cmath>
#include <initializer_list>
#include <vector>

namespace Model {

namespace {

enum Kind { SingleKind = 0, CompoundKind = 1, BitmapKind = 2 };

// Coverage can reach this far (target pixels) beyond a compound's mapped
// bounds: anti-aliased rims and the rounding of mapped rectangles.
constexpr int DrawMargin = 2;

// The pixels of image inside rect (which must lie inside it) as an image of
// their own, sharing the memory: blending into it blends into image.
QImage viewOf(QImage& image, const QRect& rect)
{
    uchar* first = image.scanLine(rect.top()) + rect.left();
    return QImage(first, rect.width(), rect.height(), image.bytesPerLine(), image.format());
}

void eraseArea(QImage& image, const QPainterPath& area)
{
    QPainter painter(&image);
    painter.setCompositionMode(QPainter::CompositionMode_Source);
    painter.setRenderHint(QPainter::Antialiasing, true);
    painter.fillPath(area, Qt::transparent);
}

QPainterPath rectPath(const QRect& rect)
{
    QPainterPath path;
    path.addRect(QRectF(rect));
    return path;
}

bool isSingleEraser(const Stroke& stroke)
{
    return stroke.type() == SingleKind && static_cast<const SingleStroke&>(stroke).isEraser();
}

// Reads a painter path in the form Qt writes it, but without trusting it:
// the element count is not used to allocate (each element is read as it
// comes, and the first failed read ends the loop), and the elements must
// form a path that Qt's own operations can walk (a move first, every curve
// followed by exactly its two control points, sane numbers). The checked
// elements are then handed to Qt's reader.
bool readPainterPath(QDataStream& in, QPainterPath& path)
{
    path = QPainterPath();
    qint32 size = 0;
    in >> size;
    if (in.status() != QDataStream::Ok)
        return false;
    if (size == 0)
        return true;
    if (size < 0) {
        in.setStatus(QDataStream::ReadCorruptData);
        return false;
    }

    struct Element
    {
        qint32 type;
        double x;
        double y;
    };
    QList<Element> elements;
    for (qint32 i = 0; i < size; ++i) {
        Element element{0, 0.0, 0.0};
        in >> element.type >> element.x >> element.y;
        if (in.status() != QDataStream::Ok)
            return false;
        elements.append(element);
    }
    qint32 subpathStart = 0;
    qint32 fillRule = 0;
    in >> subpathStart >> fillRule;
    if (in.status() != QDataStream::Ok)
        return false;

    bool sound = elements.constFirst().type == QPainterPath::MoveToElement
                 && subpathStart >= 0 && subpathStart < size
                 && (fillRule == Qt::OddEvenFill || fillRule == Qt::WindingFill);
    for (const Element& element : std::as_const(elements)) {
        if (!Stroke::isPlausibleCoordinate(element.x) || !Stroke::isPlausibleCoordinate(element.y))
            sound = false;
    }
    for (qsizetype i = 0; sound && i < elements.size(); ++i) {
        switch (elements.at(i).type) {
        case QPainterPath::MoveToElement:
        case QPainterPath::LineToElement:
            break;
        case QPainterPath::CurveToElement:
            sound = i + 2 < elements.size()
                    && elements.at(i + 1).type == QPainterPath::CurveToDataElement
                    && elements.at(i + 2).type == QPainterPath::CurveToDataElement;
            i += 2;
            break;
        default: // a control point without its curve, or no element type at all
            sound = false;
            break;
        }
    }
    if (!sound) {
        in.setStatus(QDataStream::ReadCorruptData);
        return false;
    }

    QByteArray bytes;
    {
        QDataStream out(&bytes, QIODevice::WriteOnly);
        out.setVersion(in.version());
        out.setFloatingPointPrecision(QDataStream::DoublePrecision);
        out << size;
        for (const Element& element : std::as_const(elements))
            out << element.type << element.x << element.y;
        out << subpathStart << fillRule;
    }
    QDataStream checked(bytes);
    checked.setVersion(in.version());
    checked.setFloatingPointPrecision(QDataStream::DoublePrecision);
    checked >> path;
    return checked.status() == QDataStream::Ok;
}

// The square every rectangle of a drawing's strokes stays within, with room
// left for views and render scales before integer rectangles overflow.
QRectF plausibleArea()
{
    const double m = Stroke::maximumCoordinate;
    return QRectF(-m, -m, 2.0 * m, 2.0 * m);
}

// The program only ever moves, turns, mirrors and scales a compound's
// children: projective transforms (a tiny m33 multiplies everything) are
// damage, and so is any transform that places a child beyond the plausible
// area, where the rectangles computed while drawing could not be held.
bool isPlausibleTransform(const QTransform& t,
                          const std::vector<std::unique_ptr<Stroke>>& children,
                          std::initializer_list<const QPainterPath*> paths)
{
    const double values[] = {t.m11(), t.m12(), t.m21(), t.m22(), t.m31(), t.m32()};
    if (!std::all_of(std::begin(values), std::end(values),
                     [](double v) { return Stroke::isPlausibleCoordinate(v); })
        || t.m13() != 0.0 || t.m23() != 0.0 || t.m33() != 1.0)
        return false;
    const QRectF area = plausibleArea();
    const auto placed = [&](const QRectF& bounds) {
        return bounds.isEmpty() || area.contains(t.mapRect(bounds));
    };
    return std::all_of(children.begin(), children.end(),
                       [&](const std::unique_ptr<Stroke>& c) {
                           return placed(QRectF(c->boundingRect()));
                       })
           && std::all_of(paths.begin(), paths.end(),
                          [&](const QPainterPath* p) { return placed(p->boundingRect()); });
}

// The integer rectangle around rect, cut to within limit first so that no
// coordinate beyond the integer range is ever converted.
QRect alignedWithin(const QRectF& rect, const QRectF& limit)
{
    const QRectF inside = rect.intersected(limit);
    return inside.isEmpty() ? QRect() : inside.toAlignedRect();
}

} // namespace

class CompoundStroke::CompoundStrokePrivate
{
public:
    std::vector<std::unique_ptr<Stroke>> children;
    QRect bounds;
    // The union of the children's placed rectangles, before the bounding
    // path limits it.
    QRect childrenBounds;
    QPainterPath cutPath;
    QPainterPath boundingPath;
    QTransform transform;
};

CompoundStroke::CompoundStroke() : d(std::make_unique<CompoundStrokePrivate>())
{
}

CompoundStroke::CompoundStroke(const CompoundStroke& other)
    : Stroke(other), d(std::make_unique<CompoundStrokePrivate>())
{
    d->children.reserve(other.d->children.size());
    for (const std::unique_ptr<Stroke>& child : other.d->children)
        d->children.push_back(child->clone());
    d->bounds = other.d->bounds;
    d->childrenBounds = other.d->childrenBounds;
    d->cutPath = other.d->cutPath;
    d->boundingPath = other.d->boundingPath;
    d->transform = other.d->transform;
}

CompoundStroke::~CompoundStroke() = default;

std::unique_ptr<Stroke> CompoundStroke::clone() const
{
    return std::make_unique<CompoundStroke>(*this);
}

bool CompoundStroke::appendStroke(std::unique_ptr<Stroke> stroke)
{
    if (!stroke)
        return false;
    if (hasCut() || hasTransform())
        pushDown();
    d->children.push_back(std::move(stroke));
    // Only the new child can widen the union: walking every child again on
    // each append made building a drawing quadratic in its strokes.
    d->childrenBounds |= placedBounds(*d->children.back());
    limitBounds();
    return true;
}

std::unique_ptr<Stroke> CompoundStroke::removeLastStroke()
{
    if (d->children.empty())
        return nullptr;
    std::unique_ptr<Stroke> last = std::move(d->children.back());
    d->children.pop_back();
    updateBounds();
    return last;
}

int CompoundStroke::numStrokes() const
{
    return int(d->children.size());
}

int CompoundStroke::numTotalStrokes() const
{
    int total = 0;
    for (const std::unique_ptr<Stroke>& child : d->children) {
        ++total;
        if (child->type() == CompoundKind)
            total += static_cast<const CompoundStroke&>(*child).numTotalStrokes();
    }
    return total;
}

const Stroke* CompoundStroke::strokeAt(int index) const
{
    if (index < 0 || index >= numStrokes())
        return nullptr;
    return d->children.at(size_t(index)).get();
}

bool CompoundStroke::isEmpty() const
{
    return d->children.empty();
}

QRect CompoundStroke::boundingRect() const
{
    return d->bounds;
}

bool CompoundStroke::hasCut() const
{
    return !d->cutPath.isEmpty();
}

QPainterPath CompoundStroke::cutPath() const
{
    return d->cutPath;
}

bool CompoundStroke::hasTransform() const
{
    return d->transform.type() != QTransform::TxNone;
}

QTransform CompoundStroke::transform() const
{
    return d->transform;
}

void CompoundStroke::setTransform(const QTransform& transform)
{
    d->transform = transform;
    updateBounds();
}

void CompoundStroke::ensureIdentityTransform()
{
    if (!hasTransform())
        return;
    pushDown();
    updateBounds();
}

QPainterPath CompoundStroke::boundingPath() const
{
    return d->boundingPath;
}

void CompoundStroke::setBoundingPath(const QPainterPath& path)
{
    d->boundingPath = path;
    if (path.isEmpty()) {
        updateBounds();
        return;
    }
    // The bounding path lies in the children's coordinates, clipping takes
    // outer ones.
    clipOutsidePath(d->transform.map(path));
}

bool CompoundStroke::appendCut(const QPainterPath& path)
{
    if (d->children.empty())
        return false;
    d->cutPath |= path;
    // The cut lies in the children's coordinates, clipping takes outer ones.
    return clipInsidePath(d->transform.map(d->cutPath));
}

bool CompoundStroke::clipInsidePath(QPainterPath path)
{
    const QPainterPath local = d->transform.inverted().map(path);
    for (const std::unique_ptr<Stroke>& child : d->children)
        child->clipInsidePath(local);
    d->children.erase(std::remove_if(d->children.begin(), d->children.end(),
                                     [](const std::unique_ptr<Stroke>& c) { return c->isEmpty(); }),
                      d->children.end());
    updateBounds();
    return true;
}

void CompoundStroke::clipOutsidePath(QPainterPath path)
{
    const QPainterPath local = d->transform.inverted().map(path);
    for (const std::unique_ptr<Stroke>& child : d->children)
        child->clipOutsidePath(local);
    d->children.erase(std::remove_if(d->children.begin(), d->children.end(),
                                     [](const std::unique_ptr<Stroke>& c) { return c->isEmpty(); }),
                      d->children.end());
    updateBounds();
}

void CompoundStroke::pushDown()
{
    auto inner = std::make_unique<CompoundStroke>();
    inner->d->children = std::move(d->children);
    inner->d->bounds = d->bounds;
    inner->d->childrenBounds = d->childrenBounds;
    inner->d->cutPath = d->cutPath;
    inner->d->boundingPath = d->boundingPath;
    inner->d->transform = d->transform;

    d->children.clear();
    d->children.push_back(std::move(inner));
    d->bounds = QRect();
    d->cutPath = QPainterPath();
    d->boundingPath = QPainterPath();
    d->transform = QTransform();
    // The pushed-down content is the only child now.
    d->childrenBounds = placedBounds(*d->children.back());
}

QRect CompoundStroke::placedBounds(const Stroke& child) const
{
    // Erasing never widens a compound.
    const QRect childBounds = child.boundingRect();
    if (childBounds.isEmpty() || isSingleEraser(child))
        return QRect();
    // Integer mapping where it fits, as stored drawings were bounded.
    if (plausibleArea().contains(d->transform.mapRect(QRectF(childBounds))))
        return d->transform.mapRect(childBounds);
    return alignedWithin(d->transform.mapRect(QRectF(childBounds)), plausibleArea());
}

void CompoundStroke::updateBounds()
{
    QRect bounds;
    for (const std::unique_ptr<Stroke>& child : d->children)
        bounds |= placedBounds(*child);
    d->childrenBounds = bounds;
    limitBounds();
}

void CompoundStroke::limitBounds()
{
    QRect bounds = d->childrenBounds;
    if (!d->boundingPath.isEmpty()) {
        const QPainterPath mapped = d->transform.map(d->boundingPath);
        if (mapped.contains(QRectF(bounds)))
            d->boundingPath = QPainterPath();
        else
            bounds &= alignedWithin(mapped.boundingRect(), plausibleArea());
    }

    // Cut and children's rectangles are both in the children's coordinates,
    // whatever the transform.
    if (!d->cutPath.isEmpty()) {
        const bool touches = std::any_of(
            d->children.begin(), d->children.end(), [this](const std::unique_ptr<Stroke>& c) {
                return d->cutPath.intersects(QRectF(c->boundingRect()));
            });
        if (!touches)
            d->cutPath = QPainterPath();
    }
    d->bounds = bounds;
}

QRect CompoundStroke::draw(QImage& target, const QRect& rect, const QTransform& transform,
                           const QPoint& textureOffset, double renderScale) const
{
    return draw(target, rect, transform, textureOffset, renderScale, nullptr);
}

QRect CompoundStroke::draw(QImage& target, const QRect& rect, const QTransform& transform,
                           const QPoint& textureOffset, double renderScale,
                           QProgressDialog* progress) const
{
    // Without bounds there is nothing but erasers, which only erase this
    // compound's own content.
    if (d->children.empty() || d->bounds.isEmpty() || target.depth() != 8)
        return QRect();

    // The scratch images cover only the part of the target this compound can
    // reach, not the whole target: nested compounds each hold two of them
    // while their children draw. Results are the same, as nothing is drawn
    // outside that part; the texture offset moves with the scratch origin so
    // that the paper grain stays where it was.
    const QRect within = rect & target.rect();
    const QRect reach = alignedWithin(transform.mapRect(QRectF(d->bounds))
                                          .adjusted(-DrawMargin, -DrawMargin, DrawMargin, DrawMargin),
                                      QRectF(within));
    const QRect work = within & reach;
    if (work.isEmpty())
        return QRect();

    QImage scratch(work.size(), QImage::Format_Alpha8);
    if (scratch.isNull()) {
        qWarning("CompoundStroke: no memory for a %dx%d scratch image", work.width(),
                 work.height());
        return QRect();
    }
    scratch.fill(0);

    const QTransform toScratch = d->transform * transform
                                 * QTransform::fromTranslate(-work.left(), -work.top());
    const QRect area = drawChildren(scratch, scratch.rect(), toScratch,
                                    textureOffset + work.topLeft(), renderScale, progress);
    if (area.isNull())
        return QRect();

    if (!d->boundingPath.isEmpty())
        eraseArea(scratch, rectPath(area).subtracted(toScratch.map(d->boundingPath)));

    QImage view = viewOf(target, work);
    Blending::blendImages(view, scratch, area, true);
    return area.translated(work.topLeft());
}

QRect CompoundStroke::drawChildren(QImage& scratch, const QRect& rect, const QTransform& transform,
                                   const QPoint& textureOffset, double renderScale,
                                   QProgressDialog* progress) const
{
    QRect area;
    // Single strokes are rendered here one after another, then merged into
    // the scratch image: pens add, erasers take away from what came before.
    QImage layer;
    for (const std::unique_ptr<Stroke>& child : d->children) {
        switch (child->type()) {
        case SingleKind: {
            if (layer.isNull()) {
                layer = QImage(scratch.size(), QImage::Format_Alpha8);
                if (layer.isNull()) {
                    qWarning("CompoundStroke: no memory for a stroke layer");
                    return QRect();
                }
                layer.fill(0);
            }
            const auto& single = static_cast<const SingleStroke&>(*child);
            // Only where the stroke can reach: the rest of the layer stays
            // blank and would merge as nothing, and rendering and merging
            // the whole area for every stroke costs as much as the area.
            const QRect reach = transform.mapRect(QRectF(single.boundingRect()))
                                    .toAlignedRect()
                                    .adjusted(-DrawMargin, -DrawMargin, DrawMargin, DrawMargin);
            const QRect drawn =
                single.draw(layer, rect & reach, transform, textureOffset, renderScale);
            if (!drawn.isNull()) {
                area |= drawn;
                Blending::blendImages(scratch, layer, drawn, single.isPen());
                Blending::fillImage(layer, drawn, 0);
            }
            break;
        }
        case CompoundKind:
            area |= static_cast<const CompoundStroke&>(*child).draw(
                scratch, rect, transform, textureOffset, renderScale, progress);
            break;
        case BitmapKind:
            area |= child->draw(scratch, rect, transform, textureOffset, renderScale);
            break;
        default:
            break;
        }
        if (progress) {
            if (progress->wasCanceled())
                return QRect();
            progress->setValue(progress->value() + 1);
        }
    }

    if (hasCut() && !area.isNull())
        eraseArea(scratch, rectPath(area).intersected(transform.map(d->cutPath)));
    return area;
}

bool CompoundStroke::collapseVectorData(int ratio, QRect clip, QProgressDialog* progress)
{
    if (ratio < 1)
        return false;
    QRect rect = boundingRect();
    if (clip.isValid())
        rect &= clip;

    const QSize size(int(std::lround(double(rect.width()) * ratio)),
                     int(std::lround(double(rect.height()) * ratio)));
    QImage image;
    if (!size.isEmpty()) {
        image = QImage(size, QImage::Format_Alpha8);
        // Giving up the strokes for an image that could not be made would
        // lose them.
        if (image.isNull()) {
            qWarning("CompoundStroke: cannot collapse into a %dx%d image", size.width(),
                     size.height());
            return false;
        }
        image.fill(0);
    }

    const QTransform toImage = QTransform::fromTranslate(-rect.left(), -rect.top())
                               * QTransform::fromScale(ratio, ratio);
    if (progress)
        progress->setMaximum(numTotalStrokes());
    if (!image.isNull())
        draw(image, image.rect(), toImage, QPoint(0, 0), double(ratio), progress);
    if (progress && progress->wasCanceled())
        return false;

    d->children.clear();
    d->children.push_back(std::make_unique<BitmapStroke>(image, rect));
    d->cutPath = QPainterPath();
    d->boundingPath = QPainterPath();
    d->transform = QTransform();
    updateBounds();
    return true;
}

void CompoundStroke::serialize(QDataStream& stream) const
{
    stream << qint64(d->children.size());
    for (const std::unique_ptr<Stroke>& child : d->children) {
        stream << qint32(child->type());
        child->serialize(stream);
    }
    stream << d->cutPath << d->boundingPath << d->transform;
}

void CompoundStroke::readFrom(QDataStream& stream, int depth)
{
    if (depth > MaximumNestingDepth) {
        stream.setStatus(QDataStream::ReadCorruptData);
        return;
    }

    qint64 count = 0;
    stream >> count;
    if (stream.status() != QDataStream::Ok)
        return;
    if (count < 0) {
        stream.setStatus(QDataStream::ReadCorruptData);
        return;
    }

    // The count is not trusted for allocation; the first failed read ends
    // the loop, so a damaged count cannot run on past the data.
    for (qint64 i = 0; i < count; ++i) {
        qint32 kind = -1;
        stream >> kind;
        if (stream.status() != QDataStream::Ok)
            break;
        std::unique_ptr<Stroke> child;
        switch (kind) {
        case SingleKind: {
            auto single = std::make_unique<SingleStroke>();
            stream >> *single;
            child = std::move(single);
            break;
        }
        case CompoundKind: {
            auto compound = std::make_unique<CompoundStroke>();
            compound->readFrom(stream, depth + 1);
            child = std::move(compound);
            break;
        }
        case BitmapKind: {
            auto bitmap = std::make_unique<BitmapStroke>();
            stream >> *bitmap;
            child = std::move(bitmap);
            break;
        }
        default: // unknown kinds carry nothing we could read past
            continue;
        }
        if (stream.status() != QDataStream::Ok)
            break;
        d->children.push_back(std::move(child));
    }

    if (stream.status() == QDataStream::Ok && readPainterPath(stream, d->cutPath)
        && readPainterPath(stream, d->boundingPath)) {
        QTransform transform;
        stream >> transform;
        if (stream.status() == QDataStream::Ok) {
            if (isPlausibleTransform(transform, d->children, {&d->cutPath, &d->boundingPath}))
                d->transform = transform;
            else
                stream.setStatus(QDataStream::ReadCorruptData);
        }
    }
    updateBounds();
}

QDataStream& operator>>(QDataStream& stream, CompoundStroke& stroke)
{
    stroke.readFrom(stream, 1);
    return stream;
}

} // namespace Model
