#include "dialogs/BacklightSliders.h"
#include "dialogs/CustomizeBacklightDialog.h"
#include "settings/Settings.h"

#include "TestSupport.h"

#include <QCheckBox>
#include <QDialogButtonBox>
#include <QPushButton>
#include <QRadioButton>
#include <QSignalSpy>

using Model::BacklightSetting;
using Model::BacklightSettings;

namespace {

// Column c of a 200 x 90 slider widget (columns 22.2 px apart): a point well
// inside its bar.
QPoint inColumn(int c, int y)
{
    return QPoint(int(c * 202.0 / 9) + 8, y);
}

BacklightSetting lastEmitted(const QSignalSpy& spy)
{
    return spy.last().at(0).value<BacklightSetting>();
}

} // namespace

class TestBacklightDialog : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase()
    {
        TestSupport::clearSettings();
        Model::Settings::instance()->init();
    }

    void dragsSetLevels_data()
    {
        QTest::addColumn<int>("column");
        QTest::addColumn<int>("y");
        QTest::addColumn<QList<double>>("before");
        QTest::addColumn<QList<double>>("after");
        QTest::newRow("nearest earlier frame at half height")
            << 3 << 45 << QList<double>{0.5, 0.2, 0.15, 0.0} << QList<double>{0.3, 0.2, 0.15, 0.0};
        QTest::newRow("farthest later frame above the top")
            << 8 << -40 << QList<double>{0.3, 0.2, 0.15, 0.0} << QList<double>{0.3, 0.2, 0.15, 1.0};
        QTest::newRow("bottom 5 % snaps to empty")
            << 0 << 86 << QList<double>{0.3, 0.2, 0.15, 0.0} << QList<double>{0.3, 0.2, 0.15, 0.0};
        QTest::newRow("just above the snap")
            << 5 << 85 << QList<double>{0.3, 0.2, 0.15, 0.0} << QList<double>{5.0 / 90, 0.2, 0.15, 0.0};
    }

    void dragsSetLevels()
    {
        QFETCH(int, column);
        QFETCH(int, y);
        BacklightSettings defaults;
        defaults.resetSettingA();
        UI::BacklightSliders sliders;
        sliders.resize(200, 90);
        sliders.setBacklightSetting(defaults.settingA);
        QSignalSpy changed(&sliders, &UI::BacklightSliders::backlightSettingChanged);
        QTest::mousePress(&sliders, Qt::LeftButton, {}, inColumn(column, 10));
        // The column stays the one pressed wherever the pointer goes sideways.
        QMouseEvent move(QEvent::MouseMove, QPointF(inColumn(column == 0 ? 6 : 0, y)), QPointF(), Qt::NoButton,
                         Qt::LeftButton, {});
        QApplication::sendEvent(&sliders, &move);
        QTest::mouseRelease(&sliders, Qt::LeftButton, {}, inColumn(column == 0 ? 6 : 0, y));
        QCOMPARE(changed.count(), 3);
        const BacklightSetting out = lastEmitted(changed);
        QFETCH(QList<double>, before);
        QFETCH(QList<double>, after);
        QCOMPARE(out.opacityLevelsBefore, before);
        QCOMPARE(out.opacityLevelsAfter, after);
        QCOMPARE(sliders.backlightSetting(), out);
    }

    void pressesOnTheCurrentFrameOrAGapDoNothing()
    {
        UI::BacklightSliders sliders;
        sliders.resize(200, 90);
        QSignalSpy changed(&sliders, &UI::BacklightSliders::backlightSettingChanged);
        for (QPoint p : {inColumn(4, 30), QPoint(int(202.0 / 9) - 1, 30), QPoint(-3, 30)}) {
            QTest::mousePress(&sliders, Qt::LeftButton, {}, p);
            QTest::mouseRelease(&sliders, Qt::LeftButton, {}, QPoint(p.x(), 0));
        }
        QCOMPARE(changed.count(), 0);
        QVERIFY(sliders.backlightSetting().opacityLevelsBefore.isEmpty());
    }

    void editingAnEmptyListPadsIt()
    {
        UI::BacklightSliders sliders;
        sliders.resize(200, 90);
        QSignalSpy changed(&sliders, &UI::BacklightSliders::backlightSettingChanged);
        QTest::mouseClick(&sliders, Qt::LeftButton, {}, inColumn(0, 0));
        QCOMPARE(changed.count(), 2); // press and release, the same setting
        QCOMPARE(lastEmitted(changed).opacityLevelsBefore, (QList<double>{0, 0, 0, 1.0}));
        QCOMPARE(changed.first().at(0).value<BacklightSetting>(), lastEmitted(changed));
    }

    void barsPaintTheLevelsAndKeepThemOnResize()
    {
        BacklightSetting setting;
        setting.opacityLevelsBefore = {1.0};
        setting.opacityLevelsAfter = {0.5};
        UI::BacklightSliders sliders;
        sliders.resize(200, 90);
        sliders.setBacklightSetting(setting);
        auto barTop = [&](int column) {
            const QImage image = sliders.grab().toImage();
            const QColor bar = sliders.palette().color(QPalette::WindowText);
            const int x = int(column * (sliders.width() + 2) / 9.0) + 5;
            for (int y = 0; y < image.height(); ++y)
                if (image.pixelColor(x, y) == bar)
                    return y;
            return image.height();
        };
        QCOMPARE(barTop(3), 0);
        QCOMPARE(barTop(5), 45);
        QCOMPARE(barTop(2), 90);
        sliders.resize(290, 120);
        QCOMPARE(barTop(5), 60);
        QCOMPARE(barTop(3), 0);
        QCOMPARE(sliders.backlightSetting(), setting);
    }

    void dialogEditsGoToTheStore()
    {
        BacklightSettings stored;
        stored.settingA.opacityLevelsBefore.clear(); // as before the settings are read
        stored.settingB.opacityLevelsAfter = {0.7};
        UI::CustomizeBacklightDialog dialog(stored);
        Model::Settings* settings = Model::Settings::instance();
        connect(&dialog, &UI::CustomizeBacklightDialog::settingsChanged, settings,
                &Model::Settings::setBacklightSettings);
        QSignalSpy emitted(&dialog, &UI::CustomizeBacklightDialog::settingsChanged);
        QCOMPARE(dialog.backlightSettings().settingA.opacityLevelsBefore, (QList<double>{0, 0, 0, 0}));
        QCOMPARE(dialog.backlightSettings().settingB.opacityLevelsAfter, (QList<double>{0.7, 0, 0, 0}));

        auto* slidersA = dialog.findChild<UI::BacklightSliders*>("backlightSliders_A");
        QVERIFY(slidersA->isEnabled());
        QTest::mouseClick(slidersA, Qt::LeftButton, {}, inColumn(3, 0));
        QCOMPARE(settings->backlightSettings().settingA.opacityLevelsBefore, (QList<double>{1.0, 0, 0, 0}));

        auto* hue = dialog.findChild<QCheckBox*>("checkBox_HueShift_A");
        const bool hueBefore = hue->isChecked();
        const int count = emitted.count();
        hue->click();
        hue->click();
        QCOMPARE(emitted.count(), count + 2);
        QCOMPARE(hue->isChecked(), hueBefore);
        dialog.findChild<QRadioButton*>("radioButton_WrapAtEnds_A")->click();
        QCOMPARE(emitted.count(), count + 3);
        QCOMPARE(settings->backlightSettings().settingA.showOption, BacklightSetting::WrapAtEnds);
        dialog.findChild<QCheckBox*>("checkBox_OnlyActiveLayer_A")->click();
        QCOMPARE(settings->backlightSettings().settingA.layers, BacklightSetting::BacklightActiveLayerOnly);
        dialog.findChild<QCheckBox*>("checkBox_BacklightOnOff")->click();
        QCOMPARE(emitted.last().at(0).value<BacklightSettings>().enabled, !stored.enabled);
        dialog.findChild<QCheckBox*>("checkBox_OnlyBacklightKeyFrames")->click();
        QCOMPARE(emitted.last().at(0).value<BacklightSettings>().onlyKeyFrames, !stored.onlyKeyFrames);
        for (const QList<QVariant>& args : emitted) {
            const BacklightSettings s = args.at(0).value<BacklightSettings>();
            QVERIFY(s.settingA.opacityLevelsAfter.size() >= 4 && s.settingB.opacityLevelsBefore.size() >= 4);
        }
    }

    void resetRestoresOnlyTheCurrentSetting()
    {
        BacklightSettings stored;
        stored.settingA.opacityLevelsBefore = {0.9, 0.9, 0.9, 0.9};
        stored.settingB.opacityLevelsBefore = {0.8, 0.8, 0.8, 0.8};
        stored.settingB.showOption = BacklightSetting::ShowOutsideRange;
        UI::CustomizeBacklightDialog dialog(stored);
        QSignalSpy emitted(&dialog, &UI::CustomizeBacklightDialog::settingsChanged);
        const Model::BacklightSetting settingA = dialog.backlightSettings().settingA;
        auto* reset = dialog.findChild<QDialogButtonBox*>("buttonBox")->button(QDialogButtonBox::Reset);
        QCOMPARE(reset->text(), QString("Reset A"));

        dialog.findChild<QRadioButton*>("radioButton_SettingB")->click();
        QCOMPARE(emitted.count(), 1);
        QCOMPARE(emitted.last().at(0).value<BacklightSettings>().current, BacklightSettings::BacklightSettingB);
        QCOMPARE(reset->text(), QString("Reset B"));
        QVERIFY(!dialog.findChild<QWidget*>("backlightSliders_A")->isEnabled());
        QVERIFY(!dialog.findChild<QWidget*>("checkBox_HueShift_A")->isEnabled());
        QVERIFY(dialog.findChild<QWidget*>("radioButton_StopAtEnds_B")->isEnabled());
        reset->click();
        QCOMPARE(emitted.count(), 2);
        const BacklightSettings out = emitted.last().at(0).value<BacklightSettings>();
        QCOMPARE(out.settingB.opacityLevelsBefore, (QList<double>{0.3, 0.0, 0.0, 0.0}));
        QCOMPARE(out.settingB.showOption, BacklightSetting::StopAtEnds);
        QCOMPARE(out.settingA, settingA);
        QVERIFY(dialog.findChild<QRadioButton*>("radioButton_StopAtEnds_B")->isChecked());
    }

    void takingARecordInEmitsNothing()
    {
        UI::CustomizeBacklightDialog dialog(BacklightSettings{});
        QSignalSpy emitted(&dialog, &UI::CustomizeBacklightDialog::settingsChanged);
        BacklightSettings other;
        other.enabled = true;
        other.onlyKeyFrames = true;
        other.current = BacklightSettings::BacklightSettingB;
        other.settingA.hueShift = BacklightSetting::NoHueShift;
        other.settingA.showOption = BacklightSetting::ShowOutsideRange;
        other.settingB.layers = BacklightSetting::BacklightActiveLayerOnly;
        dialog.setBacklightSettings(other);
        QCOMPARE(emitted.count(), 0);
        QVERIFY(dialog.findChild<QCheckBox*>("checkBox_BacklightOnOff")->isChecked());
        QVERIFY(dialog.findChild<QRadioButton*>("radioButton_SettingB")->isChecked());
        QVERIFY(!dialog.findChild<QCheckBox*>("checkBox_HueShift_A")->isChecked());
        QVERIFY(dialog.findChild<QRadioButton*>("radioButton_ShowOutsideRange_A")->isChecked());
        QVERIFY(dialog.findChild<QCheckBox*>("checkBox_OnlyActiveLayer_B")->isChecked());
        QCOMPARE(dialog.backlightSettings().current, BacklightSettings::BacklightSettingB);
    }
};

QUILLMERE_TEST_MAIN(TestBacklightDialog)
#include "tst_backlightdialog.moc"
