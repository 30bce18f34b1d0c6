#include "dialogs/CustomizeBacklightDialog.h"

#include "dialogs/BacklightSliders.h"
#include "dialogs/DialogForm.h"

#include <QButtonGroup>
#include <QCheckBox>
#include <QEvent>
#include <QFrame>
#include <QPushButton>
#include <QRadioButton>
#include <QSignalBlocker>
#include <QVBoxLayout>

namespace UI {

using Model::BacklightSetting;
using Model::BacklightSettings;

namespace {

constexpr int minimumLevels = 4;

void pad(QList<double>& levels)
{
    while (levels.size() < minimumLevels)
        levels.append(0.0);
}

void pad(BacklightSettings& s)
{
    for (BacklightSetting* setting : {&s.settingA, &s.settingB}) {
        pad(setting->opacityLevelsBefore);
        pad(setting->opacityLevelsAfter);
    }
}

} // namespace

struct CustomizeBacklightDialog::Form
{
    // The controls of one setting, A or B.
    struct Column
    {
        QRadioButton* set = nullptr;
        BacklightSliders* sliders = nullptr;
        QCheckBox* hueShift = nullptr;
        QRadioButton* ends[3] = {};
        QCheckBox* onlyActiveLayer = nullptr;
        QButtonGroup* endsGroup = nullptr;

        QList<QWidget*> editors() const
        {
            return {sliders, hueShift, ends[0], ends[1], ends[2], onlyActiveLayer};
        }
    };
    Column columns[2];
    QCheckBox* onOff = nullptr;
    QCheckBox* onlyKeyFrames = nullptr;
    QButtonGroup* setGroup = nullptr;
    QList<QFrame*> lines;
    QDialogButtonBox* buttons = nullptr;

    static QVBoxLayout* indented(QWidget* w, int left = 57)
    {
        auto* l = new QVBoxLayout;
        l->setContentsMargins(left, 0, 0, 0);
        l->addWidget(w);
        return l;
    }

    void buildColumn(QDialog* dialog, QVBoxLayout* layout, Column& c, const QString& suffix, const QString& title)
    {
        layout->setSpacing(9);
        layout->setContentsMargins(-1, 12, -1, 15);
        c.set = new QRadioButton(title, dialog);
        c.set->setObjectName("radioButton_Setting" + suffix);
        layout->addLayout(indented(c.set));
        c.sliders = new BacklightSliders(dialog);
        c.sliders->setObjectName("backlightSliders_" + suffix);
        auto* sliders = new QVBoxLayout;
        sliders->setContentsMargins(9, 9, 9, 9);
        sliders->addWidget(c.sliders);
        layout->addLayout(sliders);
        c.hueShift = new QCheckBox(CustomizeBacklightDialog::tr("Hue Shift"), dialog);
        c.hueShift->setObjectName("checkBox_HueShift_" + suffix);
        layout->addLayout(indented(c.hueShift));
        const QString names[3] = {"radioButton_StopAtEnds_", "radioButton_WrapAtEnds_",
                                  "radioButton_ShowOutsideRange_"};
        const QString texts[3] = {CustomizeBacklightDialog::tr("Stop at Ends"),
                                  CustomizeBacklightDialog::tr("Wrap at Ends"),
                                  CustomizeBacklightDialog::tr("Show Outside Range")};
        auto* ends = new QVBoxLayout;
        ends->setContentsMargins(57, 0, 0, 0);
        c.endsGroup = new QButtonGroup(dialog);
        for (int i = 0; i < 3; ++i) {
            c.ends[i] = new QRadioButton(texts[i], dialog);
            c.ends[i]->setObjectName(names[i] + suffix);
            c.endsGroup->addButton(c.ends[i], i);
            ends->addWidget(c.ends[i]);
        }
        layout->addLayout(ends);
        c.onlyActiveLayer = new QCheckBox(CustomizeBacklightDialog::tr("Only Backlight Active Layer"), dialog);
        c.onlyActiveLayer->setObjectName("checkBox_OnlyActiveLayer_" + suffix);
        layout->addLayout(indented(c.onlyActiveLayer));
    }

    void build(QDialog* dialog)
    {
        dialog->setObjectName(QStringLiteral("UI__CustomizeBacklightDialog"));
        dialog->resize(469, 311);
        auto* outer = new QVBoxLayout(dialog);
        outer->setObjectName(QStringLiteral("verticalLayout"));
        outer->setSpacing(0);
        outer->setSizeConstraint(QLayout::SetFixedSize);
        outer->setContentsMargins(0, 0, 0, 0);

        auto* settings = new QHBoxLayout;
        settings->setObjectName(QStringLiteral("horizontalLayout_4"));
        settings->setSpacing(9);
        settings->setContentsMargins(39, -1, 39, 0);
        auto* a = new QVBoxLayout;
        a->setObjectName(QStringLiteral("verticalLayout_2"));
        buildColumn(dialog, a, columns[0], QStringLiteral("A"), CustomizeBacklightDialog::tr("Setting A"));
        settings->addLayout(a);
        lines << DialogForm::line(dialog, QStringLiteral("line_2"), true);
        settings->addWidget(lines.last());
        auto* b = new QVBoxLayout;
        b->setObjectName(QStringLiteral("verticalLayout_3"));
        buildColumn(dialog, b, columns[1], QStringLiteral("B"), CustomizeBacklightDialog::tr("Setting B"));
        settings->addLayout(b);
        outer->addLayout(settings);
        setGroup = new QButtonGroup(dialog);
        setGroup->addButton(columns[0].set, 0);
        setGroup->addButton(columns[1].set, 1);

        lines.prepend(DialogForm::line(dialog, QStringLiteral("line")));
        outer->addWidget(lines.first());

        auto* switches = new QHBoxLayout;
        switches->setObjectName(QStringLiteral("horizontalLayout_2"));
        switches->setContentsMargins(66, 15, 66, 15);
        switches->addItem(new QSpacerItem(40, 20, QSizePolicy::Expanding, QSizePolicy::Minimum));
        auto* boxes = new QVBoxLayout;
        boxes->setObjectName(QStringLiteral("verticalLayout_10"));
        boxes->setSpacing(9);
        onOff = new QCheckBox(CustomizeBacklightDialog::tr("Backlight (Onion Skin) On/Off"), dialog);
        onOff->setObjectName(QStringLiteral("checkBox_BacklightOnOff"));
        onlyKeyFrames = new QCheckBox(CustomizeBacklightDialog::tr("Only Backlight Key Frames"), dialog);
        onlyKeyFrames->setObjectName(QStringLiteral("checkBox_OnlyBacklightKeyFrames"));
        boxes->addWidget(onOff);
        boxes->addWidget(onlyKeyFrames);
        switches->addLayout(boxes);
        switches->addItem(new QSpacerItem(40, 20, QSizePolicy::Expanding, QSizePolicy::Minimum));
        outer->addLayout(switches);

        lines << DialogForm::line(dialog, QStringLiteral("line_3"));
        outer->addWidget(lines.last());
        buttons = DialogForm::buttonRow(dialog, outer, QDialogButtonBox::Close | QDialogButtonBox::Reset);
    }
};

CustomizeBacklightDialog::CustomizeBacklightDialog(const BacklightSettings& settings, QWidget* parent)
    // A drawer beside its window elsewhere; a tool window that stays on top here.
    : QDialog(parent, Qt::Tool | Qt::WindowTitleHint | Qt::WindowSystemMenuHint | Qt::WindowStaysOnTopHint |
                          Qt::WindowDoesNotAcceptFocus)
    , m_form(std::make_unique<Form>())
    , m_settings(settings)
{
    pad(m_settings);
    Form& f = *m_form;
    f.build(this);
    setWindowTitle(tr("Customize Backlight"));
    setLineColors();

    for (int i = 0; i < 2; ++i) {
        Form::Column& c = f.columns[i];
        BacklightSetting BacklightSettings::*field = i == 0 ? &BacklightSettings::settingA
                                                            : &BacklightSettings::settingB;
        connect(c.set, &QRadioButton::toggled, this, [this, i](bool on) {
            if (!on)
                return;
            m_settings.current = BacklightSettings::BacklightSet(i);
            enableCurrent();
            edited();
        });
        connect(c.sliders, &BacklightSliders::backlightSettingChanged, this,
                [this, field](const BacklightSetting& s) {
                    (m_settings.*field).opacityLevelsBefore = s.opacityLevelsBefore;
                    (m_settings.*field).opacityLevelsAfter = s.opacityLevelsAfter;
                    edited();
                });
        connect(c.hueShift, &QCheckBox::toggled, this, [this, field](bool on) {
            (m_settings.*field).hueShift = on ? BacklightSetting::UseHueShift : BacklightSetting::NoHueShift;
            edited();
        });
        for (int e = 0; e < 3; ++e)
            connect(c.ends[e], &QRadioButton::toggled, this, [this, field, e](bool on) {
                if (!on)
                    return;
                (m_settings.*field).showOption = BacklightSetting::ShowOption(e);
                edited();
            });
        connect(c.onlyActiveLayer, &QCheckBox::toggled, this, [this, field](bool on) {
            (m_settings.*field).layers = on ? BacklightSetting::BacklightActiveLayerOnly
                                            : BacklightSetting::BacklightVisibleLayers;
            edited();
        });
    }
    connect(f.onOff, &QCheckBox::toggled, this, [this](bool on) {
        m_settings.enabled = on;
        edited();
    });
    connect(f.onlyKeyFrames, &QCheckBox::toggled, this, [this](bool on) {
        m_settings.onlyKeyFrames = on;
        edited();
    });
    connect(f.buttons, &QDialogButtonBox::clicked, this, [this](QAbstractButton* button) {
        if (m_form->buttons->buttonRole(button) != QDialogButtonBox::ResetRole)
            return;
        if (m_settings.current == BacklightSettings::BacklightSettingB)
            m_settings.resetSettingB();
        else if (m_settings.current == BacklightSettings::BacklightSettingA)
            m_settings.resetSettingA();
        updateSettingsUI(m_settings.current);
        edited();
    });
    updateSettingsUI();
}

CustomizeBacklightDialog::~CustomizeBacklightDialog() = default;

void CustomizeBacklightDialog::setBacklightSettings(const BacklightSettings& settings)
{
    m_settings = settings;
    pad(m_settings);
    updateSettingsUI();
}

BacklightSettings CustomizeBacklightDialog::backlightSettings() const
{
    return m_settings;
}

void CustomizeBacklightDialog::edited()
{
    emit settingsChanged(m_settings);
}

void CustomizeBacklightDialog::updateSettingsUI()
{
    const QSignalBlocker blocker(this);
    updateSettingsUI(BacklightSettings::BacklightSettingA);
    updateSettingsUI(BacklightSettings::BacklightSettingB);
    enableCurrent();
    Form& f = *m_form;
    f.onOff->setChecked(m_settings.enabled);
    f.onlyKeyFrames->setChecked(m_settings.onlyKeyFrames);
    const int current = int(m_settings.current);
    if (current == 0 || current == 1) {
        f.columns[current].set->setChecked(true);
    } else {
        f.setGroup->setExclusive(false);
        for (auto& c : f.columns)
            c.set->setChecked(false);
        f.setGroup->setExclusive(true);
    }
}

void CustomizeBacklightDialog::updateSettingsUI(BacklightSettings::BacklightSet set)
{
    const QSignalBlocker blocker(this);
    const int i = set == BacklightSettings::BacklightSettingB ? 1 : 0;
    const BacklightSetting& s = i == 0 ? m_settings.settingA : m_settings.settingB;
    Form::Column& c = m_form->columns[i];
    c.sliders->setBacklightSetting(s);
    c.hueShift->setChecked(s.hueShift == BacklightSetting::UseHueShift);
    c.onlyActiveLayer->setChecked(s.layers == BacklightSetting::BacklightActiveLayerOnly);
    const int option = int(s.showOption);
    if (option >= 0 && option < 3) {
        c.ends[option]->setChecked(true);
    } else {
        c.endsGroup->setExclusive(false);
        for (QRadioButton* r : c.ends)
            r->setChecked(false);
        c.endsGroup->setExclusive(true);
    }
}

void CustomizeBacklightDialog::enableCurrent()
{
    const bool a = m_settings.current == BacklightSettings::BacklightSettingA;
    const bool b = m_settings.current == BacklightSettings::BacklightSettingB;
    m_form->buttons->button(QDialogButtonBox::Reset)->setText(a ? tr("Reset A") : tr("Reset B"));
    for (QWidget* w : m_form->columns[0].editors())
        w->setEnabled(a);
    for (QWidget* w : m_form->columns[1].editors())
        w->setEnabled(b);
}

void CustomizeBacklightDialog::setLineColors()
{
    DialogForm::colorLines(this, m_form->lines);
}

void CustomizeBacklightDialog::changeEvent(QEvent* event)
{
    if (event->type() == QEvent::PaletteChange)
        setLineColors();
    QDialog::changeEvent(event);
}

} // namespace UI
