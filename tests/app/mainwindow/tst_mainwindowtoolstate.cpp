// The state the window gives a tool on the active cell: usable, forbidden,
// or blocked by a hidden or fully transparent layer.
#include "MainWindowFixture.h"
#include "SceneCells.h"

#include "TestSupport.h"

#include "settings/Settings.h"

namespace {

using Type = Model::Tool::Type;

} // namespace

class TestMainWindowToolState : public QObject
{
    Q_OBJECT

private slots:
    void toolStateFollowsTheActiveLayer_data()
    {
        QTest::addColumn<int>("tool");
        QTest::addColumn<QString>("condition");
        QTest::addColumn<int>("expected");

        QTest::newRow("pen, usable") << int(Type::Draw) << "" << 0;
        QTest::newRow("pen, hidden layer") << int(Type::Draw) << "hidden" << 2;
        QTest::newRow("eraser, zero opacity") << int(Type::Erase) << "transparent" << 3;
        QTest::newRow("pen on a hold, clones locked") << int(Type::Draw) << "locked hold" << 1;
        QTest::newRow("pen on a hold, clones free") << int(Type::Draw) << "hold" << 0;
        QTest::newRow("off-pegs past the end") << int(Type::OffPegs) << "virtual" << 1;
        QTest::newRow("lasso past the end") << int(Type::Lasso) << "virtual" << 1;
        QTest::newRow("cutter on a locked hold") << int(Type::Cutter) << "locked hold" << 1;
        QTest::newRow("lasso on a locked hold") << int(Type::Lasso) << "locked hold" << 0;
        QTest::newRow("zoom, hidden layer") << int(Type::Zoom) << "hidden" << 0;
    }

    void toolStateFollowsTheActiveLayer()
    {
        QFETCH(int, tool);
        QFETCH(QString, condition);
        QFETCH(int, expected);

        MainWindowFixture f;
        Model::Scene* scene = f.scene();
        Model::Settings* settings = Model::Settings::instance();
        const bool wasLocked = settings->clonesLockedForDrawing();
        fillCells(scene, 0, QStringLiteral("A.B"), 1, 3, 1);
        if (condition == QLatin1String("hidden"))
            scene->setLayerVisible(0, false);
        if (condition == QLatin1String("transparent"))
            scene->setLayerOpacity(0, 0.0);
        if (condition.endsWith(QLatin1String("hold")))
            scene->setActiveFrameAndLayer(2, 0, Model::Scene::AcceptVirtualLastFrame);
        if (condition == QLatin1String("virtual"))
            scene->setActiveFrameAndLayer(4, 0, Model::Scene::AcceptVirtualLastFrame);
        settings->setClonesLockedForDrawing(condition == QLatin1String("locked hold"));

        QCOMPARE(int(f.window->calcToolState(Type(tool))), expected);
        settings->setClonesLockedForDrawing(wasLocked);
    }
};

QUILLMERE_TEST_MAIN(TestMainWindowToolState)
#include "tst_mainwindowtoolstate.moc"
