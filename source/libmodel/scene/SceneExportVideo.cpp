#include "export/MovieExporter.h"
#include "scene/Scene.h"

namespace Model {

void Scene::exportVideo(ExportVideoSettings const& settings, QProgressDialog& progress)
{
    MovieExporter(*this, progress).exportVideo(settings);
}

} // namespace Model
