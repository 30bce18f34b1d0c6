#pragma once

#include <QDialogButtonBox>
#include <QFrame>
#include <QList>
#include <QString>

class QAbstractButton;
class QCheckBox;
class QDialog;
class QGridLayout;
class QRadioButton;
class QVBoxLayout;

namespace UI {

// The common frame of the export option dialogs: a grid of rows under a top
// margin, each row a right-aligned label and its radio buttons or check boxes,
// separator lines across the grid, and the OK/Cancel bar below.
class ExportForm
{
public:
    ExportForm(QDialog* dialog, const QString& objectName, const QSize& size);

    QRadioButton* radio(const char* name, const QString& text) const;
    QCheckBox* check(const char* name, const QString& text) const;
    void label(const char* layoutName, const char* labelName, const QString& text, int row);
    void separator(const char* name, int row);
    // The "Layers:" row: all, visible, active layer only.
    QList<QAbstractButton*> layersRow(int row);
    // The "Frames:" row: all frames, range only.
    QList<QAbstractButton*> framesRow(int row);
    // A radio pair in columns 1 and 2 under a label, e.g. image formats.
    QList<QAbstractButton*> pairRow(const char* layoutName, const char* labelName, const QString& text, int row,
                                    QRadioButton* first, QRadioButton* second);
    QDialogButtonBox* buttons(bool acceptCloses = true);

    QDialog* dialog;
    QVBoxLayout* outer;
    QGridLayout* grid;
    QList<QFrame*> lines;
};

} // namespace UI
