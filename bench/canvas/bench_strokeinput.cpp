// Cost of one pen event of a long stroke drawn on the canvas: a 2,000-point
// pressure stroke across a 1920 x 1080 frame fed as tablet events to the
// shown canvas, which hands each point to the scene (segment building) and
// asks for a repaint of what changed; the repaint rasterises the new
// segments and paints them. The event loop runs after every pen event, and
// after every fourth one as a 240 Hz tablet on a 60 Hz screen would. The
// processor time per point, pen event and repaint apart, is reported for the
// first and the last 200 points: it must not grow with the stroke's length.
// Beside it, as the baseline, the same polyline drawn with QPainter (round
// caps, pressure as width) into an 8-bit image one segment per event.
#include "canvas/Paper.h"
#include "rendering/OffscreenRenderer.h"
#include "scene/KWScene.h"
#include "scene/Scene.h"
#include "scene/StrokeLayer.h"
#include "startup/Init.h"
#include "strokes/SingleStroke.h"
#include "tools/ToolManager.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QPainter>
#include <QPointingDevice>
#include <QTabletEvent>

#include <algorithm>
#include <cmath>
#include <ctime>
#include <cstdio>
#include <vector>

namespace {

const QSize FrameSize(1920, 1080);
constexpr int PointCount = 2000;
constexpr int Window = 200;

struct Sample
{
    QPointF position;
    double pressure;
};

std::vector<Sample> makeStroke()
{
    std::vector<Sample> points;
    for (int i = 0; i < PointCount; ++i) {
        const double t = double(i) / (PointCount - 1);
        // About 6 px between points: none is dropped as too close.
        points.push_back({QPointF(60.0 + 1800.0 * t, 540.0 + 400.0 * std::sin(t * 60.0)),
                          0.3 + 0.6 * std::abs(std::sin(t * 23.0))});
    }
    return points;
}

// The processor time of the whole process (the software renderer's threads
// included), which a machine busy with other work disturbs less than the
// wall clock.
double cpuMilliseconds()
{
    timespec t{};
    clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &t);
    return t.tv_sec * 1e3 + t.tv_nsec / 1e6;
}

// Milliseconds per point over the first and the last window of points, for
// the pen events themselves and for the repaints between them.
struct Split
{
    double firstEvents = 0.0;
    double firstRepaints = 0.0;
    double lastEvents = 0.0;
    double lastRepaints = 0.0;
    double first() const { return firstEvents + firstRepaints; }
    double last() const { return lastEvents + lastRepaints; }
};

Split canvasStroke(const std::vector<Sample>& points, int eventsPerRepaint)
{
    Model::KWScene kwscene;
    Model::Scene* scene = kwscene.scene();
    scene->setFrameSize(FrameSize, KW::FitMode::FitModeKeepAspect, nullptr);
    scene->addLayer(std::make_shared<Model::StrokeLayer>(Qt::black, FrameSize, nullptr), 0);
    scene->setFrameRange(1, 1, 1, 0);
    scene->updateCachedFramePixmap(true);
    Model::KWScene::setCurrentKWScene(&kwscene);
    UI::Paper paper;
    paper.resize(FrameSize);
    paper.show();
    for (int i = 0; i < 50 && !paper.isVisible(); ++i)
        QApplication::processEvents();
    paper.setCurrentScene(&kwscene);
    paper.fitToView();
    QApplication::processEvents();
    // The samples are paper positions; the pen moves over the widget.
    const QTransform toWidget = paper.fullTransform().inverted();

    QPointingDevice pen(QStringLiteral("bench pen"), 2001, QInputDevice::DeviceType::Stylus,
                        QPointingDevice::PointerType::Pen,
                        QInputDevice::Capability::Position | QInputDevice::Capability::Pressure,
                        1, 2);
    quint64 time = 1000000;
    const auto send = [&](QEvent::Type type, const Sample& s, Qt::MouseButtons buttons) {
        const QPointF at = toWidget.map(s.position);
        QTabletEvent event(type, &pen, at, paper.mapToGlobal(at), s.pressure, 0, 0, 0, 0, 0,
                           Qt::NoModifier, Qt::LeftButton, buttons);
        event.setTimestamp(time += 4);
        QApplication::sendEvent(&paper, &event);
    };
    Split split;
    double events = 0.0;
    double repaints = 0.0;
    send(QEvent::TabletPress, points.front(), Qt::LeftButton);
    QApplication::processEvents();
    for (int i = 1; i < PointCount; ++i) {
        const double start = cpuMilliseconds();
        send(QEvent::TabletMove, points[std::size_t(i)], Qt::LeftButton);
        const double sent = cpuMilliseconds();
        events += sent - start;
        if (i % eventsPerRepaint == 0) {
            QApplication::processEvents();
            repaints += cpuMilliseconds() - sent;
        }
        if (i == Window) {
            split.firstEvents = events / Window;
            split.firstRepaints = repaints / Window;
        }
        if (i == PointCount - 1 - Window)
            events = repaints = 0.0;
    }
    split.lastEvents = events / Window;
    split.lastRepaints = repaints / Window;
    send(QEvent::TabletRelease, points.back(), Qt::NoButton);
    QApplication::processEvents();
    Model::KWScene::setCurrentKWScene(nullptr);
    return split;
}

Split painterStroke(const std::vector<Sample>& points)
{
    QImage image(FrameSize, QImage::Format_Alpha8);
    image.fill(Qt::transparent);
    Split split;
    const double start = cpuMilliseconds();
    double windowStart = start;
    for (int i = 1; i < PointCount; ++i) {
        const Sample& a = points[std::size_t(i - 1)];
        const Sample& b = points[std::size_t(i)];
        QPainter painter(&image);
        painter.setRenderHint(QPainter::Antialiasing);
        QPen pen(QColor(0, 0, 0, int(255 * (0.2 + 0.8 * b.pressure))));
        pen.setWidthF(1.0 + 23.0 * (a.pressure + b.pressure) / 2);
        pen.setCapStyle(Qt::RoundCap);
        painter.setPen(pen);
        painter.drawLine(a.position, b.position);
        if (i == Window)
            split.firstEvents = (cpuMilliseconds() - start) / Window;
        else if (i == PointCount - 1 - Window)
            windowStart = cpuMilliseconds();
    }
    split.lastEvents = (cpuMilliseconds() - windowStart) / Window;
    return split;
}

double median(std::vector<double> values)
{
    std::sort(values.begin(), values.end());
    return values[values.size() / 2];
}

} // namespace

int main(int argc, char** argv)
{
    QApplication app(argc, argv);
    QApplication::setOrganizationName(QStringLiteral("Quillmere"));
    QApplication::setApplicationName(QStringLiteral("Quillmere"));
    Model::init();
    if (!Model::OffscreenRenderer::instance()->initialize(FrameSize)) {
        std::fprintf(stderr, "no OpenGL context\n");
        return 1;
    }
    Model::ToolManager::instance()->setCurrentTool(Model::Tool::Draw, Model::Tool::Usable);
    const std::vector<Sample> points = makeStroke();
    const int runs = argc > 1 ? std::max(1, std::atoi(argv[1])) : 5;
    std::printf("%d-point stroke, processor ms per point, first / last %d points, median of %d "
                "runs\n",
                PointCount, Window, runs);
    std::printf("events per repaint   pen events        repaints          canvas total"
                "      QPainter          canvas/QPainter\n");
    for (const int eventsPerRepaint : {1, 4}) {
        std::vector<double> columns[10];
        for (int run = 0; run < runs; ++run) {
            const Split canvas = canvasStroke(points, eventsPerRepaint);
            const Split painter = painterStroke(points);
            const double values[] = {canvas.firstEvents, canvas.lastEvents,
                                     canvas.firstRepaints, canvas.lastRepaints,
                                     canvas.first(), canvas.last(),
                                     painter.first(), painter.last(),
                                     canvas.first() / painter.first(),
                                     canvas.last() / painter.last()};
            for (int c = 0; c < 10; ++c)
                columns[c].push_back(values[c]);
        }
        std::printf("%18d   %.4f / %.4f   %.4f / %.4f   %.4f / %.4f   %.4f / %.4f   %.1f / %.1f\n",
                    eventsPerRepaint, median(columns[0]), median(columns[1]), median(columns[2]),
                    median(columns[3]), median(columns[4]), median(columns[5]),
                    median(columns[6]), median(columns[7]), median(columns[8]), median(columns[9]));
    }
    return 0;
}
