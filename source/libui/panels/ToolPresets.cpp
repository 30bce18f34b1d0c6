#include "panels/ToolPresets.h"

#include "common/UIScale.h"
#include "panels/ExpandToolButton.h"
#include "panels/PresetToolButton.h"
#include "settings/KW.h"
#include "tools/PenTool.h"
#include "tools/ToolManager.h"

#include <QGridLayout>
#include <QLabel>
#include <QVBoxLayout>

namespace UI {

namespace {

Model::PenTool* currentPen()
{
    return qobject_cast<Model::PenTool*>(Model::ToolManager::instance()->tool(Model::Tool::Draw));
}

} // namespace

struct ToolPresets::Private
{
    ExpandToolButton* expandButton = nullptr;
    QFont buttonFont{QStringLiteral("Sans Serif"), 10, 400};
    QFont labelFont{QStringLiteral("Sans Serif"), 10, 300};
    QWidget* container = nullptr;
    QPalette palette;
    QLabel* useLabel = nullptr;
    QLabel* saveLabel = nullptr;
    QList<PresetToolButton*> useButtons;
    QList<PresetToolButton*> saveButtons;
};

ToolPresets::ToolPresets(QWidget* parent)
    : QWidget(parent), d(std::make_unique<Private>())
{
    d->palette = palette();
    const QColor text(44, 42, 40);
    for (QPalette::ColorRole role : {QPalette::WindowText, QPalette::Text, QPalette::ButtonText})
        d->palette.setColor(role, text);
    setPalette(d->palette);

    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 5, 0, 5);
    layout->setSpacing(0);
    auto* header = new QHBoxLayout;
    header->setContentsMargins(10, 5, 10, 0);
    d->expandButton = new ExpandToolButton(this);
    d->expandButton->setText(QStringLiteral(" ") + tr("Presets"));
    header->addWidget(d->expandButton, 1);
    header->addStretch();
    layout->addLayout(header);

    d->container = new QWidget(this);
    auto* grid = new QGridLayout(d->container);
    grid->setContentsMargins(10, 10, 10, 14);
    grid->setHorizontalSpacing(0);
    grid->setVerticalSpacing(10);
    d->useLabel = new QLabel(tr("Use preset\n1, 2 or 3"), d->container);
    d->saveLabel = new QLabel(tr("Save Settings\nas 1, 2 or 3"), d->container);
    for (QLabel* label : {d->useLabel, d->saveLabel})
        label->setAlignment(Qt::AlignRight);
    grid->addWidget(d->useLabel, 0, 0, Qt::AlignRight | Qt::AlignVCenter);
    grid->addWidget(d->saveLabel, 1, 0, Qt::AlignRight | Qt::AlignVCenter);
    const KW::ToolPreset presets[] = {KW::ToolPreset::Preset1, KW::ToolPreset::Preset2,
                                      KW::ToolPreset::Preset3};
    for (int n = 1; n <= 3; ++n) {
        const KW::ToolPreset preset = presets[n - 1];
        auto* use = new PresetToolButton(d->container);
        use->setToolTip(tr("Use preset %1").arg(n));
        grid->addWidget(use, 0, n);
        d->useButtons.append(use);
        connect(use, &QToolButton::clicked, this, [preset] {
            // The pen kind of the moment, not the one the icons show.
            if (Model::PenTool* pen = currentPen())
                Model::ToolManager::instance()->loadPreset(pen->penType(), preset);
        });
        auto* save = new PresetToolButton(d->container);
        save->setToolTip(tr("Save preset %1").arg(n));
        grid->addWidget(save, 1, n);
        d->saveButtons.append(save);
        connect(save, &QToolButton::clicked, this, [preset] {
            if (Model::PenTool* pen = currentPen())
                Model::ToolManager::instance()->saveAsPreset(pen->penType(), preset);
        });
    }
    layout->addWidget(d->container, 1);

    connect(d->expandButton, &QToolButton::toggled, this,
            [this](bool checked) { checked ? expand() : collapse(); });
    setCurrentPenType(Model::Tool::Pencil);
    updateUISize();
    collapse();
    adjustSize();
    connect(Model::ToolManager::instance(), &Model::ToolManager::currentPenToolTypeChanged, this,
            [this](Model::Tool::PenType newType) { setCurrentPenType(newType); });
}

ToolPresets::~ToolPresets() = default;

void ToolPresets::setCurrentPenType(Model::Tool::PenType penType)
{
    QString name;
    switch (penType) {
    case Model::Tool::Pencil:
        name = QStringLiteral("Pencil");
        break;
    case Model::Tool::Marker:
        name = QStringLiteral("Marker");
        break;
    case Model::Tool::Brush:
        name = QStringLiteral("Brush");
        break;
    default:
        return;
    }
    for (int n = 1; n <= 3; ++n) {
        d->useButtons.at(n - 1)->setIcon(
            QIcon(QStringLiteral(":/icons/%1_Preset%2_icon.svg").arg(name).arg(n)));
        d->saveButtons.at(n - 1)->setIcon(
            QIcon(QStringLiteral(":/toolsettings/save%1_Preset%2_icon.svg").arg(name).arg(n)));
    }
}

void ToolPresets::expand()
{
    d->expandButton->setChecked(true);
    d->container->show();
    adjustSize();
}

void ToolPresets::collapse()
{
    d->expandButton->setChecked(false);
    d->container->hide();
    adjustSize();
}

bool ToolPresets::isExpanded() const
{
    return d->expandButton->isChecked();
}

void ToolPresets::updateUISize()
{
    d->buttonFont.setPixelSize(scaled(13));
    d->labelFont.setPixelSize(scaled(10));
    d->useLabel->setFont(d->labelFont);
    d->saveLabel->setFont(d->labelFont);
    d->expandButton->setFont(d->buttonFont);
    for (PresetToolButton* button : d->useButtons + d->saveButtons)
        button->updateUISize();
    update();
    updateGeometry();
}

ExpandToolButton* ToolPresets::expandButton() const
{
    return d->expandButton;
}

QList<PresetToolButton*> ToolPresets::useButtons() const
{
    return d->useButtons;
}

QList<PresetToolButton*> ToolPresets::saveButtons() const
{
    return d->saveButtons;
}

void ToolPresets::resizeEvent(QResizeEvent* event)
{
    QWidget::resizeEvent(event);
    emit resized();
}

} // namespace UI
