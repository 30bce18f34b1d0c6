#pragma once

#include <QMetaType>
#include <QObject>
#include <QString>

namespace Model {

// What every export dialog collects: where to, which layers and frames, how big.
class ExportSettings
{
    Q_GADGET

public:
    enum Layers { AllLayers, VisibleLayers, ActiveLayerOnly };
    Q_ENUM(Layers)

    enum Frames { AllFrames, RangeOnly };
    Q_ENUM(Frames)

    QString name; // never remembered by the settings store
    QString exportDir;
    Layers layers = AllLayers;
    Frames frames = AllFrames;
    int scalePercent = 100;
};

} // namespace Model

Q_DECLARE_METATYPE(Model::ExportSettings)
