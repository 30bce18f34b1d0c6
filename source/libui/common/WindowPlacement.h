#pragma once

class QWidget;

namespace UI {

// Puts a window of its own (a dialog, a tool window) in the middle of the
// window it belongs to, kept inside that screen's work area. Without this a
// tool window opens wherever the window system puts it, which without a
// window manager is the top-left corner, over the menu bar.
void centreOnParentWindow(QWidget* window);

} // namespace UI
