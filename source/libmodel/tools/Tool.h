#pragma once

#include <QCursor>
#include <QObject>
#include <QPointF>

class QPixmap;

namespace Model {

// A tool says what a press on the canvas does and which cursor is shown. It
// holds state, not behaviour: the views read the current tool's type and state
// and act on them. The tool manager creates every tool once and owns it.
class Tool : public QObject
{
    Q_OBJECT
    Q_PROPERTY(QCursor cursor READ cursor NOTIFY cursorChanged)

public:
    // The values are stored and passed between views; never renumber them.
    enum Type {
        Draw = 0,
        Erase = 1,
        Hand = 2,
        Zoom = 3,
        Rotate = 4,
        ZPR = 5, // zoom, pan and rotate in one
        OffPegs = 6,
        Lasso = 7,
        Cutter = 8,
        FloatingSelection = 9,
        Scrubbing = 10,
        PenAdjustment = 11,
        NoTool = 12
    };
    Q_ENUM(Type)

    enum State { Usable = 0, Forbidden = 1, LayerNotVisible = 2, LayerOpacityZero = 3 };
    Q_ENUM(State)

    enum PenType { Pencil = 0, Marker = 1, Brush = 2 };
    Q_ENUM(PenType)

    enum EraserType { Kneaded = 0, Rubber = 1, Vinyl = 2 };
    Q_ENUM(EraserType)

    // The canvas zoom factor that sizes the drawing cursors, shared by all tools.
    static double m_zoomLevel;
    // Cleared by the application shell while it has not yet decided what a
    // press means; tools may act only while it is set.
    static bool m_enabled;

    ~Tool() override;

    // A new tool of the same class, type and parent, in state Usable.
    virtual Tool* clone() const = 0;
    virtual QCursor cursor() const = 0;
    virtual void refreshCursor();

    Type type() const;
    State state() const;
    // Set by the tool manager when the tool becomes current.
    void setState(State state);

    // Pen and eraser.
    static bool isDrawingType(Type type);
    // Lasso and cutter.
    static bool isLassoingType(Type type);
    // Tools whose work stays on the drawing: pen, eraser, lasso, cutter and
    // floating selection.
    static bool isPrimaryType(Type type);
    // Tools whose work is undone step by step: pen, eraser, floating selection.
    static bool isUndoType(Type type);

    // The centre of a painted cursor pixmap of W x H device pixels and device
    // pixel ratio r, ((W + r) / 2, (H + r) / 2): the middle of the central
    // pixel, so that a crosshair drawn through it stays symmetric.
    static QPointF calcCursorCenter(const QPixmap& pixmap);

signals:
    void cursorChanged(QCursor cursor);

protected:
    Tool(Type type, QObject* parent);

    // The state cursor of Forbidden, LayerNotVisible and LayerOpacityZero; the
    // fallback for Usable.
    static QCursor stateCursor(State state, const QCursor& usable);

private:
    Type m_type;
    State m_state = Usable;
};

} // namespace Model
