#include "dialogs/ExportVideoDialog.h"

#include "dialogs/DialogForm.h"
#include "dialogs/ExportForm.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QEvent>
#include <QGridLayout>
#include <QLabel>
#include <QPushButton>
#include <QRadioButton>
#include <QSignalBlocker>
#include <QVBoxLayout>

#include <cmath>

namespace UI {

using Model::ExportVideoSettings;

struct ExportVideoDialog::Form
{
    QList<QAbstractButton*> layers, frames, format;
    QCheckBox* includeAlpha = nullptr;
    QCheckBox* includeAudio = nullptr;
    QComboBox* scale = nullptr;
    QLabel* resolution = nullptr;
    QList<QFrame*> lines;
    QDialogButtonBox* buttons = nullptr;

    void build(QDialog* dialog)
    {
        ExportForm form(dialog, QStringLiteral("UI__ExportVideoDialog"), QSize(472, 297));
        form.outer->setSizeConstraint(QLayout::SetFixedSize);
        QGridLayout* grid = form.grid;
        layers = form.layersRow(1);
        form.separator("line", 4);
        frames = form.framesRow(5);
        form.separator("line_2", 7);

        // Button order = stored format value.
        format = {form.radio("radioButton_GIF", ExportVideoDialog::tr("GIF")),
                  form.radio("radioButton_MP4", ExportVideoDialog::tr("MP4 (H.264)")),
                  form.radio("radioButton_Prores", ExportVideoDialog::tr("MOV (ProRes)"))};
        form.pairRow("horizontalLayout_7", "label_Format", ExportVideoDialog::tr("Format:"), 10,
                     static_cast<QRadioButton*>(format[1]), static_cast<QRadioButton*>(format[0]));
        auto* last = new QHBoxLayout;
        last->setObjectName(QStringLiteral("horizontalLayout_8"));
        last->setContentsMargins(-1, -1, 39, -1);
        last->addWidget(format[2]);
        grid->addLayout(last, 10, 3);
        includeAlpha = form.check("checkBox_IncludeAlpha", ExportVideoDialog::tr("Include Alpha (transparency)"));
        grid->addWidget(includeAlpha, 11, 1, 1, 3);
        includeAudio = form.check("checkBox_IncludeAudio", ExportVideoDialog::tr("Include Audio"));
        grid->addWidget(includeAudio, 12, 1, 1, 3);
        form.separator("line_4", 13);

        auto* scaleLabel = new QLabel(ExportVideoDialog::tr("Scale:"), dialog);
        scaleLabel->setObjectName(QStringLiteral("label"));
        scaleLabel->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
        grid->addWidget(scaleLabel, 14, 0);
        scale = new QComboBox(dialog);
        scale->setObjectName(QStringLiteral("comboBoxScale"));
        grid->addWidget(scale, 14, 1);
        resolution = new QLabel(QStringLiteral("800 x 600"), dialog);
        resolution->setObjectName(QStringLiteral("labelResolution"));
        grid->addWidget(resolution, 14, 2, 1, 2);
        form.separator("line_3", 15);
        lines = form.lines;
        buttons = form.buttons();
    }
};

ExportVideoDialog::ExportVideoDialog(const ExportVideoSettings& settings, const QSize& frameSize,
                                     QWidget* parent)
    : QDialog(parent)
    , m_form(std::make_unique<Form>())
    , m_settings(settings)
    , m_frameSize(frameSize)
{
    Form& f = *m_form;
    f.build(this);
    setWindowTitle(tr("Export Movie Clip"));
    setLineColors();
    f.buttons->button(QDialogButtonBox::Ok)->setText(tr("Export Movie Clip"));

    DialogForm::bindChoice(this, f.layers, m_settings.layers,
                           [this](int v) { m_settings.layers = ExportVideoSettings::Layers(v); });
    DialogForm::bindChoice(this, f.frames, m_settings.frames,
                           [this](int v) { m_settings.frames = ExportVideoSettings::Frames(v); });

    f.includeAudio->setChecked(m_settings.audioAvailable && m_settings.includeAudio);
    connect(f.includeAlpha, &QCheckBox::toggled, this, [this](bool on) { m_settings.includeAlpha = on; });
    connect(f.includeAudio, &QCheckBox::toggled, this, [this](bool on) { m_settings.includeAudio = on; });
    // Checking the stored format runs its handler, which sets up the boxes
    // and the scale list.
    DialogForm::bindChoice(this, f.format, -1,
                           [this](int v) { formatChosen(ExportVideoSettings::VideoFormat(v)); });
    if (QAbstractButton* stored = f.format.value(m_settings.videoFormat))
        stored->setChecked(true);

    f.resolution->setEnabled(false);
    updateScaleBox();
    connect(f.scale, &QComboBox::currentIndexChanged, this, [this](int index) {
        m_settings.scalePercent = m_form->scale->itemData(index).toInt();
        updateResolution();
    });
}

ExportVideoDialog::~ExportVideoDialog() = default;

ExportVideoSettings ExportVideoDialog::settings() const
{
    return m_settings;
}

void ExportVideoDialog::formatChosen(ExportVideoSettings::VideoFormat format)
{
    Form& f = *m_form;
    // The boxes follow the format without touching the stored flags, so that a
    // look at GIF does not lose the choices made for the other formats.
    const QSignalBlocker alpha(f.includeAlpha);
    const QSignalBlocker audio(f.includeAudio);
    const QSignalBlocker scale(f.scale);
    m_settings.videoFormat = format;
    const bool audioChoice = format != ExportVideoSettings::GIF && m_settings.audioAvailable;
    f.includeAudio->setEnabled(audioChoice);
    f.includeAudio->setChecked(audioChoice && m_settings.includeAudio);
    const bool alphaChoice = format == ExportVideoSettings::ProRes;
    f.includeAlpha->setEnabled(alphaChoice);
    f.includeAlpha->setChecked(alphaChoice && m_settings.includeAlpha);
    updateScaleBox();
}

void ExportVideoDialog::initScaleBox()
{
    QComboBox* box = m_form->scale;
    const bool gif = m_settings.videoFormat == ExportVideoSettings::GIF;
    for (int percent : {400, 200, 100, 50, 25}) {
        if (gif && percent > 100)
            continue;
        // In floating point: a large frame at 400 % overflows 32-bit integers.
        const double s = percent / 100.0;
        const double pixels = m_frameSize.height() * (m_frameSize.width() * s) * s;
        if (pixels < maximumPixels)
            box->addItem(QStringLiteral("%1%").arg(percent), percent);
    }
    int index = box->findData(m_settings.scalePercent);
    if (index < 0) {
        index = box->findData(100);
        if (index < 0)
            index = 0;
        m_settings.scalePercent = box->itemData(index).toInt();
    }
    box->setCurrentIndex(index);
    // No scale fits: there is nothing sensible to export.
    m_form->buttons->button(QDialogButtonBox::Ok)->setEnabled(box->count() > 0);
    updateResolution();
}

void ExportVideoDialog::updateScaleBox()
{
    const QSignalBlocker blocker(m_form->scale);
    m_form->scale->clear();
    initScaleBox();
}

void ExportVideoDialog::updateResolution()
{
    const auto scaled = [this](int side) {
        return std::lround(std::lround(double(side) * m_settings.scalePercent) / 100.0);
    };
    const long w = scaled(m_frameSize.width());
    const long h = scaled(m_frameSize.height());
    if (w < 0 || h < 0) {
        m_form->resolution->clear();
        return;
    }
    m_form->resolution->setText(tr("%1 x %2", "resolution (width x height)")
                                    .arg(locale().toString(qlonglong(w)), locale().toString(qlonglong(h))));
}

void ExportVideoDialog::setLineColors()
{
    DialogForm::colorLines(this, m_form->lines);
}

void ExportVideoDialog::changeEvent(QEvent* event)
{
    if (event->type() == QEvent::PaletteChange)
        setLineColors();
    QDialog::changeEvent(event);
}

} // namespace UI
