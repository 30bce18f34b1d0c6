// Building a drawing stroke by stroke must take time in proportion to the
// strokes: each appended stroke may cost only what it brings. Measured twice,
// each time for n and for 2n strokes in the same run, whose ratio is the
// figure (2 is linear, 4 quadratic):
//
//   - the root compound stroke of a drawing, given n pen strokes of 40
//     points (made beforehand, without coverage), appended one by one;
//   - a 1920 x 1080 stroke drawing given n small bitmap strokes one by one,
//     each blended into its coverage as it comes (no OpenGL needed).
//
// Each figure is the median of three runs.
#include "drawings/StrokeDrawing.h"
#include "strokes/BitmapStroke.h"
#include "strokes/Blending.h"
#include "strokes/CompoundStroke.h"
#include "strokes/SingleStroke.h"
#include "tools/PenTool.h"

#include <QFile>
#include <QGuiApplication>
#include <QElapsedTimer>
#include <QImage>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <functional>
#include <memory>
#include <vector>

namespace {

QSize const FrameSize(1920, 1080);
constexpr int Runs = 3;
// Strokes appended per measurement of the compound, in as many compounds as
// that makes.
constexpr int CompoundStrokes = 100000;

// Pen strokes scattered over the frame, without coverage buffers.
std::vector<std::unique_ptr<Model::Stroke>> penStrokes(Model::Tool* pen, int count)
{
    std::vector<std::unique_ptr<Model::Stroke>> pool;
    for (int i = 0; i < 64; ++i) {
        auto stroke = std::make_unique<Model::SingleStroke>(pen);
        QPointF const start(100.0 + 27.0 * i, 100.0 + 13.0 * (i % 50));
        for (int p = 0; p < 40; ++p) {
            Model::Stroke::GuidePoint guide;
            guide.position = start + QPointF(4.0 * p, 30.0 * std::sin(p * 0.3 + i));
            guide.pressure = 0.4 + 0.5 * std::abs(std::sin(p * 0.2 + i));
            stroke->addPoint(std::move(guide));
        }
        stroke->addEndPoint();
        pool.push_back(std::move(stroke));
    }
    std::vector<std::unique_ptr<Model::Stroke>> strokes;
    strokes.reserve(size_t(count));
    for (int i = 0; i < count; ++i)
        strokes.push_back(pool[size_t(i) % pool.size()]->clone());
    return strokes;
}

// Small square bitmaps scattered over the frame.
std::vector<std::unique_ptr<Model::Stroke>> bitmapStrokes(int count)
{
    QImage block(6, 6, QImage::Format_Alpha8);
    block.fill(180);
    std::vector<std::unique_ptr<Model::Stroke>> strokes;
    strokes.reserve(size_t(count));
    for (int i = 0; i < count; ++i) {
        QPoint const at((i * 37) % (FrameSize.width() - 6), (i * 53) % (FrameSize.height() - 6));
        strokes.push_back(std::make_unique<Model::BitmapStroke>(block, QRect(at, block.size())));
    }
    return strokes;
}

double medianMs(std::function<double()> const& run)
{
    std::vector<double> times;
    for (int i = 0; i < Runs; ++i)
        times.push_back(run());
    std::sort(times.begin(), times.end());
    return times[times.size() / 2];
}

// Milliseconds for one compound of n strokes, averaged over enough of them
// that the figure stands above the clock's noise.
double buildCompound(Model::Tool* pen, int n)
{
    int const compounds = std::max(1, CompoundStrokes / n);
    std::vector<std::vector<std::unique_ptr<Model::Stroke>>> strokes;
    for (int c = 0; c < compounds; ++c)
        strokes.push_back(penStrokes(pen, n));
    std::vector<Model::CompoundStroke> roots(static_cast<size_t>(compounds));
    QElapsedTimer clock;
    clock.start();
    for (int c = 0; c < compounds; ++c) {
        for (auto& stroke : strokes[size_t(c)])
            roots[size_t(c)].appendStroke(std::move(stroke));
    }
    double const ms = clock.nsecsElapsed() / 1e6 / compounds;
    if (roots.front().numStrokes() != n)
        std::fprintf(stderr, "the compound holds %d strokes, not %d\n", roots.front().numStrokes(), n);
    return ms;
}

double buildDrawing(int n)
{
    auto strokes = bitmapStrokes(n);
    Model::StrokeDrawing drawing(FrameSize);
    QElapsedTimer clock;
    clock.start();
    for (auto& stroke : strokes)
        drawing.appendStroke(std::move(stroke));
    double const ms = clock.nsecsElapsed() / 1e6;
    if (drawing.numTotalStrokes() != n)
        std::fprintf(stderr, "the drawing holds %d strokes, not %d\n", drawing.numTotalStrokes(), n);
    return ms;
}

void report(char const* what, int n, double once, double twice)
{
    std::printf("%-44s n = %5d: %8.1f ms   2n: %8.1f ms   2n / n = %.2f\n", what, n, once, twice,
                twice / once);
    std::fflush(stdout);
}

QByteArray load()
{
    QFile file(QStringLiteral("/proc/loadavg"));
    return file.open(QIODevice::ReadOnly) ? file.readAll().trimmed() : QByteArray("unknown");
}

} // namespace

int main(int argc, char** argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);
    Model::Blending::initLookupTables();
    Model::PenTool pen(Model::Tool::Marker);
    pen.setSizeRangePercent(10.0, 30.0);

    std::printf("load before: %s\n", load().constData());
    for (int n : {2000}) {
        report("root compound, pen strokes appended", n,
               medianMs([&] { return buildCompound(&pen, n); }),
               medianMs([&] { return buildCompound(&pen, 2 * n); }));
    }
    for (int n : {2000, 4000}) {
        report("1920 x 1080 drawing, bitmap strokes appended", n,
               medianMs([&] { return buildDrawing(n); }), medianMs([&] { return buildDrawing(2 * n); }));
    }
    std::printf("load after: %s\n", load().constData());
    return 0;
}
