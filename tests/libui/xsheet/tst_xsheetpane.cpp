#include "actions/ActionManager.h"
#include "settings/Settings.h"
#include "tools/ToolManager.h"
#include "xsheet/DetachedXSheet.h"
#include "xsheet/XSheetPane.h"
#include "xsheet/XSheetPaneBar.h"

#include "TestSupport.h"

#include <QAction>
#include <QScrollBar>
#include <QSignalSpy>
#include <QTableWidget>
#include <QVBoxLayout>

using Model::ActionManager;

class TestXSheetPane : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase()
    {
        TestSupport::clearSettings();
        Model::Settings::instance()->init();
        Model::ToolManager::instance()->init();
        ActionManager::instance()->init();
        qRegisterMetaType<QKeyEvent*>();
    }

    void barFollowsTheTopBarSetting()
    {
        Model::Settings::instance()->setShowXSheetTopBar(false);
        UI::XSheetPane pane;
        pane.resize(300, 200);
        pane.show();
        QVERIFY(QTest::qWaitForWindowExposed(&pane));
        QVERIFY(!pane.paneBar()->isVisible());
        Model::Settings::instance()->setShowXSheetTopBar(true);
        QVERIFY(pane.paneBar()->isVisible());
        ActionManager::instance()->action(KW::Action::XSheetTopBar)->trigger();
        QVERIFY(!pane.paneBar()->isVisible());
    }

    void narrowBarHidesTheMiddleGroup()
    {
        UI::XSheetPaneBar bar;
        const int buttons = 9;
        const int buttonWidth = bar.buttonRect(0).width();
        QVERIFY(buttonWidth > 0);
        QCOMPARE(bar.minimumWidth(), 6 * buttonWidth + 2);
        bar.resize(bar.minimumWidth() + 10, bar.height());
        for (int i : {2, 3, 4})
            QVERIFY(bar.buttonRect(i).isNull());
        QCOMPARE(bar.buttonRect(0).left(), 1);
        QCOMPARE(bar.buttonRect(buttons - 1).right(), bar.width() - 2);
        const int gap = (bar.buttonRect(1).right() + bar.buttonRect(5).left()) / 2;
        QCOMPARE(bar.buttonAt(QPointF(gap, bar.height() / 2.0)), -1);

        bar.resize(600, bar.height());
        const QRect first = bar.buttonRect(2);
        const QRect last = bar.buttonRect(4);
        QVERIFY(!first.isNull());
        QCOMPARE(last.left() - first.left(), 2 * buttonWidth);
        // Centred in the free space between the side groups (plus its small offset).
        const int freeLeft = bar.buttonRect(1).right() + 1;
        const int freeRight = bar.buttonRect(5).left();
        QVERIFY(std::abs((first.left() - freeLeft) - (freeRight - last.right() - 1)) <= 2 * 3 + 1);
        QCOMPARE(bar.buttonAt(QPointF(first.center())), 2);
        QCOMPARE(bar.buttonAt(QPointF(first.center().x(), 0)), -1);
    }

    void buttonsTriggerTheirActionsOnlyWhenReleasedOnThem()
    {
        UI::XSheetPaneBar bar;
        bar.resize(600, bar.height());
        QAction* newLayer = ActionManager::instance()->action(KW::Action::NewLayer);
        QAction* duplicate = ActionManager::instance()->action(KW::Action::DuplicateActiveLayer);
        QSignalSpy newLayerSpy(newLayer, &QAction::triggered);
        QSignalSpy duplicateSpy(duplicate, &QAction::triggered);
        const QPoint onNewLayer = bar.buttonRect(5).center();
        const QPoint onDuplicate = bar.buttonRect(6).center();

        QTest::mouseClick(&bar, Qt::LeftButton, {}, onNewLayer);
        QCOMPARE(newLayerSpy.count(), 1);
        QTest::mousePress(&bar, Qt::LeftButton, {}, onNewLayer);
        QTest::mouseRelease(&bar, Qt::LeftButton, {}, onDuplicate);
        QCOMPARE(newLayerSpy.count(), 1);
        QCOMPARE(duplicateSpy.count(), 0);

        const bool enabled = duplicate->isEnabled();
        duplicate->setEnabled(false);
        QTest::mouseClick(&bar, Qt::LeftButton, {}, onDuplicate);
        QCOMPARE(duplicateSpy.count(), 0);
        duplicate->setEnabled(enabled);
    }

    void paneDetachesAndDocksBackWithTheSheetsState()
    {
        QWidget mainWindow;
        auto* mainLayout = new QVBoxLayout(&mainWindow);
        auto* pane = new UI::XSheetPane(&mainWindow);
        auto* sheet = new QTableWidget(200, 6);
        pane->setXSheet(sheet);
        mainLayout->addWidget(pane);
        mainWindow.resize(400, 300);
        mainWindow.show();
        QVERIFY(QTest::qWaitForWindowExposed(&mainWindow));
        sheet->setCurrentCell(150, 3);
        sheet->verticalScrollBar()->setValue(120);
        const int scroll = sheet->verticalScrollBar()->value();

        UI::DetachedXSheet detached(&mainWindow);
        QCOMPARE(detached.windowTitle(), QString("X-Sheet"));
        QVERIFY(detached.windowFlags() & Qt::Tool);
        QSignalSpy hidden(&detached, &UI::DetachedXSheet::hidden);
        QSignalSpy keys(&detached, &UI::DetachedXSheet::keyPressed);
        detached.layout()->addWidget(pane);
        detached.resize(300, 500);
        detached.show();
        QVERIFY(QTest::qWaitForWindowExposed(&detached));
        QCOMPARE(pane->window(), &detached);
        QCOMPARE(sheet->currentRow(), 150);
        QCOMPARE(sheet->currentColumn(), 3);
        QTest::keyClick(&detached, Qt::Key_Period);
        QCOMPARE(keys.count(), 1);

        const QByteArray shown = detached.savedGeometry();
        detached.close();
        QVERIFY(!detached.isVisible());
        QCOMPARE(hidden.count(), 1);
        QCOMPARE(detached.savedGeometry(), shown);

        mainLayout->addWidget(pane);
        QCOMPARE(pane->window(), &mainWindow);
        QCOMPARE(pane->xSheet(), sheet);
        QCOMPARE(sheet->currentRow(), 150);
        QCOMPARE(sheet->verticalScrollBar()->value(), scroll);

        const QByteArray stored = detached.savedGeometry();
        detached.setSavedGeometry(QByteArray("elsewhere"));
        QCOMPARE(detached.savedGeometry(), QByteArray("elsewhere"));
        detached.setSavedGeometry(stored);
    }
};

QUILLMERE_TEST_MAIN(TestXSheetPane)
#include "tst_xsheetpane.moc"
