// The window's construction: the steps run in a fixed order, because later
// steps connect to widgets and actions that earlier ones made.
#include "MainWindow.h"
#include "MainWindowPrivate.h"

#include "actions/ActionManager.h"
#include "canvas/ControlsBarToolButton.h"
#include "canvas/DrawingArea.h"
#include "canvas/Paper.h"
#include "canvas/ReferenceDisplay.h"
#include "common/IncomingConnections.h"
#include "customize/CustomizeOverlay.h"
#include "dialogs/CustomizeBacklightDialog.h"
#include "dialogs/Preferences.h"
#include "panels/Palette.h"
#include "panels/SpeedDial.h"
#include "panels/ToolBar.h"
#include "panels/ToolPocket.h"
#include "panels/ToolSettings.h"
#include "playback/PlaybackController.h"
#include "rendering/OffscreenRenderer.h"
#include "scene/KWScene.h"
#include "settings/Settings.h"
#include "style/KWProxyStyle.h"
#include "timeline/Timeline.h"
#include "tools/Cursor.h"
#include "tools/ToolManager.h"
#include "xsheet/DetachedXSheet.h"
#include "xsheet/LayerRenameWidget.h"
#include "xsheet/OpacitySlider.h"
#include "xsheet/XSheet.h"
#include "xsheet/XSheetPane.h"

#include <QAction>
#include <QApplication>
#include <QClipboard>
#include <QMenuBar>
#include <QResizeEvent>
#include <QShortcut>
#include <QSplitter>
#include <QTimer>
#include <QUndoGroup>
#include <QVBoxLayout>

namespace {

QAction* action(KW::Action id)
{
    return Model::ActionManager::instance()->action(id);
}

// The speed dials tell how they are best used: by holding their key.
QString speedDialInfo(const QString& text, KW::Action id)
{
    return text.arg(action(id)->shortcut().toString(QKeySequence::NativeText));
}

} // namespace

MainWindow::MainWindow(QWidget* parent)
    : QMainWindow(parent)
    , ui(std::make_unique<Form>())
    , d(std::make_unique<Private>())
{
    m_playbackController = new PlaybackController(this);
    Model::Settings* settings = Model::Settings::instance();
    Model::ToolManager* tools = Model::ToolManager::instance();

    QApplication::setStyle(new UI::KWProxyStyle(nullptr));
    setupWindowIcon();
    // The frame buffers are made when the first stroke is drawn: a large
    // default frame must not cost gigabytes before anything is drawn. The
    // rest of the renderer is made while the window is built and shown.
    Model::OffscreenRenderer::instance()->initializeInBackground(settings->defaultFrameSize());

    buildForm();
    installEventFilter(this);

    d->xsheet = new UI::XSheet(this);
    d->xsheetPane = new UI::XSheetPane(this);
    d->xsheetPane->setXSheet(d->xsheet);
    m_undoGroup = new QUndoGroup(this);
    d->preferences = new UI::Preferences(this);
    d->preferences->hide();

    // step 9: the timeline's range handles edit the scene's frame range
    connect(ui->timeline, &UI::Timeline::rangeChanged, this, &MainWindow::setFrameRange);
    // The playhead and its scrubbing.
    connect(ui->timeline, &UI::Timeline::valueChanged, this, &MainWindow::onTimelineValueChanged);
    connect(ui->timeline, &UI::Timeline::sliderPressed, this, &MainWindow::onTimelineSliderPressed);
    connect(ui->timeline, &UI::Timeline::sliderMoved, this, &MainWindow::onTimelineSliderMoved);
    connect(ui->timeline, &UI::Timeline::sliderDragged, this, &MainWindow::onTimelineSliderDragged);
    connect(ui->timeline, &UI::Timeline::sliderReleased, this,
            &MainWindow::onTimelineSliderReleased);

    // The exposure sheet follows the settings it shows.
    connect(settings, &Model::Settings::showBeyondButtonsChanged, d->xsheet,
            &UI::XSheet::showBeyondButtons);
    connect(settings, &Model::Settings::slideModeChanged, d->xsheet, &UI::XSheet::setSlideMode);
    d->xsheet->showBeyondButtons(settings->showBeyondButtons());
    d->xsheet->setSlideMode(settings->slideMode());

    // Tool bar over the canvas.
    m_toolBar = new UI::ToolBar(ui->centralwidget);
    connect(this, &MainWindow::resized, ui->frame, &UI::DrawingArea::triggerLeftAndRightCenterMoved);
    connect(ui->frame, &UI::DrawingArea::leftAndRightCenterMoved, this,
            &MainWindow::onLeftAndRightCenterMoved);
    connect(settings, &Model::Settings::toolBarPositionChanged, this,
            &MainWindow::updateToolBarLocation);
    connect(settings, &Model::Settings::toolBarVisibleChanged, m_toolBar, &QWidget::setVisible);
    connect(m_toolBar, &UI::ToolBar::toggled, settings, &Model::Settings::setToolBarVisible);

    // Actions (their handlers are wired by the action set-up), then the
    // widgets that show them.
    setupFileActions();
    setupEditActions();
    setupDrawActions();
    setupFlipNPlayActions();
    setupLightTableActions();
    setupXSheetActions();
    setupPickUpActions();
    setupPaintActions();
    setupWindowActions();
    setupHelpActions();
    setupOtherActions();
    setupShortcuts();
    setupControlsBar();
    setupToolSettings();
    setupHandlerActionConnections();
    connect(d->shiftLeftShortcut, &QShortcut::activated, this, &MainWindow::onShiftLeft);
    connect(d->shiftRightShortcut, &QShortcut::activated, this, &MainWindow::onShiftRight);
    setupFrameNumberLabel();
    // The settings panels drop down from their pockets in the controls bar.
    for (const auto& [pocket, kind] : {std::pair{d->firstToolPocket, Model::Tool::Erase},
                                       std::pair{d->secondToolPocket, Model::Tool::Draw}}) {
        const Model::Tool::Type type = kind;
        connect(pocket, &UI::ToolPocket::pressed, this,
                [this, type](int slot) { onToolPocketPressed(type, slot); });
        connect(pocket, &UI::ToolPocket::focusReceived, this,
                [this, type] { onToolPocketFocusReceived(type); });
    }
    connect(action(KW::Action::DrawSettings), &QAction::triggered, this,
            &MainWindow::onActionDrawSettings);
    connect(action(KW::Action::EraseSettings), &QAction::triggered, this,
            &MainWindow::onActionEraseSettings);
    for (UI::ToolSettings* panel : {d->eraseSettings, d->drawSettings})
        connect(panel, &UI::ToolSettings::lostFocus, this, &MainWindow::startDropdownTimer);
    connect(ui->frame, &UI::DrawingArea::topLeftMoved, this, &MainWindow::placeToolSettings);

    // Cursor and tools.
    connect(tools, &Model::ToolManager::cursorChanged, ui->frame, &QWidget::setCursor);
    connect(this, &MainWindow::resized, ui->frame, &UI::DrawingArea::triggerTopLeftMoved);
    connect(d->playbackButton, &QAbstractButton::clicked, m_playbackController,
            &PlaybackController::togglePlayback);
    connect(m_playbackController, &PlaybackController::playbackChanged, this,
            &MainWindow::onPlaybackChanged);
    connect(m_playbackController, &PlaybackController::skippedFrame, this, &MainWindow::onFramesLost,
            Qt::UniqueConnection);
    connect(settings, &Model::Settings::drawCursorTypeChanged, tools,
            &Model::ToolManager::updateCursor);
    connect(settings, &Model::Settings::drawCursorOpacityChanged, tools,
            &Model::ToolManager::updateCursor);

    connectToolRoutes();
    action(KW::Action::Pencil)->trigger();

    setupPopupTimers();
    setupDropdownTimer();
    setupZPRTimer();
    setupZoomTimer();
    connectKeyTimers();
    updateAudioActions();
    updateFramerateActions(m_playbackController->frameRate());

    m_palette = new UI::Palette(ui->centralwidget);
    m_palette->hide();
    m_palette->resize(400, 400);

    d->primarySpeedDial = new UI::SpeedDial(ui->centralwidget);
    d->primarySpeedDial->setInfoBoxHtml(speedDialInfo(
        tr("<p>Best use of <b>Speed Dial</b>:</p><p>Hold down the <b>%1</b> key</p>"),
        KW::Action::PrimarySpeedDial));
    d->primarySpeedDial->hide();
    d->secondarySpeedDial = new UI::SpeedDial(ui->centralwidget);
    d->secondarySpeedDial->setInfoBoxHtml(
        speedDialInfo(tr("<p>Best use of <b>Speed Dial</b>:</p><p>Hold down <b>%1</b></p>"),
                      KW::Action::SecondarySpeedDial));
    d->secondarySpeedDial->hide();

    d->backlightDialog = new UI::CustomizeBacklightDialog(settings->backlightSettings(), this);
    connect(d->backlightDialog, &UI::CustomizeBacklightDialog::settingsChanged, this,
            &MainWindow::onBacklightDialogSettingsChanged);
    connect(settings, &Model::Settings::backlightSettingsChanged, this,
            &MainWindow::onBacklightSettingsChanged);

    connect(ui->splitter, &QSplitter::splitterMoved, this, &MainWindow::onSplitterMoved);
    connect(ui->splitter, &QSplitter::splitterMoved, ui->scrollAreaWidgetContents,
            [this] { ui->scrollAreaWidgetContents->setFocus(); });

    QPalette xsheetPalette = d->xsheet->palette();
    xsheetPalette.setColor(QPalette::All, QPalette::Window, QColor(100, 96, 92));
    xsheetPalette.setColor(QPalette::All, QPalette::Highlight, Qt::black);
    d->xsheet->setPalette(xsheetPalette);

    d->opacitySlider = new UI::OpacitySlider(ui->centralwidget);
    d->opacitySlider->hide();
    connect(d->opacitySlider, &UI::OpacitySlider::opacityChanged, this, &MainWindow::onOpacityChanged);
    connect(d->opacitySlider, &UI::OpacitySlider::opacitySliderMoved, this,
            &MainWindow::onOpacitySliderMoved);
    connect(d->xsheet, &UI::XSheet::opacityClicked, this, &MainWindow::onXSheetOpacityClicked);
    connect(d->xsheet, &UI::XSheet::opacityCenterMoved, this,
            &MainWindow::onXSheetOpacityCenterMoved);

    d->layerRenameWidget = new UI::LayerRenameWidget(ui->centralwidget);
    d->layerRenameWidget->hide();
    connect(d->layerRenameWidget, &UI::LayerRenameWidget::renamed, this, &MainWindow::onLayerRenamed);

    d->detachedXSheet = new UI::DetachedXSheet(this);
    connect(d->detachedXSheet, &UI::DetachedXSheet::hidden, this, &MainWindow::onDetachedXSheetHidden);
    connect(d->detachedXSheet, &UI::DetachedXSheet::keyPressed, this, &MainWindow::keyPressEvent);
    connect(d->detachedXSheet, &UI::DetachedXSheet::keyReleased, this,
            &MainWindow::keyReleaseEvent);
    d->referenceDisplay = new UI::ReferenceDisplay(this);
    connect(d->referenceDisplay, &UI::ReferenceDisplay::hidden, this,
            &MainWindow::onReferenceDisplayHidden);
    connect(d->referenceDisplay, &UI::ReferenceDisplay::keyPressed, this,
            &MainWindow::keyPressEvent);
    connect(d->referenceDisplay, &UI::ReferenceDisplay::keyReleased, this,
            &MainWindow::keyReleaseEvent);
    setupKeyContexts();

    UI::Paper* paper = ui->scrollAreaWidgetContents;
    connect(paper, &UI::Paper::zoomLevelChanged, this,
            qOverload<double>(&MainWindow::actualizeTitlebar));
    connect(paper, &UI::Paper::zoomLevelToFitChanged, this,
            &MainWindow::updateFitPaperToViewAction);
    connect(paper, &UI::Paper::mirrorViewChanged, this, &MainWindow::onMirrorViewChanged);
    connect(paper, &UI::Paper::floatingSelectionStamped, this,
            &MainWindow::onFloatingSelectionStamped);
    connect(paper, &UI::Paper::scrubOffsetChanged, this, &MainWindow::onScrubOffsetChanged);

    connect(settings, &Model::Settings::gridTypeChanged, paper, &UI::Paper::setGridType);
    connect(settings, &Model::Settings::thumbnailSizeChanged, this,
            &MainWindow::onThumbnailSizeChanged);
    connect(settings, &Model::Settings::transparencyTypeChanged, this,
            &MainWindow::updateTransparencyType);

    connect(QApplication::clipboard(), &QClipboard::changed, this,
            &MainWindow::onClipboardChanged);

    setupMenus();
    setupContextMenus();
    connect(ui->menubar, &QMenuBar::triggered, this, &MainWindow::onMenuBarTriggered);
    connect(d->showBeyondButtonsEntry, &QAction::toggled, this,
            &MainWindow::onShowBeyondButtonsToggled);
    connect(d->xsheet, &UI::XSheet::doubleClickedLayer, this,
            &MainWindow::onXSheetDoubleClickedLayer);
    connect(d->xsheet, &UI::XSheet::rightClickedThumbnail, this,
            &MainWindow::onXSheetRightClickedThumbnail);
    connect(d->xsheet, &UI::XSheet::rightClickedLayer, this,
            &MainWindow::onXSheetRightClickedLayer);

    setupCustomizeOverlay();
    connect(this, &MainWindow::resized, d->customizeOverlay,
            [this] { d->customizeOverlay->resize(size()); });
    connect(d->customizeOverlay, &UI::CustomizeOverlay::toolBarUpdated, this,
            &MainWindow::onCustomizeToolBarUpdated);
    connect(d->customizeOverlay, &UI::CustomizeOverlay::speedDialsUpdated, this,
            &MainWindow::onCustomizeSpeedDialsUpdated);
    connect(settings, &Model::Settings::collapseAutomaticallyChanged, this,
            &MainWindow::onCollapseAutomaticallyChanged);
    connect(settings, &Model::Settings::UIScaleChanged, this, &MainWindow::updateUISize);

    restoreSettings();
    setCursor(Model::Cursor::m_cursorArrow);

    // step 31: autosave
    setupAutosave();

    QTimer::singleShot(0, this, &MainWindow::showVideoTutorialsIfWanted);
}

MainWindow::~MainWindow()
{
    removeEventFilter(this);
    // Deleting the child widgets moves the focus, hovers the headers and
    // reshapes the sheet: none of that may reach this window's slots.
    UI::IncomingConnections::cut(this, {qApp, QApplication::clipboard(), Model::Settings::instance(),
                                        Model::ToolManager::instance(),
                                        Model::ActionManager::instance()});
    // The scenes are children and die after this body: none of their
    // signals may reach the half-destroyed window on the way.
    if (Model::KWScene* bundle = Model::KWScene::currentKWScene()) {
        disconnectKWScene(bundle);
        Model::KWScene::setCurrentKWScene(nullptr);
    }
}

void MainWindow::buildForm()
{
    setObjectName(QStringLiteral("MainWindow"));
    setEnabled(true);
    resize(1750, 900);

    ui->centralwidget = new QWidget(this);
    ui->centralwidget->setObjectName(QStringLiteral("centralwidget"));
    ui->centralwidget->setMinimumSize(0, 600);
    ui->verticalLayout_2 = new QVBoxLayout(ui->centralwidget);
    ui->verticalLayout_2->setObjectName(QStringLiteral("verticalLayout_2"));
    ui->verticalLayout_2->setSpacing(0);
    ui->verticalLayout_2->setContentsMargins(0, 0, 0, 0);

    ui->splitter = new QSplitter(ui->centralwidget);
    ui->splitter->setObjectName(QStringLiteral("splitter"));
    ui->splitter->setFrameShape(QFrame::NoFrame);
    ui->splitter->setOrientation(Qt::Horizontal);
    ui->splitter->setHandleWidth(6);
    ui->splitter->setChildrenCollapsible(false);
    ui->verticalLayout_2->addWidget(ui->splitter);

    ui->frame = new UI::DrawingArea(ui->splitter);
    ui->frame->setObjectName(QStringLiteral("frame"));
    ui->frame->setFrameShape(QFrame::NoFrame);
    ui->frameLayout = new QVBoxLayout(ui->frame);
    ui->frameLayout->setContentsMargins(0, 0, 0, 0);
    ui->splitter->addWidget(ui->frame);

    ui->scrollAreaWidgetContents = new UI::Paper(ui->frame);
    ui->scrollAreaWidgetContents->setObjectName(QStringLiteral("scrollAreaWidgetContents"));
    ui->scrollAreaWidgetContents->setGeometry(0, 0, 1436, 409);
    ui->frameLayout->addWidget(ui->scrollAreaWidgetContents);

    ui->timeline = new UI::Timeline(ui->centralwidget);
    ui->timeline->setObjectName(QStringLiteral("timeline"));
    ui->verticalLayout_2->addWidget(ui->timeline);

    setCentralWidget(ui->centralwidget);

    ui->menubar = new QMenuBar(this);
    ui->menubar->setObjectName(QStringLiteral("menubar"));
    ui->menubar->setGeometry(0, 0, 1750, 20);
    setMenuBar(ui->menubar);
}
