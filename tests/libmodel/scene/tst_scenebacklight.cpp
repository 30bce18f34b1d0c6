// Which frames the light table shows: neighbours counted in drawings (holds
// skipped), the stop rules of the three show options, key drawings only, the
// level lists with their hue steps, and the farthest-first order.
#include "TestSupport.h"

#include "SceneFixture.h"

#include "scene/LayerItem.h"
#include "settings/BacklightSettings.h"

namespace {

// A layer pattern as LayerFixture.h reads it, with three additions:
// lowercase letters are originals marked as key drawings, a leading '-'
// hides the layer, and a trailing "|cycle" or "|freeze" sets what it shows
// past its end.
std::shared_ptr<FixtureDrawLayer> layerFrom(QString pattern)
{
    auto layer = std::make_shared<FixtureDrawLayer>();
    bool const hidden = pattern.startsWith(QLatin1Char('-'));
    if (hidden)
        pattern.remove(0, 1);
    QString const beyond = pattern.section(QLatin1Char('|'), 1);
    pattern = pattern.section(QLatin1Char('|'), 0, 0);
    Fixture::build(*layer, pattern.toUpper());
    for (int i = 0; i < pattern.size(); ++i) {
        if (pattern.at(i).isLower())
            layer->setKeyDrawing(i + 1, true);
    }
    if (beyond == QLatin1String("cycle"))
        layer->setLayerBeyondLast(Model::Layer::cycleDrawings);
    else if (beyond == QLatin1String("freeze"))
        layer->setLayerBeyondLast(Model::Layer::freezeLast);
    layer->setVisible(!hidden);
    return layer;
}

QList<double> levels(QString const& text)
{
    QList<double> list;
    for (QString const& part : text.split(QLatin1Char(','), Qt::SkipEmptyParts))
        list << part.toDouble();
    return list;
}

// Setting A, in use, from words: "stop", "wrap" or "outside"; "before=..."
// and "after=..." level lists; "nohue"; "activeonly"; "keys" for key
// drawings only; "off".
Model::BacklightSettings settingsFrom(QString const& text)
{
    Model::BacklightSettings settings;
    settings.enabled = true;
    settings.current = Model::BacklightSettings::BacklightSettingA;
    Model::BacklightSetting& a = settings.settingA;
    a.opacityLevelsBefore.clear();
    a.opacityLevelsAfter.clear();
    for (QString const& word : text.split(QLatin1Char(' '), Qt::SkipEmptyParts)) {
        if (word == QLatin1String("stop"))
            a.showOption = Model::BacklightSetting::StopAtEnds;
        else if (word == QLatin1String("wrap"))
            a.showOption = Model::BacklightSetting::WrapAtEnds;
        else if (word == QLatin1String("outside"))
            a.showOption = Model::BacklightSetting::ShowOutsideRange;
        else if (word.startsWith(QLatin1String("before=")))
            a.opacityLevelsBefore = levels(word.mid(7));
        else if (word.startsWith(QLatin1String("after=")))
            a.opacityLevelsAfter = levels(word.mid(6));
        else if (word == QLatin1String("nohue"))
            a.hueShift = Model::BacklightSetting::NoHueShift;
        else if (word == QLatin1String("activeonly"))
            a.layers = Model::BacklightSetting::BacklightActiveLayerOnly;
        else if (word == QLatin1String("keys"))
            settings.onlyKeyFrames = true;
        else if (word == QLatin1String("off"))
            settings.enabled = false;
        else
            qFatal("unknown setting word %s", qPrintable(word));
    }
    // The other set differs, so that only the set in use can explain a result.
    settings.settingB.opacityLevelsBefore = {0.9, 0.9, 0.9};
    settings.settingB.opacityLevelsAfter = {0.9, 0.9, 0.9};
    settings.settingB.showOption = Model::BacklightSetting::WrapAtEnds;
    return settings;
}

QString describe(QList<Model::Scene::BacklightFrame> const& frames)
{
    QStringList parts;
    for (Model::Scene::BacklightFrame const& record : frames)
        parts << QStringLiteral("%1:%2:%3")
                     .arg(record.frame)
                     .arg(record.opacity)
                     .arg(record.hueShift);
    return parts.join(QLatin1Char(' '));
}

// The first pattern is the top of the stack and layer index 0.
void buildScene(Model::Scene& scene, QStringList const& layers, int first, int last)
{
    for (QString const& pattern : layers)
        scene.addLayer(layerFrom(pattern), scene.numLayers());
    scene.setFrameRange(first, last, 1, 0);
}

} // namespace

class TestSceneBacklight : public QObject
{
    Q_OBJECT

private slots:
    void selection_data();
    void selection();
    void isBacklightFrame();
    void switchingOffEmptiesTheListAndAnnouncesItOnce();
    void changesThatMatterAnnounceTheFramesOnce();
    void recomputingAnnouncesOnlyChanges();
};

void TestSceneBacklight::selection_data()
{
    QTest::addColumn<QStringList>("layers");
    QTest::addColumn<int>("first");
    QTest::addColumn<int>("last");
    QTest::addColumn<int>("frame");
    QTest::addColumn<QString>("setting");
    QTest::addColumn<QString>("expected"); // frame:opacity:hue, farthest first

    // Frames of the main layer: A 1, B 4, C 6, D 9 with holds between;
    // its virtual last frame is 10.
    QStringList const main{"A..B.C..D"};
    QString const both = QStringLiteral("before=0.5,0.3 after=0.5,0.3");

    QTest::newRow("on an original") << main << 1 << 9 << 6 << "stop " + both
                                    << "1:0.3:60 4:0.5:30 9:0.5:-30";
    QTest::newRow("on a hold: counted from the held drawing")
        << main << 1 << 9 << 7 << "stop " + both << "1:0.3:60 4:0.5:30 9:0.5:-30";
    QTest::newRow("first frame of the range: nothing before")
        << main << 1 << 9 << 1 << "stop " + both << "6:0.3:-60 4:0.5:-30";
    QTest::newRow("last frame of the range: nothing after")
        << main << 1 << 9 << 9 << "stop " + both << "4:0.3:60 6:0.5:30";
    QTest::newRow("the range's first frame is a stop")
        << main << 5 << 9 << 6 << "stop " + both << "5:0.5:30 9:0.5:-30";
    QTest::newRow("a hold at the range start is a stop")
        << main << 3 << 9 << 5 << "stop " + both << "9:0.3:-60 3:0.5:30 6:0.5:-30";
    QTest::newRow("outside the range: no stop at its start")
        << main << 5 << 9 << 6 << "outside " + both << "1:0.3:60 4:0.5:30 9:0.5:-30";
    QTest::newRow("outside the range: frames past its end")
        << main << 1 << 4 << 4 << "outside " + both << "9:0.3:-60 1:0.5:30 6:0.5:-30";
    // Frame 1 has the drawings after it like any other frame.
    QTest::newRow("outside the range, on frame 1")
        << main << 1 << 9 << 1 << "outside " + both << "6:0.3:-60 4:0.5:-30";
    QTest::newRow("wrap on the first frame: before from the range end")
        << main << 1 << 9 << 1 << "wrap before=0.5,0.3 after=0.5"
        << "6:0.3:60 9:0.5:30 4:0.5:-30";
    QTest::newRow("wrap with few drawings repeats them, the shown one too")
        << QStringList{"A.B"} << 1 << 3 << 3 << "wrap before=0.5,0.4,0.3 after=0.5,0.4"
        << "1:0.3:90 3:0.4:60 3:0.4:-60 1:0.5:30 1:0.5:-30";
    QTest::newRow("on the virtual last frame") << QStringList{"A.B"} << 1 << 3 << 4
                                               << "stop " + both << "1:0.3:60 3:0.5:30";
    QTest::newRow("faint levels leave a gap, the cursor moves on")
        << main << 1 << 9 << 9 << "stop before=0.5,0.01,0.3" << "1:0.3:90 6:0.5:30";
    QTest::newRow("no hue shift") << main << 1 << 9 << 6 << "stop nohue " + both
                                  << "1:0.3:0 4:0.5:0 9:0.5:0";
    QTest::newRow("off") << main << 1 << 9 << 6 << "off " + both << "";

    // Another layer's drawings are stops too; past its end as its mode shows.
    QStringList const frozen{"A.B.C.D.", "AB|freeze"};
    QStringList const cycling{"A.B.C.D.", "AB|cycle"};
    QTest::newRow("other layer frozen: its virtual last frame only")
        << frozen << 1 << 8 << 6 << "stop " + both << "2:0.3:60 3:0.5:30 7:0.5:-30";
    QTest::newRow("other layer cycling: a drawing every frame")
        << cycling << 1 << 8 << 6 << "stop " + both << "4:0.3:60 8:0.3:-60 5:0.5:30 7:0.5:-30";
    QTest::newRow("active layer only") << cycling << 1 << 8 << 6 << "stop activeonly " + both
                                       << "1:0.3:60 3:0.5:30 7:0.5:-30";
    QTest::newRow("hidden layers do not count")
        << QStringList{"A.B.C.D.", "-AB|cycle"} << 1 << 8 << 6 << "stop " + both
        << "1:0.3:60 3:0.5:30 7:0.5:-30";

    // Key drawings b (3) and d (7) on the active layer; the other layer's
    // keys do not count on any layer choice.
    QStringList const keyed{"A.b.C.d.E", "Ab..c"};
    QTest::newRow("key drawings only") << keyed << 1 << 9 << 8 << "stop keys " + both
                                       << "3:0.3:60 7:0.5:30";
    QTest::newRow("key drawings only, active layer only")
        << keyed << 1 << 9 << 4 << "stop keys activeonly " + both << "3:0.5:30 7:0.5:-30";
    QTest::newRow("key drawings only, wrapping")
        << keyed << 1 << 9 << 5 << "wrap keys " + both << "7:0.3:60 3:0.3:-60 3:0.5:30 7:0.5:-30";
}

void TestSceneBacklight::selection()
{
    QFETCH(QStringList, layers);
    QFETCH(int, first);
    QFETCH(int, last);
    QFETCH(int, frame);
    QFETCH(QString, setting);
    QFETCH(QString, expected);

    Model::Scene scene;
    buildScene(scene, layers, first, last);
    scene.setActiveFrameAndLayer(frame, 0, Model::Scene::AcceptVirtualLastFrame);
    QCOMPARE(scene.activeFrame(), frame);
    scene.setBacklightSettings(settingsFrom(setting));
    // Whatever the stored settings were before, the list is the one for now.
    scene.updateBacklightFrames();
    QCOMPARE(describe(scene.backlightFrames()), expected);
}

void TestSceneBacklight::isBacklightFrame()
{
    Model::Scene scene;
    buildScene(scene, {"A..B.C..D"}, 1, 9);
    scene.setActiveFrameAndLayer(6, 0, Model::Scene::KeepWithinDrawnFrames);
    scene.setBacklightSettings(settingsFrom("stop before=0.5 after=0.5"));
    QCOMPARE(describe(scene.backlightFrames()), QStringLiteral("4:0.5:30 9:0.5:-30"));
    QList<int> shown;
    for (int f = 0; f <= 11; ++f) {
        if (scene.isBacklightFrame(f))
            shown << f;
    }
    QCOMPARE(shown, (QList<int>{4, 6, 9}));

    scene.setBacklightSettings(settingsFrom("off before=0.5 after=0.5"));
    for (int f = 0; f <= 11; ++f)
        QVERIFY(!scene.isBacklightFrame(f));
}

void TestSceneBacklight::switchingOffEmptiesTheListAndAnnouncesItOnce()
{
    Model::Scene scene;
    buildScene(scene, {"A..B.C..D"}, 1, 9);
    scene.setActiveFrameAndLayer(6, 0, Model::Scene::KeepWithinDrawnFrames);
    scene.setBacklightSettings(settingsFrom("stop before=0.5 after=0.5"));
    QCOMPARE(scene.backlightFrames().size(), 2);

    QSignalSpy framesChanged(&scene, &Model::Scene::backlightFramesChanged);
    scene.setBacklightSettings(settingsFrom("off before=0.5 after=0.5"));
    QVERIFY(scene.backlightFrames().isEmpty());
    QCOMPARE(framesChanged.count(), 1);
    scene.setBacklightSettings(settingsFrom("off before=0.5 after=0.5"));
    scene.updateCachedFramePixmap(true);
    QCOMPARE(framesChanged.count(), 1);
}

void TestSceneBacklight::changesThatMatterAnnounceTheFramesOnce()
{
    Model::Scene scene;
    buildScene(scene, {"A..B.C..D"}, 1, 9);
    scene.setActiveFrameAndLayer(6, 0, Model::Scene::KeepWithinDrawnFrames);
    scene.setBacklightSettings(settingsFrom("stop before=0.5"));

    QSignalSpy framesChanged(&scene, &Model::Scene::backlightFramesChanged);
    QSignalSpy rectChanged(&scene, &Model::Scene::rectChanged);
    // The list changes with the levels, and is announced after the new
    // picture, once.
    scene.setBacklightSettings(settingsFrom("stop before=0.5,0.3 after=0.5"));
    QCOMPARE(describe(scene.backlightFrames()), QStringLiteral("1:0.3:60 4:0.5:30 9:0.5:-30"));
    QCOMPARE(framesChanged.count(), 1);
    QCOMPARE(rectChanged.count(), 1);
    QCOMPARE(rectChanged.at(0).at(0).toRect(), QRect(QPoint(0, 0), scene.frameSize()));
}

void TestSceneBacklight::recomputingAnnouncesOnlyChanges()
{
    Model::Scene scene;
    buildScene(scene, {"A..B.C..D"}, 1, 9);
    scene.setActiveFrameAndLayer(6, 0, Model::Scene::KeepWithinDrawnFrames);
    scene.setBacklightSettings(settingsFrom("stop before=0.5 after=0.5"));

    QSignalSpy framesChanged(&scene, &Model::Scene::backlightFramesChanged);
    scene.updateBacklightFrames();
    scene.updateCachedFramePixmap(true);
    QCOMPARE(framesChanged.count(), 0);
    // Moving to a hold of the same drawing shows the same neighbours.
    scene.setActiveFrameAndLayer(7, 0, Model::Scene::KeepWithinDrawnFrames);
    QCOMPARE(framesChanged.count(), 0);
    scene.setActiveFrameAndLayer(4, 0, Model::Scene::KeepWithinDrawnFrames);
    QCOMPARE(framesChanged.count(), 1);
    QCOMPARE(describe(scene.backlightFrames()), QStringLiteral("1:0.5:30 6:0.5:-30"));
}

QUILLMERE_TEST_MAIN(TestSceneBacklight)
#include "tst_scenebacklight.moc"
