// Reading scenes: hand-written files read with every fallback, clones,
// the layer ordering and the active layer taken only when they make sense.
// Damaged and hostile files are the damaged-scene test's.
#include "TestSupport.h"

#include "SceneReaderFixtures.h"

#include "rendering/OffscreenRenderer.h"
#include "tools/PenTool.h"

#include <QFile>
#include <QSignalSpy>

using namespace SceneFiles;
using Model::LayerItem;

namespace {

QByteArray fileData(QString const& name)
{
    QFile file(testDataDir() + name);
    if (!file.open(QIODevice::ReadOnly | QIODevice::Text))
        return QByteArray();
    return file.readAll();
}

QStringList layerNames(Model::Scene const& scene)
{
    QStringList names;
    for (int i = 0; i < scene.numLayers(); ++i)
        names << scene.layer(i)->name();
    return names;
}

} // namespace

class TestSceneReader : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();

    void fallbacksOfAHandWrittenFile();
    void distantClonesAcrossLayersAndTheOrdering();
    void distantClonesShowOnlyAnOriginalOfTheirKind();
    void wrongRootOrVersionReadsNothing_data();
    void wrongRootOrVersionReadsNothing();
    void frameRangeForms_data();
    void frameRangeForms();
    void orderingIsAppliedOnlyWhenItIsAPermutation_data();
    void orderingIsAppliedOnlyWhenItIsAPermutation();
    void manyLayersInAStoredOrderAreSetInOneGo();
    void activeLayerIndexIsCheckedBeforeUse_data();
    void activeLayerIndexIsCheckedBeforeUse();
    void readingReplacesTheScenesLayers();
    void manyDistantClonesOfALongLayer();
    void pictureOfTheLargestFrameIsRead();
    void payloadsReadInEveryFormXmlAllows_data();
    void payloadsReadInEveryFormXmlAllows();
    void largeScenesReadWholeWithPayloadsPassedBy();
    void anOriginalListingItselfDropsTheEntry();

private:
    QObject m_toolOwner;
    Model::PenTool* m_pen = nullptr;
};

void TestSceneReader::initTestCase()
{
    QVERIFY(Model::OffscreenRenderer::instance()->initialize(QSize(64, 48)));
    m_pen = new Model::PenTool(Model::Tool::Marker, &m_toolOwner);
    m_pen->setSizeRangePercent(3.0, 6.0);
}

void TestSceneReader::fallbacksOfAHandWrittenFile()
{
    Model::Scene scene;
    double const defaultRate = scene.frameRate();
    QString error;
    int const result = read(&scene, fileData(QStringLiteral("fallbacks.kw")), &error);
    QVERIFY2(result == 0, qPrintable(error));

    // The scene element outside kw's own scene child is skipped; paint,
    // untyped and unknown layers are dropped.
    QCOMPARE(scene.frameSize(), QSize(64, 48));
    QCOMPARE(scene.frameRate(), 15.0);
    QVERIFY(scene.frameRate() != defaultRate);
    QCOMPARE(scene.numLayers(), 4);
    QCOMPARE(scene.layer(0)->name(), QStringLiteral("Bare"));
    QCOMPARE(scene.layer(1)->name(), QStringLiteral("Flagged"));
    QCOMPARE(scene.layer(2)->name(), Model::ReferenceLayer(QSize(1, 1), nullptr).name());
    QCOMPARE(scene.layer(3)->name(), QStringLiteral("Notes"));
    QCOMPARE(scene.getLogicalLayerIndices(), (QList<int>{0, 1, 2, 3}));

    // Absent visible and linked: hidden and unlinked; no colour: red; an
    // opacity above 1 is clamped.
    auto* bare = qobject_cast<Model::StrokeLayer*>(scene.layer(0).get());
    QVERIFY(bare);
    QVERIFY(!bare->isVisible());
    QVERIFY(!bare->isLinked());
    QCOMPARE(bare->color(), QColor(Qt::red));
    QCOMPARE(bare->opacity(), 1.0);
    QCOMPARE(bare->layerBeyondLast(), Model::StrokeLayer(Qt::red, QSize(1, 1), nullptr).layerBeyondLast());

    // The leading hold, the untyped drawing and the unknown type are
    // dropped, so the cells that follow move up.
    QCOMPARE(bare->length(), 5);
    QList<int> kinds;
    for (int f = 1; f <= bare->length(); ++f)
        kinds << bare->layerItem(f)->kind;
    QCOMPARE(kinds, (QList<int>{LayerItem::Original, LayerItem::Hold, LayerItem::Original,
                                LayerItem::Original, LayerItem::Original}));
    auto const first = bare->layerItem(1);
    QCOMPARE(first->identifier, QUuid::fromString(u"{11111111-0000-0000-0000-000000000001}"));
    QCOMPARE(first->drawing->currentCopyId(),
             QUuid::fromString(u"{22222222-0000-0000-0000-000000000001}"));
    QVERIFY(dynamic_cast<Model::StrokeDrawing*>(first->drawing.get()));
    // A hold shares the drawing before it, under a new identifier.
    auto const held = bare->layerItem(2);
    QCOMPARE(held->drawing, first->drawing);
    QVERIFY(!held->identifier.isNull());
    QVERIFY(held->identifier != QUuid::fromString(u"{11111111-0000-0000-0000-000000000003}"));
    // An original without payload is a blank with a fresh identifier.
    auto const blank = bare->layerItem(3);
    QVERIFY(!blank->identifier.isNull());
    QVERIFY(blank->identifier != QUuid::fromString(u"{11111111-0000-0000-0000-000000000002}"));
    QVERIFY(blank->drawing->currentCopyId().isNull());
    QVERIFY(blank->drawing != first->drawing);
    // keyDrawing counts only when it is exactly "yes"; a payload wrapped over
    // lines still decodes.
    QVERIFY(!bare->layerItem(4)->keyDrawing);
    QCOMPARE(bare->layerItem(4)->identifier, QUuid::fromString(u"{11111111-0000-0000-0000-000000000004}"));
    QVERIFY(bare->layerItem(5)->keyDrawing);
    QCOMPARE(bare->layerItem(5)->identifier, QUuid::fromString(u"{11111111-0000-0000-0000-000000000005}"));
    for (int f = 1; f <= 5; ++f)
        QVERIFY(bare->layerItem(f)->offPegsTransform.isIdentity());

    // Linked unless "no", a known beyond word, a colour with opacity, an
    // opacity below 0 clamped.
    auto* flagged = qobject_cast<Model::StrokeLayer*>(scene.layer(1).get());
    QVERIFY(flagged);
    QVERIFY(flagged->isVisible());
    QVERIFY(flagged->isLinked());
    QCOMPARE(flagged->layerBeyondLast(), Model::Layer::cycleDrawings);
    QCOMPARE(flagged->color(), QColor(0, 255, 0, 128));
    QCOMPARE(flagged->opacity(), 0.0);
    QCOMPARE(flagged->length(), 1);

    // An identifier that is no identifier leaves a fresh one; an opacity
    // that is no number reads as 0; the picture decodes.
    auto* reference = qobject_cast<Model::ReferenceLayer*>(scene.layer(2).get());
    QVERIFY(reference);
    QVERIFY(!reference->identifier().isNull());
    QVERIFY(!reference->isVisible());
    QVERIFY(!reference->isLinked());
    QCOMPARE(reference->opacity(), 0.0);
    QCOMPARE(reference->length(), 1);
    QCOMPARE(reference->layerItem(1)->identifier, QUuid::fromString(u"{33333333-0000-0000-0000-000000000001}"));
    QImage const picture = reference->imageDrawing(0)->image();
    QCOMPARE(picture.size(), QSize(2, 1));
    QCOMPARE(picture.pixel(0, 0), qRgba(255, 0, 0, 255));
    QCOMPARE(picture.pixel(1, 0), qRgba(0, 0, 255, 255));

    // "scribble" is an annotation layer; its images come in order.
    auto* notes = qobject_cast<Model::AnnotationLayer*>(scene.layer(3).get());
    QVERIFY(notes);
    QImage const note = notes->annotationImage(1);
    QCOMPARE(note.size(), QSize(2, 1));
    QCOMPARE(note.constScanLine(0)[0], uchar(255));
    QCOMPARE(note.constScanLine(0)[1], uchar(128));
    QVERIFY(notes->annotationImage(2).isNull());
    QCOMPARE(notes->annotationImage(3), note);

    // No range, active frame or active layer: the whole scene, frame 1 of
    // layer 0.
    QCOMPARE(scene.maximumFrameNumber(), 5);
    QCOMPARE(scene.minimumFrameRangeNumber(), 1);
    QCOMPARE(scene.maximumFrameRangeNumber(), 5);
    QCOMPARE(scene.activeFrame(), 1);
    QCOMPARE(scene.activeLayerIdx(), 0);
}

void TestSceneReader::distantClonesAcrossLayersAndTheOrdering()
{
    Model::Scene scene;
    QString error;
    int const result = read(&scene, fileData(QStringLiteral("clones.kw")), &error);
    QVERIFY2(result == 0, qPrintable(error));
    QCOMPARE(scene.numLayers(), 3);
    QCOMPARE(scene.getLogicalLayerIndices(), (QList<int>{1, 2, 0}));
    QCOMPARE(scene.highestUsedLayerNumber(), 12);
    QCOMPARE(scene.frameRate(), 24.0);
    QCOMPARE(scene.minimumFrameRangeNumber(), 2);
    QCOMPARE(scene.maximumFrameRangeNumber(), 3);

    auto* front = visualAt(scene, 0);
    auto* back = visualAt(scene, 1);
    QVERIFY(front && back);
    QUuid const frontId = QUuid::fromString(u"{aaaaaaaa-0000-0000-0000-000000000000}");
    QUuid const backId = QUuid::fromString(u"{bbbbbbbb-0000-0000-0000-000000000000}");
    QCOMPARE(front->identifier(), frontId);
    QCOMPARE(back->identifier(), backId);

    // A distant clone without a valid original is dropped.
    QCOMPARE(front->length(), 3);
    QCOMPARE(back->length(), 2);

    auto const a1 = front->layerItem(1);
    auto const a2 = front->layerItem(2);
    auto const a3 = front->layerItem(3);
    auto const b1 = back->layerItem(1);
    auto const b2 = back->layerItem(2);

    // The clone list keeps the valid entries only.
    QCOMPARE(a1->clones, (QList<Model::DrawingRef>{
                             {backId, QUuid::fromString(u"{bbbbbbbb-0000-0000-0000-000000000002}")}}));
    // A clone of an original on a later layer gets its drawing once all
    // layers are in; the hold after it follows.
    QCOMPARE(a2->kind, int(LayerItem::DistantClone));
    QCOMPARE(a2->identifier, QUuid::fromString(u"{aaaaaaaa-0000-0000-0000-000000000002}"));
    QCOMPARE(a2->original, (Model::DrawingRef{backId, b1->identifier}));
    QCOMPARE(a2->drawing, b1->drawing);
    QCOMPARE(a3->kind, int(LayerItem::Hold));
    QCOMPARE(a3->drawing, b1->drawing);
    QVERIFY(b1->clones.contains(Model::DrawingRef{frontId, a2->identifier}));
    // The last valid original element names the original.
    QCOMPARE(b2->kind, int(LayerItem::DistantClone));
    QCOMPARE(b2->original, (Model::DrawingRef{frontId, a1->identifier}));
    QCOMPARE(b2->drawing, a1->drawing);
    QVERIFY(a1->drawing != b1->drawing);
    QCOMPARE(dynamic_cast<Model::StrokeDrawing*>(a1->drawing.get())->size(), QSize(64, 48));
}

void TestSceneReader::distantClonesShowOnlyAnOriginalOfTheirKind()
{
    // A picture layer's clone of an ink original, and an ink clone whose
    // original is nowhere: neither may show a borrowed or a placeholder
    // drawing, nor be saved back as a clone.
    QString const ink = QStringLiteral("{aaaaaaaa-0000-0000-0000-000000000000}");
    QString const pictures = QStringLiteral("{bbbbbbbb-0000-0000-0000-000000000000}");
    QString const inkOriginal = QStringLiteral("{aaaaaaaa-0000-0000-0000-000000000001}");
    QString const layers =
        QStringLiteral("<layer identifier=\"%1\" visible=\"yes\" type=\"stroke\">"
                       "<drawing type=\"original\" identifier=\"%3\"><strokes>%4</strokes></drawing>"
                       "<drawing type=\"distantClone\" identifier=\"{aaaaaaaa-0000-0000-0000-000000000002}\">"
                       "<original layer=\"%1\" drawing=\"{aaaaaaaa-0000-0000-0000-0000000000ff}\"/></drawing>"
                       "<drawing type=\"clone\"/></layer>"
                       "<layer identifier=\"%2\" visible=\"yes\" type=\"reference\">"
                       "<drawing type=\"distantClone\" identifier=\"{bbbbbbbb-0000-0000-0000-000000000001}\">"
                       "<original layer=\"%1\" drawing=\"%3\"/></drawing></layer>")
            .arg(ink, pictures, inkOriginal, QLatin1String(emptyStrokes));
    Model::Scene scene;
    QString error;
    QVERIFY2(read(&scene, document(QString(), layers), &error) == 0, qPrintable(error));

    auto* strokes = qobject_cast<Model::StrokeLayer*>(scene.layer(0).get());
    auto* reference = qobject_cast<Model::ReferenceLayer*>(scene.layer(1).get());
    QVERIFY(strokes && reference);
    QCOMPARE(strokes->length(), 3);
    QCOMPARE(reference->length(), 1);

    auto const orphan = strokes->layerItem(2);
    QCOMPARE(orphan->kind, int(LayerItem::Original));
    QCOMPARE(orphan->original, Model::DrawingRef());
    auto const* blank = dynamic_cast<Model::StrokeDrawing const*>(orphan->drawing.get());
    QVERIFY(blank);
    QCOMPARE(blank->size(), QSize(64, 48));
    QCOMPARE(strokes->layerItem(3)->drawing, orphan->drawing);

    auto const stranger = reference->layerItem(1);
    QCOMPARE(stranger->kind, int(LayerItem::Original));
    QVERIFY(dynamic_cast<Model::ImageDrawing const*>(stranger->drawing.get()));
    QVERIFY(strokes->layerItem(1)->clones.isEmpty());

    // Saved back, both are originals of their own.
    QByteArray const saved = write(&scene);
    QVERIFY(!saved.contains("distantClone"));
    Model::Scene again;
    QCOMPARE(read(&again, saved), 0);
    QCOMPARE(describe(again), describe(scene));
}

void TestSceneReader::wrongRootOrVersionReadsNothing_data()
{
    QTest::addColumn<QByteArray>("data");
    QTest::addColumn<QString>("message");

    const QString notOurs = QStringLiteral("The file is not a KW version 0.4 file\nLine ");
    const QString newer = QStringLiteral("The file was written by a newer version of %1 (file version %2)");
    QTest::newRow("root is not kw") << fileData(QStringLiteral("wrong-root.kw")) << notOurs;
    QTest::newRow("version 0.3") << fileData(QStringLiteral("wrong-version.kw")) << notOurs;
    QTest::newRow("no version") << QByteArray("<kw><scene/></kw>") << notOurs;
    QTest::newRow("version with spaces") << QByteArray("<kw version=\" 0.4\"><scene/></kw>") << notOurs;
    QTest::newRow("version with a suffix") << QByteArray("<kw version=\"0.5beta\"><scene/></kw>") << notOurs;
    QTest::newRow("one number") << QByteArray("<kw version=\"2\"><scene/></kw>") << notOurs;
    QTest::newRow("overlong version")
        << QByteArray("<kw version=\"0.4000000000000000001\"><scene/></kw>") << notOurs;
    QTest::newRow("version 0.40") << QByteArray("<kw version=\"0.40\"><scene/></kw>")
                                  << newer.arg(QCoreApplication::applicationName(), "0.40");
    QTest::newRow("version 1.2") << QByteArray("<kw version=\"1.2\"><scene/></kw>")
                                 << newer.arg(QCoreApplication::applicationName(), "1.2");
}

void TestSceneReader::wrongRootOrVersionReadsNothing()
{
    QFETCH(QByteArray, data);
    QFETCH(QString, message);
    QVERIFY(!data.isEmpty());

    Model::Scene scene;
    QSize const size = scene.frameSize();
    QString error;
    QCOMPARE(read(&scene, data, &error), 1);
    QVERIFY2(error.startsWith(message), qPrintable(error));
    QCOMPARE(scene.numLayers(), 0);
    QCOMPARE(scene.frameSize(), size);
}

void TestSceneReader::frameRangeForms_data()
{
    QTest::addColumn<QString>("attributes");
    QTest::addColumn<int>("first");
    QTest::addColumn<int>("last");

    // Twelve frames in the scene.
    QTest::newRow("absent") << QString() << 1 << 12;
    QTest::newRow("minimum and maximum") << QStringLiteral("frameRange=\"3;7\"") << 3 << 7;
    QTest::newRow("one number") << QStringLiteral("frameRange=\"5\"") << 1 << 12;
    QTest::newRow("one number and a separator") << QStringLiteral("frameRange=\"5;\"") << 1 << 12;
    QTest::newRow("leading separator dropped") << QStringLiteral("frameRange=\";5;9\"") << 5 << 9;
    QTest::newRow("three numbers") << QStringLiteral("frameRange=\"3;4;5\"") << 1 << 12;
    QTest::newRow("text counts as 0") << QStringLiteral("frameRange=\"a;7\"") << 1 << 7;
    QTest::newRow("maximum -1 is the scene's end") << QStringLiteral("frameRange=\"4;-1\"") << 4 << 12;
    QTest::newRow("beyond the scene") << QStringLiteral("frameRange=\"2;99\"") << 2 << 12;
}

void TestSceneReader::frameRangeForms()
{
    QFETCH(QString, attributes);
    QFETCH(int, first);
    QFETCH(int, last);

    Model::Scene scene;
    QCOMPARE(read(&scene, document(attributes, strokeLayer(QStringLiteral("L"), 12))), 0);
    QCOMPARE(scene.maximumFrameNumber(), 12);
    QCOMPARE(scene.minimumFrameRangeNumber(), first);
    QCOMPARE(scene.maximumFrameRangeNumber(), last);
}

void TestSceneReader::orderingIsAppliedOnlyWhenItIsAPermutation_data()
{
    QTest::addColumn<QString>("ordering");
    QTest::addColumn<QList<int>>("logical");

    QList<int> const fileOrder{0, 1, 2};
    QTest::newRow("a permutation") << QStringLiteral("2;0;1") << QList<int>{2, 0, 1};
    QTest::newRow("empty parts dropped") << QStringLiteral(";1;;2;0;") << QList<int>{1, 2, 0};
    QTest::newRow("text counts as 0") << QStringLiteral("1;x;2") << QList<int>{1, 0, 2};
    QTest::newRow("a repeated index") << QStringLiteral("0;0;1") << fileOrder;
    QTest::newRow("an index past the layers") << QStringLiteral("0;1;5") << fileOrder;
    QTest::newRow("a negative index") << QStringLiteral("-1;0;1") << fileOrder;
    QTest::newRow("too few entries") << QStringLiteral("1;0") << fileOrder;
    QTest::newRow("too many entries") << QStringLiteral("3;2;1;0") << fileOrder;
    QTest::newRow("empty") << QString() << fileOrder;
}

void TestSceneReader::orderingIsAppliedOnlyWhenItIsAPermutation()
{
    QFETCH(QString, ordering);
    QFETCH(QList<int>, logical);

    Model::Scene scene;
    QString const layers = QStringLiteral("<ordering>%1</ordering>").arg(ordering)
                           + strokeLayer(QStringLiteral("A"), 2) + strokeLayer(QStringLiteral("B"), 2)
                           + strokeLayer(QStringLiteral("C"), 2);
    QCOMPARE(read(&scene, document(QString(), layers)), 0);
    QCOMPARE(layerNames(scene), (QStringList{"A", "B", "C"}));
    QCOMPARE(scene.getLogicalLayerIndices(), logical);
    // The two order lists stay inverse to each other.
    for (int position = 0; position < logical.size(); ++position)
        QCOMPARE(scene.getVisualLayerIndices().at(logical.at(position)), position);
}

void TestSceneReader::manyLayersInAStoredOrderAreSetInOneGo()
{
    // The frame is composed and the views told of it a fixed number of times
    // however many layers the stored order moves: a move and a recomposition
    // per layer made reading quadratic in the layers.
    int composedFor[2] = {};
    int const counts[2] = {4, 400};
    for (int i = 0; i < 2; ++i) {
        int const n = counts[i];
        QStringList order;
        QString layers;
        QList<int> reversed;
        for (int l = 0; l < n; ++l) {
            order << QString::number(n - 1 - l);
            reversed << n - 1 - l;
            layers += strokeLayer(QStringLiteral("L%1").arg(l), 1);
        }
        Model::Scene scene;
        QSignalSpy composed(&scene, &Model::Scene::rectChanged);
        QCOMPARE(read(&scene, document(QString(), QStringLiteral("<ordering>%1</ordering>").arg(order.join(';'))
                                                      + layers)),
                 0);
        QCOMPARE(scene.numLayers(), n);
        QCOMPARE(scene.getLogicalLayerIndices(), reversed);
        QCOMPARE(scene.getVisualLayerIndices(), reversed);
        composedFor[i] = int(composed.size());
    }
    QCOMPARE(composedFor[1], composedFor[0]);
}

void TestSceneReader::activeLayerIndexIsCheckedBeforeUse_data()
{
    QTest::addColumn<QString>("attributes");
    QTest::addColumn<int>("activeLayer");

    // Layer 1 is on top, layer 2 (sound) is no place for the active cell.
    QTest::newRow("absent") << QString() << 0;
    QTest::newRow("first layer") << QStringLiteral("activeLayerIndex=\"0\"") << 0;
    QTest::newRow("second layer") << QStringLiteral("activeLayerIndex=\"1\"") << 1;
    QTest::newRow("past the layers") << QStringLiteral("activeLayerIndex=\"7\"") << 1;
    QTest::newRow("far past the layers") << QStringLiteral("activeLayerIndex=\"2147483647\"") << 1;
    QTest::newRow("negative") << QStringLiteral("activeLayerIndex=\"-3\"") << 1;
    QTest::newRow("text counts as 0") << QStringLiteral("activeLayerIndex=\"top\"") << 0;
}

void TestSceneReader::activeLayerIndexIsCheckedBeforeUse()
{
    QFETCH(QString, attributes);
    QFETCH(int, activeLayer);

    Model::Scene scene;
    QString const layers = QStringLiteral("<ordering>1;0;2</ordering>")
                           + strokeLayer(QStringLiteral("A"), 3) + strokeLayer(QStringLiteral("B"), 3)
                           + QStringLiteral("<layer name=\"S\" type=\"audio\"/>");
    QCOMPARE(read(&scene, document(attributes + QStringLiteral(" activeFrameNumber=\"2\""), layers)), 0);
    QCOMPARE(scene.numLayers(), 3);
    QCOMPARE(scene.activeLayerIdx(), activeLayer);
    QCOMPARE(scene.activeFrame(), 2);
}

void TestSceneReader::readingReplacesTheScenesLayers()
{
    Model::Scene scene;
    scene.addLayer(std::make_shared<Model::StrokeLayer>(QColor(Qt::black), scene.frameSize(), nullptr), 0);
    scene.addLayer(std::make_shared<Model::AnnotationLayer>(nullptr), 1);
    QCOMPARE(read(&scene, document(QString(), strokeLayer(QStringLiteral("Only"), 2))), 0);
    QCOMPARE(layerNames(scene), QStringList{QStringLiteral("Only")});
    QCOMPARE(scene.getLogicalLayerIndices(), QList<int>{0});
}

void TestSceneReader::manyDistantClonesOfALongLayer()
{
    // A layer of 50,000 drawings, the last 5,000 of them cloned by a second
    // layer: every clone finds its original however far down it lies.
    constexpr int Cells = 50000;
    constexpr int Clones = 5000;
    auto const id = [](char layer, int cell) {
        return QStringLiteral("{%1-0000-0000-0000-%2}")
            .arg(QString(8, QLatin1Char(layer)))
            .arg(cell, 12, 10, QLatin1Char('0'));
    };
    QString originals;
    for (int cell = 1; cell <= Cells; ++cell)
        originals += QStringLiteral("<drawing type=\"original\" identifier=\"%1\">"
                                    "<strokes>%2</strokes></drawing>")
                         .arg(id('a', cell), QLatin1String(emptyStrokes));
    QString clones;
    for (int cell = 1; cell <= Clones; ++cell)
        clones += QStringLiteral("<drawing type=\"distantClone\" identifier=\"%1\">"
                                 "<original layer=\"%2\" drawing=\"%3\"/></drawing>")
                      .arg(id('b', cell), id('a', 0), id('a', Cells - Clones + cell));
    QByteArray const data = document(
        QString(), QStringLiteral("<layer type=\"stroke\" identifier=\"%1\">%2</layer>"
                                  "<layer type=\"stroke\" identifier=\"%3\">%4</layer>")
                       .arg(id('a', 0), originals, id('b', 0), clones));

    Model::Scene scene;
    QString error;
    QVERIFY2(read(&scene, data, &error) == 0, qPrintable(error));
    auto* const cloning = visualAt(scene, 1);
    auto* const cloned = visualAt(scene, 0);
    QVERIFY(cloning && cloned);
    QCOMPARE(cloned->length(), Cells);
    QCOMPARE(cloning->length(), Clones);
    for (int frame = 1; frame <= Clones; ++frame) {
        auto const clone = cloning->layerItem(frame);
        auto const original = cloned->layerItem(Cells - Clones + frame);
        QCOMPARE(clone->kind, int(LayerItem::DistantClone));
        QCOMPARE(clone->drawing, original->drawing);
        QCOMPARE(original->clones,
                 QList<Model::DrawingRef>{clone->reference(cloning->identifier())});
    }
}

void TestSceneReader::pictureOfTheLargestFrameIsRead()
{
    QSize const largest(Model::Scene::maximumFrameSide, Model::Scene::maximumFrameSide);
    QByteArray const data = document(
        QString(), QStringLiteral("<layer type=\"reference\"><drawing type=\"original\">"
                                  "<image>%1</image></drawing></layer>")
                       .arg(QString::fromLatin1(streamedPng(largest, true).toBase64())));
    Model::Scene scene;
    QString error;
    QVERIFY2(read(&scene, data, &error) == 0, qPrintable(error));
    auto const* layer = qobject_cast<Model::ReferenceLayer const*>(visualAt(scene, 0));
    QVERIFY(layer);
    QCOMPARE(layer->imageDrawing(0)->image().size(), largest);
}

void TestSceneReader::payloadsReadInEveryFormXmlAllows_data()
{
    QTest::addColumn<QString>("payload"); // the strokes element's content

    QString const text = QString::fromLatin1(noiseStrokes(1, 11).toBase64());
    QTest::newRow("plain") << text;
    QTest::newRow("wrapped and indented") << text.left(20) + QStringLiteral("\n    ") + text.mid(20, 30)
                                                 + QStringLiteral(" \t") + text.mid(50) + QStringLiteral("\n");
    QTest::newRow("a character reference") << QStringLiteral("&#x%1;").arg(text.at(0).unicode(), 0, 16) + text.mid(1);
    QTest::newRow("in CDATA") << QStringLiteral("<![CDATA[%1]]>").arg(text);
    QTest::newRow("after a comment") << QStringLiteral("<!-- <strokes>AAAA</strokes> -->") + text;
    QTest::newRow("after a processing instruction") << QStringLiteral("<?note <strokes>A</strokes>?>") + text;
}

void TestSceneReader::payloadsReadInEveryFormXmlAllows()
{
    QFETCH(QString, payload);

    QByteArray const expected = noiseStrokes(1, 11);
    // Payloads in elements the reader passes over come before and after.
    QString const passedOver = QStringLiteral("<unknown><strokes>AAAA</strokes><image>!</image></unknown>");
    QString const cells = passedOver + QStringLiteral("<drawing type=\"original\"><strokes>%1</strokes></drawing>")
                                           .arg(payload)
                          + passedOver
                          + QStringLiteral("<drawing type=\"original\"><strokes>%1</strokes></drawing>")
                                .arg(QString::fromLatin1(expected.toBase64()));
    Model::Scene scene;
    QString error;
    QCOMPARE(read(&scene, document(QString(), strokeLayer(QStringLiteral("L"), 0, cells)), &error), 0);
    auto const* layer = qobject_cast<Model::StrokeLayer*>(scene.layer(0).get());
    QVERIFY(layer);
    QCOMPARE(layer->length(), 2);
    QCOMPARE(strokeBytes(*layer->strokeDrawing(0)), expected);
    QCOMPARE(strokeBytes(*layer->strokeDrawing(1)), expected);
}

void TestSceneReader::largeScenesReadWholeWithPayloadsPassedBy()
{
    // Megabytes of payloads, decoded on other threads ahead of the reader,
    // with runs of payloads it passes over (a layer of a kind it does not
    // know) between those it takes.
    constexpr int cells = 24;
    QString layers;
    QList<QByteArray> drawings;
    for (int layer = 0; layer < 3; ++layer) {
        layers += QStringLiteral("<layer type=\"future\">");
        for (int i = 0; i < 30; ++i)
            layers += QStringLiteral("<drawing type=\"original\"><strokes>%1</strokes></drawing>")
                          .arg(QString::fromLatin1(noiseStrokes(1, 1000 + i).toBase64()));
        layers += QStringLiteral("</layer>");
        QString strokes;
        for (int i = 0; i < cells; ++i) {
            drawings << noiseStrokes(6, quint32(layer * cells + i));
            strokes += QStringLiteral("<drawing type=\"original\"><strokes>%1</strokes></drawing>")
                           .arg(QString::fromLatin1(drawings.last().toBase64()));
        }
        layers += strokeLayer(QStringLiteral("L%1").arg(layer), 0, strokes);
    }
    QByteArray const data = document(QString(), layers);
    QVERIFY(data.size() > 6 * 1024 * 1024);

    Model::Scene scene;
    QString error;
    QCOMPARE(read(&scene, data, &error), 0);
    QCOMPARE(scene.numLayers(), 3);
    for (int layer = 0; layer < 3; ++layer) {
        auto const* strokes = qobject_cast<Model::StrokeLayer*>(scene.layer(layer).get());
        QVERIFY(strokes);
        QCOMPARE(strokes->length(), cells);
        for (int i = 0; i < cells; ++i)
            QVERIFY2(strokeBytes(*strokes->strokeDrawing(i)) == drawings.at(layer * cells + i),
                     qPrintable(QStringLiteral("layer %1, cell %2").arg(layer).arg(i + 1)));
    }
}

void TestSceneReader::anOriginalListingItselfDropsTheEntry()
{
    // A clone entry naming its own original links nothing; kept, it was
    // written back with the scene.
    QString const layer = QStringLiteral("{aaaaaaaa-0000-0000-0000-000000000000}");
    QString const cell = QStringLiteral("{aaaaaaaa-0000-0000-0000-000000000001}");
    QString const other = QStringLiteral("{bbbbbbbb-0000-0000-0000-000000000000}");
    QString const layers =
        QStringLiteral("<layer identifier=\"%1\" visible=\"yes\" type=\"stroke\">"
                       "<drawing type=\"original\" identifier=\"%2\">"
                       "<clone layer=\"%1\" drawing=\"%2\"/>"
                       "<clone layer=\"%3\" drawing=\"%2\"/>"
                       "<clone layer=\"%1\" drawing=\"{aaaaaaaa-0000-0000-0000-000000000002}\"/>"
                       "<strokes>%4</strokes></drawing></layer>")
            .arg(layer, cell, other, QLatin1String(emptyStrokes));
    Model::Scene scene;
    QString error;
    QVERIFY2(read(&scene, document(QString(), layers), &error) == 0, qPrintable(error));
    auto* const strokes = visualAt(scene, 0);
    QVERIFY(strokes);
    QCOMPARE(strokes->layerItem(1)->identifier, QUuid::fromString(cell));
    // Entries that only share the layer or the cell's identifier stay.
    QCOMPARE(strokes->layerItem(1)->clones,
             (QList<Model::DrawingRef>{
                 {QUuid::fromString(other), QUuid::fromString(cell)},
                 {QUuid::fromString(layer), QUuid::fromString(u"{aaaaaaaa-0000-0000-0000-000000000002}")}}));
    QByteArray const saved = write(&scene);
    QVERIFY(!saved.contains(QStringLiteral("<clone layer=\"%1\" drawing=\"%2\"/>").arg(layer, cell).toUtf8()));
}

QUILLMERE_TEST_MAIN(TestSceneReader)
#include "tst_scenereader.moc"
