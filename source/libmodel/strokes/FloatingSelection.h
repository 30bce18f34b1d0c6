#pragma once

#include <QImage>
#include <QMetaType>
#include <QPointF>
#include <QRect>
#include <QTransform>

#include <memory>

class QColor;
class QProgressDialog;
class QWidget;

namespace Model {

class Stroke;

// A lassoed piece of a stroke drawing lifted off so that it can be moved,
// rotated, scaled, mirrored and skewed, and stamped back onto drawings any
// number of times. It keeps the lifted strokes in the coordinates of the
// drawing they came from, a small preview of them in the layer colour, and
// the transform the canvas builds up.
class FloatingSelection
{
public:
    // The canvas accumulates each kind of gesture in its own component.
    struct Transform
    {
        QTransform first;  // scaling and mirroring
        QTransform second; // rotation
        QTransform third;  // translation
        QPointF centre;    // pivot of scaling and rotation, in drawing pixels

        // third applied first, then second, then first.
        QTransform composite() const { return third * second * first; }

        friend bool operator==(Transform const& a, Transform const& b)
        {
            return a.first == b.first && a.second == b.second && a.third == b.third
                   && a.centre == b.centre;
        }
        friend bool operator!=(Transform const& a, Transform const& b) { return !(a == b); }
    };

    // Takes the lifted strokes and their preview (Format_Indexed8 with a
    // 256-entry colour table). The transform starts as the identity with
    // its centre at the middle of the strokes' bounding rectangle.
    FloatingSelection(std::unique_ptr<Stroke> stroke, QImage const& indexedImage, double opacity);
    FloatingSelection(FloatingSelection const&) = delete;
    FloatingSelection& operator=(FloatingSelection const&) = delete;
    ~FloatingSelection();

    // The lifted strokes' bounding rectangle; invalid without strokes.
    QRect boundingRect() const;

    Transform transform() const;
    // A change of translation or centre alone keeps the collapsed stamp,
    // moved along; scaling, mirroring or rotating drops it.
    void setTransform(Transform const& transform);

    // Follows the drawings through a change of the frame size, fit mapping
    // a point of the old frame to its place in the new one: the lifted
    // strokes move and scale with the drawing they came from, and the
    // transform keeps each component's kind (a move stays a move, scaled
    // with the frame), so that the stamp lands where it would have landed,
    // fitted as the drawings are.
    void fitToFrame(QTransform const& fit);

    // Null without strokes.
    QImage indexedImage() const;
    // Rebuilds the preview's colour table: entry i is the colour with i/255
    // of its alpha.
    void updateColor(QColor const& color);

    double opacity() const;
    void setOpacity(double opacity);

    bool collapseOnUse() const;
    void setCollapseOnUse(bool collapse);

    // A new compound stroke to append to a drawing: the lifted strokes under
    // the inverse of the transform, collapsed to a bitmap when collapse on
    // use is set (with a progress dialog on parent, when given). Null
    // without strokes, and when the user cancels the collapse: then nothing
    // is stamped and nothing is cached.
    std::unique_ptr<Stroke> getTransformedStroke(QWidget* parent);
    // As above, reporting a collapse to the caller's dialog (may be null).
    std::unique_ptr<Stroke> getTransformedStrokeWithProgress(QProgressDialog* progress);

private:
    class FloatingSelectionPrivate;
    std::unique_ptr<FloatingSelectionPrivate> d;
};

} // namespace Model

Q_DECLARE_METATYPE(Model::FloatingSelection::Transform)
