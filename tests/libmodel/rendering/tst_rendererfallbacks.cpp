// How the off-screen renderer copes when the platform lets it down: shaders
// that do not compile or link, frame buffers that cannot be made, missing
// 1D textures, and textures that the user replaced.
#include "TestSupport.h"

#include "rendering/OffscreenRenderer.h"
#include "strokes/LineSegment.h"

#include <QDir>
#include <QFile>
#include <QStandardPaths>
#include <QTemporaryDir>

using Model::OffscreenRenderer;
using Hooks = OffscreenRenderer::TestHooks;
Q_DECLARE_METATYPE(Hooks)

namespace {

const QSize FrameSize(200, 150);

// Collects warnings instead of printing them, while it lives.
class WarningCatcher
{
public:
    WarningCatcher() { s_previous = qInstallMessageHandler(&WarningCatcher::handler); }
    ~WarningCatcher() { qInstallMessageHandler(s_previous); }

    static QStringList messages;

    static bool contains(const QString& start)
    {
        for (const QString& message : messages)
            if (message.startsWith(start))
                return true;
        return false;
    }

private:
    static void handler(QtMsgType type, const QMessageLogContext&, const QString& message)
    {
        if (type == QtWarningMsg || type == QtCriticalMsg)
            messages << message;
    }
    static QtMessageHandler s_previous;
};

QStringList WarningCatcher::messages;
QtMessageHandler WarningCatcher::s_previous = nullptr;

struct Stroke
{
    QList<float> positions;
    QList<float> colours;
    QList<float> types;

    Stroke()
    {
        const Model::LineSegment line(QPointF(20, 30), QPointF(180, 120), 1.0, 1.0, 12, 12);
        line.addRoundCapBeginToGLVectors(positions, colours, types);
        line.addToGLVectors(positions, colours, types);
        line.addRoundCapEndToGLVectors(positions, colours, types);
    }
};

QImage draw(int curve, uchar fill = 0)
{
    QImage image(FrameSize, QImage::Format_Alpha8);
    image.fill(QColor(0, 0, 0, fill));
    const Stroke stroke;
    OffscreenRenderer* renderer = OffscreenRenderer::instance();
    if (curve < 3)
        renderer->renderPenStroke(image, Model::Tool::PenType(curve), QPoint(), 1.0f,
                                  image.rect(), QTransform(), stroke.positions, stroke.colours,
                                  stroke.types);
    else
        renderer->renderEraserStroke(image, Model::Tool::EraserType(curve - 3), QPoint(), 1.0f,
                                     image.rect(), QTransform(), stroke.positions,
                                     stroke.colours, stroke.types);
    return image;
}

bool isUniform(const QImage& image, uchar value)
{
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x)
            if (image.constScanLine(y)[x] != value)
                return false;
    return true;
}

int largestDifference(const QImage& a, const QImage& b)
{
    int largest = 0;
    for (int y = 0; y < a.height(); ++y)
        for (int x = 0; x < a.width(); ++x)
            largest = std::max(largest, std::abs(int(a.constScanLine(y)[x])
                                                 - int(b.constScanLine(y)[x])));
    return largest;
}

bool writeFile(const QString& path, const QByteArray& contents)
{
    QFile file(path);
    return file.open(QIODevice::WriteOnly) && file.write(contents) == contents.size();
}

QByteArray resource(const QString& name)
{
    QFile file(QStringLiteral(":/shaders/") + name);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

} // namespace

class TestRendererFallbacks : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void cleanup();
    void shaderFailureIsReported_data();
    void shaderFailureIsReported();
    void framebufferFallbacks_data();
    void framebufferFallbacks();
    void negativeSizeIsIgnored();
    void renderingWithoutMultisamplingMatches();
    void curvesAs2DTextures();
    void userTexturesReplaceTheShippedOnes();

private:
    QImage m_reference; // marker stroke from a healthy renderer
    QTemporaryDir m_shaders;
};

void TestRendererFallbacks::initTestCase()
{
    QVERIFY(m_shaders.isValid());
    QVERIFY(OffscreenRenderer::instance()->initialize(FrameSize));
    m_reference = draw(1);
    QVERIFY(!isUniform(m_reference, 0));
}

void TestRendererFallbacks::cleanup()
{
    OffscreenRenderer* renderer = OffscreenRenderer::instance();
    renderer->setTestHooks(Hooks());
    if (!renderer->isInitialized())
        QVERIFY(renderer->initialize(FrameSize));
    else if (renderer->currentFBOSize() != FrameSize || renderer->currentSamples() == 0)
        QVERIFY(renderer->resizeFBOs(FrameSize));
}

void TestRendererFallbacks::shaderFailureIsReported_data()
{
    QTest::addColumn<QByteArray>("vertexSource");
    QTest::addColumn<QByteArray>("fragmentSource");
    QTest::addColumn<QString>("warning");

    const QByteArray vertex = resource("anisotropic_scale.vert");
    const QByteArray fragment = resource("anisotropic_scale.frag");
    QVERIFY(!vertex.isEmpty() && !fragment.isEmpty());

    QTest::newRow("vertex shader does not compile")
        << QByteArray(vertex).replace("void main()", "void main() { undeclared = 1.0; }\nvoid x()")
        << fragment << "OffscreenRenderer: the vertex shader";
    QTest::newRow("fragment shader does not compile")
        << vertex << QByteArray(fragment).replace("gl_FragColor = vec4(", "gl_FragColor = vec3(")
        << "OffscreenRenderer: the fragment shader";
    // Each compiles alone, but the two disagree about a varying.
    QTest::newRow("program does not link")
        << QByteArray(vertex).replace("varying vec2 normal;", "varying vec3 normal;")
                             .replace("normal = abs(side) < 0.75 ? targetNormal(secondTangent, side) : n;",
                                      "normal = vec3(abs(side) < 0.75 ? targetNormal(secondTangent, side) : n, 0.0);")
        << fragment << "OffscreenRenderer: the shader program does not link";
    QTest::newRow("vertex shader file missing")
        << QByteArray() << fragment << "OffscreenRenderer: cannot read the vertex shader";
    QTest::newRow("program without the vertex attributes")
        << QByteArray("#version 120\nvoid main() { gl_Position = ftransform(); }\n")
        << QByteArray("#version 120\nvoid main() { gl_FragColor = vec4(1.0); }\n")
        << "OffscreenRenderer: the shader program lacks a vertex attribute";
}

void TestRendererFallbacks::shaderFailureIsReported()
{
    QFETCH(QByteArray, vertexSource);
    QFETCH(QByteArray, fragmentSource);
    QFETCH(QString, warning);

    Hooks hooks;
    hooks.vertexShaderFile = m_shaders.filePath(QStringLiteral("test.vert"));
    hooks.fragmentShaderFile = m_shaders.filePath(QStringLiteral("test.frag"));
    QFile::remove(hooks.vertexShaderFile);
    if (!vertexSource.isEmpty())
        QVERIFY(writeFile(hooks.vertexShaderFile, vertexSource));
    QVERIFY(writeFile(hooks.fragmentShaderFile, fragmentSource));

    OffscreenRenderer* renderer = OffscreenRenderer::instance();
    renderer->setTestHooks(hooks);
    {
        WarningCatcher catcher;
        WarningCatcher::messages.clear();
        QVERIFY(!renderer->initialize(FrameSize));
        QVERIFY2(WarningCatcher::contains(warning),
                 qPrintable(WarningCatcher::messages.join(QLatin1Char('\n'))));
    }
    // The compiler's or linker's own words come with the warning.
    for (const QString& message : std::as_const(WarningCatcher::messages))
        if (message.startsWith(warning) && warning.contains(QLatin1String("does not")))
            QVERIFY2(message.section(QLatin1Char('\n'), 1).trimmed().size() > 0,
                     qPrintable(message));

    // A renderer that failed draws nothing, and says so.
    QVERIFY(!renderer->isInitialized());
    QVERIFY(isUniform(draw(1, 77), 77));

    // With working shaders it recovers completely.
    renderer->setTestHooks(Hooks());
    QVERIFY(renderer->initialize(FrameSize));
    QCOMPARE(draw(1), m_reference);
}

void TestRendererFallbacks::framebufferFallbacks_data()
{
    QTest::addColumn<Hooks>("hooks");
    QTest::addColumn<QSize>("request");
    QTest::addColumn<bool>("created");
    QTest::addColumn<QSize>("size");
    QTest::addColumn<int>("samples");

    Hooks none;
    QTest::newRow("as asked") << none << QSize(400, 300) << true << QSize(400, 300) << 4;
    QTest::newRow("empty frame gets one pixel")
        << none << QSize(0, 0) << true << QSize(1, 1) << 4;

    Hooks small;
    small.maximumFramebufferSize = QSize(64, 64);
    QTest::newRow("halved until it fits")
        << small << QSize(400, 300) << true << QSize(50, 38) << 4;

    // 400x300, 200x150, ..., 4x3, 2x2 (1.5 rounds up), then 1x1.
    Hooks tiny;
    tiny.maximumFramebufferSize = QSize(1, 1);
    QTest::newRow("halved down to one pixel")
        << tiny << QSize(400, 300) << true << QSize(1, 1) << 4;

    Hooks noMultisampling;
    noMultisampling.multisamplingUnavailable = true;
    QTest::newRow("without multisampling")
        << noMultisampling << QSize(400, 300) << true << QSize(400, 300) << 0;

    Hooks noNpot;
    noNpot.noNonPowerOfTwoTextures = true;
    QTest::newRow("powers of two") << noNpot << QSize(1920, 1080) << true << QSize(2048, 2048)
                                   << 4;

    // Where the halving used to go on for ever.
    Hooks nothing;
    nothing.maximumFramebufferSize = QSize(0, 0);
    QTest::newRow("nothing can be made")
        << nothing << QSize(400, 300) << false << QSize(-1, -1) << 0;
    Hooks nothingEither = nothing;
    nothingEither.multisamplingUnavailable = true;
    QTest::newRow("nothing, not even without multisampling")
        << nothingEither << QSize(3, 1) << false << QSize(-1, -1) << 0;
}

void TestRendererFallbacks::framebufferFallbacks()
{
    QFETCH(Hooks, hooks);
    QFETCH(QSize, request);
    QFETCH(bool, created);
    QFETCH(QSize, size);
    QFETCH(int, samples);

    OffscreenRenderer* renderer = OffscreenRenderer::instance();
    renderer->setTestHooks(hooks);
    {
        WarningCatcher catcher;
        WarningCatcher::messages.clear();
        QCOMPARE(renderer->resizeFBOs(request), created);
        QCOMPARE(WarningCatcher::contains(
                     QStringLiteral("OffscreenRenderer: cannot create frame buffers")),
                 !created);
    }
    QCOMPARE(renderer->currentFBOSize(), size);
    QCOMPARE(renderer->currentSamples(), samples);

    if (!created) {
        // No buffers: rendering leaves the target alone.
        QVERIFY(isUniform(draw(1, 77), 77));
        return;
    }
    // Whatever the buffers, the stroke comes out the same (tiled if need be),
    // up to a level of rounding.
    if (size.width() >= 8)
        QVERIFY(largestDifference(draw(1), m_reference) <= 2);
}

void TestRendererFallbacks::negativeSizeIsIgnored()
{
    OffscreenRenderer* renderer = OffscreenRenderer::instance();
    QVERIFY(!renderer->resizeFBOs(QSize(-1, 100)));
    QVERIFY(!renderer->resizeFBOs(QSize(100, -5)));
    QCOMPARE(renderer->currentFBOSize(), FrameSize);
    QCOMPARE(draw(1), m_reference);
}

void TestRendererFallbacks::renderingWithoutMultisamplingMatches()
{
    // Every sample of a pixel is shaded alike, so the single-sampled
    // fallback gives exactly the same coverage, for every curve.
    QList<QImage> multisampled;
    for (int curve = 0; curve < OffscreenRenderer::CurveCount; ++curve)
        multisampled << draw(curve);

    OffscreenRenderer* renderer = OffscreenRenderer::instance();
    Hooks hooks;
    hooks.multisamplingUnavailable = true;
    renderer->setTestHooks(hooks);
    QVERIFY(renderer->resizeFBOs(FrameSize));
    QCOMPARE(renderer->currentSamples(), 0);
    for (int curve = 0; curve < OffscreenRenderer::CurveCount; ++curve)
        QCOMPARE(draw(curve), multisampled[curve]);
}

void TestRendererFallbacks::curvesAs2DTextures()
{
    QList<QImage> oneDimensional;
    for (int curve = 0; curve < OffscreenRenderer::CurveCount; ++curve)
        oneDimensional << draw(curve);

    OffscreenRenderer* renderer = OffscreenRenderer::instance();
    Hooks hooks;
    hooks.no1DTextures = true;
    renderer->setTestHooks(hooks);
    QVERIFY(renderer->initialize(FrameSize));
    for (int curve = 0; curve < OffscreenRenderer::CurveCount; ++curve) {
        const QImage image = draw(curve);
        QVERIFY(!isUniform(image, 0));
        QVERIFY2(largestDifference(image, oneDimensional[curve]) <= 3,
                 qPrintable(QString::number(largestDifference(image, oneDimensional[curve]))));
    }
    renderer->setTestHooks(Hooks());
    QVERIFY(renderer->initialize(FrameSize));
}

void TestRendererFallbacks::userTexturesReplaceTheShippedOnes()
{
    const QString folder =
        QStandardPaths::standardLocations(QStandardPaths::AppDataLocation).value(0);
    QVERIFY(!folder.isEmpty());
    QVERIFY(QDir().mkpath(folder));
    const QString paperFile = QDir(folder).filePath(QStringLiteral("KWtexture.png"));
    const QString markerFile = QDir(folder).filePath(QStringLiteral("SoftnessCurve-marker.png"));
    const QString brushFile = QDir(folder).filePath(QStringLiteral("SoftnessCurve-brush.png"));
    auto removeAll = qScopeGuard([&] {
        QFile::remove(paperFile);
        QFile::remove(markerFile);
        QFile::remove(brushFile);
    });

    const QImage pencilBefore = draw(0);
    const QImage brushBefore = draw(2);
    QVERIFY(!isUniform(pencilBefore, 0));

    // Paper without any tooth takes no lead at all; a flat half-strength
    // marker curve; and a brush curve file that is no image.
    QImage paper(64, 64, QImage::Format_RGB888);
    paper.fill(QColor(0, 255, 0));
    QVERIFY(paper.save(paperFile));
    QImage marker(256, 1, QImage::Format_RGBA8888);
    marker.fill(QColor(128, 0, 0, 255));
    QVERIFY(marker.save(markerFile));
    QVERIFY(writeFile(brushFile, "not a picture"));

    QCOMPARE(OffscreenRenderer::loadTextureImage(QStringLiteral("KWtexture.png")).size(),
             QSize(64, 64));
    QCOMPARE(OffscreenRenderer::loadTextureImage(QStringLiteral("SoftnessCurve-brush.png")).size(),
             QSize(256, 1));

    // Only later initialisations see them.
    QCOMPARE(draw(0), pencilBefore);
    OffscreenRenderer* renderer = OffscreenRenderer::instance();
    QVERIFY(renderer->initialize(FrameSize));
    QVERIFY(isUniform(draw(0), 0));
    const QImage halfMarker = draw(1);
    const int centre = halfMarker.constScanLine(75)[100];
    QVERIFY2(centre >= 126 && centre <= 130, qPrintable(QString::number(centre)));
    QCOMPARE(draw(2), brushBefore);

    removeAll.dismiss();
    QFile::remove(paperFile);
    QFile::remove(markerFile);
    QFile::remove(brushFile);
    QVERIFY(renderer->initialize(FrameSize));
    QCOMPARE(draw(0), pencilBefore);
    QCOMPARE(draw(1), m_reference);
}

QUILLMERE_TEST_MAIN(TestRendererFallbacks)
#include "tst_rendererfallbacks.moc"
