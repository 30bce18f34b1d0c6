#include "TestSupport.h"

#include "WidgetPixels.h"

#include "canvas/ControlsBar.h"
#include "canvas/ControlsBarIndicator.h"
#include "canvas/ControlsBarToolButton.h"
#include "canvas/DrawingArea.h"
#include "settings/Settings.h"

#include <QHBoxLayout>
#include <QPointingDevice>
#include <QSignalSpy>
#include <QTabletEvent>
#include <QTemporaryFile>

namespace {

QPointingDevice const* pen()
{
    static QPointingDevice const device(
        QStringLiteral("test pen"), 4242, QInputDevice::DeviceType::Stylus,
        QPointingDevice::PointerType::Pen,
        QInputDevice::Capability::Position | QInputDevice::Capability::Pressure, 1, 3);
    return &device;
}

void sendTablet(QWidget* widget, QEvent::Type type, quint64 time)
{
    QPointF const at(10, 10);
    Qt::MouseButton const button = type == QEvent::TabletMove ? Qt::NoButton : Qt::LeftButton;
    Qt::MouseButtons const buttons = type == QEvent::TabletPress ? Qt::LeftButton : Qt::NoButton;
    QTabletEvent event(type, pen(), at, widget->mapToGlobal(at), 0.5, 0, 0, 0, 0, 0,
                       Qt::NoModifier, button, buttons);
    event.setTimestamp(time);
    QApplication::sendEvent(widget, &event);
}

void sendMouse(QWidget* widget, QEvent::Type type, quint64 time)
{
    QPointF const at(10, 10);
    QMouseEvent event(type, at, widget->mapToGlobal(at), Qt::LeftButton,
                      type == QEvent::MouseButtonPress ? Qt::LeftButton : Qt::NoButton,
                      Qt::NoModifier);
    event.setTimestamp(time);
    QApplication::sendEvent(widget, &event);
}

QString svgFile(QTemporaryFile& file)
{
    file.open();
    file.write("<svg xmlns='http://www.w3.org/2000/svg' width='32' height='32' viewBox='0 0 32 32'>"
               "<rect width='32' height='32' fill='#ff0000'/></svg>");
    file.close();
    return file.fileName();
}


} // namespace

class TestControlsBar : public QObject
{
    Q_OBJECT

private slots:
    void cleanup();
    void sizesFollowTheInterfaceScale_data();
    void sizesFollowTheInterfaceScale();
    void barIsTranslucent();
    void aPenTapTriggersTheButtonOnce();
    void hiddenIndicatorKeepsItsPlace();
    void drawingAreaReportsItsEdges();
};

void TestControlsBar::cleanup()
{
    Model::Settings::instance()->setUIScalePercent(100);
}

void TestControlsBar::sizesFollowTheInterfaceScale_data()
{
    QTest::addColumn<int>("percent");
    QTest::addColumn<int>("height");
    QTest::addColumn<int>("minimumWidth");
    QTest::addColumn<int>("indicator");

    QTest::newRow("100 %") << 100 << 44 << 750 << 32;
    QTest::newRow("125 %") << 125 << 55 << 937 << 40;
    QTest::newRow("75 %") << 75 << 33 << 562 << 24;
}

void TestControlsBar::sizesFollowTheInterfaceScale()
{
    QFETCH(int, percent);
    QFETCH(int, height);
    QFETCH(int, minimumWidth);
    QFETCH(int, indicator);

    QTemporaryFile file;
    UI::ControlsBar bar(nullptr);
    UI::ControlsBarIndicator light(svgFile(file), &bar);
    Model::Settings::instance()->setUIScalePercent(percent);
    bar.updateUISize();
    light.updateUISize();
    QCOMPARE(bar.height(), height);
    QCOMPARE(bar.minimumWidth(), minimumWidth);
    QCOMPARE(light.size(), QSize(indicator, indicator));
}

void TestControlsBar::barIsTranslucent()
{
    // A child of the canvas, which shows through it.
    QWidget canvas;
    UI::ControlsBar bar(&canvas);
    bar.resize(800, 44);
    QImage const image = WidgetPixels::paintedAlone(bar);
    QColor const inside = image.pixelColor(400, 20);
    QCOMPARE(inside.alpha(), 191);
    QVERIFY2(qAbs(inside.red() - 45) <= 1 && qAbs(inside.green() - 41) <= 1
                 && qAbs(inside.blue() - 38) <= 1,
             qPrintable(inside.name()));
    QCOMPARE(image.pixelColor(400, 0), QColor(60, 56, 52));
}

void TestControlsBar::aPenTapTriggersTheButtonOnce()
{
    UI::ControlsBarToolButton button(nullptr);
    button.resize(32, 32);
    QSignalSpy clicked(&button, &QAbstractButton::clicked);

    // The pen's press and release, then the system's mouse copies of both.
    sendTablet(&button, QEvent::TabletPress, 1000);
    sendTablet(&button, QEvent::TabletRelease, 1040);
    sendMouse(&button, QEvent::MouseButtonPress, 1003);
    sendMouse(&button, QEvent::MouseButtonRelease, 1043);
    QCOMPARE(clicked.size(), 1);

    // Two mouse clicks ten or more milliseconds apart both count.
    sendMouse(&button, QEvent::MouseButtonPress, 2000);
    sendMouse(&button, QEvent::MouseButtonRelease, 2005);
    sendMouse(&button, QEvent::MouseButtonPress, 2015);
    sendMouse(&button, QEvent::MouseButtonRelease, 2020);
    QCOMPARE(clicked.size(), 3);
}

void TestControlsBar::hiddenIndicatorKeepsItsPlace()
{
    QTemporaryFile file;
    QString const svg = svgFile(file);
    UI::ControlsBar bar(nullptr);
    auto* layout = new QHBoxLayout(&bar);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    auto* mirror = new UI::ControlsBarIndicator(svg, &bar);
    auto* backlight = new UI::ControlsBarIndicator(svg, &bar);
    layout->addWidget(mirror);
    layout->addWidget(backlight);
    layout->addStretch();
    bar.resize(800, 44);
    bar.show();
    QVERIFY(QTest::qWaitForWindowExposed(&bar));

    backlight->setIndicatorVisible(true);
    QCOMPARE(mirror->geometry(), QRect(0, 6, 32, 32));
    QCOMPARE(backlight->geometry(), QRect(32, 6, 32, 32));
    QImage const image = bar.grab().toImage();
    QCOMPARE(image.pixelColor(48, 20).rgb(), QColor(Qt::red).rgb());
    QVERIFY(image.pixelColor(16, 20).rgb() != QColor(Qt::red).rgb());
}

void TestControlsBar::drawingAreaReportsItsEdges()
{
    QWidget window;
    window.resize(400, 300);
    UI::DrawingArea area(&window);
    area.setGeometry(50, 20, 200, 101);
    window.show();
    QVERIFY(QTest::qWaitForWindowExposed(&window));
    QCOMPARE(area.leftCenter(), window.mapToGlobal(QPoint(50, 70)));
    QCOMPARE(area.rightCenter(), window.mapToGlobal(QPoint(250, 70)));

    QSignalSpy edges(&area, &UI::DrawingArea::leftAndRightCenterMoved);
    QSignalSpy topLeft(&area, &UI::DrawingArea::topLeftMoved);
    area.resize(220, 101);
    QCOMPARE(edges.size(), 1);
    QCOMPARE(topLeft.size(), 0);
    area.move(60, 20);
    QCOMPARE(edges.size(), 2);
    QCOMPARE(topLeft.size(), 1);
    QCOMPARE(edges.last().at(0).toPoint(), window.mapToGlobal(QPoint(60, 70)));
}

QUILLMERE_TEST_MAIN(TestControlsBar)

#include "tst_controlsbar.moc"
