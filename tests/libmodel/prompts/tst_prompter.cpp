#include "prompts/Prompter.h"

#include "TestSupport.h"

#include <QFileDialog>
#include <QLineEdit>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTimer>

using Model::Prompter;

namespace {

// Acts on the next modal window of that type once it is up, however long the
// machine takes to show it. The watch ends with owner at the latest: one for
// a window that never came must not act on a later test's windows.
template<typename Window>
void whenModal(QObject* owner, std::function<void(Window*)> act)
{
    auto* poll = new QTimer(owner);
    poll->setInterval(20);
    QObject::connect(poll, &QTimer::timeout, [poll, act] {
        auto* window = qobject_cast<Window*>(QApplication::activeModalWidget());
        if (!window || !window->isVisible())
            return;
        poll->stop();
        poll->deleteLater();
        act(window);
    });
    poll->start();
}

} // namespace

class TestPrompter : public QObject
{
    Q_OBJECT

private slots:
    void cleanup() { Prompter::setHandler({}); }

    void handlerSeesTheRequestAndAnswers()
    {
        QList<Prompter::Request> seen;
        Prompter::setHandler([&](const Prompter::Request& r) {
            seen << r;
            Prompter::Reply reply;
            reply.button = QMessageBox::Discard;
            return reply;
        });
        QVERIFY(Prompter::hasHandler());
        const auto button = Prompter::question(nullptr, "Title", "Save?",
                                               QMessageBox::Save | QMessageBox::Discard | QMessageBox::Cancel,
                                               QMessageBox::Save);
        QCOMPARE(button, QMessageBox::Discard);
        QCOMPARE(seen.size(), 1);
        QCOMPARE(seen[0].kind, Prompter::Kind::Question);
        QCOMPARE(seen[0].text, QString("Save?"));
        QCOMPARE(seen[0].defaultButton, QMessageBox::Save);
    }

    void fileDialogsReturnTheFirstFileOrNothing()
    {
        Prompter::setHandler([](const Prompter::Request& r) {
            Prompter::Reply reply;
            if (r.kind == Prompter::Kind::OpenFileNames)
                reply.files = QStringList{"/a.png", "/b.png"};
            else if (r.kind == Prompter::Kind::SaveFileName)
                reply.files = QStringList{r.directory + "/x.kw"};
            reply.selectedFilter = r.filter;
            return reply;
        });
        QString filter;
        QCOMPARE(Prompter::getOpenFileNames(nullptr, "c", "/d", "Images (*.png)", &filter),
                 (QStringList{"/a.png", "/b.png"}));
        QCOMPARE(filter, QString("Images (*.png)"));
        QCOMPARE(Prompter::getSaveFileName(nullptr, "c", "/d", "KW Files (*.kw)"), QString("/d/x.kw"));
        QVERIFY(Prompter::getOpenFileName(nullptr, "c", "/d", "").isEmpty());
        QVERIFY(Prompter::getExistingDirectory(nullptr, "c", "/d").isEmpty());
    }

    void refusedInputKeepsTheInitialValue()
    {
        bool accept = false;
        Prompter::setHandler([&](const Prompter::Request& r) {
            Prompter::Reply reply;
            reply.accepted = accept;
            reply.value = r.maximum;
            return reply;
        });
        bool ok = true;
        QCOMPARE(Prompter::getDouble(nullptr, "t", "l", 2.5, -10, 10, 2, &ok), 2.5);
        QVERIFY(!ok);
        accept = true;
        QCOMPARE(Prompter::getInt(nullptr, "t", "l", 3, 0, 7, 1, &ok), 7);
        QVERIFY(ok);
    }

    void savedNamesGetTheFormatsSuffix_data()
    {
        QTest::addColumn<QString>("answer");
        QTest::addColumn<QString>("filter");
        QTest::addColumn<QString>("expected");
        QTest::newRow("bare scene name") << "/d/walk" << "KW Files (*.kw)" << "/d/walk.kw";
        QTest::newRow("trailing dot") << "/d/walk." << "KW Files (*.kw)" << "/d/walk.kw";
        QTest::newRow("own suffix kept") << "/d/walk.kw" << "KW Files (*.kw)" << "/d/walk.kw";
        QTest::newRow("other suffix kept") << "/d/walk.v2" << "KW Files (*.kw)" << "/d/walk.v2";
        QTest::newRow("dot in a folder") << "/d.e/clip" << "MP4 (*.mp4)" << "/d.e/clip.mp4";
        QTest::newRow("gif") << "/d/anim" << "GIF (*.gif)" << "/d/anim.gif";
        QTest::newRow("no filter") << "/d/frames" << "" << "/d/frames";
        QTest::newRow("cancelled") << "" << "KW Files (*.kw)" << "";
    }

    void savedNamesGetTheFormatsSuffix()
    {
        QFETCH(QString, answer);
        QFETCH(QString, filter);
        QFETCH(QString, expected);
        Prompter::setHandler([&](const Prompter::Request&) {
            Prompter::Reply reply;
            if (!answer.isEmpty())
                reply.files << answer;
            return reply;
        });
        QCOMPARE(Prompter::getSaveFileName(nullptr, "Save", "/d", filter), expected);
    }

    // The real dialog: a name typed without an extension comes back with the
    // filter's, and the dialog asks before that file is replaced.
    void realSaveDialogAddsTheSuffixBeforeAskingToReplace()
    {
        QTemporaryDir dir;
        QVERIFY(dir.isValid());
        bool replaceAsked = false;
        // The first save asks nothing about replacing: that watch stays
        // unanswered to the end of this test.
        QObject watches;
        auto typeName = [&] {
            whenModal<QFileDialog>(&watches, [&](QFileDialog* dialog) {
                auto* edit = dialog->findChild<QLineEdit*>(QStringLiteral("fileNameEdit"));
                QVERIFY(edit);
                edit->setText(QStringLiteral("walk"));
                QTest::keyClick(edit, Qt::Key_Return);
                // Replacing an earlier file is asked in a box of its own.
                whenModal<QMessageBox>(&watches, [&](QMessageBox* box) {
                    replaceAsked = true;
                    box->button(QMessageBox::Yes)->click();
                });
            });
        };

        typeName();
        QCOMPARE(Prompter::getSaveFileName(nullptr, "Save Scene", dir.filePath("untitled.kw"),
                                           "KW Files (*.kw)"),
                 dir.filePath("walk.kw"));
        QVERIFY(!replaceAsked);

        QFile earlier(dir.filePath("walk.kw"));
        QVERIFY(earlier.open(QIODevice::WriteOnly));
        earlier.close();
        typeName();
        QCOMPARE(Prompter::getSaveFileName(nullptr, "Save Scene", dir.filePath("untitled.kw"),
                                           "KW Files (*.kw)"),
                 dir.filePath("walk.kw"));
        QVERIFY(replaceAsked);
    }

    void builtDialogsAreHandedToTheHandler()
    {
        QMessageBox box(QMessageBox::Question, "Import Frames", "Hold frame for each gap?",
                        QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel);
        box.button(QMessageBox::Yes)->setText("Hold Frames");
        QString seenButton;
        Prompter::setHandler([&](const Prompter::Request& r) {
            Prompter::Reply reply;
            if (r.kind == Prompter::Kind::Dialog && r.title == "Import Frames"
                && r.text == "Hold frame for each gap?") {
                seenButton = static_cast<QMessageBox*>(r.dialog)->button(QMessageBox::Yes)->text();
                reply.result = QMessageBox::Yes;
            }
            return reply;
        });
        QCOMPARE(Prompter::exec(&box), int(QMessageBox::Yes));
        QCOMPARE(seenButton, QString("Hold Frames"));
    }
};

QUILLMERE_TEST_MAIN(TestPrompter)
#include "tst_prompter.moc"
