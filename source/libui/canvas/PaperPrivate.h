#pragma once

// The canvas's private data, shared by the files that implement UI::Paper:
// the view transform (PaperView.cpp), painting (PaperPainting.cpp), the scene
// binding (Paper.cpp), input routing (PaperInput.cpp), and one file per
// gesture: the stroke, the view gestures, the trackpad gestures, off-pegs,
// the lasso, scrubbing and pen adjustment, and the floating selection's
// display and drag.

#include "canvas/Paper.h"
#include "canvas/PaperPointer.h"
#include "canvas/PenAdjustmentGesture.h"
#include "canvas/ScrubGesture.h"
#include "strokes/SingleStroke.h"
#include "strokes/Stroke.h"

#include <QBrush>
#include <QLinearGradient>
#include <QPainterPath>
#include <QPointF>
#include <QRect>
#include <QRectF>
#include <QTimer>
#include <QTransform>

#include <memory>
#include <optional>

class QGestureEvent;
class QHelpEvent;
class QNativeGestureEvent;
class QPainter;
class QSvgRenderer;

namespace Model {
class Scene;
class SingleStroke;
}

namespace UI {

class Paper::PaperPrivate
{
public:
    explicit PaperPrivate(Paper* paper);
    ~PaperPrivate();

    // A change about a point (in QTransform builder order: translate to the
    // point, change, translate back), the point itself staying put.
    static QTransform aboutPoint(const QPointF& point, const QTransform& change)
    {
        return QTransform::fromTranslate(-point.x(), -point.y()) * change
               * QTransform::fromTranslate(point.x(), point.y());
    }

    Paper* const q;

    // --- Press state ---------------------------------------------------------
    bool tabletPressed = false;
    bool mousePressed = false;
    bool gestureActive = false;
    bool nativeGestureActive = false;
    bool anyPressed() const
    {
        return tabletPressed || mousePressed || gestureActive || nativeGestureActive;
    }

    // --- Scene binding -------------------------------------------------------
    Model::KWScene* kwscene = nullptr;
    Model::Scene* scene = nullptr;
    QRectF frameRect;

    // --- View ----------------------------------------------------------------
    QRect viewRect;    // the widget less the top widget's band
    QPointF viewCenter;
    double devicePixelRatio = 1.0;
    QPointF pan;
    double angle = 0.0;
    double scale = 1.0; // paper units per widget unit
    bool mirror = false;
    std::optional<QTransform> savedQuickZoomView;
    bool savedQuickZoomMirror = false;
    Model::Tool::Type toolType = Model::Tool::NoTool;

    QTransform mirrorTransform; // M
    QTransform viewBase;        // B
    QTransform liveDelta;       // R
    QTransform view;            // T = B then R
    QTransform offPegs;         // O
    QTransform liveOffPegs;     // L
    QTransform offPegsTotal;    // P = O then L
    QTransform full;            // F = T then P

    QWidget* topWidget = nullptr;
    int shadowHeight = 32;
    QRectF shadowRect;
    QLinearGradient shadowGradient;

    // Folds the partial transforms into T, P and F and re-derives what
    // follows them (grid overlay).
    void compose();
    // Re-reads pan, angle and scale from the view base and signals changes.
    void decompose();
    // The view base with mirror, scale, rotation and pan as stored.
    QTransform viewBaseFromParts() const;
    void rebuildMirrorTransform();
    // Every transform back to identity; the view base keeps only the mirror.
    void resetTransforms();
    // A gesture's live changes and the floating selection's chain back to
    // identity; the view and the off-pegs transform stay.
    void dropLiveTransforms();

    // The pointer when it is over the view, else the view centre.
    QPointF zoomAnchor() const;
    // Scales the view base about the paper point under a widget point so
    // that the zoom level becomes the given one, clamped to [1/16, 16].
    void scaleAbout(const QPointF& anchor, double zoomLevel);
    // Zoom step: to a level about the pointer or the view centre.
    void zoomTo(double zoomLevel);
    // Rotation step: to an absolute angle about the view centre; commits a
    // live off-pegs drag.
    void rotateTo(double degrees);
    void setMirror(bool mirror);
    // The zoom level at which the pegged and the off-pegs frame fit the view
    // when it is turned to the angle.
    double fit(double degrees) const;
    // The pegged and the off-pegs frame's widget bounding box.
    QRectF framesOnWidget() const;
    void centerFrame();
    // Reports a zoom level; listeners are not told the same scale twice.
    void emitZoomLevelChanged(double reportedScale);
    double lastReportedScale = 1.0;
    void layoutTopWidget();

    // --- Painting (PaperPainting.cpp) ----------------------------------------
    QBrush linenBrush;
    QColor gridColor{214, 225, 211, 127};
    QColor offPegsGlowColor{51, 123, 52, 50};
    std::unique_ptr<QSvgRenderer> panSymbol;
    std::unique_ptr<QSvgRenderer> rotateSymbol;
    std::unique_ptr<QSvgRenderer> zoomSymbol;
    std::unique_ptr<QSvgRenderer> offPegsPanSymbol;
    std::unique_ptr<QSvgRenderer> offPegsRotateSymbol;
    std::unique_ptr<QSvgRenderer> offPegsButton;
    std::unique_ptr<QSvgRenderer> offPegsButtonClick;
    std::unique_ptr<QSvgRenderer> offPegsButtonHover;
    KW::GridStatus gridStatus = KW::GridStatus::GridOff;
    KW::GridType gridType = KW::GridType::FieldGuide;
    QPainterPath gridPaths[5];
    QPainterPath gridOverlay;
    KW::TransparencyType transparencyType = KW::TransparencyType::TransparencyWhite;
    QBrush transparencyBrush{Qt::white};
    QPainterPath symbolCircle;
    QRectF offPegsSymbolRect;
    QPainterPath offPegsButtonShape;

    void loadArtwork();
    void rebuildGridPaths();
    void remapGrid();
    void rebuildTransparencyBrush();
    void layoutCenterOverlays();
    void paint(QPainter& painter, const QRect& exposed);
    void paintOffPegsOverlay(QPainter& painter, const QRect& exposed,
                             const QPainterPath& peggedFrame);
    void paintToolSymbols(QPainter& painter);

    // --- Display state set by the gestures -----------------------------------
    // Combined zoom/pan/rotate tool: the locked zone (0 pan, 1 rotate, 2
    // zoom, 3 none), where its symbols go and its zones.
    int combinedMode = 3;
    QRectF combinedSymbolRects[3];
    QPainterPath panZone;
    QPainterPath rotateZone;
    // Off-pegs tool: the zone under the pointer and the zone where the press
    // began (0 rotate, 1 move, 2 button, 3 none).
    int offPegsHoverZone = 3;
    int offPegsMode = 3;
    // The outline being lassoed, owned from press to release.
    std::unique_ptr<Model::SingleStroke> lassoStroke;

    // --- Input routing (PaperInput.cpp) --------------------------------------
    QPointF pressPoint;
    QPointF gestureStart; // where the view and off-pegs gestures measure from
    QPointF handleOffset; // press point less the turn-and-scale handle's centre
    QPointF lastPosition;
    QPointF lastPressPosition;
    QPointF mouseAnchor; // the hover sample before the latest; null: none
    QPointF mouseHover;
    QPointF tabletAnchor;
    QPointF tabletHover;
    quint64 lastTabletPressTime = 0;
    quint64 lastTabletReleaseTime = 0;

    PaperPointer pointer(const QPointF& position, double pressure, quint64 timestamp,
                         Qt::KeyboardModifiers modifiers) const;
    bool isLassoReady() const;
    void takePress(const QPointF& position);
    void routePress(const PaperPointer& pointer, bool tablet);
    void routeMove(const PaperPointer& pointer);
    void routeRelease(const PaperPointer& pointer);
    void hover(const QPointF& position, bool tablet);

    // --- The stroke (StrokeGesture.cpp) --------------------------------------
    Model::Stroke::GuidePoint guidePoint(const PaperPointer& pointer) const;
    void addBlankDrawingOnVirtualFrame();
    void beginStroke(const PaperPointer& pointer, const QPointF& anchor);
    void addStrokePoint(const PaperPointer& pointer);
    void finishStroke();

    // --- Scrubbing and pen adjustment (ScrubbingAndPenAdjustment.cpp) --------
    ScrubGesture scrub;
    PenAdjustmentGesture penAdjustment;
    void processScrubbingPress();
    void processScrubbingMove(const QPointF& p);
    void processScrubbingRelease(const QPointF& p);
    void processPenAdjustmentPress();
    void processPenAdjustmentMove(const QPointF& p);
    void processPenAdjustmentRelease();

    // --- View gestures (ViewGestures.cpp) ------------------------------------
    double zoomDelta = 1.0;
    QPointF combinedCenter;
    int shownZone = 3;
    QTransform rotationAbout(const QPointF& widgetCentre, const QPointF& from,
                             const QPointF& to) const;
    void processZprMove(const QPointF& p);
    void zoomDrag(const QPointF& start, const QPointF& p);
    void commitViewGesture();
    void processZprReset(const QPointF& p);
    void buildCombinedZprZones(const QPointF& centre);
    int combinedZone(const QPointF& p) const;
    void processCombinedZPRPress(const QPointF& p);
    void processCombinedZPRMove(const QPointF& p);
    void processCombinedZPRRelease(const QPointF& p);
    void processCombinedZPRReset(const QPointF& p);
    void updateCombinedZPRCursor(const QPointF& p);

    // --- Trackpad gestures (TrackpadGestures.cpp) ----------------------------
    // The offset of the running pan gesture, shared by all canvases.
    static QPointF panOffset;
    void commitGesture();
    // Multiplies the scale by a factor about a widget point.
    void rescale(double factor, const QPointF& p);
    bool gestureEvent(QGestureEvent* event);
    bool nativeGestureEvent(QNativeGestureEvent* event);
    bool toolTipEvent(QHelpEvent* event);

    // --- Off-pegs gesture (OffPegsGesture.cpp) -------------------------------
    int offPegsCursorZone = 3;
    int offPegsZone(const QPointF& p) const;
    void repaintOffPegsButton();
    void updateOffPegs(const QPointF& p);
    void processOffPegsPress(const QPointF& p);
    void processOffPegsMove(const QPointF& p);
    void processOffPegsRelease(const QPointF& p);

    // --- Lasso (LassoGesture.cpp) --------------------------------------------
    Model::Stroke::GuidePoint lassoPoint(const QPointF& position, double pressure,
                                         unsigned long timestamp) const;
    void repaintLasso();
    void processLassoingPress(const QPointF& position, double pressure, unsigned long timestamp);
    void processLassoingMove(const QPointF& position, double pressure, unsigned long timestamp);
    void processLassoingRelease(const QPointF& position, double pressure, unsigned long timestamp);

    // --- Floating selection (FloatingSelectionDisplay.cpp, ...Gesture.cpp) ---
    enum HandlePath {
        Pivot,
        PivotStar,
        Rotate,
        Scale,
        ScaleRotate,
        FlipHorizontal, // the diamond, then its two triangles
        FlipHorizontalFirst,
        FlipHorizontalSecond,
        FlipVertical,
        FlipVerticalFirst,
        FlipVerticalSecond,
        HandlePathCount
    };
    QRectF selectionRect;
    QPainterPath selectionOutline;
    Model::FloatingSelection::Transform selection;
    QTransform selectionDeltas[3]; // of first, second and third
    QTransform selectionChain;     // S: drawing to selection coordinates
    QPointF pivotOffset;
    int activeHandle = 7;
    int hoveredHandle = 7;
    QPainterPath handlePaths[HandlePathCount];
    bool pivotVisible = true;
    QTimer autoScrollTimer;
    bool scrollRight = false;
    bool scrollLeft = false;
    bool scrollBottom = false;
    bool scrollTop = false;

    void composeSelection();
    void rebuildHandles();
    QTransform selectionToWidget() const;
    double selectionTurn() const;
    bool selectionMirrored() const;
    int floatingSelectionHandleAt(const QPointF& p) const;
    void updateCursorAngle(int handle);
    QRect floatingSelectionArea() const;
    void paintFloatingSelection(QPainter& painter, bool withHandles);
    void processFloatingSelectionPress(const QPointF& p, Qt::KeyboardModifiers modifiers);
    void processFloatingSelectionMove(const QPointF& p, Qt::KeyboardModifiers modifiers);
    void processFloatingSelectionRelease(const QPointF& p);
    void commitFloatingSelection();
    void autoScrollStep(double dx, double dy);
};

} // namespace UI
