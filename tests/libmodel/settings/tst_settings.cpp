#include "TestSupport.h"

#include "settings/Settings.h"

#include <QDir>
#include <QSettings>
#include <QSignalSpy>
#include <QStandardPaths>
#include <QTemporaryDir>

#include <cmath>
#include <functional>
#include <limits>
#include <memory>

using Apply = std::function<void(Model::Settings&)>;
using Read = std::function<QVariant(const Model::Settings&)>;
Q_DECLARE_METATYPE(Apply)
Q_DECLARE_METATYPE(Read)

namespace {

std::unique_ptr<Model::Settings> loadedSettings()
{
    auto settings = std::make_unique<Model::Settings>(nullptr);
    settings->init();
    return settings;
}

QVariant rawValue(const QString& key)
{
    return QSettings().value(key);
}

void writeRaw(const QString& key, const QVariant& value)
{
    QSettings settings;
    settings.setValue(key, value);
    settings.sync();
}

template <typename E>
QVariant v(E value)
{
    return QVariant::fromValue(value);
}

} // namespace

class TestSettings : public QObject
{
    Q_OBJECT

private slots:
    void init();

    void defaults_data();
    void defaults();
    void defaultFoldersAreTheDocumentsFolder();

    void persistsAcrossRestart_data();
    void persistsAcrossRestart();
    void foldersPersistAsAbsolutePaths();

    void enumsStoredAsKeyText_data();
    void enumsStoredAsKeyText();
    void storedEnumTextIsReadByKey_data();
    void storedEnumTextIsReadByKey();

    void frameSizeBounds_data();
    void frameSizeBounds();
    void storedFrameSizeOutsideBounds_data();
    void storedFrameSizeOutsideBounds();
    void frameRateBounds_data();
    void frameRateBounds();
    void storedFrameRateOutsideBounds_data();
    void storedFrameRateOutsideBounds();
    void initialNumberOfFrames_data();
    void initialNumberOfFrames();
    void storedInitialNumberOfFramesOutsideBounds();

    void signalOnlyOnChange_data();
    void signalOnlyOnChange();
    void memoryOnlySettingsAreNotStored();
    void uiScaleFraction();

    void recentFilesReplaceSameFile_data();
    void recentFilesReplaceSameFile();
    void recentFilesKeepTen();
    void recentFilesIgnoreEmptyPath();
    void recentFilesRemoveAndClear();

    void toolRanges_data();
    void toolRanges();

    void windowGeometry();
    void genericValueAtRoot();
};

void TestSettings::init()
{
    TestSupport::clearSettings();
}

// The same expectations hold for a freshly built object and for one that loaded
// an empty store: an absent key never disturbs the built-in default.
void TestSettings::defaults_data()
{
    QTest::addColumn<bool>("loaded");
    QTest::newRow("built") << false;
    QTest::newRow("loaded from empty store") << true;
}

void TestSettings::defaults()
{
    QFETCH(bool, loaded);
    Model::Settings s(nullptr);
    if (loaded)
        s.init();

    QCOMPARE(s.showBeyondButtons(), false);
    QCOMPARE(s.clonesLockedForDrawing(), false);
    QCOMPARE(s.slideMode(), false);
    QCOMPARE(s.gridType(), KW::GridType::FieldGuide);
    QCOMPARE(s.thumbnailSize(), KW::ThumbnailSize::ThumbnailMedium);
    QCOMPARE(s.transparencyType(), KW::TransparencyType::TransparencyWhite);
    QCOMPARE(s.drawCursorType(), KW::DrawCursorType::AdaptToSize);
    QCOMPARE(s.drawCursorOpacity(), KW::DrawCursorOpacity::Faint);
    QCOMPARE(s.defaultFrameSize(), QSize(1920, 1080));
    QCOMPARE(s.defaultFrameRate(), 12.0);
    QCOMPARE(s.defaultInitialNumberOfFrames(), 1);
    QCOMPARE(s.defaultChangeFrameSizeFitMode(), KW::FitMode::FitModeKeepAspect);
    QVERIFY(s.recentFiles().isEmpty());
    QCOMPARE(s.showVideoTutorialsOnStartup(), true);
    QCOMPARE(s.toolBarPosition(), KW::ToolBarPosition::Right);
    QCOMPARE(s.toolBarVisible(), true);
    QCOMPARE(s.toolBarSettings(),
             QStringLiteral("Draw|Erase|Spacer|BacklightOnOff|Spacer|Pan|Zoom|Rotate|Spacer|"
                            "AddBlankDrawing|ClearDrawingMakingBlank|DiscardDrawing"));
    QCOMPARE(s.primarySpeedDialSettings(),
             QStringLiteral("Play|Cutter|Erase|FitPaperToView|BacklightOnOff|ResetView|Draw|Lasso"));
    QCOMPARE(s.secondarySpeedDialSettings(),
             QStringLiteral("ToggleXSheetDragMode|LoseDrawingMakingHold|AddBlankDrawing|"
                            "PencilPreset2|PencilPreset1|BrushPreset1|DiscardDrawing|"
                            "ClearDrawingMakingBlank"));
    QCOMPARE(s.bitmapRatioForCollapsingVectorData(), 2);
    QCOMPARE(s.collapseAutomatically(), false);
    QCOMPARE(s.showXSheetTopBar(), false);
    QCOMPARE(s.autoSaveEnabled(), false);
    QCOMPARE(s.autoSaveIntervalMins(), 15);
    QCOMPARE(s.autoSaveNumFiles(), 3);
    QCOMPARE(s.UIScalePercent(), 100);
    QCOMPARE(s.UIScaleFraction(), 1.0f);
    QCOMPARE(s.backlightEnabled(), false);
    QCOMPARE(s.onlyBacklightKeyFrames(), false);

    // The public constants are what the preferences page restores from.
    QCOMPARE(s.toolBarSettings(), Model::Settings::defaultToolBarSettings);
    QCOMPARE(s.primarySpeedDialSettings(), Model::Settings::defaultPrimarySpeedDialSettings);
    QCOMPARE(s.secondarySpeedDialSettings(), Model::Settings::defaultSecondarySpeedDialSettings);
    QCOMPARE(s.transparencyType(), Model::Settings::defaultTransparencyType);
    QCOMPARE(s.drawCursorOpacity(), Model::Settings::defaultDrawCursorOpacity);
    QCOMPARE(s.toolBarPosition(), Model::Settings::defaultToolBarPosition);
    QCOMPARE(s.UIScalePercent(), Model::Settings::defaultUIScalePercent);

    // Reading must not fill the store.
    QVERIFY(QSettings().allKeys().isEmpty());
}

void TestSettings::defaultFoldersAreTheDocumentsFolder()
{
    const QString documents = QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation);
    const auto s = loadedSettings();
    QCOMPARE(s->defaultSaveDir().path(), QDir(documents).path());
    QCOMPARE(s->defaultImportDir().path(), QDir(documents).path());
}

void TestSettings::persistsAcrossRestart_data()
{
    QTest::addColumn<QString>("key");
    QTest::addColumn<Apply>("apply");
    QTest::addColumn<Read>("read");
    QTest::addColumn<QVariant>("expected");

    using S = Model::Settings;
    QTest::newRow("ShowBeyondButtons")
        << "Preferences/ShowBeyondButtons" << Apply([](S& s) { s.setShowBeyondButtons(true); })
        << Read([](const S& s) { return QVariant(s.showBeyondButtons()); }) << QVariant(true);
    QTest::newRow("ClonesLockedForDrawing")
        << "Preferences/ClonesLockedForDrawing"
        << Apply([](S& s) { s.setClonesLockedForDrawing(true); })
        << Read([](const S& s) { return QVariant(s.clonesLockedForDrawing()); }) << QVariant(true);
    QTest::newRow("DefaultFrameSize")
        << "Preferences/DefaultFrameSize"
        << Apply([](S& s) { s.setDefaultFrameSize(QSize(1280, 720)); })
        << Read([](const S& s) { return QVariant(s.defaultFrameSize()); })
        << QVariant(QSize(1280, 720));
    QTest::newRow("DefaultFrameRate")
        << "Preferences/DefaultFrameRate" << Apply([](S& s) { s.setDefaultFrameRate(23.976); })
        << Read([](const S& s) { return QVariant(s.defaultFrameRate()); }) << QVariant(23.976);
    QTest::newRow("DefaultInitialNumberOfFrames")
        << "Preferences/DefaultInitialNumberOfFrames"
        << Apply([](S& s) { s.setDefaultInitialNumberOfFrames(48); })
        << Read([](const S& s) { return QVariant(s.defaultInitialNumberOfFrames()); })
        << QVariant(48);
    QTest::newRow("DefaultChangeFrameSizeFitMode")
        << "Preferences/DefaultChangeFrameSizeFitMode"
        << Apply([](S& s) { s.setDefaultChangeFrameSizeFitMode(KW::FitMode::FitModeCropCenter); })
        << Read([](const S& s) { return v(s.defaultChangeFrameSizeFitMode()); })
        << v(KW::FitMode::FitModeCropCenter);
    QTest::newRow("ShowVideoTutorialsOnStartup")
        << "Preferences/ShowVideoTutorialsOnStartup"
        << Apply([](S& s) { s.setShowVideoTutorialsOnStartup(false); })
        << Read([](const S& s) { return QVariant(s.showVideoTutorialsOnStartup()); })
        << QVariant(false);
    QTest::newRow("CollapseVectorDataAutomatically")
        << "Preferences/CollapseVectorDataAutomatically"
        << Apply([](S& s) { s.setCollapseAutomatically(true); })
        << Read([](const S& s) { return QVariant(s.collapseAutomatically()); }) << QVariant(true);
    QTest::newRow("UIScalePercent")
        << "Preferences/UIScalePercent" << Apply([](S& s) { s.setUIScalePercent(125); })
        << Read([](const S& s) { return QVariant(s.UIScalePercent()); }) << QVariant(125);
    QTest::newRow("AutoSave/Enabled")
        << "Preferences/AutoSave/Enabled" << Apply([](S& s) { s.setAutoSaveEnabled(true); })
        << Read([](const S& s) { return QVariant(s.autoSaveEnabled()); }) << QVariant(true);
    QTest::newRow("AutoSave/IntervalMins")
        << "Preferences/AutoSave/IntervalMins" << Apply([](S& s) { s.setAutoSaveIntervalMins(5); })
        << Read([](const S& s) { return QVariant(s.autoSaveIntervalMins()); }) << QVariant(5);
    QTest::newRow("AutoSave/NumFiles")
        << "Preferences/AutoSave/NumFiles" << Apply([](S& s) { s.setAutoSaveNumFiles(7); })
        << Read([](const S& s) { return QVariant(s.autoSaveNumFiles()); }) << QVariant(7);
    QTest::newRow("Grid/Type")
        << "Preferences/Grid/Type" << Apply([](S& s) { s.setGridType(KW::GridType::Renaissance); })
        << Read([](const S& s) { return v(s.gridType()); }) << v(KW::GridType::Renaissance);
    QTest::newRow("Transparency/Type")
        << "Preferences/Transparency/Type"
        << Apply([](S& s) { s.setTransparencyType(KW::TransparencyType::TransparencyDarkGrey); })
        << Read([](const S& s) { return v(s.transparencyType()); })
        << v(KW::TransparencyType::TransparencyDarkGrey);
    QTest::newRow("DrawCursor/Type")
        << "Preferences/DrawCursor/Type"
        << Apply([](S& s) { s.setDrawCursorType(KW::DrawCursorType::FixedSmall); })
        << Read([](const S& s) { return v(s.drawCursorType()); })
        << v(KW::DrawCursorType::FixedSmall);
    QTest::newRow("DrawCursor/Opacity")
        << "Preferences/DrawCursor/Opacity"
        << Apply([](S& s) { s.setDrawCursorOpacity(KW::DrawCursorOpacity::Opaque); })
        << Read([](const S& s) { return v(s.drawCursorOpacity()); })
        << v(KW::DrawCursorOpacity::Opaque);
    QTest::newRow("XSheet/ThumbnailSize")
        << "Preferences/XSheet/ThumbnailSize"
        << Apply([](S& s) { s.setThumbnailSize(KW::ThumbnailSize::ThumbnailTiny); })
        << Read([](const S& s) { return v(s.thumbnailSize()); })
        << v(KW::ThumbnailSize::ThumbnailTiny);
    QTest::newRow("XSheet/ShowTopBar")
        << "Preferences/XSheet/ShowTopBar" << Apply([](S& s) { s.setShowXSheetTopBar(true); })
        << Read([](const S& s) { return QVariant(s.showXSheetTopBar()); }) << QVariant(true);
    QTest::newRow("ToolBar/ActionList")
        << "Preferences/ToolBar/ActionList"
        << Apply([](S& s) { s.setToolBarSettings(QStringLiteral("Draw||NewToolBarColumn|Erase")); })
        << Read([](const S& s) { return QVariant(s.toolBarSettings()); })
        << QVariant(QStringLiteral("Draw||NewToolBarColumn|Erase"));
    QTest::newRow("ToolBar/Position")
        << "Preferences/ToolBar/Position"
        << Apply([](S& s) { s.setToolBarPosition(KW::ToolBarPosition::Left); })
        << Read([](const S& s) { return v(s.toolBarPosition()); }) << v(KW::ToolBarPosition::Left);
    QTest::newRow("ToolBar/Visible")
        << "Preferences/ToolBar/Visible" << Apply([](S& s) { s.setToolBarVisible(false); })
        << Read([](const S& s) { return QVariant(s.toolBarVisible()); }) << QVariant(false);
    QTest::newRow("SpeedDials/PrimaryActionList")
        << "Preferences/SpeedDials/PrimaryActionList"
        << Apply([](S& s) { s.setPrimarySpeedDialSettings(QStringLiteral("Play||||||Draw|")); })
        << Read([](const S& s) { return QVariant(s.primarySpeedDialSettings()); })
        << QVariant(QStringLiteral("Play||||||Draw|"));
    QTest::newRow("SpeedDials/SecondaryActionList")
        << "Preferences/SpeedDials/SecondaryActionList"
        << Apply([](S& s) { s.setSecondarySpeedDialSettings(QStringLiteral("Lasso|Cutter")); })
        << Read([](const S& s) { return QVariant(s.secondarySpeedDialSettings()); })
        << QVariant(QStringLiteral("Lasso|Cutter"));
    QTest::newRow("RecentFiles/RecentScenes")
        << "RecentFiles/RecentScenes"
        << Apply([](S& s) {
               s.addToRecentFiles(QStringLiteral("/scenes/one.kw"));
               s.addToRecentFiles(QStringLiteral("/scenes/two.kw"));
           })
        << Read([](const S& s) { return QVariant(s.recentFiles()); })
        << QVariant(QStringList{QStringLiteral("/scenes/two.kw"), QStringLiteral("/scenes/one.kw")});
}

void TestSettings::persistsAcrossRestart()
{
    QFETCH(QString, key);
    QFETCH(Apply, apply);
    QFETCH(Read, read);
    QFETCH(QVariant, expected);

    {
        auto writer = loadedSettings();
        QVERIFY(read(*writer) != expected);
        apply(*writer);
        QCOMPARE(read(*writer), expected);
    }
    QVERIFY2(QSettings().contains(key), qPrintable(key));
    QCOMPARE(read(*loadedSettings()), expected);
}

void TestSettings::foldersPersistAsAbsolutePaths()
{
    QTemporaryDir save;
    QTemporaryDir import;
    QVERIFY(save.isValid() && import.isValid());
    {
        auto writer = loadedSettings();
        // A relative folder is stored as the absolute path it names now.
        const QString workingDir = QDir::currentPath();
        QDir::setCurrent(save.path());
        writer->setDefaultSaveDir(QDir(QStringLiteral(".")));
        QDir::setCurrent(workingDir);
        writer->setDefaultImportDir(QDir(import.path()));
    }
    QCOMPARE(rawValue(QStringLiteral("Preferences/DefaultSaveDir")).toString(), save.path());
    QCOMPARE(rawValue(QStringLiteral("Preferences/DefaultImportDir")).toString(), import.path());
    const auto reader = loadedSettings();
    QCOMPARE(reader->defaultSaveDir().absolutePath(), save.path());
    QCOMPARE(reader->defaultImportDir().absolutePath(), import.path());
}

void TestSettings::enumsStoredAsKeyText_data()
{
    QTest::addColumn<QString>("key");
    QTest::addColumn<Apply>("apply");
    QTest::addColumn<QString>("text");

    using S = Model::Settings;
    QTest::newRow("grid") << "Preferences/Grid/Type"
                          << Apply([](S& s) { s.setGridType(KW::GridType::Safety); }) << "Safety";
    QTest::newRow("transparency")
        << "Preferences/Transparency/Type"
        << Apply([](S& s) { s.setTransparencyType(KW::TransparencyType::TransparencyBlack); })
        << "TransparencyBlack";
    QTest::newRow("cursor type")
        << "Preferences/DrawCursor/Type"
        << Apply([](S& s) { s.setDrawCursorType(KW::DrawCursorType::FixedSmall); })
        << "FixedSmall";
    QTest::newRow("cursor opacity")
        << "Preferences/DrawCursor/Opacity"
        << Apply([](S& s) { s.setDrawCursorOpacity(KW::DrawCursorOpacity::Opaque); }) << "Opaque";
    QTest::newRow("thumbnail")
        << "Preferences/XSheet/ThumbnailSize"
        << Apply([](S& s) { s.setThumbnailSize(KW::ThumbnailSize::ThumbnailLarge); })
        << "ThumbnailLarge";
    QTest::newRow("tool bar")
        << "Preferences/ToolBar/Position"
        << Apply([](S& s) { s.setToolBarPosition(KW::ToolBarPosition::Left); }) << "Left";
    // Written even when it equals the value in memory.
    QTest::newRow("fit mode unchanged")
        << "Preferences/DefaultChangeFrameSizeFitMode"
        << Apply([](S& s) { s.setDefaultChangeFrameSizeFitMode(KW::FitMode::FitModeKeepAspect); })
        << "FitModeKeepAspect";
}

void TestSettings::enumsStoredAsKeyText()
{
    QFETCH(QString, key);
    QFETCH(Apply, apply);
    QFETCH(QString, text);

    apply(*loadedSettings());
    const QVariant raw = rawValue(key);
    QCOMPARE(raw.typeId(), QMetaType::QString);
    QCOMPARE(raw.toString(), text);
}

void TestSettings::storedEnumTextIsReadByKey_data()
{
    QTest::addColumn<QString>("key");
    QTest::addColumn<QVariant>("stored");
    QTest::addColumn<Read>("read");
    QTest::addColumn<QVariant>("expected");

    using S = Model::Settings;
    const Read grid([](const S& s) { return v(s.gridType()); });
    const Read position([](const S& s) { return v(s.toolBarPosition()); });
    const Read transparency([](const S& s) { return v(s.transparencyType()); });
    const Read thumbnail([](const S& s) { return v(s.thumbnailSize()); });
    const Read fitMode([](const S& s) { return v(s.defaultChangeFrameSizeFitMode()); });
    const Read cursorType([](const S& s) { return v(s.drawCursorType()); });
    const Read cursorOpacity([](const S& s) { return v(s.drawCursorOpacity()); });

    QTest::newRow("grid key") << "Preferences/Grid/Type" << QVariant("Diagonals") << grid
                              << v(KW::GridType::Diagonals);
    QTest::newRow("grid unknown") << "Preferences/Grid/Type" << QVariant("Hexagons") << grid
                                  << v(KW::GridType::FieldGuide);
    QTest::newRow("grid number is no key") << "Preferences/Grid/Type" << QVariant(2) << grid
                                           << v(KW::GridType::FieldGuide);
    QTest::newRow("grid wrong case") << "Preferences/Grid/Type" << QVariant("safety") << grid
                                     << v(KW::GridType::FieldGuide);
    QTest::newRow("tool bar unknown") << "Preferences/ToolBar/Position" << QVariant("Top")
                                      << position << v(KW::ToolBarPosition::Left);
    QTest::newRow("tool bar empty") << "Preferences/ToolBar/Position" << QVariant("") << position
                                    << v(KW::ToolBarPosition::Left);
    QTest::newRow("transparency unknown")
        << "Preferences/Transparency/Type" << QVariant("Sepia") << transparency
        << v(KW::TransparencyType::TransparencySmallCheckersLight);
    QTest::newRow("thumbnail unknown") << "Preferences/XSheet/ThumbnailSize" << QVariant("Huge")
                                       << thumbnail << v(KW::ThumbnailSize::ThumbnailTiny);
    QTest::newRow("fit mode unknown") << "Preferences/DefaultChangeFrameSizeFitMode"
                                      << QVariant("Squash") << fitMode
                                      << v(KW::FitMode::FitModeStretch);
    QTest::newRow("cursor type key") << "Preferences/DrawCursor/Type" << QVariant("FixedSmall")
                                     << cursorType << v(KW::DrawCursorType::FixedSmall);
    QTest::newRow("cursor opacity unknown") << "Preferences/DrawCursor/Opacity"
                                            << QVariant("Half") << cursorOpacity
                                            << v(KW::DrawCursorOpacity::Faint);
}

void TestSettings::storedEnumTextIsReadByKey()
{
    QFETCH(QString, key);
    QFETCH(QVariant, stored);
    QFETCH(Read, read);
    QFETCH(QVariant, expected);

    writeRaw(key, stored);
    QCOMPARE(read(*loadedSettings()), expected);
}

void TestSettings::frameSizeBounds_data()
{
    QTest::addColumn<QSize>("size");
    QTest::addColumn<bool>("accepted");

    QTest::newRow("largest") << QSize(7680, 4320) << true;
    QTest::newRow("smallest") << QSize(1, 1) << true;
    QTest::newRow("too wide") << QSize(7681, 1080) << false;
    QTest::newRow("too high") << QSize(1920, 4321) << false;
    QTest::newRow("negative width") << QSize(-1, 1080) << false;
    QTest::newRow("zero width") << QSize(0, 1080) << false;
    QTest::newRow("zero height") << QSize(1920, 0) << false;
    QTest::newRow("invalid") << QSize() << false;
}

void TestSettings::frameSizeBounds()
{
    QFETCH(QSize, size);
    QFETCH(bool, accepted);

    const QSize before(640, 480);
    {
        auto writer = loadedSettings();
        writer->setDefaultFrameSize(before);
        writer->setDefaultFrameSize(size);
        QCOMPARE(writer->defaultFrameSize(), accepted ? size : before);
    }
    QCOMPARE(rawValue(QStringLiteral("Preferences/DefaultFrameSize")).toSize(),
             accepted ? size : before);
    QCOMPARE(loadedSettings()->defaultFrameSize(), accepted ? size : before);
}

void TestSettings::storedFrameSizeOutsideBounds_data()
{
    QTest::addColumn<QVariant>("stored");
    QTest::addColumn<QSize>("expected");

    QTest::newRow("valid") << QVariant(QSize(800, 600)) << QSize(800, 600);
    QTest::newRow("zero width") << QVariant(QSize(0, 1080)) << QSize(1920, 1080);
    QTest::newRow("zero height") << QVariant(QSize(1920, 0)) << QSize(1920, 1080);
    QTest::newRow("too wide") << QVariant(QSize(8000, 1080)) << QSize(1920, 1080);
    QTest::newRow("negative") << QVariant(QSize(-5, -5)) << QSize(1920, 1080);
    QTest::newRow("not a size") << QVariant("large") << QSize(1920, 1080);
}

void TestSettings::storedFrameSizeOutsideBounds()
{
    QFETCH(QVariant, stored);
    QFETCH(QSize, expected);

    writeRaw(QStringLiteral("Preferences/DefaultFrameSize"), stored);
    QCOMPARE(loadedSettings()->defaultFrameSize(), expected);
}

void TestSettings::frameRateBounds_data()
{
    QTest::addColumn<double>("rate");
    QTest::addColumn<bool>("accepted");

    QTest::newRow("12") << 12.0 << true;
    QTest::newRow("60") << 60.0 << true;
    QTest::newRow("29.97") << 29.97 << true;
    QTest::newRow("6") << 6.0 << false;
    QTest::newRow("11.99") << 11.99 << false;
    QTest::newRow("60.01") << 60.01 << false;
    QTest::newRow("75") << 75.0 << false;
    QTest::newRow("NaN") << std::numeric_limits<double>::quiet_NaN() << false;
}

void TestSettings::frameRateBounds()
{
    QFETCH(double, rate);
    QFETCH(bool, accepted);

    const double before = 25.0;
    {
        auto writer = loadedSettings();
        writer->setDefaultFrameRate(before);
        writer->setDefaultFrameRate(rate);
        QCOMPARE(writer->defaultFrameRate(), accepted ? rate : before);
    }
    QCOMPARE(loadedSettings()->defaultFrameRate(), accepted ? rate : before);
}

// A rate of 0 (what an unreadable number converts to) would divide by zero in
// every frame-duration computation.
void TestSettings::storedFrameRateOutsideBounds_data()
{
    QTest::addColumn<QVariant>("stored");
    QTest::addColumn<double>("expected");

    QTest::newRow("valid") << QVariant(24.0) << 24.0;
    QTest::newRow("zero") << QVariant(0.0) << 12.0;
    QTest::newRow("negative") << QVariant(-24.0) << 12.0;
    QTest::newRow("too fast") << QVariant(240.0) << 12.0;
    QTest::newRow("unreadable") << QVariant("fast") << 12.0;
}

void TestSettings::storedFrameRateOutsideBounds()
{
    QFETCH(QVariant, stored);
    QFETCH(double, expected);

    writeRaw(QStringLiteral("Preferences/DefaultFrameRate"), stored);
    QCOMPARE(loadedSettings()->defaultFrameRate(), expected);
}

void TestSettings::initialNumberOfFrames_data()
{
    QTest::addColumn<int>("requested");
    QTest::addColumn<int>("expected");

    QTest::newRow("0") << 0 << 1;
    QTest::newRow("1") << 1 << 1;
    QTest::newRow("2") << 2 << 2;
    QTest::newRow("1000") << 1000 << 1000;
    QTest::newRow("1001") << 1001 << 1;
    QTest::newRow("-5") << -5 << 1;
}

void TestSettings::initialNumberOfFrames()
{
    QFETCH(int, requested);
    QFETCH(int, expected);

    {
        auto writer = loadedSettings();
        writer->setDefaultInitialNumberOfFrames(24);
        writer->setDefaultInitialNumberOfFrames(requested);
        QCOMPARE(writer->defaultInitialNumberOfFrames(), expected);
    }
    QCOMPARE(rawValue(QStringLiteral("Preferences/DefaultInitialNumberOfFrames")).toInt(), expected);
    QCOMPARE(loadedSettings()->defaultInitialNumberOfFrames(), expected);
}

void TestSettings::storedInitialNumberOfFramesOutsideBounds()
{
    writeRaw(QStringLiteral("Preferences/DefaultInitialNumberOfFrames"), 0);
    QCOMPARE(loadedSettings()->defaultInitialNumberOfFrames(), 1);
    writeRaw(QStringLiteral("Preferences/DefaultInitialNumberOfFrames"), 5000);
    QCOMPARE(loadedSettings()->defaultInitialNumberOfFrames(), 1);
}

void TestSettings::signalOnlyOnChange_data()
{
    QTest::addColumn<QByteArray>("signal");
    QTest::addColumn<Apply>("apply");
    QTest::addColumn<QVariant>("argument"); // invalid for a signal without argument

    using S = Model::Settings;
    QTest::newRow("showBeyondButtons")
        << QByteArray(SIGNAL(showBeyondButtonsChanged(bool)))
        << Apply([](S& s) { s.setShowBeyondButtons(true); }) << QVariant(true);
    QTest::newRow("clonesLocked") << QByteArray(SIGNAL(clonesLockedForDrawingChanged(bool)))
                                  << Apply([](S& s) { s.setClonesLockedForDrawing(true); })
                                  << QVariant(true);
    QTest::newRow("slideMode") << QByteArray(SIGNAL(slideModeChanged(bool)))
                               << Apply([](S& s) { s.setSlideMode(true); }) << QVariant(true);
    QTest::newRow("gridType") << QByteArray(SIGNAL(gridTypeChanged(KW::GridType)))
                              << Apply([](S& s) { s.setGridType(KW::GridType::Thirds); })
                              << v(KW::GridType::Thirds);
    QTest::newRow("thumbnailSize")
        << QByteArray(SIGNAL(thumbnailSizeChanged(KW::ThumbnailSize)))
        << Apply([](S& s) { s.setThumbnailSize(KW::ThumbnailSize::ThumbnailSmall); })
        << v(KW::ThumbnailSize::ThumbnailSmall);
    QTest::newRow("transparencyType")
        << QByteArray(SIGNAL(transparencyTypeChanged(KW::TransparencyType)))
        << Apply([](S& s) { s.setTransparencyType(KW::TransparencyType::TransparencyLightGrey); })
        << v(KW::TransparencyType::TransparencyLightGrey);
    QTest::newRow("drawCursorType")
        << QByteArray(SIGNAL(drawCursorTypeChanged(KW::DrawCursorType)))
        << Apply([](S& s) { s.setDrawCursorType(KW::DrawCursorType::FixedSmall); })
        << v(KW::DrawCursorType::FixedSmall);
    QTest::newRow("drawCursorOpacity")
        << QByteArray(SIGNAL(drawCursorOpacityChanged(KW::DrawCursorOpacity)))
        << Apply([](S& s) { s.setDrawCursorOpacity(KW::DrawCursorOpacity::Opaque); })
        << v(KW::DrawCursorOpacity::Opaque);
    QTest::newRow("collapseAutomatically")
        << QByteArray(SIGNAL(collapseAutomaticallyChanged(bool)))
        << Apply([](S& s) { s.setCollapseAutomatically(true); }) << QVariant(true);
    QTest::newRow("showXSheetTopBar") << QByteArray(SIGNAL(showXSheetTopBarChanged(bool)))
                                      << Apply([](S& s) { s.setShowXSheetTopBar(true); })
                                      << QVariant(true);
    QTest::newRow("autoSave enabled") << QByteArray(SIGNAL(autoSaveChanged()))
                                      << Apply([](S& s) { s.setAutoSaveEnabled(true); })
                                      << QVariant();
    QTest::newRow("autoSave interval") << QByteArray(SIGNAL(autoSaveChanged()))
                                       << Apply([](S& s) { s.setAutoSaveIntervalMins(30); })
                                       << QVariant();
    QTest::newRow("autoSave files") << QByteArray(SIGNAL(autoSaveChanged()))
                                    << Apply([](S& s) { s.setAutoSaveNumFiles(5); }) << QVariant();
    QTest::newRow("toolBarPosition")
        << QByteArray(SIGNAL(toolBarPositionChanged(KW::ToolBarPosition)))
        << Apply([](S& s) { s.setToolBarPosition(KW::ToolBarPosition::Left); })
        << v(KW::ToolBarPosition::Left);
    QTest::newRow("toolBarVisible") << QByteArray(SIGNAL(toolBarVisibleChanged(bool)))
                                    << Apply([](S& s) { s.setToolBarVisible(false); })
                                    << QVariant(false);
    QTest::newRow("UIScale") << QByteArray(SIGNAL(UIScaleChanged(int)))
                             << Apply([](S& s) { s.setUIScalePercent(150); }) << QVariant(150);
}

void TestSettings::signalOnlyOnChange()
{
    QFETCH(QByteArray, signal);
    QFETCH(Apply, apply);
    QFETCH(QVariant, argument);

    auto s = loadedSettings();
    QSignalSpy spy(s.get(), signal.constData());
    QVERIFY(spy.isValid());

    apply(*s);
    apply(*s);
    QCOMPARE(spy.count(), 1);
    if (argument.isValid()) {
        QCOMPARE(spy.at(0).size(), 1);
        QCOMPARE(spy.at(0).at(0), argument);
    } else {
        QVERIFY(spy.at(0).isEmpty());
    }
}

void TestSettings::memoryOnlySettingsAreNotStored()
{
    {
        auto writer = loadedSettings();
        writer->setSlideMode(true);
        writer->setBacklightEnabled(true);
        writer->setOnlyBacklightKeyFrames(true);
        QVERIFY(writer->slideMode());
        QVERIFY(writer->backlightEnabled());
        QVERIFY(writer->onlyBacklightKeyFrames());
    }
    QVERIFY(QSettings().allKeys().isEmpty());
    const auto reader = loadedSettings();
    QVERIFY(!reader->slideMode());
    QVERIFY(!reader->backlightEnabled());
    QVERIFY(!reader->onlyBacklightKeyFrames());
}

void TestSettings::uiScaleFraction()
{
    auto s = loadedSettings();
    s->setUIScalePercent(75);
    QCOMPARE(s->UIScaleFraction(), 0.75f);
    s->setUIScalePercent(150);
    QCOMPARE(s->UIScaleFraction(), 1.5f);
}

void TestSettings::recentFilesReplaceSameFile_data()
{
    QTest::addColumn<QString>("listed");
    QTest::addColumn<QString>("added");

    QTest::newRow("letter case") << "/scenes/Walk/cycle.kw"
                                 << "/SCENES/walk/Cycle.KW";
    QTest::newRow("dot dot") << "/scenes/walk/cycle.kw"
                             << "/scenes/walk/takes/../cycle.kw";
    QTest::newRow("double slash") << "/scenes/walk/cycle.kw"
                                  << "/scenes//walk/cycle.kw";
    QTest::newRow("relative") << QDir::current().absoluteFilePath(QStringLiteral("cycle.kw"))
                              << "cycle.kw";
}

void TestSettings::recentFilesReplaceSameFile()
{
    QFETCH(QString, listed);
    QFETCH(QString, added);

    const QString other = QStringLiteral("/scenes/other.kw");
    {
        auto writer = loadedSettings();
        writer->addToRecentFiles(listed);
        writer->addToRecentFiles(other);
        writer->addToRecentFiles(added);
        QCOMPARE(writer->recentFiles(), (QStringList{added, other}));
    }
    QCOMPARE(loadedSettings()->recentFiles(), (QStringList{added, other}));
}

void TestSettings::recentFilesKeepTen()
{
    auto s = loadedSettings();
    QStringList newestFirst;
    for (int i = 1; i <= 11; ++i) {
        const QString path = QStringLiteral("/scenes/scene%1.kw").arg(i);
        s->addToRecentFiles(path);
        newestFirst.prepend(path);
    }
    newestFirst.removeLast(); // scene1, the oldest
    QCOMPARE(s->recentFiles(), newestFirst);
    QCOMPARE(loadedSettings()->recentFiles(), newestFirst);
}

void TestSettings::recentFilesIgnoreEmptyPath()
{
    auto s = loadedSettings();
    s->addToRecentFiles(QStringLiteral("/scenes/a.kw"));
    s->addToRecentFiles(QString());
    s->removeFromRecentFiles(QString());
    QCOMPARE(s->recentFiles(), QStringList{QStringLiteral("/scenes/a.kw")});
}

void TestSettings::recentFilesRemoveAndClear()
{
    {
        auto writer = loadedSettings();
        writer->addToRecentFiles(QStringLiteral("/scenes/a.kw"));
        writer->addToRecentFiles(QStringLiteral("/scenes/b.kw"));
        writer->addToRecentFiles(QStringLiteral("/scenes/c.kw"));
        writer->removeFromRecentFiles(QStringLiteral("/Scenes/x/../B.kw"));
        QCOMPARE(writer->recentFiles(),
                 (QStringList{QStringLiteral("/scenes/c.kw"), QStringLiteral("/scenes/a.kw")}));
    }
    auto reader = loadedSettings();
    QCOMPARE(reader->recentFiles(),
             (QStringList{QStringLiteral("/scenes/c.kw"), QStringLiteral("/scenes/a.kw")}));
    reader->clearRecentFiles();
    QVERIFY(reader->recentFiles().isEmpty());
    QVERIFY(QSettings().contains(QStringLiteral("RecentFiles/RecentScenes")));
    QVERIFY(loadedSettings()->recentFiles().isEmpty());
}

void TestSettings::toolRanges_data()
{
    QTest::addColumn<bool>("storeDefault");
    QTest::addColumn<bool>("storePresetSize");
    QTest::addColumn<QPointF>("expectedSize");    // (lower, upper)
    QTest::addColumn<QPointF>("expectedOpacity"); // (lower, upper)

    const QPointF callerDefaults(1.0, 99.0);
    const QPointF storedDefault(10.0, 60.0);
    const QPointF storedPreset(25.0, 35.0);

    QTest::newRow("nothing stored") << false << false << callerDefaults << callerDefaults;
    QTest::newRow("only Default stored") << true << false << storedDefault << storedDefault;
    QTest::newRow("preset stored") << true << true << storedPreset << callerDefaults;
    QTest::newRow("preset without Default") << false << true << storedPreset << callerDefaults;
}

// Preset2 of the marker: a preset that was never saved falls back to the tool's
// Default ranges; once its own group exists, only that group is consulted.
void TestSettings::toolRanges()
{
    QFETCH(bool, storeDefault);
    QFETCH(bool, storePresetSize);
    QFETCH(QPointF, expectedSize);
    QFETCH(QPointF, expectedOpacity);

    const QString tool = QStringLiteral("Marker");
    auto s = loadedSettings();
    if (storeDefault) {
        s->setToolSizeRangePercent(tool, KW::ToolPreset::Default, 10.0, 60.0);
        s->setToolOpacityRangePercent(tool, KW::ToolPreset::Default, 10.0, 60.0);
        QCOMPARE(rawValue(QStringLiteral("Preferences/Tools/Marker/SizeRangeLowerPercent")).toDouble(),
                 10.0);
        QCOMPARE(rawValue(QStringLiteral("Preferences/Tools/Marker/OpacityRangeUpperPercent"))
                     .toDouble(),
                 60.0);
    }
    if (storePresetSize) {
        s->setToolSizeRangePercent(tool, KW::ToolPreset::Preset2, 25.0, 35.0);
        QCOMPARE(rawValue(QStringLiteral("Preferences/Tools/Marker/Preset2/SizeRangeUpperPercent"))
                     .toDouble(),
                 35.0);
    }

    double lower = -1.0;
    double upper = -1.0;
    s->toolSizeRangePercent(tool, KW::ToolPreset::Preset2, lower, upper, 1.0, 99.0);
    QCOMPARE(QPointF(lower, upper), expectedSize);
    s->toolOpacityRangePercent(tool, KW::ToolPreset::Preset2, lower, upper, 1.0, 99.0);
    QCOMPARE(QPointF(lower, upper), expectedOpacity);

    // Writing a preset never touches the Default ranges, and other tools are apart.
    s->toolSizeRangePercent(tool, KW::ToolPreset::Default, lower, upper, 1.0, 99.0);
    QCOMPARE(QPointF(lower, upper), storeDefault ? QPointF(10.0, 60.0) : QPointF(1.0, 99.0));
    s->toolSizeRangePercent(QStringLiteral("Pencil"), KW::ToolPreset::Preset2, lower, upper, 2.0,
                            3.0);
    QCOMPARE(QPointF(lower, upper), QPointF(2.0, 3.0));
}

void TestSettings::windowGeometry()
{
    auto s = loadedSettings();
    QVariant geometry(QStringLiteral("stale"));
    bool onLeft = false;
    bool detached = true;
    bool visible = false;
    int width = -1;
    s->mainWindowSettings(geometry, onLeft, detached, visible, width);
    QVERIFY(!geometry.isValid());
    QCOMPARE(onLeft, true);
    QCOMPARE(detached, false);
    QCOMPARE(visible, true);
    QCOMPARE(width, 0);

    const QByteArray mainGeometry("\x01\x00\xffmain", 7);
    s->setMainWindowSettings(mainGeometry, false, true, false, 320);
    s->setXSheetWindowSettings(QByteArray("xsheet"));
    s->setReferenceDisplaySettings(QByteArray("reference"));

    const auto reader = loadedSettings();
    reader->mainWindowSettings(geometry, onLeft, detached, visible, width);
    QCOMPARE(geometry.toByteArray(), mainGeometry);
    QCOMPARE(onLeft, false);
    QCOMPARE(detached, true);
    QCOMPARE(visible, false);
    QCOMPARE(width, 320);
    reader->xSheetWindowSettings(geometry);
    QCOMPARE(geometry.toByteArray(), QByteArray("xsheet"));
    reader->referenceDisplaySettings(geometry);
    QCOMPARE(geometry.toByteArray(), QByteArray("reference"));
    QCOMPARE(rawValue(QStringLiteral("XSheetWindow/geometry")).toByteArray(), QByteArray("xsheet"));
    QCOMPARE(rawValue(QStringLiteral("ReferenceDisplay/geometry")).toByteArray(),
             QByteArray("reference"));
}

void TestSettings::genericValueAtRoot()
{
    auto s = loadedSettings();
    QCOMPARE(s->value(QStringLiteral("LastTip"), 7).toInt(), 7);
    s->setValue(QStringLiteral("LastTip"), 3);
    QCOMPARE(rawValue(QStringLiteral("LastTip")).toInt(), 3);
    QVERIFY(!QSettings().contains(QStringLiteral("Preferences/LastTip")));
    QCOMPARE(loadedSettings()->value(QStringLiteral("LastTip"), 7).toInt(), 3);
}

QUILLMERE_TEST_MAIN(TestSettings)
#include "tst_settings.moc"
