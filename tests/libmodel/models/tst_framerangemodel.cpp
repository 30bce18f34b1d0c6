// The frame-range proxy: which source cell each row of the range shows, the
// previews of the slide and add-clones drags with their limits, and the
// maps between the proxy and the scene item model.
#include "TestSupport.h"

#include "../scene/EditFixture.h"

#include "models/FrameRangeModel.h"
#include "models/SceneModel.h"

#include <QSignalSpy>

using Model::FrameRangeModel;
using Model::SceneModel;

namespace {

// A scene with its item model and the proxy over it, wired as the bundle
// wires them.
struct RangeScene
{
    RangeScene()
    {
        source.setScene(&scene);
        proxy.setSourceModel(&source);
        proxy.setScene(&scene);
    }

    std::shared_ptr<FixtureDrawLayer> add(QString const& name, QString const& pattern)
    {
        auto layer = std::make_shared<FixtureDrawLayer>(name);
        Fixture::build(*layer, pattern);
        scene.addLayer(layer, scene.numLayers());
        return layer;
    }

    std::shared_ptr<Model::AnnotationLayer> addNotes(int frames)
    {
        auto notes = std::make_shared<Model::AnnotationLayer>(nullptr);
        notes->setName(QStringLiteral("notes"));
        for (int frame = 1; frame <= frames; ++frame)
            notes->insertFrame(frame, Fixture::note(frame));
        scene.addLayer(notes, scene.numLayers());
        return notes;
    }

    // The column as the exposure sheet would read it, in the notation of
    // the drag examples: a drawing's name, "h" for a hold (or a row the
    // preview turns into one), "+" for the virtual last frame, "-" where
    // the row has no cell.
    QString shown(int column) const
    {
        QStringList parts;
        for (int row = 0; row < proxy.rowCount(); ++row) {
            QModelIndex const index = proxy.index(row, column);
            if (!index.isValid())
                parts << QStringLiteral("-");
            else if (index.data(SceneModel::HoldRole).toBool())
                parts << QStringLiteral("h");
            else if (index.data(SceneModel::VirtualLastFrameRole).toBool())
                parts << QStringLiteral("+");
            else
                parts << source.lookupLayerItem(proxy.mapToSource(index))->drawing->name();
        }
        return parts.join(QLatin1Char(' '));
    }

    // The source row each row of the column shows, -1 where there is none.
    QString sourceRows(int column) const
    {
        QStringList parts;
        for (int row = 0; row < proxy.rowCount(); ++row)
            parts << QString::number(proxy.mapToSource(proxy.index(row, column)).row());
        return parts.join(QLatin1Char(' '));
    }

    Model::Scene scene;
    SceneModel source;
    FrameRangeModel proxy;
};

// A h h B h h C in the range 1-7.
struct SlideScene : RangeScene
{
    SlideScene()
    {
        layer = add(QStringLiteral("ink"), QStringLiteral("A..B..C"));
        scene.setFrameRange(1, 7, 1, 0);
    }
    std::shared_ptr<FixtureDrawLayer> layer;
};

} // namespace

class TestFrameRangeModel : public QObject
{
    Q_OBJECT

private slots:
    void init();

    void theRangeAndTheRowAfterIt();
    void headersAndChangesAreShiftedIntoTheRange();
    void aNewRangeChangesTheLayout();

    void slidePreview_data();
    void slidePreview();
    void slideStaysWithinTheHolds();
    void slideBackKeepsTheFarthestReach();
    void previewHoldsHideKeyAndCloneMarks();
    void refusedDrags();

    void addClonesPreview_data();
    void addClonesPreview();
    void addClonesDiscardsOnlyTheHoldsAbove();
    void addClonesGrowsTheRangeEnd_data();
    void addClonesGrowsTheRangeEnd();
    void addClonesMovesTheLinkedLayers();
    void offPegsFollowsThePreview();

    void mapsAreInverse_data();
    void mapsAreInverse();
    void clonesAreFoundInTheRange();
    void dragEndRestoresTheSource();
    void withoutASceneEverythingIsNeutral();
};

void TestFrameRangeModel::init()
{
    TestSupport::clearSettings();
}

// --- range -------------------------------------------------------------------

void TestFrameRangeModel::theRangeAndTheRowAfterIt()
{
    RangeScene s;
    s.add(QStringLiteral("long"), QStringLiteral("A") + QString(29, QLatin1Char('.')));
    s.add(QStringLiteral("short"), QStringLiteral("B") + QString(14, QLatin1Char('.')));
    s.addNotes(3);
    auto audio = std::make_shared<Model::AudioLayer>(nullptr);
    s.scene.addLayer(audio, 3);
    s.scene.setFrameRange(10, 20, 10, 0);
    FrameRangeModel& p = s.proxy;

    QCOMPARE(p.minimumFrameRangeNumber(), 10);
    QCOMPARE(p.maximumFrameRangeNumber(), 20);
    QCOMPARE(p.maximumFrameNumber(), 30);
    QCOMPARE(p.rowCount(), 12);
    QCOMPARE(p.columnCount(), 4);

    // Row 0 is frame 10; the long layer's last row is its virtual last frame.
    QCOMPARE(p.mapToSource(p.index(0, 0)), s.source.index(9, 0));
    QCOMPARE(p.mapToSource(p.index(10, 0)), s.source.index(19, 0));
    QCOMPARE(p.mapToSource(p.index(11, 0)), s.source.index(30, 0));
    QVERIFY(p.index(11, 0).data(SceneModel::VirtualLastFrameRole).toBool());
    QCOMPARE(int(p.flags(p.index(11, 0))), int(Qt::ItemIsEnabled | Qt::ItemNeverHasChildren));

    // The short layer ends inside the range.
    QCOMPARE(s.sourceRows(1), QStringLiteral("9 10 11 12 13 14 15 -1 -1 -1 -1 -1"));
    QVERIFY(p.index(6, 1).data(SceneModel::VirtualLastFrameRole).toBool());
    QVERIFY(!p.index(7, 1).isValid());

    // Notes and sound have no row after the range; sound without sound
    // shows no cell in its rows.
    QCOMPARE(p.mapToSource(p.index(0, 2)), s.source.index(9, 2));
    QVERIFY(p.index(10, 2).isValid());
    QVERIFY(!p.index(11, 2).isValid());
    QVERIFY(p.index(10, 3).isValid());
    QVERIFY(!p.index(11, 3).isValid());
    QVERIFY(!p.mapToSource(p.index(0, 3)).isValid());

    QVERIFY(!p.index(0, 4).isValid());
    QVERIFY(!p.index(-1, 0).isValid());
    QVERIFY(!p.index(12, 0).isValid());
    QVERIFY(!p.parent(p.index(0, 0)).isValid());
    QVERIFY(!p.hasChildren(p.index(0, 0)));
    QCOMPARE(p.rowCount(p.index(0, 0)), 0);

    // The cells a view may address, whatever the drag shows.
    QVERIFY(p.sceneIndex(11, 0).isValid());
    QVERIFY(!p.sceneIndex(12, 0).isValid());
    QVERIFY(p.sceneIndex(6, 1).isValid());
    QVERIFY(!p.sceneIndex(7, 1).isValid());
    QVERIFY(!p.sceneIndex(0, 4).isValid());
    QVERIFY(!p.sceneIndex(-1, 0).isValid());
}

void TestFrameRangeModel::headersAndChangesAreShiftedIntoTheRange()
{
    RangeScene s;
    auto const layer = s.add(QStringLiteral("long"), QStringLiteral("A") + QString(29, QLatin1Char('.')));
    s.scene.setFrameRange(10, 20, 10, 0);
    FrameRangeModel& p = s.proxy;

    QSignalSpy headers(&p, &FrameRangeModel::headerDataChanged);
    s.scene.setScrubFrame(10);
    QVERIFY(p.headerData(0, Qt::Vertical, SceneModel::ScrubFrameRole).toBool());
    QVERIFY(!p.headerData(1, Qt::Vertical, SceneModel::ScrubFrameRole).toBool());
    QCOMPARE(headers.count(), 1);
    QCOMPARE(headers.at(0), (QVariantList{QVariant::fromValue(Qt::Vertical), 0, 0}));

    // A span reaching past the range is cut to it; one wholly after it is
    // not passed on.
    headers.clear();
    s.scene.setScrubFrame(25);
    QCOMPARE(headers.count(), 1);
    QCOMPARE(headers.at(0), (QVariantList{QVariant::fromValue(Qt::Vertical), 0, 11}));
    headers.clear();
    s.scene.setScrubFrame(28);
    QVERIFY(headers.isEmpty());
    headers.clear();
    s.scene.setScrubFrame(5);
    QCOMPARE(headers.count(), 1);
    QCOMPARE(headers.at(0), (QVariantList{QVariant::fromValue(Qt::Vertical), 0, 11}));

    // Horizontal sections pass through.
    headers.clear();
    QVERIFY(p.setHeaderData(0, Qt::Horizontal, true, SceneModel::LayerLinkedRole));
    QVERIFY(s.scene.isLayerLinked(0));
    QCOMPARE(headers.count(), 1);
    QCOMPARE(headers.at(0), (QVariantList{QVariant::fromValue(Qt::Horizontal), 0, 0}));
    QCOMPARE(p.headerData(0, Qt::Horizontal).toString(), QStringLiteral("long"));

    // Cell changes arrive where the cell is shown, and not at all outside.
    QSignalSpy data(&p, &FrameRangeModel::dataChanged);
    s.scene.setKeyDrawing(0, 12, true);
    QCOMPARE(data.count(), 1);
    QCOMPARE(data.at(0).at(0).toModelIndex(), p.index(2, 0));
    QVERIFY(p.index(2, 0).data(SceneModel::KeyDrawingRole).toBool());
    s.scene.setKeyDrawing(0, 5, true);
    s.scene.setKeyDrawing(0, 25, true);
    QCOMPARE(data.count(), 1);
    QVERIFY(layer->isKeyDrawing(25));
}

void TestFrameRangeModel::aNewRangeChangesTheLayout()
{
    RangeScene s;
    s.add(QStringLiteral("long"), QStringLiteral("A") + QString(29, QLatin1Char('.')));
    s.scene.setFrameRange(1, 30, 1, 0);
    QPersistentModelIndex const late(s.proxy.index(25, 0));
    QPersistentModelIndex const early(s.proxy.index(3, 0));
    QSignalSpy aboutToChange(&s.proxy, &FrameRangeModel::layoutAboutToBeChanged);
    QSignalSpy changed(&s.proxy, &FrameRangeModel::layoutChanged);

    s.scene.setFrameRange(10, 20, 10, 0);
    QCOMPARE(aboutToChange.count(), 1);
    QCOMPARE(changed.count(), 1);
    QCOMPARE(s.proxy.rowCount(), 12);
    // An index kept on a row the range no longer has goes invalid.
    QVERIFY(!late.isValid());
    QVERIFY(early.isValid());
}

// --- slide -------------------------------------------------------------------

void TestFrameRangeModel::slidePreview_data()
{
    QTest::addColumn<int>("distance");
    QTest::addColumn<QString>("shown");
    QTest::addColumn<QString>("sourceRows");

    QTest::newRow("two up") << -2 << QStringLiteral("A B h h h h C +")
                            << QStringLiteral("0 3 3 3 4 5 6 7");
    QTest::newRow("one up") << -1 << QStringLiteral("A h B h h h C +")
                            << QStringLiteral("0 1 3 3 4 5 6 7");
    QTest::newRow("in place") << 0 << QStringLiteral("A h h B h h C +")
                              << QStringLiteral("0 1 2 3 4 5 6 7");
    QTest::newRow("one down") << 1 << QStringLiteral("A h h h B h C +")
                              << QStringLiteral("0 1 2 2 3 5 6 7");
    QTest::newRow("two down") << 2 << QStringLiteral("A h h h h B C +")
                              << QStringLiteral("0 1 2 2 2 3 6 7");
}

void TestFrameRangeModel::slidePreview()
{
    QFETCH(int, distance);
    QFETCH(QString, shown);
    QFETCH(QString, sourceRows);

    SlideScene s;
    QVERIFY(s.proxy.dragStart(FrameRangeModel::Slide, s.proxy.index(3, 0)));
    QCOMPARE(s.proxy.dragMode(), FrameRangeModel::Slide);
    s.proxy.setDragDistanceRows(distance);
    QCOMPARE(s.proxy.dragDistance(), distance);
    QCOMPARE(s.shown(0), shown);
    QCOMPARE(s.sourceRows(0), sourceRows);
    QCOMPARE(s.proxy.currentDragIndex(), s.proxy.index(3 + distance, 0));
    QCOMPARE(s.proxy.minDraggedDistance(), std::min(distance, 0));
    QCOMPARE(s.proxy.maxDraggedDistance(), std::max(distance, 0));
    // The scene is not touched by a preview.
    QCOMPARE(Fixture::describe(*s.layer), QStringLiteral("A..B..C"));
}

void TestFrameRangeModel::slideStaysWithinTheHolds()
{
    SlideScene s;
    QSignalSpy distances(&s.proxy, &FrameRangeModel::dragDistanceChanged);
    QVERIFY(s.proxy.dragStart(FrameRangeModel::Slide, s.proxy.index(3, 0)));

    s.proxy.setDragDistanceRows(5);
    QCOMPARE(s.proxy.dragDistance(), 2);
    s.proxy.setDragDistanceRows(3);
    s.proxy.setDragDistanceRows(2);
    QCOMPARE(distances.count(), 1);
    QCOMPARE(distances.at(0).at(0).toInt(), 2);

    s.proxy.setDragDistanceRows(-9);
    QCOMPARE(s.proxy.dragDistance(), -2);
    QCOMPARE(distances.count(), 2);
    QCOMPARE(s.proxy.minDraggedDistance(), -2);
    QCOMPARE(s.proxy.maxDraggedDistance(), 2);
}

void TestFrameRangeModel::slideBackKeepsTheFarthestReach()
{
    RangeScene s;
    s.add(QStringLiteral("ink"), QStringLiteral("A...B...C"));
    s.scene.setFrameRange(1, 9, 1, 0);
    QVERIFY(s.proxy.dragStart(FrameRangeModel::Slide, s.proxy.index(4, 0)));
    s.proxy.setDragDistanceRows(3);
    QCOMPARE(s.shown(0), QStringLiteral("A h h h h h h B C +"));
    s.proxy.setDragDistanceRows(1);
    QCOMPARE(s.proxy.maxDraggedDistance(), 3);
    // Rows 6 and 7 still show the grabbed drawing, as holds.
    QCOMPARE(s.sourceRows(0), QStringLiteral("0 1 2 3 3 4 4 4 8 9"));
    QCOMPARE(s.shown(0), QStringLiteral("A h h h h B h h C +"));
}

void TestFrameRangeModel::previewHoldsHideKeyAndCloneMarks()
{
    RangeScene s;
    auto const layer = s.add(QStringLiteral("ink"), QStringLiteral("A..*..C"));
    Fixture::link(*layer, 1, *layer, 4);
    s.scene.setKeyDrawing(0, 4, true);
    s.scene.setFrameRange(1, 7, 1, 0);
    FrameRangeModel& p = s.proxy;

    QVERIFY(p.dragStart(FrameRangeModel::Slide, p.index(3, 0)));
    p.setDragDistanceRows(-1);
    // Row 2 shows the clone where it lands; row 3 shows it as the hold the
    // old place becomes.
    QCOMPARE(p.mapToSource(p.index(2, 0)), s.source.index(3, 0));
    QCOMPARE(p.mapToSource(p.index(3, 0)), s.source.index(3, 0));
    QModelIndex const lands = p.index(2, 0);
    QModelIndex const left = p.index(3, 0);
    QVERIFY(lands.data(SceneModel::DistantCloneRole).toBool());
    QVERIFY(lands.data(SceneModel::KeyDrawingRole).toBool());
    QVERIFY(!lands.data(SceneModel::HoldRole).toBool());
    QVERIFY(left.data(SceneModel::HoldRole).toBool());
    QVERIFY(!left.data(SceneModel::DistantCloneRole).toBool());
    QVERIFY(!left.data(SceneModel::KeyDrawingRole).toBool());
    // Other rows keep what the source says.
    QVERIFY(p.index(4, 0).data(SceneModel::HoldRole).toBool());
    QVERIFY(p.index(0, 0).data(SceneModel::OriginalRole).toBool());
}

void TestFrameRangeModel::refusedDrags()
{
    SlideScene s;
    FrameRangeModel& p = s.proxy;
    QSignalSpy distances(&p, &FrameRangeModel::dragDistanceChanged);

    QVERIFY(!p.dragStart(FrameRangeModel::Slide, p.index(0, 0)));
    QVERIFY(!p.dragStart(FrameRangeModel::Slide, p.index(1, 0)));
    QCOMPARE(p.dragMode(), FrameRangeModel::NoDrag);
    QCOMPARE(p.dragDistance(), 0);
    QVERIFY(!p.currentDragIndex().isValid());
    QCOMPARE(s.sourceRows(0), QStringLiteral("0 1 2 3 4 5 6 7"));

    QVERIFY(!p.dragStart(FrameRangeModel::Slide, p.index(7, 0)));
    QVERIFY(!p.dragStart(FrameRangeModel::AddClones, p.index(7, 0)));
    QVERIFY(!p.dragStart(FrameRangeModel::AddClones, QModelIndex()));
    QVERIFY(!p.dragStart(FrameRangeModel::AddClones, s.source.index(3, 0)));
    QCOMPARE(p.dragMode(), FrameRangeModel::NoDrag);

    // Without a drag, a distance is only repeated.
    p.setDragDistanceRows(4);
    QCOMPARE(distances.count(), 1);
    QCOMPARE(distances.at(0).at(0).toInt(), 0);
    QCOMPARE(p.dragDistance(), 0);

    // Slides start anywhere but on the first frame and holds, also where
    // the range does not start at frame 1.
    s.scene.setFrameRange(3, 7, 4, 0);
    QVERIFY(p.dragStart(FrameRangeModel::Slide, p.index(1, 0)));
    p.setDragDistanceRows(-5);
    QCOMPARE(p.dragDistance(), -1);
    QCOMPARE(s.shown(0), QStringLiteral("B h h h C +"));
}

// --- add clones --------------------------------------------------------------

void TestFrameRangeModel::addClonesPreview_data()
{
    QTest::addColumn<int>("distance");
    QTest::addColumn<QString>("shown");
    QTest::addColumn<QString>("sourceRows");
    QTest::addColumn<int>("rangeEnd");

    QTest::newRow("two discarded") << -2 << QStringLiteral("A B h h C +")
                                   << QStringLiteral("0 3 4 5 6 7") << 5;
    QTest::newRow("one discarded") << -1 << QStringLiteral("A h B h h C +")
                                   << QStringLiteral("0 1 3 4 5 6 7") << 6;
    QTest::newRow("none") << 0 << QStringLiteral("A h h B h h C +")
                          << QStringLiteral("0 1 2 3 4 5 6 7") << 7;
    QTest::newRow("one added") << 1 << QStringLiteral("A h h h B h h C +")
                               << QStringLiteral("0 1 2 2 3 4 5 6 7") << 8;
    QTest::newRow("two added") << 2 << QStringLiteral("A h h h h B h h C +")
                               << QStringLiteral("0 1 2 2 2 3 4 5 6 7") << 9;
}

void TestFrameRangeModel::addClonesPreview()
{
    QFETCH(int, distance);
    QFETCH(QString, shown);
    QFETCH(QString, sourceRows);
    QFETCH(int, rangeEnd);

    SlideScene s;
    FrameRangeModel& p = s.proxy;
    // The second hold: the two holds above it may be discarded.
    QVERIFY(p.dragStart(FrameRangeModel::AddClones, p.index(2, 0)));
    QCOMPARE(p.dragMode(), FrameRangeModel::AddClones);
    p.setDragDistanceRows(distance);
    QCOMPARE(p.dragDistance(), distance);
    QCOMPARE(s.shown(0), shown);
    QCOMPARE(s.sourceRows(0), sourceRows);
    QCOMPARE(p.maximumFrameRangeNumber(), rangeEnd);
    QCOMPARE(p.maximumFrameNumber(), 7 + distance);
    QCOMPARE(p.rowCount(), rangeEnd + 1);
    QCOMPARE(p.headerData(0, Qt::Horizontal, SceneModel::LayerLengthRole).toInt(), 8 + distance);
    QCOMPARE(p.currentDragIndex(), p.index(2 + distance, 0));
    // The light table shows the committed timing only.
    QVERIFY(!p.headerData(0, Qt::Vertical, SceneModel::BacklightFrameRole).isValid());
    QCOMPARE(Fixture::describe(*s.layer), QStringLiteral("A..B..C"));
}

void TestFrameRangeModel::addClonesDiscardsOnlyTheHoldsAbove()
{
    RangeScene s;
    auto const first = s.add(QStringLiteral("first"), QStringLiteral("A...B.C"));
    auto const second = s.add(QStringLiteral("second"), QStringLiteral("D..E..."));
    s.scene.setFrameRange(1, 7, 1, 0);
    FrameRangeModel& p = s.proxy;

    // An original has no holds to discard.
    QVERIFY(p.dragStart(FrameRangeModel::AddClones, p.index(4, 0)));
    p.setDragDistanceRows(-3);
    QCOMPARE(p.dragDistance(), 0);
    p.dragEnd();

    // The third of three holds.
    QVERIFY(p.dragStart(FrameRangeModel::AddClones, p.index(3, 0)));
    p.setDragDistanceRows(-5);
    QCOMPARE(p.dragDistance(), -3);
    // The range end stays with the other layer, which the drag leaves alone.
    QCOMPARE(s.shown(0), QStringLiteral("A B h C + - - -"));
    QCOMPARE(s.shown(1), QStringLiteral("D h h E h h h +"));
    p.dragEnd();

    // Linked, a frame counts as a hold only where every linked layer holds.
    s.scene.setLayerLinked(0, true);
    s.scene.setLayerLinked(1, true);
    QVERIFY(p.dragStart(FrameRangeModel::AddClones, p.index(3, 0)));
    p.setDragDistanceRows(-5);
    QCOMPARE(p.dragDistance(), 0);
    p.dragEnd();
    QVERIFY(p.dragStart(FrameRangeModel::AddClones, p.index(2, 0)));
    p.setDragDistanceRows(-5);
    QCOMPARE(p.dragDistance(), -2);
    QCOMPARE(s.shown(0), QStringLiteral("A h B h C +"));
    QCOMPARE(s.shown(1), QStringLiteral("D E h h h +"));
    QCOMPARE(Fixture::describe(*first), QStringLiteral("A...B.C"));
    QCOMPARE(Fixture::describe(*second), QStringLiteral("D..E..."));
}

void TestFrameRangeModel::addClonesGrowsTheRangeEnd_data()
{
    QTest::addColumn<int>("length");
    QTest::addColumn<int>("rangeEnd");

    QTest::newRow("reaching the range end") << 10 << 12;
    QTest::newRow("one short of it") << 9 << 11;
    QTest::newRow("far short of it") << 5 << 10;
}

void TestFrameRangeModel::addClonesGrowsTheRangeEnd()
{
    QFETCH(int, length);
    QFETCH(int, rangeEnd);

    RangeScene s;
    s.add(QStringLiteral("grabbed"), QStringLiteral("A") + QString(length - 1, QLatin1Char('.')));
    s.add(QStringLiteral("other"), QStringLiteral("B") + QString(9, QLatin1Char('.')));
    s.scene.setFrameRange(1, 10, 1, 0);
    FrameRangeModel& p = s.proxy;

    QVERIFY(p.dragStart(FrameRangeModel::AddClones, p.index(1, 0)));
    p.setDragDistanceRows(2);
    QCOMPARE(p.maximumFrameRangeNumber(), rangeEnd);
    QCOMPARE(p.rowCount(), rangeEnd + 1);
    // The grabbed layer reaches the grabbed frame, so it grows by the drag.
    QCOMPARE(p.headerData(0, Qt::Horizontal, SceneModel::LayerLengthRole).toInt(), length + 3);
    QCOMPARE(p.headerData(1, Qt::Horizontal, SceneModel::LayerLengthRole).toInt(), 11);
    // Its virtual last frame moved down with it.
    QVERIFY(p.index(length + 2, 0).data(SceneModel::VirtualLastFrameRole).toBool());
    QVERIFY(!p.index(length + 3, 0).isValid());
}

void TestFrameRangeModel::addClonesMovesTheLinkedLayers()
{
    RangeScene s;
    s.add(QStringLiteral("grabbed"), QStringLiteral("A..B..C"));
    s.add(QStringLiteral("linked"), QStringLiteral("D..E..."));
    s.addNotes(7);
    s.add(QStringLiteral("alone"), QStringLiteral("X......"));
    s.scene.setFrameRange(1, 7, 1, 0);
    for (int layer : {0, 1, 2})
        s.scene.setLayerLinked(layer, true);
    FrameRangeModel& p = s.proxy;

    QVERIFY(p.dragStart(FrameRangeModel::AddClones, p.index(2, 0)));
    p.setDragDistanceRows(2);
    QCOMPARE(s.shown(0), QStringLiteral("A h h h h B h h C +"));
    QCOMPARE(s.shown(1), QStringLiteral("D h h h h E h h h +"));
    QCOMPARE(s.shown(3), QStringLiteral("X h h h h h h + - -"));

    // The notes move down with their linked layers, without repeating.
    QCOMPARE(s.sourceRows(2), QStringLiteral("0 1 2 2 2 3 4 5 6 -1"));
    QSize const size(16, 8);
    QVERIFY(!p.thumbnail(p.index(2, 2), size).isNull());
    QVERIFY(p.thumbnail(p.index(3, 2), size).isNull());
    QVERIFY(p.thumbnail(p.index(4, 2), size).isNull());
    QCOMPARE(p.thumbnail(p.index(5, 2), size), s.scene.thumbnail(2, 4, size));
    QVERIFY(!p.index(3, 2).data(SceneModel::HoldRole).toBool());

    QCOMPARE(p.headerData(1, Qt::Horizontal, SceneModel::LayerLengthRole).toInt(), 10);
    QCOMPARE(p.headerData(2, Qt::Horizontal, SceneModel::LayerLengthRole).toInt(), 10);
    QCOMPARE(p.headerData(3, Qt::Horizontal, SceneModel::LayerLengthRole).toInt(), 8);

    // Unlinked, the notes stay where they are; only the grabbed layer moves.
    p.dragEnd();
    s.scene.setLayerLinked(2, false);
    QVERIFY(p.dragStart(FrameRangeModel::AddClones, p.index(2, 0)));
    p.setDragDistanceRows(2);
    QCOMPARE(s.sourceRows(2), QStringLiteral("0 1 2 3 4 5 6 7 8 -1"));
    QVERIFY(!p.thumbnail(p.index(3, 2), size).isNull());
    // A non-visual layer outside the drag is never longer than the preview.
    QCOMPARE(p.headerData(2, Qt::Horizontal, SceneModel::LayerLengthRole).toInt(), 8);
}

void TestFrameRangeModel::offPegsFollowsThePreview()
{
    RangeScene s;
    auto const grabbed = s.add(QStringLiteral("grabbed"), QStringLiteral("A..B..C"));
    auto const other = s.add(QStringLiteral("other"), QStringLiteral("D......"));
    for (auto const& layer : {grabbed, other}) {
        for (auto const& cell : layer->frames())
            cell->offPegsTransform = QTransform();
    }
    s.scene.setFrameRange(1, 7, 1, 0);
    grabbed->setOffPegsTransform(3, QTransform::fromTranslate(4, 0));
    grabbed->setOffPegsTransform(5, QTransform::fromTranslate(4, 0));
    other->setOffPegsTransform(2, QTransform::fromTranslate(9, 0));
    FrameRangeModel& p = s.proxy;

    int layer = -5;
    QVERIFY(p.isOffPegs(2, &layer));
    QCOMPARE(layer, 0);
    QVERIFY(!p.isOffPegs(3, &layer));
    QVERIFY(p.isOffPegs(4, &layer));

    QVERIFY(p.dragStart(FrameRangeModel::AddClones, p.index(2, 0)));
    p.setDragDistanceRows(2);
    // Rows 3 and 4 repeat the grabbed cell, which is off the pegs.
    QVERIFY(p.isOffPegs(3, &layer));
    QCOMPARE(layer, 0);
    QVERIFY(p.isOffPegs(4, &layer));
    // Frame 5's off-pegs cell now shows at row 6, not at row 4's frame.
    QVERIFY(p.isOffPegs(6, &layer));
    QCOMPARE(layer, 0);
    QVERIFY(!p.isOffPegs(5, &layer));
    // Another layer's off-pegs cell is not moved by the drag.
    QVERIFY(p.isOffPegs(1, &layer));
    QCOMPARE(layer, 1);
}

// --- maps --------------------------------------------------------------------

void TestFrameRangeModel::mapsAreInverse_data()
{
    QTest::addColumn<int>("mode");
    QTest::addColumn<int>("distance");

    QTest::newRow("no drag") << int(FrameRangeModel::NoDrag) << 0;
    QTest::newRow("two discarded") << int(FrameRangeModel::AddClones) << -2;
    QTest::newRow("one discarded") << int(FrameRangeModel::AddClones) << -1;
    QTest::newRow("one added") << int(FrameRangeModel::AddClones) << 1;
    QTest::newRow("two added") << int(FrameRangeModel::AddClones) << 2;
}

void TestFrameRangeModel::mapsAreInverse()
{
    QFETCH(int, mode);
    QFETCH(int, distance);

    RangeScene s;
    s.add(QStringLiteral("grabbed"), QStringLiteral("A..B..C"));
    s.add(QStringLiteral("linked"), QStringLiteral("D..E..."));
    s.add(QStringLiteral("long"), QStringLiteral("X") + QString(11, QLatin1Char('.')));
    s.add(QStringLiteral("short"), QStringLiteral("Y.Z"));
    s.addNotes(4);
    s.scene.setLayerLinked(0, true);
    s.scene.setLayerLinked(1, true);
    s.scene.setFrameRange(2, 10, 2, 0);
    FrameRangeModel& p = s.proxy;

    int const grabbedRow = 1; // frame 3, the second hold
    if (mode != FrameRangeModel::NoDrag) {
        QVERIFY(p.dragStart(FrameRangeModel::DragMode(mode), p.index(grabbedRow, 0)));
        p.setDragDistanceRows(distance);
        QCOMPARE(p.dragDistance(), distance);
    }

    int checked = 0;
    for (int column = 0; column < p.columnCount(); ++column) {
        bool const visual = s.scene.isVisualLayer(column);
        // Outside a drag every column; during it the visual layers, whose
        // rows show cells of their own.
        if (mode != FrameRangeModel::NoDrag && !visual)
            continue;
        for (int row = 0; row < p.rowCount(); ++row) {
            QModelIndex const index = p.index(row, column);
            if (!index.isValid())
                continue;
            // Added holds repeat the grabbed cell, which maps back to its
            // own row.
            if (column < 2 && distance > 0 && row > grabbedRow && row <= grabbedRow + distance)
                continue;
            QModelIndex const source = p.mapToSource(index);
            QVERIFY2(source.isValid(), qPrintable(QStringLiteral("row %1 column %2").arg(row).arg(column)));
            QCOMPARE(p.mapFromSource(source), index);
            ++checked;
        }
    }
    QVERIFY(checked > 20);

    // The discarded holds are not shown anywhere.
    if (distance < 0) {
        for (int hidden = grabbedRow + distance + 1; hidden <= grabbedRow; ++hidden) {
            QModelIndex const discarded = s.source.index(hidden + 1, 0);
            QVERIFY(discarded.isValid());
            QVERIFY(!p.mapFromSource(discarded).isValid());
        }
    }
}

void TestFrameRangeModel::clonesAreFoundInTheRange()
{
    RangeScene s;
    auto const first = s.add(QStringLiteral("first"), QStringLiteral("AB.*"));
    auto const second = s.add(QStringLiteral("second"), QStringLiteral("C.*."));
    Fixture::link(*first, 1, *first, 4);
    Fixture::link(*first, 1, *second, 3);
    s.scene.setFrameRange(2, 4, 2, 0);
    FrameRangeModel& p = s.proxy;

    // The original at frame 1 lies before the range.
    QList<QModelIndex> const clones = p.cloneIndices(p.index(2, 0));
    QCOMPARE(clones.size(), 3);
    QVERIFY(!clones.at(0).isValid());
    QCOMPARE(clones.at(1), p.index(2, 0));
    QCOMPARE(clones.at(2), p.index(1, 1));
    QVERIFY(p.cloneIndices(p.index(1, 0)).isEmpty());
}

void TestFrameRangeModel::dragEndRestoresTheSource()
{
    SlideScene s;
    FrameRangeModel& p = s.proxy;
    Model::BacklightSettings backlight;
    backlight.enabled = true;
    s.scene.setBacklightSettings(backlight);
    QVERIFY(p.headerData(0, Qt::Vertical, SceneModel::BacklightFrameRole).toBool());

    QVERIFY(p.dragStart(FrameRangeModel::Slide, p.index(3, 0)));
    p.setDragDistanceRows(1);
    QVERIFY(!p.headerData(0, Qt::Vertical, SceneModel::BacklightFrameRole).isValid());

    QSignalSpy distances(&p, &FrameRangeModel::dragDistanceChanged);
    p.dragEnd();
    QCOMPARE(distances.count(), 1);
    QCOMPARE(distances.at(0).at(0).toInt(), 0);
    QCOMPARE(p.dragMode(), FrameRangeModel::NoDrag);
    QCOMPARE(p.dragDistance(), 0);
    QVERIFY(!p.currentDragIndex().isValid());
    QCOMPARE(s.shown(0), QStringLiteral("A h h B h h C +"));
    QVERIFY(p.headerData(0, Qt::Vertical, SceneModel::BacklightFrameRole).toBool());
}

void TestFrameRangeModel::withoutASceneEverythingIsNeutral()
{
    FrameRangeModel p;
    SceneModel source;
    p.setSourceModel(&source);
    QCOMPARE(p.rowCount(), 1);
    QCOMPARE(p.columnCount(), 0);
    QCOMPARE(p.minimumFrameRangeNumber(), 0);
    QCOMPARE(p.maximumFrameRangeNumber(), -1);
    QCOMPARE(p.maximumFrameNumber(), 0);
    QVERIFY(!p.index(0, 0).isValid());
    QVERIFY(!p.sceneIndex(0, 0).isValid());
    QVERIFY(!p.frameSize().isValid());
    QVERIFY(!p.dragStart(FrameRangeModel::Slide, p.index(0, 0)));
    QVERIFY(p.thumbnail(QModelIndex(), QSize(4, 4)).isNull());
    int layer = 3;
    QVERIFY(!p.isOffPegs(0, &layer));
    QVERIFY(p.cloneIndices(QModelIndex()).isEmpty());
    QVERIFY(!p.isAudioAvailable());
    QVERIFY(!p.audioStartsBeyondRange());
    QVERIFY(!p.audioEndsBeyondRange());
    QVERIFY(!p.mapFromSource(QModelIndex()).isValid());
    QVERIFY(!p.headerData(0, Qt::Horizontal, SceneModel::LayerTypeRole).isValid());
}

QUILLMERE_TEST_MAIN(TestFrameRangeModel)
#include "tst_framerangemodel.moc"
