// The window's dialogs and keys as a desktop user meets them: the real
// (non-native) file dialogs reached with the keyboard, the settings window,
// the About box, the tutorial list and the help links, each driven through
// its widgets with key and mouse events on a window that has the focus.
#include "MainWindowFixture.h"

#include "TestSupport.h"

#include "actions/ActionManager.h"
#include "dialogs/AboutDialog.h"
#include "dialogs/CollapseDialog.h"
#include "dialogs/ExportExposureSheetDialog.h"
#include "dialogs/Preferences.h"
#include "dialogs/TutorialDialog.h"
#include "playback/PlaybackController.h"
#include "settings/Settings.h"
#include "tools/ToolManager.h"
#include "xsheet/LayerRenameWidget.h"
#include "xsheet/XSheet.h"
#include "xsheet/XSheetPane.h"

#include <QAction>
#include <QApplication>
#include <QCompleter>
#include <QDir>
#include <QFileDialog>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QRadioButton>
#include <QRegularExpression>
#include <QScrollArea>
#include <QStyle>
#include <QStyleOptionButton>
#include <QTemporaryDir>
#include <QTimer>
#include <QToolButton>

#include <functional>

namespace {

using Model::Prompter;
using Type = Model::Tool::Type;

QAction* action(KW::Action id)
{
    return Model::ActionManager::instance()->action(id);
}

// Runs `step` on the first modal dialog that comes up, from inside its exec().
void whenModal(std::function<void(QWidget*)> step)
{
    auto* poll = new QTimer;
    poll->setInterval(20);
    QObject::connect(poll, &QTimer::timeout, poll, [poll, step] {
        QWidget* modal = QApplication::activeModalWidget();
        if (!modal || !modal->isVisible())
            return;
        poll->stop();
        poll->deleteLater();
        step(modal);
    });
    poll->start();
}

// The window system's activation arrives a while after the window shows.
bool waitActive(QWidget* window)
{
    return QTest::qWaitFor([window] { return QApplication::activeWindow() == window; }, 5000);
}

// A key pressed on the keyboard: it goes through the window system's path,
// shortcut map included, to whichever widget has the keyboard.
void hit(QWidget* window, Qt::Key key, Qt::KeyboardModifiers mods = Qt::NoModifier)
{
    QTest::keyClick(window->windowHandle(), key, mods);
}

// Closes a dialog a faulty key left open, so that the test goes on.
bool closesWithin(QWidget* dialog, int ms = 3000)
{
    if (QTest::qWaitFor([dialog] { return !dialog->isVisible(); }, ms))
        return true;
    if (auto* d = qobject_cast<QDialog*>(dialog))
        d->reject();
    return false;
}

QPoint distance(const QWidget* a, const QWidget* b)
{
    return a->frameGeometry().center() - b->frameGeometry().center();
}

void saveShot(QWidget* w, const char* name)
{
    QDir().mkpath(QStringLiteral(QUILLMERE_TEST_OUTPUT_DIR));
    const QString path = QStringLiteral(QUILLMERE_TEST_OUTPUT_DIR "/%1.png").arg(QLatin1String(name));
    if (w->grab().save(path))
        qInfo("picture: %s", qPrintable(path));
}

// Where a radio button draws its dot.
QRect indicator(QRadioButton* button)
{
    QStyleOptionButton option;
    option.initFrom(button);
    return button->style()->subElementRect(QStyle::SE_RadioButtonIndicator, &option, button);
}

// The lightness at the middle of a radio button's indicator.
int indicatorLightness(QRadioButton* button, QColor* colour = nullptr)
{
    const QImage image = button->grab().toImage();
    const qreal ratio = image.devicePixelRatio();
    const QColor c = image.pixelColor((QPointF(indicator(button).center()) * ratio).toPoint());
    if (colour)
        *colour = c;
    return c.lightness();
}

struct DesktopFixture : MainWindowFixture
{
    DesktopFixture()
    {
        Model::ToolManager::instance()->setCurrentTool(Type::Draw, Model::Tool::Usable);
        // Away from the screen's corner, so that a dialog placed there shows.
        window->setGeometry(QRect(160, 120, 1100, 720));
        window->show();
        window->activateWindow();
        QVERIFY(waitActive(window.get()));
    }
    QTemporaryDir folder;
};

} // namespace

class TestMainWindowDialogs : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase()
    {
        // The dialogs under test are Qt's own widgets, on every platform.
        QCoreApplication::setAttribute(Qt::AA_DontUseNativeDialogs);
    }

    void cleanup() { Prompter::setHandler({}); }

    void openDialogTakesEnterAfterATypedPath()
    {
        DesktopFixture f;
        const QString path = QDir(f.folder.path()).filePath(QStringLiteral("walk.kw"));
        QVERIFY(f.window->saveScene(f.scene(), path));
        f.window->newScene(MainWindow::NewSceneWithoutAsking);
        QVERIFY(f.scene()->filename().isEmpty());
        Prompter::setHandler({});

        bool wasFileDialog = false;
        bool active = false;
        bool closed = false;
        whenModal([&](QWidget* modal) {
            auto* dialog = qobject_cast<QFileDialog*>(modal);
            wasFileDialog = dialog != nullptr;
            active = waitActive(modal);
            if (auto* name = modal->findChild<QLineEdit*>(QStringLiteral("fileNameEdit")))
                QTest::keyClicks(name, path);
            hit(modal, Qt::Key_Return);
            closed = closesWithin(modal);
        });
        hit(f.window.get(), Qt::Key_O, Qt::ControlModifier);

        QVERIFY(wasFileDialog);
        QVERIFY(active);
        QVERIFY(closed);
        QCOMPARE(f.scene()->filename(), path);
    }

    void openDialogClosesOnEscape()
    {
        DesktopFixture f;
        QVERIFY(f.window->saveScene(f.scene(), QDir(f.folder.path()).filePath(QStringLiteral("walk.kw"))));
        Prompter::setHandler({});

        bool active = false;
        bool completerShown = false;
        bool completerHidden = false;
        bool closed = false;
        whenModal([&](QWidget* modal) {
            active = waitActive(modal);
            auto* name = modal->findChild<QLineEdit*>(QStringLiteral("fileNameEdit"));
            if (!name) {
                qobject_cast<QDialog*>(modal)->reject();
                return;
            }
            // A partly typed name brings the completer up.
            QTest::keyClicks(name, QDir(f.folder.path()).filePath(QStringLiteral("wa")));
            QWidget* popup = name->completer() ? name->completer()->popup() : nullptr;
            completerShown = popup && QTest::qWaitFor([popup] { return popup->isVisible(); }, 2000);
            hit(modal, Qt::Key_Escape);
            completerHidden = popup && QTest::qWaitFor([popup] { return !popup->isVisible(); }, 2000);
            if (modal->isVisible())
                hit(modal, Qt::Key_Escape);
            closed = closesWithin(modal);
        });
        hit(f.window.get(), Qt::Key_O, Qt::ControlModifier);

        QVERIFY(active);
        QVERIFY(completerShown);
        QVERIFY(completerHidden);
        QVERIFY(closed);
    }

    // Where the remembered import folder is gone the dialog opens in the
    // nearest folder that exists, with nothing in the name box; its filters
    // name the movie clips the menu entry promises.
    void importDialogStartsEmptyInAnExistingFolder()
    {
        DesktopFixture f;
        Model::Settings::instance()->setDefaultImportDir(
            QDir(QDir(f.folder.path()).filePath(QStringLiteral("Documents/Drawings"))));
        Prompter::setHandler({});

        QString typed = QStringLiteral("(no dialog)");
        QString folder;
        QStringList filters;
        whenModal([&](QWidget* modal) {
            auto* dialog = qobject_cast<QFileDialog*>(modal);
            if (dialog) {
                typed = dialog->findChild<QLineEdit*>(QStringLiteral("fileNameEdit"))->text();
                folder = dialog->directory().absolutePath();
                filters = dialog->nameFilters();
            }
            qobject_cast<QDialog*>(modal)->reject();
        });
        hit(f.window.get(), Qt::Key_I, Qt::ControlModifier);

        QCOMPARE(typed, QString());
        QCOMPARE(folder, QDir(f.folder.path()).absolutePath());
        const QStringList movies = filters.filter(QRegularExpression(QStringLiteral("^Movie")));
        QCOMPARE(movies.size(), 1);
        QVERIFY2(movies.first().contains(QLatin1String("*.gif")), qPrintable(movies.first()));
    }

    // Typing into a field of the window: its Return, Esc and arrow keys are
    // the field's, not the window's commands.
    void textFieldKeepsItsKeys()
    {
        DesktopFixture f;
        auto* playback = f.window->findChild<PlaybackController*>();
        auto* sheet = f.window->findChild<UI::XSheet*>();
        auto* field = f.window->findChild<UI::LayerRenameWidget*>();
        QVERIFY(playback && sheet && field);
        const int frame = f.scene()->activeFrame();
        emit sheet->doubleClickedLayer(0, QRect(f.window->mapToGlobal(QPoint(300, 200)), QSize(60, 20)));
        QTRY_VERIFY(field->hasFocus());

        field->selectAll();
        QTest::keyClicks(field, QStringLiteral("Ink"));
        hit(f.window.get(), Qt::Key_Up);
        hit(f.window.get(), Qt::Key_Down);
        hit(f.window.get(), Qt::Key_Return);

        QTRY_COMPARE(f.scene()->layerName(0), QStringLiteral("Ink"));
        QCOMPARE(f.scene()->activeFrame(), frame);
        QCOMPARE(playback->state(), PlaybackController::Stopped);
    }

    // A key that more than one enabled action names (Space, Return) is one
    // the window's key handler takes itself, tapped or held, so that no press
    // is ever left to an ambiguous shortcut.
    void noKeyIsLeftToTwoActions_data()
    {
        QTest::addColumn<int>("tool");
        QTest::newRow("drawing") << int(Type::Draw);
        QTest::newRow("floating selection") << int(Type::FloatingSelection);
    }

    void noKeyIsLeftToTwoActions()
    {
        QFETCH(int, tool);
        DesktopFixture f;
        Model::ToolManager::instance()->setCurrentTool(Type(tool), Model::Tool::Usable);

        QMap<QKeySequence, QStringList> owners;
        for (QAction* a : Model::ActionManager::instance()->actions()) {
            if (!a->isEnabled())
                continue;
            for (const QKeySequence& keys : a->shortcuts())
                owners[keys] << a->text();
        }
        int shared = 0;
        for (auto it = owners.cbegin(); it != owners.cend(); ++it) {
            if (it.value().size() < 2)
                continue;
            ++shared;
            const QKeyCombination combination = it.key()[0];
            for (const bool held : {false, true}) {
                QKeyEvent override(QEvent::ShortcutOverride, combination.key(),
                                   combination.keyboardModifiers(), QString(), held);
                override.ignore();
                QCoreApplication::sendEvent(f.window.get(), &override);
                QVERIFY2(override.isAccepted(),
                         qPrintable(QStringLiteral("%1%2 is left to %3")
                                        .arg(it.key().toString(), held ? " held" : "",
                                             it.value().join(QLatin1String(", ")))));
            }
            QKeyEvent release(QEvent::KeyRelease, combination.key(), combination.keyboardModifiers());
            QCoreApplication::sendEvent(f.window.get(), &release);
        }
        QVERIFY(shared > 0);
        f.window->findChild<PlaybackController*>()->stopPlayback();
    }

    void settingsWindowShowsItsChoices()
    {
        DesktopFixture f;
        auto* pane = f.window->findChild<UI::XSheetPane*>();
        QVERIFY(pane);
        const int paneWidth = pane->width();
        action(KW::Action::Settings)->trigger();
        auto* settings = f.window->findChild<UI::Preferences*>();
        QVERIFY(settings);
        QVERIFY(QTest::qWaitForWindowExposed(settings));
        QTRY_COMPARE(QApplication::activeWindow(), settings);
        saveShot(settings, "settings-window");

        // In the middle of the main window, not over its menu bar.
        QVERIFY2(distance(settings, f.window.get()).manhattanLength() <= 4,
                 qPrintable(QStringLiteral("settings at %1,%2")
                                .arg(settings->frameGeometry().x())
                                .arg(settings->frameGeometry().y())));

        auto* left = settings->findChild<QRadioButton*>(QStringLiteral("XSheetLeftSide"));
        auto* right = settings->findChild<QRadioButton*>(QStringLiteral("XSheetRightSide"));
        QVERIFY(left && right);
        QVERIFY(left->isChecked());
        QVERIFY(!right->isChecked());
        if (auto* scroll = settings->findChild<QScrollArea*>()) {
            scroll->ensureWidgetVisible(right, 0, 120);
            saveShot(settings, "settings-window-xsheet");
        }

        // The chosen dot stands out from an empty ring, and neither is green.
        QColor chosen;
        QColor empty;
        const int chosenLightness = indicatorLightness(left, &chosen);
        const int emptyLightness = indicatorLightness(right, &empty);
        QVERIFY2(std::abs(chosenLightness - emptyLightness) >= 100,
                 qPrintable(QStringLiteral("chosen %1, empty %2").arg(chosen.name(), empty.name())));
        for (const QColor& c : {chosen, empty})
            QVERIFY2(c.hsvSaturation() < 60, qPrintable(c.name()));

        // Over to the right and back: the sheet keeps its width.
        QTest::mouseClick(right, Qt::LeftButton, {}, indicator(right).center());
        QTRY_VERIFY(pane->x() > f.window->width() / 2);
        QTest::mouseClick(left, Qt::LeftButton, {}, indicator(left).center());
        QTRY_VERIFY(pane->x() < f.window->width() / 2);
        QCOMPARE(pane->width(), paneWidth);
        settings->close();
    }

    void aboutBoxTakesTheKeyboardAndShowsItsIcon()
    {
        DesktopFixture f;
        action(KW::Action::About)->trigger();
        auto* about = f.window->findChild<UI::AboutDialog*>();
        QVERIFY(about);
        QTRY_COMPARE(QApplication::activeWindow(), about);
        saveShot(about, "about-box");
        QVERIFY(about->isAncestorOf(QApplication::focusWidget()));

        const QList<QLabel*> labels = about->findChildren<QLabel*>();
        const auto icon = std::find_if(labels.begin(), labels.end(),
                                       [](const QLabel* l) { return !l->pixmap().isNull(); });
        QVERIFY(icon != labels.end());
        QVERIFY2(about->rect().contains((*icon)->geometry()),
                 qPrintable(QStringLiteral("icon top %1").arg((*icon)->y())));

        hit(about, Qt::Key_Escape);
        QTRY_VERIFY(!about->isVisible());
    }

    // Also with the larger fonts some desktops use.
    void exposureSheetDialogShowsItsWholeIntroduction_data()
    {
        QTest::addColumn<double>("fontScale");
        QTest::newRow("application font") << 1.0;
        QTest::newRow("larger font") << 1.5;
    }

    void exposureSheetDialogShowsItsWholeIntroduction()
    {
        QFETCH(double, fontScale);
        DesktopFixture f;
        const QFont applicationFont = QApplication::font();
        QFont larger = applicationFont;
        larger.setPointSizeF(applicationFont.pointSizeF() * fontScale);
        QApplication::setFont(larger);
        Prompter::setHandler({});

        QLabel* intro = nullptr;
        bool exposed = false;
        int shown = 0;
        int needed = 0;
        QStringList outside;
        whenModal([&](QWidget* dialog) {
            exposed = QTest::qWaitForWindowExposed(dialog);
            if (fontScale == 1.0)
                saveShot(dialog, "oca-dialog");
            intro = dialog->findChild<QLabel*>(QStringLiteral("label_More"));
            if (intro) {
                shown = intro->height();
                needed = intro->heightForWidth(intro->width());
            }
            for (QWidget* child : dialog->findChildren<QWidget*>()) {
                if (child->isVisible() && !child->isWindow()
                    && !dialog->rect().contains(QRect(child->mapTo(dialog, QPoint()), child->size())))
                    outside << child->objectName();
            }
            qobject_cast<QDialog*>(dialog)->reject();
        });
        action(KW::Action::ExportExposureSheet)->trigger();
        QApplication::setFont(applicationFont);

        QVERIFY(exposed);
        QVERIFY(intro);
        QVERIFY2(shown >= needed, qPrintable(QStringLiteral("%1 of %2 pixels").arg(shown).arg(needed)));
        QCOMPARE(outside, QStringList());
    }

    // Without a web browser every link tells the user its address, and all
    // of them name one site. The tutorial list opens over the main window.
    void linksWithoutABrowserNameTheirAddress()
    {
        DesktopFixture f;
        const QByteArray path = qgetenv("PATH");
        qputenv("PATH", f.folder.path().toLocal8Bit());
        qunsetenv("BROWSER");
        qunsetenv("DEFAULT_BROWSER");

        QStringList told;
        bool tutorialsExposed = false;
        QPoint tutorialOffset(-1000, -1000);
        f.answer = [&](const Prompter::Request& request) {
            Prompter::Reply reply;
            if (request.kind == Prompter::Kind::Warning)
                told << request.text;
            if (request.kind == Prompter::Kind::Dialog) {
                if (auto* tutorials = qobject_cast<UI::TutorialDialog*>(request.dialog)) {
                    tutorials->show();
                    tutorialsExposed = QTest::qWaitForWindowExposed(tutorials);
                    tutorialOffset = distance(tutorials, f.window.get());
                    saveShot(tutorials, "tutorials");
                    for (QToolButton* play : tutorials->findChildren<QToolButton*>())
                        QTest::mouseClick(play, Qt::LeftButton);
                    tutorials->hide();
                }
            }
            return reply;
        };
        action(KW::Action::VideoTutorials)->trigger();
        for (KW::Action id : {KW::Action::KeyboardShortcuts, KW::Action::CommunityForum,
                              KW::Action::ProvideFeedback})
            action(id)->trigger();
        qputenv("PATH", path);

        QVERIFY(tutorialsExposed);
        QVERIFY2(tutorialOffset.manhattanLength() <= 4,
                 qPrintable(QStringLiteral("%1,%2").arg(tutorialOffset.x()).arg(tutorialOffset.y())));
        QCOMPARE(told.size(), 5 + 3);
        QSet<QString> hosts{UI::CollapseDialog::helpUrl().host(),
                            UI::ExportExposureSheetDialog::moreInfoUrl().host()};
        static const QRegularExpression address(QStringLiteral("https://\\S+"));
        for (const QString& text : std::as_const(told)) {
            const QRegularExpressionMatch match = address.match(text);
            QVERIFY2(match.hasMatch(), qPrintable(text));
            hosts << QUrl(match.captured()).host();
        }
        QCOMPARE(hosts.size(), 1);
    }
};

QUILLMERE_TEST_MAIN(TestMainWindowDialogs)
#include "tst_mainwindowdialogs.moc"
