#pragma once

#include "settings/BacklightSettings.h"
#include "settings/ExportExposureSheetSettings.h"
#include "settings/ExportFramesSettings.h"
#include "settings/ExportVideoSettings.h"
#include "settings/KW.h"

#include <QByteArray>
#include <QDir>
#include <QObject>
#include <QSize>
#include <QString>
#include <QStringList>
#include <QVariant>

#include <memory>

namespace Model {

class SettingsData;

// The application's preferences. Every value lives in memory and each change is
// written through to the QSettings store at once; init() reads the store once at
// start-up. Enum values are stored by key text so that reordering an enum never
// scrambles what users have saved.
class Settings : public QObject
{
    Q_OBJECT

public:
    static constexpr bool defaultClonesLockedForDrawing = false;
    static constexpr KW::TransparencyType defaultTransparencyType =
        KW::TransparencyType::TransparencyWhite;
    static constexpr KW::DrawCursorOpacity defaultDrawCursorOpacity = KW::DrawCursorOpacity::Faint;
    static constexpr KW::ToolBarPosition defaultToolBarPosition = KW::ToolBarPosition::Right;
    static constexpr bool defaultToolBarVisible = true;
    static constexpr bool defaultCollapseAutomatically = false;
    static constexpr bool defaultShowXSheetTopBar = false;
    static constexpr bool defaultAutoSaveEnabled = false;
    static constexpr int defaultAutoSaveIntervalMins = 15;
    static constexpr int defaultAutoSaveNumFiles = 3;
    static constexpr int defaultUIScalePercent = 100;
    static const QString defaultToolBarSettings;
    static const QString defaultPrimarySpeedDialSettings;
    static const QString defaultSecondarySpeedDialSettings;

    // The application's one object. Tests and tools may build their own with the
    // public constructor; every object reads and writes the same store.
    static Settings* instance();

    explicit Settings(QObject* parent = nullptr);
    ~Settings() override;

    void init();

    bool showBeyondButtons() const;
    bool clonesLockedForDrawing() const;
    bool slideMode() const;
    KW::GridType gridType() const;
    KW::ThumbnailSize thumbnailSize() const;
    KW::TransparencyType transparencyType() const;
    KW::DrawCursorType drawCursorType() const;
    KW::DrawCursorOpacity drawCursorOpacity() const;
    QDir defaultSaveDir() const;
    QDir defaultImportDir() const;
    QSize defaultFrameSize() const;
    double defaultFrameRate() const;
    int defaultInitialNumberOfFrames() const;
    KW::FitMode defaultChangeFrameSizeFitMode() const;
    QStringList recentFiles() const;
    ExportFramesSettings exportFramesSettings() const;
    ExportExposureSheetSettings exportExposureSheetSettings() const;
    ExportVideoSettings exportVideoSettings() const;
    BacklightSettings backlightSettings() const;
    bool backlightEnabled() const;
    bool onlyBacklightKeyFrames() const;
    bool showVideoTutorialsOnStartup() const;
    KW::ToolBarPosition toolBarPosition() const;
    bool toolBarVisible() const;
    QString toolBarSettings() const;
    QString primarySpeedDialSettings() const;
    QString secondarySpeedDialSettings() const;
    int bitmapRatioForCollapsingVectorData() const;
    bool collapseAutomatically() const;
    bool showXSheetTopBar() const;
    bool autoSaveEnabled() const;
    int autoSaveIntervalMins() const;
    int autoSaveNumFiles() const;
    int UIScalePercent() const;
    float UIScaleFraction() const;

    void setShowBeyondButtons(bool showBeyondButtons);
    void setClonesLockedForDrawing(bool clonesLockedForDrawing);
    void setSlideMode(bool slideMode);
    void setDefaultSaveDir(const QDir& dir);
    void setDefaultImportDir(const QDir& dir);
    void setGridType(KW::GridType gridType);
    void setThumbnailSize(KW::ThumbnailSize thumbnailSize);
    void setTransparencyType(KW::TransparencyType transparencyType);
    void setDrawCursorType(KW::DrawCursorType drawCursorType);
    void setDrawCursorOpacity(KW::DrawCursorOpacity drawCursorOpacity);
    void setDefaultFrameSize(QSize size);
    void setDefaultFrameRate(double rate);
    void setDefaultInitialNumberOfFrames(int numFrames);
    void setDefaultChangeFrameSizeFitMode(KW::FitMode fitMode);
    void setShowVideoTutorialsOnStartup(bool show);
    void setToolBarSettings(const QString& settings);
    void setToolBarPosition(KW::ToolBarPosition toolBarPosition);
    void setToolBarVisible(bool toolBarVisible);
    void setPrimarySpeedDialSettings(const QString& settings);
    void setSecondarySpeedDialSettings(const QString& settings);
    void setCollapseAutomatically(bool collapse);
    void setShowXSheetTopBar(bool show);
    void setAutoSaveEnabled(bool enabled);
    void setAutoSaveIntervalMins(int minutes);
    void setAutoSaveNumFiles(int numFiles);
    void setUIScalePercent(int scalePercent);
    void setBacklightSettings(const BacklightSettings& backlightSettings);
    void setBacklightEnabled(bool enabled);
    void setOnlyBacklightKeyFrames(bool onlyKeyFrames);
    void setExportFramesSettings(const ExportFramesSettings& settings);
    void setExportExposureSheetSettings(const ExportExposureSheetSettings& settings);
    void setExportVideoSettings(const ExportVideoSettings& settings);

    void addToRecentFiles(const QString& path);
    void removeFromRecentFiles(const QString& path);
    void clearRecentFiles();

    void mainWindowSettings(QVariant& geometry, bool& xSheetOnLeft, bool& xSheetDetached,
                            bool& xSheetVisible, int& xSheetWidth) const;
    void setMainWindowSettings(const QByteArray& geometry, bool xSheetOnLeft, bool xSheetDetached,
                               bool xSheetVisible, int xSheetWidth);
    void xSheetWindowSettings(QVariant& geometry) const;
    void setXSheetWindowSettings(const QByteArray& geometry);
    void referenceDisplaySettings(QVariant& geometry) const;
    void setReferenceDisplaySettings(const QByteArray& geometry);

    void toolSizeRangePercent(const QString& toolName, KW::ToolPreset preset, double& lower,
                              double& upper, double defaultLower, double defaultUpper) const;
    void toolOpacityRangePercent(const QString& toolName, KW::ToolPreset preset, double& lower,
                                 double& upper, double defaultLower, double defaultUpper) const;
    void setToolSizeRangePercent(const QString& toolName, KW::ToolPreset preset, double lower,
                                 double upper);
    void setToolOpacityRangePercent(const QString& toolName, KW::ToolPreset preset, double lower,
                                    double upper);

    QVariant value(const QString& key, const QVariant& defaultValue = QVariant()) const;
    void setValue(const QString& key, const QVariant& value);

signals:
    void showBeyondButtonsChanged(bool showBeyondButtons);
    void clonesLockedForDrawingChanged(bool clonesLockedForDrawing);
    void slideModeChanged(bool slideMode);
    void gridTypeChanged(KW::GridType gridType);
    void thumbnailSizeChanged(KW::ThumbnailSize thumbnailSize);
    void transparencyTypeChanged(KW::TransparencyType transparencyType);
    void drawCursorTypeChanged(KW::DrawCursorType drawCursorType);
    void drawCursorOpacityChanged(KW::DrawCursorOpacity drawCursorOpacity);
    void backlightSettingsChanged(Model::BacklightSettings backlightSettings);
    void collapseAutomaticallyChanged(bool collapse);
    void showXSheetTopBarChanged(bool show);
    void autoSaveChanged();
    void toolBarPositionChanged(KW::ToolBarPosition toolBarPosition);
    void toolBarVisibleChanged(bool toolBarVisible);
    void UIScaleChanged(int scalePercent);

private:
    std::unique_ptr<SettingsData> d;
};

} // namespace Model
