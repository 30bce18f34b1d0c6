// Commands that lengthen layers: where the active cell goes after adding,
// the once-only clone and cycle commands, and annotations.
#include "CommandFixture.h"

#include "commands/AddAnnotation.h"
#include "commands/AddBlankDrawing.h"
#include "commands/AddCloneDrawings.h"
#include "commands/CloneEachSelectedDrawingOnce.h"
#include "commands/CycleSelectedDrawingsOnce.h"
#include "commands/DuplicateDrawing.h"
#include "commands/InsertBlankDrawing.h"
#include "startup/Init.h"

class TestAddCommands : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase() { Model::init(); }

    void activeFrameAfterAdding_data();
    void activeFrameAfterAdding();
    void listTexts();
    void cloneEachSelectedDrawingOnce();
    void cycleAppendsTheSelectionAsClones();
    void insertAtTheFirstFrameRestoresTheRange();
    void annotationSwapsImages();
};

void TestAddCommands::activeFrameAfterAdding_data()
{
    QTest::addColumn<QString>("command");
    QTest::addColumn<QList<int>>("selected");
    QTest::addColumn<int>("active");
    QTest::addColumn<int>("activeAfter");
    QTest::addColumn<QString>("kindsAfter");

    // Ink is A . B * H H H (frames 1-7) here.
    QTest::newRow("two clones after frame 5") << "clones" << QList<int>{5} << 5 << 7
                                              << QStringLiteral("OHOCHHHHH");
    QTest::newRow("blank after frames 3-5, frame 4 active")
        << "blank" << QList<int>{3, 4, 5} << 4 << 6 << QStringLiteral("OHOOCOHOHH");
    QTest::newRow("insert blank at frames 3-5, frame 4 active")
        << "insert" << QList<int>{5, 3, 4} << 4 << 5 << QStringLiteral("OHOOOCOHHH");
    QTest::newRow("duplicate frames 1-2, frame 2 active")
        << "duplicate" << QList<int>{1, 2} << 2 << 4 << QStringLiteral("OOHOOCHHH");
}

void TestAddCommands::activeFrameAfterAdding()
{
    QFETCH(QString, command);
    QFETCH(QList<int>, selected);
    QFETCH(int, active);
    QFETCH(int, activeAfter);
    QFETCH(QString, kindsAfter);

    CommandScene f;
    f.scene->addCloneDrawingsAfter(CommandScene::Ink, 4, 3);
    f.scene->setFrameRange(1, 7, active, CommandScene::Ink);
    QCOMPARE(f.scene->activeFrame(), active);
    QList<QModelIndex> cells;
    for (int frame : selected)
        cells << f.cell(CommandScene::Ink, frame);

    QUndoCommand* c = nullptr;
    if (command == QLatin1String("clones"))
        c = cells.size() == 1 ? new Commands::AddCloneDrawings(&f.bundle, cells.first(), 2)
                              : new Commands::AddCloneDrawings(&f.bundle, cells, 2);
    else if (command == QLatin1String("blank"))
        c = new Commands::AddBlankDrawing(&f.bundle, cells);
    else if (command == QLatin1String("insert"))
        c = new Commands::InsertBlankDrawing(&f.bundle, cells);
    else
        c = new Commands::DuplicateDrawing(&f.bundle, cells);
    auto const before = f.snapshot();
    QVERIFY(f.push(c));
    QCOMPARE(f.kinds(CommandScene::Ink), kindsAfter);
    QCOMPARE(f.scene->activeFrame(), activeAfter);
    QCOMPARE(f.scene->activeLayerIdx(), int(CommandScene::Ink));
    auto const after = f.snapshot();
    WALK_AND_COMPARE(f, before, after);
}

void TestAddCommands::listTexts()
{
    CommandScene f;
    QList<QModelIndex> const cells{f.cell(CommandScene::Ink, 1)};
    QCOMPARE(Commands::AddBlankDrawing(&f.bundle, cells).text(),
             QStringLiteral("Add Blank after each Selected Drawing"));
    QCOMPARE(Commands::AddBlankDrawing(&f.bundle, cells.first()).text(),
             QStringLiteral("Add Blank Drawing"));
    QCOMPARE(Commands::InsertBlankDrawing(&f.bundle, cells).text(),
             QStringLiteral("Insert Blank after each Selected Drawing"));
    QCOMPARE(Commands::AddCloneDrawings(&f.bundle, cells, 3).text(),
             QStringLiteral("Add Clones after each Selected Drawing"));
    QCOMPARE(Commands::DuplicateDrawing(&f.bundle, cells).text(),
             QStringLiteral("Duplicate each Selected Drawing as Original"));
}

void TestAddCommands::cloneEachSelectedDrawingOnce()
{
    CommandScene f;
    f.activate(CommandScene::Ink, 4);
    auto* command = new Commands::CloneEachSelectedDrawingOnce(
        &f.bundle, QList<QModelIndex>{f.cell(CommandScene::Ink, 1), f.cell(CommandScene::Ink, 3),
                                      f.cell(CommandScene::Notes, 2)});
    QCOMPARE(command->indicesCount(), 2);
    QCOMPARE(command->firstIndex(), f.cell(CommandScene::Ink, 1));
    auto const before = f.snapshot();
    QVERIFY(f.push(command));
    QCOMPARE(f.kinds(CommandScene::Ink), QStringLiteral("OHHOHC"));
    QCOMPARE(f.scene->activeFrame(), 1);
    auto const after = f.snapshot();
    WALK_AND_COMPARE(f, before, after);
}

void TestAddCommands::cycleAppendsTheSelectionAsClones()
{
    CommandScene f;
    // An original and its hold: a distant clone of the original, then a hold.
    auto const before = f.snapshot();
    QVERIFY(f.push(new Commands::CycleSelectedDrawingsOnce(
        &f.bundle, QList<QModelIndex>{f.cell(CommandScene::Ink, 2), f.cell(CommandScene::Ink, 1)})));
    QCOMPARE(f.kinds(CommandScene::Ink), QStringLiteral("OHCHOC"));
    auto const a = f.model->lookupLayerItem(f.cell(CommandScene::Ink, 1));
    auto const clone = f.model->lookupLayerItem(f.cell(CommandScene::Ink, 3));
    QCOMPARE(clone->original, f.model->drawingIdentifier(f.cell(CommandScene::Ink, 1)));
    QCOMPARE(clone->drawing, a->drawing);
    QCOMPARE(f.model->lookupLayerItem(f.cell(CommandScene::Ink, 4))->drawing, a->drawing);
    QCOMPARE(f.scene->activeFrame(), 2);
    auto const after = f.snapshot();
    WALK_AND_COMPARE(f, before, after);

    // A distant clone as source: the new cell is a clone of its original.
    QVERIFY(f.push(new Commands::CycleSelectedDrawingsOnce(
        &f.bundle, QList<QModelIndex>{f.cell(CommandScene::Paper, 3)})));
    QCOMPARE(f.kinds(CommandScene::Paper), QStringLiteral("OHCC"));
    QCOMPARE(f.model->lookupLayerItem(f.cell(CommandScene::Paper, 4))->original,
             f.model->drawingIdentifier(f.cell(CommandScene::Ink, 1)));
}

void TestAddCommands::insertAtTheFirstFrameRestoresTheRange()
{
    CommandScene f;
    f.scene->setFrameRange(2, 3, 2, CommandScene::Paper);
    auto const before = f.snapshot();
    QVERIFY(f.push(new Commands::InsertBlankDrawing(&f.bundle, f.cell(CommandScene::Paper, 1))));
    f.undo();
    QCOMPARE(f.snapshot().lines(), before.lines());
}

void TestAddCommands::annotationSwapsImages()
{
    CommandScene f;
    QImage const scribble = Fixture::note(5);
    QVERIFY(!f.push(new Commands::AddAnnotation(&f.bundle, f.cell(CommandScene::Ink, 1), scribble)));
    QVERIFY(!f.push(
        new Commands::AddAnnotation(&f.bundle, f.cell(CommandScene::Notes, 1), QImage())));
    QVERIFY(!f.push(new Commands::AddAnnotation(nullptr, QModelIndex(), scribble)));

    QVERIFY(f.push(new Commands::AddAnnotation(&f.bundle, f.cell(CommandScene::Notes, 3), scribble)));
    QVERIFY(f.push(new Commands::AddAnnotation(&f.bundle, f.cell(CommandScene::Notes, 1), scribble)));
    QCOMPARE(f.stack->text(0), QStringLiteral("Add Annotation"));
    QCOMPARE(f.scene->annotationImage(1), scribble);
    QCOMPARE(f.scene->annotationImage(3), scribble);
    for (int cycle = 0; cycle < 2; ++cycle) {
        f.undo();
        f.undo();
        QCOMPARE(f.scene->annotationImage(1), Fixture::note(1));
        QVERIFY(f.scene->annotationImage(3).isNull());
        f.redo();
        f.redo();
        QCOMPARE(f.scene->annotationImage(1), scribble);
        QCOMPARE(f.scene->annotationImage(3), scribble);
    }
}

QUILLMERE_TEST_MAIN(TestAddCommands)

#include "tst_addcommands.moc"
