#pragma once

#include <QByteArray>
#include <QMargins>
#include <QRect>
#include <QWidget>

namespace UI {

// The tool window into which the X-sheet pane moves when it is detached. It
// never takes focus, hands its keys to the main window, remembers its own
// geometry, and only hides on a close request, reporting hidden() so that the
// sheet can be docked back. Without a geometry it can restore it opens where
// its owner last said (setOpeningGeometry).
class DetachedXSheet : public QWidget
{
    Q_OBJECT

public:
    explicit DetachedXSheet(QWidget* parent = nullptr);

    // The current geometry while shown, else the one kept from the last hide
    // (or given with setSavedGeometry).
    QByteArray savedGeometry() const;
    void setSavedGeometry(const QByteArray& geometry);

    // The window's own rectangle (its frame excluded) for a show with no
    // stored geometry, or one that cannot be restored.
    void setOpeningGeometry(const QRect& geometry);

    // Beside a work area of the main window, on the sheet's side: `width`
    // wide, as high as the work area with its frame, outside the work area
    // where the screen leaves room and always within `screen`. All rectangles
    // are in screen coordinates; the result excludes the frame.
    static QRect openingGeometry(const QRect& workArea, int width, bool onLeft,
                                 const QRect& screen, const QMargins& frame);

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
    QRect m_openingGeometry;
};

} // namespace UI
