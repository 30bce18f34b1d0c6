// Scribbling notes into the annotation column: a pen stroke over three rows
// shows in those rows while it is drawn, changes exactly their images and
// undoes in one step; an eraser changes only the rows that held a note and
// pushes nothing over empty ones; a mouse stroke ends wherever its release
// goes and grows only while a button is held; the cursor over the column
// follows the tool.
#include "TestSupport.h"

#include "MouseEvents.h"
#include "SheetFixture.h"
#include "TabletEvents.h"

#include "files/SceneReader.h"
#include "files/SceneWriter.h"
#include "rendering/OffscreenRenderer.h"
#include "scene/AnnotationLayer.h"
#include "settings/Settings.h"
#include "startup/Init.h"
#include "strokes/StrokeEngine.h"
#include "tools/Cursor.h"
#include "tools/DrawingTool.h"
#include "tools/ToolManager.h"
#include "xsheet/AnnotationGizmo.h"

#include <QBuffer>
#include <QScopeGuard>
#include <QUndoStack>

using SheetFixture::Sheet;

namespace {

// A sheet whose last column is an annotation layer.
struct NotesSheet : Sheet
{
    NotesSheet()
        : Sheet(false)
    {
        notes = std::make_shared<Model::AnnotationLayer>(nullptr);
        notes->setName(QStringLiteral("notes"));
        scene->addLayer(notes, scene->numLayers());
        column = scene->numLayers() - 1;
        scene->setFrameRange(1, scene->maximumFrameNumber(), 1, 0);
        sheet.resize(900, 420);
    }

    QImage note(int frame) const { return scene->annotationImage(frame); }
    QRect noteCell(int row) const { return cell(row, column); }
    QWidget* viewport() { return sheet.viewport(); }

    // A pen stroke from one point to another in small steps.
    void scribble(QPoint from, QPoint to, int steps = 12)
    {
        using TabletEvents::send;
        QVERIFY(send(viewport(), QEvent::TabletPress, from));
        for (int i = 1; i <= steps; ++i)
            QVERIFY(send(viewport(), QEvent::TabletMove, QPointF(from) + QPointF(to - from) * i / steps));
    }
    void lift(QPoint at) { QVERIFY(TabletEvents::send(viewport(), QEvent::TabletRelease, at)); }

    std::shared_ptr<Model::AnnotationLayer> notes;
    int column = -1;
};

int inked(QImage const& image)
{
    int count = 0;
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x)
            count += image.constScanLine(y)[x] > 0;
    return count;
}

// The mean position of a stored note's ink, in its own pixels.
QPointF inkCentre(QImage const& image)
{
    QPointF sum;
    int count = 0;
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x)
            if (image.constScanLine(y)[x] > 40) {
                sum += QPointF(x, y);
                ++count;
            }
    return count ? sum / count : QPointF(-1000, -1000);
}

// The mean position of the ink shown inside a cell of a grab, in viewport
// pixels: where the grey ink darkens the grab taken before.
QPointF shownInkCentre(QImage const& grab, QImage const& before, QRect const& cell, int* count = nullptr)
{
    QPointF sum;
    int n = 0;
    for (int y = cell.top(); y <= cell.bottom(); ++y)
        for (int x = cell.left(); x <= cell.right(); ++x)
            if (qRed(before.pixel(x, y)) - qRed(grab.pixel(x, y)) > 10) {
                sum += QPointF(x, y);
                ++n;
            }
    if (count)
        *count = n;
    return n ? sum / n : QPointF(-1000, -1000);
}

QImage cursorImage(QCursor const& cursor)
{
    return cursor.pixmap().toImage();
}

} // namespace

class TestXSheetAnnotation : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void init();
    void scribbleOverThreeRowsIsOneUndoStep();
    void eraserChangesOnlyRowsThatHeldANote();
    void mouseStrokeEndsWhereverItIsReleased_data();
    void mouseStrokeEndsWhereverItIsReleased();
    void mouseStrokeGrowsOnlyWithAButtonHeld();
    void newThumbnailSizeCommitsTheStroke();
    void cursorFollowsTheTool();
    void notesSurviveTheSceneFileAtAnyFrameSize_data();
    void notesSurviveTheSceneFileAtAnyFrameSize();
};

void TestXSheetAnnotation::initTestCase()
{
    Model::init();
    QVERIFY(Model::OffscreenRenderer::instance()->initialize(QSize(400, 300)));
}

void TestXSheetAnnotation::init()
{
    // The application starts with the pen; a scribble follows the last
    // drawing tool.
    Model::ToolManager::instance()->setCurrentTool(Model::Tool::Draw, Model::Tool::Usable);
}

void TestXSheetAnnotation::scribbleOverThreeRowsIsOneUndoStep()
{
    NotesSheet s;
    s.show();
    int const h = s.sheet.rowHeight();
    // Diagonally from the top left of row 1 to the bottom right of row 3.
    QPoint const from = s.noteCell(1).topLeft() + QPoint(12, h / 3);
    QPoint const to = s.noteCell(3).bottomRight() - QPoint(12, h / 3);
    QImage const before = s.viewport()->grab().toImage();

    s.scribble(from, to);
    // Let the stroke catch up with the resting pen, then look at the cells.
    QTest::qWait(Model::StrokeEngine::EndPointIntervalMs + 100);
    QImage const live = s.viewport()->grab().toImage();
    s.lift(to);

    QUndoStack* const stack = s.scene->undoStack();
    QCOMPARE(stack->count(), 1);
    QCOMPARE(stack->text(0), QStringLiteral("Add Annotations"));
    QCOMPARE(stack->command(0)->childCount(), 3);
    for (int frame : {1, 5, 6})
        QVERIFY2(s.note(frame).isNull(), qPrintable(QString::number(frame)));
    double const k = double(h) / 56;
    for (int row = 1; row <= 3; ++row) {
        QImage const image = s.note(row + 1);
        QVERIFY2(inked(image) > 0, qPrintable(QString::number(row)));
        // Stored at 56 pixels per frame whatever the row height.
        QCOMPARE(image.height(), 56);
        // While it was drawn, each row showed its own strip of the stroke,
        // and nothing else changed: row 1 is off the pegs, and its faint wash
        // stays as faint over the note as beside it.
        QPointF const stored = inkCentre(image) * k + QPointF(s.noteCell(row).topLeft());
        QPointF const shown = shownInkCentre(live, before, s.noteCell(row));
        QVERIFY2(QLineF(stored, shown).length() < 3.0,
                 qPrintable(QStringLiteral("row %1: stored at %2,%3, shown at %4,%5")
                                .arg(row)
                                .arg(stored.x())
                                .arg(stored.y())
                                .arg(shown.x())
                                .arg(shown.y())));
    }
    for (int row : {0, 4, 5}) {
        int shown = 0;
        shownInkCentre(live, before, s.noteCell(row), &shown);
        QCOMPARE(shown, 0);
    }

    stack->undo();
    for (int frame = 1; frame <= 6; ++frame)
        QVERIFY(s.note(frame).isNull());
    stack->redo();
    QVERIFY(inked(s.note(3)) > 0);
}

void TestXSheetAnnotation::eraserChangesOnlyRowsThatHeldANote()
{
    NotesSheet s;
    s.show();
    QUndoStack* const stack = s.scene->undoStack();
    QRect const middle = s.noteCell(2);
    // A line across row 2 alone: one plain entry.
    s.scribble(QPoint(middle.left() + 12, middle.center().y()), QPoint(middle.right() - 12, middle.center().y()));
    s.lift(QPoint(middle.right() - 12, middle.center().y()));
    QCOMPARE(stack->count(), 1);
    QCOMPARE(stack->text(0), QStringLiteral("Add Annotation"));
    int const ink = inked(s.note(3));
    QVERIFY(ink > 0);

    Model::ToolManager::instance()->setCurrentTool(Model::Tool::Erase, Model::Tool::Usable);
    // Down through rows 1 to 3: only row 2 held a note.
    s.scribble(s.noteCell(1).center(), s.noteCell(3).center());
    s.lift(s.noteCell(3).center());
    QCOMPARE(stack->count(), 2);
    QCOMPARE(stack->text(1), QStringLiteral("Add Annotations"));
    QCOMPARE(stack->command(1)->childCount(), 1);
    QVERIFY(inked(s.note(3)) < ink);
    QVERIFY(s.note(2).isNull());
    QVERIFY(s.note(4).isNull());

    // Over rows without notes nothing changes: no entry at all.
    s.scribble(s.noteCell(4).center(), s.noteCell(5).center());
    s.lift(s.noteCell(5).center());
    QCOMPARE(stack->count(), 2);

    stack->undo();
    QCOMPARE(inked(s.note(3)), ink);
}

void TestXSheetAnnotation::mouseStrokeEndsWhereverItIsReleased_data()
{
    QTest::addColumn<bool>("outsideTheSheet");
    QTest::newRow("outside the sheet") << true;
    QTest::newRow("over another column") << false;
}

void TestXSheetAnnotation::mouseStrokeEndsWhereverItIsReleased()
{
    using namespace MouseEvents;
    QFETCH(bool, outsideTheSheet);
    NotesSheet s;
    s.show();
    QRect const cell = s.noteCell(2);
    QPoint const releaseAt = outsideTheSheet ? QPoint(cell.center().x(), s.viewport()->height() + 50)
                                             : s.cell(2, 0).center();
    press(s.viewport(), cell.center() - QPoint(20, 0));
    dragTo(s.viewport(), cell.center() + QPoint(20, 4));
    release(s.viewport(), releaseAt);
    QUndoStack* const stack = s.scene->undoStack();
    QCOMPARE(stack->count(), 1);
    QVERIFY(inked(s.note(3)) > 0);

    // The stroke is over: a later hover or click elsewhere adds nothing.
    QImage const stored = s.note(3);
    hover(s.viewport(), cell.center() + QPoint(-30, 0));
    click(s.viewport(), s.cell(1, 0).center());
    QCOMPARE(stack->count(), 1);
    QCOMPARE(s.note(3), stored);
}

void TestXSheetAnnotation::mouseStrokeGrowsOnlyWithAButtonHeld()
{
    using namespace MouseEvents;
    NotesSheet s;
    s.show();
    QRect const cell = s.noteCell(2);
    QPoint const start = QPoint(cell.left() + 15, cell.center().y());
    press(s.viewport(), start);
    // The release went elsewhere and never reached the sheet: the pointer
    // now moves with no button held, down to row 4, and draws nothing.
    hover(s.viewport(), s.noteCell(4).center());
    hover(s.viewport(), s.noteCell(4).center() + QPoint(20, 0));
    release(s.viewport(), start + QPoint(6, 0));
    QUndoStack* const stack = s.scene->undoStack();
    QCOMPARE(stack->count(), 1);
    QCOMPARE(stack->text(0), QStringLiteral("Add Annotation"));
    QVERIFY(inked(s.note(3)) > 0);
    QVERIFY(s.note(4).isNull());
    QVERIFY(s.note(5).isNull());
}

void TestXSheetAnnotation::newThumbnailSizeCommitsTheStroke()
{
    NotesSheet s;
    s.show();
    QUndoStack* const stack = s.scene->undoStack();
    int const rowHeight = s.sheet.rowHeight();
    QRect const cell = s.noteCell(2);
    s.scribble(cell.center() - QPoint(30, 0), cell.center() + QPoint(30, 0), 6);
    // The live buffer's scale holds only for the old row height.
    s.scene->setThumbnailSize(s.scene->thumbnailSize() == KW::ThumbnailSize::ThumbnailLarge
                                  ? KW::ThumbnailSize::ThumbnailTiny
                                  : KW::ThumbnailSize::ThumbnailLarge,
                              false);
    QVERIFY(s.sheet.rowHeight() != rowHeight);
    QCOMPARE(stack->count(), 1);
    QImage const stored = s.note(3);
    QVERIFY(inked(stored) > 0);
    QCOMPARE(stored.height(), 56);

    // The pen goes on and lifts: the committed stroke gets nothing more.
    TabletEvents::send(s.viewport(), QEvent::TabletMove, s.noteCell(4).center());
    s.lift(s.noteCell(4).center());
    QCOMPARE(stack->count(), 1);
    QCOMPARE(s.note(3), stored);
    QVERIFY(s.note(5).isNull());
}

void TestXSheetAnnotation::cursorFollowsTheTool()
{
    using namespace MouseEvents;
    NotesSheet s;
    s.show();
    Model::ToolManager* const tools = Model::ToolManager::instance();
    QWidget* const viewport = s.viewport();
    QImage const scribblePen = cursorImage(Model::Cursor::m_cursorScribblePen);
    QImage const scribbleEraser = cursorImage(Model::Cursor::m_cursorScribbleEraser);
    QVERIFY(scribblePen != scribbleEraser);

    hover(viewport, s.noteCell(1).center());
    QCOMPARE(s.sheet.cursorKind(), 6);
    QCOMPARE(cursorImage(viewport->cursor()), scribblePen);
    // Choosing the eraser changes the cursor without a move.
    tools->setCurrentTool(Model::Tool::Erase, Model::Tool::Usable);
    QCOMPARE(cursorImage(viewport->cursor()), scribbleEraser);

    // With the drawing tool as the annotation pen, the tool's own cursor at
    // the size of one note pixel on screen.
    s.sheet.findChild<UI::AnnotationGizmo*>()->setPenType(KW::AnnotationPenType::DrawToolPen);
    hover(viewport, s.noteCell(2).center());
    QCOMPARE(s.sheet.cursorKind(), 5);
    double const scale = double(s.sheet.rowHeight()) / 56;
    auto const annotationCursor = [&](Model::Tool::Type type) {
        auto const* tool = qobject_cast<Model::DrawingTool*>(tools->tool(type));
        return tool ? cursorImage(tool->annotationCursor(scale)) : QImage();
    };
    QCOMPARE(cursorImage(viewport->cursor()), annotationCursor(Model::Tool::Erase));
    tools->setCurrentTool(Model::Tool::Draw, Model::Tool::Usable);
    QCOMPARE(cursorImage(viewport->cursor()), annotationCursor(Model::Tool::Draw));
    QVERIFY(annotationCursor(Model::Tool::Draw) != annotationCursor(Model::Tool::Erase));

    // Off the column's frames, the arrow.
    hover(viewport, s.noteCell(6).center() + QPoint(0, s.sheet.rowHeight()));
    QCOMPARE(s.sheet.cursorKind(), 0);
}

void TestXSheetAnnotation::notesSurviveTheSceneFileAtAnyFrameSize_data()
{
    QTest::addColumn<QSize>("frame");
    QTest::addColumn<KW::ThumbnailSize>("thumbnails");
    QTest::addColumn<int>("uiScale");
    KW::ThumbnailSize const medium = KW::ThumbnailSize::ThumbnailMedium;
    QTest::newRow("64x64") << QSize(64, 64) << medium << 100;
    QTest::newRow("320x240") << QSize(320, 240) << medium << 100;
    QTest::newRow("640x48") << QSize(640, 48) << medium << 100;
    QTest::newRow("256x256") << QSize(256, 256) << medium << 100;
    QTest::newRow("64x64, large at 150%") << QSize(64, 64) << KW::ThumbnailSize::ThumbnailLarge << 150;
    QTest::newRow("640x48, tiny at 75%") << QSize(640, 48) << KW::ThumbnailSize::ThumbnailTiny << 75;
    QTest::newRow("48x640, large at 150%") << QSize(48, 640) << KW::ThumbnailSize::ThumbnailLarge << 150;
}

void TestXSheetAnnotation::notesSurviveTheSceneFileAtAnyFrameSize()
{
    QFETCH(QSize, frame);
    QFETCH(KW::ThumbnailSize, thumbnails);
    QFETCH(int, uiScale);
    Model::Settings::instance()->setUIScalePercent(uiScale);
    auto const restore = qScopeGuard([] {
        Model::Settings::instance()->setUIScalePercent(Model::Settings::defaultUIScalePercent);
    });
    NotesSheet s;
    s.scene->setFrameSize(frame, KW::FitMode::FitModeKeepAspect, nullptr);
    s.scene->setThumbnailSize(thumbnails, true);
    s.show();
    // Across the whole of two notes cells.
    QRect const first = s.noteCell(1);
    QRect const second = s.noteCell(2);
    s.scribble(first.topLeft() + QPoint(2, 2), second.bottomRight() - QPoint(2, 2));
    s.lift(second.bottomRight() - QPoint(2, 2));
    QVERIFY(inked(s.note(2)) > 0);

    QByteArray bytes;
    {
        QBuffer out(&bytes);
        out.open(QIODevice::WriteOnly | QIODevice::Text);
        QCOMPARE(Model::SceneWriter(s.scene, nullptr).writeFile(&out), 0);
    }
    Model::Scene copy;
    QBuffer in(&bytes);
    in.open(QIODevice::ReadOnly | QIODevice::Text);
    Model::SceneReader reader(&copy, nullptr);
    QVERIFY2(reader.read(&in) == 0, qPrintable(reader.errorString()));
    QCOMPARE(copy.frameSize(), frame);
    for (int f = 1; f <= s.scene->maximumFrameNumber(); ++f)
        QCOMPARE(copy.annotationImage(f), s.note(f));
}

QUILLMERE_TEST_MAIN(TestXSheetAnnotation)
#include "tst_xsheetannotation.moc"
