// Commands that change the content of drawings: strokes drawn and stamped,
// lasso cuts, collapsing vector data, and the floating selection.
#include "CommandFixture.h"

#include "commands/CollapseVectorData.h"
#include "commands/CutPath.h"
#include "commands/FloatingSelectionNew.h"
#include "commands/FloatingSelectionTransform.h"
#include "commands/Stroke.h"
#include "rendering/OffscreenRenderer.h"
#include "settings/Settings.h"
#include "startup/Init.h"
#include "strokes/FloatingSelection.h"
#include "strokes/SingleStroke.h"
#include "tools/ToolManager.h"

#include <QPainterPath>

namespace {

std::unique_ptr<Model::Stroke> stamp()
{
    return CommandFixture::block(QRect(100, 60, 10, 10));
}

std::unique_ptr<Model::SingleStroke> drawnWith(Model::Tool::Type type)
{
    return std::make_unique<Model::SingleStroke>(CommandFixture::FrameSize,
                                                 Model::ToolManager::instance()->tool(type));
}

QUuid copyIdAt(CommandScene const& f, int layer, int frame)
{
    return f.model->lookupLayerItem(f.cell(layer, frame))->drawing->currentCopyId();
}

} // namespace

class TestStrokeCommands : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void init();

    void strokeTexts();
    void unacceptableStrokesLeaveNothing();
    void strokeKeepsTheCopyIdOfItsFirstRedo();
    void stampReachesEachDrawingOnce();
    void clonesLockedStampSkipsClonesButFillsTheVirtualLastFrame();
    void cutGoesIntoTheOriginalOfAHold();
    void collapseFindsTheOwnerOfTheDrawing_data();
    void collapseFindsTheOwnerOfTheDrawing();
    void collapseOnAReferenceLayerIsObsolete();
    void floatingSelectionSwapsAndMoves();
};

void TestStrokeCommands::initTestCase()
{
    Model::init();
    QVERIFY(Model::OffscreenRenderer::instance()->initialize(CommandFixture::FrameSize));
}

void TestStrokeCommands::init()
{
    Model::Settings::instance()->setClonesLockedForDrawing(false);
}

void TestStrokeCommands::strokeTexts()
{
    CommandScene f;
    QModelIndex const cell = f.cell(CommandScene::Ink, 1);
    QCOMPARE(Commands::Stroke(&f.bundle, cell, drawnWith(Model::Tool::Draw)).text(),
             QStringLiteral("Draw"));
    QCOMPARE(Commands::Stroke(&f.bundle, cell, drawnWith(Model::Tool::Erase)).text(),
             QStringLiteral("Erase"));
    // A drawn stroke handed over as any stroke is still named by its tool.
    std::unique_ptr<Model::Stroke> erased = drawnWith(Model::Tool::Erase);
    QCOMPARE(Commands::Stroke(&f.bundle, cell, std::move(erased)).text(), QStringLiteral("Erase"));
    QCOMPARE(Commands::Stroke(&f.bundle, cell, stamp()).text(), QStringLiteral("Append stroke"));
    QCOMPARE(Commands::Stroke(&f.bundle, QList<QModelIndex>{cell}, stamp()).text(),
             QStringLiteral("Append stroke"));
}

void TestStrokeCommands::unacceptableStrokesLeaveNothing()
{
    CommandScene f;
    auto const before = f.snapshot();
    QVERIFY(!f.push(new Commands::Stroke(nullptr, f.cell(CommandScene::Ink, 1),
                                         drawnWith(Model::Tool::Draw))));
    QVERIFY(!f.push(new Commands::Stroke(&f.bundle, QModelIndex(), stamp())));
    QVERIFY(!f.push(new Commands::Stroke(&f.bundle, f.cell(CommandScene::Ink, 1),
                                         std::unique_ptr<Model::Stroke>())));
    QVERIFY(!f.push(new Commands::Stroke(
        &f.bundle, QList<QModelIndex>{QModelIndex(), f.cell(CommandScene::Notes, 1)}, stamp())));
    QVERIFY(!f.push(
        new Commands::Stroke(nullptr, QList<QModelIndex>{f.cell(CommandScene::Ink, 1)}, stamp())));
    // Strokes that no drawing takes leave no entry either.
    QVERIFY(!f.push(new Commands::Stroke(&f.bundle, f.cell(CommandScene::Ref, 1), stamp())));
    QVERIFY(!f.push(new Commands::Stroke(&f.bundle, QList<QModelIndex>{f.cell(CommandScene::Ref, 3)},
                                         stamp())));
    QCOMPARE(f.stack->count(), 0);
    QCOMPARE(f.snapshot().lines(), before.lines());

    f.model->insertBlankDrawingAt(f.cell(CommandScene::Ink, 5));
    QCOMPARE(f.strokes(CommandScene::Ink, 5), 0);
    QVERIFY(!f.push(new Commands::Stroke(&f.bundle, f.cell(CommandScene::Ink, 5),
                                         drawnWith(Model::Tool::Erase))));
    QCOMPARE(f.stack->count(), 0);
}

void TestStrokeCommands::strokeKeepsTheCopyIdOfItsFirstRedo()
{
    CommandScene f;
    QUuid const before = copyIdAt(f, CommandScene::Ink, 3);
    QVERIFY(f.push(new Commands::Stroke(&f.bundle, f.cell(CommandScene::Ink, 3), stamp())));
    QCOMPARE(f.strokes(CommandScene::Ink, 3), 2);
    // New content has no copy id until it is copied to the clipboard.
    QVERIFY(copyIdAt(f, CommandScene::Ink, 3).isNull());
    QUuid const copied =
        f.model->lookupLayerItem(f.cell(CommandScene::Ink, 3))->drawing->createCopyId();

    for (int cycle = 0; cycle < 2; ++cycle) {
        f.undo();
        QCOMPARE(f.strokes(CommandScene::Ink, 3), 1);
        QCOMPARE(copyIdAt(f, CommandScene::Ink, 3), before);
        f.redo();
        QCOMPARE(f.strokes(CommandScene::Ink, 3), 2);
        QCOMPARE(copyIdAt(f, CommandScene::Ink, 3), copied);
    }
}

void TestStrokeCommands::stampReachesEachDrawingOnce()
{
    CommandScene f;
    // A, its hold and its distant clone on Paper; B; Paper's own C through
    // its distant clone on Ink.
    QList<QModelIndex> const selection{f.cell(CommandScene::Ink, 2), f.cell(CommandScene::Ink, 1),
                                       f.cell(CommandScene::Paper, 3), f.cell(CommandScene::Ink, 3),
                                       f.cell(CommandScene::Ink, 4)};
    auto const before = f.snapshot();
    QVERIFY(f.push(new Commands::Stroke(&f.bundle, selection, stamp())));
    QCOMPARE(f.strokes(CommandScene::Ink, 1), 2);
    QCOMPARE(f.strokes(CommandScene::Ink, 3), 2);
    QCOMPARE(f.strokes(CommandScene::Paper, 1), 2);
    auto const after = f.snapshot();
    WALK_AND_COMPARE(f, before, after);
    QCOMPARE(f.strokes(CommandScene::Ink, 1), 1);
    QCOMPARE(f.strokes(CommandScene::Paper, 1), 1);
}

void TestStrokeCommands::clonesLockedStampSkipsClonesButFillsTheVirtualLastFrame()
{
    Model::Settings::instance()->setClonesLockedForDrawing(true);
    CommandScene f;
    QList<QModelIndex> const selection{f.cell(CommandScene::Ink, 2), f.cell(CommandScene::Ink, 4),
                                       f.cell(CommandScene::Paper, 3), f.cell(CommandScene::Ink, 5),
                                       f.cell(CommandScene::Paper, 1)};
    auto const before = f.snapshot();
    QVERIFY(f.push(new Commands::Stroke(&f.bundle, selection, stamp())));
    // Holds and distant clones are left alone.
    QCOMPARE(f.strokes(CommandScene::Ink, 1), 1);
    // Paper's own original takes it.
    QCOMPARE(f.strokes(CommandScene::Paper, 1), 2);
    // The virtual last frame became a drawing holding the stamp.
    QCOMPARE(f.kinds(CommandScene::Ink), QStringLiteral("OHOCO"));
    QCOMPARE(f.strokes(CommandScene::Ink, 5), 1);
    f.model->lookupLayerItem(f.cell(CommandScene::Ink, 5))->drawing->createCopyId();
    auto const after = f.snapshot();
    // The new drawing is made afresh on every redo, with the same identity.
    WALK_AND_COMPARE(f, before, after);
    QCOMPARE(f.kinds(CommandScene::Ink), QStringLiteral("OHOC"));
}

void TestStrokeCommands::cutGoesIntoTheOriginalOfAHold()
{
    CommandScene f;
    QPainterPath path;
    path.addRect(0, 0, 200, 120);
    QVERIFY(f.push(new Commands::CutPath(&f.bundle, f.cell(CommandScene::Ink, 2), path)));
    QCOMPARE(f.stack->text(0), QStringLiteral("Cutout"));
    auto const* cut = static_cast<Model::StrokeDrawing const*>(
        f.model->lookupLayerItem(f.cell(CommandScene::Ink, 1))->drawing.get());
    QVERIFY(cut->buffer().isNull() || cut->buffer().convertToFormat(QImage::Format_Alpha8)
                                              .pixelColor(15, 4)
                                              .alpha()
                                          == 0);
    // The hold and the distant clone on Paper show the cut drawing.
    QCOMPARE(f.model->lookupLayerItem(f.cell(CommandScene::Ink, 2))->drawing.get(), cut);
    QCOMPARE(f.model->lookupLayerItem(f.cell(CommandScene::Paper, 3))->drawing.get(), cut);
}

void TestStrokeCommands::collapseFindsTheOwnerOfTheDrawing_data()
{
    QTest::addColumn<int>("layer");
    QTest::addColumn<int>("frame");
    QTest::addColumn<int>("ownerLayer");
    QTest::addColumn<int>("ownerFrame");

    QTest::newRow("original") << int(CommandScene::Ink) << 3 << int(CommandScene::Ink) << 3;
    QTest::newRow("hold") << int(CommandScene::Ink) << 2 << int(CommandScene::Ink) << 1;
    QTest::newRow("distant clone on another layer")
        << int(CommandScene::Ink) << 4 << int(CommandScene::Paper) << 1;
}

void TestStrokeCommands::collapseFindsTheOwnerOfTheDrawing()
{
    QFETCH(int, layer);
    QFETCH(int, frame);
    QFETCH(int, ownerLayer);
    QFETCH(int, ownerFrame);

    CommandScene f;
    // A second stroke, so that collapsing has vector data to join.
    f.model->appendStroke(f.cell(ownerLayer, ownerFrame), stamp());
    QCOMPARE(f.strokes(ownerLayer, ownerFrame), 2);
    auto const* owner = f.model->lookupLayerItem(f.cell(ownerLayer, ownerFrame))->drawing.get();
    QImage const coverage = static_cast<Model::StrokeDrawing const*>(owner)->buffer();
    auto const before = f.snapshot();

    QVERIFY(f.push(new Commands::CollapseVectorData(&f.bundle, f.cell(layer, frame), nullptr)));
    auto const* collapsed = static_cast<Model::StrokeDrawing const*>(
        f.model->lookupLayerItem(f.cell(ownerLayer, ownerFrame))->drawing.get());
    QVERIFY(collapsed != owner);
    QCOMPARE(collapsed->numTotalStrokes(), 1);
    QCOMPARE(collapsed->buffer().size(), coverage.size());
    QCOMPARE(f.stack->text(0), QStringLiteral("Collapse Vector Data"));
    auto const after = f.snapshot();
    WALK_AND_COMPARE(f, before, after);
    QCOMPARE(f.strokes(ownerLayer, ownerFrame), 2);
}

void TestStrokeCommands::collapseOnAReferenceLayerIsObsolete()
{
    CommandScene f;
    QVERIFY(!f.push(
        new Commands::CollapseVectorData(&f.bundle, f.cell(CommandScene::Ref, 1), nullptr)));
    QVERIFY(!f.push(new Commands::CollapseVectorData(nullptr, QModelIndex(), nullptr)));
    QCOMPARE(f.stack->count(), 0);
}

void TestStrokeCommands::floatingSelectionSwapsAndMoves()
{
    CommandScene f;
    QPainterPath lasso;
    lasso.addRect(0, 0, 60, 40);
    std::unique_ptr<Model::FloatingSelection> lifted = f.scene->createNewFloatingSelection(lasso);
    QVERIFY(lifted);
    Model::FloatingSelection* const selection = lifted.get();
    QVERIFY(f.push(new Commands::FloatingSelectionNew(&f.bundle, std::move(lifted))));
    QCOMPARE(f.bundle.floatingSelection(), selection);

    Model::FloatingSelection::Transform const start = f.bundle.floatingSelectionTransform();
    Model::FloatingSelection::Transform moved = start;
    moved.third = QTransform::fromTranslate(15, -4);
    QVERIFY(f.push(new Commands::FloatingSelectionTransform(&f.bundle, moved)));
    QCOMPARE(f.bundle.floatingSelectionTransform(), moved);

    f.undo();
    QCOMPARE(f.bundle.floatingSelectionTransform(), start);
    f.undo();
    QVERIFY(!f.bundle.floatingSelection());
    f.redo();
    QCOMPARE(f.bundle.floatingSelection(), selection);
    f.redo();
    QCOMPARE(f.bundle.floatingSelectionTransform(), moved);

    QVERIFY(!f.push(new Commands::FloatingSelectionNew(nullptr, nullptr)));
    QVERIFY(!f.push(new Commands::FloatingSelectionTransform(nullptr, moved)));
}

QUILLMERE_TEST_MAIN(TestStrokeCommands)

#include "tst_strokecommands.moc"
