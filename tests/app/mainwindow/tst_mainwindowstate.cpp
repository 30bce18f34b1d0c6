#include "MainWindowFixture.h"

#include "TestSupport.h"

#include "actions/ActionManager.h"
#include "canvas/Paper.h"
#include "settings/Settings.h"
#include "xsheet/DetachedXSheet.h"
#include "xsheet/XSheetPane.h"

#include <QAction>
#include <QMenuBar>
#include <QScreen>
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

    // With no geometry of its own to restore the detached sheet opens beside
    // the canvas: as wide as it stood docked, as high as the work area under
    // the menus, outside the main window where the screen has room, else
    // over the work area's edge.
    void detachedXSheetOpensBesideTheCanvas_data()
    {
        QTest::addColumn<QRect>("placed"); // the main window; null: as at first start
        QTest::addColumn<bool>("onLeft");
        QTest::addColumn<QByteArray>("stored");
        QTest::addColumn<bool>("outside");
        const QRect small(400, 200, 1000, 700);
        QTest::newRow("first start, left") << QRect() << true << QByteArray() << false;
        QTest::newRow("first start, right") << QRect() << false << QByteArray() << false;
        QTest::newRow("small window, left") << small << true << QByteArray() << true;
        QTest::newRow("small window, right") << small << false << QByteArray() << true;
        QTest::newRow("near the screen's edge, right")
            << QRect(900, 200, 1000, 700) << false << QByteArray() << false;
        QTest::newRow("stored geometry that cannot be restored")
            << small << false << QByteArray("not a geometry") << true;
    }

    void detachedXSheetOpensBesideTheCanvas()
    {
        QFETCH(QRect, placed);
        QFETCH(bool, onLeft);
        QFETCH(QByteArray, stored);
        QFETCH(bool, outside);
        Model::Settings::instance()->setMainWindowSettings({}, onLeft, false, true, 0);
        Model::Settings::instance()->setXSheetWindowSettings(stored);
        MainWindowFixture f;
        if (!placed.isNull())
            f.window->setGeometry(placed);
        auto* paper = f.window->findChild<UI::Paper*>();
        paper->setZoomLevel(2.0);
        f.window->show();
        QVERIFY(QTest::qWaitForWindowExposed(f.window.get()));
        if (!placed.isNull())
            QTRY_COMPARE(f.window->geometry(), placed);
        // The first show has placed the sheet once it reset the zoom.
        QTRY_COMPARE(paper->zoomLevel(), 1.0);
        auto* pane = f.window->findChild<UI::XSheetPane*>();
        QSplitter* s = splitter(f.window.get());
        const int docked = s->sizes().at(s->indexOf(pane));
        QVERIFY(docked > 0);

        action(KW::Action::XSheetDetachSeparateWindow)->trigger();
        auto* sheet = f.window->findChild<UI::DetachedXSheet*>();
        QTRY_VERIFY(sheet->isVisible());
        QWidget* central = f.window->centralWidget();
        const QRect work(central->mapToGlobal(QPoint(0, 0)), central->size());
        const QRect screen = f.window->screen()->availableGeometry();
        const QRect menus(f.window->menuBar()->mapToGlobal(QPoint(0, 0)),
                          f.window->menuBar()->size());
        const QRect frame = sheet->frameGeometry();
        QCOMPARE(sheet->width(), docked);
        QCOMPARE(frame.top(), work.top());
        QCOMPARE(frame.height(), work.height());
        QVERIFY(!frame.intersects(menus));
        QVERIFY(screen.contains(frame));
        if (outside && onLeft)
            QCOMPARE(frame.right() + 1, work.left());
        else if (outside)
            QCOMPARE(frame.left(), work.right() + 1);
        else if (onLeft)
            QCOMPARE(frame.left(), screen.left());
        else
            QCOMPARE(frame.right(), screen.right());
        QCOMPARE(pane->window(), sheet);
    }
};

QUILLMERE_TEST_MAIN(TestMainWindowState)
#include "tst_mainwindowstate.moc"
