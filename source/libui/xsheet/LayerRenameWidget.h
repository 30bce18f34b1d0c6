#pragma once

#include <QLineEdit>

namespace UI {

// The in-place field over a column header in which a layer is renamed.
// Return, Enter or a click elsewhere commits the text once through
// renamed(); Escape closes without a word. The field never touches the scene.
class LayerRenameWidget : public QLineEdit
{
    Q_OBJECT

public:
    explicit LayerRenameWidget(QWidget* parent = nullptr);

signals:
    void renamed(QString name);

protected:
    bool event(QEvent* event) override;
    void focusOutEvent(QFocusEvent* event) override;
    void showEvent(QShowEvent* event) override;

private:
    // Ends the edit once: the key press and its release, and the focus loss
    // that closing brings, would otherwise each commit again.
    void finish(bool commit);

    bool m_finished = false;
};

} // namespace UI
