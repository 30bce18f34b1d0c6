#pragma once

#include "scene/DrawingRef.h"
#include "scene/Layer.h"
#include "scene/SceneChange.h"
#include "settings/BacklightSettings.h"
#include "settings/KW.h"
#include "strokes/Stroke.h"

#include <QColor>
#include <QImage>
#include <QList>
#include <QObject>
#include <QRect>
#include <QSize>
#include <QString>
#include <QTransform>
#include <QUuid>

#include <memory>
#include <utility>

class QMimeData;
class QPainter;
class QPainterPath;
class QProgressDialog;
class QUndoStack;

namespace Model {

class AudioLayer;
class Drawing;
class ExportExposureSheetSettings;
class ExportFramesSettings;
class ExportVideoSettings;
class FloatingSelection;
class LayerItem;
class SingleStroke;
class StrokeLayer;
class VisualLayer;

// The open document: the ordered layers with their display order, the active
// frame and layer, the frame range and rate, the undo stack and the cached
// composite pictures of the active frame. Every change is announced through
// the signals below.
//
// A layer index is a position in the layer list; a display position is a
// position in the display order, 0 being the top of the stack. The two order
// lists are inverse permutations of each other. Queries answer a neutral
// value for an index outside the layer list, and edits with arguments that do
// not apply change nothing and emit nothing.
class Scene : public QObject
{
    Q_OBJECT
    Q_PROPERTY(QString name READ name WRITE setName NOTIFY nameChanged)
    Q_PROPERTY(QSize frameSize READ frameSize NOTIFY frameSizeChanged)
    Q_PROPERTY(double frameRate READ frameRate WRITE setFrameRate NOTIFY frameRateChanged)
    Q_PROPERTY(KW::ThumbnailSize thumbnailSize READ thumbnailSize NOTIFY thumbnailSizeChanged)
    Q_PROPERTY(int maximumFrameNumber READ maximumFrameNumber NOTIFY maximumFrameNumberChanged)
    Q_PROPERTY(int activeFrame READ activeFrame NOTIFY activeFrameAndLayerChanged)
    Q_PROPERTY(int activeLayerIdx READ activeLayerIdx NOTIFY activeFrameAndLayerChanged)
    Q_PROPERTY(int minimumFrameNumber READ minimumFrameNumber CONSTANT)

public:
    // How the active frame may be placed on its layer.
    enum SetFrameBehaviour {
        AcceptVirtualLastFrame = 0, // also the empty cell after the layer's last one
        KeepWithinDrawnFrames = 1   // only the layer's cells inside the frame range
    };
    Q_ENUM(SetFrameBehaviour)

    // Largest frame width or height a scene takes, from the user or a file:
    // the full-frame pictures of a larger frame would not fit in memory.
    static constexpr int maximumFrameSide = 8192;

    explicit Scene(QObject* parent = nullptr);
    ~Scene() override;

    // Follow the settings' backlight configuration from now on.
    void readAndConnectSettings();
    void disconnectSettings();

    QString name() const;
    QString filename() const;
    // Stores the path and names the scene after the file's complete base name.
    void setFilename(QString const& filename);
    QSize frameSize() const;
    int frameWidth() const;
    int frameHeight() const;
    double frameRate() const;
    KW::ThumbnailSize thumbnailSize() const;
    QUndoStack* undoStack() const;

    int minimumFrameNumber() const;
    int maximumFrameNumber() const;
    int minimumFrameRangeNumber() const;
    int maximumFrameRangeNumber() const;
    int activeFrame() const;
    int activeLayerIdx() const;
    int scrubFrame() const;
    bool isScrubFrame(int frame) const;
    int highestUsedLayerNumber() const;

    // Layers by index.
    QList<std::shared_ptr<Model::Layer>> layers() const;
    int numLayers() const;
    int numDrawLayers() const;
    int numVisualLayers() const;
    int audioLayerIdx() const;
    int annotationLayerIdx() const;
    std::shared_ptr<Model::Layer> layer(int index) const;
    int getLayerIndex(std::shared_ptr<Model::Layer> const& layer) const;
    QList<int> getLogicalLayerIndices() const;
    QList<int> getVisualLayerIndices() const;
    // The first visual layer from the top of the stack that reaches the frame
    // range, or -1.
    int layerIndexTop() const;

    int layerType(int layer) const;
    bool isStrokeLayer(int layer) const;
    bool isDrawLayer(int layer) const;
    bool isVisualLayer(int layer) const;
    bool isReferenceLayer(int layer) const;
    bool isAudioLayer(int layer) const;
    bool isAnnotationLayer(int layer) const;
    // Sum of the visual layers' lengths: the progress maximum of whole-scene
    // work.
    int numDrawings() const;
    // A layer without cells counts as long as the scene.
    int layerLength(int layer) const;
    int virtualLayerLength(int layer) const;
    // A visual layer's Layer::LayerBeyondLast, 0 for any other index.
    int layerBeyondLast(int layer) const;
    bool isLayerVisible(int layer) const;
    QString layerName(int layer) const;

    Model::DrawingRef drawingIdentifier(int layer, int frame) const;
    // The cell named by the reference, or empty. The out-parameters, when
    // given, receive the layer index and the frame of a cell that is found
    // and are left alone otherwise.
    std::shared_ptr<Model::LayerItem> lookupLayerItem(Model::DrawingRef const& ref,
                                                      int* layer = nullptr,
                                                      int* frame = nullptr) const;
    bool hasDrawing(Model::DrawingRef ref, int* layer = nullptr, int* frame = nullptr) const;
    // The stroke layer whose cell owns the drawing shown at (layer, frame): a
    // hold's original before it, a distant clone's original wherever it lies.
    // Null unless the layer is a visible stroke layer that reaches the frame.
    Model::StrokeLayer* lookupOriginalStrokeLayer(int layer, int frame) const;

    // The transform of the topmost visual layer whose cell at the frame is off
    // the pegs, identity when there is none; layer receives its index or -1.
    QTransform offPegsTransform(int frame, int* layer = nullptr) const;

    // Sound. Without an audio layer these answer false or 0.
    bool isLayerAudible(int layer) const;
    bool isAudioAvailable() const;
    bool isAudioAvailableInRange(int first, int last) const;
    bool isAudible() const;
    bool isAudioFrameValid(int frame) const;
    double audioOffsetFrames() const;
    double audioOffsetFramesTotal() const;

    // Layer list edits.
    // Inserts at index (clamped to 0..numLayers()) and relinks the layer's
    // distant clones and originals with the rest of the scene. Returns the
    // index used, -1 for a null layer.
    int addLayer(std::shared_ptr<Model::Layer> const& layer, int index);
    // Moves a layer from one display position to another.
    bool moveLayer(int layer, int from, int to);
    // Puts every layer at its display position at once: order holds the
    // layer index at each position, top first. False, and nothing changes,
    // unless it is a permutation of the layer indices.
    bool setLayerOrder(QList<int> const& order);
    // Takes a layer out and hands its clones over to cells that stay; the
    // layer keeps its own links so that adding it back restores them.
    std::shared_ptr<Model::Layer> removeLayer(int index);
    std::shared_ptr<Model::Layer> removeLayer(std::shared_ptr<Model::Layer> const& layer);
    // Puts another layer object in the place of a layer (the undo of
    // whole-layer edits) and returns the one that stood there.
    std::shared_ptr<Model::Layer> swapLayer(int index, std::shared_ptr<Model::Layer> newLayer);

    void setThumbnailSize(KW::ThumbnailSize thumbnailSize, bool alwaysEmit);
    void setLayerBeyondLast(int layer, Model::Layer::LayerBeyondLast beyondLast);
    bool setLayerName(int layer, QString const& name);
    bool setLayerAudible(int layer, bool audible);
    bool setAudible(bool audible);
    void setHighestUsedLayerNumber(int number);
    void setAudioOffsetFrames(double offsetFrames);
    void setAudioOffsetFramesTemporary(double offsetFrames);
    void updateAudioLayerFrameRate();

    // Clone bookkeeping across layers.
    // After reading: holds take the drawing before them, and distant clones
    // their original's (which then lists them); a clone without an original
    // on a layer of its own kind becomes an original with a blank drawing.
    void fixupReferences();
    void connectCloneToNewOriginal(Model::DrawingRef clone, Model::DrawingRef newOriginal,
                                   std::shared_ptr<Model::LayerItem> originalItem);
    void disconnectFromOriginal(Model::DrawingRef clone,
                                std::shared_ptr<Model::LayerItem const> cloneItem);

    // Applies the rule for the active cell; true when it changed. Emits
    // nothing itself except through the scrub frame.
    bool setActiveFrameAndLayerInternal(int frame, int layer, SetFrameBehaviour behaviour);

    void internalRectChanged();

    // --- Cell edits and the records that undo them ---------------------------
    // Every edit returns the change records that undo it when handed to
    // addChanges, newest step first; an edit that does not apply returns an
    // empty list (or -1 for the integer forms) and changes nothing. A quiet
    // edit blocks the scene's signals for its run and skips the pixmap update.
    QList<Model::SceneChange> addBlankDrawingBefore2(int layer, int frame);
    QList<Model::SceneChange> addBlankDrawingAfter2(int layer, int frame);
    int addBlankDrawingAfter(int layer, int frame);
    int addCloneDrawingAfter(int layer, int frame);
    QList<Model::SceneChange> addCloneDrawingAfter2(int layer, int frame, bool quiet);
    int addCloneDrawingsAfter(int layer, int frame, int count);
    QList<Model::SceneChange> addCloneDrawingsAfter2(int layer, int frame, int count);
    // Moves the original at frame by distance frames over the holds around
    // it; minDistance and maxDistance are the extremes reached while dragging.
    QList<Model::SceneChange> slideOriginalDrawing(int layer, int frame, int distance,
                                                   int minDistance, int maxDistance);
    QList<Model::SceneChange> removeFrame(int layer, int frame);
    // Removes frame, frame - 1, ... frame - count + 1.
    QList<Model::SceneChange> removeFrames(int layer, int frame, int count);
    // Makes the cell an original showing the drawing. With passClonesOn the
    // cell's distant clones keep the old drawing under a promoted original;
    // without it they follow the cell.
    QList<Model::SceneChange> replaceDrawing(int layer, int frame,
                                             std::shared_ptr<Model::Drawing> drawing,
                                             bool passClonesOn, bool quiet);
    QList<Model::SceneChange> replaceDrawingWithHold(int layer, int frame, bool quiet);
    QList<Model::SceneChange> replaceDrawingWithOriginal(int layer, int frame,
                                                         QUuid const& copyId);
    QList<Model::SceneChange> replaceDrawingWithDistantClone(int layer, int frame,
                                                             Model::DrawingRef target,
                                                             bool quiet);
    // Cuts the path out of the drawing shown at the cell, which its owner,
    // holds and distant clones share.
    QList<Model::SceneChange> appendCut(int layer, int frame, QPainterPath const& path);
    // Merges the source draw layer's drawings onto the destination's, which is
    // lengthened to match. Makes no records: merging is undone by putting the
    // layers themselves back.
    void copyLayerOnto(int sourceLayer, int destinationLayer);

    // Applies records front to back and repairs holds, distant clones and
    // their links around every restored cell.
    void addChanges(QList<Model::SceneChange> const& changes);
    // Gives the holds after the cell the cell's drawing; returns the cell and
    // those holds as (frame, layer) pairs.
    QList<std::pair<int, int>> updateHolds(int frame, int layer);
    // Sorts the (frame, layer) pairs, drops repeats and emits drawingsChanged.
    void internalDrawingsChanged(QList<std::pair<int, int>>& changedCells);

    // --- Layer properties and navigation -------------------------------------
    bool isLayerLinked(int layer) const;
    bool setLayerLinked(int layer, bool linked);
    bool setLayerVisible(int layer, bool visible);
    // Counts up the highest used layer number.
    QString getNextLayerName();
    // Layers that reach the frame range, walking the display order.
    int layerIndexBottom() const;
    int layerIndexBelow(int layer) const;
    int layerIndexBelow() const;
    int layerIndexAbove() const;
    bool canMergeLayerDown(int layer) const;

    // --- Clipboard form of drawings ------------------------------------------
    // The scene's own clipboard format.
    static QString clipboardMimeType();
    // Frames first .. first + count - 1 of a visual layer (cut at the layer's
    // end) as clipboard content: the binary form, a text and, where there is
    // one, an image of the first drawing. Each drawing travels once; a
    // drawing copied for the first time gets a copy identifier. Null for an
    // invalid layer or range; the caller owns the content.
    QMimeData* createMimeData(int layer, int first, int count) const;
    // Drawings that pasting the content onto the active layer would insert;
    // 0 when it cannot be pasted there or the binary form is damaged.
    int numDrawingsInPaste(QMimeData const* mimeData) const;

public slots:
    // Resizes every visual layer's drawings with the fit mode; the dialog,
    // when given, advances by one per cell. An empty size, or one with a side
    // above maximumFrameSide, is ignored.
    void setFrameSize(QSize size, KW::FitMode fitMode, QProgressDialog* progressDialog);

public slots:
    void setName(QString const& name);
    void setFrameRate(double frameRate);
    void setFrameRange(int lower, int upper, int wantedFrameId, int wantedLayerIndex);
    void setActiveFrameAndLayer(int frameId, int layerId,
                                Model::Scene::SetFrameBehaviour behaviour);
    void updateMaxFrameNumber();
    void setScrubFrame(int frame);
    void unsetScrubFrame();
    void startScrubbing();
    void stopScrubbing();
    void startAudioPlayback(int frame);
    void stopAudioPlayback();
    void updateCachedFramePixmap(bool updateBacklight);
    void updateCachedCurrentFramePixmap();
    void updateCachedBacklightPixmap();
    void setBacklightSettings(Model::BacklightSettings backlightSettings);

    // --- Compositing, backlight frames, cell queries and stroke input --------
public:
    // One drawing shown through the light table.
    struct BacklightFrame
    {
        int frame = 0;
        double opacity = 0.0; // above 0.01
        int hueShift = 0;     // degrees: positive before, negative after
    };

    // Paint the exposed part of the active frame: with the backlight under
    // it, without it, or the backlight alone. Outside a stroke or a scrub
    // this copies from the cached pictures.
    void draw(QPainter* painter, QRect const& exposed) const;
    void drawOnlyCurrentFrame(QPainter* painter, QRect const& exposed) const;
    void drawOnlyBackLight(QPainter* painter, QRect const& exposed) const;

    // The light table's drawings in painting order, farthest first.
    QList<Model::Scene::BacklightFrame> backlightFrames() const;
    // Recomputes the list; backlightFramesChanged when it differs.
    void updateBacklightFrames();
    bool isBacklightFrame(int frame) const;

    // Per-cell queries, (layer, frame). An index that is no visual layer
    // answers NoDrawing, false, empty or null.
    int drawingType(int layer, int frame) const;
    int drawingTypeBeyond(int layer, int frame) const;
    bool isOriginalFrame(int layer, int frame) const;
    bool isDistantCloneFrame(int layer, int frame) const;
    bool isHoldFrame(int layer, int frame) const;
    bool isLastHoldFrame(int layer, int frame) const;
    bool isKeyDrawing(int layer, int frame) const;
    bool isVirtualLastFrame(int layer, int frame) const;
    std::shared_ptr<Model::LayerItem> lookupLayerItem(int layer, int frame) const;
    // Gives the cell at (layer, frame) another identifier; commands that
    // re-create cells give them back the identifiers of their first redo.
    void setCellIdentifier(int layer, int frame, QUuid const& identifier);
    // Visual, audio and annotation layers each have their own picture.
    QImage thumbnail(int layer, int frame, QSize const& size) const;
    QString toolTip(int layer, int frame) const;
    // The cells that show the drawing of an original or a distant clone:
    // the original first, then its distant clones. Empty for a hold.
    QList<std::pair<int, int>> cloneIndices(int layer, int frame) const;
    // The active cell, unless a scrub frame is shown.
    bool isVirtualLastFrame() const;

    // A stroke layer's colour, black for another visual layer, invalid else.
    QColor layerColor(int layer) const;
    double layerOpacity(int layer) const;
    bool hasDrawing(QUuid layerId, QUuid cellId, int* layer = nullptr,
                    int* frame = nullptr) const;
    // The first original, by layer index and frame, whose drawing carries the
    // copy identifier; the out-arguments are filled only when one is found.
    std::shared_ptr<Model::LayerItem> lookupCopyId(QUuid const& copyId,
                                                   Model::DrawingRef* ref = nullptr,
                                                   int* layer = nullptr,
                                                   int* frame = nullptr) const;
    // The original whose drawing the cell shows, or the null reference.
    Model::DrawingRef lookupOriginalRef(int layer, int frame) const;
    Model::DrawingRef lookupOriginalRef(QUuid layerId, int frame) const;
    // As lookupOriginalRef, past the layer's end as its beyond mode shows it.
    Model::DrawingRef lookupOriginalRefBeyond(int layer, int frame) const;
    Model::DrawingRef lookupOriginalRefBeyond(QUuid layerId, int frame) const;
    int lookupLayerIdx(QUuid layerId) const;
    bool isOffPegs(int frame, int* layer = nullptr) const;
    // The cell's own transform, identity for an index that is no visual layer.
    QTransform offPegsTransform(int frame, int layer) const;
    // The notes of the first annotation layer, null without one.
    QImage annotationImage(int frame) const;
    // Replaces the first annotation layer's notes at the frame, without undo.
    bool setAnnotationImage(int frame, QImage const& image);

    // Stroke input. The scene owns the one stroke in progress on the active
    // layer; the canvas feeds it guide points and takes it back at the end.
    // Each pen event only announces the area the stroke grew by: the new
    // pieces are rasterised when the frame is next drawn (and at the end),
    // so that many pen events between two repaints cost one rasterisation.
    void beginStroke(Model::Stroke::GuidePoint&& guide);
    // direction: a point behind the first one, which gives the stroke its
    // start tangent.
    void beginStroke(Model::Stroke::GuidePoint&& guide, QPointF direction);
    void addStrokePoint(Model::Stroke::GuidePoint&& guide);
    // Null when no stroke was in progress.
    std::unique_ptr<Model::SingleStroke> endStroke();
    // The stroke in progress with its buffer up to date; null without one.
    Model::SingleStroke const* activeStroke() const;
    bool hasActiveStroke() const;
    // Puts a finished stroke on top of the drawing shown at the cell and
    // reports every cell that shows that drawing. The stroke is taken only
    // when this returns true; a refused stroke stays with the caller. A
    // hidden layer takes strokes too, so that redoing a stroke never depends
    // on what is shown.
    bool appendStroke(int layer, int frame, std::unique_ptr<Model::Stroke>&& stroke);
    // The stroke on top of the cell's drawing, taken out; null when there is
    // none.
    std::unique_ptr<Model::Stroke> removeLastStroke(int layer, int frame);
    void drawDottedLineToCursor(QPainter* painter, QRect const& exposed, double width) const;
    std::unique_ptr<Model::FloatingSelection>
    createNewFloatingSelection(QPainterPath const& lasso) const;

    // --- Exports ---------------------------------------------------------------
    // All run on the GUI thread, drive the caller's progress dialog (maximum
    // and value; never deleted), stop when it is cancelled and report every
    // failure through ExportFailure. None changes the scene.
    //
    // A numbered image sequence (PNG or OpenEXR) in settings.exportDir: one
    // composite per frame, or one image per layer and frame, with hold and
    // clone suffixes as the settings ask. Stops at the first file that cannot
    // be written.
    void exportFrames(Model::ExportFramesSettings const& settings,
                      QProgressDialog& progress) const;
    // An Open Cel Animation package "<name>.oca" in settings.exportDir: the
    // JSON document and one folder of images per layer. An existing package
    // of that name is replaced only when the new one is complete.
    void exportExposureSheet(Model::ExportExposureSheetSettings const& settings,
                             QProgressDialog& progress) const;
    // A movie (MP4, ProRes or animated GIF) at settings.exportDir/name. An
    // existing file of that name is replaced only when the movie is whole.
    void exportVideo(Model::ExportVideoSettings const& settings, QProgressDialog& progress);

public slots:
    // Sets the flag first, then reports the cell.
    void setKeyDrawing(int layerIdx, int frameId, bool keyDrawing);
    // Stroke layers only.
    bool setLayerColor(int layerIdx, QColor color);
    // Clamped to 0..1.
    bool setLayerOpacity(int layerIdx, double opacity);
    void setOffPegsTransform(int frame, int layer, QTransform const& transform);
    // On the layer that is off the pegs at the active frame, else on the
    // active layer.
    void setOffPegsTransform(int frame, QTransform const& transform);
    void setCurrentDrawingOffPegsTransform(QTransform transform);
    void internalRectChanged(QRect const& rect);

private slots:
    void addExtraStrokePoint();
    void addStrokeEndPoint();

signals:
    void nameChanged(QString name);
    void frameRangeChanged(int, int);
    void frameRateChanged(double fps);
    void frameSizeAboutToChange(QSize sz);
    void frameSizeChanged(QSize sz);
    void activeFrameAndLayerChanged(int, int);
    void scrubFrameChanged(int current, int previous);
    void hasActiveStrokeChanged(bool);
    void layersChanged(int firstLayerIndex, int lastLayerIndex);
    void layerMoved(int layerIndex, int oldVisualLayerIndex, int newVisualLayerIndex);
    void beginInsertLayer(int newLayerIndex);
    void layerInserted(int);
    void endInsertLayer();
    void beginRemoveLayer(int);
    void layerRemoved(int);
    void endRemoveLayer();
    void rectChanged(QRect rect);
    void drawingsChanged(QList<std::pair<int, int>>);
    void currentDrawingTypeUpdated();
    void offPegsTransformChanged(QTransform);
    void layerColorChanged(int, QColor const& color);
    void layerOpacityChanged(int, double opacity);
    void maximumFrameNumberChanged(int numFrames);
    void backlightFramesChanged();
    void thumbnailSizeChanged(KW::ThumbnailSize thumbnailSize);

private:
    QRect frameRect() const;
    // The layer at the index without sharing it, or null.
    Layer* layerAt(int index) const;
    bool hasOneVisualLayer() const;
    VisualLayer* visualLayer(int index) const;
    AudioLayer* audioLayer() const;
    // The active layer index when it names a layer, else -1: a stale or unset
    // index means that no layer is active.
    int validActiveLayer() const;
    bool isScrubFrameShown() const;
    int shownFrame() const;
    // Inserts into the layer list and both order lists; returns the index used.
    int insertIntoLists(std::shared_ptr<Layer> const& layer, int index);
    void shiftDisplayOrder(int layer, int from, int to);
    void relinkAddedLayer(VisualLayer& layer);
    void detachRemovedLayer(VisualLayer& layer);
    // The shown layers of the frame bottom-up with the current one on top,
    // each with the part of the frame where it has ink.
    QList<std::pair<VisualLayer const*, QRect>> shownLayerParts(int frame,
                                                                VisualLayer const* current) const;

    // Helpers of the cell edits and of addChanges.
    using ChangedCells = QList<std::pair<int, int>>;
    // The linked layers when the layer is linked, else the layer alone.
    QList<int> editedLayers(int layer) const;
    // Inserts a cell as newFrame on the edited layers; the target gets a blank
    // when blank is set, every other layer a hold. Returns removal records.
    QList<Model::SceneChange> insertFrameAt(int layer, int newFrame, bool blank, bool quiet);
    // Hands an original's distant clones to the first of them that still
    // exists, which becomes their original; empties the original's list.
    void promoteFirstClone(LayerItem& original, ChangedCells& changed);
    // Takes a distant clone out of its original's list and forgets the original.
    void detachDistantClone(QUuid const& layerId, LayerItem& clone, ChangedCells& changed);
    // The original a distant clone may show: an original cell on a layer of
    // the clone's own type, else empty.
    std::shared_ptr<LayerItem> originalOfSameType(int layer, DrawingRef const& ref) const;
    void repairRestoredCell(int layer, int frame, ChangedCells& changed);
    void finishCellEdit(ChangedCells& changed, bool quiet);

    // Helpers of compositing, the backlight and stroke input.
    // Paints the shown layers over rect bottom-up: live, for strokes and
    // scrubbing. With skipCurrent the current layer is left for the caller.
    void paintLayersLive(QPainter* painter, QRect const& rect, int frame,
                         VisualLayer const* current, bool skipCurrent) const;
    // The search for backlight stops over one computation's fixed choices.
    struct BacklightSearch;
    QList<BacklightFrame> computeBacklightFrames() const;
    // Starts a stroke after discarding any stroke in progress.
    void startStroke(Stroke::GuidePoint&& guide, QPointF const* direction);
    // Announces the area the stroke in progress changed since the last call.
    void emitStrokeRect();
    // Brings the buffer of the stroke in progress up to date, if any.
    void rasteriseActiveStroke() const;
    // The (frame, layer) cells that show the drawing of the cell, starting
    // with the cell that owns it.
    QList<std::pair<int, int>> cellsShowingDrawing(int layer, int frame);
    void strokesChanged(int layer, int frame, QRect const& bounds);

    struct Data;
    std::unique_ptr<Data> d;
};

} // namespace Model
