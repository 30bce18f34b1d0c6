#pragma once

#include <QDialog>
#include <QSize>

#include <memory>

namespace UI {

// Frame size, frame rate and (for a new scene) the initial number of frames,
// picked from presets or typed within bounds; when an existing scene changes
// size, also how its drawings follow. Picking a preset writes its numbers into
// the edits, and typing numbers selects the matching preset (or "Custom").
class SceneSettingsDialog : public QDialog
{
    Q_OBJECT

public:
    struct Params
    {
        QSize frameSize;
        int fitMode = 1; // a KW::FitMode value
        double frameRate = 12.0;
        int initialNumberOfFrames = 1;
        int mode = 0; // 0 new scene, 1 settings of the current scene
    };

    SceneSettingsDialog(const Params& params, QWidget* parent = nullptr);
    ~SceneSettingsDialog() override;

    Params params() const;

    void setLineColors();
    void enableHowToFit(bool enable);
    void syncCBframeSize(const QSize& size);
    void syncCBframeRate(double fps);

protected:
    void changeEvent(QEvent* event) override;

private:
    void connectControls();

    struct Private;
    std::unique_ptr<Private> d;
};

} // namespace UI
