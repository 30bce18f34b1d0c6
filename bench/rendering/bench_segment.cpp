// Cost of drawing one new segment of a growing stroke, the work done after
// every pen event: the newest segment of a 200-point pressure stroke is
// rendered by the off-screen renderer into a scratch image the size of its
// bounds and merged by maximum into a 1920 x 1080 coverage buffer. Beside it
// the same polyline drawn with QPainter (round caps, pressure as width) into
// an 8-bit image, newest segment only and whole polyline.
//
// The argument of each benchmark is the index of the newest segment: the
// cost of a new segment must not grow with the length of the stroke.
#include "BenchRendering.h"

#include "rendering/OffscreenRenderer.h"
#include "strokes/ArcSegment.h"
#include "strokes/Blending.h"
#include "strokes/LineSegment.h"
#include "strokes/PointSegment.h"

#include <benchmark/benchmark.h>

#include <QGuiApplication>
#include <QPainter>
#include <QPainterPath>

#include <cmath>
#include <cstdio>
#include <memory>
#include <vector>

namespace {

const QSize FrameSize(1920, 1080);
constexpr int PointCount = 200;

struct StrokePoint
{
    QPointF position;
    double pressure;
};

double opacityFor(double pressure)
{
    return 0.2 + 0.8 * pressure;
}

// A pen of 1 to 24 pixels across.
double radiusFor(double pressure)
{
    return 0.5 + 11.5 * (std::pow(100.0, pressure) - 1.0) / 99.0;
}

// A loose, wavy stroke across the frame with pressure rising and falling.
std::vector<StrokePoint> makePoints()
{
    std::vector<StrokePoint> points;
    for (int i = 0; i < PointCount; ++i) {
        const double t = double(i) / (PointCount - 1);
        const QPointF position(100.0 + 1700.0 * t + 40.0 * std::sin(t * 31.0),
                               540.0 + 380.0 * std::sin(t * 9.0) + 25.0 * std::cos(t * 47.0));
        const double pressure = 0.35 + 0.6 * std::abs(std::sin(t * 7.0));
        points.push_back({position, pressure});
    }
    return points;
}

// Segments as the stroke builder makes them: a dot first, then arcs tangent
// to the previous piece, straight pieces where no circle exists.
std::vector<std::shared_ptr<Model::Segment>> makeSegments(const std::vector<StrokePoint>& points)
{
    std::vector<std::shared_ptr<Model::Segment>> segments;
    const StrokePoint& first = points.front();
    segments.push_back(std::make_shared<Model::PointSegment>(
        first.position, opacityFor(first.pressure), radiusFor(first.pressure)));
    QLineF tangent;
    for (std::size_t i = 1; i < points.size(); ++i) {
        const StrokePoint& a = points[i - 1];
        const StrokePoint& b = points[i];
        const Model::Circle circle = tangent.isNull()
            ? Model::Circle()
            : Model::Circle(a.position, b.position, tangent);
        const double turn = tangent.isNull()
            ? 0.0
            : tangent.angleTo(QLineF(a.position, b.position));
        if (circle.isNull() || turn < 1.0 || turn > 359.0 || (turn > 90.0 && turn < 270.0)) {
            segments.push_back(std::make_shared<Model::LineSegment>(
                a.position, b.position, opacityFor(a.pressure), opacityFor(b.pressure),
                radiusFor(a.pressure), radiusFor(b.pressure)));
            tangent = QLineF(b.position, 2 * b.position - a.position);
            continue;
        }
        const bool clockwise = turn > 180.0;
        auto arc = std::make_shared<Model::ArcSegment>(
            circle, a.position, b.position, clockwise, opacityFor(a.pressure),
            opacityFor(b.pressure), radiusFor(a.pressure), radiusFor(b.pressure));
        tangent = QLineF(b.position, b.position + arc->tangentAt(b.position));
        segments.push_back(arc);
    }
    return segments;
}

struct Fixture
{
    std::vector<StrokePoint> points = makePoints();
    std::vector<std::shared_ptr<Model::Segment>> segments = makeSegments(points);
    QImage buffer = [] {
        QImage image(FrameSize, QImage::Format_Alpha8);
        image.fill(Qt::transparent);
        return image;
    }();
};

Fixture& fixture()
{
    static Fixture f;
    return f;
}

// What a stroke does with its newest segment after each pen event.
void drawSegmentToBuffer(const Model::Segment& segment, Model::Tool::PenType pen, QImage& buffer)
{
    const QRect r = segment.boundingRect().adjusted(-1, -1, 1, 1);
    QList<float> positions, colours, types;
    segment.addRoundCapBeginToGLVectors(positions, colours, types);
    segment.addToGLVectors(positions, colours, types);
    segment.addRoundCapEndToGLVectors(positions, colours, types);
    QImage scratch(r.size(), QImage::Format_Alpha8);
    scratch.fill(Qt::transparent);
    Model::OffscreenRenderer::instance()->renderPenStroke(
        scratch, pen, r.topLeft(), 1.0f, QRect(QPoint(0, 0), r.size()),
        QTransform::fromTranslate(-r.left(), -r.top()), positions, colours, types);
    Model::Blending::maxBlendImages(buffer, scratch, r, r.topLeft());
}

void newestSegment(benchmark::State& state, Model::Tool::PenType pen)
{
    Fixture& f = fixture();
    const Model::Segment& segment = *f.segments.at(std::size_t(state.range(0)));
    for (auto _ : state)
        drawSegmentToBuffer(segment, pen, f.buffer);
    benchmark::DoNotOptimize(f.buffer.constBits());
}

void BM_NewestSegmentPencil(benchmark::State& state)
{
    newestSegment(state, Model::Tool::Pencil);
}

void BM_NewestSegmentMarker(benchmark::State& state)
{
    newestSegment(state, Model::Tool::Marker);
}

// The same without multisampling, as on drivers that cannot multisample.
void BM_NewestSegmentPencilSingleSampled(benchmark::State& state)
{
    Model::OffscreenRenderer* renderer = Model::OffscreenRenderer::instance();
    Model::OffscreenRenderer::TestHooks hooks;
    hooks.multisamplingUnavailable = true;
    renderer->setTestHooks(hooks);
    renderer->resizeFBOs(FrameSize);
    newestSegment(state, Model::Tool::Pencil);
    renderer->setTestHooks(Model::OffscreenRenderer::TestHooks());
    renderer->resizeFBOs(FrameSize);
}

void paintSegment(QPainter& painter, const StrokePoint& a, const StrokePoint& b)
{
    QPen pen(QColor(0, 0, 0, int(255 * opacityFor((a.pressure + b.pressure) / 2))));
    pen.setWidthF(radiusFor(a.pressure) + radiusFor(b.pressure));
    pen.setCapStyle(Qt::RoundCap);
    painter.setPen(pen);
    painter.drawLine(a.position, b.position);
}

void BM_QPainterNewestSegment(benchmark::State& state)
{
    Fixture& f = fixture();
    const std::size_t i = std::size_t(std::max<int64_t>(1, state.range(0)));
    QImage image(FrameSize, QImage::Format_Alpha8);
    image.fill(Qt::transparent);
    for (auto _ : state) {
        QPainter painter(&image);
        painter.setRenderHint(QPainter::Antialiasing);
        paintSegment(painter, f.points[i - 1], f.points[i]);
    }
    benchmark::DoNotOptimize(image.constBits());
}

void BM_QPainterWholePolyline(benchmark::State& state)
{
    Fixture& f = fixture();
    const std::size_t last = std::size_t(std::max<int64_t>(1, state.range(0)));
    QImage image(FrameSize, QImage::Format_Alpha8);
    for (auto _ : state) {
        image.fill(Qt::transparent);
        QPainter painter(&image);
        painter.setRenderHint(QPainter::Antialiasing);
        for (std::size_t i = 1; i <= last; ++i)
            paintSegment(painter, f.points[i - 1], f.points[i]);
    }
    benchmark::DoNotOptimize(image.constBits());
}

void strokeLengths(benchmark::internal::Benchmark* b)
{
    for (int index : {10, 50, 100, 150, 199})
        b->Arg(index);
    b->Unit(benchmark::kMicrosecond)->Repetitions(7)->ReportAggregatesOnly(true);
}

BENCHMARK(BM_NewestSegmentPencil)->Apply(strokeLengths);
BENCHMARK(BM_NewestSegmentMarker)->Apply(strokeLengths);
BENCHMARK(BM_NewestSegmentPencilSingleSampled)->Apply(strokeLengths);
BENCHMARK(BM_QPainterNewestSegment)->Apply(strokeLengths);
BENCHMARK(BM_QPainterWholePolyline)->Apply(strokeLengths);

} // namespace

int main(int argc, char** argv)
{
    QGuiApplication app(argc, argv);
    if (!BenchRendering::start(FrameSize))
        return 1;
    // Shaders are compiled on first use; keep that out of the figures.
    drawSegmentToBuffer(*fixture().segments.at(1), Model::Tool::Pencil, fixture().buffer);
    drawSegmentToBuffer(*fixture().segments.at(1), Model::Tool::Marker, fixture().buffer);

    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv))
        return 1;
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
