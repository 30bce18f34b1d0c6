#pragma once

#include <QStringList>

class MainWindow;

// Decides the scene shown at start from the program's arguments. The work is
// posted to the event loop, so it runs after the window is on screen: the
// first argument after the program's path is opened (the others are
// ignored), and when there is none or it cannot be opened, a new scene is
// built without asking.
void openStartupScene(MainWindow* window, const QStringList& arguments);
