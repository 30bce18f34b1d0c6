#include "scene/Scene.h"

#include "scene/SceneData.h"

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
#include <QTimer>
#include <QUndoStack>

#include <algorithm>
#include <cmath>

namespace Model {

using namespace SceneDetail;

namespace {

constexpr int undoLimit = 50;

} // namespace

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

bool Scene::hasOneVisualLayer() const
{
    // Stops at the second: asked on every layer added.
    int count = 0;
    for (auto const& layer : std::as_const(d->layers)) {
        if (isVisualType(layer->type()) && ++count > 1)
            return false;
    }
    return count == 1;
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

Layer* Scene::layerAt(int index) const
{
    if (index < 0 || index >= d->layers.size())
        return nullptr;
    return d->layers.at(index).get();
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
    // Asked for every cell the views show: no reference count is touched.
    Layer const* l = layerAt(layer);
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
    Layer const* l = layerAt(layer);
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
    Layer const* l = layerAt(layer);
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
        if (std::shared_ptr<LayerItem> cell = visual->cellWithIdentifier(ref.drawing, frame)) {
            if (layer)
                *layer = int(l);
            return cell;
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
