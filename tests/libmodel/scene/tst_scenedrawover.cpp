// The scene paints over what the view has already put down (the paper's
// colour or pattern): where the frame holds no ink, that stays visible.
#include "TestSupport.h"

#include "scene/Scene.h"
#include "scene/StrokeLayer.h"
#include "settings/BacklightSettings.h"
#include "startup/Init.h"
#include "strokes/BitmapStroke.h"

#include <QPainter>

namespace {

const QSize FrameSize(60, 40);

std::unique_ptr<Model::BitmapStroke> block(QRect const& rect)
{
    QImage coverage(rect.size(), QImage::Format_Alpha8);
    coverage.fill(QColor(0, 0, 0, 255));
    return std::make_unique<Model::BitmapStroke>(coverage, rect);
}

} // namespace

class TestSceneDrawOver : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase() { Model::init(); }
    void emptyPaperStaysVisible_data();
    void emptyPaperStaysVisible();
};

void TestSceneDrawOver::emptyPaperStaysVisible_data()
{
    QTest::addColumn<bool>("backlight");
    QTest::newRow("without backlight") << false;
    QTest::newRow("with backlight") << true;
}

void TestSceneDrawOver::emptyPaperStaysVisible()
{
    QFETCH(bool, backlight);
    Model::Scene scene;
    scene.setFrameSize(FrameSize, KW::FitMode::FitModeKeepAspect, nullptr);
    auto layer = std::make_shared<Model::StrokeLayer>(QColor(0, 0, 255), FrameSize, nullptr);
    layer->insertBlankFrameAfter(1);
    layer->appendStroke(1, block(QRect(0, 0, 10, 10)));
    layer->appendStroke(2, block(QRect(30, 20, 10, 10)));
    scene.addLayer(layer, 0);
    scene.setFrameRange(1, 2, 2, 0);
    Model::BacklightSettings light;
    light.enabled = backlight;
    light.settingA.opacityLevelsBefore = {0.5};
    scene.setBacklightSettings(light);
    scene.updateCachedFramePixmap(true);

    // An opaque destination, as a widget's backing store is.
    QImage image(FrameSize, QImage::Format_RGB32);
    image.fill(QColor(200, 100, 50));
    QPainter painter(&image);
    scene.draw(&painter, QRect(QPoint(0, 0), FrameSize));
    painter.end();
    QCOMPARE(image.pixelColor(50, 5), QColor(200, 100, 50));
    QCOMPARE(image.pixelColor(35, 25), QColor(0, 0, 255));
    QCOMPARE(image.pixelColor(5, 5) == QColor(200, 100, 50), !backlight);
}

QUILLMERE_TEST_MAIN(TestSceneDrawOver)
#include "tst_scenedrawover.moc"
