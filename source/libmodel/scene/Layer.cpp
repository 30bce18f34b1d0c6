#include "scene/Layer.h"

#include <utility>

namespace Model {

struct Layer::Data
{
    QString name;
    bool linked = false;
    QUuid identifier = QUuid::createUuid();
    LayerBeyondLast beyondLast = showNothing;
};

Layer::Layer(QObject* parent)
    : QObject(parent)
    , d(std::make_unique<Data>())
{
}

Layer::Layer(Layer const& other)
    : QObject(other.parent())
    , d(std::make_unique<Data>())
{
    d->name = other.d->name;
    d->linked = other.d->linked;
    d->beyondLast = other.d->beyondLast;
}

Layer::~Layer() = default;

int Layer::length() const
{
    return 0;
}

void Layer::insertBlankFrameAfter(int /*frame*/)
{
}

void Layer::insertHoldFrameAfter(int /*frame*/)
{
}

QList<LayerChange> Layer::removeFrame(int /*frame*/)
{
    return {};
}

QString Layer::name() const
{
    return d->name;
}

bool Layer::isLinked() const
{
    return d->linked;
}

QUuid Layer::identifier() const
{
    return d->identifier;
}

void Layer::setIdentifier(QUuid identifier)
{
    d->identifier = identifier;
}

Layer::LayerBeyondLast Layer::layerBeyondLast() const
{
    return d->beyondLast;
}

void Layer::setName(QString name)
{
    if (name == d->name)
        return;
    d->name = std::move(name);
    emit nameChanged(d->name);
}

void Layer::setLinked(bool linked)
{
    if (linked == d->linked)
        return;
    d->linked = linked;
    emit linkedChanged(linked);
}

bool Layer::setLayerBeyondLast(Model::Layer::LayerBeyondLast beyondLast)
{
    bool const changed = beyondLast != d->beyondLast;
    d->beyondLast = beyondLast;
    return changed;
}

} // namespace Model
