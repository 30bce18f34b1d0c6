// Layer commands on real stroke, reference, audio and annotation layers.
#include "CommandFixture.h"

#include "commands/ChangeLayerColor.h"
#include "commands/ChangeLayerOpacity.h"
#include "commands/DiscardLayer.h"
#include "commands/DuplicateLayer.h"
#include "commands/MergeLayerDown.h"
#include "commands/MoveLayer.h"
#include "commands/NewLayer.h"
#include "commands/RenameLayer.h"
#include "commands/SetAllLayersLinked.h"
#include "commands/SetLayerBeyondLast.h"
#include "commands/SetLayerLinked.h"
#include "commands/SetLayerVisible.h"
#include "startup/Init.h"

#include <functional>

using MakeCommand = std::function<QUndoCommand*(CommandScene&)>;
Q_DECLARE_METATYPE(MakeCommand)

namespace {

QStringList layerNames(Model::Scene const& scene)
{
    QStringList names;
    for (int layer : scene.getLogicalLayerIndices())
        names << scene.layerName(layer);
    return names;
}

} // namespace

class TestLayerCommands : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase() { Model::init(); }

    void requestsThatChangeNothing_data();
    void requestsThatChangeNothing();
    void newLayerAboveTheActiveOne();
    void discardingTheOnlyVisualLayerLeavesAnEmptyOne();
    void discardingTheActiveTopLayerActivatesTheNext();
    void discardingTheSound();
    void duplicateIsNamedAndMadeActive();
    void mergeDownSurvivesTheStack();
    void opacityMergesOnlyOnOneLayer();
    void propertiesThroughTheModel();
};

void TestLayerCommands::requestsThatChangeNothing_data()
{
    QTest::addColumn<MakeCommand>("make");

    QTest::newRow("rename to the same name") << MakeCommand([](CommandScene& f) -> QUndoCommand* {
        return new Commands::RenameLayer(f.model, CommandScene::Ink, QStringLiteral("Ink"));
    });
    QTest::newRow("rename to nothing") << MakeCommand([](CommandScene& f) -> QUndoCommand* {
        return new Commands::RenameLayer(f.model, CommandScene::Ink, QString());
    });
    QTest::newRow("move to the same position") << MakeCommand([](CommandScene& f) -> QUndoCommand* {
        return new Commands::MoveLayer(f.scene, CommandScene::Paper, 1, 1);
    });
    QTest::newRow("recolour to the same colour") << MakeCommand([](CommandScene& f) -> QUndoCommand* {
        return new Commands::ChangeLayerColor(f.scene, CommandScene::Paper, QColor(Qt::blue));
    });
    QTest::newRow("opacity to the same value") << MakeCommand([](CommandScene& f) -> QUndoCommand* {
        return new Commands::ChangeLayerOpacity(f.scene, CommandScene::Ink, 0.5, 0.5);
    });
    QTest::newRow("new layer of the sound type") << MakeCommand([](CommandScene& f) -> QUndoCommand* {
        return new Commands::NewLayer(f.scene, Model::Layer::AudioLayerType);
    });
    QTest::newRow("new paint layer") << MakeCommand([](CommandScene& f) -> QUndoCommand* {
        return new Commands::NewLayer(f.scene, Model::Layer::PaintLayerType);
    });
    QTest::newRow("beyond-last mode of the sound") << MakeCommand([](CommandScene& f) -> QUndoCommand* {
        return new Commands::SetLayerBeyondLast(f.scene, CommandScene::Sound,
                                                Model::Layer::cycleDrawings);
    });
    QTest::newRow("show a visible layer") << MakeCommand([](CommandScene& f) -> QUndoCommand* {
        return new Commands::SetLayerVisible(f.model, CommandScene::Ink, true);
    });
    QTest::newRow("unlink an unlinked layer") << MakeCommand([](CommandScene& f) -> QUndoCommand* {
        return new Commands::SetLayerLinked(f.model, CommandScene::Ink, false);
    });
    QTest::newRow("unlink all, none linked") << MakeCommand([](CommandScene& f) -> QUndoCommand* {
        return new Commands::SetAllLayersLinked(f.model, false);
    });
    QTest::newRow("discard the notes") << MakeCommand([](CommandScene& f) -> QUndoCommand* {
        return new Commands::DiscardLayer(f.scene, CommandScene::Notes);
    });
    QTest::newRow("duplicate the sound") << MakeCommand([](CommandScene& f) -> QUndoCommand* {
        return new Commands::DuplicateLayer(f.scene, CommandScene::Sound);
    });
    QTest::newRow("merge down a reference layer") << MakeCommand([](CommandScene& f) -> QUndoCommand* {
        return new Commands::MergeLayerDown(&f.bundle, CommandScene::Ref);
    });
}

void TestLayerCommands::requestsThatChangeNothing()
{
    QFETCH(MakeCommand, make);

    CommandScene f;
    QStringList const names = layerNames(*f.scene);
    auto const before = f.snapshot();
    QVERIFY(!f.push(make(f)));
    QCOMPARE(f.stack->count(), 0);
    QCOMPARE(layerNames(*f.scene), names);
    QCOMPARE(f.snapshot().lines(), before.lines());
}

void TestLayerCommands::newLayerAboveTheActiveOne()
{
    CommandScene f;
    f.activate(CommandScene::Paper, 2);
    auto* command = new Commands::NewLayer(f.scene, Model::Layer::ReferenceLayerType);
    QCOMPARE(command->text(), QStringLiteral("New Reference Layer"));
    QVERIFY(f.push(command));
    int const added = f.scene->numLayers() - 1;
    std::shared_ptr<Model::Layer> const layer = f.scene->layer(added);
    QCOMPARE(layer->type(), int(Model::Layer::ReferenceLayerType));
    QCOMPARE(f.scene->activeLayerIdx(), added);
    QCOMPARE(f.scene->getLogicalLayerIndices().indexOf(added),
             f.scene->getLogicalLayerIndices().indexOf(CommandScene::Paper) - 1);
    f.undo();
    QCOMPARE(f.scene->numLayers(), 5);
    QCOMPARE(f.scene->activeLayerIdx(), int(CommandScene::Paper));
    QCOMPARE(f.scene->activeFrame(), 2);
    f.redo();
    QCOMPARE(f.scene->layer(added), layer);
}

void TestLayerCommands::discardingTheOnlyVisualLayerLeavesAnEmptyOne()
{
    CommandScene f;
    f.scene->removeLayer(CommandScene::Ref);
    f.scene->removeLayer(CommandScene::Paper);
    std::shared_ptr<Model::Layer> const ink = f.scene->layer(CommandScene::Ink);
    QVERIFY(f.push(new Commands::DiscardLayer(f.scene, CommandScene::Ink)));
    QCOMPARE(f.stack->text(0), QStringLiteral("Discard Layer"));
    auto const* blank =
        qobject_cast<Model::StrokeLayer const*>(f.scene->layer(CommandScene::Ink).get());
    QVERIFY(blank);
    QCOMPARE(blank->name(), QStringLiteral("New Layer"));
    QCOMPARE(blank->length(), 1);
    QCOMPARE(blank->strokeDrawing(0)->numTotalStrokes(), 0);
    f.undo();
    QCOMPARE(f.scene->layer(CommandScene::Ink), ink);
}

void TestLayerCommands::discardingTheActiveTopLayerActivatesTheNext()
{
    CommandScene f;
    f.activate(CommandScene::Ink, 3);
    QCOMPARE(f.scene->getLogicalLayerIndices().first(), int(CommandScene::Ink));
    std::shared_ptr<Model::Layer> const ink = f.scene->layer(CommandScene::Ink);
    std::shared_ptr<Model::Layer> const paper = f.scene->layer(CommandScene::Paper);
    auto const before = f.snapshot();
    QVERIFY(f.push(new Commands::DiscardLayer(f.scene, CommandScene::Ink)));
    QCOMPARE(f.scene->layer(f.scene->activeLayerIdx()), paper);
    QCOMPARE(f.scene->getLayerIndex(ink), -1);
    f.undo();
    QCOMPARE(f.scene->layer(CommandScene::Ink), ink);
    QCOMPARE(f.snapshot().lines(), before.lines());
}

void TestLayerCommands::discardingTheSound()
{
    CommandScene f;
    auto* command = new Commands::DiscardLayer(f.scene, CommandScene::Sound);
    QCOMPARE(command->text(), QStringLiteral("Discard Audio"));
    QVERIFY(f.push(command));
    QVERIFY(f.scene->layer(CommandScene::Sound) != f.sound);
    QCOMPARE(f.scene->layerType(CommandScene::Sound), int(Model::Layer::AudioLayerType));
    f.undo();
    QCOMPARE(f.scene->layer(CommandScene::Sound), std::shared_ptr<Model::Layer>(f.sound));
}

void TestLayerCommands::duplicateIsNamedAndMadeActive()
{
    CommandScene f;
    f.activate(CommandScene::Paper, 2);
    QVERIFY(f.push(new Commands::DuplicateLayer(f.scene, CommandScene::Ink)));
    int const copy = f.scene->numLayers() - 1;
    QCOMPARE(f.scene->layerName(copy), QStringLiteral("Copy of Ink"));
    QCOMPARE(f.scene->activeLayerIdx(), copy);
    QCOMPARE(f.scene->activeFrame(), 2);
    QList<int> const order = f.scene->getLogicalLayerIndices();
    QCOMPARE(order.indexOf(copy) + 1, order.indexOf(CommandScene::Paper));
    f.undo();
    QCOMPARE(f.scene->numLayers(), 5);
    QCOMPARE(f.scene->activeLayerIdx(), int(CommandScene::Paper));
}

void TestLayerCommands::mergeDownSurvivesTheStack()
{
    CommandScene f;
    f.scene->setLayerLinked(CommandScene::Ink, true);
    f.scene->setLayerLinked(CommandScene::Paper, true);
    f.scene->setKeyDrawing(CommandScene::Paper, 3, true);
    QTransform const moved = QTransform::fromTranslate(4, 2);
    f.scene->setOffPegsTransform(3, CommandScene::Paper, moved);
    std::shared_ptr<Model::Layer> const ink = f.scene->layer(CommandScene::Ink);
    std::shared_ptr<Model::Layer> const paper = f.scene->layer(CommandScene::Paper);
    QStringList const names = layerNames(*f.scene);
    auto const before = f.snapshot();

    QVERIFY(f.push(new Commands::MergeLayerDown(&f.bundle, CommandScene::Ink)));
    QCOMPARE(f.scene->numLayers(), 4);
    QCOMPARE(f.scene->getLayerIndex(ink), -1);
    QCOMPARE(f.scene->getLayerIndex(paper), -1);
    int const merged = f.scene->getLogicalLayerIndices().first();
    QCOMPARE(f.scene->layerName(merged), QStringLiteral("Paper"));
    // The lower layer's marks and transforms, its last frame included.
    QVERIFY(f.scene->isKeyDrawing(merged, 3));
    QCOMPARE(f.scene->offPegsTransform(3, merged), moved);
    // Ink was longer: the merged layer took its length.
    QCOMPARE(f.scene->layerLength(merged), 4);
    auto const after = f.snapshot();
    QStringList const namesAfter = layerNames(*f.scene);

    WALK_AND_COMPARE(f, before, after);
    QCOMPARE(layerNames(*f.scene), names);
    QCOMPARE(f.scene->layer(CommandScene::Ink), ink);
    QCOMPARE(f.scene->layer(CommandScene::Paper), paper);
    f.redo();
    QCOMPARE(layerNames(*f.scene), namesAfter);
}

void TestLayerCommands::opacityMergesOnlyOnOneLayer()
{
    CommandScene f;
    f.push(new Commands::ChangeLayerOpacity(f.scene, CommandScene::Ink, 1.0, 0.8));
    f.push(new Commands::ChangeLayerOpacity(f.scene, CommandScene::Ink, 0.8, 0.6));
    QCOMPARE(f.stack->count(), 1);
    // Another layer keeps an entry of its own.
    f.push(new Commands::ChangeLayerOpacity(f.scene, CommandScene::Paper, 1.0, 0.3));
    QCOMPARE(f.stack->count(), 2);
    QCOMPARE(f.scene->layerOpacity(CommandScene::Ink), 0.6);
    QCOMPARE(f.scene->layerOpacity(CommandScene::Paper), 0.3);
    f.undo();
    QCOMPARE(f.scene->layerOpacity(CommandScene::Paper), 1.0);
    QCOMPARE(f.scene->layerOpacity(CommandScene::Ink), 0.6);
    f.redo();
    QCOMPARE(f.scene->layerOpacity(CommandScene::Paper), 0.3);
    QCOMPARE(f.scene->layerOpacity(CommandScene::Ink), 0.6);

    // Dragged back to where the drag began: the entry goes.
    f.push(new Commands::ChangeLayerOpacity(f.scene, CommandScene::Paper, 0.3, 1.0));
    QCOMPARE(f.stack->count(), 1);
    QCOMPARE(f.scene->layerOpacity(CommandScene::Paper), 1.0);
}

void TestLayerCommands::propertiesThroughTheModel()
{
    CommandScene f;
    QVERIFY(f.push(new Commands::RenameLayer(f.model, CommandScene::Ink, QStringLiteral("Line"))));
    QVERIFY(f.push(new Commands::ChangeLayerColor(f.scene, CommandScene::Ink, QColor(Qt::red))));
    QVERIFY(f.push(new Commands::SetLayerVisible(f.model, CommandScene::Paper, false)));
    QVERIFY(f.push(new Commands::SetAllLayersLinked(f.model, true)));
    auto* beyond = new Commands::SetLayerBeyondLast(f.scene, CommandScene::Ref,
                                                    Model::Layer::cycleDrawings);
    QCOMPARE(beyond->text(), QStringLiteral("Cycle Drawings Beyond Last Drawing"));
    QVERIFY(f.push(beyond));
    QVERIFY(f.push(new Commands::MoveLayer(f.scene, CommandScene::Ref, 2, 0)));

    QCOMPARE(f.scene->layerName(CommandScene::Ink), QStringLiteral("Line"));
    QCOMPARE(f.scene->layerColor(CommandScene::Ink), QColor(Qt::red));
    QVERIFY(!f.scene->isLayerVisible(CommandScene::Paper));
    for (int layer : {CommandScene::Ink, CommandScene::Paper, CommandScene::Ref})
        QVERIFY(f.scene->isLayerLinked(layer));
    QCOMPARE(f.scene->layerBeyondLast(CommandScene::Ref), int(Model::Layer::cycleDrawings));
    QCOMPARE(f.scene->getLogicalLayerIndices().first(), int(CommandScene::Ref));

    while (f.stack->canUndo())
        f.undo();
    QCOMPARE(f.scene->layerName(CommandScene::Ink), QStringLiteral("Ink"));
    QCOMPARE(f.scene->layerColor(CommandScene::Ink), QColor(Qt::black));
    QVERIFY(f.scene->isLayerVisible(CommandScene::Paper));
    for (int layer : {CommandScene::Ink, CommandScene::Paper, CommandScene::Ref})
        QVERIFY(!f.scene->isLayerLinked(layer));
    QVERIFY(f.scene->layerBeyondLast(CommandScene::Ref) != int(Model::Layer::cycleDrawings));
    QCOMPARE(f.scene->getLogicalLayerIndices().first(), int(CommandScene::Ink));
}

QUILLMERE_TEST_MAIN(TestLayerCommands)

#include "tst_layercommands.moc"
