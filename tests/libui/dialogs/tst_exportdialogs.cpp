#include "dialogs/ExportExposureSheetDialog.h"
#include "dialogs/ExportFramesDialog.h"
#include "dialogs/ExportVideoDialog.h"
#include "prompts/Prompter.h"

#include "TestSupport.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QDir>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QSignalSpy>
#include <QTemporaryDir>

using Model::ExportExposureSheetSettings;
using Model::ExportFramesSettings;
using Model::ExportVideoSettings;
using Model::Prompter;

namespace {

template <typename T = QWidget>
T* child(QWidget* w, const char* name)
{
    T* c = w->findChild<T*>(QString::fromLatin1(name));
    if (!c)
        qFatal("no child %s", name);
    return c;
}

QList<int> scaleItems(QWidget* dialog)
{
    auto* box = child<QComboBox>(dialog, "comboBoxScale");
    QList<int> items;
    for (int i = 0; i < box->count(); ++i)
        items << box->itemData(i).toInt();
    return items;
}

void clickOk(QWidget* dialog)
{
    child<QDialogButtonBox>(dialog, "buttonBox")->button(QDialogButtonBox::Ok)->click();
}

} // namespace

class TestExportDialogs : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase() { QLocale::setDefault(QLocale(QLocale::English, QLocale::UnitedStates)); }
    void cleanup() { Prompter::setHandler({}); }

    void videoScaleChoicesFollowFrameSizeAndFormat_data()
    {
        QTest::addColumn<QSize>("frame");
        QTest::addColumn<int>("format");
        QTest::addColumn<int>("stored");
        QTest::addColumn<QList<int>>("offered");
        QTest::addColumn<int>("chosen");
        QTest::addColumn<QString>("readout");
        QTest::addColumn<bool>("okEnabled");

        const QList<int> all{400, 200, 100, 50, 25};
        QTest::newRow("HD at 400 % stays") << QSize(1920, 1080) << int(ExportVideoSettings::MP4) << 400 << all
                                           << 400 << "7,680 x 4,320" << true;
        QTest::newRow("GIF never enlarges") << QSize(1920, 1080) << int(ExportVideoSettings::GIF) << 200
                                            << QList<int>{100, 50, 25} << 100 << "1,920 x 1,080" << true;
        QTest::newRow("large frame loses the big scales")
            << QSize(8192, 8192) << int(ExportVideoSettings::ProRes) << 400 << QList<int>{100, 50, 25} << 100
            << "8,192 x 8,192" << true;
        QTest::newRow("unknown stored scale falls back to 100") << QSize(640, 480) << int(ExportVideoSettings::MP4)
                                                                << 33 << all << 100 << "640 x 480" << true;
        QTest::newRow("odd sizes round half away from zero") << QSize(101, 7) << int(ExportVideoSettings::MP4) << 50
                                                             << all << 50 << "51 x 4" << true;
        QTest::newRow("nothing fits") << QSize(50000, 50000) << int(ExportVideoSettings::MP4) << 100 << QList<int>{}
                                      << 0 << "0 x 0" << false;
    }

    void videoScaleChoicesFollowFrameSizeAndFormat()
    {
        QFETCH(QSize, frame);
        QFETCH(int, format);
        QFETCH(int, stored);
        ExportVideoSettings in;
        in.videoFormat = ExportVideoSettings::VideoFormat(format);
        in.scalePercent = stored;
        UI::ExportVideoDialog dialog(in, frame);
        QFETCH(QList<int>, offered);
        QCOMPARE(scaleItems(&dialog), offered);
        QFETCH(int, chosen);
        QCOMPARE(dialog.settings().scalePercent, chosen);
        QFETCH(QString, readout);
        QCOMPARE(child<QLabel>(&dialog, "labelResolution")->text(), readout);
        QVERIFY(!child<QLabel>(&dialog, "labelResolution")->isEnabled());
        QFETCH(bool, okEnabled);
        QCOMPARE(child<QDialogButtonBox>(&dialog, "buttonBox")->button(QDialogButtonBox::Ok)->isEnabled(),
                 okEnabled);
    }

    void videoFormatSwitchRefillsScalesAndReadoutFollows()
    {
        ExportVideoSettings in;
        in.scalePercent = 200;
        UI::ExportVideoDialog dialog(in, QSize(1920, 1080));
        auto* box = child<QComboBox>(&dialog, "comboBoxScale");
        auto* readout = child<QLabel>(&dialog, "labelResolution");
        QCOMPARE(readout->text(), QString("3,840 x 2,160"));

        child<QRadioButton>(&dialog, "radioButton_GIF")->setChecked(true);
        QCOMPARE(scaleItems(&dialog), (QList<int>{100, 50, 25}));
        QCOMPARE(dialog.settings().videoFormat, ExportVideoSettings::GIF);
        QCOMPARE(dialog.settings().scalePercent, 100);

        box->setCurrentIndex(box->findData(25));
        QCOMPARE(dialog.settings().scalePercent, 25);
        QCOMPARE(readout->text(), QString("480 x 270"));

        // Back to a movie format: the list grows again and keeps the choice.
        child<QRadioButton>(&dialog, "radioButton_MP4")->setChecked(true);
        QCOMPARE(scaleItems(&dialog).size(), 5);
        QCOMPARE(box->currentData().toInt(), 25);
        QCOMPARE(dialog.settings().videoFormat, ExportVideoSettings::MP4);
    }

    void videoBoxesFollowFormatWithoutLosingStoredChoices_data()
    {
        QTest::addColumn<bool>("audioAvailable");
        QTest::newRow("scene with sound") << true;
        QTest::newRow("silent scene") << false;
    }

    void videoBoxesFollowFormatWithoutLosingStoredChoices()
    {
        QFETCH(bool, audioAvailable);
        ExportVideoSettings in;
        in.videoFormat = ExportVideoSettings::ProRes;
        in.includeAlpha = true;
        in.includeAudio = true;
        in.audioAvailable = audioAvailable;
        UI::ExportVideoDialog dialog(in, QSize(640, 480));
        auto* alpha = child<QCheckBox>(&dialog, "checkBox_IncludeAlpha");
        auto* audio = child<QCheckBox>(&dialog, "checkBox_IncludeAudio");

        QVERIFY(alpha->isEnabled() && alpha->isChecked());
        QCOMPARE(audio->isEnabled(), audioAvailable);
        QCOMPARE(audio->isChecked(), audioAvailable);

        child<QRadioButton>(&dialog, "radioButton_GIF")->setChecked(true);
        QVERIFY(!alpha->isEnabled() && !alpha->isChecked());
        QVERIFY(!audio->isEnabled() && !audio->isChecked());
        child<QRadioButton>(&dialog, "radioButton_MP4")->setChecked(true);
        QVERIFY(!alpha->isEnabled() && !alpha->isChecked());
        QCOMPARE(audio->isChecked(), audioAvailable);
        // Looking at other formats changed none of the stored flags.
        QVERIFY(dialog.settings().includeAlpha);
        QVERIFY(dialog.settings().includeAudio);

        if (audioAvailable) {
            audio->click();
            QVERIFY(!dialog.settings().includeAudio);
        }
        child<QRadioButton>(&dialog, "radioButton_VisibleLayers")->click();
        child<QRadioButton>(&dialog, "radioButton_RangeOnly")->click();
        const ExportVideoSettings out = dialog.settings();
        QCOMPARE(out.layers, ExportVideoSettings::VisibleLayers);
        QCOMPARE(out.frames, ExportVideoSettings::RangeOnly);
        QCOMPARE(out.videoFormat, ExportVideoSettings::MP4);
        QCOMPARE(out.includeAudio, !audioAvailable);
    }

    void framesRecordInChangesOut()
    {
        ExportFramesSettings in;
        in.clones = ExportFramesSettings::IncludeClonesSimpleSequence;
        in.layers = ExportFramesSettings::ActiveLayerOnly;
        in.includeAlpha = true;
        UI::ExportFramesDialog dialog(in);
        QVERIFY(child<QRadioButton>(&dialog, "radioButton_SimpleUnbrokenSequence")->isChecked());
        QVERIFY(child<QRadioButton>(&dialog, "radioButton_ActiveLayerOnly")->isChecked());
        QVERIFY(child<QCheckBox>(&dialog, "checkBox_IncludeAlpha")->isChecked());
        QVERIFY(!child<QCheckBox>(&dialog, "checkBox_ExportAudio")->isEnabled());
        QCOMPARE(child<QDialogButtonBox>(&dialog, "buttonBox")->button(QDialogButtonBox::Ok)->text(),
                 QString("Export Frames"));

        child<QRadioButton>(&dialog, "radioButton_AllLayers")->click();
        child<QRadioButton>(&dialog, "radioButton_RangeOnly")->click();
        child<QRadioButton>(&dialog, "radioButton_IncludeClones")->click();
        child<QRadioButton>(&dialog, "radioButton_OpenEXR")->click();
        auto* combine = child<QCheckBox>(&dialog, "checkBox_CombineLayers");
        combine->click();
        combine->click();
        child<QCheckBox>(&dialog, "checkBox_MakeAllLinesBlack")->click();
        child<QCheckBox>(&dialog, "checkBox_IncludeAlpha")->click();

        const ExportFramesSettings out = dialog.settings();
        QCOMPARE(out.layers, ExportFramesSettings::AllLayers);
        QCOMPARE(out.frames, ExportFramesSettings::RangeOnly);
        QCOMPARE(out.clones, ExportFramesSettings::IncludeClones);
        QCOMPARE(out.imageFormat, ExportFramesSettings::OpenEXR);
        QVERIFY(!out.combineLayers);
        QVERIFY(out.makeAllLinesBlack);
        QVERIFY(!out.includeAlpha);
    }

    void exposureSheetStoresPackageNameAndAbsoluteFolder()
    {
        QTemporaryDir dir;
        ExportExposureSheetSettings in;
        in.name = QStringLiteral("shot.oca"); // as stored after an earlier export
        in.exportDir = dir.path();
        in.imageFormat = ExportExposureSheetSettings::OpenEXR;
        UI::ExportExposureSheetDialog dialog(in);
        QCOMPARE(child<QLineEdit>(&dialog, "lineEdit_Name")->text(), QString("shot"));
        QVERIFY(child<QRadioButton>(&dialog, "radioButton_OpenEXR")->isChecked());
        QVERIFY(!child<QCheckBox>(&dialog, "checkBox_ExportAudio")->isEnabled());
        QVERIFY(child<QLabel>(&dialog, "label_More")->text().contains("More info here!"));
        int asked = 0;
        Prompter::setHandler([&](const Prompter::Request&) {
            ++asked;
            return Prompter::Reply{};
        });

        child<QRadioButton>(&dialog, "radioButton_RangeOnly")->click();
        QSignalSpy accepted(&dialog, &QDialog::accepted);
        clickOk(&dialog);
        QCOMPARE(accepted.count(), 1);
        QCOMPARE(asked, 0);
        QCOMPARE(dialog.settings().name, QString("shot.oca"));
        QCOMPARE(dialog.settings().exportDir, QDir(dir.path()).absolutePath());
        QCOMPARE(dialog.settings().frames, ExportExposureSheetSettings::RangeOnly);
        QCOMPARE(dialog.settings().imageFormat, ExportExposureSheetSettings::OpenEXR);
    }

    void exposureSheetAsksBeforeReplacing_data()
    {
        QTest::addColumn<QString>("existing"); // "dir", "file" or "link"
        QTest::addColumn<int>("answer");
        QTest::addColumn<QString>("title");
        for (const char* kind : {"dir", "file", "link"}) {
            const QString title = QString(kind) == "dir" ? "Remove existing directory?" : "Remove existing file?";
            QTest::addRow("%s, No", kind) << kind << int(QMessageBox::No) << title;
            QTest::addRow("%s, Yes", kind) << kind << int(QMessageBox::Yes) << title;
        }
    }

    void exposureSheetAsksBeforeReplacing()
    {
        QFETCH(QString, existing);
        QFETCH(int, answer);
        QTemporaryDir dir;
        const QString package = dir.filePath("shot.oca");
        if (existing == "dir") {
            QVERIFY(QDir().mkpath(package));
        } else if (existing == "file") {
            QFile f(package);
            QVERIFY(f.open(QIODevice::WriteOnly));
        } else {
            QVERIFY(QDir().mkpath(dir.filePath("elsewhere")));
            QVERIFY(QFile::link(dir.filePath("elsewhere"), package));
        }
        ExportExposureSheetSettings in;
        in.name = "first";
        in.exportDir = "/nowhere";
        UI::ExportExposureSheetDialog dialog(in);
        child<QLineEdit>(&dialog, "lineEdit_Name")->setText("shot");
        child<QLineEdit>(&dialog, "lineEdit_Location")->setText(dir.path());
        QList<Prompter::Request> asked;
        Prompter::setHandler([&](const Prompter::Request& r) {
            asked << r;
            Prompter::Reply reply;
            reply.button = QMessageBox::StandardButton(answer);
            return reply;
        });
        QSignalSpy accepted(&dialog, &QDialog::accepted);
        clickOk(&dialog);

        QCOMPARE(asked.size(), 1);
        QCOMPARE(asked[0].kind, Prompter::Kind::Question);
        QFETCH(QString, title);
        QCOMPARE(asked[0].title, title);
        QVERIFY(asked[0].text.contains(QFileInfo(package).absoluteFilePath()));
        QCOMPARE(asked[0].buttons, QMessageBox::Yes | QMessageBox::No);
        if (answer == QMessageBox::Yes) {
            QCOMPARE(accepted.count(), 1);
            QCOMPARE(dialog.settings().name, QString("shot.oca"));
        } else {
            // The dialog stays with every edit; the record is untouched.
            QCOMPARE(accepted.count(), 0);
            QCOMPARE(child<QLineEdit>(&dialog, "lineEdit_Name")->text(), QString("shot"));
            QCOMPARE(dialog.settings().name, QString("first"));
            QCOMPARE(dialog.settings().exportDir, QString("/nowhere"));
        }
        QVERIFY(QFileInfo(package).exists() || QFileInfo(package).isSymLink());
    }

    void exposureSheetResolvesRelativeFolderAndBrowses()
    {
        QTemporaryDir dir;
        const QString previous = QDir::currentPath();
        QDir::setCurrent(dir.path());
        UI::ExportExposureSheetDialog dialog(ExportExposureSheetSettings{});
        QCOMPARE(child<QLineEdit>(&dialog, "lineEdit_Location")->text(), QString());
        child<QLineEdit>(&dialog, "lineEdit_Location")->setText("Somewhere");
        child<QLineEdit>(&dialog, "lineEdit_Name")->setText("take");
        clickOk(&dialog);
        QDir::setCurrent(previous);
        QCOMPARE(dialog.settings().exportDir, QDir(dir.path()).absoluteFilePath("Somewhere"));

        QString proposed;
        Prompter::setHandler([&](const Prompter::Request& r) {
            Prompter::Reply reply;
            if (r.kind == Prompter::Kind::ExistingDirectory) {
                proposed = r.directory;
                reply.files << "/chosen/folder";
            }
            return reply;
        });
        child<QPushButton>(&dialog, "pushButton_Browse")->click();
        QCOMPARE(proposed, QString("Somewhere"));
        QCOMPARE(child<QLineEdit>(&dialog, "lineEdit_Location")->text(), QString("/chosen/folder"));
        // A cancelled folder choice keeps the text.
        Prompter::setHandler([](const Prompter::Request&) { return Prompter::Reply{}; });
        child<QPushButton>(&dialog, "pushButton_Browse")->click();
        QCOMPARE(child<QLineEdit>(&dialog, "lineEdit_Location")->text(), QString("/chosen/folder"));
    }

    void exposureSheetRefusesAnEmptyName()
    {
        QTemporaryDir dir;
        ExportExposureSheetSettings in;
        in.exportDir = dir.path();
        UI::ExportExposureSheetDialog dialog(in);
        child<QLineEdit>(&dialog, "lineEdit_Name")->setText("  ");
        QList<Prompter::Kind> asked;
        Prompter::setHandler([&](const Prompter::Request& r) {
            asked << r.kind;
            return Prompter::Reply{};
        });
        QSignalSpy accepted(&dialog, &QDialog::accepted);
        clickOk(&dialog);
        QCOMPARE(accepted.count(), 0);
        QCOMPARE(asked, QList<Prompter::Kind>{Prompter::Kind::Warning});
    }
};

QUILLMERE_TEST_MAIN(TestExportDialogs)
#include "tst_exportdialogs.moc"
