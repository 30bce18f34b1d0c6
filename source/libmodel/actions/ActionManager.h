#pragma once

#include "settings/KW.h"

#include <QIcon>
#include <QKeySequence>
#include <QList>
#include <QObject>
#include <QString>

#include <initializer_list>
#include <memory>
#include <optional>

class QAction;
class QUndoGroup;

namespace Model {

class ActionManagerData;

// The one registry of user commands. Every menu entry, tool-bar button,
// speed-dial slot and keyboard shortcut is a QAction made here once and found by
// its KW::Action value or key text; views build their menus and buttons from
// these actions instead of making their own, so that check states, enabled
// states and texts agree everywhere.
class ActionManager : public QObject
{
    Q_OBJECT

public:
    enum ActionProfile { Default = 0, Alternative = 1 };
    Q_ENUM(ActionProfile)

    // What the manager knows about one registered action besides the action
    // itself: the texts and icons to switch between.
    struct ActionRecord
    {
        QAction* action = nullptr;
        KW::Action id = KW::Action::NoAction;
        QString defaultText;
        QIcon defaultIcon;
        // Untranslated source text; translated with a count when applied.
        std::optional<QString> alternativeText;
        std::optional<QIcon> alternativeIcon;
    };

    // The application's one manager. Tests may build their own with the public
    // constructor; every manager works on the one settings store.
    static ActionManager* instance();

    explicit ActionManager(QObject* parent = nullptr);
    ~ActionManager() override;

    // Builds the whole catalogue. Needs the settings loaded and the tool manager
    // started, since actions take their start states from the one and connect
    // to the other.
    void init();
    // Adopts the undo and redo actions of the main window's undo group.
    void setupUndoRedoActions(QUndoGroup* group);

    // Every registered action, in catalogue order.
    QList<QAction*> actions() const;
    QAction* action(KW::Action id) const;
    QAction* action(const QString& keyName) const;
    ActionRecord* kwAction(KW::Action id) const;
    ActionRecord* kwAction(const QString& keyName) const;

    void updateToolTip(KW::Action id);
    void setProfile(KW::Action id, ActionProfile profile, int n = -1);

    // Bracket modal work: every action is disabled, then put back as it was.
    void disableActions();
    void enableActions();

private:
    void setupFileActions();
    void setupEditActions();
    void setupDrawActions();
    void setupFlipNPlayActions();
    void setupLightTableActions();
    void setupXSheetActions();
    void setupPickUpActions();
    void setupPaintActions();
    void setupWindowActions();
    void setupHelpActions();
    void setupOtherActions();

    enum ActionFlag : unsigned {
        Checkable = 1,
        Checked = 2,
        NoAutoRepeat = 4, // a held key triggers once
        StartsDisabled = 8
    };

    // Makes one action with its shortcuts (for the windows that show it), tool tip and icon
    // (":/icons/<iconName>_icon.svg"), registers it and applies the flags.
    QAction* createAction(KW::Action id, const QString& text,
                          const QList<QKeySequence>& shortcuts = {},
                          const QString& iconName = QString(), unsigned flags = 0);
    // Makes an exclusive group of already registered actions.
    void createGroup(std::initializer_list<KW::Action> members);
    void setAlternative(KW::Action id, const char* sourceText, const QString& iconName = QString());

    void insertAction(KW::Action id, QAction* action);
    void setToolTip(QAction* action);

    std::unique_ptr<ActionManagerData> d;
};

} // namespace Model
