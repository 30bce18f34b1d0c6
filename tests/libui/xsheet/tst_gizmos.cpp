// The column gizmos and the layer colour gizmo: which row a point falls on,
// opening on a click and folding after a choice or on losing the focus, the
// animated height, the choices and their signals, the colour gizmos on the
// columns in view of a sheet scrolled sideways, the colour wheel at device
// pixel ratios 1 and 2, and the shadow effects' geometry.
#include "TestSupport.h"

#include "MouseEvents.h"
#include "SheetFixture.h"

#include "common/Animations.h"
#include "models/SceneModel.h"
#include "settings/KW.h"
#include "startup/Init.h"
#include "xsheet/AnnotationGizmo.h"
#include "xsheet/AudioGizmo.h"
#include "xsheet/ColorGizmo.h"
#include "xsheet/GizmoGraphicsEffect.h"
#include "xsheet/OpacitySliderGraphicsEffect.h"
#include "xsheet/XSheetHeader.h"

#include <QHash>
#include <QLineEdit>
#include <QPointer>
#include <QScrollBar>
#include <QSignalSpy>
#include <QUndoStack>
#include <QVBoxLayout>

using UI::Gizmo;

namespace {

// A window holding a gizmo at a fixed top centre and a line edit that can
// take the focus away from it.
template <typename G>
struct Host
{
    Host()
    {
        window.resize(200, 200);
        gizmo = new G(&window);
        other = new QLineEdit(&window);
        other->move(100, 150);
        gizmo->setTopCenter(QPoint(50, 10));
        window.show();
        window.activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(&window));
    }
    // The centre of a row, counted from the bottom of the gizmo as it is now.
    QPoint row(int i) const
    {
        int const unit = 18;
        return QPoint(gizmo->width() / 2, gizmo->height() - 8 - unit * i);
    }
    void click(QPoint p) { QTest::mouseClick(gizmo, Qt::LeftButton, {}, p); }

    QWidget window;
    G* gizmo = nullptr;
    QLineEdit* other = nullptr;
};

// The fixture's sheet with forty more stroke layers, each of its own
// colour: many times wider than the sheet, so that it scrolls sideways.
struct WideSheet : SheetFixture::Sheet
{
    WideSheet()
    {
        for (int l = 0; l < 40; ++l)
            scene->addLayer(std::make_shared<Model::StrokeLayer>(QColor::fromHsv(l * 9, 200, 160),
                                                                 scene->frameSize(), nullptr),
                            scene->numLayers());
        show();
    }

    bool isStroke(int column) const
    {
        return model()->headerData(column, Qt::Horizontal, Model::SceneModel::LayerTypeRole).toInt() == 1;
    }

    // Where the gizmo of a column stands: centred under its header section.
    QPoint anchor(int column) const
    {
        UI::XSheetHeader const* header = sheet.header();
        return QPoint(header->sectionViewportPosition(column) + header->sectionSize(column) / 2,
                      header->height());
    }

    bool inView(int column) const
    {
        int const left = sheet.header()->sectionViewportPosition(column);
        return left < sheet.width() && left + sheet.header()->sectionSize(column) > 0;
    }

    QList<UI::ColorGizmo*> shownColorGizmos() const
    {
        QList<UI::ColorGizmo*> shown;
        for (UI::ColorGizmo* gizmo : sheet.findChildren<UI::ColorGizmo*>())
            if (gizmo->isVisible())
                shown << gizmo;
        return shown;
    }
};

} // namespace

class TestGizmos : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void init();
    void rowUnderAPoint_data();
    void rowUnderAPoint();
    void clickOpensAndTheOpeningAnimates();
    void choosingARowReportsItAndFolds();
    void pressAndReleaseOnDifferentRowsDoNothing();
    void losingTheFocusFolds();
    void disabledGizmoDoesNotGrowOnHover();
    void colorPresetsAndTheCustomRow();
    void presetOnTheSheetRecoloursTheLayerInOneStep();
    void colorGizmosStandOnTheStrokeColumnsInView_data();
    void colorGizmosStandOnTheStrokeColumnsInView();
    void anOpenColorGizmoStaysWithItsColumnScrolledAway();
    void colorWheelAtBothRatios();
    void shadowGeometry();
};

void TestGizmos::initTestCase()
{
    Model::init();
}

void TestGizmos::init()
{
    UI::Animations::setEnabled(false);
}

void TestGizmos::rowUnderAPoint_data()
{
    QTest::addColumn<int>("fromBottom"); // pixels above the bottom edge
    QTest::addColumn<int>("row");
    // d = 2 + H - y; rows are 18 pixels apart, a row's last pixel is a gap.
    QTest::newRow("bottom edge") << 1 << 0;
    QTest::newRow("top of row 0") << 14 << 0;
    QTest::newRow("gap above row 0") << 16 << 6;
    QTest::newRow("row 1") << 20 << 1;
    QTest::newRow("row 2") << 40 << 2;
    QTest::newRow("gap between rows 2 and 3") << 52 << 6;
    QTest::newRow("row 4") << 75 << 4;
    QTest::newRow("top row") << 92 << 5;
}

void TestGizmos::rowUnderAPoint()
{
    QFETCH(int, fromBottom);
    QFETCH(int, row);
    UI::ColorGizmo gizmo;
    gizmo.openGizmo(); // the colour gizmo opens to the full height
    QCOMPARE(gizmo.height(), 107);
    QPoint const p(12, gizmo.height() - fromBottom);
    QSignalSpy spy(&gizmo, &UI::ColorGizmo::colorChanged);
    // Read the row back through what a click on it does: rows 1 to 4 choose
    // a preset, which the current red is not.
    QTest::mouseClick(&gizmo, Qt::LeftButton, {}, p);
    QCOMPARE(spy.count(), row >= 1 && row <= 4 ? 1 : 0);
    if (row >= 1 && row <= 4)
        QCOMPARE(spy.first().at(1).value<QColor>(), UI::ColorGizmo::presetColor(row));
    QCOMPARE(gizmo.state() == 1, row == 5 || row == 6);
}

void TestGizmos::clickOpensAndTheOpeningAnimates()
{
    Host<UI::AnnotationGizmo> host;
    UI::AnnotationGizmo* const gizmo = host.gizmo;
    QSignalSpy chosen(gizmo, &Gizmo::sectionSelected);
    QCOMPARE(gizmo->size(), QSize(16, 14));
    UI::Animations::setEnabled(true);
    QSignalSpy heights(gizmo, &Gizmo::gizmoHeightChanged);
    host.click(QPoint(8, 7));
    QCOMPARE(gizmo->state(), 1);
    // The strip grows downward over 130 ms to rows 2, 1 and 0; its top and
    // horizontal centre stay put.
    QTRY_COMPARE(gizmo->height(), 51);
    QVERIFY(heights.count() > 2);
    QCOMPARE(gizmo->width(), 24);
    QCOMPARE(gizmo->topCenter(), QPoint(50, 10));
    QVERIFY(chosen.isEmpty()); // the click that opens chooses nothing
    QVERIFY(gizmo->hasFocus());
}

void TestGizmos::choosingARowReportsItAndFolds()
{
    Host<UI::AudioGizmo> host;
    UI::AudioGizmo* const gizmo = host.gizmo;
    QSignalSpy locked(gizmo, &UI::AudioGizmo::audioOffsetLockedChanged);
    host.click(QPoint(8, 7));
    QCOMPARE(gizmo->height(), 51);

    host.click(host.row(2)); // lock
    QCOMPARE(locked.count(), 1);
    QCOMPARE(locked.first().first().toBool(), true);
    QVERIFY(gizmo->audioOffsetLocked());
    QVERIFY(gizmo->state() == 0 || gizmo->state() == 2);
    QVERIFY(gizmo->height() < 51);

    // Choosing the current row folds without a signal.
    host.click(QPoint(gizmo->width() / 2, 7));
    QCOMPARE(gizmo->state(), 1);
    host.click(host.row(2));
    QCOMPARE(locked.count(), 1);
    QVERIFY(gizmo->state() != 1);

    // The annotation gizmo reports its pen type the same way.
    Host<UI::AnnotationGizmo> notes;
    QSignalSpy penType(notes.gizmo, &UI::AnnotationGizmo::penTypeChanged);
    notes.click(QPoint(8, 7));
    notes.click(notes.row(2));
    QCOMPARE(penType.count(), 1);
    QCOMPARE(notes.gizmo->penType(), KW::AnnotationPenType::DrawToolPen);
    notes.click(QPoint(notes.gizmo->width() / 2, 7));
    notes.click(notes.row(1));
    QCOMPARE(notes.gizmo->penType(), KW::AnnotationPenType::ScribblePen);
    QCOMPARE(penType.count(), 2);
}

void TestGizmos::pressAndReleaseOnDifferentRowsDoNothing()
{
    Host<UI::AudioGizmo> host;
    QSignalSpy chosen(host.gizmo, &Gizmo::sectionSelected);
    host.click(QPoint(8, 7));
    QTest::mousePress(host.gizmo, Qt::LeftButton, {}, host.row(1));
    QTest::mouseRelease(host.gizmo, Qt::LeftButton, {}, host.row(2));
    QVERIFY(chosen.isEmpty());
    QCOMPARE(host.gizmo->state(), 1);
}

void TestGizmos::losingTheFocusFolds()
{
    Host<UI::ColorGizmo> host;
    host.click(QPoint(8, 7));
    QCOMPARE(host.gizmo->state(), 1);
    QCOMPARE(host.gizmo->height(), 107);
    QVERIFY(host.gizmo->hasFocus());
    host.other->setFocus(Qt::MouseFocusReason);
    QTRY_COMPARE(host.gizmo->state(), 0);
    QCOMPARE(host.gizmo->size(), QSize(16, 14));

    Host<UI::AnnotationGizmo> notes;
    notes.click(QPoint(8, 7));
    QCOMPARE(notes.gizmo->state(), 1);
    notes.other->setFocus(Qt::MouseFocusReason);
    QTRY_COMPARE(notes.gizmo->state(), 0);
}

void TestGizmos::disabledGizmoDoesNotGrowOnHover()
{
    Host<UI::AudioGizmo> host;
    QHoverEvent enter(QEvent::HoverEnter, QPointF(8, 7), QPointF(8, 7), QPointF(-1, -1));
    host.gizmo->setEnabled(false);
    QApplication::sendEvent(host.gizmo, &enter);
    QCOMPARE(host.gizmo->size(), QSize(16, 14));
    host.gizmo->setEnabled(true);
    QApplication::sendEvent(host.gizmo, &enter);
    QCOMPARE(host.gizmo->state(), 2);
    QCOMPARE(host.gizmo->size(), QSize(24, 15));
}

void TestGizmos::colorPresetsAndTheCustomRow()
{
    Host<UI::ColorGizmo> host;
    UI::ColorGizmo* const gizmo = host.gizmo;
    gizmo->setLayerIdx(3);
    QSignalSpy changed(gizmo, &UI::ColorGizmo::colorChanged);
    gizmo->setColor(QColor(40, 97, 184));
    QCOMPARE(changed.count(), 1);
    QCOMPARE(changed.first().at(0).toInt(), 3);

    host.click(QPoint(8, 7));
    host.click(host.row(2)); // blue, already the colour: folds, no signal
    QCOMPARE(changed.count(), 1);
    QVERIFY(gizmo->state() != 1);

    host.click(QPoint(8, 7));
    host.click(host.row(5)); // the custom row does nothing and stays open
    QCOMPARE(changed.count(), 1);
    QCOMPARE(gizmo->state(), 1);
    QCOMPARE(gizmo->color(), QColor(40, 97, 184));

    host.click(host.row(4)); // green
    QCOMPARE(changed.count(), 2);
    QCOMPARE(changed.last().at(0).toInt(), 3);
    QCOMPARE(changed.last().at(1).value<QColor>(), QColor(125, 180, 52));
    QCOMPARE(gizmo->color(), QColor(125, 180, 52));
}

void TestGizmos::presetOnTheSheetRecoloursTheLayerInOneStep()
{
    SheetFixture::Sheet s;
    s.show();
    QUndoStack* const stack = s.scene->undoStack();
    UI::ColorGizmo* gizmo = nullptr;
    for (UI::ColorGizmo* g : s.sheet.findChildren<UI::ColorGizmo*>())
        if (g->isVisible() && g->layerIdx() == 0)
            gizmo = g;
    QVERIFY(gizmo);
    QColor const before = s.scene->layerColor(0);
    QColor const blue = UI::ColorGizmo::presetColor(2);
    QVERIFY(before != blue);

    MouseEvents::click(gizmo, QPoint(gizmo->width() / 2, 7));
    QCOMPARE(gizmo->state(), 1);
    QCOMPARE(gizmo->height(), 107);
    MouseEvents::click(gizmo, QPoint(12, gizmo->height() - 8 - 18 * 2));
    QCOMPARE(stack->count(), 1);
    QCOMPARE(s.scene->layerColor(0), blue);
    QCOMPARE(gizmo->color(), blue);
    QVERIFY(gizmo->state() != 1);
    stack->undo();
    QCOMPARE(s.scene->layerColor(0), before);
    QCOMPARE(gizmo->color(), before);
}

void TestGizmos::colorGizmosStandOnTheStrokeColumnsInView_data()
{
    QTest::addColumn<double>("scrolled"); // part of the sideways scroll range
    QTest::newRow("left end") << 0.0;
    QTest::newRow("middle") << 0.5;
    QTest::newRow("right end") << 1.0;
}

void TestGizmos::colorGizmosStandOnTheStrokeColumnsInView()
{
    QFETCH(double, scrolled);
    WideSheet s;
    QScrollBar* const bar = s.sheet.horizontalScrollBar();
    QVERIFY(bar->maximum() > 2 * s.sheet.width());
    // Over there and back, so that every position is reached by a scroll.
    bar->setValue(bar->maximum() - qRound(bar->maximum() * scrolled));
    bar->setValue(qRound(bar->maximum() * scrolled));

    QHash<int, UI::ColorGizmo*> byColumn;
    for (UI::ColorGizmo* gizmo : s.shownColorGizmos()) {
        int const column = gizmo->layerIdx();
        QVERIFY2(!byColumn.contains(column), qPrintable(QStringLiteral("two gizmos on column %1").arg(column)));
        byColumn.insert(column, gizmo);
        QVERIFY(s.isStroke(column));
        QCOMPARE(gizmo->topCenter(), s.anchor(column));
        QCOMPARE(gizmo->color(), s.scene->layerColor(column));
    }
    int inView = 0;
    for (int column = 0; column < s.scene->numLayers(); ++column) {
        if (!s.isStroke(column) || !s.inView(column))
            continue;
        ++inView;
        QVERIFY2(byColumn.contains(column), qPrintable(QStringLiteral("no gizmo on column %1").arg(column)));
    }
    QVERIFY(inView >= 2);
}

void TestGizmos::anOpenColorGizmoStaysWithItsColumnScrolledAway()
{
    WideSheet s;
    int const column = s.sheet.header()->logicalIndex(0);
    QPointer<UI::ColorGizmo> open;
    for (UI::ColorGizmo* gizmo : s.shownColorGizmos())
        if (gizmo->layerIdx() == column)
            open = gizmo;
    QVERIFY(open);
    MouseEvents::click(open, QPoint(open->width() / 2, 7));
    QCOMPARE(open->state(), 1);

    QScrollBar* const bar = s.sheet.horizontalScrollBar();
    bar->setValue(bar->maximum());
    QVERIFY(!s.inView(column));
    QVERIFY(open);
    QCOMPARE(open->state(), 1);
    QCOMPARE(open->layerIdx(), column);
    QCOMPARE(open->topCenter(), s.anchor(column));
    // No gizmo in view took its state.
    for (UI::ColorGizmo* gizmo : s.shownColorGizmos())
        if (gizmo != open)
            QCOMPARE(gizmo->state(), 0);

    bar->setValue(0);
    QVERIFY(open);
    QVERIFY(open->isVisible());
    QCOMPARE(open->state(), 1);
    QCOMPARE(open->layerIdx(), column);
    QCOMPARE(open->topCenter(), s.anchor(column));
}

void TestGizmos::colorWheelAtBothRatios()
{
    for (qreal ratio : {1.0, 2.0}) {
        QPixmap const wheel = UI::ColorGizmo::colorWheelPixmap(17, ratio);
        QCOMPARE(wheel.devicePixelRatio(), ratio);
        QCOMPARE(wheel.size(), QSize(qRound(18 * ratio), qRound(18 * ratio)));
        QImage const image = wheel.toImage();
        // The centre disc, the hues around it, transparent corners.
        QCOMPARE(image.pixelColor(image.width() / 2, image.height() / 2).rgb(), qRgb(94, 94, 93));
        QCOMPARE(image.pixelColor(0, 0).alpha(), 0);
        QColor const east = image.pixelColor(image.width() - int(3 * ratio), image.height() / 2);
        QVERIFY(east.alpha() > 60);
        QVERIFY(east.red() > east.blue()); // hue 0 at angle 0
    }
}

void TestGizmos::shadowGeometry()
{
    UI::GizmoGraphicsEffect gizmo;
    QCOMPARE(gizmo.boundingRectFor(QRectF(100, 20, 24, 51)), QRectF(91, 20, 42, 60));
    UI::OpacitySliderGraphicsEffect slider;
    QCOMPARE(slider.boundingRectFor(QRectF(100, 100, 40, 100)), QRectF(86, 82, 68, 136));
}

QUILLMERE_TEST_MAIN(TestGizmos)
#include "tst_gizmos.moc"
