#pragma once

#include "mainwindow/MainWindow.h"
#include "prompts/Prompter.h"
#include "scene/KWScene.h"
#include "scene/Scene.h"
#include "settings/Settings.h"
#include "startup/Init.h"
#include "startup/UIInit.h"

#include <QMessageBox>
#include <QStringList>
#include <QTest>

#include <functional>
#include <memory>

// Starts the model and widget libraries once per test process and builds a
// real main window with a new scene, as the program does at start (or, with
// `withScene` false, as main leaves it before the event loop runs). Every
// modal question is recorded in `asked` and answered by `answer` (without
// one: no button and no file, which the routes take as cancelled).
struct MainWindowFixture
{
    static void startLibraries()
    {
        static bool started = false;
        if (started)
            return;
        started = true;
        Model::init();
        UI::init();
        // The start-up offer of the tutorials would stop every test at a modal dialog.
        Model::Settings::instance()->setShowVideoTutorialsOnStartup(false);
    }

    explicit MainWindowFixture(bool withScene = true)
    {
        startLibraries();
        Model::Prompter::setHandler([this](Model::Prompter::Request const& request) {
            asked << request.text;
            return answer ? answer(request) : Model::Prompter::Reply{};
        });
        window = std::make_unique<MainWindow>();
        if (withScene)
            window->newSceneIfNoneOpen();
    }

    ~MainWindowFixture()
    {
        window.reset();
        Model::Prompter::setHandler({});
    }

    Model::Scene* scene() const { return window->quillmereScene(); }

    // A new scene's layers: a blue stroke layer, a sound and an annotation layer.
    static void expectDefaultLayers(Model::Scene* scene)
    {
        QVERIFY(scene);
        QCOMPARE(scene->numLayers(), 3);
        QVERIFY(scene->isStrokeLayer(0));
        QCOMPARE(scene->layerColor(0), QColor(40, 97, 184));
        QVERIFY(scene->isAudioLayer(1));
        QVERIFY(scene->isAnnotationLayer(2));
    }

    std::unique_ptr<MainWindow> window;
    QStringList asked;
    std::function<Model::Prompter::Reply(Model::Prompter::Request const&)> answer;
};
