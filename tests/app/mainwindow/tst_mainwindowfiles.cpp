#include "MainWindowFixture.h"

#include "FullDisk.h"
#include "TestSupport.h"

#include "autosave/AutosaveManager.h"
#include "dialogs/ExportFramesDialog.h"
#include "files/FileWriter.h"
#include "settings/Settings.h"

#include <QDataStream>
#include <QFile>
#include <QFileInfo>
#include <QImage>
#include <QLineEdit>
#include <QPushButton>
#include <QTemporaryDir>
#include <QUndoStack>

using Model::Prompter;

namespace {

Prompter::Reply button(QMessageBox::StandardButton b)
{
    Prompter::Reply reply;
    reply.button = b;
    return reply;
}

void writeFile(const QString& path, const QByteArray& bytes)
{
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write(bytes);
}

QByteArray readFile(const QString& path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

// A sound of silence, 16-bit mono PCM, a quarter of a second long by default.
void writeWav(const QString& path, int quarters = 1)
{
    const quint32 rate = 8000;
    const QByteArray samples(rate / 4 * 2 * quarters, '\0');
    QByteArray bytes;
    QDataStream out(&bytes, QIODevice::WriteOnly);
    out.setByteOrder(QDataStream::LittleEndian);
    out.writeRawData("RIFF", 4);
    out << quint32(36 + samples.size());
    out.writeRawData("WAVEfmt ", 8);
    out << quint32(16) << quint16(1) << quint16(1) << rate << quint32(rate * 2) << quint16(2)
        << quint16(16);
    out.writeRawData("data", 4);
    out << quint32(samples.size());
    out.writeRawData(samples.constData(), int(samples.size()));
    writeFile(path, bytes);
}

} // namespace

class TestMainWindowFiles : public QObject
{
    Q_OBJECT

    struct Fixture : MainWindowFixture
    {
        Fixture()
        {
            Model::Settings::instance()->setDefaultSaveDir(QDir(folder.path()));
            Model::Settings::instance()->setDefaultImportDir(QDir(folder.path()));
        }
        QString path(const QString& name) const { return QDir(folder.path()).filePath(name); }
        void edit() { scene()->undoStack()->push(new QUndoCommand(QStringLiteral("edit"))); }
        QStringList images(const QStringList& names)
        {
            QStringList paths;
            QImage image(8, 8, QImage::Format_ARGB32);
            image.fill(Qt::red);
            for (const QString& name : names) {
                paths << path(name);
                image.save(paths.last());
            }
            return paths;
        }

        QTemporaryDir folder;
        QList<Prompter::Request> requests;
    };

    // Records every request and answers with the given reply by kind.
    static void answerWith(Fixture& f, std::function<Prompter::Reply(const Prompter::Request&)> reply)
    {
        f.answer = [&f, reply](const Prompter::Request& r) {
            f.requests << r;
            return reply(r);
        };
    }

private slots:
    void maybeSaveKeepsTheWorkUnlessDiscarded_data()
    {
        QTest::addColumn<int>("answer");
        QTest::addColumn<bool>("result");
        QTest::addColumn<bool>("saved");
        QTest::newRow("save") << int(QMessageBox::Save) << true << true;
        QTest::newRow("discard") << int(QMessageBox::Discard) << true << false;
        QTest::newRow("cancel") << int(QMessageBox::Cancel) << false << false;
        QTest::newRow("closed") << int(QMessageBox::NoButton) << false << false;
    }

    void maybeSaveKeepsTheWorkUnlessDiscarded()
    {
        QFETCH(int, answer);
        QFETCH(bool, result);
        QFETCH(bool, saved);
        Fixture f;
        QVERIFY(f.window->maybeSave()); // nothing changed: nothing asked
        QVERIFY(f.asked.isEmpty());
        f.edit();
        answerWith(f, [&f, answer](const Prompter::Request& r) {
            Prompter::Reply reply = button(QMessageBox::StandardButton(answer));
            if (r.kind == Prompter::Kind::SaveFileName)
                reply.files << f.path("kept.kw");
            return reply;
        });
        const QString name = f.scene()->name();
        QCOMPARE(f.window->maybeSave(), result);
        QCOMPARE(f.requests.first().title, QString("Save"));
        QCOMPARE(f.requests.first().text,
                 QString("\"%1\" has been modified.\n\nSave the scene?").arg(name));
        QCOMPARE(QFileInfo::exists(f.path("kept.kw")), saved);
        QCOMPARE(f.scene()->undoStack()->isClean(), saved);
    }

    void aNewSceneThroughTheDialogHoldsItsFirstDrawing()
    {
        Fixture f;
        bool accept = false;
        answerWith(f, [&accept](const Prompter::Request& r) {
            Prompter::Reply reply;
            if (r.kind == Prompter::Kind::Dialog) {
                auto* frames = r.dialog->findChild<QLineEdit*>("initialNumberOfFrames");
                frames->selectAll();
                QTest::keyClicks(frames, "24");
                reply.result = accept ? QDialog::Accepted : QDialog::Rejected;
            }
            return reply;
        });
        Model::Scene* before = f.scene();
        f.window->newScene(MainWindow::NewSceneAskSettings);
        QCOMPARE(f.scene(), before);

        accept = true;
        f.window->newScene(MainWindow::NewSceneAskSettings);
        QVERIFY(f.scene() != before);
        QCOMPARE(f.scene()->numLayers(), 3);
        QCOMPARE(f.scene()->layerLength(0), 24);
        QVERIFY(f.scene()->isOriginalFrame(0, 1));
        QVERIFY(!f.scene()->isOriginalFrame(0, 24));
        QCOMPARE(Model::Settings::instance()->defaultInitialNumberOfFrames(), 24);
    }

    void saveAsProposesTheSceneNameInTheSaveFolder()
    {
        Fixture f;
        answerWith(f, [&f](const Prompter::Request& r) {
            Prompter::Reply reply;
            if (r.kind == Prompter::Kind::SaveFileName)
                reply.files << f.path("sub/../walk.kw");
            return reply;
        });
        QVERIFY(QDir(f.folder.path()).mkdir("sub"));
        const QString name = f.scene()->name();
        QVERIFY(f.window->saveScene()); // no file name yet: save as
        QCOMPARE(f.requests.size(), 1);
        QCOMPARE(f.requests[0].title, QString("Save Scene"));
        QCOMPARE(f.requests[0].directory, f.path(name + ".kw"));
        QCOMPARE(f.requests[0].filter, QString("KW Files (*.kw)"));
        QCOMPARE(f.scene()->filename(), f.path("sub/../walk.kw"));
        QVERIFY(f.scene()->undoStack()->isClean());
        QCOMPARE(QFileInfo(Model::Settings::instance()->recentFiles().value(0)).canonicalFilePath(),
                 QFileInfo(f.path("walk.kw")).canonicalFilePath());

        // Unchanged and named: nothing is written.
        QVERIFY(QFile::remove(f.path("walk.kw")));
        QVERIFY(f.window->saveScene());
        QVERIFY(!QFileInfo::exists(f.path("walk.kw")));
        f.edit();
        QVERIFY(f.window->saveScene());
        QVERIFY(QFileInfo::exists(f.path("walk.kw")));
        QCOMPARE(f.requests.size(), 1);
    }

    void aSceneNamedWithoutExtensionIsSavedAsAScene()
    {
        Fixture f;
        answerWith(f, [&f](const Prompter::Request& r) {
            Prompter::Reply reply;
            if (r.kind == Prompter::Kind::SaveFileName)
                reply.files << f.path("walk");
            return reply;
        });
        QVERIFY(f.window->saveSceneAs());
        QCOMPARE(f.scene()->filename(), f.path("walk.kw"));
        QVERIFY(QFileInfo::exists(f.path("walk.kw")));
        QVERIFY(!QFileInfo::exists(f.path("walk")));
        // What Open lists is what was saved.
        QCOMPARE(QDir(f.folder.path()).entryList({"*.kw"}, QDir::Files), QStringList{"walk.kw"});
    }

    void aFailedWriteLeavesTheTargetAndTheSceneAlone()
    {
        Fixture f;
        writeFile(f.path("blocker"), "not a folder");
        f.edit();
        QVERIFY(!f.window->saveScene(f.scene(), f.path("blocker/walk.kw")));
        QCOMPARE(f.asked.size(), 1);
        QVERIFY(f.asked[0].startsWith(QString("Cannot write file %1:\n")
                                          .arg(QDir::toNativeSeparators(f.path("blocker/walk.kw")))));
        QVERIFY(f.asked[0].endsWith("."));
        QVERIFY(f.scene()->filename().isEmpty());
        QVERIFY(!f.scene()->undoStack()->isClean());
        QCOMPARE(readFile(f.path("blocker")), QByteArray("not a folder"));
    }

    void savingOntoAFullDiskKeepsTheEarlierScene_data()
    {
        QTest::addColumn<bool>("saveAs");
        QTest::addColumn<int>("soundQuarters");
        // A small scene fails only when its last buffered bytes go out; one
        // with a long sound fails inside a write.
        QTest::newRow("save, small scene") << false << 0;
        QTest::newRow("save, scene with a long sound") << false << 12;
        QTest::newRow("save as, small scene") << true << 0;
    }

    void savingOntoAFullDiskKeepsTheEarlierScene()
    {
        QFETCH(bool, saveAs);
        QFETCH(int, soundQuarters);
        TestSupport::FullDisk disk;
        QUILLMERE_REQUIRE_FULL_DISK(disk);
        Fixture f;
        const QString target = disk.filePath("walk.kw");
        answerWith(f, [&](const Prompter::Request& r) {
            Prompter::Reply reply;
            if (r.kind == Prompter::Kind::SaveFileName)
                reply.files = QStringList{target};
            else if (r.kind == Prompter::Kind::OpenFileNames)
                reply.files = QStringList{f.path("take.wav")};
            return reply;
        });
        if (soundQuarters > 0) {
            writeWav(f.path("take.wav"), soundQuarters);
            f.window->import();
            QVERIFY(f.scene()->isAudioAvailable());
        }
        QVERIFY(f.window->saveScene(f.scene(), target));
        const QByteArray earlier = readFile(target);
        QVERIFY(earlier.size() > (soundQuarters > 0 ? 20000 : 0));
        f.edit();
        QVERIFY(disk.fill());
        f.asked.clear();

        QVERIFY(!(saveAs ? f.window->saveSceneAs() : f.window->saveScene()));
        QCOMPARE(f.asked.filter("Cannot write"),
                 QStringList{QString("Cannot write file %1:\n%2.")
                                 .arg(QDir::toNativeSeparators(target),
                                      Model::FileWriter::systemReason(ENOSPC))});
        QCOMPARE(readFile(target), earlier);
        QCOMPARE(QDir(disk.path()).entryList(QDir::Files | QDir::Hidden),
                 (QStringList{".filler", "walk.kw"}));
        QVERIFY(!f.scene()->undoStack()->isClean());
        QCOMPARE(f.scene()->filename(), target);

        // With room again the same save goes through.
        disk.release();
        QVERIFY(f.window->saveScene());
        QVERIFY(f.scene()->undoStack()->isClean());
    }

    void openedScenesComeBackWhole()
    {
        Fixture f;
        f.scene()->setName("walk");
        QVERIFY(f.window->saveScene(f.scene(), f.path("walk.kw")));
        f.window->newScene(MainWindow::NewSceneWithoutAsking);
        QVERIFY(f.scene()->filename().isEmpty());

        QVERIFY(f.window->openFile(f.path("walk.kw")));
        QCOMPARE(f.scene()->filename(), f.path("walk.kw"));
        QCOMPARE(f.scene()->numLayers(), 3);
        QVERIFY(f.asked.isEmpty());
    }

    void readFailuresKeepTheSceneAndItsHistory_data()
    {
        QTest::addColumn<QByteArray>("content"); // empty: no file at all
        QTest::addColumn<QString>("message");
        QTest::addColumn<QString>("detail");
        QTest::newRow("missing") << QByteArray() << "Cannot read file %1:\n" << "";
        QTest::newRow("broken xml") << QByteArray("<kw><layer") << "Parse error in file %1:\n\n"
                                    << "Line 1, column";
        QTest::newRow("wrong root") << QByteArray("<?xml version=\"1.0\"?><notes/>")
                                    << "Parse error in file %1:\n\n"
                                    << "The file is not a KW version 0.4 file";
        QTest::newRow("newer version") << QByteArray("<?xml version=\"1.0\"?><kw version=\"0.5\"/>")
                                       << "Parse error in file %1:\n\n"
                                       << "was written by a newer version of";
    }

    // Every failure is a warning: the scene was not opened.
    void readFailuresKeepTheSceneAndItsHistory()
    {
        QFETCH(QByteArray, content);
        QFETCH(QString, message);
        QFETCH(QString, detail);
        Fixture f;
        const QString file = f.path("bad.kw");
        if (!content.isEmpty())
            writeFile(file, content);
        Model::Settings::instance()->addToRecentFiles(file);
        Model::Scene* before = f.scene();
        f.edit();
        answerWith(f, [](const Prompter::Request&) { return button(QMessageBox::Discard); });

        QVERIFY(!f.window->openFile(file));
        QCOMPARE(f.scene(), before);
        QCOMPARE(before->undoStack()->count(), 1);
        QCOMPARE(f.asked.size(), 2); // save? then the failure
        QVERIFY2(f.asked[1].startsWith(message.arg(QDir::toNativeSeparators(file))),
                 qPrintable(f.asked[1]));
        QVERIFY2(f.asked[1].contains(detail), qPrintable(f.asked[1]));
        QCOMPARE(f.requests[1].kind, Prompter::Kind::Warning);
        QCOMPARE(Model::Settings::instance()->recentFiles().contains(file), !content.isEmpty());
        QCOMPARE(readFile(file), content);
    }

    void openingResetsAutosaveOnlyWhenASceneWasInstalled()
    {
        Fixture f;
        QVERIFY(f.window->saveScene(f.scene(), f.path("good.kw")));
        writeFile(f.path("bad.kw"), "<kw");
        QString chosen;
        answerWith(f, [&chosen](const Prompter::Request& r) {
            Prompter::Reply reply = button(QMessageBox::Discard);
            if (r.kind == Prompter::Kind::OpenFileName)
                reply.files << chosen;
            return reply;
        });
        f.edit();
        chosen = f.path("bad.kw");
        f.window->openScene();
        QCOMPARE(f.requests[1].title, QString("Open Scene"));
        QCOMPARE(f.requests[1].filter, QString("KW Files (*.kw)"));
        QVERIFY(f.window->autosaveManager()->hasChanges());

        chosen = f.path("good.kw");
        f.window->openScene();
        QCOMPARE(f.scene()->filename(), chosen);
        QVERIFY(!f.window->autosaveManager()->hasChanges());
    }

    void theGapQuestion_data()
    {
        QTest::addColumn<QStringList>("names");
        QTest::addColumn<int>("clones"); // 0: no question
        QTest::addColumn<int>("startNumber");
        QTest::newRow("f1 f2 f4") << QStringList{"f1.png", "f2.png", "f4.png"} << 1 << 1;
        QTest::newRow("f0 f2") << QStringList{"f0.png", "f2.png"} << 1 << 0;
        QTest::newRow("f1 f2") << QStringList{"f1.png", "f2.png"} << 0 << 1;
        QTest::newRow("f10 f2 f4 sorted") << QStringList{"f10.png", "f2.png", "f4.png"} << 7 << 1;
        QTest::newRow("no digits") << QStringList{"a.png", "b.png"} << 0 << -1;
        QTest::newRow("other prefix") << QStringList{"f1.png", "g4.png"} << 0 << -1;
        QTest::newRow("10000") << QStringList{"f1.png", "f10000.png"} << 0 << 1;
    }

    void theGapQuestion()
    {
        QFETCH(QStringList, names);
        QFETCH(int, clones);
        QFETCH(int, startNumber);
        QStringList files;
        for (const QString& name : names)
            files << "/frames/" + name;
        const MainWindow::SequenceGaps gaps = MainWindow::sequenceGaps(files);
        QCOMPARE(gaps.clones, clones);
        QCOMPARE(gaps.startNumber, startNumber);
    }

    void theGapAnswerDecidesTheImport_data()
    {
        QTest::addColumn<int>("answer");
        QTest::addColumn<int>("frames"); // -1: nothing imported
        QTest::newRow("hold") << int(QMessageBox::Yes) << 4;
        QTest::newRow("collapse") << int(QMessageBox::No) << 3;
        QTest::newRow("cancel") << int(QMessageBox::Cancel) << -1;
    }

    void theGapAnswerDecidesTheImport()
    {
        QFETCH(int, answer);
        QFETCH(int, frames);
        Fixture f;
        const QStringList files = f.images({"f4.png", "f1.png", "f2.png"});
        QString informative;
        QStringList buttons;
        bool yesIsDefault = false;
        bool windowModal = false;
        answerWith(f, [&](const Prompter::Request& r) -> Prompter::Reply {
            Prompter::Reply reply;
            if (r.kind == Prompter::Kind::OpenFileNames)
                reply.files = files;
            if (auto* box = qobject_cast<QMessageBox*>(r.dialog)) {
                informative = box->informativeText();
                buttons << box->button(QMessageBox::Yes)->text() << box->button(QMessageBox::No)->text();
                yesIsDefault = box->defaultButton() == box->button(QMessageBox::Yes);
                windowModal = box->windowModality() == Qt::WindowModal;
                reply.result = answer;
            }
            return reply;
        });
        const int layers = f.scene()->numLayers();
        f.window->import();
        QCOMPARE(f.requests.size(), 2);
        QCOMPARE(f.requests[1].title, QString("Import Frames"));
        QCOMPARE(f.requests[1].text,
                 QString("You are importing numbered frames with gaps in the sequence.\n\n"
                         "Hold frame for each gap?"));
        QCOMPARE(informative, QString("Holding frames will add 1 clones in total.\n"));
        QCOMPARE(buttons, (QStringList{"Hold Frames", "Collapse Gaps"}));
        QVERIFY(yesIsDefault);
        QVERIFY(windowModal);
        if (frames < 0) {
            QCOMPARE(f.scene()->numLayers(), layers);
            return;
        }
        QCOMPARE(f.scene()->numLayers(), layers + 1);
        int added = -1;
        for (int i = 0; i < f.scene()->numLayers(); ++i)
            if (f.scene()->isReferenceLayer(i))
                added = i;
        QCOMPARE(f.scene()->layerLength(added), frames);
        QCOMPARE(Model::Settings::instance()->defaultImportDir().canonicalPath(),
                 QDir(f.folder.path()).canonicalPath());
    }

    void aSoundFirstImportsOnlyTheSound()
    {
        Fixture f;
        writeWav(f.path("take.WAV"));
        const QStringList files = QStringList{f.path("take.WAV")} + f.images({"f1.png", "f3.png"});
        answerWith(f, [&files](const Prompter::Request& r) {
            Prompter::Reply reply;
            if (r.kind == Prompter::Kind::OpenFileNames)
                reply.files = files;
            return reply;
        });
        const int layers = f.scene()->numLayers();
        f.window->import();
        QCOMPARE(f.requests.size(), 1); // no gap question for the images
        QCOMPARE(f.scene()->numLayers(), layers);
        QVERIFY(f.scene()->isAudioAvailable());
        QCOMPARE(f.scene()->undoStack()->count(), 1);
    }

    void anImportThatReadsNothingSaysSo_data()
    {
        QTest::addColumn<QString>("name");
        QTest::newRow("image") << "broken.png";
        QTest::newRow("sound") << "broken.wav";
    }

    void anImportThatReadsNothingSaysSo()
    {
        QFETCH(QString, name);
        Fixture f;
        writeFile(f.path(name), "no picture, no sound");
        answerWith(f, [&f, name](const Prompter::Request& r) {
            Prompter::Reply reply;
            if (r.kind == Prompter::Kind::OpenFileNames)
                reply.files << f.path(name);
            return reply;
        });
        f.window->import();
        QCOMPARE(f.scene()->undoStack()->count(), 0);
        QCOMPARE(f.asked.last(), QString("Cannot import file %1").arg(QDir::toNativeSeparators(f.path(name))));
    }

    // Frames that can be read are imported; those that cannot are named.
    void aPartlyReadImportNamesWhatItLeftOut()
    {
        Fixture f;
        const QStringList good = f.images({"walk_1.png", "walk_2.png"});
        writeFile(f.path("walk_3.png"), "no picture");
        answerWith(f, [&f](const Prompter::Request& r) {
            Prompter::Reply reply;
            if (r.kind == Prompter::Kind::OpenFileNames)
                reply.files << f.path("walk_1.png") << f.path("walk_2.png") << f.path("walk_3.png");
            return reply;
        });
        const int layers = f.scene()->numLayers();
        f.window->import();
        QCOMPARE(f.scene()->undoStack()->count(), 1);
        QCOMPARE(f.scene()->numLayers(), layers + 1);
        QVERIFY(!f.asked.isEmpty());
        QCOMPARE(f.asked.last(),
                 QString("Cannot import file %1").arg(QDir::toNativeSeparators(f.path("walk_3.png"))));
    }

    void exportFramesRunsTheDialogsAndTheExport()
    {
        Fixture f;
        f.scene()->setName("walk");
        bool framesDialog = false;
        answerWith(f, [&f, &framesDialog](const Prompter::Request& r) {
            Prompter::Reply reply;
            if (r.kind == Prompter::Kind::Dialog) {
                framesDialog = qobject_cast<UI::ExportFramesDialog*>(r.dialog);
                reply.result = QDialog::Accepted;
            }
            if (r.kind == Prompter::Kind::SaveFileName) {
                QDir(f.folder.path()).mkdir("out");
                reply.files << f.path("out/run");
            }
            return reply;
        });
        f.window->exportFrames();
        QCOMPARE(f.requests.size(), 2);
        QVERIFY(framesDialog);
        QCOMPARE(f.requests[1].title, QString("Export Frames"));
        QCOMPARE(QFileInfo(f.requests[1].directory).fileName(), QString("walk"));
        QVERIFY(f.requests[1].filter.isEmpty());
        const Model::ExportFramesSettings stored = Model::Settings::instance()->exportFramesSettings();
        QCOMPARE(QDir(stored.exportDir).canonicalPath(), QDir(f.path("out")).canonicalPath());
        QVERIFY(!QDir(f.path("out")).entryList(QDir::Files).isEmpty());
        QVERIFY(!f.asked.contains("Export failed"));
    }

    void exportVideoOffersTheFormatsSuffix()
    {
        Fixture f;
        f.scene()->setName("walk");
        answerWith(f, [](const Prompter::Request& r) {
            Prompter::Reply reply;
            if (r.kind == Prompter::Kind::Dialog)
                reply.result = QDialog::Accepted;
            return reply; // no file chosen
        });
        const auto before = Model::Settings::instance()->exportVideoSettings();
        f.window->exportVideo();
        QCOMPARE(f.requests.size(), 2);
        QCOMPARE(f.requests[1].title, QString("Export Movie Clip"));
        QCOMPARE(QFileInfo(f.requests[1].directory).fileName(), QString("walk.mp4"));
        QCOMPARE(f.requests[1].filter, QString("MP4 (*.mp4)"));
        QCOMPARE(Model::Settings::instance()->exportVideoSettings().exportDir, before.exportDir);
    }

    void aRejectedOptionDialogExportsNothing()
    {
        Fixture f;
        answerWith(f, [](const Prompter::Request&) { return Prompter::Reply{}; });
        f.window->exportExposureSheet();
        QCOMPARE(f.requests.size(), 1);
        QCOMPARE(f.requests[0].kind, Prompter::Kind::Dialog);
        QVERIFY(QDir(f.folder.path()).isEmpty());
    }
};

QUILLMERE_TEST_MAIN(TestMainWindowFiles)
#include "tst_mainwindowfiles.moc"
