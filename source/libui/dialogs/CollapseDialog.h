#pragma once

#include <QDialog>
#include <QUrl>

#include <memory>

namespace UI {

// Asks whether the current drawing's strokes should be collapsed into one
// bitmap, with a box that makes the answer automatic from now on. Stores
// nothing itself: the caller reads exec()'s result and collapseAutomatically().
class CollapseDialog : public QDialog
{
    Q_OBJECT

public:
    // The help page behind the dialog's "Read here" link.
    static QUrl helpUrl();

    explicit CollapseDialog(QWidget* parent = nullptr);
    ~CollapseDialog() override;

    bool collapseAutomatically() const;
    void setLineColors();

protected:
    void changeEvent(QEvent* event) override;

private:
    struct Form;
    std::unique_ptr<Form> m_form;
};

} // namespace UI
