#include "rendering/OffscreenRenderer.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QGuiApplication>
#include <QMatrix4x4>
#include <QOffscreenSurface>
#include <QOpenGLContext>
#include <QOpenGLFramebufferObject>
#include <QOpenGLShaderProgram>
#include <QOpenGLTexture>
#include <QScreen>
#include <QStandardPaths>
#include <QSurfaceFormat>
#include <QThread>

#include <algorithm>
#include <cmath>
#include <cstring>
#include <vector>

#ifndef GL_MAX
#define GL_MAX 0x8008
#endif
#ifndef GL_R8
#define GL_R8 0x8229
#endif
#ifndef GL_RED
#define GL_RED 0x1903
#endif
#ifndef GL_MULTISAMPLE
#define GL_MULTISAMPLE 0x809D
#endif
#ifndef GL_MAX_RENDERBUFFER_SIZE
#define GL_MAX_RENDERBUFFER_SIZE 0x84E8
#endif

namespace Model {

namespace {

const char* const CurveFiles[OffscreenRenderer::CurveCount] = {
    "SoftnessCurve-pencil.png",        "SoftnessCurve-marker.png",
    "SoftnessCurve-brush.png",         "SoftnessCurve-eraserKneaded.png",
    "SoftnessCurve-eraserRubber.png",  "SoftnessCurve-eraserVinyl.png",
};
const char* const PaperFile = "KWtexture.png";

// Edge vertices are pushed out by this many target pixels (times the render
// scale) to make room for the anti-aliased rim.
constexpr float FeatherWidth = 0.65f;

// The three lists of a caller as the one part of a vertex source.
class SinglePart : public OffscreenRenderer::VertexSource
{
public:
    SinglePart(const QList<float>& positions, const QList<float>& colours,
               const QList<float>& types)
        : m_part{positions, colours, types}
    {
    }
    void rewind() override { m_given = false; }
    const OffscreenRenderer::Vertices* next() override
    {
        if (m_given)
            return nullptr;
        m_given = true;
        return &m_part;
    }

private:
    OffscreenRenderer::Vertices m_part;
    bool m_given = false;
};

int nextPowerOfTwo(int value)
{
    return value <= 1 ? 1 : int(std::pow(2.0, std::ceil(std::log2(double(value)))));
}

QSurfaceFormat requestedFormat()
{
    QSurfaceFormat format;
    format.setRenderableType(QSurfaceFormat::OpenGL);
    format.setVersion(2, 1);
    format.setProfile(QSurfaceFormat::CompatibilityProfile);
    return format;
}

// Halves a buffer dimension, rounding halves away from zero, never below 1.
int halved(int value)
{
    return std::max(1, int(std::lround(value / 2.0)));
}

} // namespace

class OffscreenRenderer::OffscreenRendererPrivate
{
public:
    int posAttr = -1;
    int colAttr = -1;
    int typeAttr = -1;
    int projection = -1;
    int transform = -1;
    int renderScale = -1;
    int feather = -1;
    int penType = -1;
    int curveSoftness = -1;
    int paperTexture = -1;
    int paperTextureOffset = -1;
    int paperTextureSize = -1;
    QMatrix4x4 projectionMatrix;
    QOpenGLShaderProgram* program = nullptr;
    QOffscreenSurface* surface = nullptr;
    QList<QOpenGLTexture*> softnessCurves;
    QOpenGLTexture* paper = nullptr;
    QOpenGLFramebufferObject* multisampleBuffer = nullptr;
    QOpenGLFramebufferObject* resolveBuffer = nullptr;
    QOpenGLContext* context = nullptr;

    TestHooks hooks;
    std::vector<uchar> readBuffer;
    // The size the buffers were last asked for, and whether they are still
    // to be made for it.
    QSize requestedSize;
    bool buffersPending = false;
    // A start on a worker thread (initializeInBackground) until it is
    // joined, and the buffer size asked for meanwhile.
    QThread* starting = nullptr;
    QSize preparedWhileStarting;
    bool startFailed = false;

    void deleteFBOs()
    {
        delete multisampleBuffer;
        multisampleBuffer = nullptr;
        delete resolveBuffer;
        resolveBuffer = nullptr;
    }
};

OffscreenRenderer* OffscreenRenderer::instance()
{
    // Created on first use and never deleted, so that a stroke drawn while the
    // process winds down still finds it; its OpenGL objects go with the
    // application object (see initialize()), and it draws nothing after that.
    static OffscreenRenderer* renderer = nullptr;
    if (!renderer)
        renderer = new OffscreenRenderer();
    return renderer;
}

OffscreenRenderer::OffscreenRenderer() : d(std::make_unique<OffscreenRendererPrivate>())
{
}

OffscreenRenderer::~OffscreenRenderer()
{
    releaseGL();
}

void OffscreenRenderer::setTestHooks(const TestHooks& hooks)
{
    awaitStart();
    d->hooks = hooks;
}

const OffscreenRenderer::TestHooks& OffscreenRenderer::testHooks() const
{
    return d->hooks;
}

bool OffscreenRenderer::isInitialized() const
{
    awaitStart();
    return d->program != nullptr;
}

void OffscreenRenderer::releaseGL()
{
    awaitStart();
    // GL names can only be freed while the context is current; without it
    // the wrappers are dropped all the same.
    const bool current = d->context && d->surface && d->context->makeCurrent(d->surface);
    d->deleteFBOs();
    qDeleteAll(d->softnessCurves);
    d->softnessCurves.clear();
    delete d->paper;
    d->paper = nullptr;
    delete d->program;
    d->program = nullptr;
    if (current)
        d->context->doneCurrent();
    delete d->surface;
    d->surface = nullptr;
    delete d->context;
    d->context = nullptr;
    d->projectionMatrix.setToIdentity();
    d->buffersPending = false;
}

bool OffscreenRenderer::initialize(const QSize& size)
{
    awaitStart();
    releaseGL();
    releaseWithApplication();

    d->context = new QOpenGLContext(this);
    d->context->setFormat(requestedFormat());
    if (!d->context->create()) {
        qWarning("OffscreenRenderer: cannot create an OpenGL context");
        releaseGL();
        return false;
    }
    d->surface = new QOffscreenSurface(QGuiApplication::primaryScreen(), this);
    d->surface->setFormat(d->context->format());
    d->surface->create();
    if (!d->surface->isValid() || !d->context->makeCurrent(d->surface)) {
        qWarning("OffscreenRenderer: cannot make the OpenGL context current");
        releaseGL();
        return false;
    }
    if (!setUpContext()) {
        releaseGL();
        return false;
    }
    return resizeFBOs(size);
}

void OffscreenRenderer::initializeInBackground(const QSize& frameSize)
{
    awaitStart();
    if (!QOpenGLContext::supportsThreadedOpenGL()) {
        if (initialize(QSize(1, 1)))
            prepareFor(frameSize);
        return;
    }
    releaseGL();
    releaseWithApplication();

    // Only the surface needs the GUI thread. The context object moves to
    // the worker, is made and set up there, and comes back before anyone
    // else may use it (awaitStart).
    d->surface = new QOffscreenSurface(QGuiApplication::primaryScreen(), this);
    d->surface->setFormat(requestedFormat());
    d->surface->create();
    d->context = new QOpenGLContext();
    d->context->setFormat(requestedFormat());
    d->preparedWhileStarting = frameSize;
    d->startFailed = false;
    QThread* const home = thread();
    d->starting = QThread::create([this, home] {
        bool current = false;
        if (!d->context->create())
            qWarning("OffscreenRenderer: cannot create an OpenGL context");
        else if (!d->surface->isValid() || !(current = d->context->makeCurrent(d->surface)))
            qWarning("OffscreenRenderer: cannot make the OpenGL context current");
        d->startFailed = !current || !setUpContext();
        // As initialize, a renderer without buffers still counts as made.
        if (!d->startFailed)
            makeFBOs(QSize(1, 1));
        if (current)
            d->context->doneCurrent();
        // The context's share group is made here too, and deletes itself
        // later through this thread's event loop, which will be gone.
        if (QOpenGLContextGroup* const group = d->context->shareGroup())
            group->moveToThread(home);
        d->context->moveToThread(home);
        if (d->program)
            d->program->moveToThread(home);
    });
    d->context->moveToThread(d->starting);
    // At the GUI thread's own priority: the GUI thread waits for it at the
    // first stroke or scene opened, and a thread of the idle class would get
    // next to nothing of a machine busy with other work meanwhile.
    d->starting->start();
}

void OffscreenRenderer::awaitStart() const
{
    if (!d->starting)
        return;
    QThread* const worker = d->starting;
    d->starting = nullptr;
    worker->wait();
    delete worker;
    // Joining changes nothing a caller could have seen: until now every
    // call waited here.
    auto* const self = const_cast<OffscreenRenderer*>(this);
    if (d->startFailed) {
        self->releaseGL();
        return;
    }
    self->prepareFor(d->preparedWhileStarting);
}

void OffscreenRenderer::releaseWithApplication()
{
    // The context is released while the application object is destroyed,
    // before the window system connection it is made on closes. Left to the
    // end of the process it would outlive the connection, which unloads the
    // driver and frees only part of a context still alive.
    static const QtCleanUpFunction release = [] { instance()->releaseGL(); };
    qRemovePostRoutine(release);
    qAddPostRoutine(release);
}

bool OffscreenRenderer::setUpContext()
{
    initializeOpenGLFunctions();

    const bool oneDimensional =
        !d->hooks.no1DTextures && QOpenGLTexture::hasFeature(QOpenGLTexture::Texture1D);
    if (!createTextures(oneDimensional))
        return false;

    glDisable(GL_MULTISAMPLE);
    glClearColor(0.0f, 0.0f, 0.0f, 0.0f);
    glEnable(GL_BLEND);
    glBlendEquation(GL_MAX);
    // Coverage rows are read back tightly packed, one byte per pixel.
    glPixelStorei(GL_PACK_ALIGNMENT, 1);

    if (!createProgram(oneDimensional))
        return false;
    d->posAttr = d->program->attributeLocation("posAttr");
    d->colAttr = d->program->attributeLocation("colAttr");
    d->typeAttr = d->program->attributeLocation("typeAttr");
    d->projection = d->program->uniformLocation("projection");
    d->transform = d->program->uniformLocation("transform");
    d->renderScale = d->program->uniformLocation("renderScale");
    d->feather = d->program->uniformLocation("feather");
    d->penType = d->program->uniformLocation("pen_type");
    d->curveSoftness = d->program->uniformLocation("curve_softness");
    d->paperTexture = d->program->uniformLocation("paper_texture");
    d->paperTextureOffset = d->program->uniformLocation("paper_texture_offset");
    d->paperTextureSize = d->program->uniformLocation("paper_texture_size");
    if (d->posAttr < 0 || d->colAttr < 0 || d->typeAttr < 0) {
        qWarning("OffscreenRenderer: the shader program lacks a vertex attribute "
                 "(posAttr %d, colAttr %d, typeAttr %d)",
                 d->posAttr, d->colAttr, d->typeAttr);
        return false;
    }
    return true;
}

QImage OffscreenRenderer::loadTextureImage(const QString& name)
{
    const QStringList folders = QStandardPaths::standardLocations(QStandardPaths::AppDataLocation);
    for (const QString& folder : folders) {
        const QString path = QDir(folder).filePath(name);
        if (!QFileInfo(path).isFile())
            continue;
        QImage image(path);
        if (!image.isNull())
            return image;
    }
    return QImage(QStringLiteral(":/shaders/") + name);
}

bool OffscreenRenderer::createTextures(bool oneDimensional)
{
    for (const char* file : CurveFiles) {
        const QString name = QString::fromLatin1(file);
        const QImage image = loadTextureImage(name).convertToFormat(QImage::Format_RGBA8888);
        if (image.isNull()) {
            qWarning("OffscreenRenderer: cannot load the softness curve \"%s\"", file);
            return false;
        }
        QOpenGLTexture* texture = nullptr;
        if (oneDimensional) {
            texture = new QOpenGLTexture(QOpenGLTexture::Target1D);
            texture->setSize(image.width());
            texture->setFormat(QOpenGLTexture::RGBA8_UNorm);
            texture->setMipLevels(texture->maximumMipLevels());
            texture->allocateStorage(QOpenGLTexture::RGBA, QOpenGLTexture::UInt8);
            // The first row is the curve.
            texture->setData(QOpenGLTexture::RGBA, QOpenGLTexture::UInt8, image.constBits());
            texture->generateMipMaps();
        } else {
            texture = new QOpenGLTexture(image, QOpenGLTexture::GenerateMipMaps);
        }
        texture->setMinificationFilter(QOpenGLTexture::LinearMipMapLinear);
        texture->setMagnificationFilter(QOpenGLTexture::Linear);
        texture->setWrapMode(QOpenGLTexture::ClampToEdge);
        d->softnessCurves.append(texture);
        if (!texture->isCreated()) {
            qWarning("OffscreenRenderer: cannot create the texture for \"%s\"", file);
            return false;
        }
    }

    const QImage paper =
        loadTextureImage(QString::fromLatin1(PaperFile)).convertToFormat(QImage::Format_RGBA8888);
    if (paper.isNull()) {
        qWarning("OffscreenRenderer: cannot load the paper texture \"%s\"", PaperFile);
        return false;
    }
    d->paper = new QOpenGLTexture(paper, QOpenGLTexture::DontGenerateMipMaps);
    d->paper->setMinificationFilter(QOpenGLTexture::Linear);
    d->paper->setMagnificationFilter(QOpenGLTexture::Linear);
    d->paper->setWrapMode(QOpenGLTexture::Repeat);
    if (!d->paper->isCreated()) {
        qWarning("OffscreenRenderer: cannot create the paper texture");
        return false;
    }
    return true;
}

bool OffscreenRenderer::createProgram(bool oneDimensional)
{
    const QString vertexFile = d->hooks.vertexShaderFile.isEmpty()
        ? QStringLiteral(":/shaders/anisotropic_scale.vert")
        : d->hooks.vertexShaderFile;
    const QString fragmentFile = !d->hooks.fragmentShaderFile.isEmpty()
        ? d->hooks.fragmentShaderFile
        : oneDimensional ? QStringLiteral(":/shaders/anisotropic_scale.frag")
                         : QStringLiteral(":/shaders/anisotropic_scale_no_1D_textures.frag");

    // A program that failed would silently draw nothing at all, so every
    // step is checked and the compiler's own words are passed on.
    d->program = new QOpenGLShaderProgram();
    const struct
    {
        QOpenGLShader::ShaderType type;
        const char* name;
        const QString& file;
    } stages[] = {{QOpenGLShader::Vertex, "vertex", vertexFile},
                  {QOpenGLShader::Fragment, "fragment", fragmentFile}};
    for (const auto& stage : stages) {
        QFile file(stage.file);
        if (!file.open(QIODevice::ReadOnly)) {
            qWarning("OffscreenRenderer: cannot read the %s shader %s: %s", stage.name,
                     qPrintable(stage.file), qPrintable(file.errorString()));
            return false;
        }
        if (!d->program->addShaderFromSourceCode(stage.type, file.readAll())) {
            qWarning("OffscreenRenderer: the %s shader %s does not compile:\n%s", stage.name,
                     qPrintable(stage.file), qPrintable(d->program->log()));
            return false;
        }
    }
    if (!d->program->link()) {
        qWarning("OffscreenRenderer: the shader program does not link:\n%s",
                 qPrintable(d->program->log()));
        return false;
    }
    return true;
}

bool OffscreenRenderer::resizeFBOs(const QSize& size)
{
    awaitStart();
    if (size.width() < 0 || size.height() < 0 || !d->context)
        return false;
    return makeFBOs(size);
}

void OffscreenRenderer::prepareFor(const QSize& size)
{
    if (d->starting) {
        if (size.width() >= 0 && size.height() >= 0)
            d->preparedWhileStarting = size;
        return;
    }
    if (size.width() < 0 || size.height() < 0 || !d->context)
        return;
    if (size == d->requestedSize && (d->buffersPending || d->multisampleBuffer))
        return;
    if (QOpenGLContext::currentContext() != d->context)
        d->context->makeCurrent(d->surface);
    d->deleteFBOs();
    d->projectionMatrix.setToIdentity();
    d->requestedSize = size;
    d->buffersPending = true;
}

bool OffscreenRenderer::makeFBOs(const QSize& size)
{
    if (QOpenGLContext::currentContext() != d->context)
        d->context->makeCurrent(d->surface);
    d->requestedSize = size;
    d->buffersPending = false;
    const bool created = createFBOs(size);
    d->projectionMatrix.setToIdentity();
    if (!created)
        return false;
    const QSize actual = d->multisampleBuffer->size();
    d->projectionMatrix.ortho(QRect(QPoint(0, 0), actual));
    glViewport(0, 0, actual.width(), actual.height());
    return true;
}

QSize OffscreenRenderer::currentFBOSize() const
{
    awaitStart();
    if (d->buffersPending)
        return d->requestedSize;
    return d->multisampleBuffer ? d->multisampleBuffer->size() : QSize(-1, -1);
}

int OffscreenRenderer::currentSamples() const
{
    awaitStart();
    return d->multisampleBuffer ? d->multisampleBuffer->format().samples() : 0;
}

bool OffscreenRenderer::createFBOs(const QSize& size)
{
    d->deleteFBOs();

    QSize wanted(std::max(1, size.width()), std::max(1, size.height()));
    if (d->hooks.noNonPowerOfTwoTextures
        || !d->context->hasExtension(QByteArrayLiteral("GL_ARB_texture_non_power_of_two")))
        wanted = QSize(nextPowerOfTwo(wanted.width()), nextPowerOfTwo(wanted.height()));

    // Halving must stop at 1 x 1, where it would otherwise go on for ever;
    // a driver that cannot multisample at all gets a second chance without.
    for (const int samples : {Samples, 0}) {
        QSize attempt = wanted;
        while (true) {
            if (tryCreateFBOs(attempt, samples))
                return true;
            if (attempt.width() == 1 && attempt.height() == 1)
                break;
            attempt = QSize(halved(attempt.width()), halved(attempt.height()));
        }
    }
    qWarning("OffscreenRenderer: cannot create frame buffers, not even of 1 x 1 pixels "
             "(asked for %d x %d); strokes will not be drawn",
             size.width(), size.height());
    return false;
}

bool OffscreenRenderer::tryCreateFBOs(const QSize& size, int samples)
{
    const QSize& limit = d->hooks.maximumFramebufferSize;
    if (limit.isValid() && (size.width() > limit.width() || size.height() > limit.height()))
        return false;
    if (samples > 0 && d->hooks.multisamplingUnavailable)
        return false;
    // Asking beyond the driver's limits only provokes errors.
    GLint maxRenderbuffer = 0;
    GLint maxTexture = 0;
    glGetIntegerv(GL_MAX_RENDERBUFFER_SIZE, &maxRenderbuffer);
    glGetIntegerv(GL_MAX_TEXTURE_SIZE, &maxTexture);
    const int maxSide = std::min(maxRenderbuffer > 0 ? maxRenderbuffer : maxTexture, maxTexture);
    if (maxSide > 0 && (size.width() > maxSide || size.height() > maxSide))
        return false;

    auto resolve = std::make_unique<QOpenGLFramebufferObject>(
        size, QOpenGLFramebufferObject::NoAttachment, GL_TEXTURE_2D, GL_R8);
    if (!resolve->isValid())
        return false;
    // Only red is read back, so the samples keep one byte each where the
    // driver can, else four; no depth buffer, as nothing tests depth. Four
    // bytes of colour and four of depth per sample would take eight times
    // the memory, and about as much longer to make whenever the frame size
    // changes (seconds for large frames), for the same pixels.
    QOpenGLFramebufferObjectFormat format;
    format.setAttachment(QOpenGLFramebufferObject::NoAttachment);
    format.setSamples(samples);
    format.setInternalTextureFormat(GL_R8);
    auto multisample = std::make_unique<QOpenGLFramebufferObject>(size, format);
    if (!multisample->isValid()) {
        format.setInternalTextureFormat(QOpenGLFramebufferObjectFormat().internalTextureFormat());
        multisample = std::make_unique<QOpenGLFramebufferObject>(size, format);
    }
    if (!multisample->isValid())
        return false;
    d->multisampleBuffer = multisample.release();
    d->resolveBuffer = resolve.release();
    return true;
}

void OffscreenRenderer::renderPenStroke(QImage& target, Tool::PenType penType,
                                        const QPoint& textureOffset, float renderScale,
                                        const QRect& rect, const QTransform& transform,
                                        const QList<float>& positions, const QList<float>& colours,
                                        const QList<float>& types)
{
    SinglePart source(positions, colours, types);
    renderStroke(target, int(penType), textureOffset, renderScale, rect, transform, source);
}

void OffscreenRenderer::renderPenStroke(QImage& target, Tool::PenType penType,
                                        const QPoint& textureOffset, float renderScale,
                                        const QRect& rect, const QTransform& transform,
                                        VertexSource& source)
{
    renderStroke(target, int(penType), textureOffset, renderScale, rect, transform, source);
}

void OffscreenRenderer::renderEraserStroke(QImage& target, Tool::EraserType eraserType,
                                           const QPoint& textureOffset, float renderScale,
                                           const QRect& rect, const QTransform& transform,
                                           const QList<float>& positions,
                                           const QList<float>& colours, const QList<float>& types)
{
    SinglePart source(positions, colours, types);
    renderStroke(target, int(eraserType) + 3, textureOffset, renderScale, rect, transform, source);
}

void OffscreenRenderer::renderEraserStroke(QImage& target, Tool::EraserType eraserType,
                                           const QPoint& textureOffset, float renderScale,
                                           const QRect& rect, const QTransform& transform,
                                           VertexSource& source)
{
    renderStroke(target, int(eraserType) + 3, textureOffset, renderScale, rect, transform, source);
}

void OffscreenRenderer::renderStroke(QImage& target, int curveIndex, const QPoint& textureOffset,
                                     float renderScale, const QRect& rect,
                                     const QTransform& transform, VertexSource& source)
{
    awaitStart();
    const QRect area = rect & target.rect();
    if (area.isEmpty())
        return;
    if (d->buffersPending && d->program)
        makeFBOs(d->requestedSize);
    if (!d->program || !d->multisampleBuffer || !d->resolveBuffer || d->softnessCurves.isEmpty())
        return;
    if (target.depth() != 8) {
        qWarning("OffscreenRenderer: a coverage target needs one byte per pixel, not %d bits",
                 target.depth());
        return;
    }
    if (QOpenGLContext::currentContext() != d->context && !d->context->makeCurrent(d->surface))
        return;

    d->program->bind();
    glActiveTexture(GL_TEXTURE0);
    d->softnessCurves.at(std::clamp(curveIndex, 0, int(d->softnessCurves.size()) - 1))->bind();
    glActiveTexture(GL_TEXTURE1);
    d->paper->bind();
    glActiveTexture(GL_TEXTURE0);
    d->program->setUniformValue(d->curveSoftness, 0);
    d->program->setUniformValue(d->paperTexture, 1);
    glBlendEquation(GL_MAX);

    glEnableVertexAttribArray(GLuint(d->posAttr));
    glEnableVertexAttribArray(GLuint(d->colAttr));
    glEnableVertexAttribArray(GLuint(d->typeAttr));

    const int w = d->multisampleBuffer->width();
    const int h = d->multisampleBuffer->height();
    const int rows = (target.height() + h - 1) / h;
    const int columns = (target.width() + w - 1) / w;
    const QMatrix4x4 strokeToTarget(transform);
    const QSizeF paperSize(d->paper->width(), d->paper->height());

    for (int r = 0; r < rows; ++r) {
        for (int c = 0; c < columns; ++c) {
            const QRect tile(c * w, r * h, w, h);
            const QRect part = tile & area;
            if (part.isEmpty())
                continue;

            QMatrix4x4 toTile;
            toTile.translate(float(-c * w), float(-r * h));
            toTile *= strokeToTarget;
            d->program->setUniformValue(d->projection, d->projectionMatrix);
            d->program->setUniformValue(d->transform, toTile);
            d->program->setUniformValue(d->feather, FeatherWidth * renderScale);
            d->program->setUniformValue(d->renderScale, renderScale);
            d->program->setUniformValue(d->penType, curveIndex);
            // The shader reads the paper at (offset.x + x, offset.y - y) in
            // the tile's window coordinates (origin bottom-left). Moving the
            // offset with the tile, and by the buffer's height, keeps the
            // grain fixed to the target image: no seam at tile borders, and
            // the same grain whatever size the buffers have.
            d->program->setUniformValue(
                d->paperTextureOffset,
                QPointF(textureOffset.x() + c * w, textureOffset.y() + r * h + h));
            d->program->setUniformValue(d->paperTextureSize, paperSize);

            // The part in the tile's window coordinates (rows bottom-up).
            const QRect window(part.left() - c * w, h - 1 - (part.bottom() - r * h),
                               part.width(), part.height());

            d->multisampleBuffer->bind();
            glViewport(0, 0, w, h);
            glEnable(GL_SCISSOR_TEST);
            glScissor(window.x(), window.y(), window.width(), window.height());
            glClear(GL_COLOR_BUFFER_BIT);
            source.rewind();
            while (const Vertices* part = source.next()) {
                // Lists of unequal length would make OpenGL read past the
                // shorter ones.
                const qsizetype vertexCount = std::min({part->positions.size() / 4,
                                                        part->colours.size() / 2,
                                                        part->types.size() / 3});
                if (vertexCount < 3)
                    continue;
                glVertexAttribPointer(GLuint(d->posAttr), 4, GL_FLOAT, GL_FALSE, 0,
                                      part->positions.constData());
                glVertexAttribPointer(GLuint(d->colAttr), 2, GL_FLOAT, GL_FALSE, 0,
                                      part->colours.constData());
                glVertexAttribPointer(GLuint(d->typeAttr), 3, GL_FLOAT, GL_FALSE, 0,
                                      part->types.constData());
                glDrawArrays(GL_TRIANGLES, 0, GLsizei(vertexCount));
            }
            glDisable(GL_SCISSOR_TEST);
            d->multisampleBuffer->release();

            QOpenGLFramebufferObject::blitFramebuffer(d->resolveBuffer, window,
                                                      d->multisampleBuffer, window,
                                                      GL_COLOR_BUFFER_BIT, GL_NEAREST);

            d->readBuffer.resize(size_t(part.width()) * size_t(part.height()));
            d->resolveBuffer->bind();
            glReadPixels(window.x(), window.y(), window.width(), window.height(), GL_RED,
                         GL_UNSIGNED_BYTE, d->readBuffer.data());
            d->resolveBuffer->release();

            // The first row read is the part's last.
            const uchar* source = d->readBuffer.data();
            for (int row = part.height() - 1; row >= 0; --row) {
                std::memcpy(target.scanLine(part.top() + row) + part.left(), source,
                            size_t(part.width()));
                source += part.width();
            }
        }
    }

    glDisableVertexAttribArray(GLuint(d->posAttr));
    glDisableVertexAttribArray(GLuint(d->colAttr));
    glDisableVertexAttribArray(GLuint(d->typeAttr));
    d->program->release();
}

} // namespace Model
