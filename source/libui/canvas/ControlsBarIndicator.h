#pragma once

#include <QSvgWidget>

namespace UI {

// A state light of the controls bar (mirror, backlight): its artwork shows
// only while the state is on, but it keeps its place in the bar either way,
// so the bar's layout does not jump.
class ControlsBarIndicator : public QSvgWidget
{
    Q_OBJECT

public:
    ControlsBarIndicator(QString const& svgFile, QWidget* parent);

    bool isIndicatorVisible() const;

public slots:
    void setIndicatorVisible(bool visible);
    void updateUISize();

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    bool m_indicatorVisible = false;
};

} // namespace UI
