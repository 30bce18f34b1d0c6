#include "panels/ToolSettings.h"

#include "common/UIScale.h"
#include "panels/ToolPocket.h"
#include "panels/ToolPresets.h"
#include "panels/ToolSettingsShadowEffect.h"
#include "panels/ToolSliders.h"

#include <QLinearGradient>
#include <QPainter>
#include <QVBoxLayout>

namespace UI {

namespace {

QLinearGradient topShade(double depth)
{
    QLinearGradient shade(0, 0, 0, depth);
    shade.setColorAt(0, QColor(0, 0, 0, 30));
    shade.setColorAt(1, QColor(0, 0, 0, 0));
    return shade;
}

const QColor panelColour(88, 84, 80);

} // namespace

struct ToolSettings::Private
{
    virtual ~Private() = default;

    bool popup = false;
    Model::Tool::Type toolType = Model::Tool::Draw;
    QLinearGradient topShade = UI::topShade(32);
    QLinearGradient topEdgeShade = UI::topShade(4);
    QVBoxLayout* layout = nullptr;
    ToolPocket* pocket = nullptr;
    ToolSliders* sliders = nullptr;
    ToolPresets* presets = nullptr;
};

ToolSettings::ToolSettings(Model::Tool::Type type, QWidget* parent)
    : QWidget(parent), d(std::make_unique<Private>())
{
    d->toolType = type;
    setFocusPolicy(Qt::NoFocus);
    d->layout = new QVBoxLayout(this);
    d->layout->setContentsMargins(0, 0, 0, 0);
    d->layout->setSpacing(0);
    d->sliders = new ToolSliders(type, this);
    d->layout->addWidget(d->sliders, 1);
    if (type == Model::Tool::Draw) {
        d->presets = new ToolPresets(this);
        d->layout->addWidget(d->presets, 1);
        connect(d->presets, &ToolPresets::resized, this, &QWidget::adjustSize);
    } else {
        adjustSize();
    }
    setGraphicsEffect(new ToolSettingsShadowEffect(this));
    updateUISize();
}

ToolSettings::~ToolSettings() = default;

void ToolSettings::updateUISize()
{
    setFixedWidth(scaled(217));
    if (d->pocket)
        d->pocket->updateUISize();
    d->sliders->updateUISize();
    if (d->presets)
        d->presets->updateUISize();
    update();
    updateGeometry();
}

void ToolSettings::setToolPocket(ToolPocket* pocket)
{
    if (d->pocket) {
        disconnect(d->pocket, nullptr, this, nullptr);
        disconnect(d->pocket, nullptr, d->sliders, nullptr);
        d->layout->removeWidget(d->pocket);
        d->pocket->hide();
    }
    d->pocket = pocket;
    if (!pocket)
        return;
    pocket->hide();
    d->layout->insertWidget(0, pocket, 1);
    connect(pocket, &ToolPocket::pressed, d->sliders, &ToolSliders::setCurrentToolIdx);
    if (d->popup && isVisible())
        pocket->show();
}

void ToolSettings::setPopup(bool popup)
{
    d->popup = popup;
    if (d->pocket) {
        d->pocket->setPopup(popup);
        d->pocket->setVisible(popup);
    }
    adjustSize();
}

bool ToolSettings::isPopup() const
{
    return d->popup;
}

void ToolSettings::moveTopCenter(QPoint p)
{
    move(p.x() - width() / 2, p.y() - 2);
}

bool ToolSettings::showTool(int toolIdx)
{
    if (isVisible() && d->sliders->currentToolIdx() == toolIdx) {
        hide();
        return false;
    }
    d->sliders->setCurrentToolIdx(toolIdx);
    update();
    adjustSize();
    setFocus(Qt::OtherFocusReason);
    show();
    return true;
}

ToolSliders* ToolSettings::sliders() const
{
    return d->sliders;
}

ToolPresets* ToolSettings::presets() const
{
    return d->presets;
}

ToolPocket* ToolSettings::toolPocket() const
{
    return d->pocket;
}

void ToolSettings::focusOutEvent(QFocusEvent* event)
{
    QWidget::focusOutEvent(event);
    if (isVisible())
        emit lostFocus();
}

void ToolSettings::hideEvent(QHideEvent* event)
{
    QWidget::hideEvent(event);
    d->popup = false;
    if (d->pocket) {
        d->pocket->setPopup(false);
        d->pocket->hide();
    }
    adjustSize();
}

void ToolSettings::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setPen(Qt::NoPen);
    painter.setBrush(panelColour);
    painter.drawRoundedRect(QRectF(rect()), 6.5, 6.5);
    if (d->popup)
        return;
    // Hanging from the controls bar: square top corners in its shade.
    const QRectF band(0, 0, width(), 32);
    painter.fillRect(band, panelColour);
    painter.fillRect(band, d->topShade);
    painter.fillRect(band, d->topEdgeShade);
}

} // namespace UI
