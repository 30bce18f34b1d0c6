// Payloads decoded on helper threads ahead of the reader: the bytes they hold
// at once stay within the decoder's budget, however many payloads fit in it.
#include "TestSupport.h"

#include "files/Base64Decoder.h"
#include "files/PayloadDecoder.h"
#include "files/SceneFileOutline.h"

#include <QRandomGenerator>
#include <QScopeGuard>
#include <QThread>

#include <algorithm>
#include <mutex>
#include <set>
#include <thread>

class TestPayloadDecoder : public QObject
{
    Q_OBJECT

private slots:
    void helpersHoldNoMoreBytesThanTheBudget();
};

void TestPayloadDecoder::helpersHoldNoMoreBytesThanTheBudget()
{
    if (QThread::idealThreadCount() < 2)
        QSKIP("One core: every payload is decoded by the reader");

    // Enough payloads for helpers to start, many more than fit in the budget.
    constexpr int payloads = 48;
    constexpr qsizetype textSize = 100 * 1024;
    constexpr qsizetype decodedSize = textSize / 4 * 3;
    constexpr int fitting = 8;
    QList<QByteArray> expected;
    QByteArray document = "<kw version=\"0.4\"><scene><layers><layer>";
    for (int i = 0; i < payloads; ++i) {
        QByteArray bytes(decodedSize, Qt::Uninitialized);
        QRandomGenerator random{quint32(i)};
        for (char& byte : bytes)
            byte = char(random.bounded(256));
        expected << bytes;
        document += "<drawing><strokes>" + bytes.toBase64() + "</strokes></drawing>";
    }
    document += "</layer></layers></scene></kw>";
    Model::SceneFileOutline const outline(document);
    QCOMPARE(outline.payloads().size(), payloads);

    // Which payloads helpers have started and the reader not yet taken.
    std::mutex mutex;
    std::set<qsizetype> ahead;
    int started = 0;
    size_t mostAhead = 0;
    std::thread::id const reader = std::this_thread::get_id();
    Model::PayloadDecoder::setDecodeForTesting([&](char const* text, qsizetype size, QByteArray* bytes) {
        if (std::this_thread::get_id() != reader) {
            std::lock_guard<std::mutex> const lock(mutex);
            ahead.insert(text - outline.document().constData());
            mostAhead = std::max(mostAhead, ahead.size());
            ++started;
        }
        return Model::Base64Decoder::decode(text, size, bytes);
    });
    auto const restore = qScopeGuard([] { Model::PayloadDecoder::setDecodeForTesting({}); });
    auto const startedCount = [&] {
        std::lock_guard<std::mutex> const lock(mutex);
        return started;
    };

    Model::PayloadDecoder decoder(outline, fitting * decodedSize);
    for (int i = 0; i < payloads; ++i) {
        // The helpers fill the room the reader left before it takes the next.
        QTRY_VERIFY_WITH_TIMEOUT(startedCount() >= std::min(payloads, i + fitting), 60000);
        {
            std::lock_guard<std::mutex> const lock(mutex);
            ahead.erase(outline.payloads().at(i).begin);
        }
        QByteArray bytes;
        QVERIFY(decoder.take(i, &bytes));
        QVERIFY2(bytes == expected.at(i), qPrintable(QString::number(i)));
    }
    std::lock_guard<std::mutex> const lock(mutex);
    QCOMPARE(started, payloads);
    QVERIFY2(mostAhead <= size_t(fitting), qPrintable(QString::number(mostAhead)));
}

QUILLMERE_TEST_MAIN(TestPayloadDecoder)
#include "tst_payloaddecoder.moc"
