#pragma once

#include "scene/SceneChange.h"

#include <QList>
#include <QModelIndex>
#include <QString>
#include <QUuid>

class QAbstractItemModel;

namespace Model {
class KWScene;
class Scene;
class SceneModel;
} // namespace Model

// What every undo command shares: the merge identifiers, the texts, which
// selected cells a command accepts and in which order it works on them, and
// the frame range and active cell that a frame-count edit puts back on undo.
namespace Commands {

// Ids reported by the commands that merge with the one before them on the
// stack; every other command keeps QUndoCommand's -1.
enum MergeId {
    SetActiveFrameAndLayerId = 1,
    SetFrameRangeId = 2,
    OffPegsId = 3,
    ChangeToolTypeId = 4,
    ChangeLayerOpacityId = 5,
    SetAudioOffsetId = 6,
    SetFrameRateId = 7
};

// A command text translated in the context of its class: the disambiguation
// is "Commands::<class>" unless the command names its own. n is the plural
// argument of counted texts.
QString commandText(char const* text, char const* disambiguation, int n = -1);

// Qt's fuzzy comparison, which treats 0 as equal only to 0.
bool fuzzyEqual(double a, double b);

// Which selected cells a list form works on.
enum class CellFilter {
    VisualLayer,        // valid, on a visual layer
    RealVisualCell,     // ... and not the virtual last frame
    RealVisualHold,     // ... and a hold
    BelowFirstFrame,    // valid, not on frame 1
    HoldOrDistantClone, // valid, a hold or a distant clone
    ReferenceLayer      // valid, on a reference layer
};

bool accepts(QAbstractItemModel const* model, QModelIndex const& index, CellFilter filter);
// The indexes the filter accepts, in their given order.
QList<QModelIndex> acceptedCells(QAbstractItemModel const* model,
                                 QList<QModelIndex> const& indexes, CellFilter filter);
// By row only; the order of cells on the same row is left as it comes.
void sortByRow(QList<QModelIndex>& indexes, Qt::SortOrder order);

// The frame range and the active cell as a command found them at
// construction, for the undo of edits that change the number of frames.
struct RangeRecord
{
    int minimum = 1;
    int maximum = 1;
    int frame = 1;
    int layer = -1;

    // The active cell as the bundle's current index.
    static RangeRecord ofCurrentIndex(Model::KWScene const* scene);
    // The active cell as the scene keeps it.
    static RangeRecord ofActiveCell(Model::Scene const* scene);

    void restore(Model::Scene* scene) const;
};

// The identifiers of every visual layer's cells after a command's first
// redo. A command whose redo makes some cells afresh writes them back after
// each later redo, which leaves the scene as the first one did: the cells
// keep their identifiers whichever way the stack is walked.
class CellIdentifiers
{
public:
    // Records on the first call, writes back on the later ones.
    void keep(Model::Scene* scene);

private:
    bool m_recorded = false;
    QList<QList<QUuid>> m_layers;
};

// Undo by recorded changes: the records go back through the model, newest
// edit first, and the list is emptied for the next redo.
void reverseAndClear(Model::SceneModel* model, QList<Model::SceneChange>& changes);
// Undo by direct application of records an edit of the scene returned.
void applyAndClear(Model::Scene* scene, QList<Model::SceneChange>& changes);

// Moves a layer from wherever it is shown to a display position.
void moveLayerToPosition(Model::Scene* scene, int layer, int position);
// The display position of a layer, -1 for a bad index.
int displayPosition(Model::Scene const* scene, int layer);

Model::SceneModel* sceneModelOf(Model::KWScene const* scene);
Model::Scene* sceneOf(Model::KWScene const* scene);

} // namespace Commands
