#include "TestSupport.h"

#include "actions/ActionManager.h"
#include "settings/KW.h"
#include "settings/Settings.h"

#include <QAction>
#include <QPointer>
#include <QTranslator>
#include <QUndoCommand>
#include <QUndoGroup>
#include <QUndoStack>

using Model::ActionManager;
using Model::Settings;

namespace {

// Collects the debug messages written while it exists.
class DebugMessages
{
public:
    DebugMessages()
    {
        s_current = this;
        m_previous = qInstallMessageHandler(&DebugMessages::handle);
    }
    ~DebugMessages()
    {
        qInstallMessageHandler(m_previous);
        s_current = nullptr;
    }
    QStringList messages;

private:
    static void handle(QtMsgType type, const QMessageLogContext&, const QString& message)
    {
        if (s_current && type == QtDebugMsg)
            s_current->messages += message;
    }
    static inline DebugMessages* s_current = nullptr;
    QtMessageHandler m_previous = nullptr;
};

class CountingTranslator : public QTranslator
{
public:
    QString translate(const char* context, const char* sourceText, const char* disambiguation,
                      int n) const override
    {
        Q_UNUSED(disambiguation)
        if (qstrcmp(context, "Model::ActionManager") == 0
            && qstrcmp(sourceText, "Cut Selected Drawings") == 0)
            return n == 1 ? QStringLiteral("Cut the Selected Drawing")
                          : QStringLiteral("Cut %1 Selected Drawings").arg(n);
        return QString();
    }
    bool isEmpty() const override { return false; }
};

class NamedCommand : public QUndoCommand
{
public:
    explicit NamedCommand(int* counter)
        : QUndoCommand(QStringLiteral("Stroke"))
        , m_counter(counter)
    {
    }
    void redo() override { ++*m_counter; }
    void undo() override { --*m_counter; }

private:
    int* m_counter;
};

QString nativeText(QKeySequence::StandardKey key)
{
    return QKeySequence::keyBindings(key).value(0).toString(QKeySequence::NativeText);
}

} // namespace

class TestActionManager : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void init();
    void cleanup();

    void singletonIsOneObject();
    void lookupByValueAndKey_data();
    void lookupByValueAndKey();
    void lookupOfMissingActionsIsQuiet();
    void missingRegisteredActionIsReported();
    void everyActionCarriesItsKeyName();
    void updateToolTipAfterTextChange();
    void playSwitchesToStopAndBack();
    void profileWithoutAlternativeChangesNothing();
    void alternativeTextIsTranslatedWithCount();
    void unknownProfileOnlyRecomputesToolTip();
    void disableAndRestore();
    void enableWithoutDisableDisablesAll();
    void disablingTwiceLosesSavedStates();
    void undoRedoActionsFromUndoGroup();
    void reRegisteringReplacesOldAction();

private:
    std::unique_ptr<ActionManager> m_manager;
};

void TestActionManager::initTestCase()
{
    TestSupport::clearSettings();
    Settings::instance()->init();
}

void TestActionManager::init()
{
    m_manager = std::make_unique<ActionManager>();
    m_manager->init();
}

void TestActionManager::cleanup()
{
    m_manager.reset();
}

void TestActionManager::singletonIsOneObject()
{
    ActionManager* first = ActionManager::instance();
    QVERIFY(first);
    QCOMPARE(ActionManager::instance(), first);
    QVERIFY(!first->parent());
}

void TestActionManager::lookupByValueAndKey_data()
{
    QTest::addColumn<QString>("key");
    QTest::addColumn<KW::Action>("expected");
    QTest::newRow("Draw") << QStringLiteral("Draw") << KW::Action::Draw;
    QTest::newRow("first") << QStringLiteral("NewScene") << KW::Action::NewScene;
    QTest::newRow("last") << QStringLiteral("UIScale150") << KW::Action::UIScale150;
    QTest::newRow("wrong case") << QStringLiteral("draw") << KW::Action::NoAction;
    QTest::newRow("empty") << QString() << KW::Action::NoAction;
    QTest::newRow("scoped spelling") << QStringLiteral("Action::Draw") << KW::Action::NoAction;
    QTest::newRow("trailing space") << QStringLiteral("Draw ") << KW::Action::NoAction;
    QTest::newRow("NoAction") << QStringLiteral("NoAction") << KW::Action::NoAction;
    QTest::newRow("number") << QStringLiteral("30") << KW::Action::NoAction;
}

void TestActionManager::lookupByValueAndKey()
{
    QFETCH(QString, key);
    QFETCH(KW::Action, expected);
    DebugMessages debug;
    QAction* found = m_manager->action(key);
    ActionManager::ActionRecord* record = m_manager->kwAction(key);
    if (expected == KW::Action::NoAction) {
        QVERIFY(!found);
        QVERIFY(!record);
    } else {
        QVERIFY(found);
        QCOMPARE(found, m_manager->action(expected));
        QCOMPARE(record, m_manager->kwAction(expected));
        QCOMPARE(record->action, found);
    }
    QCOMPARE(debug.messages, QStringList());
}

void TestActionManager::lookupOfMissingActionsIsQuiet()
{
    DebugMessages debug;
    QVERIFY(!m_manager->action(KW::Action::NoAction));
    QVERIFY(!m_manager->kwAction(KW::Action::NoAction));
    QVERIFY(!m_manager->action(QString()));
    QCOMPARE(debug.messages, QStringList());
}

void TestActionManager::missingRegisteredActionIsReported()
{
    // Undo and redo exist only once the main window has handed over its group.
    DebugMessages debug;
    QVERIFY(!m_manager->action(KW::Action::Undo));
    QCOMPARE(debug.messages, QStringList{QStringLiteral(R"(kwAction action not found "Undo")")});
}

void TestActionManager::everyActionCarriesItsKeyName()
{
    const QMetaEnum meta = QMetaEnum::fromType<KW::Action>();
    for (int i = 0; i < meta.keyCount(); ++i) {
        const auto id = static_cast<KW::Action>(meta.value(i));
        if (id == KW::Action::NoAction || id == KW::Action::Undo || id == KW::Action::Redo)
            continue;
        QAction* action = m_manager->action(id);
        QVERIFY2(action, meta.key(i));
        QCOMPARE(action->property("KWActionName").toString(), QString::fromLatin1(meta.key(i)));
    }
}

void TestActionManager::updateToolTipAfterTextChange()
{
    QAction* fit = m_manager->action(KW::Action::FitPaperToView);
    const QString shortcut = QKeySequence(QStringLiteral("Ctrl+0")).toString(QKeySequence::NativeText);
    QCOMPARE(fit->toolTip(), QStringLiteral("Fit View (?%) [%1]").arg(shortcut));
    fit->setText(QStringLiteral("Fit View (42%)"));
    // Changing the text alone leaves the tool tip as it was.
    QCOMPARE(fit->toolTip(), QStringLiteral("Fit View (?%) [%1]").arg(shortcut));
    m_manager->updateToolTip(KW::Action::FitPaperToView);
    QCOMPARE(fit->toolTip(), QStringLiteral("Fit View (42%) [%1]").arg(shortcut));
}

void TestActionManager::playSwitchesToStopAndBack()
{
    QAction* play = m_manager->action(KW::Action::Play);
    ActionManager::ActionRecord* record = m_manager->kwAction(KW::Action::Play);
    QVERIFY(record->alternativeIcon.has_value());
    const qint64 playIcon = play->icon().cacheKey();
    QCOMPARE(record->defaultIcon.cacheKey(), playIcon);
    const QString space = QKeySequence(QStringLiteral("Space")).toString(QKeySequence::NativeText);

    m_manager->setProfile(KW::Action::Play, ActionManager::Alternative);
    QCOMPARE(play->text(), QStringLiteral("Stop"));
    QCOMPARE(play->icon().cacheKey(), record->alternativeIcon->cacheKey());
    QVERIFY(play->icon().cacheKey() != playIcon);
    QCOMPARE(play->toolTip(), QStringLiteral("Stop [%1]").arg(space));

    m_manager->setProfile(KW::Action::Play, ActionManager::Default);
    QCOMPARE(play->text(), QStringLiteral("Play"));
    QCOMPARE(play->icon().cacheKey(), playIcon);
    QCOMPARE(play->toolTip(), QStringLiteral("Play [%1]").arg(space));
}

void TestActionManager::profileWithoutAlternativeChangesNothing()
{
    QAction* newScene = m_manager->action(KW::Action::NewScene);
    newScene->setToolTip(QStringLiteral("set elsewhere"));
    m_manager->setProfile(KW::Action::NewScene, ActionManager::Alternative, 3);
    QCOMPARE(newScene->text(), QStringLiteral("New Scene..."));
    QCOMPARE(newScene->toolTip(), QStringLiteral("set elsewhere"));
}

void TestActionManager::alternativeTextIsTranslatedWithCount()
{
    CountingTranslator translator;
    QCoreApplication::installTranslator(&translator);
    QAction* cut = m_manager->action(KW::Action::CutDrawing);
    m_manager->setProfile(KW::Action::CutDrawing, ActionManager::Alternative, 4);
    QCOMPARE(cut->text(), QStringLiteral("Cut 4 Selected Drawings"));
    m_manager->setProfile(KW::Action::CutDrawing, ActionManager::Alternative, 1);
    QCOMPARE(cut->text(), QStringLiteral("Cut the Selected Drawing"));
    QCoreApplication::removeTranslator(&translator);

    // Without a translation the source text stands, and no icon was given.
    const qint64 icon = cut->icon().cacheKey();
    m_manager->setProfile(KW::Action::CopyDrawing, ActionManager::Alternative, 2);
    QCOMPARE(m_manager->action(KW::Action::CopyDrawing)->text(),
             QStringLiteral("Copy Selected Drawings"));
    QCOMPARE(cut->icon().cacheKey(), icon);
    QCOMPARE(m_manager->action(KW::Action::CopyDrawing)->toolTip(),
             QStringLiteral("Copy Selected Drawings [%1]").arg(nativeText(QKeySequence::Copy)));

    m_manager->setProfile(KW::Action::CutDrawing, ActionManager::Default, 4);
    QCOMPARE(cut->text(), QStringLiteral("Cut Drawing"));
}

void TestActionManager::unknownProfileOnlyRecomputesToolTip()
{
    QAction* discard = m_manager->action(KW::Action::DiscardDrawing);
    discard->setToolTip(QStringLiteral("stale"));
    m_manager->setProfile(KW::Action::DiscardDrawing, static_cast<ActionManager::ActionProfile>(2), 1);
    QCOMPARE(discard->text(), QStringLiteral("Delete Drawing"));
    QCOMPARE(discard->toolTip(),
             QStringLiteral("Delete Drawing [%1]")
                 .arg(QKeySequence(QStringLiteral("Ctrl+Delete")).toString(QKeySequence::NativeText)));
}

void TestActionManager::disableAndRestore()
{
    QAction* paste = m_manager->action(KW::Action::PasteDrawing);
    QAction* save = m_manager->action(KW::Action::SaveScene);
    QVERIFY(!paste->isEnabled());
    QVERIFY(save->isEnabled());

    m_manager->disableActions();
    for (QAction* a : m_manager->findChildren<QAction*>())
        QVERIFY2(!a->isEnabled(), qPrintable(a->property("KWActionName").toString()));
    QCOMPARE(save->property("WasEnabled"), QVariant(true));
    QCOMPARE(paste->property("WasEnabled"), QVariant(false));

    m_manager->enableActions();
    QVERIFY(save->isEnabled());
    QVERIFY(!paste->isEnabled());
    // The saved state stays behind.
    QCOMPARE(save->property("WasEnabled"), QVariant(true));
}

void TestActionManager::enableWithoutDisableDisablesAll()
{
    m_manager->enableActions();
    for (QAction* a : m_manager->findChildren<QAction*>())
        QVERIFY2(!a->isEnabled(), qPrintable(a->property("KWActionName").toString()));
}

void TestActionManager::disablingTwiceLosesSavedStates()
{
    m_manager->disableActions();
    m_manager->disableActions();
    m_manager->enableActions();
    QVERIFY(!m_manager->action(KW::Action::SaveScene)->isEnabled());
    QVERIFY(!m_manager->action(KW::Action::Quit)->isEnabled());
}

void TestActionManager::undoRedoActionsFromUndoGroup()
{
    QUndoGroup group;
    QUndoStack stack;
    group.addStack(&stack);
    group.setActiveStack(&stack);
    m_manager->setupUndoRedoActions(&group);

    QAction* undo = m_manager->action(KW::Action::Undo);
    QAction* redo = m_manager->action(QStringLiteral("Redo"));
    QVERIFY(undo && redo);
    QCOMPARE(undo->parent(), m_manager.get());
    QCOMPARE(undo->property("KWActionName").toString(), QStringLiteral("Undo"));
    QCOMPARE(undo->shortcuts(), QKeySequence::keyBindings(QKeySequence::Undo));
    QCOMPARE(redo->shortcuts(), QKeySequence::keyBindings(QKeySequence::Redo));
    QCOMPARE(undo->shortcutContext(), Qt::WindowShortcut);
    QCOMPARE(redo->shortcutContext(), Qt::WindowShortcut);
    QVERIFY(!undo->icon().isNull());
    QVERIFY(!redo->icon().isNull());
    QCOMPARE(undo->toolTip(), QStringLiteral("Undo [%1]").arg(nativeText(QKeySequence::Undo)));
    QCOMPARE(redo->toolTip(), QStringLiteral("Redo [%1]").arg(nativeText(QKeySequence::Redo)));
    const QString registeredText = m_manager->kwAction(KW::Action::Undo)->defaultText;

    int counter = 0;
    stack.push(new NamedCommand(&counter));
    QVERIFY(undo->isEnabled());
    QVERIFY(undo->text().contains(QLatin1String("Stroke")));
    // The group rewrites the text; the record keeps the registered one.
    QCOMPARE(m_manager->kwAction(KW::Action::Undo)->defaultText, registeredText);
    undo->trigger();
    QCOMPARE(counter, 0);
    QVERIFY(redo->isEnabled());
    redo->trigger();
    QCOMPARE(counter, 1);
}

void TestActionManager::reRegisteringReplacesOldAction()
{
    QUndoGroup group;
    m_manager->setupUndoRedoActions(&group);
    QPointer<QAction> oldUndo = m_manager->action(KW::Action::Undo);
    QVERIFY(oldUndo);

    QTest::ignoreMessage(QtDebugMsg, R"(insertAction Replacing action "Undo")");
    QTest::ignoreMessage(QtDebugMsg, R"(insertAction Replacing action "Redo")");
    m_manager->setupUndoRedoActions(&group);
    QAction* newUndo = m_manager->action(KW::Action::Undo);
    QVERIFY(newUndo != oldUndo);
    QCOMPARE(m_manager->kwAction(KW::Action::Undo)->action, newUndo);
    // The old action is still alive until the event loop runs.
    QVERIFY(oldUndo);
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    QVERIFY(!oldUndo);
    QCOMPARE(m_manager->action(KW::Action::Undo), newUndo);
}

QUILLMERE_TEST_MAIN(TestActionManager)
#include "tst_actionmanager.moc"
