// What the canvas paints, checked on grabbed pixels: the paper where the
// view puts it, the light table beside the current drawing, the grid, the
// transparency pattern, the off-pegs overlay, and repaints confined to what
// changed.
#include "TestSupport.h"

#include "PaperFixture.h"

#include "files/SceneReader.h"
#include "settings/BacklightSettings.h"
#include "startup/Init.h"
#include "tools/ToolManager.h"

#include <QBuffer>
#include <QPaintEvent>

using PaperFixture::Canvas;
using PaperFixture::near;

namespace {

const QRgb White = qRgb(255, 255, 255);

// Collects the regions of the paint events a widget receives.
class PaintWatcher : public QObject
{
public:
    explicit PaintWatcher(QWidget* widget) { widget->installEventFilter(this); }
    QRegion painted;
    int count = 0;

protected:
    bool eventFilter(QObject*, QEvent* event) override
    {
        if (event->type() == QEvent::Paint) {
            painted += static_cast<QPaintEvent*>(event)->region();
            ++count;
        }
        return false;
    }
};

// How far the pixels around a point stray from white: a thin antialiased
// line may fall between two pixels.
int inkAround(const QImage& image, const QPoint& at)
{
    int most = 0;
    for (int dy = -1; dy <= 1; ++dy)
        for (int dx = -1; dx <= 1; ++dx) {
            const QRgb p = image.pixel(at + QPoint(dx, dy));
            most = std::max({most, 255 - qRed(p), 255 - qGreen(p), 255 - qBlue(p)});
        }
    return most;
}

} // namespace

class TestPaperPainting : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void init();

    void paperSitsWhereTheViewPutsIt();
    void backlightDrawingsBesideTheCurrentFrame();
    void oneGridOverThePaper();
    void checkeredTransparency();
    void offPegsOverlay();
    void offPegsNumbersFromAFile_data();
    void offPegsNumbersFromAFile();
    void virtualLastFrameShowsAnEmptySheet();
    void changedPaperRepaintsOnlyItsArea();
    void withoutASceneTheDeskFillsTheCanvas();
};

void TestPaperPainting::initTestCase()
{
    Model::init();
}

void TestPaperPainting::init()
{
    Model::ToolManager::instance()->setCurrentTool(Model::Tool::Draw, Model::Tool::Usable);
}

void TestPaperPainting::paperSitsWhereTheViewPutsIt()
{
    Canvas canvas(QSize(400, 300), {QRect(100, 100, 50, 40)});
    UI::Paper& paper = canvas.paper;
    paper.setZoomLevel(0.5);
    const QImage image = paper.grab().toImage();
    // Frame 400 x 300 at zoom 0.5 around the view centre (399, 299).
    const QPointF topLeft = canvas.onWidget(QPointF(0, 0));
    QVERIFY(std::abs(topLeft.x() - 299.5) < 1.0 && std::abs(topLeft.y() - 224.5) < 1.0);
    QVERIFY(near(image.pixel(topLeft.toPoint() + QPoint(3, 3)), White));
    const QRgb desk = image.pixel(topLeft.toPoint() - QPoint(3, 3));
    QVERIFY(!near(desk, White, 60));
    // The block at (100, 100) of the frame, black, at half size.
    QVERIFY(near(image.pixel(canvas.onWidget(QPointF(125, 120)).toPoint()), qRgb(0, 0, 0)));
    QVERIFY(near(image.pixel(canvas.onWidget(QPointF(160, 120)).toPoint()), White));

    // Turned a quarter, the block lands elsewhere on the widget.
    paper.rotatePaperTo(90.0);
    const QImage turned = paper.grab().toImage();
    QVERIFY(near(turned.pixel(canvas.onWidget(QPointF(125, 120)).toPoint()), qRgb(0, 0, 0)));
}

void TestPaperPainting::backlightDrawingsBesideTheCurrentFrame()
{
    Canvas canvas(QSize(400, 300), {QRect(20, 20, 60, 60), QRect(300, 200, 60, 60)},
                  QColor(0, 0, 255));
    Model::BacklightSettings light;
    light.enabled = true;
    light.settingA.opacityLevelsBefore = {0.5};
    light.settingA.opacityLevelsAfter = {0.5};
    light.settingA.hueShift = Model::BacklightSetting::NoHueShift;
    canvas.scene()->setBacklightSettings(light);
    canvas.scene()->setActiveFrameAndLayer(2, 0, Model::Scene::KeepWithinDrawnFrames);
    const QImage image = canvas.paper.grab().toImage();
    const QRgb current = image.pixel(canvas.onWidget(QPointF(330, 230)).toPoint());
    const QRgb before = image.pixel(canvas.onWidget(QPointF(50, 50)).toPoint());
    QVERIFY(near(current, qRgb(0, 0, 255)));
    // The drawing before shows through, faded toward the paper.
    QVERIFY2(qBlue(before) > 200 && qRed(before) > 60 && qRed(before) < 200,
             qPrintable(QColor(before).name()));
}

void TestPaperPainting::oneGridOverThePaper()
{
    Canvas canvas;
    UI::Paper& paper = canvas.paper;
    paper.setGridType(KW::GridType::Thirds);
    QCOMPARE(paper.gridStatus(), KW::GridStatus::GridOff);
    const QPoint onLine = canvas.onWidget(QPointF(400.0 / 3, 50)).toPoint();
    const QPoint offLine = canvas.onWidget(QPointF(200, 150)).toPoint();
    QCOMPARE(inkAround(paper.grab().toImage(), onLine), 0);

    paper.setGridStatus(KW::GridStatus::GridOn);
    QImage image = paper.grab().toImage();
    QVERIFY(inkAround(image, onLine) > 15);
    QCOMPARE(inkAround(image, offLine), 0);

    // The grid follows the view.
    paper.rotatePaperTo(90.0);
    image = paper.grab().toImage();
    QVERIFY(inkAround(image, canvas.onWidget(QPointF(400.0 / 3, 50)).toPoint()) > 15);
    QCOMPARE(inkAround(image, canvas.onWidget(QPointF(200, 150)).toPoint()), 0);
}

void TestPaperPainting::checkeredTransparency()
{
    Canvas canvas;
    UI::Paper& paper = canvas.paper;
    paper.setTransparencyType(KW::TransparencyType::TransparencySmallCheckersLight);
    const QImage image = paper.grab().toImage();
    const QPoint a = canvas.onWidget(QPointF(200, 150)).toPoint();
    const QRgb light = QColor(Qt::lightGray).lighter(105).rgb();
    const QRgb dark = QColor(Qt::lightGray).darker(105).rgb();
    const QRgb p = image.pixel(a);
    const QRgb q = image.pixel(a + QPoint(5, 0));
    QVERIFY(near(p, light, 1) || near(p, dark, 1));
    QVERIFY(near(q, light, 1) || near(q, dark, 1));
    QVERIFY(p != q);
    QCOMPARE(image.pixel(a + QPoint(10, 0)), p);
    QCOMPARE(image.pixel(a + QPoint(5, 5)), p);
}

void TestPaperPainting::offPegsOverlay()
{
    Canvas canvas;
    UI::Paper& paper = canvas.paper;
    const QImage onPegs = paper.grab().toImage();
    canvas.scene()->setOffPegsTransform(1, 0, QTransform::fromTranslate(-100, 0));
    const QImage image = paper.grab().toImage();
    // The place the drawing left on the pegs, and the moved paper.
    QVERIFY(near(image.pixel(canvas.onWidget(QPointF(40, 150)).toPoint()), qRgb(232, 232, 232), 1));
    QVERIFY(near(image.pixel(canvas.onWidget(QPointF(440, 180)).toPoint()), White));
    // A green glow along the border of the view.
    const QRgb glow = image.pixel(1, 300);
    const QRgb plain = onPegs.pixel(1, 300);
    QVERIFY(qGreen(glow) - qRed(glow) > qGreen(plain) - qRed(plain) + 10);
    // The moved frame's diagonals cross at its centre.
    const QPoint centre = canvas.onWidget(QPointF(300, 150)).toPoint();
    QVERIFY(!near(image.pixel(centre), White, 5));
}

void TestPaperPainting::offPegsNumbersFromAFile_data()
{
    QTest::addColumn<QString>("attributes");
    QTest::addColumn<bool>("accepted");
    // Whether the moved paper still covers the middle of the pegged frame.
    QTest::addColumn<bool>("centreCovered");

    QTest::newRow("a small move and turn")
        << "xOffset=\"12.5\" yOffset=\"-3\" rotationDeg=\"30\"" << true << true;
    QTest::newRow("as far as a file may move it")
        << "xOffset=\"10000000\" yOffset=\"-10000000\" rotationDeg=\"-360\"" << true << false;
    QTest::newRow("tiny numbers") << "xOffset=\"1e-300\" yOffset=\"-4.9e-324\" rotationDeg=\"1e-300\""
                                  << true << true;
    QTest::newRow("beyond the double range")
        << "xOffset=\"1e308\" yOffset=\"-1e308\" rotationDeg=\"1e308\"" << false << false;
    QTest::newRow("a pixel too far") << "yOffset=\"10000001\"" << false << false;
    QTest::newRow("turned a million times") << "rotationDeg=\"360000000\"" << false << false;
    QTest::newRow("not a number") << "xOffset=\"nan\"" << false << false;
}

// What a scene file says about a drawing's place off the pegs either is
// refused by the reader or paints.
void TestPaperPainting::offPegsNumbersFromAFile()
{
    QFETCH(QString, attributes);
    QFETCH(bool, accepted);
    QFETCH(bool, centreCovered);

    QByteArray file = QStringLiteral("<kw version=\"0.4\"><scene frameWidth=\"400\" frameHeight=\"300\">"
                                     "<layers><layer type=\"stroke\"><drawing type=\"original\" %1/>"
                                     "</layer></layers></scene></kw>")
                          .arg(attributes)
                          .toUtf8();
    QBuffer buffer(&file);
    QVERIFY(buffer.open(QIODevice::ReadOnly));
    Model::Scene read;
    Model::SceneReader reader(&read, nullptr);
    QCOMPARE(reader.read(&buffer) == 0, accepted);
    if (!accepted) {
        QVERIFY(reader.errorString().startsWith(QStringLiteral("Invalid ")));
        return;
    }

    Canvas canvas;
    canvas.scene()->setOffPegsTransform(1, 0, read.offPegsTransform(1, 0));
    const QImage image = canvas.paper.grab().toImage();
    const QRgb centre = image.pixel(canvas.onWidget(QPointF(200, 150)).toPoint());
    if (centreCovered)
        QVERIFY(near(centre, White));
    else
        QVERIFY(near(centre, qRgb(232, 232, 232), 1));
}

void TestPaperPainting::virtualLastFrameShowsAnEmptySheet()
{
    Canvas canvas;
    canvas.scene()->setActiveFrameAndLayer(2, 0, Model::Scene::AcceptVirtualLastFrame);
    QVERIFY(canvas.scene()->isVirtualLastFrame());
    canvas.paper.setTransparencyType(KW::TransparencyType::TransparencyBlack);
    const QImage image = canvas.paper.grab().toImage();
    QVERIFY(near(image.pixel(canvas.onWidget(QPointF(200, 150)).toPoint()), qRgb(221, 216, 213), 1));
}

void TestPaperPainting::changedPaperRepaintsOnlyItsArea()
{
    Canvas canvas;
    UI::Paper& paper = canvas.paper;
    paper.setZoomLevel(2.0);
    paper.rotatePaperTo(30.0);
    // What the zoom and the turn left to paint is painted before the watch.
    paper.repaint();
    PaintWatcher watcher(&paper);
    const QRect changed(190, 140, 20, 10);
    canvas.scene()->internalRectChanged(changed);
    QTRY_VERIFY(watcher.count > 0);
    const QRect bounds = watcher.painted.boundingRect();
    const QRect shown = paper.fullTransform().inverted().mapRect(QRectF(changed)).toAlignedRect();
    QVERIFY(bounds.contains(shown.adjusted(1, 1, -1, -1)));
    // The paper turned by 30 degrees: the region follows the rotated
    // rectangle, far less than the widget.
    QVERIFY(bounds.width() < 100 && bounds.height() < 100);
}

void TestPaperPainting::withoutASceneTheDeskFillsTheCanvas()
{
    UI::Paper paper;
    paper.resize(300, 200);
    paper.setGridStatus(KW::GridStatus::GridOn);
    const QImage image = paper.grab().toImage();
    QVERIFY(!near(image.pixel(150, 100), White, 60));
    QVERIFY(!near(image.pixel(5, 5), White, 60));
}

QUILLMERE_TEST_MAIN(TestPaperPainting)
#include "tst_paperpainting.moc"
