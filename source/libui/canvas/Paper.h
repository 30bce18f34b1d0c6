#pragma once

#include "settings/KW.h"
#include "strokes/FloatingSelection.h"
#include "tools/Tool.h"

#include <QPainterPath>
#include <QTransform>
#include <QWidget>

#include <memory>

class QNativeGestureEvent;
class QGestureEvent;
class QHelpEvent;

namespace Model {
class KWScene;
}

namespace UI {

class PaperGesture;

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

protected:
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

public:
    class PaperPrivate;

private:
    std::unique_ptr<PaperPrivate> d;
};

} // namespace UI
