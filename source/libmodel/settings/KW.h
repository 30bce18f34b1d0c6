#pragma once

#include <QObject>

// Enumerations shared by the settings store, the model and the views. They are
// stored in the settings by key text, so renaming a key breaks stored values.
namespace KW {
Q_NAMESPACE

enum class AnnotationPenType { ScribblePen, DrawToolPen };
Q_ENUM_NS(AnnotationPenType)

enum class DrawCursorType { AdaptToSize, FixedSmall };
Q_ENUM_NS(DrawCursorType)

enum class DrawCursorOpacity { Faint, Opaque };
Q_ENUM_NS(DrawCursorOpacity)

enum class FitMode {
    FitModeStretch,
    FitModeKeepAspect,
    FitModeKeepAspectByExpanding,
    FitModeCropCenter,
    FitModeIgnore
};
Q_ENUM_NS(FitMode)

enum class GridType { FieldGuide, Safety, Thirds, Diagonals, Renaissance };
Q_ENUM_NS(GridType)

enum class GridStatus { GridOn, GridOff };
Q_ENUM_NS(GridStatus)

enum class ThumbnailSize { ThumbnailTiny, ThumbnailSmall, ThumbnailMedium, ThumbnailLarge };
Q_ENUM_NS(ThumbnailSize)

enum class ToolPreset { Default, Preset1, Preset2, Preset3 };
Q_ENUM_NS(ToolPreset)

enum class ToolBarPosition { Left, Right };
Q_ENUM_NS(ToolBarPosition)

enum class TransparencyType {
    TransparencySmallCheckersLight,
    TransparencySmallCheckersDark,
    TransparencyLargeCheckersLight,
    TransparencyLargeCheckersDark,
    TransparencyWhite,
    TransparencyLightGrey,
    TransparencyDarkGrey,
    TransparencyBlack
};
Q_ENUM_NS(TransparencyType)

} // namespace KW
