#pragma once

#include "MainWindow.h"

#include <QIcon>
#include <QMetaObject>
#include <QPoint>
#include <QPointer>
#include <QVariant>

class QAction;
class QDialog;
class QLabel;
class QMenu;
class QMenuBar;
class QShortcut;
class QSplitter;
class QTimer;
class QVBoxLayout;
class AutosaveManager;

namespace UI {
class ControlsBar;
class ControlsBarIndicator;
class ControlsBarToolButton;
class CustomizeBacklightDialog;
class CustomizeOverlay;
class DetachedXSheet;
class DrawingArea;
class LayerRenameWidget;
class OpacitySlider;
class Paper;
class Preferences;
class ReferenceDisplay;
class SpeedDial;
class Timeline;
class ToolPocket;
class ToolSettings;
class XSheet;
class XSheetPane;
} // namespace UI

// The widget tree around the canvas.
struct MainWindow::Form
{
    QWidget* centralwidget = nullptr;
    QVBoxLayout* verticalLayout_2 = nullptr;
    QSplitter* splitter = nullptr;
    UI::DrawingArea* frame = nullptr;
    QVBoxLayout* frameLayout = nullptr;
    UI::Paper* scrollAreaWidgetContents = nullptr;
    UI::Timeline* timeline = nullptr;
    QMenuBar* menubar = nullptr;
};

// Everything the window's concerns share. Widgets are owned through Qt
// parenthood; the record only points at them.
struct MainWindow::Private
{
    // Construction and layout
    UI::Preferences* preferences = nullptr;
    UI::ToolPocket* firstToolPocket = nullptr;
    UI::ToolPocket* secondToolPocket = nullptr;
    UI::ToolSettings* eraseSettings = nullptr;
    UI::ToolSettings* drawSettings = nullptr;
    UI::CustomizeBacklightDialog* backlightDialog = nullptr;
    UI::SpeedDial* primarySpeedDial = nullptr;
    UI::SpeedDial* secondarySpeedDial = nullptr;
    UI::OpacitySlider* opacitySlider = nullptr;
    UI::LayerRenameWidget* layerRenameWidget = nullptr;
    UI::XSheet* xsheet = nullptr;
    UI::XSheetPane* xsheetPane = nullptr;
    UI::DetachedXSheet* detachedXSheet = nullptr;
    UI::ReferenceDisplay* referenceDisplay = nullptr;
    UI::CustomizeOverlay* customizeOverlay = nullptr;
    QShortcut* shiftLeftShortcut = nullptr;
    QShortcut* shiftRightShortcut = nullptr;
    QMenu* xsheetContextMenu = nullptr;
    QAction* showBeyondButtonsEntry = nullptr; // in the X-sheet context menu

    UI::ControlsBar* controlsBar = nullptr;
    UI::ControlsBarToolButton* jumpToStartButton = nullptr;
    UI::ControlsBarToolButton* stepBackButton = nullptr;
    UI::ControlsBarToolButton* playbackButton = nullptr;
    UI::ControlsBarToolButton* stepForwardButton = nullptr;
    UI::ControlsBarToolButton* jumpToEndButton = nullptr;
    QIcon playIcon;
    QIcon stopIcon;
    UI::ControlsBarIndicator* mirrorIndicator = nullptr;
    UI::ControlsBarIndicator* backlightIndicator = nullptr;
    QLabel* frameNumberLabel = nullptr;

    // Window layout kept in the settings
    int xsheetWidth = 0;
    // The sheet has been placed in the shown window; until then the width the
    // splitter shows is its own choice, not the user's.
    bool xsheetPlacedShown = false;
    bool xsheetOnLeft = true;
    bool xsheetDetached = false;
    bool xsheetVisible = true;
    // The program has one window, so its first show is the process's.
    bool shownBefore = false;

    // Scene switching
    int rememberedFrame = -1;
    int rangeEditFrame = -1;
    int rangeEditLayer = -1;

    // File routes and autosave
    bool busy = false;
    qint64 timeOfLastEdit = 0;
    AutosaveManager* autosaveManager = nullptr;
    QString lastFailedAutosave; // the message of the last failed backup, told once

    // Menus
    QMenu* openRecentMenu = nullptr;

    // Tool routes
    QVariant zprToolState;
    QMetaObject::Connection scrubbingStartedConnection;
    std::function<qint64()> monotonicClock; // empty: the steady clock

    // Key handling and held-key tools
    QTimer* popupTimer1 = nullptr;
    QTimer* popupTimer2 = nullptr;
    QTimer* dropdownTimer = nullptr;
    QTimer* zprTimer = nullptr;
    int zprTimerInterval = 200;
    QTimer* zoomTimer = nullptr;
    int zoomTimerInterval = 200;
    int popupTimerInterval = 200;
    QPoint popupPointerPos;
    QMetaObject::Connection zprPressConnection;
    QMetaObject::Connection zoomPressConnection;

    // Navigation, view and layer handlers
    QTimer* framesLostTimer = nullptr;
    int renamedLayer = -1;
    QPointer<QDialog> aboutDialog;

    // Tablet
    QPointingDevice::PointerType lastPointerType = QPointingDevice::PointerType::Unknown;
};
