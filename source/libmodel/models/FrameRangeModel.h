#pragma once

#include <QAbstractProxyModel>
#include <QImage>
#include <QList>
#include <QModelIndex>
#include <QSize>

#include <memory>

namespace Model {

class Scene;

// What the exposure sheet shows of a scene item model: the frames of the
// scene's frame range, plus one row after it where a layer's virtual last
// frame can appear. While the user drags an exposure it previews the drag:
// which cell each row will show once the drag is committed, which rows will
// become holds, and how far the drag may go. The scene itself is never
// changed here; the exposure sheet commits the drag through an undo command.
class FrameRangeModel : public QAbstractProxyModel
{
    Q_OBJECT

public:
    enum DragMode {
        Slide = 0,     // move an original over the holds around it
        AddClones = 1, // add or discard held repeats
        NoDrag = 2
    };
    Q_ENUM(DragMode)

    explicit FrameRangeModel(QObject* parent = nullptr);
    ~FrameRangeModel() override;

    QModelIndex index(int row, int column, QModelIndex const& parent = QModelIndex()) const override;
    QModelIndex parent(QModelIndex const& child) const override;
    using QObject::parent;
    int rowCount(QModelIndex const& parent = QModelIndex()) const override;
    int columnCount(QModelIndex const& parent = QModelIndex()) const override;
    QVariant data(QModelIndex const& index, int role = Qt::DisplayRole) const override;
    QVariant headerData(int section, Qt::Orientation orientation,
                        int role = Qt::DisplayRole) const override;
    bool setHeaderData(int section, Qt::Orientation orientation, QVariant const& value,
                       int role = Qt::EditRole) override;
    void setSourceModel(QAbstractItemModel* sourceModel) override;
    QModelIndex mapToSource(QModelIndex const& proxyIndex) const override;
    QModelIndex mapFromSource(QModelIndex const& sourceIndex) const override;
    // A cell never has children, whatever the source says of the cell it
    // happens to show.
    bool hasChildren(QModelIndex const& parent = QModelIndex()) const override;

    Model::Scene* scene() const;
    void setScene(Model::Scene* scene);

    int minimumFrameRangeNumber() const;
    // Both as the current drag preview shows them.
    int maximumFrameNumber() const;
    int maximumFrameRangeNumber() const;
    QSize frameSize() const;

    bool dragStart(DragMode mode, QModelIndex const& index);
    void setDragDistanceRows(int rows);
    void dragEnd();
    DragMode dragMode() const;
    int dragDistance() const;
    int minDraggedDistance() const;
    int maxDraggedDistance() const;
    QModelIndex currentDragIndex() const;

    QImage thumbnail(QModelIndex const& index, QSize const& size) const;
    bool isOffPegs(int row, int* layer) const;
    QList<QModelIndex> cloneIndices(QModelIndex const& index) const;
    QModelIndex sceneIndex(int row, int column) const;

    bool isAudioAvailable() const;
    void setAudioOffsetFramesTemporary(double offsetFrames);
    bool audioStartsBeyondRange() const;
    bool audioEndsBeyondRange() const;

signals:
    void dragDistanceChanged(int distance);

private:
    // The source cell that a row shows, or an invalid index.
    QModelIndex sourceCell(int row, int column) const;
    bool inDragGroup(int column) const;
    // The layer's length as the drag preview shows it.
    int effectiveLayerLength(int column) const;
    bool isHoldRow(int row) const;
    // Whether the row shows a hold in this model's own terms.
    bool previewHold(int row, int column) const;
    void resetSlideMap();
    void rebuildSlideMap();
    void relayLayoutChange();

    struct Data;
    std::unique_ptr<Data> d;
};

} // namespace Model
