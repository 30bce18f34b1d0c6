// Compositing a frame: the layers in display order with the active layer on
// top, layer opacities, the backlight drawings in their tints, the three
// drawing entry points, the lasso view, scrub frames and frames past the
// range. Pixels are read back from a small scene of two stroke layers over a
// reference layer, whose drawings are plain blocks of full coverage.
#include "TestSupport.h"

#include "drawings/ImageDrawing.h"
#include "scene/LayerItem.h"
#include "scene/ReferenceLayer.h"
#include "scene/Scene.h"
#include "scene/StrokeLayer.h"
#include "settings/BacklightSettings.h"
#include "startup/Init.h"
#include "strokes/BitmapStroke.h"
#include "tools/ToolManager.h"

#include <QFile>
#include <QPainter>
#include <QSignalSpy>

namespace {

const QSize FrameSize(64, 48);
const QRect FrameRect(QPoint(0, 0), FrameSize);

std::unique_ptr<Model::BitmapStroke> block(QRect const& rect)
{
    QImage coverage(rect.size(), QImage::Format_Alpha8);
    coverage.fill(QColor(0, 0, 0, 255));
    return std::make_unique<Model::BitmapStroke>(coverage, rect);
}

std::shared_ptr<Model::StrokeLayer> strokeLayer(QColor const& color, QList<QRect> const& blocks)
{
    auto layer = std::make_shared<Model::StrokeLayer>(color, FrameSize, nullptr);
    for (int frame = 2; frame <= blocks.size(); ++frame)
        layer->insertBlankFrameAfter(frame - 1);
    for (int frame = 1; frame <= blocks.size(); ++frame)
        layer->appendStroke(frame, block(blocks.at(frame - 1)));
    return layer;
}

std::shared_ptr<Model::LayerItem> picture(QRect const& green)
{
    QImage image(FrameSize, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    QPainter(&image).fillRect(green, Qt::green);
    return std::make_shared<Model::LayerItem>(Model::LayerItem::Original, QUuid::createUuid(),
                                              std::make_shared<Model::ImageDrawing>(image));
}

// Places in the frame, and what lies there at frame 2 (the active frame).
const QPoint GreenOnly(5, 35);   // the picture alone, at half opacity
const QPoint RedOverGreen(15, 32);
const QPoint RedAndBlue(25, 15); // blue is the active layer, red lies above it
const QPoint BlueOnly(35, 15);
const QPoint Empty(5, 5);
// Backlight blocks of frames 1 and 3.
const QPoint RedBefore(48, 4);
const QPoint RedAfter(58, 4);
const QPoint BlueBefore(48, 22);
const QPoint BlueAfter(58, 22);
const QPoint PictureBesides(50, 44); // pictures of frames 1 and 3 only

Model::BacklightSettings backlight(bool enabled,
                                   Model::BacklightSetting::Layers layers =
                                       Model::BacklightSetting::BacklightVisibleLayers)
{
    Model::BacklightSettings settings;
    settings.enabled = enabled;
    settings.current = Model::BacklightSettings::BacklightSettingA;
    settings.settingA.opacityLevelsBefore = {0.5};
    settings.settingA.opacityLevelsAfter = {0.5};
    settings.settingA.hueShift = Model::BacklightSetting::UseHueShift;
    settings.settingA.showOption = Model::BacklightSetting::StopAtEnds;
    settings.settingA.layers = layers;
    return settings;
}

// The three layers: 0 red strokes on top, 1 blue strokes, 2 the picture at
// the bottom. Blue is active at frame 2.
struct CompositeScene
{
    CompositeScene()
    {
        scene.setFrameSize(FrameSize, KW::FitMode::FitModeKeepAspect, nullptr);
        red = strokeLayer(QColor(255, 0, 0),
                          {QRect(45, 2, 8, 6), QRect(10, 10, 20, 25), QRect(55, 2, 8, 6)});
        blue = strokeLayer(QColor(0, 0, 255),
                           {QRect(45, 20, 8, 6), QRect(20, 10, 20, 10), QRect(55, 20, 8, 6)});
        reference = std::make_shared<Model::ReferenceLayer>(FrameSize, nullptr);
        reference->frames() = {picture(QRect(40, 40, 24, 8)), picture(QRect(0, 30, 64, 10)),
                               picture(QRect(40, 40, 24, 8))};
        scene.addLayer(red, 0);
        scene.addLayer(blue, 1);
        scene.addLayer(reference, 2);
        scene.setFrameRange(1, 3, 2, 1);
        scene.setBacklightSettings(backlight(true));
    }

    Model::Scene scene;
    std::shared_ptr<Model::StrokeLayer> red;
    std::shared_ptr<Model::StrokeLayer> blue;
    std::shared_ptr<Model::ReferenceLayer> reference;
};

enum class Entry { Draw, CurrentFrameOnly, BacklightOnly };

QImage paint(Model::Scene const& scene, Entry entry = Entry::Draw, QRect const& exposed = FrameRect)
{
    QImage image(FrameSize, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    QPainter painter(&image);
    switch (entry) {
    case Entry::Draw:
        scene.draw(&painter, exposed);
        break;
    case Entry::CurrentFrameOnly:
        scene.drawOnlyCurrentFrame(&painter, exposed);
        break;
    case Entry::BacklightOnly:
        scene.drawOnlyBackLight(&painter, exposed);
        break;
    }
    return image;
}

// The process's resident memory in bytes.
qint64 residentBytes()
{
    QFile statm(QStringLiteral("/proc/self/statm"));
    if (!statm.open(QIODevice::ReadOnly))
        return -1;
    QList<QByteArray> const fields = statm.readAll().split(' ');
    return fields.size() > 1 ? fields.at(1).toLongLong() * 4096 : -1;
}

// Premultiplied channels, for comparing with an expected blend.
QList<int> premultiplied(QImage const& image, QPoint const& at)
{
    QRgb const p = reinterpret_cast<QRgb const*>(image.constScanLine(at.y()))[at.x()];
    return {qRed(p), qGreen(p), qBlue(p), qAlpha(p)};
}

bool near(QList<int> const& actual, QList<int> const& expected, int tolerance = 2)
{
    for (int i = 0; i < 4; ++i) {
        if (std::abs(actual.at(i) - expected.at(i)) > tolerance)
            return false;
    }
    return true;
}

QString text(QList<int> const& channels)
{
    QStringList parts;
    for (int const c : channels)
        parts << QString::number(c);
    return parts.join(QLatin1Char(','));
}

#define COMPARE_PIXEL(image, at, ...)                                                              \
    do {                                                                                           \
        QList<int> const actual_ = premultiplied(image, at);                                       \
        QList<int> const expected_{__VA_ARGS__};                                                   \
        QVERIFY2(near(actual_, expected_),                                                         \
                 qPrintable(QStringLiteral("at (%1, %2): %3, expected %4")                         \
                                .arg((at).x())                                                     \
                                .arg((at).y())                                                     \
                                .arg(text(actual_), text(expected_))));                            \
    } while (false)

// A tinted light-table pixel: the hue, and the alpha of half coverage.
#define COMPARE_TINT(image, at, hue)                                                               \
    do {                                                                                           \
        QColor const c_ = QColor::fromRgba((image).pixel(at));                                     \
        QVERIFY2(std::abs(c_.alpha() - 128) <= 1 && std::abs(c_.hsvHue() - (hue)) <= 2,            \
                 qPrintable(QStringLiteral("at (%1, %2): hue %3 alpha %4, expected hue %5")        \
                                .arg((at).x())                                                     \
                                .arg((at).y())                                                     \
                                .arg(c_.hsvHue())                                                  \
                                .arg(c_.alpha())                                                   \
                                .arg(hue)));                                                       \
    } while (false)

} // namespace

class TestSceneComposite : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void cleanup();

    void layerOrderOpacityAndBacklight();
    void layerOpacities();
    void hiddenAndTransparentLayersAreLeftOut();
    void backlightOfTheActiveLayerOnly();
    void backlightPutsNeighboursOffThePegsBack();
    void theThreeEntryPoints();
    void onlyTheExposedRectIsPainted();
    void lassoViewDimsTheOtherLayers();
    void scrubFrameIsPaintedLiveWithoutBacklight();
    void pastTheRangeOnlyTheBacklightShows();
    void noActiveLayerAndNoLayers();
    void cachedPicturesEqualFullFramePictures_data();
    void cachedPicturesEqualFullFramePictures();
    void softInkCompositesAsThePainterBlendsIt_data();
    void softInkCompositesAsThePainterBlendsIt();
    void anEmptyLargeFrameCostsNoPictureMemory();
};

void TestSceneComposite::initTestCase()
{
    Model::init();
}

void TestSceneComposite::cleanup()
{
    Model::ToolManager::instance()->setCurrentTool(Model::Tool::NoTool, Model::Tool::Usable);
}

void TestSceneComposite::layerOrderOpacityAndBacklight()
{
    CompositeScene s;
    QCOMPARE(s.scene.activeLayerIdx(), 1);
    QCOMPARE(s.scene.activeFrame(), 2);
    QImage const frame = paint(s.scene);

    COMPARE_PIXEL(frame, GreenOnly, 0, 128, 0, 128);
    // Red lies above the picture...
    COMPARE_PIXEL(frame, RedOverGreen, 255, 0, 0, 255);
    // ...and above blue in the stack, but blue is active and comes last.
    COMPARE_PIXEL(frame, RedAndBlue, 0, 0, 255, 255);
    COMPARE_PIXEL(frame, BlueOnly, 0, 0, 255, 255);
    COMPARE_PIXEL(frame, Empty, 0, 0, 0, 0);
    // Neighbours in the light table: before turned by +30 degrees, after by
    // -30, at half strength.
    COMPARE_TINT(frame, RedBefore, 30);
    COMPARE_TINT(frame, RedAfter, 330);
    COMPARE_TINT(frame, BlueBefore, 270);
    COMPARE_TINT(frame, BlueAfter, 210);
    // Pictures never show through the light table.
    COMPARE_PIXEL(frame, PictureBesides, 0, 0, 0, 0);

    // Switched off, the light table is empty.
    s.scene.setBacklightSettings(backlight(false));
    QImage const unlit = paint(s.scene);
    COMPARE_PIXEL(unlit, RedBefore, 0, 0, 0, 0);
    COMPARE_PIXEL(unlit, BlueAfter, 0, 0, 0, 0);
    COMPARE_PIXEL(unlit, RedAndBlue, 0, 0, 255, 255);
}

void TestSceneComposite::layerOpacities()
{
    CompositeScene s;
    QSignalSpy opacityChanged(&s.scene, &Model::Scene::layerOpacityChanged);
    QVERIFY(s.scene.setLayerOpacity(0, 0.5));
    QCOMPARE(opacityChanged.at(0), (QVariantList{0, 0.5}));
    QImage const frame = paint(s.scene);
    // Half red over the half-opaque picture.
    COMPARE_PIXEL(frame, RedOverGreen, 128, 64, 0, 191);
    COMPARE_PIXEL(frame, RedAndBlue, 0, 0, 255, 255);
    // The light table draws the layer at its own opacity as well.
    QColor const before = QColor::fromRgba(frame.pixel(RedBefore));
    QVERIFY2(std::abs(before.alpha() - 64) <= 1, qPrintable(QString::number(before.alpha())));

    QVERIFY(s.scene.setLayerOpacity(2, 1.0));
    COMPARE_PIXEL(paint(s.scene), GreenOnly, 0, 255, 0, 255);
}

void TestSceneComposite::hiddenAndTransparentLayersAreLeftOut()
{
    CompositeScene s;
    // A hidden active layer is not drawn, not even on top.
    QVERIFY(s.scene.setLayerVisible(1, false));
    QImage frame = paint(s.scene);
    COMPARE_PIXEL(frame, RedAndBlue, 255, 0, 0, 255);
    COMPARE_PIXEL(frame, BlueOnly, 0, 0, 0, 0);
    COMPARE_PIXEL(frame, BlueBefore, 0, 0, 0, 0);
    COMPARE_TINT(frame, RedBefore, 30);

    QVERIFY(s.scene.setLayerVisible(1, true));
    QVERIFY(s.scene.setLayerOpacity(0, 0.0));
    frame = paint(s.scene);
    COMPARE_PIXEL(frame, RedOverGreen, 0, 128, 0, 128);
    COMPARE_PIXEL(frame, RedBefore, 0, 0, 0, 0);
    COMPARE_PIXEL(frame, RedAndBlue, 0, 0, 255, 255);
}

void TestSceneComposite::backlightOfTheActiveLayerOnly()
{
    CompositeScene s;
    s.scene.setBacklightSettings(
        backlight(true, Model::BacklightSetting::BacklightActiveLayerOnly));
    QImage const frame = paint(s.scene);
    COMPARE_PIXEL(frame, RedBefore, 0, 0, 0, 0);
    COMPARE_PIXEL(frame, RedAfter, 0, 0, 0, 0);
    COMPARE_TINT(frame, BlueBefore, 270);
    COMPARE_TINT(frame, BlueAfter, 210);
}

void TestSceneComposite::backlightPutsNeighboursOffThePegsBack()
{
    CompositeScene s;
    QSignalSpy offPegs(&s.scene, &Model::Scene::offPegsTransformChanged);
    QSignalSpy drawings(&s.scene, &Model::Scene::drawingsChanged);
    // Red's drawing of frame 1 is off the pegs by ten pixels to the right;
    // the whole of frame 1 in the light table moves back by as much.
    s.scene.setOffPegsTransform(1, 0, QTransform::fromTranslate(10, 0));
    // Not the active frame: no new picture, no announcement of the transform,
    // but every visual layer's cell at that frame is reported.
    QCOMPARE(offPegs.count(), 0);
    QCOMPARE(drawings.count(), 1);
    using Cells = QList<std::pair<int, int>>;
    QCOMPARE(drawings.at(0).at(0).value<Cells>(), (Cells{{1, 0}, {1, 1}, {1, 2}}));
    QVERIFY(s.scene.isOffPegs(1));
    QCOMPARE(s.scene.offPegsTransform(1, 1), QTransform());

    s.scene.updateCachedFramePixmap(true);
    QImage const frame = paint(s.scene);
    COMPARE_PIXEL(frame, RedBefore, 0, 0, 0, 0);
    COMPARE_TINT(frame, RedBefore - QPoint(10, 0), 30);
    COMPARE_TINT(frame, BlueBefore - QPoint(10, 0), 270);
    COMPARE_TINT(frame, RedAfter, 330);

    // At the active frame the picture is renewed and the scene's transform
    // is announced.
    s.scene.setOffPegsTransform(2, 1, QTransform::fromTranslate(0, 3));
    QCOMPARE(offPegs.count(), 1);
    QCOMPARE(offPegs.at(0).at(0).value<QTransform>(), QTransform::fromTranslate(0, 3));
}

void TestSceneComposite::theThreeEntryPoints()
{
    CompositeScene s;
    QImage const current = paint(s.scene, Entry::CurrentFrameOnly);
    COMPARE_PIXEL(current, RedAndBlue, 0, 0, 255, 255);
    COMPARE_PIXEL(current, GreenOnly, 0, 128, 0, 128);
    COMPARE_PIXEL(current, RedBefore, 0, 0, 0, 0);

    QImage const light = paint(s.scene, Entry::BacklightOnly);
    COMPARE_TINT(light, RedBefore, 30);
    COMPARE_TINT(light, BlueAfter, 210);
    COMPARE_PIXEL(light, RedAndBlue, 0, 0, 0, 0);
    COMPARE_PIXEL(light, GreenOnly, 0, 0, 0, 0);
}

void TestSceneComposite::onlyTheExposedRectIsPainted()
{
    CompositeScene s;
    // Partly outside the frame as well: clipped to it.
    QImage const frame = paint(s.scene, Entry::Draw, QRect(-10, -10, 40, 30));
    COMPARE_PIXEL(frame, RedAndBlue, 0, 0, 255, 255);
    COMPARE_PIXEL(frame, BlueOnly, 0, 0, 0, 0);
    COMPARE_PIXEL(frame, GreenOnly, 0, 0, 0, 0);
}

void TestSceneComposite::lassoViewDimsTheOtherLayers()
{
    CompositeScene s;
    Model::ToolManager* tools = Model::ToolManager::instance();
    tools->setCurrentTool(Model::Tool::Lasso, Model::Tool::Usable);
    // The main window recomposes when the tool changes.
    s.scene.updateCachedFramePixmap(false);
    QImage frame = paint(s.scene);
    // The others at a quarter of their opacity, the active one at full.
    COMPARE_PIXEL(frame, GreenOnly, 0, 32, 0, 32);
    COMPARE_PIXEL(frame, RedOverGreen, 64, 24, 0, 88);
    COMPARE_PIXEL(frame, RedAndBlue, 0, 0, 255, 255);
    COMPARE_PIXEL(frame, BlueOnly, 0, 0, 255, 255);
    COMPARE_TINT(frame, RedBefore, 30);
    // What drawOnlyCurrentFrame shows (the reference display) is unchanged.
    COMPARE_PIXEL(paint(s.scene, Entry::CurrentFrameOnly), RedOverGreen, 255, 0, 0, 255);

    // The cutter lassoes too; a lassoing tool that cannot be used does not.
    tools->setCurrentTool(Model::Tool::Cutter, Model::Tool::Usable);
    s.scene.updateCachedFramePixmap(false);
    COMPARE_PIXEL(paint(s.scene), GreenOnly, 0, 32, 0, 32);
    tools->setCurrentTool(Model::Tool::Lasso, Model::Tool::LayerNotVisible);
    s.scene.updateCachedFramePixmap(false);
    COMPARE_PIXEL(paint(s.scene), GreenOnly, 0, 128, 0, 128);
    tools->setCurrentTool(Model::Tool::Hand, Model::Tool::Usable);
    s.scene.updateCachedFramePixmap(false);
    frame = paint(s.scene);
    COMPARE_PIXEL(frame, GreenOnly, 0, 128, 0, 128);
    COMPARE_PIXEL(frame, RedOverGreen, 255, 0, 0, 255);
}

void TestSceneComposite::scrubFrameIsPaintedLiveWithoutBacklight()
{
    CompositeScene s;
    s.scene.setScrubFrame(1);
    QImage const frame = paint(s.scene);
    // Frame 1 itself, in its real colours and without tint.
    COMPARE_PIXEL(frame, RedBefore, 255, 0, 0, 255);
    COMPARE_PIXEL(frame, BlueBefore, 0, 0, 255, 255);
    COMPARE_PIXEL(frame, PictureBesides, 0, 128, 0, 128);
    COMPARE_PIXEL(frame, RedAndBlue, 0, 0, 0, 0);
    COMPARE_PIXEL(frame, RedAfter, 0, 0, 0, 0);
    COMPARE_PIXEL(paint(s.scene, Entry::CurrentFrameOnly), BlueBefore, 0, 0, 255, 255);
    QImage const light = paint(s.scene, Entry::BacklightOnly);
    for (QPoint const& p : {RedBefore, RedAfter, BlueBefore, BlueAfter})
        COMPARE_PIXEL(light, p, 0, 0, 0, 0);

    // While scrubbing every layer keeps its place in the stack: the active
    // blue layer goes under red.
    s.blue->appendStroke(1, block(QRect(45, 2, 8, 6)));
    COMPARE_PIXEL(paint(s.scene), RedBefore, 255, 0, 0, 255);

    // An edit made while scrubbing rebuilds the pictures, of the active
    // frame still: the view comes back to it.
    s.scene.updateCachedFramePixmap(true);
    s.scene.unsetScrubFrame();
    QImage const back = paint(s.scene);
    COMPARE_PIXEL(back, BlueOnly, 0, 0, 255, 255);
    COMPARE_TINT(back, BlueBefore, 270);
    COMPARE_TINT(back, RedAfter, 330);
}

void TestSceneComposite::pastTheRangeOnlyTheBacklightShows()
{
    CompositeScene s;
    // A fourth blue frame makes the scene four frames long; the range stays
    // 1-3 and red's virtual last frame 4 lies past it.
    s.blue->insertBlankFrameAfter(3);
    s.blue->appendStroke(4, block(QRect(20, 10, 20, 10)));
    s.scene.updateMaxFrameNumber();
    s.scene.setFrameRange(1, 3, 2, 1);
    s.scene.setActiveFrameAndLayer(4, 0, Model::Scene::AcceptVirtualLastFrame);
    QCOMPARE(s.scene.activeFrame(), 4);
    QCOMPARE(s.scene.activeLayerIdx(), 0);

    QImage const frame = paint(s.scene);
    // Every layer is asked for frame -1: no drawing at all...
    COMPARE_PIXEL(frame, BlueOnly, 0, 0, 0, 0);
    COMPARE_PIXEL(frame, GreenOnly, 0, 0, 0, 0);
    // ...but the last drawing before shows through the light table.
    COMPARE_TINT(frame, RedAfter, 30);
    COMPARE_TINT(frame, BlueAfter, 270);
}

void TestSceneComposite::noActiveLayerAndNoLayers()
{
    // A scene without layers keeps empty pictures and paints nothing.
    Model::Scene empty;
    empty.updateCachedFramePixmap(true);
    QImage image = paint(empty);
    COMPARE_PIXEL(image, Empty, 0, 0, 0, 0);

    // With no active layer every shown layer takes its place in the stack.
    CompositeScene s;
    QVERIFY(s.scene.setActiveFrameAndLayerInternal(1, -1, Model::Scene::KeepWithinDrawnFrames));
    QCOMPARE(s.scene.activeLayerIdx(), -1);
    s.scene.setBacklightSettings(backlight(false));
    s.scene.updateCachedFramePixmap(true);
    image = paint(s.scene);
    COMPARE_PIXEL(image, RedBefore, 255, 0, 0, 255);
    s.blue->appendStroke(1, block(QRect(45, 2, 8, 6)));
    s.scene.updateCachedFramePixmap(true);
    COMPARE_PIXEL(paint(s.scene), RedBefore, 255, 0, 0, 255);
}

void TestSceneComposite::cachedPicturesEqualFullFramePictures_data()
{
    QTest::addColumn<int>("entry");
    QTest::addColumn<QPointF>("offPegs");
    QTest::addColumn<bool>("lassoing");

    QTest::newRow("frame") << int(Entry::Draw) << QPointF() << false;
    QTest::newRow("frame, a neighbour off the pegs") << int(Entry::Draw) << QPointF(7.5, -3) << false;
    QTest::newRow("frame while lassoing") << int(Entry::Draw) << QPointF() << true;
    QTest::newRow("current frame") << int(Entry::CurrentFrameOnly) << QPointF() << false;
    QTest::newRow("backlight") << int(Entry::BacklightOnly) << QPointF(-4, 2) << false;
}

void TestSceneComposite::cachedPicturesEqualFullFramePictures()
{
    QFETCH(int, entry);
    QFETCH(QPointF, offPegs);
    QFETCH(bool, lassoing);

    // Ink only, so that the cached pictures cover a part of the frame; the
    // layers painted straight onto a whole frame give the expected pixels.
    CompositeScene s;
    s.scene.removeLayer(2);
    s.scene.setFrameRange(1, 3, 2, 1);
    s.scene.setOffPegsTransform(1, 0, QTransform::fromTranslate(offPegs.x(), offPegs.y()));
    if (lassoing)
        Model::ToolManager::instance()->setCurrentTool(Model::Tool::Lasso, Model::Tool::Usable);
    s.scene.updateCachedFramePixmap(true);

    QImage expected(FrameSize, QImage::Format_ARGB32_Premultiplied);
    expected.fill(Qt::transparent);
    {
        QPainter painter(&expected);
        if (entry != int(Entry::CurrentFrameOnly)) {
            for (Model::Scene::BacklightFrame const& record : s.scene.backlightFrames()) {
                painter.setTransform(s.scene.offPegsTransform(record.frame, nullptr).inverted());
                for (auto const& layer : {s.blue, s.red}) // bottom first
                    layer->drawBacklight(record.frame, &painter, FrameRect, record.hueShift,
                                         record.opacity);
            }
            painter.resetTransform();
        }
        if (entry != int(Entry::BacklightOnly)) {
            painter.setOpacity(lassoing ? 0.25 : 1.0);
            s.red->draw(2, &painter, FrameRect);
            painter.setOpacity(1.0);
            s.blue->draw(2, &painter, FrameRect);
        }
    }
    QImage const cached = paint(s.scene, Entry(entry));
    QCOMPARE(cached, expected);

    // A painter that replaces what it paints over takes the transparent
    // parts of the picture too, as from a picture of the whole frame.
    QImage replaced(FrameSize, QImage::Format_ARGB32_Premultiplied);
    replaced.fill(Qt::white);
    {
        QPainter painter(&replaced);
        painter.setCompositionMode(QPainter::CompositionMode_Source);
        if (entry == int(Entry::Draw))
            s.scene.draw(&painter, FrameRect);
        else if (entry == int(Entry::CurrentFrameOnly))
            s.scene.drawOnlyCurrentFrame(&painter, FrameRect);
        else
            s.scene.drawOnlyBackLight(&painter, FrameRect);
    }
    QCOMPARE(replaced, expected);
}

void TestSceneComposite::softInkCompositesAsThePainterBlendsIt_data()
{
    QTest::addColumn<QPointF>("offPegs");
    QTest::addColumn<int>("entry");

    QTest::newRow("frame") << QPointF() << int(Entry::Draw);
    QTest::newRow("frame, a neighbour off the pegs") << QPointF(-5, 3) << int(Entry::Draw);
    QTest::newRow("frame, a neighbour half a pixel off")
        << QPointF(2.5, -1) << int(Entry::Draw);
    QTest::newRow("current frame") << QPointF() << int(Entry::CurrentFrameOnly);
    QTest::newRow("backlight") << QPointF(4, 2) << int(Entry::BacklightOnly);
}

void TestSceneComposite::softInkCompositesAsThePainterBlendsIt()
{
    QFETCH(QPointF, offPegs);
    QFETCH(int, entry);

    // Ink of every strength, thin lines with blank pixels between them as
    // strokes leave, overlapping from layer to layer and frame to frame.
    auto const softInk = [](int seed) {
        QRect const rect(4 + 3 * seed, 3 + 2 * seed, 40, 30);
        QImage coverage(rect.size(), QImage::Format_Alpha8);
        coverage.fill(0);
        for (int y = 0; y < rect.height(); ++y) {
            for (int x = 0; x < rect.width(); ++x) {
                if ((x + 2 * y + seed) % 9 < 3)
                    coverage.scanLine(y)[x] = uchar((x * 37 + y * 11 + seed * 53) % 256);
            }
        }
        return std::make_unique<Model::BitmapStroke>(coverage, rect);
    };
    Model::Scene scene;
    scene.setFrameSize(FrameSize, KW::FitMode::FitModeKeepAspect, nullptr);
    QList<std::shared_ptr<Model::StrokeLayer>> layers;
    for (int l = 0; l < 2; ++l) {
        auto layer = std::make_shared<Model::StrokeLayer>(QColor::fromHsv(100 + 120 * l, 200, 180),
                                                          FrameSize, nullptr);
        for (int frame = 2; frame <= 3; ++frame)
            layer->insertBlankFrameAfter(frame - 1);
        for (int frame = 1; frame <= 3; ++frame)
            layer->appendStroke(frame, softInk(l * 3 + frame));
        scene.addLayer(layer, l);
        layers.append(layer);
    }
    layers.at(0)->setOpacity(0.6);
    scene.setFrameRange(1, 3, 3, 1);
    scene.setOffPegsTransform(1, 0, QTransform::fromTranslate(offPegs.x(), offPegs.y()));
    scene.setBacklightSettings(backlight(true));
    // The pictures of another frame are there first: nothing of them stays.
    scene.updateCachedFramePixmap(true);
    QVERIFY(scene.setActiveFrameAndLayerInternal(2, 1, Model::Scene::KeepWithinDrawnFrames));
    scene.updateCachedFramePixmap(true);

    // The layers painted onto whole frames through clipped painters, which
    // leave every blend to the painter itself: the light table, the current
    // frame, and the one over the other.
    QImage backlightPicture(FrameSize, QImage::Format_ARGB32_Premultiplied);
    backlightPicture.fill(Qt::transparent);
    {
        QPainter painter(&backlightPicture);
        painter.setClipRect(FrameRect);
        for (Model::Scene::BacklightFrame const& record : scene.backlightFrames()) {
            painter.setTransform(scene.offPegsTransform(record.frame, nullptr).inverted());
            for (auto it = layers.crbegin(); it != layers.crend(); ++it) // bottom first
                (*it)->drawBacklight(record.frame, &painter, FrameRect, record.hueShift,
                                     record.opacity);
        }
    }
    QImage currentPicture(FrameSize, QImage::Format_ARGB32_Premultiplied);
    currentPicture.fill(Qt::transparent);
    {
        QPainter painter(&currentPicture);
        painter.setClipRect(FrameRect);
        layers.at(0)->draw(2, &painter, FrameRect);
        layers.at(1)->draw(2, &painter, FrameRect); // active, on top
    }
    QImage expected = entry == int(Entry::CurrentFrameOnly) ? currentPicture : backlightPicture;
    if (entry == int(Entry::Draw))
        QPainter(&expected).drawImage(0, 0, currentPicture);
    QCOMPARE(paint(scene, Entry(entry)), expected);
}

void TestSceneComposite::anEmptyLargeFrameCostsNoPictureMemory()
{
    // Three full-frame pictures of the largest frame would take 768 MB.
    qint64 const before = residentBytes();
    QVERIFY(before > 0);
    Model::Scene scene;
    QSize const large(Model::Scene::maximumFrameSide, Model::Scene::maximumFrameSide);
    scene.setFrameSize(large, KW::FitMode::FitModeIgnore, nullptr);
    QCOMPARE(scene.frameSize(), large);
    scene.addLayer(std::make_shared<Model::StrokeLayer>(Qt::black, large, nullptr), 0);
    scene.setBacklightSettings(backlight(true));
    scene.updateCachedFramePixmap(true);
    QVERIFY2(residentBytes() - before < 64 * 1024 * 1024,
             qPrintable(QStringLiteral("%1 MB more").arg((residentBytes() - before) >> 20)));

    QImage corner(16, 16, QImage::Format_ARGB32_Premultiplied);
    corner.fill(Qt::white);
    QPainter painter(&corner);
    painter.setCompositionMode(QPainter::CompositionMode_Source);
    scene.draw(&painter, QRect(0, 0, 16, 16));
    painter.end();
    QCOMPARE(corner.pixel(8, 8), 0u);
}

QUILLMERE_TEST_MAIN(TestSceneComposite)
#include "tst_scenecomposite.moc"
