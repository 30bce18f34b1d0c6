// Damaged files met through the user's own routes — a file manager asking
// the running program to open a file (which `main` connects to the window's
// open-file route), File > Open and File > Import with the file chosen in the
// dialog: each is refused with its message, and neither the scene being
// worked on nor any file on disk changes.
#include "JourneyFixture.h"

#include "TestSupport.h"

#include <QCryptographicHash>
#include <QDir>
#include <QFile>
#include <QRegularExpression>
#include <QTemporaryDir>

using Journey::Window;

namespace {

QByteArray contents(QString const& path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

void put(QString const& path, QByteArray const& bytes)
{
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
    QCOMPARE(file.write(bytes), bytes.size());
}

// Every file of a folder with a digest of its bytes.
QStringList folderState(QString const& path)
{
    QStringList state;
    QDir const dir(path);
    for (QString const& name : dir.entryList(QDir::Files | QDir::Hidden, QDir::Name))
        state << name + QLatin1Char(' ')
                     + QString::fromLatin1(
                         QCryptographicHash::hash(contents(dir.filePath(name)), QCryptographicHash::Sha1)
                             .toHex());
    return state;
}

} // namespace

class TestDamagedInput : public QObject
{
    Q_OBJECT

private slots:
    void refusedWithItsMessage_data();
    void refusedWithItsMessage();
};

void TestDamagedInput::refusedWithItsMessage_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("route");
    QTest::addColumn<QString>("message");
    // %1 is the damaged file's path.
    QString const parseError = QStringLiteral("Parse error in file %1:\n\n");
    QString const badStrokes = parseError + QStringLiteral("Damaged strokes data\nLine ");
    QString const cannotImport = QStringLiteral("Cannot import file %1");
    QTest::newRow("truncated scene, open request") << "truncated.kw" << "request" << parseError;
    QTest::newRow("bad payload, open request") << "payload.kw" << "request" << badStrokes;
    QTest::newRow("truncated scene, File > Open") << "truncated.kw" << "open" << parseError;
    QTest::newRow("bad payload, File > Open") << "payload.kw" << "open" << badStrokes;
    QTest::newRow("not an image, File > Import") << "frame 1.png" << "import" << cannotImport;
    QTest::newRow("not a sound, File > Import") << "voice.wav" << "import" << cannotImport;
}

void TestDamagedInput::refusedWithItsMessage()
{
    QFETCH(QString, name);
    QFETCH(QString, route);
    QFETCH(QString, message);

    Journey::Prompts prompts;
    Window w;
    QTemporaryDir dir;
    QVERIFY(dir.isValid());

    // Work in progress, not yet saved: the first drawing held two frames
    // more by a drag on the sheet.
    w.dragOnSheet(w.cell(1, 0), w.cell(3, 0));
    QCOMPARE(Journey::cells(w.scene()), QStringLiteral("D.."));

    // A good scene file from an earlier session, and the damaged file made
    // from it.
    QByteArray const good = SceneFiles::write(w.scene());
    QVERIFY(good.contains("<strokes>"));
    put(dir.filePath(QStringLiteral("good.kw")), good);
    QByteArray damaged;
    if (name == QLatin1String("truncated.kw")) {
        damaged = good.left(good.size() / 2);
    } else if (!name.endsWith(QLatin1String(".kw"))) {
        // A name that promises a picture or a sound, and text inside.
        damaged = "this is no picture and no sound, only words\n";
    } else {
        // Well-formed base64 whose bytes are no strokes.
        QString text = QString::fromUtf8(good);
        text.replace(QRegularExpression(QStringLiteral("<strokes>[^<]*</strokes>")),
                     QStringLiteral("<strokes>%1</strokes>")
                         .arg(QString::fromLatin1(QByteArray("no strokes at all").toBase64())));
        damaged = text.toUtf8();
        QVERIFY(damaged != good);
    }
    QString const path = dir.filePath(name);
    put(path, damaged);

    QStringList const files = folderState(dir.path());
    QStringList const scene = SceneFiles::describe(*w.scene());
    Model::Scene* const current = w.scene();
    int const undoCount = w.undo()->count();
    QString const title = w.window->windowTitle();

    // Asked about the unsaved changes: not saved, so that the work stays
    // open only if the refused file leaves it be. The file dialog chooses
    // the damaged file.
    prompts.answer = [&path](Model::Prompter::Request const& request) {
        Model::Prompter::Reply reply;
        if (request.kind == Model::Prompter::Kind::OpenFileName
            || request.kind == Model::Prompter::Kind::OpenFileNames)
            return Journey::fileReply(path);
        reply.button = request.buttons.testFlag(QMessageBox::Discard) ? QMessageBox::Discard
                                                                      : QMessageBox::Ok;
        return reply;
    };
    if (route == QLatin1String("request"))
        QVERIFY(!w.window->openFile(path));
    else
        w.trigger(route == QLatin1String("open") ? KW::Action::OpenScene : KW::Action::Import);
    QVERIFY(TestSupport::deliverPostedEvents());

    QString const expected = message.arg(QDir::toNativeSeparators(path));
    QList<Model::Prompter::Kind> kinds;
    for (auto const& asked : prompts.asked)
        kinds << asked.kind;
    // Opening asks about the unsaved work first; only the refusal is told.
    if (route != QLatin1String("import"))
        QCOMPARE(prompts.asked.first().title, QStringLiteral("Save"));
    QCOMPARE(kinds.count(Model::Prompter::Kind::Information) + kinds.count(Model::Prompter::Kind::Warning)
                 + kinds.count(Model::Prompter::Kind::Critical),
             route == QLatin1String("import") ? 1 : 2);
    QVERIFY2(prompts.asked.last().text.startsWith(expected),
             qPrintable(prompts.texts().join(QStringLiteral(" | "))));
    QVERIFY(prompts.asked.last().kind == Model::Prompter::Kind::Information
            || prompts.asked.last().kind == Model::Prompter::Kind::Warning);

    QCOMPARE(w.scene(), current);
    QCOMPARE(SceneFiles::describe(*w.scene()), scene);
    QCOMPARE(w.undo()->count(), undoCount);
    QVERIFY(!w.undo()->isClean());
    QCOMPARE(w.window->windowTitle(), title);
    QCOMPARE(folderState(dir.path()), files);
}

QUILLMERE_TEST_MAIN(TestDamagedInput)
#include "tst_damagedinput.moc"
