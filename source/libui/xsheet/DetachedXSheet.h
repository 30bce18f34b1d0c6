#pragma once

#include <QByteArray>
#include <QWidget>

namespace UI {

// The tool window into which the X-sheet pane moves when it is detached. It
// never takes focus, hands its keys to the main window, remembers its own
// geometry, and only hides on a close request, reporting hidden() so that the
// sheet can be docked back.
class DetachedXSheet : public QWidget
{
    Q_OBJECT

public:
    explicit DetachedXSheet(QWidget* parent = nullptr);

    // The current geometry while shown, else the one kept from the last hide
    // (or given with setSavedGeometry).
    QByteArray savedGeometry() const;
    void setSavedGeometry(const QByteArray& geometry);

signals:
    void hidden();
    void keyPressed(QKeyEvent* event);
    void keyReleased(QKeyEvent* event);

protected:
    void closeEvent(QCloseEvent* event) override;
    void hideEvent(QHideEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void keyReleaseEvent(QKeyEvent* event) override;
    void showEvent(QShowEvent* event) override;

private:
    QByteArray m_savedGeometry;
};

} // namespace UI
