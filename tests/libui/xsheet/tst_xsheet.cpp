// The exposure sheet's geometry: rows and columns under a point, the cell
// rectangles, scrolling a row into view (with and without the animated
// centring), the column order kept in step with the scene, and what a
// change of the model repaints.
#include "TestSupport.h"

#include "SheetFixture.h"

#include "startup/Init.h"
#include "xsheet/XSheetFooter.h"
#include "xsheet/XSheetHeader.h"

#include <QPropertyAnimation>
#include <QScrollBar>
#include <QSignalSpy>

using SheetFixture::Sheet;

class TestXSheet : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void rowsUnderPoints_data();
    void rowsUnderPoints();
    void cellsUnderPointsAndTheirRectangles_data();
    void cellsUnderPointsAndTheirRectangles();
    void scrollToRow_data();
    void scrollToRow();
    void animatedCentringStopsAtAPress();
    void scrollHintMovesOnlyTheColumn();
    void columnsFollowTheSceneOrder();
    void headerFooterAndScrollBarsCarryTheirStyleProperties();
    void transparencyTypeRepaintsOnlyOnChange();
};

void TestXSheet::initTestCase()
{
    Model::init();
}

void TestXSheet::rowsUnderPoints_data()
{
    QTest::addColumn<bool>("beyondButtons");
    QTest::addColumn<int>("scroll");
    QTest::newRow("top, beyond buttons hidden") << false << 0;
    QTest::newRow("top, beyond buttons shown") << true << 0;
    QTest::newRow("scrolled by 45 pixels") << true << 45;
}

void TestXSheet::rowsUnderPoints()
{
    QFETCH(bool, beyondButtons);
    QFETCH(int, scroll);
    Sheet s;
    s.sheet.resize(300, 200);
    s.show();
    s.sheet.showBeyondButtons(beyondButtons);
    s.sheet.verticalScrollBar()->setValue(scroll);
    QCOMPARE(s.sheet.verticalScrollBar()->value(), scroll);

    int const h = s.sheet.rowHeight();
    int const top = s.sheet.topMargin() - scroll;
    int const rows = s.model()->rowCount();
    QCOMPARE(rows, 7); // six frames and the virtual last frame
    for (int row = 0; row <= rows; ++row) {
        // The first pixel line of a row still answers the row above it.
        QCOMPARE(s.sheet.rowAt(top + row * h + 1), row);
        QCOMPARE(s.sheet.rowAt(top + (row + 1) * h), row);
    }
    // Above the first row everything is row 0; below the beyond row nothing.
    QCOMPARE(s.sheet.rowAt(top - 5), 0);
    QCOMPARE(s.sheet.rowAt(top + (rows + 1) * h + 1), -1);

    // With beyond buttons the sheet scrolls one row further.
    int const extra = beyondButtons ? 1 : 0;
    QCOMPARE(s.sheet.verticalScrollBar()->maximum(),
             std::max(0, s.sheet.topMargin() - s.sheet.viewport()->height() + (rows + extra) * h
                             + s.sheet.bottomMargin()));
}

void TestXSheet::cellsUnderPointsAndTheirRectangles_data()
{
    QTest::addColumn<int>("row");
    QTest::addColumn<int>("column");
    QTest::addColumn<bool>("valid");
    QTest::newRow("first original") << 0 << 0 << true;
    QTest::newRow("hold") << 1 << 0 << true;
    QTest::newRow("last frame") << 5 << 0 << true;
    QTest::newRow("virtual last frame of the longest layer") << 6 << 0 << true;
    QTest::newRow("virtual last frame of a shorter layer") << 4 << 1 << true;
    QTest::newRow("past a shorter layer") << 5 << 1 << false;
    QTest::newRow("reference hold") << 1 << 2 << true;
    QTest::newRow("sound") << 2 << 3 << true;
    QTest::newRow("sound has no virtual frame") << 6 << 3 << false;
}

void TestXSheet::cellsUnderPointsAndTheirRectangles()
{
    QFETCH(int, row);
    QFETCH(int, column);
    QFETCH(bool, valid);
    Sheet s;
    s.sheet.resize(360, 180);
    s.show();
    for (int scroll : {0, s.sheet.verticalScrollBar()->maximum()}) {
        s.sheet.verticalScrollBar()->setValue(scroll);
        QRect const cell = s.cell(row, column);
        for (QPoint const p : {cell.topLeft(), cell.bottomRight(), cell.center()}) {
            QModelIndex const index = s.sheet.indexAt(p);
            QCOMPARE(index.isValid(), valid);
            if (valid) {
                QCOMPARE(index.row(), row);
                QCOMPARE(index.column(), column);
            }
        }
        QModelIndex const index = s.model()->index(row, column);
        QCOMPARE(index.isValid(), valid);
        if (!valid)
            continue;
        // The cell grown by 2 left, 1 right and 6 above and below, so that
        // the current-cell frame is repainted with it.
        QRect const rect = s.sheet.visualRect(index);
        QCOMPARE(rect, cell.adjusted(-3, -7, 3, 6));
    }
}

void TestXSheet::scrollToRow_data()
{
    QTest::addColumn<bool>("centre");
    QTest::addColumn<int>("startRow"); // the row at the top of the view first
    QTest::addColumn<int>("row");
    QTest::addColumn<QString>("expected"); // "stay", "centre", "bottom" or "top"
    QTest::newRow("centring centres a visible row") << true << 0 << 1 << "centre";
    QTest::newRow("visible row stays") << false << 0 << 1 << "stay";
    QTest::newRow("row cut at the bottom is bottom-aligned") << false << 0 << 5 << "bottom";
    QTest::newRow("row above the view is top-aligned") << false << 4 << 1 << "top";
    QTest::newRow("centring a row above the view") << true << 4 << 1 << "centre";
}

void TestXSheet::scrollToRow()
{
    QFETCH(bool, centre);
    QFETCH(int, startRow);
    QFETCH(int, row);
    QFETCH(QString, expected);
    Sheet s;
    s.scene->setFrameRange(1, 6, 1, 0);
    for (int i = 0; i < 20; ++i)
        s.ink->frames().append(std::make_shared<Model::LayerItem>(s.ink->frames().last()->drawing));
    s.scene->updateMaxFrameNumber();
    s.scene->setFrameRange(1, s.scene->maximumFrameNumber(), 1, 0);
    int const h = s.sheet.rowHeight();
    s.sheet.resize(300, s.sheet.header()->height() + s.sheet.footer()->height() + 4 * h);
    s.show();
    s.sheet.setEnableVerticalScrollAnimation(false);
    s.sheet.setScrollToCenter(centre);
    QScrollBar* const bar = s.sheet.verticalScrollBar();
    bar->setValue(startRow * h);
    int const before = bar->value();

    s.sheet.scrollToRow(row);

    int const viewportHeight = s.sheet.viewport()->height();
    int const span = h + 2;
    int const y = row * h;
    if (expected == QLatin1String("stay"))
        QCOMPARE(bar->value(), before);
    else if (expected == QLatin1String("centre"))
        QCOMPARE(bar->value(), std::clamp(y - (viewportHeight - (span + s.sheet.topMargin())) / 2, 0, bar->maximum()));
    else if (expected == QLatin1String("bottom"))
        QCOMPARE(bar->value(), y - viewportHeight + span + s.sheet.topMargin());
    else
        QCOMPARE(bar->value(), y);
    // Whatever the rule, the row ends up inside the view.
    QVERIFY(s.sheet.rowViewportPosition(row) >= 0);
    QVERIFY(s.sheet.rowViewportPosition(row) + h <= viewportHeight);
}

void TestXSheet::animatedCentringStopsAtAPress()
{
    Sheet s;
    for (int i = 0; i < 30; ++i)
        s.ink->frames().append(std::make_shared<Model::LayerItem>(s.ink->frames().last()->drawing));
    s.scene->updateMaxFrameNumber();
    s.scene->setFrameRange(1, s.scene->maximumFrameNumber(), 1, 0);
    s.sheet.resize(300, 220);
    s.show();
    UI::Animations::setEnabled(true);
    s.sheet.setEnableVerticalScrollAnimation(true);
    s.sheet.setScrollToCenter(true);
    QScrollBar* const bar = s.sheet.verticalScrollBar();

    s.sheet.scrollToRow(20);
    int const target = 20 * s.sheet.rowHeight()
                       - (s.sheet.viewport()->height() - (s.sheet.rowHeight() + 2 + s.sheet.topMargin())) / 2;
    QCOMPARE(bar->value(), 0); // nothing moves before the animation runs
    QTRY_COMPARE(bar->value(), target);

    // Held half way, however fast the machine runs it: the press must find
    // it there, stop it, and leave the sheet where it stood.
    s.sheet.scrollToRow(2);
    QPropertyAnimation* animation = nullptr;
    for (auto* const candidate : s.sheet.findChildren<QPropertyAnimation*>())
        if (candidate->targetObject() == bar)
            animation = candidate;
    QVERIFY(animation);
    QCOMPARE(animation->state(), QAbstractAnimation::Running);
    animation->pause();
    animation->setCurrentTime(animation->duration() / 2);
    int const halfWay = bar->value();
    QVERIFY(halfWay < target);
    QVERIFY(halfWay > 0);
    QTest::mousePress(s.sheet.viewport(), Qt::LeftButton, {}, QPoint(5, 5));
    QCOMPARE(animation->state(), QAbstractAnimation::Stopped);
    QCOMPARE(bar->value(), halfWay);
    QTest::mouseRelease(s.sheet.viewport(), Qt::LeftButton, {}, QPoint(5, 5));
    QCOMPARE(bar->value(), halfWay);
    UI::Animations::setEnabled(false);
}

void TestXSheet::scrollHintMovesOnlyTheColumn()
{
    Sheet s;
    s.sheet.resize(120, 300);
    s.show();
    s.sheet.setScrollToCenter(false);
    QScrollBar* const bar = s.sheet.horizontalScrollBar();
    QVERIFY(bar->maximum() > 0);
    int const vertical = s.sheet.verticalScrollBar()->value();

    s.sheet.scrollTo(s.model()->index(0, 3), QAbstractItemView::PositionAtTop);
    QCOMPARE(bar->value(), std::min(bar->maximum(), s.sheet.header()->sectionPosition(3)));
    QCOMPARE(s.sheet.verticalScrollBar()->value(), vertical);
    // Header and footer scroll with the sheet.
    QCOMPARE(s.sheet.header()->offset(), bar->value());
    QCOMPARE(s.sheet.footer()->offset(), bar->value());

    s.sheet.scrollTo(s.model()->index(0, 0), QAbstractItemView::EnsureVisible);
    QCOMPARE(bar->value(), 0);
}

void TestXSheet::columnsFollowTheSceneOrder()
{
    Sheet s;
    s.show();
    QList<int> const before = s.scene->getLogicalLayerIndices();
    int const top = before.first();
    for (int i = 0; i < before.size(); ++i) {
        QCOMPARE(s.sheet.header()->logicalIndex(i), before.at(i));
        QCOMPARE(s.sheet.footer()->logicalIndex(i), before.at(i));
    }

    QVERIFY(s.scene->moveLayer(top, 0, 2));
    QList<int> const after = s.scene->getLogicalLayerIndices();
    QVERIFY(after != before);
    for (int i = 0; i < after.size(); ++i) {
        QCOMPARE(s.sheet.header()->logicalIndex(i), after.at(i));
        QCOMPARE(s.sheet.footer()->logicalIndex(i), after.at(i));
    }
    // Hit tests follow: the moved layer's cells are where its section is.
    QPoint const inMoved(s.sheet.columnViewportPosition(top) + 5, s.sheet.rowViewportPosition(0) + 5);
    QCOMPARE(s.sheet.indexAt(inMoved).column(), top);
    QCOMPARE(s.sheet.header()->visualIndex(top), 2);
}

void TestXSheet::headerFooterAndScrollBarsCarryTheirStyleProperties()
{
    Sheet s;
    QVERIFY(s.sheet.header()->property("X-Sheet Header").toBool());
    QVERIFY(s.sheet.footer()->property("X-Sheet Footer").toBool());
    QVERIFY(s.sheet.horizontalScrollBar()->property("X-Sheet ScrollBar").toBool());
    QVERIFY(s.sheet.verticalScrollBar()->property("X-Sheet ScrollBar").toBool());
}

namespace {

struct PaintCounter : QObject
{
    int count = 0;
    bool eventFilter(QObject*, QEvent* event) override
    {
        if (event->type() == QEvent::Paint)
            ++count;
        return false;
    }
};

} // namespace

void TestXSheet::transparencyTypeRepaintsOnlyOnChange()
{
    Sheet s;
    s.show();
    // The thumbnails come on with paints of their own.
    s.showThumbnails();
    QImage const white = s.sheet.viewport()->grab().toImage();
    PaintCounter counter;
    s.sheet.viewport()->installEventFilter(&counter);
    s.sheet.setTransparencyType(KW::TransparencyType::TransparencyWhite);
    QTest::qWait(50);
    QCOMPARE(counter.count, 0);
    s.sheet.setTransparencyType(KW::TransparencyType::TransparencyBlack);
    QTRY_VERIFY(counter.count > 0);
    QPoint const original = s.cell(0, 0).topLeft() + QPoint(1, 1);
    // An original's margin is the base colour at 0.9 over the window, at the
    // column's opacity: darker than with a white base.
    QVERIFY(qGray(s.sheet.viewport()->grab().toImage().pixel(original)) < qGray(white.pixel(original)));
    QCOMPARE(s.sheet.transparencyType(), KW::TransparencyType::TransparencyBlack);
}

QUILLMERE_TEST_MAIN(TestXSheet)
#include "tst_xsheet.moc"
