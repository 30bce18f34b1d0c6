#include "scene/Scene.h"

#include "audio/AudioLayer.h"
#include "drawings/Drawing.h"
#include "drawings/ImageDrawing.h"
#include "drawings/StrokeDrawing.h"
#include "scene/AnnotationLayer.h"
#include "scene/DrawLayer.h"
#include "scene/Layer.h"
#include "scene/LayerItem.h"
#include "scene/StrokeLayer.h"
#include "scene/VisualLayer.h"
#include "settings/Settings.h"
#include "strokes/CompoundStroke.h"
#include "strokes/FloatingSelection.h"
#include "strokes/SingleStroke.h"
#include "tools/Tool.h"
#include "tools/ToolManager.h"

#include <QDataStream>
#include <QFileInfo>
#include <QGuiApplication>
#include <QMimeData>
#include <QPainter>
#include <QPainterPath>
#include <QPixmap>
#include <QSet>
#include <QSignalBlocker>
#include <QTimer>
#include <QUndoStack>

#include <algorithm>
#include <climits>
#include <cmath>
#include <optional>

namespace Model {

namespace {

constexpr double minimumFrameRate = 0.1;
constexpr double maximumFrameRate = 60.0;
constexpr int undoLimit = 50;
constexpr int extraStrokePointIntervalMs = 20;
constexpr int strokeEndPointIntervalMs = 500;

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

} // namespace

struct Scene::Data
{
    QString name = QStringLiteral("Untitled");
    QString fileName;
    QSize frameSize;
    QList<std::shared_ptr<Layer>> layers;
    BacklightSettings backlightSettings;
    QList<Scene::BacklightFrame> backlightFrames; // farthest first
    // Set while a caller announces the new backlight frames itself.
    bool holdBacklightFramesChanged = false;
    QPixmap framePixmap;
    QPixmap currentFramePixmap;
    QPixmap backlightPixmap;
    QRect currentFrameInk; // where the current-frame picture may have ink
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
    std::unique_ptr<SingleStroke> activeStroke;
    // While a stroke is in progress: an extra point while the pen rests, and
    // the end point once it has rested long.
    QTimer extraPointTimer;
    QTimer endPointTimer;
    double frameRate = 0.0;
    int highestUsedLayerNumber = 0;

    Data()
    {
        extraPointTimer.setInterval(extraStrokePointIntervalMs);
        endPointTimer.setInterval(strokeEndPointIntervalMs);
    }
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
    connect(&d->extraPointTimer, &QTimer::timeout, this, &Scene::addExtraStrokePoint);
    connect(&d->endPointTimer, &QTimer::timeout, this, &Scene::addStrokeEndPoint);
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
    // Only a layer of the list, or none (-1), may become active: everything
    // that reads the active index relies on that.
    if (layer >= numLayers())
        return false;
    layer = std::max(layer, -1);
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

namespace {

// A stroke drawing has ink only where its strokes reach, plus the rim that
// rasterising may touch; other layers may paint anywhere. Painting each
// layer only there keeps a full-frame composite cheap.
constexpr int inkRim = 4;

QRect inkedPart(VisualLayer const& layer, int frame, QRect const& rect)
{
    auto const* strokes = qobject_cast<StrokeLayer const*>(&layer);
    if (!strokes)
        return rect;
    // The cell the layer paints at the frame, past its end as its beyond
    // mode says.
    int const length = strokes->length();
    if (frame < 1 || length == 0)
        return QRect();
    int index = frame - 1;
    if (frame > length) {
        switch (strokes->layerBeyondLast()) {
        case Layer::cycleDrawings:
            index = (frame - 1) % length;
            break;
        case Layer::freezeLast:
            index = length - 1;
            break;
        case Layer::showNothing:
            return QRect();
        }
    }
    StrokeDrawing const* drawing = strokes->strokeDrawing(index);
    if (!drawing || drawing->buffer().isNull())
        return QRect();
    return rect & drawing->rootStroke()->boundingRect().adjusted(-inkRim, -inkRim, inkRim, inkRim);
}

// Reuses the pixmap's memory when the frame size is unchanged.
void clearPixmap(QPixmap& pixmap, QSize const& size)
{
    if (pixmap.size() != size)
        pixmap = QPixmap(size);
    pixmap.fill(Qt::transparent);
}

} // namespace

QRect Scene::paintLayers(QPainter& painter, int frame, VisualLayer const* current) const
{
    QRect const rect = frameRect();
    QRect painted;
    auto const paint = [&](VisualLayer const& layer) {
        QRect const part = inkedPart(layer, frame, rect);
        if (part.isEmpty())
            return;
        layer.draw(frame, &painter, part);
        painted |= part;
    };
    for (auto it = d->logicalLayerIndices.crbegin(); it != d->logicalLayerIndices.crend(); ++it) {
        VisualLayer const* visual = visualLayer(*it);
        if (!visual || visual == current || !visual->isVisible()
            || isZeroOpacity(visual->opacity()))
            continue;
        paint(*visual);
    }
    // The layer being worked on is always seen, whatever its place.
    if (current && current->isVisible() && !isZeroOpacity(current->opacity()))
        paint(*current);
    return painted;
}

void Scene::updateCachedCurrentFramePixmap()
{
    clearPixmap(d->currentFramePixmap, d->frameSize);
    int const frame = isScrubFrameShown() ? d->scrubFrame : shownFrame();
    QPainter painter(&d->currentFramePixmap);
    painter.setCompositionMode(QPainter::CompositionMode_SourceOver);
    d->currentFrameInk = paintLayers(painter, frame, visualLayer(validActiveLayer()));
}

namespace {

BacklightSetting const& currentBacklightSetting(BacklightSettings const& settings)
{
    return settings.current == BacklightSettings::BacklightSettingB ? settings.settingB
                                                                     : settings.settingA;
}

// The lists are recomputed often; only a real change is announced.
bool sameBacklightFrames(QList<Scene::BacklightFrame> const& a,
                         QList<Scene::BacklightFrame> const& b)
{
    if (a.size() != b.size())
        return false;
    for (qsizetype i = 0; i < a.size(); ++i) {
        double const x = a.at(i).opacity;
        double const y = b.at(i).opacity;
        if (a.at(i).frame != b.at(i).frame || a.at(i).hueShift != b.at(i).hueShift
            || std::abs(x - y) * 1e12 > std::min(std::abs(x), std::abs(y)))
            return false;
    }
    return true;
}

} // namespace

void Scene::updateCachedBacklightPixmap()
{
    clearPixmap(d->backlightPixmap, d->frameSize);
    updateBacklightFrames();
    if (!d->backlightSettings.enabled || d->backlightFrames.isEmpty())
        return;

    // Only stroke layers show through the light table; pictures never do.
    QList<StrokeLayer const*> layers;
    if (currentBacklightSetting(d->backlightSettings).layers
        == BacklightSetting::BacklightVisibleLayers) {
        for (auto it = d->logicalLayerIndices.crbegin(); it != d->logicalLayerIndices.crend();
             ++it) {
            VisualLayer const* visual = visualLayer(*it);
            if (visual && visual->isVisible() && !isZeroOpacity(visual->opacity())) {
                if (auto const* strokes = qobject_cast<StrokeLayer const*>(visual))
                    layers.append(strokes);
            }
        }
    } else if (auto const* strokes = qobject_cast<StrokeLayer const*>(
                   visualLayer(validActiveLayer()))) {
        layers.append(strokes);
    }
    if (layers.isEmpty())
        return;

    QRect const rect = frameRect();
    QPainter painter(&d->backlightPixmap);
    painter.setCompositionMode(QPainter::CompositionMode_SourceOver);
    for (BacklightFrame const& record : std::as_const(d->backlightFrames)) {
        if (record.frame < 1 || record.frame > d->maximumFrameNumber)
            continue;
        painter.save();
        // A neighbour moved off the pegs is seen where it lies on the pegs.
        painter.setTransform(painter.transform()
                             * offPegsTransform(record.frame, nullptr).inverted());
        for (StrokeLayer const* layer : std::as_const(layers)) {
            QRect const part = inkedPart(*layer, record.frame, rect);
            if (!part.isEmpty())
                layer->drawBacklight(record.frame, &painter, part, record.hueShift,
                                     record.opacity);
        }
        painter.restore();
    }
}

void Scene::updateCachedFramePixmap(bool updateBacklight)
{
    if (numVisualLayers() == 0)
        return;
    updateCachedCurrentFramePixmap();
    // A backlight of another frame size would leave part of the frame as it was.
    if (updateBacklight || d->backlightPixmap.size() != d->frameSize)
        updateCachedBacklightPixmap();
    // A new pixmap has no alpha channel until it is filled with
    // transparency: the backlight copied in would turn the paper black.
    if (d->framePixmap.size() != d->frameSize)
        d->framePixmap = QPixmap(d->frameSize);
    if (!d->framePixmap.hasAlphaChannel())
        d->framePixmap.fill(Qt::transparent);
    QPainter painter(&d->framePixmap);
    painter.setCompositionMode(QPainter::CompositionMode_Source);
    painter.drawPixmap(0, 0, d->backlightPixmap);
    painter.setCompositionMode(QPainter::CompositionMode_SourceOver);

    ToolManager const* tools = ToolManager::instance();
    if (!tools->isLassoingTool() || tools->currentToolState() != Tool::Usable) {
        QRect const ink = d->currentFrameInk;
        if (!ink.isEmpty())
            painter.drawPixmap(ink, d->currentFramePixmap, ink);
        return;
    }
    // While lassoing, the drawing to cut from stands out of the others.
    int const frame = shownFrame();
    QRect const rect = frameRect();
    VisualLayer const* current = visualLayer(validActiveLayer());
    painter.setOpacity(0.25);
    for (auto it = d->logicalLayerIndices.crbegin(); it != d->logicalLayerIndices.crend(); ++it) {
        VisualLayer const* visual = visualLayer(*it);
        if (visual && visual != current && visual->isVisible()
            && !isZeroOpacity(visual->opacity())) {
            if (QRect const part = inkedPart(*visual, frame, rect); !part.isEmpty())
                visual->draw(frame, &painter, part);
        }
    }
    painter.setOpacity(1.0);
    if (current && current->isVisible() && !isZeroOpacity(current->opacity())) {
        if (QRect const part = inkedPart(*current, frame, rect); !part.isEmpty())
            current->draw(frame, &painter, part);
    }
}

void Scene::setBacklightSettings(BacklightSettings backlightSettings)
{
    BacklightSettings& stored = d->backlightSettings;
    if (backlightSettings.current == stored.current
        && backlightSettings.onlyKeyFrames == stored.onlyKeyFrames) {
        bool const matters =
            backlightSettings.enabled != stored.enabled
            || currentBacklightSetting(backlightSettings) != currentBacklightSetting(stored);
        stored = std::move(backlightSettings);
        // A change of the set not in use repaints nothing.
        if (!matters)
            return;
    } else {
        stored = std::move(backlightSettings);
    }
    // The views hear of the new frames once, after the new picture.
    d->holdBacklightFramesChanged = true;
    updateCachedFramePixmap(true);
    d->holdBacklightFramesChanged = false;
    emit rectChanged(frameRect());
    emit backlightFramesChanged();
}

// --- drawing the frame ---------------------------------------------------------

void Scene::paintLayersLive(QPainter* painter, QRect const& rect, int frame,
                            VisualLayer const* current, bool skipCurrent) const
{
    for (auto it = d->logicalLayerIndices.crbegin(); it != d->logicalLayerIndices.crend(); ++it) {
        VisualLayer const* visual = visualLayer(*it);
        if (!visual || !visual->isVisible() || (skipCurrent && visual == current))
            continue;
        if (QRect const part = inkedPart(*visual, frame, rect); !part.isEmpty())
            visual->draw(frame, painter, part);
    }
}

void Scene::draw(QPainter* painter, QRect const& exposed) const
{
    QRect const r = exposed & frameRect();
    if (!painter || r.isEmpty())
        return;
    bool const scrubbing = isScrubFrameShown();
    if (!scrubbing) {
        if (!d->activeStroke) {
            painter->drawPixmap(r, d->framePixmap, r);
            return;
        }
        painter->drawPixmap(r, d->backlightPixmap, r);
    }
    // Painted live: while scrubbing, every layer at the scrub frame in its
    // place in the stack; while drawing, the active layer with its stroke on
    // top of the others.
    VisualLayer const* current = visualLayer(validActiveLayer());
    int const frame = scrubbing ? d->scrubFrame : shownFrame();
    paintLayersLive(painter, r, frame, current, !scrubbing);
    if (scrubbing || !current || !current->isVisible())
        return;
    auto const* drawLayer = qobject_cast<DrawLayer const*>(current);
    if (drawLayer && isDrawType(current->type()))
        drawLayer->draw(frame, painter, r, d->activeStroke.get());
    else
        current->draw(frame, painter, r);
}

void Scene::drawOnlyCurrentFrame(QPainter* painter, QRect const& exposed) const
{
    QRect const r = exposed & frameRect();
    if (!painter || r.isEmpty())
        return;
    bool const scrubbing = isScrubFrameShown();
    if (!scrubbing && !d->activeStroke) {
        painter->drawPixmap(r, d->currentFramePixmap, r);
        return;
    }
    VisualLayer const* current = visualLayer(validActiveLayer());
    int const frame = scrubbing ? d->scrubFrame : shownFrame();
    paintLayersLive(painter, r, frame, current, !scrubbing);
    if (scrubbing || !current || !current->isVisible() || !isDrawType(current->type()))
        return;
    if (auto const* drawLayer = qobject_cast<DrawLayer const*>(current))
        drawLayer->draw(frame, painter, r, d->activeStroke.get());
}

void Scene::drawOnlyBackLight(QPainter* painter, QRect const& exposed) const
{
    QRect const r = exposed & frameRect();
    if (!painter || r.isEmpty() || isScrubFrameShown())
        return;
    painter->drawPixmap(r, d->backlightPixmap, r);
}

// --- backlight frames ------------------------------------------------------------

// Neighbours are counted in drawings: a stop is a frame where some backlight
// layer shows a new drawing (or, with only key drawings, where the active
// layer has a key drawing).
struct Scene::BacklightSearch
{
    BacklightSetting::ShowOption show = BacklightSetting::StopAtEnds;
    bool onlyKeyFrames = false;
    int first = 1;
    int last = 1;
    int maximum = 1;
    VisualLayer const* active = nullptr; // the active layer when it is visual
    int activeLength = 0;
    QList<VisualLayer const*> layers;

    bool isActiveVirtualLastFrame(int frame) const
    {
        return active && active->isVirtualLastFrame(frame);
    }

    bool isDrawingChange(int frame) const
    {
        return std::any_of(layers.cbegin(), layers.cend(), [frame](VisualLayer const* layer) {
            int const type = layer->drawingTypeBeyond(frame);
            return type == LayerItem::Original || type == LayerItem::DistantClone
                   || layer->isVirtualLastFrame(frame);
        });
    }

    bool isStop(int frame) const
    {
        if (onlyKeyFrames)
            return active && active->isKeyDrawing(frame);
        return isDrawingChange(frame)
               || (show != BacklightSetting::ShowOutsideRange && frame == first);
    }

    // The first stop walking from one frame to another, either way; -1 when
    // there is none.
    int stopUp(int from, int to) const
    {
        for (int frame = from; frame <= to; ++frame) {
            if (isStop(frame))
                return frame;
        }
        return -1;
    }

    int stopDown(int from, int to) const
    {
        for (int frame = from; frame >= to; --frame) {
            if (isStop(frame))
                return frame;
        }
        return -1;
    }

    int next(int frame) const
    {
        switch (show) {
        case BacklightSetting::StopAtEnds:
            if (frame < first || frame >= last)
                return -1;
            return stopUp(frame + 1, last);
        case BacklightSetting::WrapAtEnds:
            if (frame >= first && frame < last) {
                if (int const stop = stopUp(frame + 1, last); stop != -1)
                    return stop;
            }
            return stopUp(first, last);
        case BacklightSetting::ShowOutsideRange:
            // Frame 1 has neighbours after it like any other frame.
            if (frame < 1 || frame >= maximum)
                return -1;
            return stopUp(frame + 1, maximum);
        }
        return -1;
    }

    int previous(int frame) const
    {
        bool const virtualLast = isActiveVirtualLastFrame(frame);
        switch (show) {
        case BacklightSetting::StopAtEnds:
            if (frame < first || (frame > last && !virtualLast))
                return -1;
            return stopDown(virtualLast ? std::min(activeLength, last) : frame - 1, first);
        case BacklightSetting::WrapAtEnds:
            if (frame > first && frame <= last) {
                if (int const stop = stopDown(frame - 1, first); stop != -1)
                    return stop;
            }
            return stopDown(std::min(activeLength, last), first);
        case BacklightSetting::ShowOutsideRange:
            if (frame < 1 || (frame > maximum && !virtualLast))
                return -1;
            return stopDown(virtualLast ? std::min(activeLength, maximum) : frame - 1, 1);
        }
        return -1;
    }
};

QList<Scene::BacklightFrame> Scene::computeBacklightFrames() const
{
    BacklightSettings const& settings = d->backlightSettings;
    if (!settings.enabled)
        return {};
    BacklightSetting const& setting = currentBacklightSetting(settings);
    int const hueStep = setting.hueShift == BacklightSetting::UseHueShift ? 30 : 0;

    BacklightSearch search;
    search.show = setting.showOption;
    search.onlyKeyFrames = settings.onlyKeyFrames;
    search.first = d->frameRangeFirst;
    search.last = d->frameRangeLast;
    search.maximum = d->maximumFrameNumber;
    int const active = validActiveLayer();
    search.active = visualLayer(active);
    search.activeLength = search.active ? search.active->length()
                                        : (active >= 0 ? d->maximumFrameNumber : 0);
    if (setting.layers == BacklightSetting::BacklightVisibleLayers) {
        for (auto it = d->logicalLayerIndices.crbegin(); it != d->logicalLayerIndices.crend();
             ++it) {
            VisualLayer const* visual = visualLayer(*it);
            if (visual && visual->isVisible())
                search.layers.append(visual);
        }
    } else if (search.active) {
        search.layers.append(search.active);
    }

    int const start = std::min(d->activeFrame, d->frameRangeLast + 1);
    int forward = start;
    int backward = start;
    // On a held drawing the nearest neighbour before is the drawing before
    // the held one, so the search starts where the held drawing starts.
    if (!settings.onlyKeyFrames && !search.isActiveVirtualLastFrame(start)
        && !search.isDrawingChange(start) && start != search.first)
        backward = search.previous(start);

    QList<double> const& before = setting.opacityLevelsBefore;
    QList<double> const& after = setting.opacityLevelsAfter;
    QList<BacklightFrame> frames;
    for (qsizetype i = 0; i < std::max(before.size(), after.size()); ++i) {
        int const step = int(i + 1) * hueStep;
        // A cursor that found nothing stays there for the rest of the search.
        if (i < after.size()) {
            if (forward != -1)
                forward = search.next(forward);
            if (forward != -1 && after.at(i) > 0.01)
                frames.append({forward, after.at(i), -step});
        }
        if (i < before.size()) {
            if (backward != -1)
                backward = search.previous(backward);
            if (backward != -1 && before.at(i) > 0.01)
                frames.append({backward, before.at(i), step});
        }
    }
    std::reverse(frames.begin(), frames.end());
    return frames;
}

QList<Scene::BacklightFrame> Scene::backlightFrames() const
{
    return d->backlightFrames;
}

void Scene::updateBacklightFrames()
{
    QList<BacklightFrame> frames = computeBacklightFrames();
    if (sameBacklightFrames(frames, d->backlightFrames))
        return;
    d->backlightFrames = std::move(frames);
    if (!d->holdBacklightFramesChanged)
        emit backlightFramesChanged();
}

bool Scene::isBacklightFrame(int frame) const
{
    if (!d->backlightSettings.enabled)
        return false;
    if (frame == d->activeFrame)
        return true;
    return std::any_of(d->backlightFrames.cbegin(), d->backlightFrames.cend(),
                       [frame](BacklightFrame const& record) { return record.frame == frame; });
}

// --- cell queries ----------------------------------------------------------------

int Scene::drawingType(int layer, int frame) const
{
    VisualLayer const* visual = visualLayer(layer);
    return visual ? visual->drawingType(frame) : int(LayerItem::NoDrawing);
}

int Scene::drawingTypeBeyond(int layer, int frame) const
{
    VisualLayer const* visual = visualLayer(layer);
    return visual ? visual->drawingTypeBeyond(frame) : int(LayerItem::NoDrawing);
}

bool Scene::isOriginalFrame(int layer, int frame) const
{
    VisualLayer const* visual = visualLayer(layer);
    return visual && visual->isOriginalFrame(frame);
}

bool Scene::isDistantCloneFrame(int layer, int frame) const
{
    VisualLayer const* visual = visualLayer(layer);
    return visual && visual->isDistantCloneFrame(frame);
}

bool Scene::isHoldFrame(int layer, int frame) const
{
    VisualLayer const* visual = visualLayer(layer);
    return visual && visual->isHoldFrame(frame);
}

bool Scene::isLastHoldFrame(int layer, int frame) const
{
    VisualLayer const* visual = visualLayer(layer);
    return visual && visual->isLastHoldFrame(frame);
}

bool Scene::isKeyDrawing(int layer, int frame) const
{
    VisualLayer const* visual = visualLayer(layer);
    return visual && visual->isKeyDrawing(frame);
}

bool Scene::isVirtualLastFrame(int layer, int frame) const
{
    VisualLayer const* visual = visualLayer(layer);
    return visual && visual->isVirtualLastFrame(frame);
}

bool Scene::isVirtualLastFrame() const
{
    return !isScrubFrameShown() && isVirtualLastFrame(d->activeLayerIdx, d->activeFrame);
}

std::shared_ptr<LayerItem> Scene::lookupLayerItem(int layer, int frame) const
{
    VisualLayer const* visual = visualLayer(layer);
    return visual ? visual->layerItem(frame) : nullptr;
}

QImage Scene::thumbnail(int layer, int frame, QSize const& size) const
{
    Layer const* l = this->layer(layer).get();
    if (auto const* visual = qobject_cast<VisualLayer const*>(l))
        return visual->thumbnail(frame, size);
    if (auto const* audio = qobject_cast<AudioLayer const*>(l))
        return audio->thumbnail(frame, size);
    if (auto const* annotation = qobject_cast<AnnotationLayer const*>(l))
        return annotation->thumbnail(frame, size);
    return QImage();
}

QString Scene::toolTip(int layer, int frame) const
{
    VisualLayer const* visual = visualLayer(layer);
    return visual ? visual->toolTip(frame) : QString();
}

QList<std::pair<int, int>> Scene::cloneIndices(int layer, int frame) const
{
    VisualLayer const* visual = visualLayer(layer);
    if (!visual || !visual->isFrameValid(frame))
        return {};
    std::shared_ptr<LayerItem> cell = visual->layerItem(frame);
    int originalLayer = layer;
    int originalFrame = frame;
    if (cell->kind == LayerItem::DistantClone) {
        cell = lookupLayerItem(cell->original, &originalLayer, &originalFrame);
        if (!cell)
            return {};
    }
    if (cell->kind != LayerItem::Original)
        return {};
    QList<std::pair<int, int>> cells{{originalFrame, originalLayer}};
    for (DrawingRef const& ref : std::as_const(cell->clones)) {
        int cloneLayer = -1;
        int cloneFrame = -1;
        if (lookupLayerItem(ref, &cloneLayer, &cloneFrame))
            cells.append({cloneFrame, cloneLayer});
    }
    return cells;
}

QColor Scene::layerColor(int layer) const
{
    VisualLayer const* visual = visualLayer(layer);
    if (!visual)
        return QColor();
    if (auto const* strokes = qobject_cast<StrokeLayer const*>(visual))
        return strokes->color();
    return QColor(Qt::black);
}

double Scene::layerOpacity(int layer) const
{
    VisualLayer const* visual = visualLayer(layer);
    return visual ? visual->opacity() : 0.0;
}

bool Scene::hasDrawing(QUuid layerId, QUuid cellId, int* layer, int* frame) const
{
    return lookupLayerItem(DrawingRef{layerId, cellId}, layer, frame) != nullptr;
}

std::shared_ptr<LayerItem> Scene::lookupCopyId(QUuid const& copyId, DrawingRef* ref, int* layer,
                                               int* frame) const
{
    // Drawings never copied have no identifier: a null one names none of them.
    if (copyId.isNull())
        return nullptr;
    for (qsizetype l = 0; l < d->layers.size(); ++l) {
        auto const* visual = qobject_cast<VisualLayer const*>(d->layers.at(l).get());
        if (!visual)
            continue;
        QList<std::shared_ptr<LayerItem>> const& cells = visual->frames();
        for (qsizetype i = 0; i < cells.size(); ++i) {
            std::shared_ptr<LayerItem> const& cell = cells.at(i);
            if (cell->kind != LayerItem::Original || !cell->drawing
                || cell->drawing->currentCopyId() != copyId)
                continue;
            if (ref)
                *ref = cell->reference(visual->identifier());
            if (layer)
                *layer = int(l);
            if (frame)
                *frame = int(i) + 1;
            return cell;
        }
    }
    return nullptr;
}

DrawingRef Scene::lookupOriginalRef(int layer, int frame) const
{
    VisualLayer const* visual = visualLayer(layer);
    if (!visual || !visual->isFrameValid(frame))
        return DrawingRef();
    for (int f = frame; f >= 1; --f) {
        std::shared_ptr<LayerItem> const cell = visual->layerItem(f);
        if (cell->kind == LayerItem::Original)
            return cell->reference(visual->identifier());
        if (cell->kind == LayerItem::DistantClone)
            return cell->original;
    }
    return DrawingRef();
}

DrawingRef Scene::lookupOriginalRef(QUuid layerId, int frame) const
{
    return lookupOriginalRef(lookupLayerIdx(layerId), frame);
}

DrawingRef Scene::lookupOriginalRefBeyond(int layer, int frame) const
{
    VisualLayer const* visual = visualLayer(layer);
    if (!visual)
        return DrawingRef();
    int const length = visual->length();
    if (frame <= length)
        return lookupOriginalRef(layer, frame);
    // An empty layer has nothing to repeat.
    if (length == 0)
        return DrawingRef();
    switch (visual->layerBeyondLast()) {
    case Layer::cycleDrawings:
        return lookupOriginalRef(layer, (frame - 1) % length + 1);
    case Layer::freezeLast:
        return lookupOriginalRef(layer, length);
    case Layer::showNothing:
        break;
    }
    return DrawingRef();
}

DrawingRef Scene::lookupOriginalRefBeyond(QUuid layerId, int frame) const
{
    return lookupOriginalRefBeyond(lookupLayerIdx(layerId), frame);
}

int Scene::lookupLayerIdx(QUuid layerId) const
{
    for (qsizetype i = 0; i < d->layers.size(); ++i) {
        if (d->layers.at(i)->identifier() == layerId)
            return int(i);
    }
    return -1;
}

bool Scene::isOffPegs(int frame, int* layer) const
{
    return !offPegsTransform(frame, layer).isIdentity();
}

QTransform Scene::offPegsTransform(int frame, int layer) const
{
    VisualLayer const* visual = visualLayer(layer);
    return visual ? visual->offPegsTransform(frame) : QTransform();
}

QImage Scene::annotationImage(int frame) const
{
    auto const* annotation =
        qobject_cast<AnnotationLayer const*>(layer(annotationLayerIdx()).get());
    return annotation ? annotation->annotationImage(frame) : QImage();
}

// --- per-cell and per-layer edits ------------------------------------------------

bool Scene::setAnnotationImage(int frame, QImage const& image)
{
    int const index = annotationLayerIdx();
    auto* const annotation = qobject_cast<AnnotationLayer*>(layer(index).get());
    if (!annotation)
        return false;
    // This path keeps no undo records.
    annotation->replaceFrame(frame, image);
    emit layersChanged(index, index);
    return true;
}

void Scene::setKeyDrawing(int layerIdx, int frameId, bool keyDrawing)
{
    VisualLayer* const visual = visualLayer(layerIdx);
    if (!visual || !visual->isFrameValid(frameId))
        return;
    // Set before it is reported, so that whoever hears of it reads the new flag.
    visual->setKeyDrawing(frameId, keyDrawing);
    ChangedCells changed{{frameId, layerIdx}};
    internalDrawingsChanged(changed);
    // Key drawings are the light table's stops in that mode.
    if (d->backlightSettings.enabled && d->backlightSettings.onlyKeyFrames) {
        updateCachedFramePixmap(true);
        emit rectChanged(frameRect());
    }
}

bool Scene::setLayerColor(int layerIdx, QColor color)
{
    auto* const strokes = qobject_cast<StrokeLayer*>(visualLayer(layerIdx));
    if (!strokes)
        return false;
    strokes->setColor(color);
    updateCachedFramePixmap(true);
    emit rectChanged(frameRect());
    emit layerColorChanged(layerIdx, color);
    emit layersChanged(layerIdx, layerIdx);
    return true;
}

bool Scene::setLayerOpacity(int layerIdx, double opacity)
{
    VisualLayer* const visual = visualLayer(layerIdx);
    if (!visual)
        return false;
    visual->setOpacity(opacity);
    updateCachedFramePixmap(true);
    emit rectChanged(frameRect());
    emit layerOpacityChanged(layerIdx, visual->opacity());
    emit layersChanged(layerIdx, layerIdx);
    return true;
}

void Scene::setOffPegsTransform(int frame, int layer, QTransform const& transform)
{
    VisualLayer* const visual = visualLayer(layer);
    if (!visual || !visual->isFrameValid(frame))
        return;
    visual->setOffPegsTransform(frame, transform);
    // The scene's transform at the frame may have changed for every layer.
    ChangedCells changed;
    for (int const index : std::as_const(d->logicalLayerIndices)) {
        if (visualLayer(index))
            changed.append({frame, index});
    }
    if (frame == d->activeFrame) {
        updateCachedFramePixmap(true);
        emit offPegsTransformChanged(offPegsTransform(frame, nullptr));
    }
    internalDrawingsChanged(changed);
}

void Scene::setOffPegsTransform(int frame, QTransform const& transform)
{
    // A drawing already off the pegs at the active frame keeps being the one
    // that moves.
    int offPegsLayer = -1;
    offPegsTransform(d->activeFrame, &offPegsLayer);
    setOffPegsTransform(frame, offPegsLayer >= 0 ? offPegsLayer : d->activeLayerIdx, transform);
}

void Scene::setCurrentDrawingOffPegsTransform(QTransform transform)
{
    setOffPegsTransform(d->activeFrame, transform);
}

void Scene::internalRectChanged(QRect const& rect)
{
    emit rectChanged(rect);
}

// --- stroke input ------------------------------------------------------------------

void Scene::emitStrokeRect()
{
    emit rectChanged(d->activeStroke->drawLastSegmentToBuffer());
}

void Scene::startStroke(Stroke::GuidePoint&& guide, QPointF const* direction)
{
    if (d->activeStroke) {
        // An unfinished stroke is closed and dropped: nobody asked for it.
        d->extraPointTimer.stop();
        d->endPointTimer.stop();
        d->activeStroke->addEndPoint();
        emitStrokeRect();
        d->activeStroke.reset();
        emit hasActiveStrokeChanged(false);
    }
    ToolManager const* tools = ToolManager::instance();
    Tool::Type const type = tools->currentToolType();
    Tool* const tool = type == Tool::NoTool ? nullptr : tools->tool(type);
    d->activeStroke = std::make_unique<SingleStroke>(d->frameSize, tool);
    if (direction)
        d->activeStroke->addPoint(std::move(guide), *direction);
    else
        d->activeStroke->addPoint(std::move(guide));
    emitStrokeRect();
    d->extraPointTimer.start();
    d->endPointTimer.start();
    emit hasActiveStrokeChanged(true);
}

void Scene::beginStroke(Stroke::GuidePoint&& guide)
{
    startStroke(std::move(guide), nullptr);
}

void Scene::beginStroke(Stroke::GuidePoint&& guide, QPointF direction)
{
    startStroke(std::move(guide), &direction);
}

void Scene::addStrokePoint(Stroke::GuidePoint&& guide)
{
    if (!d->activeStroke || d->activeStroke->isTooCloseToLastGuidePoint(guide.position))
        return;
    d->extraPointTimer.start();
    d->endPointTimer.start();
    d->activeStroke->addPoint(std::move(guide));
    emitStrokeRect();
}

void Scene::addExtraStrokePoint()
{
    if (!d->activeStroke)
        return;
    d->activeStroke->addPoint();
    emitStrokeRect();
}

void Scene::addStrokeEndPoint()
{
    d->extraPointTimer.stop();
    d->endPointTimer.stop();
    if (!d->activeStroke)
        return;
    // The stroke stays in progress: the pen may move on.
    d->activeStroke->addEndPoint();
    emitStrokeRect();
}

std::unique_ptr<SingleStroke> Scene::endStroke()
{
    d->extraPointTimer.stop();
    d->endPointTimer.stop();
    if (!d->activeStroke)
        return nullptr;
    d->activeStroke->addEndPoint();
    // Still the active stroke while its last piece is repainted.
    emitStrokeRect();
    std::unique_ptr<SingleStroke> stroke = std::move(d->activeStroke);
    emit hasActiveStrokeChanged(false);
    return stroke;
}

SingleStroke const* Scene::activeStroke() const
{
    return d->activeStroke.get();
}

bool Scene::hasActiveStroke() const
{
    return d->activeStroke != nullptr;
}

bool Scene::appendStroke(int layer, int frame, std::unique_ptr<Stroke>&& stroke)
{
    // Every refusal is decided before the stroke is taken, so that a refused
    // stroke stays with its owner (an undo command keeps it for the next
    // redo). Visibility is no reason: it was checked when the pen went down,
    // and a redo must put the stroke back whatever is shown now.
    auto* const strokes = qobject_cast<StrokeLayer*>(this->layer(layer).get());
    if (!stroke || !strokes || !strokes->isFrameValid(frame))
        return false;
    StrokeDrawing const* drawing = strokes->strokeDrawing(frame - 1);
    if (!drawing)
        return false;
    // A drawing takes no eraser before it has strokes to erase.
    auto const* single = dynamic_cast<SingleStroke const*>(stroke.get());
    if (single && !single->isPen() && drawing->rootStroke()->isEmpty())
        return false;

    QRect const bounds = stroke->boundingRect();
    if (!strokes->appendStroke(frame, std::move(stroke)))
        return false;
    strokesChanged(layer, frame, bounds);
    return true;
}

std::unique_ptr<Stroke> Scene::removeLastStroke(int layer, int frame)
{
    auto* const strokes = qobject_cast<StrokeLayer*>(this->layer(layer).get());
    if (!strokes)
        return nullptr;
    std::unique_ptr<Stroke> stroke = strokes->removeLastStroke(frame);
    if (!stroke)
        return nullptr;
    strokesChanged(layer, frame, stroke->boundingRect());
    return stroke;
}

void Scene::strokesChanged(int layer, int frame, QRect const& bounds)
{
    updateCachedFramePixmap(true);
    emit rectChanged(bounds);
    ChangedCells changed = cellsShowingDrawing(layer, frame);
    internalDrawingsChanged(changed);
}

QList<std::pair<int, int>> Scene::cellsShowingDrawing(int layer, int frame)
{
    // The cell that owns the drawing: back over holds, or across to the
    // original of a distant clone.
    int ownerLayer = layer;
    int ownerFrame = frame;
    while (ownerFrame >= 1) {
        auto const* strokes = qobject_cast<StrokeLayer const*>(this->layer(ownerLayer).get());
        std::shared_ptr<LayerItem> const cell = strokes ? strokes->layerItem(ownerFrame) : nullptr;
        if (!cell || cell->kind == LayerItem::Original)
            break;
        if (cell->kind == LayerItem::DistantClone
            && lookupLayerItem(cell->original, &ownerLayer, &ownerFrame))
            break;
        --ownerFrame;
    }
    // A stray hold at the start owns its drawing itself.
    ownerFrame = std::max(ownerFrame, 1);

    ChangedCells changed{{ownerFrame, ownerLayer}};
    changed += updateHolds(ownerFrame, ownerLayer);
    std::shared_ptr<LayerItem> const owner = lookupLayerItem(ownerLayer, ownerFrame);
    if (!owner)
        return changed;
    for (DrawingRef const& ref : std::as_const(owner->clones)) {
        int cloneLayer = -1;
        int cloneFrame = -1;
        if (!lookupLayerItem(ref, &cloneLayer, &cloneFrame))
            continue;
        changed.append({cloneFrame, cloneLayer});
        changed += updateHolds(cloneFrame, cloneLayer);
    }
    return changed;
}

void Scene::drawDottedLineToCursor(QPainter* painter, QRect const& exposed, double width) const
{
    if (!painter || isScrubFrameShown() || !d->activeStroke || d->activeStroke->isEraser())
        return;
    auto const* strokes = qobject_cast<StrokeLayer const*>(visualLayer(validActiveLayer()));
    if (!strokes || !strokes->isVisible())
        return;
    d->activeStroke->drawDottedLineFromLastResultToGuide(painter, strokes->color(),
                                                         exposed & frameRect(), width);
}

std::unique_ptr<FloatingSelection>
Scene::createNewFloatingSelection(QPainterPath const& lasso) const
{
    int const active = validActiveLayer();
    if (active < 0 || !isDrawType(layerType(active)))
        return nullptr;
    auto const* drawLayer = qobject_cast<DrawLayer const*>(d->layers.at(active).get());
    return drawLayer ? drawLayer->createNewFloatingSelection(d->activeFrame, lasso) : nullptr;
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


// --- clipboard form of drawings ----------------------------------------------

QString Scene::clipboardMimeType()
{
    return QStringLiteral("application/x-quillmere");
}

QMimeData* Scene::createMimeData(int layer, int first, int count) const
{
    VisualLayer const* const visual = visualLayer(layer);
    if (!visual)
        return nullptr;
    int const n = std::min(visual->length() - first + 1, count);
    if (first < 1 || n < 1)
        return nullptr;

    // The cell whose drawing a frame shows: holds repeat the cell before them.
    auto const sourceCell = [visual](int frame) {
        while (frame > 1 && visual->isHoldFrame(frame))
            --frame;
        return visual->layerItem(frame);
    };

    auto mimeData = std::make_unique<QMimeData>();
    QString const application = QGuiApplication::applicationDisplayName();
    if (n == 1)
        mimeData->setText(tr("%1 scene %2, Layer %3, frame %4")
                              .arg(application, name(), visual->name(), QString::number(first)));
    else
        mimeData->setText(tr("%1 scene %2, Layer %3, frames %4-%5")
                              .arg(application, name(), visual->name(), QString::number(first),
                                   QString::number(first + n - 1)));

    int const type = visual->type();
    std::shared_ptr<LayerItem> const firstSource = sourceCell(first);
    if (type == Layer::ReferenceLayerType) {
        auto const* picture = dynamic_cast<ImageDrawing const*>(firstSource->drawing.get());
        if (picture && !picture->image().isNull())
            mimeData->setImageData(picture->image());
    } else if (type == Layer::StrokeLayerType) {
        QImage image(visual->frameSize(), QImage::Format_RGB32);
        image.fill(Qt::white);
        QPainter painter(&image);
        painter.setCompositionMode(QPainter::CompositionMode_SourceOver);
        visual->draw(first, &painter, image.rect());
        painter.end();
        mimeData->setImageData(image);
    }

    QByteArray bytes;
    QDataStream out(&bytes, QIODevice::WriteOnly);
    out << qint32(type) << qint32(n);
    QSet<DrawingRef> written;
    for (int frame = first; frame < first + n; ++frame) {
        std::shared_ptr<LayerItem> const source = sourceCell(frame);
        QByteArray payload;
        QDataStream inner(&payload, QIODevice::WriteOnly);
        inner.setFloatingPointPrecision(QDataStream::SinglePrecision);
        inner << qint32(visual->layerItem(frame)->kind);

        DrawingRef const ref = source->kind == LayerItem::DistantClone
                                   ? source->original
                                   : source->reference(visual->identifier());
        Drawing* const drawing = source->drawing.get();
        if (!drawing || written.contains(ref)) {
            inner << (drawing ? drawing->currentCopyId() : QUuid()) << false;
        } else {
            if (drawing->currentCopyId().isNull())
                drawing->createCopyId();
            inner << drawing->currentCopyId() << true;
            if (type == Layer::StrokeLayerType) {
                if (auto const* strokes = dynamic_cast<StrokeDrawing const*>(drawing))
                    inner << *strokes;
            } else if (type == Layer::ReferenceLayerType) {
                if (auto const* picture = dynamic_cast<ImageDrawing const*>(drawing))
                    inner << picture->image();
            }
            written.insert(ref);
        }
        out.writeBytes(payload.constData(), uint(payload.size()));
    }
    mimeData->setData(clipboardMimeType(), bytes);
    return mimeData.release();
}

int Scene::numDrawingsInPaste(QMimeData const* mimeData) const
{
    if (!mimeData)
        return 0;
    int const active = validActiveLayer();
    if (mimeData->hasFormat(clipboardMimeType())) {
        QByteArray const bytes = mimeData->data(clipboardMimeType());
        QDataStream in(bytes);
        in.setFloatingPointPrecision(QDataStream::SinglePrecision);
        qint32 sourceType = 0;
        qint32 count = 0;
        in >> sourceType >> count;
        // A count below 1 pastes nothing, and content whose frames are not
        // all there is damaged: neither may enable pasting.
        if (in.status() != QDataStream::Ok || count < 1)
            return 0;
        for (qint32 i = 0; i < count; ++i) {
            quint32 length = 0;
            in >> length;
            if (in.status() != QDataStream::Ok || length > quint32(INT_MAX)
                || in.skipRawData(int(length)) != int(length))
                return 0;
        }
        return active >= 0 && layerType(active) == sourceType ? count : 0;
    }
    if (mimeData->hasImage())
        return active >= 0 && layerType(active) == Layer::ReferenceLayerType ? 1 : 0;
    return 0;
}

} // namespace Model
