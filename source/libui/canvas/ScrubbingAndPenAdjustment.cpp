// Scrubbing and pen adjustment on the canvas: the press, move and release of
// their tools, measured from where the press began. Scrubbing reports a
// frame offset for the main window to show; pen adjustment changes the
// drawing tool's ranges and hands the pen back to it at the release.
#include "canvas/PaperPrivate.h"

namespace UI {

void Paper::PaperPrivate::processScrubbingPress()
{
    scrub.press();
}

void Paper::PaperPrivate::processScrubbingMove(const QPointF& p)
{
    emit q->scrubOffsetChanged(scrub.move(lastPressPosition, p));
}

void Paper::PaperPrivate::processScrubbingRelease(const QPointF& p)
{
    scrub.release(lastPressPosition, p);
}

void Paper::PaperPrivate::processPenAdjustmentPress()
{
    penAdjustment.press();
}

void Paper::PaperPrivate::processPenAdjustmentMove(const QPointF& p)
{
    penAdjustment.move(pressPoint, p);
}

void Paper::PaperPrivate::processPenAdjustmentRelease()
{
    penAdjustment.release();
}

} // namespace UI
