// Drawing while the scene plays, and drawing on a hidden layer, through the
// window: a synthesised pen on the canvas, clicks on the play button and the
// sheet, the menu entries; playback runs on a clock the test moves by hand,
// so that every frame is where the test put it, however busy the machine.
//
// After every step the canvas must show exactly the frame its counter
// names, as that frame's layers paint it afresh, and the undo history must
// hold exactly the strokes the drawings hold.
#include "JourneyFixture.h"

#include "HandClock.h"
#include "TestSupport.h"

#include "commands/Stroke.h"
#include "drawings/StrokeDrawing.h"
#include "playback/PlaybackController.h"
#include "scene/LayerItem.h"
#include "scene/StrokeLayer.h"
#include "settings/Settings.h"
#include "tools/Cursor.h"
#include "tools/ToolManager.h"

#include <QAbstractButton>
#include <QDir>
#include <QLabel>
#include <QPainter>
#include <QSet>

using namespace Journey;

namespace {

using A = KW::Action;
using Pointer = QPointingDevice::PointerType;

// The frame as its visible layers paint it from their drawings, over the
// white paper: no picture the scene keeps goes into it.
QImage freshFrame(Model::Scene* scene, int frame)
{
    QImage image(scene->frameSize(), QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::white);
    QPainter painter(&image);
    const QRect rect(QPoint(), scene->frameSize());
    for (int l = 0; l < scene->numLayers(); ++l) {
        auto const* visual = qobject_cast<Model::VisualLayer const*>(scene->layer(l).get());
        if (visual && visual->isVisible())
            visual->draw(frame, &painter, rect);
    }
    return image;
}

// Strokes held by the drawings of all stroke layers, each drawing counted
// once however many cells show it.
int strokesInDrawings(Model::Scene* scene)
{
    int total = 0;
    QSet<Model::Drawing const*> seen;
    for (int l = 0; l < scene->numLayers(); ++l) {
        auto const* layer = qobject_cast<Model::StrokeLayer const*>(scene->layer(l).get());
        if (!layer)
            continue;
        for (int f = 1; f <= layer->length(); ++f) {
            Model::Drawing const* drawing = layer->layerItem(f)->drawing.get();
            if (seen.contains(drawing))
                continue;
            seen.insert(drawing);
            total += layer->strokeDrawing(f - 1)->numTotalStrokes();
        }
    }
    return total;
}

// Stroke entries that are done (below the stack's index).
int strokesInHistory(QUndoStack const* stack)
{
    int total = 0;
    for (int i = 0; i < stack->index(); ++i)
        total += dynamic_cast<Commands::Stroke const*>(stack->command(i)) ? 1 : 0;
    return total;
}

int strokesAt(Model::Scene* scene, int layer, int frame)
{
    auto const* strokes = qobject_cast<Model::StrokeLayer const*>(scene->layer(layer).get());
    return strokes && frame <= strokes->length() ? strokes->strokeDrawing(frame - 1)->numTotalStrokes()
                                                 : 0;
}

// The window with a small scene of two stroke layers and five frames each,
// a short line per drawing, laid out so that no two layers' lines meet.
struct Stage
{
    Stage()
    {
        Model::Settings* settings = Model::Settings::instance();
        settings->setBacklightEnabled(false);
        // Small enough to show whole at 100 %, one frame pixel per canvas pixel.
        settings->setDefaultFrameSize(QSize(480, 270));
        w = std::make_unique<Window>();
        playback = w->window->findChild<PlaybackController*>();
        QVERIFY(playback);
        clock = new HandClock;
        playback->setClock(clock);
        playButton = w->window->findChild<QAbstractButton*>(QStringLiteral("toolButtonPlayback"));
        counter = w->window->findChild<QLabel*>(QStringLiteral("labelCurrentFrameNumber"));
        QVERIFY(playButton);
        QVERIFY(counter);
        w->paper->setTransparencyType(KW::TransparencyType::TransparencyWhite);
        w->paper->setZoomLevel(1.0);
        QCOMPARE(w->paper->fullTransform().type(), QTransform::TxTranslate);

        w->trigger(A::Marker);
        w->trigger(A::NewLayer);
        QCOMPARE(w->scene()->numLayers(), 4);
        QVERIFY(w->scene()->isStrokeLayer(0));
        QVERIFY(w->scene()->isStrokeLayer(3));
        for (int layer : {3, 0})
            for (int frame = 1; frame <= 5; ++frame) {
                w->clickOnSheet(w->cell(frame, layer));
                QCOMPARE(w->scene()->activeLayerIdx(), layer);
                line(frame, layer == 0 ? 0 : 1);
            }
        QCOMPARE(cells(w->scene(), 0), QStringLiteral("DDDDD"));
        QCOMPARE(cells(w->scene(), 3), QStringLiteral("DDDDD"));
        w->goToFrame(1);
    }

    // The Play entry is shared by every window; it must not go on saying
    // Stop into the next case.
    ~Stage()
    {
        if (playback)
            playback->stopPlayback();
    }

    Model::Scene* scene() const { return w->scene(); }

    // Where lines go: a band per row, a place per column.
    QPointF spot(int column, int row) const
    {
        return w->at(0.08 + 0.12 * (column % 8), 0.12 + 0.14 * row);
    }
    void line(int column, int row, Pointer pointer = Pointer::Pen)
    {
        const QPointF from = spot(column, row);
        w->stroke(from, from + QPointF(36, 0), pointer);
    }
    // Across the line of a frame's own row, with the eraser.
    void eraseAcross(int column, int row)
    {
        const QPointF middle = spot(column, row) + QPointF(18, 0);
        w->stroke(middle - QPointF(0, 12), middle + QPointF(0, 12), Pointer::Eraser);
    }

    // A click of the middle button on the canvas: the hand for as long as
    // it is held.
    void middleClick()
    {
        const QPointF at = spot(7, 3);
        for (QEvent::Type type : {QEvent::MouseButtonPress, QEvent::MouseButtonRelease}) {
            QMouseEvent event(type, at, w->paper->mapToGlobal(at), Qt::MiddleButton,
                              type == QEvent::MouseButtonPress ? Qt::MiddleButton : Qt::NoButton,
                              Qt::NoModifier);
            event.setTimestamp(w->clock += 2000);
            QApplication::sendEvent(w->paper, &event);
        }
        QCoreApplication::processEvents();
    }

    int shownNumber() const { return counter->text().toInt(); }

    void clickPlay()
    {
        QTest::mouseClick(playButton, Qt::LeftButton);
        QCoreApplication::processEvents();
    }

    // What the window shows holds together: the counter names the frame
    // that is playing or active, the transport tells whether it plays, the
    // canvas shows that frame as fresh from its layers, and the history
    // holds the strokes that the drawings hold.
    void expectConsistent(QString const& step) const
    {
        QVERIFY2(!scene()->hasActiveStroke(), qPrintable(step));
        const bool playing = playback->isPlaying();
        const int frame = shownNumber();
        const int expected = playing && scene()->scrubFrame() > 0 ? scene()->scrubFrame()
                                                                  : scene()->activeFrame();
        QVERIFY2(frame == expected, qPrintable(QStringLiteral("%1: counter %2, frame %3")
                                                  .arg(step).arg(frame).arg(expected)));
        QVERIFY2(Window::action(A::Play)->text() == (playing ? QLatin1String("Stop")
                                                             : QLatin1String("Play")),
                 qPrintable(step));
        QVERIFY2(strokesInHistory(scene()->undoStack()) == strokesInDrawings(scene()),
                 qPrintable(QStringLiteral("%1: %2 strokes done, %3 in the drawings")
                                .arg(step)
                                .arg(strokesInHistory(scene()->undoStack()))
                                .arg(strokesInDrawings(scene()))));

        const QTransform view = w->paper->fullTransform();
        QVERIFY2(view.type() == QTransform::TxTranslate && view.dx() == std::round(view.dx())
                     && view.dy() == std::round(view.dy()),
                 qPrintable(step + QStringLiteral(": a frame pixel is no longer a canvas pixel")));
        const QImage canvas = w->paper->grab().toImage();
        const QImage fresh = freshFrame(scene(), frame);
        const QTransform toCanvas = view.inverted();
        int wrong = 0;
        for (int y = 0; y < fresh.height(); ++y)
            for (int x = 0; x < fresh.width(); ++x) {
                const QPoint c = toCanvas.map(QPoint(x, y));
                if (std::abs(qGray(canvas.pixel(c)) - qGray(fresh.pixel(x, y))) > 48)
                    ++wrong;
            }
        if (wrong > 0 && QDir().mkpath(QStringLiteral(QUILLMERE_TEST_OUTPUT_DIR))) {
            canvas.save(QStringLiteral(QUILLMERE_TEST_OUTPUT_DIR "/playanddraw-canvas.png"));
            fresh.save(QStringLiteral(QUILLMERE_TEST_OUTPUT_DIR "/playanddraw-frame.png"));
        }
        QVERIFY2(wrong == 0, qPrintable(QStringLiteral("%1: %2 pixels differ from frame %3")
                                            .arg(step).arg(wrong).arg(frame)));
    }

    Prompts prompts;
    std::unique_ptr<Window> w;
    PlaybackController* playback = nullptr;
    HandClock* clock = nullptr;
    QAbstractButton* playButton = nullptr;
    QLabel* counter = nullptr;
};

} // namespace

class TestPlayAndDraw : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase() { startLibraries(); }

    void penDuringPlaybackDrawsOnTheFrameShown_data();
    void penDuringPlaybackDrawsOnTheFrameShown();
    void sequencesKeepTheCanvasOnTheCountedFrame_data();
    void sequencesKeepTheCanvasOnTheCountedFrame();
    void hiddenLayerTakesNoStrokeAndSaysSo();
};

void TestPlayAndDraw::penDuringPlaybackDrawsOnTheFrameShown_data()
{
    QTest::addColumn<int>("ticks");
    QTest::addColumn<int>("frame");
    // A loop from frame 1 shows 2, 3, 4, 5, 1, ... one frame per tick.
    QTest::newRow("before the first tick") << 0 << 1;
    QTest::newRow("middle") << 2 << 3;
    QTest::newRow("last frame of the loop") << 4 << 5;
    QTest::newRow("first frame, the loop come round") << 5 << 1;
}

void TestPlayAndDraw::penDuringPlaybackDrawsOnTheFrameShown()
{
    QFETCH(int, ticks);
    QFETCH(int, frame);
    Stage s;
    if (QTest::currentTestFailed())
        return;
    s.expectConsistent(QStringLiteral("set up"));
    s.clickPlay();
    QVERIFY(s.playback->isPlaying());
    s.expectConsistent(QStringLiteral("play"));
    for (int i = 1; i <= ticks; ++i) {
        QVERIFY(s.clock->tick());
        s.expectConsistent(QStringLiteral("tick %1").arg(i));
    }
    QCOMPARE(s.shownNumber(), frame);

    const int before = strokesAt(s.scene(), 0, frame);
    const int entries = s.scene()->undoStack()->count();
    const QPointF from = s.spot(frame, 2);
    s.w->tablet(QEvent::TabletPress, from, Pointer::Pen, 1.0);
    // The pen stops playback on the frame it went down on.
    QVERIFY(!s.playback->isPlaying());
    QCOMPARE(s.scene()->activeFrame(), frame);
    for (int i = 1; i <= 8; ++i) {
        QVERIFY(!s.clock->tick());
        s.w->tablet(QEvent::TabletMove, from + QPointF(5 * i, 0), Pointer::Pen, 1.0);
        QTest::qWait(2);
    }
    s.w->tablet(QEvent::TabletRelease, from + QPointF(40, 0), Pointer::Pen, 0.0);
    QCoreApplication::processEvents();
    s.expectConsistent(QStringLiteral("pen up"));
    QCOMPARE(s.shownNumber(), frame);
    QCOMPARE(strokesAt(s.scene(), 0, frame), before + 1);
    // The move to the frame shown, if it was not the active one, and the stroke.
    QVERIFY(s.scene()->undoStack()->count() - entries <= 2);
    QCOMPARE(s.scene()->undoStack()->text(s.scene()->undoStack()->index() - 1), QStringLiteral("Draw"));

    for (int round = 0; round < 2; ++round) {
        s.w->trigger(A::Undo);
        s.expectConsistent(QStringLiteral("undo"));
        QCOMPARE(strokesAt(s.scene(), 0, frame), before);
        s.w->trigger(A::Redo);
        s.expectConsistent(QStringLiteral("redo"));
        QCOMPARE(strokesAt(s.scene(), 0, frame), before + 1);
    }
}

void TestPlayAndDraw::sequencesKeepTheCanvasOnTheCountedFrame_data()
{
    QTest::addColumn<QStringList>("steps");
    auto row = [](const char* name, const char* steps) {
        QTest::newRow(name) << QString::fromLatin1(steps).split(QLatin1Char(' '));
    };
    // play: the play button (start or stop); tick: the clock reaches the
    // next frame; next, back, home, end: the navigation entries; draw, erase:
    // a pen or eraser stroke on the canvas; undo, redo; hide, show: the
    // active layer's visibility; layer: the other stroke layer made active;
    // pan: a click of the middle button on the canvas.
    row("stopped and sent home after a stroke while playing",
        "play tick draw play tick tick tick play home");
    row("stroke while playing, undone and redone stopped", "play tick tick draw undo redo undo");
    row("stop, step and draw", "play tick tick play next draw back draw undo undo");
    row("erase while playing", "play tick tick tick erase undo redo play tick play");
    row("undo while playing", "draw play tick undo tick redo tick play");
    row("hidden layer while playing", "hide play tick tick draw erase show tick draw undo play tick play");
    row("the hand while playing", "play tick pan tick pan draw");
    row("the other layer", "layer play tick tick draw play end draw layer undo undo");
    row("the last frame's empty row", "end draw play tick draw undo undo undo play");
    row("a frame past the active layer's end",
        "end draw end draw layer play tick tick draw tick draw play");
}

void TestPlayAndDraw::sequencesKeepTheCanvasOnTheCountedFrame()
{
    QFETCH(QStringList, steps);
    Stage s;
    if (QTest::currentTestFailed())
        return;
    s.expectConsistent(QStringLiteral("set up"));
    int column = 0;
    for (const QString& step : std::as_const(steps)) {
        const int layer = s.scene()->activeLayerIdx();
        const int row = layer == 0 ? 2 : 3;
        if (step == QLatin1String("play"))
            s.clickPlay();
        else if (step == QLatin1String("tick"))
            QVERIFY(s.clock->tick());
        else if (step == QLatin1String("next"))
            s.w->trigger(A::StepForward);
        else if (step == QLatin1String("back"))
            s.w->trigger(A::StepBack);
        else if (step == QLatin1String("home"))
            s.w->trigger(A::JumpToStart);
        else if (step == QLatin1String("end"))
            s.w->trigger(A::JumpToEnd);
        else if (step == QLatin1String("draw") || step == QLatin1String("erase")) {
            // A stroke lands on the frame that was on screen when the pen
            // went down, or nowhere.
            const int shown = s.shownNumber();
            const int before = strokesAt(s.scene(), layer, shown);
            const int done = strokesInHistory(s.scene()->undoStack());
            if (step == QLatin1String("draw"))
                s.line(++column, row);
            else
                s.eraseAcross(shown, layer == 0 ? 0 : 1);
            const int added = strokesInHistory(s.scene()->undoStack()) - done;
            QVERIFY(added == 0 || added == 1);
            QCOMPARE(strokesAt(s.scene(), layer, shown), before + added);
        }
        else if (step == QLatin1String("undo"))
            s.w->trigger(A::Undo);
        else if (step == QLatin1String("redo"))
            s.w->trigger(A::Redo);
        else if (step == QLatin1String("hide") || step == QLatin1String("show"))
            s.w->trigger(A::LayerVisibility);
        else if (step == QLatin1String("pan"))
            s.middleClick();
        else if (step == QLatin1String("layer"))
            s.w->trigger(layer == 0 ? A::LayerAbove : A::LayerBelow);
        else
            QFAIL(qPrintable(step));
        s.expectConsistent(step);
    }
}

void TestPlayAndDraw::hiddenLayerTakesNoStrokeAndSaysSo()
{
    Stage s;
    if (QTest::currentTestFailed())
        return;
    QUndoStack* stack = s.scene()->undoStack();
    auto cursorIs = [&s](QCursor const& cursor) {
        return s.w->paper->cursor().pixmap().toImage() == cursor.pixmap().toImage();
    };

    s.w->trigger(A::LayerVisibility);
    QVERIFY(!s.scene()->isLayerVisible(0));
    s.w->trigger(A::AddBlankDrawing);
    QCOMPARE(cells(s.scene(), 0), QStringLiteral("DDDDDD"));
    // The canvas tells why the pen does nothing here.
    QVERIFY(cursorIs(Model::Cursor::m_cursorLayerNotVisible));
    const int entries = stack->count();
    for (Pointer pointer : {Pointer::Pen, Pointer::Eraser, Pointer::Pen, Pointer::Pen}) {
        s.line(2, 2, pointer);
        QCOMPARE(stack->count(), entries);
        s.expectConsistent(QStringLiteral("stroke on the hidden layer"));
    }

    // Shown again, the layer takes strokes and the cursor is the pen's.
    s.w->trigger(A::LayerVisibility);
    QVERIFY(!cursorIs(Model::Cursor::m_cursorLayerNotVisible));
    s.line(2, 2);
    QCOMPARE(stack->count(), entries + 2);
    s.expectConsistent(QStringLiteral("stroke on the layer shown again"));

    // Hidden while the pen is down: the stroke ends where it was drawn, whole
    // and undoable, and shows with its layer.
    const int frame = s.scene()->activeFrame();
    const int before = strokesAt(s.scene(), 0, frame);
    const QPointF from = s.spot(4, 2);
    s.w->tablet(QEvent::TabletPress, from, Pointer::Pen, 1.0);
    for (int i = 1; i <= 6; ++i) {
        s.w->tablet(QEvent::TabletMove, from + QPointF(6 * i, 0), Pointer::Pen, 1.0);
        QTest::qWait(2);
        if (i == 3)
            s.w->trigger(A::LayerVisibility);
    }
    s.w->tablet(QEvent::TabletRelease, from + QPointF(36, 0), Pointer::Pen, 0.0);
    QCoreApplication::processEvents();
    QCOMPARE(strokesAt(s.scene(), 0, frame), before + 1);
    s.expectConsistent(QStringLiteral("pen up on the hidden layer"));
    s.w->trigger(A::LayerVisibility);
    s.expectConsistent(QStringLiteral("layer shown"));
    s.w->trigger(A::Undo); // shown again
    s.w->trigger(A::Undo); // the stroke
    QCOMPARE(strokesAt(s.scene(), 0, frame), before);
    s.expectConsistent(QStringLiteral("stroke undone"));
    s.w->trigger(A::Undo); // hidden
    QVERIFY(s.scene()->isLayerVisible(0));
    s.expectConsistent(QStringLiteral("hiding undone"));
}

QUILLMERE_TEST_MAIN(TestPlayAndDraw)
#include "tst_playanddraw.moc"
