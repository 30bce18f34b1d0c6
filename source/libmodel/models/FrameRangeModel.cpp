#include "models/FrameRangeModel.h"

#include "models/SceneModel.h"
#include "scene/Scene.h"

#include <QPointer>

#include <algorithm>

namespace Model {

struct FrameRangeModel::Data
{
    // Guarded: the bundle deletes the scene before its models.
    QPointer<Scene> scene;
    DragMode dragMode = NoDrag;
    QModelIndex dragIndex; // its row is R and its column L
    int distance = 0;      // d, negative upward
    int minAllowed = 0;
    int maxAllowed = 0;
    int minReached = 0; // a, never above 0
    int maxReached = 0; // b, never below 0
    // Per row of the dragged layer during a slide: the unshifted row whose
    // cell it shows.
    QList<int> slideMap;
    QList<QMetaObject::Connection> sourceConnections;
};

FrameRangeModel::FrameRangeModel(QObject* parent)
    : QAbstractProxyModel(parent)
    , d(std::make_unique<Data>())
{
}

FrameRangeModel::~FrameRangeModel() = default;

// --- range and lengths -------------------------------------------------------

int FrameRangeModel::minimumFrameRangeNumber() const
{
    return d->scene ? d->scene->minimumFrameRangeNumber() : 0;
}

bool FrameRangeModel::inDragGroup(int column) const
{
    if (!d->scene || !d->dragIndex.isValid())
        return false;
    int const dragged = d->dragIndex.column();
    return column == dragged
           || (d->scene->isLayerLinked(dragged) && d->scene->isLayerLinked(column));
}

int FrameRangeModel::effectiveLayerLength(int column) const
{
    Scene const* scene = d->scene;
    if (!scene)
        return 0;
    int const length = scene->layerLength(column);
    if (d->dragMode != AddClones)
        return length;
    if (inDragGroup(column)) {
        int const grabbedFrame = minimumFrameRangeNumber() + d->dragIndex.row();
        return length >= grabbedFrame ? length + d->distance : length;
    }
    if (scene->isVisualLayer(column))
        return length;
    return std::min(length, maximumFrameNumber());
}

int FrameRangeModel::maximumFrameNumber() const
{
    Scene const* scene = d->scene;
    if (!scene)
        return 0;
    if (d->dragMode != AddClones)
        return scene->maximumFrameNumber();
    int maximum = 0;
    for (int layer = 0; layer < scene->numLayers(); ++layer) {
        if (scene->isVisualLayer(layer))
            maximum = std::max(maximum, effectiveLayerLength(layer));
    }
    return maximum;
}

int FrameRangeModel::maximumFrameRangeNumber() const
{
    Scene const* scene = d->scene;
    if (!scene)
        return -1;
    int const rangeLast = scene->maximumFrameRangeNumber();
    if (d->dragMode != AddClones || d->distance == 0)
        return rangeLast;
    if (d->distance < 0) {
        // Discarded holds pull the range end in, but not past a layer that
        // the drag leaves alone.
        int maximum = rangeLast + d->distance;
        for (int layer = 0; layer < scene->numLayers(); ++layer) {
            if (scene->isVisualLayer(layer) && !inDragGroup(layer))
                maximum = std::max(maximum, std::min(rangeLast, scene->layerLength(layer)));
        }
        return maximum;
    }
    int maximum = rangeLast;
    for (int layer = 0; layer < scene->numLayers(); ++layer) {
        if (!inDragGroup(layer))
            continue;
        int const length = scene->layerLength(layer);
        int const grown = length >= rangeLast ? rangeLast + d->distance
                                              : rangeLast + std::max(0, d->distance + length - rangeLast);
        maximum = std::max(maximum, grown);
    }
    return maximum;
}

QSize FrameRangeModel::frameSize() const
{
    return d->scene ? d->scene->frameSize() : QSize();
}

// --- table shape -------------------------------------------------------------

int FrameRangeModel::rowCount(QModelIndex const& parent) const
{
    if (parent.isValid())
        return 0;
    return maximumFrameRangeNumber() - minimumFrameRangeNumber() + 2;
}

int FrameRangeModel::columnCount(QModelIndex const& parent) const
{
    if (parent.isValid() || !d->scene)
        return 0;
    return d->scene->numLayers();
}

QModelIndex FrameRangeModel::parent(QModelIndex const&) const
{
    return QModelIndex();
}

bool FrameRangeModel::hasChildren(QModelIndex const& parent) const
{
    return !parent.isValid() && rowCount() > 0 && columnCount() > 0;
}

QModelIndex FrameRangeModel::index(int row, int column, QModelIndex const& parent) const
{
    if (parent.isValid() || row < 0 || column < 0 || column >= columnCount())
        return QModelIndex();
    if (d->scene && d->scene->isVisualLayer(column))
        return sourceCell(row, column).isValid() ? createIndex(row, column) : QModelIndex();
    // Only visual layers have the extra row after the range.
    return row < rowCount() - 1 ? createIndex(row, column) : QModelIndex();
}

QModelIndex FrameRangeModel::sourceCell(int row, int column) const
{
    Scene const* scene = d->scene;
    QAbstractItemModel const* source = sourceModel();
    if (!scene || !source || row < 0 || row >= rowCount() || column < 0
        || column >= scene->numLayers())
        return QModelIndex();

    int const m = minimumFrameRangeNumber();
    int const unshifted = m + row - 1; // s0
    int const grabbed = d->dragIndex.row();

    if (d->dragMode == Slide && column == d->dragIndex.column() && row < d->slideMap.size())
        return source->index(m - 1 + d->slideMap.at(row), column);

    if (d->dragMode == AddClones && inDragGroup(column)) {
        int const rangeLast = maximumFrameRangeNumber();
        bool const inLayer =
            unshifted < rangeLast && unshifted < effectiveLayerLength(column);
        // Added holds: the rows after the grabbed one repeat it, later rows
        // show what stood distance rows earlier.
        if (d->distance >= 1 && row > grabbed && inLayer)
            return source->index(std::max(row - d->distance, grabbed) + m - 1, column);
        // Discarded holds: the rows after the cut show what stood further on.
        if (d->distance <= -1 && row > grabbed + d->distance && inLayer)
            return source->index(unshifted - d->distance, column);
    }

    if (scene->isVisualLayer(column)) {
        int const rangeLast = maximumFrameRangeNumber();
        int const length = effectiveLayerLength(column);
        int const realLength = scene->layerLength(column);
        if ((unshifted == length && length < rangeLast)
            || (rangeLast < length && row == rowCount() - 1))
            return source->index(realLength, column); // the virtual last frame
        if (unshifted > length || unshifted > rangeLast)
            return QModelIndex();
        if (unshifted == rangeLast)
            return source->index(realLength, column);
        return source->index(unshifted, column);
    }
    return source->index(unshifted, column);
}

QModelIndex FrameRangeModel::mapToSource(QModelIndex const& proxyIndex) const
{
    if (!proxyIndex.isValid() || proxyIndex.model() != this)
        return QModelIndex();
    return sourceCell(proxyIndex.row(), proxyIndex.column());
}

QModelIndex FrameRangeModel::mapFromSource(QModelIndex const& sourceIndex) const
{
    Scene const* scene = d->scene;
    if (!sourceIndex.isValid() || !scene || sourceIndex.model() != sourceModel())
        return QModelIndex();

    int const m = minimumFrameRangeNumber();
    int const sourceRow = sourceIndex.row();
    int const column = sourceIndex.column();
    int const unshifted = sourceRow - m + 1; // q
    int const grabbed = d->dragIndex.row();
    // Bounded by the range as the preview shows it, so that rows a drag adds
    // past the scene's range end map back as well.
    int const rangeLast = maximumFrameRangeNumber();
    auto const shown = [&](int row) {
        return row >= 0 && column >= 0 && column < scene->numLayers() && m + row <= rangeLast + 1
               && m + row <= scene->layerLength(column) + 1;
    };

    if (d->dragMode == Slide && column == d->dragIndex.column()) {
        int const row = int(d->slideMap.indexOf(unshifted));
        if (row < 0 || !shown(row))
            return QModelIndex();
        return index(row, column);
    }

    if (d->dragMode == AddClones && inDragGroup(column)) {
        if (d->distance >= 1 && unshifted > grabbed)
            return index(unshifted + d->distance, column);
        if (d->distance <= -1) {
            if (unshifted > grabbed)
                return index(unshifted + d->distance, column);
            // The discarded holds are not shown.
            if (unshifted > grabbed + d->distance)
                return QModelIndex();
        }
    }

    if (scene->isVisualLayer(column)) {
        int const length = effectiveLayerLength(column);
        if (length >= maximumFrameRangeNumber() && sourceRow == length)
            return index(rowCount() - 1, column);
        if (sourceRow > length)
            return QModelIndex();
    }
    return shown(unshifted) ? index(unshifted, column) : QModelIndex();
}

QModelIndex FrameRangeModel::sceneIndex(int row, int column) const
{
    Scene const* scene = d->scene;
    if (row < 0 || column < 0 || !scene || column >= scene->numLayers())
        return QModelIndex();
    int const frame = minimumFrameRangeNumber() + row;
    if (frame > scene->maximumFrameRangeNumber() + 1 || frame > scene->layerLength(column) + 1)
        return QModelIndex();
    return createIndex(row, column);
}

// --- data and headers --------------------------------------------------------

bool FrameRangeModel::previewHold(int row, int column) const
{
    int const grabbed = d->dragIndex.row();
    if (d->dragMode == Slide && column == d->dragIndex.column()) {
        return (grabbed + d->minReached <= row && row < grabbed + d->distance)
               || (grabbed + d->distance < row && row <= grabbed + d->maxReached);
    }
    if (d->dragMode == AddClones && d->distance >= 1 && d->scene
        && d->scene->isVisualLayer(column) && inDragGroup(column))
        return grabbed < row && row <= grabbed + d->distance;
    return false;
}

QVariant FrameRangeModel::data(QModelIndex const& index, int role) const
{
    if (!index.isValid())
        return QVariant();
    switch (role) {
    case SceneModel::HoldRole:
        if (previewHold(index.row(), index.column()))
            return true;
        break;
    case SceneModel::KeyDrawingRole:
        if (previewHold(index.row(), index.column()))
            return false;
        break;
    case SceneModel::DistantCloneRole:
        if (data(index, SceneModel::HoldRole).toBool())
            return false;
        break;
    default:
        break;
    }
    return QAbstractProxyModel::data(index, role);
}

QVariant FrameRangeModel::headerData(int section, Qt::Orientation orientation, int role) const
{
    QAbstractItemModel const* source = sourceModel();
    if (!source)
        return QVariant();
    int const m = minimumFrameRangeNumber();
    if (orientation == Qt::Vertical) {
        // The light table follows the drag only once it is committed.
        if (role == SceneModel::BacklightFrameRole && d->dragMode != NoDrag)
            return QVariant();
        return source->headerData(section + m - 1, orientation, role);
    }
    QVariant const value = source->headerData(section, orientation, role);
    if (role == SceneModel::LayerLengthRole && d->dragMode == AddClones && d->scene
        && value.isValid()) {
        int const length = value.toInt();
        if (inDragGroup(section)) {
            if (length >= m + d->dragIndex.row())
                return length + d->distance;
        } else if (!d->scene->isVisualLayer(section)) {
            return std::min(length, maximumFrameNumber());
        }
    }
    return value;
}

bool FrameRangeModel::setHeaderData(int section, Qt::Orientation orientation,
                                    QVariant const& value, int role)
{
    QAbstractItemModel* const source = sourceModel();
    if (!source)
        return false;
    if (orientation == Qt::Vertical)
        section += minimumFrameRangeNumber() - 1;
    return source->setHeaderData(section, orientation, value, role);
}

// --- source model and scene --------------------------------------------------

void FrameRangeModel::setSourceModel(QAbstractItemModel* model)
{
    if (model == sourceModel())
        return;
    beginResetModel();
    for (QMetaObject::Connection const& connection : std::as_const(d->sourceConnections))
        disconnect(connection);
    d->sourceConnections.clear();
    QAbstractProxyModel::setSourceModel(model);
    if (model) {
        d->sourceConnections << connect(
            model, &QAbstractItemModel::headerDataChanged, this,
            [this](Qt::Orientation orientation, int first, int last) {
                if (orientation == Qt::Horizontal) {
                    emit headerDataChanged(orientation, first, last);
                    return;
                }
                int const shift = minimumFrameRangeNumber() - 1;
                int const lastRow = rowCount() - 1;
                first -= shift;
                last -= shift;
                if (last < 0 || first >= lastRow)
                    return;
                emit headerDataChanged(orientation, std::clamp(first, 0, lastRow),
                                       std::clamp(last, 0, lastRow));
            });
        d->sourceConnections << connect(
            model, &QAbstractItemModel::dataChanged, this,
            [this](QModelIndex const& topLeft, QModelIndex const& bottomRight,
                   QList<int> const& roles) {
                QModelIndex const first = mapFromSource(topLeft);
                QModelIndex const last = mapFromSource(bottomRight);
                // Cells outside the range are not shown here.
                if (first.isValid() && last.isValid())
                    emit dataChanged(first, last, roles);
            });
    }
    endResetModel();
}

Scene* FrameRangeModel::scene() const
{
    return d->scene;
}

void FrameRangeModel::setScene(Scene* scene)
{
    if (scene == d->scene)
        return;
    beginResetModel();
    if (Scene* const old = d->scene) {
        disconnect(old, nullptr, this, nullptr);
        disconnect(this, nullptr, old, nullptr);
    }
    d->scene = scene;
    // A drag belongs to the scene it started in.
    d->dragMode = NoDrag;
    d->dragIndex = QModelIndex();
    d->distance = d->minAllowed = d->maxAllowed = d->minReached = d->maxReached = 0;
    d->slideMap.clear();
    if (scene) {
        connect(scene, &Scene::beginInsertLayer, this,
                [this](int layer) { beginInsertColumns(QModelIndex(), layer, layer); });
        connect(scene, &Scene::endInsertLayer, this, [this]() { endInsertColumns(); });
        connect(scene, &Scene::beginRemoveLayer, this,
                [this](int layer) { beginRemoveColumns(QModelIndex(), layer, layer); });
        connect(scene, &Scene::endRemoveLayer, this, [this]() { endRemoveColumns(); });
        connect(scene, &Scene::frameRangeChanged, this, &FrameRangeModel::relayLayoutChange);
    }
    endResetModel();
}

void FrameRangeModel::relayLayoutChange()
{
    emit layoutAboutToBeChanged();
    // Rows past the new range end are gone; indexes kept on them must not
    // outlive them.
    QModelIndexList const kept = persistentIndexList();
    for (QModelIndex const& old : kept) {
        QModelIndex const now = index(old.row(), old.column());
        if (now != old)
            changePersistentIndex(old, now);
    }
    emit layoutChanged();
}

// --- drags -------------------------------------------------------------------

bool FrameRangeModel::isHoldRow(int row) const
{
    return d->scene
           && d->scene->isHoldFrame(d->dragIndex.column(), minimumFrameRangeNumber() + row);
}

void FrameRangeModel::resetSlideMap()
{
    d->slideMap.clear();
    if (d->dragIndex.isValid() && d->scene) {
        int const size = effectiveLayerLength(d->dragIndex.column()) - minimumFrameRangeNumber() + 1;
        if (size > 0)
            d->slideMap.fill(0, size);
    }
}

void FrameRangeModel::rebuildSlideMap()
{
    resetSlideMap();
    if (!d->scene)
        return;
    QList<int>& map = d->slideMap;
    int const size = int(map.size());
    int const grabbed = d->dragIndex.row();
    int const a = d->minReached;
    int const b = d->maxReached;
    auto const put = [&map, size](int row, int shown) {
        if (row >= 0 && row < size)
            map[row] = shown;
    };

    // Above the drag, the drawings that moved up over holds close the gap.
    if (grabbed + a >= 0) {
        int cursor = grabbed;
        int budget = -a;
        for (int row = grabbed + a; row >= 0; --row) {
            put(row, cursor);
            --cursor;
            while (budget > 0 && cursor >= 0 && isHoldRow(cursor)) {
                --cursor;
                --budget;
            }
        }
    }
    // Rows the drawing left below it hold the drawing before it.
    for (int row = grabbed + a; row < grabbed + d->distance; ++row)
        put(row, grabbed - 1);
    // Rows the drawing passed over and came back from repeat it.
    for (int row = grabbed + d->distance; row < grabbed + b; ++row)
        put(row, grabbed);
    // Below the drag, the holds it used up are skipped.
    int cursor = grabbed;
    int budget = b;
    for (int row = grabbed + b; row < size; ++row) {
        put(row, cursor);
        ++cursor;
        while (budget > 0 && cursor < size && isHoldRow(cursor)) {
            ++cursor;
            --budget;
        }
    }
}

bool FrameRangeModel::dragStart(DragMode mode, QModelIndex const& index)
{
    Scene const* scene = d->scene;
    if (!index.isValid() || index.model() != this || !scene
        || data(index, SceneModel::VirtualLastFrameRole).toBool())
        return false;

    d->dragIndex = index;
    d->dragMode = NoDrag;
    d->distance = 0;
    d->minAllowed = d->maxAllowed = d->minReached = d->maxReached = 0;
    d->slideMap.clear();

    int const m = minimumFrameRangeNumber();
    int const layer = index.column();
    int const grabbedFrame = m + index.row();

    switch (mode) {
    case AddClones: {
        // Holds right above the grabbed cell may be discarded by dragging up.
        bool const linked = scene->isLayerLinked(layer);
        auto const countsAsHold = [scene, layer, linked](int frame) {
            if (frame < 1)
                return false;
            if (!linked)
                return scene->isHoldFrame(layer, frame);
            bool any = false;
            for (int i = 0; i < scene->numLayers(); ++i) {
                if (!scene->isVisualLayer(i) || !scene->isLayerLinked(i)
                    || scene->layerLength(i) < frame)
                    continue;
                if (!scene->isHoldFrame(i, frame))
                    return false;
                any = true;
            }
            return any;
        };
        for (int frame = grabbedFrame; countsAsHold(frame); --frame)
            --d->minAllowed;
        d->dragMode = AddClones;
        return true;
    }
    case Slide: {
        if (grabbedFrame == 1 || data(index, SceneModel::HoldRole).toBool())
            return false;
        resetSlideMap();
        for (int row = 0; row < d->slideMap.size(); ++row)
            d->slideMap[row] = row;
        int holdsBefore = 0;
        for (int frame = m; frame < grabbedFrame; ++frame) {
            if (scene->isHoldFrame(layer, frame))
                ++holdsBefore;
        }
        int holdsAfter = 0;
        int const last = std::min(effectiveLayerLength(layer), maximumFrameRangeNumber());
        for (int frame = grabbedFrame + 1; frame <= last; ++frame) {
            if (scene->isHoldFrame(layer, frame))
                ++holdsAfter;
        }
        d->minAllowed = -holdsBefore;
        d->maxAllowed = holdsAfter;
        d->dragMode = Slide;
        return true;
    }
    default:
        d->dragMode = mode;
        return true;
    }
}

void FrameRangeModel::setDragDistanceRows(int rows)
{
    switch (d->dragMode) {
    case Slide: {
        int const value = std::max(d->minAllowed, std::min(d->maxAllowed, rows));
        if (value == d->distance)
            return;
        d->distance = value;
        d->minReached = std::min(d->minReached, value);
        d->maxReached = std::max(d->maxReached, value);
        rebuildSlideMap();
        emit dragDistanceChanged(d->distance);
        return;
    }
    case AddClones: {
        int const value = std::max(rows, d->minAllowed);
        if (value == d->distance)
            return;
        d->distance = value;
        emit dragDistanceChanged(d->distance);
        return;
    }
    default:
        emit dragDistanceChanged(d->distance);
        return;
    }
}

void FrameRangeModel::dragEnd()
{
    d->dragMode = NoDrag;
    d->distance = 0;
    resetSlideMap();
    emit dragDistanceChanged(0);
}

FrameRangeModel::DragMode FrameRangeModel::dragMode() const
{
    return d->dragMode;
}

int FrameRangeModel::dragDistance() const
{
    return d->distance;
}

int FrameRangeModel::minDraggedDistance() const
{
    return d->minReached;
}

int FrameRangeModel::maxDraggedDistance() const
{
    return d->maxReached;
}

QModelIndex FrameRangeModel::currentDragIndex() const
{
    if (d->dragMode == NoDrag || !d->dragIndex.isValid())
        return QModelIndex();
    return index(d->dragIndex.row() + d->distance, d->dragIndex.column());
}

// --- cell queries ------------------------------------------------------------

QImage FrameRangeModel::thumbnail(QModelIndex const& index, QSize const& size) const
{
    Scene const* scene = d->scene;
    if (!scene)
        return QImage();
    int const grabbed = d->dragIndex.row();
    // Notes are not repeated into added holds.
    if (d->dragMode == AddClones && inDragGroup(index.column())
        && scene->isAnnotationLayer(index.column()) && grabbed < index.row()
        && index.row() <= grabbed + d->distance)
        return QImage();
    QModelIndex const source = mapToSource(index);
    if (!source.isValid())
        return QImage();
    return scene->thumbnail(source.column(), source.row() + 1, size);
}

bool FrameRangeModel::isOffPegs(int row, int* layer) const
{
    Scene const* scene = d->scene;
    if (!scene)
        return false;
    int const frame = row + minimumFrameRangeNumber();
    if (d->dragMode != AddClones)
        return scene->isOffPegs(frame, layer);
    int const dragged = d->dragIndex.column();
    QModelIndex const source = sourceCell(row, dragged);
    if (source.isValid()) {
        int shownLayer = -1;
        if (scene->isOffPegs(source.row() + 1, &shownLayer) && shownLayer == dragged) {
            if (layer)
                *layer = shownLayer;
            return true;
        }
    }
    int other = -1;
    bool const offPegs = scene->isOffPegs(frame, &other);
    if (layer)
        *layer = other;
    return offPegs && other != dragged;
}

QList<QModelIndex> FrameRangeModel::cloneIndices(QModelIndex const& index) const
{
    QList<QModelIndex> indexes;
    QAbstractItemModel const* source = sourceModel();
    if (!d->scene || !source)
        return indexes;
    QModelIndex const cell = mapToSource(index);
    for (auto const& [frame, layer] : d->scene->cloneIndices(cell.column(), cell.row() + 1))
        indexes.append(mapFromSource(source->index(frame - 1, layer)));
    return indexes;
}

// --- sound -------------------------------------------------------------------

bool FrameRangeModel::isAudioAvailable() const
{
    return d->scene && d->scene->isAudioAvailable();
}

void FrameRangeModel::setAudioOffsetFramesTemporary(double offsetFrames)
{
    if (d->scene)
        d->scene->setAudioOffsetFramesTemporary(offsetFrames);
}

bool FrameRangeModel::audioStartsBeyondRange() const
{
    return isAudioAvailable() && d->scene->audioOffsetFramesTotal() > maximumFrameRangeNumber();
}

bool FrameRangeModel::audioEndsBeyondRange() const
{
    if (!isAudioAvailable())
        return false;
    int const rangeLast = maximumFrameRangeNumber();
    return d->scene->audioOffsetFramesTotal() >= rangeLast
           || d->scene->isAudioAvailableInRange(rangeLast + 1, rangeLast + 1);
}

} // namespace Model
