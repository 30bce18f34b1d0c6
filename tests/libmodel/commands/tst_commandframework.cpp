// What every undo command shares, on the real undo stack: the three ways
// of undoing walked in both directions with the whole scene compared after
// every step, requests that leave nothing on the stack, and merging.
#include "CommandFixture.h"

#include "commands/AddBlankDrawing.h"
#include "commands/AddCloneDrawings.h"
#include "commands/CloneEachSelectedDrawingOnce.h"
#include "commands/CutPath.h"
#include "commands/DiscardCloneDrawings.h"
#include "commands/DuplicateDrawing.h"
#include "commands/InsertBlankDrawing.h"
#include "commands/SetActiveFrameAndLayer.h"
#include "commands/SetFrameRange.h"
#include "commands/SlideOriginalDrawing.h"
#include "commands/Stroke.h"
#include "startup/Init.h"

#include <functional>

using MakeCommand = std::function<QUndoCommand*(CommandScene&)>;
Q_DECLARE_METATYPE(MakeCommand)

class TestCommandFramework : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase() { Model::init(); }

    void undoPatternWalk_data();
    void undoPatternWalk();
    void inverseEditRedoRestoresTheRangeSeenAtUndo();
    void obsoleteRequestsLeaveNothing_data();
    void obsoleteRequestsLeaveNothing();
    void activeFrameStepsMerge();
    void frameRangeDragsMergeOnlyWithTheSameActiveCell();
    void obsoletePushStillDropsTheRedoTail();
};

void TestCommandFramework::undoPatternWalk_data()
{
    QTest::addColumn<MakeCommand>("make");
    QTest::addColumn<int>("layer");
    QTest::addColumn<QString>("kindsAfter");

    // Recorded changes.
    QTest::newRow("cut out of a hold's original")
        << MakeCommand([](CommandScene& f) -> QUndoCommand* {
               QPainterPath path;
               path.addRect(0, 0, 200, 120);
               return new Commands::CutPath(&f.bundle, f.cell(CommandScene::Ink, 2), path);
           })
        << int(CommandScene::Ink) << QStringLiteral("OHOC");
    // Inverse edits.
    QTest::newRow("add blank after each selected")
        << MakeCommand([](CommandScene& f) -> QUndoCommand* {
               return new Commands::AddBlankDrawing(
                   &f.bundle, QList<QModelIndex>{f.cell(CommandScene::Ink, 3),
                                                 f.cell(CommandScene::Ink, 1)});
           })
        << int(CommandScene::Ink) << QStringLiteral("OOHOOC");
    QTest::newRow("insert blank at the first frame")
        << MakeCommand([](CommandScene& f) -> QUndoCommand* {
               return new Commands::InsertBlankDrawing(&f.bundle, f.cell(CommandScene::Paper, 1));
           })
        << int(CommandScene::Paper) << QStringLiteral("OOHC");
    QTest::newRow("two clones after a distant clone")
        << MakeCommand([](CommandScene& f) -> QUndoCommand* {
               f.activate(CommandScene::Ink, 4);
               return new Commands::AddCloneDrawings(&f.bundle, f.cell(CommandScene::Ink, 4), 2);
           })
        << int(CommandScene::Ink) << QStringLiteral("OHOCHH");
    QTest::newRow("duplicate an original with a distant clone")
        << MakeCommand([](CommandScene& f) -> QUndoCommand* {
               return new Commands::DuplicateDrawing(&f.bundle, f.cell(CommandScene::Ink, 1));
           })
        << int(CommandScene::Ink) << QStringLiteral("OOHOC");
    // Records applied directly.
    QTest::newRow("discard the hold at the active cell")
        << MakeCommand([](CommandScene& f) -> QUndoCommand* {
               f.activate(CommandScene::Ink, 2);
               return new Commands::DiscardCloneDrawings(f.scene, 1);
           })
        << int(CommandScene::Ink) << QStringLiteral("OOC");
    QTest::newRow("slide an original back over its hold")
        << MakeCommand([](CommandScene& f) -> QUndoCommand* {
               f.activate(CommandScene::Ink, 3);
               return new Commands::SlideOriginalDrawing(f.scene, -1, -1, 0);
           })
        << int(CommandScene::Ink) << QStringLiteral("OOHC");
}

void TestCommandFramework::undoPatternWalk()
{
    QFETCH(MakeCommand, make);
    QFETCH(int, layer);
    QFETCH(QString, kindsAfter);

    CommandScene f;
    QUndoCommand* const command = make(f);
    auto const before = f.snapshot();
    QVERIFY(f.push(command));
    QCOMPARE(f.kinds(layer), kindsAfter);
    auto const after = f.snapshot();
    QVERIFY(after.lines() != before.lines());
    WALK_AND_COMPARE(f, before, after);
}

void TestCommandFramework::inverseEditRedoRestoresTheRangeSeenAtUndo()
{
    CommandScene f;
    f.activate(CommandScene::Ink, 3);
    QVERIFY(f.push(new Commands::AddBlankDrawing(&f.bundle, f.cell(CommandScene::Ink, 3))));
    // The blank after the active cell is active; the range grew with the layer.
    QCOMPARE(f.scene->activeFrame(), 4);
    QCOMPARE(f.scene->maximumFrameRangeNumber(), 5);

    // The user narrows the range (not through the stack) before undoing.
    f.scene->setFrameRange(2, 5, 4, CommandScene::Ink);
    f.undo();
    QCOMPARE(f.scene->minimumFrameRangeNumber(), 1);
    QCOMPARE(f.scene->maximumFrameRangeNumber(), 4);
    QCOMPARE(f.scene->activeFrame(), 3);
    f.redo();
    QCOMPARE(f.scene->minimumFrameRangeNumber(), 2);
    QCOMPARE(f.scene->maximumFrameRangeNumber(), 5);
    QCOMPARE(f.scene->activeFrame(), 4);
    QCOMPARE(f.kinds(CommandScene::Ink), QStringLiteral("OHOOC"));
}

void TestCommandFramework::obsoleteRequestsLeaveNothing_data()
{
    QTest::addColumn<MakeCommand>("make");

    QModelIndex const none;
    QTest::newRow("add blank without a scene") << MakeCommand([none](CommandScene&) -> QUndoCommand* {
        return new Commands::AddBlankDrawing(nullptr, none);
    });
    QTest::newRow("add blank on the annotation layer")
        << MakeCommand([](CommandScene& f) -> QUndoCommand* {
               return new Commands::AddBlankDrawing(&f.bundle, f.cell(CommandScene::Notes, 1));
           });
    QTest::newRow("add clones, list of unacceptable cells")
        << MakeCommand([none](CommandScene& f) -> QUndoCommand* {
               return new Commands::AddCloneDrawings(
                   &f.bundle, QList<QModelIndex>{none, f.cell(CommandScene::Notes, 2)}, 3);
           });
    QTest::newRow("add no clones") << MakeCommand([](CommandScene& f) -> QUndoCommand* {
        return new Commands::AddCloneDrawings(&f.bundle, f.cell(CommandScene::Ink, 1), 0);
    });
    QTest::newRow("clone each of nothing") << MakeCommand([](CommandScene& f) -> QUndoCommand* {
        return new Commands::CloneEachSelectedDrawingOnce(&f.bundle, QList<QModelIndex>{});
    });
    QTest::newRow("stroke without a scene") << MakeCommand([](CommandScene& f) -> QUndoCommand* {
        return new Commands::Stroke(nullptr, f.cell(CommandScene::Ink, 1),
                                    std::unique_ptr<Model::Stroke>(CommandFixture::block(
                                        QRect(0, 0, 5, 5))));
    });
    QTest::newRow("cut along an empty path") << MakeCommand([](CommandScene& f) -> QUndoCommand* {
        return new Commands::CutPath(&f.bundle, f.cell(CommandScene::Ink, 1), QPainterPath());
    });
    QTest::newRow("discard no clones") << MakeCommand([](CommandScene& f) -> QUndoCommand* {
        return new Commands::DiscardCloneDrawings(f.scene, 0);
    });
    QTest::newRow("slide by nothing") << MakeCommand([](CommandScene& f) -> QUndoCommand* {
        return new Commands::SlideOriginalDrawing(f.scene, 0, 0, 0);
    });
}

void TestCommandFramework::obsoleteRequestsLeaveNothing()
{
    QFETCH(MakeCommand, make);

    CommandScene f;
    auto const before = f.snapshot();
    QVERIFY(!f.push(make(f)));
    QCOMPARE(f.stack->count(), 0);
    QCOMPARE(f.snapshot().lines(), before.lines());
}

void TestCommandFramework::activeFrameStepsMerge()
{
    CommandScene f;
    for (int frame : {2, 3, 4})
        f.push(new Commands::SetActiveFrameAndLayer(f.scene, frame, CommandScene::Ink));
    QCOMPARE(f.stack->count(), 1);
    QCOMPARE(f.stack->text(0), QStringLiteral("Change Active Frame"));
    QCOMPARE(f.scene->activeFrame(), 4);
    f.undo();
    QCOMPARE(f.scene->activeFrame(), 1);
    f.redo();

    // Back to where the steps began: the merged entry goes.
    f.push(new Commands::SetActiveFrameAndLayer(f.scene, 1, CommandScene::Ink));
    QCOMPARE(f.stack->count(), 0);
    QCOMPARE(f.scene->activeFrame(), 1);

    // Another layer with another tag starts a new entry; the same tag joins it.
    f.push(new Commands::SetActiveFrameAndLayer(f.scene, 2, CommandScene::Ink));
    f.push(new Commands::SetActiveFrameAndLayer(f.scene, 2, CommandScene::Paper, 7));
    QCOMPARE(f.stack->count(), 2);
    QCOMPARE(f.stack->text(1), QStringLiteral("Change Active Layer"));
    f.push(new Commands::SetActiveFrameAndLayer(f.scene, 3, CommandScene::Ink, 7));
    QCOMPARE(f.stack->count(), 2);
    QCOMPARE(f.stack->text(1), QStringLiteral("Change Active Frame"));
    QCOMPARE(f.scene->activeLayerIdx(), int(CommandScene::Ink));
}

void TestCommandFramework::frameRangeDragsMergeOnlyWithTheSameActiveCell()
{
    CommandScene f;
    f.push(new Commands::SetFrameRange(f.scene, 2, 4, 2, CommandScene::Ink));
    f.push(new Commands::SetFrameRange(f.scene, 3, 4, 3, CommandScene::Ink));
    QCOMPARE(f.stack->count(), 2);

    // The same drag goes on: one entry.
    f.push(new Commands::SetFrameRange(f.scene, 1, 3, 3, CommandScene::Ink));
    QCOMPARE(f.stack->count(), 2);
    QCOMPARE(f.scene->minimumFrameRangeNumber(), 1);
    QCOMPARE(f.scene->maximumFrameRangeNumber(), 3);
    // Dragged back to the range this drag began from: its entry goes.
    f.push(new Commands::SetFrameRange(f.scene, 2, 4, 3, CommandScene::Ink));
    QCOMPARE(f.stack->count(), 1);
    f.undo();
    QCOMPARE(f.scene->minimumFrameRangeNumber(), 1);
    QCOMPARE(f.scene->maximumFrameRangeNumber(), 4);
    QCOMPARE(f.scene->activeFrame(), 1);
}

void TestCommandFramework::obsoletePushStillDropsTheRedoTail()
{
    CommandScene f;
    QVERIFY(f.push(new Commands::AddBlankDrawing(&f.bundle, f.cell(CommandScene::Ink, 1))));
    f.undo();
    QCOMPARE(f.stack->count(), 1);
    QVERIFY(!f.push(new Commands::AddBlankDrawing(&f.bundle, QModelIndex())));
    QCOMPARE(f.stack->count(), 0);
}

QUILLMERE_TEST_MAIN(TestCommandFramework)

#include "tst_commandframework.moc"
