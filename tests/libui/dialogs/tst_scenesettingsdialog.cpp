#include "dialogs/FrameRateModel.h"
#include "dialogs/FrameSizeItemDelegate.h"
#include "dialogs/FrameSizeModel.h"
#include "dialogs/SceneSettingsDialog.h"

#include "TestSupport.h"

#include <QAbstractItemView>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QRadioButton>

using UI::SceneSettingsDialog;
using UI::SceneSettingsListModel;

namespace {

SceneSettingsDialog::Params params(QSize size, double rate, int frames, int mode, int fitMode = 1)
{
    SceneSettingsDialog::Params p;
    p.frameSize = size;
    p.frameRate = rate;
    p.initialNumberOfFrames = frames;
    p.mode = mode;
    p.fitMode = fitMode;
    return p;
}

template <typename T = QWidget>
T* child(QWidget* w, const char* name)
{
    T* c = w->findChild<T*>(QString::fromLatin1(name));
    if (!c)
        qFatal("no child %s", name);
    return c;
}

// Types into an edit as the user does: select all, then the keys.
void type(QLineEdit* edit, const QString& text)
{
    edit->selectAll();
    QTest::keyClicks(edit, text);
}

} // namespace

class TestSceneSettingsDialog : public QObject
{
    Q_OBJECT

private slots:
    void cleanup() { QLocale::setDefault(QLocale::c()); }

    void presetRows()
    {
        UI::FrameSizeModel sizes;
        UI::FrameRateModel rates;
        QCOMPARE(sizes.rowCount(), 14);
        QCOMPARE(rates.rowCount(), 15);
        const QModelIndex hd = sizes.index(4);
        QCOMPARE(hd.data().toString(), QString("1080p HD (16:9)"));
        QCOMPARE(hd.data(SceneSettingsListModel::ValueRole).toInt(), 1920);
        QCOMPARE(hd.data(SceneSettingsListModel::HeightRole).toInt(), 1080);
        QCOMPARE(hd.data(SceneSettingsListModel::SizeRole).toSize(), QSize(1920, 1080));
        const QModelIndex separator = sizes.index(2);
        QVERIFY(separator.data(SceneSettingsListModel::SeparatorRole).toBool());
        QVERIFY(separator.data().toString().isEmpty());
        QVERIFY(!(sizes.flags(separator) & Qt::ItemIsEnabled));
        QVERIFY(sizes.flags(hd) & Qt::ItemIsEnabled);
        const QModelIndex customSize = sizes.index(13);
        QVERIFY(customSize.data(SceneSettingsListModel::CustomRole).toBool());
        QCOMPARE(customSize.data(SceneSettingsListModel::SizeRole).toSize(), QSize(-1, -1));
        QCOMPARE(customSize.data(SceneSettingsListModel::ValueRole).toInt(), 0);
        QCOMPARE(rates.index(3).data(SceneSettingsListModel::ValueRole).toDouble(), 12.5);
        QCOMPARE(rates.index(14).data(SceneSettingsListModel::ValueRole).toDouble(), 0.1);
        QCOMPARE(rates.index(1).data(SceneSettingsListModel::ValueRole), QVariant(0));

        UI::FrameSizeItemDelegate delegate;
        QStyleOptionViewItem option;
        QCOMPARE(delegate.sizeHint(option, separator), QSize(0, 7));
        QVERIFY(delegate.sizeHint(option, hd).width() > 100);
    }

    void newSceneClampsWhatItIsGiven_data()
    {
        QTest::addColumn<int>("mode");
        QTest::addColumn<QStringList>("shown");
        QTest::newRow("new scene clamps") << 0 << QStringList{"8192", "1", "0.1", "1"};
        QTest::newRow("scene settings keeps") << 1 << QStringList{"10000", "0", "0", "0"};
    }

    void newSceneClampsWhatItIsGiven()
    {
        QFETCH(int, mode);
        QFETCH(QStringList, shown);
        SceneSettingsDialog dialog(params(QSize(10000, 0), 0, 0, mode));
        QCOMPARE(child<QLineEdit>(&dialog, "frameWidth")->text(), shown[0]);
        QCOMPARE(child<QLineEdit>(&dialog, "frameHeight")->text(), shown[1]);
        QCOMPARE(child<QLineEdit>(&dialog, "frameRate")->text(), shown[2]);
        if (mode == 0) {
            QCOMPARE(child<QLineEdit>(&dialog, "initialNumberOfFrames")->text(), shown[3]);
            const SceneSettingsDialog::Params out = dialog.params();
            QCOMPARE(out.frameSize, QSize(8192, 1));
            QCOMPARE(out.frameRate, 0.1);
            QCOMPARE(out.initialNumberOfFrames, 1);
            QCOMPARE(dialog.windowTitle(), QString("New Scene"));
            QVERIFY(child<QLabel>(&dialog, "labelHowToFit")->isHidden());
            QVERIFY(!child<QLabel>(&dialog, "labelInitialNumberOfFrames")->isHidden());
        } else {
            QCOMPARE(dialog.params().frameSize, QSize(10000, 0));
            QCOMPARE(dialog.windowTitle(), QString("Scene Settings"));
            QVERIFY(child<QLineEdit>(&dialog, "initialNumberOfFrames")->isHidden());
            QVERIFY(child<QFrame>(&dialog, "line_3")->isHidden());
            QVERIFY(!child<QLabel>(&dialog, "labelHowToFit")->isHidden());
        }
    }

    void presetsAndTypedValuesFollowEachOther_data()
    {
        QTest::addColumn<QString>("locale");
        QTest::addColumn<QString>("typedRate");
        QTest::newRow("C") << "C" << "12.5";
        QTest::newRow("German, comma") << "de_DE" << "12,5";
        QTest::newRow("German, point") << "de_DE" << "12.5";
    }

    void presetsAndTypedValuesFollowEachOther()
    {
        QFETCH(QString, locale);
        QFETCH(QString, typedRate);
        QLocale::setDefault(QLocale(locale));
        SceneSettingsDialog dialog(params(QSize(1920, 1080), 12, 1, 1, 4));
        dialog.show();
        QVERIFY(QTest::qWaitForWindowExposed(&dialog));
        auto* sizes = child<QComboBox>(&dialog, "CBframeSize");
        auto* rates = child<QComboBox>(&dialog, "CBframeRate");
        auto* width = child<QLineEdit>(&dialog, "frameWidth");
        auto* rate = child<QLineEdit>(&dialog, "frameRate");
        auto* stretch = child<QRadioButton>(&dialog, "radioButtonStretch");
        QCOMPARE(sizes->currentText(), QString("1080p HD (16:9)"));
        QCOMPARE(rates->currentText(), QString("Cinema (on twos)"));
        QVERIFY(child<QRadioButton>(&dialog, "radioButtonKeepAspect")->isChecked());
        QVERIFY(!stretch->isEnabled());

        type(width, "1921");
        QCOMPARE(sizes->currentText(), QString("Custom"));
        QCOMPARE(dialog.params().frameSize, QSize(1921, 1080));
        QVERIFY(stretch->isEnabled());
        type(width, "1920");
        QCOMPARE(sizes->currentText(), QString("1080p HD (16:9)"));
        QVERIFY(!stretch->isEnabled());

        type(rate, typedRate);
        QCOMPARE(rates->currentText(), QString("PAL Video (on twos)"));
        QCOMPARE(dialog.params().frameRate, 12.5);

        // Choosing presets writes their numbers into the edits.
        sizes->setCurrentIndex(sizes->findText("4K Digital Cinema"));
        QCOMPARE(width->text(), QString("4096"));
        QCOMPARE(child<QLineEdit>(&dialog, "frameHeight")->text(), QString("2160"));
        QCOMPARE(dialog.params().frameSize, QSize(4096, 2160));
        rates->setCurrentIndex(rates->findText("NTSC Video (high)"));
        QCOMPARE(rate->text(), QString("60"));
        QCOMPARE(dialog.params().frameRate, 60.0);
        rates->setCurrentIndex(rates->findText("PAL Video (on twos)"));
        QCOMPARE(rate->text(), QLocale().toString(12.5));

        // The fit mode stays as given until a radio button is chosen.
        QCOMPARE(dialog.params().fitMode, 4);
        stretch->click();
        QCOMPARE(dialog.params().fitMode, 0);
    }

    void choosingCustomFocusesTheEdit()
    {
        SceneSettingsDialog dialog(params(QSize(1920, 1080), 24, 1, 0));
        dialog.show();
        QVERIFY(QTest::qWaitForWindowExposed(&dialog));
        dialog.activateWindow();
        auto* sizes = child<QComboBox>(&dialog, "CBframeSize");
        const int custom = sizes->findText("Custom");
        sizes->setCurrentIndex(custom);
        emit sizes->activated(custom);
        auto* width = child<QLineEdit>(&dialog, "frameWidth");
        QCOMPARE(width->text(), QString("1920"));
        QCOMPARE(width->selectedText(), QString("1920"));
        QTRY_VERIFY(width->hasFocus());
        QCOMPARE(sizes->currentText(), QString("Custom"));
        QCOMPARE(dialog.params().frameSize, QSize(1920, 1080));
        QVERIFY(!(sizes->model()->flags(sizes->model()->index(2, 0)) & Qt::ItemIsEnabled));
    }
};

QUILLMERE_TEST_MAIN(TestSceneSettingsDialog)
#include "tst_scenesettingsdialog.moc"
