// Playback and stepping of a long scene in the real main window, with the
// exposure sheet and the timeline shown: a 2,000-frame scene of ten stroke
// layers at 1920 x 1080 (an original every other frame, holds between),
// plus the sound and the note layer a new scene has, generated, saved and
// opened through the window as a user opens a file.
//
// Playing at 24 fps for a few seconds, it counts the frames the canvas
// actually painted against the frames that fell due, and the main thread's
// processor time per frame shown (all of the window's work for a step:
// models, sheet, timeline, compositing and painting). Stepping sends the
// Right key at 24 presses a second and counts the steps the canvas showed.
//
// Baselines measured in the same run: the same scene with one stroke layer
// (the control the canvas alone sets the pace of), and the ten-layer scene
// cut to 200 frames, whose per-step cost the long scene must match: the work
// of a step may not grow with the length of the scene or the sheet.
#include "mainwindow/MainWindow.h"

#include "BenchRendering.h"
#include "BenchWindow.h"
#include "playback/PlaybackController.h"

#include "actions/ActionManager.h"
#include "canvas/Paper.h"
#include "drawings/StrokeDrawing.h"
#include "files/SceneWriter.h"
#include "scene/AnnotationLayer.h"
#include "scene/KWScene.h"
#include "scene/LayerItem.h"
#include "scene/Scene.h"
#include "scene/StrokeLayer.h"
#include "audio/AudioLayer.h"
#include "strokes/SingleStroke.h"
#include "tools/PenTool.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QFileInfo>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <ctime>
#include <memory>
#include <vector>

namespace {

QSize const FrameSize(1920, 1080);
constexpr double Fps = 24.0;
constexpr int PoolSize = 24;
constexpr int StrokesPerDrawing = 1;
constexpr int PlaySeconds = 8;
constexpr int StepCount = 120;

double threadMilliseconds()
{
    timespec t{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &t);
    return t.tv_sec * 1e3 + t.tv_nsec / 1e6;
}

// Drawings the cells copy: a copy shares its strokes' and buffer's pixels.
std::vector<std::shared_ptr<Model::StrokeDrawing>> const& drawingPool()
{
    static std::vector<std::shared_ptr<Model::StrokeDrawing>> pool;
    if (!pool.empty())
        return pool;
    static QObject owner;
    auto* pen = new Model::PenTool(Model::Tool::Marker, &owner);
    pen->setSizeRangePercent(10.0, 30.0);
    for (int i = 0; i < PoolSize; ++i) {
        auto drawing = std::make_shared<Model::StrokeDrawing>(FrameSize);
        QPointF const centre(300.0 + 60.0 * i, 300.0 + 20.0 * (i % 7));
        for (int s = 0; s < StrokesPerDrawing; ++s)
            drawing->appendStroke(BenchRendering::figureStroke(pen, FrameSize, centre, i * 31 + s));
        drawing->updateDrawbuffer();
        pool.push_back(drawing);
    }
    return pool;
}

Model::KWScene* generateScene(QObject* owner, int layers, int frames)
{
    auto* bundle = new Model::KWScene(owner);
    Model::Scene* scene = bundle->scene();
    scene->setFrameSize(FrameSize, KW::FitMode::FitModeIgnore, nullptr);
    scene->setFrameRate(Fps);
    auto const& pool = drawingPool();
    for (int l = 0; l < layers; ++l) {
        auto layer = std::make_shared<Model::StrokeLayer>(QColor::fromHsv(l * 36, 200, 160), FrameSize, scene);
        layer->setName(scene->getNextLayerName());
        auto& cells = layer->frames();
        cells.clear();
        for (int f = 0; f < frames; ++f) {
            if (f % 2 == 0) {
                std::shared_ptr<Model::Drawing> copy(pool.at((f * 7 + l * 5) % PoolSize)->clone());
                cells.append(std::make_shared<Model::LayerItem>(Model::LayerItem::Original, QUuid::createUuid(),
                                                                copy));
            } else {
                cells.append(std::make_shared<Model::LayerItem>(cells.last()->drawing));
            }
        }
        scene->addLayer(layer, scene->numLayers());
    }
    scene->addLayer(std::make_shared<Model::AudioLayer>(scene), scene->numLayers());
    scene->addLayer(std::make_shared<Model::AnnotationLayer>(scene), scene->numLayers());
    scene->setFrameRange(1, frames, 1, 0);
    scene->setActiveFrameAndLayer(1, 0, Model::Scene::KeepWithinDrawnFrames);
    return bundle;
}

// Counts the frames the canvas paints: a paint showing another frame than the
// paint before it is one frame shown.
class PaintCounter : public QObject
{
public:
    PaintCounter(QWidget* canvas, Model::Scene* scene)
        : m_canvas(canvas)
        , m_scene(scene)
    {
        canvas->installEventFilter(this);
    }
    ~PaintCounter() override { m_canvas->removeEventFilter(this); }

    void reset()
    {
        shown = 0;
        longestGapMs = 0.0;
        m_last = -1;
        m_gap.invalidate();
    }

    int shown = 0;
    double longestGapMs = 0.0;

protected:
    bool eventFilter(QObject* object, QEvent* event) override
    {
        if (object == m_canvas && event->type() == QEvent::Paint) {
            int const frame = m_scene->scrubFrame() >= 1 ? m_scene->scrubFrame() : m_scene->activeFrame();
            if (frame != m_last) {
                ++shown;
                m_last = frame;
                if (m_gap.isValid())
                    longestGapMs = std::max(longestGapMs, m_gap.nsecsElapsed() / 1e6);
                m_gap.start();
            }
        }
        return false;
    }

private:
    QWidget* m_canvas;
    Model::Scene* m_scene;
    int m_last = -1;
    QElapsedTimer m_gap;
};

struct Figures
{
    int due = 0;
    int shown = 0;
    double mainMsPerStep = 0.0;
    double longestGapMs = 0.0;
};

void runEventLoopFor(int milliseconds)
{
    QEventLoop loop;
    QTimer::singleShot(milliseconds, &loop, &QEventLoop::quit);
    loop.exec();
}

Figures play(MainWindow& window, Model::Scene* scene, PaintCounter& counter)
{
    auto* controller = window.findChild<PlaybackController*>();
    scene->setActiveFrameAndLayer(1, 0, Model::Scene::KeepWithinDrawnFrames);
    runEventLoopFor(300);
    counter.reset();
    QElapsedTimer wall;
    double const cpu0 = threadMilliseconds();
    wall.start();
    controller->startPlayback();
    runEventLoopFor(PlaySeconds * 1000);
    Figures figures;
    // The first frame shown is due at once.
    figures.due = int(wall.elapsed() * Fps / 1000.0) + 1;
    figures.shown = counter.shown;
    figures.mainMsPerStep = (threadMilliseconds() - cpu0) / std::max(1, counter.shown);
    figures.longestGapMs = counter.longestGapMs;
    controller->stopPlayback();
    runEventLoopFor(300);
    return figures;
}

// Right key presses at 24 a second, sent as due by the wall clock, so that a
// slow step makes the presses queue up as they would from a held key.
Figures step(MainWindow& window, Model::Scene* scene, PaintCounter& counter)
{
    scene->setActiveFrameAndLayer(1, 0, Model::Scene::KeepWithinDrawnFrames);
    window.activateWindow();
    runEventLoopFor(300);
    counter.reset();
    QElapsedTimer wall;
    double const cpu0 = threadMilliseconds();
    wall.start();
    int sent = 0;
    QEventLoop loop;
    QTimer ticker;
    ticker.setTimerType(Qt::PreciseTimer);
    ticker.setInterval(int(1000.0 / Fps / 2));
    QObject::connect(&ticker, &QTimer::timeout, &loop, [&]() {
        int const due = std::min(StepCount, int(wall.elapsed() * Fps / 1000.0) + 1);
        for (; sent < due; ++sent) {
            QWidget* target = QApplication::focusWidget() ? QApplication::focusWidget() : &window;
            QTest::keyClick(target, Qt::Key_Right);
        }
        if (sent >= StepCount)
            loop.quit();
    });
    ticker.start();
    loop.exec();
    runEventLoopFor(200);
    Figures figures;
    figures.due = sent;
    // The frame before the first press was on screen already.
    figures.shown = std::max(0, counter.shown - (counter.shown > sent ? 1 : 0));
    figures.mainMsPerStep = (threadMilliseconds() - cpu0) / std::max(1, counter.shown);
    figures.longestGapMs = counter.longestGapMs;
    return figures;
}

void report(char const* what, Figures const& f)
{
    std::printf("  %-28s shown/due %4d/%4d = %.3f   main thread %.2f ms/step   longest gap %.0f ms\n", what,
                f.shown, f.due, double(f.shown) / std::max(1, f.due), f.mainMsPerStep, f.longestGapMs);
}

struct Case
{
    char const* name;
    int layers;
    int frames;
    Figures playing;
    Figures stepping;
};

} // namespace

int main(int argc, char** argv)
{
    BenchWindow::choosePlatform();
    QApplication app(argc, argv);
    if (!BenchWindow::start(FrameSize))
        return 1;

    MainWindow window;
    window.resize(1600, 1000);
    window.show();
    if (!QTest::qWaitForWindowExposed(&window))
        std::fprintf(stderr, "the window was not shown\n");

    std::vector<Case> cases = {{"1 layer, 2000 frames", 1, 2000, {}, {}},
                               {"10 layers, 200 frames", 10, 200, {}, {}},
                               {"10 layers, 2000 frames", 10, 2000, {}, {}}};
    // Only the long scene, to look at it alone: "long"; and then only its
    // stepping: "long step".
    bool const longOnly = argc > 1 && qstrcmp(argv[1], "long") == 0;
    bool const stepOnly = longOnly && argc > 2 && qstrcmp(argv[2], "step") == 0;
    if (longOnly)
        cases.erase(cases.begin(), cases.begin() + 2);
    auto* canvas = window.findChild<UI::Paper*>();
    QTemporaryDir folder;
    for (Case& c : cases) {
        // Saved and opened as the user would open it: drawings then come in
        // their stored form, as from any file.
        QString const path = folder.filePath(QStringLiteral("generated.kw"));
        {
            std::unique_ptr<Model::KWScene> generated(generateScene(nullptr, c.layers, c.frames));
            Model::SceneWriter(generated->scene(), nullptr).writeFile(path);
        }
        QElapsedTimer opening;
        opening.start();
        if (!window.openFile(path)) {
            std::fprintf(stderr, "the generated scene does not open\n");
            return 1;
        }
        runEventLoopFor(500);
        std::printf("%s: %.0f MB, opened and shown in %.0f ms\n", c.name, QFileInfo(path).size() / 1e6,
                    double(opening.elapsed()));
        std::fflush(stdout);
        Model::Scene* scene = window.quillmereScene();
        PaintCounter counter(canvas, scene);
        if (!stepOnly) {
            c.playing = play(window, scene, counter);
            report("playing at 24 fps", c.playing);
        }
        c.stepping = step(window, scene, counter);
        report("stepping, 24 keys/s", c.stepping);
        std::fflush(stdout);
    }

    if (longOnly)
        return 0;
    Case const& control = cases[0];
    Case const& shortScene = cases[1];
    Case const& longScene = cases[2];
    std::printf("10 layers, 2000 frames: main thread per step %.2f x the one-layer control, "
                "%.2f x the 200-frame scene; %.2f of the frame interval\n",
                longScene.playing.mainMsPerStep / control.playing.mainMsPerStep,
                longScene.playing.mainMsPerStep / shortScene.playing.mainMsPerStep,
                longScene.playing.mainMsPerStep / (1000.0 / Fps));
    std::printf("frames shown/due: %.3f (control %.3f); steps shown/due: %.3f (control %.3f)\n",
                double(longScene.playing.shown) / longScene.playing.due,
                double(control.playing.shown) / control.playing.due,
                double(longScene.stepping.shown) / longScene.stepping.due,
                double(control.stepping.shown) / control.stepping.due);
    std::fflush(stdout);
    Model::shutdown();
    UI::shutdown();
    return 0;
}
