#include "dialogs/TutorialDialog.h"

#include "common/WindowPlacement.h"
#include "dialogs/DialogForm.h"
#include "dialogs/TutorialPlayButton.h"
#include "prompts/WebPage.h"

#include <QCheckBox>
#include <QCoreApplication>
#include <QEvent>
#include <QGridLayout>
#include <QShowEvent>
#include <QLabel>
#include <QUrl>
#include <QVBoxLayout>

namespace UI {

struct TutorialDialog::Form
{
    struct Row
    {
        QLabel* title = nullptr;
        QLabel* text = nullptr;
        TutorialPlayButton* button = nullptr;
    };
    Row rows[5];
    QList<QFrame*> lines;
    QCheckBox* showAtStartup = nullptr;

    void build(QDialog* dialog)
    {
        dialog->setObjectName(QStringLiteral("UI__TutorialDialog"));
        dialog->resize(513, 478);
        auto* vertical = new QVBoxLayout(dialog);
        vertical->setObjectName(QStringLiteral("verticalLayout"));
        vertical->setSpacing(0);
        vertical->setSizeConstraint(QLayout::SetFixedSize);
        vertical->setContentsMargins(0, 0, 0, 0);
        auto* grid = new QGridLayout;
        grid->setObjectName(QStringLiteral("gridLayout"));
        grid->setHorizontalSpacing(40);
        grid->setVerticalSpacing(12);
        grid->setContentsMargins(0, 12, 0, 12);
        vertical->addLayout(grid);

        auto* dummy1 = new QWidget(dialog);
        dummy1->setObjectName(QStringLiteral("widget_dummy_1"));
        grid->addWidget(dummy1, 0, 0);
        auto* dummy2 = new QWidget(dialog);
        dummy2->setObjectName(QStringLiteral("widget_dummy_2"));
        dummy2->setMinimumSize(0, 0);
        grid->addWidget(dummy2, 0, 3);

        for (int i = 0; i < 5; ++i) {
            const int n = i + 1;
            auto* texts = new QVBoxLayout;
            texts->setObjectName(QStringLiteral("verticalLayout_%1").arg(n));
            texts->setSpacing(5);
            Row& row = rows[i];
            row.title = new QLabel(dialog);
            row.title->setObjectName(QStringLiteral("label_%1_overview").arg(n));
            row.text = new QLabel(dialog);
            row.text->setObjectName(QStringLiteral("label_%1_text").arg(n));
            row.text->setAlignment(Qt::AlignLeft | Qt::AlignTop);
            row.text->setWordWrap(true);
            texts->addWidget(row.title);
            texts->addWidget(row.text, 1);
            row.button = new TutorialPlayButton(dialog);
            row.button->setObjectName(QStringLiteral("toolButton_%1").arg(n));
            // Rows zig-zag: odd videos read text then button, even ones the reverse.
            const bool textFirst = i % 2 == 0;
            grid->addLayout(texts, 2 * i, textFirst ? 1 : 2);
            grid->addWidget(row.button, 2 * i, textFirst ? 2 : 1);
            if (i < 4) {
                lines << DialogForm::line(dialog, QStringLiteral("line_%1").arg(n));
                grid->addWidget(lines.last(), 2 * i + 1, 0, 1, 4);
            }
        }
        lines << DialogForm::line(dialog, QStringLiteral("line_btm"));
        vertical->addWidget(lines.last());

        auto* bottom = new QHBoxLayout;
        bottom->setObjectName(QStringLiteral("horizontalLayout"));
        showAtStartup = new QCheckBox(TutorialDialog::tr("Show this window at startup"), dialog);
        showAtStartup->setObjectName(QStringLiteral("checkBox_showAtStartup"));
        bottom->addWidget(showAtStartup);
        auto* buttons = new QDialogButtonBox(QDialogButtonBox::Close, Qt::Horizontal, dialog);
        buttons->setObjectName(QStringLiteral("buttonBox"));
        bottom->addWidget(buttons);
        vertical->addLayout(bottom);
        QObject::connect(buttons, &QDialogButtonBox::rejected, dialog, &QDialog::reject);
    }
};

TutorialDialog::TutorialDialog(QWidget* parent)
    : QDialog(parent)
    , m_form(std::make_unique<Form>())
{
    m_form->build(this);
    setLineColors();
    setWindowTitle(tr("How to animate with the pre-release of %1").arg(QCoreApplication::applicationName()));

    struct Video
    {
        const char* title;
        const char* text;
        const char* thumbnail;
        const char* page;
    };
    // The pages go through the translator so that a translation can point to
    // pages in its own language on the same site.
    static const Video videos[5] = {
        {QT_TR_NOOP("<b><i>Video 1 - Overview</i></b>"),
         QT_TR_NOOP("<b>Brief overview and introduction to the interface layout.</b> Scene Settings, Tool Bar, "
                    "X-Sheet with Layers and Timeline."),
         ":/video_tutorial/Video01-Overview.png",
         QT_TR_NOOP("/quillmere-video-tutorials/#overview")},
        {QT_TR_NOOP("<b><i>Video 2 - Drawing</i></b>"),
         QT_TR_NOOP("<b>Drawing and modifying artwork.</b> Pencil, Marker, Brush and Erasers, customizing "
                    "drawing tools, Pick Up menu with Lasso and Cutter, Backlight (Onion Skin) settings and "
                    "Speed Dial."),
         ":/video_tutorial/Video02-Drawing.png",
         QT_TR_NOOP("/quillmere-video-tutorials/#drawing")},
        {QT_TR_NOOP("<b><i>Video 3 - Animation</i></b>"),
         QT_TR_NOOP("<b>Animation part 1: Animation Workflow, X-Sheet and Timing.</b> Adding and Deleting "
                    "frames (Drawings), Clone Drawings and Slide Mode."),
         ":/video_tutorial/Video03-Animation.png",
         QT_TR_NOOP("/quillmere-video-tutorials/#animation")},
        {QT_TR_NOOP("<b><i>Video 4 - Animation continued</i></b>"),
         QT_TR_NOOP("<b>Animation part 2: Chicken vs Pepper.</b> More X-Sheet, Marking Keys, Cut/Copy/Paste "
                    "Drawings, Frame Rate, Delete Layer and Active Layer Settings (Nothing, Freeze, Cycle)."),
         ":/video_tutorial/Video04-AnimationContinued.png",
         QT_TR_NOOP("/quillmere-video-tutorials/#animation-continued")},
        {QT_TR_NOOP("<b><i>Video 5 - Special Features</i></b>"),
         QT_TR_NOOP("<b>Showing various other features.</b> Copy/paste multiple drawings, adjusting the "
                    "Range, zooming numerically, Grid and Grid Types, Linking Layers and Take Frame Off the "
                    "Pegs."),
         ":/video_tutorial/Video05-SpecialFeatures.png",
         QT_TR_NOOP("/quillmere-video-tutorials/#special-features")},
    };
    for (int i = 0; i < 5; ++i) {
        Form::Row& row = m_form->rows[i];
        row.title->setText(tr(videos[i].title));
        row.text->setText(tr(videos[i].text));
        row.button->setIcon(QIcon(QString::fromLatin1(videos[i].thumbnail)));
        row.button->setIconSize(QSize(178, 100));
        const char* page = videos[i].page;
        connect(row.button, &QToolButton::clicked, this,
                [this, page] { Model::WebPage::open(this, Model::WebPage::address(tr(page))); });
    }
}

TutorialDialog::~TutorialDialog() = default;

bool TutorialDialog::isShowAtStartupChecked() const
{
    return m_form->showAtStartup->isChecked();
}

void TutorialDialog::setShowAtStartupChecked(bool checked)
{
    m_form->showAtStartup->setChecked(checked);
}

void TutorialDialog::setLineColors()
{
    DialogForm::colorLines(this, m_form->lines);
}

void TutorialDialog::showEvent(QShowEvent* event)
{
    if (!event->spontaneous())
        centreOnParentWindow(this);
    QDialog::showEvent(event);
}

void TutorialDialog::changeEvent(QEvent* event)
{
    if (event->type() == QEvent::PaletteChange)
        setLineColors();
    QDialog::changeEvent(event);
}

} // namespace UI
