#pragma once

// The scene's private state and the helpers its source files share. Only the
// scene's own implementation files include this header.

#include "scene/Scene.h"

#include "scene/FramePicture.h"
#include "scene/Layer.h"
#include "settings/Settings.h"
#include "strokes/SingleStroke.h"

#include <QList>
#include <QString>
#include <QTimer>
#include <QUndoStack>

#include <algorithm>
#include <cmath>
#include <memory>

namespace Model {

namespace SceneDetail {

// Bounds and small predicates shared by the scene's source files.
constexpr double minimumFrameRate = 0.1;
constexpr double maximumFrameRate = 60.0;

// Opacities this close to 0 paint nothing.
inline bool isZeroOpacity(double opacity)
{
    return std::abs(opacity) <= 1e-12;
}

inline double boundedFrameRate(double frameRate)
{
    return std::max(std::min(frameRate, maximumFrameRate), minimumFrameRate);
}

inline bool isVisualType(int type)
{
    return type >= Layer::StrokeLayerType && type <= Layer::ReferenceLayerType;
}

inline bool isDrawType(int type)
{
    return type == Layer::StrokeLayerType || type == Layer::PaintLayerType;
}

inline BacklightSetting const& currentBacklightSetting(BacklightSettings const& settings)
{
    return settings.current == BacklightSettings::BacklightSettingB ? settings.settingB
                                                                     : settings.settingA;
}

} // namespace SceneDetail

struct Scene::Data
{
    static constexpr int extraStrokePointIntervalMs = 20;
    static constexpr int strokeEndPointIntervalMs = 500;

    QString name = QStringLiteral("Untitled");
    QString fileName;
    QSize frameSize;
    QList<std::shared_ptr<Layer>> layers;
    BacklightSettings backlightSettings;
    QList<Scene::BacklightFrame> backlightFrames; // farthest first
    // Set while a caller announces the new backlight frames itself.
    bool holdBacklightFramesChanged = false;
    FramePicture framePicture;
    FramePicture currentFramePicture;
    FramePicture backlightPicture;
    QSize backlightFrameSize; // the frame size the backlight picture was made for
    QRect currentFrameInk; // where the current-frame picture may have ink
    QList<int> visualLayerIndices;  // display position of each layer index
    QList<int> logicalLayerIndices; // layer index at each display position
    int maximumFrameNumber = 1;
    int activeFrame = -1;
    int scrubFrame = -1;
    int activeLayerIdx = -1;
    int audioLayerIdx = -1;
    bool scrubbing = false;
    int frameRangeFirst = 1;
    int frameRangeLast = 1;
    KW::ThumbnailSize thumbnailSize = KW::ThumbnailSize::ThumbnailTiny;
    QUndoStack* undoStack = nullptr;
    std::unique_ptr<SingleStroke> activeStroke;
    // While a stroke is in progress: an extra point while the pen rests, and
    // the end point once it has rested long.
    QTimer extraPointTimer;
    QTimer endPointTimer;
    double frameRate = 0.0;
    int highestUsedLayerNumber = 0;

    Data()
    {
        extraPointTimer.setInterval(extraStrokePointIntervalMs);
        endPointTimer.setInterval(strokeEndPointIntervalMs);
    }
};

} // namespace Model
