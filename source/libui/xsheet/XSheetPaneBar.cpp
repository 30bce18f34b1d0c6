#include "xsheet/XSheetPaneBar.h"

#include "actions/ActionManager.h"
#include "settings/Settings.h"

#include <QAction>
#include <QHelpEvent>
#include <QIcon>
#include <QLinearGradient>
#include <QMouseEvent>
#include <QPainter>
#include <QToolTip>

#include <cmath>

namespace UI {

struct XSheetPaneBar::Private
{
    QList<QAction*> actions;
    int firstGroupCount = 0;
    int secondGroupCount = 0;
    int hovered = -1;
    int pressed = -1;
    double k = 2.0 / 3.0;
    int buttonWidth = 21, buttonHeight = 21, iconSize = 21;
    int halfWidth = 10, halfHeight = 10;
    int barHeight = 43;
    int centreLine = 21;
    int middleOffset = 3, middleMargin = 8;
    int leftWidth = 0, middleWidth = 0, rightWidth = 0;
    bool middleShown = true;
    int middleStart = 0;
    int width = 0;
    QLinearGradient gradient;
    QIcon pressedArtwork{QStringLiteral(":/toolsettings/icon-click-darkBG.svg")};
    QIcon hoverArtwork{QStringLiteral(":/toolsettings/icon-hover-darkBG.svg")};

    int total() const { return int(actions.size()); }
    int thirdGroupStart() const { return firstGroupCount + secondGroupCount; }

    void computeSizes(XSheetPaneBar* q)
    {
        const double s = Model::Settings::instance()->UIScaleFraction();
        k = 2.0 * s / 3.0;
        buttonWidth = buttonHeight = iconSize = int(32 * k);
        halfWidth = halfHeight = int(16 * k);
        barHeight = int(44 * s - 1);
        centreLine = barHeight / 2;
        middleOffset = int(3 * s);
        middleMargin = int(8 * s);
        gradient = QLinearGradient(0, 1, 0, barHeight);
        gradient.setColorAt(0, QColor(100, 96, 92));
        gradient.setColorAt(1, QColor(116, 112, 108));
        q->setFixedHeight(barHeight);
        const int rightCount = total() - thirdGroupStart();
        q->setMinimumWidth((firstGroupCount + rightCount) * buttonWidth + 2);
        computeWidth(q->width());
    }

    void computeWidth(int w)
    {
        width = w;
        leftWidth = firstGroupCount * buttonWidth;
        middleWidth = secondGroupCount * buttonWidth;
        rightWidth = (total() - thirdGroupStart()) * buttonWidth;
        const int free = w - leftWidth - rightWidth;
        middleShown = free > middleWidth + 2 * middleMargin;
        middleStart = leftWidth + (free - middleWidth) / 2 + middleOffset;
    }

    int leftEdge(int i) const
    {
        if (i < firstGroupCount)
            return 1 + i * buttonWidth;
        if (i < thirdGroupStart())
            return middleStart + (i - firstGroupCount) * buttonWidth;
        return width - 1 - (total() - i) * buttonWidth;
    }

    bool shown(int i) const { return middleShown || i < firstGroupCount || i >= thirdGroupStart(); }

    QPointF centre(int i) const { return QPointF(leftEdge(i) + halfWidth, centreLine); }

    int at(QPointF p) const
    {
        if (p.y() < centreLine - halfHeight || p.y() > centreLine + halfHeight || p.x() < 1)
            return -1;
        const int x = int(std::lround(p.x()));
        auto inGroup = [&](int first, int count) -> int {
            if (count <= 0)
                return -1;
            const int offset = x - leftEdge(first);
            if (offset < 0)
                return -1;
            const int index = offset / buttonWidth;
            return index < count ? first + index : -1;
        };
        int hit = inGroup(0, firstGroupCount);
        if (hit < 0 && middleShown)
            hit = inGroup(firstGroupCount, secondGroupCount);
        if (hit < 0)
            hit = inGroup(thirdGroupStart(), total() - thirdGroupStart());
        return hit;
    }
};

XSheetPaneBar::XSheetPaneBar(QWidget* parent)
    : QWidget(parent)
    , d(std::make_unique<Private>())
{
    setMouseTracking(true);
    const QList<QList<KW::Action>> groups = {
        {KW::Action::AddClonesMode, KW::Action::SlideMode},
        {KW::Action::AddBlankDrawing, KW::Action::ClearDrawingMakingBlank, KW::Action::DiscardDrawing},
        {KW::Action::NewLayer, KW::Action::DuplicateActiveLayer, KW::Action::DiscardActiveLayer,
         KW::Action::MergeLayerDown},
    };
    int counts[3] = {};
    for (int g = 0; g < 3; ++g) {
        for (KW::Action id : groups[g]) {
            QAction* action = Model::ActionManager::instance()->action(id);
            if (!action)
                continue;
            d->actions << action;
            ++counts[g];
            connect(action, &QAction::changed, this, qOverload<>(&QWidget::update));
        }
    }
    d->firstGroupCount = counts[0];
    d->secondGroupCount = counts[1];
    d->computeSizes(this);
}

XSheetPaneBar::~XSheetPaneBar() = default;

void XSheetPaneBar::updateUISize()
{
    d->computeSizes(this);
    update();
    updateGeometry();
}

int XSheetPaneBar::buttonAt(QPointF point) const
{
    d->computeWidth(width());
    return d->at(point);
}

QRect XSheetPaneBar::buttonRect(int index) const
{
    d->computeWidth(width());
    if (index < 0 || index >= d->total() || !d->shown(index))
        return QRect();
    return QRect(d->leftEdge(index), d->centreLine - d->halfHeight, d->buttonWidth, d->buttonHeight);
}

void XSheetPaneBar::resizeEvent(QResizeEvent* event)
{
    QWidget::resizeEvent(event);
    d->computeWidth(width());
}

void XSheetPaneBar::leaveEvent(QEvent* event)
{
    QWidget::leaveEvent(event);
    if (d->hovered != -1) {
        d->hovered = -1;
        update();
    }
}

void XSheetPaneBar::mouseMoveEvent(QMouseEvent* event)
{
    const int hit = d->at(event->position());
    if (hit != d->hovered) {
        d->hovered = hit;
        update();
    }
}

void XSheetPaneBar::mousePressEvent(QMouseEvent* event)
{
    d->computeWidth(width());
    d->pressed = d->at(event->position());
    mouseMoveEvent(event);
    update();
}

void XSheetPaneBar::mouseReleaseEvent(QMouseEvent* event)
{
    const int hit = d->at(event->position());
    if (d->pressed >= 0 && hit == d->pressed) {
        QAction* action = d->actions.value(hit);
        if (action && action->isEnabled())
            action->activate(QAction::Trigger);
    }
    d->pressed = -1;
    mouseMoveEvent(event);
    update();
}

bool XSheetPaneBar::event(QEvent* event)
{
    if (event->type() == QEvent::ToolTip) {
        auto* help = static_cast<QHelpEvent*>(event);
        d->computeWidth(width());
        const int hit = d->at(help->pos());
        if (hit >= 0) {
            QToolTip::showText(help->globalPos(), d->actions[hit]->toolTip(), this);
        } else {
            QToolTip::hideText();
            event->ignore();
        }
        return true;
    }
    return QWidget::event(event);
}

void XSheetPaneBar::paintEvent(QPaintEvent*)
{
    d->computeWidth(width());
    QPainter p(this);
    const int W = width();
    const int H = height();
    const double ratio = devicePixelRatioF();
    p.setPen(QPen(QColor(60, 56, 52), ratio));
    p.drawLine(QPointF(0, 0), QPointF(W, 0));
    p.fillRect(QRect(QPoint(0, 1), QPoint(W - 1, H - 1)), d->gradient);

    auto artworkAt = [&](const QIcon& icon, QPointF centre) {
        const QSize size(int(std::lround(32 * d->k)), int(std::lround(32 * d->k)));
        const QRectF r(centre.x() - size.width() / 2.0, centre.y() - size.height() / 2.0, size.width(),
                       size.height());
        p.drawPixmap(r.topLeft(), icon.pixmap(size, ratio));
    };
    for (int i = 0; i < d->total(); ++i) {
        if (!d->shown(i))
            continue;
        QAction* action = d->actions[i];
        const QPointF c = d->centre(i);
        if (action->isEnabled() && ((i == d->pressed && i == d->hovered) || action->isChecked()))
            artworkAt(d->pressedArtwork, c + QPointF(0, 2 * d->k));
        const QRect iconRect(int(c.x()) - d->iconSize / 2, int(c.y()) - d->iconSize / 2, d->iconSize, d->iconSize);
        p.save();
        if (!action->isEnabled())
            p.setOpacity(p.opacity() * 0.3);
        action->icon().paint(&p, iconRect, Qt::AlignCenter, QIcon::Normal, QIcon::Off);
        p.restore();
    }
    const int ring = d->pressed >= 0 ? d->pressed : d->hovered;
    if (ring >= 0 && d->shown(ring) && d->actions[ring]->isEnabled())
        artworkAt(d->hoverArtwork, d->centre(ring));
}

} // namespace UI
