#include "TestSupport.h"

#include "LayerFixture.h"

#include "drawings/ImageDrawing.h"
#include "scene/ReferenceLayer.h"
#include "scene/Scene.h"

#include <QPainter>

using Model::DrawingRef;
using Model::LayerItem;
using Model::ReferenceLayer;

namespace {

QSize const frameSize(40, 20);

std::shared_ptr<LayerItem> picture(QColor const& color)
{
    QImage image(frameSize, QImage::Format_ARGB32_Premultiplied);
    image.fill(color);
    return std::make_shared<LayerItem>(LayerItem::Original, QUuid::createUuid(),
                                       std::make_shared<Model::ImageDrawing>(image));
}

// The colour the layer leaves in the middle of an empty frame.
QColor painted(ReferenceLayer const& layer, int frame, bool fullStrength = false)
{
    QImage target(frameSize, QImage::Format_ARGB32);
    target.fill(Qt::transparent);
    QPainter painter(&target);
    if (fullStrength)
        layer.draw(frame, &painter, QRect(QPoint(0, 0), frameSize), false);
    else
        layer.draw(frame, &painter, QRect(QPoint(0, 0), frameSize));
    painter.end();
    return target.pixelColor(20, 10);
}

} // namespace

class TestReferenceLayer : public QObject
{
    Q_OBJECT

private slots:
    void newLayerHasOneBlankCell();
    void drawsTheFrameAsTheBeyondLastModeSays_data();
    void drawsTheFrameAsTheBeyondLastModeSays();
    void drawsAtFullStrengthOnlyInsideTheLayer();
    void thumbnail();
    void copyKeepsOnlyTheLinksInsideTheLayer();
    void copyOfALayerInAScene();
};

void TestReferenceLayer::newLayerHasOneBlankCell()
{
    Model::Scene scene;
    ReferenceLayer layer(frameSize, &scene);
    QCOMPARE(layer.type(), 3);
    QCOMPARE(layer.parent(), &scene);
    QCOMPARE(layer.frameSize(), frameSize);
    QCOMPARE(layer.length(), 1);
    QCOMPARE(layer.opacity(), 0.5);
    QVERIFY(layer.isVisible());

    auto const cell = layer.layerItem(1);
    QCOMPARE(cell->kind, int(LayerItem::Original));
    QVERIFY(!cell->identifier.isNull());
    QVERIFY(cell->offPegsTransform.isIdentity());
    QVERIFY(!cell->keyDrawing);
    QVERIFY(cell->clones.isEmpty());
    QVERIFY(cell->original.isNull());
    QVERIFY(layer.imageDrawing(0));
    QCOMPARE(layer.imageDrawing(0), cell->drawing.get());
    QVERIFY(layer.imageDrawing(0)->image().isNull());
    QVERIFY(!layer.imageDrawing(1));
    QVERIFY(!layer.imageDrawing(-1));
    QCOMPARE(painted(layer, 1).alpha(), 0);

    // Every blank cell is a new one.
    auto const blank = layer.blankItem();
    QVERIFY(blank->identifier != cell->identifier);
    QVERIFY(blank->drawing != cell->drawing);
    QCOMPARE(blank->drawing->type(), int(Model::Drawing::ImageDrawingType));
}

void TestReferenceLayer::drawsTheFrameAsTheBeyondLastModeSays_data()
{
    QTest::addColumn<int>("mode");
    QTest::addColumn<int>("frame");
    QTest::addColumn<QColor>("expected");

    QColor const none(0, 0, 0, 0);
    QTest::newRow("inside, frame 2") << 1 << 2 << QColor(Qt::blue);
    QTest::newRow("frame 0") << 3 << 0 << none;
    QTest::newRow("show nothing past the end") << 1 << 5 << none;
    QTest::newRow("freeze last past the end") << 2 << 5 << QColor(Qt::blue);
    QTest::newRow("cycle: frame 5 shows the first") << 3 << 5 << QColor(Qt::red);
    QTest::newRow("cycle: frame 4 shows the second") << 3 << 4 << QColor(Qt::blue);
}

void TestReferenceLayer::drawsTheFrameAsTheBeyondLastModeSays()
{
    QFETCH(int, mode);
    QFETCH(int, frame);
    QFETCH(QColor, expected);

    ReferenceLayer layer(frameSize, nullptr);
    layer.frames() = {picture(Qt::red), picture(Qt::blue)};
    layer.setLayerBeyondLast(Model::Layer::LayerBeyondLast(mode));

    // The layer's opacity, 0.5 by default, applies.
    QColor const half = painted(layer, frame);
    if (expected.alpha() == 0) {
        QCOMPARE(half.alpha(), 0);
    } else {
        QVERIFY2(qAbs(half.alpha() - 128) <= 1, qPrintable(QString::number(half.alpha())));
        QCOMPARE(half.rgb(), expected.rgb());
    }

    layer.setOpacity(1.0);
    QCOMPARE(painted(layer, frame), expected);
}

void TestReferenceLayer::drawsAtFullStrengthOnlyInsideTheLayer()
{
    ReferenceLayer layer(frameSize, nullptr);
    layer.frames() = {picture(Qt::red), picture(Qt::blue)};
    layer.setOpacity(0.25);
    layer.setLayerBeyondLast(Model::Layer::cycleDrawings);

    QCOMPARE(painted(layer, 2, true), QColor(Qt::blue));
    QCOMPARE(painted(layer, 3, true).alpha(), 0);
    QCOMPARE(painted(layer, 0, true).alpha(), 0);
    // A cell whose drawing is not a picture paints nothing.
    layer.frames().append(std::make_shared<LayerItem>(LayerItem::Original, QUuid::createUuid(), nullptr));
    QCOMPARE(painted(layer, 3, true).alpha(), 0);
    QVERIFY(!layer.imageDrawing(2));
}

void TestReferenceLayer::thumbnail()
{
    ReferenceLayer layer(frameSize, nullptr);
    layer.frames() = {picture(Qt::red), picture(Qt::blue)};
    QImage const thumb = layer.thumbnail(2, QSize(8, 4));
    QCOMPARE(thumb.size(), QSize(8, 4));
    QCOMPARE(thumb.pixelColor(4, 2), QColor(Qt::blue));
    QVERIFY(layer.thumbnail(0, QSize(8, 4)).isNull());
    QVERIFY(layer.thumbnail(3, QSize(8, 4)).isNull());
}

void TestReferenceLayer::copyKeepsOnlyTheLinksInsideTheLayer()
{
    // Source: A (original, clones: one here, one elsewhere), hold, clone of A
    // here, clone of an original on another layer.
    ReferenceLayer source(frameSize, nullptr);
    source.setName(QStringLiteral("pictures"));
    source.setOpacity(0.75);
    source.setVisible(false);
    source.setLayerBeyondLast(Model::Layer::freezeLast);
    auto const a = picture(Qt::red);
    a->drawing->setName(QStringLiteral("A"));
    auto const hold = std::make_shared<LayerItem>(a->drawing);
    auto const inside = std::make_shared<LayerItem>(LayerItem::DistantClone, QUuid::createUuid(), a->drawing);
    auto const outside = picture(Qt::green);
    outside->kind = LayerItem::DistantClone;
    QUuid const elsewhere = QUuid::createUuid();
    DrawingRef const elsewhereOriginal{elsewhere, QUuid::createUuid()};
    DrawingRef const elsewhereClone{elsewhere, QUuid::createUuid()};
    source.frames() = {a, hold, inside, outside};
    a->clones = {elsewhereClone, inside->reference(source.identifier())};
    a->keyDrawing = true;
    a->offPegsTransform = QTransform::fromTranslate(3, 4);
    inside->original = a->reference(source.identifier());
    outside->original = elsewhereOriginal;

    std::unique_ptr<Model::Layer> const made(source.clone());
    auto* const copy = qobject_cast<ReferenceLayer*>(made.get());
    QVERIFY(copy);
    QVERIFY(copy->identifier() != source.identifier());
    QCOMPARE(copy->name(), source.name());
    QCOMPARE(copy->opacity(), 0.75);
    QVERIFY(!copy->isVisible());
    QCOMPARE(copy->layerBeyondLast(), Model::Layer::freezeLast);
    QCOMPARE(copy->frameSize(), frameSize);
    QCOMPARE(copy->length(), 4);

    auto const ca = copy->layerItem(1);
    auto const chold = copy->layerItem(2);
    auto const cinside = copy->layerItem(3);
    auto const coutside = copy->layerItem(4);
    QUuid const id = copy->identifier();

    QCOMPARE(ca->kind, int(LayerItem::Original));
    QCOMPARE(ca->identifier, a->identifier);
    QVERIFY(ca->drawing && ca->drawing != a->drawing);
    QCOMPARE(static_cast<Model::ImageDrawing*>(ca->drawing.get())->image(),
             static_cast<Model::ImageDrawing*>(a->drawing.get())->image());
    QCOMPARE(ca->clones, (QList<DrawingRef>{DrawingRef{id, inside->identifier}}));
    QVERIFY(ca->offPegsTransform.isIdentity());
    QVERIFY(!ca->keyDrawing);

    QCOMPARE(chold->kind, int(LayerItem::Hold));
    QCOMPARE(chold->drawing, ca->drawing);

    QCOMPARE(cinside->kind, int(LayerItem::DistantClone));
    QCOMPARE(cinside->identifier, inside->identifier);
    QCOMPARE(cinside->original, (DrawingRef{id, a->identifier}));
    QVERIFY(cinside->drawing && cinside->drawing != a->drawing);

    QCOMPARE(coutside->original, elsewhereOriginal);
    QVERIFY(coutside->drawing != outside->drawing);

    // The source is left as it was.
    QCOMPARE(a->clones.size(), 2);
    QCOMPARE(inside->original, a->reference(source.identifier()));
}

void TestReferenceLayer::copyOfALayerInAScene()
{
    // The copy takes the source's parent, the scene, like every layer copy.
    Model::Scene scene;
    auto const source = std::make_shared<ReferenceLayer>(frameSize, nullptr);
    scene.addLayer(source, 0);
    std::shared_ptr<Model::Layer> const copy(source->clone());
    QCOMPARE(copy->parent(), &scene);
    QCOMPARE(scene.addLayer(copy, 1), 1);
    QCOMPARE(scene.numVisualLayers(), 2);
    QVERIFY(scene.drawingIdentifier(1, 1) != scene.drawingIdentifier(0, 1));
    QCOMPARE(scene.drawingIdentifier(1, 1).drawing, scene.drawingIdentifier(0, 1).drawing);
}

QUILLMERE_TEST_MAIN(TestReferenceLayer)
#include "tst_referencelayer.moc"
