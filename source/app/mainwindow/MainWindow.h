#pragma once

#include "settings/KW.h"

#include <QClipboard>
#include <QMainWindow>
#include <QPointingDevice>

#include "tools/Tool.h"

#include <memory>

class QCloseEvent;
class QResizeEvent;
class QShowEvent;
class QUndoGroup;
class PlaybackController;

namespace Model {
class KWScene;
class Scene;
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

    // --- Scene file routes and autosave (MainWindowFiles.cpp, MainWindowAutosave.cpp)
public slots:
    void newScene(MainWindow::NewSceneBehaviour behaviour);
    void newSceneIfNoneOpen();
    bool maybeSave();
    bool openFile(const QString& filename);

    // --- Tool switching, scrubbing, lasso and floating-selection routes (MainWindowTools.cpp)

    // --- Actions and menus (MainWindowActions.cpp, MainWindowMenus.cpp)

    // --- Edit and draw handlers (MainWindowEdit.cpp)

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
