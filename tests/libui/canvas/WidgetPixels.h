#pragma once

#include <QImage>
#include <QWidget>

namespace WidgetPixels {

// The widget's own painting over nothing: no window background, no parent,
// so translucent painting keeps its alpha.
inline QImage paintedAlone(QWidget& widget)
{
    QImage image(widget.size(), QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    widget.render(&image, QPoint(), QRegion(), QWidget::RenderFlags());
    return image;
}

} // namespace WidgetPixels
