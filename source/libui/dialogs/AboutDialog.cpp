#include "dialogs/AboutDialog.h"

#include "dialogs/BuildVersion.h"
#include "dialogs/LibraryVersions.h"

#include <QDialogButtonBox>
#include <QFile>
#include <QGridLayout>
#include <QGuiApplication>
#include <QLabel>
#include <QLinearGradient>
#include <QPushButton>
#include <QPainter>
#include <QRadialGradient>
#include <QScrollBar>
#include <QSysInfo>
#include <QTextEdit>
#include <QVBoxLayout>

#include <cmath>

namespace UI {

struct AboutDialog::Form
{
    QHBoxLayout* top = nullptr;
    QHBoxLayout* bottom = nullptr;
    QLabel* version = nullptr;
    QTextEdit* credits = nullptr;
    QLabel* copyright = nullptr;
    QLabel* iconLabel = nullptr;
    QPushButton* close = nullptr;
    // The icon with its halo stands 72 pixels above the header's lower edge.
    static constexpr int iconHeaderHeight = 76;
    QIcon icon;
    QLinearGradient headerShadow, headerEdge, footerShadow, footerEdge;
    QRect haloRect{0, 0, 124, 124};
    QRadialGradient halo{QPointF(61, 61), 62};

    void build(QDialog* dialog)
    {
        dialog->setObjectName(QStringLiteral("UI__AboutDialog"));
        dialog->resize(437, 241);
        auto* outer = new QVBoxLayout(dialog);
        outer->setObjectName(QStringLiteral("verticalLayout_2"));
        outer->setSpacing(0);
        outer->setContentsMargins(0, 0, 0, 0);

        top = new QHBoxLayout;
        top->setObjectName(QStringLiteral("horizontalLayout_top"));
        top->setContentsMargins(150, -1, 20, -1);
        // The icon hangs from the header's lower edge into the credits; the
        // header is tall enough to show it whole.
        top->addItem(new QSpacerItem(0, iconHeaderHeight, QSizePolicy::Minimum, QSizePolicy::Fixed));
        top->addItem(new QSpacerItem(0, 0, QSizePolicy::Expanding, QSizePolicy::Minimum));
        auto* grid = new QGridLayout;
        grid->setObjectName(QStringLiteral("gridLayout"));
        grid->setSpacing(12);
        grid->setContentsMargins(-1, 12, 12, 12);
        auto* header = new QLabel(AboutDialog::tr("Version:"), dialog);
        header->setObjectName(QStringLiteral("labelVersionHeader"));
        QFont small = header->font();
        small.setPointSize(10);
        header->setFont(small);
        header->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
        grid->addWidget(header, 2, 0);
        version = new QLabel(dialog);
        version->setObjectName(QStringLiteral("labelVersion"));
        QFont larger = version->font();
        larger.setPointSize(11);
        version->setFont(larger);
        grid->addWidget(version, 2, 1);
        top->addLayout(grid);
        top->addItem(new QSpacerItem(0, 0, QSizePolicy::Expanding, QSizePolicy::Minimum));
        outer->addLayout(top);

        auto* middle = new QVBoxLayout;
        middle->setObjectName(QStringLiteral("verticalLayout"));
        middle->setContentsMargins(12, 12, 12, 12);
        credits = new QTextEdit(dialog);
        credits->setObjectName(QStringLiteral("textEditCredits"));
        credits->setMaximumHeight(150);
        credits->setFrameShape(QFrame::NoFrame);
        credits->setTextInteractionFlags(Qt::NoTextInteraction);
        credits->setFocusPolicy(Qt::NoFocus);
        middle->addWidget(credits);
        outer->addLayout(middle);

        bottom = new QHBoxLayout;
        bottom->setObjectName(QStringLiteral("horizontalLayout_bottom"));
        bottom->setContentsMargins(12, 12, 12, 12);
        copyright = new QLabel(dialog);
        copyright->setObjectName(QStringLiteral("labelCopyright"));
        copyright->setFont(small);
        bottom->addWidget(copyright);
        auto* buttons = new QDialogButtonBox(QDialogButtonBox::Close, Qt::Horizontal, dialog);
        buttons->setObjectName(QStringLiteral("buttonBox"));
        close = buttons->button(QDialogButtonBox::Close);
        close->setDefault(true);
        bottom->addWidget(buttons);
        outer->addLayout(bottom);
        QObject::connect(buttons, &QDialogButtonBox::accepted, dialog, &QDialog::close);
        QObject::connect(buttons, &QDialogButtonBox::rejected, dialog, &QDialog::close);
    }

    void buildGraphics(QWidget* dialog)
    {
        icon = QIcon(QStringLiteral(":/about/kw-icon_512.png"));
        auto fade = [](QLinearGradient& g, int from, int to) {
            g.setStart(0, 0);
            g.setFinalStop(0, 1);
            g.setCoordinateMode(QGradient::ObjectMode);
            g.setColorAt(0.0, QColor(0, 0, 0, from));
            g.setColorAt(1.0, QColor(0, 0, 0, to));
        };
        fade(headerShadow, 32, 0);
        fade(headerEdge, 38, 0);
        fade(footerShadow, 0, 19);
        fade(footerEdge, 0, 25);
        for (const auto& [at, alpha] : {std::pair{0.0, 91}, {0.4, 60}, {0.6, 26}, {0.75, 10}, {1.0, 0}})
            halo.setColorAt(at, QColor(45, 41, 38, alpha));

        iconLabel = new QLabel(dialog);
        const QPixmap iconPixmap = icon.pixmap(QSize(72, 72), dialog->devicePixelRatioF(), QIcon::Normal, QIcon::Off);
        const qreal ratio = iconPixmap.devicePixelRatio();
        const int side = int(std::lround(124 * ratio));
        QPixmap composed(side, side);
        composed.setDevicePixelRatio(ratio);
        composed.fill(Qt::transparent);
        {
            QPainter p(&composed);
            p.fillRect(haloRect, halo);
            p.drawPixmap(QRect(26, 21, 72, 72), iconPixmap);
        }
        iconLabel->setPixmap(composed);
        iconLabel->resize(124, 124);
        iconLabel->setMargin(0);
    }
};

AboutDialog::AboutDialog(QWidget* parent)
    : QDialog(parent)
    , m_form(std::make_unique<Form>())
{
    setWindowFlags(windowFlags() & ~Qt::WindowContextHelpButtonHint);
    Form& f = *m_form;
    f.build(this);
    setWindowTitle(tr("About %1").arg(QGuiApplication::applicationDisplayName()));

    QPalette palette = this->palette();
    palette.setColor(QPalette::Window, Qt::white);
    setPalette(palette);
    QPalette creditsPalette = f.credits->palette();
    creditsPalette.setColor(QPalette::Base, Qt::white);
    creditsPalette.setColor(QPalette::Text, Qt::black);
    f.credits->setPalette(creditsPalette);
    f.credits->verticalScrollBar()->setAttribute(Qt::WA_OpaquePaintEvent, false);

    f.version->setText(tr("Quillmere %1 (%2)")
                           .arg(BuildVersion::projectVersion(), BuildVersion::releaseTag(BuildVersion::description())));
    f.copyright->setText(tr("Made by the Quillmere developers."));

    QFile file(QStringLiteral(":/about/Credits.html"));
    if (file.open(QIODevice::ReadOnly | QIODevice::Text))
        f.credits->setHtml(fillCredits(QString::fromUtf8(file.readAll())));

    f.buildGraphics(this);
}

AboutDialog::~AboutDialog() = default;

QString AboutDialog::fillCredits(QString html)
{
    const QString description = BuildVersion::description();
    const QList<std::pair<QString, QString>> placeholders = {
        {QStringLiteral("%QUILLMERE_APP_NAME%"), QStringLiteral("Quillmere")},
        {QStringLiteral("%QUILLMERE_GIT_DESCRIBE%"), BuildVersion::releaseTag(description)},
        {QStringLiteral("%QUILLMERE_GIT_HASH%"), BuildVersion::commitName(description, BuildVersion::commit())},
        {QStringLiteral("%QUILLMERE_ARCH%"), tr("Built for %1").arg(QSysInfo::buildCpuArchitecture())},
        {QStringLiteral("%QT_VERSION_STR%"), QString::fromLatin1(qVersion())},
        {QStringLiteral("%OPENSSL_VERSION_TEXT%"), LibraryVersions::openSsl()},
        {QStringLiteral("%AVCODEC_VERSION_TEXT%"),
         tr("avcodec version: %1.%2.%3")
             .arg(LibraryVersions::avcodecMajor())
             .arg(LibraryVersions::avcodecMinor())
             .arg(LibraryVersions::avcodecMicro())},
    };
    for (const auto& [key, value] : placeholders)
        html.replace(key, value, Qt::CaseSensitive);
    return html;
}

void AboutDialog::resizeEvent(QResizeEvent* event)
{
    QDialog::resizeEvent(event);
    const int h = m_form->top->geometry().height() - 1;
    m_form->iconLabel->move(29, h - 72);
}

void AboutDialog::showEvent(QShowEvent* event)
{
    QDialog::showEvent(event);
    m_form->credits->verticalScrollBar()->triggerAction(QAbstractSlider::SliderToMinimum);
    m_form->iconLabel->show();
    // Raised again from the menu, the box takes the keyboard back, so that
    // Return and Esc close it.
    m_form->close->setFocus(Qt::ActiveWindowFocusReason);
}

void AboutDialog::paintEvent(QPaintEvent*)
{
    const Form& f = *m_form;
    const int W = width();
    const int H = height();
    const int hb = f.bottom->geometry().height();
    const int ht = f.top->geometry().height();
    QPainter p(this);
    p.fillRect(QRect(0, H - hb, W, hb), QColor(0x97, 0x94, 0x8f));
    p.fillRect(QRect(0, H - hb - 12, W, 12), f.footerShadow);
    p.fillRect(QRect(0, H - hb - 2, W, 2), f.footerEdge);
    p.fillRect(QRect(0, ht, W, 12), f.headerShadow);
    p.fillRect(QRect(0, ht, W, 2), f.headerEdge);
    p.fillRect(QRect(0, 0, W, ht), QColor(0x63, 0x60, 0x5c));
}

} // namespace UI
