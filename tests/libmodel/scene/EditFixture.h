#pragma once

// A scene for the cell-edit tests and one structural picture of a scene that
// an edit followed by its undo records must leave as it was.
//
//   0 "ink"     draw layer       A . . B * . C .     5 clone of A
//   1 "paper"   draw layer       D . * E . .         3 clone of A
//   2 "sketch"  draw layer       H * . *             2 clone of E, 4 clone of B
//   3 "timing"  draw layer       J . K . . O . . .
//   4 "ref"     reference layer  F . G *             4 clone of F
//   5 "audio"   audio layer
//   6 "notes"   annotation layer notes at frames 1, 2 and 4
//
// A lists its clones as [ink 5, paper 3]. Every cell stands off the pegs by
// its frame number (Fixture::build), and A, B and the clone at ink 5 are key
// drawings, so that records which drop either are caught. The range is 1-9
// and the active cell frame 1 of "ink".

#include "SceneFixture.h"

#include "drawings/ImageDrawing.h"
#include "drawings/StrokeDrawing.h"

#include <QCryptographicHash>
#include <QHash>

namespace Structure {

inline QString hashOf(QImage const& image)
{
    if (image.isNull())
        return QStringLiteral("null");
    QCryptographicHash hash(QCryptographicHash::Md5);
    // Row by row: the padding at the end of a scan line is not content.
    int const rowBytes = (image.width() * image.depth() + 7) / 8;
    for (int y = 0; y < image.height(); ++y)
        hash.addData(QByteArrayView(reinterpret_cast<char const*>(image.constScanLine(y)), rowBytes));
    return QStringLiteral("%1x%2:%3")
        .arg(image.width())
        .arg(image.height())
        .arg(QString::fromLatin1(hash.result().toHex().left(12)));
}

// What a drawing shows, whatever object holds it: an undo may bring back a
// copy of a drawing in place of the drawing itself.
inline QString content(Model::Drawing const* drawing)
{
    if (!drawing)
        return QStringLiteral("no drawing");
    QString text = QStringLiteral("type %1 '%2'").arg(drawing->type()).arg(drawing->name());
    if (auto const* image = dynamic_cast<Model::ImageDrawing const*>(drawing))
        text += QLatin1Char(' ') + hashOf(image->image());
    else if (auto const* strokes = dynamic_cast<Model::StrokeDrawing const*>(drawing))
        text += QStringLiteral(" strokes %1 ").arg(strokes->numTotalStrokes())
                + hashOf(strokes->buffer());
    return text;
}

// The scene as the cell edits and their undo must keep it. The first line
// is the frame range, maximum frame number and active cell; then per layer
// its identity and per cell its kind, identifier, which drawing it shows
// (drawings are numbered in the order a walk over the scene meets them, so
// that cells sharing a drawing share the number), that drawing's content,
// its off-pegs transform and key-drawing mark, its original and its clones
// (cells named by layer index and identifier, in any order). Notes are
// listed per frame.
inline QStringList of(Model::Scene const& scene)
{
    QHash<QUuid, int> layerIndex;
    for (int i = 0; i < scene.numLayers(); ++i)
        layerIndex.insert(scene.layer(i)->identifier(), i);
    auto const refText = [&layerIndex](Model::DrawingRef const& ref) {
        if (ref.isNull())
            return QStringLiteral("-");
        return QStringLiteral("%1/%2")
            .arg(layerIndex.value(ref.layer, -1))
            .arg(ref.drawing.toString(QUuid::WithoutBraces).left(8));
    };

    QStringList lines;
    lines << QStringLiteral("range %1-%2 max %3 active %4@%5")
                 .arg(scene.minimumFrameRangeNumber())
                 .arg(scene.maximumFrameRangeNumber())
                 .arg(scene.maximumFrameNumber())
                 .arg(scene.activeFrame())
                 .arg(scene.activeLayerIdx());

    QHash<Model::Drawing const*, int> drawingNumbers;
    for (int i = 0; i < scene.numLayers(); ++i) {
        std::shared_ptr<Model::Layer> const layer = scene.layer(i);
        lines << QStringLiteral("layer %1 %2 type %3 linked %4")
                     .arg(i)
                     .arg(layer->name())
                     .arg(layer->type())
                     .arg(layer->isLinked());
        if (auto const* notes = qobject_cast<Model::AnnotationLayer const*>(layer.get())) {
            for (int f = 1; f <= scene.maximumFrameNumber() + 3; ++f)
                lines << QStringLiteral("  note %1 %2").arg(f).arg(hashOf(notes->annotationImage(f)));
            continue;
        }
        auto const* visual = qobject_cast<Model::VisualLayer const*>(layer.get());
        if (!visual)
            continue;
        for (int f = 1; f <= visual->length(); ++f) {
            auto const cell = visual->layerItem(f);
            Model::Drawing const* drawing = cell->drawing.get();
            if (drawing && !drawingNumbers.contains(drawing))
                drawingNumbers.insert(drawing, int(drawingNumbers.size()) + 1);
            QStringList clones;
            for (Model::DrawingRef const& clone : cell->clones)
                clones << refText(clone);
            // A clone that is detached and linked again joins the end of its
            // original's list: the set of clones is what an undo restores.
            clones.sort();
            QTransform const& t = cell->offPegsTransform;
            lines << QStringLiteral("  %1 kind %2 id %3 drawing #%4 (%5) pegs %6,%7,%8,%9,%10,%11 key %12 "
                                    "original %13 clones [%14]")
                         .arg(f)
                         .arg(cell->kind)
                         .arg(cell->identifier.toString(QUuid::WithoutBraces).left(8))
                         .arg(drawing ? drawingNumbers.value(drawing) : 0)
                         .arg(content(drawing))
                         .arg(t.m11())
                         .arg(t.m12())
                         .arg(t.m21())
                         .arg(t.m22())
                         .arg(t.dx())
                         .arg(t.dy())
                         .arg(cell->keyDrawing)
                         .arg(refText(cell->original), clones.join(QLatin1Char(',')));
        }
    }
    return lines;
}

} // namespace Structure

namespace Fixture {

// A small note image whose bytes tell the frames apart.
inline QImage note(int seed)
{
    QImage image(8, 4, QImage::Format_Alpha8);
    image.fill(Qt::transparent);
    for (int x = 0; x < 8; ++x)
        image.scanLine(x % 4)[x] = uchar(seed * 16 + x);
    return image;
}

} // namespace Fixture

struct EditScene
{
    EditScene()
    {
        ink = std::make_shared<FixtureDrawLayer>(QStringLiteral("ink"));
        paper = std::make_shared<FixtureDrawLayer>(QStringLiteral("paper"));
        sketch = std::make_shared<FixtureDrawLayer>(QStringLiteral("sketch"));
        timing = std::make_shared<FixtureDrawLayer>(QStringLiteral("timing"));
        ref = std::make_shared<Model::ReferenceLayer>(QSize(1000, 500), nullptr);
        ref->setName(QStringLiteral("ref"));
        audio = std::make_shared<Model::AudioLayer>(nullptr);
        audio->setName(QStringLiteral("audio"));
        notes = std::make_shared<Model::AnnotationLayer>(nullptr);
        notes->setName(QStringLiteral("notes"));

        Fixture::build(*ink, QStringLiteral("A..B*.C."));
        Fixture::build(*paper, QStringLiteral("D.*E.."));
        Fixture::build(*sketch, QStringLiteral("H*.*"));
        Fixture::build(*timing, QStringLiteral("J.K..O..."));
        Fixture::build(*ref, QStringLiteral("F.G*"));
        notes->insertFrame(1, Fixture::note(1));
        notes->insertFrame(2, Fixture::note(2));
        notes->insertFrame(4, Fixture::note(4));

        for (std::shared_ptr<Model::Layer> const& layer :
             {std::shared_ptr<Model::Layer>(ink), std::shared_ptr<Model::Layer>(paper),
              std::shared_ptr<Model::Layer>(sketch), std::shared_ptr<Model::Layer>(timing),
              std::shared_ptr<Model::Layer>(ref), std::shared_ptr<Model::Layer>(audio),
              std::shared_ptr<Model::Layer>(notes)})
            scene.addLayer(layer, scene.numLayers());

        Fixture::link(*ink, 1, *ink, 5);
        Fixture::link(*ink, 1, *paper, 3);
        Fixture::link(*paper, 4, *sketch, 2);
        Fixture::link(*ink, 4, *sketch, 4);
        Fixture::link(*ref, 1, *ref, 4);
        // The holds after the clones take their drawings.
        scene.fixupReferences();
        for (int frame : {1, 4, 5})
            ink->setKeyDrawing(frame, true);
        scene.setFrameRange(1, 9, 1, 0);
    }

    static constexpr int Ink = 0;
    static constexpr int Paper = 1;
    static constexpr int Sketch = 2;
    static constexpr int Timing = 3;
    static constexpr int Ref = 4;
    static constexpr int Audio = 5;
    static constexpr int Notes = 6;

    Model::Scene scene;
    std::shared_ptr<FixtureDrawLayer> ink;
    std::shared_ptr<FixtureDrawLayer> paper;
    std::shared_ptr<FixtureDrawLayer> sketch;
    std::shared_ptr<FixtureDrawLayer> timing;
    std::shared_ptr<Model::ReferenceLayer> ref;
    std::shared_ptr<Model::AudioLayer> audio;
    std::shared_ptr<Model::AnnotationLayer> notes;
};

namespace Fixture {

inline QString describe(QList<Model::SceneChange> const& changes)
{
    QStringList parts;
    for (auto const& change : changes)
        parts << QStringLiteral("%1@%2:%3").arg(change.kind).arg(change.frame).arg(change.layer);
    return parts.join(QLatin1Char(' '));
}

inline std::shared_ptr<Model::ImageDrawing> namedDrawing(QString const& name)
{
    auto drawing = std::make_shared<Model::ImageDrawing>(QImage());
    drawing->setName(name);
    return drawing;
}

} // namespace Fixture
