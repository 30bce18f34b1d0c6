#pragma once

#include "tools/Tool.h"

#include <QPointF>
#include <QString>

#include <memory>

class QPainter;
class QPixmap;

namespace Model {

class DrawingToolData;

// Base of the pen and the eraser. Each carries a size range and an opacity
// range, set in percent of the tool's limits, and derives from them the four
// numbers with which a stroke turns pen pressure into radius and opacity.
//
// The step operations work on a separate working range so that a run of steps
// is undone exactly by the opposite run, even where the applied range had to
// be clamped to 0..100. Any direct setting of a range drops the working range.
class DrawingTool : public Tool
{
    Q_OBJECT

public:
    enum AdjustmentHighlight {
        HighlightLowerSize = 1,
        HighlightUpperSize = 2,
        HighlightBothSizes = HighlightLowerSize | HighlightUpperSize
    };
    Q_DECLARE_FLAGS(AdjustmentHighlights, AdjustmentHighlight)
    Q_FLAG(AdjustmentHighlights)

    ~DrawingTool() override;

    QCursor cursor() const override;
    void refreshCursor() override;

    // Translated, for the user.
    virtual QString displayName() const = 0;
    // The tool's key group in the settings store and the first argument of its
    // range signals.
    virtual QString settingsName() const = 0;
    // The cursor that shows the size range: diameters in drawing pixels at
    // zero and full pressure, scale the canvas zoom.
    virtual QCursor createCursor(double minimumDiameter, double maximumDiameter, double scale,
                                 bool faint) const = 0;
    // The cursor shown while the size range is adjusted, with the changing
    // end or ends highlighted.
    virtual QCursor createAdjustmentCursorSize(double minimumDiameter, double maximumDiameter,
                                               double scale,
                                               AdjustmentHighlights highlight) const = 0;

    QCursor createCursorSizeMin(double minimumDiameter, double maximumDiameter,
                                double scale) const;
    QCursor createCursorSizeMax(double minimumDiameter, double maximumDiameter,
                                double scale) const;
    QCursor createCursorSizeMinMax(double minimumDiameter, double maximumDiameter,
                                   double scale) const;
    // The cursor shown while the opacity range is adjusted; the opacities are
    // 0..1.
    QCursor createCursorOpacityMinMax(double lowerOpacity, double upperOpacity) const;
    // The cursor for scribbling annotations on the exposure sheet at the
    // given scale.
    QCursor annotationCursor(double scale) const;
    // Loads the small fixed cursors of the pen or the eraser.
    void prepareCursor(Tool::Type type);
    QCursor fixedFaintCursor() const;
    QCursor fixedOpaqueCursor() const;

    // Stroke radius at zero pressure (half the smallest size) and the radius
    // added at full pressure (half the size span), in drawing pixels.
    double minimumWidth() const;
    double widthRange() const;
    // Stroke opacity at zero pressure and the opacity added at full pressure.
    double minimumOpacity() const;
    double opacityRange() const;

    // The pressure mapping of a stroke. The power curve keeps light pressure
    // thin: pressure 0.5 gives about 9 % of the width range.
    double radiusAtPressure(double pressure) const;
    double opacityAtPressure(double pressure) const;

    double sizeMinPercent() const;
    double sizeMaxPercent() const;
    double opacityMinPercent() const;
    double opacityMaxPercent() const;
    // Stroke diameter in drawing pixels at 0 % and at 100 %.
    double sizeLowerLimit() const;
    double sizeUpperLimit() const;
    // Opacity at 0 % and at 100 %.
    double opacityLowerLimit() const;
    double opacityUpperLimit() const;
    // Whether the working range of the step operations is in force.
    bool isIncDecSizeActive() const;
    bool isIncDecOpacityActive() const;

public slots:
    void decreaseSizeRange();
    void increaseSizeRange();
    // The working range while it is in force, else the applied range.
    double incDecSizeMinPercent() const;
    double incDecSizeMaxPercent() const;
    void setIncDecSizeRangePercent(double sizeMinPercent, double sizeMaxPercent);
    void setSizeRangePercent(double sizeMinPercent, double sizeMaxPercent);
    void decreaseOpacityRange();
    void increaseOpacityRange();
    double incDecOpacityMinPercent() const;
    double incDecOpacityMaxPercent() const;
    void setIncDecOpacityRangePercent(double opacityMinPercent, double opacityMaxPercent);
    void setOpacityRangePercent(double opacityMinPercent, double opacityMaxPercent);
    void setSizeRangeLimits(double lowerLimit, double upperLimit);
    void setOpacityRangeLimits(double lowerLimit, double upperLimit);
    void updateCursor();

signals:
    void sizeRangeChanged(QString toolName, double lowerPercent, double upperPercent);
    void opacityRangeChanged(QString toolName, double lowerPercent, double upperPercent);

protected:
    DrawingTool(Tool::Type type, QObject* parent);

    // What a clone takes over: ranges, limits, derived values and fixed
    // cursors. The working ranges stay at 0..100 and inactive.
    void copySettingsFrom(const DrawingTool& other);

    // The measures shared by the painted size cursors, in device pixels at
    // ratio 2.
    struct CursorGeometry
    {
        double maximumExtent = 0.0; // 2 x maximum diameter x scale, bounded
        double minimumExtent = 0.0; // 2 x minimum diameter x scale, bounded
        int outerDiameter = 8;      // n: the drawn diameter of the outer circle
        int armInner = 4;           // g: inner end of the crosshair arms
        int pixmapSize = 36;        // S
        int armOuter = 20;          // o: outer end of the crosshair arms
        QPointF centre;             // c
    };
    // pixmapExtra is added to the outer diameter for the pixmap's side.
    static CursorGeometry cursorGeometry(double minimumDiameter, double maximumDiameter,
                                         double scale, int pixmapExtra);
    // A transparent pixmap of the geometry's size and ratio 1, to be painted
    // and then given ratio 2.
    static QPixmap emptyCursorPixmap(int size);
    // The four arms of the crosshair from armInner to armOuter around centre,
    // offset sideways by the given distance (0 for the crosshair itself).
    static void drawCrosshairArms(QPainter& painter, const CursorGeometry& geometry,
                                  double sideOffset);
    // The size-range adjustment cursor; the pen adds the crosshair.
    static QCursor paintAdjustmentCursorSize(double minimumDiameter, double maximumDiameter,
                                             double scale, AdjustmentHighlights highlight,
                                             bool withCrosshair);

private:
    void stepSizeRange(double factor);
    void stepOpacityRange(double factor);

    std::unique_ptr<DrawingToolData> d;
};

} // namespace Model

Q_DECLARE_OPERATORS_FOR_FLAGS(Model::DrawingTool::AdjustmentHighlights)
