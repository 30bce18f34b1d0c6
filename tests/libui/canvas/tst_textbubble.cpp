#include "TestSupport.h"

#include "WidgetPixels.h"

#include "canvas/TextBubble.h"

#include <QImage>

class TestTextBubble : public QObject
{
    Q_OBJECT

private slots:
    void sizeFollowsTheText_data();
    void sizeFollowsTheText();
    void placementKeepsBodyAndPointer_data();
    void placementKeepsBodyAndPointer();
    void paintsBodyTriangleAndNothingWhenEmpty();
};

void TestTextBubble::sizeFollowsTheText_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<QSize>("size");
    QTest::newRow("number 12") << QStringLiteral("12") << QSize(26, 16);
    QTest::newRow("empty") << QString() << QSize(12, 16);
    QTest::newRow("word") << QStringLiteral("Brush") << QSize(47, 16);
}

void TestTextBubble::sizeFollowsTheText()
{
    QFETCH(QString, text);
    QFETCH(QSize, size);

    QWidget parent;
    UI::TextBubble bubble(&parent);
    bubble.setText(text);
    QCOMPARE(bubble.bubbleSize(), size);
    QCOMPARE(bubble.text(), text);
    if (text == QLatin1String("12")) {
        bubble.setText(QStringLiteral("something else"));
        bubble.setNumber(12);
        QCOMPARE(bubble.bubbleSize(), size);
    }
    QCOMPARE(bubble.traingleHeight(), 5);
}

void TestTextBubble::placementKeepsBodyAndPointer_data()
{
    QTest::addColumn<QRect>("rect");
    QTest::addColumn<int>("pointerX");
    QTest::addColumn<QRect>("geometry");

    // The widget covers the body and the pointer and no more, so it never
    // takes clicks meant for the controls beside it.
    QTest::newRow("pointer under the body")
        << QRect(40, 10, 26, 16) << 50 << QRect(40, 10, 26, 21);
    QTest::newRow("pointer left of the body")
        << QRect(40, 10, 26, 16) << 30 << QRect(30, 10, 36, 21);
    QTest::newRow("pointer right of the body")
        << QRect(40, 10, 26, 16) << 80 << QRect(40, 10, 41, 21);
}

void TestTextBubble::placementKeepsBodyAndPointer()
{
    QFETCH(QRect, rect);
    QFETCH(int, pointerX);
    QFETCH(QRect, geometry);

    QWidget parent;
    parent.resize(200, 100);
    UI::TextBubble bubble(&parent);
    bubble.setNumber(12);
    bubble.setBubbleParams(rect, pointerX);
    QCOMPARE(bubble.geometry(), geometry);
}

void TestTextBubble::paintsBodyTriangleAndNothingWhenEmpty()
{
    QWidget parent;
    parent.resize(200, 100);
    UI::TextBubble bubble(&parent);
    bubble.setGraphicsEffect(nullptr); // the shadow blurs the edges the test reads
    bubble.setNumber(12);
    // The pointer sits left of the body: the triangle's base is pushed
    // inside the rounded corner.
    bubble.setBubbleParams(QRect(40, 10, 26, 16), 38);
    QImage const image = WidgetPixels::paintedAlone(bubble);

    QCOMPARE(image.size(), QSize(28, 21));
    QCOMPARE(qAlpha(image.pixel(20, 3)), 192); // body
    QVERIFY(qAlpha(image.pixel(6, 16)) > 128);  // the base, inside the body's corner
    QVERIFY(qAlpha(image.pixel(0, 5)) == 0);    // left of the body

    UI::TextBubble empty(&parent);
    empty.setGraphicsEffect(nullptr);
    empty.setBubbleParams(QRect(40, 10, 0, 16), 45);
    QImage const nothing = WidgetPixels::paintedAlone(empty);
    for (int y = 0; y < nothing.height(); ++y)
        for (int x = 0; x < nothing.width(); ++x)
            QCOMPARE(qAlpha(nothing.pixel(x, y)), 0);
}

QUILLMERE_TEST_MAIN(TestTextBubble)

#include "tst_textbubble.moc"
