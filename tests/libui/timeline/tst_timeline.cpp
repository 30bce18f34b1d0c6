#include "canvas/TextBubble.h"
#include "settings/Settings.h"
#include "timeline/Timeline.h"

#include "TestSupport.h"

#include <QSignalSpy>
#include <QStyle>

using UI::Timeline;

namespace {

// Geometry of an unscaled timeline W pixels wide, as the widget lays it out.
struct Rows
{
    int width;
    int playStart() const { return 30; }
    int playEnd() const { return 26 + (width - 52) - 4; }
    int rangeStart() const { return 28; }
    int rangeEnd() const { return int(26 + (width - 52) - 2.5); }
    int playY() const { return 24; }
    int rangeY() const { return 46; }
    int playPixel(int f, int lo, int hi) const
    {
        return playStart() + QStyle::sliderPositionFromValue(lo, hi, f, playEnd() - playStart());
    }
    int rangePixel(int f, int lo, int hi) const
    {
        return rangeStart() + QStyle::sliderPositionFromValue(lo, hi, f, rangeEnd() - rangeStart());
    }
    int playFrame(int x, int lo, int hi) const
    {
        return QStyle::sliderValueFromPosition(lo, hi, x - playStart(), playEnd() - playStart());
    }
};

void drag(QWidget* w, QPoint from, QPoint to)
{
    QTest::mousePress(w, Qt::LeftButton, {}, from);
    const int steps = 5;
    for (int i = 1; i <= steps; ++i) {
        const QPoint p = from + (to - from) * i / steps;
        QMouseEvent move(QEvent::MouseMove, p, w->mapToGlobal(p), Qt::NoButton, Qt::LeftButton, {});
        QApplication::sendEvent(w, &move);
    }
    QTest::mouseRelease(w, Qt::LeftButton, {}, to);
}

} // namespace

class TestTimeline : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase()
    {
        TestSupport::clearSettings();
        Model::Settings::instance()->init();
    }

    void rangeIsClampedAndOrdered_data()
    {
        QTest::addColumn<int>("min");
        QTest::addColumn<int>("max");
        QTest::addColumn<int>("lower");
        QTest::addColumn<int>("upper");
        QTest::addColumn<int>("expectedLower");
        QTest::addColumn<int>("expectedUpper");
        QTest::newRow("equal ends step down") << 1 << 10 << 5 << 5 << 4 << 5;
        QTest::newRow("equal ends at the minimum step up") << 1 << 10 << 1 << 1 << 1 << 2;
        QTest::newRow("reversed and beyond the limit") << 1 << 10 << 12 << 3 << 3 << 10;
        QTest::newRow("single-frame limits") << 7 << 7 << 7 << 7 << 7 << 7;
        QTest::newRow("below the minimum") << 5 << 50 << -3 << 20 << 5 << 20;
    }

    void rangeIsClampedAndOrdered()
    {
        QFETCH(int, min);
        QFETCH(int, max);
        QFETCH(int, lower);
        QFETCH(int, upper);
        QFETCH(int, expectedLower);
        QFETCH(int, expectedUpper);
        Timeline timeline;
        timeline.setRangeLimits(min, max);
        timeline.setRange(1000, 1001); // somewhere else first, so the table's call changes something
        QSignalSpy changed(&timeline, &Timeline::rangeChanged);
        timeline.setRange(lower, upper);
        QCOMPARE(timeline.rangeLower(), expectedLower);
        QCOMPARE(timeline.rangeUpper(), expectedUpper);
        QCOMPARE(changed.count(), min == max ? 0 : 1);
        timeline.setRange(lower, upper);
        QCOMPARE(changed.count(), min == max ? 0 : 1);
    }

    void playheadIsClampedToTheRangeStartAndOnePastTheLimit()
    {
        Timeline timeline;
        timeline.setRangeLimits(1, 10);
        timeline.setRange(3, 6);
        QSignalSpy valueChanged(&timeline, &Timeline::valueChanged);
        QSignalSpy moved(&timeline, &Timeline::sliderMoved);
        timeline.setValue(1);
        QCOMPARE(timeline.value(), 3);
        timeline.setValue(500);
        QCOMPARE(timeline.value(), 11); // past the range end, one past the upper limit
        QCOMPARE(timeline.sliderPosition(), 11);
        timeline.setValue(600);
        QCOMPARE(valueChanged.count(), 2);
        timeline.setSliderPosition(4);
        QCOMPARE(timeline.sliderPosition(), 4);
        QCOMPARE(timeline.value(), 11);
        QCOMPARE(moved.count(), 0); // not dragging

        // Shrinking the limits re-applies the range and moves the value silently.
        QSignalSpy rangeChanged(&timeline, &Timeline::rangeChanged);
        QSignalSpy limits(&timeline, &Timeline::rangeLimitsChanged);
        timeline.setRangeLimits(1, 5);
        QCOMPARE(limits.count(), 1);
        QCOMPARE(timeline.rangeLower(), 3);
        QCOMPARE(timeline.rangeUpper(), 5);
        QCOMPARE(timeline.value(), 6);
        QCOMPARE(rangeChanged.count(), 0);
        QCOMPARE(valueChanged.count(), 2);
    }

    void rangeEndsKeepOrder()
    {
        Timeline timeline;
        timeline.setRangeLimits(1, 10);
        timeline.setRange(3, 6);
        timeline.setRangeLower(8);
        QCOMPARE(timeline.rangeLower(), 5);
        timeline.setRangeUpper(2);
        QCOMPARE(timeline.rangeUpper(), 6);
        timeline.setRangeUpper(40);
        QCOMPARE(timeline.rangeUpper(), 10);
    }

    void draggingThePlayhead()
    {
        Timeline timeline;
        timeline.resize(600, timeline.height());
        timeline.setRangeLimits(1, 100);
        timeline.setRange(1, 100);
        timeline.setValue(10);
        const Rows rows{600};
        QSignalSpy pressed(&timeline, &Timeline::sliderPressed);
        QSignalSpy dragged(&timeline, &Timeline::sliderDragged);
        QSignalSpy moved(&timeline, &Timeline::sliderMoved);
        QSignalSpy released(&timeline, &Timeline::sliderReleased);
        QSignalSpy valueChanged(&timeline, &Timeline::valueChanged);

        const QPoint knob(rows.playPixel(10, 1, 100), rows.playY());
        const QPoint to(knob.x() + 200, rows.playY() + 3);
        drag(&timeline, knob, to);
        const int expected = rows.playFrame(to.x(), 1, 100);
        QCOMPARE(pressed.count(), 1);
        QCOMPARE(dragged.count(), 1);
        QVERIFY(moved.count() >= 2);
        QCOMPARE(moved.last().at(0).toInt(), expected);
        QCOMPARE(released.count(), 1);
        QCOMPARE(released.last().at(0).toInt(), expected);
        QCOMPARE(valueChanged.count(), 1);
        QCOMPARE(timeline.value(), expected);

        // A click on the row away from the knob jumps there and commits on release.
        const int x = rows.playPixel(80, 1, 100);
        QTest::mouseClick(&timeline, Qt::LeftButton, {}, QPoint(x, rows.playY()));
        QCOMPARE(timeline.value(), 80);
        QCOMPARE(dragged.count(), 1);
    }

    void draggingTheRange()
    {
        Timeline timeline;
        timeline.resize(600, timeline.height());
        timeline.show();
        QVERIFY(QTest::qWaitForWindowExposed(&timeline));
        timeline.setRangeLimits(1, 100);
        timeline.setRange(20, 60);
        const Rows rows{600};
        QSignalSpy rangeChanged(&timeline, &Timeline::rangeChanged);
        QSignalSpy rangeMoved(&timeline, &Timeline::rangeSliderMoved);
        QSignalSpy rangeReleased(&timeline, &Timeline::rangeSliderReleased);
        const auto bubbles = timeline.findChildren<UI::TextBubble*>();
        QCOMPARE(bubbles.size(), 2);

        // Lower handle to frame 30.
        QTest::mousePress(&timeline, Qt::LeftButton, {}, QPoint(rows.rangePixel(20, 1, 100), rows.rangeY()));
        QPoint to(rows.rangePixel(30, 1, 100), rows.rangeY());
        QMouseEvent move(QEvent::MouseMove, to, timeline.mapToGlobal(to), Qt::NoButton, Qt::LeftButton, {});
        QApplication::sendEvent(&timeline, &move);
        QCOMPARE(rangeMoved.last(), (QList<QVariant>{30, 60}));
        QVERIFY(bubbles[0]->isVisible() && !bubbles[1]->isVisible());
        QCOMPARE(bubbles[0]->text(), QString("30"));
        QCOMPARE(timeline.rangeLower(), 20); // committed only on release
        QTest::mouseRelease(&timeline, Qt::LeftButton, {}, to);
        QCOMPARE(timeline.rangeLower(), 30);
        QCOMPARE(rangeChanged.last(), (QList<QVariant>{30, 60}));
        QCOMPARE(rangeReleased.count(), 1);
        QVERIFY(!bubbles[0]->isVisible());

        // Upper handle to frame 90.
        drag(&timeline, QPoint(rows.rangePixel(60, 1, 100), rows.rangeY()),
             QPoint(rows.rangePixel(90, 1, 100), rows.rangeY()));
        QCOMPARE(timeline.rangeUpper(), 90);

        // The middle dragged hard to the left keeps the range's length.
        const QPoint middle((rows.rangePixel(30, 1, 100) + rows.rangePixel(90, 1, 100)) / 2, rows.rangeY());
        QTest::mousePress(&timeline, Qt::LeftButton, {}, middle);
        const QPoint farLeft(-400, rows.rangeY());
        QMouseEvent left(QEvent::MouseMove, farLeft, timeline.mapToGlobal(farLeft), Qt::NoButton, Qt::LeftButton, {});
        QApplication::sendEvent(&timeline, &left);
        QVERIFY(bubbles[0]->isVisible() && bubbles[1]->isVisible());
        const QRect a = bubbles[0]->geometry();
        const QRect b = bubbles[1]->geometry();
        QVERIFY2(a.left() >= 23 && b.right() <= 26 + (600 - 52) + 2, "bubbles stay inside the timeline");
        QVERIFY2(a.right() < b.left(), "bubbles never overlap");
        QTest::mouseRelease(&timeline, Qt::LeftButton, {}, farLeft);
        QCOMPARE(timeline.rangeLower(), 1);
        QCOMPARE(timeline.rangeUpper(), 61);

        // A click on the bare track outside the range grabs nothing.
        const int before = rangeChanged.count();
        QTest::mouseClick(&timeline, Qt::LeftButton, {}, QPoint(rows.rangePixel(95, 1, 100), rows.rangeY()));
        QCOMPARE(rangeChanged.count(), before);
    }

    void tickStepsAlwaysEnd_data()
    {
        QTest::addColumn<int>("span");
        QTest::addColumn<int>("lo");
        QTest::addColumn<int>("hi");
        QTest::addColumn<qint64>("minor");
        QTest::addColumn<qint64>("major");
        QTest::newRow("no room") << -8 << 1 << 10 << qint64(0) << qint64(0);
        QTest::newRow("zero width") << 0 << 1 << 10 << qint64(0) << qint64(0);
        QTest::newRow("roomy") << 540 << 1 << 10 << qint64(1) << qint64(1);
        QTest::newRow("a hundred frames") << 540 << 1 << 100 << qint64(2) << qint64(10);
        QTest::newRow("more frames than pixels") << 540 << 1 << 100000 << qint64(3125) << qint64(15625);
        QTest::newRow("three pixels, many frames") << 3 << 1 << 5000 << qint64(6250) << qint64(6250);
        QTest::newRow("step stops at the range") << 4 << 7 << 8 << qint64(5) << qint64(5);
    }

    void tickStepsAlwaysEnd()
    {
        QFETCH(int, span);
        QFETCH(int, lo);
        QFETCH(int, hi);
        const Timeline::TickSteps steps = Timeline::tickSteps(span, lo, hi);
        QTEST(steps.minor, "minor");
        QTEST(steps.major, "major");
    }

    void narrowOrCrowdedTimelinesPaint()
    {
        // Both used to spin forever growing a tick step over a spacing of zero.
        Timeline narrow;
        narrow.setMinimumWidth(0);
        narrow.resize(40, narrow.height());
        narrow.setRangeLimits(1, 10);
        narrow.setRange(1, 10);
        // A spin forever ends at the test's time limit.
        const QImage small = narrow.grab().toImage();
        QCOMPARE(small.width(), 40);

        Timeline crowded;
        crowded.resize(600, crowded.height());
        crowded.setRangeLimits(1, 100000);
        crowded.setRange(1, 100000);
        crowded.setValue(50000);
        const QImage big = crowded.grab().toImage();
        // Some tick or number was drawn above the track.
        bool dark = false;
        for (int x = 30; x < 570 && !dark; ++x)
            dark = big.pixelColor(x, 19).lightness() < 80;
        QVERIFY(dark);
    }
};

QUILLMERE_TEST_MAIN(TestTimeline)
#include "tst_timeline.moc"
