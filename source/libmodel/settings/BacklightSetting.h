#pragma once

#include <QList>
#include <QMetaType>
#include <QObject>

namespace Model {

// One configuration of the light table: how strongly the neighbouring drawings
// show through, and what happens at the ends of the frame range.
class BacklightSetting
{
    Q_GADGET

public:
    enum HueShift { UseHueShift, NoHueShift };
    Q_ENUM(HueShift)

    enum ShowOption { StopAtEnds, WrapAtEnds, ShowOutsideRange };
    Q_ENUM(ShowOption)

    enum Layers { BacklightVisibleLayers, BacklightActiveLayerOnly };
    Q_ENUM(Layers)

    // Opacity of each neighbouring drawing, element 0 the nearest; 0..1.
    QList<double> opacityLevelsBefore;
    QList<double> opacityLevelsAfter;
    HueShift hueShift = UseHueShift;
    ShowOption showOption = StopAtEnds;
    Layers layers = BacklightVisibleLayers;

    bool operator==(const BacklightSetting& other) const;
    bool operator!=(const BacklightSetting& other) const { return !(*this == other); }
};

} // namespace Model

Q_DECLARE_METATYPE(Model::BacklightSetting)
