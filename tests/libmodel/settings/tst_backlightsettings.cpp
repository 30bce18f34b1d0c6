#include "TestSupport.h"

#include "settings/BacklightSettings.h"
#include "settings/Settings.h"

#include <QLocale>
#include <QSettings>
#include <QSignalSpy>

#include <memory>

using Levels = QList<double>;

namespace {

const Levels kDefaultA{0.3, 0.2, 0.15, 0.0};
const Levels kDefaultB{0.3, 0.0, 0.0, 0.0};

std::unique_ptr<Model::Settings> loadedSettings()
{
    auto settings = std::make_unique<Model::Settings>(nullptr);
    settings->init();
    return settings;
}

void writeRaw(const QString& key, const QVariant& value)
{
    QSettings settings;
    settings.setValue(key, value);
    settings.sync();
}

void verifyDefaults(const Model::BacklightSetting& setting, const Levels& levels)
{
    QCOMPARE(setting.opacityLevelsBefore, levels);
    QCOMPARE(setting.opacityLevelsAfter, levels);
    QCOMPARE(setting.hueShift, Model::BacklightSetting::UseHueShift);
    QCOMPARE(setting.showOption, Model::BacklightSetting::StopAtEnds);
    QCOMPARE(setting.layers, Model::BacklightSetting::BacklightVisibleLayers);
}

} // namespace

class TestBacklightSettings : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void cleanup();

    void constructionAndReset();
    void emptyStoreGivesDefaults();
    void storedTextForm();
    void roundTrip();
    void storedLevels_data();
    void storedLevels();
    void storedEnumText_data();
    void storedEnumText();
    void setBacklightSettingsAlwaysWritesAndEmits();
    void switchesEmitOnlyOnChange();
    void travelsAsMetaType();
};

void TestBacklightSettings::init()
{
    TestSupport::clearSettings();
}

void TestBacklightSettings::cleanup()
{
    QLocale::setDefault(QLocale::c());
}

void TestBacklightSettings::constructionAndReset()
{
    Model::BacklightSettings settings;
    QCOMPARE(settings.enabled, false);
    QCOMPARE(settings.current, Model::BacklightSettings::BacklightSettingA);
    QCOMPARE(settings.onlyKeyFrames, false);
    // A is deliberately left empty until the store resets it.
    QVERIFY(settings.settingA.opacityLevelsBefore.isEmpty());
    QVERIFY(settings.settingA.opacityLevelsAfter.isEmpty());
    QCOMPARE(settings.settingA.hueShift, Model::BacklightSetting::UseHueShift);
    verifyDefaults(settings.settingB, kDefaultB);

    settings.settingB.opacityLevelsBefore = {0.9};
    settings.settingB.showOption = Model::BacklightSetting::WrapAtEnds;
    settings.resetSettingA();
    verifyDefaults(settings.settingA, kDefaultA);
    QCOMPARE(settings.settingB.opacityLevelsBefore, Levels{0.9}); // untouched

    settings.settingA.layers = Model::BacklightSetting::BacklightActiveLayerOnly;
    settings.resetSettingB();
    verifyDefaults(settings.settingB, kDefaultB);
    QCOMPARE(settings.settingA.layers, Model::BacklightSetting::BacklightActiveLayerOnly);
}

void TestBacklightSettings::emptyStoreGivesDefaults()
{
    const Model::BacklightSettings loaded = loadedSettings()->backlightSettings();
    verifyDefaults(loaded.settingA, kDefaultA);
    verifyDefaults(loaded.settingB, kDefaultB);
    QCOMPARE(loaded.current, Model::BacklightSettings::BacklightSettingA);
    QCOMPARE(loaded.enabled, false);
    QCOMPARE(loaded.onlyKeyFrames, false);
}

// The text form must not depend on the user's locale: a comma as decimal
// separator would be unreadable on the next start.
void TestBacklightSettings::storedTextForm()
{
    QLocale::setDefault(QLocale(QLocale::German, QLocale::Germany));

    Model::BacklightSettings settings;
    settings.resetSettingA();
    settings.settingA.opacityLevelsBefore = {0.333, 1.0, 0.0};
    settings.settingA.opacityLevelsAfter = {};
    settings.settingB.hueShift = Model::BacklightSetting::NoHueShift;
    settings.settingB.showOption = Model::BacklightSetting::ShowOutsideRange;
    settings.settingB.layers = Model::BacklightSetting::BacklightActiveLayerOnly;
    settings.current = Model::BacklightSettings::BacklightSettingB;
    settings.enabled = true;
    settings.onlyKeyFrames = true;
    loadedSettings()->setBacklightSettings(settings);

    const QSettings store;
    QCOMPARE(store.value("Preferences/BacklightSettingA/OpacityLevelsBefore").toString(),
             QStringLiteral("0.33;1.00;0.00;"));
    QCOMPARE(store.value("Preferences/BacklightSettingA/OpacityLevelsAfter").toString(), QString());
    QCOMPARE(store.value("Preferences/BacklightSettingA/HueShift").toString(),
             QStringLiteral("UseHueShift"));
    QCOMPARE(store.value("Preferences/BacklightSettingB/OpacityLevelsAfter").toString(),
             QStringLiteral("0.30;0.00;0.00;0.00;"));
    QCOMPARE(store.value("Preferences/BacklightSettingB/HueShift").toString(),
             QStringLiteral("NoHueShift"));
    QCOMPARE(store.value("Preferences/BacklightSettingB/ShowOption").toString(),
             QStringLiteral("ShowOutsideRange"));
    QCOMPARE(store.value("Preferences/BacklightSettingB/Layers").toString(),
             QStringLiteral("BacklightActiveLayerOnly"));
    QCOMPARE(store.value("Preferences/CurrentBacklightSetting").toString(),
             QStringLiteral("BacklightSettingB"));

    // The two switches live for one run only.
    const QStringList keys = store.allKeys();
    QCOMPARE(keys.size(), 11);
}

void TestBacklightSettings::roundTrip()
{
    Model::BacklightSettings settings;
    settings.resetSettingA();
    settings.settingA.opacityLevelsBefore = {0.5, 0.25};
    settings.settingA.opacityLevelsAfter = {0.75, 0.5, 0.25, 0.1, 0.05};
    settings.settingA.showOption = Model::BacklightSetting::WrapAtEnds;
    settings.settingB.opacityLevelsBefore = {};
    settings.settingB.hueShift = Model::BacklightSetting::NoHueShift;
    settings.current = Model::BacklightSettings::BacklightSettingB;
    settings.enabled = true;
    loadedSettings()->setBacklightSettings(settings);

    Model::BacklightSettings expected = settings;
    expected.enabled = false;
    QCOMPARE(loadedSettings()->backlightSettings(), expected);
}

void TestBacklightSettings::storedLevels_data()
{
    QTest::addColumn<QVariant>("stored");
    QTest::addColumn<Levels>("expected");

    QTest::newRow("well formed") << QVariant("0.30;0.20;") << Levels{0.3, 0.2};
    QTest::newRow("unreadable piece") << QVariant("0.50;abc;0.25") << Levels{0.5, 0.25};
    QTest::newRow("empty pieces") << QVariant(";;0.40;;") << Levels{0.4};
    QTest::newRow("empty text") << QVariant("") << Levels{};
    QTest::newRow("comma decimal is no number") << QVariant("0,5;0.25;") << Levels{0.25};
    // Levels become alpha values; anything outside 0..1 would overflow them.
    QTest::newRow("above one") << QVariant("1.50;0.70;") << Levels{1.0, 0.7};
    QTest::newRow("below zero") << QVariant("-0.20;0.10;") << Levels{0.0, 0.1};
    QTest::newRow("huge") << QVariant("1e300;") << Levels{1.0};
    QTest::newRow("not a number") << QVariant("nan;0.10;") << Levels{0.1};
}

void TestBacklightSettings::storedLevels()
{
    QFETCH(QVariant, stored);
    QFETCH(Levels, expected);

    // Stored text is read the same whatever the user's locale.
    QLocale::setDefault(QLocale(QLocale::German, QLocale::Germany));
    writeRaw(QStringLiteral("Preferences/BacklightSettingB/OpacityLevelsBefore"), stored);
    const Model::BacklightSettings loaded = loadedSettings()->backlightSettings();
    QCOMPARE(loaded.settingB.opacityLevelsBefore, expected);
    // Absent keys keep their defaults.
    QCOMPARE(loaded.settingB.opacityLevelsAfter, kDefaultB);
    verifyDefaults(loaded.settingA, kDefaultA);
}

void TestBacklightSettings::storedEnumText_data()
{
    QTest::addColumn<QString>("key");
    QTest::addColumn<QString>("text");
    QTest::addColumn<int>("expected");

    QTest::newRow("show option key")
        << "BacklightSettingA/ShowOption" << "WrapAtEnds" << int(Model::BacklightSetting::WrapAtEnds);
    QTest::newRow("show option unknown")
        << "BacklightSettingA/ShowOption" << "Bounce" << int(Model::BacklightSetting::StopAtEnds);
    QTest::newRow("hue shift key")
        << "BacklightSettingB/HueShift" << "NoHueShift" << int(Model::BacklightSetting::NoHueShift);
    QTest::newRow("hue shift unknown")
        << "BacklightSettingB/HueShift" << "Rainbow" << int(Model::BacklightSetting::UseHueShift);
    QTest::newRow("layers unknown") << "BacklightSettingB/Layers" << "AllOfThem"
                                    << int(Model::BacklightSetting::BacklightVisibleLayers);
    QTest::newRow("current key") << "CurrentBacklightSetting" << "BacklightSettingB"
                                 << int(Model::BacklightSettings::BacklightSettingB);
    QTest::newRow("current unknown") << "CurrentBacklightSetting" << "BacklightSettingC"
                                     << int(Model::BacklightSettings::BacklightSettingA);
}

void TestBacklightSettings::storedEnumText()
{
    QFETCH(QString, key);
    QFETCH(QString, text);
    QFETCH(int, expected);

    writeRaw(QStringLiteral("Preferences/") + key, text);
    const Model::BacklightSettings loaded = loadedSettings()->backlightSettings();
    int actual = -1;
    if (key == QLatin1String("BacklightSettingA/ShowOption"))
        actual = loaded.settingA.showOption;
    else if (key == QLatin1String("BacklightSettingB/HueShift"))
        actual = loaded.settingB.hueShift;
    else if (key == QLatin1String("BacklightSettingB/Layers"))
        actual = loaded.settingB.layers;
    else if (key == QLatin1String("CurrentBacklightSetting"))
        actual = loaded.current;
    QCOMPARE(actual, expected);
}

void TestBacklightSettings::setBacklightSettingsAlwaysWritesAndEmits()
{
    auto s = loadedSettings();
    QSignalSpy spy(s.get(), &Model::Settings::backlightSettingsChanged);
    const Model::BacklightSettings unchanged = s->backlightSettings();

    s->setBacklightSettings(unchanged);
    s->setBacklightSettings(unchanged);
    QCOMPARE(spy.count(), 2);
    QCOMPARE(spy.at(1).at(0).value<Model::BacklightSettings>(), unchanged);
    QCOMPARE(QSettings().value("Preferences/BacklightSettingA/OpacityLevelsBefore").toString(),
             QStringLiteral("0.30;0.20;0.15;0.00;"));
}

void TestBacklightSettings::switchesEmitOnlyOnChange()
{
    auto s = loadedSettings();
    QSignalSpy spy(s.get(), &Model::Settings::backlightSettingsChanged);

    s->setBacklightEnabled(true);
    s->setBacklightEnabled(true);
    QCOMPARE(spy.count(), 1);
    QVERIFY(spy.at(0).at(0).value<Model::BacklightSettings>().enabled);

    s->setOnlyBacklightKeyFrames(true);
    s->setOnlyBacklightKeyFrames(true);
    QCOMPARE(spy.count(), 2);
    const auto emitted = spy.at(1).at(0).value<Model::BacklightSettings>();
    QVERIFY(emitted.enabled);
    QVERIFY(emitted.onlyKeyFrames);
    QCOMPARE(emitted, s->backlightSettings());
}

// Receivers on other threads or behind queued connections get the whole record.
void TestBacklightSettings::travelsAsMetaType()
{
    Model::BacklightSettings settings;
    settings.resetSettingA();
    settings.settingA.opacityLevelsAfter = {0.6};
    settings.onlyKeyFrames = true;

    auto s = loadedSettings();
    Model::BacklightSettings received;
    QObject::connect(
        s.get(), &Model::Settings::backlightSettingsChanged, s.get(),
        [&received](const Model::BacklightSettings& value) { received = value; },
        Qt::QueuedConnection);
    s->setBacklightSettings(settings);
    QTRY_COMPARE(received, settings);
}

QUILLMERE_TEST_MAIN(TestBacklightSettings)
#include "tst_backlightsettings.moc"
