#pragma once

#include <QWidget>

class QVBoxLayout;

namespace UI {

class XSheetPaneBar;

// The X-sheet with its optional bar of action buttons above it. The pane is
// what moves between the main window and the detached X-sheet window, so the
// sheet inside keeps its state either way.
class XSheetPane : public QWidget
{
    Q_OBJECT

public:
    explicit XSheetPane(QWidget* parent = nullptr);

    // Puts the sheet under the bar; the pane owns it from then on.
    void setXSheet(QWidget* xsheet);
    QWidget* xSheet() const;
    XSheetPaneBar* paneBar() const;

    void updateUISize();

private:
    QVBoxLayout* m_layout;
    XSheetPaneBar* m_bar;
    QWidget* m_xsheet = nullptr;
};

} // namespace UI
