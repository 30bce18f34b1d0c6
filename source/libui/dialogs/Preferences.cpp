#include "dialogs/Preferences.h"

#include "actions/ActionManager.h"
#include "common/WindowPlacement.h"
#include "settings/Settings.h"

#include <QAction>
#include <QActionGroup>
#include <QButtonGroup>
#include <QCheckBox>
#include <QDialogButtonBox>
#include <QFrame>
#include <QHBoxLayout>
#include <QLabel>
#include <QPainter>
#include <QPaintEvent>
#include <QPushButton>
#include <QRadioButton>
#include <QScrollArea>
#include <QScrollBar>
#include <QShowEvent>
#include <QVBoxLayout>

namespace UI {

namespace {

const QColor textColor(0xDD, 0xD8, 0xD5);

void setColor(QWidget* w, QPalette::ColorRole role, const QColor& color)
{
    QPalette p = w->palette();
    for (auto group : {QPalette::Active, QPalette::Inactive, QPalette::Disabled})
        p.setColor(group, role, color);
    w->setPalette(p);
}

} // namespace

struct Preferences::Private
{
    int buttonFrameHeight = 47;
    int shadowHeight = 32;
    QRectF topShadow;
    QRectF bottomShadow;
    QLinearGradient topGradient;
    QLinearGradient bottomGradient;
    QFont titleFont{QStringLiteral("Passion One"), 16};

    QScrollArea* scrollArea = nullptr;
    QWidget* contents = nullptr;
    QVBoxLayout* rows = nullptr;
    QFrame* buttonFrame = nullptr;
    QDialogButtonBox* buttons = nullptr;
    bool placed = false;

    void build(Preferences* page)
    {
        page->setObjectName(QStringLiteral("UI__Preferences"));
        page->resize(550, 500);
        auto* outer = new QVBoxLayout(page);
        outer->setObjectName(QStringLiteral("verticalLayout"));
        outer->setSpacing(0);
        outer->setContentsMargins(0, 0, 0, 0);
        auto* scrollRow = new QHBoxLayout;
        scrollRow->setObjectName(QStringLiteral("horizontalLayout"));
        scrollRow->setContentsMargins(6, 0, 4, 0);
        scrollArea = new QScrollArea(page);
        scrollArea->setObjectName(QStringLiteral("scrollArea"));
        scrollArea->setFrameShape(QFrame::NoFrame);
        scrollArea->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
        scrollArea->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
        scrollArea->setWidgetResizable(true);
        contents = new QWidget;
        contents->setObjectName(QStringLiteral("scrollAreaWidgetContents"));
        rows = new QVBoxLayout(contents);
        rows->setObjectName(QStringLiteral("vboxLayout"));
        rows->setSpacing(0);
        rows->setContentsMargins(11, 0, 4, -1);
        scrollArea->setWidget(contents);
        scrollRow->addWidget(scrollArea);
        outer->addLayout(scrollRow);

        buttonFrame = new QFrame(page);
        buttonFrame->setObjectName(QStringLiteral("buttonFrame"));
        buttonFrame->setFrameShape(QFrame::NoFrame);
        buttonFrame->setFixedHeight(buttonFrameHeight);
        auto* buttonRow = new QHBoxLayout(buttonFrame);
        buttonRow->setObjectName(QStringLiteral("horizontalLayout_4"));
        buttons = new QDialogButtonBox(QDialogButtonBox::RestoreDefaults | QDialogButtonBox::Close, buttonFrame);
        buttons->setObjectName(QStringLiteral("buttonBox"));
        buttonRow->addWidget(buttons);
        outer->addWidget(buttonFrame);

        // Only the background shows through; the check boxes and radio
        // buttons keep the application palette, so that they look like every
        // other control and a selected option stands out.
        for (QWidget* w : {static_cast<QWidget*>(scrollArea), contents})
            setColor(w, QPalette::Window, Qt::transparent);
        buttonFrame->setAutoFillBackground(true);
        setColor(buttonFrame, QPalette::Window, QColor(0x39, 0x39, 0x39));
        for (QScrollBar* bar : {scrollArea->verticalScrollBar(), scrollArea->horizontalScrollBar()}) {
            bar->setProperty("ActionsList ScrollBar", true);
            bar->setAttribute(Qt::WA_OpaquePaintEvent, false);
        }

        for (QLinearGradient* g : {&topGradient, &bottomGradient}) {
            g->setColorAt(0.0, QColor(0, 0, 0, 67));
            g->setColorAt(0.5, QColor(0, 0, 0, 15));
            g->setColorAt(1.0, QColor(0, 0, 0, 0));
        }
    }
};

Preferences::Preferences(QWidget* parent)
    : QWidget(parent, Qt::Tool | Qt::WindowTitleHint | Qt::CustomizeWindowHint)
    , d(std::make_unique<Private>())
{
    d->build(this);
    setWindowTitle(tr("Settings"));
    setAutoFillBackground(true);
    setColor(this, QPalette::Window, QColor(0x64, 0x60, 0x5C));
    connect(d->buttons, &QDialogButtonBox::rejected, this, &QWidget::close);
    connect(d->buttons, &QDialogButtonBox::clicked, this, [this](QAbstractButton* button) {
        if (d->buttons->buttonRole(button) == QDialogButtonBox::ResetRole)
            restoreDefaults();
    });
    init();
    setFixedSize(550, 500);
}

Preferences::~Preferences() = default;

void Preferences::init()
{
    auto group = [this] {
        auto* g = new QButtonGroup(this);
        g->setExclusive(true);
        return g;
    };
    auto options = [this](const QStringList& keys, QButtonGroup* g, const QString& firstLabel) {
        for (int i = 0; i < keys.size(); ++i)
            addOption(keys[i], g, i == 0 ? firstLabel : QString());
    };

    addSectionTitle(tr("Drawing"));
    addOption(QStringLiteral("FaintCursor"), nullptr, tr("Drawing Cursor"));
    addSeparator();
    options({QStringLiteral("FreelyDrawOnClones"), QStringLiteral("ClonesLockedForDrawing")}, group(),
            tr("Clone Drawings - Locked or Not"));
    addSeparator();
    QButtonGroup* transparency = group();
    options({QStringLiteral("TransparencyShownAsWhite"), QStringLiteral("TransparencyShownAsLightGrey"),
             QStringLiteral("TransparencyShownAsDarkGrey"), QStringLiteral("TransparencyShownAsBlack")},
            transparency, tr("Transparency Shown As"));
    addGap(11);
    options({QStringLiteral("TransparencyShownAsSmallCheckersLight"),
             QStringLiteral("TransparencyShownAsSmallCheckersDark"),
             QStringLiteral("TransparencyShownAsLargeCheckersLight"),
             QStringLiteral("TransparencyShownAsLargeCheckersDark")},
            transparency, QString());
    addSeparator();
    addOption(QStringLiteral("CollapseVectorDataAutomatically"), nullptr, tr("Collapsing"));

    addSectionTitle(tr("X-Sheet"));
    options({QStringLiteral("XSheetLeftSide"), QStringLiteral("XSheetRightSide")}, group(), tr("X-Sheet Position"));
    addSeparator();
    addOption(QStringLiteral("XSheetTopBar"), nullptr, QString());

    addSectionTitle(tr("AutoSave"));
    addOption(QStringLiteral("AutoSave"), nullptr, tr("Automated Backups"));
    addSeparator();
    options({QStringLiteral("AutoSaveInterval5Min"), QStringLiteral("AutoSaveInterval15Min"),
             QStringLiteral("AutoSaveInterval30Min"), QStringLiteral("AutoSaveInterval60Min")},
            group(), tr("How often"));
    addSeparator();
    options({QStringLiteral("AutoSaveFiles1"), QStringLiteral("AutoSaveFiles2"), QStringLiteral("AutoSaveFiles3"),
             QStringLiteral("AutoSaveFiles5"), QStringLiteral("AutoSaveFiles9")},
            group(), tr("How many backup files"));

    addSectionTitle(tr("Interface"));
    options({QStringLiteral("ToolBarLeftSide"), QStringLiteral("ToolBarRightSide")}, group(),
            tr("Tool Bar Position"));
    addSeparator();
    options({QStringLiteral("UIScale75"), QStringLiteral("UIScale100"), QStringLiteral("UIScale125"),
             QStringLiteral("UIScale150")},
            group(), tr("UI Scale"));
}

void Preferences::addSectionTitle(const QString& text)
{
    auto* container = new QWidget(d->contents);
    auto* layout = new QVBoxLayout(container);
    layout->setContentsMargins(0, 20, 0, 15);
    auto* bar = new QWidget(container);
    bar->setFixedHeight(38);
    bar->setAutoFillBackground(true);
    setColor(bar, QPalette::Window, QColor(0x2B, 0x29, 0x27, 128));
    auto* barLayout = new QVBoxLayout(bar);
    barLayout->setContentsMargins(0, 0, 0, 0);
    auto* title = new QLabel(text.toUpper(), bar);
    title->setAlignment(Qt::AlignHCenter | Qt::AlignVCenter);
    title->setFont(d->titleFont);
    setColor(title, QPalette::WindowText, QColor(0x97, 0x93, 0x8F));
    barLayout->addWidget(title);
    layout->addWidget(bar);
    d->rows->addWidget(container);
}

void Preferences::addOption(const QString& actionKey, QButtonGroup* group, const QString& label)
{
    QAction* action = Model::ActionManager::instance()->action(actionKey);
    if (!action || !action->isCheckable())
        return;
    auto* row = new QWidget(d->contents);
    row->setFixedHeight(20);
    auto* layout = new QHBoxLayout(row);
    layout->setContentsMargins(0, 0, 0, 0);
    auto* text = new QLabel(label, row);
    text->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    text->setFixedHeight(14);
    setColor(text, QPalette::WindowText, textColor);

    QAbstractButton* button;
    if (action->actionGroup()) {
        button = new QRadioButton(action->text(), this);
        if (group)
            group->addButton(button);
    } else {
        button = new QCheckBox(action->text(), this);
    }
    button->setObjectName(actionKey);
    button->setChecked(action->isChecked());
    button->setEnabled(action->isEnabled());
    setColor(button, QPalette::WindowText, textColor);
    button->setFixedWidth(300);
    connect(button, &QAbstractButton::clicked, action, [action] { action->trigger(); });
    connect(action, &QAction::toggled, button, &QAbstractButton::setChecked);

    layout->addWidget(text);
    layout->addWidget(button);
    d->rows->addWidget(row);
}

void Preferences::addSeparator()
{
    auto* container = new QWidget(d->contents);
    auto* layout = new QVBoxLayout(container);
    layout->setContentsMargins(0, 10, 0, 10);
    auto* line = new QFrame(container);
    line->setFrameShape(QFrame::HLine);
    line->setFrameShadow(QFrame::Plain);
    setColor(line, QPalette::WindowText, QColor(0x2B, 0x29, 0x27, 128));
    layout->addWidget(line);
    d->rows->addWidget(container);
}

void Preferences::addGap(int height)
{
    d->rows->addSpacing(height);
}

void Preferences::restoreDefaults()
{
    using Model::Settings;
    Settings* s = Settings::instance();
    s->setDrawCursorOpacity(Settings::defaultDrawCursorOpacity);
    s->setClonesLockedForDrawing(Settings::defaultClonesLockedForDrawing);
    s->setTransparencyType(Settings::defaultTransparencyType);
    s->setCollapseAutomatically(Settings::defaultCollapseAutomatically);
    if (QAction* left = Model::ActionManager::instance()->action(KW::Action::XSheetLeftSide))
        left->activate(QAction::Trigger);
    s->setShowXSheetTopBar(Settings::defaultShowXSheetTopBar);
    s->setAutoSaveEnabled(Settings::defaultAutoSaveEnabled);
    s->setAutoSaveIntervalMins(Settings::defaultAutoSaveIntervalMins);
    s->setAutoSaveNumFiles(Settings::defaultAutoSaveNumFiles);
    s->setToolBarPosition(Settings::defaultToolBarPosition);
    s->setUIScalePercent(Settings::defaultUIScalePercent);
}

void Preferences::resizeEvent(QResizeEvent* event)
{
    QWidget::resizeEvent(event);
    const int W = width();
    const int H = height();
    d->topShadow = QRectF(0, 0, W, d->shadowHeight);
    d->topGradient.setStart(0, 0);
    d->topGradient.setFinalStop(0, d->shadowHeight);
    d->bottomShadow = QRectF(0, H - d->buttonFrameHeight - d->shadowHeight, W, d->shadowHeight);
    d->bottomGradient.setStart(0, H - d->buttonFrameHeight);
    d->bottomGradient.setFinalStop(0, H - d->buttonFrameHeight - d->shadowHeight);
}

void Preferences::showEvent(QShowEvent* event)
{
    if (!d->placed && !event->spontaneous()) {
        d->placed = true;
        centreOnParentWindow(this);
    }
    QWidget::showEvent(event);
}

void Preferences::paintEvent(QPaintEvent* event)
{
    QPainter p(this);
    for (const QRect& r : event->region()) {
        const QRectF top = d->topShadow.intersected(r);
        if (!top.isEmpty())
            p.fillRect(top, d->topGradient);
        const QRectF bottom = d->bottomShadow.intersected(r);
        if (!bottom.isEmpty())
            p.fillRect(bottom, d->bottomGradient);
    }
}

} // namespace UI
