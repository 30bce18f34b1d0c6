#include "MainWindowFixture.h"

#include "TestSupport.h"

#include "actions/ActionManager.h"
#include "application/StartupScene.h"
#include "dialogs/TutorialDialog.h"
#include "settings/Settings.h"
#include "tools/ToolManager.h"

#include <QAction>
#include <QFile>
#include <QSignalSpy>
#include <QTemporaryDir>

class TestStartup : public QObject
{
    Q_OBJECT

    QTemporaryDir m_dir;

private slots:
    void init() { TestSupport::clearSettings(); }

    void noArgumentGivesANewSceneOnceTheLoopRuns()
    {
        MainWindowFixture w(false);
        openStartupScene(w.window.get(), {QStringLiteral("quillmere")});
        QVERIFY(!w.window->quillmereScene());
        QTRY_VERIFY(w.window->quillmereScene());
        MainWindowFixture::expectDefaultLayers(w.window->quillmereScene());
        QVERIFY(w.asked.isEmpty());
    }

    void missingPathWarnsLeavesTheRecentFilesAndStartsNew()
    {
        const QString missing = m_dir.filePath(QStringLiteral("gone.kw"));
        Model::Settings::instance()->addToRecentFiles(missing);
        MainWindowFixture w(false);
        openStartupScene(w.window.get(), {QStringLiteral("quillmere"), missing});
        QTRY_VERIFY(w.window->quillmereScene());

        QCOMPARE(w.asked.size(), 1);
        QVERIFY2(w.asked[0].startsWith(QStringLiteral("Cannot read file %1:\n").arg(missing)),
                 qPrintable(w.asked[0]));
        QVERIFY(w.asked[0].endsWith(QLatin1Char('.')));
        QVERIFY(!Model::Settings::instance()->recentFiles().contains(missing));
        MainWindowFixture::expectDefaultLayers(w.window->quillmereScene());
        QVERIFY(w.window->quillmereScene()->filename().isEmpty());
    }

    void onlyTheFirstOfTwoPathsIsOpened()
    {
        const QString first = m_dir.filePath(QStringLiteral("first.kw"));
        const QString second = m_dir.filePath(QStringLiteral("second.kw"));
        const QString sample = QStringLiteral(QUILLMERE_TEST_DATA_DIR "/scenes/clones.kw");
        QVERIFY(QFile::copy(sample, first));
        QVERIFY(QFile::copy(sample, second));

        MainWindowFixture w(false);
        openStartupScene(w.window.get(), {QStringLiteral("quillmere"), first, second});
        QTRY_VERIFY(w.window->quillmereScene());
        QCOMPARE(w.window->quillmereScene()->filename(), first);
        const QStringList recent = Model::Settings::instance()->recentFiles();
        QVERIFY(recent.contains(first));
        QVERIFY(!recent.contains(second));
        QVERIFY(w.asked.isEmpty());
    }

    // The tutorials are offered once the window's event loop runs, and the
    // dialog's box decides whether they are offered next time.
    void tutorialsAreOfferedAtStartUpWhenWanted_data()
    {
        QTest::addColumn<bool>("wanted");
        QTest::newRow("wanted") << true;
        QTest::newRow("not wanted") << false;
    }
    void tutorialsAreOfferedAtStartUpWhenWanted()
    {
        QFETCH(bool, wanted);
        MainWindowFixture::startLibraries();
        Model::Settings* settings = Model::Settings::instance();
        settings->setShowVideoTutorialsOnStartup(wanted);
        int offered = 0;
        bool tickedAtOffer = false;
        {
            MainWindowFixture w(false);
            w.answer = [&](const Model::Prompter::Request& request) -> Model::Prompter::Reply {
                if (auto* dialog = qobject_cast<UI::TutorialDialog*>(request.dialog)) {
                    ++offered;
                    tickedAtOffer = dialog->isShowAtStartupChecked();
                    dialog->setShowAtStartupChecked(false);
                }
                return Model::Prompter::Reply{};
            };
            QCOMPARE(offered, 0);
            // The offer comes once the event loop runs after the window is built.
            QVERIFY(TestSupport::deliverPostedEvents());
        }
        QCOMPARE(offered, wanted ? 1 : 0);
        QCOMPARE(tickedAtOffer, wanted);
        QVERIFY(!settings->showVideoTutorialsOnStartup());
    }

    void turningThePenOverSwitchesDrawingAndErasing()
    {
        using PT = QPointingDevice::PointerType;
        MainWindowFixture w(false);
        Model::ToolManager* tools = Model::ToolManager::instance();
        tools->setCurrentTool(Model::Tool::Draw, Model::Tool::Usable);
        QSignalSpy erase(Model::ActionManager::instance()->action(KW::Action::Erase),
                         &QAction::triggered);
        QSignalSpy draw(Model::ActionManager::instance()->action(KW::Action::Draw),
                        &QAction::triggered);

        // The first pen end seen after start switches nothing.
        w.window->setTabletPointerType(PT::Pen);
        QVERIFY(erase.isEmpty());
        QVERIFY(draw.isEmpty());

        w.window->setTabletPointerType(PT::Eraser);
        QCOMPARE(erase.size(), 1);
        w.window->setTabletPointerType(PT::Eraser); // no change, no switch
        QCOMPARE(erase.size(), 1);
        w.window->setTabletPointerType(PT::Pen);
        QCOMPARE(draw.size(), 1);

        // With a non-drawing tool only the next drawing tool is chosen.
        tools->setCurrentTool(Model::Tool::Hand, Model::Tool::Usable);
        w.window->setTabletPointerType(PT::Eraser);
        QCOMPARE(erase.size(), 1);
        QCOMPARE(tools->currentToolType(), Model::Tool::Hand);
        QCOMPARE(tools->lastDrawingToolType(), Model::Tool::Erase);
        w.window->setTabletPointerType(PT::Pen);
        QCOMPARE(draw.size(), 1);
        QCOMPARE(tools->lastDrawingToolType(), Model::Tool::Draw);
    }
};

QUILLMERE_TEST_MAIN(TestStartup)
#include "tst_startup.moc"
