// The exposure sheet's header and footer: which part of a section a point
// is on, clicks that act only when press and release meet on one part, the
// audio mute that bypasses the undo stack, tool tips, double clicks on a
// name, the footer's opacity strip and the handle that alone moves columns.
#include "TestSupport.h"

#include "SheetFixture.h"

#include "prompts/Prompter.h"
#include "startup/Init.h"
#include "tools/Cursor.h"
#include "xsheet/XSheetFooter.h"
#include "xsheet/XSheetHeader.h"

#include <QSignalSpy>
#include <QToolTip>
#include <QUndoStack>

using SheetFixture::Sheet;
using UI::XSheetHeader;

namespace {

QPoint inSection(QHeaderView const* view, int section, int dx, int y)
{
    return QPoint(view->sectionViewportPosition(section) + dx, y);
}

QString toolTipAt(QWidget* widget, QPoint pos)
{
    QHelpEvent help(QEvent::ToolTip, pos, widget->mapToGlobal(pos));
    QApplication::sendEvent(widget, &help);
    return QToolTip::isVisible() ? QToolTip::text() : QString();
}

} // namespace

class TestXSheetHeaderFooter : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void hitTest_data();
    void hitTest();
    void audioMuteIsNotAnUndoStep();
    void aClickNeedsPressAndReleaseOnOnePart();
    void toolTips_data();
    void toolTips();
    void doubleClickOnANameAsksToRename();
    void audioNameShowsTheOffsetRoundedDown();
    void opacityStripClicks();
    void onlyTheHandleMovesColumns();
};

void TestXSheetHeaderFooter::initTestCase()
{
    Model::init();
}

void TestXSheetHeaderFooter::hitTest_data()
{
    QTest::addColumn<int>("section");
    QTest::addColumn<int>("dx");
    QTest::addColumn<int>("y");
    QTest::addColumn<int>("part");
    QTest::newRow("stroke layer, left half") << 0 << 3 << 5 << int(XSheetHeader::LeftButton);
    QTest::newRow("stroke layer, right half") << 0 << 40 << 5 << int(XSheetHeader::RightButton);
    QTest::newRow("stroke layer, name") << 0 << 3 << 35 << int(XSheetHeader::NameArea);
    QTest::newRow("reference layer, right half") << 2 << 40 << 5 << int(XSheetHeader::RightButton);
    QTest::newRow("audio layer, right half is its one button") << 3 << 40 << 5 << int(XSheetHeader::LeftButton);
}

void TestXSheetHeaderFooter::hitTest()
{
    QFETCH(int, section);
    QFETCH(int, dx);
    QFETCH(int, y);
    QFETCH(int, part);
    Sheet s;
    XSheetHeader* const header = s.sheet.header();
    QCOMPARE(int(header->hitTest(section, QPoint(header->sectionPosition(section) + dx, y))), part);
}

void TestXSheetHeaderFooter::audioMuteIsNotAnUndoStep()
{
    Sheet s;
    s.show();
    XSheetHeader* const header = s.sheet.header();
    QVERIFY(s.scene->isAudible());
    QTest::mouseClick(header->viewport(), Qt::LeftButton, {}, inSection(header, 3, 10, 10));
    QVERIFY(!s.scene->isAudible());
    QCOMPARE(s.scene->undoStack()->count(), 0);
    QTest::mouseClick(header->viewport(), Qt::LeftButton, {}, inSection(header, 3, 10, 10));
    QVERIFY(s.scene->isAudible());
}

void TestXSheetHeaderFooter::aClickNeedsPressAndReleaseOnOnePart()
{
    Sheet s;
    s.show();
    XSheetHeader* const header = s.sheet.header();
    // Pressing the mute button and releasing over another section does nothing.
    QTest::mousePress(header->viewport(), Qt::LeftButton, {}, inSection(header, 3, 10, 10));
    QTest::mouseRelease(header->viewport(), Qt::LeftButton, {}, inSection(header, 2, 10, 10));
    QVERIFY(s.scene->isAudible());
    // Releasing on the name of the same section does nothing either.
    QTest::mousePress(header->viewport(), Qt::LeftButton, {}, inSection(header, 3, 10, 10));
    QTest::mouseRelease(header->viewport(), Qt::LeftButton, {}, inSection(header, 3, 10, 36));
    QVERIFY(s.scene->isAudible());
}

void TestXSheetHeaderFooter::toolTips_data()
{
    QTest::addColumn<int>("section");
    QTest::addColumn<int>("dx");
    QTest::addColumn<int>("y");
    QTest::addColumn<QString>("text");
    QTest::newRow("current column's link") << 0 << 3 << 5 << "Layer Unlinked [-]";
    QTest::newRow("current column's visibility") << 0 << 40 << 5 << "Layer Visible [V]";
    QTest::newRow("another column's visibility") << 1 << 40 << 5 << "Layer Visible";
    QTest::newRow("name") << 1 << 5 << 36 << "Layer Name: pegs";
    QTest::newRow("sound button") << 3 << 5 << 5 << "Audio On";
    QTest::newRow("sound offset") << 3 << 5 << 36 << "Audio Offset";
}

void TestXSheetHeaderFooter::toolTips()
{
    QFETCH(int, section);
    QFETCH(int, dx);
    QFETCH(int, y);
    QFETCH(QString, text);
    Sheet s;
    s.show();
    XSheetHeader* const header = s.sheet.header();
    QCOMPARE(toolTipAt(header->viewport(), inSection(header, section, dx, y)), text);
    QToolTip::hideText();
}

void TestXSheetHeaderFooter::doubleClickOnANameAsksToRename()
{
    Sheet s;
    s.show();
    XSheetHeader* const header = s.sheet.header();
    QSignalSpy rename(&s.sheet, &UI::XSheet::doubleClickedLayer);
    QPoint const name = inSection(header, 1, 5, 36);
    QTest::mouseClick(header->viewport(), Qt::LeftButton, {}, name);
    QTest::mouseDClick(header->viewport(), Qt::LeftButton, {}, name);
    QCOMPARE(rename.count(), 1);
    QCOMPARE(rename.first().at(0).toInt(), 1);
    QRect const rect = rename.first().at(1).toRect();
    // In global coordinates, over the section's name area.
    QCOMPARE(rect.topLeft(), header->mapToGlobal(QPoint(header->sectionViewportPosition(1),
                                                        header->buttonRowHeight())));

    // A double click on a button renames nothing.
    QPoint const button = inSection(header, 1, 5, 5);
    QTest::mouseClick(header->viewport(), Qt::LeftButton, {}, button);
    QTest::mouseDClick(header->viewport(), Qt::LeftButton, {}, button);
    QCOMPARE(rename.count(), 1);
}

void TestXSheetHeaderFooter::audioNameShowsTheOffsetRoundedDown()
{
    Sheet s;
    s.scene->setAudioOffsetFrames(-0.5);
    s.show();
    XSheetHeader* const header = s.sheet.header();
    QImage const negative = header->grab().toImage();
    s.scene->setAudioOffsetFrames(0.0);
    QImage const zero = header->grab().toImage();
    QRect const name(header->sectionViewportPosition(3) + 1, header->buttonRowHeight() + 2,
                     header->sectionSize(3) - 4, header->height() - header->buttonRowHeight() - 4);
    // -0.5 frames shows "-1"; no offset shows no text.
    QVERIFY(negative.copy(name) != zero.copy(name));
    QImage const zeroName = zero.copy(name);
    QImage background(zeroName.size(), zeroName.format());
    for (int y = 0; y < zeroName.height(); ++y)
        for (int x = 0; x < zeroName.width(); ++x)
            background.setPixel(x, y, zeroName.pixel(0, y));
    QCOMPARE(zeroName, background);
}

void TestXSheetHeaderFooter::opacityStripClicks()
{
    Sheet s;
    s.show();
    UI::XSheetFooter* const footer = s.sheet.footer();
    QSignalSpy opened(&s.sheet, &UI::XSheet::opacityClicked);
    QSignalSpy moved(&s.sheet, &UI::XSheet::opacityCenterMoved);
    QTest::mouseClick(footer->viewport(), Qt::LeftButton, {}, inSection(footer, 3, 10, 5)); // sound
    QVERIFY(opened.isEmpty());
    QTest::mouseClick(footer->viewport(), Qt::LeftButton, {}, inSection(footer, 1, 10, 5));
    QCOMPARE(opened.count(), 1);
    QCOMPARE(opened.first().first().toInt(), 1);
    QCOMPARE(s.sheet.opacityColumn(), 1);
    QVERIFY(!moved.isEmpty());
    QPoint const centre = moved.last().first().toPoint();
    QCOMPARE(centre.x(), s.sheet.mapToGlobal(QPoint(footer->sectionViewportPosition(1)
                                                       + footer->sectionSize(1) / 2, 0)).x());
    QCOMPARE(toolTipAt(footer->viewport(), inSection(footer, 1, 10, 5)), QStringLiteral("Layer Opacity"));
    QCOMPARE(toolTipAt(footer->viewport(), inSection(footer, 1, 10, footer->stripHeight() + 5)),
             QStringLiteral("Arrange Layer"));
    QCOMPARE(toolTipAt(footer->viewport(), inSection(footer, 3, 10, footer->stripHeight() + 5)),
             QStringLiteral("Arrange Column"));
    QToolTip::hideText();
}

void TestXSheetHeaderFooter::onlyTheHandleMovesColumns()
{
    Sheet s;
    s.show();
    UI::XSheetFooter* const footer = s.sheet.footer();
    QPoint const strip = inSection(footer, 0, 10, 5);
    QPoint const handle = inSection(footer, 0, 10, footer->stripHeight() + 8);
    // Moves go straight to the footer's viewport: routed through the window
    // they land on whatever the pointer's real position picks under load.
    auto moveTo = [footer](QPoint pos) {
        QMouseEvent move(QEvent::MouseMove, pos, footer->viewport()->mapToGlobal(pos), Qt::NoButton,
                         Qt::NoButton, Qt::NoModifier);
        QApplication::sendEvent(footer->viewport(), &move);
    };
    moveTo(strip);
    QVERIFY(!footer->sectionsMovable());
    QVERIFY(!footer->hasCustomCursor());
    moveTo(handle);
    QVERIFY(footer->sectionsMovable());
    QVERIFY(footer->hasCustomCursor());
    QCOMPARE(s.sheet.cursor().shape(), Model::Cursor::m_cursorDragLeftRight.shape());
    QEvent leave(QEvent::Leave);
    QApplication::sendEvent(footer, &leave);
    QVERIFY(!footer->hasCustomCursor());
}

QUILLMERE_TEST_MAIN(TestXSheetHeaderFooter)
#include "tst_xsheetheaderfooter.moc"
