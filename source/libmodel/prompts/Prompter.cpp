#include "prompts/Prompter.h"

#include <QDialog>
#include <QFileDialog>
#include <QFileInfo>
#include <QInputDialog>
#include <QRegularExpression>

namespace Model {

namespace {

Prompter::Handler& handlerSlot()
{
    static Prompter::Handler handler;
    return handler;
}

QMessageBox::StandardButton messageBox(const Prompter::Request& r)
{
    switch (r.kind) {
    case Prompter::Kind::Information:
        return QMessageBox::information(r.parent, r.title, r.text, r.buttons, r.defaultButton);
    case Prompter::Kind::Warning:
        return QMessageBox::warning(r.parent, r.title, r.text, r.buttons, r.defaultButton);
    case Prompter::Kind::Critical:
        return QMessageBox::critical(r.parent, r.title, r.text, r.buttons, r.defaultButton);
    default:
        return QMessageBox::question(r.parent, r.title, r.text, r.buttons, r.defaultButton);
    }
}

// "kw" for "KW Files (*.kw)": the extension of the filter's first pattern,
// empty when it names none.
QString suffixOfFilter(const QString& filter)
{
    static const QRegularExpression pattern(QStringLiteral("\\*\\.([A-Za-z0-9]+)"));
    return pattern.match(filter).captured(1);
}

} // namespace

void Prompter::setHandler(Handler handler)
{
    handlerSlot() = std::move(handler);
}

bool Prompter::hasHandler()
{
    return bool(handlerSlot());
}

Prompter::Reply Prompter::ask(const Request& request)
{
    if (handlerSlot())
        return handlerSlot()(request);

    Reply reply;
    switch (request.kind) {
    case Kind::Information:
    case Kind::Warning:
    case Kind::Critical:
    case Kind::Question:
        reply.button = messageBox(request);
        break;
    case Kind::OpenFileName: {
        const QString f = QFileDialog::getOpenFileName(request.parent, request.title, request.directory,
                                                       request.filter, &reply.selectedFilter);
        if (!f.isEmpty())
            reply.files << f;
        break;
    }
    case Kind::OpenFileNames:
        reply.files = QFileDialog::getOpenFileNames(request.parent, request.title, request.directory,
                                                    request.filter, &reply.selectedFilter);
        break;
    case Kind::SaveFileName: {
        // The dialog adds the format's suffix to a bare name itself, before
        // it asks whether to replace a file of that name.
        QFileDialog dialog(request.parent, request.title, request.directory, request.filter);
        dialog.setAcceptMode(QFileDialog::AcceptSave);
        dialog.setDefaultSuffix(suffixOfFilter(request.filter));
        if (dialog.exec() == QDialog::Accepted && !dialog.selectedFiles().isEmpty()) {
            reply.files << dialog.selectedFiles().constFirst();
            reply.selectedFilter = dialog.selectedNameFilter();
        }
        break;
    }
    case Kind::ExistingDirectory: {
        const QString d = QFileDialog::getExistingDirectory(request.parent, request.title,
                                                            request.directory, QFileDialog::ShowDirsOnly);
        if (!d.isEmpty())
            reply.files << d;
        break;
    }
    case Kind::Double:
        reply.value = QInputDialog::getDouble(request.parent, request.title, request.text, request.value,
                                              request.minimum, request.maximum, request.decimals,
                                              &reply.accepted, Qt::WindowFlags(), request.step);
        break;
    case Kind::Int:
        reply.value = QInputDialog::getInt(request.parent, request.title, request.text,
                                           int(request.value), int(request.minimum),
                                           int(request.maximum), int(request.step), &reply.accepted);
        break;
    case Kind::Dialog:
        reply.result = request.dialog ? request.dialog->exec() : 0;
        break;
    }
    return reply;
}

namespace {

Prompter::Request message(Prompter::Kind kind, QWidget* parent, const QString& title,
                          const QString& text, QMessageBox::StandardButtons buttons,
                          QMessageBox::StandardButton defaultButton)
{
    Prompter::Request r;
    r.kind = kind;
    r.parent = parent;
    r.title = title;
    r.text = text;
    r.buttons = buttons;
    r.defaultButton = defaultButton;
    return r;
}

Prompter::Request fileRequest(Prompter::Kind kind, QWidget* parent, const QString& caption,
                              const QString& dir, const QString& filter)
{
    Prompter::Request r;
    r.kind = kind;
    r.parent = parent;
    r.title = caption;
    r.directory = dir;
    r.filter = filter;
    return r;
}

} // namespace

QMessageBox::StandardButton Prompter::information(QWidget* parent, const QString& title,
                                                  const QString& text,
                                                  QMessageBox::StandardButtons buttons)
{
    return ask(message(Kind::Information, parent, title, text, buttons, QMessageBox::NoButton)).button;
}

QMessageBox::StandardButton Prompter::warning(QWidget* parent, const QString& title,
                                              const QString& text,
                                              QMessageBox::StandardButtons buttons,
                                              QMessageBox::StandardButton defaultButton)
{
    return ask(message(Kind::Warning, parent, title, text, buttons, defaultButton)).button;
}

QMessageBox::StandardButton Prompter::critical(QWidget* parent, const QString& title,
                                               const QString& text,
                                               QMessageBox::StandardButtons buttons)
{
    return ask(message(Kind::Critical, parent, title, text, buttons, QMessageBox::NoButton)).button;
}

QMessageBox::StandardButton Prompter::question(QWidget* parent, const QString& title,
                                               const QString& text,
                                               QMessageBox::StandardButtons buttons,
                                               QMessageBox::StandardButton defaultButton)
{
    return ask(message(Kind::Question, parent, title, text, buttons, defaultButton)).button;
}

QString Prompter::getOpenFileName(QWidget* parent, const QString& caption, const QString& dir,
                                  const QString& filter, QString* selectedFilter)
{
    const Reply reply = ask(fileRequest(Kind::OpenFileName, parent, caption, dir, filter));
    if (selectedFilter)
        *selectedFilter = reply.selectedFilter;
    return reply.files.value(0);
}

QStringList Prompter::getOpenFileNames(QWidget* parent, const QString& caption, const QString& dir,
                                       const QString& filter, QString* selectedFilter)
{
    const Reply reply = ask(fileRequest(Kind::OpenFileNames, parent, caption, dir, filter));
    if (selectedFilter)
        *selectedFilter = reply.selectedFilter;
    return reply.files;
}

QString Prompter::getSaveFileName(QWidget* parent, const QString& caption, const QString& dir,
                                  const QString& filter, QString* selectedFilter)
{
    const Reply reply = ask(fileRequest(Kind::SaveFileName, parent, caption, dir, filter));
    if (selectedFilter)
        *selectedFilter = reply.selectedFilter;
    return withSuffix(reply.files.value(0), suffixOfFilter(filter));
}

QString Prompter::withSuffix(const QString& fileName, const QString& suffix)
{
    if (fileName.isEmpty() || suffix.isEmpty() || !QFileInfo(fileName).suffix().isEmpty())
        return fileName;
    const QString dot = fileName.endsWith(QLatin1Char('.')) ? QString() : QStringLiteral(".");
    return fileName + dot + suffix;
}

QString Prompter::getExistingDirectory(QWidget* parent, const QString& caption, const QString& dir)
{
    return ask(fileRequest(Kind::ExistingDirectory, parent, caption, dir, QString())).files.value(0);
}

double Prompter::getDouble(QWidget* parent, const QString& title, const QString& label, double value,
                           double minimum, double maximum, int decimals, bool* ok, double step)
{
    Request r;
    r.kind = Kind::Double;
    r.parent = parent;
    r.title = title;
    r.text = label;
    r.value = value;
    r.minimum = minimum;
    r.maximum = maximum;
    r.decimals = decimals;
    r.step = step;
    const Reply reply = ask(r);
    if (ok)
        *ok = reply.accepted;
    return reply.accepted ? reply.value : value;
}

int Prompter::getInt(QWidget* parent, const QString& title, const QString& label, int value,
                     int minimum, int maximum, int step, bool* ok)
{
    Request r;
    r.kind = Kind::Int;
    r.parent = parent;
    r.title = title;
    r.text = label;
    r.value = value;
    r.minimum = minimum;
    r.maximum = maximum;
    r.step = step;
    const Reply reply = ask(r);
    if (ok)
        *ok = reply.accepted;
    return reply.accepted ? int(reply.value) : value;
}

int Prompter::exec(QDialog* dialog)
{
    Request r;
    r.kind = Kind::Dialog;
    r.dialog = dialog;
    if (dialog) {
        r.parent = dialog->parentWidget();
        r.title = dialog->windowTitle();
        if (auto* box = qobject_cast<QMessageBox*>(dialog))
            r.text = box->text();
    }
    return ask(r).result;
}

} // namespace Model
