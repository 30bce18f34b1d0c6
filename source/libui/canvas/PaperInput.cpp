// Input routing of the canvas: tablet, mouse and key events, the press that
// belongs to one device from press to release, the mouse copy of a tablet
// tap that is dropped, and the routing of presses, moves and releases to the
// gesture of the current tool.
#include "canvas/PaperPrivate.h"

#include "actions/ActionManager.h"
#include "canvas/PaperPointer.h"
#include "scene/KWScene.h"
#include "scene/Scene.h"
#include "tools/ToolManager.h"
#include "tools/ZPRTool.h"

#include <QAction>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QStyleHints>
#include <QTabletEvent>

namespace UI {

namespace {

bool isDrawingType(Model::Tool::Type type)
{
    return type == Model::Tool::Draw || type == Model::Tool::Erase;
}

bool isViewType(Model::Tool::Type type)
{
    return type == Model::Tool::Hand || type == Model::Tool::Zoom || type == Model::Tool::Rotate;
}

Model::Tool::State toolState()
{
    return Model::ToolManager::instance()->currentToolState();
}

} // namespace

PaperPointer Paper::PaperPrivate::pointer(const QPointF& position, double pressure,
                                          quint64 timestamp,
                                          Qt::KeyboardModifiers modifiers) const
{
    return PaperPointer{position, pressure, timestamp, modifiers, pressPoint};
}

bool Paper::PaperPrivate::isLassoReady() const
{
    return Model::ToolManager::isLassoingTool(toolType) && toolState() == Model::Tool::Usable;
}

bool Paper::isLassoToolIdle() const
{
    return d->isLassoReady() && Model::Tool::m_enabled;
}

void Paper::PaperPrivate::routePress(const PaperPointer& p, bool tablet)
{
    const QPointF& position = p.position;
    if (isDrawingType(toolType)) {
        if (toolState() != Model::Tool::Usable || !Model::Tool::m_enabled || !scene)
            return;
        if (p.modifiers & Qt::AltModifier) {
            processPenAdjustmentPress();
            return;
        }
        emit q->strokeAboutToBegin();
        // While another frame than the active one is on screen (playback,
        // scrubbing) a stroke would land where the user does not look. The
        // frame may have changed, and with it what the tool may do.
        if (scene->scrubFrame() > 0 || toolState() != Model::Tool::Usable)
            return;
        beginStroke(p, tablet ? tabletAnchor : mouseAnchor);
    } else if (toolType == Model::Tool::OffPegs) {
        processOffPegsPress(position);
    } else if (toolType == Model::Tool::ZPR) {
        processCombinedZPRPress(position);
    } else if (Model::ToolManager::isLassoingTool(toolType) && q->isLassoToolIdle()) {
        processLassoingPress(position, p.pressure, p.timestamp);
    } else if (toolType == Model::Tool::FloatingSelection && Model::Tool::m_enabled) {
        handleOffset = pressPoint - handlePaths[3].boundingRect().center();
        processFloatingSelectionPress(position, p.modifiers);
    } else if (toolType == Model::Tool::Scrubbing) {
        processScrubbingPress();
    }
}

void Paper::PaperPrivate::routeMove(const PaperPointer& p)
{
    const QPointF& position = p.position;
    lastPosition = position;
    if (isDrawingType(toolType)) {
        // A stroke already begun goes on even while tools are held back.
        if (toolState() == Model::Tool::Usable && scene)
            addStrokePoint(p);
    } else if (isViewType(toolType)) {
        processZprMove(position);
    } else if (toolType == Model::Tool::OffPegs) {
        processOffPegsMove(position);
    } else if (toolType == Model::Tool::ZPR) {
        processCombinedZPRMove(position);
    } else if (isLassoReady()) {
        processLassoingMove(position, p.pressure, p.timestamp);
    } else if (toolType == Model::Tool::PenAdjustment) {
        processPenAdjustmentMove(position);
    } else if (toolType == Model::Tool::Scrubbing) {
        processScrubbingMove(position);
    } else if (toolType == Model::Tool::FloatingSelection) {
        processFloatingSelectionMove(position, p.modifiers);
    }
}

void Paper::PaperPrivate::routeRelease(const PaperPointer& p)
{
    const QPointF& position = p.position;
    if (isDrawingType(toolType)) {
        // Also when the tool may no longer draw (its layer was hidden while
        // the pen was down): a stroke left open would be dropped by the next
        // one. Without a stroke under way this does nothing.
        finishStroke();
    } else if (isViewType(toolType)) {
        commitViewGesture();
    } else if (toolType == Model::Tool::OffPegs) {
        processOffPegsRelease(position);
    } else if (toolType == Model::Tool::ZPR) {
        processCombinedZPRRelease(position);
    } else if (q->isLassoToolIdle()) {
        processLassoingRelease(position, p.pressure, p.timestamp);
    } else if (toolType == Model::Tool::FloatingSelection && Model::Tool::m_enabled) {
        processFloatingSelectionRelease(position);
    } else if (toolType == Model::Tool::PenAdjustment) {
        processPenAdjustmentRelease();
    } else if (toolType == Model::Tool::Scrubbing) {
        processScrubbingRelease(position);
    }
}

void Paper::PaperPrivate::hover(const QPointF& position, bool tablet)
{
    QPointF& anchor = tablet ? tabletAnchor : mouseAnchor;
    QPointF& last = tablet ? tabletHover : mouseHover;
    anchor = last;
    last = position;
    updateCombinedZPRCursor(position);
    updateOffPegs(position);
    q->updateFloatingSelection(position);
}

void Paper::PaperPrivate::takePress(const QPointF& position)
{
    q->setFocus(Qt::OtherFocusReason);
    emit q->devicePressedChanged(true);
    pressPoint = position;
    gestureStart = position;
    lastPosition = position;
    lastPressPosition = position;
}

void Paper::tabletEvent(QTabletEvent* event)
{
    const QPointF position = event->position();
    const double pressure = event->pressure();
    const quint64 time = event->timestamp();
    switch (event->type()) {
    case QEvent::TabletMove:
        if (d->tabletPressed && !d->mousePressed) {
            d->routeMove(d->pointer(position, pressure, time, event->modifiers()));
            event->accept();
        } else {
            // Ignored, so that the system goes on to make mouse moves of it.
            d->hover(position, true);
            event->ignore();
        }
        return;
    case QEvent::TabletPress: {
        const QPointF delta = position - d->lastPressPosition;
        const QStyleHints* hints = QGuiApplication::styleHints();
        if (time - d->lastTabletPressTime < quint64(hints->mouseDoubleClickInterval())
            && std::abs(delta.x()) + std::abs(delta.y()) < hints->touchDoubleTapDistance()) {
            if (isViewType(d->toolType)) {
                d->processZprReset(position);
                update();
                event->accept();
                return;
            }
            if (d->toolType == Model::Tool::ZPR) {
                d->processCombinedZPRReset(position);
                event->accept();
                return;
            }
        }
        if (d->tabletPressed || d->mousePressed || d->gestureActive) {
            event->ignore();
            return;
        }
        if (d->nativeGestureActive || event->buttons() != Qt::LeftButton) {
            if (!d->nativeGestureActive && event->button() == Qt::RightButton) {
                emit rightButtonPressed(event->modifiers());
                event->accept();
            } else {
                event->ignore();
            }
            return;
        }
        d->tabletPressed = true;
        d->takePress(position);
        d->routePress(d->pointer(position, pressure, time, event->modifiers()), true);
        event->accept();
        d->lastTabletPressTime = time;
        return;
    }
    case QEvent::TabletRelease:
        if (d->mousePressed || !d->tabletPressed || (event->buttons() & Qt::LeftButton)) {
            event->ignore();
        } else {
            d->tabletPressed = false;
            emit devicePressedChanged(d->gestureActive || d->nativeGestureActive);
            d->routeRelease(d->pointer(position, pressure, time, event->modifiers()));
            event->accept();
            d->lastTabletReleaseTime = time;
        }
        d->tabletHover = QPointF();
        d->tabletAnchor = QPointF();
        return;
    default:
        event->ignore();
        return;
    }
}

void Paper::mousePressEvent(QMouseEvent* event)
{
    const QPointF position = event->position();
    const QPointF delta = d->lastPressPosition - position;
    // The system's mouse copy of a tablet tap that was already handled.
    if (event->timestamp() < d->lastTabletReleaseTime + 10
        && std::abs(delta.x()) + std::abs(delta.y()) < 2.0) {
        event->accept();
        return;
    }
    const Qt::MouseButton button = event->button();
    if (button == Qt::LeftButton || button == Qt::MiddleButton) {
        if (d->anyPressed()) {
            event->ignore();
            return;
        }
        d->mousePressed = true;
        d->takePress(position);
        event->accept();
        if (button == Qt::MiddleButton) {
            // A hand tool for as long as the button is held.
            if (QAction* pan = Model::ActionManager::instance()->action(KW::Action::Pan))
                pan->activate(QAction::Trigger);
        } else {
            d->routePress(d->pointer(position, 0.5, event->timestamp(), event->modifiers()), false);
        }
        return;
    }
    if (!d->tabletPressed && !d->mousePressed && !d->gestureActive && !d->nativeGestureActive
        && button == Qt::RightButton) {
        emit rightButtonPressed(event->modifiers());
        event->accept();
    } else {
        event->ignore();
    }
}

void Paper::mouseMoveEvent(QMouseEvent* event)
{
    if (!d->tabletPressed && d->mousePressed) {
        d->routeMove(d->pointer(event->position(), 0.5, event->timestamp(), event->modifiers()));
        event->accept();
    } else {
        d->hover(event->position(), false);
        event->ignore();
    }
}

void Paper::mouseReleaseEvent(QMouseEvent* event)
{
    const Qt::MouseButton button = event->button();
    if ((button == Qt::LeftButton || button == Qt::MiddleButton) && !d->tabletPressed
        && d->mousePressed && event->buttons() == Qt::NoButton) {
        d->mousePressed = false;
        emit devicePressedChanged(d->gestureActive || d->nativeGestureActive);
        event->accept();
        if (button == Qt::MiddleButton) {
            QAction* pan = Model::ActionManager::instance()->action(KW::Action::Pan);
            if (pan && pan->isChecked())
                pan->toggle();
        } else {
            d->routeRelease(
                d->pointer(event->position(), 0.5, event->timestamp(), event->modifiers()));
        }
    } else {
        event->ignore();
    }
    d->mouseHover = QPointF();
    d->mouseAnchor = QPointF();
}

void Paper::keyPressEvent(QKeyEvent* event)
{
    if (!event->isAutoRepeat() && event->key() == Qt::Key_Shift
        && event->modifiers() == Qt::ShiftModifier && d->toolType == Model::Tool::FloatingSelection
        && d->activeHandle == 3)
        d->processFloatingSelectionMove(d->lastPosition, event->modifiers());
    QWidget::keyPressEvent(event);
}

void Paper::keyReleaseEvent(QKeyEvent* event)
{
    if (!event->isAutoRepeat() && event->modifiers() == Qt::NoModifier) {
        if (event->key() == Qt::Key_Control && d->toolType == Model::Tool::PenAdjustment) {
            Model::ToolManager* tools = Model::ToolManager::instance();
            tools->setCurrentTool(tools->lastDrawingToolType(), Model::Tool::Usable);
        } else if (event->key() == Qt::Key_Shift
                   && d->toolType == Model::Tool::FloatingSelection && d->activeHandle == 3) {
            d->processFloatingSelectionMove(d->lastPosition, event->modifiers());
        }
    }
    QWidget::keyReleaseEvent(event);
}

void Paper::leaveEvent(QEvent* event)
{
    d->autoScrollTimer.stop();
    QWidget::leaveEvent(event);
}

void Paper::setCurrentToolType(Model::Tool::Type type)
{
    if (type == d->toolType)
        return;
    if (d->toolType == Model::Tool::FloatingSelection)
        updateFloatingSelectionBB();
    if (isViewType(d->toolType) || d->toolType == Model::Tool::ZPR)
        d->commitViewGesture();
    // A selection scrolling by itself must not outlive its tool.
    d->autoScrollTimer.stop();
    d->toolType = type;
    d->liveDelta = QTransform();
    d->liveOffPegs = QTransform();
    d->compose();
    d->decompose();

    const QPointF pointer = mapFromGlobal(QCursor::pos());
    switch (type) {
    case Model::Tool::ZPR: {
        QPointF centre((d->viewRect.left() + d->viewRect.right()) / 2,
                       (d->viewRect.top() + d->viewRect.bottom()) / 2);
        auto* zpr = qobject_cast<Model::ZPRTool*>(Model::ToolManager::instance()->tool(type));
        const QVariant start = zpr ? zpr->pressPosGlobal() : QVariant();
        if (start.canConvert<QPoint>()) {
            const QPointF local = mapFromGlobal(start.toPoint());
            if (QRectF(rect()).contains(local)) {
                centre = local;
                d->lastPressPosition = local;
            }
        }
        d->buildCombinedZprZones(centre);
        d->gestureStart = d->lastPressPosition;
        d->combinedMode = d->anyPressed() ? d->combinedZone(d->gestureStart) : 3;
        d->updateCombinedZPRCursor(pointer);
        setMouseTracking(true);
        break;
    }
    case Model::Tool::FloatingSelection:
        if (d->activeHandle == 7) {
            newFloatingSelection();
            updateFloatingSelection(pointer);
        } else {
            d->pressPoint += d->lastPosition - d->gestureStart;
        }
        setMouseTracking(true);
        break;
    case Model::Tool::OffPegs:
        d->updateOffPegs(pointer);
        setMouseTracking(true);
        break;
    case Model::Tool::Hand:
    case Model::Tool::Zoom:
    case Model::Tool::Rotate:
        d->gestureStart = d->lastPosition;
        setMouseTracking(false);
        break;
    case Model::Tool::Scrubbing:
        // Each time the tool is taken up, scrubbing starts from the active
        // frame again.
        d->scrub.resetBase();
        setMouseTracking(false);
        break;
    default:
        if (Model::ToolManager::isLassoingTool(type) && d->isLassoReady())
            d->lassoStroke.reset();
        setMouseTracking(false);
        break;
    }
    // The off-pegs zones start afresh after any tool that is neither a view
    // tool nor one of the tools that keep a drawing gesture of their own.
    if (type < Model::Tool::Hand || type > Model::Tool::Scrubbing) {
        d->offPegsHoverZone = 3;
        d->offPegsMode = 3;
    }
    update();
}

} // namespace UI
