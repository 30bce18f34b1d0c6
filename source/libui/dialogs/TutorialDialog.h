#pragma once

#include <QDialog>

#include <memory>

namespace UI {

// The list of video tutorials: each row's play button opens that video's page
// in the web browser and leaves the dialog open. The caller stores the
// "show at start-up" box with the settings whichever way the dialog closes.
class TutorialDialog : public QDialog
{
    Q_OBJECT

public:
    explicit TutorialDialog(QWidget* parent = nullptr);
    ~TutorialDialog() override;

    bool isShowAtStartupChecked() const;
    void setShowAtStartupChecked(bool checked);
    void setLineColors();

protected:
    void changeEvent(QEvent* event) override;
    // Centred on the main window, also when the window system has not placed
    // the main window yet (the dialog offered at start-up).
    void showEvent(QShowEvent* event) override;

private:
    struct Form;
    std::unique_ptr<Form> m_form;
};

} // namespace UI
