#include "dialogs/CollapseDialog.h"

#include "dialogs/DialogForm.h"
#include "prompts/WebPage.h"

#include <QCheckBox>
#include <QEvent>
#include <QGridLayout>
#include <QLabel>
#include <QPushButton>
#include <QSpacerItem>
#include <QVBoxLayout>

namespace UI {

QUrl CollapseDialog::helpUrl()
{
    return Model::WebPage::address(QStringLiteral("/help/collapsing-drawings/"));
}

struct CollapseDialog::Form
{
    QFrame* line = nullptr;
    QCheckBox* automatically = nullptr;
    QDialogButtonBox* buttons = nullptr;

    void build(QDialog* dialog)
    {
        dialog->setObjectName(QStringLiteral("UI__CollapseDialog"));
        dialog->resize(400, 300);
        dialog->setWindowTitle(CollapseDialog::tr("Dialog"));
        auto* grid = new QGridLayout(dialog);
        grid->setObjectName(QStringLiteral("gridLayout"));
        grid->setSizeConstraint(QLayout::SetFixedSize);
        grid->setContentsMargins(0, 0, 0, 0);

        auto* image = new QLabel(dialog);
        image->setObjectName(QStringLiteral("imageLabel"));
        image->setPixmap(QPixmap(QStringLiteral(":/dialogs/CollapseGraphic@2x.png")));
        image->setAlignment(Qt::AlignHCenter | Qt::AlignVCenter);
        grid->addWidget(image, 0, 0);

        auto* text = new QVBoxLayout;
        text->setObjectName(QStringLiteral("verticalLayout_2"));
        text->setSpacing(6);
        text->setContentsMargins(12, 24, 12, 12);
        auto* question = new QLabel(CollapseDialog::tr("Collapse the<br/>current drawing?"), dialog);
        question->setObjectName(QStringLiteral("label_2"));
        QFont bold = question->font();
        bold.setWeight(QFont::Bold);
        question->setFont(bold);
        question->setWordWrap(true);
        text->addWidget(question);
        text->addWidget(DialogForm::line(dialog, QStringLiteral("line_2")));
        auto* whatsThis = new QLabel(CollapseDialog::tr("What's this? <a href=\"%1\">Read here</a>")
                                         .arg(CollapseDialog::helpUrl().toString()),
                                     dialog);
        whatsThis->setObjectName(QStringLiteral("whatsThisLabel"));
        whatsThis->setTextFormat(Qt::RichText);
        QObject::connect(whatsThis, &QLabel::linkActivated, dialog,
                         [dialog](const QString& link) { Model::WebPage::open(dialog, QUrl(link)); });
        text->addWidget(whatsThis);
        text->addItem(new QSpacerItem(20, 40, QSizePolicy::Minimum, QSizePolicy::Expanding));
        grid->addLayout(text, 0, 1);

        line = DialogForm::line(dialog, QStringLiteral("line"));
        grid->addWidget(line, 2, 0, 1, 2);

        auto* left = new QHBoxLayout;
        left->setObjectName(QStringLiteral("horizontalLayout"));
        left->setContentsMargins(12, 12, 12, 12);
        automatically = new QCheckBox(CollapseDialog::tr("Collapse automatically"), dialog);
        automatically->setObjectName(QStringLiteral("collapseAutomaticallyCheckBox"));
        left->addWidget(automatically);
        grid->addLayout(left, 3, 0);

        auto* right = new QHBoxLayout;
        right->setObjectName(QStringLiteral("horizontalLayout_2"));
        right->setContentsMargins(12, 12, 12, 12);
        buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, Qt::Horizontal, dialog);
        buttons->setObjectName(QStringLiteral("buttonBox"));
        right->addWidget(buttons);
        grid->addLayout(right, 3, 1);
        QObject::connect(buttons, &QDialogButtonBox::accepted, dialog, &QDialog::accept);
        QObject::connect(buttons, &QDialogButtonBox::rejected, dialog, &QDialog::reject);
    }
};

CollapseDialog::CollapseDialog(QWidget* parent)
    : QDialog(parent, Qt::CustomizeWindowHint)
    , m_form(std::make_unique<Form>())
{
    m_form->build(this);
    // A sheet on the platforms that have them; a plain modal dialog here.
    setWindowFlags(Qt::Dialog);
    setLineColors();
    QPushButton* collapse = m_form->buttons->button(QDialogButtonBox::Ok);
    collapse->setText(tr("Collapse"));
    collapse->setDefault(true);
}

CollapseDialog::~CollapseDialog() = default;

bool CollapseDialog::collapseAutomatically() const
{
    return m_form->automatically->isChecked();
}

void CollapseDialog::setLineColors()
{
    DialogForm::colorLines(this, {m_form->line});
}

void CollapseDialog::changeEvent(QEvent* event)
{
    if (event->type() == QEvent::PaletteChange)
        setLineColors();
    QDialog::changeEvent(event);
}

} // namespace UI
