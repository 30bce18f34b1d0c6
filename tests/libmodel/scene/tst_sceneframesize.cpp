// Changing the scene's frame size: every drawing follows the fit mode, the
// stroke drawings by moving and scaling their strokes, the pictures of
// reference layers by being fitted into the new frame when drawn.
// Rasterising needs the off-screen renderer (software OpenGL under X).
#include "TestSupport.h"

#include "../strokes/StrokeFixtures.h"
#include "EditFixture.h"

#include "drawings/StrokeDrawing.h"
#include "rendering/OffscreenRenderer.h"
#include "scene/StrokeLayer.h"
#include "settings/Settings.h"

#include <QPainter>
#include <QProgressDialog>

using Model::LayerItem;
using Model::StrokeDrawing;

namespace {

QSize const OldSize(200, 100);
QSize const NewSize(400, 400);

// The ink-weighted centre of an 8-bit coverage image.
QPointF centreOfInk(QImage const& coverage)
{
    double sum = 0;
    double x = 0;
    double y = 0;
    for (int row = 0; row < coverage.height(); ++row) {
        uchar const* line = coverage.constScanLine(row);
        for (int column = 0; column < coverage.width(); ++column) {
            sum += line[column];
            x += double(line[column]) * (column + 0.5);
            y += double(line[column]) * (row + 0.5);
        }
    }
    return sum > 0 ? QPointF(x / sum, y / sum) : QPointF(-1, -1);
}

// The rows of a canvas of the given size on which the layer paints.
QPair<int, int> paintedRows(Model::VisualLayer const& layer, QSize const& size)
{
    QImage canvas(size, QImage::Format_ARGB32_Premultiplied);
    canvas.fill(Qt::transparent);
    {
        QPainter painter(&canvas);
        layer.draw(1, &painter, canvas.rect(), false);
    }
    int first = -1;
    int last = -1;
    for (int row = 0; row < size.height(); ++row) {
        if (qAlpha(canvas.pixel(size.width() / 2, row)) > 0) {
            if (first < 0)
                first = row;
            last = row;
        }
    }
    return {first, last};
}

} // namespace

class TestSceneFrameSize : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void init();

    void drawingsFollowTheFitMode_data();
    void drawingsFollowTheFitMode();
    void changeIsAnnouncedAroundIt();
    void sameOrEmptySizeChangesNothing_data();
    void sameOrEmptySizeChangesNothing();

private:
    QObject m_toolOwner;
    Model::PenTool* m_marker = nullptr;
};

void TestSceneFrameSize::initTestCase()
{
    QVERIFY(Model::OffscreenRenderer::instance()->initialize(OldSize));
    m_marker = new Model::PenTool(Model::Tool::Marker, &m_toolOwner);
}

void TestSceneFrameSize::init()
{
    TestSupport::clearSettings();
    Model::Settings::instance()->setDefaultFrameSize(OldSize);
}

void TestSceneFrameSize::drawingsFollowTheFitMode_data()
{
    QTest::addColumn<KW::FitMode>("mode");
    QTest::addColumn<QPointF>("stroke");
    QTest::addColumn<QPointF>("offPegs");

    // A stroke centred on (70, 30) of a 200 x 100 frame, a cell off the pegs
    // by (10, 10); the frame becomes 400 x 400.
    QTest::newRow("stretch") << KW::FitMode::FitModeStretch << QPointF(140, 120) << QPointF(20, 40);
    QTest::newRow("keep aspect") << KW::FitMode::FitModeKeepAspect << QPointF(140, 160)
                                 << QPointF(20, 20);
    QTest::newRow("keep aspect by expanding") << KW::FitMode::FitModeKeepAspectByExpanding
                                              << QPointF(80, 120) << QPointF(40, 40);
    QTest::newRow("crop centre") << KW::FitMode::FitModeCropCenter << QPointF(170, 180)
                                 << QPointF(10, 10);
    QTest::newRow("ignore") << KW::FitMode::FitModeIgnore << QPointF(70, 30) << QPointF(10, 10);
}

void TestSceneFrameSize::drawingsFollowTheFitMode()
{
    QFETCH(KW::FitMode, mode);
    QFETCH(QPointF, stroke);
    QFETCH(QPointF, offPegs);

    Model::Scene scene;
    QCOMPARE(scene.frameSize(), OldSize);
    auto const strokes = std::make_shared<Model::StrokeLayer>(QColor(0, 0, 200), OldSize, nullptr);
    auto drawing = std::static_pointer_cast<StrokeDrawing>(strokes->layerItem(1)->drawing);
    QVERIFY(drawing->appendStroke(
        StrokeFixtures::strokeThrough(m_marker, {{60, 30}, {70, 30}, {80, 30}})));
    QVERIFY(QLineF(centreOfInk(drawing->buffer()), QPointF(70, 30)).length() < 1.0);
    strokes->insertHoldFrameAfter(1);
    strokes->setOffPegsTransform(1, QTransform::fromTranslate(10, 10));
    scene.addLayer(strokes, 0);

    auto const reference = std::make_shared<Model::ReferenceLayer>(OldSize, nullptr);
    QImage picture(OldSize, QImage::Format_ARGB32);
    picture.fill(Qt::red);
    reference->frames().first()->drawing = std::make_shared<Model::ImageDrawing>(picture);
    scene.addLayer(reference, 1);
    QCOMPARE(paintedRows(*reference, OldSize), qMakePair(0, 99));

    scene.setFrameSize(NewSize, mode, nullptr);

    QCOMPARE(scene.frameSize(), NewSize);
    QCOMPARE(strokes->frameSize(), NewSize);
    QCOMPARE(reference->frameSize(), NewSize);
    // The stroke sits where the mode puts it, in a buffer of the new size,
    // and the hold still shows the same drawing.
    QCOMPARE(drawing->size(), NewSize);
    QCOMPARE(drawing->buffer().size(), NewSize);
    QPointF const centre = centreOfInk(drawing->buffer());
    QVERIFY2(QLineF(centre, stroke).length() < 3.0,
             qPrintable(QStringLiteral("ink centred on %1, %2").arg(centre.x()).arg(centre.y())));
    QCOMPARE(strokes->layerItem(2)->drawing, std::shared_ptr<Model::Drawing>(drawing));
    QTransform const transform = strokes->offPegsTransform(1);
    QCOMPARE(QPointF(transform.dx(), transform.dy()), offPegs);
    // The picture keeps its pixels and is fitted into the frame, centred,
    // whatever the mode.
    QCOMPARE(reference->imageDrawing(0)->image(), picture);
    QCOMPARE(paintedRows(*reference, NewSize), qMakePair(100, 299));
}

void TestSceneFrameSize::changeIsAnnouncedAroundIt()
{
    EditScene s;
    QSize const size(640, 480);
    QStringList order;
    connect(&s.scene, &Model::Scene::frameSizeAboutToChange, this, [&](QSize next) {
        order << QStringLiteral("about to change to %1x%2, still %3x%4")
                     .arg(next.width())
                     .arg(next.height())
                     .arg(s.ink->frameSize().width())
                     .arg(s.scene.frameWidth());
    });
    connect(&s.scene, &Model::Scene::frameSizeChanged, this, [&](QSize now) {
        order << QStringLiteral("changed to %1x%2").arg(now.width()).arg(now.height());
    });
    connect(&s.scene, &Model::Scene::rectChanged, this, [&](QRect rect) {
        order << QStringLiteral("rect %1x%2").arg(rect.width()).arg(rect.height());
    });
    QProgressDialog progress;
    progress.setAutoReset(false);
    progress.setAutoClose(false);
    progress.setRange(0, 100);
    progress.setValue(0);
    int const before = s.scene.frameWidth();

    s.scene.setFrameSize(size, KW::FitMode::FitModeIgnore, &progress);

    QCOMPARE(order, (QStringList{QStringLiteral("about to change to 640x480, still 1000x%1").arg(before),
                                 QStringLiteral("changed to 640x480"), QStringLiteral("rect 640x480")}));
    // One step per cell of every visual layer.
    QCOMPARE(progress.value(), s.scene.numDrawings());
    for (int i = 0; i < s.scene.numLayers(); ++i) {
        if (auto const* visual = qobject_cast<Model::VisualLayer const*>(s.scene.layer(i).get()))
            QCOMPARE(visual->frameSize(), size);
    }
}

void TestSceneFrameSize::sameOrEmptySizeChangesNothing_data()
{
    QTest::addColumn<QSize>("size");
    QTest::newRow("the same size") << OldSize;
    QTest::newRow("no width") << QSize(0, 300);
    QTest::newRow("negative height") << QSize(300, -1);
    // Beyond what the full-frame pictures can take in memory.
    QTest::newRow("a side above the limit") << QSize(Model::Scene::maximumFrameSide + 1, 300);
    QTest::newRow("both sides far above it") << QSize(16384, 16384);
}

void TestSceneFrameSize::sameOrEmptySizeChangesNothing()
{
    QFETCH(QSize, size);

    EditScene s;
    QCOMPARE(s.scene.frameSize(), OldSize);
    auto const spies = Fixture::spyOnAllSignals(&s.scene);
    s.scene.setFrameSize(size, KW::FitMode::FitModeStretch, nullptr);
    QCOMPARE(s.scene.frameSize(), OldSize);
    QCOMPARE(s.ink->frameSize(), QSize(1000, 500));
    QCOMPARE(Fixture::caught(spies), QStringList());
}

QUILLMERE_TEST_MAIN(TestSceneFrameSize)
#include "tst_sceneframesize.moc"
