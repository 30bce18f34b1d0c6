#include "TestSupport.h"

#include "PenEvents.h"

#include "canvas/TextBubble.h"
#include "panels/ToolSliders.h"
#include "startup/Init.h"
#include "startup/UIInit.h"
#include "tools/DrawingTool.h"
#include "tools/ToolManager.h"

#include <QScopeGuard>
#include <QSignalSpy>

using UI::ToolSliders;

namespace {

Model::DrawingTool* toolOf(Model::Tool::Type type)
{
    return qobject_cast<Model::DrawingTool*>(Model::ToolManager::instance()->tool(type));
}

// At scale 1 the rows are 195 pixels wide from x = 11; the size row spans y
// 46..70, the opacity row 91..115.
constexpr int sizeY = 58;
constexpr int opacityY = 103;

int pixelOf(double percent)
{
    return 11 + int(195 * percent / 100);
}

} // namespace

class TestToolSliders : public QObject
{
    Q_OBJECT

    quint64 clock = 1000;

private slots:
    void initTestCase()
    {
        Model::init();
        UI::init();
    }

    void init()
    {
        for (auto type : {Model::Tool::Draw, Model::Tool::Erase}) {
            toolOf(type)->setSizeRangePercent(20, 60);
            toolOf(type)->setOpacityRangePercent(30, 80);
        }
    }

    void valueToPixel_data()
    {
        QTest::addColumn<double>("value");
        QTest::addColumn<int>("pixel");
        QTest::newRow("min") << 0.0 << 11;
        QTest::newRow("below min") << -5.0 << 11;
        QTest::newRow("middle truncates") << 50.0 << 11 + 97;
        QTest::newRow("a third") << 33.3 << 11 + 64;
        QTest::newRow("max") << 100.0 << 206;
        QTest::newRow("above max") << 105.0 << 206;
    }

    void valueToPixel()
    {
        QFETCH(double, value);
        QFETCH(int, pixel);
        ToolSliders sliders(Model::Tool::Draw);
        QCOMPARE(sliders.size(), QSize(217, 127));
        QCOMPARE(sliders.sizeValueToPixel(value), pixel);
        QCOMPARE(sliders.opacityValueToPixel(value), pixel);
    }

    void pixelToValue_data()
    {
        QTest::addColumn<int>("pixel");
        QTest::addColumn<double>("value");
        QTest::newRow("left of the row") << 5 << 0.0;
        QTest::newRow("row start") << 11 << 0.0;
        QTest::newRow("inside, not rounded") << 108 << 97 * 100.0 / 195;
        QTest::newRow("row end") << 206 << 100.0;
        QTest::newRow("beyond the row") << 300 << 100.0;
    }

    void pixelToValue()
    {
        QFETCH(int, pixel);
        QFETCH(double, value);
        ToolSliders sliders(Model::Tool::Draw);
        QCOMPARE(sliders.sizePixelToValue(pixel), value);
        sliders.setSizeRangeLimits(20, 40);
        QCOMPARE(sliders.sizePixelToValue(pixel), 20 + value / 5);
        // Degenerate limits put every value at the row's start.
        sliders.setSizeRangeLimits(50, 50);
        QCOMPARE(sliders.sizeValueToPixel(value), 11);
    }

    void settersClampOrderAndSignal()
    {
        ToolSliders sliders(Model::Tool::Draw);
        QSignalSpy changed(&sliders, &ToolSliders::sizeRangeChanged);
        sliders.setSizeRange(120, -3);
        QCOMPARE(sliders.sizeRangeLower(), 0.0);
        QCOMPARE(sliders.sizeRangeUpper(), 100.0);
        sliders.setSizeRange(0, 100);
        QCOMPARE(changed.count(), 1);

        QSignalSpy limits(&sliders, &ToolSliders::sizeRangeLimitsChanged);
        sliders.setSizeRangeLimits(10, 50);
        QCOMPARE(limits.count(), 1);
        QCOMPARE(sliders.sizeRangeLower(), 10.0);
        QCOMPARE(sliders.sizeRangeUpper(), 50.0);
        sliders.setSizeRangeLimits(10, 50);
        QCOMPARE(limits.count(), 1);

        // One end pushes the other; no moved signal without a drag.
        QSignalSpy moved(&sliders, &ToolSliders::sizeRangeSliderMovedMin);
        sliders.setSizeRangePositionLower(45);
        sliders.setSizeRangePositionUpper(20);
        QCOMPARE(sliders.sizeRangePositionLower(), 20.0);
        QCOMPARE(sliders.sizeRangePositionUpper(), 20.0);
        QCOMPARE(moved.count(), 0);
    }

    void hitTest_data()
    {
        QTest::addColumn<QPoint>("pos");
        QTest::addColumn<int>("handle");
        // Size ends at 20 and 60 (x 50 and 128); opacity ends at 30 and 80.
        QTest::newRow("size, near the lower end") << QPoint(60, sizeY) << 0;
        QTest::newRow("size, nearer the upper end") << QPoint(100, sizeY) << 1;
        QTest::newRow("size, left of the row") << QPoint(10, sizeY) << 4;
        QTest::newRow("size, right end of the row") << QPoint(206, sizeY) << 1;
        QTest::newRow("opacity, left of both ends") << QPoint(20, opacityY) << 2;
        QTest::newRow("opacity, right of both ends") << QPoint(200, opacityY) << 3;
        QTest::newRow("between the rows") << QPoint(100, 80) << 4;
        QTest::newRow("above the size row") << QPoint(100, 45) << 4;
        QTest::newRow("last line of the size row") << QPoint(100, 70) << 1;
    }

    void hitTest()
    {
        QFETCH(QPoint, pos);
        QFETCH(int, handle);
        ToolSliders sliders(Model::Tool::Draw);
        sliders.show();
        QCOMPARE(sliders.sizeRangeLower(), 20.0);
        QCOMPARE(sliders.handleAt(pos), handle);
        sliders.hide();
    }

    void endsOnOnePixel()
    {
        ToolSliders sliders(Model::Tool::Draw);
        sliders.setSizeRange(40, 40);
        const int x = pixelOf(40);
        QCOMPARE(sliders.handleAt(QPoint(x, sizeY)), 0);
        QCOMPARE(sliders.handleAt(QPoint(x - 3, sizeY)), 0);
        QCOMPARE(sliders.handleAt(QPoint(x + 1, sizeY)), 1);
    }

    void dragChangesTheTool_data()
    {
        QTest::addColumn<int>("toolType");
        QTest::addColumn<bool>("pen");
        QTest::addColumn<int>("fromX");
        QTest::addColumn<int>("y");
        QTest::addColumn<int>("toPercent");
        QTest::addColumn<QList<double>>("ranges"); // size lower, upper, opacity lower, upper

        for (bool pen : {false, true}) {
            const char* by = pen ? "pen" : "mouse";
            QTest::addRow("pen tool, size lower, %s", by)
                << int(Model::Tool::Draw) << pen << pixelOf(20) << sizeY << 40
                << QList<double>{40, 60, 30, 80};
            QTest::addRow("pen tool, size upper, %s", by)
                << int(Model::Tool::Draw) << pen << pixelOf(60) << sizeY << 100
                << QList<double>{20, 100, 30, 80};
            QTest::addRow("eraser, opacity lower, %s", by)
                << int(Model::Tool::Erase) << pen << pixelOf(30) << opacityY << 0
                << QList<double>{20, 60, 0, 80};
            QTest::addRow("eraser, opacity upper, %s", by)
                << int(Model::Tool::Erase) << pen << pixelOf(80) << opacityY << 40
                << QList<double>{20, 60, 30, 40};
            QTest::addRow("lower end pushes the upper, %s", by)
                << int(Model::Tool::Draw) << pen << pixelOf(20) << sizeY << 80
                << QList<double>{80, 80, 30, 80};
        }
    }

    void dragChangesTheTool()
    {
        QFETCH(int, toolType);
        QFETCH(bool, pen);
        QFETCH(int, fromX);
        QFETCH(int, y);
        QFETCH(int, toPercent);
        QFETCH(QList<double>, ranges);
        const auto type = Model::Tool::Type(toolType);
        ToolSliders sliders(type);
        sliders.show();
        Model::DrawingTool* tool = toolOf(type);
        QSignalSpy toolSize(tool, &Model::DrawingTool::sizeRangeChanged);

        // Whole-percent targets land within a pixel's worth of the value.
        PenEvents::drag(&sliders, pen, QPoint(fromX, y), QPoint(pixelOf(toPercent), y), clock);
        const QList<double> actual = {tool->sizeMinPercent(), tool->sizeMaxPercent(),
                                      tool->opacityMinPercent(), tool->opacityMaxPercent()};
        for (int i = 0; i < 4; ++i)
            QVERIFY2(qAbs(actual.at(i) - ranges.at(i)) < 0.6,
                     qPrintable(QStringLiteral("%1: %2").arg(i).arg(actual.at(i))));
        QCOMPARE(sliders.draggedHandle(), int(ToolSliders::NoHandle));
        QVERIFY(!sliders.textBubble()->isVisible());
        QCOMPARE(toolSize.isEmpty(), y != sizeY);
        sliders.hide();
    }

    void toolChangesMoveTheSliders()
    {
        ToolSliders sliders(Model::Tool::Erase);
        sliders.show();
        toolOf(Model::Tool::Erase)->setSizeRangePercent(5, 95);
        QCOMPARE(sliders.sizeRangeLower(), 5.0);
        QCOMPARE(sliders.sizeRangeUpper(), 95.0);
        sliders.hide();
        toolOf(Model::Tool::Erase)->setSizeRangePercent(10, 90);
        QCOMPARE(sliders.sizeRangeLower(), 5.0); // no longer listening
        QCOMPARE(sliders.currentToolIdx(), -1);
    }

    // The system follows a tablet press with its own mouse press within
    // 10 ms; that copy must not start a second drag.
    void mousePressRightAfterAPenPressIsDropped()
    {
        ToolSliders sliders(Model::Tool::Draw);
        sliders.show();
        clock += 100;
        QVERIFY(PenEvents::tablet(&sliders, QEvent::TabletPress, QPoint(pixelOf(60), sizeY),
                                  clock));
        QCOMPARE(sliders.draggedHandle(), int(ToolSliders::SizeUpper));
        PenEvents::mouse(&sliders, QEvent::MouseButtonPress, QPoint(pixelOf(30), opacityY),
                         clock + 9);
        QCOMPARE(sliders.draggedHandle(), int(ToolSliders::SizeUpper));
        QVERIFY(PenEvents::tablet(&sliders, QEvent::TabletRelease, QPoint(pixelOf(80), sizeY),
                                  clock + 30));
        QVERIFY(qAbs(toolOf(Model::Tool::Draw)->sizeMaxPercent() - 80) < 0.6);
        // A press 10 ms after the release counts.
        PenEvents::mouse(&sliders, QEvent::MouseButtonPress, QPoint(pixelOf(30), opacityY),
                         clock + 40);
        QCOMPARE(sliders.draggedHandle(), int(ToolSliders::OpacityLower));
        PenEvents::mouse(&sliders, QEvent::MouseButtonRelease, QPoint(pixelOf(30), opacityY),
                         clock + 60);
        clock += 100;
        sliders.hide();
    }

    void otherTabletEventsAreIgnored()
    {
        ToolSliders sliders(Model::Tool::Draw);
        QVERIFY(!PenEvents::tablet(&sliders, QEvent::TabletEnterProximity, QPoint(50, sizeY),
                                   clock));
    }

    void bubble_data()
    {
        QTest::addColumn<int>("handleX");
        QTest::addColumn<int>("y");
        QTest::addColumn<QString>("text");
        QTest::addColumn<int>("bodyLeft");
        QTest::newRow("size 40 %: 72.3 px") << pixelOf(40) << sizeY << "72.3px"
                                            << pixelOf(40) - 26;
        QTest::newRow("opacity 40 %") << pixelOf(40) << opacityY << "40%" << pixelOf(40) - 16;
        QTest::newRow("pushed right at the left end") << 11 << sizeY << "0.5px" << 5;
        QTest::newRow("pushed left at the right end") << 206 << sizeY << "180.0px"
                                                      << 206 + 5 - 60;
        QTest::newRow("opacity at the right end") << 206 << opacityY << "100%" << 206 + 5 - 39;
    }

    void bubble()
    {
        QFETCH(int, handleX);
        QFETCH(int, y);
        QFETCH(QString, text);
        QFETCH(int, bodyLeft);
        // The limits every drawing tool starts from; each pen kind narrows
        // them.
        Model::DrawingTool* tool = toolOf(Model::Tool::Draw);
        const double limits[] = {tool->sizeLowerLimit(), tool->sizeUpperLimit(),
                                 tool->opacityLowerLimit(), tool->opacityUpperLimit()};
        tool->setSizeRangeLimits(0.5, 180);
        tool->setOpacityRangeLimits(0, 1);
        const auto restoreLimits = qScopeGuard([&] {
            tool->setSizeRangeLimits(limits[0], limits[1]);
            tool->setOpacityRangeLimits(limits[2], limits[3]);
        });
        ToolSliders sliders(Model::Tool::Draw);
        sliders.show();
        // Open the range fully so the dragged end can reach every pixel.
        sliders.setSizeRange(0, 100);
        sliders.setOpacityRange(0, 100);
        const QPoint start(handleX < 100 ? 11 : 206, y);
        clock += 100;
        PenEvents::mouse(&sliders, QEvent::MouseButtonPress, start, clock);
        PenEvents::mouse(&sliders, QEvent::MouseMove, QPoint(handleX, y), clock + 20);
        UI::TextBubble* bubble = sliders.textBubble();
        QVERIFY(bubble->isVisible());
        QCOMPARE(bubble->text(), text);
        // The pointer never lies left of the body here, so the bubble's widget
        // starts at the body and reaches the triangle's tip below it.
        const QSize size = bubble->bubbleSize();
        const int rowTop = y == sizeY ? 46 : 91;
        QCOMPARE(bubble->geometry(),
                 QRect(bodyLeft, rowTop - 10 - size.height() + 1, size.width(),
                       size.height() + bubble->traingleHeight()));
        QVERIFY(bodyLeft >= 5 && bodyLeft + size.width() - 1 <= 211);
        PenEvents::mouse(&sliders, QEvent::MouseButtonRelease, QPoint(handleX, y), clock + 40);
        QVERIFY(!bubble->isVisible());
        sliders.hide();
    }

    void cursorPreviewWhileDragging()
    {
        QWidget window;
        ToolSliders sliders(Model::Tool::Draw, &window);
        window.show();
        QVERIFY(!sliders.testAttribute(Qt::WA_SetCursor));
        clock += 100;
        PenEvents::mouse(&sliders, QEvent::MouseButtonPress, QPoint(pixelOf(20), sizeY), clock);
        PenEvents::mouse(&sliders, QEvent::MouseMove, QPoint(pixelOf(30), sizeY), clock + 20);
        QVERIFY(sliders.testAttribute(Qt::WA_SetCursor));
        QVERIFY(!sliders.cursor().pixmap().isNull());
        PenEvents::mouse(&sliders, QEvent::MouseButtonRelease, QPoint(pixelOf(30), sizeY),
                         clock + 40);
        QVERIFY(!sliders.testAttribute(Qt::WA_SetCursor));
    }

    // Ends on one pixel still show a selected span of three pixels, kept
    // inside the row at its right end.
    void minimumSpan_data()
    {
        QTest::addColumn<double>("value");
        QTest::addColumn<int>("left");
        QTest::addColumn<int>("right"); // last lit pixel
        QTest::newRow("middle") << 40.0 << pixelOf(40) - 1 << pixelOf(40) + 1;
        QTest::newRow("right end") << 100.0 << 203 << 205;
    }

    void minimumSpan()
    {
        QFETCH(double, value);
        QFETCH(int, left);
        QFETCH(int, right);
        ToolSliders sliders(Model::Tool::Draw);
        sliders.setSizeRange(value, value);
        const QImage image = sliders.grab().toImage();
        // Across the middle of the size row the foreground is light.
        const auto lit = [&](int x) { return image.pixelColor(x, sizeY).lightness() > 180; };
        for (int x = left; x <= right; ++x)
            QVERIFY2(lit(x), qPrintable(QString::number(x)));
        QVERIFY(!lit(left - 2));
        if (right + 2 <= 205)
            QVERIFY(!lit(right + 2));
    }

    void headerFollowsTheToolIndex()
    {
        ToolSliders sliders(Model::Tool::Draw);
        const QImage none = sliders.grab().toImage();
        sliders.setCurrentToolIdx(0);
        const QImage first = sliders.grab().toImage();
        sliders.setCurrentToolIdx(2);
        const QImage third = sliders.grab().toImage();
        // The triangle stands under the slot: x 62..75 for slot 0.
        const QRect slot0(62, 0, 13, 9);
        QCOMPARE(none.copy(slot0), third.copy(slot0));
        QVERIFY(first.copy(slot0) != none.copy(slot0));
    }
};

QUILLMERE_TEST_MAIN(TestToolSliders)
#include "tst_toolsliders.moc"
