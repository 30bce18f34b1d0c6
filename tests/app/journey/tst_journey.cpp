// A day's work as an animator meets the program: started without a file,
// three drawings made with the pen, one of them partly erased, clones added
// by dragging on the sheet, a key drawing marked, a frame moved off the
// pegs, the backlight turned on, the range played once with the real clock,
// the scene saved and read back in a fresh window, and the whole history
// undone and redone. Every step goes through the window as a user's hand
// would: pen, mouse, keys, menu entries and the file dialog.
#include "HandClock.h"
#include "JourneyFixture.h"

#include "TestSupport.h"

#include "playback/PlaybackController.h"
#include "settings/Settings.h"
#include "tools/ToolManager.h"

#include <QElapsedTimer>
#include <QSignalSpy>
#include <QTemporaryDir>

using namespace Journey;

namespace {

using A = KW::Action;

// The most saturated colour within a few pixels of a canvas point: the
// backlight tints what it shows.
QColor colourNear(QImage const& picture, QPointF pos)
{
    QColor most(Qt::white);
    QPoint const c = (pos * picture.devicePixelRatio()).toPoint();
    for (int dy = -3; dy <= 3; ++dy)
        for (int dx = -3; dx <= 3; ++dx)
            if (picture.rect().contains(c + QPoint(dx, dy))) {
                QColor const here = picture.pixelColor(c + QPoint(dx, dy));
                if (here.hsvSaturation() > most.hsvSaturation())
                    most = here;
            }
    return most;
}

int hueDistance(QColor const& a, QColor const& b)
{
    int const d = std::abs(a.hsvHue() - b.hsvHue());
    return std::min(d, 360 - d);
}

QString describe(Model::Scene* scene)
{
    return SceneFiles::describe(*scene).join(QLatin1Char('\n'));
}

} // namespace

class TestJourney : public QObject
{
    Q_OBJECT

private slots:
    void aDaysWork()
    {
        QTemporaryDir folder;
        QVERIFY(folder.isValid());
        const QString path = folder.filePath(QStringLiteral("walk cycle.kw"));
        Model::Settings::instance()->setBacklightEnabled(false);

        Prompts prompts;
        auto w = std::make_unique<Window>();
        const QString empty = describe(w->scene());

        // Three drawings, one line each.
        w->trigger(A::Marker);
        w->drawThreeFrames();
        QCOMPARE(cells(w->scene()), QStringLiteral("DDD"));
        QImage picture = w->canvasPicture();
        QVERIFY(w->darkestNear(picture, w->strokeMiddle(3)) < 160);

        // The eraser takes out the middle of the third line.
        const QPointF middle = w->strokeMiddle(3);
        w->trigger(A::Erase);
        w->stroke(middle - QPointF(0, 30), middle + QPointF(0, 30));
        picture = w->canvasPicture();
        QVERIFY(w->darkestNear(picture, middle) > 230);
        QVERIFY(w->darkestNear(picture, w->strokeStart(3) + QPointF(6, 0)) < 160);
        w->trigger(A::Draw);
        QCOMPARE(Model::ToolManager::instance()->currentToolType(), Model::Tool::Draw);

        // Two clones of the third drawing, dragged out below it on the sheet.
        w->dragOnSheet(w->cell(3, 0), w->cell(5, 0));
        QCOMPARE(cells(w->scene()), QStringLiteral("DDD.."));

        // The second drawing becomes a key drawing.
        w->goToFrame(2);
        w->trigger(A::MarkAsKeyDrawing);
        QCOMPARE(cells(w->scene()).at(1), QLatin1Char('d'));

        // The first frame goes off the pegs: the Off Pegs entry, a drag from
        // the middle of the canvas, the entry off again.
        w->goToFrame(1);
        w->action(A::OffPegs)->setChecked(true);
        QCOMPARE(Model::ToolManager::instance()->currentToolType(), Model::Tool::OffPegs);
        const QPointF centre(w->paper->width() / 2.0, w->paper->height() / 2.0);
        w->stroke(centre, centre + QPointF(40, 25));
        w->action(A::OffPegs)->setChecked(false);
        QVERIFY(cells(w->scene()).startsWith(QStringLiteral("D~")));

        // On frame 2 the backlight shows its neighbours, each tinted its
        // own way and lighter than the drawing itself.
        w->goToFrame(2);
        const QPointF before = w->strokeMiddle(1) + QPointF(40, 25); // off the pegs
        const QPointF after = w->strokeStart(3) + QPointF(20, 0);
        picture = w->canvasPicture();
        QVERIFY(w->darkestNear(picture, after) > 245); // not shown without the backlight
        w->trigger(A::BacklightOnOff);
        QTRY_VERIFY(w->darkestNear(w->canvasPicture(), after) < 245);
        picture = w->canvasPicture();
        const QColor own = colourNear(picture, w->strokeMiddle(2));
        const QColor previous = colourNear(picture, before);
        const QColor next = colourNear(picture, after);
        for (const QColor& neighbour : {previous, next}) {
            QVERIFY2(neighbour.hsvSaturation() > 20, qPrintable(neighbour.name()));
            QVERIFY(neighbour.value() > own.value()); // lighter
            QVERIFY2(hueDistance(neighbour, own) > 15, qPrintable(neighbour.name() + own.name()));
        }
        QVERIFY(hueDistance(previous, next) > 30);

        // The range played once, on a clock that keeps time however busy
        // the machine is.
        auto* playback = w->window->findChild<PlaybackController*>();
        QVERIFY(playback);
        auto* clock = new HandClock;
        playback->setClock(clock);
        w->action(A::PlayOnce)->setChecked(true);
        w->goToFrame(1);
        QSignalSpy shown(playback, &PlaybackController::showFrame);
        w->trigger(A::Play);
        QVERIFY(playback->isPlaying());
        int ticks = 0;
        while (clock->tick() && ++ticks < 100)
            QCoreApplication::processEvents();
        QVERIFY(!playback->isPlaying());
        QList<int> frames;
        for (QList<QVariant> const& signal : shown)
            if (signal.at(0).toInt() > 0 && (frames.isEmpty() || frames.last() != signal.at(0).toInt()))
                frames << signal.at(0).toInt();
        // The first frame is on screen as playing starts; each later one is
        // shown once, in order, at the scene's rate.
        QList<int> expected;
        for (int f = w->scene()->minimumFrameRangeNumber() + 1;
             f <= w->scene()->maximumFrameRangeNumber(); ++f)
            expected << f;
        QCOMPARE(frames, expected);

        // Saved under a name chosen in the file dialog.
        prompts.answer = [&](Model::Prompter::Request const& request) {
            return request.kind == Model::Prompter::Kind::SaveFileName ? fileReply(path)
                                                                       : Model::Prompter::Reply{};
        };
        w->trigger(A::SaveSceneAs);
        QVERIFY(QFile::exists(path));
        QCOMPARE(w->scene()->filename(), path);
        QVERIFY(w->undo()->isClean());
        const QString saved = describe(w->scene());

        // The whole history undone leaves the scene as it started; redone, as saved.
        int steps = 0;
        while (w->undo()->canUndo()) {
            w->trigger(A::Undo);
            ++steps;
        }
        QVERIFY(steps > 10);
        QCOMPARE(describe(w->scene()), empty);
        while (w->undo()->canRedo())
            w->trigger(A::Redo);
        QCOMPARE(describe(w->scene()), saved);
        QVERIFY(w->undo()->isClean());
        w.reset();

        // A fresh window reads back exactly what was saved.
        Window fresh;
        prompts.answer = [&](Model::Prompter::Request const& request) {
            return request.kind == Model::Prompter::Kind::OpenFileName ? fileReply(path)
                                                                       : Model::Prompter::Reply{};
        };
        fresh.trigger(A::OpenScene);
        QTRY_COMPARE(fresh.scene()->filename(), path);
        QCOMPARE(describe(fresh.scene()), saved);
        QCOMPARE(prompts.texts().filter(QStringLiteral("Cannot")), QStringList());
    }
};

QUILLMERE_TEST_MAIN(TestJourney)
#include "tst_journey.moc"
