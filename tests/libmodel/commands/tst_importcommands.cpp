// Image files imported as a reference layer and sound files as the scene's
// sound.
#include "CommandFixture.h"

#include "../media/SoundFixtures.h"

#include "commands/ImportNewAudioLayer.h"
#include "commands/ImportNewReferenceLayer.h"
#include "startup/Init.h"

#include <QTemporaryDir>

class TestImportCommands : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();

    void numberedSequenceFillsTheGaps();
    void filesInNaturalOrder();
    void unreadableFilesAddNothing();
    void soundFileBecomesTheSound_data();
    void soundFileBecomesTheSound();
    void unreadableSoundAddsNothing();

private:
    QString writeImage(QString const& name, QColor const& color, QSize const& size = QSize(8, 6));
    QStringList drawingNames(Model::ReferenceLayer const& layer) const;

    QTemporaryDir m_folder;
};

void TestImportCommands::initTestCase()
{
    Model::init();
    QVERIFY(m_folder.isValid());
}

QString TestImportCommands::writeImage(QString const& name, QColor const& color, QSize const& size)
{
    QImage image(size, QImage::Format_RGB32);
    image.fill(color);
    QString const path = m_folder.filePath(name);
    image.save(path, "PNG");
    return path;
}

QStringList TestImportCommands::drawingNames(Model::ReferenceLayer const& layer) const
{
    QStringList names;
    for (auto const& cell : layer.frames())
        names << QStringLiteral("%1:%2").arg(cell->kind).arg(cell->drawing->name());
    return names;
}

void TestImportCommands::numberedSequenceFillsTheGaps()
{
    CommandScene f;
    QString const third = writeImage(QStringLiteral("shot_0003.png"), Qt::red);
    QString const fifth = writeImage(QStringLiteral("shot_0005.png"), Qt::green);
    auto* command = new Commands::ImportNewReferenceLayer(f.scene, {fifth, third}, nullptr, 5, 1);
    QCOMPARE(command->text(), QStringLiteral("Import Frames"));
    QCOMPARE(command->outcome(), Commands::ImportNewReferenceLayer::Outcome::Imported);
    QVERIFY(f.push(command));

    int const added = f.scene->numLayers() - 1;
    auto const* layer = qobject_cast<Model::ReferenceLayer const*>(f.scene->layer(added).get());
    QVERIFY(layer);
    QCOMPARE(drawingNames(*layer),
             (QStringList{"0:Inserted blank", "1:Inserted blank", "0:shot_0003.png",
                          "1:shot_0003.png", "0:shot_0005.png"}));
    auto const* gap = static_cast<Model::ImageDrawing const*>(layer->frames().first()->drawing.get());
    QCOMPARE(gap->image().size(), QSize(10, 10));
    QCOMPARE(gap->image().format(), QImage::Format_RGB32);
    QCOMPARE(gap->image().pixelColor(4, 4), QColor(Qt::white));
    auto const* image = static_cast<Model::ImageDrawing const*>(layer->frames().at(2)->drawing.get());
    QCOMPARE(image->image().pixelColor(0, 0), QColor(Qt::red));
    // Shown just above the layer that was active, the range grown to hold it.
    QCOMPARE(f.scene->getLogicalLayerIndices().indexOf(added) + 1,
             f.scene->getLogicalLayerIndices().indexOf(CommandScene::Ink));
    QCOMPARE(f.scene->maximumFrameRangeNumber(), 5);

    f.undo();
    QCOMPARE(f.scene->numLayers(), 5);
    QCOMPARE(f.scene->maximumFrameRangeNumber(), 4);
    f.redo();
    QCOMPARE(f.scene->layer(added).get(), layer);
}

void TestImportCommands::filesInNaturalOrder()
{
    CommandScene f;
    QStringList const files{writeImage(QStringLiteral("b10.png"), Qt::blue),
                            writeImage(QStringLiteral("b2.png"), Qt::blue),
                            writeImage(QStringLiteral("b1.png"), Qt::blue)};
    QVERIFY(f.push(new Commands::ImportNewReferenceLayer(f.scene, files, nullptr)));
    auto const* layer = qobject_cast<Model::ReferenceLayer const*>(
        f.scene->layer(f.scene->numLayers() - 1).get());
    QCOMPARE(drawingNames(*layer), (QStringList{"0:b1.png", "0:b2.png", "0:b10.png"}));
}

void TestImportCommands::unreadableFilesAddNothing()
{
    CommandScene f;
    QString const broken = m_folder.filePath(QStringLiteral("broken.png"));
    QFile file(broken);
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write("not an image at all");
    file.close();

    int const highest = f.scene->highestUsedLayerNumber();
    auto* nothing = new Commands::ImportNewReferenceLayer(f.scene, {broken}, nullptr);
    QCOMPARE(nothing->outcome(), Commands::ImportNewReferenceLayer::Outcome::NothingRead);
    QCOMPARE(nothing->unreadableFiles(), QStringList{broken});
    QVERIFY(!f.push(nothing));
    QVERIFY(!f.push(new Commands::ImportNewReferenceLayer(f.scene, {}, nullptr)));
    QCOMPARE(f.scene->numLayers(), 5);
    // Not even a layer number is used up: the scene is as it was.
    QCOMPARE(f.scene->highestUsedLayerNumber(), highest);

    // A readable file beside it is imported; the caller still learns which
    // one gave nothing.
    auto* some = new Commands::ImportNewReferenceLayer(
        f.scene, {broken, writeImage(QStringLiteral("fine.png"), Qt::gray)}, nullptr);
    QCOMPARE(some->outcome(), Commands::ImportNewReferenceLayer::Outcome::Imported);
    QCOMPARE(some->unreadableFiles(), QStringList{broken});
    QVERIFY(f.push(some));
    QCOMPARE(f.scene->highestUsedLayerNumber(), highest + 1);
    QCOMPARE(f.scene->layer(f.scene->numLayers() - 1)->name(), QString::number(highest + 1));
}

void TestImportCommands::soundFileBecomesTheSound_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<QByteArray>("bytes");

    QByteArray const wav = SoundFixtures::toneWav(0.5);
    QTest::newRow("wav") << QStringLiteral("tone.wav") << wav;
    QString error;
    QByteArray const mp3 = SoundFixtures::encode(wav, QDir(m_folder.path()),
                                                 QStringLiteral("tone.mp3"),
                                                 {"-c:a", "libmp3lame", "-b:a", "64k"}, &error);
    QVERIFY2(error.isEmpty(), qPrintable(error));
    QTest::newRow("mp3") << QStringLiteral("tone.mp3") << mp3;
}

void TestImportCommands::soundFileBecomesTheSound()
{
    QFETCH(QString, name);
    QFETCH(QByteArray, bytes);

    QString const path = m_folder.filePath(name);
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write(bytes);
    file.close();

    CommandScene f;
    auto* command = new Commands::ImportNewAudioLayer(f.scene, path, nullptr);
    QCOMPARE(command->text(), QStringLiteral("Import Audio"));
    QVERIFY(f.push(command));
    auto const* sound = qobject_cast<Model::AudioLayer const*>(
        f.scene->layer(f.scene->audioLayerIdx()).get());
    QVERIFY(sound && sound != f.sound.get());
    QCOMPARE(sound->originalAudioData(), bytes);
    QVERIFY(f.scene->isAudioAvailable());
    f.undo();
    QCOMPARE(f.scene->layer(f.scene->audioLayerIdx()).get(), f.sound.get());
    f.redo();
    QCOMPARE(f.scene->layer(f.scene->audioLayerIdx()).get(), sound);
}

void TestImportCommands::unreadableSoundAddsNothing()
{
    CommandScene f;
    QString const path = m_folder.filePath(QStringLiteral("noise.wav"));
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write("RIFF but nothing after it");
    file.close();
    auto* command = new Commands::ImportNewAudioLayer(f.scene, path, nullptr);
    QCOMPARE(command->outcome(), Commands::ImportNewAudioLayer::Outcome::NothingRead);
    QVERIFY(!f.push(command));
    QVERIFY(!f.push(new Commands::ImportNewAudioLayer(f.scene, QString(), nullptr)));
    QCOMPARE(f.scene->layer(f.scene->audioLayerIdx()).get(), f.sound.get());
}

QUILLMERE_TEST_MAIN(TestImportCommands)

#include "tst_importcommands.moc"
