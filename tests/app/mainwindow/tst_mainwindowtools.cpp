// Choosing tools from the menus and keys, and what the canvas's finished
// gestures become: lassos and whole-drawing pick-ups, stamps, pointer
// scrubbing, the speed dials and a stroke ended by Return. Driven through
// the shown window with synthesised pen, mouse and key events.
#include "../journey/JourneyFixture.h"

#include "FramePicture.h"
#include "TestSupport.h"

#include "dialogs/CollapseDialog.h"
#include "dialogs/SceneSettingsDialog.h"
#include "panels/SpeedDial.h"
#include "scene/KWScene.h"
#include "settings/Settings.h"
#include "strokes/FloatingSelection.h"
#include "tools/FloatingSelectionTool.h"
#include "tools/ToolManager.h"

#include <QCheckBox>
#include <QClipboard>
#include <QKeyEvent>
#include <QLineEdit>
#include <QMouseEvent>
#include <QMimeData>
#include <QPainter>
#include <QRadioButton>
#include <QtMath>

#include <cmath>

using namespace Journey;

namespace {

using Type = Model::Tool::Type;
using A = KW::Action;

Model::ToolManager* tools()
{
    return Model::ToolManager::instance();
}

void key(QWidget* w, QEvent::Type type, int k, Qt::KeyboardModifiers mods = Qt::NoModifier)
{
    QKeyEvent event(type, k, mods);
    QCoreApplication::sendEvent(w, &event);
}

// A window with one line drawn on frame 1, the pen current. Its questions
// (saving at the close) are answered as cancelled.
struct DrawnWindow : Prompts, Window
{
    DrawnWindow()
    {
        Model::Settings::instance()->setCollapseAutomatically(false);
        action(A::Pencil)->trigger();
        stroke(strokeStart(1), strokeEnd(1));
        window->setMonotonicClock([this] { return now; });
    }
    ~DrawnWindow() { tools()->setCurrentTool(Type::Draw, Model::Tool::Usable); }

    Model::KWScene* bundle() const { return window->KWScene(); }
    QString described() const { return SceneFiles::describe(*scene()).join(QLatin1Char('\n')); }

    qint64 now = 0;
};

// A pen stroke under way on frame 1: pressed and moved, not yet lifted.
// Returns where it began.
QPointF strokeUnderWay(Window& w)
{
    const QPointF from = w.strokeStart(1);
    w.tablet(QEvent::TabletPress, from, QPointingDevice::PointerType::Pen, 1.0);
    for (int i = 1; i <= 10; ++i)
        w.tablet(QEvent::TabletMove, from + QPointF(8.0 * i, 3.0 * i),
                 QPointingDevice::PointerType::Pen, 1.0);
    return from;
}

// Ink within a few pixels of a frame point.
bool inkedNear(const QImage& frame, QPointF at, int radius = 3)
{
    const QPoint c = at.toPoint();
    for (int dy = -radius; dy <= radius; ++dy)
        for (int dx = -radius; dx <= radius; ++dx)
            if (frame.rect().contains(c + QPoint(dx, dy)) && qAlpha(frame.pixel(c + QPoint(dx, dy))) > 96)
                return true;
    return false;
}

QPointF onCircle(QPointF centre, double radius, double degrees)
{
    const double a = qDegreesToRadians(degrees);
    return centre + radius * QPointF(std::cos(a), std::sin(a));
}

} // namespace

class TestMainWindowTools : public QObject
{
    Q_OBJECT

private slots:
    void pickingUpTheWholeDrawingIsOneUndoStep()
    {
        DrawnWindow w;
        QVERIFY(w.undo()->count() > 0);
        const QString drawn = w.described();
        const int steps = w.undo()->count();

        w.trigger(A::PickUpAllOfThisDrawing);

        QCOMPARE(w.undo()->count(), steps + 1);
        QCOMPARE(w.undo()->text(steps), QStringLiteral("New Floating Selection"));
        QCOMPARE(tools()->currentToolType(), Type::FloatingSelection);
        QVERIFY(w.action(A::FloatingSelection)->isChecked());
        QVERIFY(w.bundle()->floatingSelection());
        QVERIFY(w.described() != drawn); // the drawing was cut
        // Other programs get the line as a picture on white.
        const QImage copied = QApplication::clipboard()->image();
        QVERIFY(!copied.isNull());
        QCOMPARE(copied.pixelColor(0, 0), QColor(Qt::white));
        bool coloured = false;
        for (int y = 0; y < copied.height() && !coloured; ++y)
            for (int x = 0; x < copied.width() && !coloured; ++x)
                coloured = copied.pixelColor(x, y) != QColor(Qt::white);
        QVERIFY(coloured);
        QVERIFY(w.asked.isEmpty()); // fast: no collapse question

        w.undo()->undo();
        QCOMPARE(w.described(), drawn);
        QCOMPARE(tools()->currentToolType(), Type::Draw);
        QVERIFY(!w.bundle()->floatingSelection());
    }

    void lassoOnAnEmptyDrawingDoesNothing()
    {
        Prompts prompts;
        Window w;
        w.trigger(A::AddBlankDrawing);
        QApplication::clipboard()->setText(QStringLiteral("kept"));
        const int steps = w.undo()->count();
        w.trigger(A::PickUpAllOfThisDrawing);
        QCOMPARE(w.undo()->count(), steps);
        QCOMPARE(tools()->currentToolType(), Type::Draw);
        QCOMPARE(QApplication::clipboard()->text(), QStringLiteral("kept"));
    }

    void drawOrEraseLeavesTheFloatingSelectionUndoably_data()
    {
        QTest::addColumn<int>("chosen");
        QTest::addColumn<int>("expected");
        QTest::newRow("draw") << int(A::Draw) << int(Type::Draw);
        QTest::newRow("erase") << int(A::Erase) << int(Type::Erase);
    }
    void drawOrEraseLeavesTheFloatingSelectionUndoably()
    {
        QFETCH(int, chosen);
        QFETCH(int, expected);
        DrawnWindow w;
        w.trigger(A::PickUpAllOfThisDrawing);
        const int steps = w.undo()->count();

        w.trigger(A(chosen));
        QCOMPARE(int(tools()->currentToolType()), expected);
        QCOMPARE(w.undo()->count(), steps + 1);

        w.undo()->undo();
        QCOMPARE(tools()->currentToolType(), Type::FloatingSelection);
        QVERIFY(w.action(A::FloatingSelection)->isChecked());
    }

    // A lasso that took over half a second may collapse the drawing's
    // vector data: asked unless the setting says always.
    void slowLassoOffersToCollapse_data()
    {
        QTest::addColumn<qint64>("duration");
        QTest::addColumn<bool>("automatically");
        QTest::addColumn<int>("answer"); // -1: not asked
        QTest::addColumn<bool>("tick");
        QTest::addColumn<bool>("collapsed");
        QTest::addColumn<bool>("settingAfter");
        QTest::newRow("fast") << qint64(400) << false << -1 << false << false << false;
        QTest::newRow("slow, always") << qint64(900) << true << -1 << false << true << true;
        QTest::newRow("slow, accepted") << qint64(900) << false << int(QDialog::Accepted) << false
                                        << true << false;
        QTest::newRow("slow, accepted for good") << qint64(900) << false << int(QDialog::Accepted)
                                                 << true << true << true;
        QTest::newRow("slow, rejected") << qint64(900) << false << int(QDialog::Rejected) << true
                                        << false << false;
    }
    void slowLassoOffersToCollapse()
    {
        QFETCH(qint64, duration);
        QFETCH(bool, automatically);
        QFETCH(int, answer);
        QFETCH(bool, tick);
        QFETCH(bool, collapsed);
        QFETCH(bool, settingAfter);

        DrawnWindow w;
        Model::Settings::instance()->setCollapseAutomatically(automatically);
        bool first = true;
        w.window->setMonotonicClock([&] {
            const qint64 t = first ? 0 : duration;
            first = false;
            return t;
        });
        w.answer = [&](Model::Prompter::Request const& request) {
            Model::Prompter::Reply reply;
            if (auto* dialog = qobject_cast<UI::CollapseDialog*>(request.dialog)) {
                if (QCheckBox* box = dialog->findChild<QCheckBox*>())
                    box->setChecked(tick);
                reply.result = answer;
            }
            return reply;
        };

        w.trigger(A::PickUpAllOfThisDrawing);

        int dialogs = 0;
        for (auto const& a : w.asked)
            dialogs += a.kind == Model::Prompter::Kind::Dialog;
        QCOMPARE(dialogs, answer < 0 ? 0 : 1);
        QVERIFY(w.bundle()->floatingSelection());
        QCOMPARE(w.bundle()->floatingSelection()->collapseOnUse(), collapsed);
        // The collapse is part of the same undo step.
        const QUndoCommand* step = w.undo()->command(w.undo()->count() - 1);
        QCOMPARE(step->childCount(), collapsed ? 4 : 3);
        QCOMPARE(Model::Settings::instance()->collapseAutomatically(), settingAfter);
        Model::Settings::instance()->setCollapseAutomatically(false);
    }

    void stampingKeepsOrLeavesTheFloatingSelection_data()
    {
        QTest::addColumn<bool>("keep");
        QTest::newRow("stamp") << false;
        QTest::newRow("stamp and keep floating") << true;
    }
    void stampingKeepsOrLeavesTheFloatingSelection()
    {
        QFETCH(bool, keep);
        DrawnWindow w;
        const QString drawn = w.described();
        w.trigger(A::PickUpAllOfThisDrawing);
        const QString cut = w.described();
        const int steps = w.undo()->count();

        w.trigger(keep ? A::StampFloatingSelectionKeepFloating : A::StampFloatingSelection);

        QCOMPARE(w.undo()->count(), steps + 1);
        QCOMPARE(w.undo()->text(steps), QStringLiteral("Stamp Floating Selection"));
        QVERIFY(w.described() != cut); // the line is back in the drawing
        QCOMPARE(tools()->currentToolType(), keep ? Type::FloatingSelection : Type::Draw);
        QCOMPARE(w.action(A::Draw)->isChecked(), !keep);

        w.undo()->undo();
        QCOMPARE(w.described(), cut);
        QCOMPARE(tools()->currentToolType(), Type::FloatingSelection);
        w.undo()->undo();
        QCOMPARE(w.described(), drawn);
    }

    void stampingWithoutAFloatingSelectionReturnsToTheDrawingTool()
    {
        DrawnWindow w;
        w.action(A::Lasso)->setChecked(true);
        QCOMPARE(tools()->currentToolType(), Type::Lasso);
        const int steps = w.undo()->count();
        w.trigger(A::StampFloatingSelection);
        QCOMPARE(tools()->currentToolType(), Type::Draw);
        QCOMPARE(w.undo()->count(), steps);
    }

    // Each toggle of the Light Table and Pick Up menus makes its tool
    // current and checks only its own action; switching it off goes back
    // to the pen.
    void toolTogglesFollowTheToolManager_data()
    {
        QTest::addColumn<int>("toggle");
        QTest::addColumn<int>("type");
        QTest::addColumn<int>("afterOff");
        QTest::newRow("hand") << int(A::Pan) << int(Type::Hand) << int(Type::Draw);
        QTest::newRow("zoom") << int(A::Zoom) << int(Type::Zoom) << int(Type::Draw);
        QTest::newRow("rotate") << int(A::Rotate) << int(Type::Rotate) << int(Type::Draw);
        QTest::newRow("off pegs") << int(A::OffPegs) << int(Type::OffPegs) << int(Type::Draw);
        // The lasso and cutter are primary tools themselves: they stay, and
        // their action stays checked with them.
        QTest::newRow("lasso") << int(A::Lasso) << int(Type::Lasso) << int(Type::Lasso);
        QTest::newRow("cutter") << int(A::Cutter) << int(Type::Cutter) << int(Type::Cutter);
    }
    void toolTogglesFollowTheToolManager()
    {
        QFETCH(int, toggle);
        QFETCH(int, type);
        QFETCH(int, afterOff);
        DrawnWindow w;
        QAction* a = w.action(A(toggle));

        a->setChecked(true);
        QCOMPARE(int(tools()->currentToolType()), type);
        QVERIFY(!w.action(A::Draw)->isChecked());
        QVERIFY(!w.action(A::Pencil)->isChecked());

        a->setChecked(false);
        QCOMPARE(int(tools()->currentToolType()), afterOff);
        QCOMPARE(a->isChecked(), afterOff == type);
        w.trigger(A::Draw);
        QCOMPARE(tools()->currentToolType(), Type::Draw);
        QVERIFY(w.action(A::Draw)->isChecked());
        QVERIFY(w.action(A::Pencil)->isChecked());
        QVERIFY(!a->isChecked());
    }

    // While a view tool is held, what would return to the last primary
    // tool (here a changed drawing rule) leaves the held tool alone.
    void aHeldViewToolIsNotTakenAway()
    {
        DrawnWindow w;
        Model::Settings* settings = Model::Settings::instance();
        const bool locked = settings->clonesLockedForDrawing();
        w.action(A::Lasso)->setChecked(true);
        w.action(A::Pan)->setChecked(true);
        QCOMPARE(tools()->currentToolType(), Type::Hand);

        settings->setClonesLockedForDrawing(!locked);
        QCOMPARE(tools()->currentToolType(), Type::Hand);
        w.action(A::Pan)->setChecked(false);
        QCOMPARE(tools()->currentToolType(), Type::Lasso); // the last primary tool
        QVERIFY(w.action(A::Lasso)->isChecked());
        settings->setClonesLockedForDrawing(locked);
    }

    void penAndEraserKindsAndPresets_data()
    {
        QTest::addColumn<int>("chosen");
        QTest::addColumn<int>("type");
        QTest::addColumn<int>("kind");
        QTest::addColumn<int>("checked");
        QTest::newRow("marker") << int(A::Marker) << int(Type::Draw) << 1 << int(A::Marker);
        QTest::newRow("brush preset 2") << int(A::BrushPreset2) << int(Type::Draw) << 2 << int(A::Brush);
        QTest::newRow("pencil preset 3") << int(A::PencilPreset3) << int(Type::Draw) << 0
                                         << int(A::Pencil);
        QTest::newRow("rubber") << int(A::RubberEraser) << int(Type::Erase) << 1
                                << int(A::RubberEraser);
        QTest::newRow("vinyl") << int(A::VinylEraser) << int(Type::Erase) << 2 << int(A::VinylEraser);
    }
    void penAndEraserKindsAndPresets()
    {
        QFETCH(int, chosen);
        QFETCH(int, type);
        QFETCH(int, kind);
        QFETCH(int, checked);
        DrawnWindow w;
        w.action(A::Lasso)->setChecked(true);

        w.trigger(A(chosen));

        QCOMPARE(int(tools()->currentToolType()), type);
        QCOMPARE(type == Type::Draw ? int(tools()->currentPenToolType())
                                    : int(tools()->currentEraserToolType()),
                 kind);
        QVERIFY(w.action(A(checked))->isChecked());
        QVERIFY(w.action(type == Type::Draw ? A::Draw : A::Erase)->isChecked());
        QVERIFY(!w.action(A::Lasso)->isChecked());
        w.trigger(A::Pencil);
        w.trigger(A::KneadedEraser);
        w.trigger(A::Draw);
    }

    // Shift held scrubs with the pen; letting Shift go with the pen still
    // down keeps the frame scrubbed to, in the air it goes back.
    void pointerScrubbing_data()
    {
        QTest::addColumn<bool>("penDown");
        QTest::addColumn<int>("frameAfter");
        QTest::newRow("released with the pen down") << true << 3;
        QTest::newRow("released in the air") << false << 1;
    }
    void pointerScrubbing()
    {
        QFETCH(bool, penDown);
        QFETCH(int, frameAfter);
        Prompts prompts;
        Window w;
        w.drawThreeFrames();
        w.goToFrame(1);
        const QPointF from(w.paper->width() / 2.0, w.paper->height() / 2.0);

        // A modifier key's event carries the state before it, as X11 sends it;
        // the event reports the state after.
        key(w.window.get(), QEvent::KeyPress, Qt::Key_Shift, Qt::NoModifier);
        QCOMPARE(tools()->currentToolType(), Type::Scrubbing);
        w.tablet(QEvent::TabletPress, from, QPointingDevice::PointerType::Pen, 1.0);
        for (int i = 1; i <= 8; ++i)
            w.tablet(QEvent::TabletMove, from + QPointF(5.0 * i, 0), QPointingDevice::PointerType::Pen,
                     1.0);
        QCOMPARE(w.scene()->scrubFrame(), 3); // 40 pixels: two frames on
        QCOMPARE(w.scene()->activeFrame(), 1);
        if (!penDown)
            w.tablet(QEvent::TabletRelease, from + QPointF(40, 0), QPointingDevice::PointerType::Pen, 0);
        key(w.window.get(), QEvent::KeyRelease, Qt::Key_Shift, Qt::ShiftModifier);
        if (penDown)
            w.tablet(QEvent::TabletRelease, from + QPointF(40, 0), QPointingDevice::PointerType::Pen, 0);

        QCOMPARE(w.scene()->activeFrame(), frameAfter);
        QCOMPARE(tools()->currentToolType(), Type::Draw);
    }

    void speedDialsComeByKeyAndRightButton()
    {
        DrawnWindow w;
        auto dials = w.window->findChildren<UI::SpeedDial*>();
        QCOMPARE(dials.size(), 2);
        UI::SpeedDial* primary = dials.at(0);
        UI::SpeedDial* secondary = dials.at(1);

        key(w.window.get(), QEvent::KeyPress, Qt::Key_S);
        QVERIFY(primary->isVisible());
        key(w.window.get(), QEvent::KeyRelease, Qt::Key_S);
        QTRY_VERIFY(!primary->isVisible());

        key(w.window.get(), QEvent::KeyPress, Qt::Key_S, Qt::ShiftModifier);
        QVERIFY(secondary->isVisible());
        QVERIFY(!primary->isVisible());
        key(w.window.get(), QEvent::KeyRelease, Qt::Key_S, Qt::ShiftModifier);
        QTRY_VERIFY(!secondary->isVisible());

        QTest::mousePress(w.paper, Qt::RightButton, Qt::NoModifier, w.paper->rect().center());
        QVERIFY(primary->isVisible());
        QTest::mouseRelease(w.paper, Qt::RightButton, Qt::NoModifier, w.paper->rect().center());
        primary->hide();
        QTest::mousePress(w.paper, Qt::RightButton, Qt::ControlModifier, w.paper->rect().center());
        QVERIFY(!primary->isVisible() && !secondary->isVisible());
        QTest::mouseRelease(w.paper, Qt::RightButton, Qt::ControlModifier, w.paper->rect().center());
    }

    void returnCommitsTheStrokeInProgress()
    {
        Prompts prompts;
        Window w;
        const int steps = w.undo()->count();
        const QPointF from = strokeUnderWay(w);
        QVERIFY(w.scene()->hasActiveStroke());

        key(w.window.get(), QEvent::KeyPress, Qt::Key_Return);
        QVERIFY(!w.scene()->hasActiveStroke());
        QCOMPARE(w.undo()->count(), steps + 1);
        key(w.window.get(), QEvent::KeyRelease, Qt::Key_Return);
        w.tablet(QEvent::TabletRelease, from + QPointF(80, 30), QPointingDevice::PointerType::Pen, 0);
        QCOMPARE(w.undo()->count(), steps + 1);
    }

    void mirroringTheViewCommitsTheStrokeInProgress()
    {
        Prompts prompts;
        Window w;
        const int steps = w.undo()->count();
        const QPointF from = strokeUnderWay(w);
        QVERIFY(w.scene()->hasActiveStroke());

        w.trigger(A::MirrorView);
        QVERIFY(w.paper->mirrorView());
        QVERIFY(!w.scene()->hasActiveStroke());
        QCOMPARE(w.undo()->count(), steps + 1);
        // The rest of the gesture draws nothing under the flipped view.
        w.tablet(QEvent::TabletMove, from + QPointF(100, 40), QPointingDevice::PointerType::Pen, 1.0);
        w.tablet(QEvent::TabletRelease, from + QPointF(100, 40), QPointingDevice::PointerType::Pen, 0);
        QCOMPARE(w.undo()->count(), steps + 1);
        w.trigger(A::MirrorView);
        QVERIFY(!w.paper->mirrorView());
    }

    // A circle lifted and moved, then the frame halved with the aspect kept:
    // the floating selection shrinks and moves with the drawings, stamps
    // there, and both undos bring back what was there before.
    void floatingSelectionFollowsAFrameSizeChange()
    {
        Model::Settings* settings = Model::Settings::instance();
        settings->setDefaultFrameSize(QSize(1280, 720));
        settings->setCollapseAutomatically(false);
        Prompts prompts;
        Window w;
        w.window->setMonotonicClock([] { return qint64(0); });
        // Pencil lines on the canvas, also as thin as half a frame makes them.
        const auto shown = [&w](const QImage& picture, QPointF framePoint) {
            return w.darkestNear(picture, w.onCanvas(framePoint)) < 225;
        };
        const auto blank = [&w](const QImage& picture, QPointF framePoint) {
            return w.darkestNear(picture, w.onCanvas(framePoint)) > 240;
        };
        QCOMPARE(w.scene()->frameSize(), QSize(1280, 720));
        // The pencil preset that inks fully at full pressure, chosen here
        // rather than left by an earlier test: its line stays dark enough
        // when the frame is halved.
        w.trigger(A::PencilPreset3);

        // A circle of radius 50 about (400, 360), drawn in one stroke.
        const QPointF centre(400, 360);
        const double radius = 50;
        w.tablet(QEvent::TabletPress, w.onCanvas(onCircle(centre, radius, 0)),
                 QPointingDevice::PointerType::Pen, 1.0);
        for (int degrees = 8; degrees <= 368; degrees += 8) {
            w.tablet(QEvent::TabletMove, w.onCanvas(onCircle(centre, radius, degrees)),
                     QPointingDevice::PointerType::Pen, 1.0);
            QTest::qWait(2);
        }
        w.tablet(QEvent::TabletRelease, w.onCanvas(onCircle(centre, radius, 368)),
                 QPointingDevice::PointerType::Pen, 0.0);
        QTRY_VERIFY(inkedNear(TestSupport::framePicture(w.scene()), onCircle(centre, radius, 180)));

        // Lassoed, and dragged 150 px to the right by its inside.
        w.trigger(A::Lasso);
        const QPointF corners[] = {{330, 290}, {470, 290}, {470, 430}, {330, 430}, {330, 290}};
        QPointF last = w.onCanvas(corners[0]);
        w.tablet(QEvent::TabletPress, last, QPointingDevice::PointerType::Pen, 1.0);
        for (int i = 1; i < 5; ++i)
            for (int k = 1; k <= 8; ++k) {
                last = w.onCanvas(corners[i - 1] + (corners[i] - corners[i - 1]) * (k / 8.0));
                w.tablet(QEvent::TabletMove, last, QPointingDevice::PointerType::Pen, 1.0);
            }
        w.tablet(QEvent::TabletRelease, last, QPointingDevice::PointerType::Pen, 0.0);
        QCoreApplication::processEvents();
        QCOMPARE(tools()->currentToolType(), Type::FloatingSelection);
        Model::KWScene* bundle = w.window->KWScene();
        QVERIFY(bundle->floatingSelection());

        const QPointF grip = centre + QPointF(-20, 25);
        w.tablet(QEvent::TabletPress, w.onCanvas(grip), QPointingDevice::PointerType::Pen, 1.0);
        for (int k = 1; k <= 10; ++k)
            w.tablet(QEvent::TabletMove, w.onCanvas(grip + QPointF(15.0 * k, 0)),
                     QPointingDevice::PointerType::Pen, 1.0);
        w.tablet(QEvent::TabletRelease, w.onCanvas(grip + QPointF(150, 0)),
                 QPointingDevice::PointerType::Pen, 0.0);
        QCoreApplication::processEvents();
        const QPointF moved = centre + QPointF(150, 0);
        QImage picture = w.canvasPicture();
        QVERIFY(shown(picture, onCircle(moved, radius, 180)));
        const int steps = w.undo()->count();

        // The scene settings halve the frame, keeping its aspect.
        prompts.answer = [](const Model::Prompter::Request& request) {
            Model::Prompter::Reply reply;
            if (auto* dialog = qobject_cast<UI::SceneSettingsDialog*>(request.dialog)) {
                dialog->findChild<QLineEdit*>(QStringLiteral("frameWidth"))->setText(QStringLiteral("640"));
                dialog->findChild<QLineEdit*>(QStringLiteral("frameHeight"))->setText(QStringLiteral("360"));
                dialog->findChild<QRadioButton*>(QStringLiteral("radioButtonKeepAspect"))->setChecked(true);
                reply.result = QDialog::Accepted;
            }
            return reply;
        };
        w.trigger(A::SceneSettings);
        QCOMPARE(w.scene()->frameSize(), QSize(640, 360));
        QCOMPARE(w.undo()->count(), steps + 1);
        QCOMPARE(tools()->currentToolType(), Type::FloatingSelection);

        // Drawings and selection alike at half their size and place.
        const QPointF original = centre / 2;
        const QPointF floating = moved / 2;
        const double half = radius / 2;
        picture = w.canvasPicture();
        for (double degrees : {135.0, 180.0, 225.0})
            QVERIFY2(shown(picture, onCircle(floating, half, degrees)),
                     qPrintable(QString::number(degrees)));
        QVERIFY(blank(picture, floating - QPointF(half + 12, 0)));
        QVERIFY(shown(picture, onCircle(original, half, 180)));
        // The canvas's handles follow it: the inside moves it, beyond its edge stamps.
        auto* selectionTool = qobject_cast<Model::FloatingSelectionTool*>(
            tools()->tool(Model::Tool::FloatingSelection));
        QVERIFY(selectionTool);
        // Hover moves go straight to the canvas: a pointer moved through the
        // X server is not always delivered while other windows come and go.
        auto hover = [&w](QPointF at) {
            const QPointF local = w.onCanvas(at);
            QMouseEvent move(QEvent::MouseMove, local, w.paper->mapToGlobal(local), Qt::NoButton,
                             Qt::NoButton, Qt::NoModifier);
            QApplication::sendEvent(w.paper, &move);
        };
        hover(floating + QPointF(0, 110));
        QTRY_COMPARE(selectionTool->cursorType(), Model::FloatingSelectionTool::FSStamp);
        hover(onCircle(floating, half, 180) + QPointF(6, 8));
        QTRY_COMPARE(selectionTool->cursorType(), Model::FloatingSelectionTool::FSMove);

        // Return stamps it there, at that size.
        key(w.window.get(), QEvent::KeyPress, Qt::Key_Return);
        key(w.window.get(), QEvent::KeyRelease, Qt::Key_Return);
        QCOMPARE(w.undo()->count(), steps + 2);
        QImage frame = TestSupport::framePicture(w.scene());
        for (double degrees : {0.0, 90.0, 135.0, 180.0, 225.0, 270.0})
            QVERIFY2(inkedNear(frame, onCircle(floating, half, degrees)),
                     qPrintable(QString::number(degrees)));
        QVERIFY(!inkedNear(frame, floating - QPointF(half + 12, 0)));
        QVERIFY(!inkedNear(frame, floating + QPointF(half + 12, 0)));
        QVERIFY(!inkedNear(frame, floating));

        // Undo: no stamp, the selection floating where it was.
        w.trigger(A::Undo);
        QCOMPARE(w.scene()->frameSize(), QSize(640, 360));
        QVERIFY(!inkedNear(TestSupport::framePicture(w.scene()), onCircle(floating, half, 180)));
        QVERIFY(bundle->floatingSelection());
        QCOMPARE(tools()->currentToolType(), Type::FloatingSelection);
        picture = w.canvasPicture();
        QVERIFY(shown(picture, onCircle(floating, half, 180)));

        // Undo again: the old frame, the selection moved as it was.
        w.trigger(A::Undo);
        QCOMPARE(w.scene()->frameSize(), QSize(1280, 720));
        const QTransform third = bundle->floatingSelectionTransform().third;
        QVERIFY(qAbs(third.dx() + 150) < 1e-9 && qAbs(third.dy()) < 1e-9);
        frame = TestSupport::framePicture(w.scene());
        QVERIFY(inkedNear(frame, onCircle(centre, radius, 180)));
        QVERIFY(!inkedNear(frame, onCircle(moved, radius, 180)));
        picture = w.canvasPicture();
        for (double degrees : {135.0, 180.0, 225.0})
            QVERIFY2(shown(picture, onCircle(moved, radius, degrees)),
                     qPrintable(QString::number(degrees)));
        QVERIFY(blank(picture, moved - QPointF(radius + 12, 0)));

        tools()->setCurrentTool(Type::Draw, Model::Tool::Usable);
        settings->setDefaultFrameSize(QSize(1920, 1080));
    }
};

QUILLMERE_TEST_MAIN(TestMainWindowTools)
#include "tst_mainwindowtools.moc"
