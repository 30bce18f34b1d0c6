#include "drawings/StrokeDrawing.h"

#include "drawings/ColouredInk.h"
#include "drawings/ColouredInkCache.h"
#include "drawings/FrameFit.h"
#include "drawings/ThumbnailMaker.h"
#include "images/RleImage.h"
#include "strokes/Blending.h"
#include "strokes/CompoundStroke.h"
#include "strokes/SingleStroke.h"

#include <QDataStream>
#include <QImage>
#include <QMap>
#include <QPainter>
#include <QPainterPath>
#include <QRegion>
#include <QTransform>
#include <QtDebug>

#include <algorithm>
#include <array>
#include <cstring>

namespace Model {

namespace {

// Anti-aliased rims reach a little beyond the rectangles strokes report
// (compound strokes allow two pixels for them), so partial redraws and
// strokes drawn on their own cover that much more: otherwise a redraw of
// the whole drawing would differ from the buffer at the rims.
constexpr int RimMargin = 2;

QRect withRim(QRect const& rect)
{
    if (rect.isEmpty())
        return QRect();
    return rect.adjusted(-RimMargin, -RimMargin, RimMargin, RimMargin);
}

QImage blankCoverage(QSize const& size)
{
    QImage image(size, QImage::Format_Alpha8);
    if (image.isNull())
        qWarning("StrokeDrawing: no memory for a %dx%d coverage image", size.width(),
                 size.height());
    else
        image.fill(0);
    return image;
}

using ColourTable = std::array<QRgb, 256>;

// Whether the painter's pixels keep their colour premultiplied. Images in
// other formats keep full colour precision and are best given unpremultiplied
// pixels; pixmaps and widgets are premultiplied.
bool paintsPremultiplied(QPainter const* painter)
{
    QPaintDevice const* device = painter->device();
    if (!device || device->devType() != QInternal::Image)
        return true;
    QImage::Format const format = static_cast<QImage const*>(device)->format();
    return format == QImage::Format_ARGB32_Premultiplied
           || format == QImage::Format_RGB32;
}

// The colour table as pixels of the painter's kind, one for every coverage
// byte, with the painter's opacity already in their alpha; entries a short
// table lacks are transparent.
ColourTable colourTable(QList<unsigned int> const& colors, QPainter const* painter,
                        bool premultiply)
{
    ColourTable table;
    int const known = std::min<int>(256, colors.size());
    qreal const scale = std::clamp<qreal>(painter->opacity(), 0.0, 1.0);
    for (int i = 0; i < known; ++i) {
        QRgb const entry = colors.at(i);
        int const alpha = qRound(qAlpha(entry) * scale);
        QRgb const pixel = qRgba(qRed(entry), qGreen(entry), qBlue(entry), alpha);
        table[i] = premultiply ? qPremultiply(pixel) : pixel;
    }
    for (int i = known; i < 256; ++i)
        table[i] = 0u;
    return table;
}

// Paints the part of the coverage image inside area (which must lie inside
// it) in the table's colours, with its top left corner at target.
void paintCoverage(QPainter* painter, QImage const& coverage, QRect const& area, QPoint target,
                   ColourTable const& table, bool premultiplied)
{
    if (area.isEmpty())
        return;
    QRect const placed(target, area.size());
    ColouredInk::make(coverage, area, table, premultiplied).paint(painter, placed, placed);
}

// The smallest rectangle holding every non-zero byte of an 8-bit image; empty
// when all bytes are zero.
QRect inkBoundsOf(QImage const& image)
{
    int const width = image.width();
    int left = width;
    int right = -1;
    int top = -1;
    int bottom = -1;
    for (int y = 0; y < image.height(); ++y) {
        uchar const* line = image.constScanLine(y);
        int first = 0;
        // Most of a drawing is blank; whole words of zeros are skipped.
        while (first + 8 <= width) {
            quint64 word;
            std::memcpy(&word, line + first, sizeof word);
            if (word != 0)
                break;
            first += 8;
        }
        while (first < width && line[first] == 0)
            ++first;
        if (first == width)
            continue;
        int last = width - 1;
        while (last > first && line[last] == 0)
            --last;
        left = std::min(left, first);
        right = std::max(right, last);
        if (top < 0)
            top = y;
        bottom = y;
    }
    if (top < 0)
        return QRect();
    return QRect(QPoint(left, top), QPoint(right, bottom));
}

// Whether the strokes under root stay within what a drawing may hold. Walked
// without recursion: compounds nest thousands deep.
bool isWithinBudget(CompoundStroke const& root)
{
    qint64 strokes = 0;
    qint64 segments = 0;
    QList<CompoundStroke const*> pending{&root};
    while (!pending.isEmpty()) {
        CompoundStroke const* const compound = pending.takeLast();
        for (int i = 0; i < compound->numStrokes(); ++i) {
            Stroke const* const child = compound->strokeAt(i);
            if (++strokes > StrokeDrawing::maximumStrokes)
                return false;
            if (child->type() == 0) {
                segments += static_cast<SingleStroke const*>(child)->segments().size();
                if (segments > StrokeDrawing::maximumSegments)
                    return false;
            } else if (child->type() == 1) {
                pending.append(static_cast<CompoundStroke const*>(child));
            }
        }
    }
    return true;
}

// The part of image inside rect (which must lie inside it), sharing memory.
QImage constView(QImage const& image, QRect const& rect)
{
    uchar const* first = image.constScanLine(rect.top()) + rect.left();
    return QImage(first, rect.width(), rect.height(), image.bytesPerLine(), image.format());
}

} // namespace

class StrokeDrawing::StrokeDrawingPrivate
{
public:
    QSize size;
    // The coverage is in one of two forms: the draw buffer, or, for a drawing
    // read from a file and not edited since, the run-length form it was
    // stored in. A scene of a thousand drawings then takes memory in
    // proportion to its ink; the buffer is made when something needs all of
    // its pixels, and saving writes the stored form back as it is.
    mutable QImage drawBuffer;
    mutable RleImage packed;
    mutable bool hasPacked = false;
    mutable QMap<uint, QImage> thumbnails;
    // The thumbnails before the last change, shown while the new ones are
    // made away from a view that does not wait for them: the cell then
    // changes once, not to blank and back.
    mutable QMap<uint, QImage> standIns;
    mutable QSize thumbnailSize = QSize(-1, -1);
    std::unique_ptr<CompoundStroke> root;
    // Where the draw buffer has any coverage; found when first needed after
    // the buffer changed, so painting touches only that part.
    mutable QRect inkBounds;
    mutable bool inkBoundsKnown = false;
    // Names the drawing and the state of its buffer in the cache of
    // coloured coverage.
    quint64 number = ColouredInkCache::newNumber();
    quint64 version = ColouredInkCache::newNumber();

    ~StrokeDrawingPrivate()
    {
        ColouredInkCache::remove(number);
        ThumbnailMaker::forget(number);
    }

    // Every change of the draw buffer goes through here.
    void bufferChanged()
    {
        inkBoundsKnown = false;
        version = ColouredInkCache::newNumber();
    }

    bool hasCoverage() const { return hasPacked || !drawBuffer.isNull(); }

    // The draw buffer, made from the stored form when there is one.
    QImage const& unpacked() const
    {
        if (hasPacked) {
            drawBuffer = packed.toQImage();
            packed = RleImage();
            hasPacked = false;
        }
        return drawBuffer;
    }

    // The coverage inside area (which must lie inside the drawing), without
    // making the whole buffer.
    QImage coverageIn(QRect const& area) const
    {
        if (hasPacked)
            return packed.toQImage(area);
        return constView(drawBuffer, area);
    }

    QRect const& bufferInkBounds() const
    {
        if (!inkBoundsKnown) {
            inkBounds = drawBuffer.isNull() ? QRect() : inkBoundsOf(drawBuffer);
            inkBoundsKnown = true;
        }
        return inkBounds;
    }
};

StrokeDrawing::StrokeDrawing(QSize const& size)
    : d(std::make_unique<StrokeDrawingPrivate>())
{
    d->size = size;
    d->root = std::make_unique<CompoundStroke>();
}

StrokeDrawing::StrokeDrawing(StrokeDrawing const& other)
    : Drawing(other)
    , d(std::make_unique<StrokeDrawingPrivate>())
{
    d->size = other.d->size;
    d->drawBuffer = other.d->drawBuffer;
    d->packed = other.d->packed;
    d->hasPacked = other.d->hasPacked;
    d->thumbnails = other.d->thumbnails;
    d->thumbnailSize = other.d->thumbnailSize;
    d->root = std::make_unique<CompoundStroke>(*other.d->root);
    d->inkBounds = other.d->inkBounds;
    d->inkBoundsKnown = other.d->inkBoundsKnown;
}

StrokeDrawing::~StrokeDrawing() = default;

int StrokeDrawing::type() const
{
    return StrokeDrawingType;
}

StrokeDrawing* StrokeDrawing::clone() const
{
    return new StrokeDrawing(*this);
}

QSize StrokeDrawing::size() const
{
    return d->size;
}

bool StrokeDrawing::isUsableSize(QSize const& size)
{
    return size.width() >= 1 && size.height() >= 1 && size.width() <= maximumSide
           && size.height() <= maximumSide;
}

QImage const& StrokeDrawing::buffer() const
{
    return d->unpacked();
}

bool StrokeDrawing::hasCoverage() const
{
    return d->hasCoverage();
}

CompoundStroke const* StrokeDrawing::rootStroke() const
{
    return d->root.get();
}

int StrokeDrawing::numTotalStrokes() const
{
    return d->root->numTotalStrokes();
}

void StrokeDrawing::contentChanged()
{
    d->bufferChanged();
    invalidateThumbnail();
    setCopyId(QUuid());
}

void StrokeDrawing::updateDrawbuffer()
{
    updateDrawbuffer(QRect(QPoint(0, 0), d->size));
}

void StrokeDrawing::updateDrawbuffer(QRect const& rect)
{
    d->bufferChanged();
    // A redraw of the whole drawing needs nothing of the old coverage.
    if (d->hasPacked && rect.contains(QRect(QPoint(0, 0), d->size))) {
        d->packed = RleImage();
        d->hasPacked = false;
    }
    d->unpacked();
    if (d->root->isEmpty() || !isUsableSize(d->size)) {
        d->drawBuffer = QImage();
        return;
    }
    QRect area = rect;
    if (d->drawBuffer.isNull() || d->drawBuffer.size() != d->size) {
        d->drawBuffer = QImage(d->size, QImage::Format_Alpha8);
        if (d->drawBuffer.isNull()) {
            qWarning("StrokeDrawing: no memory for a %dx%d draw buffer", d->size.width(),
                     d->size.height());
            return;
        }
        area = d->drawBuffer.rect();
    }
    area &= d->drawBuffer.rect();
    if (area.isEmpty())
        return;
    Blending::fillImage(d->drawBuffer, area, 0);
    d->root->draw(d->drawBuffer, area, QTransform(), QPoint(0, 0), 1.0);
}

bool StrokeDrawing::appendStroke(std::unique_ptr<Stroke> stroke)
{
    if (!stroke)
        return false;

    bool const usable = isUsableSize(d->size);
    d->unpacked();
    if (stroke->type() != 0) {
        if (usable) {
            if (d->drawBuffer.isNull())
                d->drawBuffer = blankCoverage(d->size);
            if (!d->drawBuffer.isNull())
                stroke->draw(d->drawBuffer, withRim(stroke->boundingRect()), QTransform(),
                             QPoint(0, 0), 1.0);
        }
    } else {
        auto* single = static_cast<SingleStroke*>(stroke.get());
        bool const pen = single->isPen();
        if (!pen && d->root->isEmpty())
            return false;
        if (usable) {
            // A live stroke brings its coverage along at the drawing's size;
            // any other is drawn here, so that it never blends misaligned.
            QImage coverage = single->buffer();
            if (coverage.isNull() || coverage.size() != d->size) {
                coverage = blankCoverage(d->size);
                if (!coverage.isNull())
                    single->draw(coverage, withRim(single->boundingRect()), QTransform(),
                                 QPoint(0, 0), 1.0);
            }
            if (!d->drawBuffer.isNull())
                Blending::blendImages(d->drawBuffer, coverage, coverage.rect(), pen);
            else if (pen && d->root->isEmpty())
                d->drawBuffer = coverage;
        }
        single->releaseBuffer();
    }

    d->root->appendStroke(std::move(stroke));
    // A buffer that could not be made earlier is made from all strokes now.
    if (usable && d->drawBuffer.isNull())
        updateDrawbuffer();
    contentChanged();
    return true;
}

std::unique_ptr<Stroke> StrokeDrawing::removeLastStroke()
{
    std::unique_ptr<Stroke> last = d->root->removeLastStroke();
    if (!last)
        return nullptr;
    // Right after a refit the root still places its children.
    updateDrawbuffer(withRim(d->root->transform().mapRect(last->boundingRect())));
    contentChanged();
    return last;
}

bool StrokeDrawing::appendCut(QPainterPath const& path)
{
    QRect const area = path.boundingRect().toAlignedRect();
    d->root->ensureIdentityTransform();
    bool const changed = d->root->appendCut(path);
    if (changed) {
        updateDrawbuffer(withRim(area));
        contentChanged();
    }
    return changed;
}

bool StrokeDrawing::collapseVectorData(int ratio, QRect clip, QProgressDialog* progress)
{
    // Nothing to collapse; collapsing would leave an empty bitmap behind
    // that counts as a stroke.
    if (d->root->isEmpty())
        return true;
    if (!d->root->collapseVectorData(ratio, clip, progress))
        return false;
    updateDrawbuffer();
    contentChanged();
    return true;
}

std::unique_ptr<Stroke> StrokeDrawing::createNewFloatingSelection(QPainterPath const& lasso) const
{
    auto lifted = std::make_unique<CompoundStroke>(*d->root);
    lifted->ensureIdentityTransform();
    lifted->setBoundingPath(lasso);
    return lifted;
}

void StrokeDrawing::draw(QPainter* painter, QList<unsigned int> const& colors,
                         QRect const& rect) const
{
    if (!painter || !d->hasCoverage() || colors.isEmpty())
        return;
    // Blank coverage shows nothing unless the table gives it a colour.
    QRect const area = rect & (qAlpha(colors.constFirst()) == 0 ? d->bufferInkBounds()
                                                                 : QRect(QPoint(0, 0), d->size));
    if (area.isEmpty())
        return;
    bool const premultiplied = paintsPremultiplied(painter);
    ColourTable const table = colourTable(colors, painter, premultiplied);
    if (table[0] != 0u) {
        QImage const coverage = d->coverageIn(area);
        if (!coverage.isNull())
            paintCoverage(painter, coverage, coverage.rect(), area.topLeft(), table, premultiplied);
        return;
    }
    // The ink in these colours is kept for the next paint: a composite then
    // only blends.
    QRect const& ink = d->bufferInkBounds();
    ColouredInk coloured = ColouredInkCache::find(d->number, d->version, table, premultiplied);
    if (coloured.isNull()) {
        QImage const coverage = d->coverageIn(ink);
        if (!coverage.isNull())
            coloured = ColouredInk::make(coverage, coverage.rect(), table, premultiplied);
        ColouredInkCache::insert(d->number, d->version, table, premultiplied, coloured);
    }
    coloured.paint(painter, ink, area);
}

void StrokeDrawing::draw(QPainter* painter, QList<unsigned int> const& colors, QRect const& rect,
                         SingleStroke const* liveStroke) const
{
    if (!painter || !liveStroke || colors.isEmpty())
        return;
    QImage const& strokeBuffer = liveStroke->buffer();
    if (strokeBuffer.isNull() || strokeBuffer.depth() != 8)
        return;
    bool const premultiplied = paintsPremultiplied(painter);
    ColourTable const table = colourTable(colors, painter, premultiplied);

    if (d->unpacked().isNull()) {
        if (!liveStroke->isPen())
            return;
        QRect const area = rect & strokeBuffer.rect();
        paintCoverage(painter, strokeBuffer, area, area.topLeft(), table, premultiplied);
        return;
    }

    // Both images are read only where they overlap; should the stroke's
    // buffer be smaller than the drawing, the rest shows the drawing alone.
    QRect const visible = rect & d->drawBuffer.rect();
    QRect const area = visible & strokeBuffer.rect();
    if (!area.isEmpty()) {
        QImage combined = d->drawBuffer.copy(area);
        Blending::blendImages(combined, constView(strokeBuffer, area), combined.rect(),
                              liveStroke->isPen());
        paintCoverage(painter, combined, combined.rect(), area.topLeft(), table, premultiplied);
    }
    QRect const inked =
        qAlpha(colors.constFirst()) == 0 ? visible & d->bufferInkBounds() : visible;
    QRegion const rest = QRegion(inked).subtracted(QRegion(area));
    for (QRect const& part : rest)
        paintCoverage(painter, d->drawBuffer, part, part.topLeft(), table, premultiplied);
}

QImage StrokeDrawing::thumbnail(QSize const& size, QList<unsigned int> const& colors) const
{
    if (size.width() < 0 || size.height() < 0 || colors.isEmpty())
        return QImage();
    if (size != d->thumbnailSize) {
        d->thumbnailSize = size;
        d->thumbnails.clear();
        d->standIns.clear();
        ThumbnailMaker::forget(d->number);
    }
    uint const key = colors.constFirst();
    auto const cached = d->thumbnails.constFind(key);
    if (cached != d->thumbnails.constEnd())
        return cached.value();
    if (!d->hasCoverage())
        return QImage();

    // The stored form is decoded for the moment only: thumbnails of every
    // cell must not bring every buffer back.
    QImage image;
    if (ThumbnailMaker::isDeferring()) {
        // Copies that share the pixels: an edit meanwhile detaches the
        // drawing's own.
        auto coverage = [packed = d->packed, hasPacked = d->hasPacked, buffer = d->drawBuffer] {
            return hasPacked ? packed.toQImage() : buffer;
        };
        image = ThumbnailMaker::instance()->take(d->number, d->version, size, colors, coverage);
        if (image.isNull())
            return d->standIns.value(key);
    } else {
        image = ThumbnailMaker::make(d->hasPacked ? d->packed.toQImage() : d->drawBuffer, size,
                                     colors);
    }
    if (image.isNull())
        return QImage();
    d->thumbnails.insert(key, image);
    d->standIns.remove(key);
    return image;
}

void StrokeDrawing::invalidateThumbnail()
{
    if (!d->thumbnails.isEmpty())
        d->standIns = d->thumbnails;
    d->thumbnails.clear();
    ThumbnailMaker::forget(d->number);
}

void StrokeDrawing::changeFrameSize(QSize const& newSize, KW::FitMode fitMode)
{
    if (!isUsableSize(newSize)) {
        qWarning("StrokeDrawing: frame size %dx%d refused", newSize.width(), newSize.height());
        return;
    }
    if (d->size.width() > 0 && d->size.height() > 0)
        d->root->setTransform(d->root->transform() * frameFitTransform(d->size, newSize, fitMode));
    d->size = newSize;
    d->thumbnails.clear();
    updateDrawbuffer();
}

void StrokeDrawing::add(Drawing const* other)
{
    auto const* strokes = dynamic_cast<StrokeDrawing const*>(other);
    if (!strokes || strokes->d->root->isEmpty())
        return;
    auto copy = std::make_unique<CompoundStroke>(*strokes->d->root);
    copy->ensureIdentityTransform();
    appendStroke(std::move(copy));
}

QDataStream& operator<<(QDataStream& stream, StrokeDrawing const& drawing)
{
    stream << drawing.d->size;
    drawing.d->root->serialize(stream);
    if (drawing.d->hasPacked)
        stream << StrokeDrawing::BufferFollows << drawing.d->packed;
    else if (drawing.d->drawBuffer.isNull())
        stream << StrokeDrawing::NoBuffer;
    else
        stream << StrokeDrawing::BufferFollows << RleImage(drawing.d->drawBuffer);
    return stream;
}

QDataStream& operator>>(QDataStream& stream, StrokeDrawing& drawing)
{
    StrokeDrawing::StrokeDrawingPrivate& d = *drawing.d;
    d.root = std::make_unique<CompoundStroke>();
    d.drawBuffer = QImage();
    d.packed = RleImage();
    d.hasPacked = false;
    d.bufferChanged();
    drawing.invalidateThumbnail();

    QSize stored;
    stream >> stored;
    if (stream.status() != QDataStream::Ok)
        return stream;
    if (!StrokeDrawing::isUsableSize(stored)) {
        stream.setStatus(QDataStream::ReadCorruptData);
        return stream;
    }
    // The cell's layer decides the size; the stream only fills in a drawing
    // that has none, such as a placeholder.
    if (!StrokeDrawing::isUsableSize(d.size))
        d.size = stored;

    stream >> *d.root;
    // Checked before anything is drawn: redrawing is what such a drawing
    // would cost most.
    if (!isWithinBudget(*d.root)) {
        d.root = std::make_unique<CompoundStroke>();
        stream.setStatus(QDataStream::ReadCorruptData);
    }
    if (stream.status() == QDataStream::Ok && !stream.atEnd()) {
        qint32 tag = 0;
        stream >> tag;
        if (stream.status() == QDataStream::Ok && tag == StrokeDrawing::BufferFollows) {
            RleImage rle;
            stream >> rle;
            // Only a buffer of the drawing's own size is taken: the stored
            // size alone must not decide how much memory a few bytes take.
            // It stays in its stored form when writing it again gives the
            // same bytes, else it is decoded as any other.
            if (stream.status() == QDataStream::Ok && rle.size() == d.size && !d.root->isEmpty()) {
                QRect ink;
                if (rle.isCanonical(&ink)) {
                    d.packed = std::move(rle);
                    d.hasPacked = true;
                    d.inkBounds = ink;
                    d.inkBoundsKnown = true;
                } else {
                    d.drawBuffer = rle.toQImage();
                }
            }
        }
    }
    if (!d.hasCoverage())
        drawing.updateDrawbuffer();
    drawing.invalidateThumbnail();
    return stream;
}

} // namespace Model
