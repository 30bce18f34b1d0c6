#pragma once

#include <QString>

class MainWindow;

// Writes a picture of the window, as the screen shows it, to `path` (PNG)
// once its first scene is on screen: a check that the program came up whole,
// used by the start-up test and by anyone who wants a picture of a run. The
// picture carries the rectangles of the canvas, sheet, timeline and tool bar
// (window coordinates, "x,y,w,h") as the PNG texts "canvas", "sheet",
// "timeline" and "toolbar".
void writeScreenshotWhenShown(MainWindow* window, const QString& path);
