// The canvas's view: zoom, rotation and mirror steps, the quick zoom, fit
// and reset, and what the view keeps when the scene, the frame size or the
// widget size change.
#include "TestSupport.h"

#include "PaperFixture.h"

#include "canvas/ZoomLadder.h"
#include "commands/ChangeFrameSize.h"
#include "startup/Init.h"

#include <QSignalSpy>
#include <QUndoStack>

using PaperFixture::Canvas;

namespace {

bool samePoint(const QPointF& a, const QPointF& b, double tolerance = 1e-6)
{
    return std::abs(a.x() - b.x()) <= tolerance && std::abs(a.y() - b.y()) <= tolerance;
}

bool sameTransform(const QTransform& a, const QTransform& b, double tolerance = 1e-9)
{
    const double av[] = {a.m11(), a.m12(), a.m21(), a.m22(), a.dx(), a.dy()};
    const double bv[] = {b.m11(), b.m12(), b.m21(), b.m22(), b.dx(), b.dy()};
    for (int i = 0; i < 6; ++i)
        if (std::abs(av[i] - bv[i]) > tolerance * std::max(1.0, std::abs(av[i])))
            return false;
    return true;
}

bool isFinite(const QTransform& t)
{
    for (double v : {t.m11(), t.m12(), t.m21(), t.m22(), t.dx(), t.dy()})
        if (!std::isfinite(v))
            return false;
    return true;
}

} // namespace

class TestPaperView : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();

    void numberedExamples_data();
    void numberedExamples();
    void zoomAnchorsAtThePointerOnlyOverTheView();
    void composeThenDecomposeGivesTheParts_data();
    void composeThenDecomposeGivesTheParts();
    void quickZoomTwiceRestoresTheView();
    void zoomChangeBetweenQuickZoomsDropsTheSavedView();
    void bindingCentresTheFrameAtScaleOne();
    void resizeKeepsThePaperPointUnderTheCentre();
    void frameSizeChangeKeepsTheRelativeCentre();
    void frameSizeThereAndBackRestoresTheView_data();
    void frameSizeThereAndBackRestoresTheView();
    void framesWithoutExtentDivideByNothing();
    void fitCoversPeggedAndOffPegsFrames();
    void resetUndoesMirrorRotationAndZoom();
    void topWidgetNarrowsTheView();
};

void TestPaperView::initTestCase()
{
    Model::init();
}

void TestPaperView::numberedExamples_data()
{
    QTest::addColumn<QString>("operation");
    QTest::addColumn<bool>("mirrored");
    QTest::addColumn<double>("start");
    QTest::addColumn<double>("argument");
    QTest::addColumn<double>("expected");

    QTest::newRow("zoom to 100 stops at 16") << "zoom" << false << 0.0 << 100.0 << 16.0;
    QTest::newRow("zoom to 0 stops at 1/16") << "zoom" << false << 0.0 << 0.0 << 0.0625;
    QTest::newRow("zoom to -3 stops at 1/16") << "zoom" << false << 0.0 << -3.0 << 0.0625;
    QTest::newRow("zoom to 2.5") << "zoom" << false << 0.0 << 2.5 << 2.5;
    QTest::newRow("next 45 from 44") << "next" << false << 44.0 << 45.0 << 90.0;
    QTest::newRow("next 45 from -22.5") << "next" << false << -22.5 << 45.0 << 0.0;
    QTest::newRow("next 45 from 20") << "next" << false << 20.0 << 45.0 << 45.0;
    QTest::newRow("next -45 from 0") << "next" << false << 0.0 << -45.0 << -45.0;
    // While mirrored the stored angle runs the other way.
    QTest::newRow("mirrored next 45 from 0") << "next" << true << 0.0 << 45.0 << -45.0;
    QTest::newRow("mirrored rotate to 30") << "rotate" << true << 0.0 << 30.0 << -30.0;
    QTest::newRow("rotate to 30") << "rotate" << false << 10.0 << 30.0 << 30.0;
    QTest::newRow("ladder in from 1.003") << "ladder in" << false << 1.003 << 0.0 << 1.5;
    QTest::newRow("ladder out from 0.997") << "ladder out" << false << 0.997 << 0.0 << 0.75;
    QTest::newRow("ladder in from 1") << "ladder in" << false << 1.0 << 0.0 << 1.5;
    QTest::newRow("ladder in from 16") << "ladder in" << false << 16.0 << 0.0 << 24.0;
    QTest::newRow("ladder out from 0.06") << "ladder out" << false << 0.06 << 0.0 << 0.0625;
    QTest::newRow("ladder out from 24") << "ladder out" << false << 24.0 << 0.0 << 16.0;
}

void TestPaperView::numberedExamples()
{
    QFETCH(QString, operation);
    QFETCH(bool, mirrored);
    QFETCH(double, start);
    QFETCH(double, argument);
    QFETCH(double, expected);

    if (operation.startsWith(QLatin1String("ladder"))) {
        const double level = operation.endsWith(QLatin1String("in"))
                                 ? UI::ZoomLadder::nextLevelIn(start)
                                 : UI::ZoomLadder::nextLevelOut(start);
        QCOMPARE(level, expected);
        return;
    }
    Canvas canvas;
    UI::Paper& paper = canvas.paper;
    paper.setMirrorView(mirrored);
    if (operation == QLatin1String("zoom")) {
        paper.setZoomLevel(argument);
        QVERIFY(qFuzzyCompare(paper.zoomLevel(), expected));
        return;
    }
    paper.rotatePaperTo(mirrored ? -start : start);
    QVERIFY(qFuzzyCompare(1.0 + paper.viewAngle(), 1.0 + start));
    if (operation == QLatin1String("next"))
        paper.rotatePaperToNext(argument);
    else
        paper.rotatePaperTo(argument);
    QVERIFY2(std::abs(paper.viewAngle() - expected) < 1e-9,
             qPrintable(QString::number(paper.viewAngle())));
}

void TestPaperView::zoomAnchorsAtThePointerOnlyOverTheView()
{
    Canvas canvas;
    UI::Paper& paper = canvas.paper;
    // Off the canvas the paper point under the view centre stays.
    const QPointF centre = canvas.underCenter();
    paper.setZoomLevel(4.0);
    QVERIFY(samePoint(canvas.underCenter(), centre));

    // Over the canvas the point under the pointer stays.
    const QPoint pointer(150, 420);
    QCursor::setPos(paper.mapToGlobal(pointer));
    QTRY_COMPARE(paper.mapFromGlobal(QCursor::pos()), pointer);
    const QPointF under = paper.viewTransform().map(QPointF(pointer));
    paper.setZoomLevel(0.5);
    QVERIFY(samePoint(paper.viewTransform().map(QPointF(pointer)), under));
    QVERIFY(!samePoint(canvas.underCenter(), centre, 1.0));
    PaperFixture::parkPointer();
}

void TestPaperView::composeThenDecomposeGivesTheParts_data()
{
    QTest::addColumn<double>("angle");
    QTest::addColumn<double>("zoom");
    QTest::addColumn<bool>("mirror");
    QTest::newRow("plain") << 0.0 << 1.0 << false;
    QTest::newRow("turned and zoomed") << 33.0 << 2.5 << false;
    QTest::newRow("upside down") << 180.0 << 0.25 << false;
    QTest::newRow("mirrored and turned") << -120.0 << 7.0 << true;
    QTest::newRow("quarter turn mirrored") << 90.0 << 1.0 << true;
}

void TestPaperView::composeThenDecomposeGivesTheParts()
{
    QFETCH(double, angle);
    QFETCH(double, zoom);
    QFETCH(bool, mirror);
    Canvas canvas;
    UI::Paper& paper = canvas.paper;
    paper.setMirrorView(mirror);
    paper.rotatePaperTo(angle);
    paper.setZoomLevel(zoom);

    const double turn = std::remainder(paper.viewAngle() - (mirror ? -angle : angle), 360.0);
    QVERIFY2(std::abs(turn) < 1e-9, qPrintable(QString::number(paper.viewAngle())));
    QVERIFY(qFuzzyCompare(paper.zoomLevel(), zoom));
    // The view rebuilt from the decomposed parts is the view itself.
    const QPointF c((paper.width() - 1) / 2, (paper.height() - 1) / 2);
    QTransform m;
    if (mirror)
        m = QTransform().translate(c.x(), c.y()).scale(-1, 1).translate(-c.x(), -c.y());
    const QPointF pan = paper.viewPan();
    const QTransform rebuilt = m * QTransform()
                                       .translate(pan.x(), pan.y())
                                       .rotate(paper.viewAngle())
                                       .scale(paper.viewScale(), paper.viewScale());
    QVERIFY(sameTransform(rebuilt, paper.viewTransform()));
}

void TestPaperView::quickZoomTwiceRestoresTheView()
{
    Canvas canvas;
    UI::Paper& paper = canvas.paper;
    paper.setMirrorView(true);
    paper.rotatePaperTo(25.0);
    paper.setZoomLevel(1.5);
    const QTransform before = paper.viewTransform();

    paper.toggleQuickZoom();
    QVERIFY(qFuzzyCompare(paper.zoomLevel(), 4.5));
    paper.rotatePaperTo(60.0); // turning in between keeps the saved view
    paper.setMirrorView(false);
    paper.toggleQuickZoom();
    QVERIFY(sameTransform(paper.viewTransform(), before));
    QVERIFY(paper.mirrorView());
    QVERIFY(qFuzzyCompare(paper.zoomLevel(), 1.5));

    // At the limit the view is saved without a change, and each later call
    // restores it.
    paper.setZoomLevel(16.0);
    const QTransform atLimit = paper.viewTransform();
    paper.toggleQuickZoom();
    QVERIFY(sameTransform(paper.viewTransform(), atLimit));
    paper.rotatePaperTo(10.0);
    paper.toggleQuickZoom();
    QVERIFY(sameTransform(paper.viewTransform(), atLimit));
    paper.rotatePaperTo(10.0);
    paper.toggleQuickZoom();
    QVERIFY(sameTransform(paper.viewTransform(), atLimit));
}

void TestPaperView::zoomChangeBetweenQuickZoomsDropsTheSavedView()
{
    Canvas canvas;
    UI::Paper& paper = canvas.paper;
    paper.toggleQuickZoom();
    QVERIFY(qFuzzyCompare(paper.zoomLevel(), 3.0));
    paper.setZoomLevel(2.0);
    paper.toggleQuickZoom();
    QVERIFY(qFuzzyCompare(paper.zoomLevel(), 6.0));
}

void TestPaperView::bindingCentresTheFrameAtScaleOne()
{
    Canvas canvas;
    UI::Paper& paper = canvas.paper;
    paper.setZoomLevel(3.0);
    paper.rotatePaperTo(40.0);
    paper.setMirrorView(true);

    Model::KWScene other;
    other.scene()->setFrameSize(QSize(640, 480), KW::FitMode::FitModeKeepAspect, nullptr);
    QSignalSpy zoom(&paper, &UI::Paper::zoomLevelChanged);
    QSignalSpy fit(&paper, &UI::Paper::zoomLevelToFitChanged);
    paper.setCurrentScene(&other);
    QVERIFY(zoom.count() >= 1);
    QCOMPARE(zoom.last().at(0).toDouble(), 1.0);
    QVERIFY(fit.count() >= 1);
    QVERIFY(!paper.mirrorView());
    QCOMPARE(paper.viewAngle(), 0.0);
    QVERIFY(samePoint(canvas.underCenter(), QPointF(320, 240), 0.5));
    paper.setCurrentScene(nullptr);
    QCOMPARE(paper.sizeHint(), QSize(100, 100));
}

void TestPaperView::resizeKeepsThePaperPointUnderTheCentre()
{
    Canvas canvas;
    UI::Paper& paper = canvas.paper;
    paper.rotatePaperTo(30.0);
    paper.setZoomLevel(2.0);
    paper.setZoomLevelCenteringOnOrigin(2.0);
    const QPointF centre = canvas.underCenter();
    paper.resize(500, 700);
    QTRY_COMPARE(paper.size(), QSize(500, 700));
    QVERIFY(samePoint(canvas.underCenter(), centre, 1e-6));
    QVERIFY(qFuzzyCompare(paper.zoomLevel(), 2.0));
}

void TestPaperView::frameSizeChangeKeepsTheRelativeCentre()
{
    Canvas canvas(QSize(1920, 1080));
    UI::Paper& paper = canvas.paper;
    paper.rotatePaperTo(20.0);
    paper.setZoomLevel(0.5);
    QVERIFY(samePoint(canvas.underCenter(), QPointF(960, 540), 1.0));
    canvas.scene()->setFrameSize(QSize(960, 540), KW::FitMode::FitModeKeepAspect, nullptr);
    QVERIFY(samePoint(canvas.underCenter(), QPointF(480, 270), 1.0));
    QVERIFY(std::abs(paper.viewAngle() - 20.0) < 1e-9);
    QVERIFY(qFuzzyCompare(paper.zoomLevel(), 0.5));
}

void TestPaperView::frameSizeThereAndBackRestoresTheView_data()
{
    QTest::addColumn<QSize>("from");
    QTest::addColumn<QSize>("to");
    QTest::addColumn<int>("fitMode");
    // The view is turned (and mirrored), then zoomed about the pointer,
    // which stays over the canvas through the changes.
    QTest::addColumn<double>("angle");
    QTest::addColumn<bool>("mirror");
    QTest::addColumn<QPoint>("pointer");
    QTest::addColumn<double>("zoom");
    const int keep = int(KW::FitMode::FitModeKeepAspect);
    QTest::newRow("half, zoomed in") << QSize(1920, 1080) << QSize(960, 540) << keep << 0.0
                                     << false << QPoint(150, 420) << 2.0;
    QTest::newRow("two thirds, turned and mirrored")
        << QSize(1920, 1080) << QSize(1280, 720) << keep << 30.0 << true << QPoint(600, 100) << 0.5;
    QTest::newRow("centre beyond the paper's edge") << QSize(400, 300) << QSize(200, 150) << keep
                                                    << 0.0 << false << QPoint(790, 590) << 4.0;
    QTest::newRow("centre before the paper's edge, larger")
        << QSize(400, 300) << QSize(1200, 900) << keep << -45.0 << false << QPoint(10, 10) << 4.0;
    QTest::newRow("other aspect, stretched")
        << QSize(1920, 1080) << QSize(1080, 1080) << int(KW::FitMode::FitModeStretch) << 90.0
        << true << QPoint(700, 300) << 0.25;
}

void TestPaperView::frameSizeThereAndBackRestoresTheView()
{
    QFETCH(QSize, from);
    QFETCH(QSize, to);
    QFETCH(int, fitMode);
    QFETCH(double, angle);
    QFETCH(bool, mirror);
    QFETCH(QPoint, pointer);
    QFETCH(double, zoom);
    Canvas canvas(from);
    UI::Paper& paper = canvas.paper;
    paper.setMirrorView(mirror);
    paper.rotatePaperTo(angle);
    QCursor::setPos(paper.mapToGlobal(pointer));
    QTRY_COMPARE(paper.mapFromGlobal(QCursor::pos()), pointer);
    paper.setZoomLevel(zoom);
    const QTransform start = paper.viewTransform();

    Model::KWScene* kwscene = &canvas.kwscene;
    QUndoStack* undo = canvas.scene()->undoStack();
    const auto mode = KW::FitMode(fitMode);
    undo->push(new Commands::ChangeFrameSize(kwscene, to, mode, nullptr));
    QCOMPARE(canvas.scene()->frameSize(), to);
    const QTransform there = paper.viewTransform();
    // Only the place moves: zoom, angle and mirror stay.
    QVERIFY(sameTransform(QTransform(there.m11(), there.m12(), there.m21(), there.m22(), 0, 0),
                          QTransform(start.m11(), start.m12(), start.m21(), start.m22(), 0, 0)));
    QCOMPARE(paper.mirrorView(), mirror);
    undo->push(new Commands::ChangeFrameSize(kwscene, from, mode, nullptr));
    QCOMPARE(canvas.scene()->frameSize(), from);
    QVERIFY(sameTransform(paper.viewTransform(), start));

    // Undo and redo walk the same views, however often.
    for (int round = 0; round < 2; ++round) {
        undo->undo();
        QVERIFY(sameTransform(paper.viewTransform(), there));
        undo->undo();
        QVERIFY(sameTransform(paper.viewTransform(), start));
        undo->redo();
        QVERIFY(sameTransform(paper.viewTransform(), there));
        undo->redo();
        QVERIFY(sameTransform(paper.viewTransform(), start));
    }
    QVERIFY(qFuzzyCompare(paper.zoomLevel(), zoom));
    PaperFixture::parkPointer();
}

void TestPaperView::framesWithoutExtentDivideByNothing()
{
    // Without a scene the frame has no extent: nothing to fit, no division
    // by its size.
    UI::Paper paper;
    paper.resize(800, 600);
    paper.show();
    QVERIFY(QTest::qWaitForWindowExposed(&paper));
    QSignalSpy fit(&paper, &UI::Paper::zoomLevelToFitChanged);
    paper.setCurrentScene(nullptr);
    paper.rotatePaperTo(30.0);
    paper.fitToView();
    QVERIFY(fit.count() >= 2);
    for (const QList<QVariant>& args : fit)
        QVERIFY(std::isfinite(args.at(0).toDouble()));
    QVERIFY(std::isfinite(paper.zoomLevelToFit()));
    QVERIFY(qFuzzyCompare(paper.zoomLevel(), 16.0));
    QVERIFY(isFinite(paper.viewTransform()));

    // The smallest frame fits like any other.
    Model::KWScene kwscene;
    kwscene.scene()->setFrameSize(QSize(1, 1), KW::FitMode::FitModeKeepAspect, nullptr);
    paper.setCurrentScene(&kwscene);
    QVERIFY(qFuzzyCompare(paper.zoomLevelToFit(), 592.0));
    kwscene.scene()->setFrameSize(QSize(400, 300), KW::FitMode::FitModeKeepAspect, nullptr);
    QVERIFY(isFinite(paper.viewTransform()));
}

void TestPaperView::fitCoversPeggedAndOffPegsFrames()
{
    Canvas canvas(QSize(400, 300));
    UI::Paper& paper = canvas.paper;
    paper.setMirrorView(true);
    paper.rotatePaperTo(45.0);
    paper.fitToView();
    QVERIFY(paper.mirrorView());
    QCOMPARE(paper.viewAngle(), 0.0);
    // 800 x 600 less 4 px on every side: the tighter side decides.
    QVERIFY(qFuzzyCompare(paper.zoomLevel(), std::min(792.0 / 400.0, 592.0 / 300.0)));
    const QRectF frame = paper.viewTransform().inverted().mapRect(QRectF(0, 0, 400, 300));
    QVERIFY(std::abs(frame.height() - 592.0) < 1e-6);

    // The frame moved 200 px off the pegs to the right: fit and centring
    // cover both.
    canvas.scene()->setOffPegsTransform(1, 0, QTransform::fromTranslate(-200, 0));
    QCOMPARE(paper.offPegsTransform(), QTransform::fromTranslate(-200, 0));
    paper.fitToView();
    QVERIFY(qFuzzyCompare(paper.zoomLevel(), std::min(792.0 / 600.0, 592.0 / 300.0)));
    const QRectF both = paper.viewTransform().inverted().mapRect(QRectF(0, 0, 400, 300))
                        | paper.fullTransform().inverted().mapRect(QRectF(0, 0, 400, 300));
    QVERIFY(samePoint(both.center(), QPointF(799 / 2, 599 / 2), 0.5));
}

void TestPaperView::resetUndoesMirrorRotationAndZoom()
{
    Canvas canvas;
    UI::Paper& paper = canvas.paper;
    paper.setMirrorView(true);
    paper.rotatePaperTo(70.0);
    paper.setZoomLevel(5.0);
    QSignalSpy mirror(&paper, &UI::Paper::mirrorViewChanged);
    paper.resetView();
    QVERIFY(!paper.mirrorView());
    QCOMPARE(mirror.count(), 1);
    QCOMPARE(paper.viewAngle(), 0.0);
    QVERIFY(qFuzzyCompare(paper.zoomLevel(), 1.0));
    QVERIFY(samePoint(canvas.underCenter(), QPointF(200, 150), 0.5));
}

void TestPaperView::topWidgetNarrowsTheView()
{
    Canvas canvas;
    UI::Paper& paper = canvas.paper;
    auto* bar = new QWidget;
    bar->setMinimumWidth(300);
    bar->resize(10, 44);
    paper.setTopWidget(bar);
    QCOMPARE(bar->parentWidget(), &paper);
    QCOMPARE(bar->geometry(), QRect(0, 0, 800, 44));
    QCOMPARE(paper.minimumWidth(), 300);
    for (int i = 0; i < 3; ++i)
        paper.updateUISize();
    paper.resize(801, 600);
    QTRY_COMPARE(paper.width(), 801);
    paper.resetView();
    // The frame is centred in the band below the bar.
    QVERIFY(samePoint(paper.viewTransform().map(QPointF(800 / 2, (44 + 599) / 2)),
                      QPointF(200, 150), 0.5));
}

QUILLMERE_TEST_MAIN(TestPaperView)
#include "tst_paperview.moc"
