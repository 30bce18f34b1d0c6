#include "TestSupport.h"

#include "actions/ActionManager.h"
#include "settings/BacklightSettings.h"
#include "settings/KW.h"
#include "settings/Settings.h"
#include "tools/DrawingTool.h"
#include "tools/EraserTool.h"
#include "tools/PenTool.h"
#include "tools/ToolManager.h"

#include <QAction>
#include <QActionGroup>
#include <QDesktopServices>
#include <QSignalSpy>
#include <QTranslator>
#include <QUrl>

using Model::ActionManager;
using Model::BacklightSettings;
using Model::Settings;
using A = KW::Action;

namespace {

// Puts every setting that an action shows back to its built-in default and
// empties the store, so that each test starts from a fresh installation.
void resetSettings()
{
    Settings* s = Settings::instance();
    s->setAutoSaveEnabled(Settings::defaultAutoSaveEnabled);
    s->setAutoSaveIntervalMins(Settings::defaultAutoSaveIntervalMins);
    s->setAutoSaveNumFiles(Settings::defaultAutoSaveNumFiles);
    s->setDrawCursorType(KW::DrawCursorType::AdaptToSize);
    s->setBacklightSettings(BacklightSettings());
    s->setBacklightEnabled(false);
    s->setOnlyBacklightKeyFrames(false);
    s->setGridType(KW::GridType::FieldGuide);
    s->setSlideMode(false);
    s->setShowBeyondButtons(false);
    s->setThumbnailSize(KW::ThumbnailSize::ThumbnailMedium);
    s->setToolBarVisible(Settings::defaultToolBarVisible);
    s->setToolBarPosition(Settings::defaultToolBarPosition);
    s->setDrawCursorOpacity(Settings::defaultDrawCursorOpacity);
    s->setClonesLockedForDrawing(Settings::defaultClonesLockedForDrawing);
    s->setTransparencyType(Settings::defaultTransparencyType);
    s->setCollapseAutomatically(Settings::defaultCollapseAutomatically);
    s->setShowXSheetTopBar(Settings::defaultShowXSheetTopBar);
    s->setUIScalePercent(Settings::defaultUIScalePercent);
    TestSupport::clearSettings();
}

// The one checked member of an action's exclusive group, or null.
QAction* checkedMember(QAction* member)
{
    return member->actionGroup()->checkedAction();
}

class UrlTranslator : public QTranslator
{
public:
    QString translate(const char* context, const char* sourceText, const char*, int) const override
    {
        if (qstrcmp(context, "Model::ActionManager") == 0
            && QString::fromUtf8(sourceText).startsWith(QLatin1String("/help/")))
            return QStringLiteral("/translated") + QString::fromUtf8(sourceText);
        return QString();
    }
    bool isEmpty() const override { return false; }
};

} // namespace

class TestActionSettings : public QObject
{
    Q_OBJECT

public slots:
    void openUrl(const QUrl& url) { m_openedUrls += url; }

private slots:
    void initTestCase();
    void cleanupTestCase();
    void init();
    void cleanup();

    void startStatesFollowTheStore();
    void autoSaveRewritesValuesNotOffered_data();
    void autoSaveRewritesValuesNotOffered();
    void autoSaveBothWays();
    void uiScaleRewritesValuesNotOffered_data();
    void uiScaleRewritesValuesNotOffered();
    void uiScaleBothWays();
    void gridTypeActions_data();
    void gridTypeActions();
    void gridTypeNext_data();
    void gridTypeNext();
    void gridTypeOutOfRangeChangesNoAction();
    void thumbnailSizes();
    void thumbnailStepsStopAtTheEnds();
    void transparencyTypes_data();
    void transparencyTypes();
    void toolBarVisibilityAndSide();
    void faintCursorBothWays();
    void toggleCursorFlipsCursorType();
    void slideModeAndToggle();
    void backlightOnOffAndToggleAB();
    void oneWaySettingsDoNotMoveActions();
    void xSheetTopBarBothWays();
    void detachedXSheetDisablesOppositeSide();
    void penSizeAndResetActionsReachToolManager();
    void helpActionsOpenTheirPages();
    void forumAddressIsTranslatable();

private:
    std::unique_ptr<ActionManager> makeManager();
    QAction* action(A id) const { return m_manager->action(id); }

    std::unique_ptr<ActionManager> m_manager;
    QList<QUrl> m_openedUrls;
};

void TestActionSettings::initTestCase()
{
    TestSupport::clearSettings();
    Settings::instance()->init();
    Model::ToolManager::instance()->init();
    QDesktopServices::setUrlHandler(QStringLiteral("https"), this, "openUrl");
}

void TestActionSettings::cleanupTestCase()
{
    QDesktopServices::unsetUrlHandler(QStringLiteral("https"));
}

void TestActionSettings::init()
{
    resetSettings();
    m_openedUrls.clear();
}

void TestActionSettings::cleanup()
{
    m_manager.reset();
}

std::unique_ptr<ActionManager> TestActionSettings::makeManager()
{
    auto manager = std::make_unique<ActionManager>();
    manager->init();
    return manager;
}

void TestActionSettings::startStatesFollowTheStore()
{
    Settings* s = Settings::instance();
    s->setAutoSaveEnabled(true);
    s->setAutoSaveIntervalMins(60);
    s->setAutoSaveNumFiles(9);
    s->setBacklightEnabled(true);
    s->setOnlyBacklightKeyFrames(true);
    s->setGridType(KW::GridType::Diagonals);
    s->setSlideMode(true);
    s->setShowBeyondButtons(true);
    s->setThumbnailSize(KW::ThumbnailSize::ThumbnailLarge);
    s->setToolBarVisible(false);
    s->setToolBarPosition(KW::ToolBarPosition::Left);
    s->setDrawCursorOpacity(KW::DrawCursorOpacity::Opaque);
    s->setClonesLockedForDrawing(true);
    s->setTransparencyType(KW::TransparencyType::TransparencyDarkGrey);
    s->setShowXSheetTopBar(true);
    s->setUIScalePercent(125);
    s->setCollapseAutomatically(true);
    m_manager = makeManager();

    QVERIFY(action(A::AutoSave)->isChecked());
    QCOMPARE(checkedMember(action(A::AutoSaveInterval5Min)), action(A::AutoSaveInterval60Min));
    QCOMPARE(checkedMember(action(A::AutoSaveFiles1)), action(A::AutoSaveFiles9));
    QVERIFY(action(A::BacklightOnOff)->isChecked());
    QVERIFY(action(A::OnlyBacklightKeyFrames)->isChecked());
    QCOMPARE(checkedMember(action(A::GridTypeSafety)), action(A::GridTypeDiagonals));
    QCOMPARE(checkedMember(action(A::SlideMode)), action(A::SlideMode));
    QVERIFY(action(A::ShowBeyondButtons)->isChecked());
    QCOMPARE(checkedMember(action(A::ThumbnailSizeTiny)), action(A::ThumbnailSizeLarge));
    QVERIFY(!action(A::ThumbnailSizeLarger)->isEnabled());
    QVERIFY(action(A::ThumbnailSizeSmaller)->isEnabled());
    QVERIFY(!action(A::ToolBar)->isChecked());
    QCOMPARE(checkedMember(action(A::ToolBarRightSide)), action(A::ToolBarLeftSide));
    QVERIFY(!action(A::FaintCursor)->isChecked());
    QCOMPARE(checkedMember(action(A::FreelyDrawOnClones)), action(A::ClonesLockedForDrawing));
    QCOMPARE(checkedMember(action(A::TransparencyShownAsBlack)),
             action(A::TransparencyShownAsDarkGrey));
    QVERIFY(action(A::XSheetTopBar)->isChecked());
    QCOMPARE(checkedMember(action(A::UIScale75)), action(A::UIScale125));
    // This one never starts checked, whatever is stored.
    QVERIFY(!action(A::CollapseVectorDataAutomatically)->isChecked());
}

void TestActionSettings::autoSaveRewritesValuesNotOffered_data()
{
    QTest::addColumn<int>("storedInterval");
    QTest::addColumn<int>("storedFiles");
    QTest::addColumn<int>("interval");
    QTest::addColumn<int>("files");
    QTest::addColumn<A>("intervalAction");
    QTest::addColumn<A>("filesAction");
    QTest::newRow("20 mins, 4 files") << 20 << 4 << 15 << 3 << A::AutoSaveInterval15Min << A::AutoSaveFiles3;
    QTest::newRow("offered") << 5 << 9 << 5 << 9 << A::AutoSaveInterval5Min << A::AutoSaveFiles9;
    QTest::newRow("only interval") << 0 << 2 << 15 << 2 << A::AutoSaveInterval15Min << A::AutoSaveFiles2;
    QTest::newRow("only files") << 30 << 6 << 30 << 3 << A::AutoSaveInterval30Min << A::AutoSaveFiles3;
    QTest::newRow("negative") << -60 << -1 << 15 << 3 << A::AutoSaveInterval15Min << A::AutoSaveFiles3;
}

void TestActionSettings::autoSaveRewritesValuesNotOffered()
{
    QFETCH(int, storedInterval);
    QFETCH(int, storedFiles);
    QFETCH(int, interval);
    QFETCH(int, files);
    QFETCH(A, intervalAction);
    QFETCH(A, filesAction);

    Settings* s = Settings::instance();
    s->setAutoSaveIntervalMins(storedInterval);
    s->setAutoSaveNumFiles(storedFiles);
    m_manager = makeManager();

    QCOMPARE(s->autoSaveIntervalMins(), interval);
    QCOMPARE(s->autoSaveNumFiles(), files);
    QCOMPARE(checkedMember(action(A::AutoSaveInterval5Min)), action(intervalAction));
    QCOMPARE(checkedMember(action(A::AutoSaveFiles1)), action(filesAction));

    // The rewritten values are what the next run reads.
    Settings reread;
    reread.init();
    QCOMPARE(reread.autoSaveIntervalMins(), interval);
    QCOMPARE(reread.autoSaveNumFiles(), files);
}

void TestActionSettings::autoSaveBothWays()
{
    m_manager = makeManager();
    Settings* s = Settings::instance();
    QVERIFY(!action(A::AutoSave)->isChecked());

    action(A::AutoSave)->trigger();
    QVERIFY(s->autoSaveEnabled());
    action(A::AutoSaveInterval30Min)->trigger();
    QCOMPARE(s->autoSaveIntervalMins(), 30);
    action(A::AutoSaveFiles5)->trigger();
    QCOMPARE(s->autoSaveNumFiles(), 5);

    s->setAutoSaveEnabled(false);
    QVERIFY(!action(A::AutoSave)->isChecked());
    s->setAutoSaveIntervalMins(5);
    QCOMPARE(checkedMember(action(A::AutoSaveInterval5Min)), action(A::AutoSaveInterval5Min));
    s->setAutoSaveNumFiles(1);
    QCOMPARE(checkedMember(action(A::AutoSaveFiles1)), action(A::AutoSaveFiles1));

    // A value set elsewhere that the menu does not offer is replaced at once.
    QSignalSpy changed(s, &Settings::autoSaveChanged);
    s->setAutoSaveNumFiles(7);
    QCOMPARE(s->autoSaveNumFiles(), 3);
    QCOMPARE(checkedMember(action(A::AutoSaveFiles1)), action(A::AutoSaveFiles3));
    QCOMPARE(changed.count(), 2);
}

void TestActionSettings::uiScaleRewritesValuesNotOffered_data()
{
    QTest::addColumn<int>("stored");
    QTest::addColumn<int>("percent");
    QTest::addColumn<A>("checked");
    QTest::newRow("110") << 110 << 100 << A::UIScale100;
    QTest::newRow("0") << 0 << 100 << A::UIScale100;
    QTest::newRow("75") << 75 << 75 << A::UIScale75;
    QTest::newRow("150") << 150 << 150 << A::UIScale150;
}

void TestActionSettings::uiScaleRewritesValuesNotOffered()
{
    QFETCH(int, stored);
    QFETCH(int, percent);
    QFETCH(A, checked);
    Settings::instance()->setUIScalePercent(stored);
    m_manager = makeManager();
    QCOMPARE(Settings::instance()->UIScalePercent(), percent);
    QCOMPARE(checkedMember(action(A::UIScale75)), action(checked));
    Settings reread;
    reread.init();
    QCOMPARE(reread.UIScalePercent(), percent);
}

void TestActionSettings::uiScaleBothWays()
{
    m_manager = makeManager();
    Settings* s = Settings::instance();
    action(A::UIScale150)->trigger();
    QCOMPARE(s->UIScalePercent(), 150);
    s->setUIScalePercent(75);
    QCOMPARE(checkedMember(action(A::UIScale75)), action(A::UIScale75));
    s->setUIScalePercent(90);
    QCOMPARE(s->UIScalePercent(), 100);
    QCOMPARE(checkedMember(action(A::UIScale75)), action(A::UIScale100));
}

void TestActionSettings::gridTypeActions_data()
{
    QTest::addColumn<A>("id");
    QTest::addColumn<KW::GridType>("type");
    QTest::newRow("FieldGuide") << A::GridTypeFieldGuide << KW::GridType::FieldGuide;
    QTest::newRow("Safety") << A::GridTypeSafety << KW::GridType::Safety;
    QTest::newRow("Thirds") << A::GridTypeThirds << KW::GridType::Thirds;
    QTest::newRow("Diagonals") << A::GridTypeDiagonals << KW::GridType::Diagonals;
    QTest::newRow("Renaissance") << A::GridTypeRenaissance << KW::GridType::Renaissance;
}

void TestActionSettings::gridTypeActions()
{
    QFETCH(A, id);
    QFETCH(KW::GridType, type);
    m_manager = makeManager();
    Settings* s = Settings::instance();

    action(id)->trigger();
    QCOMPARE(s->gridType(), type);
    QVERIFY(action(A::GridOnOff)->isChecked());
    QVERIFY(action(id)->isChecked());

    // Set elsewhere, the menu follows; the grid switch is left alone.
    action(A::GridOnOff)->setChecked(false);
    s->setGridType(KW::GridType::Safety);
    s->setGridType(type);
    QCOMPARE(checkedMember(action(id)), action(id));
    QVERIFY(!action(A::GridOnOff)->isChecked());
}

void TestActionSettings::gridTypeNext_data()
{
    QTest::addColumn<KW::GridType>("from");
    QTest::addColumn<KW::GridType>("to");
    QTest::newRow("FieldGuide") << KW::GridType::FieldGuide << KW::GridType::Safety;
    QTest::newRow("Diagonals") << KW::GridType::Diagonals << KW::GridType::Renaissance;
    QTest::newRow("wraps") << KW::GridType::Renaissance << KW::GridType::FieldGuide;
    QTest::newRow("unknown") << static_cast<KW::GridType>(9) << KW::GridType::FieldGuide;
}

void TestActionSettings::gridTypeNext()
{
    QFETCH(KW::GridType, from);
    QFETCH(KW::GridType, to);
    m_manager = makeManager();
    Settings::instance()->setGridType(from);
    QVERIFY(!action(A::GridOnOff)->isChecked());
    action(A::GridTypeNext)->trigger();
    QCOMPARE(Settings::instance()->gridType(), to);
    QVERIFY(action(A::GridOnOff)->isChecked());
    QCOMPARE(checkedMember(action(A::GridTypeSafety)),
             action(static_cast<A>(int(A::GridTypeFieldGuide) + int(to))));
}

void TestActionSettings::gridTypeOutOfRangeChangesNoAction()
{
    m_manager = makeManager();
    Settings* s = Settings::instance();
    s->setGridType(KW::GridType::Thirds);
    s->setGridType(static_cast<KW::GridType>(5));
    QCOMPARE(checkedMember(action(A::GridTypeThirds)), action(A::GridTypeThirds));
    s->setTransparencyType(static_cast<KW::TransparencyType>(8));
    QCOMPARE(checkedMember(action(A::TransparencyShownAsWhite)), action(A::TransparencyShownAsWhite));
    s->setToolBarPosition(static_cast<KW::ToolBarPosition>(2));
    QCOMPARE(checkedMember(action(A::ToolBarRightSide)), action(A::ToolBarRightSide));
    // Nothing the next run could trip over is written by the actions.
    QCOMPARE(s->gridType(), static_cast<KW::GridType>(5));
}

void TestActionSettings::thumbnailSizes()
{
    m_manager = makeManager();
    Settings* s = Settings::instance();
    const std::pair<A, KW::ThumbnailSize> sizes[] = {
        {A::ThumbnailSizeTiny, KW::ThumbnailSize::ThumbnailTiny},
        {A::ThumbnailSizeSmall, KW::ThumbnailSize::ThumbnailSmall},
        {A::ThumbnailSizeMedium, KW::ThumbnailSize::ThumbnailMedium},
        {A::ThumbnailSizeLarge, KW::ThumbnailSize::ThumbnailLarge}};
    for (const auto& [id, size] : sizes) {
        action(id)->trigger();
        QCOMPARE(s->thumbnailSize(), size);
        QVERIFY(action(id)->isChecked());
    }
    action(A::ThumbnailSizeSmaller)->trigger();
    QCOMPARE(s->thumbnailSize(), KW::ThumbnailSize::ThumbnailMedium);
    QCOMPARE(checkedMember(action(A::ThumbnailSizeTiny)), action(A::ThumbnailSizeMedium));
    action(A::ThumbnailSizeLarger)->trigger();
    QCOMPARE(s->thumbnailSize(), KW::ThumbnailSize::ThumbnailLarge);

    s->setThumbnailSize(KW::ThumbnailSize::ThumbnailSmall);
    QCOMPARE(checkedMember(action(A::ThumbnailSizeTiny)), action(A::ThumbnailSizeSmall));
    QVERIFY(action(A::ThumbnailSizeSmaller)->isEnabled());
    QVERIFY(action(A::ThumbnailSizeLarger)->isEnabled());

    // A size no action stands for leaves the choice alone and allows both steps.
    s->setThumbnailSize(static_cast<KW::ThumbnailSize>(7));
    QCOMPARE(checkedMember(action(A::ThumbnailSizeTiny)), action(A::ThumbnailSizeSmall));
    QVERIFY(action(A::ThumbnailSizeSmaller)->isEnabled());
    QVERIFY(action(A::ThumbnailSizeLarger)->isEnabled());
    action(A::ThumbnailSizeLarger)->trigger();
    QCOMPARE(s->thumbnailSize(), KW::ThumbnailSize::ThumbnailTiny);
}

void TestActionSettings::thumbnailStepsStopAtTheEnds()
{
    Settings* s = Settings::instance();
    s->setThumbnailSize(KW::ThumbnailSize::ThumbnailTiny);
    m_manager = makeManager();
    QVERIFY(!action(A::ThumbnailSizeSmaller)->isEnabled());
    QVERIFY(action(A::ThumbnailSizeLarger)->isEnabled());

    // Triggered anyway (a disabled action can still be triggered from code),
    // it sets the same size and nothing is announced.
    QSignalSpy changed(s, &Settings::thumbnailSizeChanged);
    action(A::ThumbnailSizeSmaller)->setEnabled(true);
    action(A::ThumbnailSizeSmaller)->trigger();
    QCOMPARE(s->thumbnailSize(), KW::ThumbnailSize::ThumbnailTiny);
    QCOMPARE(changed.count(), 0);

    s->setThumbnailSize(KW::ThumbnailSize::ThumbnailLarge);
    QVERIFY(action(A::ThumbnailSizeSmaller)->isEnabled());
    QVERIFY(!action(A::ThumbnailSizeLarger)->isEnabled());
    action(A::ThumbnailSizeLarger)->setEnabled(true);
    action(A::ThumbnailSizeLarger)->trigger();
    QCOMPARE(s->thumbnailSize(), KW::ThumbnailSize::ThumbnailLarge);
    QCOMPARE(changed.count(), 1);
}

void TestActionSettings::transparencyTypes_data()
{
    QTest::addColumn<int>("k");
    const QMetaEnum meta = QMetaEnum::fromType<KW::TransparencyType>();
    for (int k = 0; k < meta.keyCount(); ++k)
        QTest::newRow(meta.key(k)) << k;
}

void TestActionSettings::transparencyTypes()
{
    QFETCH(int, k);
    m_manager = makeManager();
    Settings* s = Settings::instance();
    const auto type = static_cast<KW::TransparencyType>(k);
    QAction* a = action(static_cast<A>(int(A::TransparencyShownAsSmallCheckersLight) + k));

    s->setTransparencyType(k == 0 ? KW::TransparencyType::TransparencyBlack
                                  : KW::TransparencyType::TransparencySmallCheckersLight);
    a->trigger();
    QCOMPARE(s->transparencyType(), type);

    s->setTransparencyType(k == 0 ? KW::TransparencyType::TransparencyBlack
                                  : KW::TransparencyType::TransparencySmallCheckersLight);
    QVERIFY(!a->isChecked());
    s->setTransparencyType(type);
    QCOMPARE(checkedMember(a), a);
}

void TestActionSettings::toolBarVisibilityAndSide()
{
    m_manager = makeManager();
    Settings* s = Settings::instance();
    QVERIFY(action(A::ToolBar)->isChecked());
    action(A::ToolBar)->trigger();
    QVERIFY(!s->toolBarVisible());
    s->setToolBarVisible(true);
    QVERIFY(action(A::ToolBar)->isChecked());

    QCOMPARE(s->toolBarPosition(), KW::ToolBarPosition::Right);
    action(A::ToolBarOppositeSide)->trigger();
    QCOMPARE(s->toolBarPosition(), KW::ToolBarPosition::Left);
    QCOMPARE(checkedMember(action(A::ToolBarLeftSide)), action(A::ToolBarLeftSide));
    action(A::ToolBarOppositeSide)->trigger();
    QCOMPARE(s->toolBarPosition(), KW::ToolBarPosition::Right);

    action(A::ToolBarLeftSide)->trigger();
    QCOMPARE(s->toolBarPosition(), KW::ToolBarPosition::Left);
    // Triggering the side already chosen keeps it.
    action(A::ToolBarLeftSide)->trigger();
    QCOMPARE(s->toolBarPosition(), KW::ToolBarPosition::Left);
    QVERIFY(action(A::ToolBarLeftSide)->isChecked());
    action(A::ToolBarRightSide)->trigger();
    QCOMPARE(s->toolBarPosition(), KW::ToolBarPosition::Right);

    // An unknown stored side is not flipped.
    s->setToolBarPosition(static_cast<KW::ToolBarPosition>(5));
    action(A::ToolBarOppositeSide)->trigger();
    QCOMPARE(s->toolBarPosition(), static_cast<KW::ToolBarPosition>(5));
}

void TestActionSettings::faintCursorBothWays()
{
    m_manager = makeManager();
    Settings* s = Settings::instance();
    QAction* faint = action(A::FaintCursor);
    QVERIFY(faint->isChecked());
    faint->trigger();
    QCOMPARE(s->drawCursorOpacity(), KW::DrawCursorOpacity::Opaque);
    QVERIFY(!faint->isChecked());
    s->setDrawCursorOpacity(KW::DrawCursorOpacity::Faint);
    QVERIFY(faint->isChecked());
    faint->trigger();
    QCOMPARE(s->drawCursorOpacity(), KW::DrawCursorOpacity::Opaque);
}

void TestActionSettings::toggleCursorFlipsCursorType()
{
    m_manager = makeManager();
    Settings* s = Settings::instance();
    QAction* toggle = action(A::ToggleCursor);
    QVERIFY(!toggle->isCheckable());
    toggle->trigger();
    QCOMPARE(s->drawCursorType(), KW::DrawCursorType::FixedSmall);
    toggle->trigger();
    QCOMPARE(s->drawCursorType(), KW::DrawCursorType::AdaptToSize);
    s->setDrawCursorType(static_cast<KW::DrawCursorType>(4));
    toggle->trigger();
    QCOMPARE(s->drawCursorType(), static_cast<KW::DrawCursorType>(4));
}

void TestActionSettings::slideModeAndToggle()
{
    Settings* s = Settings::instance();
    s->setSlideMode(true);
    m_manager = makeManager();
    QVERIFY(action(A::SlideMode)->isChecked());
    QVERIFY(!action(A::AddClonesMode)->isChecked());

    action(A::ToggleXSheetDragMode)->trigger();
    QVERIFY(!s->slideMode());
    QVERIFY(action(A::AddClonesMode)->isChecked());
    QVERIFY(!action(A::SlideMode)->isChecked());
    action(A::ToggleXSheetDragMode)->trigger();
    QVERIFY(s->slideMode());
    QVERIFY(action(A::SlideMode)->isChecked());

    action(A::AddClonesMode)->trigger();
    QVERIFY(!s->slideMode());
    action(A::SlideMode)->trigger();
    QVERIFY(s->slideMode());
}

void TestActionSettings::backlightOnOffAndToggleAB()
{
    m_manager = makeManager();
    Settings* s = Settings::instance();
    QAction* onOff = action(A::BacklightOnOff);
    QVERIFY(!onOff->isChecked());
    QCOMPARE(s->backlightSettings().current, BacklightSettings::BacklightSettingA);

    action(A::BacklightToggleAB)->trigger();
    QCOMPARE(s->backlightSettings().current, BacklightSettings::BacklightSettingB);
    QVERIFY(s->backlightEnabled());
    QVERIFY(onOff->isChecked());

    // Toggling again switches back and leaves the light on.
    action(A::BacklightToggleAB)->trigger();
    QCOMPARE(s->backlightSettings().current, BacklightSettings::BacklightSettingA);
    QVERIFY(onOff->isChecked());

    onOff->trigger();
    QVERIFY(!s->backlightEnabled());
    s->setBacklightEnabled(true);
    QVERIFY(onOff->isChecked());
    onOff->setChecked(false);
    QVERIFY(!s->backlightEnabled());

    action(A::OnlyBacklightKeyFrames)->trigger();
    QVERIFY(s->onlyBacklightKeyFrames());
    action(A::OnlyBacklightKeyFrames)->trigger();
    QVERIFY(!s->onlyBacklightKeyFrames());
}

void TestActionSettings::oneWaySettingsDoNotMoveActions()
{
    m_manager = makeManager();
    Settings* s = Settings::instance();

    action(A::ClonesLockedForDrawing)->trigger();
    QVERIFY(s->clonesLockedForDrawing());
    action(A::FreelyDrawOnClones)->trigger();
    QVERIFY(!s->clonesLockedForDrawing());
    action(A::ShowBeyondButtons)->trigger();
    QVERIFY(s->showBeyondButtons());
    action(A::CollapseVectorDataAutomatically)->trigger();
    QVERIFY(s->collapseAutomatically());
    action(A::CollapseVectorDataAutomatically)->trigger();
    QVERIFY(!s->collapseAutomatically());

    // Changes made elsewhere, for example on the preferences page.
    s->setClonesLockedForDrawing(true);
    s->setSlideMode(true);
    s->setShowBeyondButtons(false);
    s->setOnlyBacklightKeyFrames(true);
    s->setCollapseAutomatically(true);
    QVERIFY(action(A::FreelyDrawOnClones)->isChecked());
    QVERIFY(action(A::AddClonesMode)->isChecked());
    QVERIFY(action(A::ShowBeyondButtons)->isChecked());
    QVERIFY(!action(A::OnlyBacklightKeyFrames)->isChecked());
    QVERIFY(!action(A::CollapseVectorDataAutomatically)->isChecked());
}

void TestActionSettings::xSheetTopBarBothWays()
{
    m_manager = makeManager();
    Settings* s = Settings::instance();
    QAction* topBar = action(A::XSheetTopBar);
    QVERIFY(!topBar->isChecked());
    topBar->trigger();
    QVERIFY(s->showXSheetTopBar());
    s->setShowXSheetTopBar(false);
    QVERIFY(!topBar->isChecked());
}

void TestActionSettings::detachedXSheetDisablesOppositeSide()
{
    m_manager = makeManager();
    QAction* opposite = action(A::XSheetOppositeSide);
    QVERIFY(opposite->isEnabled());
    action(A::XSheetDetachSeparateWindow)->trigger();
    QVERIFY(!opposite->isEnabled());
    action(A::XSheetDetachSeparateWindow)->setChecked(false);
    QVERIFY(opposite->isEnabled());
}

void TestActionSettings::penSizeAndResetActionsReachToolManager()
{
    m_manager = makeManager();
    Model::ToolManager* tools = Model::ToolManager::instance();
    Model::PenTool* pencil = tools->penTool(Model::Tool::Pencil);
    Model::EraserTool* rubber = tools->eraserTool(Model::Tool::Rubber);
    QVERIFY(pencil && rubber);

    tools->setCurrentPenToolType(Model::Tool::Pencil);
    tools->setCurrentTool(Model::Tool::Draw, Model::Tool::Usable);
    const double max = pencil->sizeMaxPercent();
    action(A::DecreasePenSize)->trigger();
    QVERIFY(pencil->sizeMaxPercent() < max);
    action(A::IncreasePenSize)->trigger();
    action(A::IncreasePenSize)->trigger();
    QVERIFY(pencil->sizeMaxPercent() > max);

    pencil->setSizeRangePercent(40, 60);
    rubber->setSizeRangePercent(40, 60);
    action(A::ResetDrawingUserSettings)->trigger();
    QCOMPARE(pencil->sizeMinPercent(), 5.0);
    QCOMPARE(pencil->sizeMaxPercent(), 12.31);
    QCOMPARE(rubber->sizeMinPercent(), 40.0);
    action(A::ResetErasingUserSettings)->trigger();
    QCOMPARE(rubber->sizeMinPercent(), 1.67);
    QCOMPARE(rubber->sizeMaxPercent(), 22.05);
    tools->setCurrentTool(Model::Tool::NoTool, Model::Tool::Usable);
}

void TestActionSettings::helpActionsOpenTheirPages()
{
    m_manager = makeManager();
    action(A::VideoTutorials)->trigger();
    action(A::About)->trigger();
    QVERIFY(m_openedUrls.isEmpty());

    QList<QUrl> pages;
    for (A id : {A::KeyboardShortcuts, A::CommunityForum, A::ProvideFeedback}) {
        m_openedUrls.clear();
        action(id)->trigger();
        QCOMPARE(m_openedUrls.size(), 1);
        const QUrl url = m_openedUrls.first();
        QVERIFY(url.isValid());
        QCOMPARE(url.scheme(), QStringLiteral("https"));
        QVERIFY(!url.host().isEmpty());
        QVERIFY(!pages.contains(url));
        pages += url;
    }
}

void TestActionSettings::forumAddressIsTranslatable()
{
    UrlTranslator translator;
    QCoreApplication::installTranslator(&translator);
    m_manager = makeManager();
    action(A::CommunityForum)->trigger();
    action(A::KeyboardShortcuts)->trigger();
    action(A::ProvideFeedback)->trigger();
    QCoreApplication::removeTranslator(&translator);
    QCOMPARE(m_openedUrls.size(), 3);
    // A translation points at pages of its own on the one site.
    QCOMPARE(m_openedUrls.at(0).path(), QStringLiteral("/translated/help/forum"));
    // The shortcut list is one fixed page for every language.
    QCOMPARE(m_openedUrls.at(1).path(), QStringLiteral("/help/shortcuts"));
    QCOMPARE(m_openedUrls.at(2).path(), QStringLiteral("/translated/help/feedback"));
    for (const QUrl& url : std::as_const(m_openedUrls))
        QCOMPARE(url.host(), m_openedUrls.at(0).host());
}

QUILLMERE_TEST_MAIN(TestActionSettings)
#include "tst_actionsettings.moc"
