#include "dialogs/SceneSettingsDialog.h"

#include "common/BoundedDoubleValidator.h"
#include "common/BoundedIntValidator.h"
#include "dialogs/DialogForm.h"
#include "dialogs/FrameRateItemDelegate.h"
#include "dialogs/FrameRateModel.h"
#include "dialogs/FrameSizeItemDelegate.h"
#include "dialogs/FrameSizeModel.h"
#include "settings/KW.h"

#include <QAbstractItemView>
#include <QComboBox>
#include <QEvent>
#include <QGridLayout>
#include <QLabel>
#include <QLineEdit>
#include <QRadioButton>
#include <QVBoxLayout>

#include <algorithm>

namespace UI {

struct SceneSettingsDialog::Private
{
    FrameSizeModel* sizes = nullptr;
    FrameRateModel* rates = nullptr;
    Params given;
    Params current;

    QComboBox* frameSizeBox = nullptr;
    QComboBox* frameRateBox = nullptr;
    QLineEdit* width = nullptr;
    QLineEdit* height = nullptr;
    QLineEdit* rate = nullptr;
    QLineEdit* initialFrames = nullptr;
    QLabel* howToFit = nullptr;
    QLabel* initialFramesLabel = nullptr;
    QRadioButton* keepAspect = nullptr;
    QRadioButton* stretch = nullptr;
    QRadioButton* cropCenter = nullptr;
    QList<QFrame*> lines;

    void build(QDialog* dialog)
    {
        dialog->setObjectName(QStringLiteral("UI__SceneSettingsDialog"));
        dialog->resize(570, 222);
        dialog->setModal(true);
        auto* outer = new QVBoxLayout(dialog);
        outer->setObjectName(QStringLiteral("verticalLayout"));
        outer->setSpacing(0);
        outer->setSizeConstraint(QLayout::SetFixedSize);
        outer->setContentsMargins(0, -1, 0, 0);
        auto* grid = new QGridLayout;
        grid->setObjectName(QStringLiteral("gridLayout"));
        grid->setSpacing(9);
        outer->addLayout(grid);

        QFont bold = dialog->font();
        bold.setWeight(QFont::Bold);
        auto label = [&](const char* name, const QString& text, int row) {
            auto* box = new QHBoxLayout;
            box->setContentsMargins(39, 0, 9, 0);
            box->addItem(new QSpacerItem(0, 0, QSizePolicy::Expanding, QSizePolicy::Minimum));
            auto* l = new QLabel(text, dialog);
            l->setObjectName(QString::fromLatin1(name));
            l->setFont(bold);
            box->addWidget(l);
            grid->addLayout(box, row, 0);
            return l;
        };
        auto edit = [&](const char* name, const QString& text) {
            auto* e = new QLineEdit(text, dialog);
            e->setObjectName(QString::fromLatin1(name));
            e->setFixedWidth(45);
            e->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
            return e;
        };
        auto values = [&](int row, const QList<QWidget*>& widgets) {
            auto* box = new QHBoxLayout;
            box->setContentsMargins(0, 0, 39, 0);
            for (QWidget* w : widgets)
                box->addWidget(w);
            box->addItem(new QSpacerItem(0, 0, QSizePolicy::Expanding, QSizePolicy::Minimum));
            grid->addLayout(box, row, 2);
        };
        auto smallLabel = [&](const char* name, const QString& text) {
            auto* l = new QLabel(text, dialog);
            l->setObjectName(QString::fromLatin1(name));
            return l;
        };
        auto separator = [&](const char* name, int row) {
            lines << DialogForm::line(dialog, QString::fromLatin1(name));
            grid->addWidget(lines.last(), row, 0, 1, 3);
        };

        label("label", SceneSettingsDialog::tr("Resolution (pixels):"), 0);
        frameSizeBox = new QComboBox(dialog);
        frameSizeBox->setObjectName(QStringLiteral("CBframeSize"));
        frameSizeBox->setSizeAdjustPolicy(QComboBox::AdjustToContents);
        grid->addWidget(frameSizeBox, 0, 1);
        width = edit("frameWidth", QStringLiteral("1920"));
        height = edit("frameHeight", QStringLiteral("1080"));
        values(0, {width, smallLabel("label_2", SceneSettingsDialog::tr("x")), height});

        howToFit = label("labelHowToFit", SceneSettingsDialog::tr("How to Fit:"), 1);
        keepAspect = new QRadioButton(SceneSettingsDialog::tr("Keep Aspect"), dialog);
        keepAspect->setObjectName(QStringLiteral("radioButtonKeepAspect"));
        keepAspect->setChecked(true);
        stretch = new QRadioButton(SceneSettingsDialog::tr("Stretch"), dialog);
        stretch->setObjectName(QStringLiteral("radioButtonStretch"));
        cropCenter = new QRadioButton(SceneSettingsDialog::tr("Crop/Center"), dialog);
        cropCenter->setObjectName(QStringLiteral("radioButtonCropCenter"));
        auto* fit = new QHBoxLayout;
        fit->addWidget(keepAspect);
        fit->addWidget(stretch);
        fit->addWidget(cropCenter);
        fit->addItem(new QSpacerItem(0, 0, QSizePolicy::Expanding, QSizePolicy::Minimum));
        grid->addLayout(fit, 1, 1, 1, 2);
        separator("line", 2);

        label("label_4", SceneSettingsDialog::tr("Frame Rate:"), 3);
        frameRateBox = new QComboBox(dialog);
        frameRateBox->setObjectName(QStringLiteral("CBframeRate"));
        frameRateBox->setSizeAdjustPolicy(QComboBox::AdjustToContents);
        grid->addWidget(frameRateBox, 3, 1);
        rate = edit("frameRate", QStringLiteral("12"));
        values(3, {rate, smallLabel("label_6", SceneSettingsDialog::tr("FPS"))});
        separator("line_2", 4);

        initialFramesLabel = label("labelInitialNumberOfFrames", SceneSettingsDialog::tr("Initial Number of Frames:"), 5);
        initialFrames = edit("initialNumberOfFrames", QStringLiteral("1"));
        values(5, {initialFrames});
        separator("line_3", 6);

        DialogForm::buttonRow(dialog, outer, QDialogButtonBox::Ok | QDialogButtonBox::Cancel);

        QWidget* order[] = {frameSizeBox, width, height, keepAspect, stretch, cropCenter, frameRateBox, rate,
                            initialFrames};
        for (size_t i = 1; i < std::size(order); ++i)
            QWidget::setTabOrder(order[i - 1], order[i]);
    }

    // Enabled only when resizing an existing scene to a new size.
    void checkHowToFit(SceneSettingsDialog* dialog)
    {
        dialog->enableHowToFit(current.mode == 1 && current.frameSize != given.frameSize);
    }
};

SceneSettingsDialog::SceneSettingsDialog(const Params& params, QWidget* parent)
    : QDialog(parent, Qt::WindowTitleHint | Qt::WindowSystemMenuHint)
    , d(std::make_unique<Private>())
{
    d->given = params;
    if (params.mode == 0) {
        d->given.frameSize = QSize(std::clamp(params.frameSize.width(), 1, 8192),
                                   std::clamp(params.frameSize.height(), 1, 8192));
        d->given.frameRate = std::clamp(params.frameRate, 0.1, 60.0);
        d->given.initialNumberOfFrames = std::clamp(params.initialNumberOfFrames, 1, 10000);
    }
    d->current = d->given;
    d->sizes = new FrameSizeModel(this);
    d->rates = new FrameRateModel(this);

    d->build(this);
    setLineColors();
    d->frameSizeBox->setModel(d->sizes);
    d->frameRateBox->setModel(d->rates);
    d->frameSizeBox->setItemDelegate(new FrameSizeItemDelegate(d->frameSizeBox));
    d->frameSizeBox->view()->setMinimumWidth(260);
    d->frameSizeBox->view()->setSizePolicy(QSizePolicy::Minimum, d->frameSizeBox->view()->sizePolicy().verticalPolicy());
    d->frameRateBox->setItemDelegate(new FrameRateItemDelegate(d->frameRateBox));
    d->frameRateBox->view()->setSizePolicy(QSizePolicy::Minimum, d->frameRateBox->view()->sizePolicy().verticalPolicy());

    d->width->setValidator(new BoundedIntValidator(1, 8192, this));
    d->height->setValidator(new BoundedIntValidator(1, 8192, this));
    d->rate->setValidator(new BoundedDoubleValidator(0.1, 60.0, 2, this));
    d->initialFrames->setValidator(new BoundedIntValidator(1, 10000, this));

    d->width->setText(QString::number(d->given.frameSize.width()));
    d->height->setText(QString::number(d->given.frameSize.height()));
    d->rate->setText(locale().toString(d->given.frameRate, 'g', 6));
    d->initialFrames->setText(QString::number(d->given.initialNumberOfFrames));

    switch (d->given.fitMode) {
    case int(KW::FitMode::FitModeStretch): d->stretch->setChecked(true); break;
    case int(KW::FitMode::FitModeCropCenter): d->cropCenter->setChecked(true); break;
    default: d->keepAspect->setChecked(true); break;
    }
    enableHowToFit(false);

    if (d->given.mode == 1) {
        setWindowTitle(tr("Scene Settings", "window title"));
        d->initialFramesLabel->hide();
        d->initialFrames->hide();
        d->lines[2]->hide();
    } else {
        setWindowTitle(tr("New Scene", "window title"));
        for (QWidget* w : QList<QWidget*>{d->howToFit, d->keepAspect, d->stretch, d->cropCenter})
            w->hide();
    }
    connectControls();
    syncCBframeSize(d->given.frameSize);
    syncCBframeRate(d->given.frameRate);
}

SceneSettingsDialog::~SceneSettingsDialog() = default;

void SceneSettingsDialog::connectControls()
{
    Private* p = d.get();
    connect(p->frameSizeBox, &QComboBox::currentIndexChanged, this, [p](int row) {
        const QModelIndex index = p->sizes->index(row);
        if (!index.isValid() || index.data(SceneSettingsListModel::CustomRole).toBool())
            return;
        const QSize size = index.data(SceneSettingsListModel::SizeRole).toSize();
        p->width->setText(QString::number(size.width()));
        p->height->setText(QString::number(size.height()));
    });
    connect(p->width, &QLineEdit::textChanged, this, [this, p](const QString& text) {
        p->current.frameSize.setWidth(locale().toInt(text));
        p->checkHowToFit(this);
        syncCBframeSize(p->current.frameSize);
    });
    connect(p->height, &QLineEdit::textChanged, this, [this, p](const QString& text) {
        p->current.frameSize.setHeight(locale().toInt(text));
        p->checkHowToFit(this);
        syncCBframeSize(p->current.frameSize);
    });
    connect(p->frameSizeBox, &QComboBox::activated, this, [p](int row) {
        if (!p->sizes->index(row).data(SceneSettingsListModel::CustomRole).toBool())
            return;
        p->width->selectAll();
        p->width->setFocus(Qt::OtherFocusReason);
    });
    connect(p->keepAspect, &QRadioButton::toggled, this, [p](bool on) {
        if (on)
            p->current.fitMode = int(KW::FitMode::FitModeKeepAspect);
    });
    connect(p->stretch, &QRadioButton::toggled, this, [p](bool on) {
        if (on)
            p->current.fitMode = int(KW::FitMode::FitModeStretch);
    });
    connect(p->cropCenter, &QRadioButton::toggled, this, [p](bool on) {
        if (on)
            p->current.fitMode = int(KW::FitMode::FitModeCropCenter);
    });
    connect(p->frameRateBox, &QComboBox::currentIndexChanged, this, [this, p](int row) {
        const QModelIndex index = p->rates->index(row);
        if (!index.isValid() || index.data(SceneSettingsListModel::CustomRole).toBool())
            return;
        p->rate->setText(locale().toString(index.data(SceneSettingsListModel::ValueRole).toDouble(), 'g', 6));
    });
    connect(p->rate, &QLineEdit::textChanged, this, [this, p](const QString& text) {
        bool ok = false;
        double fps = locale().toDouble(text, &ok);
        if (!ok)
            fps = text.toDouble(&ok);
        p->current.frameRate = ok ? fps : 0.1;
        syncCBframeRate(p->current.frameRate);
    });
    connect(p->frameRateBox, &QComboBox::activated, this, [p](int row) {
        if (!p->rates->index(row).data(SceneSettingsListModel::CustomRole).toBool())
            return;
        p->rate->selectAll();
        p->rate->setFocus(Qt::OtherFocusReason);
    });
    connect(p->initialFrames, &QLineEdit::textChanged, this,
            [this, p](const QString& text) { p->current.initialNumberOfFrames = locale().toInt(text); });
}

SceneSettingsDialog::Params SceneSettingsDialog::params() const
{
    return d->current;
}

namespace {

// Makes the first row whose `role` equals `value` current, or the custom row
// when that row is missing or a separator.
void selectPreset(QComboBox* box, QAbstractItemModel* model, int role, const QVariant& value)
{
    int match = -1;
    int custom = -1;
    for (int row = 0; row < model->rowCount(); ++row) {
        const QModelIndex index = model->index(row, 0);
        if (match < 0 && index.data(role) == value)
            match = row;
        if (custom < 0 && index.data(SceneSettingsListModel::CustomRole).toBool())
            custom = row;
    }
    if (match >= 0 && !model->index(match, 0).data(SceneSettingsListModel::SeparatorRole).toBool())
        box->setCurrentIndex(match);
    else
        box->setCurrentIndex(custom);
}

} // namespace

void SceneSettingsDialog::syncCBframeSize(const QSize& size)
{
    selectPreset(d->frameSizeBox, d->sizes, SceneSettingsListModel::SizeRole, QVariant(size));
}

void SceneSettingsDialog::syncCBframeRate(double fps)
{
    selectPreset(d->frameRateBox, d->rates, SceneSettingsListModel::ValueRole, QVariant(fps));
}

void SceneSettingsDialog::enableHowToFit(bool enable)
{
    for (QWidget* w : QList<QWidget*>{d->howToFit, d->keepAspect, d->stretch, d->cropCenter})
        w->setEnabled(enable);
}

void SceneSettingsDialog::setLineColors()
{
    DialogForm::colorLines(this, d->lines);
}

void SceneSettingsDialog::changeEvent(QEvent* event)
{
    if (event->type() == QEvent::PaletteChange && d->frameSizeBox)
        setLineColors();
    QDialog::changeEvent(event);
}

} // namespace UI
