// Where the exposure sheet stands beside the canvas, the timeline's scrub
// handlers, and the layer opacity and rename fields the exposure sheet
// calls up.
#include "MainWindowFixture.h"
#include "SceneCells.h"

#include "TestSupport.h"

#include "actions/ActionManager.h"
#include "canvas/DrawingArea.h"
#include "dialogs/SceneSettingsDialog.h"
#include "panels/Palette.h"
#include "panels/SpeedDial.h"
#include "panels/ToolSettings.h"
#include "playback/PlaybackController.h"
#include "xsheet/XSheetPane.h"

#include <QAction>
#include <QComboBox>
#include <QCursor>
#include <QKeyEvent>
#include <QLabel>
#include <QSplitter>
#include <QUndoStack>

namespace {

QAction* action(KW::Action id)
{
    return Model::ActionManager::instance()->action(id);
}

struct ViewsFixture : MainWindowFixture
{
    ViewsFixture()
    {
        splitter = window->findChild<QSplitter*>(QStringLiteral("splitter"));
        pane = window->findChild<UI::XSheetPane*>();
        window->show();
        QVERIFY(QTest::qWaitForWindowExposed(window.get()));
    }

    int paneWidth() const { return splitter->sizes().value(splitter->indexOf(pane)); }

    QSplitter* splitter = nullptr;
    UI::XSheetPane* pane = nullptr;
};

} // namespace

class TestMainWindowViews : public QObject
{
    Q_OBJECT

private slots:
    void xsheetHidesAndComesBackAtItsWidth()
    {
        ViewsFixture f;
        action(KW::Action::XSheetDetachSeparateWindow)->setChecked(false);
        action(KW::Action::XSheetShow)->setChecked(true);
        f.window->updateXSheetLocation();
        const int total = f.paneWidth() + f.splitter->sizes().value(f.splitter->indexOf(f.window->findChild<UI::DrawingArea*>()));
        QList<int> sizes = f.splitter->sizes();
        const int paneIndex = f.splitter->indexOf(f.pane);
        sizes[paneIndex] = 300;
        sizes[1 - paneIndex] = total - 300;
        f.splitter->setSizes(sizes);
        QCOMPARE(f.paneWidth(), 300);

        action(KW::Action::XSheetShow)->setChecked(false);
        QCOMPARE(f.paneWidth(), 0);
        action(KW::Action::XSheetShow)->setChecked(true);
        QCOMPARE(f.paneWidth(), 300);
    }

    void xsheetChangesSides()
    {
        ViewsFixture f;
        action(KW::Action::XSheetShow)->setChecked(true);
        action(KW::Action::XSheetLeftSide)->trigger();
        QCOMPARE(f.splitter->indexOf(f.pane), 0);
        QVERIFY(action(KW::Action::XSheetLeftSide)->isChecked());
        action(KW::Action::XSheetOppositeSide)->trigger();
        QCOMPARE(f.splitter->indexOf(f.pane), f.splitter->count() - 1);
        QVERIFY(action(KW::Action::XSheetRightSide)->isChecked());
        QVERIFY(f.paneWidth() > 0);
    }

    void splitterDraggedShutUnchecksTheXSheet()
    {
        ViewsFixture f;
        action(KW::Action::XSheetShow)->setChecked(true);
        f.window->updateXSheetLocation();
        QList<int> sizes = f.splitter->sizes();
        const int paneIndex = f.splitter->indexOf(f.pane);
        sizes[1 - paneIndex] += sizes[paneIndex];
        sizes[paneIndex] = 0;
        f.splitter->setSizes(sizes);
        f.window->onSplitterMoved();
        QVERIFY(!action(KW::Action::XSheetShow)->isChecked());
    }

    void timelineScrubsAndReleases()
    {
        ViewsFixture f;
        Model::Scene* scene = f.scene();
        fillCells(scene, 0, QStringLiteral("ABCDEF"), 1, 6, 2);
        f.window->onTimelineSliderDragged(5);
        QCOMPARE(scene->scrubFrame(), 5);
        f.window->onTimelineSliderMoved(4);
        QCOMPARE(scene->scrubFrame(), 4);
        f.window->onTimelineSliderReleased(4);
        QCOMPARE(scene->scrubFrame(), -1);
        QCOMPARE(scene->activeFrame(), 2);
    }

    void canvasScrubOffsetStaysInTheRange()
    {
        ViewsFixture f;
        Model::Scene* scene = f.scene();
        fillCells(scene, 0, QStringLiteral("ABCDEF"), 2, 5, 3);
        f.window->onScrubOffsetChanged(10);
        QCOMPARE(scene->scrubFrame(), 5);
        f.window->onScrubOffsetChanged(-10);
        QCOMPARE(scene->scrubFrame(), 2);
        scene->setScrubFrame(-1);
    }

    void opacitySliderChangesAreOneUndoStep()
    {
        ViewsFixture f;
        Model::Scene* scene = f.scene();
        const double before = scene->layerOpacity(0);
        f.window->onOpacitySliderMoved(0, 0.4);
        f.window->onOpacitySliderMoved(0, 0.3);
        QCOMPARE(scene->layerOpacity(0), 0.3);
        const int records = scene->undoStack()->count();
        f.window->onOpacityChanged(0, before, 0.3);
        QCOMPARE(scene->undoStack()->count(), records + 1);
        scene->undoStack()->undo();
        QCOMPARE(scene->layerOpacity(0), before);
    }

    void frameNumberLabel_data()
    {
        QTest::addColumn<int>("frame");
        QTest::addColumn<bool>("scrubbedOnward");
        QTest::addColumn<QString>("shown");
        QTest::newRow("a frame in the range") << 3 << false << "3";
        QTest::newRow("below 1 leaves it") << 0 << false << "5";
        QTest::newRow("past the range end") << 9 << false << "7";
        QTest::newRow("scrubbed on past the end") << 9 << true << "9";
    }

    void frameNumberLabel()
    {
        QFETCH(int, frame);
        QFETCH(bool, scrubbedOnward);
        QFETCH(QString, shown);

        ViewsFixture f;
        fillCells(f.scene(), 0, QStringLiteral("ABCDEF"), 1, 6, 1);
        auto* label = f.window->findChild<QLabel*>(QStringLiteral("labelCurrentFrameNumber"));
        f.window->updateFrameNumberLabel(5, false);
        QCOMPARE(label->text(), QStringLiteral("5"));
        f.window->updateFrameNumberLabel(frame, scrubbedOnward);
        QCOMPARE(label->text(), shown);
        QVERIFY(label->minimumWidth() >= label->fontMetrics().horizontalAdvance(QStringLiteral("00000")));
    }

    void lostFramesFlashTheFrameNumberRed()
    {
        ViewsFixture f;
        auto* label = f.window->findChild<QLabel*>(QStringLiteral("labelCurrentFrameNumber"));
        auto* playback = f.window->findChild<PlaybackController*>();
        auto colour = [label] { return label->palette().color(QPalette::Active, QPalette::WindowText); };

        f.window->onFramesLost(); // not playing: nothing
        QCOMPARE(colour(), QColor(Qt::white));

        playback->setFrameRange(1, 10);
        playback->setActiveFrame(1);
        playback->startPlayback();
        f.window->onFramesLost();
        QCOMPARE(colour(), QColor(Qt::red));
        QTRY_COMPARE_WITH_TIMEOUT(colour(), QColor(Qt::white), 2000);
        playback->stopPlayback();
    }

    void heldDrawKeyShowsThePenPanelAtThePointer()
    {
        ViewsFixture f;
        f.window->setHoldIntervals(5000, 20);
        auto* central = f.window->centralWidget();
        UI::ToolSettings* panel = nullptr;
        QList<UI::ToolSettings*> panels = f.window->findChildren<UI::ToolSettings*>();
        QCursor::setPos(central->mapToGlobal(QPoint(central->width() / 2, 300)));

        QKeyEvent press(QEvent::KeyPress, Qt::Key_D, Qt::NoModifier);
        QCoreApplication::sendEvent(f.window.get(), &press);
        QTRY_VERIFY(std::any_of(panels.begin(), panels.end(),
                                [](UI::ToolSettings* p) { return p->isVisible() && p->isPopup(); }));
        for (UI::ToolSettings* p : panels)
            if (p->isVisible())
                panel = p;
        const QPoint pointer = central->mapFromGlobal(QCursor::pos());
        // Centred on the pointer, kept 5 pixels from the near and 6 from the far edges.
        QCOMPARE(panel->x(), std::clamp(pointer.x() - panel->width() / 2, 5,
                                        central->width() - panel->width() - 6));
        QCOMPARE(panel->y(), std::clamp(pointer.y() - panel->height() / 2, 5,
                                        central->height() - panel->height() - 6));

        QKeyEvent release(QEvent::KeyRelease, Qt::Key_D, Qt::NoModifier);
        QCoreApplication::sendEvent(f.window.get(), &release);
        QVERIFY(!panel->isVisible());
    }

    void paletteTogglesAndCKeyHidesIt()
    {
        ViewsFixture f; // the catalogue's Palette action stays disabled while painting is not
        auto* palette = f.window->findChild<UI::Palette*>();
        f.window->onActionPalette();
        QVERIFY(palette->isVisible());
        const QRect inside = f.window->centralWidget()->rect();
        QVERIFY(inside.contains(palette->geometry()));
        f.window->onActionPalette();
        QVERIFY(!palette->isVisible());

        f.window->onActionPalette();
        QKeyEvent release(QEvent::KeyRelease, Qt::Key_C, Qt::NoModifier);
        QCoreApplication::sendEvent(f.window.get(), &release);
        QVERIFY(!palette->isVisible());
    }

    void speedDialCallsAlternate()
    {
        ViewsFixture f;
        const QList<UI::SpeedDial*> dials = f.window->findChildren<UI::SpeedDial*>();
        QCOMPARE(dials.size(), 2);
        action(KW::Action::PrimarySpeedDial)->trigger();
        UI::SpeedDial* primary = dials[0]->isVisible() ? dials[0] : dials[1];
        UI::SpeedDial* secondary = primary == dials[0] ? dials[1] : dials[0];
        QVERIFY(primary->isVisible());
        QVERIFY(f.window->centralWidget()->rect().contains(primary->geometry()));
        action(KW::Action::SecondarySpeedDial)->trigger();
        QVERIFY(!primary->isVisible());
        QVERIFY(secondary->isVisible());
        QKeyEvent escape(QEvent::KeyPress, Qt::Key_Escape, Qt::NoModifier);
        QCoreApplication::sendEvent(f.window.get(), &escape);
        QVERIFY(!secondary->isVisible());
    }
    // A new frame rate chosen in the scene settings is one undo step; the
    // dialog closed any other way, or with nothing changed, is none.
    void sceneSettingsChangeTheSceneInOneStep_data()
    {
        QTest::addColumn<int>("result");
        QTest::addColumn<bool>("change");
        QTest::newRow("new rate") << int(QDialog::Accepted) << true;
        QTest::newRow("nothing changed") << int(QDialog::Accepted) << false;
        QTest::newRow("cancelled") << int(QDialog::Rejected) << true;
    }
    void sceneSettingsChangeTheSceneInOneStep()
    {
        QFETCH(int, result);
        QFETCH(bool, change);
        MainWindowFixture f;
        Model::Scene* scene = f.scene();
        const double rate = scene->frameRate();
        const int steps = scene->undoStack()->count();
        bool asked = false;
        f.answer = [&](const Model::Prompter::Request& request) {
            Model::Prompter::Reply reply;
            if (auto* dialog = qobject_cast<UI::SceneSettingsDialog*>(request.dialog)) {
                asked = true;
                auto* box = dialog->findChild<QComboBox*>(QStringLiteral("CBframeRate"));
                if (box && change)
                    box->setCurrentIndex((box->currentIndex() + 1) % box->count());
                reply.result = result;
            }
            return reply;
        };
        action(KW::Action::SceneSettings)->trigger();
        QVERIFY(asked);
        const bool edits = result == QDialog::Accepted && change;
        QCOMPARE(scene->undoStack()->count(), steps + (edits ? 1 : 0));
        QCOMPARE(!qFuzzyCompare(scene->frameRate(), rate), edits);
        if (edits) {
            scene->undoStack()->undo();
            QCOMPARE(scene->frameRate(), rate);
        }
    }

};

QUILLMERE_TEST_MAIN(TestMainWindowViews)
#include "tst_mainwindowviews.moc"
