#include "dialogs/DialogForm.h"

#include <QAbstractButton>
#include <QButtonGroup>
#include <QDialog>
#include <QFrame>
#include <QHBoxLayout>
#include <QLabel>
#include <QPalette>

namespace UI {
namespace DialogForm {

QFrame* line(QWidget* parent, const QString& objectName, bool vertical)
{
    auto* frame = new QFrame(parent);
    frame->setObjectName(objectName);
    frame->setFrameShape(vertical ? QFrame::VLine : QFrame::HLine);
    frame->setFrameShadow(QFrame::Plain);
    return frame;
}

QHBoxLayout* rowLabel(QWidget* parent, const QString& layoutName, const QString& labelName,
                      const QString& text, int leftMargin, QLabel** label)
{
    auto* layout = new QHBoxLayout;
    layout->setObjectName(layoutName);
    layout->setContentsMargins(leftMargin, -1, -1, -1);
    auto* l = new QLabel(text, parent);
    l->setObjectName(labelName);
    l->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    layout->addWidget(l);
    if (label)
        *label = l;
    return layout;
}

void colorLines(const QWidget* source, const QList<QFrame*>& lines)
{
    QPalette palette = source->palette();
    const QBrush light(palette.color(QPalette::Light));
    for (auto group : {QPalette::Active, QPalette::Inactive, QPalette::Disabled})
        palette.setBrush(group, QPalette::WindowText, light);
    for (QFrame* l : lines)
        if (l)
            l->setPalette(palette);
}

QButtonGroup* bindChoice(QWidget* owner, const QList<QAbstractButton*>& buttons, int current,
                         const std::function<void(int)>& store)
{
    auto* group = new QButtonGroup(owner);
    group->setExclusive(true);
    for (int i = 0; i < buttons.size(); ++i) {
        group->addButton(buttons[i], i);
        if (i == current)
            buttons[i]->setChecked(true);
        QObject::connect(buttons[i], &QAbstractButton::toggled, owner, [store, i](bool on) {
            if (on)
                store(i);
        });
    }
    return group;
}

QDialogButtonBox* buttonRow(QDialog* dialog, QBoxLayout* outer, QDialogButtonBox::StandardButtons buttons,
                            bool acceptCloses)
{
    auto* bottom = new QHBoxLayout;
    bottom->setObjectName(QStringLiteral("horizontalLayout"));
    bottom->setContentsMargins(12, 12, 12, 12);
    auto* box = new QDialogButtonBox(buttons, Qt::Horizontal, dialog);
    box->setObjectName(QStringLiteral("buttonBox"));
    bottom->addWidget(box);
    outer->addLayout(bottom);
    if (acceptCloses)
        QObject::connect(box, &QDialogButtonBox::accepted, dialog, &QDialog::accept);
    QObject::connect(box, &QDialogButtonBox::rejected, dialog, &QDialog::reject);
    return box;
}

} // namespace DialogForm
} // namespace UI
