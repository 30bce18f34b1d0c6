#include "canvas/TextBubble.h"

#include <QGraphicsDropShadowEffect>
#include <QPainter>
#include <QPainterPath>

#include <algorithm>

namespace UI {

namespace {
constexpr int triangleHeight = 5;
constexpr double halfBase = 5.0;
constexpr double radius = 2.5;
} // namespace

struct TextBubble::Private
{
    QString text;
    QRectF bubbleRect;
    int pointerX = -1;
    QSize bubbleSize{12, 16};
};

TextBubble::TextBubble(QWidget* parent)
    : QWidget(parent)
    , d(std::make_unique<Private>())
{
    auto* shadow = new QGraphicsDropShadowEffect(this);
    shadow->setBlurRadius(6.0);
    shadow->setOffset(0, 2);
    shadow->setColor(QColor(31, 31, 31, 180));
    setGraphicsEffect(shadow);
    setAttribute(Qt::WA_TransparentForMouseEvents);
}

TextBubble::~TextBubble() = default;

void TextBubble::setNumber(int number)
{
    setText(QString::number(number));
}

void TextBubble::setText(const QString& text)
{
    d->text = text;
    d->bubbleSize = QSize(7 * int(text.size()) + 12, 16);
    update();
}

QString TextBubble::text() const
{
    return d->text;
}

QSize TextBubble::bubbleSize() const
{
    return d->bubbleSize;
}

int TextBubble::traingleHeight() const
{
    return triangleHeight;
}

void TextBubble::setBubbleParams(QRect rect, int pointerX)
{
    const int left = std::min(rect.left(), pointerX);
    d->bubbleRect = QRectF(rect.left() - left, 0, rect.width(), rect.height());
    d->pointerX = pointerX - left;
    move(left, rect.top());
    // Wide enough for the body and the pointer, tall enough for the triangle.
    resize(std::max(pointerX, rect.right()) - left + 1, rect.height() + triangleHeight);
    update();
}

void TextBubble::paintEvent(QPaintEvent*)
{
    const QRectF r = d->bubbleRect;
    if (r.width() <= 0 || r.height() <= 0)
        return;
    QPainter p(this);
    p.setRenderHint(QPainter::Antialiasing);
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(0, 0, 0, 192));
    p.drawRoundedRect(r, radius, radius);
    const double b = r.y() + r.height();
    double from = d->pointerX - halfBase;
    double to = d->pointerX + halfBase;
    const double lowLimit = r.left() + radius;
    const double highLimit = r.right() - radius;
    if (highLimit - lowLimit >= 2 * halfBase) {
        if (to > highLimit) {
            from -= to - highLimit;
            to = highLimit;
        }
        if (from < lowLimit) {
            to += lowLimit - from;
            from = lowLimit;
        }
    }
    QPainterPath triangle;
    triangle.moveTo(from, b);
    triangle.lineTo(to, b);
    triangle.lineTo(d->pointerX, b + triangleHeight);
    triangle.closeSubpath();
    p.drawPath(triangle);
    QFont font = p.font();
    font.setPixelSize(11);
    p.setFont(font);
    p.setPen(Qt::white);
    p.drawText(r, Qt::AlignCenter, d->text);
}

} // namespace UI
