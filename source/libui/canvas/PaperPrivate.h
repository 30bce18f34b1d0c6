#pragma once

// The canvas's private data, shared by the files that implement UI::Paper:
// the view transform (PaperView.cpp), painting (PaperPainting.cpp), the scene
// binding (Paper.cpp) and, as they come, input routing and the gestures.

#include "canvas/Paper.h"

#include <QBrush>
#include <QLinearGradient>
#include <QPainterPath>
#include <QPointF>
#include <QRect>
#include <QRectF>
#include <QTransform>

#include <climits>
#include <memory>
#include <optional>

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
    int minScrubOffset = INT_MIN;
    int maxScrubOffset = INT_MAX;

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
    void emitZoomLevelChanged();
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
};

} // namespace UI
