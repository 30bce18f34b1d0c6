#include "TestSupport.h"

#include "actions/ActionManager.h"
#include "settings/KW.h"
#include "settings/Settings.h"

#include <QAction>
#include <QActionGroup>
#include <QDirIterator>
#include <QFile>
#include <QGuiApplication>
#include <QLocale>
#include <QMetaEnum>
#include <QRegularExpression>
#include <QSet>
#include <QSvgRenderer>
#include <QTranslator>

using Model::ActionManager;
using Model::Settings;

namespace {

// One row of the catalogue as the user sees it: key, value, text, shortcuts and
// flags. Shortcuts are "|"-separated key texts, "std:Name" standing for all the
// platform's bindings of a standard key; a text "#n" is the number n in the
// default locale. Flags: c checkable, s starts checked, v follows a setting,
// r no auto-repeat, d starts disabled, a capital letter the exclusive group,
// a alternative text, i icon named after the key, i:Name icon Name.
struct CatalogueRow
{
    const char* key;
    int value;
    const char* text;
    const char* shortcuts;
    const char* flags;
};

const CatalogueRow catalogueRows[] = {
    {"NoAction", 0, "", "", ""},
    {"NewScene", 1, "New Scene...", "std:New", ""},
    {"OpenScene", 2, "Open Scene...", "std:Open", ""},
    {"SaveScene", 3, "Save Scene", "std:Save", ""},
    {"SaveSceneAs", 4, "Save Scene As...", "std:SaveAs", ""},
    {"AutoSave", 5, "Enable Autosaving", "", "c v r"},
    {"Import", 6, "Import (Frames, Movie Clip or Audio)...", "Ctrl+I", ""},
    {"ExportFrames", 7, "Frames...", "", ""},
    {"ExportExposureSheet", 8, "OCA (Open Cel Animation)...", "", ""},
    {"ExportVideo", 9, "Movie Clip...", "Ctrl+E", ""},
    {"SceneSettings", 10, "Scene Settings...", "Ctrl+Shift+I", ""},
    {"Quit", 11, "&Quit", "std:Quit", ""},
    {"Undo", 12, "&Undo", "std:Undo", "i"},
    {"Redo", 13, "&Redo", "std:Redo", "i"},
    {"AddCloneDrawing", 14, "Add Clone Drawing", "'", "a i"},
    {"DeleteCloneDrawing", 15, "Delete Clone Drawing", "Ctrl+'", "a"},
    {"AddBlankDrawing", 16, "Add Blank Drawing", "Ctrl+Down", "a i"},
    {"InsertBlankDrawing", 17, "Insert Blank Drawing", "Ctrl+Up", "a i"},
    {"TurnCloneIntoOriginal", 18, "Turn Clone into Original", "O", "a i:TurnCloneToNewOriginal"},
    {"DuplicateDrawing", 19, "Duplicate Drawing as Original", "Ctrl+D", "a i:DuplicateAsOriginal"},
    {"CutDrawing", 20, "Cut Drawing", "std:Cut", "a"},
    {"CopyDrawing", 21, "Copy Drawing", "std:Copy", "a"},
    {"PasteDrawing", 22, "Paste Drawing", "std:Paste", "d a"},
    {"ClearDrawingMakingBlank", 23, "Clear Drawing (Make it Blank)", "*", "a i"},
    {"LoseDrawingMakingHold", 24, "Lose Drawing (Keep Timing)", "/", "a i:LoseDrawingMakingClone"},
    {"DiscardDrawing", 25, "Delete Drawing", "Ctrl+Delete", "a i"},
    {"BackDeleteDrawing", 26, "Back-delete Drawing", "Ctrl+Backspace", "a i"},
    {"SelectAllDrawings", 27, "Select All Drawings", "std:SelectAll", ""},
    {"CloneEachSelectedDrawingOnce", 28, "Clone Each Selected Drawing Once", "", "d"},
    {"CycleSelectedDrawingsOnce", 29, "Cycle Selected Drawings Once", "@", "d"},
    {"Draw", 30, "&Draw (Latest Drawing Tool)", "D", "c r T i"},
    {"Erase", 31, "&Erase (Latest Erasing Tool)", "E", "c r T i"},
    {"NonDrawingAction", 32, "Dummy non-drawing action", "", "c T"},
    {"DrawEraseToggle", 33, "Draw/Erase Toggle", ".", "r i"},
    {"Pencil", 34, "Pencil (P)", "4|P", "c r P i"},
    {"PencilPreset1", 35, "Pencil Preset 1", "", "r i:Pencil_Preset1"},
    {"PencilPreset2", 36, "Pencil Preset 2", "", "r i:Pencil_Preset2"},
    {"PencilPreset3", 37, "Pencil Preset 3", "", "r i:Pencil_Preset3"},
    {"Marker", 38, "Marker (M)", "5|M", "c r P i"},
    {"MarkerPreset1", 39, "Marker Preset 1", "", "r i:Marker_Preset1"},
    {"MarkerPreset2", 40, "Marker Preset 2", "", "r i:Marker_Preset2"},
    {"MarkerPreset3", 41, "Marker Preset 3", "", "r i:Marker_Preset3"},
    {"Brush", 42, "Brush (B)", "6|B", "c r P i"},
    {"BrushPreset1", 43, "Brush Preset 1", "", "r i:Brush_Preset1"},
    {"BrushPreset2", 44, "Brush Preset 2", "", "r i:Brush_Preset2"},
    {"BrushPreset3", 45, "Brush Preset 3", "", "r i:Brush_Preset3"},
    {"KneadedEraser", 46, "Kneaded Eraser", "1", "c r P i"},
    {"RubberEraser", 47, "Rubber Eraser", "2", "c r P i"},
    {"VinylEraser", 48, "Vinyl Eraser", "3", "c r P i"},
    {"ResetDrawingUserSettings", 49, "Reset User Settings", "", ""},
    {"ResetErasingUserSettings", 50, "Reset User Settings", "", ""},
    {"DecreasePenSize", 51, "Decrease Pen Size", "[", ""},
    {"IncreasePenSize", 52, "Increase Pen Size", "]", ""},
    {"DrawSettings", 53, "Draw Settings (Hold D Key)", "Shift+D", "r"},
    {"EraseSettings", 54, "Erase Settings (Hold E Key)", "Shift+E", "r"},
    {"ToggleCursor", 55, "Toggle Cursor (Crosshair/Dot)", ",", ""},
    {"Play", 56, "Play", "Space", "r a i:Playback"},
    {"PlayLoop", 57, "Loop", "", "c L"},
    {"PlayOnce", 58, "Once", "", "c L"},
    {"PlayBackwards", 59, "Backwards", "", "c"},
    {"PlayStopAndStay", 60, "Stop and Stay", "", "c"},
    {"FrameRate06", 61, "#6", "", "c F"},
    {"FrameRate12", 62, "#12", "", "c F"},
    {"FrameRate12_5", 63, "#12.5", "", "c F"},
    {"FrameRate15", 64, "#15", "", "c F"},
    {"FrameRate24", 65, "#24", "", "c F"},
    {"FrameRate25", 66, "#25", "", "c F"},
    {"FrameRate30", 67, "#30", "", "c F"},
    {"FrameRate50", 68, "#50", "", "c F"},
    {"FrameRate60", 69, "#60", "", "c F"},
    {"FrameRateCustom", 70, "Custom", "", "c F"},
    {"StepBack", 71, "Step Back", "Left|Alt+Q", ""},
    {"StepForward", 72, "Step Forward", "Right|Alt+W", ""},
    {"StepBackSkippingLocalClones", 73, "Step Back (Skipping Local Clones)", "Up", ""},
    {"StepForwardSkippingLocalClones", 74, "Step Forward (Skipping Local Clones)", "Down", ""},
    {"SkipBackToKeyDrawing", 75, "Skip Back to Key Drawing", "Shift+Up", ""},
    {"SkipForwardToKeyDrawing", 76, "Skip Forward to Key Drawing", "Shift+Down", ""},
    {"ReturnFlip", 77, "Return Flip (Hold Return Key)", "Return", "r"},
    {"JumpToStart", 78, "Jump to Start", "Home", "i"},
    {"JumpToEnd", 79, "Jump to End", "End", "i"},
    {"RangeStartStepBack", 80, "Step Range-Start Back", "Ctrl+Left", ""},
    {"RangeStartStepForward", 81, "Step Range-Start Forward", "Ctrl+Right", ""},
    {"RangeEndStepBack", 82, "Step Range-End Back", "Ctrl+Shift+Left", ""},
    {"RangeEndStepForward", 83, "Step Range-End Forward", "Ctrl+Shift+Right", ""},
    {"RangeStartToFirstFrame", 84, "Reset Range-Start to First Frame", "Ctrl+Home", ""},
    {"RangeEndToLastFrame", 85, "Reset Range-End to Last Frame", "Ctrl+End", ""},
    {"MuteAudio", 86, "Mute Audio", "", "c i:Audio"},
    {"DiscardAudio", 87, "Discard Audio", "", ""},
    {"BacklightOnOff", 88, "Backlight (Onion Skin) On/Off", "Shift+Space", "c v i"},
    {"BacklightToggleAB", 89, "Toggle between A and B backlight setting", "Shift+Alt+Space", "i"},
    {"CustomizeBacklight", 90, "Customize Backlight...", "Ctrl+Shift+Space", ""},
    {"Pan", 91, "&Hand Tool (Hold H)", "H", "c r i:HandTool"},
    {"Zoom", 92, "&Zoom (Hold Z)", "Z", "c r i"},
    {"Rotate", 93, "&Rotate (Hold R)", "R", "c r i"},
    {"ZPR", 94, "Hand/Zoom/Rotate (Hold Space Bar)", "Space", "r"},
    {"ResetView", 95, "Reset View (0°, 100%, Centered)", "0", "i"},
    {"FitPaperToView", 96, "Fit View (?%)", "Ctrl+0", "i:FitView"},
    {"ZoomIn", 97, "Zoom In", "std:ZoomIn|Ctrl+=", ""},
    {"ZoomOut", 98, "Zoom Out", "std:ZoomOut", ""},
    {"ViewToX1", 99, "X1 (100%)", "Ctrl+1", ""},
    {"GridOnOff", 100, "Grid On/Off", "G", "c r i:Grid"},
    {"GridTypeFieldGuide", 101, "Field Guide", "", "c v r G"},
    {"GridTypeSafety", 102, "Safety", "", "c v r G"},
    {"GridTypeThirds", 103, "Thirds", "", "c v r G"},
    {"GridTypeDiagonals", 104, "Diagonals", "", "c v r G"},
    {"GridTypeRenaissance", 105, "Renaissance", "", "c v r G"},
    {"GridTypeNext", 106, "Next Grid Type", "Shift+G", ""},
    {"MarkAsKeyDrawing", 107, "Mark (or Unmark) as Key Drawing", "K", "i"},
    {"UnmarkAllKeyDrawings", 108, "Unmark All (Clear Keys)", "Shift+K", "i:ClearKeys"},
    {"OnlyBacklightKeyFrames", 109, "Only Backlight Key Frames", "Ctrl+K", "c v i:BacklightKeys"},
    {"MirrorView", 110, "Mirror View", "Y", "c i:Mirror"},
    {"OffPegs", 111, "Off Pegs Tool (Hold %1 and %2 Keys)", "", "c r i"},
    {"XSheetShow", 112, "Show X-Sheet", "Tab", "c"},
    {"XSheetOppositeSide", 113, "Place X-Sheet at Opposite Side", "", ""},
    {"XSheetDetachSeparateWindow", 114, "Detach X-Sheet as Separate Window", "Shift+Tab", "c"},
    {"XSheetCenterAndScroll", 115, "Center and Scroll when Flipping", "", "c s"},
    {"SlideMode", 116, "Slide Mode", "", "c v D i"},
    {"AddClonesMode", 117, "Add Clones Mode", "", "c v D i"},
    {"ToggleXSheetDragMode", 118, "Toggle Mode (Add Clones/Slide)", "T", "i:ToggleMode"},
    {"NewLayer", 119, "New Layer", "N", "i"},
    {"DuplicateActiveLayer", 120, "Duplicate Layer", "Ctrl+Shift+D", "i:DuplicateLayer"},
    {"LayerAbove", 121, "Go to Layer Above", "PgUp", ""},
    {"LayerBelow", 122, "Go to Layer Below", "PgDown", ""},
    {"LayerTop", 123, "Go to Top Layer", "Shift+PgUp", ""},
    {"LayerBottom", 124, "Go to Bottom Layer", "Shift+PgDown", ""},
    {"DiscardActiveLayer", 125, "Delete Layer", "Ctrl+Shift+Delete", "i:DeleteLayer"},
    {"LayerVisibility", 126, "Layer Visible", "V", "c s i:Visible"},
    {"LayerLink", 127, "Layer Linked", "-", "c s i:Link"},
    {"ShowNothingBeyond", 128, "Nothing", "", "c s B"},
    {"FreezeLastDrawingBeyond", 129, "Freeze Last Drawing", "", "c B"},
    {"CycleDrawingsBeyond", 130, "Cycle Drawings", "", "c B"},
    {"ShowBeyondButtons", 131, "Show Buttons", "", "c v"},
    {"MergeLayerDown", 132, "Merge Layer Down (Right)", "&", "i:MergeLayers"},
    {"UnlinkAllLayers", 133, "Unlink All Layers", "U", ""},
    {"LinkAllLayers", 134, "Link All Layers", "Shift+U", ""},
    {"ThumbnailSizeTiny", 135, "Tiny", "", "c v S"},
    {"ThumbnailSizeSmall", 136, "Small", "", "c v S"},
    {"ThumbnailSizeMedium", 137, "Medium", "", "c s v S"},
    {"ThumbnailSizeLarge", 138, "Large", "", "c v S"},
    {"ThumbnailSizeSmaller", 139, "Smaller", "Ctrl+<", ""},
    {"ThumbnailSizeLarger", 140, "Larger", "Ctrl+>", ""},
    {"Lasso", 141, "Lasso", "L", "c r i:LassoThisDrawing"},
    {"Cutter", 142, "Cutter", "X", "c r i"},
    {"PickUpAllOfThisDrawing", 143, "All (Whole Drawing)", "A", "r i:PickUpAll"},
    {"StampFloatingSelection", 144, "Stamp Floating Selection", "Return", "r"},
    {"StampFloatingSelectionKeepFloating", 145, "Stamp Floating Selection (Keep Floating Selection)", "Shift+Return|Shift+Enter", "r"},
    {"DropFloatingSelection", 146, "Drop Floating Selection", "Esc", ""},
    {"GetLatestFloatingSelectionBack", 147, "Get latest Floating Selection back", "Shift+Esc", ""},
    {"FloatingSelection", 148, "Floating Selection", "", "c r"},
    {"NewPaintLayer", 149, "New Paint Layer", "", "d"},
    {"NewPaintLayerWithCloneStructure", 150, "New Paint Layer with Clone Structure", "Ctrl+Shift+N", "d"},
    {"Palette", 151, "&Color Palette", "C", "r d i"},
    {"ColorPickerTool", 152, "Color Picker Tool", "I", "d i"},
    {"FillTool", 153, "Fill Tool", "F", "d i"},
    {"ToolBar", 154, "Show Tool Bar", "Ctrl+T", "c v"},
    {"ToolBarOppositeSide", 155, "Place Tool Bar at Opposite Side", "", ""},
    {"ToolBarLeftSide", 156, "Left Side", "", "c v W"},
    {"ToolBarRightSide", 157, "Right Side", "", "c v W"},
    {"ReferenceDisplay", 158, "Reference Display", "#", "c"},
    {"CustomizeToolBar", 159, "Customize Tool Bar...", "", ""},
    {"PrimarySpeedDial", 160, "&Speed Dial (primary)", "S", "r"},
    {"SecondarySpeedDial", 161, "Speed Dial (secondary)", "Shift+S", "r"},
    {"CustomizeSpeedDials", 162, "Customize Speed Dials...", "", ""},
    {"FullScreen", 163, "Full Screen", "std:FullScreen", ""},
    {"Settings", 164, "Settings...", "", ""},
    {"VideoTutorials", 165, "Video Tutorials", "std:HelpContents", ""},
    {"KeyboardShortcuts", 166, "Keyboard Shortcuts", "", ""},
    {"CommunityForum", 167, "Community Forum", "", ""},
    {"ProvideFeedback", 168, "Provide Feedback", "", ""},
    {"About", 169, "About %1", "", ""},
    {"ImportReferenceLayer", 170, "Import Reference Frames or Movie Clip...", "", ""},
    {"ImportAudio", 171, "Import Audio...", "", ""},
    {"CollapseVectorData", 172, "Collapse vector data to bitmap", "Ctrl+B", "d"},
    {"FaintCursor", 173, "Faint Cursor", "", "c v"},
    {"FreelyDrawOnClones", 174, "Freely draw on Clones - Original will update", "", "c v K"},
    {"ClonesLockedForDrawing", 175, "Clones are locked for drawing", "", "c v K"},
    {"TransparencyShownAsSmallCheckersLight", 176, "Small Checkers, Light", "", "c v r Y"},
    {"TransparencyShownAsSmallCheckersDark", 177, "Small Checkers, Dark", "", "c v r Y"},
    {"TransparencyShownAsLargeCheckersLight", 178, "Large Checkers, Light", "", "c v r Y"},
    {"TransparencyShownAsLargeCheckersDark", 179, "Large Checkers, Dark", "", "c v r Y"},
    {"TransparencyShownAsWhite", 180, "White", "", "c v r Y"},
    {"TransparencyShownAsLightGrey", 181, "Light Grey", "", "c v r Y"},
    {"TransparencyShownAsDarkGrey", 182, "Dark Grey", "", "c v r Y"},
    {"TransparencyShownAsBlack", 183, "Black", "", "c v r Y"},
    {"CollapseVectorDataAutomatically", 184, "Collapse Automatically", "", "c"},
    {"XSheetLeftSide", 185, "Left Side", "", "c r X"},
    {"XSheetRightSide", 186, "Right Side", "", "c r X"},
    {"XSheetTopBar", 187, "Show X-Sheet Top Bar", "", "c v"},
    {"AutoSaveInterval5Min", 188, "5 mins", "", "c v r I"},
    {"AutoSaveInterval15Min", 189, "15 mins", "", "c v r I"},
    {"AutoSaveInterval30Min", 190, "30 mins", "", "c v r I"},
    {"AutoSaveInterval60Min", 191, "1 hour", "", "c v r I"},
    {"AutoSaveFiles1", 192, "Only 1", "", "c v r N"},
    {"AutoSaveFiles2", 193, "Alternate between 2", "", "c v r N"},
    {"AutoSaveFiles3", 194, "Cycle through 3", "", "c v r N"},
    {"AutoSaveFiles5", 195, "Cycle through 5", "", "c v r N"},
    {"AutoSaveFiles9", 196, "Cycle through 9", "", "c v r N"},
    {"UIScale75", 197, "75%", "", "c v r U"},
    {"UIScale100", 198, "100%", "", "c v r U"},
    {"UIScale125", 199, "125%", "", "c v r U"},
    {"UIScale150", 200, "150%", "", "c v r U"},
};

QList<QKeySequence> expectedShortcuts(const QString& keyTexts)
{
    QList<QKeySequence> result;
    if (keyTexts.isEmpty())
        return result;
    const QMetaEnum standardKeys = QMetaEnum::fromType<QKeySequence::StandardKey>();
    for (const QString& part : keyTexts.split(QLatin1Char('|'))) {
        if (part.startsWith(QLatin1String("std:"))) {
            bool ok = false;
            const int value = standardKeys.keyToValue(part.mid(4).toLatin1().constData(), &ok);
            Q_ASSERT(ok);
            result += QKeySequence::keyBindings(static_cast<QKeySequence::StandardKey>(value));
        } else {
            result += QKeySequence(part, QKeySequence::NativeText);
        }
    }
    return result;
}

QString expectedText(const CatalogueRow& row)
{
    const QString text = QString::fromUtf8(row.text);
    if (text.startsWith(QLatin1Char('#')))
        return QLocale().toString(text.mid(1).toDouble(), 'g', 6);
    if (qstrcmp(row.key, "OffPegs") == 0)
#ifdef Q_OS_MACOS
        return text.arg(QChar(0x2325)).arg(QChar(0x2318));
#else
        return text.arg(QStringLiteral("Alt"), QStringLiteral("Ctrl"));
#endif
    if (qstrcmp(row.key, "About") == 0)
        return text.arg(QGuiApplication::applicationDisplayName());
    return text;
}

QString iconName(const CatalogueRow& row)
{
    for (const QString& flag : QString::fromLatin1(row.flags).split(QLatin1Char(' '))) {
        if (flag == QLatin1String("i"))
            return QString::fromLatin1(row.key);
        if (flag.startsWith(QLatin1String("i:")))
            return flag.mid(2);
    }
    return QString();
}

bool hasFlag(const CatalogueRow& row, const char* flag)
{
    return QString::fromLatin1(row.flags).split(QLatin1Char(' ')).contains(QLatin1String(flag));
}

// Answers a few texts of the manager's translation context the way a
// translation file would, to see which texts the catalogue translates.
class FakeTranslator : public QTranslator
{
public:
    QString translate(const char* context, const char* sourceText, const char* disambiguation,
                      int n) const override
    {
        Q_UNUSED(disambiguation)
        Q_UNUSED(n)
        if (qstrcmp(context, "Model::ActionManager") != 0)
            return QString();
        static const QHash<QString, QString> texts = {
            {QStringLiteral("Ctrl+I"), QStringLiteral("Ctrl+J")},
            {QStringLiteral("Ctrl+E"), QStringLiteral("Alt+E")},
            {QStringLiteral("C"), QStringLiteral("Q")},
            {QStringLiteral("S"), QStringLiteral("W")},
            {QStringLiteral("Shift+S"), QStringLiteral("Shift+W")},
            {QStringLiteral("Dummy non-drawing action"), QStringLiteral("Translated")},
            {QStringLiteral("New Scene..."), QStringLiteral("Neue Szene...")},
        };
        return texts.value(QString::fromUtf8(sourceText));
    }
    bool isEmpty() const override { return false; }
};

} // namespace

class TestActionCatalogue : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();

    void keys_data();
    void keys();
    void catalogue_data();
    void catalogue();
    void actionsNotMadeByInit();
    void startCheckStatesWithFreshStore();
    void exclusiveGroups_data();
    void exclusiveGroups();
    void nonDrawingActionClearsDrawAndErase();
    void sharedShortcutsAndTexts();
    void toolTips_data();
    void toolTips();
    void everyToolTipShowsFirstShortcut();
    void iconsAreValidSvg();
    void frameRateTextsFollowTheDefaultLocale();
    void shortcutTextsAreTranslatedExceptFixedOnes();
    void textsNameKeysAsThePlatformDoes();

private:
    ActionManager* m_manager = nullptr;
};

void TestActionCatalogue::initTestCase()
{
    TestSupport::clearSettings();
    Settings::instance()->init();
    m_manager = ActionManager::instance();
    m_manager->init();
}

void TestActionCatalogue::keys_data()
{
    QTest::addColumn<QString>("key");
    QTest::addColumn<int>("value");
    for (const CatalogueRow& row : catalogueRows)
        QTest::newRow(row.key) << QString::fromLatin1(row.key) << row.value;
}

void TestActionCatalogue::keys()
{
    QFETCH(QString, key);
    QFETCH(int, value);
    const QMetaEnum meta = QMetaEnum::fromType<KW::Action>();
    QCOMPARE(meta.keyCount(), 201);
    QCOMPARE(QString::fromLatin1(meta.valueToKey(value)), key);
    QCOMPARE(meta.keyToValue(key.toLatin1().constData()), value);
}

void TestActionCatalogue::catalogue_data()
{
    QTest::addColumn<int>("index");
    for (int i = 1; i < int(std::size(catalogueRows)); ++i) {
        if (catalogueRows[i].value == int(KW::Action::Undo) || catalogueRows[i].value == int(KW::Action::Redo))
            continue;
        QTest::newRow(catalogueRows[i].key) << i;
    }
}

void TestActionCatalogue::catalogue()
{
    QFETCH(int, index);
    const CatalogueRow& row = catalogueRows[index];
    const auto id = static_cast<KW::Action>(row.value);

    QAction* action = m_manager->action(id);
    QVERIFY(action);
    QCOMPARE(m_manager->action(QString::fromLatin1(row.key)), action);
    QCOMPARE(action->property("KWActionName").toString(), QString::fromLatin1(row.key));
    QCOMPARE(action->parent(), m_manager);

    ActionManager::ActionRecord* record = m_manager->kwAction(id);
    QVERIFY(record);
    QCOMPARE(record->action, action);
    QCOMPARE(record->id, id);
    QCOMPARE(record->alternativeText.has_value(), hasFlag(row, "a"));

    QCOMPARE(action->text(), expectedText(row));
    QCOMPARE(record->defaultText, action->text());

    const QList<QKeySequence> shortcuts = expectedShortcuts(QString::fromUtf8(row.shortcuts));
    QCOMPARE(action->shortcuts(), shortcuts);
    // A shortcut belongs to the window that shows its action, never to a
    // dialog or another program window over it.
    QCOMPARE(action->shortcutContext(), Qt::WindowShortcut);

    QCOMPARE(action->isCheckable(), hasFlag(row, "c"));
    QCOMPARE(action->autoRepeat(), !hasFlag(row, "r"));
    QCOMPARE(action->isEnabled(), !hasFlag(row, "d"));
    QCOMPARE(action->icon().isNull(), iconName(row).isEmpty());
    QCOMPARE(record->defaultIcon.isNull(), iconName(row).isEmpty());
}

void TestActionCatalogue::actionsNotMadeByInit()
{
    QVERIFY(!m_manager->action(KW::Action::NoAction));
    QVERIFY(!m_manager->action(QStringLiteral("NoAction")));
    QTest::ignoreMessage(QtDebugMsg, R"(kwAction action not found "Undo")");
    QVERIFY(!m_manager->action(KW::Action::Undo));
    QTest::ignoreMessage(QtDebugMsg, R"(kwAction action not found "Redo")");
    QVERIFY(!m_manager->action(KW::Action::Redo));

    int made = 0;
    for (QAction* child : m_manager->findChildren<QAction*>(QString(), Qt::FindDirectChildrenOnly)) {
        QVERIFY(!child->property("KWActionName").toString().isEmpty());
        ++made;
    }
    QCOMPARE(made, 198);
}

void TestActionCatalogue::startCheckStatesWithFreshStore()
{
    // The flagged start states together with the settings' built-in defaults.
    const QSet<QString> expected = {
        QStringLiteral("GridTypeFieldGuide"),    QStringLiteral("XSheetCenterAndScroll"),
        QStringLiteral("AddClonesMode"),         QStringLiteral("LayerVisibility"),
        QStringLiteral("LayerLink"),             QStringLiteral("ShowNothingBeyond"),
        QStringLiteral("ThumbnailSizeMedium"),   QStringLiteral("ToolBar"),
        QStringLiteral("ToolBarRightSide"),      QStringLiteral("FaintCursor"),
        QStringLiteral("FreelyDrawOnClones"),    QStringLiteral("TransparencyShownAsWhite"),
        QStringLiteral("AutoSaveInterval15Min"), QStringLiteral("AutoSaveFiles3"),
        QStringLiteral("UIScale100"),
    };
    QSet<QString> checked;
    for (const CatalogueRow& row : catalogueRows) {
        if (row.value == 0 || row.value == int(KW::Action::Undo) || row.value == int(KW::Action::Redo))
            continue;
        if (m_manager->action(static_cast<KW::Action>(row.value))->isChecked())
            checked.insert(QString::fromLatin1(row.key));
    }
    QCOMPARE(checked, expected);
}

void TestActionCatalogue::exclusiveGroups_data()
{
    QTest::addColumn<QString>("letter");
    for (const char* letter : {"T", "P", "L", "F", "G", "D", "B", "S", "W", "K", "Y", "X", "I", "N", "U"})
        QTest::newRow(letter) << QString::fromLatin1(letter);
}

void TestActionCatalogue::exclusiveGroups()
{
    QFETCH(QString, letter);
    QList<QAction*> members;
    for (const CatalogueRow& row : catalogueRows) {
        if (hasFlag(row, letter.toLatin1().constData()))
            members += m_manager->action(static_cast<KW::Action>(row.value));
    }
    QVERIFY(members.size() >= 2);
    QActionGroup* group = members.first()->actionGroup();
    QVERIFY(group);
    QVERIFY(group->isExclusive());
    QCOMPARE(group->parent(), m_manager);
    QCOMPARE(QSet<QAction*>(group->actions().cbegin(), group->actions().cend()),
             QSet<QAction*>(members.cbegin(), members.cend()));

    int checked = 0;
    for (QAction* member : members)
        checked += member->isChecked();
    QVERIFY(checked <= 1);
    // Checking one member unchecks whichever was checked before.
    members.last()->setChecked(true);
    members.first()->setChecked(true);
    QVERIFY(members.first()->isChecked());
    QVERIFY(!members.last()->isChecked());
}

void TestActionCatalogue::nonDrawingActionClearsDrawAndErase()
{
    ActionManager manager;
    manager.init();
    QAction* draw = manager.action(KW::Action::Draw);
    QAction* erase = manager.action(KW::Action::Erase);
    QAction* nonDrawing = manager.action(KW::Action::NonDrawingAction);
    QVERIFY(!draw->isChecked() && !erase->isChecked() && !nonDrawing->isChecked());

    draw->setChecked(true);
    nonDrawing->setChecked(true);
    QVERIFY(!draw->isChecked());
    QVERIFY(!erase->isChecked());
    erase->setChecked(true);
    QVERIFY(!nonDrawing->isChecked());
    draw->trigger();
    QVERIFY(draw->isChecked());
    QVERIFY(!erase->isChecked());
}

void TestActionCatalogue::textsNameKeysAsThePlatformDoes()
{
#ifdef Q_OS_MACOS
    QSKIP("the key signs are this platform's own names");
#else
    static const QRegularExpression macSigns(QStringLiteral("[\\x{2318}\\x{2325}\\x{21E7}\\x{2303}]"));
    for (QAction* action : m_manager->actions()) {
        QVERIFY2(!action->text().contains(macSigns), qPrintable(action->text()));
        QVERIFY2(!action->toolTip().contains(macSigns), qPrintable(action->toolTip()));
    }
    QCOMPARE(m_manager->action(KW::Action::OffPegs)->text(),
             QStringLiteral("Off Pegs Tool (Hold Alt and Ctrl Keys)"));
#endif
}

void TestActionCatalogue::sharedShortcutsAndTexts()
{
    const QKeySequence space(QStringLiteral("Space"));
    QCOMPARE(m_manager->action(KW::Action::Play)->shortcut(), space);
    QCOMPARE(m_manager->action(KW::Action::ZPR)->shortcut(), space);
    const QKeySequence enter(QStringLiteral("Return"));
    QCOMPARE(m_manager->action(KW::Action::ReturnFlip)->shortcut(), enter);
    QCOMPARE(m_manager->action(KW::Action::StampFloatingSelection)->shortcut(), enter);

    QAction* toolBarLeft = m_manager->action(KW::Action::ToolBarLeftSide);
    QAction* xSheetLeft = m_manager->action(KW::Action::XSheetLeftSide);
    QCOMPARE(toolBarLeft->text(), xSheetLeft->text());
    QVERIFY(toolBarLeft != xSheetLeft);
    QVERIFY(toolBarLeft->actionGroup() != xSheetLeft->actionGroup());

    // The grid types have no shortcut at all.
    for (int v = int(KW::Action::GridTypeFieldGuide); v <= int(KW::Action::GridTypeRenaissance); ++v)
        QVERIFY(m_manager->action(static_cast<KW::Action>(v))->shortcuts().isEmpty());
}

void TestActionCatalogue::toolTips_data()
{
    QTest::addColumn<KW::Action>("id");
    QTest::addColumn<QString>("toolTip");
    const auto native = [](const char* keys) {
        return QKeySequence(QString::fromLatin1(keys)).toString(QKeySequence::NativeText);
    };
    QTest::newRow("two shortcuts, first shown") << KW::Action::Pencil
                                                << QStringLiteral("Pencil (P) [%1]").arg(native("4"));
    QTest::newRow("ellipsis dropped") << KW::Action::Import
                                      << QStringLiteral("Import (Frames, Movie Clip or Audio) [%1]")
                                             .arg(native("Ctrl+I"));
    QTest::newRow("mnemonic dropped") << KW::Action::Draw
                                      << QStringLiteral("Draw (Latest Drawing Tool) [%1]").arg(native("D"));
    QTest::newRow("no shortcut") << KW::Action::ExportFrames << QStringLiteral("Frames");
    QTest::newRow("icon text") << KW::Action::OffPegs << QStringLiteral("Off Pegs Tool");
    QTest::newRow("hand") << KW::Action::Pan << QStringLiteral("Hand Tool [Hold H]");
    QTest::newRow("zoom") << KW::Action::Zoom << QStringLiteral("Zoom [Hold Z]");
    QTest::newRow("rotate") << KW::Action::Rotate << QStringLiteral("Rotate [Hold R]");
    QTest::newRow("symbol key") << KW::Action::ClearDrawingMakingBlank
                                << QStringLiteral("Clear Drawing (Make it Blank) [%1]").arg(native("*"));
}

void TestActionCatalogue::toolTips()
{
    QFETCH(KW::Action, id);
    QFETCH(QString, toolTip);
    QCOMPARE(m_manager->action(id)->toolTip(), toolTip);
}

void TestActionCatalogue::everyToolTipShowsFirstShortcut()
{
    const QSet<int> ownToolTips = {int(KW::Action::Pan), int(KW::Action::Zoom), int(KW::Action::Rotate)};
    for (const CatalogueRow& row : catalogueRows) {
        const auto id = static_cast<KW::Action>(row.value);
        if (row.value == 0 || id == KW::Action::Undo || id == KW::Action::Redo || ownToolTips.contains(row.value))
            continue;
        QAction* action = m_manager->action(id);
        const QString expected =
            action->shortcuts().isEmpty()
                ? action->iconText()
                : QStringLiteral("%1 [%2]").arg(action->iconText(),
                                                action->shortcuts().first().toString(QKeySequence::NativeText));
        QVERIFY2(action->toolTip() == expected, row.key);
    }
}

void TestActionCatalogue::iconsAreValidSvg()
{
    // The catalogue's icons (Undo and Redo among them) and Play's alternative.
    QSet<QString> names = {QStringLiteral("Stop")};
    for (const CatalogueRow& row : catalogueRows) {
        if (!iconName(row).isEmpty())
            names += iconName(row);
    }
    QCOMPARE(names.size(), 62);
    for (const QString& name : std::as_const(names)) {
        const QString file = QStringLiteral(":/icons/%1_icon.svg").arg(name);
        QVERIFY2(QFile::exists(file), qPrintable(file));
        QSvgRenderer renderer(file);
        QVERIFY2(renderer.isValid(), qPrintable(file));
        QVERIFY2(!QIcon(file).pixmap(QSize(24, 24)).isNull(), qPrintable(file));
    }
    // Every icon shipped is in use, so a renamed action leaves no stale file.
    QDirIterator it(QStringLiteral(":/icons"));
    int shipped = 0;
    while (it.hasNext()) {
        const QString name = it.next().section(QLatin1Char('/'), -1).remove(QStringLiteral("_icon.svg"));
        QVERIFY2(names.contains(name), qPrintable(name));
        ++shipped;
    }
    QCOMPARE(shipped, int(names.size()));
}

void TestActionCatalogue::frameRateTextsFollowTheDefaultLocale()
{
    const QLocale previous;
    QLocale::setDefault(QLocale(QLocale::German, QLocale::Germany));
    {
        ActionManager manager;
        manager.init();
        QCOMPARE(manager.action(KW::Action::FrameRate12_5)->text(), QStringLiteral("12,5"));
        QCOMPARE(manager.action(KW::Action::FrameRate06)->text(), QStringLiteral("6"));
        QCOMPARE(manager.action(KW::Action::FrameRate60)->text(), QStringLiteral("60"));
    }
    QLocale::setDefault(previous);
    QCOMPARE(m_manager->action(KW::Action::FrameRate12_5)->text(), QStringLiteral("12.5"));
}

void TestActionCatalogue::shortcutTextsAreTranslatedExceptFixedOnes()
{
    FakeTranslator translator;
    QVERIFY(QCoreApplication::installTranslator(&translator));
    ActionManager manager;
    manager.init();
    QCoreApplication::removeTranslator(&translator);

    QCOMPARE(manager.action(KW::Action::Import)->shortcut(), QKeySequence(QStringLiteral("Ctrl+J")));
    QCOMPARE(manager.action(KW::Action::ExportVideo)->shortcut(), QKeySequence(QStringLiteral("Alt+E")));
    QCOMPARE(manager.action(KW::Action::NewScene)->text(), QStringLiteral("Neue Szene..."));
    QCOMPARE(manager.action(KW::Action::Palette)->shortcut(), QKeySequence(QStringLiteral("C")));
    QCOMPARE(manager.action(KW::Action::PrimarySpeedDial)->shortcut(), QKeySequence(QStringLiteral("S")));
    QCOMPARE(manager.action(KW::Action::SecondarySpeedDial)->shortcut(),
             QKeySequence(QStringLiteral("Shift+S")));
    QCOMPARE(manager.action(KW::Action::NonDrawingAction)->text(),
             QStringLiteral("Dummy non-drawing action"));
}

QUILLMERE_TEST_MAIN(TestActionCatalogue)
#include "tst_actioncatalogue.moc"
