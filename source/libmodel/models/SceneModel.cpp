#include "models/SceneModel.h"

#include "drawings/Drawing.h"
#include "scene/Layer.h"
#include "scene/LayerItem.h"
#include "scene/Scene.h"
#include "settings/Settings.h"
#include "strokes/Stroke.h"

#include <QColor>
#include <QMimeData>
#include <QPointer>

#include <algorithm>
#include <cmath>

namespace Model {

namespace {

// Thumbnail heights of wide frames and widths of all others, by thumbnail
// size from tiny to large.
constexpr int wideHeights[] = {14, 21, 28, 42};
constexpr int cellWidths[] = {36, 46, 56, 76};

} // namespace

struct SceneModel::Data
{
    // Guarded: the bundle deletes the scene before its models.
    QPointer<Scene> scene;
    QSize cellSizeHint{-1, -1};
    QSize annotationSizeHint{-1, -1};
};

SceneModel::SceneModel(QObject* parent)
    : QAbstractTableModel(parent)
    , d(std::make_unique<Data>())
{
}

SceneModel::~SceneModel() = default;

// --- table shape -------------------------------------------------------------

QModelIndex SceneModel::index(int row, int column, QModelIndex const& parent) const
{
    Scene const* scene = d->scene;
    if (parent.isValid() || !scene || row < 0 || column < 0 || column >= scene->numLayers())
        return QModelIndex();
    switch (scene->layerType(column)) {
    case Layer::AnnotationLayerType:
        return createIndex(row, column);
    case Layer::AudioLayerType:
        return scene->isAudioFrameValid(row + 1) ? createIndex(row, column) : QModelIndex();
    default:
        break;
    }
    if (scene->isVisualLayer(column)) {
        // The row at the layer's length is its virtual last frame.
        return row <= scene->layerLength(column) ? createIndex(row, column) : QModelIndex();
    }
    return row < rowCount() ? createIndex(row, column) : QModelIndex();
}

int SceneModel::rowCount(QModelIndex const& parent) const
{
    if (parent.isValid() || !d->scene)
        return 0;
    return d->scene->maximumFrameNumber();
}

int SceneModel::columnCount(QModelIndex const& parent) const
{
    if (parent.isValid() || !d->scene)
        return 0;
    return d->scene->numLayers();
}

Qt::ItemFlags SceneModel::flags(QModelIndex const& index) const
{
    Qt::ItemFlags flags = QAbstractTableModel::flags(index);
    if (!index.isValid() || !d->scene)
        return flags;
    if (!d->scene->isVisualLayer(index.column()))
        flags &= ~(Qt::ItemIsSelectable | Qt::ItemIsEnabled);
    else if (index.row() == d->scene->layerLength(index.column()))
        flags &= ~Qt::ItemIsSelectable;
    return flags;
}

// --- cells -------------------------------------------------------------------

QVariant SceneModel::data(QModelIndex const& index, int role) const
{
    Scene const* scene = d->scene;
    if (!index.isValid() || !scene)
        return QVariant();
    int const layer = index.column();
    int const frame = index.row() + 1;
    switch (role) {
    case Qt::ToolTipRole:
        return scene->toolTip(layer, frame);
    case AnnotationImageRole:
        if (scene->isAnnotationLayer(layer))
            return scene->annotationImage(frame);
        return QVariant();
    case OriginalRole:
        return scene->isOriginalFrame(layer, frame);
    case DistantCloneRole:
        return scene->isDistantCloneFrame(layer, frame);
    case HoldRole:
        return scene->isHoldFrame(layer, frame);
    case KeyDrawingRole:
        return scene->isKeyDrawing(layer, frame);
    case VirtualLastFrameRole:
        return scene->isVirtualLastFrame(layer, frame);
    default:
        return QVariant();
    }
}

bool SceneModel::setData(QModelIndex const& index, QVariant const& value, int role)
{
    Scene* const scene = d->scene;
    if (role == AnnotationImageRole && index.isValid() && scene
        && scene->isAnnotationLayer(index.column()) && value.canConvert<QImage>())
        return scene->setAnnotationImage(index.row() + 1, value.value<QImage>());
    return QAbstractTableModel::setData(index, value, role);
}

// --- headers -----------------------------------------------------------------

QVariant SceneModel::headerData(int section, Qt::Orientation orientation, int role) const
{
    Scene const* scene = d->scene;
    if (!scene)
        return QVariant();
    switch (role) {
    case Qt::DisplayRole:
        if (scene->layerType(section) == Layer::AudioLayerType)
            return scene->audioOffsetFramesTotal();
        return scene->layerName(section);
    case Qt::SizeHintRole:
        return scene->layerType(section) == Layer::AnnotationLayerType ? d->annotationSizeHint
                                                                       : d->cellSizeHint;
    case LayerTypeRole:
        return scene->layerType(section);
    case LayerLinkedRole:
        return scene->isLayerLinked(section);
    case LayerVisibleRole:
        return scene->isLayerVisible(section);
    case LayerAudibleRole:
        return scene->isLayerAudible(section);
    case LayerColorRole:
        return scene->layerColor(section);
    case LayerOpacityRole:
        return scene->layerOpacity(section);
    case IsDrawLayerRole:
        return scene->isDrawLayer(section);
    case IsVisualLayerRole:
        return scene->isVisualLayer(section);
    case BeyondLastRole:
        return scene->layerBeyondLast(section);
    case LayerLengthRole:
        return scene->layerLength(section) + 1;
    case BacklightFrameRole:
        if (orientation == Qt::Vertical)
            return scene->isBacklightFrame(section + 1);
        break;
    case ScrubFrameRole:
        if (orientation == Qt::Vertical)
            return scene->isScrubFrame(section + 1);
        break;
    default:
        break;
    }
    return QAbstractTableModel::headerData(section, orientation, role);
}

bool SceneModel::setHeaderData(int section, Qt::Orientation orientation, QVariant const& value,
                               int role)
{
    Scene* const scene = d->scene;
    if (!scene)
        return false;
    switch (role) {
    case LayerTypeRole:
        return false;
    case LayerLinkedRole:
        return scene->setLayerLinked(section, value.toBool());
    case LayerVisibleRole:
        return scene->setLayerVisible(section, value.toBool());
    case LayerAudibleRole:
        return scene->setLayerAudible(section, value.toBool());
    case LayerColorRole:
        return scene->setLayerColor(section, value.value<QColor>());
    case LayerOpacityRole:
        return scene->setLayerOpacity(section, value.toDouble());
    case Qt::DisplayRole:
        return scene->setLayerName(section, value.toString());
    default:
        return QAbstractTableModel::setHeaderData(section, orientation, value, role);
    }
}

// --- scene and signal relay --------------------------------------------------

Scene* SceneModel::scene() const
{
    return d->scene;
}

void SceneModel::setScene(Scene* scene)
{
    if (scene == d->scene)
        return;
    beginResetModel();
    if (Scene* const old = d->scene) {
        disconnect(old, nullptr, this, nullptr);
        disconnect(this, nullptr, old, nullptr);
    }
    d->scene = scene;
    if (scene) {
        updateSizeHints(scene->thumbnailSize());
        connect(scene, &Scene::layersChanged, this, [this](int first, int last) {
            emit headerDataChanged(Qt::Horizontal, first, last);
        });
        connect(scene, &Scene::drawingsChanged, this, &SceneModel::relayDrawingsChanged);
        connect(scene, &Scene::frameSizeChanged, this, [this](QSize) {
            if (d->scene)
                sizeHintsChanged(d->scene->thumbnailSize());
        });
        connect(scene, &Scene::thumbnailSizeChanged, this, &SceneModel::sizeHintsChanged);
        connect(scene, &Scene::layerMoved, this, [this](int, int, int) {
            if (columnCount() > 0)
                emit headerDataChanged(Qt::Horizontal, 0, columnCount() - 1);
        });
        connect(scene, &Scene::backlightFramesChanged, this, [this]() {
            if (rowCount() > 0)
                emit headerDataChanged(Qt::Vertical, 0, rowCount() - 1);
        });
        connect(scene, &Scene::scrubFrameChanged, this, &SceneModel::relayScrubFrameChanged);
        connect(scene, &Scene::beginInsertLayer, this,
                [this](int layer) { beginInsertColumns(QModelIndex(), layer, layer); });
        connect(scene, &Scene::endInsertLayer, this, [this]() { endInsertColumns(); });
        connect(scene, &Scene::beginRemoveLayer, this,
                [this](int layer) { beginRemoveColumns(QModelIndex(), layer, layer); });
        connect(scene, &Scene::endRemoveLayer, this, [this]() { endRemoveColumns(); });
        connect(scene, &Scene::maximumFrameNumberChanged, this,
                &SceneModel::relayMaximumFrameNumberChanged);
    }
    endResetModel();
}

void SceneModel::updateSizeHints(KW::ThumbnailSize thumbnailSize)
{
    float const scale = Settings::instance()->UIScaleFraction();
    int const size = std::clamp(int(thumbnailSize), 0, 3);
    double aspect = 16.0 / 9.0;
    if (d->scene) {
        QSize const frame = d->scene->frameSize();
        // A degenerate frame has no aspect to follow.
        if (frame.width() > 0 && frame.height() > 0)
            aspect = double(frame.width()) / double(frame.height());
    }
    int width = 0;
    int height = 0;
    if (aspect >= 18.0 / 7.0) {
        height = int(scale * float(wideHeights[size]));
        width = std::max(std::min(int(std::ceil(aspect * height)), 6 * height),
                         int(36.0f * scale));
    } else {
        width = int(scale * float(cellWidths[size]));
        height = std::max(int(14.0f * scale),
                          int(std::floor(width / std::max(aspect, 0.67))));
    }
    d->cellSizeHint = QSize(width, height);
    d->annotationSizeHint = QSize(6 * height + 2, height);
}

void SceneModel::sizeHintsChanged(KW::ThumbnailSize thumbnailSize)
{
    updateSizeHints(thumbnailSize);
    // Invalid indexes would make views repaint everything or trip checks of
    // the model; a scene without a cell at (0, 0) has nothing to resize there.
    QModelIndex const first = index(0, 0);
    if (first.isValid())
        emit dataChanged(first, first, {Qt::SizeHintRole});
    if (columnCount() > 0)
        emit headerDataChanged(Qt::Horizontal, 0, columnCount() - 1);
}

void SceneModel::relayDrawingsChanged(QList<std::pair<int, int>> const& cells)
{
    for (auto const& [frame, layer] : cells) {
        QModelIndex const cell = index(frame - 1, layer);
        // A cell reported after it was removed has nothing left to show.
        if (cell.isValid())
            emit dataChanged(cell, cell);
    }
}

void SceneModel::relayScrubFrameChanged(int current, int previous)
{
    int const low = std::min(current, previous);
    int const high = std::max(current, previous);
    if (high <= 0)
        return;
    int const first = low >= 1 ? low - 1 : high - 1;
    emit headerDataChanged(Qt::Vertical, first, high - 1);
}

void SceneModel::relayMaximumFrameNumberChanged()
{
    emit layoutAboutToBeChanged();
    // Cells past the new last frame are gone; indexes kept on them must not
    // outlive them.
    QModelIndexList const kept = persistentIndexList();
    for (QModelIndex const& old : kept) {
        QModelIndex const now = index(old.row(), old.column());
        if (now != old)
            changePersistentIndex(old, now);
    }
    emit layoutChanged();
}

// --- queries -----------------------------------------------------------------

QSize SceneModel::frameSize() const
{
    return d->scene ? d->scene->frameSize() : QSize();
}

QImage SceneModel::thumbnail(QModelIndex const& index, QSize const& size) const
{
    if (!d->scene)
        return QImage();
    return d->scene->thumbnail(index.column(), index.row() + 1, size);
}

bool SceneModel::isOffPegs(int frame, int* layer) const
{
    return d->scene && d->scene->isOffPegs(frame, layer);
}

QList<QModelIndex> SceneModel::cloneIndices(QModelIndex const& index) const
{
    QList<QModelIndex> indexes;
    if (!d->scene)
        return indexes;
    for (auto const& [frame, layer] : d->scene->cloneIndices(index.column(), index.row() + 1))
        indexes.append(this->index(frame - 1, layer));
    return indexes;
}

DrawingRef SceneModel::drawingIdentifier(QModelIndex const& index) const
{
    if (!d->scene || !d->scene->isVisualLayer(index.column()))
        return DrawingRef();
    return d->scene->drawingIdentifier(index.column(), index.row() + 1);
}

DrawingRef SceneModel::originalDrawingIdentifier(QModelIndex const& index) const
{
    if (!d->scene || !d->scene->isVisualLayer(index.column()))
        return DrawingRef();
    return d->scene->lookupOriginalRef(index.column(), index.row() + 1);
}

QModelIndex SceneModel::lookupIdentifier(DrawingRef const& ref) const
{
    if (!d->scene)
        return QModelIndex();
    int layer = -1;
    int frame = 0;
    if (!d->scene->lookupLayerItem(ref, &layer, &frame))
        return QModelIndex();
    return index(frame - 1, layer);
}

DrawingRef SceneModel::lookupCopyId(QUuid const& copyId) const
{
    if (!d->scene)
        return DrawingRef();
    DrawingRef ref;
    if (!d->scene->lookupCopyId(copyId, &ref, nullptr, nullptr))
        return DrawingRef();
    return ref;
}

std::shared_ptr<LayerItem> SceneModel::lookupLayerItem(QModelIndex const& index) const
{
    if (!d->scene)
        return nullptr;
    return d->scene->lookupLayerItem(index.column(), index.row() + 1);
}

std::shared_ptr<LayerItem> SceneModel::lookupLayerItem(DrawingRef const& ref) const
{
    if (!d->scene)
        return nullptr;
    return d->scene->lookupLayerItem(ref);
}

QMimeData* SceneModel::createMimeData(QModelIndex const& index) const
{
    if (!d->scene)
        return nullptr;
    return d->scene->createMimeData(index.column(), index.row() + 1, 1);
}

QMimeData* SceneModel::createMimeData(QList<QModelIndex> const& indexes) const
{
    if (!d->scene || indexes.isEmpty())
        return nullptr;
    QList<QModelIndex> sorted = indexes;
    std::sort(sorted.begin(), sorted.end(), [](QModelIndex const& a, QModelIndex const& b) {
        return a.row() != b.row() ? a.row() < b.row() : a.column() < b.column();
    });
    QModelIndex const& first = sorted.constFirst();
    return d->scene->createMimeData(first.column(), first.row() + 1, int(sorted.size()));
}

// --- edits -------------------------------------------------------------------

int SceneModel::appendStroke(QModelIndex const& index, std::unique_ptr<Stroke>&& stroke)
{
    if (!d->scene)
        return 0;
    return d->scene->appendStroke(index.column(), index.row() + 1, std::move(stroke)) ? 1 : 0;
}

std::unique_ptr<Stroke> SceneModel::removeLastStroke(QModelIndex const& index)
{
    if (!d->scene)
        return nullptr;
    return d->scene->removeLastStroke(index.column(), index.row() + 1);
}

namespace {

QList<SceneChange> reversed(QList<SceneChange> changes)
{
    std::reverse(changes.begin(), changes.end());
    return changes;
}

} // namespace

QList<SceneChange> SceneModel::insertBlankDrawingAt(QModelIndex const& index)
{
    if (!d->scene)
        return {};
    return reversed(d->scene->addBlankDrawingBefore2(index.column(), index.row() + 1));
}

QList<SceneChange> SceneModel::addCloneDrawingAfter(QModelIndex const& index)
{
    if (!d->scene)
        return {};
    return reversed(d->scene->addCloneDrawingAfter2(index.column(), index.row() + 1, false));
}

QList<SceneChange> SceneModel::addCloneDrawingsAfter(QModelIndex const& index, int count)
{
    if (!d->scene)
        return {};
    return reversed(d->scene->addCloneDrawingsAfter2(index.column(), index.row() + 1, count));
}

QList<SceneChange> SceneModel::addBlankDrawingAfter(QModelIndex const& index)
{
    if (!d->scene)
        return {};
    return reversed(d->scene->addBlankDrawingAfter2(index.column(), index.row() + 1));
}

QList<SceneChange> SceneModel::removeFrame(QModelIndex const& index)
{
    if (!d->scene)
        return {};
    return reversed(d->scene->removeFrame(index.column(), index.row() + 1));
}

QList<SceneChange> SceneModel::removeFrames(QModelIndex const& index, int count)
{
    if (!d->scene)
        return {};
    // The scene works backwards from the last of the frames.
    return reversed(d->scene->removeFrames(index.column(), index.row() + count, count));
}

QList<SceneChange> SceneModel::replaceDrawingWithOriginal(QModelIndex const& index,
                                                          QUuid const& copyId)
{
    if (!d->scene)
        return {};
    return reversed(
        d->scene->replaceDrawingWithOriginal(index.column(), index.row() + 1, copyId));
}

QList<SceneChange> SceneModel::replaceDrawingWithDistantClone(QModelIndex const& index,
                                                              DrawingRef target, bool quiet)
{
    if (!d->scene)
        return {};
    return reversed(d->scene->replaceDrawingWithDistantClone(index.column(), index.row() + 1,
                                                             target, quiet));
}

QList<SceneChange> SceneModel::replaceDrawingWithHold(QModelIndex const& index, bool quiet)
{
    if (!d->scene)
        return {};
    return reversed(d->scene->replaceDrawingWithHold(index.column(), index.row() + 1, quiet));
}

QList<SceneChange> SceneModel::replaceDrawing(QModelIndex const& index,
                                              std::shared_ptr<Drawing> drawing,
                                              bool passClonesOn, bool quiet)
{
    if (!d->scene)
        return {};
    return reversed(d->scene->replaceDrawing(index.column(), index.row() + 1, std::move(drawing),
                                             passClonesOn, quiet));
}

QList<SceneChange> SceneModel::appendCut(QModelIndex const& index, QPainterPath const& path)
{
    if (!d->scene)
        return {};
    return reversed(d->scene->appendCut(index.column(), index.row() + 1, path));
}

void SceneModel::reverseChanges(QList<SceneChange> const& changes)
{
    if (!d->scene)
        return;
    d->scene->addChanges(reversed(changes));
}

} // namespace Model
