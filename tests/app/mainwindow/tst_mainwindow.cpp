#include "MainWindowFixture.h"

#include "TestSupport.h"

#include "scene/Layer.h"

#include <QApplication>
#include <QUndoStack>

class TestMainWindow : public QObject
{
    Q_OBJECT

private slots:
    void startsWithANewSceneOfTheDefaultLayers()
    {
        MainWindowFixture f;
        Model::Scene* scene = f.scene();
        QVERIFY(scene);
        QCOMPARE(scene->numLayers(), 3);
        QVERIFY(scene->isStrokeLayer(0));
        QCOMPARE(scene->layerColor(0), QColor(40, 97, 184));
        QVERIFY(scene->isAudioLayer(1));
        QVERIFY(scene->isAnnotationLayer(2));
        QVERIFY(f.asked.isEmpty());
    }

    void titleNamesTheDocumentItsStateSizeAndZoom()
    {
        MainWindowFixture f;
        QApplication::setApplicationDisplayName(QStringLiteral("Quillmere"));
        Model::Scene* scene = f.scene();
        scene->setFilename(QStringLiteral("/tmp/shots/walk.kw"));
        scene->setFrameSize(QSize(1920, 1080), KW::FitMode::FitModeIgnore, nullptr);
        scene->undoStack()->resetClean();
        f.window->actualizeTitlebar(0.5);
        QCOMPARE(f.window->windowTitle(), QStringLiteral("Quillmere: walk.kw* [1920x1080] 50%"));

        f.window->setKWScene(nullptr);
        f.window->actualizeTitlebar(0.5);
        QCOMPARE(f.window->windowTitle(), QStringLiteral("Quillmere: "));
    }
};

QUILLMERE_TEST_MAIN(TestMainWindow)
#include "tst_mainwindow.moc"
