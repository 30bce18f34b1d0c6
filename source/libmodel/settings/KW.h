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

// Every user command of the application. The key text is an action's persistent
// name (tool-bar and speed-dial layouts are stored as key texts), so keys must
// never be renamed; the values follow the order in which the actions are built.
enum class Action {
    NoAction, // names no action
    // File
    NewScene,
    OpenScene,
    SaveScene,
    SaveSceneAs,
    AutoSave,
    Import,
    ExportFrames,
    ExportExposureSheet,
    ExportVideo,
    SceneSettings,
    Quit,
    // Undo and redo, made from the main window's undo group
    Undo,
    Redo,
    // Edit
    AddCloneDrawing,
    DeleteCloneDrawing,
    AddBlankDrawing,
    InsertBlankDrawing,
    TurnCloneIntoOriginal,
    DuplicateDrawing,
    CutDrawing,
    CopyDrawing,
    PasteDrawing,
    ClearDrawingMakingBlank,
    LoseDrawingMakingHold,
    DiscardDrawing,
    BackDeleteDrawing,
    SelectAllDrawings,
    CloneEachSelectedDrawingOnce,
    CycleSelectedDrawingsOnce,
    // Draw
    Draw,
    Erase,
    NonDrawingAction,
    DrawEraseToggle,
    Pencil,
    PencilPreset1,
    PencilPreset2,
    PencilPreset3,
    Marker,
    MarkerPreset1,
    MarkerPreset2,
    MarkerPreset3,
    Brush,
    BrushPreset1,
    BrushPreset2,
    BrushPreset3,
    KneadedEraser,
    RubberEraser,
    VinylEraser,
    ResetDrawingUserSettings,
    ResetErasingUserSettings,
    DecreasePenSize,
    IncreasePenSize,
    DrawSettings,
    EraseSettings,
    ToggleCursor,
    // Flip and play
    Play,
    PlayLoop,
    PlayOnce,
    PlayBackwards,
    PlayStopAndStay,
    FrameRate06,
    FrameRate12,
    FrameRate12_5,
    FrameRate15,
    FrameRate24,
    FrameRate25,
    FrameRate30,
    FrameRate50,
    FrameRate60,
    FrameRateCustom,
    StepBack,
    StepForward,
    StepBackSkippingLocalClones,
    StepForwardSkippingLocalClones,
    SkipBackToKeyDrawing,
    SkipForwardToKeyDrawing,
    ReturnFlip,
    JumpToStart,
    JumpToEnd,
    RangeStartStepBack,
    RangeStartStepForward,
    RangeEndStepBack,
    RangeEndStepForward,
    RangeStartToFirstFrame,
    RangeEndToLastFrame,
    MuteAudio,
    DiscardAudio,
    // Light table
    BacklightOnOff,
    BacklightToggleAB,
    CustomizeBacklight,
    Pan,
    Zoom,
    Rotate,
    ZPR,
    ResetView,
    FitPaperToView,
    ZoomIn,
    ZoomOut,
    ViewToX1,
    GridOnOff,
    GridTypeFieldGuide,
    GridTypeSafety,
    GridTypeThirds,
    GridTypeDiagonals,
    GridTypeRenaissance,
    GridTypeNext,
    MarkAsKeyDrawing,
    UnmarkAllKeyDrawings,
    OnlyBacklightKeyFrames,
    MirrorView,
    OffPegs,
    // X-sheet
    XSheetShow,
    XSheetOppositeSide,
    XSheetDetachSeparateWindow,
    XSheetCenterAndScroll,
    SlideMode,
    AddClonesMode,
    ToggleXSheetDragMode,
    NewLayer,
    DuplicateActiveLayer,
    LayerAbove,
    LayerBelow,
    LayerTop,
    LayerBottom,
    DiscardActiveLayer,
    LayerVisibility,
    LayerLink,
    ShowNothingBeyond,
    FreezeLastDrawingBeyond,
    CycleDrawingsBeyond,
    ShowBeyondButtons,
    MergeLayerDown,
    UnlinkAllLayers,
    LinkAllLayers,
    ThumbnailSizeTiny,
    ThumbnailSizeSmall,
    ThumbnailSizeMedium,
    ThumbnailSizeLarge,
    ThumbnailSizeSmaller,
    ThumbnailSizeLarger,
    // Pick up
    Lasso,
    Cutter,
    PickUpAllOfThisDrawing,
    StampFloatingSelection,
    StampFloatingSelectionKeepFloating,
    DropFloatingSelection,
    GetLatestFloatingSelectionBack,
    FloatingSelection,
    // Paint
    NewPaintLayer,
    NewPaintLayerWithCloneStructure,
    Palette,
    ColorPickerTool,
    FillTool,
    // Window
    ToolBar,
    ToolBarOppositeSide,
    ToolBarLeftSide,
    ToolBarRightSide,
    ReferenceDisplay,
    CustomizeToolBar,
    PrimarySpeedDial,
    SecondarySpeedDial,
    CustomizeSpeedDials,
    FullScreen,
    Settings,
    // Help
    VideoTutorials,
    KeyboardShortcuts,
    CommunityForum,
    ProvideFeedback,
    About,
    // Other
    ImportReferenceLayer,
    ImportAudio,
    CollapseVectorData,
    FaintCursor,
    FreelyDrawOnClones,
    ClonesLockedForDrawing,
    TransparencyShownAsSmallCheckersLight,
    TransparencyShownAsSmallCheckersDark,
    TransparencyShownAsLargeCheckersLight,
    TransparencyShownAsLargeCheckersDark,
    TransparencyShownAsWhite,
    TransparencyShownAsLightGrey,
    TransparencyShownAsDarkGrey,
    TransparencyShownAsBlack,
    CollapseVectorDataAutomatically,
    XSheetLeftSide,
    XSheetRightSide,
    XSheetTopBar,
    AutoSaveInterval5Min,
    AutoSaveInterval15Min,
    AutoSaveInterval30Min,
    AutoSaveInterval60Min,
    AutoSaveFiles1,
    AutoSaveFiles2,
    AutoSaveFiles3,
    AutoSaveFiles5,
    AutoSaveFiles9,
    UIScale75,
    UIScale100,
    UIScale125,
    UIScale150
};
Q_ENUM_NS(Action)

} // namespace KW
