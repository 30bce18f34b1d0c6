#include "export/ExportPlan.h"

#include "scene/Scene.h"
#include "scene/VisualLayer.h"

#include <QSet>

namespace Model {

ExportPlan::ExportPlan(Scene const& scene, ExportSettings::Layers layers,
                       ExportSettings::Frames frames, QStringList const& reserved)
{
    QList<int> const order = scene.getLogicalLayerIndices();
    for (qsizetype position = order.size() - 1; position >= 0; --position) {
        int const index = order.at(position);
        bool wanted = false;
        switch (layers) {
        case ExportSettings::AllLayers:
            wanted = true;
            break;
        case ExportSettings::VisibleLayers:
            wanted = scene.isVisualLayer(index) && scene.isLayerVisible(index);
            break;
        case ExportSettings::ActiveLayerOnly:
            wanted = index == scene.activeLayerIdx();
            break;
        }
        if (!wanted)
            continue;
        if (auto* visual = qobject_cast<VisualLayer*>(scene.layer(index).get())) {
            m_layers.append(visual);
            m_cellTotal += visual->length();
        }
    }

    if (frames == ExportSettings::RangeOnly) {
        m_first = scene.minimumFrameRangeNumber();
        m_last = scene.maximumFrameRangeNumber();
    } else {
        m_first = 1;
        m_last = scene.maximumFrameNumber();
    }

    QSet<QString> taken;
    for (QString const& name : reserved)
        taken.insert(name.toCaseFolded());
    for (VisualLayer const* layer : std::as_const(m_layers)) {
        QString const base = fileSafe(layer->name());
        QString unique = base;
        for (int n = 2; taken.contains(unique.toCaseFolded()); ++n)
            unique = QStringLiteral("%1_%2").arg(base).arg(n);
        taken.insert(unique.toCaseFolded());
        m_fileNames.insert(layer, unique);
    }
}

QString ExportPlan::fileName(VisualLayer const* layer) const
{
    if (!layer)
        return QString();
    return m_fileNames.value(layer, fileSafe(layer->name()));
}

QString ExportPlan::fileSafe(QString const& name)
{
    QString safe = name;
    for (QChar& c : safe) {
        if (c == QLatin1Char('/') || c == QLatin1Char('\\') || c == QLatin1Char(':')
            || c.category() == QChar::Other_Control)
            c = QLatin1Char('_');
    }
    // A name of dots alone would climb out of the export folder.
    if (safe == QLatin1String(".") || safe == QLatin1String(".."))
        safe.fill(QLatin1Char('_'));
    if (safe.isEmpty())
        safe = QStringLiteral("Layer");
    return safe;
}

bool ExportPlan::isUsableBaseName(QString const& name)
{
    return !name.isEmpty() && name != QLatin1String(".") && name != QLatin1String("..")
           && !name.contains(QLatin1Char('/')) && !name.contains(QLatin1Char('\\'));
}

} // namespace Model
