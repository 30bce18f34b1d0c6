#include "export/FrameExporter.h"
#include "scene/Scene.h"

namespace Model {

void Scene::exportFrames(ExportFramesSettings const& settings, QProgressDialog& progress) const
{
    FrameExporter(*this, settings, progress).run();
}

} // namespace Model
