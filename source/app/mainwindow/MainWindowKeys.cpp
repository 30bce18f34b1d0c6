// Keys that mean one thing when tapped and another when held: the window
// sees each key before any action shortcut fires (its filter on shortcut
// overrides), starts a hold timer at the first press, and decides at the
// timeout, at a pen touch-down or at the release which it was.
#include "MainWindow.h"
#include "MainWindowPrivate.h"

#include "actions/ActionManager.h"
#include "canvas/Paper.h"
#include "canvas/ReferenceDisplay.h"
#include "keyboard/CapsLock.h"
#include "panels/SpeedDial.h"
#include "panels/Palette.h"
#include "panels/ToolSettings.h"
#include "playback/PlaybackController.h"
#include "scene/KWScene.h"
#include "scene/Scene.h"
#include "settings/Settings.h"
#include "tools/ToolManager.h"
#include "xsheet/DetachedXSheet.h"

#include <QAbstractSpinBox>
#include <QAction>
#include <QApplication>
#include <QComboBox>
#include <QCursor>
#include <QKeyEvent>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QShortcut>
#include <QTextEdit>
#include <QTimer>

#include <algorithm>

namespace {

using Type = Model::Tool::Type;
using State = Model::Tool::State;

QAction* action(KW::Action id)
{
    return Model::ActionManager::instance()->action(id);
}

Model::ToolManager* tools()
{
    return Model::ToolManager::instance();
}

// Checkable tool actions released on their key's release or by Escape.
void uncheck(KW::Action id)
{
    QAction* a = action(id);
    if (a->isChecked())
        a->toggle();
}

// A widget the user types into: it keeps every key that has no command
// modifier, Return and Esc included.
bool isTextField(const QWidget* w)
{
    if (!w)
        return false;
    if (auto* line = qobject_cast<const QLineEdit*>(w))
        return !line->isReadOnly();
    if (auto* text = qobject_cast<const QTextEdit*>(w))
        return !text->isReadOnly();
    if (auto* plain = qobject_cast<const QPlainTextEdit*>(w))
        return !plain->isReadOnly();
    if (auto* combo = qobject_cast<const QComboBox*>(w))
        return combo->isEditable();
    return qobject_cast<const QAbstractSpinBox*>(w) != nullptr;
}

// The keys a window of its own already binds to something else.
QList<QKeySequence> ownKeys(const QWidget* window)
{
    QList<QKeySequence> keys;
    for (const QShortcut* shortcut : window->findChildren<QShortcut*>())
        keys += shortcut->keys();
    return keys;
}

// Centres a panel on a point of its parent, keeping it 5 pixels from the
// left and top and 6 from the right and bottom; where the parent is too
// small for that, the panel is centred in it.
QPoint placeCentred(QPoint p, QSize panel, QSize parent)
{
    auto axis = [](int centre, int extent, int room) {
        const int far = room - extent - 6;
        if (far <= 4)
            return (room - extent - 1) / 2;
        return std::min(std::max(centre - extent / 2, 5), far);
    };
    return {axis(p.x(), panel.width(), parent.width()), axis(p.y(), panel.height(), parent.height())};
}

} // namespace

void MainWindow::setHoldIntervals(int zoomAndZPRMs, int popupMs)
{
    d->zprTimerInterval = zoomAndZPRMs;
    d->zoomTimerInterval = zoomAndZPRMs;
    d->popupTimerInterval = popupMs;
    if (d->zprTimer)
        d->zprTimer->setInterval(zoomAndZPRMs);
    if (d->zoomTimer)
        d->zoomTimer->setInterval(zoomAndZPRMs);
}

void MainWindow::connectKeyTimers()
{
    connect(d->popupTimer1, &QTimer::timeout, this, [this] { showPopupPanel(d->drawSettings); });
    connect(d->popupTimer2, &QTimer::timeout, this, [this] { showPopupPanel(d->eraseSettings); });
    connect(d->dropdownTimer, &QTimer::timeout, this, &MainWindow::closeDrawAndEraseDropdowns);
    connect(d->zprTimer, &QTimer::timeout, this, &MainWindow::immediateSwitchToZPR);
    connect(d->zoomTimer, &QTimer::timeout, this, &MainWindow::immediateSwitchToZoom);
}

void MainWindow::setupKeyContexts()
{
    // The shortcuts are the main window's; the detached X-sheet and the
    // reference display are windows of their own that pass their keys on,
    // so they share the actions, all but those whose keys they bind themselves.
    for (QWidget* window : {static_cast<QWidget*>(d->detachedXSheet),
                            static_cast<QWidget*>(d->referenceDisplay)}) {
        const QList<QKeySequence> taken = ownKeys(window);
        for (QAction* a : Model::ActionManager::instance()->actions()) {
            const QList<QKeySequence> keys = a->shortcuts();
            const bool clash = std::any_of(keys.begin(), keys.end(), [&taken](const QKeySequence& k) {
                return taken.contains(k);
            });
            if (!keys.isEmpty() && !clash)
                window->addAction(a);
        }
    }
}

bool MainWindow::eventFilter(QObject* watched, QEvent* event)
{
    if (event->type() == QEvent::ShortcutOverride)
        handleShortcutOverride(static_cast<QKeyEvent*>(event));
    return QMainWindow::eventFilter(watched, event);
}

void MainWindow::handleShortcutOverride(QKeyEvent* event)
{
    const Qt::KeyboardModifiers mods = event->modifiers();
    // Typing into a field of the window: the field gets its keys, not the
    // window's commands; keys with Ctrl, Alt or Meta still reach the menus.
    if (isTextField(QApplication::focusWidget())
        && !(mods & (Qt::ControlModifier | Qt::AltModifier | Qt::MetaModifier))) {
        event->accept();
        return;
    }
    const bool plain = mods == Qt::NoModifier;
    const bool fresh = !event->isAutoRepeat();
    const bool caps = CapsLock::isOn(event);
    const bool lowerCase = (plain && !caps) || (mods == Qt::ShiftModifier && caps);
    const bool upperCase = (mods == Qt::ShiftModifier && !caps) || (plain && caps);
    const bool playing = m_playbackController->isPlaying();
    const Type current = tools()->currentToolType();

    switch (event->key()) {
    case Qt::Key_Space:
        if (playing) {
            action(KW::Action::Play)->trigger();
            setFocus();
            event->accept();
        } else if (plain && fresh) {
            startZPRTimer();
            setFocus();
            event->accept();
        } else if (plain) {
            // Space is the key of two actions too (play, hand/zoom/rotate):
            // the repeats of a held Space are this handler's to swallow.
            event->accept();
        }
        return;
    case Qt::Key_D:
    case Qt::Key_E:
        // Left unaccepted: an action shortcut on the key still fires.
        if (plain && fresh) {
            d->popupPointerPos = QCursor::pos();
            QTimer* timer = event->key() == Qt::Key_D ? d->popupTimer1 : d->popupTimer2;
            if (timer)
                timer->start(d->popupTimerInterval);
        }
        return;
    case Qt::Key_Q:
    case Qt::Key_W: {
        const bool back = event->key() == Qt::Key_Q;
        if (lowerCase) {
            action(back ? KW::Action::StepBackSkippingLocalClones
                        : KW::Action::StepForwardSkippingLocalClones)->trigger();
            event->accept();
        } else if (upperCase) {
            action(back ? KW::Action::SkipBackToKeyDrawing : KW::Action::SkipForwardToKeyDrawing)
                ->trigger();
            event->accept();
        }
        return;
    }
    case Qt::Key_S:
        if (fresh && (plain || mods == Qt::ShiftModifier)) {
            showSpeedDialWithoutInfoBox(plain, false);
            event->accept();
        }
        return;
    case Qt::Key_Z:
        if (plain && fresh && current != Type::Zoom) {
            startZoomTimer();
            setFocus();
            event->accept();
        }
        return;
    case Qt::Key_Return:
    case Qt::Key_Enter:
        // Return is the key of two actions, stamping and the return flip:
        // this handler picks the one that applies, and swallows the repeats
        // of a held key, so that the key never reaches the shortcut map.
        if (fresh && (plain || mods == Qt::KeypadModifier)) {
            if (current == Type::FloatingSelection) {
                action(KW::Action::StampFloatingSelection)->trigger();
            } else {
                endCurrentStroke();
                if (playing)
                    m_playbackController->allowSwitchFlipDirection();
                else
                    m_playbackController->startFlipBack();
            }
            event->accept();
        } else if (plain || mods == Qt::KeypadModifier) {
            event->accept();
        }
        return;
    case Qt::Key_Escape:
        if (fresh && plain && playing) {
            m_playbackController->stopPlayback();
            event->accept();
        }
        if (d->primarySpeedDial && d->primarySpeedDial->isVisible()) {
            d->primarySpeedDial->hide();
        } else if (d->secondarySpeedDial && d->secondarySpeedDial->isVisible()) {
            d->secondarySpeedDial->hide();
        } else {
            for (KW::Action id : {KW::Action::Pan, KW::Action::Zoom, KW::Action::Rotate,
                                  KW::Action::OffPegs}) {
                if (action(id)->isChecked()) {
                    action(id)->toggle();
                    break;
                }
            }
        }
        return;
    case Qt::Key_Control:
        return;
    default:
        if (plain)
            closeDrawAndEraseDropdowns();
        return;
    }
}

void MainWindow::keyPressEvent(QKeyEvent* event)
{
    QMainWindow::keyPressEvent(event);
    if (event->isAutoRepeat())
        return;
    const Qt::KeyboardModifiers mods = event->modifiers();
    if (event->key() == Qt::Key_Shift && mods == Qt::ShiftModifier)
        startPointerScrubbing();
    if ((event->key() == Qt::Key_Control || event->key() == Qt::Key_Alt)
               && mods == (Qt::ControlModifier | Qt::AltModifier)) {
        action(KW::Action::OffPegs)->setChecked(true);
        event->accept();
    }
}

void MainWindow::keyReleaseEvent(QKeyEvent* event)
{
    if (event->isAutoRepeat()) {
        QMainWindow::keyReleaseEvent(event);
        return;
    }
    const Qt::KeyboardModifiers mods = event->modifiers();
    switch (event->key()) {
    case Qt::Key_Space:
        if (d->zprTimer && d->zprTimer->isActive()) {
            stopZPRTimer();
            action(KW::Action::Play)->trigger();
        }
        Model::Tool::m_enabled = true;
        if (tools()->currentToolType() == Type::ZPR) {
            d->zprToolState.clear();
            handZPRState();
            processToolAction(Type::ZPR, false);
        }
        break;
    case Qt::Key_Shift:
        if (mods == Qt::NoModifier)
            stopPointerScrubbing();
        break;
    case Qt::Key_C:
        if (m_palette)
            m_palette->hide();
        return;
    case Qt::Key_D:
    case Qt::Key_E:
        stopPopupTimers();
        if (mods == Qt::NoModifier)
            closeDrawAndErasePopups();
        break;
    case Qt::Key_H:
        uncheck(KW::Action::Pan);
        break;
    case Qt::Key_R:
        uncheck(KW::Action::Rotate);
        break;
    case Qt::Key_S:
        for (UI::SpeedDial* dial : {d->primarySpeedDial, d->secondarySpeedDial})
            if (dial)
                dial->selectAndHide();
        return;
    case Qt::Key_Z:
        if (d->zoomTimer && d->zoomTimer->isActive()) {
            stopZoomTimer();
            ui->scrollAreaWidgetContents->toggleQuickZoom();
        }
        Model::Tool::m_enabled = true;
        uncheck(KW::Action::Zoom);
        break;
    case Qt::Key_Return:
    case Qt::Key_Enter:
        m_playbackController->startReturnFlip();
        break;
    case Qt::Key_Control:
        if (mods & Qt::AltModifier)
            uncheck(KW::Action::OffPegs);
        break;
    case Qt::Key_Alt:
    case Qt::Key_AltGr:
        if (mods & Qt::ControlModifier)
            uncheck(KW::Action::OffPegs);
        break;
    default:
        break;
    }
    QMainWindow::keyReleaseEvent(event);
}

void MainWindow::startZPRTimer()
{
    d->zprToolState = QCursor::pos();
    endCurrentStroke();
    if (ui->scrollAreaWidgetContents->isDevicePressed()) {
        immediateSwitchToZPR();
        return;
    }
    QObject::disconnect(d->zprPressConnection);
    d->zprPressConnection = connect(ui->scrollAreaWidgetContents, &UI::Paper::devicePressedChanged,
                                    this, &MainWindow::immediateSwitchToZPR);
    d->zprTimer->start(d->zprTimerInterval);
    d->zprToolState = QCursor::pos();
    Model::Tool::m_enabled = false;
}

void MainWindow::immediateSwitchToZPR()
{
    d->zprTimer->stop();
    QObject::disconnect(d->zprPressConnection);
    Model::Tool::m_enabled = true;
    if (tools()->currentToolType() != Type::ZPR) {
        handZPRState();
        tools()->setCurrentTool(Type::ZPR, calcToolState(Type::ZPR));
    }
}

void MainWindow::stopZPRTimer()
{
    d->zprTimer->stop();
    QObject::disconnect(d->zprPressConnection);
    d->zprToolState.clear();
}

void MainWindow::startZoomTimer()
{
    if (ui->scrollAreaWidgetContents->isDevicePressed()) {
        immediateSwitchToZoom();
        return;
    }
    QObject::disconnect(d->zoomPressConnection);
    d->zoomPressConnection = connect(ui->scrollAreaWidgetContents,
                                     &UI::Paper::devicePressedChanged, this,
                                     &MainWindow::immediateSwitchToZoom);
    d->zoomTimer->start(d->zoomTimerInterval);
    Model::Tool::m_enabled = false;
}

void MainWindow::immediateSwitchToZoom()
{
    d->zoomTimer->stop();
    QObject::disconnect(d->zoomPressConnection);
    Model::Tool::m_enabled = true;
    const State state = calcToolState(Type::Zoom);
    if (tools()->currentToolType() != Type::Zoom || tools()->currentToolState() != state)
        tools()->setCurrentTool(Type::Zoom, state);
}

void MainWindow::stopZoomTimer()
{
    d->zoomTimer->stop();
    QObject::disconnect(d->zoomPressConnection);
}

void MainWindow::showPopupPanel(UI::ToolSettings* panel)
{
    if (!panel)
        return;
    endCurrentStroke();
    panel->setPopup(true);
    QWidget* parent = ui->centralwidget;
    const QPoint p = parent->mapFromGlobal(d->popupPointerPos);
    panel->move(placeCentred(p, panel->size(), parent->size()));
    panel->raise();
    panel->show();
}

void MainWindow::stopPopupTimers()
{
    if (d->popupTimer1)
        d->popupTimer1->stop();
    if (d->popupTimer2)
        d->popupTimer2->stop();
}

void MainWindow::startDropdownTimer()
{
    if (d->dropdownTimer)
        d->dropdownTimer->start(50);
}

void MainWindow::stopDropdownTimer()
{
    if (d->dropdownTimer)
        d->dropdownTimer->stop();
}

void MainWindow::closeDrawAndEraseDropdowns()
{
    for (UI::ToolSettings* panel : {d->drawSettings, d->eraseSettings})
        if (panel && panel->isVisible() && !panel->isPopup())
            panel->hide();
}

void MainWindow::closeDrawAndErasePopups()
{
    for (UI::ToolSettings* panel : {d->drawSettings, d->eraseSettings})
        if (panel && panel->isPopup())
            panel->hide();
}

void MainWindow::onActionDrawEraseToggle()
{
    closeDrawAndEraseDropdowns();
    const Type current = tools()->currentToolType();
    if (current == Type::Draw)
        action(KW::Action::Erase)->trigger();
    else if (current == Type::Erase)
        action(KW::Action::Draw)->trigger();
    stopPopupTimers();
}
