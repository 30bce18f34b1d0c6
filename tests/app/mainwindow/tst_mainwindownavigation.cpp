// The window's navigation and view handlers: frame stepping and its wrap
// rules, skipping holds and to key drawings, the frame rate with its custom
// entry, the zoom ladder, and the layer actions' check marks.
#include "MainWindowFixture.h"
#include "SceneCells.h"

#include "TestSupport.h"

#include "actions/ActionManager.h"
#include "canvas/Paper.h"
#include "mainwindow/FrameRateDialog.h"
#include "scene/Layer.h"

#include <QAction>
#include <QUndoStack>

namespace {

QAction* action(KW::Action id)
{
    return Model::ActionManager::instance()->action(id);
}

} // namespace

class TestMainWindowNavigation : public QObject
{
    Q_OBJECT

private slots:
    void stepping_data()
    {
        QTest::addColumn<QString>("cells");
        QTest::addColumn<int>("rangeFirst");
        QTest::addColumn<int>("rangeLast");
        QTest::addColumn<int>("from");
        QTest::addColumn<int>("action");
        QTest::addColumn<int>("expected");

        const int back = int(KW::Action::StepBack);
        const int forward = int(KW::Action::StepForward);
        const int skipBack = int(KW::Action::StepBackSkippingLocalClones);
        const int skipForward = int(KW::Action::StepForwardSkippingLocalClones);
        const int keyBack = int(KW::Action::SkipBackToKeyDrawing);
        const int keyForward = int(KW::Action::SkipForwardToKeyDrawing);

        QTest::newRow("forward") << "A.B.C" << 1 << 5 << 2 << forward << 3;
        QTest::newRow("forward on the last drawing wraps to the range start")
            << "A.B.C" << 1 << 5 << 5 << forward << 1;
        QTest::newRow("wrap to a later range start") << "A.B.C" << 2 << 5 << 5 << forward << 2;
        QTest::newRow("back at the range start wraps to the last drawing")
            << "A.B.C" << 1 << 5 << 1 << back << 5;
        QTest::newRow("back past a shorter range end stops at the range end")
            << "A.B.CDE" << 1 << 4 << 1 << back << 4;
        QTest::newRow("back from past the layer's end") << "A.B.C" << 1 << 5 << 6 << back << 5;
        QTest::newRow("skipping holds back") << "A.B.C" << 1 << 5 << 5 << skipBack << 3;
        QTest::newRow("skipping holds back wraps") << "A.B.C" << 1 << 5 << 1 << skipBack << 5;
        QTest::newRow("skipping holds on") << "A.B.C" << 1 << 5 << 1 << skipForward << 3;
        QTest::newRow("skipping holds on wraps") << "A.B.C" << 1 << 5 << 5 << skipForward << 1;
        QTest::newRow("key drawing back") << "k.B.k.C" << 1 << 7 << 7 << keyBack << 5;
        QTest::newRow("key drawing back wraps") << "A.k.C" << 1 << 5 << 2 << keyBack << 3;
        QTest::newRow("key drawing on wraps") << "k.B.C" << 1 << 5 << 3 << keyForward << 1;
        QTest::newRow("no key drawing: nothing") << "A.B.C" << 1 << 5 << 3 << keyForward << 3;
        QTest::newRow("only key is the active one: nothing") << "A.k.C" << 1 << 5 << 3 << keyBack << 3;
    }

    void stepping()
    {
        QFETCH(QString, cells);
        QFETCH(int, rangeFirst);
        QFETCH(int, rangeLast);
        QFETCH(int, from);
        QFETCH(int, action);
        QFETCH(int, expected);

        MainWindowFixture f;
        fillCells(f.scene(), 0, cells, rangeFirst, rangeLast, from);
        QCOMPARE(f.scene()->activeFrame(), from);
        const int before = f.scene()->undoStack()->count();

        ::action(KW::Action(action))->trigger();
        QCOMPARE(f.scene()->activeFrame(), expected);
        // A step is an undoable move; a step that finds nothing leaves no record.
        QCOMPARE(f.scene()->undoStack()->count() > before, expected != from);
    }

    void jumpsGoToTheRangeStartAndPastTheLayersEnd()
    {
        MainWindowFixture f;
        fillCells(f.scene(), 0, QStringLiteral("A.B.C"), 2, 5, 3);
        action(KW::Action::JumpToEnd)->trigger();
        QCOMPARE(f.scene()->activeFrame(), 6);
        action(KW::Action::JumpToStart)->trigger();
        QCOMPARE(f.scene()->activeFrame(), 2);
    }

    void rangeActionsMoveTheRangeEnds()
    {
        MainWindowFixture f;
        Model::Scene* scene = f.scene();
        fillCells(scene, 0, QStringLiteral("ABCDEFGH"), 2, 6, 3);
        auto range = [scene] {
            return std::pair{scene->minimumFrameRangeNumber(), scene->maximumFrameRangeNumber()};
        };
        action(KW::Action::RangeStartStepForward)->trigger();
        QCOMPARE(range(), std::pair(3, 6));
        action(KW::Action::RangeEndStepBack)->trigger();
        QCOMPARE(range(), std::pair(3, 5));
        action(KW::Action::RangeStartStepBack)->trigger();
        action(KW::Action::RangeEndStepForward)->trigger();
        QCOMPARE(range(), std::pair(2, 6));
        action(KW::Action::RangeStartToFirstFrame)->trigger();
        action(KW::Action::RangeEndToLastFrame)->trigger();
        QCOMPARE(range(), std::pair(1, 8));

        // A range never shrinks to one frame: asking for 5..5 from 4..5 keeps 4..5.
        fillCells(scene, 0, QStringLiteral("ABCDEFGH"), 4, 5, 4);
        action(KW::Action::RangeStartStepForward)->trigger();
        QCOMPARE(range(), std::pair(4, 5));
    }

    void frameRateChecksItsAction_data()
    {
        QTest::addColumn<double>("fps");
        QTest::addColumn<int>("checked");
        QTest::addColumn<QString>("customText");

        QTest::newRow("12.5") << 12.5 << int(KW::Action::FrameRate12_5) << "Custom";
        QTest::newRow("24") << 24.0 << int(KW::Action::FrameRate24) << "Custom";
        QTest::newRow("23.976") << 23.976 << int(KW::Action::FrameRateCustom) << "Custom (23.976)";
    }

    void frameRateChecksItsAction()
    {
        QFETCH(double, fps);
        QFETCH(int, checked);
        QFETCH(QString, customText);

        MainWindowFixture f;
        const double before = f.scene()->frameRate();
        f.window->onActionFrameRate(fps);
        QCOMPARE(f.scene()->frameRate(), fps);
        QVERIFY(action(KW::Action(checked))->isChecked());
        QCOMPARE(action(KW::Action::FrameRateCustom)->text(), customText);
        f.scene()->undoStack()->undo();
        QCOMPARE(f.scene()->frameRate(), before);
    }

    void customFrameRateIsWrittenInTheLocale()
    {
        MainWindowFixture f;
        f.window->setLocale(QLocale(QLocale::German, QLocale::Germany));
        f.answer = [](const Model::Prompter::Request& request) {
            Model::Prompter::Reply reply;
            reply.accepted = request.kind == Model::Prompter::Kind::Double
                             && request.minimum == 0.1 && request.maximum == 60.0
                             && request.decimals == 2;
            reply.value = 23.976;
            return reply;
        };
        action(KW::Action::FrameRateCustom)->trigger();
        QCOMPARE(f.scene()->frameRate(), 23.976);
        QVERIFY(action(KW::Action::FrameRateCustom)->isChecked());
        QCOMPARE(action(KW::Action::FrameRateCustom)->text(), QStringLiteral("Custom (23,976)"));
    }

    void cancelledOrUnchangedCustomRateRestoresTheCheckMarks_data()
    {
        QTest::addColumn<bool>("accepted");
        QTest::addColumn<double>("entered");
        QTest::newRow("cancelled") << false << 30.0;
        QTest::newRow("same rate") << true << 12.0;
    }

    void cancelledOrUnchangedCustomRateRestoresTheCheckMarks()
    {
        QFETCH(bool, accepted);
        QFETCH(double, entered);

        MainWindowFixture f;
        f.window->onActionFrameRate(12.0);
        const int records = f.scene()->undoStack()->count();
        f.answer = [=](const Model::Prompter::Request&) {
            Model::Prompter::Reply reply;
            reply.accepted = accepted;
            reply.value = entered;
            return reply;
        };
        action(KW::Action::FrameRateCustom)->trigger();
        QVERIFY(action(KW::Action::FrameRate12)->isChecked());
        QVERIFY(!action(KW::Action::FrameRateCustom)->isChecked());
        QCOMPARE(action(KW::Action::FrameRateCustom)->text(), QStringLiteral("Custom"));
        QCOMPARE(f.scene()->undoStack()->count(), records);
    }

    void zoomLadderSteps_data()
    {
        QTest::addColumn<double>("from");
        QTest::addColumn<bool>("in");
        QTest::addColumn<double>("expected");
        QTest::newRow("in just above a rung") << 1.003 << true << 1.5;
        QTest::newRow("out just below a rung") << 0.997 << false << 0.75;
        QTest::newRow("in at the top is clamped") << 16.0 << true << 16.0;
        QTest::newRow("out at the bottom") << 0.0625 << false << 0.0625;
    }

    void zoomLadderSteps()
    {
        QFETCH(double, from);
        QFETCH(bool, in);
        QFETCH(double, expected);

        MainWindowFixture f;
        auto* paper = f.window->findChild<UI::Paper*>();
        paper->setZoomLevel(from);
        QCOMPARE(paper->zoomLevel(), from);
        action(in ? KW::Action::ZoomIn : KW::Action::ZoomOut)->trigger();
        QCOMPARE(paper->zoomLevel(), expected);
    }

    void layerActionsFollowTheActiveLayer()
    {
        MainWindowFixture f;
        Model::Scene* scene = f.scene();
        fillCells(scene, 0, QStringLiteral("A.B"), 1, 3, 1);

        action(KW::Action::LayerVisibility)->setChecked(true);
        action(KW::Action::LayerVisibility)->setChecked(false);
        QVERIFY(!scene->isLayerVisible(0));
        action(KW::Action::CycleDrawingsBeyond)->trigger();
        QCOMPARE(scene->layerBeyondLast(0), int(Model::Layer::cycleDrawings));

        scene->undoStack()->undo();
        scene->undoStack()->undo();
        f.window->updateLayerActions();
        QVERIFY(action(KW::Action::LayerVisibility)->isChecked());
        QVERIFY(!action(KW::Action::CycleDrawingsBeyond)->isChecked());
        QVERIFY(action(KW::Action(int(KW::Action::ShowNothingBeyond) + scene->layerBeyondLast(0) - 1))
                    ->isChecked());
        QCOMPARE(action(KW::Action::MergeLayerDown)->isEnabled(), scene->canMergeLayerDown(0));
    }
};

QUILLMERE_TEST_MAIN(TestMainWindowNavigation)
#include "tst_mainwindownavigation.moc"
