#pragma once

#include "settings/KW.h"
#include "strokes/FloatingSelection.h"

#include <QClipboard>
#include <QMainWindow>
#include <QModelIndex>
#include <QPainterPath>
#include <QPointingDevice>
#include <QTransform>

#include "settings/BacklightSettings.h"
#include "settings/KW.h"
#include "tools/Tool.h"

#include <functional>
#include <memory>

#include "scene/Scene.h"

class QAction;
class QCloseEvent;
class QKeyEvent;
class QMenu;
class QProgressDialog;
class QResizeEvent;
class QShowEvent;
class QUndoGroup;
class AutosaveManager;
class PlaybackController;

namespace Model {
class KWScene;
class SceneModel;
} // namespace Model

namespace UI {
class Palette;
class SpeedDial;
class ToolBar;
class ToolSettings;
} // namespace UI

// The one top-level window. Callers see one class; its implementation is
// split by concern, one source file each (see the sections below), and all
// of them share the private record in MainWindowPrivate.h.
class MainWindow : public QMainWindow
{
    Q_OBJECT

public:
    enum NewSceneBehaviour { NewSceneWithoutAsking = 0, NewSceneAskSettings = 1 };
    Q_ENUM(NewSceneBehaviour)

    explicit MainWindow(QWidget* parent = nullptr);
    ~MainWindow() override;

    struct Private;
    struct Form;

    // --- Construction, layout and display updaters (MainWindow.cpp, MainWindowLayout.cpp)
public slots:
    void actualizeTitlebar(double zoom);
    void updateFramerateActions(double fps);
    void updateAudioActions();
    void updateFitPaperToViewAction(double zoom);
    void onClipboardChanged(QClipboard::Mode mode);
    void updateUISize();
    void updateToolBarLocation(KW::ToolBarPosition position);
    void updateTransparencyType(KW::TransparencyType type);
    // Turning the pen over switches between drawing and erasing.
    void setTabletPointerType(QPointingDevice::PointerType type);

signals:
    void resized(QResizeEvent* event);

private:
    // Construction steps, in the order the constructor runs them.
    void buildForm();
    void setupWindowIcon();
    void setupShortcuts();
    void setupControlsBar();
    void setupToolSettings();
    void setupPopupTimers();
    void setupDropdownTimer();
    void setupZPRTimer();
    void setupZoomTimer();
    void setupContextMenus();
    void setupCustomizeOverlay();
    void restoreSettings();

    // --- Scene switching; active frame, layer and range (MainWindowScene.cpp)
public:
    Model::Scene* quillmereScene() const;
    Model::KWScene* KWScene() const;
public slots:
    void setKWScene(Model::KWScene* kwscene);
    void setActiveFrameAndLayer(int frame, int layer, Model::Scene::SetFrameBehaviour behaviour);
    void setActiveFrame(int frame);
    void setActiveLayer(int layer);
    void setFrameRange(int first, int last);
private:
    void disconnectKWScene(Model::KWScene* bundle);
    void connectSceneViews(Model::KWScene* kwscene);
    void connectSceneToWindow(Model::KWScene* kwscene);
    void onUndoIndexChanged(int index);
    void onCurrentCellChanged(const QModelIndex& current, const QModelIndex& previous);
    // The current tool's state anew, when the active cell changed it.
    void refreshToolState();
public:

    // --- Scene file routes and autosave (MainWindowFiles.cpp, MainWindowImportExport.cpp, MainWindowAutosave.cpp)
public slots:
    void newScene(MainWindow::NewSceneBehaviour behaviour);
    void newSceneIfNoneOpen();
    bool maybeSave();
    bool closeAllScenes();
    void openScene();
    bool openFile(const QString& filename);
    Model::KWScene* readKWScene(const QString& filename);
    bool saveScene();
    bool saveSceneAs();
    bool saveScene(Model::Scene* scene, const QString& filename);
    bool writeScene(Model::Scene* scene, const QString& filename);
    void autosaveScene();
    void import();
    void importReferenceLayer();
    void importAudio();
    void internalImportReferenceLayer(QList<QString> files);
    void exportFrames();
    void exportExposureSheet();
    void exportVideo();
public:
    AutosaveManager* autosaveManager() const;
    // How a list of numbered image files would fill frames: where the number
    // sits in the name, where the count starts (0 or 1), and how many held
    // frames would close the gaps up to the largest number (0: nothing to ask).
    struct SequenceGaps
    {
        int numberPosition = -1;
        int startNumber = -1;
        int clones = 0;
    };
    static SequenceGaps sequenceGaps(QStringList files);
private:
    void pushAudioImport(const QString& file);
    void warnImportFailed(const QStringList& files);
    std::unique_ptr<QProgressDialog> exportProgressDialog(const QString& label);
    // Holds the busy flag for the length of one route; nested routes leave it
    // to the outermost.
    class BusyScope
    {
    public:
        explicit BusyScope(bool& busy);
        ~BusyScope();

    private:
        bool& m_busy;
        bool m_previous;
    };
    // Makes the bundle current and deletes the previous one later.
    void replaceKWScene(Model::KWScene* bundle);
    // Writes without a message; a failure's text, if it has one, goes to failure.
    bool writeSceneFile(Model::Scene* scene, const QString& filename, QString* failure);
    void setupAutosave();
    void resetAutosave();
public:

    // --- Tool switching, scrubbing, lasso and floating-selection routes (MainWindowTools.cpp)
public slots:
    void onActionDraw(bool checked);
    void onActionErase(bool checked);
    void processToolAction(Model::Tool::Type type, bool checked);
    void restoreLastPrimaryToolIfNeeded();
    void onCurrentToolChanged(Model::Tool::Type newType, Model::Tool::Type previousType);
    void startPointerScrubbing();
    void startDelayedPointerScrubbing();
    void stopPointerScrubbing();
    void showSpeedDialWithoutInfoBox(bool primary, bool hideAfterHighlight);
    void endCurrentStroke();
    void completeLassoing(QPainterPath path, bool cut);
    void setFloatingSelectionTransform(Model::FloatingSelection::Transform transform);
    void stampFloatingSelection(bool keepFloating);
    void setOffPegsTransformation(QTransform transform);
    // The tool toggles of the Light Table and Pick Up menus.
    void onActionHandTool(bool on);
    void onActionZoom(bool on);
    void onActionRotate(bool on);
    void onActionOffPegs(bool on);
    void onActionLassoThisDrawing(bool on);
    void onActionCutter(bool on);
    void onActionZPRTool(bool on);
public:
    // Milliseconds of a monotonic clock; tests make slow lassos without waiting.
    void setMonotonicClock(std::function<qint64()> clock);
private:
    void connectToolRoutes();
    // Makes the tool current unless it already is, in the state it would have now.
    void selectTool(Model::Tool::Type type);
    void checkToolActions(Model::Tool::Type type, bool checked);
    // Gives the zoom/pan/rotate tool the kept start position, or none.
    void handZPRState();
    qint64 monotonicMs() const;
    void onFocusObjectChanged(QObject* focus);
    void onPaperRightButtonPressed(Qt::KeyboardModifiers modifiers);
public:


    // --- Actions and menus (MainWindowActions.cpp, MainWindowMenus.cpp)
public slots:
    void aboutToShowRecentFiles();
public:
    // Fill the given menu, or a new one owned by the window when it is null.
    QMenu* setupContextMenuDrawing(const QModelIndex& index, QMenu* menu = nullptr);
    QMenu* setupContextMenuLayer(int layer, bool withOptions, QMenu* menu = nullptr);
private:
    void setupFileActions();
    void setupEditActions();
    void setupDrawActions();
    void setupFlipNPlayActions();
    void setupLightTableActions();
    void setupXSheetActions();
    void setupPickUpActions();
    void setupPaintActions();
    void setupWindowActions();
    void setupHelpActions();
    void setupOtherActions();
    void setupMenus();
    void setupFileMenu();
    void setupEditMenu();
    void setupDrawMenu();
    void setupFlipNPlayMenu();
    void setupLightTableMenu();
    void setupXSheetMenu();
    void setupPickUpMenu();
    void setupPaintMenu();
    void setupWindowMenu();
    void setupHelpMenu();

    // --- Edit and draw handlers (MainWindowEdit.cpp)
public slots:
    // The commands that act on the selected cells or the current cell.
    void onActionCellCommand(KW::Action action);
    void onActionCutDrawing();
    void onActionCopyDrawing();
    void onActionPasteDrawing();
    void onActionSelectAllDrawings();
    void onActionCloneEachSelectedDrawingOnce();
    void onActionCycleSelectedDrawingsOnce();
    void onActionCollapseVectorData();
    void clearCellSelection();
    void onSelectionChanged();
    void onFloatingSelectionChanged();
private:
    // The current cell, or the one before it when the current cell is the
    // virtual last frame; the frame-range offset moves it by rows.
    QModelIndex editTargetIndex(int rowOffset = 0) const;

    // --- Navigation, view, layer and window handlers (MainWindowNavigation.cpp, MainWindowViewHandlers.cpp)
public slots:
    // Frame and range navigation
    void onActionStepBack();
    void onActionStepForward();
    void onActionStepBackSkippingLocalClones();
    void onActionStepForwardSkippingLocalClones();
    void onActionSkipBackToKeyDrawing();
    void onActionSkipForwardToKeyDrawing();
    void onActionJumpToStart();
    void onActionJumpToEnd();
    void onActionRangeStartStepBack();
    void onActionRangeStartStepForward();
    void onActionRangeEndStepBack();
    void onActionRangeEndStepForward();
    void onActionRangeStartToFirstFrame();
    void onActionRangeEndToLastFrame();
    void onShiftLeft();
    void onShiftRight();
    // Frame rate and sound
    void onActionFrameRate(double fps);
    void onActionFrameRateCustom();
    void onActionMuteAudio();
    void onActionDiscardAudio();
    void onFramesLost();
    void onPlaybackChanged(bool playing);
    // The frame becomes the active one and the sheet shows its row.
    void settleOnFrame(int frame);
    // A stroke begun while playing stops on the frame on screen.
    void onStrokeAboutToBegin();
    // Frame-number label of the controls bar
    void setupFrameNumberLabel();
    void updateFrameNumberLabel(int frame, bool scrubbedOnward);
    // Timeline
    void onTimelineValueChanged(int value);
    void onTimelineSliderPressed();
    void onTimelineSliderMoved(int frame);
    void onTimelineSliderDragged(int frame);
    void onTimelineSliderReleased(int frame);

    // View
    void onActionResetView();
    void onActionFitPaperToView();
    void onActionViewToX1();
    void zoomPaperInToNextLevel();
    void zoomPaperOutToNextLevel();
    void zoomPaperTo(double level);
    void rotatePaperTo(double angle);
    void rotatePaperToNext(double step);
    void onActionGridOnOff(bool checked);
    void onActionMirrorView(bool checked);
    void onMirrorViewChanged(bool mirror);
    void onActionCustomizeBacklight();
    void onBacklightDialogSettingsChanged(const Model::BacklightSettings& settings);
    void onBacklightSettingsChanged(const Model::BacklightSettings& settings);
    void onActionMarkAsKeyDrawing();
    void onActionUnmarkAllKeyDrawings();
    void onActionOnlyBacklightKeyFrames(bool checked);
    void onScrubOffsetChanged(int offset);
    void onFloatingSelectionStamped(Qt::KeyboardModifiers modifiers);
    void onThumbnailSizeChanged(KW::ThumbnailSize size);
    void onCollapseAutomaticallyChanged(bool on);
    void onShowBeyondButtonsToggled(bool on);
    void onLeftAndRightCenterMoved(QPoint left, QPoint right);
    // Where the exposure sheet stands
    void onActionXSheetShow(bool checked);
    void onActionXSheetOppositeSide();
    void onActionXSheetLeftSide();
    void onActionXSheetRightSide();
    void onActionXSheetDetach(bool checked);
    void onDetachedXSheetHidden();
    void onSplitterMoved();
    void updateXSheetLocation();

    // Layers and pick-up
    void onActionNewLayer();
    void onActionNewPaintLayer();
    void onActionDuplicateActiveLayer();
    void onActionDiscardActiveLayer();
    void onActionMergeLayerDown();
    void onActionLayerAbove();
    void onActionLayerBelow();
    void onActionLayerTop();
    void onActionLayerBottom();
    void onActionLayerVisibility(bool checked);
    void onActionLayerLink(bool checked);
    void onActionShowNothingBeyond();
    void onActionFreezeLastDrawingBeyond();
    void onActionCycleDrawingsBeyond();
    void onActionUnlinkAllLayers();
    void onActionLinkAllLayers();
    void updateLayerActions();
    void onActionDropFloatingSelection();
    void onActionGetLatestFloatingSelectionBack();
    void onOpacityChanged(int layer, double oldOpacity, double newOpacity);
    void onOpacitySliderMoved(int layer, double opacity);
    void onXSheetOpacityClicked(int layer);
    void onXSheetOpacityCenterMoved(QPoint center);
    void onLayerRenamed(const QString& name);
    void onXSheetDoubleClickedLayer(int layer, QRect headerRect);
    void onXSheetRightClickedThumbnail(const QModelIndex& index, QPoint globalPos);
    void onXSheetRightClickedLayer(int layer, QPoint globalPos);

    // Paint, window and help
    void onActionPalette();
    void onActionColorPickerTool();
    void onActionFillTool();
    void onActionReferenceDisplay(bool checked);
    void onReferenceDisplayHidden();
    void onActionCustomizeToolBar();
    void onActionCustomizeSpeedDials();
    void onActionFullScreen();
    void onActionPrimarySpeedDial();
    void onActionSecondarySpeedDial();
    void onActionVideoTutorials();
    void onActionAbout();
    void onActionSettings();
    void onActionSceneSettings();
    void showVideoTutorialsIfWanted();

    // Tool settings panels under the controls bar's pockets, customising
    void onToolPocketPressed(Model::Tool::Type kind, int slot);
    void onToolPocketFocusReceived(Model::Tool::Type kind);
    void onActionDrawSettings();
    void onActionEraseSettings();
    void placeToolSettings();
    void onMenuBarTriggered(QAction* action);
    void onCustomizeToolBarUpdated();
    void onCustomizeSpeedDialsUpdated();

private:
    // Connects the catalogue actions of the handlers above and of the key
    // handling's tool toggles.
    void setupHandlerActionConnections();
    // Tells the detached sheet where to open when it has no place of its own.
    void prepareDetachedXSheetOpening();
    // Applies a frame found by a step or a skip: only a change inside the
    // stepping span moves the active frame.
    void stepToFrame(int frame);
    // The nearest frame from the active one, backwards or forwards, that
    // passes the test; the search wraps round the stepping span once.
    int findFrame(bool forward, const std::function<bool(int layer, int frame)>& accept) const;
    void extendSelectionTo(int step);
    void setBeyondLast(int mode);
    void toggleSpeedDial(UI::SpeedDial* dial, UI::SpeedDial* other);


    // --- Key handling and held-key tools (MainWindowKeys.cpp)
public:
    // The hold delays of Space and Z, and of D and E; tests shorten them.
    void setHoldIntervals(int zoomAndZPRMs, int popupMs);
    Model::Tool::State calcToolState(Model::Tool::Type type) const;
public slots:
    void startZoomTimer();
    void stopZoomTimer();
    void startZPRTimer();
    void stopZPRTimer();
    void immediateSwitchToZoom();
    void immediateSwitchToZPR();
    void stopPopupTimers();
    void startDropdownTimer();
    void stopDropdownTimer();
    void closeDrawAndEraseDropdowns();
    void closeDrawAndErasePopups();
    void onActionDrawEraseToggle();
    void updateCurrentToolState();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void keyReleaseEvent(QKeyEvent* event) override;

private:
    // Gives the pop-up, dropdown and hold timers their timeouts.
    void connectKeyTimers();
    void setupKeyContexts();
    void handleShortcutOverride(QKeyEvent* event);
    void showPopupPanel(UI::ToolSettings* panel);
    void dropDownSettings(UI::ToolSettings* panel, UI::ToolSettings* other, KW::Action tool);


    // --- Window state, first show and close (MainWindowState.cpp)
public:
    Model::SceneModel* quillmereSceneModel() const;
public slots:
    void actualizeTitlebar();
    void updateDevicePixelRatio();

protected:
    void closeEvent(QCloseEvent* event) override;
    void showEvent(QShowEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

private:
    void saveSettings();

    std::unique_ptr<Form> ui;
    std::unique_ptr<Private> d;
    QUndoGroup* m_undoGroup = nullptr;
    UI::ToolBar* m_toolBar = nullptr;
    UI::Palette* m_palette = nullptr;
    PlaybackController* m_playbackController = nullptr;
};
