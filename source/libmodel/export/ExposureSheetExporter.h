#pragma once

#include "export/ExportImage.h"
#include "export/ExportPlan.h"
#include "export/ImageWriteQueue.h"
#include "scene/DrawingRef.h"
#include "settings/ExportExposureSheetSettings.h"

#include <QCoreApplication>
#include <QDir>
#include <QJsonArray>
#include <QJsonObject>
#include <QMap>
#include <QString>

#include <memory>

class QProgressDialog;

namespace Model {

class PackageWriter;
class Scene;

// Writes the scene as an Open Cel Animation package; see
// Scene::exportExposureSheet.
//
// The package is built in a hidden sibling folder and takes the place of an
// existing package of the same name only once it is complete, so a cancel or
// a failure leaves the old package as it was.
class ExposureSheetExporter
{
    Q_DECLARE_TR_FUNCTIONS(Model::Scene)

public:
    ExposureSheetExporter(Scene const& scene, ExportExposureSheetSettings const& settings,
                          QProgressDialog& progress);

    void run();

private:
    // One entry of a layer's exposure list: the frame where a drawing starts
    // to show and how many frames it lasts.
    struct Exposure
    {
        int frame = 0;
        int duration = 1;
    };

    QList<Exposure> exposuresOf(VisualLayer const& layer) const;
    // Both false when the export must stop (the user has been told why).
    bool buildLayers(PackageWriter& writer, QJsonArray& layers);
    bool buildExposure(QDir const& package, VisualLayer const& layer, Exposure const& exposure,
                       QJsonObject& object);
    // Renders the layer at the frame into the package; false after telling
    // the user that the file could not be written.
    bool render(QDir const& package, VisualLayer const& layer, int frame,
                QString const& relativePath);
    // Tells the user which file could not be written, unless they stopped
    // the export themselves.
    void reportFailure(QDir const& package);
    // Whether the two layers show the same drawing with the same pixels.
    static bool drawAlike(VisualLayer const& one, VisualLayer const& other);
    QJsonObject documentHeader() const;
    QJsonObject layerHeader(VisualLayer const& layer) const;
    QString exposureName(VisualLayer const& layer, int frame) const;
    QString imagePath(VisualLayer const& layer, int frame) const;
    QString finalPath(QString const& relativePath) const;

    Scene const& m_scene;
    ExportExposureSheetSettings m_settings;
    QProgressDialog& m_progress;
    QString m_packageName;
    ExportPlan m_plan;
    ExportImage::Format m_format;
    QDir m_exportDir;
    QJsonArray m_centre;
    int m_step = 0;
    // Originals rendered outside their own exposure, by reference.
    QMap<DrawingRef, QString> m_renderedOriginals;
    // Images are rendered here and encoded on the other cores; made for each
    // run, since it writes into the package being built.
    std::unique_ptr<ImageWriteQueue> m_queue;
};

} // namespace Model
