#pragma once

#include "settings/ExportFramesSettings.h"

#include <QDialog>

#include <memory>

namespace UI {

// Options of an image-sequence export: layers, frames, how clones are named,
// combining, line colour and image format. Edits a private copy of the record;
// the caller reads it back with settings() after acceptance.
class ExportFramesDialog : public QDialog
{
    Q_OBJECT

public:
    explicit ExportFramesDialog(const Model::ExportFramesSettings& settings, QWidget* parent = nullptr);
    ~ExportFramesDialog() override;

    Model::ExportFramesSettings settings() const;
    void setLineColors();

protected:
    void changeEvent(QEvent* event) override;

private:
    struct Form;
    std::unique_ptr<Form> m_form;
    Model::ExportFramesSettings m_settings;
};

} // namespace UI
