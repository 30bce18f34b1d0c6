// The off-pegs gesture: a drag that starts inside the circle at the view
// centre slides the drawing, one that starts outside turns it about the view
// centre, and the button under the circle puts it back on the pegs. The
// canvas shows the drag live and reports the result once, at the release.
#include "canvas/PaperPrivate.h"

#include "tools/OffPegsTool.h"
#include "tools/ToolManager.h"

#include <QLineF>

namespace UI {

int Paper::PaperPrivate::offPegsZone(const QPointF& p) const
{
    if (toolType != Model::Tool::OffPegs)
        return 3;
    if (symbolCircle.contains(p))
        return 1;
    // The button exists only while the drawing is off the pegs.
    if (!offPegs.isIdentity() && offPegsButtonShape.contains(p))
        return 2;
    return 0;
}

void Paper::PaperPrivate::repaintOffPegsButton()
{
    q->update(offPegsButtonShape.boundingRect().toAlignedRect());
}

void Paper::PaperPrivate::updateOffPegs(const QPointF& p)
{
    if (toolType != Model::Tool::OffPegs)
        return;
    const int zone = offPegsZone(p);
    if (offPegsMode == 3 && zone != offPegsCursorZone) {
        auto* tool = qobject_cast<Model::OffPegsTool*>(
            Model::ToolManager::instance()->tool(Model::Tool::OffPegs));
        if (tool)
            tool->setCursorType(zone == 1   ? Model::OffPegsTool::CursorMove
                                : zone == 2 ? Model::OffPegsTool::CursorArrow
                                            : Model::OffPegsTool::CursorRotate);
        offPegsCursorZone = zone;
    }
    if (zone != offPegsHoverZone)
        repaintOffPegsButton();
    offPegsHoverZone = zone;
}

void Paper::PaperPrivate::processOffPegsPress(const QPointF& p)
{
    offPegsMode = offPegsZone(p);
    repaintOffPegsButton();
    updateOffPegs(p);
}

void Paper::PaperPrivate::processOffPegsMove(const QPointF& p)
{
    const QTransform g = viewBase * offPegs;
    if (offPegsMode == 1) {
        const QPointF shift = g.map(pressPoint) - g.map(p);
        liveOffPegs = QTransform::fromTranslate(shift.x(), shift.y());
    } else if (offPegsMode == 0) {
        double a = QLineF(viewCenter, pressPoint).angleTo(QLineF(viewCenter, p));
        if (mirror)
            a = -a;
        liveOffPegs = aboutPoint(g.map(viewCenter), QTransform().rotate(a));
    }
    if (offPegsMode == 0 || offPegsMode == 1) {
        compose();
        q->update();
    }
    updateOffPegs(p);
}

void Paper::PaperPrivate::processOffPegsRelease(const QPointF& p)
{
    if (offPegsMode == 2) {
        if (offPegsZone(p) != 2) {
            repaintOffPegsButton();
        } else {
            liveDelta = QTransform();
            liveOffPegs = QTransform();
            compose();
            decompose();
            offPegs = QTransform();
            compose();
            q->update();
            emit q->offPegsTransformChanged(QTransform());
            emit q->zoomLevelToFitChanged(fit(0.0));
        }
    } else {
        commitViewGesture();
        q->update();
        emit q->offPegsTransformChanged(offPegs);
        emit q->zoomLevelToFitChanged(fit(0.0));
    }
    offPegsMode = 3;
    updateOffPegs(p);
}

} // namespace UI
