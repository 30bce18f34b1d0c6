#pragma once

#include "settings/ExportSettings.h"

#include <QHash>
#include <QList>
#include <QString>
#include <QStringList>

namespace Model {

class Scene;
class VisualLayer;

// What an export of the scene covers, decided once at its start: the layers
// in painting order (bottom first), the frame span, and the name under which
// each layer's files are written.
//
// Layer names are the user's free text, so they are made safe before they
// reach the file system: path separators, ':' and control characters become
// '_', an empty name becomes "Layer", a long name is cut to 64 bytes of UTF-8
// (whole characters only), and two exported layers of the same name get "_2",
// "_3" … within those bytes, so that they never overwrite each other's files.
class ExportPlan
{
public:
    // Reserved names are never given to a layer (e.g. the package's own
    // document name, which shares the folder with the layer folders).
    ExportPlan(Scene const& scene, ExportSettings::Layers layers, ExportSettings::Frames frames,
               QStringList const& reserved = {});

    QList<VisualLayer*> const& layers() const { return m_layers; }
    int firstFrame() const { return m_first; }
    int lastFrame() const { return m_last; }
    int frameCount() const { return m_last - m_first + 1; }
    bool contains(VisualLayer const* layer) const { return m_fileNames.contains(layer); }
    // Sum of the exported layers' lengths.
    int cellTotal() const { return m_cellTotal; }

    // The exported layer's unique file name; for a layer outside the export
    // its safe name.
    QString fileName(VisualLayer const* layer) const;

    static QString fileSafe(QString const& name);
    // A base name the user typed names a file in the export folder: not
    // empty, no path separators, not "." or "..".
    static bool isUsableBaseName(QString const& name);

private:
    QList<VisualLayer*> m_layers;
    QHash<VisualLayer const*, QString> m_fileNames;
    int m_first = 1;
    int m_last = 0;
    int m_cellTotal = 0;
};

} // namespace Model
