#pragma once

// A small scene with one layer of every kind the scene tells apart, and
// distant clones across them:
//   0 "first"      draw layer       A B Z W   Z clone of C, W clone of A
//   1 "second"     draw layer       C X       X clone of A
//   2 "reference"  reference layer  E Y       Y clone of A
//   3 "audio"      audio layer (no sound)
//   4 "notes"      annotation layer
// A lists its clones as [W, X, Y]: the first entry lies on A's own layer.

#include "LayerFixture.h"

#include "audio/AudioLayer.h"
#include "scene/AnnotationLayer.h"
#include "scene/ReferenceLayer.h"
#include "scene/Scene.h"

#include <QMetaMethod>
#include <QSignalSpy>

#include <vector>

struct SceneFixture
{
    SceneFixture()
    {
        first = std::make_shared<FixtureDrawLayer>(QStringLiteral("first"), &log);
        second = std::make_shared<FixtureDrawLayer>(QStringLiteral("second"), &log);
        reference = std::make_shared<Model::ReferenceLayer>(QSize(1000, 500), nullptr);
        reference->setName(QStringLiteral("reference"));
        audio = std::make_shared<Model::AudioLayer>(nullptr);
        audio->setName(QStringLiteral("audio"));
        annotation = std::make_shared<Model::AnnotationLayer>(nullptr);
        annotation->setName(QStringLiteral("notes"));

        Fixture::build(*first, QStringLiteral("AB**"));
        Fixture::build(*second, QStringLiteral("C*"));
        Fixture::build(*reference, QStringLiteral("E*"));
        for (std::shared_ptr<Model::Layer> const& layer :
             {std::shared_ptr<Model::Layer>(first), std::shared_ptr<Model::Layer>(second),
              std::shared_ptr<Model::Layer>(reference), std::shared_ptr<Model::Layer>(audio),
              std::shared_ptr<Model::Layer>(annotation)})
            scene.addLayer(layer, scene.numLayers());

        Fixture::link(*second, 1, *first, 3);    // Z
        Fixture::link(*first, 1, *first, 4);     // W
        Fixture::link(*first, 1, *second, 2);    // X
        Fixture::link(*first, 1, *reference, 2); // Y
        scene.setFrameRange(1, 4, 1, 0);
        log.clear();
    }

    std::shared_ptr<Model::LayerItem> a() const { return first->layerItem(1); }
    std::shared_ptr<Model::LayerItem> c() const { return second->layerItem(1); }
    std::shared_ptr<Model::LayerItem> z() const { return first->layerItem(3); }
    std::shared_ptr<Model::LayerItem> w() const { return first->layerItem(4); }
    std::shared_ptr<Model::LayerItem> x() const { return second->layerItem(2); }
    std::shared_ptr<Model::LayerItem> y() const { return reference->layerItem(2); }

    QStringList log;
    Model::Scene scene;
    std::shared_ptr<FixtureDrawLayer> first;
    std::shared_ptr<FixtureDrawLayer> second;
    std::shared_ptr<Model::ReferenceLayer> reference;
    std::shared_ptr<Model::AudioLayer> audio;
    std::shared_ptr<Model::AnnotationLayer> annotation;
};

namespace Fixture {

// One spy for every signal the object's class declares beyond QObject's.
inline std::vector<std::unique_ptr<QSignalSpy>> spyOnAllSignals(QObject const* object)
{
    std::vector<std::unique_ptr<QSignalSpy>> spies;
    QMetaObject const* meta = object->metaObject();
    for (int i = QObject::staticMetaObject.methodCount(); i < meta->methodCount(); ++i) {
        QMetaMethod const method = meta->method(i);
        if (method.methodType() == QMetaMethod::Signal)
            spies.push_back(std::make_unique<QSignalSpy>(object, method));
    }
    return spies;
}

// The names of the signals that the spies caught, in declaration order.
inline QStringList caught(std::vector<std::unique_ptr<QSignalSpy>> const& spies)
{
    QStringList names;
    for (auto const& spy : spies) {
        if (!spy->isEmpty())
            names << QString::fromLatin1(spy->signal());
    }
    return names;
}

inline QString refText(Model::DrawingRef const& ref)
{
    return ref.isNull() ? QStringLiteral("-")
                        : ref.layer.toString(QUuid::WithoutBraces).left(8) + QLatin1Char('/')
                              + ref.drawing.toString(QUuid::WithoutBraces).left(8);
}

// Everything a scene edit could change: the scene's own fields, its order
// lists, and per layer its properties and every cell with its links.
inline QStringList sceneState(Model::Scene const& scene)
{
    auto const join = [](QList<int> const& list) {
        QStringList parts;
        for (int const value : list)
            parts << QString::number(value);
        return parts.join(QLatin1Char(';'));
    };
    QStringList lines;
    lines << QStringLiteral("name %1 rate %2 size %3x%4 thumbnails %5")
                 .arg(scene.name())
                 .arg(scene.frameRate())
                 .arg(scene.frameWidth())
                 .arg(scene.frameHeight())
                 .arg(int(scene.thumbnailSize()));
    lines << QStringLiteral("range %1-%2 max %3 active %4@%5 scrub %6 audio %7 top %8")
                 .arg(scene.minimumFrameRangeNumber())
                 .arg(scene.maximumFrameRangeNumber())
                 .arg(scene.maximumFrameNumber())
                 .arg(scene.activeFrame())
                 .arg(scene.activeLayerIdx())
                 .arg(scene.scrubFrame())
                 .arg(scene.audioLayerIdx())
                 .arg(scene.layerIndexTop());
    lines << QStringLiteral("logical %1 visual %2")
                 .arg(join(scene.getLogicalLayerIndices()), join(scene.getVisualLayerIndices()));
    for (int i = 0; i < scene.numLayers(); ++i) {
        std::shared_ptr<Model::Layer> const layer = scene.layer(i);
        lines << QStringLiteral("layer %1 %2 type %3 '%4' linked %5 beyond %6 parent %7")
                     .arg(i)
                     .arg(layer->identifier().toString())
                     .arg(layer->type())
                     .arg(layer->name())
                     .arg(layer->isLinked())
                     .arg(int(layer->layerBeyondLast()))
                     .arg(layer->parent() == &scene);
        auto const* visual = qobject_cast<Model::VisualLayer const*>(layer.get());
        if (!visual)
            continue;
        lines << QStringLiteral("  visible %1 opacity %2")
                     .arg(visual->isVisible())
                     .arg(visual->opacity());
        QStringList const cells = snapshot(*visual);
        for (int f = 1; f <= visual->length(); ++f) {
            auto const cell = visual->layerItem(f);
            QStringList clones;
            for (Model::DrawingRef const& clone : cell->clones)
                clones << refText(clone);
            lines << QStringLiteral("  %1 original %2 clones [%3] key %4")
                         .arg(cells.at(f - 1), refText(cell->original), clones.join(QLatin1Char(',')))
                         .arg(cell->keyDrawing);
        }
    }
    return lines;
}

} // namespace Fixture
