#include "dialogs/BacklightSliders.h"

#include <QMouseEvent>
#include <QPainter>

#include <algorithm>
#include <cmath>

namespace UI {

namespace {
constexpr int columns = 9;
constexpr int currentColumn = 4;
constexpr int gap = 2;
} // namespace

struct BacklightSliders::Private
{
    Model::BacklightSetting setting;
    QList<double> barHeights;
    double columnWidth = 202.0 / 9;
    double barWidth = 184.0 / 9;
    int barAreaHeight = 90;
    int pressedColumn = -1;
    bool tracking = true;

    void computeBarHeights()
    {
        barHeights = QList<double>(columns, 0.0);
        const QList<double>& before = setting.opacityLevelsBefore;
        const QList<double>& after = setting.opacityLevelsAfter;
        for (int c = 0; c < currentColumn; ++c) {
            const int i = currentColumn - 1 - c;
            barHeights[c] = i < before.size() ? barAreaHeight * before[i] : 0.0;
        }
        barHeights[currentColumn] = barAreaHeight;
        for (int c = currentColumn + 1; c < columns; ++c) {
            const int i = c - currentColumn - 1;
            barHeights[c] = i < after.size() ? barAreaHeight * after[i] : 0.0;
        }
    }

    // Stores the bar height under the pointer for the pressed column.
    void trackPointer(const QPointF& pos)
    {
        const int y = int(std::lround(pos.y()));
        double height = std::clamp(double(barAreaHeight - y), 0.0, double(barAreaHeight));
        if (height / barAreaHeight < 0.05)
            height = 0.0;
        if (pressedColumn >= 0 && pressedColumn != currentColumn)
            barHeights[pressedColumn] = height;
    }

    void setLevel(int c)
    {
        if (c < 0 || c == currentColumn || c >= columns)
            return;
        const double level = barHeights[c] / barAreaHeight;
        QList<double>& list = c < currentColumn ? setting.opacityLevelsBefore : setting.opacityLevelsAfter;
        const int index = c < currentColumn ? currentColumn - 1 - c : c - currentColumn - 1;
        while (list.size() <= index)
            list.append(0.0);
        list[index] = level;
    }

    int columnAt(const QPointF& pos) const
    {
        const double x = std::round(pos.x());
        if (x < 0)
            return -1;
        const int c = int(std::floor(x / columnWidth));
        if (c == currentColumn || c >= columns || x - c * columnWidth >= barWidth)
            return -1;
        return c;
    }

    double columnX(int c) const { return c * columnWidth; }
};

BacklightSliders::BacklightSliders(QWidget* parent)
    : QWidget(parent)
    , d(std::make_unique<Private>())
{
    setMinimumSize(200, 90);
    setSizePolicy(QSizePolicy::Fixed, QSizePolicy::Fixed);
    d->computeBarHeights();
}

BacklightSliders::~BacklightSliders() = default;

void BacklightSliders::setBacklightSetting(const Model::BacklightSetting& setting)
{
    d->setting = setting;
    d->computeBarHeights();
    update();
}

Model::BacklightSetting BacklightSliders::backlightSetting() const
{
    return d->setting;
}

void BacklightSliders::mousePressEvent(QMouseEvent* event)
{
    d->pressedColumn = d->columnAt(event->position());
    mouseMoveEvent(event);
    event->accept();
}

void BacklightSliders::mouseMoveEvent(QMouseEvent* event)
{
    if (d->pressedColumn == -1)
        return;
    d->trackPointer(event->position());
    if (d->tracking) {
        d->setLevel(d->pressedColumn);
        emit backlightSettingChanged(d->setting);
    }
    update();
}

void BacklightSliders::mouseReleaseEvent(QMouseEvent* event)
{
    if (d->pressedColumn == -1)
        return;
    d->trackPointer(event->position());
    d->setLevel(d->pressedColumn);
    emit backlightSettingChanged(d->setting);
    update();
    d->pressedColumn = -1;
}

void BacklightSliders::resizeEvent(QResizeEvent* event)
{
    QWidget::resizeEvent(event);
    d->columnWidth = (width() + gap) / double(columns);
    d->barWidth = d->columnWidth - gap;
    d->barAreaHeight = height();
    d->computeBarHeights();
}

void BacklightSliders::paintEvent(QPaintEvent*)
{
    QPainter p(this);
    const int H = height();
    const double opacity = p.opacity();
    p.setOpacity(opacity * 0.5);
    for (int c = 0; c < columns; ++c)
        p.fillRect(QRectF(d->columnX(c), 0, d->barWidth, H), palette().brush(QPalette::Base));
    for (int c = 0; c < columns; ++c) {
        p.setOpacity(c == currentColumn ? opacity * 0.4 : opacity);
        const double h = d->barHeights[c];
        p.fillRect(QRectF(d->columnX(c), H - h, d->barWidth, h), palette().brush(QPalette::WindowText));
    }
}

} // namespace UI
