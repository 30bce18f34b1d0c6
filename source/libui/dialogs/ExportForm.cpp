#include "dialogs/ExportForm.h"

#include "dialogs/DialogForm.h"

#include <QCheckBox>
#include <QCoreApplication>
#include <QDialog>
#include <QGridLayout>
#include <QRadioButton>
#include <QVBoxLayout>

namespace UI {

namespace {
QString text(const char* source)
{
    return QCoreApplication::translate("UI::ExportForm", source);
}
} // namespace

ExportForm::ExportForm(QDialog* dialog, const QString& objectName, const QSize& size)
    : dialog(dialog)
{
    dialog->setObjectName(objectName);
    dialog->resize(size);
    outer = new QVBoxLayout(dialog);
    outer->setObjectName(QStringLiteral("verticalLayout"));
    outer->setContentsMargins(0, 0, 0, 0);
    grid = new QGridLayout;
    grid->setObjectName(QStringLiteral("gridLayout"));
    grid->setContentsMargins(-1, 12, -1, -1);
    outer->addLayout(grid);
}

QRadioButton* ExportForm::radio(const char* name, const QString& text) const
{
    auto* b = new QRadioButton(text, dialog);
    b->setObjectName(QString::fromLatin1(name));
    return b;
}

QCheckBox* ExportForm::check(const char* name, const QString& text) const
{
    auto* b = new QCheckBox(text, dialog);
    b->setObjectName(QString::fromLatin1(name));
    return b;
}

void ExportForm::label(const char* layoutName, const char* labelName, const QString& text, int row)
{
    grid->addLayout(DialogForm::rowLabel(dialog, QString::fromLatin1(layoutName), QString::fromLatin1(labelName), text),
                    row, 0);
}

void ExportForm::separator(const char* name, int row)
{
    lines << DialogForm::line(dialog, QString::fromLatin1(name));
    grid->addWidget(lines.last(), row, 0, 1, 4);
}

QList<QAbstractButton*> ExportForm::layersRow(int row)
{
    label("horizontalLayout_2", "label_Layers", text("Layers:"), row);
    const QList<QAbstractButton*> buttons = {radio("radioButton_AllLayers", text("All Layers")),
                                             radio("radioButton_VisibleLayers", text("Visible Layers")),
                                             radio("radioButton_ActiveLayerOnly", text("Active Layer Only"))};
    grid->addWidget(buttons[0], row, 1);
    grid->addWidget(buttons[1], row, 2);
    auto* last = new QHBoxLayout;
    last->setObjectName(QStringLiteral("horizontalLayout_3"));
    last->setContentsMargins(-1, -1, 39, -1);
    last->addWidget(buttons[2]);
    grid->addLayout(last, row, 3);
    return buttons;
}

QList<QAbstractButton*> ExportForm::framesRow(int row)
{
    return pairRow("horizontalLayout_4", "label_Frames", text("Frames:"), row,
                   radio("radioButton_AllFrames", text("All Frames")),
                   radio("radioButton_RangeOnly", text("Range Only")));
}

QList<QAbstractButton*> ExportForm::pairRow(const char* layoutName, const char* labelName, const QString& text,
                                            int row, QRadioButton* first, QRadioButton* second)
{
    label(layoutName, labelName, text, row);
    grid->addWidget(first, row, 1);
    grid->addWidget(second, row, 2);
    return {first, second};
}

QDialogButtonBox* ExportForm::buttons(bool acceptCloses)
{
    return DialogForm::buttonRow(dialog, outer, QDialogButtonBox::Ok | QDialogButtonBox::Cancel, acceptCloses);
}

} // namespace UI
