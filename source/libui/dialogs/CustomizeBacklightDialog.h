#pragma once

#include "settings/BacklightSettings.h"

#include <QDialog>

#include <memory>

namespace UI {

// A live editor of the light table's two settings A and B side by side: every
// change of a control emits the whole record at once, so the canvas follows
// while the window stays open. There is no OK: Close closes, Reset restores the
// current setting's defaults.
class CustomizeBacklightDialog : public QDialog
{
    Q_OBJECT

public:
    explicit CustomizeBacklightDialog(const Model::BacklightSettings& settings, QWidget* parent = nullptr);
    ~CustomizeBacklightDialog() override;

    // Takes a record in (level lists padded to four) and shows it; emits nothing.
    void setBacklightSettings(const Model::BacklightSettings& settings);
    Model::BacklightSettings backlightSettings() const;
    void setLineColors();

signals:
    void settingsChanged(Model::BacklightSettings settings);

protected:
    void changeEvent(QEvent* event) override;

private:
    void updateSettingsUI();
    void updateSettingsUI(Model::BacklightSettings::BacklightSet set);
    void enableCurrent();
    void edited();

    struct Form;
    std::unique_ptr<Form> m_form;
    Model::BacklightSettings m_settings;
};

} // namespace UI
