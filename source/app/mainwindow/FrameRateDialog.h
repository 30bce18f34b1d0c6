#pragma once

#include <QDialog>

class QLineEdit;

// Asks for a frame rate other than the menu's presets: one number between
// 0.1 and 60 frames per second with at most two decimals, written and read
// in the user's locale.
class FrameRateDialog : public QDialog
{
    Q_OBJECT

public:
    FrameRateDialog(double current, QWidget* parent = nullptr);

    // The rate as entered, read with the locale (0 when unreadable).
    double frameRate() const;
    QLineEdit* lineEdit() const;

    // Runs the dialog (or, while a test answers the questions, the shared
    // prompt for a number); ok tells whether it was accepted.
    static double ask(QWidget* parent, double current, bool* ok);

private:
    QLineEdit* m_edit = nullptr;
};
