#include "TestSupport.h"

#include "settings/ExportExposureSheetSettings.h"
#include "settings/ExportFramesSettings.h"
#include "settings/ExportVideoSettings.h"
#include "settings/Settings.h"

#include <QDir>
#include <QFile>
#include <QSettings>
#include <QTemporaryDir>

#include <memory>

namespace {

std::unique_ptr<Model::Settings> loadedSettings()
{
    auto settings = std::make_unique<Model::Settings>(nullptr);
    settings->init();
    return settings;
}

QString raw(const QString& key)
{
    return QSettings().value(QStringLiteral("Preferences/") + key).toString();
}

void writeRaw(const QString& key, const QVariant& value)
{
    QSettings settings;
    settings.setValue(QStringLiteral("Preferences/") + key, value);
    settings.sync();
}

enum class Record { Frames, ExposureSheet, Video };

// Stores a record of the given kind with only its folder set and hands back the
// folder that the store then offers.
QString storeAndHandOutDir(Model::Settings& s, Record record, const QString& dir)
{
    switch (record) {
    case Record::Frames: {
        Model::ExportFramesSettings r;
        r.exportDir = dir;
        s.setExportFramesSettings(r);
        return s.exportFramesSettings().exportDir;
    }
    case Record::ExposureSheet: {
        Model::ExportExposureSheetSettings r;
        r.exportDir = dir;
        s.setExportExposureSheetSettings(r);
        return s.exportExposureSheetSettings().exportDir;
    }
    case Record::Video: {
        Model::ExportVideoSettings r;
        r.exportDir = dir;
        s.setExportVideoSettings(r);
        return s.exportVideoSettings().exportDir;
    }
    }
    return QString();
}

QString handedOutDir(const Model::Settings& s, Record record)
{
    switch (record) {
    case Record::Frames:
        return s.exportFramesSettings().exportDir;
    case Record::ExposureSheet:
        return s.exportExposureSheetSettings().exportDir;
    case Record::Video:
        return s.exportVideoSettings().exportDir;
    }
    return QString();
}

} // namespace

Q_DECLARE_METATYPE(Record)

class TestExportSettings : public QObject
{
    Q_OBJECT

private slots:
    void init();

    void recordDefaults();
    void freshStoreHandsOutDefaults();
    void framesRoundTrip();
    void exposureSheetRoundTrip();
    void videoRoundTrip();
    void unknownEnumText_data();
    void unknownEnumText();
    void exportDirFallback_data();
    void exportDirFallback();
    void emptyExportDirStaysEmpty();

private:
    QTemporaryDir m_saveDir;
};

void TestExportSettings::init()
{
    TestSupport::clearSettings();
    QVERIFY(m_saveDir.isValid());
}

void TestExportSettings::recordDefaults()
{
    const Model::ExportFramesSettings frames;
    QVERIFY(frames.name.isEmpty());
    QVERIFY(frames.exportDir.isEmpty());
    QCOMPARE(frames.layers, Model::ExportSettings::AllLayers);
    QCOMPARE(frames.frames, Model::ExportSettings::AllFrames);
    QCOMPARE(frames.scalePercent, 100);
    QCOMPARE(frames.clones, Model::ExportFramesSettings::ExcludeClones);
    QCOMPARE(frames.imageFormat, Model::ExportFramesSettings::PNG);
    QCOMPARE(frames.combineLayers, false);
    QCOMPARE(frames.makeAllLinesBlack, false);
    QCOMPARE(frames.includeAlpha, true);

    const Model::ExportVideoSettings video;
    QCOMPARE(video.videoFormat, Model::ExportVideoSettings::MP4);
    QCOMPARE(video.includeAlpha, true);
    QCOMPARE(video.includeAudio, false);
    QCOMPARE(video.audioAvailable, false);
    QVERIFY(video.metadata.isEmpty());
    QCOMPARE(video.scalePercent, 100);

    const Model::ExportExposureSheetSettings sheet;
    QCOMPARE(sheet.format, Model::ExportExposureSheetSettings::OCA);
    QCOMPARE(sheet.imageFormat, Model::ExportExposureSheetSettings::PNG);
    QCOMPARE(sheet.includeAudio, false);
}

void TestExportSettings::freshStoreHandsOutDefaults()
{
    auto s = loadedSettings();
    s->setDefaultSaveDir(QDir(m_saveDir.path()));

    const Model::ExportFramesSettings frames = s->exportFramesSettings();
    QCOMPARE(frames.exportDir, m_saveDir.path());
    QCOMPARE(frames.imageFormat, Model::ExportFramesSettings::PNG);
    QCOMPARE(frames.includeAlpha, true);
    QCOMPARE(frames.layers, Model::ExportSettings::AllLayers);
    QCOMPARE(frames.frames, Model::ExportSettings::AllFrames);
    QCOMPARE(frames.clones, Model::ExportFramesSettings::ExcludeClones);

    QCOMPARE(s->exportVideoSettings().exportDir, m_saveDir.path());
    QCOMPARE(s->exportVideoSettings().videoFormat, Model::ExportVideoSettings::MP4);
    QCOMPARE(s->exportExposureSheetSettings().exportDir, m_saveDir.path());
}

void TestExportSettings::framesRoundTrip()
{
    QTemporaryDir target;
    Model::ExportFramesSettings record;
    record.name = QStringLiteral("walk");
    record.exportDir = target.path();
    record.layers = Model::ExportSettings::VisibleLayers;
    record.frames = Model::ExportSettings::RangeOnly;
    record.scalePercent = 50;
    record.clones = Model::ExportFramesSettings::IncludeClonesSimpleSequence;
    record.imageFormat = Model::ExportFramesSettings::OpenEXR;
    record.combineLayers = true;
    record.makeAllLinesBlack = true;
    record.includeAlpha = false;
    loadedSettings()->setExportFramesSettings(record);

    QCOMPARE(raw("ExportFrames/ExportDir"), target.path());
    QCOMPARE(raw("ExportFrames/Layers"), QStringLiteral("VisibleLayers"));
    QCOMPARE(raw("ExportFrames/Frames"), QStringLiteral("RangeOnly"));
    QCOMPARE(raw("ExportFrames/Clones"), QStringLiteral("IncludeClonesSimpleSequence"));
    QCOMPARE(raw("ExportFrames/ImageFormat"), QStringLiteral("OpenEXR"));

    const Model::ExportFramesSettings loaded = loadedSettings()->exportFramesSettings();
    QVERIFY(loaded.name.isEmpty());
    QCOMPARE(loaded.exportDir, target.path());
    QCOMPARE(loaded.layers, record.layers);
    QCOMPARE(loaded.frames, record.frames);
    QCOMPARE(loaded.clones, record.clones);
    QCOMPARE(loaded.imageFormat, record.imageFormat);
    QCOMPARE(loaded.combineLayers, true);
    QCOMPARE(loaded.makeAllLinesBlack, true);
    QCOMPARE(loaded.includeAlpha, false);
    QCOMPARE(loaded.scalePercent, 100); // not remembered for image sequences
}

void TestExportSettings::exposureSheetRoundTrip()
{
    QTemporaryDir target;
    Model::ExportExposureSheetSettings record;
    record.name = QStringLiteral("sheet");
    record.exportDir = target.path();
    record.layers = Model::ExportSettings::ActiveLayerOnly;
    record.imageFormat = Model::ExportExposureSheetSettings::OpenEXR;
    record.includeAudio = true;

    auto writer = loadedSettings();
    writer->setExportExposureSheetSettings(record);
    QVERIFY(writer->exportExposureSheetSettings().name.isEmpty());
    QCOMPARE(raw("ExportExposureSheet/Layers"), QStringLiteral("ActiveLayerOnly"));
    QCOMPARE(raw("ExportExposureSheet/ImageFormat"), QStringLiteral("OpenEXR"));

    const Model::ExportExposureSheetSettings loaded =
        loadedSettings()->exportExposureSheetSettings();
    QVERIFY(loaded.name.isEmpty());
    QCOMPARE(loaded.exportDir, target.path());
    QCOMPARE(loaded.layers, Model::ExportSettings::ActiveLayerOnly);
    QCOMPARE(loaded.imageFormat, Model::ExportExposureSheetSettings::OpenEXR);
    QCOMPARE(loaded.includeAudio, true);
}

void TestExportSettings::videoRoundTrip()
{
    QTemporaryDir target;
    Model::ExportVideoSettings record;
    record.name = QStringLiteral("clip");
    record.exportDir = target.path();
    record.frames = Model::ExportSettings::RangeOnly;
    record.videoFormat = Model::ExportVideoSettings::ProRes;
    record.scalePercent = 50;
    record.includeAlpha = false;
    record.includeAudio = true;
    record.audioAvailable = true;
    record.metadata.insert(QStringLiteral("title"), QStringLiteral("Walk cycle"));

    auto writer = loadedSettings();
    writer->setExportVideoSettings(record);
    // Metadata stays in memory for the rest of the run.
    QCOMPARE(writer->exportVideoSettings().metadata, record.metadata);
    QCOMPARE(raw("ExportVideo/VideoFormat"), QStringLiteral("ProRes"));
    QCOMPARE(QSettings().value("Preferences/ExportVideo/ScalePercent").toInt(), 50);

    const Model::ExportVideoSettings loaded = loadedSettings()->exportVideoSettings();
    QVERIFY(loaded.name.isEmpty());
    QCOMPARE(loaded.exportDir, target.path());
    QCOMPARE(loaded.frames, Model::ExportSettings::RangeOnly);
    QCOMPARE(loaded.videoFormat, Model::ExportVideoSettings::ProRes);
    QCOMPARE(loaded.scalePercent, 50);
    QCOMPARE(loaded.includeAlpha, false);
    QCOMPARE(loaded.includeAudio, true);
    QVERIFY(loaded.metadata.isEmpty());
}

void TestExportSettings::unknownEnumText_data()
{
    QTest::addColumn<Record>("record");
    QTest::addColumn<QString>("key");
    QTest::addColumn<QString>("text");

    QTest::newRow("video format") << Record::Video << "ExportVideo/VideoFormat" << "WebM";
    QTest::newRow("video frames") << Record::Video << "ExportVideo/Frames" << "Some";
    QTest::newRow("frames image format") << Record::Frames << "ExportFrames/ImageFormat" << "TIFF";
    QTest::newRow("frames clones") << Record::Frames << "ExportFrames/Clones" << "All";
    QTest::newRow("sheet layers") << Record::ExposureSheet << "ExportExposureSheet/Layers"
                                  << "Hidden";
    QTest::newRow("sheet image format") << Record::ExposureSheet << "ExportExposureSheet/ImageFormat"
                                        << "GIF";
}

// Every row first stores a record whose enums are all non-zero, then damages one
// key: that field alone must come back as value 0.
void TestExportSettings::unknownEnumText()
{
    QFETCH(Record, record);
    QFETCH(QString, key);
    QFETCH(QString, text);

    auto writer = loadedSettings();
    Model::ExportFramesSettings frames;
    frames.layers = Model::ExportSettings::VisibleLayers;
    frames.frames = Model::ExportSettings::RangeOnly;
    frames.clones = Model::ExportFramesSettings::IncludeClones;
    frames.imageFormat = Model::ExportFramesSettings::OpenEXR;
    writer->setExportFramesSettings(frames);
    Model::ExportExposureSheetSettings sheet;
    sheet.layers = Model::ExportSettings::VisibleLayers;
    sheet.frames = Model::ExportSettings::RangeOnly;
    sheet.imageFormat = Model::ExportExposureSheetSettings::OpenEXR;
    writer->setExportExposureSheetSettings(sheet);
    Model::ExportVideoSettings video;
    video.layers = Model::ExportSettings::VisibleLayers;
    video.frames = Model::ExportSettings::RangeOnly;
    video.videoFormat = Model::ExportVideoSettings::ProRes;
    writer->setExportVideoSettings(video);

    writeRaw(key, text);
    const auto s = loadedSettings();
    const QString field = key.section(QLatin1Char('/'), 1);
    int value = -1;
    int untouched = -1;
    switch (record) {
    case Record::Frames: {
        const auto r = s->exportFramesSettings();
        value = field == QLatin1String("ImageFormat") ? int(r.imageFormat) : int(r.clones);
        untouched = field == QLatin1String("ImageFormat") ? int(r.clones) : int(r.imageFormat);
        break;
    }
    case Record::ExposureSheet: {
        const auto r = s->exportExposureSheetSettings();
        value = field == QLatin1String("Layers") ? int(r.layers) : int(r.imageFormat);
        untouched = int(r.frames);
        break;
    }
    case Record::Video: {
        const auto r = s->exportVideoSettings();
        value = field == QLatin1String("VideoFormat") ? int(r.videoFormat) : int(r.frames);
        untouched = int(r.layers);
        break;
    }
    }
    QCOMPARE(value, 0);
    QVERIFY(untouched > 0);
}

void TestExportSettings::exportDirFallback_data()
{
    QTest::addColumn<Record>("record");
    QTest::addColumn<QString>("situation");

    for (const auto& [name, record] : {std::pair{"frames", Record::Frames},
                                      std::pair{"sheet", Record::ExposureSheet},
                                      std::pair{"video", Record::Video}}) {
        for (const char* situation : {"existing", "deleted", "file", "empty"})
            QTest::addRow("%s %s", name, situation) << record << QString::fromLatin1(situation);
    }
}

// The handed-out folder must always be usable: a remembered folder that is gone,
// or that is a file, gives way to the default save folder, now and after a restart.
void TestExportSettings::exportDirFallback()
{
    QFETCH(Record, record);
    QFETCH(QString, situation);

    QTemporaryDir scratch;
    QVERIFY(scratch.isValid());
    QString dir;
    if (situation == QLatin1String("existing") || situation == QLatin1String("deleted")) {
        dir = scratch.filePath(QStringLiteral("exports"));
        QVERIFY(QDir().mkpath(dir));
    } else if (situation == QLatin1String("file")) {
        dir = scratch.filePath(QStringLiteral("exports.txt"));
        QFile file(dir);
        QVERIFY(file.open(QIODevice::WriteOnly));
    }
    const QString expected = situation == QLatin1String("existing") ? dir : m_saveDir.path();

    auto s = loadedSettings();
    s->setDefaultSaveDir(QDir(m_saveDir.path()));
    const QString handedOut = storeAndHandOutDir(*s, record, dir);
    if (situation == QLatin1String("deleted")) {
        QVERIFY(QDir(dir).removeRecursively());
        QCOMPARE(handedOutDir(*s, record), expected);
    } else {
        QCOMPARE(handedOut, expected);
    }
    QCOMPARE(handedOutDir(*loadedSettings(), record), expected);
}

// An empty folder would otherwise be stored as the working directory of the
// run that stored it, and a later run would silently export there.
void TestExportSettings::emptyExportDirStaysEmpty()
{
    auto s = loadedSettings();
    s->setDefaultSaveDir(QDir(m_saveDir.path()));
    s->setExportVideoSettings(Model::ExportVideoSettings());
    QVERIFY(QSettings().contains(QStringLiteral("Preferences/ExportVideo/ExportDir")));
    QCOMPARE(raw("ExportVideo/ExportDir"), QString());
    QCOMPARE(loadedSettings()->exportVideoSettings().exportDir, m_saveDir.path());
}

QUILLMERE_TEST_MAIN(TestExportSettings)
#include "tst_exportsettings.moc"
