#include "MainWindowFixture.h"

#include "TestSupport.h"

#include "canvas/ControlsBarToolButton.h"
#include "scene/Layer.h"
#include "settings/Settings.h"

#include <QApplication>
#include <QUndoStack>

namespace {

const char* const kControlsBarButtons[] = {"toolButtonJumpToStart", "toolButtonStepBack",
                                           "toolButtonPlayback", "toolButtonStepForward",
                                           "toolButtonJumpToEnd"};

void expectControlsBarIcons(MainWindow* window, QSize size)
{
    for (const char* name : kControlsBarButtons) {
        auto* button = window->findChild<UI::ControlsBarToolButton*>(QLatin1String(name));
        QVERIFY2(button, name);
        QCOMPARE(button->iconSize(), size);
        QVERIFY2(!button->icon().pixmap(size).isNull(), name);
    }
}

} // namespace

class TestMainWindow : public QObject
{
    Q_OBJECT

private slots:
    void startsWithANewSceneOfTheDefaultLayers()
    {
        MainWindowFixture f;
        MainWindowFixture::expectDefaultLayers(f.scene());
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

    void controlsBarIconsFollowTheUIScale()
    {
        Model::Settings* settings = Model::Settings::instance();
        settings->setUIScalePercent(100);
        {
            MainWindowFixture f;
            expectControlsBarIcons(f.window.get(), QSize(32, 32));
            settings->setUIScalePercent(125);
            expectControlsBarIcons(f.window.get(), QSize(40, 40));
        }
        // A window built at that scale starts with the scaled icons.
        MainWindowFixture f;
        expectControlsBarIcons(f.window.get(), QSize(40, 40));
        settings->setUIScalePercent(100);
    }

    void windowIconHoldsEverySize()
    {
        MainWindowFixture f;
        const QList<QSize> sizes = QGuiApplication::windowIcon().availableSizes();
        for (int side : {16, 32, 64, 128, 256, 512, 1024})
            QVERIFY2(sizes.contains(QSize(side, side)), qPrintable(QString::number(side)));
    }
};

QUILLMERE_TEST_MAIN(TestMainWindow)
#include "tst_mainwindow.moc"
