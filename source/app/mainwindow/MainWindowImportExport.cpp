// Images and sounds brought into the current scene, and the scene's three
// exports with their option, file and progress dialogs.
#include "MainWindow.h"
#include "MainWindowPrivate.h"

#include "actions/ActionManager.h"
#include "commands/ImportNewAudioLayer.h"
#include "commands/ImportNewReferenceLayer.h"
#include "dialogs/ExportExposureSheetDialog.h"
#include "dialogs/ExportFramesDialog.h"
#include "dialogs/ExportVideoDialog.h"
#include "prompts/Prompter.h"
#include "scene/Scene.h"
#include "settings/Settings.h"

#include <QApplication>
#include <QCollator>
#include <QDir>
#include <QFileInfo>
#include <QLocale>
#include <QMessageBox>
#include <QProgressDialog>
#include <QPushButton>
#include <QRegularExpression>
#include <QUndoStack>

#include <algorithm>

namespace {

QString nativeList(const QStringList& files)
{
    QStringList native;
    for (const QString& file : files)
        native << QDir::toNativeSeparators(file);
    return native.join(QLatin1Char('\n'));
}

// The folder an import dialog opens in: the remembered one, or the nearest
// folder above it that still exists. A file dialog given a folder that does
// not exist would offer its name as the file to open.
QString importFolder()
{
    QString folder = Model::Settings::instance()->defaultImportDir().absolutePath();
    while (!QFileInfo(folder).isDir()) {
        const QString parent = QFileInfo(folder).path();
        if (parent == folder)
            return QDir::homePath();
        folder = parent;
    }
    return folder;
}

// The last directory of the chosen file, for the next import dialog.
void rememberImportDir(const QString& file)
{
    Model::Settings::instance()->setDefaultImportDir(QDir(QFileInfo(file).canonicalPath()));
}

} // namespace

MainWindow::SequenceGaps MainWindow::sequenceGaps(QStringList files)
{
    SequenceGaps gaps;
    if (files.size() < 2)
        return gaps;
    // The C locale compares code points and ignores the numeric mode.
    const QLocale system = QLocale::system();
    QCollator collator(system.language() == QLocale::C ? QLocale(QLocale::English, QLocale::UnitedStates)
                                                       : system);
    collator.setNumericMode(true);
    std::sort(files.begin(), files.end(),
              [&collator](const QString& a, const QString& b) { return collator.compare(a, b) < 0; });

    const QString baseName = QFileInfo(files.first()).completeBaseName();
    static const QRegularExpression digits(QStringLiteral("\\d+"));
    QRegularExpressionMatch match;
    const qsizetype position = baseName.lastIndexOf(digits, -1, &match);
    if (position < 0)
        return gaps;
    const QString prefix = baseName.left(position);
    bool ok = false;
    const int firstNumber = match.captured().toInt(&ok);
    const int startNumber = ok && firstNumber == 0 ? 0 : 1;

    int largest = -1;
    for (const QString& file : files) {
        const QString name = QFileInfo(file).completeBaseName();
        if (!name.startsWith(prefix))
            return gaps;
        const int number = name.mid(position).toInt(&ok);
        if (!ok || number < 0)
            return gaps;
        largest = std::max(largest, number);
    }
    gaps.numberPosition = int(position);
    gaps.startNumber = startNumber;
    if (largest >= 1 && largest <= 9999)
        gaps.clones = largest - int(files.size()) + (startNumber == 0 ? 1 : 0);
    return gaps;
}

void MainWindow::import()
{
    Model::Scene* scene = quillmereScene();
    if (!scene)
        return;
    const QStringList files = Model::Prompter::getOpenFileNames(
        this, tr("Import"), importFolder(),
        tr("All types (*.png *.jpg *.jpeg *.gif *.mp3 *.wav);;All image types (*.png *.jpg *.jpeg "
           "*.gif);;Movie clips (*.gif);;All audio types (*.mp3 *.wav);;GIF (*.gif);;JPEG (*.jpg "
           "*.jpeg);;PNG (*.png);;MP3 (*.mp3);;WAV (*.wav)"));
    if (files.isEmpty())
        return;
    const QString suffix = QFileInfo(files.first()).suffix();
    if (suffix.compare(QLatin1String("wav"), Qt::CaseInsensitive) == 0
        || suffix.compare(QLatin1String("mp3"), Qt::CaseInsensitive) == 0)
        pushAudioImport(files.first());
    else
        internalImportReferenceLayer(files);
    rememberImportDir(files.first());
}

void MainWindow::importReferenceLayer()
{
    if (!quillmereScene())
        return;
    const QStringList files = Model::Prompter::getOpenFileNames(
        this, tr("Import"), importFolder(),
        tr("All types (*.png *.jpg *.jpeg *.gif);;Movie clips (*.gif);;GIF (*.gif);;JPEG (*.jpg "
           "*.jpeg);;PNG (*.png)"));
    if (files.isEmpty())
        return;
    internalImportReferenceLayer(files);
    rememberImportDir(files.first());
}

void MainWindow::importAudio()
{
    if (!quillmereScene())
        return;
    const QString file = Model::Prompter::getOpenFileName(
        this, tr("Import Audio"), importFolder(),
        tr("All types (*.mp3 *.wav);;MP3 (*.mp3);;WAV (*.wav)"));
    if (file.isEmpty())
        return;
    pushAudioImport(file);
    rememberImportDir(file);
}

void MainWindow::pushAudioImport(const QString& file)
{
    Model::Scene* scene = quillmereScene();
    auto* command = new Commands::ImportNewAudioLayer(scene, file, this);
    const auto outcome = command->outcome();
    if (outcome == Commands::ImportNewAudioLayer::Outcome::Imported) {
        scene->undoStack()->push(command);
        return;
    }
    delete command;
    if (outcome == Commands::ImportNewAudioLayer::Outcome::NothingRead)
        warnImportFailed(QStringList{file});
}

void MainWindow::warnImportFailed(const QStringList& files)
{
    Model::Prompter::warning(this, QApplication::applicationDisplayName(),
                             tr("Cannot import file %1").arg(nativeList(files)));
}

void MainWindow::internalImportReferenceLayer(QList<QString> files)
{
    Model::Scene* scene = quillmereScene();
    if (!scene)
        return;
    int numberPosition = -1;
    int startNumber = -1;
    const SequenceGaps gaps = sequenceGaps(files);
    if (gaps.clones > 0) {
        QMessageBox box(QMessageBox::Question, tr("Import Frames", "Commands::Import"),
                        QCoreApplication::translate(
                            "Commands::Import",
                            "You are importing numbered frames with gaps in the sequence.\n\n"
                            "Hold frame for each gap?"),
                        QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel, this);
        box.setInformativeText(QCoreApplication::translate(
                                   "Commands::Import", "Holding frames will add %1 clones in total.\n")
                                   .arg(gaps.clones));
        box.setWindowModality(Qt::WindowModal);
        box.setDefaultButton(QMessageBox::Yes);
        box.button(QMessageBox::Yes)->setText(tr("Hold Frames"));
        box.button(QMessageBox::No)->setText(tr("Collapse Gaps"));
        const int answer = Model::Prompter::exec(&box);
        if (answer == QMessageBox::Yes) {
            numberPosition = gaps.numberPosition;
            startNumber = gaps.startNumber;
        } else if (answer != QMessageBox::No) {
            return;
        }
    }

    auto* command = new Commands::ImportNewReferenceLayer(scene, files, this, numberPosition, startNumber);
    const auto outcome = command->outcome();
    const QStringList unreadable = command->unreadableFiles();
    if (outcome == Commands::ImportNewReferenceLayer::Outcome::Imported) {
        scene->undoStack()->push(command);
        // The frames that could be read are in; the user still has to learn
        // which ones are missing.
        if (!unreadable.isEmpty())
            warnImportFailed(unreadable);
        return;
    }
    delete command;
    if (outcome == Commands::ImportNewReferenceLayer::Outcome::NothingRead)
        warnImportFailed(unreadable.isEmpty() ? files : unreadable);
}

namespace {

// Every action is off while a file dialog of an export is open.
QString askExportFile(QWidget* parent, const QString& caption, const QString& proposed,
                      const QString& filter)
{
    Model::ActionManager* actions = Model::ActionManager::instance();
    actions->disableActions();
    const QString file = Model::Prompter::getSaveFileName(parent, caption, proposed, filter);
    actions->enableActions();
    return file;
}

// Runs the route's option dialog on a copy of the record; true when accepted.
template<typename Dialog, typename Record, typename... Extra>
bool askExportOptions(QWidget* parent, Record& record, const Extra&... extra)
{
    Dialog dialog(record, extra..., parent);
    dialog.resize(1, 1);
    if (Model::Prompter::exec(&dialog) != QDialog::Accepted)
        return false;
    record = dialog.settings();
    return true;
}

template<typename Record>
bool takeExportFile(Record& record, const QString& file)
{
    if (file.isEmpty())
        return false;
    const QFileInfo info(file);
    record.exportDir = info.absolutePath();
    record.name = info.fileName();
    return true;
}

} // namespace

std::unique_ptr<QProgressDialog> MainWindow::exportProgressDialog(const QString& label)
{
    auto progress = std::make_unique<QProgressDialog>(this);
    progress->setWindowModality(Qt::WindowModal);
    progress->setLabelText(label);
    progress->setCancelButtonText(tr("Cancel"));
    progress->setMinimumDuration(1000);
    progress->setFixedSize(progress->sizeHint());
    return progress;
}

void MainWindow::exportFrames()
{
    BusyScope busy(d->busy);
    Model::Scene* scene = quillmereScene();
    if (!scene)
        return;
    Model::Settings* settings = Model::Settings::instance();
    Model::ExportFramesSettings record = settings->exportFramesSettings();
    record.name = scene->name();
    if (!askExportOptions<UI::ExportFramesDialog>(this, record))
        return;
    const QString file = askExportFile(this, tr("Export Frames"),
                                       QDir(record.exportDir).filePath(record.name), QString());
    if (!takeExportFile(record, file))
        return;
    settings->setExportFramesSettings(record);
    const auto progress = exportProgressDialog(tr("Exporting Frames"));
    scene->exportFrames(record, *progress);
}

void MainWindow::exportExposureSheet()
{
    BusyScope busy(d->busy);
    Model::Scene* scene = quillmereScene();
    if (!scene)
        return;
    Model::Settings* settings = Model::Settings::instance();
    Model::ExportExposureSheetSettings record = settings->exportExposureSheetSettings();
    record.name = scene->name();
    if (!askExportOptions<UI::ExportExposureSheetDialog>(this, record))
        return;
    settings->setExportExposureSheetSettings(record);
    const auto progress = exportProgressDialog(tr("Exporting Exposure Sheet"));
    scene->exportExposureSheet(record, *progress);
}

void MainWindow::exportVideo()
{
    BusyScope busy(d->busy);
    Model::Scene* scene = quillmereScene();
    if (!scene)
        return;
    Model::Settings* settings = Model::Settings::instance();
    Model::ExportVideoSettings record = settings->exportVideoSettings();
    record.name = scene->name();
    record.audioAvailable = scene->isAudioAvailable();
    if (!askExportOptions<UI::ExportVideoDialog>(this, record, scene->frameSize()))
        return;
    QString suffix;
    QString filter;
    switch (record.videoFormat) {
    case Model::ExportVideoSettings::GIF:
        suffix = QStringLiteral(".gif");
        filter = tr("GIF (*%1)").arg(suffix);
        break;
    case Model::ExportVideoSettings::MP4:
        suffix = QStringLiteral(".mp4");
        filter = tr("MP4 (*%1)").arg(suffix);
        break;
    case Model::ExportVideoSettings::ProRes:
        suffix = QStringLiteral(".mov");
        filter = tr("ProRes (*%1)").arg(suffix);
        break;
    }
    const QString file = askExportFile(this, tr("Export Movie Clip"),
                                       QDir(record.exportDir).filePath(record.name + suffix), filter);
    if (!takeExportFile(record, file))
        return;
    settings->setExportVideoSettings(record);
    const auto progress = exportProgressDialog(tr("Exporting Movie Clip"));
    progress->setAutoClose(false);
    progress->setAutoReset(false);
    record.metadata.insert(QStringLiteral("title"), scene->name());
    record.metadata.insert(QStringLiteral("comment"),
                           QStringLiteral("Created with %1").arg(QApplication::applicationDisplayName()));
    scene->exportVideo(record, *progress);
}
