#pragma once

#include <QWidget>

#include <memory>

namespace UI {

// The drop target for entries taken out of the customisation editors. It
// keeps nothing: accepting the move is what makes the editor drop the entry.
class RecycleBin : public QWidget
{
    Q_OBJECT

public:
    explicit RecycleBin(QWidget* parent = nullptr);
    ~RecycleBin() override;

    bool isHighlighted() const;

protected:
    void paintEvent(QPaintEvent* event) override;
    void dragEnterEvent(QDragEnterEvent* event) override;
    void dragMoveEvent(QDragMoveEvent* event) override;
    void dragLeaveEvent(QDragLeaveEvent* event) override;
    void dropEvent(QDropEvent* event) override;

private:
    bool isOverBin(QPointF pos) const;

    struct Private;
    std::unique_ptr<Private> d;
};

} // namespace UI
