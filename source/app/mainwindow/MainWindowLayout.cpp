// The widgets the constructor places around the canvas (controls bar, tool
// panels, menus, overlay, timers), the layout restored from the settings, and
// the updaters that follow the UI scale, the tool-bar side and the
// transparency display.
#include "MainWindow.h"
#include "MainWindowPrivate.h"

#include "actions/ActionManager.h"
#include "canvas/ControlsBar.h"
#include "canvas/ControlsBarIndicator.h"
#include "canvas/ControlsBarToolButton.h"
#include "canvas/DrawingArea.h"
#include "canvas/Paper.h"
#include "canvas/ReferenceDisplay.h"
#include "customize/CustomizeOverlay.h"
#include "panels/SpeedDial.h"
#include "panels/ToolBar.h"
#include "panels/ToolPocket.h"
#include "panels/ToolSettings.h"
#include "scene/Scene.h"
#include "settings/Settings.h"
#include "timeline/Timeline.h"
#include "xsheet/DetachedXSheet.h"
#include "xsheet/XSheet.h"
#include "xsheet/XSheetPane.h"

#include <QAction>
#include <QApplication>
#include <QHBoxLayout>
#include <QLabel>
#include <QMenu>
#include <QScreen>
#include <QShortcut>
#include <QSplitter>
#include <QStyle>
#include <QTimer>

namespace {

QAction* action(KW::Action id)
{
    return Model::ActionManager::instance()->action(id);
}

int iconSide()
{
    return int(32 * Model::Settings::instance()->UIScaleFraction());
}

// A controls-bar icon: the plain artwork, its hover form while the pointer is
// over the button, its pressed form while pressed or selected.
QIcon controlsBarIcon(const QString& name)
{
    const QString plain = QStringLiteral(":/controlsbar/%1_button.svg").arg(name);
    const QString hover = QStringLiteral(":/controlsbar/%1_button-hover.svg").arg(name);
    const QString click = QStringLiteral(":/controlsbar/%1_button-click.svg").arg(name);
    QIcon icon;
    icon.addFile(plain, QSize(), QIcon::Normal, QIcon::Off);
    icon.addFile(hover, QSize(), QIcon::Active, QIcon::Off);
    icon.addFile(click, QSize(), QIcon::Normal, QIcon::On);
    icon.addFile(click, QSize(), QIcon::Active, QIcon::On);
    icon.addFile(click, QSize(), QIcon::Selected, QIcon::Off);
    icon.addFile(click, QSize(), QIcon::Selected, QIcon::On);
    return icon;
}

void fillPocket(UI::ToolPocket* pocket, std::initializer_list<KW::Action> ids)
{
    int slot = 0;
    for (KW::Action id : ids)
        pocket->setToolAction(slot++, action(id));
}

const std::initializer_list<KW::Action> kErasers = {
    KW::Action::KneadedEraser, KW::Action::RubberEraser, KW::Action::VinylEraser};
const std::initializer_list<KW::Action> kPens = {KW::Action::Pencil, KW::Action::Marker,
                                                 KW::Action::Brush};

} // namespace

void MainWindow::setupWindowIcon()
{
    QIcon icon;
    for (int side : {16, 32, 64, 128, 256, 512, 1024})
        icon.addFile(QStringLiteral(":/kw-icon_%1.png").arg(side));
    QGuiApplication::setWindowIcon(icon);
}

void MainWindow::setupShortcuts()
{
    d->shiftLeftShortcut = new QShortcut(QKeySequence(tr("Shift+Left")), this);
    d->shiftLeftShortcut->setContext(Qt::WindowShortcut);
    d->shiftRightShortcut = new QShortcut(QKeySequence(tr("Shift+Right")), this);
    d->shiftRightShortcut->setContext(Qt::WindowShortcut);

    // These have no menu entry; on the window their keys still reach them.
    for (KW::Action id :
         {KW::Action::BacklightToggleAB, KW::Action::DecreasePenSize, KW::Action::IncreasePenSize,
          KW::Action::StampFloatingSelectionKeepFloating, KW::Action::DeleteCloneDrawing})
        addAction(action(id));
}

void MainWindow::setupControlsBar()
{
    d->controlsBar = new UI::ControlsBar(nullptr);
    d->controlsBar->setObjectName(QStringLiteral("controlsBar"));
    auto* layout = new QHBoxLayout(d->controlsBar);
    layout->setObjectName(QStringLiteral("horizontalLayout"));
    layout->setContentsMargins(2, 1, 6, 0);

    auto* tools = new QHBoxLayout();
    tools->setObjectName(QStringLiteral("horizontalLayout_1"));
    tools->addSpacing(45);
    d->firstToolPocket = new UI::ToolPocket(d->controlsBar);
    fillPocket(d->firstToolPocket, kErasers);
    tools->addWidget(d->firstToolPocket);
    tools->addSpacing(4);
    d->secondToolPocket = new UI::ToolPocket(d->controlsBar);
    fillPocket(d->secondToolPocket, kPens);
    tools->addWidget(d->secondToolPocket);
    tools->addSpacing(12);
    layout->addLayout(tools);

    auto* transport = new QHBoxLayout();
    transport->setObjectName(QStringLiteral("horizontalLayout_2"));
    struct TransportButton
    {
        UI::ControlsBarToolButton** button;
        const char* objectName;
        const char* artwork;
        KW::Action action;
    };
    const TransportButton buttons[] = {
        {&d->jumpToStartButton, "toolButtonJumpToStart", "jumpToStart", KW::Action::JumpToStart},
        {&d->stepBackButton, "toolButtonStepBack", "stepBack", KW::Action::StepBack},
        {&d->playbackButton, "toolButtonPlayback", "playback", KW::Action::Play},
        {&d->stepForwardButton, "toolButtonStepForward", "stepForward", KW::Action::StepForward},
        {&d->jumpToEndButton, "toolButtonJumpToEnd", "jumpToEnd", KW::Action::JumpToEnd},
    };
    for (const TransportButton& entry : buttons) {
        auto* button = new UI::ControlsBarToolButton(d->controlsBar);
        button->setObjectName(QString::fromLatin1(entry.objectName));
        button->setIcon(controlsBarIcon(QString::fromLatin1(entry.artwork)));
        button->setIconSize(QSize(iconSide(), iconSide()));
        button->setToolTip(action(entry.action)->toolTip());
        transport->addWidget(button);
        *entry.button = button;
        if (entry.action != KW::Action::Play) {
            QAction* target = action(entry.action);
            connect(button, &QAbstractButton::clicked, target, [target] { target->trigger(); });
        }
    }
    d->jumpToStartButton->setProperty("leftMost", true);
    d->playbackButton->setCheckable(false);
    d->playIcon = d->playbackButton->icon();
    d->stopIcon = controlsBarIcon(QStringLiteral("stop"));
    layout->addLayout(transport);

    auto* indicators = new QHBoxLayout();
    indicators->setObjectName(QStringLiteral("horizontalLayout_3"));
    d->mirrorIndicator =
        new UI::ControlsBarIndicator(QStringLiteral(":/controlsbar/indicator-mirror.svg"), d->controlsBar);
    indicators->addWidget(d->mirrorIndicator);
    d->backlightIndicator = new UI::ControlsBarIndicator(
        QStringLiteral(":/controlsbar/indicator-backlight.svg"), d->controlsBar);
    indicators->addWidget(d->backlightIndicator);
    indicators->addStretch();
    d->frameNumberLabel = new QLabel(d->controlsBar);
    d->frameNumberLabel->setObjectName(QStringLiteral("labelCurrentFrameNumber"));
    QPalette labelPalette = d->frameNumberLabel->palette();
    for (QPalette::ColorGroup group : {QPalette::Active, QPalette::Inactive})
        labelPalette.setColor(group, QPalette::WindowText, Qt::white);
    labelPalette.setColor(QPalette::Disabled, QPalette::WindowText, QColor(164, 166, 168, 96));
    d->frameNumberLabel->setPalette(labelPalette);
    indicators->addWidget(d->frameNumberLabel);
    layout->addLayout(indicators);

    ui->scrollAreaWidgetContents->setTopWidget(d->controlsBar);
}

void MainWindow::setupToolSettings()
{
    d->eraseSettings = new UI::ToolSettings(Model::Tool::Erase, ui->centralwidget);
    auto* erasePocket = new UI::ToolPocket();
    fillPocket(erasePocket, kErasers);
    d->eraseSettings->setToolPocket(erasePocket);
    d->eraseSettings->hide();

    d->drawSettings = new UI::ToolSettings(Model::Tool::Draw, ui->centralwidget);
    auto* drawPocket = new UI::ToolPocket();
    fillPocket(drawPocket, kPens);
    d->drawSettings->setToolPocket(drawPocket);
    d->drawSettings->hide();
}

void MainWindow::setupPopupTimers()
{
    for (QTimer** timer : {&d->popupTimer1, &d->popupTimer2}) {
        *timer = new QTimer(this);
        (*timer)->setSingleShot(true);
    }
}

void MainWindow::setupDropdownTimer()
{
    d->dropdownTimer = new QTimer(this);
    d->dropdownTimer->setSingleShot(true);
}

void MainWindow::setupZPRTimer()
{
    d->zprTimer = new QTimer(this);
    d->zprTimer->setSingleShot(true);
    d->zprTimer->setInterval(d->zprTimerInterval);
}

void MainWindow::setupZoomTimer()
{
    d->zoomTimer = new QTimer(this);
    d->zoomTimer->setSingleShot(true);
    d->zoomTimer->setInterval(d->zoomTimerInterval);
}

void MainWindow::setupContextMenus()
{
    const char* context = "context sub menu";
    QMenu* menu = new QMenu(tr("X-Sheet", context), this);
    d->xsheetContextMenu = menu;
    auto add = [menu](std::initializer_list<KW::Action> ids) {
        for (KW::Action id : ids)
            menu->addAction(action(id));
    };
    add({KW::Action::XSheetTopBar, KW::Action::XSheetOppositeSide,
         KW::Action::XSheetDetachSeparateWindow});
    menu->addSeparator();
    add({KW::Action::SlideMode, KW::Action::AddClonesMode, KW::Action::ToggleXSheetDragMode});
    menu->addSeparator();
    add({KW::Action::UnlinkAllLayers, KW::Action::LinkAllLayers});
    menu->addSeparator();
    d->showBeyondButtonsEntry = menu->addAction(tr("Show Beyond-Last-Drawing Buttons"));
    d->showBeyondButtonsEntry->setCheckable(true);
    d->showBeyondButtonsEntry->setChecked(action(KW::Action::ShowBeyondButtons)->isChecked());
    menu->addSeparator();
    QMenu* thumbnails = menu->addMenu(tr("Thumbnail Size", context));
    for (KW::Action id : {KW::Action::ThumbnailSizeTiny, KW::Action::ThumbnailSizeSmall,
                          KW::Action::ThumbnailSizeMedium, KW::Action::ThumbnailSizeLarge})
        thumbnails->addAction(action(id));
    thumbnails->addSeparator();
    thumbnails->addAction(action(KW::Action::ThumbnailSizeSmaller));
    thumbnails->addAction(action(KW::Action::ThumbnailSizeLarger));
    menu->addSeparator();
    add({KW::Action::ImportReferenceLayer});
    menu->addSeparator();
    add({KW::Action::ImportAudio, KW::Action::MuteAudio, KW::Action::DiscardAudio});
}

void MainWindow::setupCustomizeOverlay()
{
    d->customizeOverlay = new UI::CustomizeOverlay(this);
    d->customizeOverlay->hide();
    d->customizeOverlay->init();
}

void MainWindow::restoreSettings()
{
    Model::Settings* settings = Model::Settings::instance();
    QVariant geometry;
    settings->mainWindowSettings(geometry, d->xsheetOnLeft, d->xsheetDetached, d->xsheetVisible,
                                 d->xsheetWidth);
    if (geometry.isNull() || !restoreGeometry(geometry.toByteArray())) {
        // First start: the whole work area less the window frame.
        if (QScreen* screen = QGuiApplication::primaryScreen()) {
            const int frame = style()->pixelMetric(QStyle::PM_DefaultFrameWidth);
            const int title = style()->pixelMetric(QStyle::PM_TitleBarHeight);
            setGeometry(screen->availableGeometry().adjusted(frame, title, -frame, -frame));
        }
    }

    ui->splitter->insertWidget(d->xsheetOnLeft ? 0 : 1, d->xsheetPane);
    action(d->xsheetOnLeft ? KW::Action::XSheetLeftSide : KW::Action::XSheetRightSide)
        ->setChecked(true);
    if (d->xsheetWidth > 0) {
        const int paneIndex = ui->splitter->indexOf(d->xsheetPane);
        const int rest = std::max(1, width() - ui->splitter->handleWidth() - d->xsheetWidth);
        ui->splitter->setSizes(paneIndex == 0 ? QList<int>{d->xsheetWidth, rest}
                                              : QList<int>{rest, d->xsheetWidth});
    }

    QVariant xsheetGeometry;
    settings->xSheetWindowSettings(xsheetGeometry);
    d->detachedXSheet->setSavedGeometry(xsheetGeometry.toByteArray());
    QVariant referenceGeometry;
    settings->referenceDisplaySettings(referenceGeometry);
    d->referenceDisplay->setSavedGeometry(referenceGeometry.toByteArray());

    for (const auto& [id, checked] : {std::pair{KW::Action::XSheetShow, d->xsheetVisible},
                                      std::pair{KW::Action::XSheetDetachSeparateWindow,
                                                d->xsheetDetached}}) {
        QAction* a = action(id);
        const QSignalBlocker block(a);
        a->setChecked(checked);
    }

    updateToolBarLocation(settings->toolBarPosition());
    m_toolBar->setVisible(settings->toolBarVisible());
    ui->scrollAreaWidgetContents->setGridType(settings->gridType());
    updateTransparencyType(settings->transparencyType());
    m_toolBar->restoreSettings(settings->toolBarSettings());
    d->primarySpeedDial->restoreSettings(settings->primarySpeedDialSettings());
    d->secondarySpeedDial->restoreSettings(settings->secondarySpeedDialSettings());
}

void MainWindow::updateUISize()
{
    const QSize icons(iconSide(), iconSide());
    setupFrameNumberLabel();
    d->controlsBar->updateUISize();
    d->mirrorIndicator->updateUISize();
    d->backlightIndicator->updateUISize();
    d->firstToolPocket->updateUISize();
    d->secondToolPocket->updateUISize();
    d->eraseSettings->updateUISize();
    d->drawSettings->updateUISize();
    d->xsheetPane->updateUISize();
    d->xsheet->updateUISize();
    for (UI::ControlsBarToolButton* button : {d->jumpToStartButton, d->stepBackButton,
                                              d->playbackButton, d->stepForwardButton,
                                              d->jumpToEndButton})
        button->setIconSize(icons);
    d->primarySpeedDial->updateUISize();
    d->secondarySpeedDial->updateUISize();
    ui->timeline->updateUISize();
    ui->scrollAreaWidgetContents->updateUISize();
    m_toolBar->updateUISize();
    if (Model::Scene* scene = quillmereScene())
        scene->setThumbnailSize(Model::Settings::instance()->thumbnailSize(), true);
    repaint();
    updateGeometry();
}

void MainWindow::updateToolBarLocation(KW::ToolBarPosition position)
{
    m_toolBar->setPosition(position);
    ui->frame->triggerLeftAndRightCenterMoved();
    ui->centralwidget->setFocus(Qt::OtherFocusReason);
}

void MainWindow::updateTransparencyType(KW::TransparencyType type)
{
    ui->scrollAreaWidgetContents->setTransparencyType(type);
    d->xsheet->setTransparencyType(type);
    d->referenceDisplay->setTransparencyType(type);
}
