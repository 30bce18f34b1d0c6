// The application style over the platform's style (Fusion here): scroll-bar
// thickness and slider geometry of the exposure sheet's and the action
// list's bars compared with the base style's, shortcut texts with an
// ampersand, and the empty areas of the exposure sheet's header and footer.
#include "TestSupport.h"

#include "settings/Settings.h"
#include "startup/Init.h"
#include "style/KWProxyStyle.h"
#include "xsheet/XSheetFooter.h"

#include <QHeaderView>
#include <QPainter>
#include <QScrollBar>
#include <QStyleFactory>
#include <QStyleOption>

namespace {

QImage blank(QSize size)
{
    QImage image(size, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::white);
    return image;
}

QStyleOptionSlider sliderOption(Qt::Orientation orientation, QSize size, int minimum, int maximum,
                                int pageStep, int value)
{
    QStyleOptionSlider option;
    option.orientation = orientation;
    option.rect = QRect(QPoint(0, 0), size);
    option.minimum = minimum;
    option.maximum = maximum;
    option.pageStep = pageStep;
    option.sliderPosition = value;
    option.sliderValue = value;
    return option;
}

} // namespace

class TestKWProxyStyle : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void scrollBarThickness_data();
    void scrollBarThickness();
    void sliderGeometry_data();
    void sliderGeometry();
    void barsHaveNoArrowButtons();
    void shortcutAmpersandIsShown();
    void headerEmptyAreaBands();
    void footerPaintsItsOwnEmptyArea();
    void otherHeadersKeepTheBaseStyle();

private:
    QStyle* fusion() const { return QStyleFactory::create(QStringLiteral("Fusion")); }
};

void TestKWProxyStyle::initTestCase()
{
    Model::init();
}

void TestKWProxyStyle::scrollBarThickness_data()
{
    QTest::addColumn<QString>("property");
    QTest::addColumn<int>("difference");
    QTest::newRow("exposure sheet") << "X-Sheet ScrollBar" << 2;
    QTest::newRow("action list") << "ActionsList ScrollBar" << -8;
    QTest::newRow("any other bar") << "" << 0;
}

void TestKWProxyStyle::scrollBarThickness()
{
    QFETCH(QString, property);
    QFETCH(int, difference);
    std::unique_ptr<QStyle> base(fusion());
    int const baseExtent = base->pixelMetric(QStyle::PM_ScrollBarExtent);
    UI::KWProxyStyle style(fusion());
    QScrollBar bar;
    if (!property.isEmpty())
        bar.setProperty(property.toLatin1().constData(), true);
    QCOMPARE(style.pixelMetric(QStyle::PM_ScrollBarExtent, nullptr, &bar), baseExtent + difference);
    // Every other metric is the base style's.
    QCOMPARE(style.pixelMetric(QStyle::PM_SliderLength, nullptr, &bar),
             base->pixelMetric(QStyle::PM_SliderLength, nullptr, &bar));
}

void TestKWProxyStyle::sliderGeometry_data()
{
    QTest::addColumn<QString>("property");
    QTest::addColumn<int>("orientation");
    QTest::addColumn<int>("maximum");
    QTest::addColumn<int>("pageStep");
    QTest::addColumn<int>("value");
    QTest::addColumn<QRect>("expected");
    // A bar 200 long and 16 thick; length x page / (range + page).
    QTest::newRow("sheet, vertical, middle") << "X-Sheet ScrollBar" << int(Qt::Vertical) << 300 << 100 << 150
                                             << QRect(QPoint(4, 75 + 2), QPoint(16 - 5, 75 + 50 - 3));
    QTest::newRow("sheet, horizontal, start") << "X-Sheet ScrollBar" << int(Qt::Horizontal) << 300 << 100 << 0
                                              << QRect(QPoint(2, 4), QPoint(50 - 3, 16 - 5));
    QTest::newRow("sheet, no range: as long as the bar")
        << "X-Sheet ScrollBar" << int(Qt::Vertical) << 0 << 100 << 0 << QRect(QPoint(4, 2), QPoint(11, 197));
    QTest::newRow("list, vertical, end") << "ActionsList ScrollBar" << int(Qt::Vertical) << 300 << 100 << 300
                                         << QRect(0, 150, 16, 50);
    QTest::newRow("list, page step 0: no slider")
        << "ActionsList ScrollBar" << int(Qt::Horizontal) << 300 << 0 << 0 << QRect(0, 0, 0, 16);
}

void TestKWProxyStyle::sliderGeometry()
{
    QFETCH(QString, property);
    QFETCH(int, orientation);
    QFETCH(int, maximum);
    QFETCH(int, pageStep);
    QFETCH(int, value);
    QFETCH(QRect, expected);
    UI::KWProxyStyle style(fusion());
    QScrollBar bar;
    bar.setProperty(property.toLatin1().constData(), true);
    QSize const size = orientation == Qt::Vertical ? QSize(16, 200) : QSize(200, 16);
    QStyleOptionSlider const option = sliderOption(Qt::Orientation(orientation), size, 0, maximum, pageStep, value);
    QCOMPARE(style.subControlRect(QStyle::CC_ScrollBar, &option, QStyle::SC_ScrollBarSlider, &bar), expected);
    QCOMPARE(style.subControlRect(QStyle::CC_ScrollBar, &option, QStyle::SC_ScrollBarGroove, &bar),
             option.rect);
}

void TestKWProxyStyle::barsHaveNoArrowButtons()
{
    UI::KWProxyStyle style(fusion());
    std::unique_ptr<QStyle> base(fusion());
    QScrollBar bar;
    QStyleOptionSlider const option = sliderOption(Qt::Vertical, QSize(16, 200), 0, 300, 100, 150);
    QVERIFY(!base->subControlRect(QStyle::CC_ScrollBar, &option, QStyle::SC_ScrollBarAddLine, &bar).isEmpty());
    bar.setProperty("X-Sheet ScrollBar", true);
    for (auto control : {QStyle::SC_ScrollBarAddLine, QStyle::SC_ScrollBarSubLine, QStyle::SC_ScrollBarFirst,
                         QStyle::SC_ScrollBarLast})
        QVERIFY(style.subControlRect(QStyle::CC_ScrollBar, &option, control, &bar).isEmpty());
}

void TestKWProxyStyle::shortcutAmpersandIsShown()
{
    UI::KWProxyStyle style(fusion());
    std::unique_ptr<QStyle> base(fusion());
    QWidget menu;
    QStyleOptionMenuItem option;
    option.initFrom(&menu);
    option.rect = QRect(0, 0, 220, 24);
    option.menuItemType = QStyleOptionMenuItem::Normal;
    option.maxIconWidth = 16;
    option.text = QStringLiteral("&Add Layer\tShift+&N");
    auto const draw = [&](QStyle const& s, QString const& text) {
        QImage image = blank(option.rect.size());
        QStyleOptionMenuItem copy = option;
        copy.text = text;
        QPainter painter(&image);
        s.drawControl(QStyle::CE_MenuItem, &copy, &painter, &menu);
        return image;
    };
    QImage const ours = draw(style, option.text);
    // The mnemonic stays in the label; the shortcut's ampersand is shown.
    QCOMPARE(ours, draw(*base, QStringLiteral("&Add Layer\tShift+&&N")));
    // Without a tab nothing changes.
    QCOMPARE(draw(style, QStringLiteral("&Add Layer")), draw(*base, QStringLiteral("&Add Layer")));
}

void TestKWProxyStyle::headerEmptyAreaBands()
{
    Model::Settings::instance()->setUIScalePercent(150);
    UI::KWProxyStyle style(fusion());
    QHeaderView header(Qt::Horizontal);
    header.setProperty("X-Sheet Header", true);
    QStyleOption option;
    option.rect = QRect(0, 0, 40, 70);
    QImage image = blank(option.rect.size());
    {
        QPainter painter(&image);
        style.drawControl(QStyle::CE_HeaderEmptyArea, &option, &painter, &header);
    }
    Model::Settings::instance()->setUIScalePercent(100);
    QRgb const line = qRgb(0x3C, 0x38, 0x34);
    // Lines at the top, at the bottom and under the 42-pixel upper band.
    QCOMPARE(image.pixel(20, 0), line);
    QCOMPARE(image.pixel(20, 69), line);
    QCOMPARE(image.pixel(20, 42), line);
    QVERIFY(image.pixel(20, 41) != line);
    QVERIFY(image.pixel(20, 43) != line);
}

void TestKWProxyStyle::footerPaintsItsOwnEmptyArea()
{
    UI::KWProxyStyle style(fusion());
    UI::XSheetFooter footer;
    QStyleOption option;
    option.rect = QRect(0, 0, 40, footer.height());
    QImage image = blank(option.rect.size());
    {
        QPainter painter(&image);
        style.drawControl(QStyle::CE_HeaderEmptyArea, &option, &painter, &footer);
    }
    QRgb const line = qRgb(0x72, 0x6E, 0x6B);
    QCOMPARE(image.pixel(10, 0), line);
    QCOMPARE(image.pixel(10, footer.stripHeight()), line);
    QVERIFY(image.pixel(10, footer.stripHeight() + 3) != line);
}

void TestKWProxyStyle::otherHeadersKeepTheBaseStyle()
{
    UI::KWProxyStyle style(fusion());
    std::unique_ptr<QStyle> base(fusion());
    QHeaderView header(Qt::Horizontal);
    QStyleOption option;
    option.initFrom(&header);
    option.rect = QRect(0, 0, 40, 30);
    QImage ours = blank(option.rect.size());
    QImage theirs = blank(option.rect.size());
    {
        QPainter painter(&ours);
        style.drawControl(QStyle::CE_HeaderEmptyArea, &option, &painter, &header);
    }
    {
        QPainter painter(&theirs);
        base->drawControl(QStyle::CE_HeaderEmptyArea, &option, &painter, &header);
    }
    QCOMPARE(ours, theirs);
}

QUILLMERE_TEST_MAIN(TestKWProxyStyle)
#include "tst_kwproxystyle.moc"
