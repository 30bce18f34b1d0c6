#include "MainWindowFixture.h"

#include "TestSupport.h"

#include "canvas/ControlsBarToolButton.h"
#include "actions/ActionManager.h"
#include "canvas/Paper.h"
#include "playback/PlaybackController.h"
#include "panels/ToolBar.h"
#include "xsheet/XSheet.h"
#include "scene/Layer.h"
#include "settings/Settings.h"

#include <QAction>
#include <QApplication>
#include <QSignalSpy>
#include <QUndoStack>

namespace {

const char* const kControlsBarButtons[] = {"toolButtonJumpToStart", "toolButtonStepBack",
                                           "toolButtonPlayback", "toolButtonStepForward",
                                           "toolButtonJumpToEnd"};

void expectControlsBarIcons(MainWindow* window, QSize size)
{
    for (const char* name : kControlsBarButtons) {
        auto* button = window->findChild<UI::ControlsBarToolButton*>(QLatin1String(name));
        QVERIFY2(button, name);
        QCOMPARE(button->iconSize(), size);
        QVERIFY2(!button->icon().pixmap(size).isNull(), name);
    }
}

} // namespace

class TestMainWindow : public QObject
{
    Q_OBJECT

private slots:
    void startsWithANewSceneOfTheDefaultLayers()
    {
        MainWindowFixture f;
        MainWindowFixture::expectDefaultLayers(f.scene());
        QVERIFY(f.asked.isEmpty());
    }

    void titleNamesTheDocumentItsStateSizeAndZoom()
    {
        MainWindowFixture f;
        QApplication::setApplicationDisplayName(QStringLiteral("Quillmere"));
        Model::Scene* scene = f.scene();
        scene->setFilename(QStringLiteral("/tmp/shots/walk.kw"));
        scene->setFrameSize(QSize(1920, 1080), KW::FitMode::FitModeIgnore, nullptr);
        scene->undoStack()->resetClean();
        f.window->actualizeTitlebar(0.5);
        QCOMPARE(f.window->windowTitle(), QStringLiteral("Quillmere: walk.kw* [1920x1080] 50%"));

        f.window->setKWScene(nullptr);
        f.window->actualizeTitlebar(0.5);
        QCOMPARE(f.window->windowTitle(), QStringLiteral("Quillmere: "));
    }

    void controlsBarIconsFollowTheUIScale()
    {
        Model::Settings* settings = Model::Settings::instance();
        settings->setUIScalePercent(100);
        {
            MainWindowFixture f;
            expectControlsBarIcons(f.window.get(), QSize(32, 32));
            settings->setUIScalePercent(125);
            expectControlsBarIcons(f.window.get(), QSize(40, 40));
        }
        // A window built at that scale starts with the scaled icons.
        MainWindowFixture f;
        expectControlsBarIcons(f.window.get(), QSize(40, 40));
        settings->setUIScalePercent(100);
    }

    void settingsReachTheirViews()
    {
        Model::Settings* settings = Model::Settings::instance();
        settings->setToolBarVisible(true);
        settings->setSlideMode(false);
        settings->setGridType(KW::GridType::Safety);
        settings->setTransparencyType(KW::TransparencyType::TransparencySmallCheckersLight);
        MainWindowFixture f;
        auto* paper = f.window->findChild<UI::Paper*>();
        auto* sheet = f.window->findChild<UI::XSheet*>();
        auto* toolBar = f.window->findChild<UI::ToolBar*>();
        QCOMPARE(paper->gridType(), KW::GridType::Safety);
        QVERIFY(!toolBar->isHidden());

        settings->setToolBarVisible(false);
        settings->setSlideMode(true);
        settings->setGridType(KW::GridType::Thirds);
        settings->setTransparencyType(KW::TransparencyType::TransparencyLargeCheckersDark);
        QVERIFY(toolBar->isHidden());
        QVERIFY(sheet->slideMode());
        QCOMPARE(paper->gridType(), KW::GridType::Thirds);
        QCOMPARE(paper->transparencyType(), KW::TransparencyType::TransparencyLargeCheckersDark);
        QCOMPARE(sheet->transparencyType(), KW::TransparencyType::TransparencyLargeCheckersDark);

        // Hiding the bar from its own handle is remembered.
        emit toolBar->toggled(true);
        QVERIFY(settings->toolBarVisible());
        QVERIFY(!toolBar->isHidden());
        settings->setSlideMode(false);
    }

    void controlsBarButtonsTriggerTheirActions_data()
    {
        QTest::addColumn<QString>("button");
        QTest::addColumn<KW::Action>("action");
        QTest::newRow("jump to start") << "toolButtonJumpToStart" << KW::Action::JumpToStart;
        QTest::newRow("step back") << "toolButtonStepBack" << KW::Action::StepBack;
        QTest::newRow("step forward") << "toolButtonStepForward" << KW::Action::StepForward;
        QTest::newRow("jump to end") << "toolButtonJumpToEnd" << KW::Action::JumpToEnd;
    }

    void controlsBarButtonsTriggerTheirActions()
    {
        QFETCH(QString, button);
        QFETCH(KW::Action, action);
        MainWindowFixture f;
        auto* b = f.window->findChild<UI::ControlsBarToolButton*>(button);
        QAction* target = Model::ActionManager::instance()->action(action);
        QCOMPARE(b->toolTip(), target->toolTip());
        QSignalSpy triggered(target, &QAction::triggered);
        QTest::mouseClick(b, Qt::LeftButton);
        QCOMPARE(triggered.size(), 1);
    }

    void playButtonTogglesPlayback()
    {
        MainWindowFixture f;
        auto* play = f.window->findChild<UI::ControlsBarToolButton*>("toolButtonPlayback");
        auto* controller = f.window->findChild<PlaybackController*>();
        QAction* playAction = Model::ActionManager::instance()->action(KW::Action::Play);
        QCOMPARE(play->toolTip(), playAction->toolTip());
        QVERIFY(!play->isCheckable());
        QSignalSpy triggered(playAction, &QAction::triggered);
        controller->setFrameRange(1, 12);
        QTest::mouseClick(play, Qt::LeftButton);
        QVERIFY(controller->isPlaying());
        QTest::mouseClick(play, Qt::LeftButton);
        QVERIFY(!controller->isPlaying());
        QVERIFY(triggered.isEmpty()); // the button drives the clock itself
    }

    void windowIconHoldsEverySize()
    {
        MainWindowFixture f;
        const QList<QSize> sizes = QGuiApplication::windowIcon().availableSizes();
        for (int side : {16, 32, 64, 128, 256, 512, 1024})
            QVERIFY2(sizes.contains(QSize(side, side)), qPrintable(QString::number(side)));
    }
};

QUILLMERE_TEST_MAIN(TestMainWindow)
#include "tst_mainwindow.moc"
