#pragma once

// Helpers shared by the scene file and clipboard tests: a scene with every
// kind of layer and cell, a description of a scene that two equal scenes
// share, and writing and reading scenes through memory.

#include "../media/SoundFixtures.h"
#include "../strokes/StrokeFixtures.h"

#include "audio/AudioLayer.h"
#include "drawings/ImageDrawing.h"
#include "drawings/StrokeDrawing.h"
#include "files/SceneReader.h"
#include "files/SceneWriter.h"
#include "scene/AnnotationLayer.h"
#include "scene/LayerItem.h"
#include "scene/ReferenceLayer.h"
#include "scene/Scene.h"
#include "scene/StrokeLayer.h"

#include <QBuffer>
#include <QCryptographicHash>
#include <QPainter>

#include <cmath>

namespace SceneFiles {

inline QString const& testDataDir()
{
    static QString const dir = QStringLiteral(QUILLMERE_TEST_DATA_DIR "/scenes/");
    return dir;
}

inline QByteArray write(Model::Scene* scene, int* result = nullptr)
{
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly | QIODevice::Text);
    Model::SceneWriter writer(scene, nullptr);
    int const r = writer.writeFile(&buffer);
    if (result)
        *result = r;
    return bytes;
}

inline int read(Model::Scene* scene, QByteArray bytes, QString* error = nullptr)
{
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::ReadOnly | QIODevice::Text);
    Model::SceneReader reader(scene, nullptr);
    int const result = reader.read(&buffer);
    if (error)
        *error = reader.errorString();
    return result;
}

inline QString hashOf(QByteArray const& bytes)
{
    return QString::fromLatin1(QCryptographicHash::hash(bytes, QCryptographicHash::Sha1).toHex().left(12));
}

inline QByteArray strokeBytes(Model::StrokeDrawing const& drawing)
{
    QByteArray bytes;
    QDataStream out(&bytes, QIODevice::WriteOnly);
    out.setFloatingPointPrecision(QDataStream::SinglePrecision);
    out << drawing;
    return bytes;
}

inline QString imageText(QImage const& image)
{
    if (image.isNull())
        return QStringLiteral("null");
    QImage const argb = image.format() == QImage::Format_Alpha8
                            ? image
                            : image.convertToFormat(QImage::Format_ARGB32);
    QByteArray bits;
    for (int y = 0; y < argb.height(); ++y)
        bits.append(reinterpret_cast<char const*>(argb.constScanLine(y)),
                    argb.width() * argb.depth() / 8);
    return QStringLiteral("%1x%2 d%3 %4")
        .arg(argb.width())
        .arg(argb.height())
        .arg(argb.depth())
        .arg(hashOf(bits));
}

inline QString drawingText(Model::Drawing const* drawing)
{
    if (!drawing)
        return QStringLiteral("none");
    QString const copyId = drawing->currentCopyId().toString();
    if (auto const* strokes = dynamic_cast<Model::StrokeDrawing const*>(drawing))
        return QStringLiteral("strokes %1 (%2 strokes) copy %3")
            .arg(hashOf(strokeBytes(*strokes)))
            .arg(strokes->numTotalStrokes())
            .arg(copyId);
    if (auto const* picture = dynamic_cast<Model::ImageDrawing const*>(drawing))
        return QStringLiteral("image %1 copy %2").arg(imageText(picture->image()), copyId);
    return QStringLiteral("other");
}

// Translation and rotation as the file keeps them, six significant digits.
inline QString transformText(QTransform const& t)
{
    if (t.isIdentity())
        return QStringLiteral("identity");
    double const degrees = std::atan2(t.m12(), t.m11()) * 180.0 / M_PI;
    return QStringLiteral("move %1,%2 turn %3")
        .arg(QString::number(t.dx(), 'g', 6), QString::number(t.dy(), 'g', 6),
             QString::number(degrees, 'g', 6));
}

// Everything a file keeps of a scene. Holds are described by whether they
// share the drawing of the cell before them, since their identifiers are
// new on every load.
inline QStringList describe(Model::Scene const& scene)
{
    QStringList lines;
    lines << QStringLiteral("size %1x%2 fps %3 range %4-%5 active %6@%7 highest %8 max %9")
                 .arg(scene.frameWidth())
                 .arg(scene.frameHeight())
                 .arg(scene.frameRate())
                 .arg(scene.minimumFrameRangeNumber())
                 .arg(scene.maximumFrameRangeNumber())
                 .arg(scene.activeFrame())
                 .arg(scene.activeLayerIdx())
                 .arg(scene.highestUsedLayerNumber())
                 .arg(scene.maximumFrameNumber());
    QStringList order;
    for (int const index : scene.getLogicalLayerIndices())
        order << QString::number(index);
    lines << QStringLiteral("order ") + order.join(QLatin1Char(';'));

    for (int i = 0; i < scene.numLayers(); ++i) {
        std::shared_ptr<Model::Layer> const layer = scene.layer(i);
        lines << QStringLiteral("layer %1 %2 '%3' type %4 linked %5")
                     .arg(i)
                     .arg(layer->identifier().toString(), layer->name())
                     .arg(layer->type())
                     .arg(layer->isLinked());
        if (auto const* visual = qobject_cast<Model::VisualLayer const*>(layer.get())) {
            QString colour;
            if (auto const* strokes = qobject_cast<Model::StrokeLayer const*>(visual))
                colour = strokes->color().name(QColor::HexArgb);
            lines << QStringLiteral("  visible %1 opacity %2 beyond %3 colour %4")
                         .arg(visual->isVisible())
                         .arg(visual->opacity())
                         .arg(int(visual->layerBeyondLast()))
                         .arg(colour);
            for (int f = 1; f <= visual->length(); ++f) {
                std::shared_ptr<Model::LayerItem> const cell = visual->layerItem(f);
                QString line = QStringLiteral("  %1 kind %2 key %3 %4 ")
                                   .arg(f)
                                   .arg(cell->kind)
                                   .arg(cell->keyDrawing)
                                   .arg(transformText(cell->offPegsTransform));
                if (cell->kind == Model::LayerItem::Hold) {
                    bool const shares = f > 1 && visual->layerItem(f - 1)->drawing == cell->drawing;
                    line += QStringLiteral("hold sharing %1").arg(shares);
                } else if (cell->kind == Model::LayerItem::DistantClone) {
                    std::shared_ptr<Model::LayerItem> const original =
                        scene.lookupLayerItem(cell->original);
                    line += QStringLiteral("clone %1 of %2/%3 sharing %4")
                                .arg(cell->identifier.toString(), cell->original.layer.toString(),
                                     cell->original.drawing.toString())
                                .arg(original && original->drawing == cell->drawing);
                } else {
                    QStringList clones;
                    for (Model::DrawingRef const& clone : cell->clones)
                        clones << clone.layer.toString().left(9) + QLatin1Char('/')
                                      + clone.drawing.toString().left(9);
                    line += QStringLiteral("original %1 clones [%2] %3")
                                .arg(cell->identifier.toString(), clones.join(QLatin1Char(',')),
                                     drawingText(cell->drawing.get()));
                }
                lines << line;
            }
        } else if (auto const* audio = qobject_cast<Model::AudioLayer const*>(layer.get())) {
            lines << QStringLiteral("  sound %1 bytes %2 offset %3 available %4")
                         .arg(hashOf(audio->originalAudioData()))
                         .arg(audio->originalAudioData().size())
                         .arg(audio->offsetFrames())
                         .arg(audio->isAudioAvailable());
        } else if (auto const* notes = qobject_cast<Model::AnnotationLayer const*>(layer.get())) {
            for (int f = 1; f <= scene.maximumFrameNumber(); ++f)
                lines << QStringLiteral("  notes %1 %2").arg(f).arg(imageText(notes->annotationImage(f)));
        }
    }
    return lines;
}

// A stroke through a few points, rendered the way the scene does it.
inline std::unique_ptr<Model::Stroke> stroke(Model::Tool* tool, QSize const& frame, QPointF from,
                                             QPointF to)
{
    QList<QPointF> points;
    for (int i = 0; i <= 6; ++i)
        points << from + (to - from) * (i / 6.0) + QPointF(0.0, 4.0 * std::sin(i));
    return StrokeFixtures::strokeThrough(tool, points, frame);
}

inline std::shared_ptr<Model::LayerItem> original(std::shared_ptr<Model::Drawing> drawing)
{
    return std::make_shared<Model::LayerItem>(Model::LayerItem::Original, QUuid::createUuid(),
                                              std::move(drawing));
}

inline std::shared_ptr<Model::LayerItem> hold(std::shared_ptr<Model::LayerItem> const& before)
{
    return std::make_shared<Model::LayerItem>(before->drawing);
}

inline std::shared_ptr<Model::LayerItem> distantClone(Model::VisualLayer const& originalLayer,
                                                      std::shared_ptr<Model::LayerItem> const& of,
                                                      Model::VisualLayer const& cloneLayer)
{
    auto clone = std::make_shared<Model::LayerItem>(Model::LayerItem::DistantClone,
                                                    QUuid::createUuid(), of->drawing);
    clone->original = of->reference(originalLayer.identifier());
    of->clones.append(clone->reference(cloneLayer.identifier()));
    return clone;
}

// A scene with one layer of every kind that a file holds:
//   0 "Ink"     stroke:    A(key) . B(off pegs) c(clone of C) . D(blank)
//   1 "Colour"  stroke:    C a(clone of A) E(key, off pegs, scaled)
//   2 "Photos"  reference: P . p(clone of P) Q(null picture)
//   3 "Sound"   audio, a short tone, offset 2.5 frames
//   4 "Notes"   annotation, notes on frames 1 and 3
// shown in the order Photos, Ink, Notes, Colour, Sound.
struct RichScene
{
    explicit RichScene(Model::Tool* pen)
    {
        QSize const size(160, 120);
        scene.setName(QStringLiteral("Rich"));
        scene.setFrameSize(size, KW::FitMode::FitModeIgnore, nullptr);
        scene.setFrameRate(12.5);
        scene.setHighestUsedLayerNumber(7);

        ink = std::make_shared<Model::StrokeLayer>(QColor(20, 40, 200, 180), size, nullptr);
        ink->setName(QStringLiteral("Ink"));
        ink->setLinked(true);
        ink->setOpacity(0.75);
        ink->setLayerBeyondLast(Model::Layer::cycleDrawings);
        colour = std::make_shared<Model::StrokeLayer>(QColor(Qt::darkGreen), size, nullptr);
        colour->setName(QStringLiteral("Colour & <shade> \"quoted\""));
        colour->setVisible(false);
        colour->setLayerBeyondLast(Model::Layer::freezeLast);
        photos = std::make_shared<Model::ReferenceLayer>(size, nullptr);
        photos->setName(QStringLiteral("Photos"));
        photos->setLayerBeyondLast(Model::Layer::showNothing);

        auto const drawn = [&](std::vector<std::pair<QPointF, QPointF>> const& lines) {
            auto drawing = std::make_shared<Model::StrokeDrawing>(size);
            for (auto const& [from, to] : lines)
                drawing->appendStroke(stroke(pen, size, from, to));
            return drawing;
        };

        auto const a = original(drawn({{{10, 10}, {150, 100}}, {{10, 100}, {150, 10}}}));
        a->keyDrawing = true;
        a->drawing->createCopyId();
        auto const b = original(drawn({{{20, 60}, {140, 60}}}));
        b->offPegsTransform = QTransform().translate(12.5, -7.25).rotate(30.0);
        auto const c = original(drawn({{{80, 5}, {80, 115}}}));
        auto const e = original(drawn({{{5, 5}, {60, 30}}}));
        e->keyDrawing = true;
        e->offPegsTransform = QTransform().translate(-3.0, 4.0).rotate(-135.0).scale(2.0, 2.0);
        auto const d = original(std::make_shared<Model::StrokeDrawing>(size));

        QImage picture(7, 5, QImage::Format_ARGB32);
        for (int y = 0; y < picture.height(); ++y)
            for (int x = 0; x < picture.width(); ++x)
                picture.setPixel(x, y, qRgba(30 * x, 40 * y, 200, 100 + 20 * x));
        auto const p = original(std::make_shared<Model::ImageDrawing>(picture));
        auto const q = original(std::make_shared<Model::ImageDrawing>(QImage()));

        ink->frames().clear();
        colour->frames().clear();
        photos->frames().clear();
        ink->frames() << a << hold(a) << b;
        auto const cClone = distantClone(*colour, c, *ink);
        ink->frames() << cClone << hold(cClone) << d;
        colour->frames() << c << distantClone(*ink, a, *colour) << e;
        photos->frames() << p << hold(p) << distantClone(*photos, p, *photos) << q;

        sound = std::make_shared<Model::AudioLayer>(nullptr);
        sound->setName(QStringLiteral("Sound"));
        sound->setOriginalAudioData(SoundFixtures::wav16(8000, 1, 4000, [](int f, int) {
            return qint16(6000.0 * std::sin(f * 0.3));
        }));
        sound->setOffsetFrames(2.5);

        notes = std::make_shared<Model::AnnotationLayer>(nullptr);
        notes->setName(QStringLiteral("Notes"));
        QImage scribble(40, 20, QImage::Format_Alpha8);
        scribble.fill(0);
        for (int x = 3; x < 37; ++x)
            scribble.scanLine(5 + x % 9)[x] = uchar(7 * x);
        notes->addImage(scribble);
        notes->addImage(QImage());
        notes->addImage(scribble.mirrored());

        for (std::shared_ptr<Model::Layer> const& layer :
             {std::shared_ptr<Model::Layer>(ink), std::shared_ptr<Model::Layer>(colour),
              std::shared_ptr<Model::Layer>(photos), std::shared_ptr<Model::Layer>(sound),
              std::shared_ptr<Model::Layer>(notes)})
            scene.addLayer(layer, scene.numLayers());
        scene.fixupReferences();
        // Display order Photos, Ink, Notes, Colour, Sound.
        scene.moveLayer(2, scene.getVisualLayerIndices().at(2), 0);
        scene.moveLayer(4, scene.getVisualLayerIndices().at(4), 2);
        scene.setFrameRange(2, 5, 4, 1);
    }

    Model::Scene scene;
    std::shared_ptr<Model::StrokeLayer> ink;
    std::shared_ptr<Model::StrokeLayer> colour;
    std::shared_ptr<Model::ReferenceLayer> photos;
    std::shared_ptr<Model::AudioLayer> sound;
    std::shared_ptr<Model::AnnotationLayer> notes;
};

} // namespace SceneFiles
