#include "scene/Scene.h"

#include "audio/AudioLayer.h"
#include "drawings/Drawing.h"
#include "scene/Layer.h"
#include "scene/LayerItem.h"
#include "scene/VisualLayer.h"
#include "settings/Settings.h"

#include <QFileInfo>
#include <QPainter>
#include <QPixmap>
#include <QUndoStack>

#include <algorithm>
#include <cmath>

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

} // namespace Model
