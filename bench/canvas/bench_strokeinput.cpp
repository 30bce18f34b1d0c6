// Cost of one pen event of a long stroke drawn on the canvas: a 2,000-point
// pressure stroke across a 1920 x 1080 frame fed as tablet events to the
// canvas, which hands each point to the scene (segment building and
// rasterising the new segment into the stroke's buffer) and asks for a
// repaint of what changed. The time per point is reported for the first
// and the last 200 points: it must not grow with the stroke's length.
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

#include <cmath>
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

// Milliseconds per point over the first and the last window of points.
struct Split
{
    double first = 0.0;
    double last = 0.0;
};

Split canvasStroke(const std::vector<Sample>& points)
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
    paper.setCurrentScene(&kwscene);

    QPointingDevice pen(QStringLiteral("bench pen"), 2001, QInputDevice::DeviceType::Stylus,
                        QPointingDevice::PointerType::Pen,
                        QInputDevice::Capability::Position | QInputDevice::Capability::Pressure,
                        1, 2);
    quint64 time = 1000000;
    const auto send = [&](QEvent::Type type, const Sample& s, Qt::MouseButtons buttons) {
        QTabletEvent event(type, &pen, s.position, s.position, s.pressure, 0, 0, 0, 0, 0,
                           Qt::NoModifier, Qt::LeftButton, buttons);
        event.setTimestamp(time += 4);
        QApplication::sendEvent(&paper, &event);
    };
    Split split;
    QElapsedTimer timer;
    send(QEvent::TabletPress, points.front(), Qt::LeftButton);
    timer.start();
    for (int i = 1; i < PointCount; ++i) {
        send(QEvent::TabletMove, points[std::size_t(i)], Qt::LeftButton);
        if (i == Window) {
            split.first = timer.nsecsElapsed() / 1e6 / Window;
        } else if (i == PointCount - 1 - Window) {
            timer.restart();
        }
    }
    split.last = timer.nsecsElapsed() / 1e6 / Window;
    send(QEvent::TabletRelease, points.back(), Qt::NoButton);
    Model::KWScene::setCurrentKWScene(nullptr);
    return split;
}

Split painterStroke(const std::vector<Sample>& points)
{
    QImage image(FrameSize, QImage::Format_Alpha8);
    image.fill(Qt::transparent);
    Split split;
    QElapsedTimer timer;
    timer.start();
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
            split.first = timer.nsecsElapsed() / 1e6 / Window;
        else if (i == PointCount - 1 - Window)
            timer.restart();
    }
    split.last = timer.nsecsElapsed() / 1e6 / Window;
    return split;
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
    const int runs = argc > 1 ? std::max(1, std::atoi(argv[1])) : 3;
    std::printf("%d-point stroke, ms per point (first / last %d points)\n", PointCount, Window);
    std::printf("run   canvas first  canvas last   QPainter first  QPainter last   canvas/QPainter\n");
    for (int run = 1; run <= runs; ++run) {
        const Split canvas = canvasStroke(points);
        const Split painter = painterStroke(points);
        std::printf("%3d   %11.4f  %11.4f   %14.4f  %13.4f   %7.1f / %.1f\n", run, canvas.first,
                    canvas.last, painter.first, painter.last, canvas.first / painter.first,
                    canvas.last / painter.last);
    }
    return 0;
}
