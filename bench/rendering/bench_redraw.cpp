// Redrawing a drawing from its strokes: a drawing of 40 pencil strokes of 100
// to 300 guide points each (see BenchRendering::realisticDrawing), its buffer
// redrawn at 1920 x 1080 and again after the drawing was fitted to a frame of
// twice that size. Beside each, in the same run, its floor: QPainter drawing
// the same segments (antialiased, round caps, the same widths and
// opacities) into an 8-bit image of the same size, on one core. Prints the
// median times and their ratio (ours / QPainter's), and the time of the
// redraw's vertex lists alone. With BENCH_SAVE=prefix
// it writes both redrawn buffers as prefix-1080.png and prefix-2160.png, to
// compare the pixels of two builds.
//   DISPLAY=:91 LIBGL_ALWAYS_SOFTWARE=1 QT_QPA_PLATFORM=xcb bench/bench_redraw
#include "BenchRendering.h"

#include "drawings/StrokeDrawing.h"
#include "strokes/CompoundStroke.h"
#include "strokes/SingleStroke.h"
#include "tools/PenTool.h"

#include <QElapsedTimer>
#include <QGuiApplication>

#include <algorithm>
#include <cstdio>
#include <memory>
#include <vector>

namespace {

QSize const FrameSize(1920, 1080);
constexpr int Runs = 5;

template <typename Work>
double medianSeconds(Work&& work)
{
    std::vector<double> times;
    for (int i = 0; i < Runs; ++i) {
        QElapsedTimer timer;
        timer.start();
        work();
        times.push_back(timer.nsecsElapsed() / 1e9);
    }
    std::nth_element(times.begin(), times.begin() + Runs / 2, times.end());
    return times[Runs / 2];
}

qsizetype segmentCount(Model::CompoundStroke const& compound)
{
    qsizetype count = 0;
    for (int i = 0; i < compound.numStrokes(); ++i) {
        Model::Stroke const* child = compound.strokeAt(i);
        if (child->type() == 0)
            count += static_cast<Model::SingleStroke const*>(child)->segments().size();
        else if (child->type() == 1)
            count += segmentCount(static_cast<Model::CompoundStroke const&>(*child));
    }
    return count;
}

// The part of a redraw that is the segments' vertex lists, made for every
// segment of the drawing as a redraw makes them.
void addVertexLists(Model::CompoundStroke const& compound, Model::OffscreenRenderer::Vertices& lists)
{
    for (int i = 0; i < compound.numStrokes(); ++i) {
        Model::Stroke const* child = compound.strokeAt(i);
        if (child->type() == 1)
            addVertexLists(static_cast<Model::CompoundStroke const&>(*child), lists);
        if (child->type() != 0)
            continue;
        for (auto const& segment : static_cast<Model::SingleStroke const*>(child)->segments()) {
            lists.positions.clear();
            lists.colours.clear();
            lists.types.clear();
            segment->addRoundCapBeginToGLVectors(lists.positions, lists.colours, lists.types);
            segment->addToGLVectors(lists.positions, lists.colours, lists.types);
            segment->addRoundCapEndToGLVectors(lists.positions, lists.colours, lists.types);
        }
    }
}

void compare(char const* name, Model::StrokeDrawing& drawing, double scale)
{
    double const ours = medianSeconds([&] { drawing.updateDrawbuffer(); });
    double const painter = medianSeconds([&] {
        QImage image = BenchRendering::paintDrawing(drawing, drawing.size(), scale);
        (void)image;
    });
    Model::OffscreenRenderer::Vertices lists;
    double const vertices = medianSeconds([&] { addVertexLists(*drawing.rootStroke(), lists); });
    std::printf("%-28s redraw %8.1f ms   QPainter %7.1f ms   ratio %5.2f   (vertex lists %6.1f ms)\n",
                name, ours * 1e3, painter * 1e3, ours / painter, vertices * 1e3);
}

} // namespace

int main(int argc, char** argv)
{
    QGuiApplication app(argc, argv);
    if (!BenchRendering::start(FrameSize))
        return 1;
    Model::PenTool pen(Model::Tool::Pencil);
    std::shared_ptr<Model::StrokeDrawing> drawing = BenchRendering::realisticDrawing(&pen, FrameSize, 5601);
    std::printf("drawing: %d strokes, %lld segments\n", drawing->numTotalStrokes(),
                static_cast<long long>(segmentCount(*drawing->rootStroke())));

    compare("1920 x 1080", *drawing, 1.0);
    if (qEnvironmentVariableIsSet("BENCH_SAVE"))
        drawing->buffer().save(qEnvironmentVariable("BENCH_SAVE") + QStringLiteral("-1080.png"));

    QSize const twice = FrameSize * 2;
    Model::OffscreenRenderer::instance()->prepareFor(twice);
    drawing->changeFrameSize(twice, KW::FitMode::FitModeKeepAspect);
    compare("3840 x 2160 (fitted, 2x)", *drawing, 2.0);
    if (qEnvironmentVariableIsSet("BENCH_SAVE"))
        drawing->buffer().save(qEnvironmentVariable("BENCH_SAVE") + QStringLiteral("-2160.png"));
    return 0;
}
