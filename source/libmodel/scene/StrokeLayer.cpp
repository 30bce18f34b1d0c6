#include "scene/StrokeLayer.h"

#include "drawings/StrokeDrawing.h"
#include "scene/LayerItem.h"
#include "strokes/FloatingSelection.h"
#include "strokes/SingleStroke.h"
#include "strokes/Stroke.h"

#include <QGuiApplication>
#include <QPainter>
#include <QPainterPath>
#include <QTransform>

#include <algorithm>
#include <cmath>

namespace Model {

namespace {

QList<unsigned int> tableOf(QColor const& color, double alphaStep)
{
    if (std::isnan(alphaStep))
        alphaStep = 0.0;
    // The colour is converted once: a conversion per entry costs more than
    // the table's use in a composite.
    QRgb const rgb = color.rgb();
    QList<unsigned int> table;
    table.reserve(256);
    for (int i = 0; i < 256; ++i) {
        int const alpha = std::clamp(qRound(i * alphaStep), 0, 255);
        table.append(qRgba(qRed(rgb), qGreen(rgb), qBlue(rgb), alpha));
    }
    return table;
}

// Keeps the wait cursor up exactly as long as the preview is being made.
class WaitCursor
{
public:
    WaitCursor() { QGuiApplication::setOverrideCursor(Qt::WaitCursor); }
    ~WaitCursor() { QGuiApplication::restoreOverrideCursor(); }
    WaitCursor(WaitCursor const&) = delete;
    WaitCursor& operator=(WaitCursor const&) = delete;
};

} // namespace

struct StrokeLayer::Data
{
    QColor color;
    QList<unsigned int> colorTable;
};

StrokeLayer::StrokeLayer(QColor const& color, QSize const& frameSize, QObject* parent)
    : DrawLayer(frameSize, parent)
    , d(std::make_unique<Data>())
{
    d->color = color;
    updateColorTable();
    frames().append(blankItem());
}

StrokeLayer::StrokeLayer(StrokeLayer const& other)
    : StrokeLayer(other, true)
{
}

StrokeLayer::StrokeLayer(StrokeLayer const& other, bool withDrawings)
    : DrawLayer(other)
    , d(std::make_unique<Data>())
{
    d->color = other.d->color;
    updateColorTable();

    copyCellsOf(other, withDrawings);
}

StrokeLayer::~StrokeLayer() = default;

int StrokeLayer::type() const
{
    return StrokeLayerType;
}

Layer* StrokeLayer::clone() const
{
    return new StrokeLayer(*this);
}

VisualLayer* StrokeLayer::cloneWithoutDrawings() const
{
    return new StrokeLayer(*this, false);
}

QColor StrokeLayer::color() const
{
    return d->color;
}

QList<unsigned int> const& StrokeLayer::colorTable() const
{
    return d->colorTable;
}

void StrokeLayer::updateColorTable()
{
    d->colorTable.clear();
    d->colorTable.reserve(256);
    for (int i = 0; i < 256; ++i) {
        QColor entry = d->color;
        entry.setAlpha(i);
        d->colorTable.append(entry.rgba());
    }
}

void StrokeLayer::setColor(QColor const& color)
{
    if (color == d->color)
        return;
    d->color = color;
    updateColorTable();
    for (std::shared_ptr<LayerItem> const& cell : frames()) {
        if (cell->kind == LayerItem::Original && cell->drawing)
            cell->drawing->invalidateThumbnail();
    }
}

StrokeDrawing* StrokeLayer::strokeDrawing(int index) const
{
    if (index < 0 || index >= length())
        return nullptr;
    return dynamic_cast<StrokeDrawing*>(frames().at(index)->drawing.get());
}

bool StrokeLayer::appendStroke(int frame, std::unique_ptr<Stroke> stroke)
{
    StrokeDrawing* drawing = isFrameValid(frame) ? strokeDrawing(frame - 1) : nullptr;
    return drawing ? drawing->appendStroke(std::move(stroke)) : false;
}

std::unique_ptr<Stroke> StrokeLayer::removeLastStroke(int frame)
{
    StrokeDrawing* drawing = isFrameValid(frame) ? strokeDrawing(frame - 1) : nullptr;
    return drawing ? drawing->removeLastStroke() : nullptr;
}

bool StrokeLayer::appendCut(int frame, QPainterPath const& path)
{
    StrokeDrawing* drawing = isFrameValid(frame) ? strokeDrawing(frame - 1) : nullptr;
    return drawing ? drawing->appendCut(path) : false;
}

void StrokeLayer::paint(int frame, QPainter* painter, QRect const& rect,
                        QList<unsigned int> const& colorTable,
                        SingleStroke const* liveStroke, bool withLayerOpacity) const
{
    int const shown = shownFrame(frame);
    if (!painter || shown == 0)
        return;
    StrokeDrawing const* drawing = strokeDrawing(shown - 1);
    if (!drawing)
        return;

    painter->save();
    if (withLayerOpacity)
        painter->setOpacity(painter->opacity() * opacity());
    if (liveStroke)
        drawing->draw(painter, colorTable, rect, liveStroke);
    else
        drawing->draw(painter, colorTable, rect);
    painter->restore();
}

void StrokeLayer::draw(int frame, QPainter* painter, QRect const& rect) const
{
    paint(frame, painter, rect, d->colorTable, nullptr);
}

void StrokeLayer::draw(int frame, QPainter* painter, QRect const& rect, bool black) const
{
    if (black)
        paint(frame, painter, rect, tableOf(Qt::black, 1.0), nullptr);
    else
        paint(frame, painter, rect, d->colorTable, nullptr);
}

void StrokeLayer::drawAtFullOpacity(int frame, QPainter* painter, QRect const& rect,
                                    bool black) const
{
    paint(frame, painter, rect, black ? tableOf(Qt::black, 1.0) : d->colorTable, nullptr, false);
}

void StrokeLayer::draw(int frame, QPainter* painter, QRect const& rect,
                       SingleStroke const* liveStroke) const
{
    // Without a stroke in progress the live variant paints nothing at all;
    // the caller paints the plain frame then.
    if (liveStroke)
        paint(frame, painter, rect, d->colorTable, liveStroke);
}

void StrokeLayer::draw(int frame, QPainter* painter, QRect const& rect,
                       QList<unsigned int> const& colorTable) const
{
    paint(frame, painter, rect, colorTable, nullptr);
}

void StrokeLayer::drawBacklight(int frame, QPainter* painter, QRect const& rect, int hueShift,
                                double opacityStep) const
{
    int hue = 0;
    int saturation = 0;
    int value = 0;
    d->color.getHsv(&hue, &saturation, &value);
    // Any shift, however large or negative, turns the hue within 0..359.
    int const shifted = ((hue + hueShift) % 360 + 720) % 360;
    QColor const backlight = QColor::fromHsv(shifted, saturation, value, 255);
    paint(frame, painter, rect, tableOf(backlight, opacityStep), nullptr);
}

QImage StrokeLayer::thumbnail(int frame, QSize const& size) const
{
    StrokeDrawing const* drawing = isFrameValid(frame) ? strokeDrawing(frame - 1) : nullptr;
    return drawing ? drawing->thumbnail(size, d->colorTable) : QImage();
}

std::shared_ptr<LayerItem> StrokeLayer::blankItem() const
{
    return std::make_shared<LayerItem>(LayerItem::Original, QUuid::createUuid(),
                                       std::make_shared<StrokeDrawing>(frameSize()));
}

std::unique_ptr<FloatingSelection> StrokeLayer::createNewFloatingSelection(
    int frame, QPainterPath const& lasso) const
{
    StrokeDrawing const* drawing = isFrameValid(frame) ? strokeDrawing(frame - 1) : nullptr;
    if (!drawing)
        return nullptr;
    std::unique_ptr<Stroke> stroke = drawing->createNewFloatingSelection(lasso);
    if (!stroke || stroke->isEmpty() || stroke->boundingRect().isEmpty())
        return nullptr;

    QImage indexed;
    {
        WaitCursor const wait;
        QRect const r = stroke->boundingRect();
        QSize previewSize = r.size();
        if (previewSize.width() < 25 || previewSize.height() < 25)
            previewSize = previewSize.scaled(25, 25, Qt::KeepAspectRatioByExpanding);
        QSize const limit = frameSize();
        if (limit.width() > 0 && limit.height() > 0
            && (previewSize.width() > limit.width() || previewSize.height() > limit.height()))
            previewSize = previewSize.scaled(limit, Qt::KeepAspectRatio);

        QImage coverage(previewSize, QImage::Format_Alpha8);
        if (!coverage.isNull()) {
            coverage.fill(0);
            QTransform const toPreview =
                QTransform::fromTranslate(-r.left(), -r.top())
                * QTransform::fromScale(double(previewSize.width()) / r.width(),
                                        double(previewSize.height()) / r.height());
            stroke->draw(coverage, coverage.rect(), toPreview, r.topLeft(), 1.0);
            QImage view(coverage.constBits(), coverage.width(), coverage.height(),
                        coverage.bytesPerLine(), QImage::Format_Indexed8);
            view.setColorTable(d->colorTable);
            indexed = view.copy();
        }
    }
    return std::make_unique<FloatingSelection>(std::move(stroke), indexed, opacity());
}

} // namespace Model
