#include "prompts/Prompter.h"

#include "TestSupport.h"

#include <QPushButton>

using Model::Prompter;

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
