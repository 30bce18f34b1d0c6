// Mouse and pen on the exposure sheet: clicks and Shift-clicks making cells
// current and selecting runs, the eraser end selecting and the mouse copy of
// a handled pen press dropped, frame drags previewed by the model and
// cancelled outside the sheet, audio drags, beyond-last buttons, and the
// cursor that tells what a press would start; the commands each gesture
// leaves on the undo stack.
#include "TestSupport.h"

#include "MouseEvents.h"
#include "SheetFixture.h"
#include "TabletEvents.h"

#include "models/SceneModel.h"
#include "startup/Init.h"
#include "tools/Cursor.h"
#include "prompts/Prompter.h"
#include "xsheet/AudioGizmo.h"
#include "xsheet/XSheetFooter.h"
#include "xsheet/XSheetHeader.h"

#include <QUndoStack>

using SheetFixture::Sheet;
using namespace MouseEvents;

class TestXSheetGestures : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void clickMakesCurrentAndShiftClickSelectsARun();
    void eraserEndSelectsAndItsMouseCopyIsDropped();
    void penTipOnCellsWorksAsAMouse();
    void frameDragPreviewsAndIsCancelledOutside();
    void dragWithAModifierStartsNothing_data();
    void dragWithAModifierStartsNothing();
    void audioDragFollowsThePointerOnlyWhenUnlocked();
    void cursorKinds_data();
    void cursorKinds();
    void slideTwoFramesDownIsOneUndoStep();
    void clonesAddedByDraggingTheHoldAndDiscardedByDraggingBack();
    void audioDragSetsTheOffsetAndSnapsToZero();
    void beyondLastButtonCyclesTheMode();
    void headerClickHidesAndFooterDragMovesALayer();
    void audioOffsetDialogIsBounded();
};

namespace {

// The "ink" layer's cells as letters: a name for an original, '.' a hold.
QString describeInk(Sheet const& s)
{
    QString text;
    for (auto const& cell : s.ink->frames())
        text += cell->kind == Model::LayerItem::Hold ? QStringLiteral(".")
                : cell->kind == Model::LayerItem::DistantClone ? QStringLiteral("*")
                                                               : cell->drawing->name();
    return text;
}

// The mouse event the system makes from a pen event the sheet left.
void systemCopy(QWidget* viewport, QEvent::Type type, QPoint pos)
{
    Qt::MouseButtons const buttons = type == QEvent::MouseButtonRelease ? Qt::NoButton : Qt::LeftButton;
    send(viewport, type, pos, buttons, Qt::NoModifier, Qt::MouseEventSynthesizedBySystem);
}

// A drag with the pen tip over ordinary cells: each pen event is left to
// the system, whose mouse copy drags.
void penDrag(QWidget* viewport, QPoint from, QPoint to)
{
    QVERIFY(!TabletEvents::send(viewport, QEvent::TabletPress, from));
    systemCopy(viewport, QEvent::MouseButtonPress, from);
    for (QPoint const pos : {from + QPoint(0, to.y() >= from.y() ? 6 : -6), to}) {
        QVERIFY(!TabletEvents::send(viewport, QEvent::TabletMove, pos));
        systemCopy(viewport, QEvent::MouseMove, pos);
    }
    QVERIFY(!TabletEvents::send(viewport, QEvent::TabletRelease, to));
    systemCopy(viewport, QEvent::MouseButtonRelease, to);
}

void unlockAudioOffset(Sheet& s)
{
    s.sheet.findChild<UI::AudioGizmo*>()->setAudioOffsetLocked(false);
    QVERIFY(!s.sheet.audioOffsetLocked());
}

} // namespace

void TestXSheetGestures::initTestCase()
{
    Model::init();
}

void TestXSheetGestures::clickMakesCurrentAndShiftClickSelectsARun()
{
    Sheet s;
    s.show();
    QWidget* const viewport = s.sheet.viewport();
    QItemSelectionModel* const selection = s.bundle.selectionModel();

    click(viewport, s.cell(1, 1).center());
    QCOMPARE(selection->currentIndex(), s.model()->index(1, 1));
    QVERIFY(!selection->hasSelection());

    click(viewport, s.cell(3, 1).center(), Qt::ShiftModifier);
    QCOMPARE(selection->currentIndex(), s.model()->index(3, 1));
    QCOMPARE(selection->selectedIndexes().size(), 3);
    for (int row = 1; row <= 3; ++row)
        QVERIFY(selection->isSelected(s.model()->index(row, 1)));

    // A Shift-click in another column selects only the pressed cell.
    click(viewport, s.cell(2, 0).center(), Qt::ShiftModifier);
    QCOMPARE(selection->selectedIndexes(), QModelIndexList{s.model()->index(2, 0)});

    // A plain click clears the selection.
    click(viewport, s.cell(0, 0).center());
    QVERIFY(!selection->hasSelection());
    QCOMPARE(selection->currentIndex(), s.model()->index(0, 0));
}

void TestXSheetGestures::eraserEndSelectsAndItsMouseCopyIsDropped()
{
    using TabletEvents::send;
    auto const eraser = QPointingDevice::PointerType::Eraser;
    Sheet s;
    s.show();
    QWidget* const viewport = s.sheet.viewport();
    QItemSelectionModel* const selection = s.bundle.selectionModel();

    QVERIFY(send(viewport, QEvent::TabletPress, s.cell(1, 0).center(), eraser));
    QVERIFY(send(viewport, QEvent::TabletMove, s.cell(2, 0).center(), eraser));
    QVERIFY(send(viewport, QEvent::TabletMove, s.cell(3, 0).center(), eraser));
    QVERIFY(send(viewport, QEvent::TabletRelease, s.cell(3, 0).center(), eraser));
    // The mouse copy the system makes of the handled pen press comes late
    // and is dropped: it would make another cell current.
    systemCopy(viewport, QEvent::MouseButtonPress, s.cell(2, 1).center());
    systemCopy(viewport, QEvent::MouseButtonRelease, s.cell(2, 1).center());

    QCOMPARE(selection->currentIndex(), s.model()->index(3, 0));
    QCOMPARE(selection->selectedIndexes().size(), 3);
    for (int row = 1; row <= 3; ++row)
        QVERIFY(selection->isSelected(s.model()->index(row, 0)));
    // The eraser end only selects: no cell was changed.
    QCOMPARE(s.scene->undoStack()->count(), 0);

    // A real mouse is not held back.
    click(viewport, s.cell(2, 1).center());
    QCOMPARE(selection->currentIndex(), s.model()->index(2, 1));
}

void TestXSheetGestures::penTipOnCellsWorksAsAMouse()
{
    Sheet s;
    s.show();
    QWidget* const viewport = s.sheet.viewport();
    QPoint const pos = s.cell(2, 1).center();
    // Not taken: the system's mouse copy then acts, and no timer drops it.
    QVERIFY(!TabletEvents::send(viewport, QEvent::TabletPress, pos));
    systemCopy(viewport, QEvent::MouseButtonPress, pos);
    QVERIFY(!TabletEvents::send(viewport, QEvent::TabletRelease, pos));
    systemCopy(viewport, QEvent::MouseButtonRelease, pos);
    QCOMPARE(s.bundle.selectionModel()->currentIndex(), s.model()->index(2, 1));
}

void TestXSheetGestures::frameDragPreviewsAndIsCancelledOutside()
{
    Sheet s;
    s.show();
    QWidget* const viewport = s.sheet.viewport();
    s.sheet.setSlideMode(true);
    QPoint const start = s.cell(3, 0).center(); // B, after two holds of A
    press(viewport, start);
    dragTo(viewport, s.cell(2, 0).center());
    QVERIFY(s.sheet.isFrameDragRunning());
    QCOMPARE(s.model()->dragMode(), Model::FrameRangeModel::Slide);
    QCOMPARE(s.model()->dragDistance(), -1);
    QVERIFY(!s.sheet.scrollToCenterEnabled()); // kept still while dragging
    dragTo(viewport, s.cell(1, 0).center());
    QCOMPARE(s.model()->dragDistance(), -2);

    release(viewport, QPoint(viewport->width() + 30, start.y()));
    QVERIFY(!s.sheet.isFrameDragRunning());
    QCOMPARE(s.model()->dragMode(), Model::FrameRangeModel::NoDrag);
    QCOMPARE(s.scene->undoStack()->count(), 0);
    QVERIFY(s.sheet.scrollToCenterEnabled());

    // Sliding is refused on frame 1: no drag, no preview.
    press(viewport, s.cell(0, 1).center());
    dragTo(viewport, s.cell(2, 1).center());
    QVERIFY(!s.sheet.isFrameDragRunning());
    QCOMPARE(s.model()->dragMode(), Model::FrameRangeModel::NoDrag);
    release(viewport, s.cell(2, 1).center());
    QCOMPARE(s.scene->undoStack()->count(), 0);
}

void TestXSheetGestures::dragWithAModifierStartsNothing_data()
{
    QTest::addColumn<int>("column");
    QTest::addColumn<Qt::KeyboardModifiers>("modifiers");
    QTest::newRow("cell, Shift") << 0 << Qt::KeyboardModifiers(Qt::ShiftModifier);
    QTest::newRow("cell, Control") << 0 << Qt::KeyboardModifiers(Qt::ControlModifier);
    QTest::newRow("cell, Alt") << 0 << Qt::KeyboardModifiers(Qt::AltModifier);
    QTest::newRow("sound, Alt") << 3 << Qt::KeyboardModifiers(Qt::AltModifier);
}

void TestXSheetGestures::dragWithAModifierStartsNothing()
{
    QFETCH(int, column);
    QFETCH(Qt::KeyboardModifiers, modifiers);
    Sheet s;
    s.show();
    unlockAudioOffset(s);
    QWidget* const viewport = s.sheet.viewport();
    // The drag is held with the modifier from the press to the release.
    press(viewport, s.cell(2, column).center(), modifiers);
    dragTo(viewport, s.cell(3, column).center(), modifiers);
    dragTo(viewport, s.cell(5, column).center(), modifiers);
    QVERIFY(!s.sheet.isFrameDragRunning());
    QVERIFY(!s.sheet.isAudioDragRunning());
    QCOMPARE(s.model()->dragMode(), Model::FrameRangeModel::NoDrag);
    QCOMPARE(s.scene->audioOffsetFramesTotal(), 0.0);
    release(viewport, s.cell(5, column).center(), modifiers);
    QCOMPARE(s.scene->undoStack()->count(), 0);
}

void TestXSheetGestures::audioDragFollowsThePointerOnlyWhenUnlocked()
{
    Sheet s;
    s.show();
    QWidget* const viewport = s.sheet.viewport();
    int const h = s.sheet.rowHeight();
    QPoint const start = s.cell(1, 3).center();
    auto const dragBy = [&](int dy) {
        press(viewport, start);
        dragTo(viewport, start + QPoint(0, 5));
        dragTo(viewport, start + QPoint(0, dy));
    };

    QVERIFY(s.sheet.audioOffsetLocked());
    dragBy(2 * h);
    QVERIFY(!s.sheet.isAudioDragRunning());
    QCOMPARE(s.scene->audioOffsetFramesTotal(), 0.0);
    release(viewport, start + QPoint(0, 2 * h));
    QCOMPARE(s.scene->undoStack()->count(), 0);

    unlockAudioOffset(s);
    // Two and a half rows in whole pixels: the sound follows in fractions
    // of a frame.
    int const dy = 2 * h + h / 2;
    dragBy(dy);
    QVERIFY(s.sheet.isAudioDragRunning());
    QCOMPARE(s.scene->audioOffsetFramesTotal(), double(dy) / h);
    QCOMPARE(s.scene->audioOffsetFrames(), 0.0); // nothing stored while dragging
    // Released outside: the live offset goes, nothing is pushed.
    release(viewport, QPoint(start.x(), viewport->height() + 40));
    QVERIFY(!s.sheet.isAudioDragRunning());
    QCOMPARE(s.scene->audioOffsetFramesTotal(), 0.0);
    QCOMPARE(s.scene->undoStack()->count(), 0);
}

void TestXSheetGestures::cursorKinds_data()
{
    QTest::addColumn<bool>("slideMode");
    QTest::addColumn<bool>("locked");
    QTest::addColumn<int>("row");
    QTest::addColumn<int>("column");
    QTest::addColumn<int>("kind");
    QTest::newRow("cell, add-clones mode") << false << true << 1 << 0 << 2;
    QTest::newRow("cell, slide mode") << true << true << 1 << 0 << 1;
    QTest::newRow("virtual last frame") << false << true << 6 << 0 << 0;
    QTest::newRow("past a short layer") << false << true << 5 << 1 << 0;
    QTest::newRow("sound, locked") << false << true << 1 << 3 << 4;
    QTest::newRow("sound, unlocked") << false << false << 1 << 3 << 3;
}

void TestXSheetGestures::cursorKinds()
{
    QFETCH(bool, slideMode);
    QFETCH(bool, locked);
    QFETCH(int, row);
    QFETCH(int, column);
    QFETCH(int, kind);
    Sheet s;
    s.show();
    QWidget* const viewport = s.sheet.viewport();
    s.sheet.setSlideMode(slideMode);
    if (!locked)
        unlockAudioOffset(s);
    // From a cell of another kind, so that the cursor has to change.
    hover(viewport, QPoint(viewport->width() - 2, viewport->height() - 2));
    hover(viewport, s.cell(row, column).center());
    QCOMPARE(s.sheet.cursorKind(), kind);
    QCursor const expected[] = {Model::Cursor::m_cursorArrow, Model::Cursor::m_cursorArrowSlideMode,
                                Model::Cursor::m_cursorArrowAddClonesMode, Model::Cursor::m_cursorDragUpDown,
                                Model::Cursor::m_cursorLock};
    QCOMPARE(viewport->cursor().pixmap().toImage(), expected[kind].pixmap().toImage());
    QCOMPARE(viewport->cursor().hotSpot(), expected[kind].hotSpot());
}

void TestXSheetGestures::slideTwoFramesDownIsOneUndoStep()
{
    Sheet s;
    s.show();
    s.sheet.setSlideMode(true);
    // B gets two holds of its own to slide over.
    s.ink->frames().insert(4, std::make_shared<Model::LayerItem>(s.ink->frames().at(3)->drawing));
    s.ink->frames().insert(4, std::make_shared<Model::LayerItem>(s.ink->frames().at(3)->drawing));
    s.scene->updateMaxFrameNumber();
    s.scene->setFrameRange(1, s.scene->maximumFrameNumber(), 1, 0);
    QString const before = describeInk(s);
    QCOMPARE(before, QStringLiteral("A..B..*K"));

    drag(s.sheet.viewport(), s.cell(3, 0).center(), s.cell(5, 0).center());
    QUndoStack* const stack = s.scene->undoStack();
    QCOMPARE(stack->count(), 1);
    QCOMPARE(describeInk(s), QStringLiteral("A....B*K"));
    QCOMPARE(s.model()->dragMode(), Model::FrameRangeModel::NoDrag);
    stack->undo();
    QCOMPARE(describeInk(s), before);

    // Dragged away and back to where it started: the extremes reached
    // still make a step.
    QWidget* const viewport = s.sheet.viewport();
    press(viewport, s.cell(3, 0).center());
    dragTo(viewport, s.cell(4, 0).center());
    dragTo(viewport, s.cell(5, 0).center());
    dragTo(viewport, s.cell(3, 0).center());
    release(viewport, s.cell(3, 0).center());
    QCOMPARE(stack->count(), 1);
    QCOMPARE(stack->index(), 1);
}

void TestXSheetGestures::clonesAddedByDraggingTheHoldAndDiscardedByDraggingBack()
{
    Sheet s;
    s.show();
    QUndoStack* const stack = s.scene->undoStack();
    QCOMPARE(describeInk(s), QStringLiteral("A..B*K"));
    // Drag the last hold of A (row 2) three rows down: three more holds.
    drag(s.sheet.viewport(), s.cell(2, 0).center(), s.cell(5, 0).center());
    QCOMPARE(stack->count(), 1);
    QCOMPARE(describeInk(s), QStringLiteral("A.....B*K"));
    // Drag the new last hold two rows up with the pen: two of them go again.
    penDrag(s.sheet.viewport(), s.cell(5, 0).center(), s.cell(3, 0).center());
    QCOMPARE(stack->count(), 2);
    QCOMPARE(describeInk(s), QStringLiteral("A...B*K"));
    stack->undo();
    QCOMPARE(describeInk(s), QStringLiteral("A.....B*K"));
    stack->undo();
    QCOMPARE(describeInk(s), QStringLiteral("A..B*K"));
    // Released where it started: nothing.
    drag(s.sheet.viewport(), s.cell(2, 0).center(), s.cell(2, 0).center() + QPoint(0, 3));
    QCOMPARE(stack->count(), 2);
    QCOMPARE(stack->index(), 0);
}

void TestXSheetGestures::audioDragSetsTheOffsetAndSnapsToZero()
{
    Sheet s;
    s.show();
    unlockAudioOffset(s);
    QUndoStack* const stack = s.scene->undoStack();
    QWidget* const viewport = s.sheet.viewport();
    int const h = s.sheet.rowHeight();
    QPoint const start = s.cell(1, 3).center();
    drag(viewport, start, start + QPoint(0, 2 * h));
    QCOMPARE(stack->count(), 1);
    QCOMPARE(stack->text(0), QStringLiteral("Set Audio Offset"));
    QCOMPARE(s.scene->audioOffsetFrames(), 2.0);
    stack->undo();
    QCOMPARE(s.scene->audioOffsetFrames(), 0.0);
    stack->clear();

    // From a stored offset of two frames, dragged back to within a quarter
    // frame of none: the live offset already shows 0, and 0 is stored.
    s.scene->setAudioOffsetFrames(2.0);
    press(viewport, start);
    dragTo(viewport, start - QPoint(0, 6));
    dragTo(viewport, start - QPoint(0, 2 * h - h / 5));
    QVERIFY(s.sheet.isAudioDragRunning());
    QCOMPARE(s.scene->audioOffsetFramesTotal(), 0.0);
    release(viewport, start - QPoint(0, 2 * h - h / 5));
    QCOMPARE(stack->count(), 1);
    QCOMPARE(stack->text(0), QStringLiteral("Remove Audio Offset"));
    QCOMPARE(s.scene->audioOffsetFrames(), 0.0);
    stack->undo();
    QCOMPARE(s.scene->audioOffsetFrames(), 2.0);
}

void TestXSheetGestures::beyondLastButtonCyclesTheMode()
{
    Sheet s;
    s.sheet.showBeyondButtons(true);
    s.show();
    QWidget* const viewport = s.sheet.viewport();
    QUndoStack* const stack = s.scene->undoStack();
    // The button hangs below the layer's virtual last frame, in the middle
    // of its column.
    int const end = s.model()->headerData(0, Qt::Horizontal, Model::SceneModel::LayerLengthRole).toInt();
    QPoint const button(s.sheet.columnViewportPosition(0) + 1 + (s.sheet.columnWidth(0) - 3) / 2,
                        s.sheet.rowViewportPosition(end - s.model()->minimumFrameRangeNumber() + 1) + 15);
    int const first = s.scene->layerBeyondLast(0);

    // Pressed on it, released off it: nothing.
    press(viewport, button);
    release(viewport, button + QPoint(0, 30));
    QCOMPARE(stack->count(), 0);

    QList<int> modes{first};
    for (int i = 0; i < 3; ++i) {
        click(viewport, button);
        modes.append(s.scene->layerBeyondLast(0));
    }
    QCOMPARE(stack->count(), 3);
    // Each click steps 1 -> 2 -> 3 -> 1, whichever mode it started from.
    for (int i = 1; i < modes.size(); ++i)
        QCOMPARE(modes.at(i), modes.at(i - 1) % 3 + 1);
    stack->undo();
    QCOMPARE(s.scene->layerBeyondLast(0), modes.at(2));
}

void TestXSheetGestures::headerClickHidesAndFooterDragMovesALayer()
{
    Sheet s;
    s.show();
    QUndoStack* const stack = s.scene->undoStack();
    UI::XSheetHeader* const header = s.sheet.header();
    QPoint const visibility(header->sectionViewportPosition(1) + header->sectionSize(1) - 8, 8);
    click(header->viewport(), visibility);
    QVERIFY(!s.scene->isLayerVisible(1));
    QCOMPARE(stack->count(), 1);
    stack->undo();
    QVERIFY(s.scene->isLayerVisible(1));

    UI::XSheetFooter* const footer = s.sheet.footer();
    QList<int> const before = s.scene->getLogicalLayerIndices();
    int const layer = footer->logicalIndex(0);
    int const y = footer->stripHeight() + 8;
    QPoint const from(footer->sectionViewportPosition(layer) + 10, y);
    int const target = footer->logicalIndex(2);
    QPoint const to(footer->sectionViewportPosition(target) + footer->sectionSize(target) - 3, y);
    hover(footer->viewport(), from);
    QVERIFY(footer->sectionsMovable());
    press(footer->viewport(), from);
    for (int i = 1; i <= 6; ++i)
        dragTo(footer->viewport(), from + (to - from) * i / 6);
    release(footer->viewport(), to);
    QCOMPARE(stack->count(), 1); // the visibility step was undone and replaced
    QVERIFY(s.scene->getLogicalLayerIndices() != before);
    QCOMPARE(footer->visualIndex(layer), 2);
    QCOMPARE(header->visualIndex(layer), 2);
    stack->undo();
    QCOMPARE(s.scene->getLogicalLayerIndices(), before);
    QCOMPARE(footer->logicalIndex(0), layer);
    QCOMPARE(header->logicalIndex(0), layer);
}

void TestXSheetGestures::audioOffsetDialogIsBounded()
{
    Sheet s;
    s.show();
    Model::Prompter::Request asked;
    Model::Prompter::setHandler([&asked](Model::Prompter::Request const& request) {
        asked = request;
        Model::Prompter::Reply reply;
        reply.accepted = true;
        reply.value = 12.5;
        return reply;
    });
    UI::XSheetHeader* const header = s.sheet.header();
    QPoint const name(header->sectionViewportPosition(3) + 10, header->height() - 6);
    QTest::mouseClick(header->viewport(), Qt::LeftButton, {}, name);
    QTest::mouseDClick(header->viewport(), Qt::LeftButton, {}, name);
    Model::Prompter::setHandler({});
    QCOMPARE(asked.kind, Model::Prompter::Kind::Double);
    QCOMPARE(asked.title, QStringLiteral("Audio Offset"));
    QCOMPARE(asked.minimum, -1000000.0);
    QCOMPARE(asked.maximum, 1000000.0);
    QCOMPARE(asked.decimals, 2);
    QCOMPARE(asked.step, 1.0);
    QCOMPARE(s.scene->audioOffsetFrames(), 12.5);
    QCOMPARE(s.scene->undoStack()->count(), 1);
}

QUILLMERE_TEST_MAIN(TestXSheetGestures)
#include "tst_xsheetgestures.moc"
