#include "TestSupport.h"

#include "panels/Palette.h"

#include <QtMath>

using UI::Palette;

namespace {

// Every palette here is 400 x 400: centre (200, 200), ring 67.2..90, opacity
// arc out to 112, swatches from 144 to 166.8.
constexpr double side = 400;
const QPointF centre(200, 200);

QPointF atScreenAngle(double degrees, double radius)
{
    const double a = qDegreesToRadians(degrees);
    return centre + radius * QPointF(std::cos(a), std::sin(a));
}

void mouse(Palette& p, QEvent::Type type, QPointF pos)
{
    const Qt::MouseButton button = type == QEvent::MouseMove ? Qt::NoButton : Qt::LeftButton;
    const Qt::MouseButtons buttons = type == QEvent::MouseButtonRelease ? Qt::NoButton
                                                                        : Qt::LeftButton;
    QMouseEvent event(type, pos, p.mapToGlobal(pos), button, buttons, Qt::NoModifier);
    QApplication::sendEvent(&p, &event);
}

void click(Palette& p, QPointF pos)
{
    mouse(p, QEvent::MouseButtonPress, pos);
    mouse(p, QEvent::MouseButtonRelease, pos);
}

// The widget point of a field point, found through the palette's own frame.
QPointF fieldPoint(const Palette& p, QPointF field)
{
    // The frame is affine: three points fix it.
    const QPointF o = p.toField(QPointF(0, 0));
    const QPointF ex = p.toField(QPointF(1, 0)) - o;
    const QPointF ey = p.toField(QPointF(0, 1)) - o;
    const QPointF v = field - o;
    const double det = ex.x() * ey.y() - ex.y() * ey.x();
    return QPointF((v.x() * ey.y() - v.y() * ey.x()) / det,
                   (ex.x() * v.y() - ex.y() * v.x()) / det);
}

// Colours compared by value: the palette hands out HSL colours.
QList<QRgb> rgbas(const QList<QColor>& colours)
{
    QList<QRgb> values;
    for (const QColor& c : colours)
        values += c.rgba();
    return values;
}

std::unique_ptr<Palette> makePalette()
{
    auto p = std::make_unique<Palette>();
    p->resize(int(side), int(side));
    QResizeEvent resize(p->size(), QSize());
    QApplication::sendEvent(p.get(), &resize);
    return p;
}

} // namespace

class TestPalette : public QObject
{
    Q_OBJECT

private slots:
    void startsOpaqueRed()
    {
        auto p = makePalette();
        QCOMPARE(p->color().rgba(), QColor(255, 0, 0).rgba());
        QCOMPARE(p->innerRadius(), 0.168 * side);
        QCOMPARE(p->outerRadius(), 0.225 * side);
        // The marker sits on the hue vertex, which points at the hue's place.
        QVERIFY(QLineF(p->fieldIndicator(), atScreenAngle(0, p->innerRadius() - 0.01)).length()
                < 1e-6);
    }

    void hueRing_data()
    {
        QTest::addColumn<double>("degrees");
        QTest::addColumn<double>("radius");
        QTest::addColumn<double>("hue");
        QTest::newRow("green below") << 120.0 << 80.0 << 1.0 / 3;
        QTest::newRow("blue on the inner edge") << 240.0 << 0.168 * side << 2.0 / 3;
        QTest::newRow("cyan on the outer edge") << 180.0 << 0.225 * side << 0.5;
    }

    void hueRing()
    {
        QFETCH(double, degrees);
        QFETCH(double, radius);
        QFETCH(double, hue);
        auto p = makePalette();
        click(*p, atScreenAngle(degrees, radius));
        const QColor c = p->color();
        QVERIFY2(qAbs(c.hslHueF() - hue) < 0.01, qPrintable(QString::number(c.hslHueF())));
        QVERIFY(qAbs(c.hslSaturationF() - 1) < 1e-3);
        QVERIFY(qAbs(c.lightnessF() - 0.5) < 1e-3);
        // The hue follows the pointer anywhere while dragging.
        mouse(*p, QEvent::MouseButtonPress, atScreenAngle(degrees, radius));
        mouse(*p, QEvent::MouseMove, atScreenAngle(180, 10));
        mouse(*p, QEvent::MouseButtonRelease, atScreenAngle(180, 10));
        QVERIFY(qAbs(p->color().hslHueF() - 0.5) < 0.01);
    }

    void triangle()
    {
        auto p = makePalette();
        // Inside the triangle the frame's coordinates are the colour.
        const QPointF target = fieldPoint(*p, QPointF(0.5, 0.4));
        mouse(*p, QEvent::MouseButtonPress, target);
        mouse(*p, QEvent::MouseButtonRelease, target);
        const QColor c = p->color();
        // Pixel rounding of the press moves the point by at most half a pixel.
        QVERIFY2(qAbs(c.hslSaturationF() - 0.5) < 0.02, qPrintable(c.name()));
        QVERIFY2(qAbs(c.lightnessF() - 0.4) < 0.02, qPrintable(c.name()));
        QCOMPARE(c.hslHueF(), 0.0f);
        QVERIFY(QLineF(p->fieldIndicator(), target).length() < 1.5);
    }

    void fieldProjectsOntoEdges_data()
    {
        QTest::addColumn<QPointF>("field");
        QTest::addColumn<double>("saturation");
        QTest::addColumn<double>("lightness");
        QTest::newRow("beyond the black-hue edge") << QPointF(1.0, 0.3) << 0.92 << 0.46;
        QTest::newRow("beyond the white-hue edge") << QPointF(0.8, 0.9) << 0.68 << 0.66;
        QTest::newRow("beyond the black-white edge") << QPointF(-0.5, 0.5) << 0.0 << 0.5;
        QTest::newRow("past the hue vertex") << QPointF(1.5, 0.5) << 1.0 << 0.5;
        QTest::newRow("below black") << QPointF(-0.2, -0.3) << 0.0 << 0.0;
    }

    void fieldProjectsOntoEdges()
    {
        QFETCH(QPointF, field);
        QFETCH(double, saturation);
        QFETCH(double, lightness);
        auto p = makePalette();
        const QPointF outside = fieldPoint(*p, field);
        mouse(*p, QEvent::MouseButtonPress, centre);
        mouse(*p, QEvent::MouseMove, outside);
        mouse(*p, QEvent::MouseButtonRelease, outside);
        const QColor c = p->color();
        QVERIFY2(qAbs(c.hslSaturationF() - saturation) < 0.03,
                 qPrintable(QString::number(c.hslSaturationF())));
        QVERIFY2(qAbs(c.lightnessF() - lightness) < 0.03,
                 qPrintable(QString::number(c.lightnessF())));
        // QColor keeps 16 bits per channel.
        QVERIFY(c.lightnessF() >= c.hslSaturationF() / 2 - 1e-3);
        QVERIFY(c.lightnessF() <= 1 - c.hslSaturationF() / 2 + 1e-3);
    }

    void opacityArc_data()
    {
        QTest::addColumn<double>("degrees");
        QTest::addColumn<double>("opacity"); // -1: the press is ignored
        QTest::newRow("opaque end") << 250.0 << 1.0;
        QTest::newRow("middle") << 205.0 << 0.5;
        QTest::newRow("clear end") << 160.0 << 0.0;
        QTest::newRow("just before the clear end") << 152.0 << 0.0;
        QTest::newRow("well before the clear end") << 150.0 << -1.0;
        QTest::newRow("just after the opaque end") << 267.0 << 1.0;
        QTest::newRow("middle of the tab") << 270.0 << -1.0;
    }

    void opacityArc()
    {
        QFETCH(double, degrees);
        QFETCH(double, opacity);
        auto p = makePalette();
        p->setColor(QColor(0, 128, 255, 77));
        const QColor before = p->color();
        const QPointF onArc = atScreenAngle(degrees, 100);
        mouse(*p, QEvent::MouseButtonPress, onArc);
        // A refused press starts no drag: the move does nothing either.
        mouse(*p, QEvent::MouseMove, atScreenAngle(205, 100));
        mouse(*p, QEvent::MouseButtonRelease, atScreenAngle(205, 100));
        if (opacity < 0) {
            QCOMPARE(p->color().rgba(), before.rgba());
            return;
        }
        QVERIFY(qAbs(p->color().alphaF() - 0.5) < 0.01);
        click(*p, onArc);
        QVERIFY2(qAbs(p->color().alphaF() - opacity) < 0.01,
                 qPrintable(QString::number(p->color().alphaF())));
        QCOMPARE(p->color().hslHue(), before.hslHue());
    }

    void swatchesStoreAndRestore()
    {
        auto p = makePalette();
        const QList<QColor> initial = p->swatchColors();
        QCOMPARE(initial.size(), 10);
        QCOMPARE(initial.first().rgba(), QColor(0x694771).rgba());
        const auto swatchPoint = [](int i) { return atScreenAngle(15.0 * i, 155); };

        // Pressing one swatch and releasing over another chooses nothing.
        mouse(*p, QEvent::MouseButtonPress, swatchPoint(2));
        mouse(*p, QEvent::MouseButtonRelease, swatchPoint(3));
        QCOMPARE(p->color().rgba(), QColor(255, 0, 0).rgba());
        QCOMPARE(rgbas(p->swatchColors()), rgbas(initial));

        // The chosen colour becomes current and moves to the front.
        click(*p, swatchPoint(3));
        QCOMPARE(p->color().rgba(), QColor(0xFFCB58).rgba());
        QList<QColor> expected = initial;
        expected.move(3, 0);
        QCOMPARE(rgbas(p->swatchColors()), rgbas(expected));

        // Swatch 0 keeps the order; the gap between swatches chooses nothing.
        p->setColor(Qt::blue);
        click(*p, swatchPoint(0));
        QCOMPARE(p->color().rgba(), QColor(0xFFCB58).rgba());
        QCOMPARE(rgbas(p->swatchColors()), rgbas(expected));
        p->setColor(Qt::blue);
        click(*p, atScreenAngle(7.5, 155));
        QCOMPARE(p->color().rgba(), QColor(Qt::blue).rgba());
    }

    void colorProperty()
    {
        auto p = makePalette();
        const QColor grey(128, 128, 128, 200);
        QVERIFY(p->setProperty("color", grey));
        QCOMPARE(p->property("color").value<QColor>().rgba(), grey.rgba());
        QCOMPARE(p->color().hslHueF(), -1.0f);
        const QColor teal(0, 128, 128);
        p->setColor(teal);
        QCOMPARE(p->color().rgba(), teal.rgba());
    }

    void widerThanHighKeepsACircle()
    {
        Palette p;
        p.resize(600, 400);
        QResizeEvent resize(p.size(), QSize());
        QApplication::sendEvent(&p, &resize);
        QCOMPARE(p.outerRadius(), 0.225 * 400);
        // A ring press right of the horizontal centre 300.
        click(p, QPointF(300 + 80, 200));
        QVERIFY(qAbs(p.color().hslHueF()) < 0.01);
        click(p, QPointF(300, 200 + 80));
        QVERIFY(qAbs(p.color().hslHueF() - 0.25) < 0.01);
    }

    void paintsTheRingAndTheSwatches()
    {
        auto p = makePalette();
        const QImage image = p->grab().toImage();
        const QColor ringRight = image.pixelColor(atScreenAngle(0, 80).toPoint());
        QVERIFY2(ringRight.red() > 200 && ringRight.green() < 60, qPrintable(ringRight.name()));
        const QColor swatch0 = image.pixelColor(atScreenAngle(0, 155).toPoint());
        QCOMPARE(swatch0.rgb(), QColor(0x694771).rgb());
    }
};

QUILLMERE_TEST_MAIN(TestPalette)
#include "tst_palette.moc"
