#include "panels/SpeedDial.h"

#include "actions/ActionManager.h"
#include "common/UIScale.h"
#include "panels/DialGeometry.h"
#include "panels/SpeedDialGraphicsEffect.h"

#include <QAction>
#include <QApplication>
#include <QBasicTimer>
#include <QCursor>
#include <QHelpEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QStyle>
#include <QSvgRenderer>
#include <QTimer>
#include <QToolTip>

namespace UI {

struct SpeedDial::Private
{
    QSvgRenderer baseArt{QStringLiteral(":/speeddial/quickselectBase.svg")};
    SpeedDialGraphicsEffect* effect = nullptr;
    QTimer postSelectionTimer;
    bool hideAfterHighlight = false;
    QBasicTimer toolTipWakeUp;
    QBasicTimer toolTipFallAsleep;
    QPoint toolTipPos;
    QPoint toolTipGlobalPos;
    int side = 194;
};

SpeedDial::SpeedDial(QWidget* parent)
    : QWidget(parent), d(std::make_unique<Private>())
{
    d->postSelectionTimer.setSingleShot(true);
    d->postSelectionTimer.setInterval(333);
    d->effect = new SpeedDialGraphicsEffect(this);
    updateUISize();
    setMouseTracking(true);
    setGraphicsEffect(d->effect);
    connect(&d->postSelectionTimer, &QTimer::timeout, this,
            &SpeedDial::endPostSelectionHighlight);
    connect(this, &SpeedDial::functionSelected, &d->postSelectionTimer,
            qOverload<>(&QTimer::start));
}

SpeedDial::~SpeedDial() = default;

void SpeedDial::updateUISize()
{
    d->side = scaled(194);
    d->effect->updateUISize();
    setFixedSize(d->side, d->side);
    setMask(QRegion(-2, -2, d->side + 4, d->side + 4, QRegion::Ellipse));
    update();
    updateGeometry();
}

void SpeedDial::restoreSettings(const QString& layout)
{
    const QStringList tokens = layout.split(QLatin1Char('|'), Qt::KeepEmptyParts);
    for (int i = 0; i < qMin<int>(tokens.size(), DialGeometry::slotCount); ++i)
        d->effect->insertAction(Model::ActionManager::instance()->action(tokens.at(i)), i);
    update();
}

QString SpeedDial::saveSettings() const
{
    QStringList tokens;
    for (int i = 0; i < DialGeometry::slotCount; ++i) {
        const QAction* a = d->effect->action(i);
        tokens += a ? a->property("KWActionName").toString() : QString();
    }
    return tokens.join(QLatin1Char('|'));
}

bool SpeedDial::isShowingSelectionHighlight() const
{
    return d->postSelectionTimer.isActive();
}

void SpeedDial::setHideAfterPostSelectionHighlight(bool hide)
{
    d->hideAfterHighlight = hide;
}

void SpeedDial::setInfoBoxHtml(const QString& html)
{
    d->effect->setInfoBoxHtml(html);
}

void SpeedDial::disableInfoBoxUntilNextHide()
{
    d->effect->setInfoBoxEnabled(false);
}

SpeedDialGraphicsEffect* SpeedDial::effect() const
{
    return d->effect;
}

void SpeedDial::setPostSelectionInterval(int ms)
{
    d->postSelectionTimer.setInterval(ms);
}

void SpeedDial::trigger(QAction* action)
{
    action->activate(QAction::Trigger);
    emit functionSelected(action);
}

void SpeedDial::selectAndHide()
{
    if (d->postSelectionTimer.isActive()) {
        // A click already chose: hide when its highlight ends.
        d->hideAfterHighlight = true;
        return;
    }
    QAction* action = d->effect->endSelection(SpeedDialGraphicsEffect::KeepHighlight);
    if (!action) {
        hide();
        return;
    }
    d->hideAfterHighlight = true;
    trigger(action);
    releaseMouse();
    setAttribute(Qt::WA_TransparentForMouseEvents, true);
    update();
}

void SpeedDial::endPostSelectionHighlight()
{
    d->effect->clearSelection();
    if (d->hideAfterHighlight) {
        d->hideAfterHighlight = false;
        hide();
    } else {
        update();
    }
}

bool SpeedDial::event(QEvent* event)
{
    switch (event->type()) {
    case QEvent::MouseButtonPress:
    case QEvent::MouseButtonRelease:
    case QEvent::MouseButtonDblClick:
    case QEvent::KeyPress:
    case QEvent::KeyRelease:
    case QEvent::FocusIn:
    case QEvent::FocusOut:
    case QEvent::Wheel:
    case QEvent::ActivationChange:
        d->toolTipWakeUp.stop();
        d->toolTipFallAsleep.stop();
        break;
    case QEvent::Leave:
        d->toolTipWakeUp.stop();
        break;
    case QEvent::MouseMove: {
        auto* move = static_cast<QMouseEvent*>(event);
        d->toolTipPos = move->position().toPoint();
        d->toolTipGlobalPos = move->globalPosition().toPoint();
        const int delay = d->toolTipFallAsleep.isActive()
                              ? 20
                              : style()->styleHint(QStyle::SH_ToolTip_WakeUpDelay, nullptr, this);
        d->toolTipWakeUp.start(delay, this);
        break;
    }
    case QEvent::ToolTip: {
        auto* help = static_cast<QHelpEvent*>(event);
        const QString text = d->effect->toolTipText(help->pos());
        if (text.isEmpty()) {
            QToolTip::hideText();
            event->ignore();
        } else {
            QToolTip::showText(help->globalPos(), text, this);
        }
        return true;
    }
    default:
        break;
    }
    return QWidget::event(event);
}

void SpeedDial::timerEvent(QTimerEvent* event)
{
    if (event->timerId() == d->toolTipWakeUp.timerId()) {
        d->toolTipWakeUp.stop();
        QHelpEvent help(QEvent::ToolTip, d->toolTipPos, d->toolTipGlobalPos);
        QApplication::sendEvent(this, &help);
        if (help.isAccepted())
            d->toolTipFallAsleep.start(
                style()->styleHint(QStyle::SH_ToolTip_FallAsleepDelay, nullptr, this), this);
        return;
    }
    if (event->timerId() == d->toolTipFallAsleep.timerId()) {
        d->toolTipFallAsleep.stop();
        return;
    }
    QWidget::timerEvent(event);
}

void SpeedDial::mousePressEvent(QMouseEvent* event)
{
    if (d->postSelectionTimer.isActive())
        return;
    d->effect->mousePress(event->position());
    mouseMoveEvent(event);
}

void SpeedDial::mouseMoveEvent(QMouseEvent* event)
{
    d->effect->setSelectLineEndPoint(event->position());
    if (d->effect->isSelecting())
        update();
}

void SpeedDial::mouseReleaseEvent(QMouseEvent* event)
{
    mouseMoveEvent(event);
    if (QAction* action = d->effect->endSelection(SpeedDialGraphicsEffect::KeepHighlight))
        trigger(action);
    else if (d->hideAfterHighlight)
        hide();
    releaseMouse();
}

void SpeedDial::paintEvent(QPaintEvent*)
{
    if (d->postSelectionTimer.isActive())
        return;
    QPainter painter(this);
    d->baseArt.render(&painter, QRectF(rect()));
}

void SpeedDial::showEvent(QShowEvent* event)
{
    QWidget::showEvent(event);
    setAttribute(Qt::WA_TransparentForMouseEvents, false);
    grabMouse();
    d->postSelectionTimer.stop();
    d->effect->clearSelection();
    const QPointF p = mapFromGlobal(QCursor::pos());
    d->effect->mousePress(p);
    d->effect->setInitialSelectLineEndPoint(p);
    update();
}

void SpeedDial::hideEvent(QHideEvent* event)
{
    QWidget::hideEvent(event);
    // Hidden by other means while a slot is lit: that slot still counts.
    if (QAction* action = d->effect->endSelection(SpeedDialGraphicsEffect::NoHighlight)) {
        trigger(action);
    } else {
        d->postSelectionTimer.stop();
        d->effect->clearSelection();
    }
    d->effect->setInfoBoxEnabled(true);
    releaseMouse();
}

} // namespace UI
