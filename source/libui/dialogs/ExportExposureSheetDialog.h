#pragma once

#include "settings/ExportExposureSheetSettings.h"

#include <QDialog>
#include <QUrl>

#include <memory>

namespace UI {

// Options of the exposure-sheet package export, with the package name and
// folder. An existing package is replaced only after the user agrees; the
// removal itself is the export's job.
class ExportExposureSheetDialog : public QDialog
{
    Q_OBJECT

public:
    // The address behind the dialog's "More info here!" link.
    static QUrl moreInfoUrl();

    explicit ExportExposureSheetDialog(const Model::ExportExposureSheetSettings& settings,
                                       QWidget* parent = nullptr);
    ~ExportExposureSheetDialog() override;

    Model::ExportExposureSheetSettings settings() const;
    void setLineColors();

public slots:
    // Checks the target, asks before an existing package would be replaced,
    // stores name and absolute folder, and accepts.
    void checkForExistingName();

protected:
    void changeEvent(QEvent* event) override;
    // A window's least size leaves out text that wraps: the introduction's
    // lines at the present width are added, so that no size cuts them.
    void resizeEvent(QResizeEvent* event) override;

private:
    struct Form;
    std::unique_ptr<Form> m_form;
    Model::ExportExposureSheetSettings m_settings;
};

} // namespace UI
