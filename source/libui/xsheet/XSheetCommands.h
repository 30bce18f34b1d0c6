#pragma once

#include <QColor>
#include <QImage>
#include <QList>

#include <utility>

class QWidget;

namespace UI {

// The undo commands that the exposure sheet, its header and its footer push
// on the current scene's stack. Without a current scene nothing is pushed.
namespace XSheetCommands {

void moveLayer(int layer, int fromVisual, int toVisual);
void changeLayerColor(int layer, QColor const& color);
void setLayerLinked(int layer, bool linked);
void setLayerVisible(int layer, bool visible);
void setLayerBeyondLast(int layer, int mode);
void slideOriginalDrawing(int distance, int smallest, int largest);
// Holds after the current cell.
void addCloneDrawings(int count);
// The holds that end at the current cell.
void discardCloneDrawings(int count);
void setAudioOffset(double offsetFrames);
// Asks for the audio offset in frames and sets it on OK.
void askForAudioOffset(QWidget* parent, double offsetFrames);
// Merged annotation images by scene-model row of the annotation column;
// several rows of one stroke make one "Add Annotations" step, and a stroke
// that changed no row makes none.
void addAnnotations(int column, QList<std::pair<int, QImage>> const& images, bool severalRows);

} // namespace XSheetCommands

} // namespace UI
