#pragma once

#include <QWidget>

#include <memory>

class QAction;

namespace UI {

class SpeedDialGraphicsEffect;

// A circular picker of eight actions shown around the pointer while a key is
// held. Moving the pointer from the hub toward a slot selects it; a click or
// selectAndHide() (the key released) triggers it, shows it alone for a moment
// and hides the dial. While shown the dial grabs the mouse.
class SpeedDial : public QWidget
{
    Q_OBJECT

public:
    explicit SpeedDial(QWidget* parent = nullptr);
    ~SpeedDial() override;

    void updateUISize();
    // Fills the slots from eight keys joined by "|"; missing tokens leave
    // their slots as they were, unknown ones empty them.
    void restoreSettings(const QString& layout);
    // Always eight tokens, empty for an empty slot.
    QString saveSettings() const;

    bool isShowingSelectionHighlight() const;
    void setHideAfterPostSelectionHighlight(bool hide);
    void setInfoBoxHtml(const QString& html);
    void disableInfoBoxUntilNextHide();
    SpeedDialGraphicsEffect* effect() const;
    // How long the chosen slot stays highlighted; tests shorten it.
    void setPostSelectionInterval(int ms);

signals:
    void functionSelected(const QAction* function);

public slots:
    void selectAndHide();

protected:
    bool event(QEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void paintEvent(QPaintEvent* event) override;
    void showEvent(QShowEvent* event) override;
    void hideEvent(QHideEvent* event) override;
    void timerEvent(QTimerEvent* event) override;

private:
    void endPostSelectionHighlight();
    void trigger(QAction* action);

    struct Private;
    std::unique_ptr<Private> d;
};

} // namespace UI
