#pragma once

#include <QList>
#include <QSize>
#include <QString>

class QProgressDialog;

namespace Model {

class ExportVideoSettings;
class Scene;
class VisualLayer;

// The scene's movie export: GIF through the GIF encoder on the GUI thread,
// MP4 and ProRes through the threaded movie encoder. Built on the stack for
// one export.
//
// The movie encoder asks for frames on a thread of its own, so it draws from
// private copies of the exported layers, never from the live ones; an
// enlarging export repaints copies of the drawings of the exported frames at
// the export size (ScaledDrawings) and never the scene's. Every
// export writes a temporary file beside the target and puts it in the
// target's place only when the movie is whole, so a cancel or a failure
// leaves an earlier file of that name as it was; a symbolic link at the name
// is written through. What an export killed half way left behind is removed
// by the next export of the same name. Failures reach the user
// through ExportFailure, naming the file and, when the system gave one, the
// reason.
class MovieExporter
{
public:
    MovieExporter(Scene& scene, QProgressDialog& progress);

    void exportVideo(ExportVideoSettings const& settings);
    // The two routes return whether the movie was written whole.
    bool exportVideoGIF(ExportVideoSettings const& settings, QSize const& exportSize,
                        QSize const& frameSize, QList<VisualLayer*> const& layers, int firstFrame,
                        int lastFrame);
    bool exportVideoFfmpeg(ExportVideoSettings const& settings, QSize const& exportSize,
                           QSize const& frameSize, QList<VisualLayer*> const& layers,
                           int firstFrame, int lastFrame, bool transparent);
    // Removes what exports of the name that did not finish left in the folder.
    static void cleanupExportVideo(ExportVideoSettings const& settings);

private:
    Scene& m_scene;
    QProgressDialog& m_progress;
    // The system's reason for the last failure to write, when there is one.
    QString m_reason;
};

} // namespace Model
