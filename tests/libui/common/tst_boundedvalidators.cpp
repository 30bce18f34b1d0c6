#include "common/BoundedDoubleValidator.h"
#include "common/BoundedIntValidator.h"

#include "TestSupport.h"

class TestBoundedValidators : public QObject
{
    Q_OBJECT

private slots:
    void cleanup() { QLocale::setDefault(QLocale::c()); }

    void intFixup_data()
    {
        QTest::addColumn<QString>("input");
        QTest::addColumn<QString>("fixed");
        QTest::newRow("below") << "0" << "1";
        QTest::newRow("above") << "9000" << "8192";
        QTest::newRow("empty") << "" << "1";
        QTest::newRow("inside") << "640" << "640";
        QTest::newRow("negative") << "-5" << "1";
        QTest::newRow("not a number") << "abc" << "abc";
    }

    void intFixup()
    {
        QFETCH(QString, input);
        QFETCH(QString, fixed);
        UI::BoundedIntValidator validator(1, 8192);
        validator.fixup(input);
        QCOMPARE(input, fixed);
    }

    void doubleFixupAndValidate_data()
    {
        QTest::addColumn<QString>("locale");
        QTest::addColumn<QString>("input");
        QTest::addColumn<QString>("fixed");
        QTest::addColumn<int>("state");
        QTest::newRow("below") << "en_US" << "0" << "0.10" << int(QValidator::Intermediate);
        QTest::newRow("above") << "en_US" << "75" << "60.00" << int(QValidator::Intermediate);
        QTest::newRow("empty") << "en_US" << "" << "0.1" << int(QValidator::Intermediate);
        QTest::newRow("point in a comma locale") << "de_DE" << "12.5" << "12,50" << int(QValidator::Acceptable);
        QTest::newRow("comma in a comma locale") << "de_DE" << "12,5" << "12,50" << int(QValidator::Acceptable);
        QTest::newRow("below, comma locale") << "de_DE" << "0" << "0,10" << int(QValidator::Intermediate);
        QTest::newRow("empty, comma locale") << "de_DE" << "" << "0,1" << int(QValidator::Intermediate);
        QTest::newRow("not a number") << "en_US" << "fast" << "fast" << int(QValidator::Invalid);
    }

    void doubleFixupAndValidate()
    {
        QFETCH(QString, locale);
        QFETCH(QString, input);
        QFETCH(QString, fixed);
        QFETCH(int, state);
        QLocale::setDefault(QLocale(locale));
        BoundedDoubleValidator validator(0.1, 60.0, 2);
        QString text = input;
        int pos = text.size();
        QCOMPARE(int(validator.validate(text, pos)), state);
        validator.fixup(text);
        QCOMPARE(text, fixed);
    }
};

QUILLMERE_TEST_MAIN(TestBoundedValidators)
#include "tst_boundedvalidators.moc"
