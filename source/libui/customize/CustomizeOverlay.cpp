#include "customize/CustomizeOverlay.h"

#include "actions/ActionManager.h"
#include "customize/ActionsList.h"
#include "customize/ActionsListItemDelegate.h"
#include "customize/CustomizeSpeedDial.h"
#include "customize/CustomizeToolBar.h"
#include "customize/DragArrow.h"
#include "customize/DraggableSpacer.h"
#include "customize/RecycleBin.h"
#include "settings/KW.h"
#include "settings/Settings.h"

#include <QAction>
#include <QDialogButtonBox>
#include <QKeyEvent>
#include <QLabel>
#include <QPainter>
#include <QPaintEvent>
#include <QPushButton>
#include <QScrollBar>
#include <QStackedWidget>
#include <QSvgRenderer>
#include <QVBoxLayout>

namespace UI {

namespace {

constexpr int titleBarHeight = 47;
constexpr int shadowDepth = 32;

QLinearGradient shadowGradient(QPointF from, QPointF to)
{
    QLinearGradient g(from, to);
    g.setColorAt(0.0, QColor(0, 0, 0, 67));
    g.setColorAt(0.5, QColor(0, 0, 0, 15));
    g.setColorAt(1.0, QColor(0, 0, 0, 0));
    return g;
}

void setColour(QWidget* widget, QPalette::ColorRole role, const QColor& colour)
{
    QPalette palette = widget->palette();
    palette.setBrush(QPalette::All, role, colour);
    widget->setPalette(palette);
}

QLabel* centredLabel(QWidget* parent, const char* name)
{
    auto* label = new QLabel(parent);
    label->setObjectName(QString::fromLatin1(name));
    label->setAlignment(Qt::AlignCenter);
    label->setWordWrap(true);
    return label;
}

// A speed dial's heading with the key that calls it, named as this
// platform names keys.
QString dialHeading(const QString& text, KW::Action id)
{
    const QAction* action = Model::ActionManager::instance()->action(id);
    return text.arg(action ? action->shortcut().toString(QKeySequence::NativeText) : QString());
}

} // namespace

// The widgets of the form, by the names they carry.
struct CustomizeOverlay::Form
{
    QVBoxLayout* verticalLayout = nullptr;
    QLabel* titleLabel = nullptr;
    ActionsList* actionsListWidget = nullptr;
    DragArrow* widget = nullptr;
    QLabel* dragDescriptionLabel = nullptr;
    DraggableSpacer* draggableSpacer = nullptr;
    QLabel* spacerDescriptionLabel = nullptr;
    QStackedWidget* stackedWidget = nullptr;
    QLabel* toolbarLabel = nullptr;
    CustomizeToolBar* toolBar = nullptr;
    QLabel* primaryLabel = nullptr;
    CustomizeSpeedDial* primarySpeedDial = nullptr;
    QLabel* secondaryLabel = nullptr;
    CustomizeSpeedDial* secondarySpeedDial = nullptr;
    RecycleBin* recycleBin = nullptr;
    QLabel* recycleLabel = nullptr;
    QDialogButtonBox* buttonBox = nullptr;
};

struct CustomizeOverlay::Private
{
    QRectF titleBarRect;
    QRectF topShadowRect;
    QRectF bottomShadowRect;
    QLinearGradient topShadow;
    QLinearGradient bottomShadow;
    QSvgRenderer iconFrame{QStringLiteral(":/customize/iconFrame.svg")};
    int currentPage = 0;

    void layOut(const QSize& size)
    {
        const double w = size.width();
        const double h = size.height();
        titleBarRect = QRectF(0, 0, w, titleBarHeight);
        topShadowRect = QRectF(0, titleBarHeight, w, shadowDepth);
        bottomShadowRect = QRectF(0, h - titleBarHeight - shadowDepth, w, shadowDepth);
        topShadow = shadowGradient(QPointF(0, titleBarHeight),
                                   QPointF(0, titleBarHeight + shadowDepth));
        bottomShadow = shadowGradient(QPointF(0, h - titleBarHeight),
                                      QPointF(0, h - titleBarHeight - shadowDepth));
    }
};

CustomizeOverlay::CustomizeOverlay(QWidget* parent)
    : QWidget(parent), ui(std::make_unique<Form>()), d(std::make_unique<Private>())
{
    buildForm();
    d->layOut(size());
    setColours();
    connect(ui->toolBar, &CustomizeToolBar::shadowUpdateNeeded, this, [this](QRect global) {
        update(QRect(mapFromGlobal(global.topLeft()), global.size()));
    });
    connect(ui->buttonBox, &QDialogButtonBox::accepted, this, &CustomizeOverlay::accept);
    connect(ui->buttonBox, &QDialogButtonBox::rejected, this, &CustomizeOverlay::reject);
    connect(ui->buttonBox, &QDialogButtonBox::clicked, this, [this](QAbstractButton* button) {
        if (ui->buttonBox->buttonRole(button) == QDialogButtonBox::ResetRole)
            restoreDefaults();
    });
}

CustomizeOverlay::~CustomizeOverlay() = default;

void CustomizeOverlay::buildForm()
{
    if (objectName().isEmpty())
        setObjectName(QStringLiteral("UI__CustomizeOverlay"));
    resize(773, 374);
    setWindowTitle(QStringLiteral("CustomizeOverlay"));

    ui->verticalLayout = new QVBoxLayout(this);
    ui->verticalLayout->setObjectName(QStringLiteral("verticalLayout"));
    ui->verticalLayout->setSpacing(0);
    ui->verticalLayout->setContentsMargins(0, 0, 0, 0);

    ui->titleLabel = centredLabel(this, "titleLabel");
    ui->titleLabel->setWordWrap(false);
    ui->titleLabel->setText(QStringLiteral("CUSTOMIZE"));
    ui->titleLabel->setFont(QFont(QStringLiteral("Passion One"), 20));
    ui->titleLabel->setFixedHeight(titleBarHeight);
    ui->verticalLayout->addWidget(ui->titleLabel);

    auto* horizontalLayout_2 = new QHBoxLayout;
    horizontalLayout_2->setObjectName(QStringLiteral("horizontalLayout_2"));
    horizontalLayout_2->setSpacing(0);

    auto* horizontalLayout_3 = new QHBoxLayout;
    horizontalLayout_3->setObjectName(QStringLiteral("horizontalLayout_3"));
    horizontalLayout_3->setContentsMargins(-1, 0, -1, -1);
    horizontalLayout_3->addStretch();
    ui->actionsListWidget = new ActionsList(this);
    ui->actionsListWidget->setObjectName(QStringLiteral("actionsListWidget"));
    ui->actionsListWidget->setMinimumSize(260, 0);
    ui->actionsListWidget->setAutoFillBackground(false);
    ui->actionsListWidget->setFrameShape(QFrame::NoFrame);
    ui->actionsListWidget->setFrameShadow(QFrame::Plain);
    ui->actionsListWidget->setVerticalScrollMode(QAbstractItemView::ScrollPerPixel);
    ui->actionsListWidget->setHorizontalScrollMode(QAbstractItemView::ScrollPerPixel);
    horizontalLayout_3->addWidget(ui->actionsListWidget);
    horizontalLayout_2->addLayout(horizontalLayout_3);
    horizontalLayout_2->addSpacerItem(
        new QSpacerItem(50, 20, QSizePolicy::Maximum, QSizePolicy::Minimum));

    auto* verticalLayout_2 = new QVBoxLayout;
    verticalLayout_2->setObjectName(QStringLiteral("verticalLayout_2"));
    verticalLayout_2->setSpacing(50);
    verticalLayout_2->addStretch();
    auto* verticalLayout_5 = new QVBoxLayout;
    verticalLayout_5->setObjectName(QStringLiteral("verticalLayout_5"));
    verticalLayout_5->setSpacing(20);
    ui->widget = new DragArrow(this);
    ui->widget->setObjectName(QStringLiteral("widget"));
    verticalLayout_5->addWidget(ui->widget, 0, Qt::AlignHCenter);
    ui->dragDescriptionLabel = centredLabel(this, "dragDescriptionLabel");
    ui->dragDescriptionLabel->setMaximumWidth(205);
    ui->dragDescriptionLabel->setText(
        tr("Drag icon from list, drop at preferred spot on Speed Dial"));
    verticalLayout_5->addWidget(ui->dragDescriptionLabel);
    verticalLayout_2->addLayout(verticalLayout_5);
    auto* verticalLayout_10 = new QVBoxLayout;
    verticalLayout_10->setObjectName(QStringLiteral("verticalLayout_10"));
    verticalLayout_10->setSpacing(0);
    auto* horizontalLayout = new QHBoxLayout;
    horizontalLayout->setObjectName(QStringLiteral("horizontalLayout"));
    horizontalLayout->addSpacerItem(
        new QSpacerItem(0, 0, QSizePolicy::Expanding, QSizePolicy::Minimum));
    ui->draggableSpacer = new DraggableSpacer(this);
    ui->draggableSpacer->setObjectName(QStringLiteral("draggableSpacer"));
    horizontalLayout->addWidget(ui->draggableSpacer);
    horizontalLayout->addSpacerItem(
        new QSpacerItem(0, 0, QSizePolicy::Expanding, QSizePolicy::Minimum));
    verticalLayout_10->addLayout(horizontalLayout);
    ui->spacerDescriptionLabel = centredLabel(this, "spacerDescriptionLabel");
    ui->spacerDescriptionLabel->setMaximumWidth(205);
    ui->spacerDescriptionLabel->setText(tr("Use this spacer to better organize icons"));
    verticalLayout_10->addWidget(ui->spacerDescriptionLabel);
    verticalLayout_2->addLayout(verticalLayout_10);
    verticalLayout_2->addStretch();
    horizontalLayout_2->addLayout(verticalLayout_2);
    horizontalLayout_2->addSpacerItem(
        new QSpacerItem(50, 20, QSizePolicy::Maximum, QSizePolicy::Minimum));

    auto* horizontalLayout_4 = new QHBoxLayout;
    horizontalLayout_4->setObjectName(QStringLiteral("horizontalLayout_4"));
    horizontalLayout_4->setSpacing(0);
    auto* verticalLayout_3 = new QVBoxLayout;
    verticalLayout_3->setObjectName(QStringLiteral("verticalLayout_3"));
    verticalLayout_3->setSpacing(0);
    verticalLayout_3->addStretch();
    ui->stackedWidget = new QStackedWidget(this);
    ui->stackedWidget->setObjectName(QStringLiteral("stackedWidget"));

    auto* page = new QWidget;
    page->setObjectName(QStringLiteral("page"));
    auto* verticalLayout_6 = new QVBoxLayout(page);
    verticalLayout_6->setObjectName(QStringLiteral("verticalLayout_6"));
    ui->toolbarLabel = centredLabel(page, "toolbarLabel");
    ui->toolbarLabel->setText(tr("Tool Bar"));
    verticalLayout_6->addWidget(ui->toolbarLabel);
    ui->toolBar = new CustomizeToolBar(page);
    ui->toolBar->setObjectName(QStringLiteral("toolBar"));
    verticalLayout_6->addWidget(ui->toolBar);
    ui->stackedWidget->addWidget(page);

    auto* page_2 = new QWidget;
    page_2->setObjectName(QStringLiteral("page_2"));
    auto* verticalLayout_9 = new QVBoxLayout(page_2);
    verticalLayout_9->setObjectName(QStringLiteral("verticalLayout_9"));
    verticalLayout_9->setSpacing(16);
    ui->primaryLabel = centredLabel(page_2, "primaryLabel");
    ui->primaryLabel->setText(dialHeading(tr("Primary Speed Dial [%1]"), KW::Action::PrimarySpeedDial));
    verticalLayout_9->addWidget(ui->primaryLabel);
    ui->primarySpeedDial = new CustomizeSpeedDial(page_2);
    ui->primarySpeedDial->setObjectName(QStringLiteral("primarySpeedDial"));
    verticalLayout_9->addWidget(ui->primarySpeedDial);
    ui->secondaryLabel = centredLabel(page_2, "secondaryLabel");
    ui->secondaryLabel->setMinimumHeight(40);
    ui->secondaryLabel->setAlignment(Qt::AlignHCenter | Qt::AlignBottom);
    ui->secondaryLabel->setText(
        dialHeading(tr("Secondary Speed Dial [%1]"), KW::Action::SecondarySpeedDial));
    verticalLayout_9->addWidget(ui->secondaryLabel);
    ui->secondarySpeedDial = new CustomizeSpeedDial(page_2);
    ui->secondarySpeedDial->setObjectName(QStringLiteral("secondarySpeedDial"));
    verticalLayout_9->addWidget(ui->secondarySpeedDial);
    ui->stackedWidget->addWidget(page_2);
    ui->stackedWidget->setCurrentIndex(0);

    verticalLayout_3->addWidget(ui->stackedWidget);
    verticalLayout_3->addStretch();
    horizontalLayout_4->addLayout(verticalLayout_3);
    horizontalLayout_4->addSpacerItem(
        new QSpacerItem(50, 20, QSizePolicy::Maximum, QSizePolicy::Minimum));
    auto* verticalLayout_4 = new QVBoxLayout;
    verticalLayout_4->setObjectName(QStringLiteral("verticalLayout_4"));
    verticalLayout_4->setSpacing(10);
    verticalLayout_4->addSpacerItem(
        new QSpacerItem(20, 40, QSizePolicy::Minimum, QSizePolicy::Expanding));
    ui->recycleBin = new RecycleBin(this);
    ui->recycleBin->setObjectName(QStringLiteral("recycleBin"));
    verticalLayout_4->addWidget(ui->recycleBin);
    ui->recycleLabel = centredLabel(this, "recycleLabel");
    ui->recycleLabel->setText(tr("Icons not used - drop here"));
    verticalLayout_4->addWidget(ui->recycleLabel);
    verticalLayout_4->addSpacerItem(
        new QSpacerItem(20, 40, QSizePolicy::Minimum, QSizePolicy::Expanding));
    horizontalLayout_4->addLayout(verticalLayout_4);
    horizontalLayout_4->addStretch();
    horizontalLayout_2->addLayout(horizontalLayout_4);
    ui->verticalLayout->addLayout(horizontalLayout_2);

    ui->buttonBox = new QDialogButtonBox(this);
    ui->buttonBox->setObjectName(QStringLiteral("buttonBox"));
    ui->buttonBox->setStandardButtons(QDialogButtonBox::Ok | QDialogButtonBox::Cancel
                                      | QDialogButtonBox::RestoreDefaults);
    ui->buttonBox->setAutoFillBackground(true);
    ui->buttonBox->setFixedHeight(titleBarHeight);
    ui->verticalLayout->addWidget(ui->buttonBox);

    ui->actionsListWidget->setItemDelegate(new ActionsListItemDelegate(ui->actionsListWidget));
    ui->actionsListWidget->setDragEnabled(true);
    for (QScrollBar* bar : {ui->actionsListWidget->horizontalScrollBar(),
                            ui->actionsListWidget->verticalScrollBar()})
        bar->setAttribute(Qt::WA_OpaquePaintEvent, false);
    ui->toolbarLabel->setFixedWidth(ui->toolBar->sizeHint().width());
    ui->primaryLabel->setFixedWidth(ui->primarySpeedDial->width());
    ui->secondaryLabel->setFixedWidth(ui->secondarySpeedDial->width());
}

void CustomizeOverlay::setColours()
{
    const QColor light(0xDD, 0xD8, 0xD5);
    const QColor dark(0x41, 0x3D, 0x3A);
    setAutoFillBackground(true);
    setColour(this, QPalette::Window, QColor(0x64, 0x60, 0x5C));
    setColour(ui->actionsListWidget, QPalette::Base, Qt::transparent);
    setColour(ui->actionsListWidget, QPalette::Text, light);
    setColour(ui->buttonBox, QPalette::Window, QColor(0x39, 0x39, 0x39));
    for (QLabel* label : {ui->titleLabel, ui->toolbarLabel, ui->primaryLabel, ui->secondaryLabel,
                          ui->recycleLabel})
        setColour(label, QPalette::WindowText, light);
    for (QLabel* label : {ui->dragDescriptionLabel, ui->spacerDescriptionLabel})
        setColour(label, QPalette::WindowText, dark);
}

void CustomizeOverlay::init()
{
    fillList();
}

void CustomizeOverlay::fillList()
{
    using A = KW::Action;
    // A divider between groups; a title starts a section.
    struct Row
    {
        const char* section;
        QList<QList<A>> groups;
    };
    const QList<Row> rows = {
        {"Drawing",
         {{A::Draw, A::Erase, A::DrawEraseToggle},
          {A::Pencil, A::Marker, A::Brush},
          {A::KneadedEraser, A::RubberEraser, A::VinylEraser},
          {A::PencilPreset1, A::PencilPreset2, A::PencilPreset3, A::MarkerPreset1,
           A::MarkerPreset2, A::MarkerPreset3, A::BrushPreset1, A::BrushPreset2,
           A::BrushPreset3}}},
        {"Flip & Play", {{A::Play}, {A::JumpToStart, A::JumpToEnd}, {A::MuteAudio}}},
        {"Light Table (View)",
         {{A::BacklightOnOff, A::BacklightToggleAB},
          {A::Pan, A::Zoom, A::Rotate},
          {A::ResetView, A::FitPaperToView},
          {A::GridOnOff},
          {A::MarkAsKeyDrawing, A::UnmarkAllKeyDrawings},
          {A::OnlyBacklightKeyFrames},
          {A::MirrorView},
          {A::OffPegs}}},
        {"X-Sheet",
         {{A::SlideMode, A::AddClonesMode, A::ToggleXSheetDragMode},
          {A::NewLayer, A::DuplicateActiveLayer},
          {A::DiscardActiveLayer},
          {A::LayerVisibility, A::LayerLink},
          {A::MergeLayerDown}}},
        {"Edit",
         {{A::Undo, A::Redo},
          {A::AddCloneDrawing, A::AddBlankDrawing, A::InsertBlankDrawing},
          {A::TurnCloneIntoOriginal, A::DuplicateDrawing},
          {A::ClearDrawingMakingBlank, A::LoseDrawingMakingHold},
          {A::DiscardDrawing, A::BackDeleteDrawing}}},
        {"Pick Up (Selection)", {{A::Lasso, A::Cutter, A::PickUpAllOfThisDrawing}}},
        {"Paint", {{A::Palette, A::ColorPickerTool, A::FillTool}}},
    };
    ActionsList* list = ui->actionsListWidget;
    Model::ActionManager* actions = Model::ActionManager::instance();
    list->clear();
    list->addEmptyItem();
    for (const Row& row : rows) {
        list->addSectionHeader(QString::fromUtf8(row.section));
        for (int g = 0; g < row.groups.size(); ++g) {
            if (g > 0)
                list->addDivider();
            for (A id : row.groups.at(g))
                list->addAction(actions->action(id));
        }
    }
    list->addEmptyItem();
}

void CustomizeOverlay::showToolBar()
{
    hide();
    d->currentPage = 0;
    show();
}

void CustomizeOverlay::showSpeedDials()
{
    hide();
    d->currentPage = 1;
    show();
}

int CustomizeOverlay::currentPage() const
{
    return d->currentPage;
}

void CustomizeOverlay::readFromSettings()
{
    Model::Settings* settings = Model::Settings::instance();
    if (d->currentPage == 0) {
        ui->toolBar->restoreSettings(settings->toolBarSettings());
    } else {
        ui->primarySpeedDial->restoreSettings(settings->primarySpeedDialSettings());
        ui->secondarySpeedDial->restoreSettings(settings->secondarySpeedDialSettings());
    }
}

void CustomizeOverlay::restoreDefaults()
{
    if (d->currentPage == 0) {
        ui->toolBar->restoreSettings(Model::Settings::defaultToolBarSettings);
    } else {
        ui->primarySpeedDial->restoreSettings(Model::Settings::defaultPrimarySpeedDialSettings);
        ui->secondarySpeedDial->restoreSettings(
            Model::Settings::defaultSecondarySpeedDialSettings);
    }
}

void CustomizeOverlay::accept()
{
    Model::Settings* settings = Model::Settings::instance();
    if (d->currentPage == 1) {
        settings->setPrimarySpeedDialSettings(ui->primarySpeedDial->saveSettings());
        settings->setSecondarySpeedDialSettings(ui->secondarySpeedDial->saveSettings());
        emit speedDialsUpdated();
    } else {
        settings->setToolBarSettings(ui->toolBar->saveSettings());
        emit toolBarUpdated();
    }
    hide();
}

void CustomizeOverlay::reject()
{
    hide();
}

void CustomizeOverlay::keyReleaseEvent(QKeyEvent* event)
{
    if (event->key() == Qt::Key_Escape)
        hide();
    else
        event->ignore();
}

void CustomizeOverlay::resizeEvent(QResizeEvent* event)
{
    QWidget::resizeEvent(event);
    d->layOut(size());
}

void CustomizeOverlay::showEvent(QShowEvent* event)
{
    QWidget::showEvent(event);
    const bool toolBarPage = d->currentPage == 0;
    if (toolBarPage) {
        ui->titleLabel->setText(tr("CUSTOMIZE TOOL BAR"));
        ui->dragDescriptionLabel->setText(
            tr("Drag icon from list, drop at preferred spot on Tool Bar"));
    } else {
        ui->titleLabel->setText(tr("CUSTOMIZE SPEED DIALS"));
        ui->dragDescriptionLabel->setText(
            tr("Drag icon from list, drop at preferred spot on Speed Dial"));
    }
    ui->stackedWidget->setCurrentIndex(d->currentPage);
    // Speed dials take no spacers.
    ui->draggableSpacer->setVisible(toolBarPage);
    ui->spacerDescriptionLabel->setVisible(toolBarPage);
    readFromSettings();
}

void CustomizeOverlay::paintEvent(QPaintEvent* event)
{
    QPainter painter(this);
    for (const QRect& r : event->region()) {
        const QRectF area(r);
        const QRectF title = area.intersected(d->titleBarRect);
        if (!title.isEmpty())
            painter.fillRect(title, QColor(0x39, 0x39, 0x39));
        const QRectF top = area.intersected(d->topShadowRect);
        if (!top.isEmpty())
            painter.fillRect(top, d->topShadow);
        const QRectF bottom = area.intersected(d->bottomShadowRect);
        if (!bottom.isEmpty())
            painter.fillRect(bottom, d->bottomShadow);
    }
    const auto shadowOf = [&](QWidget* editor, auto paint) {
        painter.save();
        painter.translate(editor->mapTo(this, QPoint(0, 0)));
        paint(&painter);
        painter.restore();
    };
    if (d->currentPage == 0) {
        shadowOf(ui->toolBar, [this](QPainter* p) { ui->toolBar->paintBackgroundShadow(p); });
    } else {
        shadowOf(ui->primarySpeedDial,
                 [this](QPainter* p) { ui->primarySpeedDial->paintBackgroundShadow(p); });
        shadowOf(ui->secondarySpeedDial,
                 [this](QPainter* p) { ui->secondarySpeedDial->paintBackgroundShadow(p); });
    }
}

ActionsList* CustomizeOverlay::actionsList() const { return ui->actionsListWidget; }
CustomizeToolBar* CustomizeOverlay::toolBar() const { return ui->toolBar; }
CustomizeSpeedDial* CustomizeOverlay::primarySpeedDial() const { return ui->primarySpeedDial; }
CustomizeSpeedDial* CustomizeOverlay::secondarySpeedDial() const
{
    return ui->secondarySpeedDial;
}
RecycleBin* CustomizeOverlay::recycleBin() const { return ui->recycleBin; }
DraggableSpacer* CustomizeOverlay::draggableSpacer() const { return ui->draggableSpacer; }
QDialogButtonBox* CustomizeOverlay::buttonBox() const { return ui->buttonBox; }
QLabel* CustomizeOverlay::titleLabel() const { return ui->titleLabel; }
QLabel* CustomizeOverlay::dragDescriptionLabel() const { return ui->dragDescriptionLabel; }
QLabel* CustomizeOverlay::spacerDescriptionLabel() const { return ui->spacerDescriptionLabel; }
QRectF CustomizeOverlay::bottomShadowRect() const { return d->bottomShadowRect; }

} // namespace UI
