#pragma once

#include "export/ExportImage.h"
#include "export/ExportPlan.h"
#include "export/ImageWriteQueue.h"
#include "settings/ExportFramesSettings.h"

#include <QCoreApplication>
#include <QString>

class QProgressDialog;

namespace Model {

class Scene;

// Writes the scene as a numbered image sequence, one composite image per
// frame or one image per layer and frame; see Scene::exportFrames.
class FrameExporter
{
    Q_DECLARE_TR_FUNCTIONS(Model::Scene)

public:
    FrameExporter(Scene const& scene, ExportFramesSettings const& settings,
                  QProgressDialog& progress);

    void run();

private:
    // False when the export must stop: a file could not be written, and the
    // user has been told so.
    bool writeCombinedFrame(int frame, int step);
    bool writeLayerFrames(int frame, int step);
    bool write(QImage const& image, QString const& fileName, int step);
    void reportFailure();
    // A frame that shows nothing new on any exported layer.
    bool isRepeatFrame(int frame) const;
    QString suffixOf(VisualLayer const& layer, int frame) const;
    static QString frameText(int frame);

    Scene const& m_scene;
    ExportFramesSettings const& m_settings;
    QProgressDialog& m_progress;
    ExportPlan m_plan;
    ExportImage::Format m_format;
    QString m_holdSuffix;
    QString m_cloneSuffix;
    // Frames are composited here and encoded on the other cores.
    ImageWriteQueue m_queue;
};

} // namespace Model
