#pragma once

#include "drawings/Drawing.h"

#include <QRect>

#include <memory>

class QDataStream;
class QPainter;
class QPainterPath;
class QProgressDialog;

namespace Model {

class CompoundStroke;
class SingleStroke;
class Stroke;

// The drawing of a stroke layer's cell: the strokes of one frame, kept in one
// root compound stroke, together with their combined 8-bit coverage (the
// draw buffer). Every edit brings the buffer up to date, so painting a frame
// never rasterises strokes; colour comes in only when painting, through a
// 256-entry table supplied by the layer.
//
// The buffer always has the drawing's size and equals what a redraw of all
// strokes would give; it is null when there are no strokes, and also when
// the drawing has no usable size (a placeholder waiting for its content).
class StrokeDrawing : public Drawing
{
public:
    // Largest width or height a drawing accepts, from a caller or a stream;
    // the stored buffer cannot be larger either.
    static constexpr int maximumSide = 16384;

    // Most strokes (compound wrappers and bitmaps included) and segments a
    // drawing read from a stream may hold. Pen input gives a segment or two
    // per pen event that moved at least a pixel, so a million segments is
    // hours of drawing on one frame; a drawing made by hand holds a few
    // hundred strokes of some thousands of segments.
    static constexpr qint64 maximumStrokes = 100000;
    static constexpr qint64 maximumSegments = 1000000;

    // Codes of the stream form that tell whether a draw buffer follows.
    static constexpr qint32 BufferFollows = 2;
    static constexpr qint32 NoBuffer = -1;

    explicit StrokeDrawing(QSize const& size);
    // Size, buffer, thumbnails and a deep copy of the strokes; not the copy
    // identifier nor the name.
    StrokeDrawing(StrokeDrawing const& other);
    StrokeDrawing& operator=(StrokeDrawing const&) = delete;
    ~StrokeDrawing() override;

    int type() const override;
    StrokeDrawing* clone() const override;
    // The buffer through the colour table, fitted into size and with faint
    // coverage boosted so that thin lines stay visible; cached per size and
    // per colour (the table's first entry). Null without strokes.
    QImage thumbnail(QSize const& size, QList<unsigned int> const& colors) const override;
    void invalidateThumbnail() override;
    // Places the strokes in a frame of the new size as the fit mode says and
    // redraws the buffer at that size.
    void changeFrameSize(QSize const& newSize, KW::FitMode fitMode) override;
    // Puts the whole content of another stroke drawing on top, as one stroke.
    void add(Drawing const* other) override;

    QSize size() const;
    static bool isUsableSize(QSize const& size);

    // Adds a stroke on top. A null stroke, and an eraser on a drawing without
    // strokes, are refused (false) and destroyed.
    bool appendStroke(std::unique_ptr<Stroke> stroke);
    // The topmost stroke, or null when there is none.
    std::unique_ptr<Stroke> removeLastStroke();
    // Cuts the path's area out of the drawing; false when nothing changed.
    bool appendCut(QPainterPath const& path);
    // Replaces the strokes by one bitmap at ratio times the frame's
    // resolution, within clip when it is valid. False, with the drawing
    // unchanged, when cancelled or when no bitmap could be made.
    bool collapseVectorData(int ratio, QRect clip, QProgressDialog* progress);
    int numTotalStrokes() const;
    // A copy of all strokes bounded by the lasso; the drawing is unchanged.
    std::unique_ptr<Stroke> createNewFloatingSelection(QPainterPath const& lasso) const;

    // Paints the part of the buffer inside rect through the colour table.
    void draw(QPainter* painter, QList<unsigned int> const& colors, QRect const& rect) const;
    // As above, with an unfinished stroke's own buffer combined in.
    void draw(QPainter* painter, QList<unsigned int> const& colors, QRect const& rect,
              SingleStroke const* liveStroke) const;

    // The draw buffer: Format_Alpha8 of the drawing's size, or null. A
    // drawing read from a stream keeps its coverage in the compact stored
    // form until this is first asked for.
    QImage const& buffer() const;
    // Whether there is any coverage (buffer() is not null), without making
    // the buffer.
    bool hasCoverage() const;
    CompoundStroke const* rootStroke() const;

    // Redraws the buffer from the strokes, over the whole drawing or over
    // rect only.
    void updateDrawbuffer();
    void updateDrawbuffer(QRect const& rect);

private:
    void contentChanged();

    class StrokeDrawingPrivate;
    std::unique_ptr<StrokeDrawingPrivate> d;

    friend QDataStream& operator<<(QDataStream& stream, StrokeDrawing const& drawing);
    friend QDataStream& operator>>(QDataStream& stream, StrokeDrawing& drawing);
};

// Size, root compound stroke, buffer code and, after BufferFollows, the
// buffer as a run-length image (which leaves the stream at its own version).
// The caller sets version, byte order and floating-point precision.
QDataStream& operator<<(QDataStream& stream, StrokeDrawing const& drawing);

// Replaces the drawing's content. A drawing made with a usable size (a cell
// of a layer) keeps that size whatever the stream says, and only a drawing
// without one takes the stream's size; a stored size outside 1..maximumSide
// is damage. A stored buffer is kept only when it has the drawing's size and
// there are strokes; otherwise the buffer is rebuilt from the strokes. Damage
// leaves the stream's status other than Ok and the drawing with what was read
// before it, its buffer consistent with its strokes. More strokes or segments
// than maximumStrokes and maximumSegments are damage too, and leave the
// drawing without strokes.
QDataStream& operator>>(QDataStream& stream, StrokeDrawing& drawing);

} // namespace Model
