#pragma once

#include "scene/DrawingRef.h"
#include "scene/SceneChange.h"
#include "settings/KW.h"

#include <QAbstractTableModel>
#include <QImage>
#include <QList>
#include <QModelIndex>
#include <QPainterPath>
#include <QSize>
#include <QUuid>

#include <memory>

class QMimeData;

namespace Model {

class Drawing;
class LayerItem;
class Scene;
class Stroke;

// One scene as a table: row r is frame r + 1, column c is layer index c.
// The exposure sheet reads it (through the frame-range proxy) with the roles
// below; the undo commands edit the scene through it and get back the
// records that undo their edit. It owns nothing of the document and only
// turns the scene's signals into model signals.
class SceneModel : public QAbstractTableModel
{
    Q_OBJECT

public:
    enum Roles {
        LayerTypeRole = Qt::UserRole, // 256
        LayerLinkedRole,
        LayerVisibleRole,
        LayerAudibleRole,
        AnnotationImageRole, // 260
        LayerColorRole,
        LayerOpacityRole,
        IsDrawLayerRole,
        IsVisualLayerRole,
        BeyondLastRole,
        LayerLengthRole,
        BacklightFrameRole,
        OriginalRole,
        DistantCloneRole,
        HoldRole, // 270
        KeyDrawingRole,
        VirtualLastFrameRole,
        ScrubFrameRole // 273
    };
    Q_ENUM(Roles)

    explicit SceneModel(QObject* parent = nullptr);
    ~SceneModel() override;

    QModelIndex index(int row, int column, QModelIndex const& parent = QModelIndex()) const override;
    int rowCount(QModelIndex const& parent = QModelIndex()) const override;
    int columnCount(QModelIndex const& parent = QModelIndex()) const override;
    QVariant data(QModelIndex const& index, int role = Qt::DisplayRole) const override;
    bool setData(QModelIndex const& index, QVariant const& value, int role = Qt::EditRole) override;
    QVariant headerData(int section, Qt::Orientation orientation,
                        int role = Qt::DisplayRole) const override;
    bool setHeaderData(int section, Qt::Orientation orientation, QVariant const& value,
                       int role = Qt::EditRole) override;
    Qt::ItemFlags flags(QModelIndex const& index) const override;

    Model::Scene* scene() const;
    void setScene(Model::Scene* scene);

    QSize frameSize() const;

    QImage thumbnail(QModelIndex const& index, QSize const& size) const;
    bool isOffPegs(int frame, int* layer) const;
    QList<QModelIndex> cloneIndices(QModelIndex const& index) const;
    Model::DrawingRef drawingIdentifier(QModelIndex const& index) const;
    Model::DrawingRef originalDrawingIdentifier(QModelIndex const& index) const;
    QModelIndex lookupIdentifier(Model::DrawingRef const& ref) const;
    Model::DrawingRef lookupCopyId(QUuid const& copyId) const;
    std::shared_ptr<Model::LayerItem> lookupLayerItem(QModelIndex const& index) const;
    std::shared_ptr<Model::LayerItem> lookupLayerItem(Model::DrawingRef const& ref) const;

    // Clipboard content owned by the caller, or null.
    QMimeData* createMimeData(QModelIndex const& index) const;
    // The indexes may come in any order; the run starts at the earliest one.
    QMimeData* createMimeData(QList<QModelIndex> const& indexes) const;

    // A stroke the scene refuses stays with the caller.
    int appendStroke(QModelIndex const& index, std::unique_ptr<Model::Stroke>&& stroke);
    std::unique_ptr<Model::Stroke> removeLastStroke(QModelIndex const& index);

    // Edits of the cell at the index. Each returns the records that undo it
    // in reverse order, ready to be kept and handed to reverseChanges.
    QList<Model::SceneChange> insertBlankDrawingAt(QModelIndex const& index);
    QList<Model::SceneChange> addCloneDrawingAfter(QModelIndex const& index);
    QList<Model::SceneChange> addCloneDrawingsAfter(QModelIndex const& index, int count);
    QList<Model::SceneChange> addBlankDrawingAfter(QModelIndex const& index);
    QList<Model::SceneChange> removeFrame(QModelIndex const& index);
    // Removes the count frames that start at the index.
    QList<Model::SceneChange> removeFrames(QModelIndex const& index, int count);
    QList<Model::SceneChange> replaceDrawingWithOriginal(QModelIndex const& index,
                                                         QUuid const& copyId);
    QList<Model::SceneChange> replaceDrawingWithDistantClone(QModelIndex const& index,
                                                             Model::DrawingRef target,
                                                             bool quiet);
    QList<Model::SceneChange> replaceDrawingWithHold(QModelIndex const& index, bool quiet);
    QList<Model::SceneChange> replaceDrawing(QModelIndex const& index,
                                             std::shared_ptr<Model::Drawing> drawing,
                                             bool passClonesOn, bool quiet);
    QList<Model::SceneChange> appendCut(QModelIndex const& index, QPainterPath const& path);

    // Applies a list returned by an edit entry point: reversed once more, so
    // the scene gets its records in the order it made them.
    void reverseChanges(QList<Model::SceneChange> const& changes);

private:
    void updateSizeHints(KW::ThumbnailSize thumbnailSize);
    void sizeHintsChanged(KW::ThumbnailSize thumbnailSize);
    void relayDrawingsChanged(QList<std::pair<int, int>> const& cells);
    void relayScrubFrameChanged(int current, int previous);
    void relayMaximumFrameNumberChanged();

    struct Data;
    std::unique_ptr<Data> d;
};

} // namespace Model
