#pragma once

#include "tools/Tool.h"

#include <QImage>
#include <QList>
#include <QObject>
#include <QOpenGLFunctions>
#include <QPoint>
#include <QRect>
#include <QSize>
#include <QString>
#include <QTransform>

#include <memory>

namespace Model {

// Rasterises stroke geometry into 8-bit coverage images with OpenGL. It owns
// the only OpenGL context of the program, which stays current on an
// off-screen surface until the application object is destroyed; use it on
// the GUI thread only. Segments hand it their triangles as three flat float
// lists per vertex: positions (x, y, tangent x, tangent y), colours (opacity,
// radius) and types (side code, second tangent x, second tangent y).
// Overlapping triangles of one call combine by their maximum, never by their
// sum.
class OffscreenRenderer : public QObject, protected QOpenGLFunctions
{
    Q_OBJECT

public:
    // Ways for tests to reach failure paths that working hardware never takes.
    // Set them before initialize() or resizeFBOs(); the defaults change nothing.
    struct TestHooks
    {
        // Frame buffers larger than this in either direction fail to be made.
        QSize maximumFramebufferSize;
        // Multisampled frame buffers fail to be made.
        bool multisamplingUnavailable = false;
        // Behave as if the context lacked GL_ARB_texture_non_power_of_two.
        bool noNonPowerOfTwoTextures = false;
        // Behave as if 1D textures were not supported.
        bool no1DTextures = false;
        // Shader source files to use instead of the shipped ones.
        QString vertexShaderFile;
        QString fragmentShaderFile;
    };

    // One part of the triangles to draw, as the three lists described above.
    struct Vertices
    {
        QList<float> positions;
        QList<float> colours;
        QList<float> types;
    };

    // Hands the triangles over in parts, so that geometry of any size is
    // drawn in memory of a bounded size. The renderer asks for the parts
    // from the first on, once for each buffer-sized tile of the target, and
    // draws them all before it reads the tile back: the result is that of
    // one list holding every part.
    class VertexSource
    {
    public:
        virtual ~VertexSource() = default;
        // Starts again from the first part.
        virtual void rewind() = 0;
        // The next part, valid until the next call; null after the last.
        virtual Vertices const* next() = 0;
    };

    // Number of softness curves: pencil, marker, brush, then the kneaded,
    // rubber and vinyl erasers.
    static constexpr int CurveCount = 6;
    // Multisampling of the drawing buffer.
    static constexpr int Samples = 4;

    static OffscreenRenderer* instance();
    ~OffscreenRenderer() override;

    // Creates the context, textures and shader program and makes frame
    // buffers of the given size; all of them are released when the
    // application object is destroyed. Returns false, with a warning logged,
    // when any of them cannot be made: a renderer that failed draws nothing.
    // A later call starts again from scratch.
    bool initialize(const QSize& size);
    // As initialize with a 1 x 1 size followed by prepareFor(frameSize), but
    // made on a worker thread while the caller goes on: the first call that
    // needs the renderer waits for it (prepareFor only notes its size).
    // Where OpenGL cannot be used from another thread, it is initialize.
    void initializeInBackground(const QSize& frameSize);
    bool isInitialized() const;

    // Replaces both frame buffers. Sizes that cannot be made are halved until
    // they can, down to 1 x 1, first with multisampling and then without;
    // returns false with a warning when even that fails. A size with a
    // negative dimension is ignored (false, buffers kept).
    bool resizeFBOs(const QSize& size);
    // Makes the frame buffers fit frames of the given size, as resizeFBOs
    // does, but only when something is next rendered: until then they take
    // no memory, so that a scene with nothing drawn costs little whatever
    // its frame size (buffers for the largest frame take two gigabytes).
    // Buffers already made for that size are kept. A size with a negative
    // dimension is ignored.
    void prepareFor(const QSize& size);
    // The drawing buffer's size, or (-1, -1) when there is none; while
    // buffers wait to be made (prepareFor), the size asked for.
    QSize currentFBOSize() const;
    // Samples per pixel of the drawing buffer, 0 without multisampling or
    // without a buffer.
    int currentSamples() const;

    // Replaces the pixels of target inside rect (target pixels, clipped to
    // the target) by the coverage of the triangles. target must have one
    // byte per pixel; transform maps stroke coordinates to target pixels;
    // textureOffset is the drawing position of the target's top-left pixel,
    // so that the paper grain stays fixed to the drawing.
    void renderPenStroke(QImage& target, Tool::PenType penType, const QPoint& textureOffset,
                         float renderScale, const QRect& rect, const QTransform& transform,
                         const QList<float>& positions, const QList<float>& colours,
                         const QList<float>& types);
    void renderEraserStroke(QImage& target, Tool::EraserType eraserType,
                            const QPoint& textureOffset, float renderScale, const QRect& rect,
                            const QTransform& transform, const QList<float>& positions,
                            const QList<float>& colours, const QList<float>& types);
    // As above, with the triangles handed over in parts.
    void renderPenStroke(QImage& target, Tool::PenType penType, const QPoint& textureOffset,
                         float renderScale, const QRect& rect, const QTransform& transform,
                         VertexSource& source);
    void renderEraserStroke(QImage& target, Tool::EraserType eraserType,
                            const QPoint& textureOffset, float renderScale, const QRect& rect,
                            const QTransform& transform, VertexSource& source);

    // The image for a texture file name: the first loadable file of that name
    // in the application data folders, else the shipped resource under
    // ":/shaders/"; a null image when neither loads.
    static QImage loadTextureImage(const QString& name);

    void setTestHooks(const TestHooks& hooks);
    const TestHooks& testHooks() const;

private:
    OffscreenRenderer();

    void releaseGL();
    void releaseWithApplication();
    // Joins a start made by initializeInBackground; nothing without one.
    void awaitStart() const;
    // What initialize does once the context is current; false, with a
    // warning, when the textures or the program cannot be made.
    bool setUpContext();
    bool createTextures(bool oneDimensional);
    bool createProgram(bool oneDimensional);
    bool createFBOs(const QSize& size);
    bool makeFBOs(const QSize& size);
    bool tryCreateFBOs(const QSize& size, int samples);
    void renderStroke(QImage& target, int curveIndex, const QPoint& textureOffset,
                      float renderScale, const QRect& rect, const QTransform& transform,
                      VertexSource& source);

    class OffscreenRendererPrivate;
    std::unique_ptr<OffscreenRendererPrivate> d;
};

} // namespace Model
