#pragma once

#include <QWidget>

#include <memory>

class QAction;
class QButtonGroup;

namespace UI {

// The settings window. It keeps no settings of its own: each option row is
// bound both ways to a checkable action of the action catalogue, so the page
// and the menus always agree and a click here does exactly what the menu item
// does. Restore Defaults writes the defaults back through the settings store.
class Preferences : public QWidget
{
    Q_OBJECT

public:
    explicit Preferences(QWidget* parent = nullptr);
    ~Preferences() override;

    void init();
    void restoreDefaults();

protected:
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    // The first showing centres the window on the main window; later ones
    // keep it where the user left it.
    void showEvent(QShowEvent* event) override;

private:
    void addSectionTitle(const QString& text);
    // Adds nothing when the action is missing or not checkable.
    void addOption(const QString& actionKey, QButtonGroup* group, const QString& label);
    void addSeparator();
    void addGap(int height);

    struct Private;
    std::unique_ptr<Private> d;
};

} // namespace UI
