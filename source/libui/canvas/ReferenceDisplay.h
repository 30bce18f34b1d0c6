#pragma once

#include "settings/KW.h"

#include <QByteArray>
#include <QWidget>

#include <memory>

namespace Model {
class KWScene;
}

namespace UI {

// A second window that shows only the current frame of the current scene,
// fitted into the window, for a client's or a second screen. With several
// screens it first opens full screen on a screen other than its own. It has
// no tools: it repaints when the scene's active frame, scrub frame or pixels
// change, toggles full screen on a double click, remembers its geometry and
// hands its key presses on. Closing it only hides it.
class ReferenceDisplay : public QWidget
{
    Q_OBJECT

public:
    explicit ReferenceDisplay(QWidget* parent);
    ~ReferenceDisplay() override;

    // The geometry to store: the live one while shown, the one taken when it
    // was last hidden otherwise.
    QByteArray savedGeometry() const;
    void setSavedGeometry(QByteArray const& geometry);

    // The window size that a frame opens at on a screen: the frame in device
    // pixels, halved until it fits the available area.
    static QSize openingSize(QSize const& frameSize, QSizeF const& available,
                             qreal devicePixelRatio);
    // How long a full-screen window stays up in normal state before it hides;
    // the platform needs the time to leave full screen.
    static int hideDelay();
    static void setHideDelay(int ms);

public slots:
    void setCurrentScene(Model::KWScene* scene);
    void setVisibility(bool visible);
    void setTransparencyType(KW::TransparencyType type);
    void toggleFullScreen();

signals:
    void hidden();
    void keyPressed(QKeyEvent* event);
    void keyReleased(QKeyEvent* event);

protected:
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void showEvent(QShowEvent* event) override;
    void hideEvent(QHideEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void keyReleaseEvent(QKeyEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;

private:
    struct ReferenceDisplayPrivate;
    std::unique_ptr<ReferenceDisplayPrivate> d;
};

} // namespace UI
