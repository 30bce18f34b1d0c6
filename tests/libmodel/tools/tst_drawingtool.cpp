#include "TestSupport.h"

#include "tools/EraserTool.h"
#include "tools/PenTool.h"

#include <QSignalSpy>

#include <functional>
#include <limits>
#include <memory>

using Model::DrawingTool;
using Model::EraserTool;
using Model::PenTool;
using Model::Tool;

namespace {

// The range under test: size or opacity, so that both get the same table.
enum class Range { Size, Opacity };

void setRange(DrawingTool& tool, Range range, double min, double max)
{
    if (range == Range::Size)
        tool.setSizeRangePercent(min, max);
    else
        tool.setOpacityRangePercent(min, max);
}

void step(DrawingTool& tool, Range range, bool grow)
{
    if (range == Range::Size)
        grow ? tool.increaseSizeRange() : tool.decreaseSizeRange();
    else
        grow ? tool.increaseOpacityRange() : tool.decreaseOpacityRange();
}

QPair<double, double> applied(const DrawingTool& tool, Range range)
{
    return range == Range::Size ? qMakePair(tool.sizeMinPercent(), tool.sizeMaxPercent())
                                : qMakePair(tool.opacityMinPercent(), tool.opacityMaxPercent());
}

QPair<double, double> working(const DrawingTool& tool, Range range)
{
    return range == Range::Size
               ? qMakePair(tool.incDecSizeMinPercent(), tool.incDecSizeMaxPercent())
               : qMakePair(tool.incDecOpacityMinPercent(), tool.incDecOpacityMaxPercent());
}

bool workingActive(const DrawingTool& tool, Range range)
{
    return range == Range::Size ? tool.isIncDecSizeActive() : tool.isIncDecOpacityActive();
}

const char* signalOf(Range range)
{
    return range == Range::Size ? SIGNAL(sizeRangeChanged(QString, double, double))
                                : SIGNAL(opacityRangeChanged(QString, double, double));
}

void addRangeRows(const char* name, std::function<void(const QByteArray&, Range)> add)
{
    add(QByteArray("size: ") + name, Range::Size);
    add(QByteArray("opacity: ") + name, Range::Opacity);
}

} // namespace

Q_DECLARE_METATYPE(Range)

// Compares both ends with the test library's floating-point comparison.
#define COMPARE_RANGE(actual, expectedMin, expectedMax)                                        \
    do {                                                                                       \
        const QPair<double, double> range_ = (actual);                                         \
        QCOMPARE(range_.first, double(expectedMin));                                           \
        QCOMPARE(range_.second, double(expectedMax));                                          \
    } while (false)

class TestDrawingTool : public QObject
{
    Q_OBJECT

private slots:
    void rangeRequestsAreClamped_data();
    void rangeRequestsAreClamped();

    void derivedValuesFollowLimitsAndRanges_data();
    void derivedValuesFollowLimitsAndRanges();

    void pressureMapping_data();
    void pressureMapping();

    void limitsAreClampedAndReapplyTheRange_data();
    void limitsAreClampedAndReapplyTheRange();

    void oneStepDownAndUpRestoresTheRange_data();
    void oneStepDownAndUpRestoresTheRange();
    void runsOfStepsUndoEachOtherPastTheClamp_data();
    void runsOfStepsUndoEachOtherPastTheClamp();
    void stepsStopAtTheEnds_data();
    void stepsStopAtTheEnds();
    void directSettingEndsTheWorkingRange_data();
    void directSettingEndsTheWorkingRange();

    void opacityChangesLeaveTheCursorAlone();

    void names_data();
    void names();

    void cloneCopiesSettingsButNotWorkingRange();
};

void TestDrawingTool::rangeRequestsAreClamped_data()
{
    QTest::addColumn<Range>("range");
    QTest::addColumn<double>("min");
    QTest::addColumn<double>("max");
    QTest::addColumn<double>("expectedMin");
    QTest::addColumn<double>("expectedMax");

    const double nan = std::numeric_limits<double>::quiet_NaN();
    struct Row { const char* name; double min, max, expectedMin, expectedMax; };
    const Row rows[] = {
        {"120 to 150", 120, 150, 100, 100},
        {"50 to 20", 50, 20, 20, 20},
        {"-5 to 30", -5, 30, 0, 30},
        {"inside", 12.5, 47.25, 12.5, 47.25},
        {"not a number", nan, nan, 0, 0},
    };
    for (const Row& row : rows)
        addRangeRows(row.name, [&](const QByteArray& name, Range range) {
            QTest::newRow(name.constData())
                << range << row.min << row.max << row.expectedMin << row.expectedMax;
        });
}

void TestDrawingTool::rangeRequestsAreClamped()
{
    QFETCH(Range, range);
    QFETCH(double, min);
    QFETCH(double, max);
    QFETCH(double, expectedMin);
    QFETCH(double, expectedMax);

    PenTool tool(Tool::Marker);
    QSignalSpy spy(&tool, signalOf(range));
    setRange(tool, range, min, max);

    COMPARE_RANGE(applied(tool, range), expectedMin, expectedMax);
    QCOMPARE(spy.count(), 1);
    QCOMPARE(spy.at(0).at(0).toString(), QStringLiteral("Marker"));
    QCOMPARE(spy.at(0).at(1).toDouble(), expectedMin);
    QCOMPARE(spy.at(0).at(2).toDouble(), expectedMax);
}

void TestDrawingTool::derivedValuesFollowLimitsAndRanges_data()
{
    QTest::addColumn<double>("lowerLimit");
    QTest::addColumn<double>("upperLimit");
    QTest::addColumn<double>("min");
    QTest::addColumn<double>("max");
    QTest::addColumn<Range>("range");
    QTest::addColumn<double>("expectedMinimum");
    QTest::addColumn<double>("expectedRange");

    // Size gives radii: half the diameter at the lower end, half the span.
    QTest::newRow("size: pencil 0.5-45, 5-12.31 %")
        << 0.5 << 45.0 << 5.0 << 12.31 << Range::Size << 1.3625 << 1.626475;
    QTest::newRow("size: full range of the widest limits")
        << 0.5 << 180.0 << 0.0 << 100.0 << Range::Size << 0.25 << 89.75;
    QTest::newRow("size: kneaded 10-135, 0-24.1 %")
        << 10.0 << 135.0 << 0.0 << 24.1 << Range::Size << 5.0 << 15.0625;
    QTest::newRow("opacity: pencil 0-0.75, 2-56 %")
        << 0.0 << 0.75 << 2.0 << 56.0 << Range::Opacity << 0.015 << 0.405;
    QTest::newRow("opacity: marker 0.1-1, 5-80 %")
        << 0.1 << 1.0 << 5.0 << 80.0 << Range::Opacity << 0.145 << 0.675;
    QTest::newRow("opacity: brush 0.5-1, 100-100 %")
        << 0.5 << 1.0 << 100.0 << 100.0 << Range::Opacity << 1.0 << 0.0;
}

void TestDrawingTool::derivedValuesFollowLimitsAndRanges()
{
    QFETCH(double, lowerLimit);
    QFETCH(double, upperLimit);
    QFETCH(double, min);
    QFETCH(double, max);
    QFETCH(Range, range);
    QFETCH(double, expectedMinimum);
    QFETCH(double, expectedRange);

    PenTool tool(Tool::Pencil);
    if (range == Range::Size) {
        tool.setSizeRangeLimits(lowerLimit, upperLimit);
        tool.setSizeRangePercent(min, max);
        QCOMPARE(tool.minimumWidth(), expectedMinimum);
        QCOMPARE(tool.widthRange(), expectedRange);
    } else {
        tool.setOpacityRangeLimits(lowerLimit, upperLimit);
        tool.setOpacityRangePercent(min, max);
        QCOMPARE(tool.minimumOpacity(), expectedMinimum);
        QCOMPARE(tool.opacityRange(), expectedRange);
    }

    // Setting the range first and the limits after gives the same values.
    PenTool other(Tool::Pencil);
    if (range == Range::Size) {
        other.setSizeRangePercent(min, max);
        other.setSizeRangeLimits(lowerLimit, upperLimit);
        QCOMPARE(other.minimumWidth(), tool.minimumWidth());
        QCOMPARE(other.widthRange(), tool.widthRange());
    } else {
        other.setOpacityRangePercent(min, max);
        other.setOpacityRangeLimits(lowerLimit, upperLimit);
        QCOMPARE(other.minimumOpacity(), tool.minimumOpacity());
        QCOMPARE(other.opacityRange(), tool.opacityRange());
    }
}

void TestDrawingTool::pressureMapping_data()
{
    QTest::addColumn<double>("pressure");
    QTest::addColumn<double>("radius");
    QTest::addColumn<double>("opacity");

    // Pencil: size 5-12.31 % of 0.5-45 (radius 1.3625 plus up to 1.626475),
    // opacity 2-56 % of 0-0.75 (0.015 plus up to 0.405).
    QTest::newRow("no pressure") << 0.0 << 1.3625 << 0.015;
    QTest::newRow("half (mouse): 9/99 of the width range")
        << 0.5 << 1.3625 + 1.626475 * 9.0 / 99.0 << 0.2175;
    QTest::newRow("full pressure") << 1.0 << 2.988975 << 0.42;
}

void TestDrawingTool::pressureMapping()
{
    QFETCH(double, pressure);
    QFETCH(double, radius);
    QFETCH(double, opacity);

    PenTool tool(Tool::Pencil);
    tool.setSizeRangeLimits(0.5, 45.0);
    tool.setOpacityRangeLimits(0.0, 0.75);
    tool.setSizeRangePercent(5.0, 12.31);
    tool.setOpacityRangePercent(2.0, 56.0);

    QCOMPARE(tool.radiusAtPressure(pressure), radius);
    QCOMPARE(tool.opacityAtPressure(pressure), opacity);
}

void TestDrawingTool::limitsAreClampedAndReapplyTheRange_data()
{
    QTest::addColumn<Range>("range");
    QTest::addColumn<double>("lower");
    QTest::addColumn<double>("upper");
    QTest::addColumn<double>("expectedLower");
    QTest::addColumn<double>("expectedUpper");
    QTest::addColumn<double>("expectedMinimum"); // with the range at 20-60 %

    QTest::newRow("size: too wide") << Range::Size << 0.0 << 200.0 << 0.5 << 180.0 << 18.2;
    QTest::newRow("size: crossed") << Range::Size << 50.0 << 20.0 << 20.0 << 20.0 << 10.0;
    QTest::newRow("size: both below") << Range::Size << -3.0 << 0.0 << 0.5 << 0.5 << 0.25;
    QTest::newRow("size: inside") << Range::Size << 10.0 << 135.0 << 10.0 << 135.0 << 17.5;
    QTest::newRow("opacity: too wide") << Range::Opacity << -1.0 << 2.0 << 0.0 << 1.0 << 0.2;
    QTest::newRow("opacity: crossed") << Range::Opacity << 0.8 << 0.3 << 0.3 << 0.3 << 0.3;
    QTest::newRow("opacity: inside") << Range::Opacity << 0.25 << 1.0 << 0.25 << 1.0 << 0.4;
}

void TestDrawingTool::limitsAreClampedAndReapplyTheRange()
{
    QFETCH(Range, range);
    QFETCH(double, lower);
    QFETCH(double, upper);
    QFETCH(double, expectedLower);
    QFETCH(double, expectedUpper);
    QFETCH(double, expectedMinimum);

    EraserTool tool(Tool::Vinyl);
    setRange(tool, range, 20.0, 60.0);
    QSignalSpy spy(&tool, signalOf(range));

    if (range == Range::Size) {
        tool.setSizeRangeLimits(lower, upper);
        QCOMPARE(tool.sizeLowerLimit(), expectedLower);
        QCOMPARE(tool.sizeUpperLimit(), expectedUpper);
        QCOMPARE(tool.minimumWidth(), expectedMinimum);
    } else {
        tool.setOpacityRangeLimits(lower, upper);
        QCOMPARE(tool.opacityLowerLimit(), expectedLower);
        QCOMPARE(tool.opacityUpperLimit(), expectedUpper);
        QCOMPARE(tool.minimumOpacity(), expectedMinimum);
    }
    // The percent range itself is kept and announced again.
    COMPARE_RANGE(applied(tool, range), 20.0, 60.0);
    QCOMPARE(spy.count(), 1);
    QCOMPARE(spy.at(0).at(0).toString(), QStringLiteral("VinylEraser"));
}

void TestDrawingTool::oneStepDownAndUpRestoresTheRange_data()
{
    QTest::addColumn<Range>("range");
    QTest::newRow("size") << Range::Size;
    QTest::newRow("opacity") << Range::Opacity;
}

void TestDrawingTool::oneStepDownAndUpRestoresTheRange()
{
    QFETCH(Range, range);

    PenTool tool(Tool::Brush);
    setRange(tool, range, 0.0, 100.0);
    QSignalSpy spy(&tool, signalOf(range));

    step(tool, range, false);
    QVERIFY(workingActive(tool, range));
    COMPARE_RANGE(working(tool, range), -0.8, 79.2);
    COMPARE_RANGE(applied(tool, range), 0.0, 79.2);
    QCOMPARE(spy.count(), 1);
    QCOMPARE(spy.last().at(2).toDouble(), 79.2);

    step(tool, range, true);
    COMPARE_RANGE(working(tool, range), 0.0, 100.0);
    COMPARE_RANGE(applied(tool, range), 0.0, 100.0);
    QCOMPARE(spy.count(), 2);
}

void TestDrawingTool::runsOfStepsUndoEachOtherPastTheClamp_data()
{
    oneStepDownAndUpRestoresTheRange_data();
}

void TestDrawingTool::runsOfStepsUndoEachOtherPastTheClamp()
{
    QFETCH(Range, range);

    PenTool tool(Tool::Pencil);
    setRange(tool, range, 5.0, 12.31);
    for (int i = 0; i < 6; ++i)
        step(tool, range, false);
    // The lower end has been clamped to 0 for three steps; the working range
    // kept going below it.
    QCOMPARE(applied(tool, range).first, 0.0);
    QVERIFY(working(tool, range).first < -1.5);
    QVERIFY(working(tool, range).second > 0.0);

    for (int i = 0; i < 6; ++i)
        step(tool, range, true);
    COMPARE_RANGE(applied(tool, range), 5.0, 12.31);
}

void TestDrawingTool::stepsStopAtTheEnds_data()
{
    QTest::addColumn<Range>("range");
    QTest::addColumn<double>("end");
    QTest::addColumn<bool>("grow");

    QTest::newRow("size: shrinking at 0") << Range::Size << 0.0 << false;
    QTest::newRow("size: growing at 100") << Range::Size << 100.0 << true;
    QTest::newRow("opacity: shrinking at 0") << Range::Opacity << 0.0 << false;
    QTest::newRow("opacity: growing at 100") << Range::Opacity << 100.0 << true;
}

void TestDrawingTool::stepsStopAtTheEnds()
{
    QFETCH(Range, range);
    QFETCH(double, end);
    QFETCH(bool, grow);

    PenTool tool(Tool::Pencil);
    setRange(tool, range, end, end);
    step(tool, range, grow);
    step(tool, range, grow);
    COMPARE_RANGE(working(tool, range), end, end);
    COMPARE_RANGE(applied(tool, range), end, end);
    QVERIFY(workingActive(tool, range));

    // Shrinking from the full range stops once the working upper end is at or
    // below 0, and the same number of steps back gives the full range again.
    setRange(tool, range, 0.0, 100.0);
    int steps = 0;
    while (working(tool, range).second > 0.0 && steps < 100) {
        step(tool, range, false);
        ++steps;
    }
    QVERIFY(steps > 1 && steps < 100);
    const auto stopped = working(tool, range);
    step(tool, range, false);
    QCOMPARE(working(tool, range), stopped);
    for (int i = 0; i < steps; ++i)
        step(tool, range, true);
    COMPARE_RANGE(applied(tool, range), 0.0, 100.0);
}

void TestDrawingTool::directSettingEndsTheWorkingRange_data()
{
    oneStepDownAndUpRestoresTheRange_data();
}

void TestDrawingTool::directSettingEndsTheWorkingRange()
{
    QFETCH(Range, range);

    EraserTool tool(Tool::Rubber);
    if (range == Range::Size)
        tool.setIncDecSizeRangePercent(-10.0, 120.0);
    else
        tool.setIncDecOpacityRangePercent(-10.0, 120.0);
    QVERIFY(workingActive(tool, range));
    COMPARE_RANGE(working(tool, range), -10.0, 120.0);
    COMPARE_RANGE(applied(tool, range), 0.0, 100.0);

    // A step continues from the working range, not from the clamped one.
    step(tool, range, false);
    COMPARE_RANGE(working(tool, range), -8.8, 95.2);

    setRange(tool, range, 30.0, 40.0);
    QVERIFY(!workingActive(tool, range));
    COMPARE_RANGE(working(tool, range), 30.0, 40.0);
    step(tool, range, true);
    COMPARE_RANGE(working(tool, range), 38.5, 51.0);
}

void TestDrawingTool::opacityChangesLeaveTheCursorAlone()
{
    PenTool tool(Tool::Pencil);
    QSignalSpy cursorSpy(&tool, &Tool::cursorChanged);
    tool.setOpacityRangePercent(10.0, 20.0);
    tool.setOpacityRangeLimits(0.1, 0.9);
    tool.increaseOpacityRange();
    QCOMPARE(cursorSpy.count(), 0);

    tool.setSizeRangePercent(10.0, 20.0);
    tool.increaseSizeRange();
    tool.setSizeRangeLimits(1.0, 20.0);
    QCOMPARE(cursorSpy.count(), 3);
}

void TestDrawingTool::names_data()
{
    QTest::addColumn<bool>("isPen");
    QTest::addColumn<int>("kind");
    QTest::addColumn<QString>("displayName");
    QTest::addColumn<QString>("settingsName");

    QTest::newRow("pencil") << true << 0 << "Pencil" << "Pencil";
    QTest::newRow("marker") << true << 1 << "Marker" << "Marker";
    QTest::newRow("brush") << true << 2 << "Brush" << "Brush";
    QTest::newRow("unknown pen") << true << 3 << QString() << QString();
    QTest::newRow("kneaded") << false << 0 << "Kneaded Eraser" << "KneadedEraser";
    QTest::newRow("rubber") << false << 1 << "Rubber Eraser" << "RubberEraser";
    QTest::newRow("vinyl") << false << 2 << "Vinyl Eraser" << "VinylEraser";
    // The enumerations hold 0 to 3; a value outside that would be undefined.
    QTest::newRow("unknown eraser") << false << 3 << QString() << QString();
}

void TestDrawingTool::names()
{
    QFETCH(bool, isPen);
    QFETCH(int, kind);
    QFETCH(QString, displayName);
    QFETCH(QString, settingsName);

    std::unique_ptr<DrawingTool> tool;
    if (isPen)
        tool = std::make_unique<PenTool>(static_cast<Tool::PenType>(kind));
    else
        tool = std::make_unique<EraserTool>(static_cast<Tool::EraserType>(kind));

    QCOMPARE(tool->type(), isPen ? Tool::Draw : Tool::Erase);
    QCOMPARE(tool->displayName(), displayName);
    QCOMPARE(tool->settingsName(), settingsName);
}

void TestDrawingTool::cloneCopiesSettingsButNotWorkingRange()
{
    QObject owner;
    auto* tool = new EraserTool(Tool::Kneaded, &owner);
    tool->setState(Tool::LayerNotVisible);
    tool->setSizeRangeLimits(10.0, 135.0);
    tool->setOpacityRangeLimits(0.0, 0.75);
    tool->setSizeRangePercent(0.0, 24.1);
    tool->setOpacityRangePercent(10.0, 100.0);
    tool->decreaseSizeRange();
    tool->increaseOpacityRange();

    std::unique_ptr<Tool> copy(tool->clone());
    auto* eraser = qobject_cast<EraserTool*>(copy.get());
    QVERIFY(eraser);
    QCOMPARE(eraser->parent(), &owner);
    QCOMPARE(eraser->type(), Tool::Erase);
    QCOMPARE(eraser->state(), Tool::Usable);
    QCOMPARE(eraser->eraserType(), Tool::Kneaded);
    QCOMPARE(eraser->sizeLowerLimit(), 10.0);
    QCOMPARE(eraser->sizeUpperLimit(), 135.0);
    QCOMPARE(eraser->opacityUpperLimit(), 0.75);
    QCOMPARE(eraser->sizeMinPercent(), tool->sizeMinPercent());
    QCOMPARE(eraser->sizeMaxPercent(), tool->sizeMaxPercent());
    QCOMPARE(eraser->opacityMinPercent(), tool->opacityMinPercent());
    QCOMPARE(eraser->opacityMaxPercent(), tool->opacityMaxPercent());
    QCOMPARE(eraser->minimumWidth(), tool->minimumWidth());
    QCOMPARE(eraser->widthRange(), tool->widthRange());
    QCOMPARE(eraser->minimumOpacity(), tool->minimumOpacity());
    QCOMPARE(eraser->opacityRange(), tool->opacityRange());

    // The original's working ranges stay its own.
    QVERIFY(tool->isIncDecSizeActive() && tool->isIncDecOpacityActive());
    QVERIFY(!eraser->isIncDecSizeActive() && !eraser->isIncDecOpacityActive());
    QCOMPARE(eraser->incDecSizeMinPercent(), eraser->sizeMinPercent());
    QCOMPARE(eraser->incDecOpacityMaxPercent(), eraser->opacityMaxPercent());
    // The original stepped its working range from (0, 24.1) to (-0.8, 18.48);
    // the clone steps from the applied (0, 18.48), so its lower end moves off 0.
    COMPARE_RANGE(qMakePair(tool->incDecSizeMinPercent(), tool->incDecSizeMaxPercent()), -0.8, 18.48);
    eraser->increaseSizeRange();
    COMPARE_RANGE(qMakePair(eraser->incDecSizeMinPercent(), eraser->incDecSizeMaxPercent()), 1.0, 24.1);

    std::unique_ptr<Tool> pen(PenTool(Tool::Marker, &owner).clone());
    QCOMPARE(qobject_cast<PenTool*>(pen.get())->penType(), Tool::Marker);
}

QUILLMERE_TEST_MAIN(TestDrawingTool)
#include "tst_drawingtool.moc"
