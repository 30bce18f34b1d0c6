#include "TestSupport.h"

#include "canvas/ReferenceDisplay.h"
#include "scene/KWScene.h"
#include "scene/Scene.h"

#include <QElapsedTimer>
#include <QScreen>
#include <QSignalSpy>

class TestReferenceDisplay : public QObject
{
    Q_OBJECT

private slots:
    void openingSizeHalvesUntilItFits_data();
    void openingSizeHalvesUntilItFits();
    void opensWindowedAndCentredOnTheOnlyScreen();
    void fitsTheFrameIntoTheWindow();
    void withoutASceneItIsWhite();
    void fullScreenHidesAfterTheDelay();
    void closingHidesAndReopensWhereItWas();
};

void TestReferenceDisplay::openingSizeHalvesUntilItFits_data()
{
    QTest::addColumn<QSize>("frame");
    QTest::addColumn<QSizeF>("available");
    QTest::addColumn<qreal>("ratio");
    QTest::addColumn<QSize>("size");

    QTest::newRow("retina screen") << QSize(1920, 1080) << QSizeF(1440, 900) << qreal(2)
                                   << QSize(960, 540);
    QTest::newRow("one halving") << QSize(1920, 1080) << QSizeF(1280, 720) << qreal(1)
                                 << QSize(960, 540);
    QTest::newRow("fits as it is") << QSize(640, 360) << QSizeF(1280, 720) << qreal(1)
                                   << QSize(640, 360);
    QTest::newRow("exactly the screen") << QSize(1280, 720) << QSizeF(1280, 720) << qreal(1)
                                        << QSize(1280, 720);
}

void TestReferenceDisplay::openingSizeHalvesUntilItFits()
{
    QFETCH(QSize, frame);
    QFETCH(QSizeF, available);
    QFETCH(qreal, ratio);
    QFETCH(QSize, size);
    QCOMPARE(UI::ReferenceDisplay::openingSize(frame, available, ratio), size);
}

void TestReferenceDisplay::opensWindowedAndCentredOnTheOnlyScreen()
{
    QCOMPARE(QGuiApplication::screens().size(), 1);
    Model::KWScene bundle;
    bundle.scene()->setFrameSize(QSize(640, 360), KW::FitMode::FitModeKeepAspect, nullptr);
    UI::ReferenceDisplay display(nullptr);
    display.setCurrentScene(&bundle);
    display.setVisibility(true);
    QVERIFY(QTest::qWaitForWindowExposed(&display));

    QVERIFY(!display.isFullScreen());
    QRect const available = QGuiApplication::primaryScreen()->availableGeometry();
    QCOMPARE(display.size(), QSize(640, 360));
    QCOMPARE(display.geometry().center(), available.center());
}

void TestReferenceDisplay::fitsTheFrameIntoTheWindow()
{
    Model::KWScene bundle;
    bundle.scene()->setFrameSize(QSize(100, 50), KW::FitMode::FitModeKeepAspect, nullptr);
    UI::ReferenceDisplay display(nullptr);
    display.setCurrentScene(&bundle);
    display.resize(400, 400);
    display.show();
    QVERIFY(QTest::qWaitForWindowExposed(&display));
    display.resize(400, 400);
    QTRY_COMPARE(display.size(), QSize(400, 400));

    // 100 × 50 frame pixels fill the width: 4 window pixels per frame pixel,
    // centred, with black above and below.
    QTRY_COMPARE(display.windowTitle(), QStringLiteral("Reference Display 400%"));
    QImage const image = display.grab().toImage();
    QCOMPARE(image.pixelColor(200, 95), QColor(Qt::black));
    QVERIFY(image.pixelColor(200, 105) != QColor(Qt::black));
    QVERIFY(image.pixelColor(200, 295) != QColor(Qt::black));
    QCOMPARE(image.pixelColor(200, 305), QColor(Qt::black));

    // A black paper shows the frame's surroundings in dark grey instead.
    display.setTransparencyType(KW::TransparencyType::TransparencyBlack);
    QImage const dark = display.grab().toImage();
    QCOMPARE(dark.pixelColor(200, 95), QColor(Qt::darkGray));

    // The window follows a new frame size.
    bundle.scene()->setFrameSize(QSize(50, 100), KW::FitMode::FitModeKeepAspect, nullptr);
    QTRY_COMPARE(display.windowTitle(), QStringLiteral("Reference Display 400%"));
    QImage const tall = display.grab().toImage();
    QCOMPARE(tall.pixelColor(95, 200), QColor(Qt::darkGray));
    QVERIFY(tall.pixelColor(105, 200) != QColor(Qt::darkGray));
}

void TestReferenceDisplay::withoutASceneItIsWhite()
{
    UI::ReferenceDisplay display(nullptr);
    display.resize(120, 80);
    QImage const image = display.grab().toImage();
    QCOMPARE(image.pixelColor(5, 5), QColor(Qt::white));
    QCOMPARE(image.pixelColor(110, 70), QColor(Qt::white));
}

void TestReferenceDisplay::fullScreenHidesAfterTheDelay()
{
    QCOMPARE(UI::ReferenceDisplay::hideDelay(), 575);
    UI::ReferenceDisplay display(nullptr);
    display.setVisibility(true);
    QVERIFY(QTest::qWaitForWindowExposed(&display));
    display.toggleFullScreen();
    QTRY_VERIFY(display.isFullScreen());
    QRect const fullScreen = display.geometry();
    QSignalSpy hidden(&display, &UI::ReferenceDisplay::hidden);

    QElapsedTimer clock;
    clock.start();
    display.setVisibility(false);
    QVERIFY(!display.isFullScreen());
    QVERIFY(display.isVisible());
    QTRY_VERIFY_WITH_TIMEOUT(!display.isVisible(), 3000);
    QVERIFY(clock.elapsed() >= 575);
    QCOMPARE(hidden.size(), 1);

    // The geometry kept is the full-screen one from before the window left
    // full screen.
    UI::ReferenceDisplay probe(nullptr);
    probe.restoreGeometry(display.savedGeometry());
    QCOMPARE(probe.geometry().size(), fullScreen.size());
}

void TestReferenceDisplay::closingHidesAndReopensWhereItWas()
{
    UI::ReferenceDisplay display(nullptr);
    display.setVisibility(true);
    QVERIFY(QTest::qWaitForWindowExposed(&display));
    QRect const placed(100, 120, 320, 200);
    display.setGeometry(placed);
    QTRY_COMPARE(display.geometry(), placed);
    QSignalSpy hidden(&display, &UI::ReferenceDisplay::hidden);

    QVERIFY(!display.close());
    QVERIFY(!display.isVisible());
    QCOMPARE(hidden.size(), 1);
    QByteArray const saved = display.savedGeometry();
    QVERIFY(!saved.isEmpty());

    // Another session: the main window hands the stored geometry back.
    UI::ReferenceDisplay next(nullptr);
    next.setSavedGeometry(saved);
    next.setVisibility(true);
    QVERIFY(QTest::qWaitForWindowExposed(&next));
    QTRY_COMPARE(next.geometry(), placed);
}

QUILLMERE_TEST_MAIN(TestReferenceDisplay)

#include "tst_referencedisplay.moc"
