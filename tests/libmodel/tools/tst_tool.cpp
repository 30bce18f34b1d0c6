#include "TestSupport.h"

#include "tools/Cursor.h"
#include "tools/CutterTool.h"
#include "tools/EraserTool.h"
#include "tools/FixedCursorTool.h"
#include "tools/FloatingSelectionTool.h"
#include "tools/HandTool.h"
#include "tools/LassoTool.h"
#include "tools/OffPegsTool.h"
#include "tools/PenAdjustmentTool.h"
#include "tools/PenTool.h"
#include "tools/RotateTool.h"
#include "tools/ScrubbingTool.h"
#include "tools/ZPRTool.h"
#include "tools/ZoomTool.h"

#include <QSignalSpy>

#include <memory>

using Model::Tool;

namespace {

// One tool of every class, by the name used in the data tables.
Tool* makeTool(const QString& name, QObject* parent)
{
    if (name == "pen")
        return new Model::PenTool(Tool::Brush, parent);
    if (name == "eraser")
        return new Model::EraserTool(Tool::Vinyl, parent);
    if (name == "hand")
        return new Model::HandTool(parent);
    if (name == "zoom")
        return new Model::ZoomTool(parent);
    if (name == "rotate")
        return new Model::RotateTool(parent);
    if (name == "zpr")
        return new Model::ZPRTool(parent);
    if (name == "offPegs")
        return new Model::OffPegsTool(parent);
    if (name == "lasso")
        return new Model::LassoTool(parent);
    if (name == "cutter")
        return new Model::CutterTool(parent);
    if (name == "floatingSelection")
        return new Model::FloatingSelectionTool(parent);
    if (name == "scrubbing")
        return new Model::ScrubbingTool(parent);
    if (name == "penAdjustment")
        return new Model::PenAdjustmentTool(parent);
    return nullptr;
}

} // namespace

class TestTool : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();

    void typeSets_data();
    void typeSets();

    void cloneGivesSameClassTypeAndParentInStateUsable_data();
    void cloneGivesSameClassTypeAndParentInStateUsable();

    void cursorFollowsStateAndCursorType_data();
    void cursorFollowsStateAndCursorType();

    void cursorTypeSettersAnnounceOnlyChanges();
};

void TestTool::initTestCase()
{
    // Distinct shapes so that the test can tell the shared cursors apart from
    // the tools' own, which are painted from their artwork.
    Model::Cursor::m_cursorArrow = QCursor(Qt::PointingHandCursor);
    Model::Cursor::m_cursorForbidden = QCursor(Qt::ForbiddenCursor);
    Model::Cursor::m_cursorLayerNotVisible = QCursor(Qt::BlankCursor);
    Model::Cursor::m_cursorLayerOpacityZero = QCursor(Qt::WhatsThisCursor);
    Model::Cursor::m_cursorDrag = QCursor(Qt::ClosedHandCursor);
}

void TestTool::typeSets_data()
{
    QTest::addColumn<int>("type");
    QTest::addColumn<bool>("drawing");
    QTest::addColumn<bool>("lassoing");
    QTest::addColumn<bool>("primary");
    QTest::addColumn<bool>("undo");

    QTest::newRow("Draw") << 0 << true << false << true << true;
    QTest::newRow("Erase") << 1 << true << false << true << true;
    QTest::newRow("Hand") << 2 << false << false << false << false;
    QTest::newRow("Zoom") << 3 << false << false << false << false;
    QTest::newRow("Rotate") << 4 << false << false << false << false;
    QTest::newRow("ZPR") << 5 << false << false << false << false;
    QTest::newRow("OffPegs") << 6 << false << false << false << false;
    QTest::newRow("Lasso") << 7 << false << true << true << false;
    QTest::newRow("Cutter") << 8 << false << true << true << false;
    QTest::newRow("FloatingSelection") << 9 << false << false << true << true;
    QTest::newRow("Scrubbing") << 10 << false << false << false << false;
    QTest::newRow("PenAdjustment") << 11 << false << false << false << false;
    QTest::newRow("NoTool") << 12 << false << false << false << false;
    QTest::newRow("beyond the list") << 40 << false << false << false << false;
    QTest::newRow("negative") << -1 << false << false << false << false;
}

void TestTool::typeSets()
{
    QFETCH(int, type);
    QFETCH(bool, drawing);
    QFETCH(bool, lassoing);
    QFETCH(bool, primary);
    QFETCH(bool, undo);

    const auto t = static_cast<Tool::Type>(type);
    QCOMPARE(Tool::isDrawingType(t), drawing);
    QCOMPARE(Tool::isLassoingType(t), lassoing);
    QCOMPARE(Tool::isPrimaryType(t), primary);
    QCOMPARE(Tool::isUndoType(t), undo);
}

void TestTool::cloneGivesSameClassTypeAndParentInStateUsable_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<int>("type");

    QTest::newRow("pen") << "pen" << 0;
    QTest::newRow("eraser") << "eraser" << 1;
    QTest::newRow("hand") << "hand" << 2;
    QTest::newRow("zoom") << "zoom" << 3;
    QTest::newRow("rotate") << "rotate" << 4;
    QTest::newRow("zpr") << "zpr" << 5;
    QTest::newRow("offPegs") << "offPegs" << 6;
    QTest::newRow("lasso") << "lasso" << 7;
    QTest::newRow("cutter") << "cutter" << 8;
    QTest::newRow("floatingSelection") << "floatingSelection" << 9;
    QTest::newRow("scrubbing") << "scrubbing" << 10;
    QTest::newRow("penAdjustment") << "penAdjustment" << 11;
}

void TestTool::cloneGivesSameClassTypeAndParentInStateUsable()
{
    QFETCH(QString, name);
    QFETCH(int, type);

    QObject owner;
    Tool* tool = makeTool(name, &owner);
    QVERIFY(tool);
    QCOMPARE(int(tool->type()), type);
    tool->setState(Tool::LayerOpacityZero);

    std::unique_ptr<Tool> copy(tool->clone());
    QCOMPARE(copy->metaObject(), tool->metaObject());
    QCOMPARE(copy->parent(), &owner);
    QCOMPARE(int(copy->type()), type);
    QCOMPARE(copy->state(), Tool::Usable);
    QCOMPARE(tool->state(), Tool::LayerOpacityZero);
}

void TestTool::cursorFollowsStateAndCursorType_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<int>("cursorType");
    QTest::addColumn<int>("state");
    QTest::addColumn<int>("shape");

    const int own = Qt::BitmapCursor;
    const int arrow = Qt::PointingHandCursor;
    const int forbidden = Qt::ForbiddenCursor;
    const int notVisible = Qt::BlankCursor;
    const int opacityZero = Qt::WhatsThisCursor;

    QTest::newRow("hand usable") << "hand" << -1 << 0 << own;
    QTest::newRow("hand forbidden") << "hand" << -1 << 1 << forbidden;
    QTest::newRow("lasso layer not visible") << "lasso" << -1 << 2 << notVisible;
    QTest::newRow("scrubbing layer opacity zero") << "scrubbing" << -1 << 3 << opacityZero;
    QTest::newRow("zpr zoom usable") << "zpr" << 2 << 0 << own;
    QTest::newRow("zpr pan forbidden") << "zpr" << 1 << 1 << forbidden;
    QTest::newRow("off-pegs move usable") << "offPegs" << 1 << 0 << own;
    QTest::newRow("off-pegs arrow usable") << "offPegs" << 2 << 0 << arrow;
    QTest::newRow("off-pegs arrow layer not visible") << "offPegs" << 2 << 2 << notVisible;
    QTest::newRow("floating move ignores forbidden") << "floatingSelection" << 0 << 1 << own;
    QTest::newRow("floating pivot ignores state") << "floatingSelection" << 6 << 3 << arrow;
    QTest::newRow("floating squash ignores state") << "floatingSelection" << 9 << 2 << own;
    QTest::newRow("floating outside usable") << "floatingSelection" << 10 << 0 << own;
    QTest::newRow("floating outside forbidden") << "floatingSelection" << 10 << 1 << forbidden;
    QTest::newRow("pen adjustment without tool") << "penAdjustment" << -1 << 0 << forbidden;
}

void TestTool::cursorFollowsStateAndCursorType()
{
    QFETCH(QString, name);
    QFETCH(int, cursorType);
    QFETCH(int, state);
    QFETCH(int, shape);

    QObject owner;
    Tool* tool = makeTool(name, &owner);
    tool->setState(static_cast<Tool::State>(state));
    if (auto* zpr = qobject_cast<Model::ZPRTool*>(tool))
        zpr->setCursorType(static_cast<Model::ZPRTool::ZPRCursorType>(cursorType));
    if (auto* offPegs = qobject_cast<Model::OffPegsTool*>(tool))
        offPegs->setCursorType(static_cast<Model::OffPegsTool::OPCursorType>(cursorType));
    if (auto* floating = qobject_cast<Model::FloatingSelectionTool*>(tool))
        floating->setCursorType(static_cast<Model::FloatingSelectionTool::FSCursorType>(cursorType));

    QCOMPARE(int(tool->cursor().shape()), shape);
    QCOMPARE(int(tool->property("cursor").value<QCursor>().shape()), shape);
}

void TestTool::cursorTypeSettersAnnounceOnlyChanges()
{
    Model::ZPRTool zpr;
    Model::OffPegsTool offPegs;
    Model::FloatingSelectionTool floating;
    QSignalSpy zprSpy(&zpr, &Tool::cursorChanged);
    QSignalSpy offPegsSpy(&offPegs, &Tool::cursorChanged);
    QSignalSpy floatingSpy(&floating, &Tool::cursorChanged);

    // The initial kinds: pan, rotate and move.
    zpr.setCursorType(Model::ZPRTool::CursorPan);
    offPegs.setCursorType(Model::OffPegsTool::CursorRotate);
    floating.setCursorType(Model::FloatingSelectionTool::FSMove);
    QCOMPARE(zprSpy.count() + offPegsSpy.count() + floatingSpy.count(), 0);

    zpr.setCursorType(Model::ZPRTool::CursorZoom);
    offPegs.setCursorType(Model::OffPegsTool::CursorArrow);
    floating.setCursorType(Model::FloatingSelectionTool::FSFlipVertical);
    QCOMPARE(zprSpy.count(), 1);
    QCOMPARE(offPegsSpy.count(), 1);
    QCOMPARE(floatingSpy.count(), 1);
    QCOMPARE(offPegsSpy.at(0).at(0).value<QCursor>().shape(), Qt::PointingHandCursor);
    QCOMPARE(floatingSpy.at(0).at(0).value<QCursor>().shape(), Qt::PointingHandCursor);
}

QUILLMERE_TEST_MAIN(TestTool)
#include "tst_tool.moc"
