#include "scene/Scene.h"

#include "audio/AudioLayer.h"
#include "drawings/Drawing.h"
#include "scene/AnnotationLayer.h"
#include "scene/DrawLayer.h"
#include "scene/Layer.h"
#include "scene/LayerItem.h"
#include "scene/StrokeLayer.h"
#include "scene/VisualLayer.h"
#include "settings/Settings.h"

#include <QFileInfo>
#include <QPainter>
#include <QPainterPath>
#include <QPixmap>
#include <QSignalBlocker>
#include <QUndoStack>

#include <algorithm>
#include <cmath>
#include <optional>

namespace Model {

namespace {

constexpr double minimumFrameRate = 0.1;
constexpr double maximumFrameRate = 60.0;
constexpr int undoLimit = 50;

// Opacities this close to 0 paint nothing.
bool isZeroOpacity(double opacity)
{
    return std::abs(opacity) <= 1e-12;
}

double boundedFrameRate(double frameRate)
{
    return std::max(std::min(frameRate, maximumFrameRate), minimumFrameRate);
}

bool isVisualType(int type)
{
    return type >= Layer::StrokeLayerType && type <= Layer::ReferenceLayerType;
}

bool isDrawType(int type)
{
    return type == Layer::StrokeLayerType || type == Layer::PaintLayerType;
}

QPixmap transparentPixmap(QSize const& size)
{
    QPixmap pixmap(size);
    pixmap.fill(Qt::transparent);
    return pixmap;
}

} // namespace

struct Scene::Data
{
    QString name = QStringLiteral("Untitled");
    QString fileName;
    QSize frameSize;
    QList<std::shared_ptr<Layer>> layers;
    BacklightSettings backlightSettings;
    QPixmap framePixmap;
    QPixmap currentFramePixmap;
    QPixmap backlightPixmap;
    QList<int> visualLayerIndices;  // display position of each layer index
    QList<int> logicalLayerIndices; // layer index at each display position
    int maximumFrameNumber = 1;
    int activeFrame = -1;
    int scrubFrame = -1;
    int activeLayerIdx = -1;
    int audioLayerIdx = -1;
    bool scrubbing = false;
    int frameRangeFirst = 1;
    int frameRangeLast = 1;
    KW::ThumbnailSize thumbnailSize = KW::ThumbnailSize::ThumbnailTiny;
    QUndoStack* undoStack = nullptr;
    // The active stroke and the two stroke timers join these fields with the
    // scene's stroke input.
    double frameRate = 0.0;
    int highestUsedLayerNumber = 0;
};

Scene::Scene(QObject* parent)
    : QObject(parent)
    , d(std::make_unique<Data>())
{
    Settings const* settings = Settings::instance();
    d->frameSize = settings->defaultFrameSize();
    double const rate = settings->defaultFrameRate();
    // The same bounds as setFrameRate, so that a scene never starts with a
    // rate that setFrameRate would refuse to store.
    d->frameRate = std::isnan(rate) ? minimumFrameRate : boundedFrameRate(rate);
    d->thumbnailSize = settings->thumbnailSize();
    d->undoStack = new QUndoStack(this);
    d->undoStack->setUndoLimit(undoLimit);
    readAndConnectSettings();
}

Scene::~Scene()
{
    disconnectSettings();
    // Layers belong to their shared pointers, not to the QObject tree: one
    // that outlives the scene elsewhere (an undo record, a copy) must not be
    // deleted by Qt along with the scene's children.
    for (Layer* layer : findChildren<Layer*>(QString(), Qt::FindDirectChildrenOnly))
        layer->setParent(nullptr);
    d.reset();
}

void Scene::readAndConnectSettings()
{
    Settings* const settings = Settings::instance();
    d->backlightSettings = settings->backlightSettings();
    connect(settings, &Settings::backlightSettingsChanged, this,
            [this]() { setBacklightSettings(Settings::instance()->backlightSettings()); });
}

void Scene::disconnectSettings()
{
    disconnect(Settings::instance(), nullptr, this, nullptr);
}

// --- simple queries --------------------------------------------------------

QString Scene::name() const
{
    return d->name;
}

QString Scene::filename() const
{
    return d->fileName;
}

void Scene::setFilename(QString const& filename)
{
    d->fileName = filename;
    setName(QFileInfo(filename).completeBaseName());
}

QSize Scene::frameSize() const
{
    return d->frameSize;
}

int Scene::frameWidth() const
{
    return d->frameSize.width();
}

int Scene::frameHeight() const
{
    return d->frameSize.height();
}

double Scene::frameRate() const
{
    return d->frameRate;
}

KW::ThumbnailSize Scene::thumbnailSize() const
{
    return d->thumbnailSize;
}

QUndoStack* Scene::undoStack() const
{
    return d->undoStack;
}

int Scene::minimumFrameNumber() const
{
    return 1;
}

int Scene::maximumFrameNumber() const
{
    return d->maximumFrameNumber;
}

int Scene::minimumFrameRangeNumber() const
{
    return d->frameRangeFirst;
}

int Scene::maximumFrameRangeNumber() const
{
    return d->frameRangeLast;
}

int Scene::activeFrame() const
{
    return d->activeFrame;
}

int Scene::activeLayerIdx() const
{
    return d->activeLayerIdx;
}

int Scene::scrubFrame() const
{
    return d->scrubFrame;
}

bool Scene::isScrubFrame(int frame) const
{
    return d->scrubFrame != -1 && d->scrubFrame == frame;
}

int Scene::highestUsedLayerNumber() const
{
    return d->highestUsedLayerNumber;
}

QList<std::shared_ptr<Layer>> Scene::layers() const
{
    return d->layers;
}

int Scene::numLayers() const
{
    return int(d->layers.size());
}

int Scene::numDrawLayers() const
{
    return int(std::count_if(d->layers.cbegin(), d->layers.cend(),
                             [](auto const& layer) { return isDrawType(layer->type()); }));
}

int Scene::numVisualLayers() const
{
    return int(std::count_if(d->layers.cbegin(), d->layers.cend(),
                             [](auto const& layer) { return isVisualType(layer->type()); }));
}

int Scene::audioLayerIdx() const
{
    return d->audioLayerIdx;
}

int Scene::annotationLayerIdx() const
{
    for (qsizetype i = 0; i < d->layers.size(); ++i) {
        if (d->layers.at(i)->type() == Layer::AnnotationLayerType)
            return int(i);
    }
    return -1;
}

std::shared_ptr<Layer> Scene::layer(int index) const
{
    if (index < 0 || index >= d->layers.size())
        return nullptr;
    return d->layers.at(index);
}

int Scene::getLayerIndex(std::shared_ptr<Layer> const& layer) const
{
    return int(d->layers.indexOf(layer));
}

QList<int> Scene::getLogicalLayerIndices() const
{
    return d->logicalLayerIndices;
}

QList<int> Scene::getVisualLayerIndices() const
{
    return d->visualLayerIndices;
}

int Scene::layerIndexTop() const
{
    for (int const index : std::as_const(d->logicalLayerIndices)) {
        if (VisualLayer const* visual = visualLayer(index);
            visual && visual->length() >= d->frameRangeFirst)
            return index;
    }
    return -1;
}

int Scene::layerType(int layer) const
{
    std::shared_ptr<Layer> const l = this->layer(layer);
    return l ? l->type() : 0;
}

bool Scene::isStrokeLayer(int layer) const
{
    return layerType(layer) == Layer::StrokeLayerType;
}

bool Scene::isDrawLayer(int layer) const
{
    return isDrawType(layerType(layer));
}

bool Scene::isVisualLayer(int layer) const
{
    return isVisualType(layerType(layer));
}

bool Scene::isReferenceLayer(int layer) const
{
    return layerType(layer) == Layer::ReferenceLayerType;
}

bool Scene::isAudioLayer(int layer) const
{
    return layerType(layer) == Layer::AudioLayerType;
}

bool Scene::isAnnotationLayer(int layer) const
{
    return layerType(layer) == Layer::AnnotationLayerType;
}

int Scene::numDrawings() const
{
    int sum = 0;
    for (int i = 0; i < numLayers(); ++i) {
        if (isVisualLayer(i))
            sum += layerLength(i);
    }
    return sum;
}

int Scene::layerLength(int layer) const
{
    std::shared_ptr<Layer> const l = this->layer(layer);
    if (!l)
        return 0;
    if (isVisualType(l->type()))
        return l->length();
    return d->maximumFrameNumber;
}

int Scene::virtualLayerLength(int layer) const
{
    return layerLength(layer) + 1;
}

int Scene::layerBeyondLast(int layer) const
{
    VisualLayer const* visual = visualLayer(layer);
    return visual ? int(visual->layerBeyondLast()) : 0;
}

bool Scene::isLayerVisible(int layer) const
{
    VisualLayer const* visual = visualLayer(layer);
    return visual && visual->isVisible();
}

QString Scene::layerName(int layer) const
{
    std::shared_ptr<Layer> const l = this->layer(layer);
    return l ? l->name() : QString();
}

DrawingRef Scene::drawingIdentifier(int layer, int frame) const
{
    VisualLayer const* visual = visualLayer(layer);
    if (!visual || !visual->isFrameValid(frame))
        return DrawingRef();
    return visual->layerItem(frame)->reference(visual->identifier());
}

std::shared_ptr<LayerItem> Scene::lookupLayerItem(DrawingRef const& ref, int* layer,
                                                  int* frame) const
{
    if (ref.layer.isNull() || ref.drawing.isNull())
        return nullptr;
    for (qsizetype l = 0; l < d->layers.size(); ++l) {
        Layer* const candidate = d->layers.at(l).get();
        if (candidate->identifier() != ref.layer)
            continue;
        auto* const visual = qobject_cast<VisualLayer*>(candidate);
        if (!visual)
            continue;
        QList<std::shared_ptr<LayerItem>> const& cells = visual->frames();
        for (qsizetype i = 0; i < cells.size(); ++i) {
            if (cells.at(i)->identifier != ref.drawing)
                continue;
            if (layer)
                *layer = int(l);
            if (frame)
                *frame = int(i) + 1;
            return cells.at(i);
        }
    }
    return nullptr;
}

bool Scene::hasDrawing(DrawingRef ref, int* layer, int* frame) const
{
    return lookupLayerItem(ref, layer, frame) != nullptr;
}

QTransform Scene::offPegsTransform(int frame, int* layer) const
{
    for (int const index : std::as_const(d->logicalLayerIndices)) {
        VisualLayer const* visual = visualLayer(index);
        if (!visual)
            continue;
        QTransform const transform = visual->offPegsTransform(frame);
        if (!transform.isIdentity()) {
            if (layer)
                *layer = index;
            return transform;
        }
    }
    if (layer)
        *layer = -1;
    return QTransform();
}

// --- sound -------------------------------------------------------------------

bool Scene::isLayerAudible(int layer) const
{
    auto const* audio = qobject_cast<AudioLayer const*>(this->layer(layer).get());
    return audio && audio->isAudioAvailable() && audio->isAudible();
}

bool Scene::isAudioAvailable() const
{
    AudioLayer const* audio = audioLayer();
    return audio && audio->isAudioAvailable();
}

bool Scene::isAudioAvailableInRange(int first, int last) const
{
    AudioLayer const* audio = audioLayer();
    return audio && audio->isAudioAvailableInRange(first, last);
}

bool Scene::isAudible() const
{
    return isLayerAudible(d->audioLayerIdx);
}

bool Scene::isAudioFrameValid(int frame) const
{
    AudioLayer const* audio = audioLayer();
    return audio && audio->isFrameValid(frame);
}

double Scene::audioOffsetFrames() const
{
    AudioLayer const* audio = audioLayer();
    return audio ? audio->offsetFrames() : 0.0;
}

double Scene::audioOffsetFramesTotal() const
{
    AudioLayer const* audio = audioLayer();
    return audio ? audio->offsetFramesTotal() : 0.0;
}

bool Scene::setLayerAudible(int layer, bool audible)
{
    auto* const audio = qobject_cast<AudioLayer*>(this->layer(layer).get());
    if (!audio)
        return false;
    if (audio->isAudible() != audible) {
        audio->setAudible(audible);
        emit layersChanged(layer, layer);
    }
    return true;
}

bool Scene::setAudible(bool audible)
{
    return setLayerAudible(d->audioLayerIdx, audible);
}

void Scene::setAudioOffsetFrames(double offsetFrames)
{
    AudioLayer* const audio = audioLayer();
    if (!audio)
        return;
    audio->setOffsetFrames(offsetFrames);
    emit layersChanged(d->audioLayerIdx, d->audioLayerIdx);
}

void Scene::setAudioOffsetFramesTemporary(double offsetFrames)
{
    AudioLayer* const audio = audioLayer();
    if (!audio)
        return;
    audio->setOffsetFramesTemporary(offsetFrames);
    emit layersChanged(d->audioLayerIdx, d->audioLayerIdx);
}

void Scene::updateAudioLayerFrameRate()
{
    if (AudioLayer* const audio = audioLayer())
        audio->setFrameRate(d->frameRate);
}

void Scene::startScrubbing()
{
    d->scrubbing = true;
    if (AudioLayer* const audio = audioLayer()) {
        audio->startScrubbing();
        if (d->scrubFrame != -1)
            audio->playFrame(d->scrubFrame);
    }
}

void Scene::stopScrubbing()
{
    d->scrubbing = false;
    if (AudioLayer* const audio = audioLayer())
        audio->stopScrubbing();
}

void Scene::startAudioPlayback(int frame)
{
    if (AudioLayer* const audio = audioLayer())
        audio->startPlayback(frame, d->maximumFrameNumber);
}

void Scene::stopAudioPlayback()
{
    if (AudioLayer* const audio = audioLayer())
        audio->stopPlayback();
}

// --- simple edits ------------------------------------------------------------

void Scene::setName(QString const& name)
{
    d->name = name;
    emit nameChanged(d->name);
}

void Scene::setThumbnailSize(KW::ThumbnailSize thumbnailSize, bool alwaysEmit)
{
    bool const changed = thumbnailSize != d->thumbnailSize;
    d->thumbnailSize = thumbnailSize;
    if (changed || alwaysEmit)
        emit thumbnailSizeChanged(thumbnailSize);
}

void Scene::setLayerBeyondLast(int layer, Layer::LayerBeyondLast beyondLast)
{
    VisualLayer* const visual = visualLayer(layer);
    if (!visual || !visual->setLayerBeyondLast(beyondLast))
        return;
    if (visual->isVisible()) {
        updateCachedFramePixmap(true);
        emit rectChanged(frameRect());
    }
    emit layersChanged(layer, layer);
}

bool Scene::setLayerName(int layer, QString const& name)
{
    std::shared_ptr<Layer> const l = this->layer(layer);
    if (!l)
        return false;
    if (l->name() == name)
        return true;
    l->setName(name);
    emit layersChanged(layer, layer);
    return true;
}

void Scene::setHighestUsedLayerNumber(int number)
{
    d->highestUsedLayerNumber = number;
}

void Scene::internalRectChanged()
{
    emit rectChanged(frameRect());
}

void Scene::updateMaxFrameNumber()
{
    int maximum = 1;
    for (auto const& layer : std::as_const(d->layers))
        maximum = std::max(maximum, layer->length());
    if (maximum == d->maximumFrameNumber)
        return;
    d->maximumFrameNumber = maximum;
    emit maximumFrameNumberChanged(maximum);
}

// --- frame rate and range ----------------------------------------------------

void Scene::setFrameRate(double frameRate)
{
    // NaN would pass through the bounds and poison every timing after it.
    if (std::isnan(frameRate))
        return;
    double const rate = boundedFrameRate(frameRate);
    if (qFuzzyCompare(rate, d->frameRate))
        return;
    d->frameRate = rate;
    updateAudioLayerFrameRate();
    emit frameRateChanged(rate);
    emit layersChanged(d->audioLayerIdx, d->audioLayerIdx);
}

void Scene::setFrameRange(int lower, int upper, int wantedFrameId, int wantedLayerIndex)
{
    int const n = d->maximumFrameNumber;
    int const lo = std::max(std::min(lower, n), 1);
    int const hi = std::max(std::min(upper, n), 1);
    if (hi < lo)
        return;

    int first = lo;
    int last = hi;
    // A range is never a single frame unless the scene has only one.
    if (lo == hi && n != 1) {
        first = lo == 1 ? 1 : lo - 1;
        last = lo == 1 ? 2 : lo;
    }

    if (first == d->frameRangeFirst && last == d->frameRangeLast
        && wantedLayerIndex == d->activeLayerIdx && wantedFrameId == d->activeFrame
        && d->activeFrame >= first
        && d->activeFrame <= std::min(last, layerLength(d->activeLayerIdx)))
        return;

    d->frameRangeFirst = first;
    d->frameRangeLast = last;

    // The wanted layer, or the nearest one above it, that reaches the range.
    int layer = -1;
    if (wantedLayerIndex >= 0 && wantedLayerIndex < numLayers()) {
        for (int pos = d->visualLayerIndices.at(wantedLayerIndex); pos >= 0; --pos) {
            int const index = d->logicalLayerIndices.at(pos);
            VisualLayer const* visual = visualLayer(index);
            if (visual && visual->length() + 1 >= first) {
                layer = index;
                break;
            }
        }
    }
    emit frameRangeChanged(first, last);
    if (layer < 0)
        layer = layerIndexTop();

    int frame = 0;
    SetFrameBehaviour behaviour = KeepWithinDrawnFrames;
    VisualLayer const* chosen = visualLayer(layer);
    if (chosen && chosen->isVirtualLastFrame(wantedFrameId)) {
        frame = wantedFrameId;
        behaviour = AcceptVirtualLastFrame;
    } else {
        int const length = chosen ? chosen->length() : (this->layer(layer) ? n : 0);
        frame = std::min(length, last);
        frame = std::min(frame, wantedFrameId);
        frame = std::max(frame, first);
    }

    setActiveFrameAndLayerInternal(frame, layer, behaviour);
    updateCachedFramePixmap(true);
    emit offPegsTransformChanged(offPegsTransform(d->activeFrame));
    emit activeFrameAndLayerChanged(d->activeFrame, d->activeLayerIdx);
}

// --- active cell and scrub frame ---------------------------------------------

bool Scene::setActiveFrameAndLayerInternal(int frame, int layer, SetFrameBehaviour behaviour)
{
    if (frame == d->activeFrame && layer == d->activeLayerIdx) {
        if (behaviour != KeepWithinDrawnFrames)
            return false;
        // Only moving the active frame off the virtual last frame remains.
        VisualLayer const* visual = visualLayer(layer);
        if (isScrubFrameShown() || !visual || !visual->isVirtualLastFrame(d->activeFrame))
            return false;
    }

    int newFrame = 0;
    if (layer < 0) {
        if (frame < 1 || d->frameRangeFirst > 1)
            return false;
        newFrame = (frame == 1 && behaviour != KeepWithinDrawnFrames) ? 1 : d->frameRangeFirst;
    } else {
        int const type = layerType(layer);
        if (type == Layer::AudioLayerType || type == Layer::AnnotationLayerType || frame < 1)
            return false;
        // An index past the list counts as an empty layer.
        int const length = layerLength(layer);
        if (length + 1 < d->frameRangeFirst)
            return false;
        if (behaviour != KeepWithinDrawnFrames && frame == length + 1)
            newFrame = frame;
        else if (length < d->frameRangeFirst)
            newFrame = d->frameRangeFirst;
        else
            newFrame = std::max(d->frameRangeFirst,
                                std::min({frame, length, d->frameRangeLast}));
    }

    d->activeLayerIdx = layer;
    d->activeFrame = newFrame;
    setScrubFrame(-1);
    return true;
}

void Scene::setActiveFrameAndLayer(int frameId, int layerId, SetFrameBehaviour behaviour)
{
    if (!setActiveFrameAndLayerInternal(frameId, layerId, behaviour))
        return;
    emit activeFrameAndLayerChanged(d->activeFrame, d->activeLayerIdx);
    updateCachedFramePixmap(true);
}

void Scene::setScrubFrame(int frame)
{
    if (frame == d->scrubFrame)
        return;
    int const previous = d->scrubFrame;
    if (frame < 1)
        d->scrubFrame = -1;
    else if (frame <= d->maximumFrameNumber)
        d->scrubFrame = frame;
    emit scrubFrameChanged(d->scrubFrame, previous);
    if (d->scrubFrame == -1) {
        // The views return from the scrub frame to the active frame.
        emit activeFrameAndLayerChanged(d->activeFrame, d->activeLayerIdx);
        return;
    }
    if (d->scrubbing) {
        if (AudioLayer* const audio = audioLayer())
            audio->playFrame(frame);
    }
}

void Scene::unsetScrubFrame()
{
    setScrubFrame(-1);
}

// --- layer list --------------------------------------------------------------

int Scene::insertIntoLists(std::shared_ptr<Layer> const& layer, int index)
{
    int const n = numLayers();
    index = std::clamp(index, 0, n);
    d->layers.insert(index, layer);
    if (index <= d->audioLayerIdx)
        ++d->audioLayerIdx;
    // The new layer goes to the bottom of the stack.
    d->visualLayerIndices.insert(index, n);
    for (int& logical : d->logicalLayerIndices) {
        if (logical >= index)
            ++logical;
    }
    d->logicalLayerIndices.append(index);
    if (layer->type() == Layer::AudioLayerType)
        d->audioLayerIdx = index;
    return index;
}

void Scene::shiftDisplayOrder(int layer, int from, int to)
{
    QList<int>& logical = d->logicalLayerIndices;
    QList<int>& visual = d->visualLayerIndices;
    if (to < from) {
        for (int p = from; p > to; --p) {
            logical[p] = logical.at(p - 1);
            visual[logical.at(p)] = p;
        }
    } else {
        for (int p = from; p < to; ++p) {
            logical[p] = logical.at(p + 1);
            visual[logical.at(p)] = p;
        }
    }
    logical[to] = layer;
    visual[layer] = to;
}

void Scene::relinkAddedLayer(VisualLayer& layer)
{
    QUuid const layerId = layer.identifier();
    for (std::shared_ptr<LayerItem> const& cell : std::as_const(layer.frames())) {
        DrawingRef const self = cell->reference(layerId);
        if (cell->kind == LayerItem::Original) {
            // Undoes the promotion of removeLayer: the first clone that was
            // made an original becomes a clone again, the others follow.
            bool demoted = false;
            for (DrawingRef const& ref : std::as_const(cell->clones)) {
                if (ref.layer == layerId)
                    continue;
                if (demoted) {
                    connectCloneToNewOriginal(ref, self, cell);
                    continue;
                }
                if (std::shared_ptr<LayerItem> const clone = lookupLayerItem(ref)) {
                    clone->kind = LayerItem::DistantClone;
                    clone->original = self;
                    clone->clones.clear();
                    demoted = true;
                }
            }
        } else if (cell->kind == LayerItem::DistantClone) {
            if (std::shared_ptr<LayerItem> const original = lookupLayerItem(cell->original)) {
                cell->drawing = original->drawing;
                if (!original->clones.contains(self))
                    original->clones.append(self);
            }
        }
    }
}

int Scene::addLayer(std::shared_ptr<Layer> const& layer, int index)
{
    if (!layer)
        return -1;
    // Announced with the index actually used: views insert their column there.
    emit beginInsertLayer(std::clamp(index, 0, numLayers()));
    layer->setParent(this);
    int const i = insertIntoLists(layer, index);
    if (auto* const visual = qobject_cast<VisualLayer*>(layer.get()))
        relinkAddedLayer(*visual);
    emit layerInserted(i);
    emit endInsertLayer();
    updateMaxFrameNumber();
    if (layer->type() == Layer::AudioLayerType)
        updateAudioLayerFrameRate();
    if (numVisualLayers() == 1
        && setActiveFrameAndLayerInternal(1, layerIndexTop(), KeepWithinDrawnFrames)) {
        emit activeFrameAndLayerChanged(d->activeFrame, d->activeLayerIdx);
        updateCachedFramePixmap(true);
    }
    return i;
}

bool Scene::moveLayer(int layer, int from, int to)
{
    int const n = numLayers();
    if (from < 0 || to < 0 || from >= n || to >= n || d->logicalLayerIndices.at(from) != layer)
        return false;
    if (from != to)
        shiftDisplayOrder(layer, from, to);
    updateCachedFramePixmap(true);
    emit rectChanged(frameRect());
    emit layerMoved(layer, from, to);
    return true;
}

void Scene::detachRemovedLayer(VisualLayer& layer)
{
    QUuid const layerId = layer.identifier();
    for (std::shared_ptr<LayerItem> const& cell : std::as_const(layer.frames())) {
        DrawingRef const self = cell->reference(layerId);
        if (cell->kind == LayerItem::DistantClone) {
            if (cell->original.layer != layerId)
                disconnectFromOriginal(self, cell);
        } else if (cell->kind == LayerItem::Original) {
            // The first clone that stays becomes the original of the others.
            // The removed cell keeps its own list, so that adding the layer
            // back can reverse this.
            std::shared_ptr<LayerItem> promoted;
            DrawingRef promotedRef;
            for (DrawingRef const& ref : std::as_const(cell->clones)) {
                if (ref.layer == layerId)
                    continue;
                if (promoted) {
                    connectCloneToNewOriginal(ref, promotedRef, promoted);
                    continue;
                }
                if (std::shared_ptr<LayerItem> const clone = lookupLayerItem(ref)) {
                    clone->kind = LayerItem::Original;
                    clone->original = DrawingRef();
                    clone->clones.clear();
                    promoted = clone;
                    promotedRef = ref;
                }
            }
        }
    }
}

std::shared_ptr<Layer> Scene::removeLayer(int index)
{
    int const n = numLayers();
    if (index < 0 || index >= n)
        return nullptr;

    // Where the active layer stands, so that the layer taking its place can
    // be found afterwards. Without an active layer there is no place to keep.
    int const active = validActiveLayer();
    int const activePosition = active >= 0 ? d->visualLayerIndices.at(active) : -1;
    bool const removedAbove =
        active >= 0 && d->visualLayerIndices.at(index) < activePosition;

    emit beginRemoveLayer(index);

    shiftDisplayOrder(index, d->visualLayerIndices.at(index), n - 1);
    std::shared_ptr<Layer> const removed = d->layers.takeAt(index);
    if (d->audioLayerIdx > index)
        --d->audioLayerIdx;
    d->visualLayerIndices.removeAt(index);
    for (int& logical : d->logicalLayerIndices) {
        if (logical > index)
            --logical;
    }
    d->logicalLayerIndices.removeLast();
    if (removed->type() == Layer::AudioLayerType)
        d->audioLayerIdx = -1;

    if (auto* const visual = qobject_cast<VisualLayer*>(removed.get()))
        detachRemovedLayer(*visual);

    emit layerRemoved(index);
    emit endRemoveLayer();
    updateMaxFrameNumber();

    int newActive = -1; // lets the frame range choose the top layer
    if (activePosition >= 0) {
        int const position = activePosition - (removedAbove ? 1 : 0);
        newActive = position < numLayers() ? d->logicalLayerIndices.at(position) : 0;
    }

    int const first = d->frameRangeFirst;
    int const last = d->frameRangeLast;
    int const maximum = d->maximumFrameNumber;
    if (maximum >= last)
        setFrameRange(first, last, d->activeFrame, newActive);
    else
        setFrameRange(first + maximum - last, maximum, d->activeFrame, newActive);

    updateCachedFramePixmap(true);
    return removed;
}

std::shared_ptr<Layer> Scene::removeLayer(std::shared_ptr<Layer> const& layer)
{
    return removeLayer(getLayerIndex(layer));
}

std::shared_ptr<Layer> Scene::swapLayer(int index, std::shared_ptr<Layer> newLayer)
{
    // Nothing to put in place: like every other edit of a layer that does not
    // exist, this changes and announces nothing.
    if (index < 0 || index >= numLayers() || !newLayer)
        return nullptr;

    std::shared_ptr<Layer> const old = d->layers.at(index);
    newLayer->setParent(this);
    d->layers[index] = newLayer;
    if (newLayer->type() == Layer::AudioLayerType)
        d->audioLayerIdx = index;
    else if (old->type() == Layer::AudioLayerType)
        d->audioLayerIdx = -1;

    if (index == d->activeLayerIdx) {
        updateCachedFramePixmap(true);
        emit offPegsTransformChanged(offPegsTransform(d->activeFrame));
        emit rectChanged(frameRect());
    }

    updateMaxFrameNumber();
    if (newLayer->type() == Layer::AudioLayerType)
        updateAudioLayerFrameRate();

    int const maximum = d->maximumFrameNumber;
    if (maximum < d->frameRangeLast)
        setFrameRange(d->frameRangeFirst + maximum - d->frameRangeLast, maximum, d->activeFrame,
                      d->activeLayerIdx);
    else
        setFrameRange(d->frameRangeFirst, d->frameRangeLast, d->activeFrame, d->activeLayerIdx);

    emit layersChanged(index, index);
    updateCachedFramePixmap(true);
    return old;
}

// --- clone bookkeeping -------------------------------------------------------

void Scene::fixupReferences()
{
    for (auto const& layer : std::as_const(d->layers)) {
        auto* const visual = qobject_cast<VisualLayer*>(layer.get());
        if (!visual || visual->frames().isEmpty())
            continue;
        std::shared_ptr<LayerItem> previous = visual->frames().first();
        for (std::shared_ptr<LayerItem> const& cell : std::as_const(visual->frames())) {
            if (cell->kind == LayerItem::Hold) {
                cell->drawing = previous->drawing;
            } else if (cell->kind == LayerItem::DistantClone) {
                // Originals on later layers already carry the drawing read
                // for them.
                if (std::shared_ptr<LayerItem> const original = lookupLayerItem(cell->original))
                    cell->drawing = original->drawing;
            }
            previous = cell;
        }
    }
}

void Scene::connectCloneToNewOriginal(DrawingRef clone, DrawingRef newOriginal,
                                      std::shared_ptr<LayerItem> originalItem)
{
    if (!originalItem)
        originalItem = lookupLayerItem(newOriginal);
    std::shared_ptr<LayerItem> const cloneItem = lookupLayerItem(clone);
    if (!originalItem || !cloneItem || cloneItem->kind != LayerItem::DistantClone)
        return;
    if (!originalItem->clones.contains(clone))
        originalItem->clones.append(clone);
    cloneItem->original = newOriginal;
}

void Scene::disconnectFromOriginal(DrawingRef clone, std::shared_ptr<LayerItem const> cloneItem)
{
    if (!cloneItem)
        cloneItem = lookupLayerItem(clone);
    if (!cloneItem)
        return;
    if (std::shared_ptr<LayerItem> const original = lookupLayerItem(cloneItem->original))
        original->clones.removeAll(clone);
}

// --- cached pictures ---------------------------------------------------------

void Scene::paintLayers(QPainter& painter, int frame, VisualLayer const* current) const
{
    QRect const rect = frameRect();
    for (auto it = d->logicalLayerIndices.crbegin(); it != d->logicalLayerIndices.crend(); ++it) {
        VisualLayer const* visual = visualLayer(*it);
        if (!visual || visual == current || !visual->isVisible()
            || isZeroOpacity(visual->opacity()))
            continue;
        visual->draw(frame, &painter, rect);
    }
    // The layer being worked on is always seen, whatever its place.
    if (current && current->isVisible() && !isZeroOpacity(current->opacity()))
        current->draw(frame, &painter, rect);
}

void Scene::updateCachedCurrentFramePixmap()
{
    d->currentFramePixmap = transparentPixmap(d->frameSize);
    int const frame = isScrubFrameShown() ? d->scrubFrame : shownFrame();
    QPainter painter(&d->currentFramePixmap);
    painter.setCompositionMode(QPainter::CompositionMode_SourceOver);
    paintLayers(painter, frame, visualLayer(validActiveLayer()));
}

void Scene::updateCachedBacklightPixmap()
{
    d->backlightPixmap = transparentPixmap(d->frameSize);
    // The choice of backlight frames and the stroke layers' drawing of them
    // complete the light table; until they exist it stays transparent,
    // which is also what it shows while the backlight is off.
}

void Scene::updateCachedFramePixmap(bool updateBacklight)
{
    if (numVisualLayers() == 0)
        return;
    updateCachedCurrentFramePixmap();
    if (updateBacklight || d->backlightPixmap.isNull())
        updateCachedBacklightPixmap();
    d->framePixmap = d->backlightPixmap.copy();
    QPainter painter(&d->framePixmap);
    painter.setCompositionMode(QPainter::CompositionMode_SourceOver);
    // The dimmed view of the other layers while a lassoing tool is in use
    // comes with the tool manager.
    painter.drawPixmap(0, 0, d->currentFramePixmap);
}

void Scene::setBacklightSettings(BacklightSettings backlightSettings)
{
    BacklightSettings& stored = d->backlightSettings;
    auto const currentSetting = [](BacklightSettings const& s) -> BacklightSetting const& {
        return s.current == BacklightSettings::BacklightSettingB ? s.settingB : s.settingA;
    };
    if (backlightSettings.current == stored.current
        && backlightSettings.onlyKeyFrames == stored.onlyKeyFrames) {
        bool const matters = backlightSettings.enabled != stored.enabled
                             || currentSetting(backlightSettings) != currentSetting(stored);
        stored = std::move(backlightSettings);
        // A change of the set not in use repaints nothing.
        if (!matters)
            return;
    } else {
        stored = std::move(backlightSettings);
    }
    updateCachedFramePixmap(true);
    emit rectChanged(frameRect());
    emit backlightFramesChanged();
}

// --- helpers -----------------------------------------------------------------

QRect Scene::frameRect() const
{
    return QRect(QPoint(0, 0), d->frameSize);
}

VisualLayer* Scene::visualLayer(int index) const
{
    if (index < 0 || index >= d->layers.size())
        return nullptr;
    return qobject_cast<VisualLayer*>(d->layers.at(index).get());
}

AudioLayer* Scene::audioLayer() const
{
    if (d->audioLayerIdx < 0 || d->audioLayerIdx >= d->layers.size())
        return nullptr;
    return qobject_cast<AudioLayer*>(d->layers.at(d->audioLayerIdx).get());
}

int Scene::validActiveLayer() const
{
    return d->activeLayerIdx >= 0 && d->activeLayerIdx < numLayers() ? d->activeLayerIdx : -1;
}

bool Scene::isScrubFrameShown() const
{
    return d->scrubFrame >= 1 && d->scrubFrame <= d->maximumFrameNumber;
}

int Scene::shownFrame() const
{
    return d->activeFrame > d->frameRangeLast ? -1 : d->activeFrame;
}

// --- cell edits and their undo records ---------------------------------------

namespace {

// What an undo record keeps of a cell: everything that makes the cell what
// it is, its place off the pegs and its key-drawing mark included, so that
// undoing the edit gives both back. The drawing is a copy because the cell's
// own drawing may live on in a promoted clone or be changed by the edit; it
// keeps its name, which the cell's tool tip shows.
std::shared_ptr<LayerItem> undoCopyOf(LayerItem const& cell, bool withDrawing)
{
    auto copy = std::make_shared<LayerItem>(cell.kind, cell.identifier, nullptr);
    if (withDrawing && cell.drawing) {
        copy->drawing.reset(cell.drawing->clone());
        copy->drawing->setName(cell.drawing->name());
    }
    copy->offPegsTransform = cell.offPegsTransform;
    copy->keyDrawing = cell.keyDrawing;
    copy->clones = cell.clones;
    copy->original = cell.original;
    return copy;
}

std::shared_ptr<Drawing> ownCopyOf(std::shared_ptr<Drawing> const& drawing)
{
    return drawing ? std::shared_ptr<Drawing>(drawing->clone()) : nullptr;
}

QList<SceneChange> sceneChanges(QList<LayerChange> layerChanges, int layer)
{
    QList<SceneChange> changes;
    changes.reserve(layerChanges.size());
    for (LayerChange& change : layerChanges)
        changes.append(SceneChange(std::move(change), layer));
    return changes;
}

} // namespace

QList<int> Scene::editedLayers(int layer) const
{
    if (!d->layers.at(layer)->isLinked())
        return {layer};
    QList<int> linked;
    for (int i = 0; i < numLayers(); ++i) {
        if (d->layers.at(i)->isLinked())
            linked.append(i);
    }
    return linked;
}

QList<SceneChange> Scene::insertFrameAt(int layer, int newFrame, bool blank, bool quiet)
{
    int const rangeFirst = d->frameRangeFirst;
    int const rangeLast = d->frameRangeLast;
    QList<SceneChange> changes;
    bool grow = false;
    for (int const index : editedLayers(layer)) {
        Layer* const target = d->layers.at(index).get();
        int const lengthBefore = target->length();
        if (blank && index == layer)
            target->insertBlankFrameAfter(newFrame - 1);
        else
            target->insertHoldFrameAfter(newFrame - 1);
        // Annotation layers count no cells; their notes move from frame 2 on.
        bool const inserted = target->type() == Layer::AnnotationLayerType
                                  ? newFrame >= 2
                                  : target->length() > lengthBefore;
        if (!inserted)
            continue;
        changes.prepend(SceneChange(LayerChange::RemoveFrame, newFrame, nullptr, index));
        if (newFrame <= rangeLast + 1 && target->length() > rangeLast)
            grow = true;
    }
    // Nothing inserted anywhere (a layer without frames before its first):
    // the active and scrub frames have no frame to move past.
    if (changes.isEmpty())
        return changes;

    updateMaxFrameNumber();
    if (grow) {
        ++d->frameRangeLast;
        if (rangeFirst > newFrame)
            ++d->frameRangeFirst;
        emit frameRangeChanged(d->frameRangeFirst, d->frameRangeLast);
    }
    if (d->activeFrame >= newFrame) {
        ++d->activeFrame;
        emit activeFrameAndLayerChanged(d->activeFrame, d->activeLayerIdx);
    }
    if (d->scrubFrame >= newFrame) {
        int const previous = d->scrubFrame;
        ++d->scrubFrame;
        emit scrubFrameChanged(d->scrubFrame, previous);
    }
    emit layersChanged(layer, layer);
    if (!quiet)
        updateCachedFramePixmap(true);
    return changes;
}

QList<SceneChange> Scene::addBlankDrawingBefore2(int layer, int frame)
{
    if (layer < 0 || layer >= numLayers() || frame < 1 || frame > d->layers.at(layer)->length() + 1)
        return {};
    return insertFrameAt(layer, frame, true, false);
}

QList<SceneChange> Scene::addBlankDrawingAfter2(int layer, int frame)
{
    if (layer < 0 || layer >= numLayers() || frame < 0 || frame > d->layers.at(layer)->length())
        return {};
    return insertFrameAt(layer, frame + 1, true, false);
}

int Scene::addBlankDrawingAfter(int layer, int frame)
{
    if (layer < 0 || layer >= numLayers() || frame < 0 || frame > d->layers.at(layer)->length())
        return -1;
    insertFrameAt(layer, frame + 1, true, false);
    return frame + 1;
}

int Scene::addCloneDrawingAfter(int layer, int frame)
{
    if (layer < 0 || layer >= numLayers() || frame < 0 || frame > d->layers.at(layer)->length())
        return -1;
    insertFrameAt(layer, frame + 1, false, false);
    return frame + 1;
}

QList<SceneChange> Scene::addCloneDrawingAfter2(int layer, int frame, bool quiet)
{
    if (layer < 0 || layer >= numLayers() || frame < 0 || frame > d->layers.at(layer)->length())
        return {};
    std::optional<QSignalBlocker> blocker;
    if (quiet)
        blocker.emplace(this);
    return insertFrameAt(layer, frame + 1, false, quiet);
}

int Scene::addCloneDrawingsAfter(int layer, int frame, int count)
{
    if (count < 1 || frame == -1)
        return -1;
    int last = -1;
    for (int i = 0, after = frame; i < count; ++i) {
        int const added = addCloneDrawingAfter(layer, after);
        if (added == -1)
            break;
        last = added;
        after = added;
    }
    return last;
}

QList<SceneChange> Scene::addCloneDrawingsAfter2(int layer, int frame, int count)
{
    if (count < 1 || frame == -1)
        return {};
    QList<SceneChange> changes;
    // Only the last step is heard: listeners see the final state once.
    for (int i = 0; i < count; ++i)
        changes = addCloneDrawingAfter2(layer, frame, i < count - 1) + changes;
    return changes;
}

QList<SceneChange> Scene::removeFrame(int layer, int frame)
{
    if (layer < 0 || layer >= numLayers() || frame < 1 || frame > d->layers.at(layer)->length())
        return {};

    int const rangeFirst = d->frameRangeFirst;
    int const rangeLast = d->frameRangeLast;
    QList<int> const edited = editedLayers(layer);
    // Each layer's records go in front of those of the layers removed before
    // it. Undoing must run backwards through the removals: a linked layer's
    // removal may already have promoted or unlisted a cell that another
    // linked layer then lost at the same frame.
    QList<SceneChange> changes;
    for (int const index : edited)
        changes = sceneChanges(d->layers.at(index)->removeFrame(frame), index) + changes;

    // The range loses a frame when its content moved up by one everywhere;
    // a removal past its end moves nothing inside it.
    bool shrink = frame <= rangeLast;
    for (int i = 0; i < numLayers() && shrink; ++i) {
        if (!edited.contains(i) && d->layers.at(i)->length() >= rangeLast)
            shrink = false;
    }

    updateMaxFrameNumber();
    if (d->scrubFrame > frame) {
        int const previous = d->scrubFrame;
        --d->scrubFrame;
        emit scrubFrameChanged(d->scrubFrame, previous);
    }

    int const newActive = frame == rangeLast ? layerLength(validActiveLayer()) + 1 : d->activeFrame;
    int const lastShift = shrink && rangeLast > 1 ? 1 : 0;
    int const firstShift = lastShift && frame < rangeFirst ? 1 : 0;
    setFrameRange(rangeFirst - firstShift, rangeLast - lastShift, newActive, d->activeLayerIdx);

    if (d->activeFrame == frame)
        emit offPegsTransformChanged(offPegsTransform(frame));
    if (setActiveFrameAndLayerInternal(d->activeFrame, d->activeLayerIdx, AcceptVirtualLastFrame)) {
        emit activeFrameAndLayerChanged(d->activeFrame, d->activeLayerIdx);
        updateCachedFramePixmap(true);
    }
    emit layersChanged(edited.first(), edited.last());
    updateCachedFramePixmap(true);
    emit rectChanged(frameRect());
    return changes;
}

QList<SceneChange> Scene::removeFrames(int layer, int frame, int count)
{
    if (count < 1)
        return {};
    QList<SceneChange> changes;
    // Walking back, no removal moves a frame still to be removed.
    for (int i = 0; i < count; ++i)
        changes = removeFrame(layer, frame - i) + changes;
    return changes;
}

QList<SceneChange> Scene::slideOriginalDrawing(int layer, int frame, int distance,
                                               int minDistance, int maxDistance)
{
    VisualLayer* const visual = visualLayer(layer);
    if (!visual || frame < 2 || frame > visual->length() || visual->isHoldFrame(frame))
        return {};
    if (minDistance > std::min(0, distance) || maxDistance < std::max(0, distance))
        return {};

    int start = frame;
    int holdsBefore = 0;
    for (int f = frame - 1; f >= 1 && holdsBefore < -minDistance; --f) {
        if (visual->isHoldFrame(f)) {
            ++holdsBefore;
            start = f;
        }
    }
    int holdsFromStart = 0;
    for (int f = start; f <= visual->length(); ++f) {
        if (visual->isHoldFrame(f))
            ++holdsFromStart;
    }
    int const toRemove = maxDistance - minDistance;
    int const position = frame + minDistance;
    // Without enough holds to take out, the original would not end at
    // frame + distance and the layer would change its length.
    if (holdsBefore < -minDistance || holdsFromStart < toRemove
        || (distance > minDistance && position < 2))
        return {};

    QList<SceneChange> changes;
    for (int removed = 0, search = start; removed < toRemove; ++removed) {
        int f = search;
        while (f <= visual->length() && !visual->isHoldFrame(f))
            ++f;
        if (f > visual->length())
            break;
        changes = sceneChanges(visual->removeFrame(f), layer) + changes;
        search = f;
    }
    for (int i = 0; i < maxDistance - distance; ++i) {
        visual->insertHoldFrameAfter(position);
        changes.prepend(SceneChange(LayerChange::RemoveFrame, position + 1, nullptr, layer));
    }
    for (int i = 0; i < distance - minDistance; ++i) {
        visual->insertHoldFrameAfter(position - 1);
        changes.prepend(SceneChange(LayerChange::RemoveFrame, position, nullptr, layer));
    }

    ChangedCells none;
    internalDrawingsChanged(none);
    emit layersChanged(layer, layer);
    updateCachedFramePixmap(true);
    return changes;
}

QList<SceneChange> Scene::replaceDrawing(int layer, int frame, std::shared_ptr<Drawing> drawing,
                                         bool passClonesOn, bool quiet)
{
    VisualLayer* const visual = visualLayer(layer);
    if (!visual || !visual->isFrameValid(frame) || !drawing)
        return {};
    std::optional<QSignalBlocker> blocker;
    if (quiet)
        blocker.emplace(this);

    std::shared_ptr<LayerItem> const cell = visual->layerItem(frame);
    ChangedCells changed{{frame, layer}};
    QList<SceneChange> changes{
        SceneChange(LayerChange::ReplaceCell, frame, undoCopyOf(*cell, cell->kind == LayerItem::Original), layer)};

    switch (cell->kind) {
    case LayerItem::DistantClone:
        detachDistantClone(visual->identifier(), *cell, changed);
        break;
    case LayerItem::Hold:
        if (visual->isHoldFrame(frame - 1))
            changed.append({frame - 1, layer});
        break;
    default:
        if (passClonesOn)
            promoteFirstClone(*cell, changed);
        break;
    }

    cell->kind = LayerItem::Original;
    cell->drawing = drawing;
    // Clones that were not passed on follow the cell.
    for (DrawingRef const& ref : std::as_const(cell->clones)) {
        int cloneLayer = -1;
        int cloneFrame = -1;
        if (std::shared_ptr<LayerItem> const clone = lookupLayerItem(ref, &cloneLayer, &cloneFrame)) {
            clone->drawing = drawing;
            changed.append({cloneFrame, cloneLayer});
            changed += updateHolds(cloneFrame, cloneLayer);
        }
    }
    changed += updateHolds(frame, layer);
    finishCellEdit(changed, quiet);
    return changes;
}

QList<SceneChange> Scene::replaceDrawingWithHold(int layer, int frame, bool quiet)
{
    VisualLayer* const visual = visualLayer(layer);
    if (!visual || frame < 2 || frame > visual->length())
        return {};
    std::optional<QSignalBlocker> blocker;
    if (quiet)
        blocker.emplace(this);

    std::shared_ptr<LayerItem> const cell = visual->layerItem(frame);
    std::shared_ptr<Drawing> const before = visual->layerItem(frame - 1)->drawing;
    ChangedCells changed{{frame, layer}};
    QList<SceneChange> changes;
    if (cell->kind == LayerItem::Original) {
        changes.append(SceneChange(LayerChange::ReplaceCell, frame, undoCopyOf(*cell, true), layer));
        promoteFirstClone(*cell, changed);
        cell->drawing = before;
        cell->kind = LayerItem::Hold;
        changed.append({frame - 1, layer});
    } else if (cell->kind == LayerItem::DistantClone) {
        changes.append(SceneChange(LayerChange::ReplaceCell, frame, undoCopyOf(*cell, true), layer));
        cell->drawing = before;
        cell->kind = LayerItem::Hold;
        changed.append({frame - 1, layer});
        detachDistantClone(visual->identifier(), *cell, changed);
    }
    changed += updateHolds(frame, layer);
    finishCellEdit(changed, quiet);
    return changes;
}

QList<SceneChange> Scene::replaceDrawingWithOriginal(int layer, int frame, QUuid const& copyId)
{
    VisualLayer* const visual = visualLayer(layer);
    if (!visual || !visual->isFrameValid(frame))
        return {};

    std::shared_ptr<LayerItem> const cell = visual->layerItem(frame);
    ChangedCells changed{{frame, layer}};
    QList<SceneChange> changes;
    if (cell->kind != LayerItem::Original) {
        changes.append(SceneChange(LayerChange::ReplaceCell, frame, undoCopyOf(*cell, false), layer));
        if (cell->kind == LayerItem::Hold && visual->isHoldFrame(frame - 1))
            changed.append({frame - 1, layer});
        if (cell->kind == LayerItem::DistantClone)
            detachDistantClone(visual->identifier(), *cell, changed);
        std::shared_ptr<Drawing> drawing = ownCopyOf(cell->drawing);
        if (!drawing)
            drawing = visual->blankItem()->drawing;
        drawing->setCopyId(copyId);
        cell->drawing = drawing;
        cell->kind = LayerItem::Original;
    }
    changed += updateHolds(frame, layer);
    finishCellEdit(changed, false);
    return changes;
}

QList<SceneChange> Scene::replaceDrawingWithDistantClone(int layer, int frame, DrawingRef target,
                                                         bool quiet)
{
    VisualLayer* const visual = visualLayer(layer);
    if (!visual || !visual->isFrameValid(frame))
        return {};
    int targetLayer = -1;
    int targetFrame = -1;
    std::shared_ptr<LayerItem> const original = lookupLayerItem(target, &targetLayer, &targetFrame);
    std::shared_ptr<LayerItem> const cell = visual->layerItem(frame);
    // Only an original can be shown elsewhere: a clone of a hold or of
    // another clone would have no drawing of its own to follow.
    if (!original || original == cell || original->kind != LayerItem::Original
        || layerType(targetLayer) != visual->type())
        return {};
    std::optional<QSignalBlocker> blocker;
    if (quiet)
        blocker.emplace(this);

    QUuid const layerId = visual->identifier();
    ChangedCells changed{{frame, layer}, {targetFrame, targetLayer}};
    std::shared_ptr<LayerItem> const saved = undoCopyOf(*cell, true);
    if (cell->kind == LayerItem::Original) {
        if (saved->drawing && cell->drawing)
            saved->drawing->setCopyId(cell->drawing->currentCopyId());
        promoteFirstClone(*cell, changed);
    } else if (cell->kind == LayerItem::DistantClone) {
        detachDistantClone(layerId, *cell, changed);
    }
    QList<SceneChange> changes{SceneChange(LayerChange::ReplaceCell, frame, saved, layer)};

    cell->drawing = original->drawing;
    cell->kind = LayerItem::DistantClone;
    cell->clones.clear();
    cell->original = target;
    original->clones.append(cell->reference(layerId));

    changed += updateHolds(frame, layer);
    finishCellEdit(changed, quiet);
    return changes;
}

QList<SceneChange> Scene::appendCut(int layer, int frame, QPainterPath const& path)
{
    auto* const strokeLayer = qobject_cast<StrokeLayer*>(this->layer(layer).get());
    if (path.isEmpty() || !strokeLayer || !strokeLayer->isVisible()
        || !strokeLayer->isFrameValid(frame))
        return {};

    // The owner of the drawing shown: back over holds, over to the original
    // of a distant clone.
    int ownerLayer = layer;
    int ownerFrame = frame;
    std::shared_ptr<LayerItem> owner = strokeLayer->layerItem(frame);
    while (owner->kind == LayerItem::Hold && ownerFrame > 1)
        owner = strokeLayer->layerItem(--ownerFrame);
    if (owner->kind == LayerItem::DistantClone) {
        int originalLayer = -1;
        int originalFrame = -1;
        std::shared_ptr<LayerItem> const original =
            lookupLayerItem(owner->original, &originalLayer, &originalFrame);
        if (original && original->kind == LayerItem::Original) {
            owner = original;
            ownerLayer = originalLayer;
            ownerFrame = originalFrame;
        }
    }
    SceneChange record(LayerChange::ReplaceCell, ownerFrame, undoCopyOf(*owner, true), ownerLayer);

    // A cut that takes nothing away leaves nothing to undo.
    if (!strokeLayer->appendCut(frame, path))
        return {};

    updateCachedFramePixmap(true);
    emit rectChanged(path.boundingRect().toAlignedRect());
    ChangedCells changed = updateHolds(ownerFrame, ownerLayer);
    for (DrawingRef const& ref : std::as_const(owner->clones)) {
        int cloneLayer = -1;
        int cloneFrame = -1;
        if (lookupLayerItem(ref, &cloneLayer, &cloneFrame)) {
            changed.append({cloneFrame, cloneLayer});
            changed += updateHolds(cloneFrame, cloneLayer);
        }
    }
    internalDrawingsChanged(changed);
    return {record};
}

void Scene::copyLayerOnto(int sourceLayer, int destinationLayer)
{
    auto* const source = qobject_cast<DrawLayer*>(layer(sourceLayer).get());
    auto* const destination = qobject_cast<DrawLayer*>(layer(destinationLayer).get());
    if (!source || !destination || source == destination || source->type() != destination->type())
        return;

    if (destination->length() < source->length()) {
        destination->insertBlankFrameAfter(destination->length());
        while (destination->length() < source->length())
            destination->insertHoldFrameAfter(destination->length());
    }

    QUuid const destinationId = destination->identifier();
    ChangedCells promoted;
    ChangedCells unlisted;
    for (int f = 1; f <= source->length(); ++f) {
        std::shared_ptr<LayerItem> const s = source->layerItem(f);
        std::shared_ptr<LayerItem> const c = destination->layerItem(f);
        switch (c->kind) {
        case LayerItem::Original:
            // The distant clones keep showing the drawing as it was.
            c->drawing = ownCopyOf(c->drawing);
            promoteFirstClone(*c, promoted);
            break;
        case LayerItem::Hold:
            // The drawing before is merged already; a hold of the source
            // keeps repeating it, anything else needs a drawing of its own.
            if (s->kind == LayerItem::Hold && f >= 2) {
                c->drawing = destination->layerItem(f - 1)->drawing;
            } else {
                c->drawing = ownCopyOf(c->drawing);
                c->kind = LayerItem::Original;
            }
            break;
        default:
            c->drawing = ownCopyOf(c->drawing);
            c->kind = LayerItem::Original;
            detachDistantClone(destinationId, *c, unlisted);
            break;
        }
        if (s->keyDrawing)
            c->keyDrawing = true;
        if (!s->offPegsTransform.isIdentity())
            c->offPegsTransform = s->offPegsTransform;
        if (c->kind != LayerItem::Hold && c->drawing && s->drawing)
            c->drawing->add(s->drawing.get());
    }
    internalDrawingsChanged(promoted);
}

// --- applying change records ---------------------------------------------------

void Scene::addChanges(QList<SceneChange> const& changes)
{
    int const rangeFirst = d->frameRangeFirst;
    int const rangeLast = d->frameRangeLast;
    ChangedCells changed;
    int lowest = numLayers();
    int highest = -1;
    bool grow = false;
    bool shiftStart = false;

    for (SceneChange const& change : changes) {
        int const layer = change.layer;
        if (layer < 0 || layer >= numLayers())
            continue;
        int const frame = change.frame;
        changed.append({frame, layer});
        lowest = std::min(lowest, layer);
        highest = std::max(highest, layer);
        Layer* const target = d->layers.at(layer).get();
        auto* const visual = qobject_cast<VisualLayer*>(target);
        auto* const annotation = qobject_cast<AnnotationLayer*>(target);

        switch (change.kind) {
        case LayerChange::InsertCell: {
            if (!visual || !change.cell || frame < 1 || frame > visual->length() + 1)
                break;
            visual->frames().insert(frame - 1, change.cell);
            if (frame - 1 <= rangeLast && visual->length() > rangeLast)
                grow = true;
            if (frame < rangeFirst)
                shiftStart = true;
            if (change.cell->kind == LayerItem::Original) {
                // The heir that the removal made an original becomes a
                // distant clone again in the repair.
                DrawingRef const self = change.cell->reference(visual->identifier());
                for (DrawingRef const& ref : std::as_const(change.cell->clones)) {
                    int cloneLayer = -1;
                    int cloneFrame = -1;
                    if (std::shared_ptr<LayerItem> const clone =
                            lookupLayerItem(ref, &cloneLayer, &cloneFrame)) {
                        clone->original = self;
                        changed.append({cloneFrame, cloneLayer});
                    }
                }
            }
            repairRestoredCell(layer, frame, changed);
            break;
        }
        case LayerChange::ReplaceCell: {
            if (!visual || !change.cell || !visual->isFrameValid(frame))
                break;
            std::shared_ptr<LayerItem> const current = visual->layerItem(frame);
            switch (current->kind) {
            case LayerItem::Original:
                if (change.cell->kind == LayerItem::Original) {
                    for (DrawingRef const& ref : std::as_const(current->clones)) {
                        if (!change.cell->clones.contains(ref) && lookupLayerItem(ref))
                            change.cell->clones.append(ref);
                    }
                } else if (current != change.cell) {
                    // A cell that is no original cannot keep them.
                    promoteFirstClone(*current, changed);
                }
                break;
            case LayerItem::DistantClone:
                if (std::shared_ptr<LayerItem> const original = lookupLayerItem(current->original))
                    original->clones.removeAll(current->reference(visual->identifier()));
                break;
            case LayerItem::Hold:
                if (frame >= 2)
                    changed.append({frame - 1, layer});
                break;
            default:
                break;
            }
            visual->frames()[frame - 1] = change.cell;
            repairRestoredCell(layer, frame, changed);
            break;
        }
        case LayerChange::RemoveFrame:
            target->removeFrame(frame);
            break;
        case LayerChange::OffPegsTransform:
            if (!visual || !visual->isFrameValid(frame))
                break;
            visual->layerItem(frame)->offPegsTransform = change.transform;
            repairRestoredCell(layer, frame, changed);
            break;
        case LayerChange::InsertImage:
            if (annotation)
                annotation->insertFrame(frame, change.image);
            break;
        case LayerChange::ReplaceImage:
            if (annotation)
                annotation->replaceFrame(frame, change.image);
            break;
        case LayerChange::RemoveImage:
            if (annotation)
                annotation->removeFrame(frame);
            break;
        default:
            break;
        }
    }

    updateMaxFrameNumber();
    // However many cells came back, the range moves by one frame at most.
    setFrameRange(d->frameRangeFirst + (shiftStart ? 1 : 0), d->frameRangeLast + (grow ? 1 : 0),
                  d->activeFrame, d->activeLayerIdx);
    if (highest >= 0)
        emit layersChanged(lowest, highest);
    updateCachedFramePixmap(true);
    emit rectChanged(frameRect());
    internalDrawingsChanged(changed);
}

void Scene::repairRestoredCell(int layer, int frame, ChangedCells& changed)
{
    VisualLayer* const visual = visualLayer(layer);
    std::shared_ptr<LayerItem> const cell = visual ? visual->layerItem(frame) : nullptr;
    if (!cell)
        return;
    DrawingRef const self = cell->reference(visual->identifier());

    switch (cell->kind) {
    case LayerItem::Hold:
        if (frame >= 2)
            cell->drawing = visual->layerItem(frame - 1)->drawing;
        break;
    case LayerItem::DistantClone:
        if (std::shared_ptr<LayerItem> const original = originalOfSameType(layer, cell->original)) {
            if (!original->clones.contains(self))
                original->clones.append(self);
            cell->drawing = original->drawing;
        } else {
            // Nothing of the right kind to show: the cell stands on its own
            // with a blank drawing of its layer's kind.
            cell->kind = LayerItem::Original;
            cell->original = DrawingRef();
            cell->drawing = visual->blankItem()->drawing;
        }
        break;
    case LayerItem::Original: {
        QList<DrawingRef> kept;
        for (DrawingRef const& ref : std::as_const(cell->clones)) {
            int cloneLayer = -1;
            int cloneFrame = -1;
            std::shared_ptr<LayerItem> const clone = lookupLayerItem(ref, &cloneLayer, &cloneFrame);
            if (!clone) {
                kept.append(ref);
                continue;
            }
            // A clone on a layer of another kind would show a drawing its
            // layer cannot hold.
            if (clone == cell || layerType(cloneLayer) != visual->type())
                continue;
            kept.append(ref);
            clone->kind = LayerItem::DistantClone;
            clone->drawing = cell->drawing;
            clone->clones.clear();
            clone->original = self;
            changed.append({cloneFrame, cloneLayer});
            changed += updateHolds(cloneFrame, cloneLayer);
        }
        cell->clones = kept;
        break;
    }
    default:
        break;
    }

    changed += updateHolds(frame, layer);
    if (frame == d->activeFrame)
        emit offPegsTransformChanged(offPegsTransform(frame));
}

QList<std::pair<int, int>> Scene::updateHolds(int frame, int layer)
{
    VisualLayer const* visual = visualLayer(layer);
    if (!visual || !visual->isFrameValid(frame))
        return {};
    ChangedCells changed{{frame, layer}};
    std::shared_ptr<Drawing> const drawing = visual->layerItem(frame)->drawing;
    for (int f = frame + 1; visual->isHoldFrame(f); ++f) {
        visual->layerItem(f)->drawing = drawing;
        changed.append({f, layer});
    }
    return changed;
}

void Scene::internalDrawingsChanged(QList<std::pair<int, int>>& changedCells)
{
    std::sort(changedCells.begin(), changedCells.end());
    changedCells.erase(std::unique(changedCells.begin(), changedCells.end()), changedCells.end());
    emit drawingsChanged(changedCells);
}

void Scene::promoteFirstClone(LayerItem& original, ChangedCells& changed)
{
    QList<DrawingRef> const clones = std::exchange(original.clones, {});
    // A stale entry ahead of the first clone that exists must not leave the
    // others pointing at a cell that no longer lists them.
    for (qsizetype i = 0; i < clones.size(); ++i) {
        int heirLayer = -1;
        int heirFrame = -1;
        std::shared_ptr<LayerItem> const heir = lookupLayerItem(clones.at(i), &heirLayer, &heirFrame);
        if (!heir || heir.get() == &original)
            continue;
        heir->clones = clones.mid(i + 1);
        heir->original = DrawingRef();
        heir->kind = LayerItem::Original;
        changed.append({heirFrame, heirLayer});
        for (DrawingRef const& ref : std::as_const(heir->clones)) {
            if (std::shared_ptr<LayerItem> const clone = lookupLayerItem(ref))
                clone->original = clones.at(i);
        }
        return;
    }
}

void Scene::detachDistantClone(QUuid const& layerId, LayerItem& clone, ChangedCells& changed)
{
    int originalLayer = -1;
    int originalFrame = -1;
    if (std::shared_ptr<LayerItem> const original =
            lookupLayerItem(clone.original, &originalLayer, &originalFrame)) {
        original->clones.removeAll(clone.reference(layerId));
        changed.append({originalFrame, originalLayer});
    }
    clone.original = DrawingRef();
}

std::shared_ptr<LayerItem> Scene::originalOfSameType(int layer, DrawingRef const& ref) const
{
    int originalLayer = -1;
    std::shared_ptr<LayerItem> const original = lookupLayerItem(ref, &originalLayer);
    if (!original || original->kind != LayerItem::Original
        || layerType(originalLayer) != layerType(layer))
        return nullptr;
    return original;
}

void Scene::finishCellEdit(ChangedCells& changed, bool quiet)
{
    if (!quiet)
        updateCachedFramePixmap(true);
    emit rectChanged(frameRect());
    internalDrawingsChanged(changed);
    emit currentDrawingTypeUpdated();
}

// --- frame size ----------------------------------------------------------------

void Scene::setFrameSize(QSize size, KW::FitMode fitMode, QProgressDialog* progressDialog)
{
    // Drawings and pixmaps cannot take an empty frame.
    if (size == d->frameSize || size.isEmpty())
        return;
    emit frameSizeAboutToChange(size);
    for (auto const& layer : std::as_const(d->layers)) {
        if (auto* const visual = qobject_cast<VisualLayer*>(layer.get()))
            visual->changeFrameSize(size, fitMode, progressDialog);
    }
    d->frameSize = size;
    emit frameSizeChanged(size);
    updateCachedFramePixmap(true);
    emit rectChanged(QRect(0, 0, size.width(), size.height()));
}

// --- layer properties and navigation -----------------------------------------

bool Scene::isLayerLinked(int layer) const
{
    std::shared_ptr<Layer> const l = this->layer(layer);
    return l && l->isLinked();
}

bool Scene::setLayerLinked(int layer, bool linked)
{
    std::shared_ptr<Layer> const l = this->layer(layer);
    if (!l)
        return false;
    if (l->isLinked() != linked) {
        l->setLinked(linked);
        emit layersChanged(layer, layer);
    }
    return true;
}

bool Scene::setLayerVisible(int layer, bool visible)
{
    VisualLayer* const visual = visualLayer(layer);
    if (!visual)
        return false;
    if (visual->isVisible() != visible) {
        visual->setVisible(visible);
        updateCachedFramePixmap(true);
        emit rectChanged(frameRect());
        emit layersChanged(layer, layer);
    }
    return true;
}

QString Scene::getNextLayerName()
{
    return QString::number(++d->highestUsedLayerNumber);
}

int Scene::layerIndexBottom() const
{
    for (auto it = d->logicalLayerIndices.crbegin(); it != d->logicalLayerIndices.crend(); ++it) {
        if (VisualLayer const* visual = visualLayer(*it);
            visual && visual->length() >= d->frameRangeFirst)
            return *it;
    }
    return -1;
}

int Scene::layerIndexBelow(int layer) const
{
    if (layer < 0 || layer >= numLayers())
        return -1;
    for (qsizetype pos = d->visualLayerIndices.at(layer) + 1; pos < d->logicalLayerIndices.size();
         ++pos) {
        int const index = d->logicalLayerIndices.at(pos);
        if (VisualLayer const* visual = visualLayer(index);
            visual && visual->length() >= d->frameRangeFirst)
            return index;
    }
    return -1;
}

int Scene::layerIndexBelow() const
{
    int const active = validActiveLayer();
    int const below = active >= 0 ? layerIndexBelow(active) : -1;
    return below >= 0 ? below : layerIndexBottom();
}

int Scene::layerIndexAbove() const
{
    int const active = validActiveLayer();
    if (active < 0)
        return layerIndexTop();
    for (int pos = d->visualLayerIndices.at(active) - 1; pos >= 0; --pos) {
        int const index = d->logicalLayerIndices.at(pos);
        if (VisualLayer const* visual = visualLayer(index);
            visual && visual->length() >= d->frameRangeFirst)
            return index;
    }
    return layerIndexTop();
}

bool Scene::canMergeLayerDown(int layer) const
{
    int const type = layerType(layer);
    if (!isDrawType(type))
        return false;
    int const below = layerIndexBelow(layer);
    return below >= 0 && layerType(below) == type;
}

} // namespace Model
