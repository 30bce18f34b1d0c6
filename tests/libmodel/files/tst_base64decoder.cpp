// Base64 decoding of payloads straight from a file's bytes: it must take and
// refuse exactly what QByteArray takes and refuses, which the scene reader
// used before, and give the same bytes.
#include "TestSupport.h"

#include "files/Base64Decoder.h"

#include <QRandomGenerator>

namespace {

QByteArray::FromBase64Result qtDecoding(QByteArray const& text)
{
    return QByteArray::fromBase64Encoding(
        text, QByteArray::Base64Encoding | QByteArray::AbortOnBase64DecodingErrors);
}

} // namespace

class TestBase64Decoder : public QObject
{
    Q_OBJECT

private slots:
    void sameAsQByteArray_data();
    void sameAsQByteArray();
    void sameAsQByteArrayOnRandomText();
    void readsOnlyTheGivenBytes();
};

void TestBase64Decoder::sameAsQByteArray_data()
{
    QTest::addColumn<QByteArray>("text");

    // Lengths around the groups of four, with and without padding.
    for (char const* text : {"", "Q", "QQ", "QUI", "QUJD", "QUJDRA", "QUJDREU", "QUJDREVG"})
        QTest::addRow("unpadded \"%s\"", text) << QByteArray(text);
    for (char const* text : {"QQ==", "QUI=", "QUJDRA==", "QUJDREU=", "AB==", "QR==", "QUJ="})
        QTest::addRow("padded \"%s\"", text) << QByteArray(text);
    // Padding anywhere but the end of text of whole groups.
    for (char const* text : {"=", "==", "===", "====", "QQ=", "QUJDQQ=", "Q===", "QQ=A", "QU=D",
                             "QQ==QQ==", "ABCD====", "=QUJ", "Q=JD", "QUJDQ==="})
        QTest::addRow("misplaced padding \"%s\"", text) << QByteArray(text);
    // Characters outside the alphabet, at each place of a group.
    for (char const* text : {"!UJD", "Q!JD", "QU!D", "QUJ!", "QUJDR!", "QUJD-_", "QUJD\x80Q",
                             "QUJD\xffQ", "QU JD", "QUJD\n"})
        QTest::addRow("foreign character in \"%s\"", text) << QByteArray(text);
    QTest::newRow("nul in the text") << QByteArray("QU\0JD", 5);
    QTest::newRow("the whole alphabet")
        << QByteArray("ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/");
}

void TestBase64Decoder::sameAsQByteArray()
{
    QFETCH(QByteArray, text);

    QByteArray::FromBase64Result const expected = qtDecoding(text);
    QByteArray decoded("left over");
    bool const ok = Model::Base64Decoder::decode(text.constData(), text.size(), &decoded);
    QCOMPARE(ok, bool(expected));
    QCOMPARE(decoded, ok ? expected.decoded : QByteArray());
}

void TestBase64Decoder::sameAsQByteArrayOnRandomText()
{
    // Text mostly of the alphabet, sometimes with padding or a stray
    // character, of every length up to a few groups and some long ones.
    static char const alphabet[] =
        "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";
    QRandomGenerator random(4913);
    int accepted = 0;
    for (int round = 0; round < 20000; ++round) {
        int const length = round % 10 == 0 ? int(random.bounded(5000)) : int(random.bounded(14));
        QByteArray text;
        for (int i = 0; i < length; ++i)
            text += alphabet[random.bounded(64)];
        int const damage = int(random.bounded(8));
        if (damage == 1 && !text.isEmpty())
            text[random.bounded(text.size())] = '=';
        else if (damage == 2)
            text += "=";
        else if (damage == 3)
            text += "==";
        else if (damage == 4 && !text.isEmpty())
            text[random.bounded(text.size())] = char(random.bounded(256));
        QByteArray::FromBase64Result const expected = qtDecoding(text);
        QByteArray decoded;
        bool const ok = Model::Base64Decoder::decode(text.constData(), text.size(), &decoded);
        QVERIFY2(ok == bool(expected), text.left(80).constData());
        if (ok) {
            QCOMPARE(decoded, expected.decoded);
            ++accepted;
        }
    }
    // Both outcomes were tried many times.
    QVERIFY(accepted > 5000);
    QVERIFY(accepted < 19000);
}

void TestBase64Decoder::readsOnlyTheGivenBytes()
{
    // A payload is a view into a whole document: what follows it is no part
    // of it, though it is base64 too.
    QByteArray const document("<strokes>QUJD</strokes>QUJD==");
    QByteArray decoded;
    QVERIFY(Model::Base64Decoder::decode(document.constData() + 9, 4, &decoded));
    QCOMPARE(decoded, QByteArray("ABC"));
    QVERIFY(Model::Base64Decoder::decode(document.constData() + 9, 2, &decoded));
    QCOMPARE(decoded, QByteArray("A"));
}

QUILLMERE_TEST_MAIN(TestBase64Decoder)
#include "tst_base64decoder.moc"
