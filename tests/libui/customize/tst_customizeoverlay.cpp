#include "TestSupport.h"

#include "DragDriver.h"

#include "actions/ActionManager.h"
#include "customize/ActionsList.h"
#include "customize/ActionsListItemDelegate.h"
#include "customize/CustomizeOverlay.h"
#include "customize/CustomizeSpeedDial.h"
#include "customize/CustomizeToolBar.h"
#include "customize/DraggableSpacer.h"
#include "customize/RecycleBin.h"
#include "panels/SpeedDial.h"
#include "panels/ToolBar.h"
#include "settings/Settings.h"
#include "startup/Init.h"
#include "startup/UIInit.h"

#include <QAction>
#include <QDialogButtonBox>
#include <QLabel>
#include <QPushButton>
#include <QScrollBar>
#include <QSettings>
#include <QSignalSpy>

using Model::Settings;
using UI::CustomizeOverlay;
using DragDriver::Hop;

namespace {

const QString defaultSaved = QStringLiteral(
    "NewToolBarColumn|Draw|Erase|Spacer|BacklightOnOff|Spacer|Pan|Zoom|Rotate|Spacer|"
    "AddBlankDrawing|ClearDrawingMakingBlank|DiscardDrawing|NewToolBarColumn");

QString storedToolBar()
{
    return QSettings().value(QStringLiteral("Preferences/ToolBar/ActionList")).toString();
}

void press(QDialogButtonBox* box, QDialogButtonBox::StandardButton which)
{
    box->button(which)->click();
}

QListWidgetItem* itemNamed(UI::ActionsList* list, const QString& name)
{
    for (int i = 0; i < list->count(); ++i)
        if (list->item(i)->data(UI::ActionsList::NameRole).toString() == name)
            return list->item(i);
    return nullptr;
}

} // namespace

class TestCustomizeOverlay : public QObject
{
    Q_OBJECT

    QWidget window;
    CustomizeOverlay* overlay = nullptr;

private slots:
    void initTestCase()
    {
        Model::init();
        UI::init();
        window.resize(1100, 800);
        overlay = new CustomizeOverlay(&window);
        overlay->hide();
        overlay->init();
        overlay->resize(window.size());
        window.show();
        QVERIFY(QTest::qWaitForWindowExposed(&window));
    }

    void init()
    {
        Settings* settings = Settings::instance();
        settings->setToolBarSettings(Settings::defaultToolBarSettings);
        settings->setPrimarySpeedDialSettings(Settings::defaultPrimarySpeedDialSettings);
        settings->setSecondarySpeedDialSettings(Settings::defaultSecondarySpeedDialSettings);
        overlay->hide();
    }

    // The title is set in the display font the program ships, whatever the
    // machine has installed.
    void titleUsesTheShippedDisplayFont()
    {
        auto* title = overlay->findChild<QLabel*>(QStringLiteral("titleLabel"));
        QVERIFY(title);
        QCOMPARE(QFontInfo(title->font()).family(), QStringLiteral("Passion One"));
    }

    void okOnTheDefaultToolBarStoresTwoBreaks()
    {
        QSignalSpy toolBar(overlay, &CustomizeOverlay::toolBarUpdated);
        QSignalSpy dials(overlay, &CustomizeOverlay::speedDialsUpdated);
        overlay->showToolBar();
        QVERIFY(overlay->isVisible());
        QCOMPARE(overlay->titleLabel()->text(), QStringLiteral("CUSTOMIZE TOOL BAR"));
        press(overlay->buttonBox(), QDialogButtonBox::Ok);
        QVERIFY(!overlay->isVisible());
        QCOMPARE(storedToolBar(), defaultSaved);
        QCOMPARE(toolBar.count(), 1);
        QCOMPARE(dials.count(), 0);
    }

    // Drops through synthetic drag events, then OK: the live bar follows.
    void liveToolBarFollowsAcceptedEdits()
    {
        UI::ToolBar live(&window);
        connect(overlay, &CustomizeOverlay::toolBarUpdated, &live,
                [&live] { live.restoreSettings(Settings::instance()->toolBarSettings()); });
        Settings::instance()->setToolBarSettings(QStringLiteral("Draw|Erase"));
        overlay->showToolBar();
        UI::CustomizeToolBar* editor = overlay->toolBar();
        QCOMPARE(editor->saveSettings(), QStringLiteral("NewToolBarColumn|Draw|Erase|NewToolBarColumn"));

        // From the list: a copy into the empty left column.
        UI::ActionsList* list = overlay->actionsList();
        std::unique_ptr<QMimeData> data(list->dragData(itemNamed(list, QStringLiteral("Zoom"))));
        QVERIFY(data);
        QCOMPARE(DragDriver::deliver(data.get(), Qt::CopyAction, {{editor, QPoint(28, 248)}}),
                 Qt::CopyAction);
        // A spacer from the draggable spacer into the right column.
        {
            DragDriver::Runner runner({{editor, QPoint(112, 248)}});
            DragDriver::pressAndDrag(overlay->draggableSpacer(), QPoint(36, 36));
            QCOMPARE(runner.offered, Qt::DropActions(Qt::CopyAction));
            QCOMPARE(runner.name, QStringLiteral("Spacer"));
        }
        // Erase out onto the bin.
        {
            DragDriver::Runner runner({{overlay->recycleBin(), QPoint(100, 100)}});
            DragDriver::pressAndDrag(editor, QPoint(70, 268));
        }
        QCOMPARE(editor->saveSettings(),
                 QStringLiteral("Zoom|NewToolBarColumn|Draw|NewToolBarColumn|Spacer"));
        press(overlay->buttonBox(), QDialogButtonBox::Ok);
        QCOMPARE(storedToolBar(), QStringLiteral("Zoom|NewToolBarColumn|Draw|NewToolBarColumn|Spacer"));
        QCOMPARE(live.columns().size(), 3);
        QCOMPARE(live.columns().at(0).at(0)->property("KWActionName").toString(),
                 QStringLiteral("Zoom"));
        QCOMPARE(live.columns().at(2).at(0), nullptr);
    }

    void cancelEscapeAndReopenDiscardEdits()
    {
        overlay->showToolBar();
        overlay->toolBar()->restoreSettings(QStringLiteral("Pan"));
        press(overlay->buttonBox(), QDialogButtonBox::Cancel);
        QVERIFY(!overlay->isVisible());
        QCOMPARE(Settings::instance()->toolBarSettings(), Settings::defaultToolBarSettings);
        overlay->showToolBar();
        QCOMPARE(overlay->toolBar()->saveSettings(), defaultSaved);

        // Restore Defaults then Escape: nothing stored.
        Settings::instance()->setToolBarSettings(QStringLiteral("Pan"));
        overlay->showToolBar();
        press(overlay->buttonBox(), QDialogButtonBox::RestoreDefaults);
        QVERIFY(overlay->isVisible());
        QCOMPARE(overlay->toolBar()->saveSettings(), defaultSaved);
        QTest::keyRelease(overlay, Qt::Key_Escape);
        QVERIFY(!overlay->isVisible());
        QCOMPARE(Settings::instance()->toolBarSettings(), QStringLiteral("Pan"));
    }

    void speedDialPage()
    {
        overlay->showToolBar();
        QVERIFY(overlay->draggableSpacer()->isVisible());
        overlay->showSpeedDials();
        QCOMPARE(overlay->currentPage(), 1);
        QCOMPARE(overlay->titleLabel()->text(), QStringLiteral("CUSTOMIZE SPEED DIALS"));
        QCOMPARE(overlay->dragDescriptionLabel()->text(),
                 QStringLiteral("Drag icon from list, drop at preferred spot on Speed Dial"));
        QVERIFY(!overlay->draggableSpacer()->isVisible());
        QVERIFY(!overlay->spacerDescriptionLabel()->isVisible());

        UI::CustomizeSpeedDial* primary = overlay->primarySpeedDial();
        UI::CustomizeSpeedDial* secondary = overlay->secondarySpeedDial();
        QCOMPARE(primary->saveSettings(), Settings::defaultPrimarySpeedDialSettings);
        // Slot 0 of the primary dial moves to slot 1 of the secondary.
        {
            DragDriver::Runner runner({{secondary, secondary->slotIconCentre(1).toPoint()}});
            DragDriver::pressAndDrag(primary, primary->slotIconCentre(0).toPoint());
        }
        QSignalSpy toolBar(overlay, &CustomizeOverlay::toolBarUpdated);
        QSignalSpy dials(overlay, &CustomizeOverlay::speedDialsUpdated);
        UI::SpeedDial live;
        connect(overlay, &CustomizeOverlay::speedDialsUpdated, &live,
                [&live] { live.restoreSettings(Settings::instance()->secondarySpeedDialSettings()); });
        Settings::instance()->setToolBarSettings(QStringLiteral("Pan"));
        press(overlay->buttonBox(), QDialogButtonBox::Ok);
        QCOMPARE(dials.count(), 1);
        QCOMPARE(toolBar.count(), 0);
        QCOMPARE(Settings::instance()->primarySpeedDialSettings(),
                 QStringLiteral("|Cutter|Erase|FitPaperToView|BacklightOnOff|ResetView|Draw|Lasso"));
        QCOMPARE(Settings::instance()->secondarySpeedDialSettings().section(QLatin1Char('|'), 1, 1),
                 QStringLiteral("Play"));
        QCOMPARE(live.saveSettings(), Settings::instance()->secondarySpeedDialSettings());
        QCOMPARE(Settings::instance()->toolBarSettings(), QStringLiteral("Pan"));

        overlay->showSpeedDials();
        press(overlay->buttonBox(), QDialogButtonBox::RestoreDefaults);
        QCOMPARE(primary->saveSettings(), Settings::defaultPrimarySpeedDialSettings);
        QCOMPARE(secondary->saveSettings(), Settings::defaultSecondarySpeedDialSettings);
        overlay->reject();
        QCOMPARE(Settings::instance()->primarySpeedDialSettings().section(QLatin1Char('|'), 0, 0),
                 QString());
    }

    void actionListContent()
    {
        UI::ActionsList* list = overlay->actionsList();
        QStringList headers;
        int dividers = 0;
        for (int i = 0; i < list->count(); ++i) {
            const QModelIndex index = list->model()->index(i, 0);
            if (UI::ActionsListItemDelegate::isSectionHeader(index))
                headers += index.data().toString();
            else if (UI::ActionsListItemDelegate::isDivider(index))
                ++dividers;
        }
        QCOMPARE(headers, (QStringList{"DRAWING", "FLIP & PLAY", "LIGHT TABLE (VIEW)", "X-SHEET",
                                       "EDIT", "PICK UP (SELECTION)", "PAINT"}));
        QCOMPARE(dividers, 3 + 2 + 7 + 4 + 4);
        QVERIFY(list->item(0)->flags() == Qt::NoItemFlags);
        QVERIFY(list->item(list->count() - 1)->flags() == Qt::NoItemFlags);
        QListWidgetItem* draw = itemNamed(list, QStringLiteral("Draw"));
        QVERIFY(draw);
        QVERIFY(!draw->text().contains(QLatin1Char('&')));
        QCOMPARE(draw->text(), Model::ActionManager::instance()
                                   ->action(KW::Action::Draw)
                                   ->iconText()
                                   .remove(QLatin1Char('&')));
        QCOMPARE(draw->icon().availableSizes().value(0), QSize(36, 36));
        // Headers and dividers cannot be dragged; actions carry their name only.
        QVERIFY(!(list->item(1)->flags() & Qt::ItemIsDragEnabled));
        QCOMPARE(list->dragData(list->item(1)), nullptr);
        std::unique_ptr<QMimeData> data(list->dragData(draw));
        QCOMPARE(data->data(UI::ActionDrag::mimeType), QByteArray("Draw"));
        QVERIFY(!data->hasText());
        QVERIFY(list->verticalScrollBar()->property("ActionsList ScrollBar").toBool());

        // Nothing can be dropped on the list, and the bin refuses copies.
        QCOMPARE(DragDriver::deliver(data.get(), Qt::CopyAction | Qt::MoveAction,
                                     {{list->viewport(), QPoint(20, 20)}}),
                 Qt::IgnoreAction);
        QCOMPARE(DragDriver::deliver(data.get(), Qt::CopyAction,
                                     {{overlay->recycleBin(), QPoint(100, 100)}}),
                 Qt::IgnoreAction);
    }

    void dragFromTheListOffersACopy()
    {
        overlay->showToolBar();
        UI::ActionsList* list = overlay->actionsList();
        QListWidgetItem* zoom = itemNamed(list, QStringLiteral("Zoom"));
        list->scrollToItem(zoom);
        const QPoint at = list->visualItemRect(zoom).center();
        DragDriver::Runner runner({{overlay->toolBar(), QPoint(28, 248)}});
        QTest::mousePress(list->viewport(), Qt::LeftButton, {}, at);
        // The view takes one move to enter its dragging state, the next one
        // to start.
        const QPoint to = at + QPoint(0, QApplication::startDragDistance() + 2);
        for (int i = 0; i < 2; ++i) {
            QMouseEvent move(QEvent::MouseMove, to, list->viewport()->mapToGlobal(to),
                             Qt::NoButton, Qt::LeftButton, Qt::NoModifier);
            QApplication::sendEvent(list->viewport(), &move);
        }
        QTest::mouseRelease(list->viewport(), Qt::LeftButton, {}, to);
        QCOMPARE(runner.count, 1);
        QCOMPARE(runner.offered, Qt::DropActions(Qt::CopyAction));
        QCOMPARE(runner.name, QStringLiteral("Zoom"));
        QCOMPARE(runner.text, QString());
        QCOMPARE(runner.hotSpot, QPoint(16, 16));
        QCOMPARE(overlay->toolBar()->columns().at(0).size(), 1);
        overlay->reject();
    }

    void shadowsFollowTheSize()
    {
        overlay->showToolBar();
        overlay->resize(1000, 700);
        QCOMPARE(overlay->bottomShadowRect(), QRectF(0, 700 - 47 - 32, 1000, 32));
        overlay->resize(window.size());
        QCOMPARE(overlay->bottomShadowRect().bottom(), window.height() - 47.0);
    }

    void spacerStartsNoDragForASmallMove()
    {
        UI::DraggableSpacer* spacer = overlay->draggableSpacer();
        QCOMPARE(spacer->size(), QSize(72, 72));
        DragDriver::Runner runner({{nullptr, QPoint()}});
        QMouseEvent pressEvent(QEvent::MouseButtonPress, QPointF(30, 30), QPointF(30, 30),
                               Qt::LeftButton, Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(spacer, &pressEvent);
        const QPointF near(30 + QApplication::startDragDistance() - 1, 30);
        QMouseEvent move(QEvent::MouseMove, near, near, Qt::NoButton, Qt::LeftButton,
                         Qt::NoModifier);
        QApplication::sendEvent(spacer, &move);
        QCOMPARE(runner.count, 0);
        DragDriver::pressAndDrag(spacer, QPoint(30, 30));
        DragDriver::pressAndDrag(spacer, QPoint(30, 30));
        QCOMPARE(runner.count, 2);
        QCOMPARE(runner.text, QStringLiteral("Spacer"));
        QCOMPARE(runner.hotSpot, QPoint(16, 8));
    }
};

QUILLMERE_TEST_MAIN(TestCustomizeOverlay)
#include "tst_customizeoverlay.moc"
