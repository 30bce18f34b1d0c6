#pragma once

#include "tools/Tool.h"

#include <QPoint>
#include <QVariant>

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

public slots:
    void setCursorType(Model::ZPRTool::ZPRCursorType cursorType);
    void setPressPosGlobal(QPoint pos);

private:
    ZPRCursorType m_cursorType = CursorPan;
    QCursor m_panCursor;
    QCursor m_rotateCursor;
    QCursor m_zoomCursor;
    QVariant m_pressPosGlobal;
};

} // namespace Model
