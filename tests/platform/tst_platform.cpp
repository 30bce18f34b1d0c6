// Proves that the real platform parts the program relies on are present on
// this machine: a desktop OpenGL 2.1 compatibility context with multisampled
// framebuffers, and a working default audio output.
#include "TestSupport.h"

#include <QAudioFormat>
#include <QAudioSink>
#include <QBuffer>
#include <QMediaDevices>
#include <QOffscreenSurface>
#include <QOpenGLContext>
#include <QOpenGLFramebufferObject>
#include <QOpenGLFunctions>
#include <QSignalSpy>
#include <QSurfaceFormat>

class TestPlatform : public QObject {
    Q_OBJECT

private slots:
    void openGLCompatibilityContextWithMultisampling();
    void defaultAudioOutputPlaysSilence();
};

void TestPlatform::openGLCompatibilityContextWithMultisampling()
{
    QSurfaceFormat format;
    format.setRenderableType(QSurfaceFormat::OpenGL);
    format.setVersion(2, 1);
    format.setProfile(QSurfaceFormat::CompatibilityProfile);

    QOffscreenSurface surface;
    surface.setFormat(format);
    surface.create();
    QVERIFY(surface.isValid());

    QOpenGLContext context;
    context.setFormat(format);
    QVERIFY(context.create());
    QVERIFY(context.makeCurrent(&surface));
    QVERIFY(!context.isOpenGLES());
    const QSurfaceFormat actual = context.format();
    QVERIFY2(actual.majorVersion() > 2 || (actual.majorVersion() == 2 && actual.minorVersion() >= 1),
             qPrintable(QStringLiteral("GL %1.%2").arg(actual.majorVersion()).arg(actual.minorVersion())));

    QOpenGLFramebufferObjectFormat fboFormat;
    fboFormat.setSamples(4);
    QOpenGLFramebufferObject fbo(QSize(64, 64), fboFormat);
    QVERIFY(fbo.isValid());
    QCOMPARE(fbo.format().samples(), 4);

    // Clear the multisampled target and resolve it, so the whole path is used.
    QVERIFY(fbo.bind());
    QOpenGLFunctions* gl = context.functions();
    gl->glClearColor(1.0f, 0.0f, 0.0f, 1.0f);
    gl->glClear(GL_COLOR_BUFFER_BIT);
    fbo.release();
    const QImage image = fbo.toImage();
    QCOMPARE(image.size(), QSize(64, 64));
    QCOMPARE(image.pixelColor(10, 10), QColor(255, 0, 0));

    context.doneCurrent();
}

void TestPlatform::defaultAudioOutputPlaysSilence()
{
    const QAudioDevice device = QMediaDevices::defaultAudioOutput();
    QVERIFY2(!device.isNull(), "no default audio output");

    QAudioFormat format;
    format.setSampleRate(44100);
    format.setChannelCount(2);
    format.setSampleFormat(QAudioFormat::Int16);
    QVERIFY(device.isFormatSupported(format));

    // 100 ms of 16-bit stereo silence.
    QByteArray silence(4410 * 2 * 2, '\0');
    QBuffer buffer(&silence);
    QVERIFY(buffer.open(QIODevice::ReadOnly));

    QAudioSink sink(device, format);
    QSignalSpy states(&sink, &QAudioSink::stateChanged);
    sink.start(&buffer);
    QCOMPARE(sink.error(), QAudio::NoError);
    QTRY_VERIFY_WITH_TIMEOUT(sink.state() == QAudio::IdleState, 5000);
    QVERIFY(states.contains(QList<QVariant>{QVariant::fromValue(QAudio::IdleState)}));
    QCOMPARE(sink.error(), QAudio::NoError);
    QVERIFY(buffer.atEnd());
    sink.stop();
    QCOMPARE(sink.state(), QAudio::StoppedState);
}

QUILLMERE_TEST_MAIN(TestPlatform)
#include "tst_platform.moc"
