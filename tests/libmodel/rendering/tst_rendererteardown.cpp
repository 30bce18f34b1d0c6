// The renderer's OpenGL context ends with the application object, while the
// window system connection it was made on is still open. Left alive to the
// end of the process, it outlives the connection, whose closing unloads the
// driver with part of the context still allocated. Judged after the
// application object is gone, outside Qt Test's own checks.
#include "TestSupport.h"

#include "rendering/OffscreenRenderer.h"

#include <QGuiApplication>
#include <QOpenGLContext>

#include <cstdio>

using Model::OffscreenRenderer;

namespace {

// What became of the renderer's context.
bool released = false;
bool screensAtRelease = false;

} // namespace

class TestRendererTeardown : public QObject
{
    Q_OBJECT

private slots:
    void contextIsWatchedToTheEnd()
    {
        QVERIFY(OffscreenRenderer::instance()->initialize(QSize(16, 16)));
        QOpenGLContext* context = QOpenGLContext::currentContext();
        QVERIFY(context);
        connect(context, &QObject::destroyed, [] {
            released = true;
            // The screens go with the window system connection.
            screensAtRelease = QGuiApplication::primaryScreen() != nullptr;
        });
    }
};

namespace {

// The verdict on the context, given once the application object is gone.
int afterApplication(int result)
{
    auto const fail = [&result](char const* what) {
        std::fprintf(stderr, "FAIL!  : %s\n", what);
        result = 1;
    };
    if (!released)
        fail("the renderer's OpenGL context outlived the application object");
    else if (!screensAtRelease)
        fail("the renderer's OpenGL context was released after the window system connection closed");
    if (OffscreenRenderer::instance()->isInitialized())
        fail("the renderer still counts as initialised without its application object");
    return result;
}

} // namespace

QUILLMERE_TEST_MAIN_THEN(TestRendererTeardown, afterApplication)

#include "tst_rendererteardown.moc"
