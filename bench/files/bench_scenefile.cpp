// Saving and opening a scene file: a generated scene of 400 frames on three
// stroke layers at 1280 x 720, every cell an original of about 20 strokes,
// written to and read from memory. Throughput is reported against the size
// of the document (bytes_per_second), so the figures read as MB/s of ".kw".
// Beside each, the baseline of the same run: QByteArray's own base64 coding
// of the document's payloads (counter base64_ms) and the ratio of the two
// throughputs (vs_base64: 1 would be as fast as base64 alone). Last, the
// memory a scene read from the document takes (BM_LoadedSceneMemory): the
// resident growth after loading and its peak during loading, as multiples
// of the document's size.
//
// The drawings are copies of a pool of rendered ones: rendering 30,000
// strokes in software OpenGL would take longer than the measurements, and a
// copy carries its strokes and coverage buffer just as an original does.
#include "BenchRendering.h"
#include "ProcessMemory.h"

#include "drawings/StrokeDrawing.h"
#include "files/SceneReader.h"
#include "files/SceneWriter.h"
#include "rendering/OffscreenRenderer.h"
#include "scene/LayerItem.h"
#include "scene/Scene.h"
#include "scene/StrokeLayer.h"
#include "strokes/Blending.h"
#include "strokes/SingleStroke.h"
#include "tools/PenTool.h"

#include <benchmark/benchmark.h>

#include <QApplication>
#include <QBuffer>
#include <QElapsedTimer>
#include <QFile>
#include <QRandomGenerator>
#include <QXmlStreamReader>

#include <algorithm>

#include <cmath>
#include <cstdio>
#include <memory>
#include <utility>
#include <vector>

namespace {

QSize const FrameSize(1280, 720);
constexpr int Frames = 400;
constexpr int Layers = 3;
constexpr int StrokesPerDrawing = 20;
constexpr int PoolSize = 24;

// A wavy pen stroke of 12 to 30 guide points with varying pressure.
std::unique_ptr<Model::Stroke> randomStroke(Model::Tool* pen, QRandomGenerator& random)
{
    auto stroke = std::make_unique<Model::SingleStroke>(FrameSize, pen);
    QPointF position(random.bounded(FrameSize.width()), random.bounded(FrameSize.height()));
    double heading = random.bounded(2.0 * M_PI);
    int const points = 12 + random.bounded(19);
    for (int i = 0; i < points; ++i) {
        Model::Stroke::GuidePoint point;
        point.position = position;
        point.pressure = 0.3 + 0.6 * std::abs(std::sin(i * 0.4));
        point.time = quint64(i) * 8;
        stroke->addPoint(std::move(point));
        stroke->drawLastSegmentToBuffer();
        heading += random.bounded(0.8) - 0.4;
        position += QPointF(std::cos(heading), std::sin(heading)) * (6.0 + random.bounded(10.0));
    }
    stroke->addEndPoint();
    stroke->drawLastSegmentToBuffer();
    return stroke;
}

struct Fixture
{
    Fixture()
    {
        QObject* owner = new QObject(qApp);
        auto* pen = new Model::PenTool(Model::Tool::Pencil, owner);
        pen->setSizeRangePercent(1.0, 3.0);
        QRandomGenerator random(20240521);
        std::vector<std::shared_ptr<Model::StrokeDrawing>> pool;
        for (int i = 0; i < PoolSize; ++i) {
            auto drawing = std::make_shared<Model::StrokeDrawing>(FrameSize);
            for (int s = 0; s < StrokesPerDrawing; ++s)
                drawing->appendStroke(randomStroke(pen, random));
            pool.push_back(drawing);
        }

        scene.setFrameSize(FrameSize, KW::FitMode::FitModeIgnore, nullptr);
        for (int l = 0; l < Layers; ++l) {
            auto layer = std::make_shared<Model::StrokeLayer>(QColor(Qt::black), FrameSize, nullptr);
            layer->frames().clear();
            for (int f = 0; f < Frames; ++f) {
                std::shared_ptr<Model::Drawing> copy(pool.at((f * 7 + l * 5) % PoolSize)->clone());
                layer->frames().append(std::make_shared<Model::LayerItem>(
                    Model::LayerItem::Original, QUuid::createUuid(), copy));
            }
            scene.addLayer(layer, scene.numLayers());
        }
        scene.setFrameRange(1, Frames, 1, 0);

        QBuffer buffer(&document);
        buffer.open(QIODevice::WriteOnly);
        Model::SceneWriter(&scene, nullptr).writeFile(&buffer);

        // The payloads, as text and as bytes, for the baselines.
        QXmlStreamReader xml(document);
        while (!xml.atEnd()) {
            if (xml.readNext() != QXmlStreamReader::StartElement)
                continue;
            QStringView const name = xml.name();
            if (name == QLatin1String("strokes") || name == QLatin1String("image")
                || name == QLatin1String("originalAudioData"))
                payloadText += xml.readElementText().toLatin1();
        }
        payload = QByteArray::fromBase64(payloadText);
    }

    Model::Scene scene;
    QByteArray document;
    QByteArray payloadText;
    QByteArray payload;
};

// The median time of a few runs of work, in seconds.
template <typename Work>
double medianSeconds(Work&& work)
{
    std::vector<double> times;
    for (int i = 0; i < 7; ++i) {
        QElapsedTimer timer;
        timer.start();
        work();
        times.push_back(timer.nsecsElapsed() / 1e9);
    }
    std::nth_element(times.begin(), times.begin() + 3, times.end());
    return times[3];
}

Fixture& fixture()
{
    static Fixture f;
    return f;
}

void BM_SaveScene(benchmark::State& state)
{
    Fixture& f = fixture();
    qint64 written = 0;
    for (auto _ : state) {
        QByteArray bytes;
        bytes.reserve(f.document.size());
        QBuffer buffer(&bytes);
        buffer.open(QIODevice::WriteOnly);
        Model::SceneWriter writer(&f.scene, nullptr);
        if (writer.writeFile(&buffer) != 0)
            state.SkipWithError("writing failed");
        written += bytes.size();
        benchmark::DoNotOptimize(bytes.data());
    }
    state.SetBytesProcessed(written);
    state.counters["file_MB"] = double(f.document.size()) / 1e6;
    double const base64 = medianSeconds([&] {
        QByteArray text = f.payload.toBase64();
        benchmark::DoNotOptimize(text.data());
    });
    state.counters["base64_ms"] = base64 * 1e3;
    // Per iteration: base64 time over save time (rates divide by the run's
    // time).
    state.counters["vs_base64"] =
        benchmark::Counter(base64 * double(state.iterations()), benchmark::Counter::kIsRate);
}

void BM_LoadScene(benchmark::State& state)
{
    Fixture& f = fixture();
    for (auto _ : state) {
        QBuffer buffer(&f.document);
        buffer.open(QIODevice::ReadOnly);
        auto scene = std::make_unique<Model::Scene>();
        Model::SceneReader reader(scene.get(), nullptr);
        if (reader.read(&buffer) != 0 || scene->numDrawings() != Frames * Layers)
            state.SkipWithError("reading failed");
        // Taking the scene down is no part of opening it.
        state.PauseTiming();
        scene.reset();
        state.ResumeTiming();
    }
    state.SetBytesProcessed(qint64(state.iterations()) * f.document.size());
    state.counters["file_MB"] = double(f.document.size()) / 1e6;
    double const base64 = medianSeconds([&] {
        QByteArray bytes = QByteArray::fromBase64(f.payloadText);
        benchmark::DoNotOptimize(bytes.data());
    });
    state.counters["base64_ms"] = base64 * 1e3;
    state.counters["vs_base64"] =
        benchmark::Counter(base64 * double(state.iterations()), benchmark::Counter::kIsRate);
}

// Not a time: the memory of a scene read from the document, in multiples of
// the document's size. The document itself is in memory before and after.
void BM_LoadedSceneMemory(benchmark::State& state)
{
    Fixture& f = fixture();
    double resident = 0.0;
    double peak = 0.0;
    for (auto _ : state) {
        qint64 const before = ProcessMemory::resident();
        ProcessMemory::resetPeak();
        QBuffer buffer(&f.document);
        buffer.open(QIODevice::ReadOnly);
        auto scene = std::make_unique<Model::Scene>();
        Model::SceneReader reader(scene.get(), nullptr);
        if (reader.read(&buffer) != 0)
            state.SkipWithError("reading failed");
        resident = double(ProcessMemory::resident() - before);
        peak = double(ProcessMemory::peak() - before);
        state.PauseTiming();
        scene.reset();
        state.ResumeTiming();
    }
    double const file = double(f.document.size());
    state.counters["file_MB"] = file / 1e6;
    state.counters["resident_MB"] = resident / 1e6;
    state.counters["peak_MB"] = peak / 1e6;
    state.counters["resident_x_file"] = resident / file;
    state.counters["peak_x_file"] = peak / file;
}

} // namespace

// The memory first, before the other runs leave freed memory to reuse.
BENCHMARK(BM_LoadedSceneMemory)->Unit(benchmark::kMillisecond)->Iterations(1)->UseRealTime();
BENCHMARK(BM_SaveScene)->Unit(benchmark::kMillisecond)->MinTime(5.0)->UseRealTime();
BENCHMARK(BM_LoadScene)->Unit(benchmark::kMillisecond)->MinTime(5.0)->UseRealTime();

int main(int argc, char** argv)
{
    QApplication app(argc, argv);
    if (!BenchRendering::start(FrameSize))
        return 1;
    std::printf("generating the scene...\n");
    std::fflush(stdout);
    Fixture const& f = fixture();
    std::printf("%d drawings, document of %.1f MB\n", f.scene.numDrawings(), f.document.size() / 1e6);

    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv))
        return 1;
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
