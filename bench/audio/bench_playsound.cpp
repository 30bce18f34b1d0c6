// Sound of repeated plays: a 24-frame scene at 12 fps whose sound layer is a
// 2 s tone, played twelve times for 1.1 s from frame 1 by the playback
// controller on the real clock, through the layer's real sink. What reaches
// the sound server is recorded from the monitor of its output with parec,
// and the seconds of tone each play carried are printed.
//
// Baseline in the same run: the same twelve plays of 1.1 s of the tone,
// each through a new plain QAudioSink reading the tone from memory, recorded
// the same way: what this machine's sound server delivers at its present
// load.
//
// Needs a sound server whose default output has a monitor, e.g. the private
// null sink that bench/audio/playsound.sh starts:
//   bash bench/audio/playsound.sh build/bench/bench_playsound
#include "audio/AudioLayer.h"
#include "playback/PlaybackController.h"

#include "MonitorRecording.h"
#include "SoundFixtures.h"

#include <QAudioSink>
#include <QBuffer>
#include <QCoreApplication>
#include <QEventLoop>
#include <QFile>
#include <QMediaDevices>
#include <QTimer>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <functional>
#include <vector>

namespace {

constexpr int Rate = 48000;
constexpr int BytesPerSecond = Rate * 2 * 2;
static_assert(Rate == MonitorRecording::Rate);
constexpr double Fps = 12.0;
constexpr int Frames = 24;
constexpr int Plays = 12;
constexpr int PlayMs = 1100;
constexpr int PauseMs = 700;
constexpr double Amplitude = 0.5;

void wait(int ms)
{
    QEventLoop loop;
    QTimer::singleShot(ms, &loop, &QEventLoop::quit);
    loop.exec();
}

double loadAverage()
{
    QFile file(QStringLiteral("/proc/loadavg"));
    if (!file.open(QIODevice::ReadOnly))
        return -1.0;
    return file.readAll().split(' ').value(0).toDouble();
}

void print(char const* what, std::vector<std::pair<double, double>> const& figures, double load)
{
    int sounded = 0;
    double total = 0.0;
    std::printf("%-10s tone s:", what);
    for (auto const& f : figures) {
        std::printf(" %.2f", f.first);
        sounded += f.first >= 0.5 * PlayMs / 1000.0;
        total += f.first;
    }
    std::printf("\n%-10s gap s: ", "");
    for (auto const& f : figures)
        std::printf(" %.2f", f.second);
    std::printf("\n%-10s %d of %zu plays sounded (half their length or more), %.2f s of tone, "
                "load %.2f\n",
                "", sounded, figures.size(), total, load);
}

// Twelve plays, each begun by start() and ended by stop(), once open() has
// prepared them: seconds of tone and of the longest gap inside each.
std::vector<std::pair<double, double>> playTwelve(std::function<void()> const& open,
                                                  std::function<void()> const& start,
                                                  std::function<void()> const& stop)
{
    MonitorRecording recording;
    if (!recording.start()) {
        std::fprintf(stderr, "nothing is recorded from the output's monitor (parec)\n");
        return {};
    }
    open();
    std::vector<qint64> marks;
    for (int i = 0; i < Plays; ++i) {
        marks.push_back(recording.size());
        start();
        wait(PlayMs);
        stop();
        wait(PauseMs);
    }
    recording.stop();
    marks.push_back(recording.size());
    std::vector<std::pair<double, double>> figures;
    for (int i = 0; i < Plays; ++i) {
        QList<bool> const blocks = recording.toneBlocks(marks[i], Amplitude)
                                       .mid(0, (marks[i + 1] - marks[i]) / MonitorRecording::BlockBytes);
        ToneFigures const f(blocks);
        figures.emplace_back(f.tone * MonitorRecording::BlockMs / 1000.0,
                             f.longestGap * MonitorRecording::BlockMs / 1000.0);
    }
    return figures;
}

} // namespace

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    QAudioDevice const output = QMediaDevices::defaultAudioOutput();
    if (output.isNull()) {
        std::fprintf(stderr, "no sound output\n");
        return 1;
    }
    std::printf("output %s, recorded from its monitor\n", output.id().constData());

    QByteArray const wav = SoundFixtures::wav16(Rate, 2, 2 * Rate, [](int frame, int) {
        return SoundFixtures::sine(frame, Rate, 440.0, Amplitude);
    });

    // The program: the layer as a scene has it, driven by the controller as
    // the main window wires them.
    double const loadBefore = loadAverage();
    Model::AudioLayer layer;
    layer.setFrameRate(Fps);
    PlaybackController controller;
    controller.setFrameRate(Fps);
    controller.setFrameRange(1, Frames);
    QObject::connect(&controller, &PlaybackController::audioPlaybackChanged, &layer,
                     [&layer](bool on, int frame) {
                         if (on)
                             layer.startPlayback(frame, Frames);
                         else
                             layer.stopPlayback();
                     });
    auto const program = playTwelve(
        [&layer, &wav] {
            // The scene is opened, and Space pressed a moment later.
            if (!layer.setOriginalAudioData(wav))
                std::fprintf(stderr, "the tone does not decode\n");
            wait(300);
        },
        [&controller] {
            controller.setActiveFrame(1);
            controller.startPlayback();
        },
        [&controller] { controller.stopPlayback(); });
    print("program", program, std::max(loadBefore, loadAverage()));

    // The baseline: a new plain sink for every play.
    QAudioFormat format;
    format.setSampleRate(Rate);
    format.setChannelConfig(QAudioFormat::ChannelConfigStereo);
    format.setSampleFormat(QAudioFormat::Int16);
    QByteArray const pcm = SoundFixtures::wavSamples(wav).left(BytesPerSecond * PlayMs / 1000);
    std::unique_ptr<QAudioSink> sink;
    std::unique_ptr<QBuffer> source;
    double const loadBaseline = loadAverage();
    auto const baseline = playTwelve(
        [] {},
        [&] {
            source = std::make_unique<QBuffer>();
            source->setData(pcm);
            source->open(QIODevice::ReadOnly);
            sink = std::make_unique<QAudioSink>(output, format);
            sink->start(source.get());
        },
        [&] {
            sink->stop();
            sink.reset();
        });
    print("baseline", baseline, std::max(loadBaseline, loadAverage()));

    double programTotal = 0.0;
    double baselineTotal = 0.0;
    for (auto const& f : program)
        programTotal += f.first;
    for (auto const& f : baseline)
        baselineTotal += f.first;
    std::printf("tone of the program / baseline: %.2f\n",
                baselineTotal > 0.0 ? programTotal / baselineTotal : 0.0);
    return 0;
}
