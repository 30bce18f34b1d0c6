#pragma once

// What the benchmarks of the whole window share: the libraries started as the
// program starts them, nothing that could stop the run to ask a question, and
// the off-screen renderer at the frame size.
#include "prompts/Prompter.h"
#include "rendering/OffscreenRenderer.h"
#include "settings/Settings.h"
#include "startup/Init.h"
#include "startup/UIInit.h"

#include <QApplication>
#include <QMessageBox>
#include <QSize>

#include <cstdio>

namespace BenchWindow {

// Before the application object: a display when there is one, else none.
inline void choosePlatform()
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", qEnvironmentVariableIsEmpty("DISPLAY") ? "offscreen" : "xcb");
}

// After it; false, having said why, when the renderer cannot start.
inline bool start(QSize const& frameSize)
{
    QApplication::setOrganizationName(QStringLiteral("Quillmere"));
    QApplication::setApplicationName(QStringLiteral("QuillmereBench"));
    Model::init();
    UI::init();
    Model::Settings::instance()->setShowVideoTutorialsOnStartup(false);
    // No modal question may stop the run: the scene before is let go.
    Model::Prompter::setHandler([](Model::Prompter::Request const& request) {
        std::fprintf(stderr, "asked: %s\n", qPrintable(request.text));
        Model::Prompter::Reply reply;
        reply.button = QMessageBox::Discard;
        return reply;
    });
    if (Model::OffscreenRenderer::instance()->initialize(frameSize))
        return true;
    std::fprintf(stderr, "the off-screen renderer cannot start\n");
    return false;
}

} // namespace BenchWindow
