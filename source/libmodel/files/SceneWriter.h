#pragma once

#include <QXmlStreamWriter>

#include <exception>
#include <memory>

class QIODevice;
class QProgressDialog;
class QString;
class QTransform;
class QWidget;

namespace Model {

class Layer;
class LayerItem;
class Scene;

// Thrown inside the writer when the user cancels; writeFile catches it.
class WritingCancelledException : public std::exception
{
public:
    char const* what() const noexcept override { return "Writing the scene was cancelled"; }
};

// Writes a scene as a ".kw" XML document. Drawings, annotation images and the
// sound travel as base64 text of their stream forms. A window-modal progress
// dialog, shown only when the work lasts longer than two seconds, lets the
// user cancel. Built on the stack for one call.
class SceneWriter : public QXmlStreamWriter
{
public:
    // The parent widget becomes the progress dialog's parent.
    SceneWriter(Model::Scene* scene, QWidget* parent);
    SceneWriter(SceneWriter const&) = delete;
    SceneWriter& operator=(SceneWriter const&) = delete;
    ~SceneWriter();

    // 0 when everything was written, 1 when the device failed, 2 when the
    // user cancelled. The progress dialog is reset on every return.
    int writeFile(QIODevice* device);
    // Writes through a FileWriter, which replaces the file only after the
    // whole document was written and flushed: a failed or cancelled save
    // leaves the previous file as it was. Same return codes; for 1,
    // errorString (when given) receives the system's reason.
    int writeFile(QString const& fileName, QString* errorString = nullptr);

    // The dialog that shows progress and takes the cancel request.
    QProgressDialog* progressDialog() const;

private:
    void writeScene();
    void writeLayers();
    void writeLayerOrder();
    void writeLayer(Model::Layer* layer);
    void writeDrawing(Model::LayerItem* item);
    void writeOffPegsTransform(QTransform const& transform);
    void checkCancelled() const;
    void step();
    // A text element holding the bytes in base64.
    void writeBase64Element(QString const& name, QByteArray const& bytes);

    Model::Scene* m_scene;
    std::unique_ptr<QProgressDialog> m_progressDialog;
    bool m_payloadWriteFailed = false;
};

} // namespace Model
