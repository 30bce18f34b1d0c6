#include "dialogs/ExportFramesDialog.h"

#include "dialogs/DialogForm.h"
#include "dialogs/ExportForm.h"

#include <QCheckBox>
#include <QDialogButtonBox>
#include <QEvent>
#include <QGridLayout>
#include <QPushButton>
#include <QRadioButton>
#include <QVBoxLayout>

namespace UI {

using Model::ExportFramesSettings;

struct ExportFramesDialog::Form
{
    QList<QAbstractButton*> layers, frames, clones, format;
    QCheckBox* combineLayers = nullptr;
    QCheckBox* makeAllLinesBlack = nullptr;
    QCheckBox* includeAlpha = nullptr;
    QCheckBox* exportAudio = nullptr;
    QList<QFrame*> lines;
    QDialogButtonBox* buttons = nullptr;

    void build(QDialog* dialog)
    {
        ExportForm form(dialog, QStringLiteral("UI__ExportFramesDialog"), QSize(432, 431));
        QGridLayout* grid = form.grid;
        layers = form.layersRow(1);
        form.separator("line", 4);
        frames = form.framesRow(5);
        form.separator("line_2", 7);

        form.label("horizontalLayout_5", "label_Clones", ExportFramesDialog::tr("Clones:"), 8);
        clones = {form.radio("radioButton_ExcludeClones",
                             ExportFramesDialog::tr("Exclude Clones (numbers skipped in file sequence)")),
                  form.radio("radioButton_IncludeClones",
                             ExportFramesDialog::tr("Include Local Clones (file names contain linkage)")),
                  form.radio("radioButton_SimpleUnbrokenSequence",
                             ExportFramesDialog::tr("Simple Unbroken Sequence (clone info lost)"))};
        for (int i = 0; i < clones.size(); ++i)
            grid->addWidget(clones[i], 8 + i, 1, 1, 3);
        form.separator("line_3", 12);

        form.label("horizontalLayout_6", "label_Combine", ExportFramesDialog::tr("Combine:"), 13);
        combineLayers = form.check("checkBox_CombineLayers", ExportFramesDialog::tr("Combine Layers (merge into one)"));
        makeAllLinesBlack = form.check("checkBox_MakeAllLinesBlack", ExportFramesDialog::tr("Make all lines black"));
        grid->addWidget(combineLayers, 13, 1, 1, 3);
        grid->addWidget(makeAllLinesBlack, 14, 1, 1, 3);
        form.separator("line_4", 16);

        format = form.pairRow("horizontalLayout_7", "label_Format", ExportFramesDialog::tr("Format:"), 17,
                              form.radio("radioButton_PNG", ExportFramesDialog::tr("PNG")),
                              form.radio("radioButton_OpenEXR", ExportFramesDialog::tr("OpenEXR")));
        includeAlpha = form.check("checkBox_IncludeAlpha", ExportFramesDialog::tr("Include Alpha (transparency)"));
        grid->addWidget(includeAlpha, 18, 1, 1, 3);
        form.separator("line_5", 19);

        form.label("horizontalLayout_8", "label_Meta", ExportFramesDialog::tr("Meta:"), 20);
        exportAudio = form.check("checkBox_ExportAudio", ExportFramesDialog::tr("Export Audio (wav)"));
        grid->addWidget(exportAudio, 20, 1, 1, 3);
        form.separator("line_6", 22);
        lines = form.lines;
        buttons = form.buttons();
    }
};

ExportFramesDialog::ExportFramesDialog(const ExportFramesSettings& settings, QWidget* parent)
    : QDialog(parent)
    , m_form(std::make_unique<Form>())
    , m_settings(settings)
{
    Form& f = *m_form;
    f.build(this);
    setWindowTitle(tr("Export Frames"));
    setLineColors();
    f.buttons->button(QDialogButtonBox::Ok)->setText(tr("Export Frames"));

    DialogForm::bindChoice(this, f.layers, m_settings.layers,
                           [this](int v) { m_settings.layers = ExportFramesSettings::Layers(v); });
    DialogForm::bindChoice(this, f.frames, m_settings.frames,
                           [this](int v) { m_settings.frames = ExportFramesSettings::Frames(v); });
    DialogForm::bindChoice(this, f.clones, m_settings.clones,
                           [this](int v) { m_settings.clones = ExportFramesSettings::Clones(v); });
    DialogForm::bindChoice(this, f.format, m_settings.imageFormat,
                           [this](int v) { m_settings.imageFormat = ExportFramesSettings::ImageFormat(v); });

    const QList<std::pair<QCheckBox*, bool ExportFramesSettings::*>> boxes = {
        {f.combineLayers, &ExportFramesSettings::combineLayers},
        {f.makeAllLinesBlack, &ExportFramesSettings::makeAllLinesBlack},
        {f.includeAlpha, &ExportFramesSettings::includeAlpha},
    };
    for (const auto& [box, field] : boxes) {
        box->setChecked(m_settings.*field);
        connect(box, &QCheckBox::toggled, this, [this, field = field](bool on) { m_settings.*field = on; });
    }
    f.exportAudio->setEnabled(false);
}

ExportFramesDialog::~ExportFramesDialog() = default;

ExportFramesSettings ExportFramesDialog::settings() const
{
    return m_settings;
}

void ExportFramesDialog::setLineColors()
{
    DialogForm::colorLines(this, m_form->lines);
}

void ExportFramesDialog::changeEvent(QEvent* event)
{
    if (event->type() == QEvent::PaletteChange)
        setLineColors();
    QDialog::changeEvent(event);
}

} // namespace UI
