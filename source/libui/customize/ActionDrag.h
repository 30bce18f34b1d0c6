#pragma once

#include <Qt>
#include <QString>

#include <functional>

class QDrag;
class QIcon;
class QMimeData;
class QPixmap;
class QSvgRenderer;

namespace UI {

// The drag format shared by the customisation widgets: one entry name (an
// action key or "Spacer") as UTF-8 under a private MIME type. Drags from the
// action list and the spacer offer a copy, drags out of the editors a move.
namespace ActionDrag {

extern const QString mimeType;
extern const QString spacerName;

// New MIME data holding the entry name; withText also puts the name into the
// plain text.
QMimeData* mimeData(const QString& name, bool withText);
// The entry name a drag carries, or a null string when it carries none.
QString entryName(const QMimeData* data);
// The pixmap of a dragged action: its icon on a light rounded square of
// 32 logical pixels at the application's device pixel ratio.
QPixmap actionPixmap(const QIcon& icon);
// An artwork at its natural size, at the application's device pixel ratio.
QPixmap artworkPixmap(QSvgRenderer& art);

// Runs a drag and gives the action it ended with. A test installs its own
// runner, which delivers the drag's events itself: the platform's drag loop
// blocks without a window manager.
using Runner = std::function<Qt::DropAction(QDrag* drag, Qt::DropActions actions)>;
Qt::DropAction run(QDrag* drag, Qt::DropActions actions);
// An empty runner restores QDrag::exec.
void setRunner(Runner runner);

} // namespace ActionDrag

} // namespace UI
