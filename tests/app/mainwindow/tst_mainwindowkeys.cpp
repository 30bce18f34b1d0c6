// Keys that act on a tap and differently when held, the shortcut-override
// table and the Caps Lock reading, driven by synthesised key events: each
// press goes to the window as the shortcut override the key map sends first
// and then as the key press itself.
#include "MainWindowFixture.h"
#include "SceneCells.h"

#include "TestSupport.h"

#include "actions/ActionManager.h"
#include "canvas/Paper.h"
#include "keyboard/CapsLock.h"
#include "playback/PlaybackController.h"
#include "settings/Settings.h"
#include "tools/ToolManager.h"

#include <QAction>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QSignalSpy>

namespace {

using Type = Model::Tool::Type;

QAction* action(KW::Action id)
{
    return Model::ActionManager::instance()->action(id);
}

Model::ToolManager* tools()
{
    return Model::ToolManager::instance();
}

// A key press sent to a widget reaches the window first as the shortcut
// override that Qt sends ahead of any press it did not get from the window
// system, then as the press.
void press(QWidget* w, int key, Qt::KeyboardModifiers mods = Qt::NoModifier,
           bool autoRepeat = false)
{
    QKeyEvent event(QEvent::KeyPress, key, mods, QString(), autoRepeat);
    QCoreApplication::sendEvent(w, &event);
}

// The override alone, as the key map sends it with the native flags.
void shortcutOverride(QWidget* w, int key, quint32 nativeModifiers)
{
    QKeyEvent event(QEvent::ShortcutOverride, key, Qt::NoModifier, 0, 0, nativeModifiers);
    event.ignore();
    QCoreApplication::sendEvent(w, &event);
}

void release(QWidget* w, int key, Qt::KeyboardModifiers mods = Qt::NoModifier,
             bool autoRepeat = false)
{
    QKeyEvent event(QEvent::KeyRelease, key, mods, QString(), autoRepeat);
    QCoreApplication::sendEvent(w, &event);
}

// A held key under X11 repeats as release and press pairs marked auto-repeat.
void repeat(QWidget* w, int key, int times)
{
    for (int i = 0; i < times; ++i) {
        release(w, key, Qt::NoModifier, true);
        press(w, key, Qt::NoModifier, true);
    }
}

struct KeysFixture : MainWindowFixture
{
    KeysFixture()
    {
        tools()->setCurrentTool(Type::Draw, Model::Tool::Usable);
        playback = window->findChild<PlaybackController*>();
        playback->setFrameRange(1, 10);
        playback->setActiveFrame(1);
        paper = window->findChild<UI::Paper*>();
    }
    ~KeysFixture()
    {
        playback->stopPlayback();
        CapsLock::force(std::nullopt);
        Model::Tool::m_enabled = true;
    }

    PlaybackController* playback = nullptr;
    UI::Paper* paper = nullptr;
};

} // namespace

class TestMainWindowKeys : public QObject
{
    Q_OBJECT

private slots:
    void spaceTappedTogglesPlayback()
    {
        KeysFixture f;
        f.window->setHoldIntervals(5000, 5000);
        QSignalSpy play(action(KW::Action::Play), &QAction::triggered);

        press(f.window.get(), Qt::Key_Space);
        QVERIFY(!Model::Tool::m_enabled); // undecided while the key is down
        repeat(f.window.get(), Qt::Key_Space, 3);
        QCOMPARE(play.count(), 0);
        release(f.window.get(), Qt::Key_Space);

        QCOMPARE(play.count(), 1);
        QVERIFY(Model::Tool::m_enabled);
        QCOMPARE(tools()->currentToolType(), Type::Draw);
    }

    void spaceHeldGivesZPRAndReleaseReturnsWithoutPlaying()
    {
        KeysFixture f;
        f.window->setHoldIntervals(20, 5000);
        QSignalSpy play(action(KW::Action::Play), &QAction::triggered);

        press(f.window.get(), Qt::Key_Space);
        QCOMPARE(tools()->currentToolType(), Type::Draw);
        QTRY_COMPARE(tools()->currentToolType(), Type::ZPR);
        QVERIFY(Model::Tool::m_enabled);
        // Repeats of the held key neither restart the hold nor play.
        repeat(f.window.get(), Qt::Key_Space, 3);
        QCOMPARE(tools()->currentToolType(), Type::ZPR);
        release(f.window.get(), Qt::Key_Space);

        QCOMPARE(play.count(), 0);
        QVERIFY(Model::Tool::m_enabled);
        QCOMPARE(tools()->currentToolType(), Type::Draw);
    }

    void spaceWhilePlayingStopsAtThePress()
    {
        KeysFixture f;
        f.window->setHoldIntervals(5000, 5000);
        QSignalSpy play(action(KW::Action::Play), &QAction::triggered);
        f.playback->startPlayback();
        QVERIFY(f.playback->isPlaying());

        press(f.window.get(), Qt::Key_Space, Qt::ShiftModifier | Qt::ControlModifier);
        QCOMPARE(play.count(), 1);
        release(f.window.get(), Qt::Key_Space, Qt::ShiftModifier | Qt::ControlModifier);
        QCOMPARE(play.count(), 1); // no hold was started, so the release plays nothing
    }

    void zTappedTogglesQuickZoom()
    {
        KeysFixture f;
        f.window->setHoldIntervals(5000, 5000);
        f.paper->setZoomLevel(1.0);

        press(f.window.get(), Qt::Key_Z);
        release(f.window.get(), Qt::Key_Z);
        QCOMPARE(f.paper->zoomLevel(), 3.0);
        QCOMPARE(tools()->currentToolType(), Type::Draw);

        press(f.window.get(), Qt::Key_Z);
        release(f.window.get(), Qt::Key_Z);
        QCOMPARE(f.paper->zoomLevel(), 1.0);
    }

    void zHeldGivesTheZoomToolAndIsIgnoredWhileItIsCurrent()
    {
        KeysFixture f;
        f.window->setHoldIntervals(20, 5000);
        f.paper->setZoomLevel(1.0);

        press(f.window.get(), Qt::Key_Z);
        QTRY_COMPARE(tools()->currentToolType(), Type::Zoom);
        release(f.window.get(), Qt::Key_Z);
        QCOMPARE(f.paper->zoomLevel(), 1.0);

        tools()->setCurrentTool(Type::Zoom, Model::Tool::Usable);
        f.window->setHoldIntervals(5000, 5000);
        press(f.window.get(), Qt::Key_Z);
        QVERIFY(Model::Tool::m_enabled); // no hold begins
        release(f.window.get(), Qt::Key_Z);
        QCOMPARE(f.paper->zoomLevel(), 1.0);
    }

    void stepKeysFollowCapsLock_data()
    {
        QTest::addColumn<int>("key");
        QTest::addColumn<bool>("shift");
        QTest::addColumn<bool>("capsLock");
        QTest::addColumn<int>("from");
        QTest::addColumn<int>("expected");

        // Frames: 1 key drawing, 2 hold, 3 drawing, 4 hold, 5 drawing, 6 hold.
        QTest::newRow("q steps back over holds") << int(Qt::Key_Q) << false << false << 6 << 5;
        QTest::newRow("Q skips back to the key") << int(Qt::Key_Q) << true << false << 6 << 1;
        QTest::newRow("caps: Shift+Q steps back") << int(Qt::Key_Q) << true << true << 6 << 5;
        QTest::newRow("caps: Q skips back to the key") << int(Qt::Key_Q) << false << true << 6 << 1;
        QTest::newRow("w steps on over holds") << int(Qt::Key_W) << false << false << 1 << 3;
        QTest::newRow("W finds no other key") << int(Qt::Key_W) << true << false << 1 << 1;
    }

    void stepKeysFollowCapsLock()
    {
        QFETCH(int, key);
        QFETCH(bool, shift);
        QFETCH(bool, capsLock);
        QFETCH(int, from);
        QFETCH(int, expected);

        KeysFixture f;
        fillCells(f.scene(), 0, QStringLiteral("k.B.C."), 1, 6, from);
        QCOMPARE(f.scene()->activeFrame(), from);
        CapsLock::force(capsLock);

        press(f.window.get(), key, shift ? Qt::ShiftModifier : Qt::NoModifier);
        QCOMPARE(f.scene()->activeFrame(), expected);
    }

    void heldStepKeyStepsAgainOnEachRepeat()
    {
        KeysFixture f;
        fillCells(f.scene(), 0, QStringLiteral("k.B.C."), 1, 6, 6);
        press(f.window.get(), Qt::Key_Q);
        QCOMPARE(f.scene()->activeFrame(), 5);
        press(f.window.get(), Qt::Key_Q, Qt::NoModifier, true);
        QCOMPARE(f.scene()->activeFrame(), 3);
    }

    void capsLockIsReadFromTheX11LockBit()
    {
        if (QGuiApplication::platformName() != QLatin1String("xcb"))
            QSKIP("The lock bit is X11's");
        KeysFixture f;
        fillCells(f.scene(), 0, QStringLiteral("k.B.C."), 1, 6, 6);
        shortcutOverride(f.window.get(), Qt::Key_Q, CapsLock::X11LockMask);
        QCOMPARE(f.scene()->activeFrame(), 1);
    }

    void capsLockIsReadFromEachPlatformsFlags_data()
    {
        QTest::addColumn<QString>("platform");
        QTest::addColumn<quint32>("flags");
        QTest::addColumn<bool>("on");
        // Shift, Control and Num Lock held beside it tell nothing.
        QTest::newRow("x11 lock bit") << "xcb" << quint32(0x2 | 0x1 | 0x4) << true;
        QTest::newRow("x11 shift only") << "xcb" << quint32(0x1 | 0x10) << false;
        QTest::newRow("wayland lock bit") << "wayland" << quint32(0x2) << true;
        QTest::newRow("wayland-egl shift only") << "wayland-egl" << quint32(0x1) << false;
        QTest::newRow("windows caps lock") << "windows" << quint32(0x100 | 0x1) << true;
        QTest::newRow("windows num lock") << "windows" << quint32(0x200 | 0x2) << false;
        QTest::newRow("macos caps lock") << "cocoa" << quint32(0x10000 | 0x20000) << true;
        QTest::newRow("macos shift") << "cocoa" << quint32(0x20000 | 0x2) << false;
        QTest::newRow("offscreen reads nothing") << "offscreen" << quint32(0xffffffff) << false;
    }

    void capsLockIsReadFromEachPlatformsFlags()
    {
        QFETCH(QString, platform);
        QFETCH(quint32, flags);
        QFETCH(bool, on);
        QCOMPARE(CapsLock::isOn(platform, flags), on);
    }

    void escapeWithNothingActiveDoesNothing()
    {
        KeysFixture f;
        const KW::Action held[] = {KW::Action::Pan, KW::Action::Zoom, KW::Action::Rotate,
                                   KW::Action::OffPegs};
        QSignalSpy toolChanges(tools(), &Model::ToolManager::currentToolTypeChanged);
        QList<QSignalSpy*> toggles;
        for (KW::Action id : held)
            toggles << new QSignalSpy(action(id), &QAction::toggled);

        press(f.window.get(), Qt::Key_Escape);
        release(f.window.get(), Qt::Key_Escape);

        QVERIFY(!f.playback->isPlaying());
        QCOMPARE(toolChanges.count(), 0);
        for (QSignalSpy* spy : toggles)
            QCOMPARE(spy->count(), 0);
        qDeleteAll(toggles);
        QCOMPARE(tools()->currentToolType(), Type::Draw);
    }

    void escapeWhilePlayingStops()
    {
        KeysFixture f;
        f.playback->startPlayback();
        QVERIFY(f.playback->isPlaying());
        press(f.window.get(), Qt::Key_Escape);
        QVERIFY(!f.playback->isPlaying());
    }
};

QUILLMERE_TEST_MAIN(TestMainWindowKeys)
#include "tst_mainwindowkeys.moc"
