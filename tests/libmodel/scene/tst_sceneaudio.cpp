#include "../media/SoundFixtures.h"
#include "TestSupport.h"

#include "SceneFixture.h"

#include <QtEndian>

#include <cmath>

namespace {

using SoundFixtures::toneWav;

std::shared_ptr<Model::AudioLayer> soundLayer(double seconds = 1.0)
{
    auto layer = std::make_shared<Model::AudioLayer>(nullptr);
    layer->setName(QStringLiteral("sound"));
    layer->setOriginalAudioData(toneWav(seconds));
    return layer;
}

// A scene of one 24-frame draw layer and a second of sound at 12 fps.
struct SoundScene
{
    SoundScene()
    {
        scene.setFrameRate(12.0);
        auto const frames = std::make_shared<FixtureDrawLayer>(QStringLiteral("frames"));
        Fixture::build(*frames, QStringLiteral("ABCDEFGHIJKLMNOPQRSTUVWX"));
        scene.addLayer(frames, 0);
        audio = soundLayer();
        scene.addLayer(audio, 1);
        scene.setFrameRange(1, 24, 1, 0);
    }

    Model::Scene scene;
    std::shared_ptr<Model::AudioLayer> audio;
};

} // namespace

class TestSceneAudio : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void addedAudioLayerTakesTheFrameRate();
    void frameRateChangeReachesTheAudioLayer_data();
    void frameRateChangeReachesTheAudioLayer();
    void frameRateIsClamped_data();
    void frameRateIsClamped();
    void swappedInAudioLayerTakesTheFrameRate();
    void scrubbingPlaysEachNewScrubFrame();
    void playbackIsForwarded();
    void audibility();
    void offsets();
    void withoutAnAudioLayerEverythingIsNeutral();
};

void TestSceneAudio::initTestCase()
{
    auto const layer = soundLayer();
    QVERIFY2(layer->isAudioAvailable(), "the test sound does not decode");
    QVERIFY(layer->durationUs() > 990000);
}

void TestSceneAudio::addedAudioLayerTakesTheFrameRate()
{
    Model::Scene scene;
    scene.setFrameRate(25.0);
    auto const audio = soundLayer();
    QCOMPARE(audio->frameRate(), 0.0);
    scene.addLayer(std::make_shared<Model::AnnotationLayer>(nullptr), 0);
    scene.addLayer(audio, 0);
    QCOMPARE(audio->frameRate(), 25.0);
    QCOMPARE(scene.audioLayerIdx(), 0);
    QCOMPARE(audio->parent(), &scene);
    // The sound never lengthens the scene.
    QCOMPARE(scene.maximumFrameNumber(), 1);
    QVERIFY(scene.isAudioAvailable());
}

void TestSceneAudio::frameRateChangeReachesTheAudioLayer_data()
{
    QTest::addColumn<double>("offset");
    QTest::addColumn<double>("rate");
    QTest::addColumn<double>("storedRate");
    QTest::addColumn<double>("newOffset");

    // A sound that starts before frame 1 keeps its time, one that starts
    // later keeps its frame count.
    QTest::newRow("negative offset, double rate") << -2.0 << 24.0 << 24.0 << -4.0;
    QTest::newRow("negative offset, half rate") << -3.0 << 6.0 << 6.0 << -1.5;
    QTest::newRow("positive offset") << 2.0 << 24.0 << 24.0 << 2.0;
    QTest::newRow("negative offset, rate clamped") << -1.0 << 120.0 << 60.0 << -5.0;
}

void TestSceneAudio::frameRateChangeReachesTheAudioLayer()
{
    QFETCH(double, offset);
    QFETCH(double, rate);
    QFETCH(double, storedRate);
    QFETCH(double, newOffset);

    SoundScene s;
    QCOMPARE(s.audio->frameRate(), 12.0);
    s.scene.setAudioOffsetFrames(offset);
    QCOMPARE(s.scene.audioOffsetFrames(), offset);

    QSignalSpy rateChanged(&s.scene, &Model::Scene::frameRateChanged);
    QSignalSpy layersChanged(&s.scene, &Model::Scene::layersChanged);
    s.scene.setFrameRate(rate);
    QCOMPARE(s.scene.frameRate(), storedRate);
    QCOMPARE(s.audio->frameRate(), storedRate);
    QCOMPARE(s.audio->offsetFrames(), newOffset);
    QCOMPARE(s.scene.audioOffsetFrames(), newOffset);
    QCOMPARE(rateChanged.count(), 1);
    QCOMPARE(rateChanged.at(0).at(0).toDouble(), storedRate);
    QCOMPARE(layersChanged.count(), 1);
    QCOMPARE(layersChanged.at(0), (QVariantList{1, 1}));
}

void TestSceneAudio::frameRateIsClamped_data()
{
    QTest::addColumn<double>("rate");
    QTest::addColumn<double>("stored");
    QTest::addColumn<int>("emitted");
    QTest::newRow("zero") << 0.0 << 0.1 << 1;
    QTest::newRow("negative") << -5.0 << 0.1 << 1;
    QTest::newRow("too fast") << 120.0 << 60.0 << 1;
    QTest::newRow("inside") << 24.0 << 24.0 << 1;
    QTest::newRow("unchanged") << 12.0 << 12.0 << 0;
    QTest::newRow("unchanged but for rounding") << 12.0 + 1e-14 << 12.0 << 0;
    QTest::newRow("not a number") << std::nan("") << 12.0 << 0;
}

void TestSceneAudio::frameRateIsClamped()
{
    QFETCH(double, rate);
    QFETCH(double, stored);
    QFETCH(int, emitted);

    Model::Scene scene;
    scene.setFrameRate(12.0);
    QSignalSpy rateChanged(&scene, &Model::Scene::frameRateChanged);
    QSignalSpy layersChanged(&scene, &Model::Scene::layersChanged);
    scene.setFrameRate(rate);
    QCOMPARE(scene.frameRate(), stored);
    QCOMPARE(rateChanged.count(), emitted);
    // Without an audio layer the layer change names index -1.
    QCOMPARE(layersChanged.count(), emitted);
    if (emitted)
        QCOMPARE(layersChanged.at(0), (QVariantList{-1, -1}));
    // Setting it again changes nothing.
    scene.setFrameRate(rate);
    QCOMPARE(rateChanged.count(), emitted);
}

void TestSceneAudio::swappedInAudioLayerTakesTheFrameRate()
{
    SoundScene s;
    s.scene.setFrameRate(30.0);
    auto const replacement = soundLayer(0.5);
    QCOMPARE(s.scene.swapLayer(1, replacement), std::shared_ptr<Model::Layer>(s.audio));
    QCOMPARE(replacement->frameRate(), 30.0);
    QCOMPARE(s.scene.audioLayerIdx(), 1);

    // An audio layer swapped in where there was none becomes the scene's.
    auto const notes = std::make_shared<Model::AnnotationLayer>(nullptr);
    QCOMPARE(s.scene.swapLayer(1, notes), std::shared_ptr<Model::Layer>(replacement));
    QCOMPARE(s.scene.audioLayerIdx(), -1);
    auto const another = soundLayer();
    s.scene.swapLayer(1, another);
    QCOMPARE(s.scene.audioLayerIdx(), 1);
    QCOMPARE(another->frameRate(), 30.0);
}

void TestSceneAudio::scrubbingPlaysEachNewScrubFrame()
{
    SoundScene s;
    QSignalSpy start(s.audio.get(), &Model::AudioLayer::startAudio);
    QSignalSpy stop(s.audio.get(), &Model::AudioLayer::stopAudio);
    QSignalSpy slices(s.audio.get(), &Model::AudioLayer::newAudioBuffer);

    // What the layer itself asks for when told to play a frame.
    auto const sliceOf = [&](int frame) {
        int const before = int(slices.count());
        s.audio->playFrame(frame);
        QVariantList slice = slices.count() > before ? slices.takeLast() : QVariantList();
        if (!slice.isEmpty())
            slice.removeFirst(); // the sound itself
        return slice;
    };
    auto const lastSlice = [&]() {
        QVariantList slice = slices.last();
        slice.removeFirst();
        return slice;
    };
    QVariantList const frame3 = sliceOf(3);
    QVariantList const frame4 = sliceOf(4);
    QVERIFY(!frame3.isEmpty());
    QVERIFY(frame3 != frame4);

    // Not scrubbing: the scrub frame is silent.
    s.scene.setScrubFrame(3);
    QCOMPARE(slices.count(), 0);

    // Starting plays the scrub frame already set.
    s.scene.startScrubbing();
    QCOMPARE(start.count(), 1);
    QCOMPARE(slices.count(), 1);
    QCOMPARE(lastSlice(), frame3);

    s.scene.setScrubFrame(4);
    QCOMPARE(slices.count(), 2);
    QCOMPARE(lastSlice(), frame4);
    // The same frame again plays nothing; clearing it plays nothing.
    s.scene.setScrubFrame(4);
    s.scene.setScrubFrame(-1);
    QCOMPARE(slices.count(), 2);

    // Muted, the frames pass in silence.
    QVERIFY(s.scene.setAudible(false));
    s.scene.setScrubFrame(5);
    QCOMPARE(slices.count(), 2);
    QVERIFY(s.scene.setAudible(true));

    s.scene.stopScrubbing();
    QCOMPARE(stop.count(), 1);
    s.scene.setScrubFrame(6);
    QCOMPARE(slices.count(), 2);
}

void TestSceneAudio::playbackIsForwarded()
{
    SoundScene s;
    QSignalSpy start(s.audio.get(), &Model::AudioLayer::startAudio);
    QSignalSpy stop(s.audio.get(), &Model::AudioLayer::stopAudio);
    QSignalSpy slices(s.audio.get(), &Model::AudioLayer::newAudioBuffer);

    // Playback runs to the scene's last frame.
    s.audio->startPlayback(3, 24);
    QCOMPARE(slices.count(), 1);
    s.scene.startAudioPlayback(3);
    QCOMPARE(start.count(), 2);
    QCOMPARE(slices.count(), 2);
    QCOMPARE(slices.at(1), slices.at(0));

    s.scene.stopAudioPlayback();
    QCOMPARE(stop.count(), 1);
}

void TestSceneAudio::audibility()
{
    SoundScene s;
    QVERIFY(s.scene.isAudible());
    QVERIFY(s.scene.isLayerAudible(1));
    QVERIFY(!s.scene.isLayerAudible(0));

    QSignalSpy layersChanged(&s.scene, &Model::Scene::layersChanged);
    QSignalSpy volume(s.audio.get(), &Model::AudioLayer::volumeChanged);
    QVERIFY(s.scene.setLayerAudible(1, false));
    QVERIFY(!s.audio->isAudible());
    QVERIFY(!s.scene.isAudible());
    QVERIFY(!s.scene.isLayerAudible(1));
    QCOMPARE(layersChanged.count(), 1);
    QCOMPARE(layersChanged.at(0), (QVariantList{1, 1}));
    QCOMPARE(volume.count(), 1);
    QCOMPARE(volume.at(0).at(0).toDouble(), 0.0);

    // Again: accepted, nothing changes.
    QVERIFY(s.scene.setAudible(false));
    QCOMPARE(layersChanged.count(), 1);
    QVERIFY(s.scene.setAudible(true));
    QVERIFY(s.scene.isAudible());
    QCOMPARE(layersChanged.count(), 2);

    // An audible layer without sound is not heard.
    SceneFixture f;
    QVERIFY(f.audio->isAudible());
    QVERIFY(!f.scene.isAudible());
    QVERIFY(!f.scene.isLayerAudible(3));
    QVERIFY(!f.scene.isAudioAvailable());
}

void TestSceneAudio::offsets()
{
    SoundScene s;
    QSignalSpy layersChanged(&s.scene, &Model::Scene::layersChanged);
    s.scene.setAudioOffsetFrames(1.234);
    QCOMPARE(s.scene.audioOffsetFrames(), 1.23);
    QCOMPARE(layersChanged.count(), 1);
    QCOMPARE(layersChanged.at(0), (QVariantList{1, 1}));

    s.scene.setAudioOffsetFramesTemporary(0.5);
    QCOMPARE(s.scene.audioOffsetFrames(), 1.23);
    QCOMPARE(s.scene.audioOffsetFramesTotal(), 1.73);
    QCOMPARE(layersChanged.count(), 2);

    // The sound now starts in frame 2 and lasts twelve frames.
    QVERIFY(!s.scene.isAudioFrameValid(1));
    QVERIFY(s.scene.isAudioFrameValid(2));
    QVERIFY(s.scene.isAudioFrameValid(14));
    QVERIFY(!s.scene.isAudioFrameValid(15));
    QVERIFY(!s.scene.isAudioAvailableInRange(1, 1));
    QVERIFY(s.scene.isAudioAvailableInRange(1, 2));
    QVERIFY(!s.scene.isAudioAvailableInRange(15, 20));
}

void TestSceneAudio::withoutAnAudioLayerEverythingIsNeutral()
{
    Model::Scene scene;
    auto const frames = std::make_shared<FixtureDrawLayer>(QStringLiteral("frames"));
    Fixture::build(*frames, QStringLiteral("ABC"));
    scene.addLayer(frames, 0);
    scene.addLayer(std::make_shared<Model::AnnotationLayer>(nullptr), 1);

    auto const spies = Fixture::spyOnAllSignals(&scene);
    QVERIFY(!scene.isAudioAvailable());
    QVERIFY(!scene.isAudioAvailableInRange(1, 3));
    QVERIFY(!scene.isAudible());
    QVERIFY(!scene.isAudioFrameValid(1));
    QVERIFY(!scene.setAudible(true));
    QCOMPARE(scene.audioOffsetFrames(), 0.0);
    QCOMPARE(scene.audioOffsetFramesTotal(), 0.0);
    scene.setAudioOffsetFrames(3.0);
    scene.setAudioOffsetFramesTemporary(1.0);
    scene.startAudioPlayback(1);
    scene.stopAudioPlayback();
    scene.startScrubbing();
    scene.stopScrubbing();
    scene.updateAudioLayerFrameRate();
    QCOMPARE(Fixture::caught(spies), QStringList());
    QCOMPARE(scene.audioOffsetFrames(), 0.0);
}

QUILLMERE_TEST_MAIN(TestSceneAudio)
#include "tst_sceneaudio.moc"
