#include "TestSupport.h"

// The widget library has a start-up header of the same name, and its include
// folder comes first here.
#include "startup/Init.h"

#include "actions/ActionManager.h"
#include "settings/Settings.h"
#include "tools/Cursor.h"
#include "tools/ToolManager.h"

#include <QAction>
#include <QActionGroup>
#include <QFile>
#include <QPointer>
#include <QSvgRenderer>

using Model::ActionManager;
using Model::Settings;
using Model::ToolManager;

namespace {

// Counts the debug messages that contain a text, and keeps them off the log.
class DebugCounter
{
public:
    explicit DebugCounter(const QString& text)
        : m_text(text)
    {
        s_current = this;
        m_previous = qInstallMessageHandler(&DebugCounter::handle);
    }
    ~DebugCounter()
    {
        qInstallMessageHandler(m_previous);
        s_current = nullptr;
    }
    int count = 0;

private:
    static void handle(QtMsgType type, const QMessageLogContext& context, const QString& message)
    {
        if (type == QtDebugMsg && message.contains(s_current->m_text))
            ++s_current->count;
        else if (s_current->m_previous)
            s_current->m_previous(type, context, message);
    }
    static inline DebugCounter* s_current = nullptr;
    QString m_text;
    QtMessageHandler m_previous = nullptr;
};

// Writes a thumbnail size to the store without touching the application's
// settings object, as another run of the program would have left it.
void storeThumbnailSize(KW::ThumbnailSize size)
{
    Settings other;
    other.setThumbnailSize(size == KW::ThumbnailSize::ThumbnailTiny
                               ? KW::ThumbnailSize::ThumbnailSmall
                               : KW::ThumbnailSize::ThumbnailTiny);
    other.setThumbnailSize(size);
}

} // namespace

class TestInit : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void initStartsEverythingOnce();
    void shutdownThenInitRunsTheStepsAgain();
};

void TestInit::initTestCase()
{
    TestSupport::clearSettings();
}

void TestInit::initStartsEverythingOnce()
{
    storeThumbnailSize(KW::ThumbnailSize::ThumbnailLarge);
    QCOMPARE(Settings::instance()->thumbnailSize(), KW::ThumbnailSize::ThumbnailMedium);

    Model::init();

    // Resources, cursors, settings, tools and actions are all ready.
    QVERIFY(QSvgRenderer(QStringLiteral(":/icons/Draw_icon.svg")).isValid());
    QVERIFY(QFile::exists(QStringLiteral(":/shaders/KWtexture.png")));
    QCOMPARE(Model::Cursor::m_cursorForbidden.shape(), Qt::BitmapCursor);
    QCOMPARE(Settings::instance()->thumbnailSize(), KW::ThumbnailSize::ThumbnailLarge);
    QVERIFY(ToolManager::instance()->tool(Model::Tool::Draw));
    QPointer<QAction> draw = ActionManager::instance()->action(KW::Action::Draw);
    QVERIFY(draw);
    // The actions were built after the settings were read.
    QVERIFY(ActionManager::instance()->action(KW::Action::ThumbnailSizeLarge)->isChecked());

    Settings* settings = Settings::instance();
    ToolManager* tools = ToolManager::instance();
    ActionManager* actions = ActionManager::instance();
    Model::Tool* pen = tools->tool(Model::Tool::Draw);

    storeThumbnailSize(KW::ThumbnailSize::ThumbnailSmall);
    {
        DebugCounter replaced(QStringLiteral("Replacing action"));
        Model::init();
        QCOMPARE(replaced.count, 0);
    }
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);

    QCOMPARE(Settings::instance(), settings);
    QCOMPARE(ToolManager::instance(), tools);
    QCOMPARE(ActionManager::instance(), actions);
    // Nothing was read or built a second time.
    QCOMPARE(settings->thumbnailSize(), KW::ThumbnailSize::ThumbnailLarge);
    QCOMPARE(tools->tool(Model::Tool::Draw), pen);
    QVERIFY(draw);
    QCOMPARE(actions->action(KW::Action::Draw), draw.data());
}

void TestInit::shutdownThenInitRunsTheStepsAgain()
{
    Model::init();
    Settings* settings = Settings::instance();
    ActionManager* actions = ActionManager::instance();
    QPointer<QAction> draw = actions->action(KW::Action::Draw);
    QVERIFY(draw);
    storeThumbnailSize(KW::ThumbnailSize::ThumbnailTiny);

    Model::shutdown();
    {
        DebugCounter replaced(QStringLiteral("Replacing action"));
        Model::init();
        // Every action of the catalogue was made again in place of the old one.
        QCOMPARE(replaced.count, 198);
    }

    QCOMPARE(Settings::instance(), settings);
    QCOMPARE(ActionManager::instance(), actions);
    QCOMPARE(settings->thumbnailSize(), KW::ThumbnailSize::ThumbnailTiny);
    QAction* newDraw = actions->action(KW::Action::Draw);
    QVERIFY(newDraw);
    QVERIFY(newDraw != draw);
    QVERIFY(actions->action(KW::Action::ThumbnailSizeTiny)->isChecked());
    QVERIFY(!actions->action(KW::Action::ThumbnailSizeSmaller)->isEnabled());
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    QVERIFY(!draw);

    // The rebuilt actions alone answer to the settings: a change reaches the
    // new group, and the old groups are gone.
    settings->setThumbnailSize(KW::ThumbnailSize::ThumbnailSmall);
    QVERIFY(actions->action(KW::Action::ThumbnailSizeSmall)->isChecked());
    QCOMPARE(actions->findChildren<QAction*>(QString(), Qt::FindDirectChildrenOnly).size(), 198);
    QCOMPARE(actions->findChildren<QActionGroup*>(QString(), Qt::FindDirectChildrenOnly).size(), 15);
}

QUILLMERE_TEST_MAIN(TestInit)
#include "tst_init.moc"
