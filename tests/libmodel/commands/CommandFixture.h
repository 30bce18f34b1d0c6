#pragma once

// A small scene for the undo-command tests, in a real bundle with its real
// undo stack:
//
//   0 "Ink"    stroke layer      A . B *     4 clone of C
//   1 "Paper"  stroke layer      C . *       3 clone of A
//   2 "Ref"    reference layer   F . G
//   3 "Sound"  audio layer
//   4 "Notes"  annotation layer  a note at frame 1
//
// Every original drawing carries one stroke and a copy identifier, so that
// edits which drop or swap drawings show in the snapshot. The range is 1-4
// and the active cell frame 1 of "Ink".

#include "TestSupport.h"

#include "../scene/EditFixture.h"

#include "audio/AudioLayer.h"
#include "drawings/ImageDrawing.h"
#include "drawings/StrokeDrawing.h"
#include "models/SceneModel.h"
#include "scene/AnnotationLayer.h"
#include "scene/KWScene.h"
#include "scene/LayerItem.h"
#include "scene/ReferenceLayer.h"
#include "scene/Scene.h"
#include "scene/StrokeLayer.h"
#include "strokes/BitmapStroke.h"

#include <QHash>
#include <QUndoCommand>
#include <QUndoStack>

#include <memory>

namespace CommandFixture {

inline QSize const FrameSize(200, 120);

// A filled block of coverage as a stroke.
inline std::unique_ptr<Model::BitmapStroke> block(QRect const& rect)
{
    QImage coverage(rect.size(), QImage::Format_Alpha8);
    coverage.fill(QColor(0, 0, 0, 255));
    return std::make_unique<Model::BitmapStroke>(coverage, rect);
}

// Fills a visual layer from a pattern: a letter is an original named after
// it (with one stroke on a stroke layer, a small image on a reference layer),
// '.' a hold, '*' a distant clone linked later with link().
inline void build(Model::VisualLayer& layer, QString const& pattern)
{
    auto& cells = layer.frames();
    cells.clear();
    int strokeTop = 0;
    for (QChar const ch : pattern) {
        std::shared_ptr<Model::LayerItem> cell;
        if (ch == QLatin1Char('.')) {
            cell = std::make_shared<Model::LayerItem>(cells.last()->drawing);
        } else if (ch == QLatin1Char('*')) {
            cell = std::make_shared<Model::LayerItem>(Model::LayerItem::DistantClone,
                                                      QUuid::createUuid(), nullptr);
        } else {
            cell = layer.blankItem();
            if (auto* strokes = dynamic_cast<Model::StrokeDrawing*>(cell->drawing.get())) {
                strokes->appendStroke(block(QRect(10, strokeTop, 20, 8)));
                strokeTop += 10;
            } else {
                QImage image(10, 10, QImage::Format_RGB32);
                image.fill(QColor(ch.unicode(), 0, 0));
                cell->drawing = std::make_shared<Model::ImageDrawing>(image);
            }
            cell->drawing->setName(QString(ch));
            cell->drawing->createCopyId();
        }
        cells.append(cell);
    }
}

// What the commands must keep or restore, in comparable lines: the frame
// range with the active cell, and per visual layer the kinds of its cells
// (O original, H hold, C distant clone), their identifiers, the copy
// identifiers of the drawings they show and which drawing object that is
// (numbered in the order the walk meets them).
struct Snapshot
{
    QString range;
    QStringList kinds;
    QStringList identifiers;
    QStringList copyIds;
    QStringList drawings;

    QStringList lines() const
    {
        QStringList all{range};
        for (qsizetype i = 0; i < kinds.size(); ++i)
            all << QStringLiteral("%1 | %2 | %3 | %4")
                       .arg(kinds.at(i), identifiers.at(i), copyIds.at(i), drawings.at(i));
        return all;
    }
};

inline QString shortId(QUuid const& id)
{
    return id.isNull() ? QStringLiteral("-") : id.toString(QUuid::WithoutBraces).left(8);
}

inline Snapshot snapshot(Model::Scene const& scene)
{
    Snapshot s;
    s.range = QStringLiteral("range %1-%2 active %3@%4")
                  .arg(scene.minimumFrameRangeNumber())
                  .arg(scene.maximumFrameRangeNumber())
                  .arg(scene.activeFrame())
                  .arg(scene.activeLayerIdx());
    QHash<Model::Drawing const*, int> numbers;
    for (int l = 0; l < scene.numLayers(); ++l) {
        auto const* layer = qobject_cast<Model::VisualLayer const*>(scene.layer(l).get());
        if (!layer)
            continue;
        QString kinds;
        QStringList ids;
        QStringList copies;
        QStringList drawings;
        for (auto const& cell : layer->frames()) {
            kinds += QStringLiteral("OHC?").at(std::clamp(cell->kind, 0, 3));
            ids << shortId(cell->identifier);
            Model::Drawing const* drawing = cell->drawing.get();
            copies << (drawing ? shortId(drawing->currentCopyId()) : QStringLiteral("none"));
            if (drawing && !numbers.contains(drawing))
                numbers.insert(drawing, int(numbers.size()) + 1);
            drawings << QString::number(drawing ? numbers.value(drawing) : 0);
        }
        s.kinds << kinds;
        s.identifiers << ids.join(QLatin1Char(' '));
        s.copyIds << copies.join(QLatin1Char(' '));
        s.drawings << drawings.join(QLatin1Char(' '));
    }
    return s;
}

} // namespace CommandFixture

struct CommandScene
{
    static constexpr int Ink = 0;
    static constexpr int Paper = 1;
    static constexpr int Ref = 2;
    static constexpr int Sound = 3;
    static constexpr int Notes = 4;

    CommandScene()
        : scene(bundle.scene())
        , model(bundle.sceneModel())
        , stack(scene->undoStack())
    {
        using namespace CommandFixture;
        scene->setFrameSize(FrameSize, KW::FitMode::FitModeKeepAspect, nullptr);
        ink = std::make_shared<Model::StrokeLayer>(Qt::black, FrameSize, nullptr);
        ink->setName(QStringLiteral("Ink"));
        paper = std::make_shared<Model::StrokeLayer>(Qt::blue, FrameSize, nullptr);
        paper->setName(QStringLiteral("Paper"));
        ref = std::make_shared<Model::ReferenceLayer>(FrameSize, nullptr);
        ref->setName(QStringLiteral("Ref"));
        sound = std::make_shared<Model::AudioLayer>(nullptr);
        sound->setName(QStringLiteral("Sound"));
        notes = std::make_shared<Model::AnnotationLayer>(nullptr);
        notes->setName(QStringLiteral("Notes"));

        build(*ink, QStringLiteral("A.B*"));
        build(*paper, QStringLiteral("C.*"));
        build(*ref, QStringLiteral("F.G"));
        notes->insertFrame(1, Fixture::note(1));
        Fixture::link(*paper, 1, *ink, 4);
        Fixture::link(*ink, 1, *paper, 3);
        for (std::shared_ptr<Model::Layer> const& layer :
             {std::shared_ptr<Model::Layer>(ink), std::shared_ptr<Model::Layer>(paper),
              std::shared_ptr<Model::Layer>(ref), std::shared_ptr<Model::Layer>(sound),
              std::shared_ptr<Model::Layer>(notes)})
            scene->addLayer(layer, scene->numLayers());
        scene->fixupReferences();
        scene->setFrameRange(1, 4, 1, Ink);
    }

    QModelIndex cell(int layer, int frame) const { return model->index(frame - 1, layer); }
    void activate(int layer, int frame)
    {
        scene->setActiveFrameAndLayer(frame, layer, Model::Scene::AcceptVirtualLastFrame);
    }
    CommandFixture::Snapshot snapshot() const { return CommandFixture::snapshot(*scene); }
    QString kinds(int layer) const
    {
        QString text;
        if (auto const* visual = qobject_cast<Model::VisualLayer const*>(scene->layer(layer).get()))
            for (auto const& cell : visual->frames())
                text += QStringLiteral("OHC?").at(std::clamp(cell->kind, 0, 3));
        return text;
    }
    int strokes(int layer, int frame) const
    {
        auto const* strokeLayer = qobject_cast<Model::StrokeLayer const*>(scene->layer(layer).get());
        return strokeLayer && strokeLayer->strokeDrawing(frame - 1)
                   ? strokeLayer->strokeDrawing(frame - 1)->numTotalStrokes()
                   : -1;
    }

    // Pushes on the real stack; true when the command stayed on it as a new
    // entry.
    bool push(QUndoCommand* command)
    {
        int const before = stack->index();
        stack->push(command);
        return stack->index() > before;
    }
    void undo() { stack->undo(); }
    void redo() { stack->redo(); }

    Model::KWScene bundle;
    Model::Scene* scene;
    Model::SceneModel* model;
    QUndoStack* stack;
    std::shared_ptr<Model::StrokeLayer> ink;
    std::shared_ptr<Model::StrokeLayer> paper;
    std::shared_ptr<Model::ReferenceLayer> ref;
    std::shared_ptr<Model::AudioLayer> sound;
    std::shared_ptr<Model::AnnotationLayer> notes;
};

// Walks a pushed command redo/undo/redo/undo and checks that every step
// shows the state of its direction: the state before the push after each
// undo, the state after the first redo after each redo.
#define WALK_AND_COMPARE(fixture, before, after)                                                 \
    do {                                                                                         \
        for (int step = 0; step < 2; ++step) {                                                   \
            (fixture).undo();                                                                    \
            QCOMPARE((fixture).snapshot().lines(), (before).lines());                            \
            (fixture).redo();                                                                    \
            QCOMPARE((fixture).snapshot().lines(), (after).lines());                             \
        }                                                                                        \
        (fixture).undo();                                                                        \
        QCOMPARE((fixture).snapshot().lines(), (before).lines());                                \
    } while (false)
