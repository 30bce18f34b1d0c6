#include "TestSupport.h"

#include "SceneFixture.h"

#include "settings/Settings.h"

#include <QPointer>
#include <QRandomGenerator>
#include <QUndoStack>

#include <functional>

namespace {

// A layer without cells, as audio and annotation layers are.
class CellLessLayer : public Model::Layer
{
public:
    explicit CellLessLayer(int type = AudioLayerType)
        : Layer(nullptr)
        , m_type(type)
    {
    }
    int type() const override { return m_type; }
    bool isFrameValid(int) const override { return false; }
    Layer* clone() const override { return new CellLessLayer(m_type); }

private:
    int m_type;
};

QString joined(QList<int> const& list)
{
    QStringList parts;
    for (int const value : list)
        parts << QString::number(value);
    return parts.join(QLatin1Char(';'));
}

// The two order lists are inverse permutations of 0..n-1.
void verifyOrderLists(Model::Scene const& scene)
{
    QList<int> const logical = scene.getLogicalLayerIndices();
    QList<int> const visual = scene.getVisualLayerIndices();
    QCOMPARE(logical.size(), qsizetype(scene.numLayers()));
    QCOMPARE(visual.size(), qsizetype(scene.numLayers()));
    for (int i = 0; i < scene.numLayers(); ++i) {
        QVERIFY2(visual.at(i) >= 0 && visual.at(i) < scene.numLayers(),
                 qPrintable(joined(visual)));
        QCOMPARE(logical.at(visual.at(i)), i);
    }
}

// The layer names from the top of the stack down.
QString stack(Model::Scene const& scene)
{
    QStringList names;
    for (int const index : scene.getLogicalLayerIndices())
        names << scene.layerName(index);
    return names.join(QLatin1Char(' '));
}

std::shared_ptr<FixtureDrawLayer> drawLayer(QString const& name, QString const& cells,
                                            QStringList* log = nullptr)
{
    auto layer = std::make_shared<FixtureDrawLayer>(name, log);
    Fixture::build(*layer, cells);
    return layer;
}

using SceneEdit = std::function<QVariant(SceneFixture&)>;

} // namespace

Q_DECLARE_METATYPE(SceneEdit)

class TestScene : public QObject
{
    Q_OBJECT

private slots:
    void init();

    void newSceneTakesTheSettingsDefaults();
    void followsTheBacklightSettingsUntilDisconnected();
    void backlightChangesThatMatterRepaint_data();
    void backlightChangesThatMatterRepaint();

    void addingAtIndicesKeepsTheOrderListsInverse_data();
    void addingAtIndicesKeepsTheOrderListsInverse();
    void orderListsSurviveAnyMixOfEdits();
    void addingAnnouncesTheInsertAndSetsTheFirstActiveCell();
    void addingClampsTheIndex();
    void moveLayer();

    void removingChoosesTheNewActiveLayer_data();
    void removingChoosesTheNewActiveLayer();
    void removingWithoutAnActiveLayerChoosesTheTopLayer();
    void removingMovesTheRangeDownKeepingItsLength();
    void removingTheAudioLayerForgetsIt();
    void removeByObject();

    void maximumFrameNumberIgnoresLayersWithoutCells();
    void queriesOnLayers();
    void queriesAnswerNeutrallyOutsideTheList_data();
    void queriesAnswerNeutrallyOutsideTheList();
    void editsThatDoNotApplyChangeNothing_data();
    void editsThatDoNotApplyChangeNothing();

    void setThumbnailSize_data();
    void setThumbnailSize();
    void setLayerName();
    void setLayerBeyondLast();
    void swapLayerPutsTheNewObjectInPlace();

    void cachedPictureComposesLayersBottomUpWithTheActiveLayerLast();
    void cachedPictureShowsTheActiveFrameOrNothingPastTheRange();

    void lookupLayerItem();
    void lookupFindsNothing_data();
    void lookupFindsNothing();
    void layersOutliveTheSceneWhenHeldElsewhere();
};

void TestScene::init()
{
    TestSupport::clearSettings();
}

void TestScene::newSceneTakesTheSettingsDefaults()
{
    Model::Settings* const settings = Model::Settings::instance();
    settings->setDefaultFrameSize(QSize(640, 360));
    settings->setDefaultFrameRate(30.0);
    settings->setThumbnailSize(KW::ThumbnailSize::ThumbnailLarge);

    Model::Scene scene;
    QCOMPARE(scene.name(), QStringLiteral("Untitled"));
    QVERIFY(scene.filename().isEmpty());
    QCOMPARE(scene.frameSize(), QSize(640, 360));
    QCOMPARE(scene.frameRate(), 30.0);
    QCOMPARE(scene.thumbnailSize(), KW::ThumbnailSize::ThumbnailLarge);
    QCOMPARE(scene.numLayers(), 0);
    QCOMPARE(scene.activeFrame(), -1);
    QCOMPARE(scene.activeLayerIdx(), -1);
    QCOMPARE(scene.scrubFrame(), -1);
    QCOMPARE(scene.audioLayerIdx(), -1);
    QCOMPARE(scene.annotationLayerIdx(), -1);
    QCOMPARE(scene.minimumFrameNumber(), 1);
    QCOMPARE(scene.maximumFrameNumber(), 1);
    QCOMPARE(scene.minimumFrameRangeNumber(), 1);
    QCOMPARE(scene.maximumFrameRangeNumber(), 1);
    QCOMPARE(scene.highestUsedLayerNumber(), 0);
    QCOMPARE(scene.layerIndexTop(), -1);
    QVERIFY(scene.getLogicalLayerIndices().isEmpty());
    QVERIFY(scene.getVisualLayerIndices().isEmpty());
    QVERIFY(scene.undoStack());
    QCOMPARE(scene.undoStack()->parent(), &scene);
    QCOMPARE(scene.undoStack()->undoLimit(), 50);

    // The properties read the same fields.
    QCOMPARE(scene.property("frameRate").toDouble(), 30.0);
    QCOMPARE(scene.property("maximumFrameNumber").toInt(), 1);
    QCOMPARE(scene.property("minimumFrameNumber").toInt(), 1);

    settings->setDefaultFrameRate(60.0);
    QCOMPARE(Model::Scene().frameRate(), 60.0);
}

void TestScene::followsTheBacklightSettingsUntilDisconnected()
{
    Model::Settings* const settings = Model::Settings::instance();
    Model::BacklightSettings backlight = settings->backlightSettings();

    auto scene = std::make_unique<Model::Scene>();
    QSignalSpy framesChanged(scene.get(), &Model::Scene::backlightFramesChanged);
    QSignalSpy rectChanged(scene.get(), &Model::Scene::rectChanged);

    backlight.enabled = !backlight.enabled;
    settings->setBacklightSettings(backlight);
    QCOMPARE(framesChanged.count(), 1);
    QCOMPARE(rectChanged.count(), 1);
    QCOMPARE(rectChanged.at(0).at(0).toRect(), QRect(QPoint(0, 0), scene->frameSize()));

    scene->disconnectSettings();
    backlight.enabled = !backlight.enabled;
    settings->setBacklightSettings(backlight);
    QCOMPARE(framesChanged.count(), 1);

    scene->readAndConnectSettings();
    backlight.enabled = !backlight.enabled;
    settings->setBacklightSettings(backlight);
    QCOMPARE(framesChanged.count(), 2);

    // A destroyed scene has let go of the settings.
    scene.reset();
    backlight.enabled = !backlight.enabled;
    settings->setBacklightSettings(backlight);
}

void TestScene::backlightChangesThatMatterRepaint_data()
{
    QTest::addColumn<int>("change");
    QTest::addColumn<bool>("repaints");
    QTest::newRow("nothing") << 0 << false;
    QTest::newRow("switched on") << 1 << true;
    QTest::newRow("other set switched") << 2 << true;
    QTest::newRow("only key drawings") << 3 << true;
    QTest::newRow("levels of the set in use") << 4 << true;
    QTest::newRow("show option of the set in use") << 5 << true;
    QTest::newRow("levels of the set not in use") << 6 << false;
    QTest::newRow("layers of the set not in use") << 7 << false;
}

void TestScene::backlightChangesThatMatterRepaint()
{
    QFETCH(int, change);
    QFETCH(bool, repaints);

    SceneFixture f;
    Model::BacklightSettings settings = Model::Settings::instance()->backlightSettings();
    settings.current = Model::BacklightSettings::BacklightSettingA;
    f.scene.setBacklightSettings(settings);
    f.log.clear();

    switch (change) {
    case 1:
        settings.enabled = !settings.enabled;
        break;
    case 2:
        settings.current = Model::BacklightSettings::BacklightSettingB;
        break;
    case 3:
        settings.onlyKeyFrames = !settings.onlyKeyFrames;
        break;
    case 4:
        settings.settingA.opacityLevelsBefore.append(0.125);
        break;
    case 5:
        settings.settingA.showOption = Model::BacklightSetting::ShowOutsideRange;
        break;
    case 6:
        settings.settingB.opacityLevelsAfter.append(0.125);
        break;
    case 7:
        settings.settingB.layers = Model::BacklightSetting::BacklightActiveLayerOnly;
        break;
    }

    QSignalSpy framesChanged(&f.scene, &Model::Scene::backlightFramesChanged);
    QSignalSpy rectChanged(&f.scene, &Model::Scene::rectChanged);
    f.scene.setBacklightSettings(settings);
    QCOMPARE(framesChanged.count(), repaints ? 1 : 0);
    QCOMPARE(rectChanged.count(), repaints ? 1 : 0);
    // The layers are painted again only when it matters.
    QCOMPARE(f.log.isEmpty(), !repaints);
}

void TestScene::addingAtIndicesKeepsTheOrderListsInverse_data()
{
    QTest::addColumn<QList<int>>("indices");
    QTest::addColumn<QString>("layers");
    QTest::addColumn<QString>("logical");
    QTest::addColumn<QString>("visual");

    // Layers are named a, b, c... in the order they are added; each new one
    // goes to the bottom of the stack.
    QTest::newRow("three at 0") << QList<int>{0, 0, 0} << "c b a" << "2;1;0" << "2;1;0";
    QTest::newRow("three appended") << QList<int>{0, 1, 2} << "a b c" << "0;1;2" << "0;1;2";
    QTest::newRow("into the middle") << QList<int>{0, 1, 1} << "a c b" << "0;2;1" << "0;2;1";
    QTest::newRow("mixed") << QList<int>{0, 0, 2, 1} << "b d a c" << "2;0;3;1" << "1;3;0;2";
}

void TestScene::addingAtIndicesKeepsTheOrderListsInverse()
{
    QFETCH(QList<int>, indices);
    QFETCH(QString, layers);
    QFETCH(QString, logical);
    QFETCH(QString, visual);

    Model::Scene scene;
    char name = 'a';
    for (int const index : indices) {
        QCOMPARE(scene.addLayer(drawLayer(QString(QLatin1Char(name++)), "A"), index), index);
        verifyOrderLists(scene);
    }
    QStringList names;
    for (int i = 0; i < scene.numLayers(); ++i)
        names << scene.layerName(i);
    QCOMPARE(names.join(QLatin1Char(' ')), layers);
    QCOMPARE(joined(scene.getLogicalLayerIndices()), logical);
    QCOMPARE(joined(scene.getVisualLayerIndices()), visual);
}

void TestScene::orderListsSurviveAnyMixOfEdits()
{
    // A long run of adds, moves and removals at pseudo-random places; the
    // stack order is tracked beside the scene by layer object.
    QRandomGenerator random(20240611);
    Model::Scene scene;
    QList<Model::Layer*> expectedStack;
    int made = 0;
    for (int step = 0; step < 400; ++step) {
        int const n = scene.numLayers();
        int const what = n < 2 ? 0 : int(random.bounded(3));
        if (what == 0) {
            std::shared_ptr<Model::Layer> layer;
            if (random.bounded(5) == 0)
                layer = std::make_shared<CellLessLayer>(Model::Layer::AnnotationLayerType);
            else
                layer = drawLayer(QString::number(made), "A.B");
            ++made;
            scene.addLayer(layer, int(random.bounded(n + 1)));
            expectedStack.append(layer.get());
        } else if (what == 1) {
            int const from = int(random.bounded(n));
            int const to = int(random.bounded(n));
            int const layer = scene.getLogicalLayerIndices().at(from);
            QVERIFY(scene.moveLayer(layer, from, to));
            expectedStack.move(from, to);
        } else {
            int const index = int(random.bounded(n));
            std::shared_ptr<Model::Layer> const removed = scene.removeLayer(index);
            QVERIFY(removed);
            expectedStack.removeOne(removed.get());
            // Removing never leaves the scene without an active layer while
            // a visual one remains. (Adding does not move the active index,
            // so it may name another kind of layer; the commands that add
            // layers set it afterwards.)
            if (scene.numVisualLayers() > 0)
                QVERIFY2(scene.layer(scene.activeLayerIdx()),
                         qPrintable(QString::number(scene.activeLayerIdx())));
        }
        verifyOrderLists(scene);
        QList<int> const logical = scene.getLogicalLayerIndices();
        for (qsizetype p = 0; p < logical.size(); ++p)
            QCOMPARE(scene.layer(logical.at(p)).get(), expectedStack.at(p));
    }
}

void TestScene::addingAnnouncesTheInsertAndSetsTheFirstActiveCell()
{
    Model::Scene scene;
    QStringList events;
    connect(&scene, &Model::Scene::beginInsertLayer, this,
            [&](int i) { events << QStringLiteral("begin %1 (%2 layers)").arg(i).arg(scene.numLayers()); });
    connect(&scene, &Model::Scene::layerInserted, this,
            [&](int i) { events << QStringLiteral("inserted %1 (%2 layers)").arg(i).arg(scene.numLayers()); });
    connect(&scene, &Model::Scene::endInsertLayer, this, [&]() { events << "end"; });
    connect(&scene, &Model::Scene::maximumFrameNumberChanged, this,
            [&](int n) { events << QStringLiteral("maximum %1").arg(n); });
    connect(&scene, &Model::Scene::activeFrameAndLayerChanged, this,
            [&](int frame, int layer) { events << QStringLiteral("active %1@%2").arg(frame).arg(layer); });

    scene.addLayer(std::make_shared<CellLessLayer>(Model::Layer::AnnotationLayerType), 0);
    QCOMPARE(events, (QStringList{"begin 0 (0 layers)", "inserted 0 (1 layers)", "end"}));
    QCOMPARE(scene.activeLayerIdx(), -1);
    QCOMPARE(scene.annotationLayerIdx(), 0);

    events.clear();
    auto const first = drawLayer("first", "A..B");
    QCOMPARE(scene.addLayer(first, 1), 1);
    QCOMPARE(events, (QStringList{"begin 1 (1 layers)", "inserted 1 (2 layers)", "end",
                                  "maximum 4", "active 1@1"}));
    QCOMPARE(first->parent(), &scene);
    QCOMPARE(scene.activeFrame(), 1);
    QCOMPARE(scene.activeLayerIdx(), 1);

    // Only the first visual layer sets the active cell; the commands that add
    // layers choose it themselves afterwards.
    events.clear();
    scene.addLayer(drawLayer("second", "A"), 0);
    QCOMPARE(events, (QStringList{"begin 0 (2 layers)", "inserted 0 (3 layers)", "end"}));
    QCOMPARE(scene.activeLayerIdx(), 1);
}

void TestScene::addingClampsTheIndex()
{
    Model::Scene scene;
    scene.addLayer(drawLayer("a", "A"), 0);
    QSignalSpy begin(&scene, &Model::Scene::beginInsertLayer);
    QCOMPARE(scene.addLayer(drawLayer("b", "A"), 7), 1);
    QCOMPARE(scene.addLayer(drawLayer("c", "A"), -3), 0);
    // Views insert their column where the begin signal says.
    QCOMPARE(begin.at(0).at(0).toInt(), 1);
    QCOMPARE(begin.at(1).at(0).toInt(), 0);
    verifyOrderLists(scene);
    QCOMPARE(scene.addLayer(nullptr, 0), -1);
    QCOMPARE(scene.numLayers(), 3);
}

void TestScene::moveLayer()
{
    Model::Scene scene;
    for (char const name : {'a', 'b', 'c', 'd'})
        scene.addLayer(drawLayer(QString(QLatin1Char(name)), "A"), scene.numLayers());
    QCOMPARE(stack(scene), QStringLiteral("a b c d"));

    QSignalSpy moved(&scene, &Model::Scene::layerMoved);
    QSignalSpy rect(&scene, &Model::Scene::rectChanged);
    QVERIFY(scene.moveLayer(3, 3, 0));
    QCOMPARE(stack(scene), QStringLiteral("d a b c"));
    QVERIFY(scene.moveLayer(0, 1, 3));
    QCOMPARE(stack(scene), QStringLiteral("d b c a"));
    verifyOrderLists(scene);
    QCOMPARE(moved.count(), 2);
    QCOMPARE(moved.at(1), (QVariantList{0, 1, 3}));

    // In place: nothing moves, but the move is still announced.
    QVERIFY(scene.moveLayer(2, 2, 2));
    QCOMPARE(stack(scene), QStringLiteral("d b c a"));
    QCOMPARE(moved.count(), 3);
    QCOMPARE(moved.at(2), (QVariantList{2, 2, 2}));
    QCOMPARE(rect.count(), 3);
    QCOMPARE(rect.at(2).at(0).toRect(), QRect(0, 0, scene.frameWidth(), scene.frameHeight()));
}

void TestScene::removingChoosesTheNewActiveLayer_data()
{
    QTest::addColumn<QString>("activeName");
    QTest::addColumn<QString>("removedName");
    QTest::addColumn<QString>("newActiveName");

    // Stack from the top: a b c d.
    QTest::newRow("removed above the active one") << "c" << "a" << "c";
    QTest::newRow("removed below the active one") << "b" << "d" << "b";
    QTest::newRow("the active one: the next below") << "b" << "b" << "c";
    // Layer indices after the removal: c b a.
    QTest::newRow("the active one at the bottom: layer 0") << "d" << "d" << "c";
}

void TestScene::removingChoosesTheNewActiveLayer()
{
    QFETCH(QString, activeName);
    QFETCH(QString, removedName);
    QFETCH(QString, newActiveName);

    Model::Scene scene;
    // Layer indices differ from display positions: indices d c b a.
    for (char const name : {'a', 'b', 'c', 'd'})
        scene.addLayer(drawLayer(QString(QLatin1Char(name)), "AB"), 0);
    QCOMPARE(stack(scene), QStringLiteral("a b c d"));
    auto const indexOf = [&scene](QString const& name) {
        for (int i = 0; i < scene.numLayers(); ++i) {
            if (scene.layerName(i) == name)
                return i;
        }
        return -1;
    };
    scene.setFrameRange(1, 2, 2, indexOf(activeName));
    QCOMPARE(scene.layerName(scene.activeLayerIdx()), activeName);

    QSignalSpy active(&scene, &Model::Scene::activeFrameAndLayerChanged);
    QVERIFY(scene.removeLayer(indexOf(removedName)));
    QCOMPARE(scene.layerName(scene.activeLayerIdx()), newActiveName);
    QCOMPARE(scene.activeFrame(), 2);
    // Announced unless the active index already named the layer.
    if (!active.isEmpty())
        QCOMPARE(active.last(), (QVariantList{2, scene.activeLayerIdx()}));
}

void TestScene::removingWithoutAnActiveLayerChoosesTheTopLayer()
{
    // No layer active. (An index past the list is never stored: see the
    // active-cell rule.)
    Model::Scene scene;
    scene.addLayer(drawLayer("a", "AB"), 0);
    scene.addLayer(drawLayer("b", "AB"), 1);
    scene.addLayer(drawLayer("c", "AB"), 2);
    // Layer 0 is not the top one.
    QVERIFY(scene.moveLayer(0, 0, 2));
    QCOMPARE(stack(scene), QStringLiteral("b c a"));
    scene.setFrameRange(1, 2, 1, 1);
    scene.setActiveFrameAndLayer(1, -1, Model::Scene::KeepWithinDrawnFrames);
    QCOMPARE(scene.activeLayerIdx(), -1);

    QVERIFY(scene.removeLayer(2));
    verifyOrderLists(scene);
    QCOMPARE(scene.layerName(scene.activeLayerIdx()), QStringLiteral("b"));
    QCOMPARE(scene.activeFrame(), 1);
}

void TestScene::removingMovesTheRangeDownKeepingItsLength()
{
    Model::Scene scene;
    scene.addLayer(drawLayer("short", "ABCDEFGH"), 0);
    auto const longer = drawLayer("long", "ABCDEFGHIJKL");
    scene.addLayer(longer, 1);
    scene.setFrameRange(5, 10, 6, 1);
    QCOMPARE(scene.maximumFrameRangeNumber(), 10);

    QSignalSpy range(&scene, &Model::Scene::frameRangeChanged);
    QSignalSpy maximum(&scene, &Model::Scene::maximumFrameNumberChanged);
    QCOMPARE(scene.removeLayer(1), std::shared_ptr<Model::Layer>(longer));
    QCOMPARE(maximum.count(), 1);
    QCOMPARE(maximum.at(0).at(0).toInt(), 8);
    QCOMPARE(scene.minimumFrameRangeNumber(), 3);
    QCOMPARE(scene.maximumFrameRangeNumber(), 8);
    QCOMPARE(range.last(), (QVariantList{3, 8}));
    QCOMPARE(scene.activeLayerIdx(), 0);
    QCOMPARE(scene.activeFrame(), 6);
}

void TestScene::removingTheAudioLayerForgetsIt()
{
    SceneFixture f;
    QCOMPARE(f.scene.audioLayerIdx(), 3);
    f.scene.removeLayer(0);
    QCOMPARE(f.scene.audioLayerIdx(), 2);
    QCOMPARE(f.scene.layer(2), std::shared_ptr<Model::Layer>(f.audio));
    f.scene.addLayer(f.first, 0);
    QCOMPARE(f.scene.audioLayerIdx(), 3);
    f.scene.removeLayer(3);
    QCOMPARE(f.scene.audioLayerIdx(), -1);
    QCOMPARE(f.scene.annotationLayerIdx(), 3);
}

void TestScene::removeByObject()
{
    SceneFixture f;
    QCOMPARE(f.scene.getLayerIndex(f.reference), 2);
    QCOMPARE(f.scene.removeLayer(std::shared_ptr<Model::Layer>(f.reference)),
             std::shared_ptr<Model::Layer>(f.reference));
    QCOMPARE(f.scene.getLayerIndex(f.reference), -1);
    QCOMPARE(f.scene.numLayers(), 4);
    verifyOrderLists(f.scene);
}

void TestScene::maximumFrameNumberIgnoresLayersWithoutCells()
{
    Model::Scene scene;
    QSignalSpy maximum(&scene, &Model::Scene::maximumFrameNumberChanged);
    scene.addLayer(std::make_shared<Model::AudioLayer>(nullptr), 0);
    scene.addLayer(std::make_shared<Model::AnnotationLayer>(nullptr), 1);
    QCOMPARE(scene.maximumFrameNumber(), 1);
    QCOMPARE(scene.layerLength(0), 1);
    QCOMPARE(scene.layerLength(1), 1);
    QCOMPARE(scene.virtualLayerLength(1), 2);
    QCOMPARE(scene.numDrawings(), 0);
    QCOMPARE(maximum.count(), 0);

    auto const layer = drawLayer("a", "ABC");
    scene.addLayer(layer, 2);
    QCOMPARE(scene.layerLength(0), 3);
    Fixture::build(*layer, "ABCDE");
    scene.updateMaxFrameNumber();
    scene.updateMaxFrameNumber();
    QCOMPARE(maximum.count(), 2);
    QCOMPARE(maximum.last().at(0).toInt(), 5);
    QCOMPARE(scene.numDrawings(), 5);
}

void TestScene::queriesOnLayers()
{
    SceneFixture f;
    Model::Scene& scene = f.scene;
    QCOMPARE(scene.numDrawLayers(), 2);
    QCOMPARE(scene.numVisualLayers(), 3);
    QCOMPARE(scene.annotationLayerIdx(), 4);
    QCOMPARE(scene.numDrawings(), 4 + 2 + 2);

    struct Expected
    {
        int type;
        bool stroke, draw, visual, reference, audio, annotation;
        int length;
    };
    Expected const expected[] = {
        {1, true, true, true, false, false, false, 4},
        {1, true, true, true, false, false, false, 2},
        {3, false, false, true, true, false, false, 2},
        {4, false, false, false, false, true, false, 4},
        {5, false, false, false, false, false, true, 4},
    };
    for (int i = 0; i < 5; ++i) {
        Expected const& e = expected[i];
        QCOMPARE(scene.layerType(i), e.type);
        QCOMPARE(scene.isStrokeLayer(i), e.stroke);
        QCOMPARE(scene.isDrawLayer(i), e.draw);
        QCOMPARE(scene.isVisualLayer(i), e.visual);
        QCOMPARE(scene.isReferenceLayer(i), e.reference);
        QCOMPARE(scene.isAudioLayer(i), e.audio);
        QCOMPARE(scene.isAnnotationLayer(i), e.annotation);
        QCOMPARE(scene.layerLength(i), e.length);
        QCOMPARE(scene.virtualLayerLength(i), e.length + 1);
        QCOMPARE(scene.isLayerVisible(i), e.visual);
        QCOMPARE(scene.layerBeyondLast(i), e.visual ? 1 : 0);
    }
    QCOMPARE(scene.layerName(2), QStringLiteral("reference"));

    Model::DrawingRef const id = scene.drawingIdentifier(1, 2);
    QCOMPARE(id, Fixture::ref(*f.second, 2));
    QVERIFY(scene.drawingIdentifier(1, 3).isNull());
    QVERIFY(scene.drawingIdentifier(1, 0).isNull());
    QVERIFY(scene.drawingIdentifier(3, 1).isNull());

    // The top layer is the first visual one from the top that reaches the
    // range.
    QCOMPARE(scene.layerIndexTop(), 0);
    scene.setFrameRange(3, 4, 3, 0);
    QVERIFY(scene.moveLayer(3, scene.getVisualLayerIndices().at(3), 0));
    QVERIFY(scene.moveLayer(1, scene.getVisualLayerIndices().at(1), 0));
    QCOMPARE(scene.layerIndexTop(), 0);
    Fixture::build(*f.first, "AB");
    QCOMPARE(scene.layerIndexTop(), -1);
}

void TestScene::queriesAnswerNeutrallyOutsideTheList_data()
{
    QTest::addColumn<int>("index");
    QTest::newRow("-1") << -1;
    QTest::newRow("far below") << -1000;
    QTest::newRow("one past the end") << 5;
    QTest::newRow("far past the end") << 1000;
}

void TestScene::queriesAnswerNeutrallyOutsideTheList()
{
    QFETCH(int, index);
    SceneFixture f;
    Model::Scene const& scene = f.scene;

    QCOMPARE(scene.layerType(index), 0);
    QVERIFY(!scene.isStrokeLayer(index));
    QVERIFY(!scene.isDrawLayer(index));
    QVERIFY(!scene.isVisualLayer(index));
    QVERIFY(!scene.isReferenceLayer(index));
    QVERIFY(!scene.isAudioLayer(index));
    QVERIFY(!scene.isAnnotationLayer(index));
    QCOMPARE(scene.layerLength(index), 0);
    QCOMPARE(scene.virtualLayerLength(index), 1);
    QCOMPARE(scene.layerBeyondLast(index), 0);
    QVERIFY(!scene.isLayerVisible(index));
    QCOMPARE(scene.layerName(index), QString());
    QVERIFY(scene.layerName(index).isEmpty());
    QVERIFY(!scene.layer(index));
    QVERIFY(scene.drawingIdentifier(index, 1).isNull());
    QVERIFY(!scene.isLayerAudible(index));
}

void TestScene::editsThatDoNotApplyChangeNothing_data()
{
    QTest::addColumn<SceneEdit>("edit");
    QTest::addColumn<QVariant>("expected");

    auto row = [](char const* name, SceneEdit edit, QVariant expected) {
        QTest::newRow(name) << edit << expected;
    };
    QVariant const none;
    QVariant const no(false);

    row("setLayerName below the list", [](SceneFixture& f) {
        return QVariant(f.scene.setLayerName(-1, "x"));
    }, no);
    row("setLayerName past the list", [](SceneFixture& f) {
        return QVariant(f.scene.setLayerName(5, "x"));
    }, no);
    row("setLayerName to the same name", [](SceneFixture& f) {
        return QVariant(f.scene.setLayerName(1, "second"));
    }, QVariant(true));
    row("setLayerBeyondLast outside the list", [](SceneFixture& f) {
        f.scene.setLayerBeyondLast(9, Model::Layer::cycleDrawings);
        return QVariant();
    }, none);
    row("setLayerBeyondLast on the audio layer", [](SceneFixture& f) {
        f.scene.setLayerBeyondLast(3, Model::Layer::cycleDrawings);
        return QVariant();
    }, none);
    row("setLayerBeyondLast on the annotation layer", [](SceneFixture& f) {
        f.scene.setLayerBeyondLast(4, Model::Layer::freezeLast);
        return QVariant();
    }, none);
    row("setLayerBeyondLast to the same mode", [](SceneFixture& f) {
        f.scene.setLayerBeyondLast(0, Model::Layer::showNothing);
        return QVariant();
    }, none);
    row("moveLayer from below the list", [](SceneFixture& f) {
        return QVariant(f.scene.moveLayer(0, -1, 2));
    }, no);
    row("moveLayer to past the list", [](SceneFixture& f) {
        return QVariant(f.scene.moveLayer(0, 0, 5));
    }, no);
    row("moveLayer of a layer not at from", [](SceneFixture& f) {
        return QVariant(f.scene.moveLayer(1, 0, 2));
    }, no);
    row("removeLayer below the list", [](SceneFixture& f) {
        return QVariant(bool(f.scene.removeLayer(-1)));
    }, no);
    row("removeLayer past the list", [](SceneFixture& f) {
        return QVariant(bool(f.scene.removeLayer(5)));
    }, no);
    row("removeLayer of an object not in the scene", [](SceneFixture& f) {
        return QVariant(bool(f.scene.removeLayer(drawLayer("stranger", "A"))));
    }, no);
    row("swapLayer below the list", [](SceneFixture& f) {
        return QVariant(bool(f.scene.swapLayer(-1, drawLayer("new", "A"))));
    }, no);
    row("swapLayer past the list", [](SceneFixture& f) {
        return QVariant(bool(f.scene.swapLayer(5, drawLayer("new", "A"))));
    }, no);
    row("addLayer of nothing", [](SceneFixture& f) {
        return QVariant(f.scene.addLayer(nullptr, 0));
    }, QVariant(-1));
    row("setLayerAudible on a draw layer", [](SceneFixture& f) {
        return QVariant(f.scene.setLayerAudible(0, false));
    }, no);
    row("setLayerAudible outside the list", [](SceneFixture& f) {
        return QVariant(f.scene.setLayerAudible(-1, false));
    }, no);
    row("setLayerAudible to the same state", [](SceneFixture& f) {
        return QVariant(f.scene.setLayerAudible(3, true));
    }, QVariant(true));
    row("setFrameRange ending before it starts", [](SceneFixture& f) {
        f.scene.setFrameRange(3, 2, 1, 0);
        return QVariant();
    }, none);
    row("setActiveFrameAndLayer on the audio layer", [](SceneFixture& f) {
        f.scene.setActiveFrameAndLayer(2, 3, Model::Scene::KeepWithinDrawnFrames);
        return QVariant();
    }, none);
    row("setActiveFrameAndLayer on the annotation layer", [](SceneFixture& f) {
        f.scene.setActiveFrameAndLayer(2, 4, Model::Scene::AcceptVirtualLastFrame);
        return QVariant();
    }, none);
    row("setActiveFrameAndLayer at frame 0", [](SceneFixture& f) {
        f.scene.setActiveFrameAndLayer(0, 1, Model::Scene::KeepWithinDrawnFrames);
        return QVariant();
    }, none);
    row("setActiveFrameAndLayer on the active cell", [](SceneFixture& f) {
        f.scene.setActiveFrameAndLayer(1, 0, Model::Scene::AcceptVirtualLastFrame);
        return QVariant();
    }, none);
    row("unsetScrubFrame without a scrub frame", [](SceneFixture& f) {
        f.scene.unsetScrubFrame();
        return QVariant();
    }, none);
    row("setThumbnailSize unchanged", [](SceneFixture& f) {
        f.scene.setThumbnailSize(f.scene.thumbnailSize(), false);
        return QVariant();
    }, none);
}

void TestScene::editsThatDoNotApplyChangeNothing()
{
    QFETCH(SceneEdit, edit);
    QFETCH(QVariant, expected);

    SceneFixture f;
    QStringList const before = Fixture::sceneState(f.scene);
    auto const spies = Fixture::spyOnAllSignals(&f.scene);
    QVERIFY(spies.size() >= 25);

    QCOMPARE(edit(f), expected);
    QCOMPARE(Fixture::caught(spies), QStringList());
    QCOMPARE(Fixture::sceneState(f.scene), before);
    QVERIFY(f.log.isEmpty());
}

void TestScene::setThumbnailSize_data()
{
    QTest::addColumn<bool>("changed");
    QTest::addColumn<bool>("always");
    QTest::addColumn<int>("emitted");
    QTest::newRow("changed") << true << false << 1;
    QTest::newRow("changed, always") << true << true << 1;
    QTest::newRow("unchanged") << false << false << 0;
    QTest::newRow("unchanged, always") << false << true << 1;
}

void TestScene::setThumbnailSize()
{
    QFETCH(bool, changed);
    QFETCH(bool, always);
    QFETCH(int, emitted);

    Model::Scene scene;
    KW::ThumbnailSize size = scene.thumbnailSize();
    if (changed) {
        size = size == KW::ThumbnailSize::ThumbnailSmall ? KW::ThumbnailSize::ThumbnailLarge
                                                         : KW::ThumbnailSize::ThumbnailSmall;
    }
    QSignalSpy spy(&scene, &Model::Scene::thumbnailSizeChanged);
    scene.setThumbnailSize(size, always);
    QCOMPARE(scene.thumbnailSize(), size);
    QCOMPARE(spy.count(), emitted);
    if (emitted)
        QCOMPARE(spy.at(0).at(0).value<KW::ThumbnailSize>(), size);
}

void TestScene::setLayerName()
{
    SceneFixture f;
    QSignalSpy layers(&f.scene, &Model::Scene::layersChanged);
    QSignalSpy named(f.audio.get(), &Model::Layer::nameChanged);
    QVERIFY(f.scene.setLayerName(3, "voice"));
    QCOMPARE(f.audio->name(), QStringLiteral("voice"));
    QCOMPARE(named.count(), 1);
    QCOMPARE(layers.count(), 1);
    QCOMPARE(layers.at(0), (QVariantList{3, 3}));
}

void TestScene::setLayerBeyondLast()
{
    SceneFixture f;
    QSignalSpy layers(&f.scene, &Model::Scene::layersChanged);
    QSignalSpy rect(&f.scene, &Model::Scene::rectChanged);

    f.scene.setLayerBeyondLast(1, Model::Layer::cycleDrawings);
    QCOMPARE(f.scene.layerBeyondLast(1), int(Model::Layer::cycleDrawings));
    QCOMPARE(layers.count(), 1);
    QCOMPARE(layers.at(0), (QVariantList{1, 1}));
    QCOMPARE(rect.count(), 1);
    QVERIFY(!f.log.isEmpty());

    // A hidden layer's picture does not change.
    f.log.clear();
    f.second->setVisible(false);
    f.scene.setLayerBeyondLast(1, Model::Layer::freezeLast);
    QCOMPARE(f.scene.layerBeyondLast(1), int(Model::Layer::freezeLast));
    QCOMPARE(layers.count(), 2);
    QCOMPARE(rect.count(), 1);
    QVERIFY(f.log.isEmpty());
}

void TestScene::swapLayerPutsTheNewObjectInPlace()
{
    SceneFixture f;
    f.scene.setFrameRange(2, 4, 3, 0);

    // A shorter object in place of the longest layer pulls the range back
    // with its length kept.
    auto const shorter = drawLayer("shorter", "ABC");
    QSignalSpy layers(&f.scene, &Model::Scene::layersChanged);
    QSignalSpy offPegs(&f.scene, &Model::Scene::offPegsTransformChanged);
    QCOMPARE(f.scene.swapLayer(0, shorter), std::shared_ptr<Model::Layer>(f.first));
    QCOMPARE(f.scene.layer(0), std::shared_ptr<Model::Layer>(shorter));
    QCOMPARE(shorter->parent(), &f.scene);
    QCOMPARE(f.scene.maximumFrameNumber(), 3);
    QCOMPARE(f.scene.minimumFrameRangeNumber(), 1);
    QCOMPARE(f.scene.maximumFrameRangeNumber(), 3);
    QCOMPARE(layers.last(), (QVariantList{0, 0}));
    // The active layer was swapped: the canvas hears of its transform.
    QVERIFY(!offPegs.isEmpty());
    verifyOrderLists(f.scene);

    // Swapping the audio layer out and back keeps its index in step.
    auto const placeholder = std::make_shared<Model::AnnotationLayer>(nullptr);
    QCOMPARE(f.scene.swapLayer(3, placeholder), std::shared_ptr<Model::Layer>(f.audio));
    QCOMPARE(f.scene.audioLayerIdx(), -1);
    QCOMPARE(f.scene.swapLayer(3, f.audio), std::shared_ptr<Model::Layer>(placeholder));
    QCOMPARE(f.scene.audioLayerIdx(), 3);
}

void TestScene::cachedPictureComposesLayersBottomUpWithTheActiveLayerLast()
{
    QStringList log;
    Model::Scene scene;
    for (char const name : {'a', 'b', 'c', 'd'})
        scene.addLayer(drawLayer(QString(QLatin1Char(name)), "ABCD", &log), scene.numLayers());
    scene.addLayer(std::make_shared<Model::AnnotationLayer>(nullptr), 2);
    scene.setFrameRange(1, 4, 3, 1);
    QCOMPARE(scene.layerName(scene.activeLayerIdx()), QStringLiteral("b"));
    QCOMPARE(stack(scene), QStringLiteral("a b c d "));

    log.clear();
    scene.updateCachedFramePixmap(false);
    QCOMPARE(log, (QStringList{"d:3", "c:3", "a:3", "b:3"}));

    // Hidden layers and layers without opacity are left out, the active one
    // too.
    qobject_cast<Model::VisualLayer*>(scene.layer(3).get())->setVisible(false); // c
    qobject_cast<Model::VisualLayer*>(scene.layer(0).get())->setOpacity(0.0);   // a
    log.clear();
    scene.updateCachedFramePixmap(true);
    QCOMPARE(log, (QStringList{"d:3", "b:3"}));
    qobject_cast<Model::VisualLayer*>(scene.layer(1).get())->setOpacity(1e-13); // b
    log.clear();
    scene.updateCachedCurrentFramePixmap();
    QCOMPARE(log, (QStringList{"d:3"}));

    // A scene without visual layers keeps what it had and paints nothing.
    Model::Scene empty;
    empty.addLayer(std::make_shared<Model::AnnotationLayer>(nullptr), 0);
    empty.updateCachedFramePixmap(true);
}

void TestScene::cachedPictureShowsTheActiveFrameOrNothingPastTheRange()
{
    QStringList log;
    Model::Scene scene;
    scene.addLayer(drawLayer("a", "ABCDEF", &log), 0);
    scene.addLayer(drawLayer("b", "AB", &log), 1);
    scene.setFrameRange(1, 2, 1, 0);

    // The virtual last frame of a layer past the range shows nothing.
    scene.setActiveFrameAndLayer(3, 1, Model::Scene::AcceptVirtualLastFrame);
    QCOMPARE(scene.activeFrame(), 3);
    log.clear();
    scene.updateCachedFramePixmap(true);
    QCOMPARE(log, (QStringList{"a:-1", "b:-1"}));

    // While a scrub frame is shown the pictures stay of the active frame:
    // the scrub frame is painted live, and the view comes back to the
    // active frame when scrubbing ends.
    scene.setActiveFrameAndLayer(2, 1, Model::Scene::KeepWithinDrawnFrames);
    scene.setScrubFrame(5);
    log.clear();
    scene.updateCachedFramePixmap(true);
    QCOMPARE(log, (QStringList{"a:2", "b:2"}));
}

void TestScene::lookupLayerItem()
{
    Model::Scene scene;
    auto first = std::make_shared<FixtureLayer>();
    auto second = std::make_shared<FixtureLayer>();
    Fixture::build(*first, "AB");
    Fixture::build(*second, "C.D");
    QCOMPARE(scene.addLayer(first, 0), 0);
    QCOMPARE(scene.addLayer(second, 1), 1);
    QCOMPARE(first->parent(), &scene);
    QCOMPARE(scene.numLayers(), 2);
    QCOMPARE(scene.layer(1), std::shared_ptr<Model::Layer>(second));
    QVERIFY(!scene.layer(2));
    QVERIFY(!scene.layer(-1));

    auto const d = second->layerItem(3);
    int layer = -1;
    int frame = -1;
    QCOMPARE(scene.lookupLayerItem(d->reference(second->identifier()), &layer, &frame), d);
    QCOMPARE(layer, 1);
    QCOMPARE(frame, 3);
    QVERIFY(scene.hasDrawing(first->layerItem(2)->reference(first->identifier()), &layer, &frame));
    QCOMPARE(layer, 0);
    QCOMPARE(frame, 2);
    // Either out-parameter may be left out.
    QCOMPARE(scene.lookupLayerItem(d->reference(second->identifier())), d);
}

void TestScene::lookupFindsNothing_data()
{
    QTest::addColumn<int>("which");
    QTest::newRow("null reference") << 0;
    QTest::newRow("null layer identifier") << 1;
    QTest::newRow("null cell identifier") << 2;
    QTest::newRow("cell on another layer") << 3;
    QTest::newRow("unknown layer") << 4;
    QTest::newRow("layer without cells") << 5;
}

void TestScene::lookupFindsNothing()
{
    QFETCH(int, which);

    Model::Scene scene;
    auto visual = std::make_shared<FixtureLayer>();
    auto cellLess = std::make_shared<CellLessLayer>();
    Fixture::build(*visual, "A");
    scene.addLayer(visual, 0);
    scene.addLayer(cellLess, 1);
    QUuid const cell = visual->layerItem(1)->identifier;

    Model::DrawingRef const refs[] = {
        {},
        {QUuid(), cell},
        {visual->identifier(), QUuid()},
        {cellLess->identifier(), cell},
        {QUuid::createUuid(), cell},
        {cellLess->identifier(), QUuid::createUuid()},
    };
    int layer = 7;
    int frame = 8;
    QVERIFY(!scene.lookupLayerItem(refs[which], &layer, &frame));
    QVERIFY(!scene.hasDrawing(refs[which], &layer, &frame));
    QCOMPARE(layer, 7);
    QCOMPARE(frame, 8);
}

void TestScene::layersOutliveTheSceneWhenHeldElsewhere()
{
    auto kept = std::make_shared<FixtureLayer>();
    QPointer<FixtureLayer> dropped;
    {
        auto scene = std::make_unique<Model::Scene>();
        auto other = std::make_shared<FixtureLayer>();
        dropped = other.get();
        scene->addLayer(kept, 0);
        scene->addLayer(other, 1);
    }
    QVERIFY(dropped.isNull());
    QVERIFY(!kept->parent());
    QCOMPARE(kept.use_count(), 1);
}

QUILLMERE_TEST_MAIN(TestScene)
#include "tst_scene.moc"
