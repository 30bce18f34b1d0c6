#include "MainWindow.h"
#include "MainWindowPrivate.h"

#include "canvas/DrawingArea.h"
#include "canvas/Paper.h"
#include "dialogs/Preferences.h"
#include "panels/ToolBar.h"
#include "playback/PlaybackController.h"
#include "rendering/OffscreenRenderer.h"
#include "scene/KWScene.h"
#include "settings/Settings.h"
#include "style/KWProxyStyle.h"
#include "timeline/Timeline.h"
#include "xsheet/XSheet.h"
#include "xsheet/XSheetPane.h"

#include <QApplication>
#include <QMenuBar>
#include <QResizeEvent>
#include <QSplitter>
#include <QUndoGroup>
#include <QVBoxLayout>

MainWindow::MainWindow(QWidget* parent)
    : QMainWindow(parent)
    , ui(std::make_unique<Form>())
    , d(std::make_unique<Private>())
{
    m_playbackController = new PlaybackController(this);

    QApplication::setStyle(new UI::KWProxyStyle(nullptr));
    Model::OffscreenRenderer::instance()->initialize(Model::Settings::instance()->defaultFrameSize());

    buildForm();

    d->xsheet = new UI::XSheet(this);
    d->xsheetPane = new UI::XSheetPane(this);
    d->xsheetPane->setXSheet(d->xsheet);
    m_undoGroup = new QUndoGroup(this);
    d->preferences = new UI::Preferences(this);
    d->preferences->hide();

    m_toolBar = new UI::ToolBar(ui->centralwidget);

    restoreSettings();
}

MainWindow::~MainWindow()
{
    removeEventFilter(this);
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

void MainWindow::restoreSettings()
{
    QVariant geometry;
    Model::Settings::instance()->mainWindowSettings(geometry, d->xsheetOnLeft, d->xsheetDetached,
                                                    d->xsheetVisible, d->xsheetWidth);
    ui->splitter->insertWidget(d->xsheetOnLeft ? 0 : 1, d->xsheetPane);
}

void MainWindow::resizeEvent(QResizeEvent* event)
{
    QMainWindow::resizeEvent(event);
    emit resized(event);
}
