#include "settings/Settings.h"

#include <QFileInfo>
#include <QLocale>
#include <QMetaEnum>
#include <QSettings>
#include <QStandardPaths>

#include <algorithm>
#include <cmath>

namespace Model {

namespace {

QString preferencesGroup()
{
    return QStringLiteral("Preferences");
}

// Frame sizes outside these bounds cannot be rendered; a zero side in
// particular makes every scene built from the default unusable.
constexpr int kMaxFrameWidth = 7680;
constexpr int kMaxFrameHeight = 4320;
constexpr QSize kFallbackFrameSize(1920, 1080);

constexpr double kMinFrameRate = 12.0;
constexpr double kMaxFrameRate = 60.0;
constexpr double kFallbackFrameRate = 12.0;

constexpr int kMaxInitialNumberOfFrames = 1000;
constexpr int kMaxRecentFiles = 10;

bool isValidFrameSize(const QSize& size)
{
    return size.width() >= 1 && size.width() <= kMaxFrameWidth && size.height() >= 1
        && size.height() <= kMaxFrameHeight;
}

bool isValidFrameRate(double rate)
{
    // Written so that NaN fails too.
    return rate >= kMinFrameRate && rate <= kMaxFrameRate;
}

template <typename E>
QString enumKey(E value)
{
    return QString::fromLatin1(QMetaEnum::fromType<E>().valueToKey(static_cast<int>(value)));
}

// An absent key keeps the fallback; a text that names no enumerator reads as the
// enumerator of value 0, so a damaged store still yields a usable value.
template <typename E>
E readEnum(const QSettings& settings, const QString& key, E fallback)
{
    if (!settings.contains(key))
        return fallback;
    const QByteArray text = settings.value(key).toString().toLatin1();
    bool ok = false;
    const int value = QMetaEnum::fromType<E>().keyToValue(text.constData(), &ok);
    return ok ? static_cast<E>(value) : static_cast<E>(0);
}

QString levelsToText(const QList<double>& levels)
{
    QString text;
    for (double level : levels)
        text += QStringLiteral("%1;").arg(level, 0, 'f', 2);
    return text;
}

// Unreadable pieces are dropped. Levels become alpha values later, so anything
// outside 0..1 is clamped here rather than trusted.
void readLevels(const QSettings& settings, const QString& key, QList<double>& levels)
{
    if (!settings.contains(key))
        return;
    const QVariant stored = settings.value(key);
    if (!stored.canConvert<QString>())
        return;
    QList<double> result;
    const QStringList parts = stored.toString().split(QLatin1Char(';'), Qt::SkipEmptyParts);
    for (const QString& part : parts) {
        bool ok = false;
        const double level = QLocale::c().toDouble(part, &ok);
        if (!ok || std::isnan(level))
            continue;
        result.append(std::clamp(level, 0.0, 1.0));
    }
    levels = result;
}

void readBacklightSetting(QSettings& settings, const QString& group, BacklightSetting& setting)
{
    settings.beginGroup(group);
    readLevels(settings, QStringLiteral("OpacityLevelsBefore"), setting.opacityLevelsBefore);
    readLevels(settings, QStringLiteral("OpacityLevelsAfter"), setting.opacityLevelsAfter);
    setting.hueShift = readEnum(settings, QStringLiteral("HueShift"), setting.hueShift);
    setting.showOption = readEnum(settings, QStringLiteral("ShowOption"), setting.showOption);
    setting.layers = readEnum(settings, QStringLiteral("Layers"), setting.layers);
    settings.endGroup();
}

void writeBacklightSetting(QSettings& settings, const QString& group,
                           const BacklightSetting& setting)
{
    settings.beginGroup(group);
    settings.setValue(QStringLiteral("OpacityLevelsBefore"),
                      levelsToText(setting.opacityLevelsBefore));
    settings.setValue(QStringLiteral("OpacityLevelsAfter"), levelsToText(setting.opacityLevelsAfter));
    settings.setValue(QStringLiteral("HueShift"), enumKey(setting.hueShift));
    settings.setValue(QStringLiteral("ShowOption"), enumKey(setting.showOption));
    settings.setValue(QStringLiteral("Layers"), enumKey(setting.layers));
    settings.endGroup();
}

// QDir("") means the working directory, so an empty folder must stay empty in the
// store; otherwise a later run would export into whatever folder it was started from.
QString storedExportDir(const QString& exportDir)
{
    return exportDir.isEmpty() ? QString() : QDir(exportDir).absolutePath();
}

void readExportBase(QSettings& settings, ExportSettings& record)
{
    record.exportDir = settings.value(QStringLiteral("ExportDir"), QString()).toString();
    record.layers = readEnum(settings, QStringLiteral("Layers"), record.layers);
    record.frames = readEnum(settings, QStringLiteral("Frames"), record.frames);
}

void writeExportBase(QSettings& settings, const ExportSettings& record)
{
    settings.setValue(QStringLiteral("ExportDir"), record.exportDir);
    settings.setValue(QStringLiteral("Layers"), enumKey(record.layers));
    settings.setValue(QStringLiteral("Frames"), enumKey(record.frames));
}

void readExportFrames(QSettings& settings, ExportFramesSettings& record)
{
    settings.beginGroup(QStringLiteral("ExportFrames"));
    readExportBase(settings, record);
    record.clones = readEnum(settings, QStringLiteral("Clones"), record.clones);
    record.combineLayers =
        settings.value(QStringLiteral("CombineLayers"), record.combineLayers).toBool();
    record.makeAllLinesBlack =
        settings.value(QStringLiteral("MakeAllLinesBlack"), record.makeAllLinesBlack).toBool();
    record.imageFormat = readEnum(settings, QStringLiteral("ImageFormat"), record.imageFormat);
    record.includeAlpha =
        settings.value(QStringLiteral("IncludeAlpha"), record.includeAlpha).toBool();
    settings.endGroup();
}

void readExportExposureSheet(QSettings& settings, ExportExposureSheetSettings& record)
{
    settings.beginGroup(QStringLiteral("ExportExposureSheet"));
    readExportBase(settings, record);
    record.imageFormat = readEnum(settings, QStringLiteral("ImageFormat"), record.imageFormat);
    record.includeAudio =
        settings.value(QStringLiteral("IncludeAudio"), record.includeAudio).toBool();
    settings.endGroup();
}

void readExportVideo(QSettings& settings, ExportVideoSettings& record)
{
    settings.beginGroup(QStringLiteral("ExportVideo"));
    readExportBase(settings, record);
    record.videoFormat = readEnum(settings, QStringLiteral("VideoFormat"), record.videoFormat);
    record.includeAlpha =
        settings.value(QStringLiteral("IncludeAlpha"), record.includeAlpha).toBool();
    record.includeAudio =
        settings.value(QStringLiteral("IncludeAudio"), record.includeAudio).toBool();
    record.scalePercent =
        settings.value(QStringLiteral("ScalePercent"), record.scalePercent).toInt();
    settings.endGroup();
}

// Opens a fresh store positioned at a tool preset's range keys for reading: a
// preset that was never saved falls back to the tool's Default keys.
void beginToolRangeGroupForReading(QSettings& settings, const QString& toolName,
                                   KW::ToolPreset preset)
{
    settings.beginGroup(preferencesGroup());
    settings.beginGroup(QStringLiteral("Tools"));
    settings.beginGroup(toolName);
    if (preset != KW::ToolPreset::Default) {
        const QString presetGroup = enumKey(preset);
        if (settings.childGroups().contains(presetGroup))
            settings.beginGroup(presetGroup);
    }
}

void beginToolRangeGroupForWriting(QSettings& settings, const QString& toolName,
                                   KW::ToolPreset preset)
{
    settings.beginGroup(preferencesGroup());
    settings.beginGroup(QStringLiteral("Tools"));
    settings.beginGroup(toolName);
    if (preset != KW::ToolPreset::Default)
        settings.beginGroup(enumKey(preset));
}

void readRange(const QString& toolName, KW::ToolPreset preset, const QString& lowerKey,
               const QString& upperKey, double& lower, double& upper, double defaultLower,
               double defaultUpper)
{
    QSettings settings;
    beginToolRangeGroupForReading(settings, toolName, preset);
    lower = settings.value(lowerKey, defaultLower).toDouble();
    upper = settings.value(upperKey, defaultUpper).toDouble();
}

void writeRange(const QString& toolName, KW::ToolPreset preset, const QString& lowerKey,
                const QString& upperKey, double lower, double upper)
{
    QSettings settings;
    beginToolRangeGroupForWriting(settings, toolName, preset);
    settings.setValue(lowerKey, lower);
    settings.setValue(upperKey, upper);
}

void writePreference(const QString& path, const QVariant& value)
{
    QSettings settings;
    settings.setValue(preferencesGroup() + QLatin1Char('/') + path, value);
}

// Two spellings of one file (letter case, redundant separators or "..") must
// count as the same recent scene.
QString recentFileComparisonForm(const QString& path)
{
    return QDir::cleanPath(QFileInfo(QDir::fromNativeSeparators(path)).absoluteFilePath())
        .toLower();
}

QString documentsFolder()
{
    return QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation);
}

QString withDefaultExportDir(const QString& exportDir, const QString& defaultSaveDir)
{
    if (exportDir.isEmpty() || !QDir(exportDir).exists())
        return defaultSaveDir;
    return exportDir;
}

} // namespace

class SettingsData
{
public:
    bool showBeyondButtons = false;
    bool clonesLockedForDrawing = Settings::defaultClonesLockedForDrawing;
    bool slideMode = false;
    KW::GridType gridType = KW::GridType::FieldGuide;
    KW::ThumbnailSize thumbnailSize = KW::ThumbnailSize::ThumbnailMedium;
    KW::TransparencyType transparencyType = Settings::defaultTransparencyType;
    KW::DrawCursorType drawCursorType = KW::DrawCursorType::AdaptToSize;
    KW::DrawCursorOpacity drawCursorOpacity = Settings::defaultDrawCursorOpacity;
    QString defaultSaveDir;
    QString defaultImportDir;
    QSize defaultFrameSize = kFallbackFrameSize;
    double defaultFrameRate = kFallbackFrameRate;
    int defaultInitialNumberOfFrames = 1;
    KW::FitMode defaultChangeFrameSizeFitMode = KW::FitMode::FitModeKeepAspect;
    QStringList recentFiles;
    ExportFramesSettings exportFramesSettings;
    ExportExposureSheetSettings exportExposureSheetSettings;
    ExportVideoSettings exportVideoSettings;
    BacklightSettings backlightSettings;
    bool showVideoTutorialsOnStartup = true;
    KW::ToolBarPosition toolBarPosition = Settings::defaultToolBarPosition;
    bool toolBarVisible = Settings::defaultToolBarVisible;
    QString toolBarSettings = Settings::defaultToolBarSettings;
    QString primarySpeedDialSettings = Settings::defaultPrimarySpeedDialSettings;
    QString secondarySpeedDialSettings = Settings::defaultSecondarySpeedDialSettings;
    int bitmapRatioForCollapsingVectorData = 2;
    bool collapseAutomatically = Settings::defaultCollapseAutomatically;
    bool showXSheetTopBar = Settings::defaultShowXSheetTopBar;
    bool autoSaveEnabled = Settings::defaultAutoSaveEnabled;
    int autoSaveIntervalMins = Settings::defaultAutoSaveIntervalMins;
    int autoSaveNumFiles = Settings::defaultAutoSaveNumFiles;
    int UIScalePercent = Settings::defaultUIScalePercent;
};

const QString Settings::defaultToolBarSettings = QStringLiteral(
    "Draw|Erase|Spacer|BacklightOnOff|Spacer|Pan|Zoom|Rotate|Spacer|AddBlankDrawing|"
    "ClearDrawingMakingBlank|DiscardDrawing");
const QString Settings::defaultPrimarySpeedDialSettings =
    QStringLiteral("Play|Cutter|Erase|FitPaperToView|BacklightOnOff|ResetView|Draw|Lasso");
const QString Settings::defaultSecondarySpeedDialSettings = QStringLiteral(
    "ToggleXSheetDragMode|LoseDrawingMakingHold|AddBlankDrawing|PencilPreset2|PencilPreset1|"
    "BrushPreset1|DiscardDrawing|ClearDrawingMakingBlank");

Settings* Settings::instance()
{
    static Settings settings(nullptr);
    return &settings;
}

Settings::Settings(QObject* parent)
    : QObject(parent)
    , d(std::make_unique<SettingsData>())
{
    qRegisterMetaType<Model::BacklightSetting>();
    qRegisterMetaType<Model::BacklightSettings>();
    qRegisterMetaType<Model::ExportSettings>();
    qRegisterMetaType<Model::ExportFramesSettings>();
    qRegisterMetaType<Model::ExportVideoSettings>();
    qRegisterMetaType<Model::ExportExposureSheetSettings>();
}

Settings::~Settings() = default;

void Settings::init()
{
    QSettings settings;

    settings.beginGroup(preferencesGroup());
    d->showBeyondButtons =
        settings.value(QStringLiteral("ShowBeyondButtons"), d->showBeyondButtons).toBool();
    d->clonesLockedForDrawing =
        settings.value(QStringLiteral("ClonesLockedForDrawing"), d->clonesLockedForDrawing)
            .toBool();
    d->defaultSaveDir = settings.value(QStringLiteral("DefaultSaveDir"), documentsFolder()).toString();
    d->defaultImportDir =
        settings.value(QStringLiteral("DefaultImportDir"), documentsFolder()).toString();

    // The frame defaults feed every new scene, so values the setters would refuse
    // are not trusted from the store either.
    const QSize frameSize =
        settings.value(QStringLiteral("DefaultFrameSize"), d->defaultFrameSize).toSize();
    d->defaultFrameSize = isValidFrameSize(frameSize) ? frameSize : kFallbackFrameSize;
    const double frameRate =
        settings.value(QStringLiteral("DefaultFrameRate"), d->defaultFrameRate).toDouble();
    d->defaultFrameRate = isValidFrameRate(frameRate) ? frameRate : kFallbackFrameRate;
    const int numFrames = settings
                              .value(QStringLiteral("DefaultInitialNumberOfFrames"),
                                     d->defaultInitialNumberOfFrames)
                              .toInt();
    d->defaultInitialNumberOfFrames =
        (numFrames >= 1 && numFrames <= kMaxInitialNumberOfFrames) ? numFrames : 1;

    d->defaultChangeFrameSizeFitMode = readEnum(
        settings, QStringLiteral("DefaultChangeFrameSizeFitMode"), d->defaultChangeFrameSizeFitMode);
    d->showVideoTutorialsOnStartup =
        settings.value(QStringLiteral("ShowVideoTutorialsOnStartup"), d->showVideoTutorialsOnStartup)
            .toBool();
    d->collapseAutomatically =
        settings.value(QStringLiteral("CollapseVectorDataAutomatically"), d->collapseAutomatically)
            .toBool();
    d->UIScalePercent = settings.value(QStringLiteral("UIScalePercent"), d->UIScalePercent).toInt();

    settings.beginGroup(QStringLiteral("AutoSave"));
    d->autoSaveEnabled = settings.value(QStringLiteral("Enabled"), d->autoSaveEnabled).toBool();
    d->autoSaveIntervalMins =
        settings.value(QStringLiteral("IntervalMins"), d->autoSaveIntervalMins).toInt();
    d->autoSaveNumFiles = settings.value(QStringLiteral("NumFiles"), d->autoSaveNumFiles).toInt();
    settings.endGroup();

    d->gridType = readEnum(settings, QStringLiteral("Grid/Type"), d->gridType);
    d->transparencyType = readEnum(settings, QStringLiteral("Transparency/Type"), d->transparencyType);
    d->drawCursorType = readEnum(settings, QStringLiteral("DrawCursor/Type"), d->drawCursorType);
    d->drawCursorOpacity =
        readEnum(settings, QStringLiteral("DrawCursor/Opacity"), d->drawCursorOpacity);

    readExportFrames(settings, d->exportFramesSettings);
    readExportExposureSheet(settings, d->exportExposureSheetSettings);
    readExportVideo(settings, d->exportVideoSettings);

    d->backlightSettings.resetSettingA();
    readBacklightSetting(settings, QStringLiteral("BacklightSettingA"), d->backlightSettings.settingA);
    d->backlightSettings.resetSettingB();
    readBacklightSetting(settings, QStringLiteral("BacklightSettingB"), d->backlightSettings.settingB);
    d->backlightSettings.current = readEnum(settings, QStringLiteral("CurrentBacklightSetting"),
                                            d->backlightSettings.current);

    d->thumbnailSize = readEnum(settings, QStringLiteral("XSheet/ThumbnailSize"), d->thumbnailSize);
    d->showXSheetTopBar =
        settings.value(QStringLiteral("XSheet/ShowTopBar"), d->showXSheetTopBar).toBool();
    d->toolBarSettings =
        settings.value(QStringLiteral("ToolBar/ActionList"), d->toolBarSettings).toString();
    d->toolBarPosition = readEnum(settings, QStringLiteral("ToolBar/Position"), d->toolBarPosition);
    d->toolBarVisible = settings.value(QStringLiteral("ToolBar/Visible"), d->toolBarVisible).toBool();
    d->primarySpeedDialSettings =
        settings.value(QStringLiteral("SpeedDials/PrimaryActionList"), d->primarySpeedDialSettings)
            .toString();
    d->secondarySpeedDialSettings = settings
                                        .value(QStringLiteral("SpeedDials/SecondaryActionList"),
                                               d->secondarySpeedDialSettings)
                                        .toString();
    settings.endGroup();

    d->recentFiles =
        settings.value(QStringLiteral("RecentFiles/RecentScenes"), d->recentFiles).toStringList();
}

bool Settings::showBeyondButtons() const { return d->showBeyondButtons; }
bool Settings::clonesLockedForDrawing() const { return d->clonesLockedForDrawing; }
bool Settings::slideMode() const { return d->slideMode; }
KW::GridType Settings::gridType() const { return d->gridType; }
KW::ThumbnailSize Settings::thumbnailSize() const { return d->thumbnailSize; }
KW::TransparencyType Settings::transparencyType() const { return d->transparencyType; }
KW::DrawCursorType Settings::drawCursorType() const { return d->drawCursorType; }
KW::DrawCursorOpacity Settings::drawCursorOpacity() const { return d->drawCursorOpacity; }
QDir Settings::defaultSaveDir() const { return QDir(d->defaultSaveDir); }
QDir Settings::defaultImportDir() const { return QDir(d->defaultImportDir); }
QSize Settings::defaultFrameSize() const { return d->defaultFrameSize; }
double Settings::defaultFrameRate() const { return d->defaultFrameRate; }
int Settings::defaultInitialNumberOfFrames() const { return d->defaultInitialNumberOfFrames; }
KW::FitMode Settings::defaultChangeFrameSizeFitMode() const
{
    return d->defaultChangeFrameSizeFitMode;
}
QStringList Settings::recentFiles() const { return d->recentFiles; }

ExportFramesSettings Settings::exportFramesSettings() const
{
    ExportFramesSettings record = d->exportFramesSettings;
    record.exportDir = withDefaultExportDir(record.exportDir, d->defaultSaveDir);
    return record;
}

ExportExposureSheetSettings Settings::exportExposureSheetSettings() const
{
    ExportExposureSheetSettings record = d->exportExposureSheetSettings;
    record.exportDir = withDefaultExportDir(record.exportDir, d->defaultSaveDir);
    return record;
}

ExportVideoSettings Settings::exportVideoSettings() const
{
    ExportVideoSettings record = d->exportVideoSettings;
    record.exportDir = withDefaultExportDir(record.exportDir, d->defaultSaveDir);
    return record;
}

BacklightSettings Settings::backlightSettings() const { return d->backlightSettings; }
bool Settings::backlightEnabled() const { return d->backlightSettings.enabled; }
bool Settings::onlyBacklightKeyFrames() const { return d->backlightSettings.onlyKeyFrames; }
bool Settings::showVideoTutorialsOnStartup() const { return d->showVideoTutorialsOnStartup; }
KW::ToolBarPosition Settings::toolBarPosition() const { return d->toolBarPosition; }
bool Settings::toolBarVisible() const { return d->toolBarVisible; }
QString Settings::toolBarSettings() const { return d->toolBarSettings; }
QString Settings::primarySpeedDialSettings() const { return d->primarySpeedDialSettings; }
QString Settings::secondarySpeedDialSettings() const { return d->secondarySpeedDialSettings; }
int Settings::bitmapRatioForCollapsingVectorData() const
{
    return d->bitmapRatioForCollapsingVectorData;
}
bool Settings::collapseAutomatically() const { return d->collapseAutomatically; }
bool Settings::showXSheetTopBar() const { return d->showXSheetTopBar; }
bool Settings::autoSaveEnabled() const { return d->autoSaveEnabled; }
int Settings::autoSaveIntervalMins() const { return d->autoSaveIntervalMins; }
int Settings::autoSaveNumFiles() const { return d->autoSaveNumFiles; }
int Settings::UIScalePercent() const { return d->UIScalePercent; }
float Settings::UIScaleFraction() const { return static_cast<float>(d->UIScalePercent * 0.01); }

void Settings::setShowBeyondButtons(bool showBeyondButtons)
{
    if (d->showBeyondButtons == showBeyondButtons)
        return;
    d->showBeyondButtons = showBeyondButtons;
    writePreference(QStringLiteral("ShowBeyondButtons"), showBeyondButtons);
    emit showBeyondButtonsChanged(showBeyondButtons);
}

void Settings::setClonesLockedForDrawing(bool clonesLockedForDrawing)
{
    if (d->clonesLockedForDrawing == clonesLockedForDrawing)
        return;
    d->clonesLockedForDrawing = clonesLockedForDrawing;
    writePreference(QStringLiteral("ClonesLockedForDrawing"), clonesLockedForDrawing);
    emit clonesLockedForDrawingChanged(clonesLockedForDrawing);
}

void Settings::setSlideMode(bool slideMode)
{
    if (d->slideMode == slideMode)
        return;
    d->slideMode = slideMode;
    emit slideModeChanged(slideMode);
}

void Settings::setDefaultSaveDir(const QDir& dir)
{
    d->defaultSaveDir = dir.absolutePath();
    writePreference(QStringLiteral("DefaultSaveDir"), d->defaultSaveDir);
}

void Settings::setDefaultImportDir(const QDir& dir)
{
    d->defaultImportDir = dir.absolutePath();
    writePreference(QStringLiteral("DefaultImportDir"), d->defaultImportDir);
}

void Settings::setGridType(KW::GridType gridType)
{
    if (d->gridType == gridType)
        return;
    d->gridType = gridType;
    writePreference(QStringLiteral("Grid/Type"), enumKey(gridType));
    emit gridTypeChanged(gridType);
}

void Settings::setThumbnailSize(KW::ThumbnailSize thumbnailSize)
{
    if (d->thumbnailSize == thumbnailSize)
        return;
    d->thumbnailSize = thumbnailSize;
    writePreference(QStringLiteral("XSheet/ThumbnailSize"), enumKey(thumbnailSize));
    emit thumbnailSizeChanged(thumbnailSize);
}

void Settings::setTransparencyType(KW::TransparencyType transparencyType)
{
    if (d->transparencyType == transparencyType)
        return;
    d->transparencyType = transparencyType;
    writePreference(QStringLiteral("Transparency/Type"), enumKey(transparencyType));
    emit transparencyTypeChanged(transparencyType);
}

void Settings::setDrawCursorType(KW::DrawCursorType drawCursorType)
{
    if (d->drawCursorType == drawCursorType)
        return;
    d->drawCursorType = drawCursorType;
    writePreference(QStringLiteral("DrawCursor/Type"), enumKey(drawCursorType));
    emit drawCursorTypeChanged(drawCursorType);
}

void Settings::setDrawCursorOpacity(KW::DrawCursorOpacity drawCursorOpacity)
{
    if (d->drawCursorOpacity == drawCursorOpacity)
        return;
    d->drawCursorOpacity = drawCursorOpacity;
    writePreference(QStringLiteral("DrawCursor/Opacity"), enumKey(drawCursorOpacity));
    emit drawCursorOpacityChanged(drawCursorOpacity);
}

void Settings::setDefaultFrameSize(QSize size)
{
    if (!isValidFrameSize(size))
        return;
    d->defaultFrameSize = size;
    writePreference(QStringLiteral("DefaultFrameSize"), size);
}

void Settings::setDefaultFrameRate(double rate)
{
    if (!isValidFrameRate(rate))
        return;
    d->defaultFrameRate = rate;
    writePreference(QStringLiteral("DefaultFrameRate"), rate);
}

void Settings::setDefaultInitialNumberOfFrames(int numFrames)
{
    d->defaultInitialNumberOfFrames =
        (numFrames >= 2 && numFrames <= kMaxInitialNumberOfFrames) ? numFrames : 1;
    writePreference(QStringLiteral("DefaultInitialNumberOfFrames"),
                    d->defaultInitialNumberOfFrames);
}

void Settings::setDefaultChangeFrameSizeFitMode(KW::FitMode fitMode)
{
    d->defaultChangeFrameSizeFitMode = fitMode;
    writePreference(QStringLiteral("DefaultChangeFrameSizeFitMode"), enumKey(fitMode));
}

void Settings::setShowVideoTutorialsOnStartup(bool show)
{
    if (d->showVideoTutorialsOnStartup == show)
        return;
    d->showVideoTutorialsOnStartup = show;
    writePreference(QStringLiteral("ShowVideoTutorialsOnStartup"), show);
}

void Settings::setToolBarSettings(const QString& settings)
{
    if (d->toolBarSettings == settings)
        return;
    d->toolBarSettings = settings;
    writePreference(QStringLiteral("ToolBar/ActionList"), settings);
}

void Settings::setToolBarPosition(KW::ToolBarPosition toolBarPosition)
{
    if (d->toolBarPosition == toolBarPosition)
        return;
    d->toolBarPosition = toolBarPosition;
    writePreference(QStringLiteral("ToolBar/Position"), enumKey(toolBarPosition));
    emit toolBarPositionChanged(toolBarPosition);
}

void Settings::setToolBarVisible(bool toolBarVisible)
{
    if (d->toolBarVisible == toolBarVisible)
        return;
    d->toolBarVisible = toolBarVisible;
    writePreference(QStringLiteral("ToolBar/Visible"), toolBarVisible);
    emit toolBarVisibleChanged(toolBarVisible);
}

void Settings::setPrimarySpeedDialSettings(const QString& settings)
{
    if (d->primarySpeedDialSettings == settings)
        return;
    d->primarySpeedDialSettings = settings;
    writePreference(QStringLiteral("SpeedDials/PrimaryActionList"), settings);
}

void Settings::setSecondarySpeedDialSettings(const QString& settings)
{
    if (d->secondarySpeedDialSettings == settings)
        return;
    d->secondarySpeedDialSettings = settings;
    writePreference(QStringLiteral("SpeedDials/SecondaryActionList"), settings);
}

void Settings::setCollapseAutomatically(bool collapse)
{
    if (d->collapseAutomatically == collapse)
        return;
    d->collapseAutomatically = collapse;
    writePreference(QStringLiteral("CollapseVectorDataAutomatically"), collapse);
    emit collapseAutomaticallyChanged(collapse);
}

void Settings::setShowXSheetTopBar(bool show)
{
    if (d->showXSheetTopBar == show)
        return;
    d->showXSheetTopBar = show;
    writePreference(QStringLiteral("XSheet/ShowTopBar"), show);
    emit showXSheetTopBarChanged(show);
}

void Settings::setAutoSaveEnabled(bool enabled)
{
    if (d->autoSaveEnabled == enabled)
        return;
    d->autoSaveEnabled = enabled;
    writePreference(QStringLiteral("AutoSave/Enabled"), enabled);
    emit autoSaveChanged();
}

void Settings::setAutoSaveIntervalMins(int minutes)
{
    if (d->autoSaveIntervalMins == minutes)
        return;
    d->autoSaveIntervalMins = minutes;
    writePreference(QStringLiteral("AutoSave/IntervalMins"), minutes);
    emit autoSaveChanged();
}

void Settings::setAutoSaveNumFiles(int numFiles)
{
    if (d->autoSaveNumFiles == numFiles)
        return;
    d->autoSaveNumFiles = numFiles;
    writePreference(QStringLiteral("AutoSave/NumFiles"), numFiles);
    emit autoSaveChanged();
}

void Settings::setUIScalePercent(int scalePercent)
{
    if (d->UIScalePercent == scalePercent)
        return;
    d->UIScalePercent = scalePercent;
    writePreference(QStringLiteral("UIScalePercent"), scalePercent);
    emit UIScaleChanged(scalePercent);
}

void Settings::setBacklightSettings(const BacklightSettings& backlightSettings)
{
    d->backlightSettings = backlightSettings;
    QSettings settings;
    settings.beginGroup(preferencesGroup());
    writeBacklightSetting(settings, QStringLiteral("BacklightSettingA"),
                          d->backlightSettings.settingA);
    writeBacklightSetting(settings, QStringLiteral("BacklightSettingB"),
                          d->backlightSettings.settingB);
    settings.setValue(QStringLiteral("CurrentBacklightSetting"),
                      enumKey(d->backlightSettings.current));
    settings.endGroup();
    emit backlightSettingsChanged(d->backlightSettings);
}

void Settings::setBacklightEnabled(bool enabled)
{
    if (d->backlightSettings.enabled == enabled)
        return;
    d->backlightSettings.enabled = enabled;
    emit backlightSettingsChanged(d->backlightSettings);
}

void Settings::setOnlyBacklightKeyFrames(bool onlyKeyFrames)
{
    if (d->backlightSettings.onlyKeyFrames == onlyKeyFrames)
        return;
    d->backlightSettings.onlyKeyFrames = onlyKeyFrames;
    emit backlightSettingsChanged(d->backlightSettings);
}

void Settings::setExportFramesSettings(const ExportFramesSettings& record)
{
    d->exportFramesSettings = record;
    d->exportFramesSettings.name.clear();
    d->exportFramesSettings.exportDir = storedExportDir(record.exportDir);
    const ExportFramesSettings& r = d->exportFramesSettings;

    QSettings settings;
    settings.beginGroup(preferencesGroup());
    settings.beginGroup(QStringLiteral("ExportFrames"));
    writeExportBase(settings, r);
    settings.setValue(QStringLiteral("Clones"), enumKey(r.clones));
    settings.setValue(QStringLiteral("CombineLayers"), r.combineLayers);
    settings.setValue(QStringLiteral("MakeAllLinesBlack"), r.makeAllLinesBlack);
    settings.setValue(QStringLiteral("ImageFormat"), enumKey(r.imageFormat));
    settings.setValue(QStringLiteral("IncludeAlpha"), r.includeAlpha);
}

void Settings::setExportExposureSheetSettings(const ExportExposureSheetSettings& record)
{
    d->exportExposureSheetSettings = record;
    d->exportExposureSheetSettings.name.clear();
    d->exportExposureSheetSettings.exportDir = storedExportDir(record.exportDir);
    const ExportExposureSheetSettings& r = d->exportExposureSheetSettings;

    QSettings settings;
    settings.beginGroup(preferencesGroup());
    settings.beginGroup(QStringLiteral("ExportExposureSheet"));
    writeExportBase(settings, r);
    settings.setValue(QStringLiteral("ImageFormat"), enumKey(r.imageFormat));
    settings.setValue(QStringLiteral("IncludeAudio"), r.includeAudio);
}

void Settings::setExportVideoSettings(const ExportVideoSettings& record)
{
    d->exportVideoSettings = record;
    d->exportVideoSettings.name.clear();
    d->exportVideoSettings.exportDir = storedExportDir(record.exportDir);
    const ExportVideoSettings& r = d->exportVideoSettings;

    QSettings settings;
    settings.beginGroup(preferencesGroup());
    settings.beginGroup(QStringLiteral("ExportVideo"));
    writeExportBase(settings, r);
    settings.setValue(QStringLiteral("VideoFormat"), enumKey(r.videoFormat));
    settings.setValue(QStringLiteral("IncludeAlpha"), r.includeAlpha);
    settings.setValue(QStringLiteral("IncludeAudio"), r.includeAudio);
    settings.setValue(QStringLiteral("ScalePercent"), r.scalePercent);
}

void Settings::addToRecentFiles(const QString& path)
{
    if (path.isEmpty())
        return;
    const QString form = recentFileComparisonForm(path);
    d->recentFiles.removeIf(
        [&form](const QString& entry) { return recentFileComparisonForm(entry) == form; });
    d->recentFiles.prepend(path);
    while (d->recentFiles.size() > kMaxRecentFiles)
        d->recentFiles.removeLast();
    setValue(QStringLiteral("RecentFiles/RecentScenes"), d->recentFiles);
}

void Settings::removeFromRecentFiles(const QString& path)
{
    if (path.isEmpty())
        return;
    const QString form = recentFileComparisonForm(path);
    d->recentFiles.removeIf(
        [&form](const QString& entry) { return recentFileComparisonForm(entry) == form; });
    setValue(QStringLiteral("RecentFiles/RecentScenes"), d->recentFiles);
}

void Settings::clearRecentFiles()
{
    d->recentFiles.clear();
    setValue(QStringLiteral("RecentFiles/RecentScenes"), d->recentFiles);
}

void Settings::mainWindowSettings(QVariant& geometry, bool& xSheetOnLeft, bool& xSheetDetached,
                                  bool& xSheetVisible, int& xSheetWidth) const
{
    QSettings settings;
    settings.beginGroup(QStringLiteral("MainWindow"));
    geometry = settings.value(QStringLiteral("geometry"));
    xSheetOnLeft = settings.value(QStringLiteral("xSheetOnLeft"), true).toBool();
    xSheetDetached = settings.value(QStringLiteral("xSheetDetached"), false).toBool();
    xSheetVisible = settings.value(QStringLiteral("xSheetVisible"), true).toBool();
    xSheetWidth = settings.value(QStringLiteral("xSheetWidth"), 0).toInt();
}

void Settings::setMainWindowSettings(const QByteArray& geometry, bool xSheetOnLeft,
                                     bool xSheetDetached, bool xSheetVisible, int xSheetWidth)
{
    QSettings settings;
    settings.beginGroup(QStringLiteral("MainWindow"));
    settings.setValue(QStringLiteral("geometry"), geometry);
    settings.setValue(QStringLiteral("xSheetOnLeft"), xSheetOnLeft);
    settings.setValue(QStringLiteral("xSheetDetached"), xSheetDetached);
    settings.setValue(QStringLiteral("xSheetVisible"), xSheetVisible);
    settings.setValue(QStringLiteral("xSheetWidth"), xSheetWidth);
}

void Settings::xSheetWindowSettings(QVariant& geometry) const
{
    geometry = value(QStringLiteral("XSheetWindow/geometry"));
}

void Settings::setXSheetWindowSettings(const QByteArray& geometry)
{
    setValue(QStringLiteral("XSheetWindow/geometry"), geometry);
}

void Settings::referenceDisplaySettings(QVariant& geometry) const
{
    geometry = value(QStringLiteral("ReferenceDisplay/geometry"));
}

void Settings::setReferenceDisplaySettings(const QByteArray& geometry)
{
    setValue(QStringLiteral("ReferenceDisplay/geometry"), geometry);
}

void Settings::toolSizeRangePercent(const QString& toolName, KW::ToolPreset preset, double& lower,
                                    double& upper, double defaultLower, double defaultUpper) const
{
    readRange(toolName, preset, QStringLiteral("SizeRangeLowerPercent"),
              QStringLiteral("SizeRangeUpperPercent"), lower, upper, defaultLower, defaultUpper);
}

void Settings::toolOpacityRangePercent(const QString& toolName, KW::ToolPreset preset,
                                       double& lower, double& upper, double defaultLower,
                                       double defaultUpper) const
{
    readRange(toolName, preset, QStringLiteral("OpacityRangeLowerPercent"),
              QStringLiteral("OpacityRangeUpperPercent"), lower, upper, defaultLower, defaultUpper);
}

void Settings::setToolSizeRangePercent(const QString& toolName, KW::ToolPreset preset,
                                       double lower, double upper)
{
    writeRange(toolName, preset, QStringLiteral("SizeRangeLowerPercent"),
               QStringLiteral("SizeRangeUpperPercent"), lower, upper);
}

void Settings::setToolOpacityRangePercent(const QString& toolName, KW::ToolPreset preset,
                                          double lower, double upper)
{
    writeRange(toolName, preset, QStringLiteral("OpacityRangeLowerPercent"),
               QStringLiteral("OpacityRangeUpperPercent"), lower, upper);
}

QVariant Settings::value(const QString& key, const QVariant& defaultValue) const
{
    QSettings settings;
    return settings.value(key, defaultValue);
}

void Settings::setValue(const QString& key, const QVariant& value)
{
    QSettings settings;
    settings.setValue(key, value);
}

} // namespace Model
