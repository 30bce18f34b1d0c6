#pragma once

#include "settings/KW.h"

#include <QAbstractItemView>
#include <QModelIndex>
#include <QPoint>
#include <QRect>

#include <memory>

class QTabletEvent;

namespace Model {
class FrameRangeModel;
}

namespace UI {

class XSheetFooter;
class XSheetHeader;

// The exposure sheet: one row per frame of the scene's frame range (plus the
// row of the virtual last frame), one column per layer in the scene's display
// order, with the layer header above, the footer below and the column gizmos
// floating under the header. It reads the scene only through the frame-range
// model and the selection model, and every edit it makes is an undo command
// pushed on the current scene's stack.
//
// Callers see one class; the implementation is split by concern: geometry and
// scrolling, painting, mouse and pen gestures, and annotation scribbling each
// have their own source file working on the shared private data.
class XSheet : public QAbstractItemView
{
    Q_OBJECT

public:
    class XSheetPrivate;

    explicit XSheet(QWidget* parent = nullptr);
    ~XSheet() override;

    void setModel(Model::FrameRangeModel* model);
    Model::FrameRangeModel* frameRangeModel() const;
    void setSelectionModel(QItemSelectionModel* selectionModel) override;

    XSheetHeader* header() const;
    XSheetFooter* footer() const;

    // Row and column geometry, in viewport coordinates.
    int rowHeight(int row = 0) const;
    int rowViewportPosition(int row) const;
    // The row under y; the row right under the last one (where the beyond
    // buttons stand) answers rowCount(), anything further down -1.
    int rowAt(int y) const;
    int visualRowAt(int y) const;
    int columnViewportPosition(int column) const;
    int columnAt(int x) const;
    int columnWidth(int column) const;
    QRect backlightRect(int row) const;
    int topMargin() const;
    int bottomMargin() const;

    QRect visualRect(QModelIndex const& index) const override;
    QModelIndex indexAt(QPoint const& point) const override;
    void scrollTo(QModelIndex const& index, ScrollHint hint = EnsureVisible) override;
    void scrollToRow(int row);
    void scrollToColumn(int column, ScrollHint hint);

    bool slideMode() const;
    bool beyondButtonsShown() const;
    bool scrollToCenterEnabled() const;
    bool verticalScrollAnimationEnabled() const;
    KW::TransparencyType transparencyType() const;
    KW::AnnotationPenType annotationPenType() const;
    bool audioOffsetLocked() const;
    bool isFrameDragRunning() const;
    bool isAudioDragRunning() const;
    // The kind of cursor the viewport shows now (0 arrow, 1 slide mode,
    // 2 add-clones mode, 3 drag up/down, 4 lock, 5 drawing-tool annotation,
    // 6 scribble pen or eraser).
    int cursorKind() const;
    // The column whose opacity slider was opened last, -1 when none.
    int opacityColumn() const;

    void updateFrameHeight();
    void updateScrollBars();
    void updateViewport();
    void updateUISize();
    void moveLayer(int layer, int from, int to);
    void updateLayerColumn(int layer);
    void updateColumns(int firstVisual, int lastVisual);
    void updateColumn(int visual);
    void updateIndex(QModelIndex const& index);
    void updateCloneIndices(QModelIndex const& index);
    void updateOpacitySliderPosition();
    void updateGizmos();
    void changeLayerColor(int layer, QColor const& color);

    // Pen input on the viewport; true when the event was taken here.
    bool handleTabletEvent(QTabletEvent* event);
    bool handleTabletEraserEvent(QTabletEvent* event);
    bool handleAnnotationTabletEvent(QTabletEvent* event);
    void handleAnnotationPress(QPointF const& pos, double pressure, unsigned long timestamp);
    void handleAnnotationMove(QPointF const& pos, double pressure, unsigned long timestamp);
    void handleAnnotationRelease();

public slots:
    void setScrollToCenter(bool enable);
    void showBeyondButtons(bool show);
    void setSlideMode(bool slideMode);
    void setTransparencyType(KW::TransparencyType transparencyType);
    void setEnableVerticalScrollAnimation(bool enable);

signals:
    void opacityClicked(int layerIdx);
    void opacityCenterMoved(QPoint center);
    void frameHeightChanged(int frameHeight);
    void rightClickedThumbnail(QModelIndex index, QPoint globalPos);
    void rightClickedLayer(int layerIdx, QPoint globalPos);
    void doubleClickedLayer(int layerIdx, QRect rect);

protected:
    bool eventFilter(QObject* object, QEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void contextMenuEvent(QContextMenuEvent* event) override;
    bool viewportEvent(QEvent* event) override;
    QSize viewportSizeHint() const override;
    // Every row of a column has the same size, so one cell answers for all.
    int sizeHintForColumn(int column) const override;
    QModelIndex moveCursor(CursorAction cursorAction, Qt::KeyboardModifiers modifiers) override;
    int horizontalOffset() const override;
    int verticalOffset() const override;
    bool isIndexHidden(QModelIndex const& index) const override;
    void setSelection(QRect const& rect, QItemSelectionModel::SelectionFlags flags) override;
    QRegion visualRegionForSelection(QItemSelection const& selection) const override;

protected slots:
    void currentChanged(QModelIndex const& current, QModelIndex const& previous) override;
    void selectionChanged(QItemSelection const& selected, QItemSelection const& deselected) override;
    void updateGeometries() override;

private slots:
    void columnResized(int logical, int oldSize, int newSize);
    void columnMoved(int logical, int oldVisual, int newVisual);
    void columnCountChanged();
    void onHeaderDoubleClickedLayer(int layer, QRect rect);
    void onFooterOpacityClicked(int layer);
    void onStrokeRectChanged(QRect rect);
    void onCursorContextChanged();
    void onAudioOffsetLockedChanged(bool locked);
    void onAnnotationPenTypeChanged(KW::AnnotationPenType penType);

private:
    using QAbstractItemView::setModel;

    friend class XSheetPrivate;
    std::unique_ptr<XSheetPrivate> d;
};

} // namespace UI
