#pragma once

#include <QList>
#include <QUuid>
#include <QXmlStreamReader>

#include <exception>
#include <memory>

class QIODevice;
class QProgressDialog;
class QString;
class QTransform;
class QWidget;

namespace Model {

class AnnotationLayer;
class AudioLayer;
class LayerItem;
class PayloadDecoder;
class ReferenceLayer;
class Scene;
struct DrawingRef;
class SceneFileOutline;
class StrokeLayer;
class VisualLayer;

// Thrown inside the reader when the user cancels; read catches it.
class ReadingCancelledException : public std::exception
{
public:
    char const* what() const noexcept override { return "Reading the scene was cancelled"; }
};

// Fills an empty scene from a ".kw" XML document. Unknown elements are
// skipped at every level and unrecognised attribute values fall back to
// defaults; malformed XML, damaged payloads and values that would make the
// scene unusable (a frame size that is not positive, numbers that are not
// finite) stop the reading with an error. A window-modal progress dialog,
// shown only when the work lasts longer than two seconds, lets the user
// cancel. Built on the stack for one call.
class SceneReader : public QXmlStreamReader
{
public:
    // The parent widget becomes the progress dialog's parent.
    SceneReader(Model::Scene* scene, QWidget* parent);
    SceneReader(SceneReader const&) = delete;
    SceneReader& operator=(SceneReader const&) = delete;
    ~SceneReader();

    // 0 on success, 1 when the document holds an error (errorString() tells
    // which), 2 when the user cancelled. What was read before an error or a
    // cancel stays in the scene, which the caller then discards.
    int read(QIODevice* device);
    // The stream's error text with its line and column in the file.
    QString errorString() const;

    // The dialog that shows progress and takes the cancel request.
    QProgressDialog* progressDialog() const;

    // Largest frame width or height a file may ask for: the scene takes no
    // larger frame.
    static int maximumFrameSide();
    // Most cells a file may give a layer, and notes images an annotation
    // layer: the frames of the longest sound a scene keeps (half an hour) at
    // the highest frame rate (60 frames a second).
    static constexpr int maximumFrames = 30 * 60 * 60;

private:
    int readDocument();
    void readScene();
    void readLayers();
    void readLayerOrdering();
    void readLayer();
    void readOpacity(Model::VisualLayer* layer);
    void readColor(Model::StrokeLayer* layer);
    void readAudioOffsetFrames(Model::AudioLayer* layer);
    void readAnnotationImage(Model::AnnotationLayer* layer);
    void readDrawing(Model::StrokeLayer* layer);
    void readDrawing(Model::ReferenceLayer* layer);
    std::shared_ptr<Model::LayerItem> readOriginal(Model::StrokeLayer* layer);
    std::shared_ptr<Model::LayerItem> readOriginal(Model::ReferenceLayer* layer);
    std::shared_ptr<Model::LayerItem> readDistantClone(Model::VisualLayer* layer);
    // Adds the clone entry the reader stands on to the original's list,
    // unless it names the original itself.
    void readCloneEntry(Model::LayerItem& cell, QUuid const& original);
    QTransform readOffPegsTransform();

    // The cell of a drawing element, which the element's transform and key
    // flag are given to before it is appended to the layer.
    template <typename LayerType>
    void readDrawingOf(LayerType* layer);
    // The opacity, colour (stroke layers) and drawings of a visual layer.
    template <typename LayerType>
    void readVisualLayerContent(LayerType* layer);
    // Applies the ordering when it is a permutation of the layer indices.
    void applyLayerOrdering();
    // The decoded bytes of a base64 text element, or an error.
    QByteArray readBase64(QString const& what);
    // A finite double from an attribute or element text; text that is no
    // number leaves ok false, a number that is not finite is an error.
    double parseDouble(QStringView text, QString const& what, bool* ok);
    void checkCancelled() const;
    // Moves the progress by the share of the file read, when the file gives
    // no drawing count.
    void showBytesRead();
    // Reads up to the root element; false, with an error raised when the
    // document is refused, when there is none.
    bool readRootElement();
    // A well-formed version after the one this reader knows.
    static bool isNewerVersion(QStringView version);

    // Where the reader stands in the file; its own position is in the
    // outline, which lacks the payloads' text.
    qint64 fileColumn() const;

    Model::Scene* m_scene;
    std::unique_ptr<SceneFileOutline> m_outline;
    std::unique_ptr<PayloadDecoder> m_payloads;
    // The error's position, kept when reading ends.
    qint64 m_errorLine = -1;
    qint64 m_errorColumn = -1;
    QList<int> m_layerOrdering;
    int m_numExpectedDrawings = -1;
    // The identifier the file gives the layer being read.
    QUuid m_layerIdentifier;
    // What the notes read so far take once decoded.
    qint64 m_annotationBytes = 0;
    std::unique_ptr<QProgressDialog> m_progressDialog;
};

} // namespace Model
