#pragma once

#include <QDialog>

#include <memory>

namespace UI {

// The About box: a dark header band with the icon and the version, the
// credits with this build's names and library versions filled in, and a
// bottom bar. Not modal; its owner keeps it and raises it on every request.
class AboutDialog : public QDialog
{
    Q_OBJECT

public:
    explicit AboutDialog(QWidget* parent = nullptr);
    ~AboutDialog() override;

    // The credits template with every placeholder replaced by this build's
    // and the running libraries' texts.
    static QString fillCredits(QString html);

protected:
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void showEvent(QShowEvent* event) override;

private:
    struct Form;
    std::unique_ptr<Form> m_form;
};

} // namespace UI
