#pragma once

#include <QGraphicsEffect>

#include <memory>

namespace UI {

// The soft shadow of a tool settings panel: on the sides and below, and
// above too while the panel floats as a pop-up.
class ToolSettingsShadowEffect : public QGraphicsEffect
{
    Q_OBJECT

public:
    explicit ToolSettingsShadowEffect(QObject* parent = nullptr);
    ~ToolSettingsShadowEffect() override;

    bool isPopup() const;
    QRectF boundingRectFor(const QRectF& rect) const override;

protected:
    void draw(QPainter* painter) override;

private:
    struct Private;
    std::unique_ptr<Private> d;
};

} // namespace UI
