#include "xsheet/XSheetFooter.h"

#include "models/SceneModel.h"
#include "settings/Settings.h"
#include "tools/Cursor.h"
#include "xsheet/XSheetHeader.h"

#include <QContextMenuEvent>
#include <QHelpEvent>
#include <QLinearGradient>
#include <QMouseEvent>
#include <QPainter>
#include <QPainterPath>
#include <QToolTip>

namespace UI {

using Roles = Model::SceneModel::Roles;

class XSheetFooter::XSheetFooterPrivate
{
public:
    void updateSizes()
    {
        scale = Model::Settings::instance()->UIScaleFraction();
        stripHeight = int(15 * scale);
        handleHeight = int(28 * scale);
        updateGradients();
    }

    void updateGradients()
    {
        handleGradient = QLinearGradient(0, stripHeight + 1, 0, stripHeight + handleHeight);
        handleGradient.setColorAt(0, QColor(102, 99, 95));
        handleGradient.setColorAt(0.5, QColor(100, 96, 92));
        handleGradient.setColorAt(1, QColor(91, 87, 83));
        auto const strip = [this](QColor const& top, QColor const& bottom) {
            QLinearGradient gradient(0, 1, 0, stripHeight);
            gradient.setColorAt(0, top);
            gradient.setColorAt(1, bottom);
            return gradient;
        };
        stripGradient = strip(QColor(105, 101, 97), QColor(88, 84, 80));
        checkerLightGradient = strip(QColor(119, 115, 111), QColor(101, 97, 92));
        checkerDarkGradient = strip(QColor(95, 92, 89), QColor(77, 74, 71));
    }

    // t x t squares that stay put on the sheet while it scrolls sideways: the
    // bands' overlaps cancel under the odd-even fill.
    QPainterPath checkerboardPath(QRect const& strip, int headerOffset) const
    {
        int const t = std::max(1, int(3 * scale));
        QPainterPath path;
        path.setFillRule(Qt::OddEvenFill);
        for (int y = strip.top() + t; y < strip.bottom(); y += 2 * t)
            path.addRect(strip.left(), y, strip.width(), t);
        for (int x = strip.left() + t - ((headerOffset + strip.left()) % (2 * t)); x < strip.right();
             x += 2 * t)
            path.addRect(x, strip.top(), t, strip.height());
        return path;
    }

    float scale = 1.0f;
    int stripHeight = 15;
    int handleHeight = 28;
    QLinearGradient handleGradient;
    QLinearGradient stripGradient;
    QLinearGradient checkerLightGradient;
    QLinearGradient checkerDarkGradient;
    bool customCursorSet = false;
};

XSheetFooter::XSheetFooter(QWidget* parent)
    : QHeaderView(Qt::Horizontal, parent)
    , d(std::make_unique<XSheetFooterPrivate>())
{
    d->updateSizes();
    setFixedHeight(d->stripHeight + d->handleHeight);
    setSectionResizeMode(QHeaderView::ResizeToContents);
    setMouseTracking(true);
    viewport()->setMouseTracking(true);
}

XSheetFooter::~XSheetFooter() = default;

int XSheetFooter::stripHeight() const
{
    return d->stripHeight;
}

void XSheetFooter::updateUISize()
{
    d->updateSizes();
    setFixedHeight(d->stripHeight + d->handleHeight);
    viewport()->update();
    updateGeometry();
}

bool XSheetFooter::sectionHasOpacity(int logicalIndex) const
{
    if (!model())
        return false;
    int const type = model()->headerData(logicalIndex, Qt::Horizontal, Roles::LayerTypeRole).toInt();
    return type >= 1 && type <= 3;
}

void XSheetFooter::setCustomCursor()
{
    if (parentWidget())
        parentWidget()->setCursor(Model::Cursor::m_cursorDragLeftRight);
    d->customCursorSet = true;
}

void XSheetFooter::clearCustomCursor()
{
    if (parentWidget())
        parentWidget()->setCursor(Model::Cursor::m_cursorArrow);
    d->customCursorSet = false;
}

bool XSheetFooter::hasCustomCursor() const
{
    return d->customCursorSet;
}

void XSheetFooter::enterEvent(QEnterEvent* event)
{
    QPoint const pos = event->position().toPoint();
    if (pos.y() > d->stripHeight && logicalIndexAt(pos.x()) != -1 && !d->customCursorSet)
        setCustomCursor();
    QHeaderView::enterEvent(event);
}

void XSheetFooter::mouseMoveEvent(QMouseEvent* event)
{
    QPoint const pos = event->position().toPoint();
    int const section = logicalIndexAt(pos.x());
    if (pos.y() > d->stripHeight && section != -1) {
        setSectionsMovable(true);
        if (!d->customCursorSet)
            setCustomCursor();
    } else {
        if (pos.y() <= d->stripHeight)
            setSectionsMovable(false);
        // A column being dragged keeps its cursor off the handle too.
        if (d->customCursorSet && !(event->buttons() & Qt::LeftButton))
            clearCustomCursor();
    }
    QHeaderView::mouseMoveEvent(event);
}

void XSheetFooter::leaveEvent(QEvent* event)
{
    if (d->customCursorSet)
        clearCustomCursor();
    QHeaderView::leaveEvent(event);
}

void XSheetFooter::mouseReleaseEvent(QMouseEvent* event)
{
    if (!(event->buttons() & Qt::RightButton)) {
        QPoint const pos = event->position().toPoint();
        int const section = logicalIndexAt(pos.x());
        if ((pos.y() <= d->stripHeight || section == -1) && d->customCursorSet)
            clearCustomCursor();
        if (section != -1 && sectionHasOpacity(section) && pos.y() < d->stripHeight)
            emit opacityClicked(section);
    }
    QHeaderView::mouseReleaseEvent(event);
}

void XSheetFooter::contextMenuEvent(QContextMenuEvent* event)
{
    emit rightClickedLayer(XSheetHeader::visualLayerSectionAt(this, event->pos().x()), event->globalPos());
}

bool XSheetFooter::event(QEvent* event)
{
    if (event->type() != QEvent::ToolTip)
        return QHeaderView::event(event);
    auto* help = static_cast<QHelpEvent*>(event);
    int const section = logicalIndexAt(help->pos().x());
    int const y = help->pos().y();
    QString text;
    if (section != -1 && model()) {
        int const type = model()->headerData(section, Qt::Horizontal, Roles::LayerTypeRole).toInt();
        if (type >= 1 && type <= 3 && y < d->stripHeight)
            text = tr("Layer Opacity");
        else if (y > d->stripHeight)
            text = (type == 4 || type == 5) ? tr("Arrange Column") : tr("Arrange Layer");
    }
    if (!text.isEmpty()) {
        QToolTip::showText(help->globalPos(), text, this);
    } else {
        QToolTip::hideText();
        event->ignore();
    }
    return true;
}

void XSheetFooter::paintEmptyArea(QPainter* painter, QRect const& rect) const
{
    painter->fillRect(QRect(rect.left(), rect.top(), rect.width(), d->stripHeight), d->stripGradient);
    painter->fillRect(QRect(rect.left(), rect.top() + d->stripHeight, rect.width(),
                            rect.height() - d->stripHeight),
                      d->handleGradient);
    painter->save();
    painter->setPen(QColor(114, 110, 107));
    painter->drawLine(QPointF(rect.left(), rect.top() + 0.5), QPointF(rect.right() + 1, rect.top() + 0.5));
    painter->drawLine(QPointF(rect.left(), rect.top() + d->stripHeight + 0.5),
                      QPointF(rect.right() + 1, rect.top() + d->stripHeight + 0.5));
    painter->restore();
}

void XSheetFooter::paintSection(QPainter* painter, QRect const& rect, int section) const
{
    if (!rect.isValid())
        return;
    painter->save();
    QRect const strip(rect.left(), rect.top(), rect.width(), d->stripHeight);
    QRect const handle(rect.left(), rect.top() + d->stripHeight, rect.width(),
                       rect.height() - d->stripHeight);
    if (!sectionHasOpacity(section)) {
        painter->fillRect(strip, d->stripGradient);
    } else {
        QColor color = model()->headerData(section, Qt::Horizontal, Roles::LayerColorRole).value<QColor>();
        color.setAlphaF(float(std::clamp(
            model()->headerData(section, Qt::Horizontal, Roles::LayerOpacityRole).toDouble(), 0.0, 1.0)));
        painter->fillRect(strip, d->checkerLightGradient);
        painter->setPen(Qt::NoPen);
        painter->setBrush(d->checkerDarkGradient);
        painter->drawPath(d->checkerboardPath(strip, offset()));
        painter->setRenderHint(QPainter::Antialiasing, true);
        double const c = strip.left() + strip.width() / 2.0;
        QPolygonF const wedge{QPointF(c - 6, strip.top()), QPointF(strip.right(), strip.top()),
                              QPointF(strip.right(), strip.top() + d->stripHeight),
                              QPointF(c + 6, strip.top() + d->stripHeight)};
        painter->setBrush(color);
        painter->drawPolygon(wedge);
        painter->setRenderHint(QPainter::Antialiasing, false);
        painter->fillRect(QRect(strip.right(), strip.top(), 1, strip.height()), d->stripGradient);
    }
    painter->fillRect(handle, d->handleGradient);

    float const s = d->scale;
    painter->setPen(QColor(64, 64, 64));
    int const cx = (rect.left() + rect.right()) / 2;
    int const cy = (handle.top() + rect.bottom()) / 2;
    for (double x : {cx - 5.0 * s, double(cx), cx + 5.0 * s})
        painter->drawLine(QPointF(x, cy - 3 * s), QPointF(x, cy + 6 * s));

    if (width() > rect.right() + 1) {
        painter->setPen(QColor(0, 0, 0, 64));
        painter->drawLine(QPointF(rect.right() + 0.5, rect.top()), QPointF(rect.right() + 0.5, rect.bottom() + 1));
    }
    painter->setPen(QColor(114, 110, 107));
    painter->drawLine(QPointF(rect.left(), rect.top() + 0.5), QPointF(rect.right() + 1, rect.top() + 0.5));
    painter->drawLine(QPointF(rect.left(), rect.top() + d->stripHeight + 0.5),
                      QPointF(rect.right() + 1, rect.top() + d->stripHeight + 0.5));
    painter->restore();
}

} // namespace UI
