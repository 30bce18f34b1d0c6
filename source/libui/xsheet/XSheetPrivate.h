#pragma once

// The exposure sheet's private data, shared by the source files that
// implement UI::XSheet concern by concern. Not part of the widget library's
// interface.

#include "xsheet/XSheet.h"

#include "strokes/StrokeEngine.h"

#include <QColor>
#include <QHash>
#include <QIcon>
#include <QLinearGradient>
#include <QList>
#include <QMetaObject>
#include <QPainterPath>
#include <QPointer>
#include <QPolygon>
#include <QPropertyAnimation>
#include <QRgb>
#include <QSize>
#include <QTimer>
#include <QTransform>

#include <utility>

namespace Model {
class FrameRangeModel;
class SingleStroke;
}

namespace UI {

class AnnotationGizmo;
class AudioGizmo;
class ColorGizmo;

class XSheet::XSheetPrivate
{
public:
    explicit XSheetPrivate(XSheet* view);
    ~XSheetPrivate();

    // Metrics, icon sizes, gradients and paths at the current UI scale.
    void updateIcons();
    void updateGradients();
    void updateSymbolPaths();
    // Header and footer show the layers in the scene's display order.
    void syncColumnOrder();
    void updateCursor(QPoint const& pos, bool force);
    void setAnnotationCursor(int kind);

    // Gestures.
    void selectThumbnail(QModelIndex const& index, bool start);
    void finishFrameDrag(int row);
    void finishAudioOffsetDrag(QPointF const& pos);
    void cycleLayerBeyondLast(int column);
    // The column whose beyond-last button contains the point, or -1.
    int beyondButtonAt(QPointF const& pos) const;
    QPainterPath beyondButtonPath(int column) const;
    // Drops a frame or audio drag that is still running.
    void cancelDrags();

    // Gizmos.
    void placeGizmos();
    void findGizmoColumns(int count);
    bool gizmoColumnsValid(int count) const;
    // The first and last visual column whose gizmo, shadow included, can
    // reach into the sheet; last < first when there are no columns.
    std::pair<int, int> visualColumnsInReach() const;
    QPoint gizmoAnchor(int column) const;
    ColorGizmo* takeSpareColorGizmo();
    void releaseColorGizmo(ColorGizmo* gizmo);
    void updateGizmosUISize();

    // Annotation images.
    QImage annotationStrokeStrip(int row, Model::SingleStroke const* stroke) const;
    QImage composeAnnotationImage(QModelIndex const& index,
                                  Model::SingleStroke const* stroke) const;
    QImage annotationDisplayImage(QModelIndex const& index) const;
    void buildAnnotationColorTable();

    // The colours of a transparency type; false for a value outside 0..7.
    void applyTransparencyColors(KW::TransparencyType type);

    XSheet* q;

    XSheetHeader* header = nullptr;
    XSheetFooter* footer = nullptr;
    QPointer<Model::FrameRangeModel> model;
    QList<QMetaObject::Connection> modelConnections;

    // Gesture state.
    QPoint pressPosition;
    QPersistentModelIndex pressIndex;
    QPersistentModelIndex anchorIndex;
    bool frameDragRunning = false;
    bool slideMode = false;
    bool audioDragRunning = false;
    double lastTemporaryAudioOffset = 0.0;
    bool tabletDown = false;
    QTimer* tabletTimer = nullptr;
    int pressedBeyondColumn = -1;
    int hoveredBeyondColumn = -1;

    // Geometry.
    int cellWidthCut = 3; // cell width = section size - 3
    int cellTopInset = 1;
    int cellLeftInset = 1;
    int annotationImageFrameHeight = 56;
    int rowHeight = 28;
    int shadowBandHeight = 32;
    int topMargin = 18;
    int bottomMargin = 6;
    bool showBeyondButtons = false;
    bool scrollToCenter = true;
    bool savedScrollToCenter = true;
    bool verticalScrollAnimationEnabled = true;
    bool geometriesPending = false; // a relayout after resized sections is queued
    QPropertyAnimation* scrollAnimation = nullptr;
    QSize layerRefIconSize;
    QSize layerPaintIconSize;
    QSize chevronIconSize;
    QSize backlightIconSize;

    // Gizmos and the opacity slider's column. Colour gizmos, keyed by
    // column, stand only on the stroke columns within reach of the sheet and
    // on columns whose gizmo is still open; those scrolled away wait hidden
    // for reuse. A gizmo on every column made each repaint of the window walk
    // them all for every widget repainted: the square of the layer count.
    QHash<int, ColorGizmo*> colorGizmos;
    QList<ColorGizmo*> spareColorGizmos;
    AnnotationGizmo* annotationGizmo = nullptr;
    AudioGizmo* audioGizmo = nullptr;
    // The columns of the audio and annotation gizmos, -1 for none, found by
    // a pass over all columns when the columns change, not on every scroll.
    int audioGizmoColumn = -1;
    int annotationGizmoColumn = -1;
    bool gizmoColumnsKnown = false;
    int opacityColumn = -1;
    bool audioOffsetLocked = true;

    // Annotation scribbling.
    int annotationRows = -1;
    int annotationColumn = -1;
    QTransform annotationTransform;
    KW::AnnotationPenType annotationPenType = KW::AnnotationPenType::ScribblePen;
    Model::StrokeEngine annotationStrokeEngine;
    QList<QRgb> annotationColorTable;

    int cursorKind = 2;
    QMetaObject::Connection cursorConnection;

    // Painting resources.
    KW::TransparencyType transparencyType = KW::TransparencyType::TransparencyWhite;
    QColor baseColor;
    QColor tint;
    QColor tint70; // alpha 178
    QColor tint30; // alpha 77
    QColor offPegsWash{51, 123, 52, 50};
    QColor rangeFadeColor{172, 162, 153};
    QColor beyondLineColor{107, 103, 99};
    QColor beyondButtonFill{117, 113, 109};
    QColor beyondButtonHovered{125, 120, 116};
    QColor beyondButtonPressed{111, 107, 103};
    QColor beyondButtonSymbol{142, 136, 131};
    QColor virtualFrameDashColor{180, 174, 170};
    QColor beatLineColor{17, 17, 17};
    QColor selectedHoldJoint{72, 82, 92};
    QColor currentHoldInnerFrame{255, 236, 216};
    QList<qreal> dashPattern{3, 2};
    QIcon layerRefIcon;
    QIcon layerPaintIcon;
    QIcon keySymbolIcon;
    QIcon backlightSymbolIcon;
    QIcon waveformIcon;
    QIcon chevronIcon;
    QLinearGradient topShadow;
    QLinearGradient bottomShadow;
    QLinearGradient fadeIn;
    QLinearGradient fadeOut;
    QRect topShadowRect;
    QRect bottomShadowRect;
    QPainterPath buttonBody;
    QPainterPath buttonMinus;
    QPainterPath buttonBar;
    QPainterPath buttonRing;
};

} // namespace UI
