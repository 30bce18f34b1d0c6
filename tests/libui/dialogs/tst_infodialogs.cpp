#include "dialogs/AboutDialog.h"
#include "dialogs/BuildVersion.h"
#include "dialogs/CollapseDialog.h"
#include "dialogs/TutorialDialog.h"
#include "dialogs/TutorialPlayButton.h"
#include "startup/Init.h"

#include "TestSupport.h"

#include <QCheckBox>
#include <QDialogButtonBox>
#include <QPushButton>
#include <QDesktopServices>
#include <QLabel>
#include <QScrollBar>
#include <QSignalSpy>
#include <QTextEdit>
#include <QUrl>

// Receives the pages the tutorial dialog opens instead of a web browser.
class PageCatcher : public QObject
{
    Q_OBJECT
public:
    QList<QUrl> pages;
public slots:
    void open(const QUrl& url) { pages << url; }
};

class TestInfoDialogs : public QObject
{
    Q_OBJECT

private slots:
    void buildVersionTexts_data()
    {
        QTest::addColumn<QString>("description");
        QTest::addColumn<QString>("commit");
        QTest::addColumn<QString>("tag");
        QTest::addColumn<QString>("hash");
        QTest::newRow("after a tag") << "v1.2-14-g3ab5c0d" << "3ab5c0d" << "v1.2" << "3ab5c0d";
        QTest::newRow("modified tree") << "v1.2-14-g3ab5c0d-dirty" << "3ab5c0d" << "v1.2" << "3ab5c0d-dirty";
        QTest::newRow("tag with dashes") << "release-2-rc-3-g00ff00a" << "00ff00a" << "release-2-rc" << "00ff00a";
        QTest::newRow("exactly on a tag") << "v2.0" << "9d9d9d9" << "v2.0" << "9d9d9d9";
        QTest::newRow("no tags") << "e06b1d4" << "e06b1d4" << "untagged" << "e06b1d4";
        QTest::newRow("no tags, modified") << "e06b1d4-dirty" << "e06b1d4" << "untagged" << "e06b1d4-dirty";
        QTest::newRow("no git") << "" << "" << "unknown" << "unknown";
    }

    void buildVersionTexts()
    {
        QFETCH(QString, description);
        QFETCH(QString, tag);
        QCOMPARE(UI::BuildVersion::releaseTag(description), tag);
        QFETCH(QString, commit);
        QFETCH(QString, hash);
        QCOMPARE(UI::BuildVersion::commitName(description, commit), hash);
    }

    void creditsPlaceholdersAreFilled()
    {
        const QString filled = UI::AboutDialog::fillCredits(
            "%QUILLMERE_APP_NAME% %QUILLMERE_APP_NAME%|%QT_VERSION_STR%|%OPENSSL_VERSION_TEXT%|"
            "%AVCODEC_VERSION_TEXT%|%QUILLMERE_ARCH%|%QUILLMERE_GIT_DESCRIBE%|%QUILLMERE_GIT_HASH%|%UNKNOWN%|"
            "%quillmere_app_name%");
        const QStringList parts = filled.split('|');
        QCOMPARE(parts.size(), 9);
        QCOMPARE(parts[0], QString("Quillmere Quillmere"));
        QCOMPARE(parts[1], QString::fromLatin1(qVersion()));
        QVERIFY2(QRegularExpression("^OpenSSL \\d+\\.\\d+").match(parts[2]).hasMatch(), qPrintable(parts[2]));
        QVERIFY(QRegularExpression("^avcodec version: \\d+\\.\\d+\\.\\d+$").match(parts[3]).hasMatch());
        QCOMPARE(parts[4], "Built for " + QSysInfo::buildCpuArchitecture());
        QVERIFY(!parts[5].isEmpty());
        QVERIFY(!parts[6].isEmpty());
        QCOMPARE(parts[7], QString("%UNKNOWN%"));
        QCOMPARE(parts[8], QString("%quillmere_app_name%"));
    }

    void aboutBoxShowsVersionAndCreditsFromTheTop()
    {
        QWidget owner;
        auto* about = new UI::AboutDialog(&owner);
        auto* version = about->findChild<QLabel*>("labelVersion");
        QVERIFY(version->text().contains("Quillmere"));
        QVERIFY(!Model::version().isEmpty());
        QVERIFY(version->text().contains(Model::version()));
        QVERIFY(!about->findChild<QLabel*>("labelCopyright")->text().isEmpty());
        auto* credits = about->findChild<QTextEdit*>("textEditCredits");
        const QString text = credits->toPlainText();
        QVERIFY(text.contains("Quillmere"));
        QVERIFY(text.contains(QString::fromLatin1(qVersion())));
        QVERIFY(!text.contains('%'));
        QVERIFY(!about->isModal());

        about->show();
        QVERIFY(QTest::qWaitForWindowExposed(about));
        credits->setPlainText(QString("line\n").repeated(200));
        credits->verticalScrollBar()->setValue(credits->verticalScrollBar()->maximum());
        QVERIFY(credits->verticalScrollBar()->value() > 0);
        about->close();
        about->show();
        QCOMPARE(credits->verticalScrollBar()->value(), 0);

        // The header is painted dark and the bottom bar in its own grey.
        const QImage shot = about->grab().toImage();
        QCOMPARE(shot.pixelColor(about->width() - 2, 2), QColor(0x63, 0x60, 0x5c));
        QCOMPARE(shot.pixelColor(about->width() - 2, about->height() - 2), QColor(0x97, 0x94, 0x8f));
    }

    void tutorialPagesOpenInTheBrowser()
    {
        PageCatcher catcher;
        QDesktopServices::setUrlHandler("https", &catcher, "open");
        UI::TutorialDialog dialog;
        dialog.show();
        QVERIFY(QTest::qWaitForWindowExposed(&dialog));
        for (int n = 1; n <= 5; ++n) {
            auto* button = dialog.findChild<UI::TutorialPlayButton*>(QString("toolButton_%1").arg(n));
            QVERIFY(button);
            QCOMPARE(button->iconSize(), QSize(178, 100));
            QVERIFY(!button->icon().isNull());
            QTest::mouseClick(button, Qt::LeftButton);
        }
        dialog.findChild<QAbstractButton*>("toolButton_1")->click();
        QDesktopServices::unsetUrlHandler("https");

        QStringList fragments;
        for (const QUrl& url : catcher.pages) {
            QVERIFY(url.path().endsWith("/quillmere-video-tutorials/"));
            fragments << url.fragment();
        }
        QCOMPARE(fragments, (QStringList{"overview", "drawing", "animation", "animation-continued",
                                         "special-features", "overview"}));
        QVERIFY(dialog.isVisible());
        QCOMPARE(dialog.findChild<QLabel*>("label_4_overview")->text(),
                 QString("<b><i>Video 4 - Animation continued</i></b>"));
    }

    void tutorialStartupBoxIsReadWhicheverWayItCloses()
    {
        UI::TutorialDialog dialog;
        dialog.setShowAtStartupChecked(true);
        QVERIFY(dialog.isShowAtStartupChecked());
        dialog.show();
        QVERIFY(QTest::qWaitForWindowExposed(&dialog));
        QTest::mouseClick(dialog.findChild<QCheckBox*>("checkBox_showAtStartup"), Qt::LeftButton);
        QTest::keyClick(&dialog, Qt::Key_Escape);
        QVERIFY(!dialog.isVisible());
        QVERIFY(!dialog.isShowAtStartupChecked());
    }

    void separatorLinesFollowThePalette()
    {
        UI::TutorialDialog dialog;
        QPalette palette = dialog.palette();
        palette.setColor(QPalette::Light, QColor(12, 200, 34));
        dialog.setPalette(palette);
        for (const char* name : {"line_1", "line_4", "line_btm"})
            QCOMPARE(dialog.findChild<QFrame*>(name)->palette().color(QPalette::WindowText), QColor(12, 200, 34));
    }

    void collapseAnswers_data()
    {
        QTest::addColumn<int>("key");
        QTest::addColumn<bool>("tick");
        QTest::addColumn<int>("result");
        QTest::newRow("Return collapses") << int(Qt::Key_Return) << false << int(QDialog::Accepted);
        QTest::newRow("Return, automatically") << int(Qt::Key_Return) << true << int(QDialog::Accepted);
        QTest::newRow("Escape cancels, box still reported") << int(Qt::Key_Escape) << true << int(QDialog::Rejected);
    }

    void collapseAnswers()
    {
        QFETCH(bool, tick);
        UI::CollapseDialog dialog;
        QVERIFY(!dialog.collapseAutomatically());
        QCOMPARE(dialog.findChild<QDialogButtonBox*>("buttonBox")->button(QDialogButtonBox::Ok)->text(),
                 QString("Collapse"));
        QVERIFY(!dialog.findChild<QLabel*>("imageLabel")->pixmap().isNull());
        dialog.show();
        QVERIFY(QTest::qWaitForWindowExposed(&dialog));
        if (tick)
            dialog.findChild<QCheckBox*>("collapseAutomaticallyCheckBox")->click();
        QFETCH(int, key);
        QTest::keyClick(&dialog, Qt::Key(key));
        QFETCH(int, result);
        QCOMPARE(dialog.result(), result);
        QCOMPARE(dialog.collapseAutomatically(), tick);
    }
};

QUILLMERE_TEST_MAIN(TestInfoDialogs)
#include "tst_infodialogs.moc"
