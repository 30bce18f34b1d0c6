#pragma once

#include "settings/KW.h"
#include "strokes/FloatingSelection.h"
#include "tools/Tool.h"

#include <QPainterPath>
#include <QPinchGesture>
#include <QTransform>
#include <QWidget>

#include <memory>


namespace Model {
class KWScene;
}

namespace UI {

// The drawing canvas: the current frame of the current scene shown like a
// sheet of paper on a desk, under a view the user pans, zooms, turns and
// mirrors without touching the drawing.
//
// The view is a chain of transforms from widget to paper coordinates: the
// committed view base (mirror, then scale, rotation and pan), a live delta
// held while a gesture runs, the active cell's off-pegs transform and a live
// off-pegs delta. Gestures build the live parts while the pointer moves and
// fold them into the stored ones when they end, so stored state and its
// signals change only then.
//
// The class is one widget for its callers; its work lives in files by
// concern: the view transform, painting, input routing and one file per
// gesture, all sharing the private data of PaperPrivate.h.
class Paper : public QWidget
{
    Q_OBJECT

public:
    explicit Paper(QWidget* parent = nullptr);
    ~Paper() override;

    double zoomLevel() const;
    double zoomLevelToFit() const;
    bool mirrorView() const;
    QTransform offPegsTransform() const;
    bool isDevicePressed() const;

    KW::GridStatus gridStatus() const;
    KW::GridType gridType() const;
    KW::TransparencyType transparencyType() const;

    // The pan, angle (degrees) and scale (paper units per widget unit) of
    // the committed view.
    QPointF viewPan() const;
    double viewAngle() const;
    double viewScale() const;
    // Widget to paper coordinates of the pegged paper, and of the current
    // (possibly off-pegs) drawing.
    QTransform viewTransform() const;
    QTransform fullTransform() const;

    // The lasso and cutter may act: usable tool state and tools enabled.
    bool isLassoToolIdle() const;

    // One event of the trackpad's pinch and pan gestures, as Qt's gesture
    // framework reports them. The canvas's gesture event hands them on here;
    // the gesture objects' state cannot be set from outside, so this is
    // also where tests come in.
    struct TrackpadGesture
    {
        bool pinch = false;
        Qt::GestureState pinchState = Qt::NoGesture;
        QPinchGesture::ChangeFlags pinchChanges;
        QPointF startCenterPoint;
        QPointF lastCenterPoint;
        QPointF centerPoint;
        double totalScaleFactor = 1.0;
        double lastScaleFactor = 1.0;
        double scaleFactor = 1.0;
        double rotationAngle = 0.0;
        QPointF hotSpot; // in the canvas
        bool pan = false;
        Qt::GestureState panState = Qt::NoGesture;
        QPointF panOffset;
    };
    // Whether the update was taken: none starts while the pen or mouse
    // holds a press.
    bool handleTrackpadGesture(const UI::Paper::TrackpadGesture& gesture);

    QSize sizeHint() const override;

public slots:
    void setCurrentScene(Model::KWScene* kwscene);
    void setZoomLevel(double zoomLevel);
    void setZoomLevelCenteringOnOrigin(double zoomLevel);
    void toggleQuickZoom();
    void rotatePaperTo(double degrees);
    void rotatePaperToNext(double degrees);
    void setMirrorView(bool mirror);
    void resetView();
    void fitToView();
    void updateFrameSize();
    void updateDevicePixelRatio();
    void setOffPegsTransform(QTransform transform);
    void updateTransform();
    void setTopWidget(QWidget* widget);
    void updateUISize();
    void setMinMaxScrubOffset(int minOffset, int maxOffset);
    void returnFlip_Menu();

    void setGridStatus(KW::GridStatus gridStatus);
    void setGridType(KW::GridType gridType);
    void setTransparencyType(KW::TransparencyType transparencyType);

    void setCurrentToolType(Model::Tool::Type type);

    void newFloatingSelection();
    void updateFloatingSelectionBB();
    void updateFloatingSelection(const QPointF& position);
    void setFloatingSelectionTransform(Model::FloatingSelection::Transform transform);

    void autoScrollView();


signals:
    void zoomLevelChanged(double zoomLevel);
    void zoomLevelToFitChanged(double zoomLevel);
    void mirrorViewChanged(bool mirror);
    void offPegsTransformChanged(QTransform transform);
    void lassoingCompleted(QPainterPath path, bool cutLassoPath);
    void floatingSelectionStamped(Qt::KeyboardModifiers modifiers);
    void floatingSelectionTransformChanged(Model::FloatingSelection::Transform transform);
    void devicePressedChanged(bool pressed);
    void scrubOffsetChanged(int offset);
    void rightButtonPressed(Qt::KeyboardModifiers modifiers);
    // The pen or eraser goes down to draw. A receiver that shows another
    // frame than the active one (playback) may make it the active one now;
    // while another frame stays on screen no stroke begins.
    void strokeAboutToBegin();

protected:
    bool event(QEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void wheelEvent(QWheelEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void keyReleaseEvent(QKeyEvent* event) override;
    void leaveEvent(QEvent* event) override;
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void tabletEvent(QTabletEvent* event) override;

public:
    class PaperPrivate;

private:
    std::unique_ptr<PaperPrivate> d;
};

} // namespace UI
