#pragma once

#include <QPoint>
#include <QWidget>

#include <memory>

namespace UI {

// A small pop-up selector on an exposure-sheet column header. Closed, it is a
// little button showing the current choice; clicked, it unfolds downward into
// a strip of rows, one per choice; picking a row reports it and folds the
// strip again. It also folds when it loses the focus. Subclasses supply the
// row artwork, the tool tips and the meaning of a row.
class Gizmo : public QWidget
{
    Q_OBJECT
    Q_PROPERTY(int gizmoHeight READ gizmoHeight WRITE setGizmoHeight NOTIFY gizmoHeightChanged)
    Q_PROPERTY(QPoint topCenter READ topCenter WRITE setTopCenter)

public:
    // Rows counted from the bottom: 0 shows the current choice, 1 to 4 the
    // choices above it, 5 a top row; NoSection is no row.
    enum GizmoSC { Section0 = 0, Section1, Section2, Section3, Section4, Section5, NoSection };
    Q_ENUM(GizmoSC)

    explicit Gizmo(QWidget* parent = nullptr);
    ~Gizmo() override;

    int gizmoHeight() const;
    QPoint topCenter() const;
    void setTopSection(GizmoSC section);
    // 0 closed, 1 open, 2 hover, 3 closing.
    int state() const;
    GizmoSC sectionAt(QPoint const& pos) const;
    void openGizmo();
    void closeGizmo();
    void closeGizmo(QPoint const& pos);
    void updateSize();
    void updateUISize();

public slots:
    void setGizmoHeight(int height);
    void setTopCenter(QPoint const& point);

signals:
    void gizmoHeightChanged(int height);
    void sectionSelected(UI::Gizmo::GizmoSC sc);

protected:
    virtual void paintSection(QPainter* painter, QRectF const& rect, GizmoSC section) const;
    virtual QString tooltipSection(GizmoSC section) const;

    bool event(QEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void focusOutEvent(QFocusEvent* event) override;
    void paintEvent(QPaintEvent* event) override;

private:
    int openHeight() const;

    class GizmoPrivate;
    std::unique_ptr<GizmoPrivate> d;
};

} // namespace UI
