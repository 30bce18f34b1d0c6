#include "dialogs/Preferences.h"

#include "actions/ActionManager.h"
#include "settings/Settings.h"
#include "tools/ToolManager.h"

#include "TestSupport.h"

#include <QAction>
#include <QCheckBox>
#include <QDialogButtonBox>
#include <QLabel>
#include <QPushButton>
#include <QRadioButton>

using Model::ActionManager;
using Model::Settings;

class TestPreferences : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase()
    {
        TestSupport::clearSettings();
        Settings::instance()->init();
        Model::ToolManager::instance()->init();
        ActionManager::instance()->init();
    }

    void everyRowMirrorsItsAction()
    {
        UI::Preferences page;
        const QStringList keys = {"FaintCursor", "FreelyDrawOnClones", "ClonesLockedForDrawing",
                                  "TransparencyShownAsWhite", "TransparencyShownAsLargeCheckersDark",
                                  "CollapseVectorDataAutomatically", "XSheetLeftSide", "XSheetRightSide",
                                  "XSheetTopBar", "AutoSave", "AutoSaveInterval60Min", "AutoSaveFiles9",
                                  "ToolBarLeftSide", "UIScale75", "UIScale150"};
        for (const QString& key : keys) {
            QAction* action = ActionManager::instance()->action(key);
            QVERIFY2(action, qPrintable(key));
            auto* button = page.findChild<QAbstractButton*>(key);
            QVERIFY2(button, qPrintable(key));
            QCOMPARE(button->text(), action->text());
            QCOMPARE(button->isChecked(), action->isChecked());
            QCOMPARE(bool(qobject_cast<QRadioButton*>(button)), action->actionGroup() != nullptr);
        }
        QCOMPARE(page.size(), QSize(550, 500));
        QCOMPARE(page.windowTitle(), QString("Settings"));
    }

    void clicksTriggerTheActionAndMenusMoveTheButtons()
    {
        UI::Preferences page;
        auto* scale125 = page.findChild<QRadioButton*>("UIScale125");
        auto* scale100 = page.findChild<QRadioButton*>("UIScale100");
        scale125->click();
        QCOMPARE(Settings::instance()->UIScaleFraction(), 1.25f);
        QVERIFY(ActionManager::instance()->action(KW::Action::UIScale125)->isChecked());
        ActionManager::instance()->action(KW::Action::UIScale100)->trigger();
        QVERIFY(scale100->isChecked());
        QVERIFY(!scale125->isChecked());

        auto* autoSave = page.findChild<QCheckBox*>("AutoSave");
        const bool before = Settings::instance()->autoSaveEnabled();
        autoSave->click();
        QCOMPARE(Settings::instance()->autoSaveEnabled(), !before);
        Settings::instance()->setAutoSaveEnabled(before);
        QCOMPARE(autoSave->isChecked(), before);
    }

    void restoreDefaultsRestoresEveryBoundOption()
    {
        UI::Preferences page;
        Settings* s = Settings::instance();
        s->setDrawCursorOpacity(KW::DrawCursorOpacity::Opaque);
        s->setClonesLockedForDrawing(true);
        s->setTransparencyType(KW::TransparencyType::TransparencyBlack);
        s->setCollapseAutomatically(true);
        ActionManager::instance()->action(KW::Action::XSheetRightSide)->trigger();
        s->setShowXSheetTopBar(true);
        s->setAutoSaveEnabled(true);
        s->setAutoSaveIntervalMins(60);
        s->setAutoSaveNumFiles(9);
        s->setToolBarPosition(KW::ToolBarPosition::Left);
        s->setUIScalePercent(150);
        QVERIFY(page.findChild<QRadioButton*>("UIScale150")->isChecked());
        QVERIFY(page.findChild<QRadioButton*>("XSheetRightSide")->isChecked());

        auto* box = page.findChild<QDialogButtonBox*>("buttonBox");
        box->button(QDialogButtonBox::RestoreDefaults)->click();

        QCOMPARE(s->drawCursorOpacity(), Settings::defaultDrawCursorOpacity);
        QCOMPARE(s->clonesLockedForDrawing(), Settings::defaultClonesLockedForDrawing);
        QCOMPARE(s->transparencyType(), Settings::defaultTransparencyType);
        QCOMPARE(s->collapseAutomatically(), Settings::defaultCollapseAutomatically);
        QCOMPARE(s->showXSheetTopBar(), Settings::defaultShowXSheetTopBar);
        QCOMPARE(s->autoSaveEnabled(), Settings::defaultAutoSaveEnabled);
        QCOMPARE(s->autoSaveIntervalMins(), Settings::defaultAutoSaveIntervalMins);
        QCOMPARE(s->autoSaveNumFiles(), Settings::defaultAutoSaveNumFiles);
        QCOMPARE(s->toolBarPosition(), Settings::defaultToolBarPosition);
        QCOMPARE(s->UIScaleFraction(), 1.0f);
        for (const char* key : {"FreelyDrawOnClones", "TransparencyShownAsWhite", "XSheetLeftSide",
                                "AutoSaveInterval15Min", "AutoSaveFiles3", "ToolBarRightSide", "UIScale100"})
            QVERIFY2(page.findChild<QRadioButton*>(key)->isChecked(), key);
        for (const char* key : {"CollapseVectorDataAutomatically", "XSheetTopBar", "AutoSave"})
            QVERIFY2(!page.findChild<QCheckBox*>(key)->isChecked(), key);
    }

    void shadowsSitAboveTheButtonBar()
    {
        UI::Preferences page;
        page.show();
        QVERIFY(QTest::qWaitForWindowExposed(&page));
        const QImage shot = page.grab().toImage();
        const QColor plain(0x64, 0x60, 0x5C);
        const int barTop = page.height() - 47;
        // Just above the bar the shadow is darkest; well above it, none.
        QVERIFY(shot.pixelColor(2, barTop - 1).lightness() < plain.lightness());
        QCOMPARE(shot.pixelColor(2, barTop - 40), plain);
        QVERIFY(shot.pixelColor(2, 1).lightness() < plain.lightness());
    }
};

QUILLMERE_TEST_MAIN(TestPreferences)
#include "tst_preferences.moc"
