// A floating selection on the canvas: the handle under the pointer and its
// cursor, also with the view turned and mirrored; lassoing; moving, turning,
// scaling and stamping with the results turned into undo entries as the
// main window does.
#include "FramePicture.h"
#include "TestSupport.h"

#include "PaperInputFixture.h"

#include "commands/FloatingSelectionNew.h"
#include "commands/FloatingSelectionTransform.h"
#include "commands/Stroke.h"
#include "startup/Init.h"
#include "strokes/FloatingSelection.h"
#include "strokes/SingleStroke.h"
#include "tools/FloatingSelectionTool.h"
#include "tools/ToolManager.h"

#include <QPainter>
#include <QSignalSpy>
#include <QUndoStack>

using PaperFixture::Canvas;
using PaperFixture::Clock;
using PaperFixture::Pointer;
using Cursor = Model::FloatingSelectionTool::FSCursorType;

namespace {

const QRect Block(100, 100, 100, 60);

Model::FloatingSelectionTool* selectionTool()
{
    return qobject_cast<Model::FloatingSelectionTool*>(
        Model::ToolManager::instance()->tool(Model::Tool::FloatingSelection));
}

// The main window's part: a lasso lifts a floating selection, a finished
// drag sets its transform, a press outside stamps it.
void wireLikeTheMainWindow(Canvas& canvas)
{
    Model::KWScene* kws = &canvas.kwscene;
    QObject::connect(&canvas.paper, &UI::Paper::lassoingCompleted, kws,
                     [kws](QPainterPath path, bool) {
                         auto selection = kws->scene()->createNewFloatingSelection(path);
                         if (!selection)
                             return;
                         auto* lift = new QUndoCommand(QStringLiteral("New Floating Selection"));
                         new Commands::FloatingSelectionNew(kws, std::move(selection), lift);
                         kws->scene()->undoStack()->push(lift);
                     });
    QObject::connect(&canvas.paper, &UI::Paper::floatingSelectionTransformChanged, kws,
                     [kws](Model::FloatingSelection::Transform t) {
                         kws->scene()->undoStack()->push(
                             new Commands::FloatingSelectionTransform(kws, t));
                     });
    QObject::connect(&canvas.paper, &UI::Paper::floatingSelectionStamped, kws, [kws] {
        if (Model::FloatingSelection* selection = kws->floatingSelection())
            kws->scene()->undoStack()->push(new Commands::Stroke(
                kws, kws->currentIndex(), selection->getTransformedStroke(nullptr)));
    });
}

bool inked(const QImage& image, const QPointF& at)
{
    return qAlpha(image.pixel(at.toPoint())) > 200;
}

} // namespace

class TestFloatingSelectionGesture : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase() { Model::init(); }
    void init() { Model::Tool::m_enabled = true; }

    void handleUnderThePointer_data();
    void handleUnderThePointer();
    void lassoMoveScaleTurnAndStamp();
    void autoScrollStopsAtTheRelease();
};

void TestFloatingSelectionGesture::handleUnderThePointer_data()
{
    QTest::addColumn<double>("angle");
    QTest::addColumn<bool>("mirrored");
    QTest::addColumn<QPointF>("at"); // in frame pixels
    QTest::addColumn<int>("cursor");
    // The box around the 100 x 60 selection is at least 70 px high.
    const QList<std::pair<double, bool>> views = {{0.0, false}, {90.0, false}, {30.0, true}};
    for (const auto& [angle, mirrored] : views) {
        const QString view = QStringLiteral("%1 deg%2").arg(angle).arg(mirrored ? " mirrored" : "");
        const auto row = [&](const char* name, QPointF at, Cursor cursor) {
            QTest::newRow(qPrintable(view + ", " + name)) << angle << mirrored << at << int(cursor);
        };
        row("inside", {120, 110}, Cursor::FSMove);
        row("pivot", {150, 130}, Cursor::FSPivot);
        row("turn", {150, 95}, Cursor::FSRotate);
        row("scale", {200, 165}, Cursor::FSScale);
        row("turn and scale", {200, 95}, Cursor::FSScaleRotate);
        row("flip left-right", {200, 130}, Cursor::FSFlipHorizontal);
        row("flip top-bottom", {150, 165}, Cursor::FSFlipVertical);
        row("outside", {320, 250}, Cursor::FSStamp);
        row("inside again", {180, 150}, Cursor::FSMove);
    }
}

void TestFloatingSelectionGesture::handleUnderThePointer()
{
    QFETCH(double, angle);
    QFETCH(bool, mirrored);
    QFETCH(QPointF, at);
    QFETCH(int, cursor);
    Model::ToolManager::instance()->setCurrentTool(Model::Tool::Draw, Model::Tool::Usable);
    Canvas canvas(QSize(400, 300), {Block});
    canvas.paper.setMirrorView(mirrored);
    canvas.paper.rotatePaperTo(angle);
    QPainterPath lasso;
    lasso.addRect(QRectF(Block).adjusted(-10, -10, 10, 10));
    canvas.kwscene.setFloatingSelection(canvas.scene()->createNewFloatingSelection(lasso));
    QVERIFY(canvas.kwscene.floatingSelection());
    Model::ToolManager::instance()->setCurrentTool(Model::Tool::FloatingSelection,
                                                   Model::Tool::Usable);
    Clock clock;
    Pointer mouse{&canvas.paper, clock};
    // From a place outside every handle, then over the one of the row.
    mouse.mouse(QEvent::MouseMove, canvas.onWidget({380, 20}), Qt::NoButton, Qt::NoButton);
    QCOMPARE(selectionTool()->cursorType(), Cursor::FSStamp);
    mouse.mouse(QEvent::MouseMove, canvas.onWidget(at), Qt::NoButton, Qt::NoButton);
    QCOMPARE(int(selectionTool()->cursorType()), cursor);
}

void TestFloatingSelectionGesture::lassoMoveScaleTurnAndStamp()
{
    Model::ToolManager::instance()->setCurrentTool(Model::Tool::Lasso, Model::Tool::Usable);
    Canvas canvas(QSize(400, 300), {Block});
    wireLikeTheMainWindow(canvas);
    QUndoStack* undo = canvas.scene()->undoStack();
    Clock clock;
    Pointer pen{&canvas.paper, clock};

    // A lasso around the block.
    QList<QPointF> outline;
    for (const QPointF& corner : {QPointF(90, 90), QPointF(210, 90), QPointF(210, 170),
                                  QPointF(90, 170), QPointF(90, 90)})
        outline << canvas.onWidget(corner);
    QList<QPointF> path;
    for (qsizetype i = 1; i < outline.size(); ++i)
        for (int k = 0; k < 10; ++k)
            path << outline.at(i - 1) + (outline.at(i) - outline.at(i - 1)) * (k / 10.0);
    path << outline.last();
    QSignalSpy lassoed(&canvas.paper, &UI::Paper::lassoingCompleted);
    pen.drag(path);
    QCOMPARE(lassoed.count(), 1);
    QCOMPARE(lassoed.at(0).at(1).toBool(), false);
    QCOMPARE(undo->count(), 1);
    QCOMPARE(undo->text(0), QStringLiteral("New Floating Selection"));
    QVERIFY(canvas.kwscene.floatingSelection());

    Model::ToolManager::instance()->setCurrentTool(Model::Tool::FloatingSelection,
                                                   Model::Tool::Usable);
    QSignalSpy changed(&canvas.paper, &UI::Paper::floatingSelectionTransformChanged);
    // Move by 100 px to the right.
    clock.advance(5000);
    pen.press(canvas.onWidget({120, 110}));
    pen.move(canvas.onWidget({170, 110}));
    pen.move(canvas.onWidget({220, 110}));
    pen.release(canvas.onWidget({220, 110}));
    QCOMPARE(changed.count(), 1);
    Model::FloatingSelection::Transform t = canvas.kwscene.floatingSelectionTransform();
    QCOMPARE(t.third, QTransform::fromTranslate(-100, 0));

    // Scale by the corner (now at (300, 165)) with Shift: uniform.
    clock.advance(5000);
    pen.tablet(QEvent::TabletPress, canvas.onWidget({300, 165}), 0.5, Qt::LeftButton,
               Qt::LeftButton, Qt::ShiftModifier);
    pen.tablet(QEvent::TabletMove, canvas.onWidget({340, 175}), 0.5, Qt::LeftButton,
               Qt::LeftButton, Qt::ShiftModifier);
    pen.tablet(QEvent::TabletRelease, canvas.onWidget({340, 175}), 0.0, Qt::LeftButton,
               Qt::NoButton, Qt::ShiftModifier);
    QCOMPARE(changed.count(), 2);
    t = canvas.kwscene.floatingSelectionTransform();
    QVERIFY(std::abs(t.first.m11() - t.first.m22()) < 1e-12);
    QVERIFY(t.first.m11() < 1.0); // drawing to selection: a larger stamp

    // Flip left to right on the right-edge diamond: a click, one change.
    const QPointF right = QTransform(t.third * t.second * t.first).inverted().map(QPointF(200, 130));
    clock.advance(5000);
    pen.press(canvas.onWidget(right));
    pen.release(canvas.onWidget(right));
    QCOMPARE(changed.count(), 3);
    t = canvas.kwscene.floatingSelectionTransform();
    QVERIFY(t.first.m11() < 0 && t.first.m22() > 0);

    // Stamp: a press outside the selection.
    QSignalSpy stamped(&canvas.paper, &UI::Paper::floatingSelectionStamped);
    clock.advance(5000);
    pen.press(canvas.onWidget({20, 280}), 0.5, Qt::AltModifier);
    pen.release(canvas.onWidget({20, 280}));
    QCOMPARE(stamped.count(), 1);
    QCOMPARE(stamped.at(0).at(0).value<Qt::KeyboardModifiers>(), Qt::AltModifier);
    QCOMPARE(undo->count(), 5);

    // The stamp lies where the selection was shown: its pixels mapped back
    // through the committed transform.
    const QTransform toDrawing = (t.third * t.second * t.first).inverted();
    const QImage after = TestSupport::framePicture(canvas.scene());
    QVERIFY(inked(after, toDrawing.map(QPointF(110, 105))));
    QVERIFY(inked(after, toDrawing.map(QPointF(190, 155))));
    QVERIFY(!inked(after, toDrawing.map(QPointF(150, 185))));
    QVERIFY(inked(after, QPointF(150, 130))); // the original stays: a lasso, not a cut

    // Undo walks back each step.
    undo->undo();
    QVERIFY(!inked(TestSupport::framePicture(canvas.scene()), toDrawing.map(QPointF(190, 155))));
    undo->undo();
    QVERIFY(canvas.kwscene.floatingSelectionTransform().first.m11() > 0);
    undo->undo();
    undo->undo();
    QCOMPARE(canvas.kwscene.floatingSelectionTransform().third, QTransform());
    undo->undo();
    QVERIFY(!canvas.kwscene.floatingSelection());
}

void TestFloatingSelectionGesture::autoScrollStopsAtTheRelease()
{
    Model::ToolManager::instance()->setCurrentTool(Model::Tool::Draw, Model::Tool::Usable);
    Canvas canvas(QSize(400, 300), {Block});
    QPainterPath lasso;
    lasso.addRect(QRectF(Block).adjusted(-10, -10, 10, 10));
    canvas.kwscene.setFloatingSelection(canvas.scene()->createNewFloatingSelection(lasso));
    Model::ToolManager::instance()->setCurrentTool(Model::Tool::FloatingSelection,
                                                   Model::Tool::Usable);
    QSignalSpy changed(&canvas.paper, &UI::Paper::floatingSelectionTransformChanged);
    Clock clock;
    Pointer pen{&canvas.paper, clock};
    pen.press(canvas.onWidget({120, 110}));
    pen.move(QPointF(790, 300)); // within 50 px of the right edge
    const QPointF panBefore = canvas.paper.viewPan();
    QTRY_VERIFY(canvas.paper.viewPan() != panBefore); // scrolling by itself
    pen.release(QPointF(790, 300));
    QCOMPARE(changed.count(), 1);
    const QPointF panAtRelease = canvas.paper.viewPan();
    QTest::qWait(100);
    // Nothing moves after the release, so the committed transform stays true.
    QCOMPARE(canvas.paper.viewPan(), panAtRelease);
    QCOMPARE(changed.count(), 1);
}

QUILLMERE_TEST_MAIN(TestFloatingSelectionGesture)
#include "tst_floatingselectiongesture.moc"
