#include "TestSupport.h"

#include "settings/Settings.h"
#include "tools/Cursor.h"
#include "tools/EraserTool.h"
#include "tools/PenTool.h"
#include "tools/ScrubbingTool.h"
#include "tools/ToolManager.h"

#include <QElapsedTimer>
#include <QFileInfo>
#include <QGuiApplication>
#include <QRegularExpression>
#include <QSettings>
#include <QSignalSpy>
#include <QStringList>

#include <cmath>
#include <limits>
#include <memory>

using Model::DrawingTool;
using Model::Tool;
using Model::ToolManager;

namespace {

struct Ranges
{
    double sizeMin;
    double sizeMax;
    double opacityMin;
    double opacityMax;
};

Ranges rangesOf(const DrawingTool* tool)
{
    return {tool->sizeMinPercent(), tool->sizeMaxPercent(), tool->opacityMinPercent(),
            tool->opacityMaxPercent()};
}

// The stored ranges of a tool and preset, read straight from the store;
// NaN where a key is missing.
Ranges storedRanges(const QString& toolName, const QString& presetGroup = QString())
{
    QSettings settings;
    QString group = QStringLiteral("Preferences/Tools/") + toolName + QLatin1Char('/');
    if (!presetGroup.isEmpty())
        group += presetGroup + QLatin1Char('/');
    const double nan = std::numeric_limits<double>::quiet_NaN();
    const auto read = [&](const char* key) {
        const QVariant value = settings.value(group + QLatin1String(key));
        return value.isValid() ? value.toDouble() : nan;
    };
    return {read("SizeRangeLowerPercent"), read("SizeRangeUpperPercent"),
            read("OpacityRangeLowerPercent"), read("OpacityRangeUpperPercent")};
}

QStringList toolKeys()
{
    QSettings settings;
    settings.beginGroup(QStringLiteral("Preferences/Tools"));
    return settings.allKeys();
}

QImage imageOf(const QCursor& cursor)
{
    return cursor.pixmap().toImage().convertToFormat(QImage::Format_ARGB32);
}

} // namespace

#define COMPARE_RANGES(actual, expectedSizeMin, expectedSizeMax, expectedOpacityMin,           \
                       expectedOpacityMax)                                                     \
    do {                                                                                       \
        const Ranges r_ = (actual);                                                            \
        QCOMPARE(r_.sizeMin, double(expectedSizeMin));                                         \
        QCOMPARE(r_.sizeMax, double(expectedSizeMax));                                         \
        QCOMPARE(r_.opacityMin, double(expectedOpacityMin));                                   \
        QCOMPARE(r_.opacityMax, double(expectedOpacityMax));                                   \
    } while (false)

class TestToolManager : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void init();

    void freshStoreGivesBuiltInRangesAndWritesNothing_data();
    void freshStoreGivesBuiltInRangesAndWritesNothing();
    void toolsByType();
    void scribbleTools();

    void settingTheCurrentToolAnnouncesChanges();
    void lastToolsFollowTheirSets_data();
    void lastToolsFollowTheirSets();
    void scrubbingAnnouncesNoCursor();
    void setLastDrawingToolOnlyBetweenDrawings();
    void toggleDrawErase();

    void penTypeSwapReplacesTheCurrentPenInPlace();
    void eraserTypeSwapReplacesTheCurrentEraser();
    void swapWhileAnotherToolIsCurrent();

    void rangesOfTheCurrentDrawingToolAreWrittenAtOnce();
    void presetsRoundTripThroughTheSettingsFile();
    void presetWithoutItsOwnGroupReadsTheDefaultKeys();
    void resetWritesEveryPresetWithBuiltInValues();

    void sizeStepsShrinkAndGrow_data();
    void sizeStepsShrinkAndGrow();
    void sizeStepsShowOneOverrideCursorForHalfASecond();

    void zoomAndDevicePixelRatioRepaintCursors();
};

void TestToolManager::initTestCase()
{
    Model::Settings::instance()->setDrawCursorType(KW::DrawCursorType::AdaptToSize);
}

void TestToolManager::init()
{
    TestSupport::clearSettings();
    Tool::m_zoomLevel = 1.0;
    Model::Cursor::setDevicePixelRatio(1.0);
    Model::Cursor::initStaticCursors();
}

void TestToolManager::freshStoreGivesBuiltInRangesAndWritesNothing_data()
{
    QTest::addColumn<QString>("tool");
    QTest::addColumn<double>("sizeLower");
    QTest::addColumn<double>("sizeUpper");
    QTest::addColumn<double>("opacityLower");
    QTest::addColumn<double>("opacityUpper");
    QTest::addColumn<double>("sizeMin");
    QTest::addColumn<double>("sizeMax");
    QTest::addColumn<double>("opacityMin");
    QTest::addColumn<double>("opacityMax");

    QTest::newRow("Pencil") << "Pencil" << 0.5 << 45.0 << 0.0 << 0.75 << 5.0 << 12.31 << 2.0
                            << 56.0;
    QTest::newRow("Marker") << "Marker" << 0.5 << 90.0 << 0.1 << 1.0 << 2.33 << 4.33 << 5.0
                            << 80.0;
    QTest::newRow("Brush") << "Brush" << 0.5 << 180.0 << 0.5 << 1.0 << 0.0 << 6.67 << 100.0
                           << 100.0;
    QTest::newRow("KneadedEraser") << "KneadedEraser" << 10.0 << 135.0 << 0.0 << 0.75 << 0.0
                                   << 24.1 << 10.0 << 100.0;
    QTest::newRow("RubberEraser") << "RubberEraser" << 0.5 << 90.0 << 0.25 << 1.0 << 1.67
                                  << 22.05 << 100.0 << 100.0;
    QTest::newRow("VinylEraser") << "VinylEraser" << 30.0 << 180.0 << 0.5 << 1.0 << 5.0 << 47.18
                                 << 100.0 << 100.0;
}

void TestToolManager::freshStoreGivesBuiltInRangesAndWritesNothing()
{
    QFETCH(QString, tool);
    QFETCH(double, sizeLower);
    QFETCH(double, sizeUpper);
    QFETCH(double, opacityLower);
    QFETCH(double, opacityUpper);
    QFETCH(double, sizeMin);
    QFETCH(double, sizeMax);
    QFETCH(double, opacityMin);
    QFETCH(double, opacityMax);

    ToolManager manager;
    manager.init();
    const DrawingTool* drawingTool = nullptr;
    for (int i = 0; i < 3; ++i) {
        if (manager.penTool(Tool::PenType(i))->settingsName() == tool)
            drawingTool = manager.penTool(Tool::PenType(i));
        if (manager.eraserTool(Tool::EraserType(i))->settingsName() == tool)
            drawingTool = manager.eraserTool(Tool::EraserType(i));
    }
    QVERIFY(drawingTool);
    QCOMPARE(drawingTool->parent(), &manager);
    QCOMPARE(drawingTool->sizeLowerLimit(), sizeLower);
    QCOMPARE(drawingTool->sizeUpperLimit(), sizeUpper);
    QCOMPARE(drawingTool->opacityLowerLimit(), opacityLower);
    QCOMPARE(drawingTool->opacityUpperLimit(), opacityUpper);
    COMPARE_RANGES(rangesOf(drawingTool), sizeMin, sizeMax, opacityMin, opacityMax);

    QVERIFY(toolKeys().isEmpty());
    QCOMPARE(manager.currentToolType(), Tool::NoTool);
    QCOMPARE(manager.currentToolState(), Tool::Usable);
    QCOMPARE(manager.currentPenToolType(), Tool::Pencil);
    QCOMPARE(manager.currentEraserToolType(), Tool::Rubber);
}

void TestToolManager::toolsByType()
{
    ToolManager manager;
    manager.init();
    QCOMPARE(manager.tool(Tool::Draw), manager.penTool(Tool::Pencil));
    QCOMPARE(manager.tool(Tool::Erase), manager.eraserTool(Tool::Rubber));
    for (int type = Tool::Hand; type <= Tool::PenAdjustment; ++type) {
        Tool* tool = manager.tool(Tool::Type(type));
        QVERIFY(tool);
        QCOMPARE(int(tool->type()), type);
        QCOMPARE(tool->parent(), &manager);
    }
    QCOMPARE(manager.tool(Tool::NoTool), nullptr);

    QTest::ignoreMessage(QtWarningMsg, "Tool *Model::ToolManager::tool(Tool::Type) const It "
                                       "seems a new tool added but not listed here");
    QCOMPARE(manager.tool(Tool::Type(40)), nullptr);

    // An unknown type leaves no current tool behind.
    QTest::ignoreMessage(QtWarningMsg, "Tool *Model::ToolManager::tool(Tool::Type) const It "
                                       "seems a new tool added but not listed here");
    manager.setCurrentTool(Tool::Type(40), Tool::Usable);
    QCOMPARE(manager.currentToolType(), Tool::NoTool);
    QVERIFY(!manager.isDrawingTool());
}

void TestToolManager::scribbleTools()
{
    ToolManager manager;
    manager.init();
    auto* pen = qobject_cast<Model::PenTool*>(manager.scribbleTool(Tool::Draw));
    auto* eraser = qobject_cast<Model::EraserTool*>(manager.scribbleTool(Tool::Erase));
    QVERIFY(pen);
    QVERIFY(eraser);
    QCOMPARE(pen->penType(), Tool::Marker);
    QVERIFY(pen != manager.penTool(Tool::Marker));
    QCOMPARE(eraser->eraserType(), Tool::Rubber);
    QVERIFY(eraser != manager.eraserTool(Tool::Rubber));
    QCOMPARE(pen->minimumWidth(), 1.5);
    QCOMPARE(pen->widthRange(), 1.5);
    QCOMPARE(pen->minimumOpacity(), 0.1);
    QCOMPARE(pen->opacityRange(), 0.9);
    QCOMPARE(eraser->minimumWidth(), 5.0);
    QCOMPARE(eraser->widthRange(), 10.0);
    QCOMPARE(eraser->minimumOpacity(), 1.0);
    QCOMPARE(eraser->opacityRange(), 0.0);

    QTest::ignoreMessage(QtWarningMsg, "Tool *Model::ToolManager::scribbleTool(Tool::Type) const "
                                       "scribbleTool() should always be a DrawingTool");
    QCOMPARE(manager.scribbleTool(Tool::Hand), nullptr);

    // The annotation tools are never stored.
    pen->setSizeRangePercent(10.0, 20.0);
    QVERIFY(toolKeys().isEmpty());
}

void TestToolManager::settingTheCurrentToolAnnouncesChanges()
{
    ToolManager manager;
    manager.init();
    QSignalSpy typeSpy(&manager, &ToolManager::currentToolTypeChanged);
    QSignalSpy cursorSpy(&manager, &ToolManager::cursorChanged);

    // No tool and a request for none: nothing at all.
    manager.setCurrentTool(Tool::NoTool, Tool::Usable);
    QCOMPARE(typeSpy.count(), 0);

    manager.setCurrentTool(Tool::Draw, Tool::Usable);
    manager.setCurrentTool(Tool::Draw, Tool::Usable);
    QCOMPARE(typeSpy.count(), 1);
    QCOMPARE(typeSpy.at(0).at(0).value<Tool::Type>(), Tool::Draw);
    QCOMPARE(typeSpy.at(0).at(1).value<Tool::Type>(), Tool::NoTool);
    QCOMPARE(cursorSpy.count(), 1);
    QCOMPARE(cursorSpy.at(0).at(0).value<QCursor>().shape(), Qt::BitmapCursor);

    manager.setCurrentTool(Tool::Draw, Tool::Forbidden);
    QCOMPARE(typeSpy.count(), 2);
    QCOMPARE(typeSpy.at(1).at(0).value<Tool::Type>(), Tool::Draw);
    QCOMPARE(typeSpy.at(1).at(1).value<Tool::Type>(), Tool::Draw);
    QCOMPARE(manager.currentToolState(), Tool::Forbidden);
    QVERIFY(cursorSpy.last().at(0).value<QCursor>() == Model::Cursor::m_cursorForbidden);
    QVERIFY(manager.cursor() == Model::Cursor::m_cursorForbidden);
    QVERIFY(manager.property("cursor").value<QCursor>() == Model::Cursor::m_cursorForbidden);
    QCOMPARE(manager.property("currentToolType").value<Tool::Type>(), Tool::Draw);

    manager.setCurrentTool(Tool::NoTool, Tool::Usable);
    QCOMPARE(typeSpy.count(), 3);
    QCOMPARE(typeSpy.last().at(1).value<Tool::Type>(), Tool::Draw);
    QCOMPARE(manager.currentToolType(), Tool::NoTool);
    QCOMPARE(manager.cursor().shape(), Qt::ArrowCursor);

    // Cursor changes of a tool that is no longer current are not forwarded.
    const int cursorsSoFar = cursorSpy.count();
    manager.penTool(Tool::Pencil)->setSizeRangePercent(1.0, 2.0);
    QCOMPARE(cursorSpy.count(), cursorsSoFar);
    manager.setCurrentTool(Tool::Hand, Tool::Usable);
    manager.penTool(Tool::Pencil)->setSizeRangePercent(3.0, 4.0);
    QCOMPARE(cursorSpy.count(), cursorsSoFar + 1);
}

void TestToolManager::lastToolsFollowTheirSets_data()
{
    QTest::addColumn<int>("type");
    QTest::addColumn<int>("lastDrawing");
    QTest::addColumn<int>("lastPrimary");
    QTest::addColumn<int>("lastUndo");

    // Starting from Draw: all three are Draw.
    QTest::newRow("Lasso") << int(Tool::Lasso) << 0 << int(Tool::Lasso) << 0;
    QTest::newRow("Cutter") << int(Tool::Cutter) << 0 << int(Tool::Cutter) << 0;
    QTest::newRow("FloatingSelection") << int(Tool::FloatingSelection) << 0
                                       << int(Tool::FloatingSelection)
                                       << int(Tool::FloatingSelection);
    QTest::newRow("Hand") << int(Tool::Hand) << 0 << 0 << 0;
    QTest::newRow("ZPR") << int(Tool::ZPR) << 0 << 0 << 0;
    QTest::newRow("PenAdjustment") << int(Tool::PenAdjustment) << 0 << 0 << 0;
    QTest::newRow("Erase") << int(Tool::Erase) << int(Tool::Erase) << int(Tool::Erase)
                           << int(Tool::Erase);
}

void TestToolManager::lastToolsFollowTheirSets()
{
    QFETCH(int, type);
    QFETCH(int, lastDrawing);
    QFETCH(int, lastPrimary);
    QFETCH(int, lastUndo);

    ToolManager manager;
    manager.init();
    QCOMPARE(manager.lastDrawingToolType(), Tool::NoTool);
    QCOMPARE(manager.lastDrawingTool(), nullptr);
    manager.setCurrentTool(Tool::Draw, Tool::Usable);
    manager.setCurrentTool(Tool::Type(type), Tool::Usable);
    QCOMPARE(int(manager.currentToolType()), type);
    QCOMPARE(int(manager.lastDrawingToolType()), lastDrawing);
    QCOMPARE(int(manager.lastPrimaryToolType()), lastPrimary);
    QCOMPARE(int(manager.lastUndoToolType()), lastUndo);
    DrawingTool* const expectedLast = lastDrawing == Tool::Erase
                                          ? static_cast<DrawingTool*>(manager.eraserTool(Tool::Rubber))
                                          : manager.penTool(Tool::Pencil);
    QCOMPARE(manager.lastDrawingTool(), expectedLast);
    QCOMPARE(manager.isPrimaryTool(), Tool::isPrimaryType(Tool::Type(type)));
    QCOMPARE(manager.isUndoTool(), Tool::isUndoType(Tool::Type(type)));
    QCOMPARE(manager.isLassoingTool(), Tool::isLassoingType(Tool::Type(type)));
    QCOMPARE(manager.isDrawingTool(), Tool::isDrawingType(Tool::Type(type)));
}

void TestToolManager::scrubbingAnnouncesNoCursor()
{
    ToolManager manager;
    manager.init();
    QSignalSpy cursorSpy(&manager, &ToolManager::cursorChanged);
    QSignalSpy typeSpy(&manager, &ToolManager::currentToolTypeChanged);
    manager.setCurrentTool(Tool::Scrubbing, Tool::Usable);
    QCOMPARE(typeSpy.count(), 1);
    QCOMPARE(cursorSpy.count(), 0);
    manager.setCurrentTool(Tool::Lasso, Tool::LayerNotVisible);
    QCOMPARE(cursorSpy.count(), 1);
    QVERIFY(cursorSpy.at(0).at(0).value<QCursor>() == Model::Cursor::m_cursorLayerNotVisible);
}

void TestToolManager::setLastDrawingToolOnlyBetweenDrawings()
{
    ToolManager manager;
    manager.init();
    manager.setCurrentTool(Tool::Hand, Tool::Usable);
    manager.setLastDrawingTool(Tool::Erase);
    QCOMPARE(manager.lastDrawingToolType(), Tool::Erase);
    QCOMPARE(manager.lastDrawingTool(), manager.eraserTool(Tool::Rubber));
    manager.setLastDrawingTool(Tool::Lasso);
    QCOMPARE(manager.lastDrawingToolType(), Tool::Erase);

    manager.setCurrentTool(Tool::Draw, Tool::Usable);
    manager.setLastDrawingTool(Tool::Erase);
    QCOMPARE(manager.lastDrawingToolType(), Tool::Draw);
}

void TestToolManager::toggleDrawErase()
{
    ToolManager manager;
    manager.init();
    manager.toggleDrawErase();
    QCOMPARE(manager.currentToolType(), Tool::NoTool);

    manager.setCurrentTool(Tool::Draw, Tool::Forbidden);
    manager.toggleDrawErase();
    QCOMPARE(manager.currentToolType(), Tool::Erase);
    QCOMPARE(manager.currentToolState(), Tool::Usable);
    manager.toggleDrawErase();
    QCOMPARE(manager.currentToolType(), Tool::Draw);

    manager.setCurrentTool(Tool::Zoom, Tool::Usable);
    manager.toggleDrawErase();
    QCOMPARE(manager.currentToolType(), Tool::Zoom);
}

void TestToolManager::penTypeSwapReplacesTheCurrentPenInPlace()
{
    ToolManager manager;
    manager.init();
    manager.setCurrentTool(Tool::Draw, Tool::LayerOpacityZero);

    QStringList order;
    connect(&manager, &ToolManager::cursorChanged, this, [&] { order << "cursor"; });
    connect(&manager, &ToolManager::currentToolTypeChanged, this,
            [&](Tool::Type current, Tool::Type previous) {
                order << QStringLiteral("type %1 %2").arg(current).arg(previous);
            });
    connect(&manager, &ToolManager::currentPenToolTypeChanged, this,
            [&](Tool::PenType current, Tool::PenType previous) {
                order << QStringLiteral("pen %1 %2").arg(current).arg(previous);
            });

    manager.setCurrentPenToolType(Tool::Brush);
    QCOMPARE(order, QStringList({"cursor", "type 0 0", "pen 2 0"}));
    QCOMPARE(manager.currentPenToolType(), Tool::Brush);
    QCOMPARE(manager.tool(Tool::Draw), manager.penTool(Tool::Brush));
    // The state describes the active layer, so the new pen takes it over.
    QCOMPARE(manager.currentToolState(), Tool::LayerOpacityZero);
    QVERIFY(manager.cursor() == Model::Cursor::m_cursorLayerOpacityZero);

    // The new pen is connected: its range changes are stored, the old pen's not.
    manager.penTool(Tool::Brush)->setSizeRangePercent(10.0, 20.0);
    manager.penTool(Tool::Pencil)->setSizeRangePercent(30.0, 40.0);
    QCOMPARE(storedRanges("Brush").sizeMax, 20.0);
    QVERIFY(std::isnan(storedRanges("Pencil").sizeMax));

    // The same type again: only the pen signal.
    order.clear();
    manager.setCurrentPenToolType(Tool::Brush);
    QCOMPARE(order, QStringList({"pen 2 2"}));

    // A type that names no pen changes nothing.
    order.clear();
    QTest::ignoreMessage(QtWarningMsg, QRegularExpression("no pen of type"));
    manager.setCurrentPenToolType(Tool::PenType(3));
    QVERIFY(order.isEmpty());
    QCOMPARE(manager.tool(Tool::Draw), manager.penTool(Tool::Brush));
}

void TestToolManager::eraserTypeSwapReplacesTheCurrentEraser()
{
    ToolManager manager;
    manager.init();
    manager.setCurrentTool(Tool::Erase, Tool::Usable);
    QSignalSpy typeSpy(&manager, &ToolManager::currentToolTypeChanged);
    QSignalSpy cursorSpy(&manager, &ToolManager::cursorChanged);
    QSignalSpy penSpy(&manager, &ToolManager::currentPenToolTypeChanged);

    manager.setCurrentEraserToolType(Tool::Vinyl);
    QCOMPARE(manager.tool(Tool::Erase), manager.eraserTool(Tool::Vinyl));
    QCOMPARE(manager.currentEraserToolType(), Tool::Vinyl);
    QCOMPARE(typeSpy.count(), 1);
    QCOMPARE(typeSpy.at(0).at(0).value<Tool::Type>(), Tool::Erase);
    QCOMPARE(typeSpy.at(0).at(1).value<Tool::Type>(), Tool::Erase);
    QCOMPARE(cursorSpy.count(), 1);
    QCOMPARE(penSpy.count(), 0);
    QCOMPARE(imageOf(manager.cursor()), imageOf(manager.eraserTool(Tool::Vinyl)->cursor()));
    QVERIFY(imageOf(manager.cursor()) != imageOf(manager.eraserTool(Tool::Rubber)->cursor()));
}

void TestToolManager::swapWhileAnotherToolIsCurrent()
{
    ToolManager manager;
    manager.init();
    manager.setCurrentTool(Tool::Hand, Tool::Usable);
    QSignalSpy typeSpy(&manager, &ToolManager::currentToolTypeChanged);
    QSignalSpy penSpy(&manager, &ToolManager::currentPenToolTypeChanged);
    manager.setCurrentPenToolType(Tool::Marker);
    manager.setCurrentEraserToolType(Tool::Kneaded);
    QCOMPARE(typeSpy.count(), 0);
    QCOMPARE(penSpy.count(), 1);
    QCOMPARE(manager.currentToolType(), Tool::Hand);

    manager.setCurrentTool(Tool::Draw, Tool::Usable);
    QCOMPARE(manager.tool(Tool::Draw), manager.penTool(Tool::Marker));
    manager.toggleDrawErase();
    QCOMPARE(manager.tool(Tool::Erase), manager.eraserTool(Tool::Kneaded));
    QCOMPARE(manager.lastDrawingTool(), manager.eraserTool(Tool::Kneaded));
}

void TestToolManager::rangesOfTheCurrentDrawingToolAreWrittenAtOnce()
{
    ToolManager manager;
    manager.init();
    manager.setCurrentTool(Tool::Erase, Tool::Usable);
    DrawingTool* eraser = manager.eraserTool(Tool::Rubber);
    eraser->setSizeRangePercent(12.5, 60.0);
    eraser->setOpacityRangePercent(40.0, 90.0);
    COMPARE_RANGES(storedRanges("RubberEraser"), 12.5, 60.0, 40.0, 90.0);

    // The slots write under the Default preset or the given one.
    manager.saveSizeRange(QStringLiteral("Marker"), 1.0, 2.0);
    manager.saveOpacityRange(QStringLiteral("Marker"), KW::ToolPreset::Preset3, 3.0, 4.0);
    QCOMPARE(storedRanges("Marker").sizeMax, 2.0);
    QCOMPARE(storedRanges("Marker", "Preset3").opacityMin, 3.0);

    // Once another tool is current, nothing more is written.
    manager.setCurrentTool(Tool::Lasso, Tool::Usable);
    eraser->setSizeRangePercent(1.0, 2.0);
    QCOMPARE(storedRanges("RubberEraser").sizeMin, 12.5);
}

void TestToolManager::presetsRoundTripThroughTheSettingsFile()
{
    {
        ToolManager manager;
        manager.init();
        DrawingTool* marker = manager.penTool(Tool::Marker);
        marker->setSizeRangePercent(7.25, 31.5);
        marker->setOpacityRangePercent(12.0, 88.75);
        manager.saveAsPreset(Tool::Marker, KW::ToolPreset::Preset2);
        marker->setSizeRangePercent(50.0, 60.0);
        marker->setOpacityRangePercent(0.0, 10.0);

        manager.loadPreset(Tool::Marker, KW::ToolPreset::Preset2);
        COMPARE_RANGES(rangesOf(marker), 7.25, 31.5, 12.0, 88.75);

        // As the current pen it also leaves its last-used ranges behind.
        manager.setCurrentPenToolType(Tool::Marker);
        manager.setCurrentTool(Tool::Draw, Tool::Usable);
        marker->setSizeRangePercent(3.5, 9.0);
        marker->setOpacityRangePercent(20.0, 70.0);
    }

    // The values are in the store's file on disk, under the tool's groups.
    QSettings().sync();
    const QString fileName = QSettings().fileName();
    QVERIFY(QFileInfo::exists(fileName));
    QSettings file(fileName, QSettings::IniFormat);
    QCOMPARE(file.value("Preferences/Tools/Marker/Preset2/SizeRangeLowerPercent").toDouble(), 7.25);
    QCOMPARE(file.value("Preferences/Tools/Marker/Preset2/OpacityRangeUpperPercent").toDouble(),
             88.75);
    QCOMPARE(file.value("Preferences/Tools/Marker/SizeRangeUpperPercent").toDouble(), 9.0);

    // A new manager starts from the last-used ranges and finds the preset.
    ToolManager next;
    next.init();
    DrawingTool* marker = next.penTool(Tool::Marker);
    COMPARE_RANGES(rangesOf(marker), 3.5, 9.0, 20.0, 70.0);
    next.loadPreset(Tool::Marker, KW::ToolPreset::Preset2);
    COMPARE_RANGES(rangesOf(marker), 7.25, 31.5, 12.0, 88.75);
    // The pencil was never touched.
    COMPARE_RANGES(rangesOf(next.penTool(Tool::Pencil)), 5.0, 12.31, 2.0, 56.0);
}

void TestToolManager::presetWithoutItsOwnGroupReadsTheDefaultKeys()
{
    ToolManager manager;
    manager.init();
    DrawingTool* pencil = manager.penTool(Tool::Pencil);

    // Nothing stored: the built-in Preset3 ranges.
    manager.loadPreset(Tool::Pencil, KW::ToolPreset::Preset3);
    COMPARE_RANGES(rangesOf(pencil), 1.17, 8.21, 3.0, 100.0);
    QVERIFY(toolKeys().isEmpty());

    // Stored Default ranges stand in for a preset without a group.
    manager.saveSizeRange(QStringLiteral("Pencil"), 7.0, 30.0);
    manager.saveOpacityRange(QStringLiteral("Pencil"), 15.0, 45.0);
    manager.loadPreset(Tool::Pencil, KW::ToolPreset::Preset3);
    COMPARE_RANGES(rangesOf(pencil), 7.0, 30.0, 15.0, 45.0);

    // Once the preset has a group of its own, that group is read.
    manager.saveSizeRange(QStringLiteral("Pencil"), KW::ToolPreset::Preset3, 2.0, 3.0);
    manager.saveOpacityRange(QStringLiteral("Pencil"), KW::ToolPreset::Preset3, 4.0, 5.0);
    manager.loadPreset(Tool::Pencil, KW::ToolPreset::Preset3);
    COMPARE_RANGES(rangesOf(pencil), 2.0, 3.0, 4.0, 5.0);
    manager.loadPreset(Tool::Pencil, KW::ToolPreset::Preset2);
    COMPARE_RANGES(rangesOf(pencil), 7.0, 30.0, 15.0, 45.0);
}

void TestToolManager::resetWritesEveryPresetWithBuiltInValues()
{
    ToolManager manager;
    manager.init();
    manager.setCurrentTool(Tool::Draw, Tool::Usable);
    for (int i = 0; i < 3; ++i) {
        manager.penTool(Tool::PenType(i))->setSizeRangePercent(60.0, 70.0);
        manager.eraserTool(Tool::EraserType(i))->setSizeRangePercent(60.0, 70.0);
    }

    manager.resetDrawingToolSettings();
    COMPARE_RANGES(storedRanges("Pencil", "Preset1"), 5.0, 12.31, 2.0, 56.0);
    COMPARE_RANGES(storedRanges("Pencil", "Preset2"), 8.72, 32.82, 2.0, 40.0);
    COMPARE_RANGES(storedRanges("Pencil", "Preset3"), 1.17, 8.21, 3.0, 100.0);
    COMPARE_RANGES(storedRanges("Pencil"), 5.0, 12.31, 2.0, 56.0);
    COMPARE_RANGES(storedRanges("Marker", "Preset1"), 2.33, 4.33, 5.0, 80.0);
    COMPARE_RANGES(storedRanges("Marker", "Preset2"), 2.83, 10.75, 67.0, 100.0);
    COMPARE_RANGES(storedRanges("Marker", "Preset3"), 1.67, 22.0, 0.0, 44.5);
    COMPARE_RANGES(storedRanges("Marker"), 2.33, 4.33, 5.0, 80.0);
    COMPARE_RANGES(storedRanges("Brush", "Preset1"), 0.0, 6.67, 100.0, 100.0);
    COMPARE_RANGES(storedRanges("Brush", "Preset2"), 0.27, 16.5, 0.0, 100.0);
    COMPARE_RANGES(storedRanges("Brush", "Preset3"), 3.07, 38.97, 80.0, 100.0);
    COMPARE_RANGES(storedRanges("Brush"), 0.0, 6.67, 100.0, 100.0);
    for (int i = 0; i < 3; ++i)
        QCOMPARE(manager.penTool(Tool::PenType(i))->sizeMinPercent(),
                 storedRanges(manager.penTool(Tool::PenType(i))->settingsName()).sizeMin);
    // The erasers are left alone by the pens' reset.
    QCOMPARE(manager.eraserTool(Tool::Vinyl)->sizeMaxPercent(), 70.0);

    manager.resetErasingToolSettings();
    COMPARE_RANGES(storedRanges("KneadedEraser"), 0.0, 24.1, 10.0, 100.0);
    COMPARE_RANGES(storedRanges("RubberEraser"), 1.67, 22.05, 100.0, 100.0);
    COMPARE_RANGES(storedRanges("VinylEraser"), 5.0, 47.18, 100.0, 100.0);
    COMPARE_RANGES(rangesOf(manager.eraserTool(Tool::Vinyl)), 5.0, 47.18, 100.0, 100.0);
    QVERIFY(std::isnan(storedRanges("VinylEraser", "Preset1").sizeMin));
}

void TestToolManager::sizeStepsShrinkAndGrow_data()
{
    QTest::addColumn<double>("startMin");
    QTest::addColumn<double>("startMax");
    QTest::addColumn<QString>("steps"); // "-" shrink, "+" grow
    QTest::addColumn<double>("workingMin");
    QTest::addColumn<double>("workingMax");
    QTest::addColumn<double>("appliedMin");
    QTest::addColumn<double>("appliedMax");

    // x -> (x + 4) x 0.8 - 4 and x -> (x + 4) x 1.25 - 4.
    QTest::newRow("shrink from full") << 0.0 << 100.0 << "-" << -0.8 << 79.2 << 0.0 << 79.2;
    QTest::newRow("shrink and grow back") << 0.0 << 100.0 << "-+" << 0.0 << 100.0 << 0.0 << 100.0;
    QTest::newRow("pencil grows twice") << 5.0 << 12.31 << "++" << 10.0625 << 21.484375
                                        << 10.0625 << 21.484375;
    QTest::newRow("grow past 100") << 60.0 << 90.0 << "+" << 76.0 << 113.5 << 76.0 << 100.0;
    QTest::newRow("grow past 100 and back") << 60.0 << 90.0 << "++--" << 60.0 << 90.0 << 60.0
                                            << 90.0;
    QTest::newRow("shrink at 0 stays") << 0.0 << 0.0 << "-" << 0.0 << 0.0 << 0.0 << 0.0;
    QTest::newRow("grow at 100 stays") << 100.0 << 100.0 << "+" << 100.0 << 100.0 << 100.0
                                       << 100.0;
}

void TestToolManager::sizeStepsShrinkAndGrow()
{
    QFETCH(double, startMin);
    QFETCH(double, startMax);
    QFETCH(QString, steps);
    QFETCH(double, workingMin);
    QFETCH(double, workingMax);
    QFETCH(double, appliedMin);
    QFETCH(double, appliedMax);

    ToolManager manager;
    manager.init();
    manager.setCurrentTool(Tool::Draw, Tool::Usable);
    DrawingTool* pencil = manager.penTool(Tool::Pencil);
    pencil->setSizeRangePercent(startMin, startMax);
    for (const QChar step : steps) {
        if (step == '-')
            manager.decreaseDrawingToolSizeRange();
        else
            manager.increaseDrawingToolSizeRange();
    }
    QCOMPARE(pencil->incDecSizeMinPercent(), workingMin);
    QCOMPARE(pencil->incDecSizeMaxPercent(), workingMax);
    QCOMPARE(pencil->sizeMinPercent(), appliedMin);
    QCOMPARE(pencil->sizeMaxPercent(), appliedMax);
    // The applied range is the last-used one in the store.
    QCOMPARE(storedRanges("Pencil").sizeMax, appliedMax);

    // Steps act on the current drawing tool only.
    manager.setCurrentTool(Tool::Hand, Tool::Usable);
    manager.increaseDrawingToolSizeRange();
    QCOMPARE(pencil->sizeMaxPercent(), appliedMax);

    QTRY_VERIFY_WITH_TIMEOUT(!QGuiApplication::overrideCursor(), 2000);
}

void TestToolManager::sizeStepsShowOneOverrideCursorForHalfASecond()
{
    ToolManager manager;
    manager.init();
    Tool::m_zoomLevel = 2.0;
    manager.setCurrentTool(Tool::Erase, Tool::Usable);
    DrawingTool* eraser = manager.eraserTool(Tool::Rubber);
    QVERIFY(!QGuiApplication::overrideCursor());

    manager.increaseDrawingToolSizeRange();
    QVERIFY(QGuiApplication::overrideCursor());
    QTest::qWait(200);
    manager.increaseDrawingToolSizeRange();
    QElapsedTimer sinceSecondStep;
    sinceSecondStep.start();

    // The override cursor shows the size range after the second step.
    const double width = eraser->minimumWidth();
    const QImage expected = imageOf(
        eraser->createCursorSizeMinMax(2.0 * width, 2.0 * (width + eraser->widthRange()), 2.0));
    QVERIFY(QGuiApplication::overrideCursor());
    QCOMPARE(imageOf(*QGuiApplication::overrideCursor()), expected);

    QTest::qWait(300);
    if (sinceSecondStep.elapsed() < 450)
        QVERIFY(QGuiApplication::overrideCursor());
    // One restore removes it: the second step replaced the first cursor
    // instead of stacking another.
    QTRY_VERIFY_WITH_TIMEOUT(!QGuiApplication::overrideCursor(), 2000);
    // Qt's coarse timers may fire up to 5 % early.
    QVERIFY(sinceSecondStep.elapsed() >= 450);
}

void TestToolManager::zoomAndDevicePixelRatioRepaintCursors()
{
    ToolManager manager;
    manager.init();
    manager.setCurrentTool(Tool::Draw, Tool::Usable);
    QSignalSpy cursorSpy(&manager, &ToolManager::cursorChanged);
    const QSize before = manager.cursor().pixmap().size();

    manager.setZoomLevel(4.0);
    QCOMPARE(Tool::m_zoomLevel, 4.0);
    QCOMPARE(cursorSpy.count(), 1);
    const QSize after = manager.cursor().pixmap().size();
    QVERIFY(after.width() > before.width());
    QCOMPARE(cursorSpy.at(0).at(0).value<QCursor>().pixmap().size(), after);

    // The pencil's 5 % - 12.31 % of 0.5 - 45 at zoom 4: 2Dz = 47.8 rounds to
    // 48, a 76 x 76 pixmap.
    QCOMPARE(after, QSize(76, 76));

    cursorSpy.clear();
    manager.updateCursor();
    QCOMPARE(cursorSpy.count(), 2); // the tool's, forwarded, and the manager's own

    manager.updateDevicePixelRatio(2.0);
    QCOMPARE(Model::Cursor::m_devicePixelRatioF, 2.0);
    QCOMPARE(Model::Cursor::m_cursorForbidden.pixmap().devicePixelRatio(), 2.0);
    manager.setCurrentTool(Tool::Draw, Tool::Forbidden);
    QCOMPARE(manager.cursor().pixmap().devicePixelRatio(), 2.0);
}

QUILLMERE_TEST_MAIN(TestToolManager)
#include "tst_toolmanager.moc"
