#include "style/KWProxyStyle.h"

#include "settings/Settings.h"
#include "xsheet/XSheetFooter.h"

#include <QLinearGradient>
#include <QPainter>
#include <QStyleOption>

#include <algorithm>

namespace UI {

namespace {

bool has(QWidget const* widget, char const* property)
{
    return widget && widget->property(property).toBool();
}

bool isXSheetBar(QWidget const* widget)
{
    return has(widget, "X-Sheet ScrollBar");
}

bool isActionsListBar(QWidget const* widget)
{
    return has(widget, "ActionsList ScrollBar");
}

QPen twoPixelPen(QColor const& color)
{
    return QPen(QBrush(color), 2.0, Qt::SolidLine, Qt::SquareCap, Qt::BevelJoin);
}

QLinearGradient vertical(double top, QColor const& topColor, double bottom, QColor const& bottomColor)
{
    QLinearGradient gradient(0, top, 0, bottom);
    gradient.setColorAt(0, topColor);
    gradient.setColorAt(1, bottomColor);
    return gradient;
}

// Black shadow falling off from the first point to the second.
QLinearGradient shadow(QPointF from, QPointF to)
{
    QLinearGradient gradient(from, to);
    gradient.setColorAt(0.0, QColor(0, 0, 0, 67));
    gradient.setColorAt(0.5, QColor(0, 0, 0, 15));
    gradient.setColorAt(1.0, QColor(0, 0, 0, 0));
    return gradient;
}

} // namespace

KWProxyStyle::KWProxyStyle(QStyle* base)
    : QProxyStyle(base)
{
}

int KWProxyStyle::pixelMetric(PixelMetric metric, QStyleOption const* option, QWidget const* widget) const
{
    int const value = QProxyStyle::pixelMetric(metric, option, widget);
    if (metric == PM_ScrollBarExtent && widget) {
        if (isXSheetBar(widget))
            return value + 2;
        if (isActionsListBar(widget))
            return value - 8;
    }
    return value;
}

QPixmap KWProxyStyle::generatedIconPixmap(QIcon::Mode, QPixmap const& pixmap, QStyleOption const*) const
{
    return pixmap;
}

void KWProxyStyle::drawPrimitive(PrimitiveElement element, QStyleOption const* option, QPainter* painter,
                                 QWidget const* widget) const
{
    switch (element) {
    case PE_FrameLineEdit:
        if (has(widget, "X-Sheet layer rename"))
            return;
        break;
    case PE_PanelLineEdit:
        if (has(widget, "X-Sheet Header"))
            return;
        if (has(widget, "X-Sheet layer rename")) {
            painter->save();
            painter->setRenderHint(QPainter::Antialiasing, true);
            painter->setPen(QColor(0x78, 0x75, 0x71));
            painter->setBrush(QColor(0x78, 0x75, 0x71));
            QRect const r = option->rect;
            painter->drawRoundedRect(QRectF(r.x(), r.y(), r.width(), r.height()), 4, 4);
            painter->restore();
            return;
        }
        break;
    case PE_PanelScrollAreaCorner: {
        QRect const r = option->rect;
        painter->save();
        painter->fillRect(r, vertical(r.top() + 1, QColor(0x6A, 0x66, 0x62), r.bottom() + 1,
                                      QColor(0x56, 0x52, 0x4F)));
        painter->setPen(twoPixelPen(QColor(0x71, 0x6D, 0x69)));
        painter->drawLine(r.topLeft(), r.topRight());
        painter->restore();
        return;
    }
    default:
        break;
    }
    QProxyStyle::drawPrimitive(element, option, painter, widget);
}

void KWProxyStyle::drawControl(ControlElement element, QStyleOption const* option, QPainter* painter,
                               QWidget const* widget) const
{
    switch (element) {
    case CE_MenuItem:
        if (auto const* item = qstyleoption_cast<QStyleOptionMenuItem const*>(option)) {
            QStyleOptionMenuItem copy = *item;
            qsizetype const tab = copy.text.lastIndexOf(QLatin1Char('\t'));
            if (tab >= 0) {
                // A shortcut that uses the ampersand key shows the ampersand.
                QString shortcut = copy.text.mid(tab);
                shortcut.replace(QLatin1String("&"), QLatin1String("&&"));
                copy.text = copy.text.left(tab) + shortcut;
            }
            QProxyStyle::drawControl(element, &copy, painter, widget);
            return;
        }
        break;
    case CE_HeaderEmptyArea:
        if (has(widget, "X-Sheet Header")) {
            int const h = int(Model::Settings::instance()->UIScaleFraction() * 28);
            QRect const r = option->rect;
            QRect const upper(QPoint(r.left(), r.top()), QPoint(r.right(), r.top() + h - 1));
            QRect const lower(QPoint(r.left(), r.top() + h), r.bottomRight());
            painter->save();
            painter->fillRect(upper, vertical(r.top() + 1, QColor(0x64, 0x60, 0x5C), r.top() + h,
                                              QColor(0x74, 0x70, 0x6C)));
            painter->fillRect(lower, vertical(r.top() + h + 1, QColor(0x5C, 0x58, 0x54), r.bottom() + 1,
                                              QColor(0x74, 0x70, 0x6C)));
            painter->setPen(QColor(0x3C, 0x38, 0x34));
            for (double y : {r.top() + 0.5, r.bottom() + 0.5, r.top() + h + 0.5})
                painter->drawLine(QPointF(r.left(), y), QPointF(r.right() + 1, y));
            painter->restore();
            return;
        }
        if (auto const* footer = qobject_cast<XSheetFooter const*>(widget)) {
            footer->paintEmptyArea(painter, option->rect);
            return;
        }
        break;
    case CE_Splitter: {
        QRect const r = option->rect;
        int const x = r.x();
        int const y = r.y();
        int const w = r.width();
        int const h = r.height();
        painter->save();
        painter->fillRect(r, QColor(0x84, 0x80, 0x7C));
        QPen pen = twoPixelPen(QColor(0x40, 0x40, 0x40));
        painter->setPen(pen);
        painter->drawLine(x, y, x, y + h);
        painter->drawLine(x + w, y, x + w, y + h);
        pen.setColor(QColor(0x3C, 0x38, 0x34));
        painter->setPen(pen);
        painter->drawLine(x, y, x + w, y);
        pen.setColor(QColor(0x50, 0x50, 0x50));
        pen.setWidthF(1.0);
        painter->setPen(pen);
        painter->setRenderHint(QPainter::Antialiasing, true);
        QPointF const c = QRectF(r).center();
        painter->drawLine(QPointF(c.x(), c.y() - 6), QPointF(c.x(), c.y() + 6));
        painter->restore();
        return;
    }
    default:
        break;
    }
    QProxyStyle::drawControl(element, option, painter, widget);
}

void KWProxyStyle::drawComplexControl(ComplexControl control, QStyleOptionComplex const* option,
                                      QPainter* painter, QWidget const* widget) const
{
    auto const* slider = qstyleoption_cast<QStyleOptionSlider const*>(option);
    if (control != CC_ScrollBar || !slider || slider->version < 1 || !widget
        || (!isXSheetBar(widget) && !isActionsListBar(widget))) {
        QProxyStyle::drawComplexControl(control, option, painter, widget);
        return;
    }
    QRect const r = option->rect;
    QRect const handle = subControlRect(control, option, SC_ScrollBarSlider, widget);
    painter->save();
    painter->setRenderHint(QPainter::Antialiasing, true);
    if (isXSheetBar(widget)) {
        if (slider->orientation == Qt::Vertical) {
            painter->fillRect(r, QColor(0x73, 0x70, 0x6C));
            painter->setPen(twoPixelPen(QColor(0x7A, 0x76, 0x72)));
            painter->drawLine(0, 0, 0, r.height());
            painter->fillRect(QRect(QPoint(r.left(), r.top()), QPoint(r.right(), r.top() + 31)),
                              shadow(QPointF(r.left(), r.top()), QPointF(r.left(), r.top() + 31)));
            painter->fillRect(QRect(QPoint(r.left(), r.bottom() - 31), QPoint(r.right(), r.bottom())),
                              shadow(QPointF(r.left(), r.bottom()), QPointF(r.left(), r.bottom() - 31)));
        } else {
            painter->fillRect(r, vertical(r.top() + 1, QColor(0x6A, 0x66, 0x62), r.bottom() + 1,
                                          QColor(0x56, 0x52, 0x4F)));
            painter->setPen(twoPixelPen(QColor(0x71, 0x6D, 0x69)));
            painter->drawLine(0, 0, r.width(), 0);
        }
        painter->setPen(Qt::NoPen);
        painter->setBrush(QColor(0, 0, 0, 64));
        painter->drawRoundedRect(handle, 4, 4);
    } else {
        painter->setPen(Qt::NoPen);
        painter->setBrush(QColor(43, 41, 39, 128));
        double const radius = std::min(handle.width(), handle.height()) / 2.0;
        painter->drawRoundedRect(handle, radius, radius);
    }
    painter->restore();
}

QRect KWProxyStyle::subControlRect(ComplexControl control, QStyleOptionComplex const* option,
                                   SubControl subControl, QWidget const* widget) const
{
    auto const* slider = qstyleoption_cast<QStyleOptionSlider const*>(option);
    if (control != CC_ScrollBar || !slider || slider->version < 1 || !widget
        || (!isXSheetBar(widget) && !isActionsListBar(widget)))
        return QProxyStyle::subControlRect(control, option, subControl, widget);
    int const width = option->rect.width();
    int const height = option->rect.height();
    bool const horizontal = slider->orientation == Qt::Horizontal;
    switch (subControl) {
    case SC_ScrollBarAddLine:
    case SC_ScrollBarSubLine:
    case SC_ScrollBarFirst:
    case SC_ScrollBarLast:
        // No arrow buttons: the ends belong to the page areas.
        return QRect();
    case SC_ScrollBarGroove:
        return option->rect;
    case SC_ScrollBarSlider: {
        int const length = horizontal ? width : height;
        int const range = slider->maximum - slider->minimum;
        int sliderLength = length;
        if (range != 0)
            sliderLength = int(qint64(length) * slider->pageStep / (qint64(range) + slider->pageStep));
        sliderLength = std::clamp(sliderLength, 0, length);
        int const position = sliderPositionFromValue(slider->minimum, slider->maximum, slider->sliderPosition,
                                                     length - sliderLength, slider->upsideDown);
        if (isXSheetBar(widget)) {
            if (horizontal)
                return QRect(QPoint(position + 2, 4), QPoint(position + sliderLength - 3, height - 5));
            return QRect(QPoint(4, position + 2), QPoint(width - 5, position + sliderLength - 3));
        }
        if (horizontal)
            return QRect(position, 0, sliderLength, height);
        return QRect(0, position, width, sliderLength);
    }
    default:
        return QProxyStyle::subControlRect(control, option, subControl, widget);
    }
}

} // namespace UI
