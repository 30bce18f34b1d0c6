#include "MainWindowFixture.h"

#include "TestSupport.h"

#include "actions/ActionManager.h"
#include "canvas/Paper.h"
#include "settings/Settings.h"
#include "xsheet/DetachedXSheet.h"
#include "xsheet/XSheetPane.h"

#include <QAction>
#include <QSignalSpy>
#include <QSplitter>
#include <QUndoCommand>
#include <QUndoStack>

namespace {

QAction* action(KW::Action id)
{
    return Model::ActionManager::instance()->action(id);
}

QSplitter* splitter(MainWindow* window)
{
    return window->findChild<QSplitter*>(QStringLiteral("splitter"));
}

} // namespace

class TestMainWindowState : public QObject
{
    Q_OBJECT

private slots:
    void init() { TestSupport::clearSettings(); }

    void onlyTheFirstShowResetsTheZoom()
    {
        MainWindowFixture f;
        auto* paper = f.window->findChild<UI::Paper*>();
        paper->setZoomLevel(2.0);
        f.window->show();
        QVERIFY(QTest::qWaitForWindowExposed(f.window.get()));
        QTRY_COMPARE(paper->zoomLevel(), 1.0);

        paper->setZoomLevel(2.0);
        f.window->showMinimized();
        f.window->showNormal();
        QVERIFY(QTest::qWaitForWindowExposed(f.window.get()));
        QVERIFY(TestSupport::deliverPostedEvents());
        QCOMPARE(paper->zoomLevel(), 2.0);
    }

    void cancelInTheSaveQuestionKeepsWindowAndHistory()
    {
        MainWindowFixture f;
        f.window->show();
        QVERIFY(QTest::qWaitForWindowExposed(f.window.get()));
        Model::Scene* scene = f.scene();
        scene->undoStack()->push(new QUndoCommand(QStringLiteral("edit")));
        scene->undoStack()->push(new QUndoCommand(QStringLiteral("another edit")));
        QMessageBox::StandardButtons offered;
        f.answer = [&offered](const Model::Prompter::Request& request) {
            offered = request.buttons;
            return Model::Prompter::Reply{QMessageBox::Cancel};
        };

        QVERIFY(!f.window->close());
        QCOMPARE(f.asked, QStringList{QStringLiteral("\"%1\" has been modified.\n\nSave the scene?")
                                          .arg(scene->name())});
        QCOMPARE(offered, QMessageBox::Save | QMessageBox::Discard | QMessageBox::Cancel);
        QVERIFY(f.window->isVisible());
        QCOMPARE(f.scene(), scene);
        QCOMPARE(scene->undoStack()->count(), 2);
        QCOMPARE(scene->undoStack()->index(), 2);
        QVERIFY(!scene->undoStack()->isClean());
    }

    void closingAFinishedSceneSavesTheLayoutAndDropsTheScene()
    {
        MainWindowFixture f;
        f.window->show();
        QVERIFY(QTest::qWaitForWindowExposed(f.window.get()));
        QVERIFY(f.window->close());
        QVERIFY(!f.window->quillmereScene());
        QVERIFY(f.asked.isEmpty());

        QVariant geometry;
        bool onLeft = false, detached = true, visible = false;
        int width = -1;
        Model::Settings::instance()->mainWindowSettings(geometry, onLeft, detached, visible, width);
        QVERIFY(!geometry.toByteArray().isEmpty());
        QVERIFY(onLeft);
        QVERIFY(!detached);
        QVERIFY(visible);
    }

    void geometryAndLayoutComeBackAfterARestart()
    {
        // The first run leaves the sheet on the right, 300 pixels wide.
        Model::Settings::instance()->setMainWindowSettings({}, false, false, true, 300);
        const QRect placed(120, 90, 1400, 820);
        {
            MainWindowFixture first;
            first.window->setGeometry(placed);
            first.window->show();
            QVERIFY(QTest::qWaitForWindowExposed(first.window.get()));
            QTRY_COMPARE(first.window->geometry(), placed);
            QVERIFY(first.window->close());
        }

        MainWindowFixture second;
        QCOMPARE(second.window->geometry(), placed);
        second.window->show();
        QVERIFY(QTest::qWaitForWindowExposed(second.window.get()));
        QSplitter* s = splitter(second.window.get());
        auto* pane = second.window->findChild<UI::XSheetPane*>();
        QVERIFY(pane);
        QCOMPARE(s->indexOf(pane), 1);
        QTRY_COMPARE(s->sizes().at(1), 300);
        QVERIFY(action(KW::Action::XSheetShow)->isChecked());
        QVERIFY(!action(KW::Action::XSheetDetachSeparateWindow)->isChecked());
    }

    void storedLayoutIsRestored_data()
    {
        QTest::addColumn<bool>("onLeft");
        QTest::addColumn<bool>("detached");
        QTest::addColumn<bool>("visible");
        QTest::newRow("left, shown") << true << false << true;
        QTest::newRow("right, shown") << false << false << true;
        QTest::newRow("right, hidden") << false << false << false;
        QTest::newRow("left, hidden") << true << false << false;
        QTest::newRow("detached") << true << true << true;
        QTest::newRow("detached, hidden") << false << true << false;
    }

    void storedLayoutIsRestored()
    {
        QFETCH(bool, onLeft);
        QFETCH(bool, detached);
        QFETCH(bool, visible);
        const int storedWidth = 280;
        Model::Settings::instance()->setMainWindowSettings({}, onLeft, detached, visible,
                                                           storedWidth);
        for (KW::Action side : {KW::Action::XSheetLeftSide, KW::Action::XSheetRightSide})
            action(side)->setChecked(false);

        QSignalSpy showToggled(action(KW::Action::XSheetShow), &QAction::toggled);
        QSignalSpy detachToggled(action(KW::Action::XSheetDetachSeparateWindow), &QAction::toggled);
        MainWindowFixture f;
        auto* pane = f.window->findChild<UI::XSheetPane*>();
        QSplitter* s = splitter(f.window.get());
        QCOMPARE(s->indexOf(pane), onLeft ? 0 : 1);
        QCOMPARE(action(KW::Action::XSheetShow)->isChecked(), visible);
        QCOMPARE(action(KW::Action::XSheetDetachSeparateWindow)->isChecked(), detached);
        // Restoring is not a user's choice: nothing reacts to it.
        QVERIFY(showToggled.isEmpty());
        QVERIFY(detachToggled.isEmpty());

        // What the user sees once the window is on screen.
        f.window->show();
        QVERIFY(QTest::qWaitForWindowExposed(f.window.get()));
        auto* detachedWindow = f.window->findChild<UI::DetachedXSheet*>();
        QVERIFY(detachedWindow);
        QTRY_COMPARE(action(KW::Action::XSheetLeftSide)->isChecked(), onLeft);
        QCOMPARE(action(KW::Action::XSheetRightSide)->isChecked(), !onLeft);
        QCOMPARE(action(KW::Action::XSheetShow)->isChecked(), visible);
        if (detached) {
            QCOMPARE(pane->window(), detachedWindow);
            QCOMPARE(s->indexOf(pane), -1);
            QTRY_COMPARE(detachedWindow->isVisible(), visible);
            if (visible)
                QVERIFY(pane->isVisible());
        } else {
            QCOMPARE(pane->window(), f.window.get());
            QVERIFY(!detachedWindow->isVisible());
            const int index = s->indexOf(pane);
            QCOMPARE(index, onLeft ? 0 : s->count() - 1);
            QCOMPARE(s->sizes().at(index), visible ? storedWidth : 0);
        }
    }
};

QUILLMERE_TEST_MAIN(TestMainWindowState)
#include "tst_mainwindowstate.moc"
