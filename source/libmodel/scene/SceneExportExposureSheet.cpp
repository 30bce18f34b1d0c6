#include "export/ExposureSheetExporter.h"
#include "scene/Scene.h"

namespace Model {

void Scene::exportExposureSheet(ExportExposureSheetSettings const& settings,
                                QProgressDialog& progress) const
{
    ExposureSheetExporter(*this, settings, progress).run();
}

} // namespace Model
