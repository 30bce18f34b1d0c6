#include "export/ExportPlan.h"

#include "scene/Scene.h"
#include "scene/VisualLayer.h"

#include <QSet>

namespace Model {

namespace {

// File systems take names of at most 255 bytes. A file name holds the
// export's own name, frame numbers, a suffix and, for a clone, the names of
// two layers; a layer's part of it stays within this many bytes of UTF-8.
constexpr qsizetype maximumNameBytes = 64;

// The longest start of text whose UTF-8 form fits in bytes, never cutting a
// character in two.
QString leadingUtf8(QString const& text, qsizetype bytes)
{
    qsizetype used = 0;
    qsizetype end = 0;
    while (end < text.size()) {
        char16_t const unit = text.at(end).unicode();
        qsizetype units = 1;
        qsizetype size = 3; // a lone surrogate is written as U+FFFD
        if (unit < 0x80)
            size = 1;
        else if (unit < 0x800)
            size = 2;
        else if (QChar::isHighSurrogate(unit) && end + 1 < text.size()
                 && text.at(end + 1).isLowSurrogate()) {
            units = 2;
            size = 4;
        }
        if (used + size > bytes)
            break;
        used += size;
        end += units;
    }
    return text.left(end);
}

} // namespace

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
        for (int n = 2; taken.contains(unique.toCaseFolded()); ++n) {
            QString const number = QStringLiteral("_%1").arg(n);
            unique = leadingUtf8(base, maximumNameBytes - number.size()) + number;
        }
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
    return leadingUtf8(safe, maximumNameBytes);
}

bool ExportPlan::isUsableBaseName(QString const& name)
{
    return !name.isEmpty() && name != QLatin1String(".") && name != QLatin1String("..")
           && !name.contains(QLatin1Char('/')) && !name.contains(QLatin1Char('\\'));
}

} // namespace Model
