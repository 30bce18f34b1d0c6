#pragma once

#include "mainwindow/MainWindow.h"
#include "prompts/Prompter.h"
#include "scene/KWScene.h"
#include "scene/Scene.h"
#include "startup/Init.h"
#include "startup/UIInit.h"

#include <QMessageBox>
#include <QStringList>

#include <functional>
#include <memory>

// Starts the model and widget libraries once per test process and builds a
// real main window with a new scene, as the program does at start. Every
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
    }

    MainWindowFixture()
    {
        startLibraries();
        Model::Prompter::setHandler([this](Model::Prompter::Request const& request) {
            asked << request.text;
            return answer ? answer(request) : Model::Prompter::Reply{};
        });
        window = std::make_unique<MainWindow>();
        window->newSceneIfNoneOpen();
    }

    ~MainWindowFixture()
    {
        window.reset();
        Model::Prompter::setHandler({});
    }

    Model::Scene* scene() const { return window->quillmereScene(); }

    std::unique_ptr<MainWindow> window;
    QStringList asked;
    std::function<Model::Prompter::Reply(Model::Prompter::Request const&)> answer;
};
