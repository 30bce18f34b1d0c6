#pragma once

#include <QMessageBox>
#include <QString>
#include <QStringList>

#include <functional>

class QDialog;
class QWidget;

namespace Model {

// Every modal question, message box, input box and file dialog of the program
// goes through here, so that tests (and nothing else) can answer them without a
// nested event loop. Without a handler the real Qt dialogs run.
class Prompter
{
public:
    enum class Kind {
        Information,
        Warning,
        Critical,
        Question,
        OpenFileName,
        OpenFileNames,
        SaveFileName,
        ExistingDirectory,
        Double,
        Int,
        Dialog,
    };

    struct Request
    {
        Kind kind = Kind::Information;
        QWidget* parent = nullptr;
        QString title;
        QString text;           // message text, or the input box's label
        QMessageBox::StandardButtons buttons = QMessageBox::Ok;
        QMessageBox::StandardButton defaultButton = QMessageBox::NoButton;
        QString directory;      // file dialogs: the proposed folder or path
        QString filter;         // file dialogs
        double value = 0.0;     // input boxes: initial value, bounds and decimals
        double minimum = 0.0;
        double maximum = 0.0;
        int decimals = 0;
        double step = 1.0;
        QDialog* dialog = nullptr; // Dialog: the dialog to run, set up by the caller
    };

    struct Reply
    {
        QMessageBox::StandardButton button = QMessageBox::NoButton;
        QStringList files;      // chosen paths; empty means cancelled
        QString selectedFilter;
        double value = 0.0;
        bool accepted = false;  // input boxes
        int result = 0;         // Dialog: what exec() returns (a QDialog::DialogCode,
                                // or the button a QMessageBox was closed with)
    };

    using Handler = std::function<Reply(const Request&)>;

    // Installs the handler that answers every request from now on; an empty
    // handler gives the real dialogs back.
    static void setHandler(Handler handler);
    static bool hasHandler();

    static QMessageBox::StandardButton information(QWidget* parent, const QString& title,
                                                   const QString& text,
                                                   QMessageBox::StandardButtons buttons = QMessageBox::Ok);
    static QMessageBox::StandardButton warning(QWidget* parent, const QString& title,
                                               const QString& text,
                                               QMessageBox::StandardButtons buttons = QMessageBox::Ok,
                                               QMessageBox::StandardButton defaultButton = QMessageBox::NoButton);
    static QMessageBox::StandardButton critical(QWidget* parent, const QString& title,
                                                const QString& text,
                                                QMessageBox::StandardButtons buttons = QMessageBox::Ok);
    static QMessageBox::StandardButton question(QWidget* parent, const QString& title,
                                                const QString& text,
                                                QMessageBox::StandardButtons buttons,
                                                QMessageBox::StandardButton defaultButton = QMessageBox::NoButton);

    static QString getOpenFileName(QWidget* parent, const QString& caption, const QString& dir,
                                   const QString& filter, QString* selectedFilter = nullptr);
    static QStringList getOpenFileNames(QWidget* parent, const QString& caption, const QString& dir,
                                        const QString& filter, QString* selectedFilter = nullptr);
    // A name chosen without an extension gets the filter's ("walk" becomes
    // "walk.kw" for "KW Files (*.kw)"), whoever answered.
    static QString getSaveFileName(QWidget* parent, const QString& caption, const QString& dir,
                                   const QString& filter, QString* selectedFilter = nullptr);
    // fileName with ".suffix" added when it has no extension of its own.
    static QString withSuffix(const QString& fileName, const QString& suffix);
    static QString getExistingDirectory(QWidget* parent, const QString& caption, const QString& dir);

    static double getDouble(QWidget* parent, const QString& title, const QString& label,
                            double value, double minimum, double maximum, int decimals,
                            bool* ok, double step = 1.0);
    static int getInt(QWidget* parent, const QString& title, const QString& label, int value,
                      int minimum, int maximum, int step, bool* ok);

    // Runs a dialog the caller built (an option dialog, or a message box with
    // its own button texts) and returns what its exec() returns. A handler
    // may fill the dialog's fields before answering. The request's title is
    // the dialog's window title; for a message box its text is the box's text.
    static int exec(QDialog* dialog);

private:
    static Reply ask(const Request& request);
};

} // namespace Model
