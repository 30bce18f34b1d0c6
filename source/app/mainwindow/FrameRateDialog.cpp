#include "mainwindow/FrameRateDialog.h"

#include "common/BoundedDoubleValidator.h"
#include "prompts/Prompter.h"

#include <QDialogButtonBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QVBoxLayout>

namespace {

constexpr double MinimumRate = 0.1;
constexpr double MaximumRate = 60.0;
constexpr int Decimals = 2;

} // namespace

FrameRateDialog::FrameRateDialog(double current, QWidget* parent)
    : QDialog(parent, Qt::Sheet | Qt::WindowTitleHint | Qt::WindowSystemMenuHint)
{
    setModal(true);
    auto* rateLabel = new QLabel(tr("Frame Rate:"), this);
    QFont bold = rateLabel->font();
    bold.setBold(true);
    rateLabel->setFont(bold);

    m_edit = new QLineEdit(this);
    m_edit->setFixedWidth(45);
    m_edit->setAlignment(Qt::AlignRight);
    m_edit->setValidator(new BoundedDoubleValidator(MinimumRate, MaximumRate, Decimals, m_edit));
    m_edit->setText(locale().toString(current, 'g', 6));

    auto* row = new QHBoxLayout;
    row->setContentsMargins(20, 5, 10, 5);
    row->addWidget(rateLabel);
    row->addWidget(m_edit);
    row->addWidget(new QLabel(tr("FPS"), this));

    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);

    auto* layout = new QVBoxLayout(this);
    layout->addLayout(row);
    layout->addWidget(buttons);
    m_edit->setFocus();
}

double FrameRateDialog::frameRate() const
{
    QString text = m_edit->text();
    // An unfinished entry is completed as the validator does when editing ends.
    int pos = 0;
    if (m_edit->validator()->validate(text, pos) != QValidator::Acceptable)
        m_edit->validator()->fixup(text);
    bool ok = false;
    double value = locale().toDouble(text, &ok);
    if (!ok)
        value = QLocale::c().toDouble(text, &ok);
    return ok ? value : 0.0;
}

QLineEdit* FrameRateDialog::lineEdit() const
{
    return m_edit;
}

double FrameRateDialog::ask(QWidget* parent, double current, bool* ok)
{
    if (Model::Prompter::hasHandler())
        return Model::Prompter::getDouble(parent, tr("Frame Rate"), tr("Frame Rate:"), current,
                                          MinimumRate, MaximumRate, Decimals, ok);
    FrameRateDialog dialog(current, parent);
    *ok = dialog.exec() == QDialog::Accepted;
    return dialog.frameRate();
}
