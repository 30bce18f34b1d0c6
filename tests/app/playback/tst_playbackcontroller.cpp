#include "HandClock.h"
#include "TestSupport.h"

#include "playback/PlaybackController.h"

#include <QElapsedTimer>
#include <QSignalSpy>
#include <QThread>

namespace {

// Records everything the controller says, in order.
struct Recorder
{
    explicit Recorder(PlaybackController& controller)
    {
        QObject::connect(&controller, &PlaybackController::showFrame, [this](int frame) {
            shown << frame;
            events << QStringLiteral("show %1").arg(frame);
        });
        QObject::connect(&controller, &PlaybackController::updateActiveFrame, [this](int frame) {
            events << QStringLiteral("active %1").arg(frame);
        });
        QObject::connect(&controller, &PlaybackController::playbackChanged, [this](bool playing) {
            events << QStringLiteral("playing %1").arg(playing);
        });
        QObject::connect(&controller, &PlaybackController::audioPlaybackChanged,
                         [this](bool playing, int frame) {
                             events << QStringLiteral("sound %1 %2").arg(playing).arg(frame);
                             if (playing)
                                 soundStarts << frame;
                         });
        QObject::connect(&controller, &PlaybackController::skippedFrame,
                         [this] { events << QStringLiteral("skipped"); });
    }

    QList<int> shown;
    QList<int> soundStarts;
    QStringList events;
};

struct Rig
{
    Rig(int lower, int upper, int active, double fps = 12.0)
        : clock(new HandClock)
        , controller(nullptr, clock)
        , recorder(controller)
    {
        controller.setFrameRange(lower, upper);
        controller.setActiveFrame(active);
        controller.setFrameRate(fps);
    }

    // Ticks until the run stops or the count is reached.
    void run(int ticks)
    {
        for (int i = 0; i < ticks && clock->tick(); ++i) {
        }
    }

    HandClock* clock;
    PlaybackController controller;
    Recorder recorder;
};

} // namespace

class TestPlaybackController : public QObject
{
    Q_OBJECT

private slots:
    void intervalFollowsTheClampedRate_data();
    void intervalFollowsTheClampedRate();
    void onceRunStopsPastTheRangeEnd_data();
    void onceRunStopsPastTheRangeEnd();
    void loopWrapsAndRestartsTheSound();
    void backwardsLoopNeverStartsTheSound();
    void returnFlipGoesBackAndComesHome();
    void flipBackStaysOnTheRangeStart();
    void lateTicksSkipFramesAndSaySo();
    void aRangeOfOneFrameRefusesToStart();
    void rateChangeGoesOnFromTheShownFrame_data();
    void rateChangeGoesOnFromTheShownFrame();
    void pauseAndResume();
    void realClockKeepsTimeUnderLoad();
};

void TestPlaybackController::intervalFollowsTheClampedRate_data()
{
    QTest::addColumn<double>("fps");
    QTest::addColumn<double>("rate");
    QTest::addColumn<int>("interval");

    QTest::newRow("12") << 12.0 << 12.0 << 83;
    QTest::newRow("12.5") << 12.5 << 12.5 << 80;
    QTest::newRow("24") << 24.0 << 24.0 << 42;
    QTest::newRow("too slow") << 0.05 << 0.1 << 10000;
    QTest::newRow("too fast") << 100.0 << 60.0 << 17;
}

void TestPlaybackController::intervalFollowsTheClampedRate()
{
    QFETCH(double, fps);
    QFETCH(double, rate);
    QFETCH(int, interval);

    Rig rig(1, 10, 1, fps);
    QCOMPARE(rig.controller.frameRate(), rate);
    rig.controller.startPlayback();
    QCOMPARE(rig.clock->interval(), interval);
}

void TestPlaybackController::onceRunStopsPastTheRangeEnd_data()
{
    QTest::addColumn<bool>("stay");
    QTest::addColumn<bool>("backwards");
    QTest::addColumn<QStringList>("events");

    QTest::newRow("forwards") << false << false
                              << QStringList{"playing 1", "sound 1 6", "show 6", "show 7",
                                             "show 8", "active 3", "sound 0 -1", "playing 0"};
    QTest::newRow("stop and stay") << true << false
                                   << QStringList{"playing 1", "sound 1 6", "show 6", "show 7",
                                                  "show 8", "active 8", "sound 0 -1", "playing 0"};
    QTest::newRow("backwards, no sound")
        << true << true
        << QStringList{"playing 1", "show 7", "show 6", "show 5", "active 5", "sound 0 -1",
                       "playing 0"};
}

void TestPlaybackController::onceRunStopsPastTheRangeEnd()
{
    QFETCH(bool, stay);
    QFETCH(bool, backwards);
    QFETCH(QStringList, events);

    // The active frame does not matter: a once run starts at the range end.
    Rig rig(5, 8, 3);
    rig.controller.setPlaybackModes(PlaybackController::PlaybackModes());
    rig.controller.setPlaybackMode(PlaybackController::StopAndStay, stay);
    rig.controller.setPlaybackMode(PlaybackController::Backwards, backwards);
    rig.controller.startPlayback();
    QCOMPARE(rig.controller.state(), PlaybackController::PlayingOnce);
    rig.run(10);

    QCOMPARE(rig.recorder.events, events);
    QVERIFY(!rig.controller.isPlaying());
}

void TestPlaybackController::loopWrapsAndRestartsTheSound()
{
    Rig rig(1, 10, 10);
    rig.controller.startPlayback();
    rig.run(23);

    QCOMPARE(rig.recorder.shown.mid(0, 12), (QList<int>{1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 1, 2}));
    QCOMPARE(rig.recorder.shown.size(), 23);
    QCOMPARE(rig.recorder.soundStarts, (QList<int>{1, 1, 1}));
    QCOMPARE(rig.recorder.events.mid(0, 3), (QStringList{"playing 1", "sound 1 1", "show 1"}));

    rig.controller.stopPlayback();
    QCOMPARE(rig.recorder.events.mid(rig.recorder.events.size() - 3),
             (QStringList{"active 10", "sound 0 -1", "playing 0"}));
}

void TestPlaybackController::backwardsLoopNeverStartsTheSound()
{
    Rig rig(1, 4, 2);
    rig.controller.setPlaybackMode(PlaybackController::Backwards, true);
    rig.controller.startPlayback();
    rig.run(6);

    QCOMPARE(rig.recorder.shown, (QList<int>{1, 4, 3, 2, 1, 4}));
    QCOMPARE(rig.recorder.soundStarts, QList<int>());
}

void TestPlaybackController::returnFlipGoesBackAndComesHome()
{
    Rig rig(1, 30, 20);
    rig.controller.flipBackAndReturn(4);
    rig.run(20);

    QCOMPARE(rig.recorder.shown, (QList<int>{18, 17, 16, 17, 18, 19}));
    QCOMPARE(rig.recorder.events.mid(rig.recorder.events.size() - 3),
             (QStringList{"active 20", "sound 0 -1", "playing 0"}));
    QCOMPARE(rig.recorder.soundStarts, QList<int>());
}

void TestPlaybackController::flipBackStaysOnTheRangeStart()
{
    Rig rig(1, 30, 3);
    rig.controller.startFlipBack();
    rig.run(4);
    QCOMPARE(rig.recorder.shown, (QList<int>{1, 1, 1, 1}));

    // Letting go of the key returns to where the flip began.
    rig.controller.startReturnFlip();
    rig.run(5);
    QCOMPARE(rig.recorder.shown.mid(4), (QList<int>{2}));
    QVERIFY(rig.recorder.events.endsWith(QStringLiteral("playing 0")));
    QVERIFY(rig.recorder.events.contains(QStringLiteral("active 3")));
}

void TestPlaybackController::lateTicksSkipFramesAndSaySo()
{
    Rig rig(1, 100, 1);
    rig.controller.startPlayback();
    rig.clock->tick();
    rig.clock->tick();
    QVERIFY(!rig.recorder.events.contains(QStringLiteral("skipped")));
    // Two frame periods late: the animation keeps time and drops frames.
    rig.clock->tick(170);
    rig.clock->tick();
    QCOMPARE(rig.recorder.events.count(QStringLiteral("skipped")), 1);
    QCOMPARE(rig.recorder.shown, (QList<int>{2, 3, 6, 7}));
}

void TestPlaybackController::aRangeOfOneFrameRefusesToStart()
{
    for (int const upper : {4, 3}) {
        Rig rig(4, upper, 4);
        rig.controller.startPlayback();
        QVERIFY(!rig.controller.isPlaying());
        QVERIFY(!rig.clock->isTicking());
        QCOMPARE(rig.recorder.events, (QStringList{"active 4", "sound 0 -1", "playing 0"}));
    }
}

void TestPlaybackController::rateChangeGoesOnFromTheShownFrame_data()
{
    QTest::addColumn<bool>("loop");
    QTest::addColumn<QList<int>>("shown");

    QTest::newRow("loop") << true << QList<int>{2, 3, 4, 5, 6};
    QTest::newRow("once") << false << QList<int>{2, 3, 4, 5, 6};
}

void TestPlaybackController::rateChangeGoesOnFromTheShownFrame()
{
    QFETCH(bool, loop);
    QFETCH(QList<int>, shown);

    Rig rig(1, 20, 1);
    rig.controller.setPlaybackMode(PlaybackController::Loop, loop);
    rig.controller.startPlayback();
    rig.run(3);
    rig.recorder.events.clear();
    rig.controller.setFrameRate(24.0);
    QCOMPARE(rig.clock->interval(), 42);
    QVERIFY(rig.controller.isPlaying());
    rig.run(2);

    QCOMPARE(rig.recorder.shown, shown);
    QVERIFY(!rig.recorder.events.contains(QStringLiteral("playing 1")));
}

void TestPlaybackController::pauseAndResume()
{
    Rig rig(1, 20, 1);
    QVERIFY(!rig.controller.pausePlayback());
    QVERIFY(!rig.controller.unPausePlayback(5));
    rig.controller.startPlayback();
    rig.run(2);
    QVERIFY(rig.controller.pausePlayback());
    QVERIFY(rig.controller.isPlaying());
    QVERIFY(!rig.clock->tick());
    QCOMPARE(rig.recorder.events.last(), QStringLiteral("sound 0 3"));

    QVERIFY(rig.controller.unPausePlayback(10));
    QCOMPARE(rig.recorder.events.last(), QStringLiteral("sound 1 10"));
    rig.run(2);
    QCOMPARE(rig.recorder.shown, (QList<int>{2, 3, 11, 12}));

    rig.controller.pausePlayback();
    rig.controller.togglePlayback();
    QVERIFY(!rig.controller.isPlaying());
    QCOMPARE(rig.recorder.events.last(), QStringLiteral("playing 0"));
}

void TestPlaybackController::realClockKeepsTimeUnderLoad()
{
    // Frames 2 to 121 at 24 fps: frame f is due (f - 1) periods after the
    // start, and the run ends once the frame after the last is due. On a
    // busy machine ticks come late and frames are skipped, but none comes
    // early, none comes twice and the run goes to the end of the range.
    PlaybackController controller;
    controller.setFrameRate(24.0);
    controller.setFrameRange(1, 121);
    controller.setActiveFrame(1);
    controller.setPlaybackModes(PlaybackController::PlaybackModes());
    int skipped = 0;
    QList<int> shown;
    QList<qint64> shownAt;
    QElapsedTimer wall;
    connect(&controller, &PlaybackController::skippedFrame, this, [&] { ++skipped; });
    connect(&controller, &PlaybackController::showFrame, this, [&](int frame) {
        shown << frame;
        shownAt << wall.elapsed();
        // Now and then a frame takes far too long.
        if (frame % 25 == 0 && frame < 100)
            QThread::msleep(150);
    });
    QSignalSpy stopped(&controller, &PlaybackController::updateActiveFrame);

    wall.start();
    controller.startPlayback();
    QVERIFY(stopped.wait(30000));
    qint64 const took = wall.elapsed();

    double const period = 1000.0 / 24.0;
    QVERIFY2(took >= qint64(120.5 * period), qPrintable(QString::number(took)));
    QVERIFY(!shown.isEmpty());
    for (qsizetype i = 0; i < shown.size(); ++i) {
        QVERIFY(i == 0 || shown.at(i) > shown.at(i - 1));
        QVERIFY2(shownAt.at(i) >= qint64((shown.at(i) - 1.5) * period),
                 qPrintable(QStringLiteral("frame %1 at %2 ms").arg(shown.at(i)).arg(shownAt.at(i))));
    }
    QVERIFY2(skipped >= 3, qPrintable(QString::number(skipped)));
    QVERIFY(shown.size() < 120);
}

QUILLMERE_TEST_MAIN(TestPlaybackController)

#include "tst_playbackcontroller.moc"
