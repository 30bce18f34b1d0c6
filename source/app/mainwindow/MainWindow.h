#pragma once

#include "settings/KW.h"
#include "strokes/FloatingSelection.h"

#include <QClipboard>
#include <QMainWindow>
#include <QModelIndex>
#include <QPainterPath>
#include <QPointingDevice>
#include <QTransform>

#include "tools/Tool.h"

#include <memory>

#include "scene/Scene.h"

class QCloseEvent;
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
class ToolBar;
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

    // --- Key handling and held-key tools (MainWindowKeys.cpp)
public:
    // The state the tool of a type would have on the active cell.
    Model::Tool::State calcToolState(Model::Tool::Type type) const;
public slots:
    void updateCurrentToolState();


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
