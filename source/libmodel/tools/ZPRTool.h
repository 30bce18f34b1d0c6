#pragma once

#include "tools/Tool.h"

#include <QPoint>
#include <QVariant>

#include <memory>
#include <optional>

class QSvgRenderer;

namespace Model {

// Zooms, pans and turns the view in one tool; the canvas picks which of the
// three cursors shows from where the pointer is.
class ZPRTool : public Tool
{
    Q_OBJECT

public:
    enum ZPRCursorType { CursorRotate = 0, CursorPan = 1, CursorZoom = 2 };
    Q_ENUM(ZPRCursorType)

    explicit ZPRTool(QObject* parent = nullptr);
    ~ZPRTool() override;

    Tool* clone() const override;
    QCursor cursor() const override;

    ZPRCursorType cursorType() const;
    // The pointer's global position at the press; empty until set.
    QVariant pressPosGlobal() const;
    void clearPressPosGlobal();

    // Loads the pan and zoom cursors and the rotate artwork, and renders the
    // rotate cursor for a view angle of 0.
    void prepareCursors();

public slots:
    void setCursorType(Model::ZPRTool::ZPRCursorType cursorType);
    void setPressPosGlobal(QPoint pos);
    // Turns the rotate cursor with the view (angle in degrees); changes of
    // less than a degree keep the present rendering.
    void setCursorAngle(double angle);

private:
    ZPRCursorType m_cursorType = CursorPan;
    QCursor m_panCursor;
    QCursor m_rotateCursor;
    QCursor m_zoomCursor;
    QVariant m_pressPosGlobal;
    std::unique_ptr<QSvgRenderer> m_rotateRenderer;
    std::optional<double> m_cursorAngle; // of the last rendering
};

} // namespace Model
