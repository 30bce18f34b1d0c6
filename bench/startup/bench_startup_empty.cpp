// The baseline of bench_startup: an empty Qt Widgets window, with one OpenGL
// context made current on an off-screen surface before it is shown, as the
// program makes its renderer's; it reports as the program does once idle.
#include "StartupIdle.h"

#include <QApplication>
#include <QOffscreenSurface>
#include <QOpenGLContext>
#include <QSurfaceFormat>
#include <QWidget>

#include <cstdio>

int main(int argc, char** argv)
{
    QApplication app(argc, argv);
    QSurfaceFormat format;
    format.setRenderableType(QSurfaceFormat::OpenGL);
    format.setVersion(2, 1);
    format.setProfile(QSurfaceFormat::CompatibilityProfile);
    QOpenGLContext context;
    context.setFormat(format);
    QOffscreenSurface surface;
    bool made = context.create();
    if (made) {
        surface.setFormat(context.format());
        surface.create();
        made = context.makeCurrent(&surface);
    }
    if (!made) {
        std::fprintf(stderr, "no OpenGL context\n");
        return 1;
    }
    QWidget window;
    window.resize(1600, 1000);
    window.show();
    StartupIdle::reportWhenIdle(&window, [] { return true; });
    return QApplication::exec();
}
