#include "dialogs/ExportExposureSheetDialog.h"

#include "dialogs/DialogForm.h"
#include "dialogs/ExportForm.h"
#include "prompts/Prompter.h"
#include "prompts/WebPage.h"

#include <QCheckBox>
#include <QDir>
#include <QEvent>
#include <QFileInfo>
#include <QGridLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QResizeEvent>
#include <QVBoxLayout>

#include <algorithm>

namespace UI {

using Model::ExportExposureSheetSettings;
using Model::Prompter;

QUrl ExportExposureSheetDialog::moreInfoUrl()
{
    return Model::WebPage::address(QStringLiteral("/help/exposure-sheet-export/"));
}

namespace {
const QString packageSuffix = QStringLiteral(".oca");
}

struct ExportExposureSheetDialog::Form
{
    QLabel* more = nullptr;
    QList<QAbstractButton*> layers, frames, format;
    QCheckBox* exportAudio = nullptr;
    QLineEdit* name = nullptr;
    QLineEdit* location = nullptr;
    QPushButton* browse = nullptr;
    QList<QFrame*> lines;
    QDialogButtonBox* buttons = nullptr;

    void build(QDialog* dialog)
    {
        ExportForm form(dialog, QStringLiteral("UI__ExportExposureSheetDialog"), QSize(453, 407));
        QGridLayout* grid = form.grid;
        auto field = [&](const char* layoutName, QWidget* edit, QWidget* after, int row) {
            auto* l = new QHBoxLayout;
            l->setObjectName(QString::fromLatin1(layoutName));
            l->setContentsMargins(12, -1, 12, -1);
            l->addWidget(edit);
            l->addWidget(after);
            grid->addLayout(l, row, 1, 1, 3);
        };

        more = new QLabel(ExportExposureSheetDialog::tr(
                              "Export your animation with x-sheet timing to other software such as "
                              "After Effects, Blender etc."), dialog);
        more->setObjectName(QStringLiteral("label_More"));
        more->setWordWrap(true);
        QObject::connect(more, &QLabel::linkActivated, dialog,
                         [dialog](const QString& link) { Model::WebPage::open(dialog, QUrl(link)); });
        grid->addWidget(more, 1, 1, 1, 3);
        form.separator("line", 2);
        layers = form.layersRow(3);
        form.separator("line_2", 4);
        frames = form.framesRow(5);
        form.separator("line_3", 8);
        format = form.pairRow("horizontalLayout_7", "label_Format", ExportExposureSheetDialog::tr("Format:"), 10,
                              form.radio("radioButton_PNG", ExportExposureSheetDialog::tr("PNG")),
                              form.radio("radioButton_OpenEXR", ExportExposureSheetDialog::tr("OpenEXR")));
        form.separator("line_4", 11);

        form.label("horizontalLayout_8", "label_Meta", ExportExposureSheetDialog::tr("Meta:"), 12);
        exportAudio = form.check("checkBox_ExportAudio", ExportExposureSheetDialog::tr("Export Audio (wav)"));
        grid->addWidget(exportAudio, 12, 1, 1, 3);
        form.separator("line_5", 13);

        form.label("horizontalLayout_9", "label_Name", ExportExposureSheetDialog::tr("Name:"), 14);
        name = new QLineEdit(QStringLiteral("Untitled"), dialog);
        name->setObjectName(QStringLiteral("lineEdit_Name"));
        auto* extension = new QLabel(packageSuffix, dialog);
        extension->setObjectName(QStringLiteral("label_Extension"));
        field("horizontalLayout_10", name, extension, 14);

        form.label("horizontalLayout_11", "label_Location", ExportExposureSheetDialog::tr("Location:"), 15);
        location = new QLineEdit(QStringLiteral("Somewhere"), dialog);
        location->setObjectName(QStringLiteral("lineEdit_Location"));
        browse = new QPushButton(ExportExposureSheetDialog::tr("Browse..."), dialog);
        browse->setObjectName(QStringLiteral("pushButton_Browse"));
        field("horizontalLayout_12", location, browse, 15);
        form.separator("line_6", 16);
        lines = form.lines;
        buttons = form.buttons(false);
    }
};

ExportExposureSheetDialog::ExportExposureSheetDialog(const ExportExposureSheetSettings& settings,
                                                     QWidget* parent)
    : QDialog(parent)
    , m_form(std::make_unique<Form>())
    , m_settings(settings)
{
    Form& f = *m_form;
    f.build(this);
    setWindowTitle(tr("Export as OCA (Open Cel Animation)"));
    f.more->setText(tr("<html><head/><body><p>Export your animation with x-sheet timing to other software "
                       "such as After Effects, Blender etc.&nbsp;<a href=\"%1\"><span style=\" "
                       "text-decoration: underline; color:%2; font-weight:bold\">More info here!</span>"
                       "</a></p></body></html>")
                        .arg(moreInfoUrl().toString(),
                             f.more->palette().brush(QPalette::WindowText).color().name()));
    setLineColors();
    f.buttons->button(QDialogButtonBox::Ok)->setText(tr("Export OCA"));
    connect(f.buttons, &QDialogButtonBox::accepted, this, &ExportExposureSheetDialog::checkForExistingName);

    DialogForm::bindChoice(this, f.layers, m_settings.layers,
                           [this](int v) { m_settings.layers = ExportExposureSheetSettings::Layers(v); });
    DialogForm::bindChoice(this, f.frames, m_settings.frames,
                           [this](int v) { m_settings.frames = ExportExposureSheetSettings::Frames(v); });
    DialogForm::bindChoice(this, f.format, m_settings.imageFormat,
                           [this](int v) { m_settings.imageFormat = ExportExposureSheetSettings::ImageFormat(v); });
    f.exportAudio->setEnabled(false);
    f.exportAudio->setChecked(false);
    connect(f.exportAudio, &QCheckBox::toggled, this, [this](bool on) { m_settings.includeAudio = on; });

    // The record keeps the package's file name; the edit shows it without the
    // extension, which the label beside it adds, so a stored name is not
    // offered back as "name.oca.oca".
    QString name = m_settings.name;
    if (name.endsWith(packageSuffix, Qt::CaseInsensitive))
        name.chop(packageSuffix.size());
    f.name->setText(name);
    f.location->setText(m_settings.exportDir);
    connect(f.browse, &QPushButton::clicked, this, [this] {
        const QString dir = Prompter::getExistingDirectory(this, QString(), m_form->location->text());
        if (!dir.isEmpty())
            m_form->location->setText(dir);
    });
}

ExportExposureSheetDialog::~ExportExposureSheetDialog() = default;

void ExportExposureSheetDialog::resizeEvent(QResizeEvent* event)
{
    QDialog::resizeEvent(event);
    const int least = std::max(layout()->totalMinimumSize().height(), heightForWidth(width()));
    if (least != minimumHeight())
        setMinimumHeight(least);
}

ExportExposureSheetSettings ExportExposureSheetDialog::settings() const
{
    return m_settings;
}

void ExportExposureSheetDialog::checkForExistingName()
{
    const QString baseName = m_form->name->text().trimmed();
    if (baseName.isEmpty()) {
        Prompter::warning(this, tr("No name"), tr("Please give the package a name."));
        return;
    }
    const QString fileName = baseName + packageSuffix;
    const QString path = QDir(m_form->location->text()).filePath(fileName);
    const QFileInfo info(path);
    if (info.exists() || info.isSymLink()) {
        QMessageBox::StandardButton answer;
        if (info.isDir() && !info.isSymLink())
            answer = Prompter::question(this, tr("Remove existing directory?"),
                                        tr("The directory %1 already exists. This directory and all files "
                                           "and sub-directories within it will be removed.\nContinue?")
                                            .arg(info.absoluteFilePath()),
                                        QMessageBox::Yes | QMessageBox::No);
        else
            answer = Prompter::question(this, tr("Remove existing file?"),
                                        tr("The file %1 already exists.\nRemove the existing file and continue?")
                                            .arg(info.absoluteFilePath()),
                                        QMessageBox::Yes | QMessageBox::No);
        if (answer != QMessageBox::Yes)
            return;
    }
    m_settings.exportDir = info.absolutePath();
    m_settings.name = fileName;
    accept();
}

void ExportExposureSheetDialog::setLineColors()
{
    DialogForm::colorLines(this, m_form->lines);
}

void ExportExposureSheetDialog::changeEvent(QEvent* event)
{
    if (event->type() == QEvent::PaletteChange)
        setLineColors();
    QDialog::changeEvent(event);
}

} // namespace UI
