#pragma once

#include "strokes/Stroke.h"

#include <QPainterPath>
#include <QRect>
#include <QTransform>

#include <memory>

class QProgressDialog;

namespace Model {

// An ordered tree of strokes drawn as one. A compound owns its children, a
// transform that places them, a bounding path outside which nothing of it is
// shown and a cut path inside which nothing is shown; both paths are in the
// children's coordinates. Cuts and transforms never touch the geometry of
// single strokes: they act when the compound draws. Appending to a compound
// that has a cut or a transform first pushes its old content down one level,
// so that the cut or transform stays with the strokes it was made for.
class CompoundStroke : public Stroke
{
public:
    // Deepest nesting a stream may describe; anything deeper is damage. Each
    // level is one cut or transform followed by more drawing, so a thousand
    // is far beyond real work, and every walk through the tree recurses once
    // per level (under a kilobyte of stack each).
    static constexpr int MaximumNestingDepth = 1024;

    CompoundStroke();
    CompoundStroke(const CompoundStroke& other);
    CompoundStroke& operator=(const CompoundStroke&) = delete;
    ~CompoundStroke() override;

    int type() const override { return 1; }
    std::unique_ptr<Stroke> clone() const override;

    // False, with nothing changed, for a null stroke.
    bool appendStroke(std::unique_ptr<Stroke> stroke);
    // The last child, or null when there is none.
    std::unique_ptr<Stroke> removeLastStroke();

    int numStrokes() const;
    // Every child counts 1, and a compound child adds its own total.
    int numTotalStrokes() const;
    const Stroke* strokeAt(int index) const;

    bool isEmpty() const override;
    QRect boundingRect() const override;

    bool hasCut() const;
    QPainterPath cutPath() const;
    bool hasTransform() const;
    QTransform transform() const;
    void setTransform(const QTransform& transform);
    // Makes the transform the identity without moving anything on screen:
    // the old transform goes down with the content.
    void ensureIdentityTransform();

    QPainterPath boundingPath() const;
    // Also drops the children entirely outside a non-empty path.
    void setBoundingPath(const QPainterPath& path);

    // Unites the path into the cut and drops the children entirely inside
    // the whole cut. False, with nothing changed, when there are no children.
    bool appendCut(const QPainterPath& path);

    // Both take the path in the compound's outer coordinates and drop the
    // children that end up empty. clipInsidePath always returns true.
    bool clipInsidePath(QPainterPath path) override;
    void clipOutsidePath(QPainterPath path) override;

    // Adds the compound's coverage over the target with the pen table;
    // erasers inside it affect only its own content.
    QRect draw(QImage& target, const QRect& rect, const QTransform& transform,
               const QPoint& textureOffset, double renderScale) const override;
    // As above, advancing the dialog by one per child and stopping at the
    // next child once it is cancelled (a null rectangle then).
    QRect draw(QImage& target, const QRect& rect, const QTransform& transform,
               const QPoint& textureOffset, double renderScale, QProgressDialog* progress) const;

    // Replaces the whole content by one bitmap stroke rendered at ratio times
    // the drawing's resolution, within clip when it is valid. False, with
    // the compound unchanged, when cancelled or when no image can be made.
    bool collapseVectorData(int ratio, QRect clip, QProgressDialog* progress);

    void serialize(QDataStream& stream) const override;

private:
    void pushDown();
    // The bounds from every child again, and then from the paths.
    void updateBounds();
    // The bounds from the children's union as it stands, and the paths.
    void limitBounds();
    // A child's rectangle placed by the transform; null for what cannot
    // widen the compound.
    QRect placedBounds(const Stroke& child) const;
    QRect drawChildren(QImage& scratch, const QRect& rect, const QTransform& transform,
                       const QPoint& textureOffset, double renderScale,
                       QProgressDialog* progress) const;

    class CompoundStrokePrivate;
    std::unique_ptr<CompoundStrokePrivate> d;

    // Reads the stream form into this compound, which lies depth levels
    // deep (the outermost at 1).
    void readFrom(QDataStream& stream, int depth);

    friend QDataStream& operator>>(QDataStream& stream, CompoundStroke& stroke);
};

// Reads the form written by serialize, appending after the existing
// children. Damaged data (a negative count, nesting deeper than
// MaximumNestingDepth, malformed paths, implausible numbers, a short stream)
// leaves the stream's status other than Ok; reading stops there.
QDataStream& operator>>(QDataStream& stream, CompoundStroke& stroke);

} // namespace Model
