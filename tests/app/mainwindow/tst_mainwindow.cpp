#include "MainWindowFixture.h"

#include "TestSupport.h"

#include "canvas/ControlsBarToolButton.h"
#include "actions/ActionManager.h"
#include "canvas/Paper.h"
#include "playback/PlaybackController.h"
#include "panels/ToolBar.h"
#include "xsheet/XSheet.h"
#include "xsheet/XSheetHeader.h"
#include "scene/Layer.h"
#include "settings/Settings.h"

#include <QAction>
#include <QApplication>
#include <QClipboard>
#include <QFontMetrics>
#include <QLabel>
#include <QSignalSpy>
#include <QUndoStack>

#include <functional>

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

// Runs a check when it is deleted along with its parent.
class DeathWatch : public QObject
{
public:
    DeathWatch(QObject* parent, std::function<void()> check)
        : QObject(parent)
        , m_check(std::move(check))
    {
    }
    ~DeathWatch() override { m_check(); }

private:
    std::function<void()> m_check;
};

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

    void frameNumberLabelFollowsTheUIScale_data()
    {
        QTest::addColumn<int>("percent");
        QTest::addColumn<int>("points");
        QTest::newRow("75 %") << 75 << 15;
        QTest::newRow("125 %") << 125 << 26;
        QTest::newRow("150 %") << 150 << 31;
    }

    void frameNumberLabelFollowsTheUIScale()
    {
        QFETCH(int, percent);
        QFETCH(int, points);
        Model::Settings* settings = Model::Settings::instance();
        settings->setUIScalePercent(100);
        MainWindowFixture f;
        auto* label = f.window->findChild<QLabel*>(QStringLiteral("labelCurrentFrameNumber"));
        QVERIFY(label);
        QCOMPARE(label->font().pointSize(), 21);

        settings->setUIScalePercent(percent);
        QCOMPARE(label->font().pointSize(), points);
        QCOMPARE(label->minimumWidth(),
                 QFontMetrics(label->font()).horizontalAdvance(QStringLiteral("00000")));
        QVERIFY(label->minimumWidth() != QFontMetrics(QFont(label->font().family(), 21))
                                              .horizontalAdvance(QStringLiteral("00000")));
        settings->setUIScalePercent(100);
        QCOMPARE(label->font().pointSize(), 21);
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

    // Deleting the window's parts moves the focus and hovers and reshapes the
    // sheet's headers; by the time the parts go, nothing may be connected to
    // the window or the sheet whose own destructors have already run.
    void closingCutsSignalsBeforeThePartsGo()
    {
        QStringList stillConnected;
        {
            MainWindowFixture f;
            f.window->show();
            QVERIFY(QTest::qWaitForWindowExposed(f.window.get()));
            auto* paper = f.window->findChild<UI::Paper*>();
            paper->setFocus();
            auto* sheet = f.window->findChild<UI::XSheet*>();
            QObject* const window = f.window.get();
            UI::XSheetHeader* const header = sheet->header();
            new DeathWatch(header, [&stillConnected, window, sheet, header] {
                auto const check = [&stillConnected](QObject const* sender, QObject const* receiver,
                                                     QString const& what) {
                    if (QObject::disconnect(sender, nullptr, receiver, nullptr))
                        stillConnected << what;
                };
                check(qApp, window, QStringLiteral("application to window"));
                check(QApplication::clipboard(), window, QStringLiteral("clipboard to window"));
                check(Model::Settings::instance(), window, QStringLiteral("settings to window"));
                check(sheet, window, QStringLiteral("sheet to window"));
                check(header, sheet, QStringLiteral("header to sheet"));
            });
        }
        QCOMPARE(stillConnected, QStringList());
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
