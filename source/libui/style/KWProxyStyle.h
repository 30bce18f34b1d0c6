#pragma once

#include <QProxyStyle>

namespace UI {

// The application's style: the platform's own style with a handful of
// elements drawn our way. Widgets opt in with boolean dynamic properties:
// "X-Sheet ScrollBar" (thicker bars with their own groove and slider),
// "ActionsList ScrollBar" (thinner bars, slider only), "X-Sheet Header" (its
// own empty area), "X-Sheet layer rename" (a frameless rounded panel). The
// exposure-sheet footer paints its own empty area. Splitter handles, the
// scroll-area corner and shortcut texts with an ampersand are changed for
// every widget; icons look the same in every mode.
class KWProxyStyle : public QProxyStyle
{
    Q_OBJECT

public:
    explicit KWProxyStyle(QStyle* base = nullptr);

    void drawPrimitive(PrimitiveElement element, QStyleOption const* option, QPainter* painter,
                       QWidget const* widget = nullptr) const override;
    void drawControl(ControlElement element, QStyleOption const* option, QPainter* painter,
                     QWidget const* widget = nullptr) const override;
    void drawComplexControl(ComplexControl control, QStyleOptionComplex const* option, QPainter* painter,
                            QWidget const* widget = nullptr) const override;
    QRect subControlRect(ComplexControl control, QStyleOptionComplex const* option, SubControl subControl,
                         QWidget const* widget = nullptr) const override;
    int pixelMetric(PixelMetric metric, QStyleOption const* option = nullptr,
                    QWidget const* widget = nullptr) const override;
    QPixmap generatedIconPixmap(QIcon::Mode mode, QPixmap const& pixmap,
                                QStyleOption const* option) const override;
};

} // namespace UI
