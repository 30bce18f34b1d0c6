// Paste of the scene's own clipboard content and of images: drawings reused
// by copy id, identifiers kept over the stack, and clipboard content that
// does not read refused before anything changes.
#include "CommandFixture.h"

#include "commands/DiscardDrawing.h"
#include "commands/PasteDrawing.h"
#include "commands/PasteImage.h"
#include "rendering/OffscreenRenderer.h"
#include "startup/Init.h"

#include <QDataStream>
#include <QMimeData>

#include <functional>
#include <limits>

namespace {

QList<QModelIndex> cells(CommandScene const& f, int layer, QList<int> const& frames)
{
    QList<QModelIndex> indexes;
    for (int frame : frames)
        indexes << f.cell(layer, frame);
    return indexes;
}

// A block without drawing data for a copy id that no scene knows.
QByteArray emptyBlock()
{
    QByteArray block;
    QDataStream inner(&block, QIODevice::WriteOnly);
    inner.setFloatingPointPrecision(QDataStream::SinglePrecision);
    inner << qint32(0) << QUuid::createUuid() << false;
    return block;
}

// A block that claims drawing data but breaks off inside it.
QByteArray brokenBlock()
{
    QByteArray block;
    QDataStream inner(&block, QIODevice::WriteOnly);
    inner.setFloatingPointPrecision(QDataStream::SinglePrecision);
    inner << qint32(0) << QUuid::createUuid() << true << qint32(200);
    return block;
}

QMimeData* payload(qint32 type, qint32 count, QList<QByteArray> const& blocks)
{
    QByteArray bytes;
    QDataStream out(&bytes, QIODevice::WriteOnly);
    out << type << count;
    for (QByteArray const& block : blocks)
        out.writeBytes(block.constData(), uint(block.size()));
    auto* mime = new QMimeData;
    mime->setData(Model::Scene::clipboardMimeType(), bytes);
    return mime;
}

Model::Drawing const* drawingAt(CommandScene const& f, int layer, int frame)
{
    return f.model->lookupLayerItem(f.cell(layer, frame))->drawing.get();
}

} // namespace

using MakePayload = std::function<QMimeData*(CommandScene&)>;
Q_DECLARE_METATYPE(MakePayload)

class TestPasteCommands : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();

    void pasteIntoAnotherLayerKeepsIdentity();
    void pasteIntoAnotherSceneMakesDrawings();
    void cutThenPasteSharesTheDrawing();
    void pasteOverALargerSelectionDiscardsTheRest();
    void pasteOverDrawingsKeepsThemAlive();
    void pasteOntoTheCellCopiedLeavesItsOwnDrawing();
    void contentThatDoesNotReadIsRefused_data();
    void contentThatDoesNotReadIsRefused();
    void pasteImageFitsTheFrame_data();
    void pasteImageFitsTheFrame();
    void pasteImageOverASelection();
};

void TestPasteCommands::initTestCase()
{
    Model::init();
    QVERIFY(Model::OffscreenRenderer::instance()->initialize(CommandFixture::FrameSize));
}

void TestPasteCommands::pasteIntoAnotherLayerKeepsIdentity()
{
    CommandScene f;
    std::unique_ptr<QMimeData> mime(f.model->createMimeData(cells(f, CommandScene::Ink, {1, 2, 3, 4})));
    QVERIFY(mime);
    auto const before = f.snapshot();
    QVERIFY(f.push(new Commands::PasteDrawing(&f.bundle, f.cell(CommandScene::Paper, 4), mime.get())));
    QCOMPARE(f.stack->text(0), QStringLiteral("Paste Drawing"));
    // Drawings already in the scene come back as distant clones of them.
    QCOMPARE(f.kinds(CommandScene::Paper), QStringLiteral("OHCCHCC"));
    QCOMPARE(drawingAt(f, CommandScene::Paper, 4), drawingAt(f, CommandScene::Ink, 1));
    QCOMPARE(drawingAt(f, CommandScene::Paper, 5), drawingAt(f, CommandScene::Ink, 1));
    QCOMPARE(drawingAt(f, CommandScene::Paper, 6), drawingAt(f, CommandScene::Ink, 3));
    QCOMPARE(drawingAt(f, CommandScene::Paper, 7), drawingAt(f, CommandScene::Paper, 1));
    QCOMPARE(f.scene->activeFrame(), 4);
    QCOMPARE(f.scene->activeLayerIdx(), int(CommandScene::Paper));
    auto const after = f.snapshot();
    for (int cycle = 0; cycle < 3; ++cycle) {
        f.undo();
        QCOMPARE(f.snapshot().lines(), before.lines());
        f.redo();
        QCOMPARE(f.snapshot().lines(), after.lines());
    }
}

void TestPasteCommands::pasteIntoAnotherSceneMakesDrawings()
{
    CommandScene source;
    std::unique_ptr<QMimeData> mime(
        source.model->createMimeData(cells(source, CommandScene::Ink, {1, 2, 3, 4})));
    CommandScene f;
    QVERIFY(f.push(new Commands::PasteDrawing(&f.bundle, f.cell(CommandScene::Ink, 5), mime.get())));
    QCOMPARE(f.kinds(CommandScene::Ink), QStringLiteral("OHOCOHOO"));
    for (int frame : {5, 7, 8}) {
        QCOMPARE(f.strokes(CommandScene::Ink, frame), 1);
        QVERIFY(drawingAt(f, CommandScene::Ink, frame) != drawingAt(source, CommandScene::Ink, 1));
    }
    QCOMPARE(drawingAt(f, CommandScene::Ink, 5)->currentCopyId(),
             drawingAt(source, CommandScene::Ink, 1)->currentCopyId());
    QCOMPARE(static_cast<Model::StrokeDrawing const*>(drawingAt(f, CommandScene::Ink, 8))->buffer(),
             static_cast<Model::StrokeDrawing const*>(drawingAt(source, CommandScene::Paper, 1))
                 ->buffer());
    auto const after = f.snapshot();
    f.undo();
    f.redo();
    QCOMPARE(f.snapshot().lines(), after.lines());
}

void TestPasteCommands::cutThenPasteSharesTheDrawing()
{
    CommandScene f;
    Model::Drawing const* const a = drawingAt(f, CommandScene::Ink, 1);
    // Cut: copied to the clipboard, then discarded.
    std::unique_ptr<QMimeData> mime(f.model->createMimeData(f.cell(CommandScene::Ink, 1)));
    QVERIFY(f.push(new Commands::DiscardDrawing(&f.bundle, f.cell(CommandScene::Ink, 1))));
    QVERIFY(f.push(new Commands::PasteDrawing(&f.bundle, f.cell(CommandScene::Ink, 3), mime.get())));
    QCOMPARE(drawingAt(f, CommandScene::Ink, 3), a);
    f.undo();
    f.redo();
    QCOMPARE(drawingAt(f, CommandScene::Ink, 3), a);
}

void TestPasteCommands::pasteOverALargerSelectionDiscardsTheRest()
{
    CommandScene f;
    f.scene->addCloneDrawingsAfter(CommandScene::Paper, 3, 3);
    std::unique_ptr<QMimeData> mime(f.model->createMimeData(cells(f, CommandScene::Ink, {2, 3, 4})));
    auto const before = f.snapshot();
    QVERIFY(f.push(new Commands::PasteDrawing(&f.bundle, cells(f, CommandScene::Paper, {2, 3, 4, 5, 6}),
                                              mime.get())));
    // Three frames from frame 2 on, the last two selected cells gone.
    QCOMPARE(f.scene->layerLength(CommandScene::Paper), 4);
    QCOMPARE(drawingAt(f, CommandScene::Paper, 3), drawingAt(f, CommandScene::Ink, 3));
    QCOMPARE(drawingAt(f, CommandScene::Paper, 4), drawingAt(f, CommandScene::Paper, 1));
    auto const after = f.snapshot();
    WALK_AND_COMPARE(f, before, after);
}

void TestPasteCommands::pasteOverDrawingsKeepsThemAlive()
{
    CommandScene f;
    Model::Drawing const* const b = drawingAt(f, CommandScene::Ink, 3);
    Model::Drawing const* const c = drawingAt(f, CommandScene::Paper, 1);
    std::unique_ptr<QMimeData> onlyB(f.model->createMimeData(f.cell(CommandScene::Ink, 3)));
    // B lives only in a cell this paste discards: the pasted frame takes
    // that very drawing.
    QVERIFY(f.push(new Commands::PasteDrawing(&f.bundle, cells(f, CommandScene::Ink, {1, 3}),
                                              onlyB.get())));
    QCOMPARE(drawingAt(f, CommandScene::Ink, 1), b);
    QCOMPARE(f.kinds(CommandScene::Ink), QStringLiteral("OHC"));
    f.undo();

    // C is overwritten on Paper while the payload names it next: its clone
    // on Ink keeps it, and the pasted frame shows it.
    std::unique_ptr<QMimeData> bThenC(f.model->createMimeData(cells(f, CommandScene::Ink, {3, 4})));
    QVERIFY(f.push(new Commands::PasteDrawing(&f.bundle, cells(f, CommandScene::Paper, {1, 2}),
                                              bThenC.get())));
    QCOMPARE(drawingAt(f, CommandScene::Paper, 1), b);
    QCOMPARE(drawingAt(f, CommandScene::Paper, 2), c);
    QCOMPARE(drawingAt(f, CommandScene::Ink, 4), c);
}

void TestPasteCommands::pasteOntoTheCellCopiedLeavesItsOwnDrawing()
{
    CommandScene f;
    Model::Drawing const* const b = drawingAt(f, CommandScene::Ink, 3);
    std::unique_ptr<QMimeData> mime(f.model->createMimeData(f.cell(CommandScene::Ink, 3)));
    auto const before = f.snapshot();
    // Copy and paste with the cell still selected: the cell must not become
    // a clone of itself, which would leave its drawing without an owner.
    f.push(new Commands::PasteDrawing(&f.bundle, cells(f, CommandScene::Ink, {3}), mime.get()));
    QCOMPARE(f.kinds(CommandScene::Ink), QStringLiteral("OHOC"));
    QCOMPARE(drawingAt(f, CommandScene::Ink, 3), b);
    QCOMPARE(f.snapshot().lines().mid(1), before.lines().mid(1));
    QCOMPARE(f.scene->activeFrame(), 3);
}

void TestPasteCommands::contentThatDoesNotReadIsRefused_data()
{
    QTest::addColumn<MakePayload>("make");

    QTest::newRow("truncated header") << MakePayload([](CommandScene&) {
        auto* mime = new QMimeData;
        mime->setData(Model::Scene::clipboardMimeType(), QByteArray("\0\0", 2));
        return mime;
    });
    QTest::newRow("count far beyond the blocks") << MakePayload([](CommandScene&) {
        return payload(1, std::numeric_limits<qint32>::max(), {emptyBlock()});
    });
    QTest::newRow("count one beyond the blocks") << MakePayload([](CommandScene&) {
        return payload(1, 2, {emptyBlock()});
    });
    QTest::newRow("no frames") << MakePayload([](CommandScene&) { return payload(1, 0, {}); });
    QTest::newRow("negative count") << MakePayload([](CommandScene&) { return payload(1, -4, {}); });
    QTest::newRow("annotation layer type") << MakePayload([](CommandScene&) {
        return payload(5, 1, {emptyBlock()});
    });
    QTest::newRow("reference frames for a stroke layer") << MakePayload([](CommandScene& f) {
        return f.model->createMimeData(f.cell(CommandScene::Ref, 1));
    });
    QTest::newRow("a block that breaks off") << MakePayload([](CommandScene&) {
        return payload(1, 3, {emptyBlock(), brokenBlock(), emptyBlock()});
    });
    QTest::newRow("no clipboard format") << MakePayload([](CommandScene&) {
        auto* mime = new QMimeData;
        mime->setText(QStringLiteral("frames"));
        return mime;
    });
}

void TestPasteCommands::contentThatDoesNotReadIsRefused()
{
    QFETCH(MakePayload, make);

    CommandScene f;
    std::unique_ptr<QMimeData> mime(make(f));
    auto const before = f.snapshot();
    QVERIFY(!f.push(new Commands::PasteDrawing(&f.bundle, f.cell(CommandScene::Ink, 2), mime.get())));
    QVERIFY(!f.push(new Commands::PasteDrawing(&f.bundle, cells(f, CommandScene::Ink, {1, 2}),
                                               mime.get())));
    QCOMPARE(f.stack->count(), 0);
    QCOMPARE(f.snapshot().lines(), before.lines());

    // The same frames as sound content read and paste.
    std::unique_ptr<QMimeData> good(payload(1, 2, {emptyBlock(), emptyBlock()}));
    QVERIFY(f.push(new Commands::PasteDrawing(&f.bundle, f.cell(CommandScene::Ink, 2), good.get())));
    QCOMPARE(f.kinds(CommandScene::Ink), QStringLiteral("OOHHOC"));
}

void TestPasteCommands::pasteImageFitsTheFrame_data()
{
    QTest::addColumn<QSize>("image");
    QTest::addColumn<QSize>("pasted");

    QTest::newRow("twice the frame width") << QSize(400, 100) << QSize(200, 50);
    QTest::newRow("taller than the frame") << QSize(100, 240) << QSize(50, 120);
    QTest::newRow("smaller than the frame") << QSize(30, 20) << QSize(30, 20);
}

void TestPasteCommands::pasteImageFitsTheFrame()
{
    QFETCH(QSize, image);
    QFETCH(QSize, pasted);

    CommandScene f;
    QImage picture(image, QImage::Format_ARGB32);
    picture.fill(Qt::darkGreen);
    QVERIFY(!f.push(new Commands::PasteImage(&f.bundle, f.cell(CommandScene::Ink, 1), picture)));
    QVERIFY(f.push(new Commands::PasteImage(&f.bundle, f.cell(CommandScene::Ref, 2), picture)));
    QCOMPARE(f.stack->text(0), QStringLiteral("Paste Image"));
    QCOMPARE(f.kinds(CommandScene::Ref), QStringLiteral("OOHO"));
    auto const* drawing = static_cast<Model::ImageDrawing const*>(drawingAt(f, CommandScene::Ref, 2));
    QCOMPARE(drawing->image().size(), pasted);
    QCOMPARE(f.scene->activeFrame(), 2);
    QCOMPARE(f.scene->activeLayerIdx(), int(CommandScene::Ref));
    auto const after = f.snapshot();
    f.undo();
    QCOMPARE(f.kinds(CommandScene::Ref), QStringLiteral("OHO"));
    f.redo();
    QCOMPARE(f.snapshot().lines(), after.lines());
}

void TestPasteCommands::pasteImageOverASelection()
{
    CommandScene f;
    QImage picture(20, 20, QImage::Format_ARGB32);
    picture.fill(Qt::red);
    auto const before = f.snapshot();
    QVERIFY(f.push(new Commands::PasteImage(
        &f.bundle, QList<QModelIndex>{f.cell(CommandScene::Ref, 2), f.cell(CommandScene::Ref, 3),
                                      f.cell(CommandScene::Ink, 1)},
        picture)));
    QCOMPARE(f.kinds(CommandScene::Ref), QStringLiteral("OO"));
    QCOMPARE(static_cast<Model::ImageDrawing const*>(drawingAt(f, CommandScene::Ref, 2))
                 ->image()
                 .convertToFormat(QImage::Format_ARGB32),
             picture);
    auto const after = f.snapshot();
    WALK_AND_COMPARE(f, before, after);
}

QUILLMERE_TEST_MAIN(TestPasteCommands)

#include "tst_pastecommands.moc"
