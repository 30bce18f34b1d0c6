// The scene item model: what each role answers at the cells and header
// sections of a scene, which indexes exist, the cell size hints, the scene's
// signals as model signals, and the edit entry points whose reversed
// records undo an edit through the undo stack.
#include "../media/SoundFixtures.h"
#include "TestSupport.h"

#include "../scene/EditFixture.h"

#include "models/SceneModel.h"
#include "scene/StrokeLayer.h"
#include "strokes/SingleStroke.h"
#include "settings/Settings.h"

#include <QMimeData>
#include <QScopeGuard>
#include <QSignalSpy>
#include <QUndoCommand>
#include <QUndoStack>

#include <cmath>
#include <functional>

using Model::SceneChange;
using Model::SceneModel;

namespace {

using ModelEdit = std::function<QList<SceneChange>(SceneModel&, QModelIndex const&)>;
using SceneEdit = std::function<QList<SceneChange>(Model::Scene&, int layer, int frame)>;

QColor const strokeColour(10, 120, 200);

// The edit scene with a real stroke layer appended as layer 7, a linked
// layer, a hidden and faded reference layer, a cycling layer and a scrub
// frame, so that every role has something to tell apart.
struct RoleScene : EditScene
{
    static constexpr int Colour = 7;

    RoleScene()
    {
        colour = std::make_shared<Model::StrokeLayer>(strokeColour, QSize(1000, 500), nullptr);
        colour->setName(QStringLiteral("colour"));
        scene.addLayer(colour, scene.numLayers());
        scene.setLayerLinked(Paper, true);
        scene.setLayerVisible(Ref, false);
        scene.setLayerOpacity(Ref, 0.25);
        scene.setLayerBeyondLast(Timing, Model::Layer::cycleDrawings);
        Model::BacklightSettings backlight;
        backlight.enabled = true;
        scene.setBacklightSettings(backlight);
        model.setScene(&scene);
    }

    std::shared_ptr<Model::StrokeLayer> colour;
    SceneModel model;
};

// Everything the model tells of the scene, cell by cell and section by
// section, one or two rows past the cells so that disappearing indexes show.
QStringList modelState(SceneModel const& model)
{
    QStringList lines;
    lines << QStringLiteral("rows %1 columns %2").arg(model.rowCount()).arg(model.columnCount());
    for (int column = 0; column < model.columnCount(); ++column) {
        lines << QStringLiteral("column %1 '%2' length %3")
                     .arg(column)
                     .arg(model.headerData(column, Qt::Horizontal).toString())
                     .arg(model.headerData(column, Qt::Horizontal, SceneModel::LayerLengthRole).toInt());
        for (int row = 0; row < model.rowCount() + 2; ++row) {
            QModelIndex const index = model.index(row, column);
            if (!index.isValid()) {
                lines << QStringLiteral("  %1 -").arg(row);
                continue;
            }
            QStringList roles;
            for (int role = SceneModel::OriginalRole; role <= SceneModel::VirtualLastFrameRole; ++role)
                roles << QString::number(index.data(role).toBool());
            lines << QStringLiteral("  %1 flags %2 roles %3 note %4")
                         .arg(row)
                         .arg(int(model.flags(index)))
                         .arg(roles.join(QString()))
                         .arg(Structure::hashOf(index.data(SceneModel::AnnotationImageRole).value<QImage>()));
        }
    }
    return lines;
}

// Keeps the list an edit entry point returns and hands it back to the model
// to undo, as the undo commands do.
class ModelEditCommand : public QUndoCommand
{
public:
    ModelEditCommand(SceneModel& model, int row, int column, ModelEdit edit)
        : m_model(model)
        , m_row(row)
        , m_column(column)
        , m_edit(std::move(edit))
    {
    }

    void redo() override { m_changes = m_edit(m_model, m_model.index(m_row, m_column)); }
    void undo() override { m_model.reverseChanges(m_changes); }

    QList<SceneChange> const& changes() const { return m_changes; }

private:
    SceneModel& m_model;
    int m_row;
    int m_column;
    ModelEdit m_edit;
    QList<SceneChange> m_changes;
};

using SoundFixtures::toneWav;

} // namespace

Q_DECLARE_METATYPE(ModelEdit)
Q_DECLARE_METATYPE(SceneEdit)

class TestSceneModel : public QObject
{
    Q_OBJECT

private slots:
    void init();

    void refusedStrokeStaysWithTheCaller();

    void cellRoles_data();
    void cellRoles();
    void headerRoles_data();
    void headerRoles();
    void indexesAndFlags_data();
    void indexesAndFlags();
    void toolTipsAndThumbnailsComeFromTheCell();
    void soundHasIndexesWhereItPlays();

    void sizeHints_data();
    void sizeHints();
    void sizeHintsFollowTheScene();

    void settingHeaderDataReachesTheScene();
    void annotationImagesAreSetOnlyOnTheAnnotationLayer();
    void drawingChangesArriveAsCellChanges();
    void scrubFrameChangesRefreshTheirSections_data();
    void scrubFrameChangesRefreshTheirSections();
    void layerOrderAndBacklightRefreshTheHeaders();
    void aLongerSceneChangesTheLayout();
    void aNewSceneResetsTheModel();

    void cellsAreFoundByReferenceAndClone();
    void clipboardDataStartsAtTheEarliestIndex();

    void editsReturnTheScenesRecordsReversed_data();
    void editsReturnTheScenesRecordsReversed();
    void editsAreUndoneAndRedoneThroughTheStack_data();
    void editsAreUndoneAndRedoneThroughTheStack();

    void withoutASceneEverythingIsNeutral();
};

void TestSceneModel::init()
{
    TestSupport::clearSettings();
}

// --- roles -------------------------------------------------------------------

void TestSceneModel::cellRoles_data()
{
    QTest::addColumn<int>("layer");
    QTest::addColumn<int>("row");
    QTest::addColumn<int>("role");
    QTest::addColumn<QVariant>("expected");

    using E = EditScene;
    auto const row = [](char const* name, int layer, int frame, int role, QVariant expected) {
        QTest::newRow(name) << layer << frame << role << expected;
    };
    row("original", E::Ink, 0, SceneModel::OriginalRole, true);
    row("original is no hold", E::Ink, 0, SceneModel::HoldRole, false);
    row("original key drawing", E::Ink, 0, SceneModel::KeyDrawingRole, true);
    row("hold", E::Ink, 1, SceneModel::HoldRole, true);
    row("hold is no original", E::Ink, 1, SceneModel::OriginalRole, false);
    row("hold is no key drawing", E::Ink, 1, SceneModel::KeyDrawingRole, false);
    row("distant clone", E::Ink, 4, SceneModel::DistantCloneRole, true);
    row("distant clone key drawing", E::Ink, 4, SceneModel::KeyDrawingRole, true);
    row("distant clone is no original", E::Ink, 4, SceneModel::OriginalRole, false);
    row("clone on another layer", E::Sketch, 1, SceneModel::DistantCloneRole, true);
    row("clone on a reference layer", E::Ref, 3, SceneModel::DistantCloneRole, true);
    row("virtual last frame", E::Ink, 8, SceneModel::VirtualLastFrameRole, true);
    row("virtual last frame is no original", E::Ink, 8, SceneModel::OriginalRole, false);
    row("last cell is not virtual", E::Ink, 7, SceneModel::VirtualLastFrameRole, false);
    row("short layer's virtual last frame", E::Sketch, 4, SceneModel::VirtualLastFrameRole, true);
    row("note", E::Notes, 1, SceneModel::AnnotationImageRole, Fixture::note(2));
    row("frame without a note", E::Notes, 2, SceneModel::AnnotationImageRole, QImage());
    row("note asked of a stroke layer", E::Ink, 0, SceneModel::AnnotationImageRole, QVariant());
    row("header role asked of a cell", E::Ink, 0, SceneModel::LayerTypeRole, QVariant());
    row("colour asked of a cell", RoleScene::Colour, 0, SceneModel::LayerColorRole, QVariant());
    row("backlight asked of a cell", E::Ink, 0, SceneModel::BacklightFrameRole, QVariant());
    row("display asked of a cell", E::Ink, 0, Qt::DisplayRole, QVariant());
}

void TestSceneModel::cellRoles()
{
    QFETCH(int, layer);
    QFETCH(int, row);
    QFETCH(int, role);
    QFETCH(QVariant, expected);

    RoleScene s;
    QModelIndex const index = s.model.index(row, layer);
    QVERIFY(index.isValid());
    QCOMPARE(s.model.data(index, role), expected);
}

void TestSceneModel::headerRoles_data()
{
    QTest::addColumn<int>("section");
    QTest::addColumn<Qt::Orientation>("orientation");
    QTest::addColumn<int>("role");
    QTest::addColumn<QVariant>("expected");

    using E = EditScene;
    int const C = RoleScene::Colour;
    auto const row = [](char const* name, int section, Qt::Orientation orientation, int role,
                        QVariant expected) {
        QTest::newRow(name) << section << orientation << role << expected;
    };
    Qt::Orientation const H = Qt::Horizontal;
    Qt::Orientation const V = Qt::Vertical;

    row("name", E::Ink, H, Qt::DisplayRole, QStringLiteral("ink"));
    row("name of the notes", E::Notes, H, Qt::DisplayRole, QStringLiteral("notes"));
    row("sound offset in place of a name", E::Audio, H, Qt::DisplayRole, 0.0);
    row("type of a draw layer", E::Ink, H, SceneModel::LayerTypeRole, 1);
    row("type of a reference layer", E::Ref, H, SceneModel::LayerTypeRole, 3);
    row("type of the audio layer", E::Audio, H, SceneModel::LayerTypeRole, 4);
    row("type of the notes", E::Notes, H, SceneModel::LayerTypeRole, 5);
    row("type asked vertically", C, V, SceneModel::LayerTypeRole, 1);
    row("linked", E::Paper, H, SceneModel::LayerLinkedRole, true);
    row("not linked", E::Ink, H, SceneModel::LayerLinkedRole, false);
    row("visible", E::Ink, H, SceneModel::LayerVisibleRole, true);
    row("hidden", E::Ref, H, SceneModel::LayerVisibleRole, false);
    row("notes are never visible", E::Notes, H, SceneModel::LayerVisibleRole, false);
    row("silent without sound", E::Audio, H, SceneModel::LayerAudibleRole, false);
    row("stroke layer colour", C, H, SceneModel::LayerColorRole, strokeColour);
    row("reference layer colour", E::Ref, H, SceneModel::LayerColorRole, QColor(Qt::black));
    row("audio layer has no colour", E::Audio, H, SceneModel::LayerColorRole, QColor());
    row("full opacity", E::Ink, H, SceneModel::LayerOpacityRole, 1.0);
    row("faded", E::Ref, H, SceneModel::LayerOpacityRole, 0.25);
    row("notes have no opacity", E::Notes, H, SceneModel::LayerOpacityRole, 0.0);
    row("draw layer", C, H, SceneModel::IsDrawLayerRole, true);
    row("reference is no draw layer", E::Ref, H, SceneModel::IsDrawLayerRole, false);
    row("reference is visual", E::Ref, H, SceneModel::IsVisualLayerRole, true);
    row("audio is not visual", E::Audio, H, SceneModel::IsVisualLayerRole, false);
    row("notes are not visual", E::Notes, H, SceneModel::IsVisualLayerRole, false);
    row("cycling", E::Timing, H, SceneModel::BeyondLastRole, 3);
    row("beyond mode of the notes", E::Notes, H, SceneModel::BeyondLastRole, 0);
    row("length with the virtual last frame", E::Ink, H, SceneModel::LayerLengthRole, 9);
    row("length of a short layer", E::Sketch, H, SceneModel::LayerLengthRole, 5);
    row("notes are as long as the scene", E::Notes, H, SceneModel::LayerLengthRole, 10);
    row("active frame under the backlight", 0, V, SceneModel::BacklightFrameRole, true);
    row("backlight asked horizontally", 0, H, SceneModel::BacklightFrameRole, QVariant());
    row("scrub frame", 2, V, SceneModel::ScrubFrameRole, true);
    row("other frame than the scrub frame", 1, V, SceneModel::ScrubFrameRole, false);
    row("scrub frame asked horizontally", 2, H, SceneModel::ScrubFrameRole, QVariant());
    row("cell role asked of a section", E::Ink, H, SceneModel::HoldRole, QVariant());
    row("note asked of a section", E::Notes, H, SceneModel::AnnotationImageRole, QVariant());
}

void TestSceneModel::headerRoles()
{
    QFETCH(int, section);
    QFETCH(Qt::Orientation, orientation);
    QFETCH(int, role);
    QFETCH(QVariant, expected);

    RoleScene s;
    s.scene.setScrubFrame(3);
    QCOMPARE(s.model.headerData(section, orientation, role), expected);
}

void TestSceneModel::indexesAndFlags_data()
{
    QTest::addColumn<int>("layer");
    QTest::addColumn<int>("row");
    QTest::addColumn<bool>("valid");
    QTest::addColumn<int>("flags");

    using E = EditScene;
    int const cell = int(Qt::ItemIsSelectable | Qt::ItemIsEnabled | Qt::ItemNeverHasChildren);
    int const virtualLast = int(Qt::ItemIsEnabled | Qt::ItemNeverHasChildren);
    int const inert = int(Qt::ItemNeverHasChildren);
    auto const row = [](char const* name, int layer, int frameRow, bool valid, int flags) {
        QTest::newRow(name) << layer << frameRow << valid << flags;
    };
    row("first cell", E::Ink, 0, true, cell);
    row("last cell", E::Ink, 7, true, cell);
    row("virtual last frame", E::Ink, 8, true, virtualLast);
    row("after the virtual last frame", E::Ink, 9, false, 0);
    row("virtual last frame of a short layer", E::Sketch, 4, true, virtualLast);
    row("after a short layer", E::Sketch, 5, false, 0);
    row("virtual last frame of the longest layer", E::Timing, 9, true, virtualLast);
    row("negative row", E::Ink, -1, false, 0);
    row("notes", E::Notes, 0, true, inert);
    row("notes past the scene's end", E::Notes, 20, true, inert);
    row("sound without sound", E::Audio, 0, false, 0);
    row("column past the layers", 8, 0, false, 0);
    row("negative column", -1, 0, false, 0);
}

void TestSceneModel::indexesAndFlags()
{
    QFETCH(int, layer);
    QFETCH(int, row);
    QFETCH(bool, valid);
    QFETCH(int, flags);

    RoleScene s;
    QModelIndex const index = s.model.index(row, layer);
    QCOMPARE(index.isValid(), valid);
    QCOMPARE(int(s.model.flags(index)), flags);
    if (valid) {
        QCOMPARE(index.row(), row);
        QCOMPARE(index.column(), layer);
        QCOMPARE(index.internalPointer(), nullptr);
    }
}

void TestSceneModel::toolTipsAndThumbnailsComeFromTheCell()
{
    RoleScene s;
    QModelIndex const hold = s.model.index(2, EditScene::Ink);
    QString const tip = s.scene.toolTip(EditScene::Ink, 3);
    QVERIFY(!tip.isEmpty());
    QCOMPARE(hold.data(Qt::ToolTipRole).toString(), tip);

    QImage const note = s.model.thumbnail(s.model.index(0, EditScene::Notes), QSize(12, 6));
    QCOMPARE(note.size(), QSize(12, 6));
    QCOMPARE(note, s.scene.thumbnail(EditScene::Notes, 1, QSize(12, 6)));
    QVERIFY(s.model.thumbnail(s.model.index(1, EditScene::Notes), QSize(12, 6)).size()
            == QSize(12, 6));
    QVERIFY(s.model.thumbnail(s.model.index(2, EditScene::Notes), QSize(12, 6)).isNull());
}

void TestSceneModel::soundHasIndexesWhereItPlays()
{
    // One second of sound at 12 frames a second, starting after frame 4.
    Model::Scene scene;
    scene.setFrameRate(12.0);
    auto const frames = std::make_shared<FixtureDrawLayer>(QStringLiteral("frames"));
    Fixture::build(*frames, QString(24, QLatin1Char('A')));
    scene.addLayer(frames, 0);
    auto const audio = std::make_shared<Model::AudioLayer>(nullptr);
    audio->setOriginalAudioData(toneWav(1.0));
    QVERIFY2(audio->isAudioAvailable(), "the test sound does not decode");
    scene.addLayer(audio, 1);
    scene.setAudioOffsetFrames(4.0);
    SceneModel model;
    model.setScene(&scene);

    QVERIFY(!model.index(0, 1).isValid());
    QVERIFY(!model.index(3, 1).isValid());
    QVERIFY(model.index(4, 1).isValid());
    QVERIFY(model.index(15, 1).isValid());
    QVERIFY(!model.index(20, 1).isValid());
    QCOMPARE(int(model.flags(model.index(4, 1))), int(Qt::ItemNeverHasChildren));
    QCOMPARE(model.headerData(1, Qt::Horizontal), QVariant(4.0));
    QVERIFY(model.headerData(1, Qt::Horizontal, SceneModel::LayerAudibleRole).toBool());
    QVERIFY(model.setHeaderData(1, Qt::Horizontal, false, SceneModel::LayerAudibleRole));
    QVERIFY(!model.headerData(1, Qt::Horizontal, SceneModel::LayerAudibleRole).toBool());
}

// --- size hints --------------------------------------------------------------

void TestSceneModel::sizeHints_data()
{
    QTest::addColumn<QSize>("frameSize");
    QTest::addColumn<KW::ThumbnailSize>("thumbnailSize");
    QTest::addColumn<int>("scalePercent");
    QTest::addColumn<QSize>("cell");
    QTest::addColumn<QSize>("notes");

    using T = KW::ThumbnailSize;
    QTest::newRow("full HD, medium") << QSize(1920, 1080) << T::ThumbnailMedium << 100
                                     << QSize(56, 31) << QSize(188, 31);
    QTest::newRow("wide, tiny") << QSize(4000, 1000) << T::ThumbnailTiny << 100 << QSize(56, 14)
                                << QSize(86, 14);
    QTest::newRow("wide, large, enlarged UI") << QSize(3000, 1000) << T::ThumbnailLarge << 150
                                              << QSize(189, 63) << QSize(380, 63);
    QTest::newRow("very wide is capped at six heights")
        << QSize(8000, 500) << T::ThumbnailSmall << 100 << QSize(126, 21) << QSize(128, 21);
    QTest::newRow("square, large, enlarged UI") << QSize(1000, 1000) << T::ThumbnailLarge << 150
                                                << QSize(114, 114) << QSize(686, 114);
    QTest::newRow("tall frames stop at two thirds")
        << QSize(800, 2000) << T::ThumbnailSmall << 100 << QSize(46, 68) << QSize(410, 68);
    QTest::newRow("just below wide") << QSize(2570, 1000) << T::ThumbnailTiny << 100
                                     << QSize(36, 14) << QSize(86, 14);
}

void TestSceneModel::sizeHints()
{
    QFETCH(QSize, frameSize);
    QFETCH(KW::ThumbnailSize, thumbnailSize);
    QFETCH(int, scalePercent);
    QFETCH(QSize, cell);
    QFETCH(QSize, notes);

    Model::Settings::instance()->setUIScalePercent(scalePercent);
    auto const restoreScale = qScopeGuard([] { Model::Settings::instance()->setUIScalePercent(100); });
    Model::Scene scene;
    scene.setFrameSize(frameSize, KW::FitMode::FitModeStretch, nullptr);
    scene.setThumbnailSize(thumbnailSize, true);
    scene.addLayer(std::make_shared<FixtureDrawLayer>(QStringLiteral("a")), 0);
    scene.addLayer(std::make_shared<Model::AnnotationLayer>(nullptr), 1);

    SceneModel model;
    model.setScene(&scene);
    QCOMPARE(model.headerData(0, Qt::Horizontal, Qt::SizeHintRole).toSize(), cell);
    QCOMPARE(model.headerData(1, Qt::Horizontal, Qt::SizeHintRole).toSize(), notes);
    QCOMPARE(model.frameSize(), frameSize);
}

void TestSceneModel::sizeHintsFollowTheScene()
{
    Model::Scene scene;
    scene.addLayer(std::make_shared<FixtureDrawLayer>(QStringLiteral("a")), 0);
    scene.addLayer(std::make_shared<Model::AnnotationLayer>(nullptr), 1);
    scene.setFrameSize(QSize(1920, 1080), KW::FitMode::FitModeStretch, nullptr);
    scene.setThumbnailSize(KW::ThumbnailSize::ThumbnailTiny, true);
    SceneModel model;
    model.setScene(&scene);
    QCOMPARE(model.headerData(0, Qt::Horizontal, Qt::SizeHintRole).toSize(), QSize(36, 20));

    QSignalSpy data(&model, &SceneModel::dataChanged);
    QSignalSpy headers(&model, &SceneModel::headerDataChanged);
    scene.setThumbnailSize(KW::ThumbnailSize::ThumbnailMedium, true);
    QCOMPARE(model.headerData(0, Qt::Horizontal, Qt::SizeHintRole).toSize(), QSize(56, 31));
    QCOMPARE(model.headerData(1, Qt::Horizontal, Qt::SizeHintRole).toSize(), QSize(188, 31));
    QCOMPARE(data.count(), 1);
    QCOMPARE(data.at(0).at(0).toModelIndex(), model.index(0, 0));
    QCOMPARE(data.at(0).at(1).toModelIndex(), model.index(0, 0));
    QCOMPARE(data.at(0).at(2).value<QList<int>>(), QList<int>{Qt::SizeHintRole});
    QCOMPARE(headers.count(), 1);
    QCOMPARE(headers.at(0), (QVariantList{QVariant::fromValue(Qt::Horizontal), 0, 1}));

    data.clear();
    headers.clear();
    scene.setFrameSize(QSize(4000, 1000), KW::FitMode::FitModeStretch, nullptr);
    // Still medium, now wide.
    QCOMPARE(model.headerData(0, Qt::Horizontal, Qt::SizeHintRole).toSize(), QSize(112, 28));
    QVERIFY(!data.isEmpty());
    QCOMPARE(data.last().at(2).value<QList<int>>(), QList<int>{Qt::SizeHintRole});
    QVERIFY(headers.contains(QVariantList{QVariant::fromValue(Qt::Horizontal), 0, 1}));
}

// --- edits of properties and the relayed signals -----------------------------

void TestSceneModel::settingHeaderDataReachesTheScene()
{
    RoleScene s;
    QSignalSpy headers(&s.model, &SceneModel::headerDataChanged);

    QVERIFY(s.model.setHeaderData(EditScene::Ink, Qt::Horizontal, true, SceneModel::LayerLinkedRole));
    QVERIFY(s.scene.isLayerLinked(EditScene::Ink));
    QCOMPARE(headers.count(), 1);
    QCOMPARE(headers.at(0), (QVariantList{QVariant::fromValue(Qt::Horizontal), 0, 0}));

    QVERIFY(s.model.setHeaderData(EditScene::Ink, Qt::Horizontal, false, SceneModel::LayerVisibleRole));
    QVERIFY(!s.scene.isLayerVisible(EditScene::Ink));
    QVERIFY(s.model.setHeaderData(RoleScene::Colour, Qt::Horizontal, QColor(Qt::red),
                                  SceneModel::LayerColorRole));
    QCOMPARE(s.model.headerData(RoleScene::Colour, Qt::Horizontal, SceneModel::LayerColorRole),
             QVariant(QColor(Qt::red)));
    QVERIFY(s.model.setHeaderData(EditScene::Ink, Qt::Horizontal, 1.5, SceneModel::LayerOpacityRole));
    QCOMPARE(s.scene.layerOpacity(EditScene::Ink), 1.0);
    QVERIFY(s.model.setHeaderData(EditScene::Ink, Qt::Horizontal, 0.5, SceneModel::LayerOpacityRole));
    QCOMPARE(s.scene.layerOpacity(EditScene::Ink), 0.5);
    QVERIFY(s.model.setHeaderData(EditScene::Sketch, Qt::Horizontal, QStringLiteral("pencil"),
                                  Qt::DisplayRole));
    QCOMPARE(s.model.headerData(EditScene::Sketch, Qt::Horizontal).toString(), QStringLiteral("pencil"));
    QCOMPARE(headers.count(), 6);

    // What the scene refuses, the model refuses.
    headers.clear();
    QVERIFY(!s.model.setHeaderData(EditScene::Ink, Qt::Horizontal, 3, SceneModel::LayerTypeRole));
    QVERIFY(!s.model.setHeaderData(EditScene::Ref, Qt::Horizontal, QColor(Qt::red),
                                   SceneModel::LayerColorRole));
    QVERIFY(!s.model.setHeaderData(EditScene::Notes, Qt::Horizontal, false,
                                   SceneModel::LayerVisibleRole));
    QVERIFY(!s.model.setHeaderData(EditScene::Ink, Qt::Horizontal, true, SceneModel::LayerAudibleRole));
    QVERIFY(!s.model.setHeaderData(EditScene::Ink, Qt::Horizontal, 4, SceneModel::BeyondLastRole));
    QCOMPARE(s.scene.layerType(EditScene::Ink), 1);
    QCOMPARE(s.scene.layerColor(EditScene::Ref), QColor(Qt::black));
    QVERIFY(headers.isEmpty());
}

void TestSceneModel::annotationImagesAreSetOnlyOnTheAnnotationLayer()
{
    RoleScene s;
    QModelIndex const notes = s.model.index(2, EditScene::Notes);
    QVERIFY(s.model.setData(notes, Fixture::note(7), SceneModel::AnnotationImageRole));
    QCOMPARE(notes.data(SceneModel::AnnotationImageRole).value<QImage>(), Fixture::note(7));
    QCOMPARE(s.notes->annotationImage(3), Fixture::note(7));

    QModelIndex const ink = s.model.index(2, EditScene::Ink);
    QVERIFY(!s.model.setData(ink, Fixture::note(7), SceneModel::AnnotationImageRole));
    QVERIFY(!s.model.setData(notes, QStringLiteral("text"), SceneModel::AnnotationImageRole));
    QVERIFY(!s.model.setData(notes, Fixture::note(8), Qt::DisplayRole));
    QCOMPARE(s.notes->annotationImage(3), Fixture::note(7));
}

void TestSceneModel::drawingChangesArriveAsCellChanges()
{
    RoleScene s;
    QSignalSpy data(&s.model, &SceneModel::dataChanged);
    s.scene.setKeyDrawing(EditScene::Timing, 3, true);
    QCOMPARE(data.count(), 1);
    QModelIndex const changed = s.model.index(2, EditScene::Timing);
    QCOMPARE(data.at(0).at(0).toModelIndex(), changed);
    QCOMPARE(data.at(0).at(1).toModelIndex(), changed);
    QVERIFY(data.at(0).at(2).value<QList<int>>().isEmpty());
    QVERIFY(changed.data(SceneModel::KeyDrawingRole).toBool());

    // One change for each reported cell, and none for cells that are gone.
    data.clear();
    emit s.scene.drawingsChanged({{1, EditScene::Ink}, {4, EditScene::Paper}, {30, EditScene::Ink},
                                  {1, EditScene::Audio}});
    QCOMPARE(data.count(), 2);
    QCOMPARE(data.at(0).at(0).toModelIndex(), s.model.index(0, EditScene::Ink));
    QCOMPARE(data.at(1).at(0).toModelIndex(), s.model.index(3, EditScene::Paper));
}

void TestSceneModel::scrubFrameChangesRefreshTheirSections_data()
{
    QTest::addColumn<int>("from");
    QTest::addColumn<int>("to");
    QTest::addColumn<int>("first");
    QTest::addColumn<int>("last");

    QTest::newRow("none to 5") << 0 << 5 << 4 << 4;
    QTest::newRow("7 to 3") << 7 << 3 << 2 << 6;
    QTest::newRow("3 to 7") << 3 << 7 << 2 << 6;
    QTest::newRow("5 to none") << 5 << 0 << 4 << 4;
}

void TestSceneModel::scrubFrameChangesRefreshTheirSections()
{
    QFETCH(int, from);
    QFETCH(int, to);
    QFETCH(int, first);
    QFETCH(int, last);

    RoleScene s;
    s.scene.setScrubFrame(from);
    QSignalSpy headers(&s.model, &SceneModel::headerDataChanged);
    s.scene.setScrubFrame(to);
    QCOMPARE(headers.count(), 1);
    QCOMPARE(headers.at(0), (QVariantList{QVariant::fromValue(Qt::Vertical), first, last}));
    for (int section = 0; section < s.model.rowCount(); ++section)
        QCOMPARE(s.model.headerData(section, Qt::Vertical, SceneModel::ScrubFrameRole).toBool(),
                 section == to - 1);
}

void TestSceneModel::layerOrderAndBacklightRefreshTheHeaders()
{
    RoleScene s;
    QSignalSpy headers(&s.model, &SceneModel::headerDataChanged);
    QVERIFY(s.scene.moveLayer(EditScene::Ink, 0, 2));
    QCOMPARE(headers.count(), 1);
    QCOMPARE(headers.at(0), (QVariantList{QVariant::fromValue(Qt::Horizontal), 0, 7}));

    headers.clear();
    emit s.scene.backlightFramesChanged();
    QCOMPARE(headers.count(), 1);
    QCOMPARE(headers.at(0), (QVariantList{QVariant::fromValue(Qt::Vertical), 0, 8}));
}

void TestSceneModel::aLongerSceneChangesTheLayout()
{
    RoleScene s;
    QPersistentModelIndex const kept(s.model.index(8, EditScene::Timing));
    QSignalSpy aboutToChange(&s.model, &SceneModel::layoutAboutToBeChanged);
    QSignalSpy changed(&s.model, &SceneModel::layoutChanged);

    QVERIFY(!s.model.addCloneDrawingsAfter(s.model.index(8, EditScene::Timing), 2).isEmpty());
    QVERIFY(!changed.isEmpty());
    QCOMPARE(aboutToChange.count(), changed.count());
    QCOMPARE(s.model.rowCount(), 11);
    QVERIFY(kept.isValid());

    // Shorter again: an index kept on a cell that no longer exists goes
    // invalid instead of pointing past the layer.
    QPersistentModelIndex const gone(s.model.index(10, EditScene::Timing));
    QVERIFY(gone.isValid());
    changed.clear();
    s.model.removeFrames(s.model.index(9, EditScene::Timing), 2);
    QVERIFY(!changed.isEmpty());
    QCOMPARE(s.model.rowCount(), 9);
    QVERIFY(!gone.isValid());
    QVERIFY(kept.isValid());
}

void TestSceneModel::aNewSceneResetsTheModel()
{
    RoleScene s;
    EditScene other;
    QSignalSpy reset(&s.model, &SceneModel::modelReset);
    QSignalSpy headers(&s.model, &SceneModel::headerDataChanged);
    s.model.setScene(&s.scene);
    QCOMPARE(reset.count(), 0);

    s.model.setScene(&other.scene);
    QCOMPARE(reset.count(), 1);
    QCOMPARE(s.model.columnCount(), 7);
    // The old scene no longer reaches the model.
    s.scene.setLayerLinked(EditScene::Ink, true);
    QVERIFY(headers.isEmpty());
    other.scene.setLayerLinked(EditScene::Ink, true);
    QCOMPARE(headers.count(), 1);

    s.model.setScene(nullptr);
    QCOMPARE(reset.count(), 2);
    QCOMPARE(s.model.columnCount(), 0);
    QCOMPARE(s.model.rowCount(), 0);
}

// --- lookups -----------------------------------------------------------------

void TestSceneModel::cellsAreFoundByReferenceAndClone()
{
    RoleScene s;
    using E = EditScene;
    SceneModel& m = s.model;

    Model::DrawingRef const a = Fixture::ref(*s.ink, 1);
    QCOMPARE(m.drawingIdentifier(m.index(0, E::Ink)), a);
    QCOMPARE(m.drawingIdentifier(m.index(1, E::Ink)), Fixture::ref(*s.ink, 2));
    QVERIFY(m.drawingIdentifier(m.index(8, E::Ink)).isNull());
    QVERIFY(m.drawingIdentifier(m.index(0, E::Notes)).isNull());

    // The original a cell shows: its own, the one before a hold, or a clone's.
    QCOMPARE(m.originalDrawingIdentifier(m.index(0, E::Ink)), a);
    QCOMPARE(m.originalDrawingIdentifier(m.index(2, E::Ink)), a);
    QCOMPARE(m.originalDrawingIdentifier(m.index(2, E::Paper)), a);
    QCOMPARE(m.originalDrawingIdentifier(m.index(5, E::Ink)), a);
    QVERIFY(m.originalDrawingIdentifier(m.index(0, E::Notes)).isNull());

    QCOMPARE(m.lookupIdentifier(Fixture::ref(*s.paper, 4)), m.index(3, E::Paper));
    QCOMPARE(m.lookupIdentifier(a), m.index(0, E::Ink));
    QVERIFY(!m.lookupIdentifier(Model::DrawingRef{s.ink->identifier(), QUuid::createUuid()}).isValid());
    QCOMPARE(m.lookupLayerItem(m.index(3, E::Ink)), s.ink->layerItem(4));
    QCOMPARE(m.lookupLayerItem(Fixture::ref(*s.sketch, 1)), s.sketch->layerItem(1));
    QVERIFY(!m.lookupLayerItem(m.index(0, E::Notes)));

    QList<QModelIndex> const clonesOfA{m.index(0, E::Ink), m.index(4, E::Ink), m.index(2, E::Paper)};
    QCOMPARE(m.cloneIndices(m.index(0, E::Ink)), clonesOfA);
    QCOMPARE(m.cloneIndices(m.index(2, E::Paper)), clonesOfA);
    QVERIFY(m.cloneIndices(m.index(1, E::Ink)).isEmpty());

    QUuid const copyId = s.paper->layerItem(4)->drawing->createCopyId();
    QCOMPARE(m.lookupCopyId(copyId), Fixture::ref(*s.paper, 4));
    QVERIFY(m.lookupCopyId(QUuid::createUuid()).isNull());

    // Every fixture cell stands off the pegs: the topmost layer answers
    // until its cell is put back on them.
    int layer = -1;
    QVERIFY(m.isOffPegs(3, &layer));
    QCOMPARE(layer, int(E::Ink));
    s.scene.setOffPegsTransform(3, E::Ink, QTransform());
    QVERIFY(m.isOffPegs(3, &layer));
    QCOMPARE(layer, int(E::Paper));
}

void TestSceneModel::clipboardDataStartsAtTheEarliestIndex()
{
    RoleScene s;
    s.scene.setName(QStringLiteral("shot"));
    SceneModel& m = s.model;
    int const ref = EditScene::Ref;

    std::unique_ptr<QMimeData> const run(
        m.createMimeData(QList<QModelIndex>{m.index(3, ref), m.index(1, ref), m.index(2, ref)}));
    QVERIFY(run);
    QVERIFY(run->hasFormat(QStringLiteral("application/x-quillmere")));
    QVERIFY2(run->text().endsWith(QStringLiteral("scene shot, Layer ref, frames 2-4")),
             qPrintable(run->text()));

    std::unique_ptr<QMimeData> const one(m.createMimeData(m.index(2, ref)));
    QVERIFY(one);
    QVERIFY2(one->text().endsWith(QStringLiteral("scene shot, Layer ref, frame 3")),
             qPrintable(one->text()));

    QVERIFY(!m.createMimeData(QList<QModelIndex>{}));
    QVERIFY(!m.createMimeData(m.index(0, EditScene::Notes)));
}

// --- edit entry points -------------------------------------------------------

void TestSceneModel::editsReturnTheScenesRecordsReversed_data()
{
    QTest::addColumn<ModelEdit>("modelEdit");
    QTest::addColumn<SceneEdit>("sceneEdit");
    QTest::addColumn<int>("layer");
    QTest::addColumn<int>("row");

    using E = EditScene;
    using M = SceneModel;
    using S = Model::Scene;
    auto const row = [](char const* name, ModelEdit modelEdit, SceneEdit sceneEdit, int layer,
                        int frameRow) {
        QTest::newRow(name) << modelEdit << sceneEdit << layer << frameRow;
    };
    row("blank drawing before", [](M& m, QModelIndex const& i) { return m.insertBlankDrawingAt(i); },
        [](S& s, int l, int f) { return s.addBlankDrawingBefore2(l, f); }, E::Paper, 3);
    row("hold after", [](M& m, QModelIndex const& i) { return m.addCloneDrawingAfter(i); },
        [](S& s, int l, int f) { return s.addCloneDrawingAfter2(l, f, false); }, E::Paper, 3);
    row("holds after", [](M& m, QModelIndex const& i) { return m.addCloneDrawingsAfter(i, 3); },
        [](S& s, int l, int f) { return s.addCloneDrawingsAfter2(l, f, 3); }, E::Paper, 3);
    row("blank drawing after", [](M& m, QModelIndex const& i) { return m.addBlankDrawingAfter(i); },
        [](S& s, int l, int f) { return s.addBlankDrawingAfter2(l, f); }, E::Ink, 0);
    row("removing a frame", [](M& m, QModelIndex const& i) { return m.removeFrame(i); },
        [](S& s, int l, int f) { return s.removeFrame(l, f); }, E::Paper, 3);
    row("removing frames from the first one on",
        [](M& m, QModelIndex const& i) { return m.removeFrames(i, 3); },
        [](S& s, int l, int f) { return s.removeFrames(l, f + 2, 3); }, E::Ink, 1);
}

void TestSceneModel::editsReturnTheScenesRecordsReversed()
{
    QFETCH(ModelEdit, modelEdit);
    QFETCH(SceneEdit, sceneEdit);
    QFETCH(int, layer);
    QFETCH(int, row);

    // Two scenes built alike: one edited directly, one through the model.
    EditScene direct;
    EditScene throughModel;
    direct.scene.setLayerLinked(EditScene::Ink, true);
    direct.scene.setLayerLinked(EditScene::Paper, true);
    throughModel.scene.setLayerLinked(EditScene::Ink, true);
    throughModel.scene.setLayerLinked(EditScene::Paper, true);
    SceneModel model;
    model.setScene(&throughModel.scene);

    QList<SceneChange> const scenes = sceneEdit(direct.scene, layer, row + 1);
    QList<SceneChange> const models = modelEdit(model, model.index(row, layer));
    QVERIFY(scenes.size() > 1);
    QList<SceneChange> reversed = scenes;
    std::reverse(reversed.begin(), reversed.end());
    QCOMPARE(Fixture::describe(models), Fixture::describe(reversed));
}

void TestSceneModel::editsAreUndoneAndRedoneThroughTheStack_data()
{
    QTest::addColumn<ModelEdit>("edit");
    QTest::addColumn<int>("layer");
    QTest::addColumn<int>("row");
    QTest::addColumn<QList<int>>("linked");

    using E = EditScene;
    using M = SceneModel;
    QList<int> const alone;
    auto const row = [](char const* name, ModelEdit edit, int layer, int frameRow,
                        QList<int> linked) {
        QTest::newRow(name) << edit << layer << frameRow << linked;
    };
    row("blank drawing before a hold", [](M& m, QModelIndex const& i) { return m.insertBlankDrawingAt(i); },
        E::Ink, 2, alone);
    row("blank drawing on linked layers with notes",
        [](M& m, QModelIndex const& i) { return m.insertBlankDrawingAt(i); }, E::Ink, 1,
        {E::Ink, E::Paper, E::Notes});
    row("hold after a clone", [](M& m, QModelIndex const& i) { return m.addCloneDrawingAfter(i); },
        E::Ink, 4, alone);
    row("holds past the longest layer",
        [](M& m, QModelIndex const& i) { return m.addCloneDrawingsAfter(i, 3); }, E::Timing, 8, alone);
    row("blank drawing after an original with holds",
        [](M& m, QModelIndex const& i) { return m.addBlankDrawingAfter(i); }, E::Ink, 0, alone);
    row("removing an original with clones", [](M& m, QModelIndex const& i) { return m.removeFrame(i); },
        E::Ink, 0, alone);
    row("removing frames on linked layers",
        [](M& m, QModelIndex const& i) { return m.removeFrames(i, 3); }, E::Ink, 3,
        {E::Ink, E::Timing});
    row("removing a layer's every frame", [](M& m, QModelIndex const& i) { return m.removeFrames(i, 4); },
        E::Sketch, 0, alone);
    row("hold in place of a clone",
        [](M& m, QModelIndex const& i) { return m.replaceDrawingWithHold(i, false); }, E::Paper, 2,
        alone);
    row("original in place of a hold",
        [](M& m, QModelIndex const& i) { return m.replaceDrawingWithOriginal(i, QUuid::createUuid()); },
        E::Ink, 2, alone);
    row("clone in place of an original",
        [](M& m, QModelIndex const& i) {
            return m.replaceDrawingWithDistantClone(i, m.drawingIdentifier(m.index(3, EditScene::Ink)),
                                                    false);
        },
        E::Timing, 2, alone);
    row("new drawing passing clones on",
        [](M& m, QModelIndex const& i) {
            return m.replaceDrawing(i, Fixture::namedDrawing(QStringLiteral("N")), true, false);
        },
        E::Ink, 0, alone);
}

void TestSceneModel::editsAreUndoneAndRedoneThroughTheStack()
{
    QFETCH(ModelEdit, edit);
    QFETCH(int, layer);
    QFETCH(int, row);
    QFETCH(QList<int>, linked);

    EditScene s;
    for (int const l : linked)
        s.scene.setLayerLinked(l, true);
    SceneModel model;
    model.setScene(&s.scene);
    QUndoStack* const stack = s.scene.undoStack();

    QStringList const before = modelState(model);
    QStringList const sceneBefore = Structure::of(s.scene);

    auto* const command = new ModelEditCommand(model, row, layer, edit);
    stack->push(command);
    QVERIFY(!command->changes().isEmpty());
    QStringList const edited = modelState(model);
    QVERIFY(edited != before);

    stack->undo();
    QCOMPARE(modelState(model), before);
    // The frame range and active cell are the commands' own to restore.
    QCOMPARE(Structure::of(s.scene).mid(1), sceneBefore.mid(1));

    stack->redo();
    QCOMPARE(modelState(model), edited);
    stack->undo();
    QCOMPARE(modelState(model), before);
}

// --- no scene ----------------------------------------------------------------

void TestSceneModel::withoutASceneEverythingIsNeutral()
{
    SceneModel model;
    QCOMPARE(model.rowCount(), 0);
    QCOMPARE(model.columnCount(), 0);
    QVERIFY(!model.index(0, 0).isValid());
    QVERIFY(!model.data(model.index(0, 0), SceneModel::OriginalRole).isValid());
    QVERIFY(!model.headerData(0, Qt::Horizontal, Qt::DisplayRole).isValid());
    QVERIFY(!model.headerData(0, Qt::Vertical, SceneModel::ScrubFrameRole).isValid());
    QVERIFY(!model.setHeaderData(0, Qt::Horizontal, true, SceneModel::LayerLinkedRole));
    QVERIFY(!model.setHeaderData(0, Qt::Horizontal, QStringLiteral("x"), Qt::DisplayRole));
    QVERIFY(!model.frameSize().isValid());
    QVERIFY(model.thumbnail(QModelIndex(), QSize(10, 10)).isNull());
    int layer = 7;
    QVERIFY(!model.isOffPegs(1, &layer));
    QVERIFY(model.cloneIndices(QModelIndex()).isEmpty());
    QVERIFY(model.drawingIdentifier(QModelIndex()).isNull());
    QVERIFY(model.originalDrawingIdentifier(QModelIndex()).isNull());
    QVERIFY(!model.lookupIdentifier(Model::DrawingRef{QUuid::createUuid(), QUuid::createUuid()}).isValid());
    QVERIFY(model.lookupCopyId(QUuid::createUuid()).isNull());
    QVERIFY(!model.lookupLayerItem(QModelIndex()));
    QVERIFY(!model.createMimeData(QModelIndex()));
    QVERIFY(model.insertBlankDrawingAt(QModelIndex()).isEmpty());
    QVERIFY(model.removeFrames(QModelIndex(), 2).isEmpty());
    QVERIFY(!model.removeLastStroke(QModelIndex()));
    model.reverseChanges({SceneChange(Model::LayerChange::RemoveFrame, 1, nullptr, 0)});
}

void TestSceneModel::refusedStrokeStaysWithTheCaller()
{
    Model::Scene scene;
    Model::SceneModel model;
    model.setScene(&scene);
    // No layer to take it: the stroke must not be destroyed behind the
    // caller's back, since an undo command still owns it.
    std::unique_ptr<Model::Stroke> stroke = std::make_unique<Model::SingleStroke>();
    Model::Stroke* const kept = stroke.get();
    QCOMPARE(model.appendStroke(model.index(0, 0), std::move(stroke)), 0);
    QCOMPARE(stroke.get(), kept);
}

QUILLMERE_TEST_MAIN(TestSceneModel)
#include "tst_scenemodel.moc"
