// What the exposure sheet asks of its model, counted rather than timed: a
// frame step reads the rows in view whatever the scene's length, laying out
// the columns of a scene asks about each layer a bounded number of times, and
// the widgets on the sheet follow the columns in view, not the layers, so
// that opening a scene of many layers is linear in them.
#include "TestSupport.h"

#include "common/Animations.h"
#include "drawings/StrokeDrawing.h"
#include "models/FrameRangeModel.h"
#include "models/SceneModel.h"
#include "scene/KWScene.h"
#include "scene/LayerItem.h"
#include "scene/Scene.h"
#include "scene/StrokeLayer.h"
#include "startup/Init.h"
#include "xsheet/XSheet.h"

#include <QItemSelectionModel>

namespace {

// The scene's item model, counting what the sheet asks of it.
class CountingSceneModel : public Model::SceneModel
{
public:
    using SceneModel::SceneModel;

    QModelIndex index(int row, int column, QModelIndex const& parent = QModelIndex()) const override
    {
        ++calls;
        return SceneModel::index(row, column, parent);
    }
    QVariant data(QModelIndex const& index, int role) const override
    {
        ++calls;
        return SceneModel::data(index, role);
    }
    QVariant headerData(int section, Qt::Orientation orientation, int role) const override
    {
        ++calls;
        return SceneModel::headerData(section, orientation, role);
    }

    mutable qint64 calls = 0;
};

// Stroke layers of the given length, an original every other frame.
struct CountedSheet
{
    CountedSheet(int layers, int frames)
    {
        UI::Animations::setEnabled(false);
        Model::KWScene::setCurrentKWScene(&bundle);
        scene = bundle.scene();
        for (int l = 0; l < layers; ++l) {
            auto layer = std::make_shared<Model::StrokeLayer>(QColor(Qt::black), scene->frameSize(), nullptr);
            auto& cells = layer->frames();
            cells.clear();
            for (int f = 0; f < frames; ++f) {
                if (f % 2 == 0)
                    cells.append(std::make_shared<Model::LayerItem>(
                        Model::LayerItem::Original, QUuid::createUuid(),
                        std::make_shared<Model::StrokeDrawing>(scene->frameSize())));
                else
                    cells.append(std::make_shared<Model::LayerItem>(cells.last()->drawing));
            }
            scene->addLayer(layer, scene->numLayers());
        }
        scene->setFrameRange(1, frames, 1, 0);
        counting.setScene(scene);
        bundle.frameRangeModel()->setSourceModel(&counting);
        sheet.setEnableVerticalScrollAnimation(false);
        sheet.resize(400, 420);
    }

    ~CountedSheet() { Model::KWScene::setCurrentKWScene(nullptr); }

    // Shows the sheet on the model and lets every queued layout run.
    void open()
    {
        sheet.setModel(bundle.frameRangeModel());
        sheet.setSelectionModel(bundle.selectionModel());
        sheet.show();
        QVERIFY(QTest::qWaitForWindowExposed(&sheet));
        QCoreApplication::processEvents();
        sheet.grab();
    }

    // Steps as playback does, one frame after another, each painted.
    void play(int steps)
    {
        for (int frame = 2; frame < 2 + steps; ++frame) {
            scene->setScrubFrame(frame);
            QCoreApplication::processEvents();
            sheet.grab();
        }
    }

    Model::KWScene bundle;
    Model::Scene* scene = nullptr;
    CountingSceneModel counting;
    UI::XSheet sheet;
};

// The events that reach the sheet and the widgets on it: every widget there
// is work for the window's every repaint, which weighs each repainted widget
// against the siblings above it.
class WidgetEvents : public QObject
{
public:
    explicit WidgetEvents(QWidget* sheet)
        : m_sheet(sheet)
    {
        QCoreApplication::instance()->installEventFilter(this);
    }
    ~WidgetEvents() override { QCoreApplication::instance()->removeEventFilter(this); }

    bool eventFilter(QObject* object, QEvent*) override
    {
        if (object->isWidgetType() && m_sheet->isAncestorOf(static_cast<QWidget*>(object)))
            ++count;
        return false;
    }

    qint64 count = 0;

private:
    QWidget* m_sheet;
};

} // namespace

class TestXSheetCost : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase() { Model::init(); }

    void frameStepsReadOnlyTheRowsInView()
    {
        qint64 perLength[2] = {};
        int const lengths[2] = {40, 1600};
        for (int i = 0; i < 2; ++i) {
            CountedSheet s(4, lengths[i]);
            s.open();
            s.counting.calls = 0;
            s.play(12);
            perLength[i] = s.counting.calls;
        }
        QVERIFY(perLength[0] > 0);
        // The same rows are in view in both: forty times the rows may not
        // cost more than a little more.
        QVERIFY2(perLength[1] <= perLength[0] * 3 / 2,
                 qPrintable(QStringLiteral("%1 frames: %2 calls, %3 frames: %4 calls")
                                .arg(lengths[0]).arg(perLength[0]).arg(lengths[1]).arg(perLength[1])));
    }

    void layingOutTheColumnsIsLinearInTheLayers()
    {
        qint64 perCount[2] = {};
        int const layers[2] = {30, 240};
        for (int i = 0; i < 2; ++i) {
            CountedSheet s(layers[i], 2);
            s.counting.calls = 0;
            s.open();
            perCount[i] = s.counting.calls;
        }
        QVERIFY(perCount[0] > 0);
        // Eight times the layers: eight times the questions, with room to
        // spare, but nowhere near the sixty-four of a quadratic layout.
        QVERIFY2(perCount[1] <= perCount[0] * 12,
                 qPrintable(QStringLiteral("%1 layers: %2 calls, %3 layers: %4 calls")
                                .arg(layers[0]).arg(perCount[0]).arg(layers[1]).arg(perCount[1])));
    }

    void widgetsOnTheSheetFollowTheColumnsInViewNotTheLayers()
    {
        qint64 perCount[2] = {};
        int const layers[2] = {30, 240};
        for (int i = 0; i < 2; ++i) {
            CountedSheet s(layers[i], 2);
            WidgetEvents events(&s.sheet);
            s.open();
            perCount[i] = events.count;
        }
        QVERIFY(perCount[0] > 0);
        // The same few columns are in view in both: a gizmo on each of the
        // layers, in view or not, made opening and painting quadratic.
        QVERIFY2(perCount[1] <= perCount[0] * 3 / 2,
                 qPrintable(QStringLiteral("%1 layers: %2 events, %3 layers: %4 events")
                                .arg(layers[0]).arg(perCount[0]).arg(layers[1]).arg(perCount[1])));
    }
};

QUILLMERE_TEST_MAIN(TestXSheetCost)
#include "tst_xsheetcost.moc"
