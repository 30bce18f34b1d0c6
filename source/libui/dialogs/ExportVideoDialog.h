#pragma once

#include "settings/ExportVideoSettings.h"

#include <QDialog>
#include <QSize>

#include <memory>

namespace UI {

// Options of a movie export: layers, frames, container and codec, whether to
// keep transparency and sound, and the scale, with the resulting pixel size
// shown as the scale changes. Edits a private copy of the record; the caller
// reads it back with settings() after acceptance.
class ExportVideoDialog : public QDialog
{
    Q_OBJECT

public:
    // Scales larger than this many output pixels per frame are not offered.
    static constexpr double maximumPixels = 150000000.0;

    ExportVideoDialog(const Model::ExportVideoSettings& settings, const QSize& frameSize,
                      QWidget* parent = nullptr);
    ~ExportVideoDialog() override;

    Model::ExportVideoSettings settings() const;

    void setLineColors();
    // Fills the scale list with the scales allowed for the frame size and
    // format and selects the stored one, else 100 %, else the first.
    void initScaleBox();
    void updateScaleBox();
    void updateResolution();

protected:
    void changeEvent(QEvent* event) override;

private:
    void formatChosen(Model::ExportVideoSettings::VideoFormat format);

    struct Form;
    std::unique_ptr<Form> m_form;
    Model::ExportVideoSettings m_settings;
    QSize m_frameSize;
};

} // namespace UI
