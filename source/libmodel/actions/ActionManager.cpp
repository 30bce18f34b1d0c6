#include "actions/ActionManager.h"

#include "prompts/WebPage.h"
#include "settings/BacklightSettings.h"
#include "settings/Settings.h"
#include "tools/ToolManager.h"

#include <QAction>
#include <QActionGroup>
#include <QCoreApplication>
#include <QDebug>
#include <QGuiApplication>
#include <QLocale>
#include <QMetaEnum>
#include <QPointer>
#include <QUndoGroup>
#include <QUrl>
#include <QVariant>

#include <map>

namespace Model {

namespace {

const char* const actionNameProperty = "KWActionName";
const char* const wasEnabledProperty = "WasEnabled";

const char* keyOf(KW::Action id)
{
    return QMetaEnum::fromType<KW::Action>().valueToKey(static_cast<int>(id));
}

QIcon iconNamed(const QString& name)
{
    return QIcon(QStringLiteral(":/icons/%1_icon.svg").arg(name));
}

// A shortcut given as text, read the way the platform writes it.
QKeySequence keys(const QString& text)
{
    return QKeySequence(text, QKeySequence::NativeText);
}

// A modifier key by the name this platform gives it in shortcuts ("Ctrl"
// here, a sign on a Mac keyboard).
QString modifierName(Qt::KeyboardModifier modifier)
{
    QString text = QKeySequence(QKeyCombination(modifier, Qt::Key_A)).toString(QKeySequence::NativeText);
    text.chop(1);
    if (text.endsWith(QLatin1Char('+')))
        text.chop(1);
    return text;
}

QList<QKeySequence> standard(QKeySequence::StandardKey key)
{
    return QKeySequence::keyBindings(key);
}

KW::Action offset(KW::Action first, int k)
{
    return static_cast<KW::Action>(static_cast<int>(first) + k);
}

// The key after `current` in declaration order, wrapping to the first.
template<typename Enum>
Enum nextKey(Enum current)
{
    const QMetaEnum meta = QMetaEnum::fromType<Enum>();
    for (int i = 0; i < meta.keyCount(); ++i) {
        if (meta.value(i) == static_cast<int>(current))
            return static_cast<Enum>(meta.value((i + 1) % meta.keyCount()));
    }
    return static_cast<Enum>(meta.value(0));
}

// The neighbouring key in declaration order, stopping at either end.
template<typename Enum>
Enum neighbourKey(Enum current, int step)
{
    const QMetaEnum meta = QMetaEnum::fromType<Enum>();
    for (int i = 0; i < meta.keyCount(); ++i) {
        if (meta.value(i) == static_cast<int>(current))
            return static_cast<Enum>(meta.value(qBound(0, i + step, meta.keyCount() - 1)));
    }
    return static_cast<Enum>(meta.value(0));
}

// A shortcut belongs to the windows that show its action (the main window
// through its menus, and any window the action is added to). Application-wide
// keys would also fire while a modal dialog's completer or a message box has
// the keyboard, and Return or Esc would then never reach the dialog.
constexpr Qt::ShortcutContext shortcutContext = Qt::WindowShortcut;

const int autoSaveIntervals[] = {5, 15, 30, 60};
const int autoSaveFileCounts[] = {1, 2, 3, 5, 9};
const int uiScales[] = {75, 100, 125, 150};

} // namespace

class ActionManagerData
{
public:
    explicit ActionManagerData(ActionManager* manager)
        : q(manager)
    {
    }

    void check(KW::Action id)
    {
        if (QAction* a = q->action(id))
            a->setChecked(true);
    }

    // Brings the autosave actions in line with the store. A stored interval or
    // file count that the menus do not offer is replaced by its default; the
    // setter's signal then runs this again and checks the default's action.
    void updateAutoSave()
    {
        Settings* settings = Settings::instance();
        if (QAction* a = q->action(KW::Action::AutoSave))
            a->setChecked(settings->autoSaveEnabled());

        const int interval = settings->autoSaveIntervalMins();
        const int intervalIndex = indexOf(autoSaveIntervals, interval);
        if (intervalIndex >= 0)
            check(offset(KW::Action::AutoSaveInterval5Min, intervalIndex));
        else
            settings->setAutoSaveIntervalMins(Settings::defaultAutoSaveIntervalMins);

        const int files = settings->autoSaveNumFiles();
        const int filesIndex = indexOf(autoSaveFileCounts, files);
        if (filesIndex >= 0)
            check(offset(KW::Action::AutoSaveFiles1, filesIndex));
        else
            settings->setAutoSaveNumFiles(Settings::defaultAutoSaveNumFiles);
    }

    void updateUIScale(int percent)
    {
        const int index = indexOf(uiScales, percent);
        if (index >= 0)
            check(offset(KW::Action::UIScale75, index));
        else
            Settings::instance()->setUIScalePercent(Settings::defaultUIScalePercent);
    }

    void updateThumbnailSize(KW::ThumbnailSize size)
    {
        const int value = static_cast<int>(size);
        if (value >= 0 && value <= 3)
            check(offset(KW::Action::ThumbnailSizeTiny, value));
        if (QAction* smaller = q->action(KW::Action::ThumbnailSizeSmaller))
            smaller->setEnabled(size != KW::ThumbnailSize::ThumbnailTiny);
        if (QAction* larger = q->action(KW::Action::ThumbnailSizeLarger))
            larger->setEnabled(size != KW::ThumbnailSize::ThumbnailLarge);
    }

    void updateGridType(KW::GridType type)
    {
        const int value = static_cast<int>(type);
        if (value >= 0 && value <= 4)
            check(offset(KW::Action::GridTypeFieldGuide, value));
    }

    void updateTransparencyType(KW::TransparencyType type)
    {
        const int value = static_cast<int>(type);
        if (value >= 0 && value <= 7)
            check(offset(KW::Action::TransparencyShownAsSmallCheckersLight, value));
    }

    void updateToolBarPosition(KW::ToolBarPosition position)
    {
        if (position == KW::ToolBarPosition::Left)
            check(KW::Action::ToolBarLeftSide);
        else if (position == KW::ToolBarPosition::Right)
            check(KW::Action::ToolBarRightSide);
    }

    template<size_t N>
    static int indexOf(const int (&values)[N], int value)
    {
        for (size_t i = 0; i < N; ++i) {
            if (values[i] == value)
                return static_cast<int>(i);
        }
        return -1;
    }

    ActionManager* q;
    // Ordered by value, so that whole-catalogue passes go in catalogue order.
    std::map<int, std::unique_ptr<ActionManager::ActionRecord>> table;
    QList<QPointer<QActionGroup>> groups;
};

ActionManager* ActionManager::instance()
{
    static ActionManager manager(nullptr);
    return &manager;
}

ActionManager::ActionManager(QObject* parent)
    : QObject(parent)
    , d(std::make_unique<ActionManagerData>(this))
{
}

ActionManager::~ActionManager() = default;

void ActionManager::init()
{
    // A second run rebuilds the catalogue; the groups of the first run would
    // otherwise outlive their actions.
    for (const QPointer<QActionGroup>& group : std::as_const(d->groups)) {
        if (group)
            group->deleteLater();
    }
    d->groups.clear();

    setupFileActions();
    setupEditActions();
    setupDrawActions();
    setupFlipNPlayActions();
    setupLightTableActions();
    setupXSheetActions();
    setupPickUpActions();
    setupPaintActions();
    setupWindowActions();
    setupHelpActions();
    setupOtherActions();
}

QAction* ActionManager::createAction(KW::Action id, const QString& text,
                                     const QList<QKeySequence>& shortcuts,
                                     const QString& iconName, unsigned flags)
{
    auto* a = iconName.isEmpty() ? new QAction(text, this)
                                 : new QAction(iconNamed(iconName), text, this);
    QList<QKeySequence> nonEmpty;
    for (const QKeySequence& sequence : shortcuts) {
        if (!sequence.isEmpty())
            nonEmpty.append(sequence);
    }
    if (!nonEmpty.isEmpty()) {
        a->setShortcuts(nonEmpty);
        a->setShortcutContext(shortcutContext);
    }
    setToolTip(a);
    insertAction(id, a);

    if (flags & Checkable)
        a->setCheckable(true);
    if (flags & Checked)
        a->setChecked(true);
    if (flags & NoAutoRepeat)
        a->setAutoRepeat(false);
    if (flags & StartsDisabled)
        a->setEnabled(false);
    return a;
}

void ActionManager::createGroup(std::initializer_list<KW::Action> members)
{
    auto* group = new QActionGroup(this);
    group->setExclusive(true);
    for (KW::Action id : members) {
        if (QAction* a = action(id))
            group->addAction(a);
    }
    d->groups.append(group);
}

void ActionManager::setAlternative(KW::Action id, const char* sourceText, const QString& iconName)
{
    ActionRecord* record = kwAction(id);
    if (!record)
        return;
    record->alternativeText = QString::fromUtf8(sourceText);
    if (!iconName.isEmpty())
        record->alternativeIcon = iconNamed(iconName);
}

void ActionManager::insertAction(KW::Action id, QAction* action)
{
    const char* key = keyOf(id);
    if (!key) {
        qDebug() << "insertAction" << "Tried to add unnamed action";
        return;
    }
    const QString name = QString::fromLatin1(key);
    action->setProperty(actionNameProperty, name);

    const int value = static_cast<int>(id);
    auto it = d->table.find(value);
    if (it != d->table.end()) {
        qDebug() << "insertAction" << "Replacing action" << name;
        // Whoever holds the old action may still be inside one of its slots.
        it->second->action->deleteLater();
        d->table.erase(it);
    }

    auto record = std::make_unique<ActionRecord>();
    record->action = action;
    record->id = id;
    record->defaultText = action->text();
    record->defaultIcon = action->icon();
    d->table.emplace(value, std::move(record));
}

void ActionManager::setToolTip(QAction* action)
{
    const QList<QKeySequence> shortcuts = action->shortcuts();
    if (shortcuts.isEmpty()) {
        action->setToolTip(action->iconText());
    } else {
        action->setToolTip(tr("%1 [%2]", "Tooltip with shortcut")
                               .arg(action->iconText(),
                                    shortcuts.first().toString(QKeySequence::NativeText)));
    }
}

void ActionManager::setupUndoRedoActions(QUndoGroup* group)
{
    QAction* undo = group->createUndoAction(this, tr("&Undo"));
    undo->setIcon(iconNamed(QStringLiteral("Undo")));
    const QList<QKeySequence> undoKeys = standard(QKeySequence::Undo);
    if (!undoKeys.isEmpty()) {
        undo->setShortcuts(undoKeys);
        undo->setShortcutContext(shortcutContext);
    }
    setToolTip(undo);
    insertAction(KW::Action::Undo, undo);

    QAction* redo = group->createRedoAction(this, tr("&Redo"));
    redo->setIcon(iconNamed(QStringLiteral("Redo")));
    const QList<QKeySequence> redoKeys = standard(QKeySequence::Redo);
    if (!redoKeys.isEmpty()) {
        redo->setShortcuts(redoKeys);
        redo->setShortcutContext(shortcutContext);
    }
    setToolTip(redo);
    insertAction(KW::Action::Redo, redo);
}

QList<QAction*> ActionManager::actions() const
{
    QList<QAction*> all;
    all.reserve(qsizetype(d->table.size()));
    for (const auto& entry : d->table)
        all.append(entry.second->action);
    return all;
}

QAction* ActionManager::action(KW::Action id) const
{
    ActionRecord* record = kwAction(id);
    return record ? record->action : nullptr;
}

QAction* ActionManager::action(const QString& keyName) const
{
    ActionRecord* record = kwAction(keyName);
    return record ? record->action : nullptr;
}

ActionManager::ActionRecord* ActionManager::kwAction(KW::Action id) const
{
    if (id == KW::Action::NoAction)
        return nullptr;
    auto it = d->table.find(static_cast<int>(id));
    if (it != d->table.end())
        return it->second.get();
    qDebug() << "kwAction" << "action not found" << QString::fromLatin1(keyOf(id));
    return nullptr;
}

ActionManager::ActionRecord* ActionManager::kwAction(const QString& keyName) const
{
    const QMetaEnum meta = QMetaEnum::fromType<KW::Action>();
    const QByteArray latin1 = keyName.toLatin1();
    bool ok = false;
    const int value = meta.keyToValue(latin1.constData(), &ok);
    // keyToValue also accepts scoped spellings; a layout names actions by their
    // bare key only.
    if (!ok || latin1 != meta.valueToKey(value))
        return nullptr;
    return kwAction(static_cast<KW::Action>(value));
}

void ActionManager::updateToolTip(KW::Action id)
{
    if (QAction* a = action(id))
        setToolTip(a);
}

void ActionManager::setProfile(KW::Action id, ActionProfile profile, int n)
{
    ActionRecord* record = kwAction(id);
    if (!record || !record->alternativeText)
        return;
    QAction* a = record->action;
    switch (profile) {
    case Alternative:
        a->setText(QCoreApplication::translate(staticMetaObject.className(),
                                               record->alternativeText->toUtf8().constData(),
                                               nullptr, n));
        if (record->alternativeIcon)
            a->setIcon(*record->alternativeIcon);
        break;
    case Default:
        a->setText(record->defaultText);
        a->setIcon(record->defaultIcon);
        break;
    }
    setToolTip(a);
}

void ActionManager::disableActions()
{
    for (const auto& entry : d->table) {
        QAction* a = entry.second->action;
        a->setProperty(wasEnabledProperty, a->isEnabled());
        a->setEnabled(false);
    }
}

void ActionManager::enableActions()
{
    for (const auto& entry : d->table) {
        QAction* a = entry.second->action;
        a->setEnabled(a->property(wasEnabledProperty).toBool());
    }
}

void ActionManager::setupFileActions()
{
    createAction(KW::Action::NewScene, tr("New Scene..."), standard(QKeySequence::New));
    createAction(KW::Action::OpenScene, tr("Open Scene..."), standard(QKeySequence::Open));
    createAction(KW::Action::SaveScene, tr("Save Scene"), standard(QKeySequence::Save));
    createAction(KW::Action::SaveSceneAs, tr("Save Scene As..."), standard(QKeySequence::SaveAs));
    // Its start state comes with the other autosave actions, in the last block.
    QAction* autoSave = createAction(KW::Action::AutoSave, tr("Enable Autosaving"), {}, {},
                                     Checkable | NoAutoRepeat);
    connect(autoSave, &QAction::toggled, autoSave,
            [](bool checked) { Settings::instance()->setAutoSaveEnabled(checked); });
    createAction(KW::Action::Import, tr("Import (Frames, Movie Clip or Audio)..."),
                 {keys(tr("Ctrl+I"))});
    createAction(KW::Action::ExportFrames, tr("Frames..."));
    createAction(KW::Action::ExportExposureSheet, tr("OCA (Open Cel Animation)..."));
    createAction(KW::Action::ExportVideo, tr("Movie Clip..."), {keys(tr("Ctrl+E"))});
    createAction(KW::Action::SceneSettings, tr("Scene Settings..."), {keys(tr("Ctrl+Shift+I"))});
    createAction(KW::Action::Quit, tr("&Quit"), standard(QKeySequence::Quit));
}

void ActionManager::setupEditActions()
{
    using A = KW::Action;
    createAction(A::AddCloneDrawing, tr("Add Clone Drawing"), {keys(tr("'"))},
                 QStringLiteral("AddCloneDrawing"));
    setAlternative(A::AddCloneDrawing, QT_TR_NOOP("Add Clone after each Selected Drawing"));
    createAction(A::DeleteCloneDrawing, tr("Delete Clone Drawing"), {keys(tr("Ctrl+'"))});
    setAlternative(A::DeleteCloneDrawing, QT_TR_NOOP("Delete All Selected Clone Drawings"));
    createAction(A::AddBlankDrawing, tr("Add Blank Drawing"), {keys(tr("Ctrl+Down"))},
                 QStringLiteral("AddBlankDrawing"));
    setAlternative(A::AddBlankDrawing, QT_TR_NOOP("Add Blank after each Selected Drawing"));
    createAction(A::InsertBlankDrawing, tr("Insert Blank Drawing"), {keys(tr("Ctrl+Up"))},
                 QStringLiteral("InsertBlankDrawing"));
    setAlternative(A::InsertBlankDrawing, QT_TR_NOOP("Insert Blank before each Selected Drawing"));
    createAction(A::TurnCloneIntoOriginal, tr("Turn Clone into Original"), {keys(tr("O"))},
                 QStringLiteral("TurnCloneToNewOriginal"));
    setAlternative(A::TurnCloneIntoOriginal, QT_TR_NOOP("Turn Selected Clones into Originals"));
    createAction(A::DuplicateDrawing, tr("Duplicate Drawing as Original"),
                 {keys(tr("Ctrl+D"))}, QStringLiteral("DuplicateAsOriginal"));
    setAlternative(A::DuplicateDrawing, QT_TR_NOOP("Duplicate each Selected Drawing as Original"));
    createAction(A::CutDrawing, tr("Cut Drawing"), standard(QKeySequence::Cut));
    setAlternative(A::CutDrawing, QT_TR_NOOP("Cut Selected Drawings"));
    createAction(A::CopyDrawing, tr("Copy Drawing"), standard(QKeySequence::Copy));
    setAlternative(A::CopyDrawing, QT_TR_NOOP("Copy Selected Drawings"));
    createAction(A::PasteDrawing, tr("Paste Drawing"), standard(QKeySequence::Paste), {},
                 StartsDisabled);
    setAlternative(A::PasteDrawing, QT_TR_NOOP("Paste Drawings"));
    createAction(A::ClearDrawingMakingBlank, tr("Clear Drawing (Make it Blank)"),
                 {keys(tr("*"))}, QStringLiteral("ClearDrawingMakingBlank"));
    setAlternative(A::ClearDrawingMakingBlank,
                   QT_TR_NOOP("Clear Selected Drawings (Make them Blank)"));
    createAction(A::LoseDrawingMakingHold, tr("Lose Drawing (Keep Timing)"), {keys(tr("/"))},
                 QStringLiteral("LoseDrawingMakingClone"));
    setAlternative(A::LoseDrawingMakingHold, QT_TR_NOOP("Lose Selected Drawings (Keep Timing)"));
    createAction(A::DiscardDrawing, tr("Delete Drawing"), {keys(tr("Ctrl+Delete"))},
                 QStringLiteral("DiscardDrawing"));
    setAlternative(A::DiscardDrawing, QT_TR_NOOP("Delete Selected Drawings"));
    createAction(A::BackDeleteDrawing, tr("Back-delete Drawing"), {keys(tr("Ctrl+Backspace"))},
                 QStringLiteral("BackDeleteDrawing"));
    setAlternative(A::BackDeleteDrawing, QT_TR_NOOP("Back-delete Selected Drawings"));
    createAction(A::SelectAllDrawings, tr("Select All Drawings"),
                 standard(QKeySequence::SelectAll));
    createAction(A::CloneEachSelectedDrawingOnce, tr("Clone Each Selected Drawing Once"), {}, {},
                 StartsDisabled);
    createAction(A::CycleSelectedDrawingsOnce, tr("Cycle Selected Drawings Once"),
                 {keys(tr("@"))}, {}, StartsDisabled);
}

void ActionManager::setupDrawActions()
{
    using A = KW::Action;
    const unsigned tool = Checkable | NoAutoRepeat;
    createAction(A::Draw, tr("&Draw (Latest Drawing Tool)"), {keys(tr("D"))},
                 QStringLiteral("Draw"), tool);
    createAction(A::Erase, tr("&Erase (Latest Erasing Tool)"), {keys(tr("E"))},
                 QStringLiteral("Erase"), tool);
    // Checked while a tool other than draw or erase is in use, so that the
    // exclusive group can show neither of them checked.
    createAction(A::NonDrawingAction, QStringLiteral("Dummy non-drawing action"), {}, {},
                 Checkable);
    createGroup({A::Draw, A::Erase, A::NonDrawingAction});
    createAction(A::DrawEraseToggle, tr("Draw/Erase Toggle"), {keys(tr("."))},
                 QStringLiteral("DrawEraseToggle"), NoAutoRepeat);

    createAction(A::Pencil, tr("Pencil (P)"), {keys(tr("4")), keys(tr("P"))},
                 QStringLiteral("Pencil"), tool);
    createAction(A::PencilPreset1, tr("Pencil Preset 1"), {}, QStringLiteral("Pencil_Preset1"),
                 NoAutoRepeat);
    createAction(A::PencilPreset2, tr("Pencil Preset 2"), {}, QStringLiteral("Pencil_Preset2"),
                 NoAutoRepeat);
    createAction(A::PencilPreset3, tr("Pencil Preset 3"), {}, QStringLiteral("Pencil_Preset3"),
                 NoAutoRepeat);
    createAction(A::Marker, tr("Marker (M)"), {keys(tr("5")), keys(tr("M"))},
                 QStringLiteral("Marker"), tool);
    createAction(A::MarkerPreset1, tr("Marker Preset 1"), {}, QStringLiteral("Marker_Preset1"),
                 NoAutoRepeat);
    createAction(A::MarkerPreset2, tr("Marker Preset 2"), {}, QStringLiteral("Marker_Preset2"),
                 NoAutoRepeat);
    createAction(A::MarkerPreset3, tr("Marker Preset 3"), {}, QStringLiteral("Marker_Preset3"),
                 NoAutoRepeat);
    createAction(A::Brush, tr("Brush (B)"), {keys(tr("6")), keys(tr("B"))},
                 QStringLiteral("Brush"), tool);
    createAction(A::BrushPreset1, tr("Brush Preset 1"), {}, QStringLiteral("Brush_Preset1"),
                 NoAutoRepeat);
    createAction(A::BrushPreset2, tr("Brush Preset 2"), {}, QStringLiteral("Brush_Preset2"),
                 NoAutoRepeat);
    createAction(A::BrushPreset3, tr("Brush Preset 3"), {}, QStringLiteral("Brush_Preset3"),
                 NoAutoRepeat);
    createAction(A::KneadedEraser, tr("Kneaded Eraser"), {keys(tr("1"))},
                 QStringLiteral("KneadedEraser"), tool);
    createAction(A::RubberEraser, tr("Rubber Eraser"), {keys(tr("2"))},
                 QStringLiteral("RubberEraser"), tool);
    createAction(A::VinylEraser, tr("Vinyl Eraser"), {keys(tr("3"))},
                 QStringLiteral("VinylEraser"), tool);
    createGroup({A::Pencil, A::Marker, A::Brush, A::KneadedEraser, A::RubberEraser,
                 A::VinylEraser});

    ToolManager* tools = ToolManager::instance();
    QAction* resetDrawing =
        createAction(A::ResetDrawingUserSettings, tr("Reset User Settings"));
    connect(resetDrawing, &QAction::triggered, tools, &ToolManager::resetDrawingToolSettings);
    QAction* resetErasing =
        createAction(A::ResetErasingUserSettings, tr("Reset User Settings"));
    connect(resetErasing, &QAction::triggered, tools, &ToolManager::resetErasingToolSettings);
    QAction* decrease = createAction(A::DecreasePenSize, tr("Decrease Pen Size"), {keys(tr("["))});
    connect(decrease, &QAction::triggered, tools, &ToolManager::decreaseDrawingToolSizeRange);
    QAction* increase = createAction(A::IncreasePenSize, tr("Increase Pen Size"), {keys(tr("]"))});
    connect(increase, &QAction::triggered, tools, &ToolManager::increaseDrawingToolSizeRange);

    createAction(A::DrawSettings, tr("Draw Settings (Hold D Key)"), {keys(tr("Shift+D"))}, {},
                 NoAutoRepeat);
    createAction(A::EraseSettings, tr("Erase Settings (Hold E Key)"), {keys(tr("Shift+E"))}, {},
                 NoAutoRepeat);

    QAction* toggleCursor =
        createAction(A::ToggleCursor, tr("Toggle Cursor (Crosshair/Dot)"), {keys(tr(","))});
    connect(toggleCursor, &QAction::triggered, toggleCursor, [] {
        Settings* settings = Settings::instance();
        switch (settings->drawCursorType()) {
        case KW::DrawCursorType::AdaptToSize:
            settings->setDrawCursorType(KW::DrawCursorType::FixedSmall);
            break;
        case KW::DrawCursorType::FixedSmall:
            settings->setDrawCursorType(KW::DrawCursorType::AdaptToSize);
            break;
        }
    });
}

void ActionManager::setupFlipNPlayActions()
{
    using A = KW::Action;
    createAction(A::Play, tr("Play"), {keys(tr("Space"))}, QStringLiteral("Playback"),
                 NoAutoRepeat);
    setAlternative(A::Play, QT_TR_NOOP("Stop"), QStringLiteral("Stop"));
    createAction(A::PlayLoop, tr("Loop"), {}, {}, Checkable);
    createAction(A::PlayOnce, tr("Once"), {}, {}, Checkable);
    createGroup({A::PlayLoop, A::PlayOnce});
    createAction(A::PlayBackwards, tr("Backwards"), {}, {}, Checkable);
    createAction(A::PlayStopAndStay, tr("Stop and Stay"), {}, {}, Checkable);

    // Frame rates read as numbers in the user's own notation ("12,5" where the
    // decimal separator is a comma), so they are formatted, not translated.
    const QLocale locale;
    const std::pair<A, double> rates[] = {{A::FrameRate06, 6},  {A::FrameRate12, 12},
                                          {A::FrameRate12_5, 12.5}, {A::FrameRate15, 15},
                                          {A::FrameRate24, 24}, {A::FrameRate25, 25},
                                          {A::FrameRate30, 30}, {A::FrameRate50, 50},
                                          {A::FrameRate60, 60}};
    for (const auto& [id, rate] : rates)
        createAction(id, locale.toString(rate, 'g', 6), {}, {}, Checkable);
    createAction(A::FrameRateCustom, tr("Custom", "fps menu action"), {}, {}, Checkable);
    createGroup({A::FrameRate06, A::FrameRate12, A::FrameRate12_5, A::FrameRate15,
                 A::FrameRate24, A::FrameRate25, A::FrameRate30, A::FrameRate50,
                 A::FrameRate60, A::FrameRateCustom});

    createAction(A::StepBack, tr("Step Back"), {keys(tr("Left")), keys(tr("Alt+Q"))});
    createAction(A::StepForward, tr("Step Forward"), {keys(tr("Right")), keys(tr("Alt+W"))});
    createAction(A::StepBackSkippingLocalClones, tr("Step Back (Skipping Local Clones)"),
                 {keys(tr("Up"))});
    createAction(A::StepForwardSkippingLocalClones, tr("Step Forward (Skipping Local Clones)"),
                 {keys(tr("Down"))});
    createAction(A::SkipBackToKeyDrawing, tr("Skip Back to Key Drawing"),
                 {keys(tr("Shift+Up"))});
    createAction(A::SkipForwardToKeyDrawing, tr("Skip Forward to Key Drawing"),
                 {keys(tr("Shift+Down"))});
    createAction(A::ReturnFlip, tr("Return Flip (Hold Return Key)"), {keys(tr("Return"))}, {},
                 NoAutoRepeat);
    createAction(A::JumpToStart, tr("Jump to Start"), {keys(tr("Home"))},
                 QStringLiteral("JumpToStart"));
    createAction(A::JumpToEnd, tr("Jump to End"), {keys(tr("End"))}, QStringLiteral("JumpToEnd"));
    createAction(A::RangeStartStepBack, tr("Step Range-Start Back"), {keys(tr("Ctrl+Left"))});
    createAction(A::RangeStartStepForward, tr("Step Range-Start Forward"),
                 {keys(tr("Ctrl+Right"))});
    createAction(A::RangeEndStepBack, tr("Step Range-End Back"), {keys(tr("Ctrl+Shift+Left"))});
    createAction(A::RangeEndStepForward, tr("Step Range-End Forward"),
                 {keys(tr("Ctrl+Shift+Right"))});
    createAction(A::RangeStartToFirstFrame, tr("Reset Range-Start to First Frame"),
                 {keys(tr("Ctrl+Home"))});
    createAction(A::RangeEndToLastFrame, tr("Reset Range-End to Last Frame"),
                 {keys(tr("Ctrl+End"))});
    createAction(A::MuteAudio, tr("Mute Audio"), {}, QStringLiteral("Audio"), Checkable);
    createAction(A::DiscardAudio, tr("Discard Audio"));
}

void ActionManager::setupLightTableActions()
{
    using A = KW::Action;
    Settings* settings = Settings::instance();

    QAction* backlight = createAction(A::BacklightOnOff, tr("Backlight (Onion Skin) On/Off"),
                                      {keys(tr("Shift+Space"))},
                                      QStringLiteral("BacklightOnOff"), Checkable);
    backlight->setChecked(settings->backlightEnabled());
    connect(backlight, &QAction::toggled, backlight,
            [](bool checked) { Settings::instance()->setBacklightEnabled(checked); });
    connect(settings, &Settings::backlightSettingsChanged, backlight,
            [backlight] { backlight->setChecked(Settings::instance()->backlightEnabled()); });

    QAction* toggleAB = createAction(A::BacklightToggleAB,
                                     tr("Toggle between A and B backlight setting"),
                                     {keys(tr("Shift+Alt+Space"))},
                                     QStringLiteral("BacklightToggleAB"));
    connect(toggleAB, &QAction::triggered, toggleAB, [] {
        Settings* s = Settings::instance();
        BacklightSettings backlightSettings = s->backlightSettings();
        backlightSettings.current = backlightSettings.current == BacklightSettings::BacklightSettingA
                                        ? BacklightSettings::BacklightSettingB
                                        : BacklightSettings::BacklightSettingA;
        s->setBacklightSettings(backlightSettings);
        s->setBacklightEnabled(true);
    });

    createAction(A::CustomizeBacklight, tr("Customize Backlight..."),
                 {keys(tr("Ctrl+Shift+Space"))});
    QAction* pan = createAction(A::Pan, tr("&Hand Tool (Hold H)"), {keys(tr("H"))},
                                QStringLiteral("HandTool"), Checkable | NoAutoRepeat);
    pan->setToolTip(tr("Hand Tool [Hold H]", "toolTip"));
    QAction* zoom = createAction(A::Zoom, tr("&Zoom (Hold Z)"), {keys(tr("Z"))},
                                 QStringLiteral("Zoom"), Checkable | NoAutoRepeat);
    zoom->setToolTip(tr("Zoom [Hold Z]", "toolTip"));
    QAction* rotate = createAction(A::Rotate, tr("&Rotate (Hold R)"), {keys(tr("R"))},
                                   QStringLiteral("Rotate"), Checkable | NoAutoRepeat);
    rotate->setToolTip(tr("Rotate [Hold R]", "toolTip"));
    createAction(A::ZPR, tr("Hand/Zoom/Rotate (Hold Space Bar)"), {keys(tr("Space"))}, {},
                 NoAutoRepeat);
    createAction(A::ResetView, tr("Reset View (0°, 100%, Centered)"), {keys(tr("0"))},
                 QStringLiteral("ResetView"));
    createAction(A::FitPaperToView, tr("Fit View (?%)"), {keys(tr("Ctrl+0"))},
                 QStringLiteral("FitView"));
    QList<QKeySequence> zoomIn = standard(QKeySequence::ZoomIn);
    zoomIn.append(keys(tr("Ctrl+=")));
    createAction(A::ZoomIn, tr("Zoom In"), zoomIn);
    createAction(A::ZoomOut, tr("Zoom Out"), standard(QKeySequence::ZoomOut));
    createAction(A::ViewToX1, tr("X1 (100%)"), {keys(tr("Ctrl+1"))});

    QAction* grid = createAction(A::GridOnOff, tr("Grid On/Off"), {keys(tr("G"))},
                                 QStringLiteral("Grid"), Checkable | NoAutoRepeat);
    const std::pair<A, QString> gridTypes[] = {{A::GridTypeFieldGuide, tr("Field Guide")},
                                               {A::GridTypeSafety, tr("Safety")},
                                               {A::GridTypeThirds, tr("Thirds")},
                                               {A::GridTypeDiagonals, tr("Diagonals")},
                                               {A::GridTypeRenaissance, tr("Renaissance")}};
    int gridValue = 0;
    for (const auto& [id, text] : gridTypes) {
        QAction* a = createAction(id, text, {}, {}, Checkable | NoAutoRepeat);
        const auto type = static_cast<KW::GridType>(gridValue++);
        connect(a, &QAction::triggered, a, [grid, type] {
            Settings::instance()->setGridType(type);
            grid->setChecked(true);
        });
    }
    createGroup({A::GridTypeFieldGuide, A::GridTypeSafety, A::GridTypeThirds,
                 A::GridTypeDiagonals, A::GridTypeRenaissance});
    QAction* fieldGuide = action(A::GridTypeFieldGuide);
    connect(settings, &Settings::gridTypeChanged, fieldGuide,
            [this](KW::GridType type) { d->updateGridType(type); });
    d->updateGridType(settings->gridType());

    QAction* nextGrid = createAction(A::GridTypeNext, tr("Next Grid Type"), {keys(tr("Shift+G"))});
    connect(nextGrid, &QAction::triggered, nextGrid, [grid] {
        Settings* s = Settings::instance();
        s->setGridType(nextKey(s->gridType()));
        grid->setChecked(true);
    });

    createAction(A::MarkAsKeyDrawing, tr("Mark (or Unmark) as Key Drawing"), {keys(tr("K"))},
                 QStringLiteral("MarkAsKeyDrawing"));
    createAction(A::UnmarkAllKeyDrawings, tr("Unmark All (Clear Keys)"), {keys(tr("Shift+K"))},
                 QStringLiteral("ClearKeys"));
    QAction* onlyKeys = createAction(A::OnlyBacklightKeyFrames, tr("Only Backlight Key Frames"),
                                     {keys(tr("Ctrl+K"))}, QStringLiteral("BacklightKeys"),
                                     Checkable);
    onlyKeys->setChecked(settings->onlyBacklightKeyFrames());
    connect(onlyKeys, &QAction::toggled, onlyKeys,
            [](bool checked) { Settings::instance()->setOnlyBacklightKeyFrames(checked); });
    createAction(A::MirrorView, tr("Mirror View"), {keys(tr("Y"))}, QStringLiteral("Mirror"),
                 Checkable);

    // The held keys by the names this platform gives them (Alt and Ctrl here,
    // the option and command signs on a Mac keyboard).
    QAction* offPegs = createAction(A::OffPegs,
                                    tr("Off Pegs Tool (Hold %1 and %2 Keys)")
                                        .arg(modifierName(Qt::AltModifier),
                                             modifierName(Qt::ControlModifier)),
                                    {}, QStringLiteral("OffPegs"), Checkable | NoAutoRepeat);
    offPegs->setIconText(tr("Off Pegs Tool", "iconText"));
    setToolTip(offPegs);
}

void ActionManager::setupXSheetActions()
{
    using A = KW::Action;
    Settings* settings = Settings::instance();

    createAction(A::XSheetShow, tr("Show X-Sheet"), {keys(tr("Tab"))}, {}, Checkable);
    QAction* oppositeSide =
        createAction(A::XSheetOppositeSide, tr("Place X-Sheet at Opposite Side"));
    QAction* detach = createAction(A::XSheetDetachSeparateWindow,
                                   tr("Detach X-Sheet as Separate Window"),
                                   {keys(tr("Shift+Tab"))}, {}, Checkable);
    // A detached X-sheet has no side of the main window to be on.
    connect(detach, &QAction::toggled, oppositeSide, &QAction::setDisabled);
    createAction(A::XSheetCenterAndScroll, tr("Center and Scroll when Flipping"), {}, {},
                 Checkable | Checked);

    QAction* slide = createAction(A::SlideMode, tr("Slide Mode"), {},
                                  QStringLiteral("SlideMode"), Checkable);
    slide->setChecked(settings->slideMode());
    connect(slide, &QAction::triggered, slide,
            [] { Settings::instance()->setSlideMode(true); });
    QAction* addClones = createAction(A::AddClonesMode, tr("Add Clones Mode"), {},
                                      QStringLiteral("AddClonesMode"), Checkable);
    addClones->setChecked(!settings->slideMode());
    connect(addClones, &QAction::triggered, addClones,
            [] { Settings::instance()->setSlideMode(false); });
    createGroup({A::AddClonesMode, A::SlideMode});
    QAction* toggleMode = createAction(A::ToggleXSheetDragMode,
                                       tr("Toggle Mode (Add Clones/Slide)"), {keys(tr("T"))},
                                       QStringLiteral("ToggleMode"));
    connect(toggleMode, &QAction::triggered, toggleMode, [slide, addClones] {
        if (Settings::instance()->slideMode())
            addClones->trigger();
        else
            slide->trigger();
    });

    createAction(A::NewLayer, tr("New Layer"), {keys(tr("N"))}, QStringLiteral("NewLayer"));
    createAction(A::DuplicateActiveLayer, tr("Duplicate Layer"), {keys(tr("Ctrl+Shift+D"))},
                 QStringLiteral("DuplicateLayer"));
    createAction(A::LayerAbove, tr("Go to Layer Above"), {keys(tr("PgUp"))});
    createAction(A::LayerBelow, tr("Go to Layer Below"), {keys(tr("PgDown"))});
    createAction(A::LayerTop, tr("Go to Top Layer"), {keys(tr("Shift+PgUp"))});
    createAction(A::LayerBottom, tr("Go to Bottom Layer"), {keys(tr("Shift+PgDown"))});
    createAction(A::DiscardActiveLayer, tr("Delete Layer"), {keys(tr("Ctrl+Shift+Delete"))},
                 QStringLiteral("DeleteLayer"));
    createAction(A::LayerVisibility, tr("Layer Visible"), {keys(tr("V"))},
                 QStringLiteral("Visible"), Checkable | Checked);
    createAction(A::LayerLink, tr("Layer Linked"), {keys(tr("-"))}, QStringLiteral("Link"),
                 Checkable | Checked);

    createAction(A::ShowNothingBeyond, tr("Nothing"), {}, {}, Checkable);
    createAction(A::FreezeLastDrawingBeyond, tr("Freeze Last Drawing"), {}, {}, Checkable);
    createAction(A::CycleDrawingsBeyond, tr("Cycle Drawings"), {}, {}, Checkable);
    createGroup({A::ShowNothingBeyond, A::FreezeLastDrawingBeyond, A::CycleDrawingsBeyond});
    d->check(A::ShowNothingBeyond);

    QAction* beyondButtons =
        createAction(A::ShowBeyondButtons, tr("Show Buttons"), {}, {}, Checkable);
    beyondButtons->setChecked(settings->showBeyondButtons());
    connect(beyondButtons, &QAction::toggled, beyondButtons,
            [](bool checked) { Settings::instance()->setShowBeyondButtons(checked); });

    createAction(A::MergeLayerDown, tr("Merge Layer Down (Right)"), {keys(tr("&"))},
                 QStringLiteral("MergeLayers"));
    createAction(A::UnlinkAllLayers, tr("Unlink All Layers"), {keys(tr("U"))});
    createAction(A::LinkAllLayers, tr("Link All Layers"), {keys(tr("Shift+U"))});

    const std::pair<A, QString> sizes[] = {{A::ThumbnailSizeTiny, tr("Tiny")},
                                           {A::ThumbnailSizeSmall, tr("Small")},
                                           {A::ThumbnailSizeMedium, tr("Medium")},
                                           {A::ThumbnailSizeLarge, tr("Large")}};
    int sizeValue = 0;
    for (const auto& [id, text] : sizes) {
        QAction* a = createAction(id, text, {}, {}, Checkable);
        const auto size = static_cast<KW::ThumbnailSize>(sizeValue++);
        connect(a, &QAction::triggered, a,
                [size] { Settings::instance()->setThumbnailSize(size); });
    }
    createGroup({A::ThumbnailSizeTiny, A::ThumbnailSizeSmall, A::ThumbnailSizeMedium,
                 A::ThumbnailSizeLarge});
    d->check(A::ThumbnailSizeMedium);

    QAction* smaller = createAction(A::ThumbnailSizeSmaller, tr("Smaller"), {keys(tr("Ctrl+<"))});
    connect(smaller, &QAction::triggered, smaller, [] {
        Settings* s = Settings::instance();
        s->setThumbnailSize(neighbourKey(s->thumbnailSize(), -1));
    });
    QAction* larger = createAction(A::ThumbnailSizeLarger, tr("Larger"), {keys(tr("Ctrl+>"))});
    connect(larger, &QAction::triggered, larger, [] {
        Settings* s = Settings::instance();
        s->setThumbnailSize(neighbourKey(s->thumbnailSize(), +1));
    });
    connect(settings, &Settings::thumbnailSizeChanged, action(A::ThumbnailSizeTiny),
            [this](KW::ThumbnailSize size) { d->updateThumbnailSize(size); });
    d->updateThumbnailSize(settings->thumbnailSize());
}

void ActionManager::setupPickUpActions()
{
    using A = KW::Action;
    createAction(A::Lasso, tr("Lasso"), {keys(tr("L"))}, QStringLiteral("LassoThisDrawing"),
                 Checkable | NoAutoRepeat);
    createAction(A::Cutter, tr("Cutter"), {keys(tr("X"))}, QStringLiteral("Cutter"),
                 Checkable | NoAutoRepeat);
    createAction(A::PickUpAllOfThisDrawing, tr("All (Whole Drawing)"), {keys(tr("A"))},
                 QStringLiteral("PickUpAll"), NoAutoRepeat);
    createAction(A::StampFloatingSelection, tr("Stamp Floating Selection"),
                 {keys(tr("Return"))}, {}, NoAutoRepeat);
    createAction(A::StampFloatingSelectionKeepFloating,
                 tr("Stamp Floating Selection (Keep Floating Selection)"),
                 {keys(tr("Shift+Return")), keys(tr("Shift+Enter"))}, {}, NoAutoRepeat);
    createAction(A::DropFloatingSelection, tr("Drop Floating Selection"), {keys(tr("Esc"))});
    createAction(A::GetLatestFloatingSelectionBack, tr("Get latest Floating Selection back"),
                 {keys(tr("Shift+Esc"))});
    createAction(A::FloatingSelection, tr("Floating Selection"), {}, {},
                 Checkable | NoAutoRepeat);
}

void ActionManager::setupPaintActions()
{
    using A = KW::Action;
    createAction(A::NewPaintLayer, tr("New Paint Layer"), {}, {}, StartsDisabled);
    createAction(A::NewPaintLayerWithCloneStructure, tr("New Paint Layer with Clone Structure"),
                 {keys(tr("Ctrl+Shift+N"))}, {}, StartsDisabled);
    createAction(A::Palette, tr("&Color Palette"), {keys(QStringLiteral("C"))},
                 QStringLiteral("Palette"), NoAutoRepeat | StartsDisabled);
    createAction(A::ColorPickerTool, tr("Color Picker Tool"), {keys(tr("I"))},
                 QStringLiteral("ColorPickerTool"), StartsDisabled);
    createAction(A::FillTool, tr("Fill Tool"), {keys(tr("F"))}, QStringLiteral("FillTool"),
                 StartsDisabled);
}

void ActionManager::setupWindowActions()
{
    using A = KW::Action;
    Settings* settings = Settings::instance();

    QAction* toolBar = createAction(A::ToolBar, tr("Show Tool Bar"), {keys(tr("Ctrl+T"))}, {},
                                    Checkable);
    toolBar->setChecked(settings->toolBarVisible());
    connect(toolBar, &QAction::triggered, toolBar,
            [](bool checked) { Settings::instance()->setToolBarVisible(checked); });
    connect(settings, &Settings::toolBarVisibleChanged, toolBar, &QAction::setChecked);

    QAction* opposite =
        createAction(A::ToolBarOppositeSide, tr("Place Tool Bar at Opposite Side"));
    connect(opposite, &QAction::triggered, opposite, [] {
        Settings* s = Settings::instance();
        switch (s->toolBarPosition()) {
        case KW::ToolBarPosition::Left:
            s->setToolBarPosition(KW::ToolBarPosition::Right);
            break;
        case KW::ToolBarPosition::Right:
            s->setToolBarPosition(KW::ToolBarPosition::Left);
            break;
        }
    });
    QAction* left = createAction(A::ToolBarLeftSide, tr("Left Side"), {}, {}, Checkable);
    connect(left, &QAction::triggered, left, [](bool checked) {
        if (checked)
            Settings::instance()->setToolBarPosition(KW::ToolBarPosition::Left);
    });
    QAction* right = createAction(A::ToolBarRightSide, tr("Right Side"), {}, {}, Checkable);
    connect(right, &QAction::triggered, right, [](bool checked) {
        if (checked)
            Settings::instance()->setToolBarPosition(KW::ToolBarPosition::Right);
    });
    createGroup({A::ToolBarLeftSide, A::ToolBarRightSide});
    connect(settings, &Settings::toolBarPositionChanged, left,
            [this](KW::ToolBarPosition position) { d->updateToolBarPosition(position); });
    d->updateToolBarPosition(settings->toolBarPosition());

    createAction(A::ReferenceDisplay, tr("Reference Display"), {keys(tr("#"))}, {}, Checkable);
    createAction(A::CustomizeToolBar, tr("Customize Tool Bar..."));
    createAction(A::PrimarySpeedDial, tr("&Speed Dial (primary)"), {keys(QStringLiteral("S"))},
                 {}, NoAutoRepeat);
    createAction(A::SecondarySpeedDial, tr("Speed Dial (secondary)"),
                 {keys(QStringLiteral("Shift+S"))}, {}, NoAutoRepeat);
    createAction(A::CustomizeSpeedDials, tr("Customize Speed Dials..."));
    createAction(A::FullScreen, tr("Full Screen"), standard(QKeySequence::FullScreen));
    createAction(A::Settings, tr("Settings..."));
}

void ActionManager::setupHelpActions()
{
    using A = KW::Action;
    createAction(A::VideoTutorials, tr("Video Tutorials"), standard(QKeySequence::HelpContents));

    QAction* shortcuts = createAction(A::KeyboardShortcuts, tr("Keyboard Shortcuts"));
    connect(shortcuts, &QAction::triggered, shortcuts, [] {
        WebPage::open(nullptr, WebPage::address(QStringLiteral("/help/shortcuts")));
    });
    // Translations may point these two at pages in their own language.
    QAction* forum = createAction(A::CommunityForum, tr("Community Forum"));
    connect(forum, &QAction::triggered, forum, [this] {
        WebPage::open(nullptr, WebPage::address(tr("/help/forum")));
    });
    QAction* feedback = createAction(A::ProvideFeedback, tr("Provide Feedback"));
    connect(feedback, &QAction::triggered, feedback, [this] {
        WebPage::open(nullptr, WebPage::address(tr("/help/feedback")));
    });

    createAction(A::About, tr("About %1").arg(QGuiApplication::applicationDisplayName()));
}

void ActionManager::setupOtherActions()
{
    using A = KW::Action;
    Settings* settings = Settings::instance();

    createAction(A::ImportReferenceLayer, tr("Import Reference Frames or Movie Clip..."));
    createAction(A::ImportAudio, tr("Import Audio..."));
    createAction(A::CollapseVectorData, tr("Collapse vector data to bitmap"),
                 {keys(tr("Ctrl+B"))}, {}, StartsDisabled);

    QAction* faint = createAction(A::FaintCursor, tr("Faint Cursor"), {}, {}, Checkable);
    faint->setChecked(settings->drawCursorOpacity() == KW::DrawCursorOpacity::Faint);
    connect(faint, &QAction::triggered, faint, [](bool checked) {
        Settings::instance()->setDrawCursorOpacity(checked ? KW::DrawCursorOpacity::Faint
                                                           : KW::DrawCursorOpacity::Opaque);
    });
    connect(settings, &Settings::drawCursorOpacityChanged, faint,
            [faint](KW::DrawCursorOpacity opacity) {
                faint->setChecked(opacity == KW::DrawCursorOpacity::Faint);
            });

    QAction* freely = createAction(A::FreelyDrawOnClones,
                                   tr("Freely draw on Clones - Original will update"), {}, {},
                                   Checkable);
    connect(freely, &QAction::triggered, freely,
            [] { Settings::instance()->setClonesLockedForDrawing(false); });
    QAction* locked = createAction(A::ClonesLockedForDrawing, tr("Clones are locked for drawing"),
                                   {}, {}, Checkable);
    connect(locked, &QAction::triggered, locked,
            [] { Settings::instance()->setClonesLockedForDrawing(true); });
    createGroup({A::FreelyDrawOnClones, A::ClonesLockedForDrawing});
    d->check(settings->clonesLockedForDrawing() ? A::ClonesLockedForDrawing
                                                : A::FreelyDrawOnClones);

    const QString transparencies[] = {tr("Small Checkers, Light"), tr("Small Checkers, Dark"),
                                      tr("Large Checkers, Light"), tr("Large Checkers, Dark"),
                                      tr("White"),                 tr("Light Grey"),
                                      tr("Dark Grey"),             tr("Black")};
    for (int k = 0; k < 8; ++k) {
        QAction* a = createAction(offset(A::TransparencyShownAsSmallCheckersLight, k),
                                  transparencies[k], {}, {}, Checkable | NoAutoRepeat);
        const auto type = static_cast<KW::TransparencyType>(k);
        connect(a, &QAction::triggered, a,
                [type] { Settings::instance()->setTransparencyType(type); });
    }
    createGroup({A::TransparencyShownAsSmallCheckersLight, A::TransparencyShownAsSmallCheckersDark,
                 A::TransparencyShownAsLargeCheckersLight, A::TransparencyShownAsLargeCheckersDark,
                 A::TransparencyShownAsWhite, A::TransparencyShownAsLightGrey,
                 A::TransparencyShownAsDarkGrey, A::TransparencyShownAsBlack});
    connect(settings, &Settings::transparencyTypeChanged,
            action(A::TransparencyShownAsSmallCheckersLight),
            [this](KW::TransparencyType type) { d->updateTransparencyType(type); });
    d->updateTransparencyType(settings->transparencyType());

    QAction* collapse = createAction(A::CollapseVectorDataAutomatically,
                                     tr("Collapse Automatically"), {}, {}, Checkable);
    connect(collapse, &QAction::triggered, collapse,
            [](bool checked) { Settings::instance()->setCollapseAutomatically(checked); });

    createAction(A::XSheetLeftSide, tr("Left Side"), {}, {}, Checkable | NoAutoRepeat);
    createAction(A::XSheetRightSide, tr("Right Side"), {}, {}, Checkable | NoAutoRepeat);
    createGroup({A::XSheetLeftSide, A::XSheetRightSide});

    QAction* topBar = createAction(A::XSheetTopBar, tr("Show X-Sheet Top Bar"), {}, {}, Checkable);
    topBar->setChecked(settings->showXSheetTopBar());
    connect(topBar, &QAction::triggered, topBar,
            [](bool checked) { Settings::instance()->setShowXSheetTopBar(checked); });
    connect(settings, &Settings::showXSheetTopBarChanged, topBar, &QAction::setChecked);

    const QString intervals[] = {tr("5 mins"), tr("15 mins"), tr("30 mins"), tr("1 hour")};
    for (int k = 0; k < 4; ++k) {
        QAction* a = createAction(offset(A::AutoSaveInterval5Min, k), intervals[k], {}, {},
                                  Checkable | NoAutoRepeat);
        const int minutes = autoSaveIntervals[k];
        connect(a, &QAction::triggered, a,
                [minutes] { Settings::instance()->setAutoSaveIntervalMins(minutes); });
    }
    createGroup({A::AutoSaveInterval5Min, A::AutoSaveInterval15Min, A::AutoSaveInterval30Min,
                 A::AutoSaveInterval60Min});
    const QString fileCounts[] = {tr("Only 1"), tr("Alternate between 2"), tr("Cycle through 3"),
                                  tr("Cycle through 5"), tr("Cycle through 9")};
    for (int k = 0; k < 5; ++k) {
        QAction* a = createAction(offset(A::AutoSaveFiles1, k), fileCounts[k], {}, {},
                                  Checkable | NoAutoRepeat);
        const int files = autoSaveFileCounts[k];
        connect(a, &QAction::triggered, a,
                [files] { Settings::instance()->setAutoSaveNumFiles(files); });
    }
    createGroup({A::AutoSaveFiles1, A::AutoSaveFiles2, A::AutoSaveFiles3, A::AutoSaveFiles5,
                 A::AutoSaveFiles9});
    connect(settings, &Settings::autoSaveChanged, action(A::AutoSave),
            [this] { d->updateAutoSave(); });
    d->updateAutoSave();

    const QString scales[] = {tr("75%"), tr("100%"), tr("125%"), tr("150%")};
    for (int k = 0; k < 4; ++k) {
        QAction* a = createAction(offset(A::UIScale75, k), scales[k], {}, {},
                                  Checkable | NoAutoRepeat);
        const int percent = uiScales[k];
        connect(a, &QAction::triggered, a,
                [percent] { Settings::instance()->setUIScalePercent(percent); });
    }
    createGroup({A::UIScale75, A::UIScale100, A::UIScale125, A::UIScale150});
    connect(settings, &Settings::UIScaleChanged, action(A::UIScale75),
            [this](int percent) { d->updateUIScale(percent); });
    d->updateUIScale(settings->UIScalePercent());
}

} // namespace Model
