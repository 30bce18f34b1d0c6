// Commands that remove frames or change what cells show, on the real stack.
#include "CommandFixture.h"

#include "commands/ClearDrawingMakingBlank.h"
#include "commands/DeleteCloneDrawing.h"
#include "commands/DiscardDrawing.h"
#include "commands/LoseDrawingMakingHold.h"
#include "commands/MarkAsKeyDrawing.h"
#include "commands/OffPegs.h"
#include "commands/TurnCloneIntoOriginal.h"
#include "commands/UnmarkAllKeyDrawings.h"
#include "startup/Init.h"

#include <functional>

using MakeCommand = std::function<QUndoCommand*(CommandScene&)>;
Q_DECLARE_METATYPE(MakeCommand)

class TestCellCommands : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase() { Model::init(); }

    void requestsThatChangeNothing_data();
    void requestsThatChangeNothing();
    void removalsAndChanges_data();
    void removalsAndChanges();
    void discardingFirstFramesOfLinkedLayersKeepsIdentifiers();
    void discardingTheLastDrawingPastTheRange();
    void clearedDrawingKeepsItsCopyId();
    void keyDrawings();
    void offPegsTextsAndMerging();
};

void TestCellCommands::requestsThatChangeNothing_data()
{
    QTest::addColumn<MakeCommand>("make");

    QTest::newRow("lose the drawing on frame 1") << MakeCommand([](CommandScene& f) -> QUndoCommand* {
        return new Commands::LoseDrawingMakingHold(&f.bundle, f.cell(CommandScene::Ink, 1));
    });
    QTest::newRow("delete a clone that is an original")
        << MakeCommand([](CommandScene& f) -> QUndoCommand* {
               return new Commands::DeleteCloneDrawing(&f.bundle, f.cell(CommandScene::Ink, 3));
           });
    QTest::newRow("discard the virtual last frame")
        << MakeCommand([](CommandScene& f) -> QUndoCommand* {
               return new Commands::DiscardDrawing(&f.bundle, f.cell(CommandScene::Ink, 5));
           });
    QTest::newRow("turn an original into an original")
        << MakeCommand([](CommandScene& f) -> QUndoCommand* {
               return new Commands::TurnCloneIntoOriginal(&f.bundle, f.cell(CommandScene::Ink, 1));
           });
    QTest::newRow("clear without a scene") << MakeCommand([](CommandScene& f) -> QUndoCommand* {
        return new Commands::ClearDrawingMakingBlank(nullptr, f.cell(CommandScene::Ink, 1));
    });
    QTest::newRow("mark a key drawing already marked")
        << MakeCommand([](CommandScene& f) -> QUndoCommand* {
               f.scene->setKeyDrawing(CommandScene::Ink, 1, true);
               return new Commands::MarkAsKeyDrawing(f.scene, true);
           });
    QTest::newRow("unmark all key drawings when there are none")
        << MakeCommand([](CommandScene& f) -> QUndoCommand* {
               return new Commands::UnmarkAllKeyDrawings(f.scene);
           });
    QTest::newRow("put on the pegs a frame that is not off them")
        << MakeCommand([](CommandScene& f) -> QUndoCommand* {
               return new Commands::OffPegs(f.scene, QTransform());
           });
}

void TestCellCommands::requestsThatChangeNothing()
{
    QFETCH(MakeCommand, make);

    CommandScene f;
    QUndoCommand* const command = make(f);
    auto const before = f.snapshot();
    QVERIFY(!f.push(command));
    QCOMPARE(f.stack->count(), 0);
    QCOMPARE(f.snapshot().lines(), before.lines());
}

void TestCellCommands::removalsAndChanges_data()
{
    QTest::addColumn<MakeCommand>("make");
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("inkAfter");
    QTest::addColumn<int>("activeAfter");

    QTest::newRow("discard a drawing and a hold")
        << MakeCommand([](CommandScene& f) -> QUndoCommand* {
               return new Commands::DiscardDrawing(
                   &f.bundle, QList<QModelIndex>{f.cell(CommandScene::Ink, 3),
                                                 f.cell(CommandScene::Ink, 2)});
           })
        << "Discard Selected Drawings" << "OC" << 2;
    QTest::newRow("delete the hold of a selection")
        << MakeCommand([](CommandScene& f) -> QUndoCommand* {
               return new Commands::DeleteCloneDrawing(
                   &f.bundle, QList<QModelIndex>{f.cell(CommandScene::Ink, 1),
                                                 f.cell(CommandScene::Ink, 2),
                                                 f.cell(CommandScene::Ink, 3)});
           })
        << "Discard Selected Clone Drawings" << "OOC" << 2;
    QTest::newRow("clear a distant clone")
        << MakeCommand([](CommandScene& f) -> QUndoCommand* {
               return new Commands::ClearDrawingMakingBlank(&f.bundle, f.cell(CommandScene::Ink, 4));
           })
        << "Clear Drawing" << "OHOO" << 1;
    QTest::newRow("turn a hold and a clone into originals")
        << MakeCommand([](CommandScene& f) -> QUndoCommand* {
               return new Commands::TurnCloneIntoOriginal(
                   &f.bundle, QList<QModelIndex>{f.cell(CommandScene::Ink, 2),
                                                 f.cell(CommandScene::Ink, 3),
                                                 f.cell(CommandScene::Ink, 4)});
           })
        << "Turn Selected Clones into Originals" << "OOOO" << 1;
    QTest::newRow("lose a drawing into a hold")
        << MakeCommand([](CommandScene& f) -> QUndoCommand* {
               return new Commands::LoseDrawingMakingHold(&f.bundle, f.cell(CommandScene::Ink, 3));
           })
        << "Lose Drawing" << "OHHC" << 1;
}

void TestCellCommands::removalsAndChanges()
{
    QFETCH(MakeCommand, make);
    QFETCH(QString, text);
    QFETCH(QString, inkAfter);
    QFETCH(int, activeAfter);

    CommandScene f;
    QUndoCommand* const command = make(f);
    QCOMPARE(command->text(), text);
    auto const before = f.snapshot();
    QVERIFY(f.push(command));
    QCOMPARE(f.kinds(CommandScene::Ink), inkAfter);
    QCOMPARE(f.scene->activeFrame(), activeAfter);
    auto const after = f.snapshot();
    WALK_AND_COMPARE(f, before, after);
}

void TestCellCommands::discardingFirstFramesOfLinkedLayersKeepsIdentifiers()
{
    CommandScene f;
    f.scene->setLayerLinked(CommandScene::Ink, true);
    f.scene->setLayerLinked(CommandScene::Paper, true);
    auto const before = f.snapshot();
    // A has a distant clone on Paper; Paper's own first drawing goes too.
    QVERIFY(f.push(new Commands::DiscardDrawing(&f.bundle, f.cell(CommandScene::Ink, 1))));
    QCOMPARE(f.kinds(CommandScene::Ink), QStringLiteral("OOC"));
    auto const after = f.snapshot();
    for (int cycle = 0; cycle < 3; ++cycle) {
        f.undo();
        QCOMPARE(f.snapshot().lines(), before.lines());
        f.redo();
        QCOMPARE(f.snapshot().lines(), after.lines());
    }
}

void TestCellCommands::discardingTheLastDrawingPastTheRange()
{
    CommandScene f;
    f.scene->setFrameRange(1, 2, 1, CommandScene::Ink);
    QVERIFY(f.push(new Commands::DiscardDrawing(&f.bundle, f.cell(CommandScene::Ink, 4))));
    // The frame after the discarded one lies past the range's end: the
    // layer's virtual last frame becomes active.
    QCOMPARE(f.scene->activeFrame(), f.scene->virtualLayerLength(CommandScene::Ink));
    QCOMPARE(f.scene->activeLayerIdx(), int(CommandScene::Ink));
}

void TestCellCommands::clearedDrawingKeepsItsCopyId()
{
    CommandScene f;
    QVERIFY(f.push(new Commands::ClearDrawingMakingBlank(&f.bundle, f.cell(CommandScene::Ink, 3))));
    auto const blank = [&f]() {
        return f.model->lookupLayerItem(f.cell(CommandScene::Ink, 3))->drawing;
    };
    QCOMPARE(f.strokes(CommandScene::Ink, 3), 0);
    QUuid const copied = blank()->createCopyId();
    for (int cycle = 0; cycle < 2; ++cycle) {
        f.undo();
        QCOMPARE(f.strokes(CommandScene::Ink, 3), 1);
        f.redo();
        QCOMPARE(blank()->currentCopyId(), copied);
    }
}

void TestCellCommands::keyDrawings()
{
    CommandScene f;
    f.activate(CommandScene::Ink, 3);
    auto* mark = new Commands::MarkAsKeyDrawing(f.scene, true);
    QCOMPARE(mark->text(), QStringLiteral("Mark as Key Drawing"));
    QVERIFY(f.push(mark));
    f.activate(CommandScene::Paper, 1);
    QVERIFY(f.push(new Commands::MarkAsKeyDrawing(f.scene, true)));
    QVERIFY(f.scene->isKeyDrawing(CommandScene::Ink, 3));

    QVERIFY(f.push(new Commands::UnmarkAllKeyDrawings(f.scene)));
    QVERIFY(!f.scene->isKeyDrawing(CommandScene::Ink, 3));
    QVERIFY(!f.scene->isKeyDrawing(CommandScene::Paper, 1));
    f.undo();
    QVERIFY(f.scene->isKeyDrawing(CommandScene::Ink, 3));
    QVERIFY(f.scene->isKeyDrawing(CommandScene::Paper, 1));

    auto* unmark = new Commands::MarkAsKeyDrawing(f.scene, false);
    QCOMPARE(unmark->text(), QStringLiteral("Unmark as Key Drawing"));
    QVERIFY(f.push(unmark));
    QVERIFY(!f.scene->isKeyDrawing(CommandScene::Paper, 1));
    f.undo();
    QVERIFY(f.scene->isKeyDrawing(CommandScene::Paper, 1));
}

void TestCellCommands::offPegsTextsAndMerging()
{
    CommandScene f;
    f.activate(CommandScene::Paper, 2);
    auto* off = new Commands::OffPegs(f.scene, QTransform::fromTranslate(5, 0));
    QCOMPARE(off->text(), QStringLiteral("Take Frame Off the Pegs"));
    QVERIFY(f.push(off));
    QCOMPARE(f.scene->offPegsTransform(2, int(CommandScene::Paper)), QTransform::fromTranslate(5, 0));

    f.push(new Commands::OffPegs(f.scene, QTransform::fromTranslate(9, 3)));
    QCOMPARE(f.stack->count(), 1);
    QCOMPARE(f.scene->offPegsTransform(2, int(CommandScene::Paper)), QTransform::fromTranslate(9, 3));
    f.undo();
    QVERIFY(!f.scene->isOffPegs(2));
    f.redo();

    auto* on = new Commands::OffPegs(f.scene, QTransform());
    QCOMPARE(on->text(), QStringLiteral("Put Frame On the Pegs"));
    // Back exactly onto the pegs: the merged entry goes.
    f.push(on);
    QCOMPARE(f.stack->count(), 0);
    QVERIFY(!f.scene->isOffPegs(2));
}

QUILLMERE_TEST_MAIN(TestCellCommands)

#include "tst_cellcommands.moc"
