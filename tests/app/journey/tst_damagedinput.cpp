// Damaged files met through the user's own route — a file manager asking the
// running program to open a file, which `main` connects to the window's
// open-file route: each is refused with its message, and neither the scene
// being worked on nor any file on disk changes.
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
    QTest::addColumn<QString>("message");
    // %1 is the damaged file's path.
    QString const parseError = QStringLiteral("Parse error in file %1:\n\n");
    QString const badStrokes = parseError + QStringLiteral("Damaged strokes data\nLine ");
    QTest::newRow("truncated scene, open request") << "truncated.kw" << parseError;
    QTest::newRow("bad payload, open request") << "payload.kw" << badStrokes;
}

void TestDamagedInput::refusedWithItsMessage()
{
    QFETCH(QString, name);
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
    // open only if the refused file leaves it be.
    prompts.answer = [](Model::Prompter::Request const& request) {
        Model::Prompter::Reply reply;
        reply.button = request.buttons.testFlag(QMessageBox::Discard) ? QMessageBox::Discard
                                                                      : QMessageBox::Ok;
        return reply;
    };
    QVERIFY(!w.window->openFile(path));
    QTest::qWait(20);

    QString const expected = message.arg(QDir::toNativeSeparators(path));
    QCOMPARE(prompts.asked.size(), 2);
    QCOMPARE(prompts.asked.first().title, QStringLiteral("Save"));
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
