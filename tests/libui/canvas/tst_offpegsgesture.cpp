// Moving and turning the current drawing off the pegs on the canvas, and
// putting it back with the button; the canvas's report turned into undo
// entries as the main window does.
#include "TestSupport.h"

#include "PaperInputFixture.h"

#include "commands/OffPegs.h"
#include "startup/Init.h"
#include "tools/ToolManager.h"

#include <QSignalSpy>
#include <QUndoStack>

using PaperFixture::Canvas;
using PaperFixture::Clock;
using PaperFixture::Pointer;

class TestOffPegsGesture : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase() { Model::init(); }
    void init()
    {
        Model::Tool::m_enabled = true;
        Model::ToolManager::instance()->setCurrentTool(Model::Tool::OffPegs, Model::Tool::Usable);
    }

    void moveTurnAndPutBack();
    void releaseOffTheButtonChangesNothing();
};

void TestOffPegsGesture::moveTurnAndPutBack()
{
    Canvas canvas;
    UI::Paper& paper = canvas.paper;
    Model::Scene* scene = canvas.scene();
    // Already off the pegs, so that the button is there.
    const QTransform start = QTransform::fromTranslate(10, 0);
    scene->setOffPegsTransform(1, 0, start);
    QUndoStack* undo = scene->undoStack();
    connect(&paper, &UI::Paper::offPegsTransformChanged, scene, [scene](QTransform t) {
        scene->undoStack()->push(new Commands::OffPegs(scene, t));
    });
    Clock clock;
    Pointer pen{&paper, clock};
    const QPointF c(399, 299);

    // Inside the circle (radius 600 / 7 = 85): the drawing slides 50 px.
    const QPointF grabbed = paper.fullTransform().map(c);
    pen.press(c);
    pen.move(c + QPointF(30, 10));
    pen.move(c + QPointF(50, 0));
    pen.release(c + QPointF(50, 0));
    QVERIFY((paper.fullTransform().map(c + QPointF(50, 0)) - grabbed).manhattanLength() < 1e-9);
    // Outside it, the drawing turns about the view centre: a quarter turn.
    clock.advance(5000);
    const QPointF under = paper.fullTransform().map(c);
    const auto heading = [&paper, c] {
        return QLineF(paper.fullTransform().map(c), paper.fullTransform().map(c + QPointF(100, 0)))
            .angle();
    };
    const double before = heading();
    pen.press(c + QPointF(200, 0));
    pen.move(c + QPointF(0, -200));
    pen.release(c + QPointF(0, -200));
    QVERIFY((paper.fullTransform().map(c) - under).manhattanLength() < 1e-6);
    QVERIFY(std::abs(std::abs(std::remainder(heading() - before, 360.0)) - 90.0) < 1e-6);

    QCOMPARE(undo->count(), 1);
    QCOMPARE(undo->text(0), QStringLiteral("Take Frame Off the Pegs"));
    QCOMPARE(scene->offPegsTransform(1, nullptr), paper.offPegsTransform());

    // The put-back button, 42 px below the circle.
    clock.advance(5000);
    const QPointF button(399, 299 + 85 + 42);
    pen.press(button);
    pen.release(button);
    QVERIFY(paper.offPegsTransform().isIdentity());
    QCOMPARE(undo->count(), 1);
    QCOMPARE(undo->text(0), QStringLiteral("Put Frame On the Pegs"));
    undo->undo();
    QCOMPARE(scene->offPegsTransform(1, nullptr), start);
    QCOMPARE(paper.offPegsTransform(), start);
}

void TestOffPegsGesture::releaseOffTheButtonChangesNothing()
{
    Canvas canvas;
    UI::Paper& paper = canvas.paper;
    canvas.scene()->setOffPegsTransform(1, 0, QTransform::fromTranslate(10, 0));
    QSignalSpy reported(&paper, &UI::Paper::offPegsTransformChanged);
    Clock clock;
    Pointer pen{&paper, clock};
    const QPointF button(399, 299 + 85 + 42);
    pen.press(button);
    pen.move(QPointF(50, 50));
    pen.release(QPointF(50, 50));
    QCOMPARE(reported.count(), 0);
    QCOMPARE(paper.offPegsTransform(), QTransform::fromTranslate(10, 0));
    // A press and release inside the circle reports the drawing unchanged.
    clock.advance(5000);
    pen.press(QPointF(399, 299));
    pen.release(QPointF(399, 299));
    QCOMPARE(reported.count(), 1);
    QCOMPARE(reported.at(0).at(0).value<QTransform>(), QTransform::fromTranslate(10, 0));
}

QUILLMERE_TEST_MAIN(TestOffPegsGesture)
#include "tst_offpegsgesture.moc"
