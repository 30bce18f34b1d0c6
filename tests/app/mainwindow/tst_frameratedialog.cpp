// The custom frame-rate entry: a number from 0.1 to 60 with two decimals in
// the user's locale.
#include "MainWindowFixture.h"

#include "TestSupport.h"

#include "mainwindow/FrameRateDialog.h"

#include <QLineEdit>

class TestFrameRateDialog : public QObject
{
    Q_OBJECT

private slots:
    void customRateFieldRefusesLettersAndClamps()
    {
        MainWindowFixture::startLibraries();
        FrameRateDialog dialog(12.5);
        QLineEdit* edit = dialog.lineEdit();
        QCOMPARE(edit->text(), dialog.locale().toString(12.5, 'g', 6));
        QCOMPARE(dialog.frameRate(), 12.5);

        edit->clear();
        QTest::keyClicks(edit, QStringLiteral("ab"));
        QCOMPARE(edit->text(), QString());
        QTest::keyClicks(edit, QStringLiteral("75"));
        QCOMPARE(dialog.frameRate(), 60.0);
        edit->clear();
        QTest::keyClicks(edit, QStringLiteral("0"));
        QCOMPARE(dialog.frameRate(), 0.1);
        edit->clear();
        QTest::keyClicks(edit, dialog.locale().toString(12.345, 'f', 3));
        QCOMPARE(dialog.frameRate(), 12.34);
    }

};

QUILLMERE_TEST_MAIN(TestFrameRateDialog)
#include "tst_frameratedialog.moc"
