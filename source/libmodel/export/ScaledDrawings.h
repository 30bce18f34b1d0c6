#pragma once

#include <QList>
#include <QSize>

#include <memory>

namespace Model {

class Drawing;
class VisualLayer;

// The drawings of an enlarging movie export, repainted at the export size:
// only those the exported frames show, each once however many cells show it
// (holds and distant clones, on any layer, share their original's drawing),
// and each kept only from the first exported frame that shows it to the
// last, so that a long export holds few of them at a time.
//
// Repainting draws strokes, which only the GUI thread may do: prepare runs
// there for each frame just before the thread that draws the frames reads
// what shown gives. The scene's drawings are read only while preparing (the
// export's progress dialog keeps the scene's windows from edits meanwhile);
// the repainted ones are copies that nothing else reaches.
class ScaledDrawings
{
public:
    // Layers in painting order; frames firstFrame..lastFrame.
    ScaledDrawings(QList<VisualLayer*> const& layers, int firstFrame, int lastFrame,
                   QSize const& size);
    ~ScaledDrawings();
    ScaledDrawings(ScaledDrawings const&) = delete;
    ScaledDrawings& operator=(ScaledDrawings const&) = delete;

    // Repaints the drawings that the frame is the first to show.
    void prepare(int frame);
    // The repainted drawing that the layer (by its place in the list) shows
    // at a prepared frame; null where it shows none.
    std::shared_ptr<Drawing> shown(int layer, int frame) const;
    // Lets go of the drawings that no later frame shows.
    void release(int frame);

private:
    struct Data;
    std::unique_ptr<Data> d;
};

} // namespace Model
