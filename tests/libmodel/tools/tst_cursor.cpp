#include "TestSupport.h"

#include "settings/Settings.h"
#include "tools/CutterTool.h"
#include "tools/Cursor.h"
#include "tools/EraserTool.h"
#include "tools/FixedCursorTool.h"
#include "tools/FloatingSelectionTool.h"
#include "tools/HandTool.h"
#include "tools/LassoTool.h"
#include "tools/OffPegsTool.h"
#include "tools/PenAdjustmentTool.h"
#include "tools/PenTool.h"
#include "tools/RotateTool.h"
#include "tools/ScrubbingTool.h"
#include "tools/ZPRTool.h"
#include "tools/ZoomTool.h"

#include <QImage>
#include <QPixmap>
#include <QSignalSpy>
#include <QSvgRenderer>

#include <cmath>
#include <limits>
#include <memory>

using Model::Cursor;
using Model::DrawingTool;
using Model::Tool;

namespace {

QCursor* staticCursor(const QString& name)
{
    if (name == "slideMode")
        return &Cursor::m_cursorArrowSlideMode;
    if (name == "addClonesMode")
        return &Cursor::m_cursorArrowAddClonesMode;
    if (name == "drag")
        return &Cursor::m_cursorDrag;
    if (name == "dragLeftRight")
        return &Cursor::m_cursorDragLeftRight;
    if (name == "dragUpDown")
        return &Cursor::m_cursorDragUpDown;
    if (name == "forbidden")
        return &Cursor::m_cursorForbidden;
    if (name == "layerNotVisible")
        return &Cursor::m_cursorLayerNotVisible;
    if (name == "layerOpacityZero")
        return &Cursor::m_cursorLayerOpacityZero;
    if (name == "lock")
        return &Cursor::m_cursorLock;
    if (name == "scribbleEraser")
        return &Cursor::m_cursorScribbleEraser;
    if (name == "scribblePen")
        return &Cursor::m_cursorScribblePen;
    return nullptr;
}

std::unique_ptr<DrawingTool> makeDrawingTool(const QString& kind)
{
    if (kind == "eraser")
        return std::make_unique<Model::EraserTool>(Tool::Rubber);
    return std::make_unique<Model::PenTool>(Tool::Pencil);
}

bool hasInk(const QPixmap& pixmap)
{
    const QImage image = pixmap.toImage().convertToFormat(QImage::Format_ARGB32);
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x)
            if (qAlpha(image.pixel(x, y)) > 0)
                return true;
    return false;
}

QImage imageOf(const QCursor& cursor)
{
    return cursor.pixmap().toImage().convertToFormat(QImage::Format_ARGB32);
}

int alphaAt(const QCursor& cursor, int x, int y)
{
    return qAlpha(imageOf(cursor).pixel(x, y));
}

// The largest difference of any channel between two images of one size.
int largestDifference(const QImage& a, const QImage& b)
{
    int largest = 0;
    for (int y = 0; y < a.height(); ++y) {
        for (int x = 0; x < a.width(); ++x) {
            const QRgb p = a.pixel(x, y);
            const QRgb q = b.pixel(x, y);
            largest = qMax(largest, qAbs(qAlpha(p) - qAlpha(q)));
            largest = qMax(largest, qAbs(qRed(p) - qRed(q)));
            largest = qMax(largest, qAbs(qGreen(p) - qGreen(q)));
            largest = qMax(largest, qAbs(qBlue(p) - qBlue(q)));
        }
    }
    return largest;
}

} // namespace

class TestCursor : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void init();

    void staticCursorsFromArtwork_data();
    void staticCursorsFromArtwork();
    void devicePixelRatioRebuildsOnlyOnChange();

    void createCursorFloorsTheHotSpot_data();
    void createCursorFloorsTheHotSpot();
    void cursorCenter_data();
    void cursorCenter();

    void paintedCursorSizesAndHotSpots_data();
    void paintedCursorSizesAndHotSpots();
    void penCursorPaintsCrosshairAndCircle();
    void eraserCursorHasNoCrosshair();
    void adjustmentCursorHighlightsTheChangingEnd();
    void opacityCursorShowsBothOpacities_data();
    void opacityCursorShowsBothOpacities();

    void drawingToolCursorFollowsStateAndSettings_data();
    void drawingToolCursorFollowsStateAndSettings();
    void annotationCursorIsNeverFaint();
    void penAdjustmentCursorFollowsTheMode();

    void fixedCursorTools_data();
    void fixedCursorTools();
    void unsupportedFixedCursorTypeWarns();
    void multiCursorToolsAreBuilt();

    void rotatedCursorsTurnAboutTheirCentre();
    void rotatedCursorsRerenderFromOneDegree();
    void floatingSelectionAnnouncesOnlyTurningCursors();
};

void TestCursor::initTestCase()
{
    TestSupport::clearSettings();
}

void TestCursor::init()
{
    Cursor::setDevicePixelRatio(1.0);
    Cursor::initStaticCursors();
    Tool::m_zoomLevel = 1.0;
    Model::Settings::instance()->setDrawCursorType(KW::DrawCursorType::AdaptToSize);
    Model::Settings::instance()->setDrawCursorOpacity(KW::DrawCursorOpacity::Faint);
}

void TestCursor::staticCursorsFromArtwork_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<double>("ratio");
    QTest::addColumn<QPoint>("hotSpot");

    // Every artwork is 24 x 24. A centred hot spot is the integer centre of
    // the pixmap in device pixels over the ratio, rounded: 23 / 2 gives 12.
    struct Row
    {
        const char* name;
        QPoint atRatio1;
        QPoint atRatio2;
    };
    const Row rows[] = {
        {"slideMode", {0, 1}, {0, 1}},
        {"addClonesMode", {0, 1}, {0, 1}},
        {"drag", {11, 11}, {12, 12}},
        {"dragLeftRight", {11, 11}, {12, 12}},
        {"dragUpDown", {11, 11}, {12, 12}},
        {"forbidden", {11, 11}, {12, 12}},
        {"layerNotVisible", {11, 11}, {12, 12}},
        {"layerOpacityZero", {10, 1}, {10, 1}},
        {"lock", {11, 11}, {12, 12}},
        {"scribbleEraser", {1, 21}, {1, 21}},
        {"scribblePen", {1, 21}, {1, 21}},
    };
    for (const Row& row : rows) {
        QTest::addRow("%s at 1", row.name) << QString(row.name) << 1.0 << row.atRatio1;
        QTest::addRow("%s at 2", row.name) << QString(row.name) << 2.0 << row.atRatio2;
    }
}

void TestCursor::staticCursorsFromArtwork()
{
    QFETCH(QString, name);
    QFETCH(double, ratio);
    QFETCH(QPoint, hotSpot);

    Cursor::setDevicePixelRatio(ratio);
    const QCursor cursor = *staticCursor(name);
    QCOMPARE(cursor.shape(), Qt::BitmapCursor);
    const QPixmap pixmap = cursor.pixmap();
    QCOMPARE(pixmap.devicePixelRatio(), ratio);
    QCOMPARE(pixmap.size(), QSize(24, 24) * ratio);
    QCOMPARE(cursor.hotSpot(), hotSpot);
    QVERIFY(hasInk(pixmap));
    QCOMPARE(Cursor::m_cursorArrow.shape(), Qt::ArrowCursor);
}

void TestCursor::devicePixelRatioRebuildsOnlyOnChange()
{
    QCOMPARE(Cursor::m_devicePixelRatioF, 1.0);
    Cursor::m_cursorLock = QCursor(Qt::WaitCursor);

    Cursor::setDevicePixelRatio(1.0);
    Cursor::setDevicePixelRatio(1.0 + 1e-14);
    QCOMPARE(Cursor::m_cursorLock.shape(), Qt::WaitCursor);

    // Ratios without pixels are refused rather than building empty cursors.
    Cursor::setDevicePixelRatio(0.0);
    Cursor::setDevicePixelRatio(-2.0);
    Cursor::setDevicePixelRatio(std::numeric_limits<double>::quiet_NaN());
    QCOMPARE(Cursor::m_cursorLock.shape(), Qt::WaitCursor);
    QCOMPARE(Cursor::m_devicePixelRatioF, 1.0);

    Cursor::setDevicePixelRatio(2.0);
    QCOMPARE(Cursor::m_devicePixelRatioF, 2.0);
    QCOMPARE(Cursor::m_cursorLock.shape(), Qt::BitmapCursor);
    QCOMPARE(Cursor::m_cursorLock.pixmap().devicePixelRatio(), 2.0);
}

void TestCursor::createCursorFloorsTheHotSpot_data()
{
    QTest::addColumn<double>("ratio");
    QTest::addColumn<QPointF>("devicePoint");
    QTest::addColumn<QPoint>("hotSpot");

    QTest::newRow("ratio 2, pixel centre") << 2.0 << QPointF(18.5, 18.5) << QPoint(9, 9);
    QTest::newRow("ratio 2, odd") << 2.0 << QPointF(63.0, 1.9) << QPoint(31, 0);
    QTest::newRow("ratio 1") << 1.0 << QPointF(3.7, 2.2) << QPoint(3, 2);
    QTest::newRow("ratio 1.5") << 1.5 << QPointF(10.0, 8.9) << QPoint(6, 5);
}

void TestCursor::createCursorFloorsTheHotSpot()
{
    QFETCH(double, ratio);
    QFETCH(QPointF, devicePoint);
    QFETCH(QPoint, hotSpot);

    QPixmap pixmap(64, 64);
    pixmap.fill(Qt::black);
    pixmap.setDevicePixelRatio(ratio);
    QCOMPARE(Model::createCursor(pixmap, devicePoint).hotSpot(), hotSpot);
}

void TestCursor::cursorCenter_data()
{
    QTest::addColumn<QSize>("size");
    QTest::addColumn<double>("ratio");
    QTest::addColumn<QPointF>("centre");

    QTest::newRow("36 x 36 at 1") << QSize(36, 36) << 1.0 << QPointF(18.5, 18.5);
    QTest::newRow("80 x 40 at 2") << QSize(80, 40) << 2.0 << QPointF(41.0, 21.0);
    QTest::newRow("odd at 1") << QSize(21, 7) << 1.0 << QPointF(11.0, 4.0);
}

void TestCursor::cursorCenter()
{
    QFETCH(QSize, size);
    QFETCH(double, ratio);
    QFETCH(QPointF, centre);

    QPixmap pixmap(size);
    pixmap.setDevicePixelRatio(ratio);
    QCOMPARE(Tool::calcCursorCenter(pixmap), centre);
}

void TestCursor::paintedCursorSizesAndHotSpots_data()
{
    QTest::addColumn<QString>("tool");
    QTest::addColumn<QString>("kind");
    QTest::addColumn<double>("minimumDiameter");
    QTest::addColumn<double>("maximumDiameter");
    QTest::addColumn<double>("scale");
    QTest::addColumn<int>("side");
    QTest::addColumn<QPoint>("hotSpot");

    const double nan = std::numeric_limits<double>::quiet_NaN();
    // 2 x D x z = 3 still gives an 8-pixel circle: 36 x 36, centre 18.5.
    QTest::newRow("pen, tiny") << "pen" << "size" << 0.5 << 1.5 << 1.0 << 36 << QPoint(9, 9);
    // 2 x D x z = 101: n = 100, S = 128, centre 64.5.
    QTest::newRow("pen, 101") << "pen" << "size" << 2.0 << 50.5 << 1.0 << 128 << QPoint(32, 32);
    // 2 x 10 x 2.5 = 50: n = 48, S = 76, centre 38.5.
    QTest::newRow("pen, zoomed") << "pen" << "size" << 2.0 << 10.0 << 2.5 << 76 << QPoint(19, 19);
    // 11.5 rounds to 12, which is a multiple of 4 already.
    QTest::newRow("pen, half up") << "pen" << "size" << 1.0 << 5.75 << 1.0 << 40 << QPoint(10, 10);
    QTest::newRow("pen, no scale") << "pen" << "size" << 1.0 << 10.0 << nan << 36 << QPoint(9, 9);
    // The eraser's pixmap is 2n + 14 wide.
    QTest::newRow("eraser, tiny") << "eraser" << "size" << 0.5 << 1.5 << 1.0 << 30 << QPoint(7, 7);
    QTest::newRow("eraser, 101") << "eraser" << "size" << 2.0 << 50.5 << 1.0 << 214
                                 << QPoint(53, 53);
    QTest::newRow("pen adjustment, 101")
        << "pen" << "adjustment" << 2.0 << 50.5 << 1.0 << 128 << QPoint(32, 32);
    QTest::newRow("eraser adjustment, 101")
        << "eraser" << "adjustment" << 2.0 << 50.5 << 1.0 << 128 << QPoint(32, 32);
    // Deep zoom on the widest brush stops at a drawn diameter of 1024 device
    // pixels instead of asking for a pixmap of gigabytes.
    QTest::newRow("pen, deep zoom") << "pen" << "size" << 10.0 << 180.0 << 1000.0 << 1052
                                    << QPoint(263, 263);
    QTest::newRow("eraser, deep zoom") << "eraser" << "size" << 10.0 << 180.0 << 1000.0 << 2062
                                       << QPoint(515, 515);
    QTest::newRow("adjustment, deep zoom") << "pen" << "adjustment" << 10.0 << 180.0 << 1000.0
                                           << 1052 << QPoint(263, 263);
}

void TestCursor::paintedCursorSizesAndHotSpots()
{
    QFETCH(QString, tool);
    QFETCH(QString, kind);
    QFETCH(double, minimumDiameter);
    QFETCH(double, maximumDiameter);
    QFETCH(double, scale);
    QFETCH(int, side);
    QFETCH(QPoint, hotSpot);

    const auto drawingTool = makeDrawingTool(tool);
    const QCursor cursor =
        kind == "size"
            ? drawingTool->createCursor(minimumDiameter, maximumDiameter, scale, false)
            : drawingTool->createCursorSizeMinMax(minimumDiameter, maximumDiameter, scale);
    QCOMPARE(cursor.pixmap().size(), QSize(side, side));
    QCOMPARE(cursor.pixmap().devicePixelRatio(), 2.0);
    QCOMPARE(cursor.hotSpot(), hotSpot);
    QVERIFY(hasInk(cursor.pixmap()));
}

void TestCursor::penCursorPaintsCrosshairAndCircle()
{
    // 2dz = 40 and 2Dz = 101: arms from g = 20 to o = 64 around (64.5, 64.5),
    // circle of diameter 100.
    Model::PenTool pen(Tool::Pencil);
    const QCursor opaque = pen.createCursor(20.0, 50.5, 1.0, false);
    const QCursor faint = pen.createCursor(20.0, 50.5, 1.0, true);
    const QImage image = imageOf(opaque);

    QCOMPARE(qAlpha(image.pixel(64, 64)), 0);  // inside g: the point itself stays free
    QCOMPARE(qAlpha(image.pixel(75, 75)), 0);  // between the arms, inside the circle
    QVERIFY(qAlpha(image.pixel(99, 99)) > 100); // the circle on the diagonal
    QVERIFY(qGray(image.pixel(99, 99)) < 60);

    // An arm is dark, flanked by light halo lines two pixels off.
    QVERIFY(qAlpha(image.pixel(104, 64)) > 0);
    QVERIFY(qGray(image.pixel(104, 64)) < 60);
    QVERIFY(qAlpha(image.pixel(104, 62)) > 0);
    QVERIFY(qGray(image.pixel(104, 62)) > 200);
    QVERIFY(qAlpha(image.pixel(64, 104)) > 0);
    QCOMPARE(qAlpha(image.pixel(64, 80)), qAlpha(image.pixel(80, 64)));
    // The arms reach the pixmap's edges; its corners stay empty.
    QVERIFY(qAlpha(image.pixel(64, 127)) > 0);
    QCOMPARE(qAlpha(image.pixel(0, 0)), 0);
    QCOMPARE(qAlpha(image.pixel(127, 127)), 0);

    // The faint cursor draws its circle much lighter.
    QVERIFY(alphaAt(faint, 99, 99) < alphaAt(opaque, 99, 99) / 3);
}

void TestCursor::eraserCursorHasNoCrosshair()
{
    // n = 100 in a 214 x 214 pixmap around (107.5, 107.5).
    Model::EraserTool eraser(Tool::Rubber);
    const QImage image = imageOf(eraser.createCursor(20.0, 50.5, 1.0, false));
    QVERIFY(qAlpha(image.pixel(142, 142)) > 100); // the circle on the diagonal
    QCOMPARE(qAlpha(image.pixel(137, 107)), 0);   // where a pen has its arm
    QCOMPARE(qAlpha(image.pixel(107, 107)), 0);
    // The minimum diameter plays no part.
    QCOMPARE(imageOf(eraser.createCursor(1.0, 50.5, 1.0, false)), image);
}

void TestCursor::adjustmentCursorHighlightsTheChangingEnd()
{
    // R = 51 and r = 20 around (64.5, 64.5).
    Model::PenTool pen(Tool::Pencil);
    Model::EraserTool eraser(Tool::Rubber);
    const QImage lower = imageOf(pen.createCursorSizeMin(20.0, 50.5, 1.0));
    const QImage upper = imageOf(pen.createCursorSizeMax(20.0, 50.5, 1.0));
    const QImage both = imageOf(pen.createCursorSizeMinMax(20.0, 50.5, 1.0));

    const QPoint onOuter(100, 100);
    const QPoint onInner(78, 78);
    const QPoint inRing(89, 89);
    QVERIFY(qAlpha(upper.pixel(onOuter)) > qAlpha(lower.pixel(onOuter)));
    QVERIFY(qAlpha(lower.pixel(onInner)) > qAlpha(upper.pixel(onInner)));
    QCOMPARE(qAlpha(both.pixel(onOuter)), qAlpha(upper.pixel(onOuter)));
    QCOMPARE(qAlpha(both.pixel(onInner)), qAlpha(lower.pixel(onInner)));

    // The swept ring is shaded at a quarter.
    QVERIFY(qAbs(qAlpha(both.pixel(inRing)) - 64) <= 3);
    QCOMPARE(qAlpha(both.pixel(64, 64)), 0);

    // Only the pen draws the crosshair, here beyond the ring.
    QVERIFY(qAlpha(both.pixel(122, 64)) > 0);
    const QImage eraserBoth = imageOf(eraser.createCursorSizeMinMax(20.0, 50.5, 1.0));
    QCOMPARE(qAlpha(eraserBoth.pixel(122, 64)), 0);
    QCOMPARE(qAlpha(eraserBoth.pixel(onOuter)), qAlpha(both.pixel(onOuter)));
}

void TestCursor::opacityCursorShowsBothOpacities_data()
{
    QTest::addColumn<QString>("tool");
    QTest::newRow("pen") << "pen";
    QTest::newRow("eraser") << "eraser";
}

void TestCursor::opacityCursorShowsBothOpacities()
{
    QFETCH(QString, tool);

    // The artwork is 40 x 20; its swatches are centred at (8, 10) and (32, 10).
    const auto drawingTool = makeDrawingTool(tool);
    const QCursor cursor = drawingTool->createCursorOpacityMinMax(0.25, 0.75);
    QCOMPARE(cursor.pixmap().size(), QSize(80, 40));
    QCOMPARE(cursor.pixmap().devicePixelRatio(), 2.0);
    QCOMPARE(cursor.hotSpot(), QPoint(20, 10));

    // Black at the given opacity over the base's white.
    const QImage image = imageOf(cursor);
    QCOMPARE(qAlpha(image.pixel(16, 20)), 255);
    QVERIFY(qAbs(qGray(image.pixel(16, 20)) - 191) <= 6);
    QVERIFY(qAbs(qGray(image.pixel(64, 20)) - 64) <= 6);

    const QImage none = imageOf(drawingTool->createCursorOpacityMinMax(0.0, 1.0));
    QVERIFY(qGray(none.pixel(16, 20)) > 245);
    QVERIFY(qGray(none.pixel(64, 20)) < 10);
}

void TestCursor::drawingToolCursorFollowsStateAndSettings_data()
{
    QTest::addColumn<int>("state");
    QTest::addColumn<int>("cursorType");
    QTest::addColumn<int>("cursorOpacity");
    QTest::addColumn<double>("zoom");
    // "forbidden", "notVisible", "opacityZero", "fixedFaint", "fixedOpaque",
    // or "painted" with the painted pixmap's side.
    QTest::addColumn<QString>("expected");
    QTest::addColumn<int>("side");

    const int adapt = int(KW::DrawCursorType::AdaptToSize);
    const int fixed = int(KW::DrawCursorType::FixedSmall);
    const int faint = int(KW::DrawCursorOpacity::Faint);
    const int opaque = int(KW::DrawCursorOpacity::Opaque);

    QTest::newRow("forbidden") << 1 << adapt << faint << 1.0 << "forbidden" << 0;
    QTest::newRow("layer not visible") << 2 << fixed << opaque << 1.0 << "notVisible" << 0;
    QTest::newRow("layer opacity zero") << 3 << adapt << opaque << 1.0 << "opacityZero" << 0;
    QTest::newRow("fixed faint") << 0 << fixed << faint << 1.0 << "fixedFaint" << 0;
    QTest::newRow("fixed opaque") << 0 << fixed << opaque << 1.0 << "fixedOpaque" << 0;
    // The tool's initial widths 0.5 and 4.5 give diameters 1 and 10: 2Dz = 20.
    QTest::newRow("adapt faint") << 0 << adapt << faint << 1.0 << "painted" << 48;
    QTest::newRow("adapt opaque") << 0 << adapt << opaque << 1.0 << "painted" << 48;
    QTest::newRow("adapt zoomed") << 0 << adapt << faint << 3.0 << "painted" << 88;
}

void TestCursor::drawingToolCursorFollowsStateAndSettings()
{
    QFETCH(int, state);
    QFETCH(int, cursorType);
    QFETCH(int, cursorOpacity);
    QFETCH(double, zoom);
    QFETCH(QString, expected);
    QFETCH(int, side);

    Model::Settings::instance()->setDrawCursorType(KW::DrawCursorType(cursorType));
    Model::Settings::instance()->setDrawCursorOpacity(KW::DrawCursorOpacity(cursorOpacity));
    Tool::m_zoomLevel = zoom;

    Model::PenTool pen(Tool::Marker);
    pen.setState(Tool::State(state));
    QSignalSpy cursorSpy(&pen, &Tool::cursorChanged);
    pen.updateCursor();
    QCOMPARE(cursorSpy.count(), 1);
    const QCursor cursor = pen.cursor();
    QVERIFY(cursorSpy.at(0).at(0).value<QCursor>() == cursor);

    if (expected == "forbidden")
        QVERIFY(cursor == Cursor::m_cursorForbidden);
    else if (expected == "notVisible")
        QVERIFY(cursor == Cursor::m_cursorLayerNotVisible);
    else if (expected == "opacityZero")
        QVERIFY(cursor == Cursor::m_cursorLayerOpacityZero);
    else if (expected == "fixedFaint")
        QVERIFY(cursor == pen.fixedFaintCursor());
    else if (expected == "fixedOpaque")
        QVERIFY(cursor == pen.fixedOpaqueCursor());
    else {
        QCOMPARE(cursor.pixmap().size(), QSize(side, side));
        const bool isFaint = cursorOpacity == int(KW::DrawCursorOpacity::Faint);
        QCOMPARE(imageOf(cursor), imageOf(pen.createCursor(1.0, 10.0, zoom, isFaint)));
    }
    QVERIFY(!(pen.fixedFaintCursor() == pen.fixedOpaqueCursor()));
}

void TestCursor::annotationCursorIsNeverFaint()
{
    Model::PenTool pen(Tool::Marker);
    pen.setSizeRangeLimits(3.0, 6.0);
    pen.setSizeRangePercent(0.0, 100.0);

    // Diameters 3 and 6 at scale 2: 2Dz = 24, a 52 x 52 pixmap.
    const QCursor adapted = pen.annotationCursor(2.0);
    QCOMPARE(adapted.pixmap().size(), QSize(52, 52));
    QCOMPARE(imageOf(adapted), imageOf(pen.createCursor(3.0, 6.0, 2.0, false)));

    Model::Settings::instance()->setDrawCursorType(KW::DrawCursorType::FixedSmall);
    QVERIFY(pen.annotationCursor(2.0) == pen.fixedOpaqueCursor());
}

void TestCursor::penAdjustmentCursorFollowsTheMode()
{
    Model::PenTool pencil(Tool::Pencil);
    pencil.setSizeRangeLimits(0.5, 45.0);
    pencil.setOpacityRangeLimits(0.0, 0.75);
    pencil.setSizeRangePercent(5.0, 12.31);
    pencil.setOpacityRangePercent(2.0, 56.0);
    Tool::m_zoomLevel = 2.0;

    Model::PenAdjustmentTool adjustment;
    adjustment.setDrawingTool(&pencil);
    QVERIFY(adjustment.cursor() == Cursor::m_cursorDrag);
    QSignalSpy cursorSpy(&adjustment, &Tool::cursorChanged);

    adjustment.adjustSizeRange(1.5);
    QCOMPARE(adjustment.mode(), 2);
    const double width = pencil.minimumWidth();
    const QImage sizeCursor = imageOf(
        pencil.createCursorSizeMinMax(2.0 * width, 2.0 * (width + pencil.widthRange()), 2.0));
    QCOMPARE(imageOf(adjustment.cursor()), sizeCursor);
    QVERIFY(!cursorSpy.isEmpty());
    QCOMPARE(imageOf(cursorSpy.last().at(0).value<QCursor>()), sizeCursor);

    adjustment.adjustOpacityRange(0.8);
    QCOMPARE(adjustment.mode(), 1);
    const double opacity = pencil.minimumOpacity();
    const QImage opacityCursor =
        imageOf(pencil.createCursorOpacityMinMax(opacity, opacity + pencil.opacityRange()));
    QCOMPARE(imageOf(adjustment.cursor()), opacityCursor);
    QCOMPARE(imageOf(cursorSpy.last().at(0).value<QCursor>()), opacityCursor);
}

void TestCursor::fixedCursorTools_data()
{
    QTest::addColumn<int>("type");
    QTest::addColumn<QSize>("size");
    QTest::addColumn<QPoint>("hotSpot");

    QTest::newRow("hand") << int(Tool::Hand) << QSize(24, 24) << QPoint(11, 11);
    QTest::newRow("zoom") << int(Tool::Zoom) << QSize(24, 24) << QPoint(9, 9);
    QTest::newRow("rotate") << int(Tool::Rotate) << QSize(24, 24) << QPoint(11, 11);
    QTest::newRow("lasso") << int(Tool::Lasso) << QSize(24, 24) << QPoint(13, 8);
    QTest::newRow("cutter") << int(Tool::Cutter) << QSize(28, 28) << QPoint(2, 24);
    QTest::newRow("scrubbing") << int(Tool::Scrubbing) << QSize(24, 24) << QPoint(11, 11);
}

void TestCursor::fixedCursorTools()
{
    QFETCH(int, type);
    QFETCH(QSize, size);
    QFETCH(QPoint, hotSpot);

    std::unique_ptr<Tool> tool;
    switch (Tool::Type(type)) {
    case Tool::Hand:
        tool = std::make_unique<Model::HandTool>();
        break;
    case Tool::Zoom:
        tool = std::make_unique<Model::ZoomTool>();
        break;
    case Tool::Rotate:
        tool = std::make_unique<Model::RotateTool>();
        break;
    case Tool::Lasso:
        tool = std::make_unique<Model::LassoTool>();
        break;
    case Tool::Cutter:
        tool = std::make_unique<Model::CutterTool>();
        break;
    default:
        tool = std::make_unique<Model::ScrubbingTool>();
        break;
    }
    QVERIFY(!Model::FixedCursorTool::getIconFileName(Tool::Type(type)).isEmpty());
    const QCursor cursor = tool->cursor();
    QCOMPARE(cursor.shape(), Qt::BitmapCursor);
    QCOMPARE(cursor.pixmap().size(), size);
    QCOMPARE(cursor.hotSpot(), hotSpot);
    QVERIFY(hasInk(cursor.pixmap()));
}

void TestCursor::unsupportedFixedCursorTypeWarns()
{
    const char* warning =
        "static QString Model::FixedCursorTool::getIconFileName(Tool::Type) Unsupported tool type!";
    QTest::ignoreMessage(QtWarningMsg, warning);
    QCOMPARE(Model::FixedCursorTool::getIconFileName(Tool::Draw), QString());

    // A fixed-cursor tool of such a type keeps the plain arrow.
    QTest::ignoreMessage(QtWarningMsg, warning);
    Model::FixedCursorTool tool(Tool::OffPegs);
    QCOMPARE(tool.cursor().shape(), Qt::ArrowCursor);
}

void TestCursor::multiCursorToolsAreBuilt()
{
    Model::ZPRTool zpr;
    QCOMPARE(zpr.cursor().pixmap().size(), QSize(24, 24)); // pan, the initial kind
    zpr.setCursorType(Model::ZPRTool::CursorZoom);
    QCOMPARE(zpr.cursor().pixmap().size(), QSize(24, 24));
    QCOMPARE(zpr.cursor().hotSpot(), QPoint(11, 11));
    zpr.setCursorType(Model::ZPRTool::CursorRotate);
    QCOMPARE(zpr.cursor().pixmap().size(), QSize(48, 48));
    QCOMPARE(zpr.cursor().pixmap().devicePixelRatio(), 2.0);
    QCOMPARE(zpr.cursor().hotSpot(), QPoint(11, 11));

    Model::FloatingSelectionTool floating;
    const struct
    {
        Model::FloatingSelectionTool::FSCursorType type;
        QSize size;
        QPoint hotSpot;
    } expectations[] = {
        {Model::FloatingSelectionTool::FSMove, {24, 24}, {11, 11}},
        {Model::FloatingSelectionTool::FSRotate, {48, 48}, {11, 11}},
        {Model::FloatingSelectionTool::FSScale, {48, 48}, {11, 11}},
        {Model::FloatingSelectionTool::FSScaleRotate, {48, 48}, {11, 11}},
        {Model::FloatingSelectionTool::FSSkewHorizontal, {24, 24}, {11, 11}},
        {Model::FloatingSelectionTool::FSSkewVertical, {24, 24}, {11, 11}},
        {Model::FloatingSelectionTool::FSSquashStretch, {23, 27}, {11, 13}},
        {Model::FloatingSelectionTool::FSStamp, {24, 24}, {11, 11}},
    };
    QList<qint64> keys;
    for (const auto& expectation : expectations) {
        floating.setCursorType(expectation.type);
        const QCursor cursor = floating.cursor();
        QCOMPARE(cursor.pixmap().size(), expectation.size);
        QCOMPARE(cursor.hotSpot(), expectation.hotSpot);
        QVERIFY(hasInk(cursor.pixmap()));
        keys.append(cursor.pixmap().cacheKey());
    }
    // Eight distinct cursors.
    for (int i = 0; i < keys.size(); ++i)
        QCOMPARE(keys.count(keys.at(i)), 1);

    Model::OffPegsTool offPegs;
    QCOMPARE(offPegs.cursor().pixmap().size(), QSize(24, 24)); // rotate, the initial kind
    const qint64 rotateKey = offPegs.cursor().pixmap().cacheKey();
    offPegs.setCursorType(Model::OffPegsTool::CursorMove);
    QVERIFY(offPegs.cursor().pixmap().cacheKey() != rotateKey);
}

void TestCursor::rotatedCursorsTurnAboutTheirCentre()
{
    QSvgRenderer artwork(QStringLiteral(":/pointers/pointer-scale.svg"));
    const QCursor straight = Cursor::rotatedCursorFromSvg(artwork, 0.0);
    const QCursor turned = Cursor::rotatedCursorFromSvg(artwork, 90.0);
    QCOMPARE(turned.pixmap().size(), QSize(48, 48));
    QCOMPARE(turned.pixmap().devicePixelRatio(), 2.0);
    QCOMPARE(turned.hotSpot(), QPoint(11, 11));

    const QImage expected = imageOf(straight).transformed(QTransform().rotate(90.0));
    QVERIFY(largestDifference(imageOf(turned), expected) <= 16);
    // The diagonal artwork really changed under the turn.
    QVERIFY(largestDifference(imageOf(turned), imageOf(straight)) > 128);
}

void TestCursor::rotatedCursorsRerenderFromOneDegree()
{
    Model::ZPRTool zpr;
    zpr.setCursorType(Model::ZPRTool::CursorRotate);
    const QImage atZero = imageOf(zpr.cursor());
    QSignalSpy cursorSpy(&zpr, &Tool::cursorChanged);

    zpr.setCursorAngle(0.5);
    zpr.setCursorAngle(-0.9);
    zpr.setCursorAngle(std::numeric_limits<double>::quiet_NaN());
    zpr.setCursorAngle(std::numeric_limits<double>::infinity());
    QCOMPARE(cursorSpy.count(), 0);
    QCOMPARE(imageOf(zpr.cursor()), atZero);

    zpr.setCursorAngle(1.0);
    QCOMPARE(cursorSpy.count(), 1);
    // The rotate cursor is the artwork turned a quarter beyond the view.
    QSvgRenderer artwork(QStringLiteral(":/pointers/pointer-rotate.svg"));
    QCOMPARE(imageOf(zpr.cursor()), imageOf(Cursor::rotatedCursorFromSvg(artwork, 91.0)));
    QCOMPARE(imageOf(cursorSpy.at(0).at(0).value<QCursor>()), imageOf(zpr.cursor()));

    // Measured from the last rendering, not from the first.
    zpr.setCursorAngle(1.9);
    QCOMPARE(cursorSpy.count(), 1);
    zpr.setCursorAngle(2.0);
    QCOMPARE(cursorSpy.count(), 2);

    // Another kind showing: rendered, not announced.
    zpr.setCursorType(Model::ZPRTool::CursorPan);
    cursorSpy.clear();
    zpr.setCursorAngle(45.0);
    QCOMPARE(cursorSpy.count(), 0);
    zpr.setCursorType(Model::ZPRTool::CursorRotate);
    QCOMPARE(imageOf(zpr.cursor()), imageOf(Cursor::rotatedCursorFromSvg(artwork, 135.0)));
}

void TestCursor::floatingSelectionAnnouncesOnlyTurningCursors()
{
    Model::FloatingSelectionTool floating;
    QSignalSpy cursorSpy(&floating, &Tool::cursorChanged);
    const QImage moveCursor = imageOf(floating.cursor());

    floating.setCursorAngle(30.0);
    QCOMPARE(cursorSpy.count(), 0);
    QCOMPARE(imageOf(floating.cursor()), moveCursor);

    floating.setCursorType(Model::FloatingSelectionTool::FSScale);
    cursorSpy.clear();
    floating.setCursorAngle(60.0);
    QCOMPARE(cursorSpy.count(), 1);
    QSvgRenderer scale(QStringLiteral(":/pointers/pointer-scale.svg"));
    QCOMPARE(imageOf(floating.cursor()), imageOf(Cursor::rotatedCursorFromSvg(scale, 60.0)));

    floating.setCursorType(Model::FloatingSelectionTool::FSRotate);
    QSvgRenderer rotate(QStringLiteral(":/pointers/pointer-rotate.svg"));
    QCOMPARE(imageOf(floating.cursor()), imageOf(Cursor::rotatedCursorFromSvg(rotate, 150.0)));

    floating.setCursorType(Model::FloatingSelectionTool::FSScaleRotate);
    cursorSpy.clear();
    floating.setCursorAngle(60.4);
    QCOMPARE(cursorSpy.count(), 0);
}

QUILLMERE_TEST_MAIN(TestCursor)
#include "tst_cursor.moc"
