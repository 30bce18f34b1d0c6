#include "MainWindowFixture.h"

#include "FullDisk.h"
#include "TestSupport.h"

#include "../../libmodel/export/ExportFixture.h"

#include "autosave/AutosaveManager.h"
#include "files/FileWriter.h"

#include <QUndoStack>

#include <cerrno>

#include <unistd.h>

namespace {

using ExportFixture::Kind;

enum class Writer { SceneSave, Autosave, Export };
enum class Cause { DiskFillsDuringTheWrite, ReadOnlyFolder };

QSize const FrameSize(160, 120);

} // namespace

// Every writer of the user's files, when the disk refuses its bytes, says
// why in the system's words, whichever encoder or library wrote them; one
// cause gives one reason.
class TestMainWindowWriteFailures : public QObject
{
    Q_OBJECT

    // A scene of two frames of noise, so that every file written is far
    // larger than the room left on a disk that fills during the write.
    struct Fixture : MainWindowFixture
    {
        Fixture()
        {
            Model::Scene* const scene = bundle.scene();
            scene->setFrameSize(FrameSize, KW::FitMode::FitModeKeepAspect, nullptr);
            scene->setName(QStringLiteral("walk"));
            auto layer = std::make_shared<Model::ReferenceLayer>(FrameSize, nullptr);
            layer->setName(QStringLiteral("Noise"));
            layer->setOpacity(1.0);
            Fixture::buildLayer(*layer);
            scene->addLayer(layer, scene->numLayers());
            scene->updateMaxFrameNumber();
            scene->setFrameRange(1, 2, 1, 0);
            window->setKWScene(&bundle);
            window->autosaveManager()->setClock([this] { return now; });
            window->autosaveManager()->setSecondLength(1);
        }
        ~Fixture() { window->setKWScene(nullptr); }

        static void buildLayer(Model::ReferenceLayer& layer)
        {
            ::Fixture::build(layer, QStringLiteral("AB"));
            for (int frame : {1, 2})
                layer.layerItem(frame)->drawing = std::make_shared<Model::ImageDrawing>(
                    TestSupport::noise(FrameSize, quint32(frame)));
        }

        // Writes the output into the folder; false when a message came.
        bool write(Writer writer, Kind kind, QString const& folder)
        {
            asked.clear();
            Model::Scene* const scene = bundle.scene();
            switch (writer) {
            case Writer::SceneSave:
                window->saveScene(scene, QDir(folder).filePath(QStringLiteral("walk.kw")));
                break;
            case Writer::Autosave:
                Model::Settings::instance()->setDefaultSaveDir(QDir(folder));
                Model::Settings::instance()->setAutoSaveNumFiles(1);
                scene->undoStack()->push(new QUndoCommand(QStringLiteral("edit")));
                now += 3;
                window->autosaveScene();
                break;
            case Writer::Export:
                ExportFixture::exportAs(kind, *scene, folder,
                                        kind == Kind::Gif   ? QStringLiteral("shot.gif")
                                        : kind == Kind::Mp4 ? QStringLiteral("shot.mp4")
                                        : kind == Kind::ProRes ? QStringLiteral("shot.mov")
                                                               : QStringLiteral("shot"));
                break;
            }
            return asked.isEmpty();
        }

        Model::KWScene bundle;
        qint64 now = 1000000;
    };

private slots:
    void cleanup()
    {
        Model::Settings::instance()->setAutoSaveNumFiles(Model::Settings::defaultAutoSaveNumFiles);
    }

    void aFailedWriteSaysWhy_data()
    {
        QTest::addColumn<Writer>("writer");
        QTest::addColumn<Kind>("kind");
        QTest::addColumn<Cause>("cause");
        struct Row
        {
            char const* name;
            Writer writer;
            Kind kind;
        };
        QList<Row> const writers{{"scene save", Writer::SceneSave, Kind::PngFrames},
                                 {"autosave", Writer::Autosave, Kind::PngFrames},
                                 {"png frames", Writer::Export, Kind::PngFrames},
                                 {"exr frames", Writer::Export, Kind::ExrFrames},
                                 {"gif", Writer::Export, Kind::Gif},
                                 {"mp4", Writer::Export, Kind::Mp4},
                                 {"prores", Writer::Export, Kind::ProRes},
                                 {"oca", Writer::Export, Kind::PackageOfPngs}};
        for (Row const& row : writers) {
            QTest::addRow("%s, disk fills during the write", row.name)
                << row.writer << row.kind << Cause::DiskFillsDuringTheWrite;
            QTest::addRow("%s, read-only folder", row.name)
                << row.writer << row.kind << Cause::ReadOnlyFolder;
        }
    }

    void aFailedWriteSaysWhy()
    {
        QFETCH(Writer, writer);
        QFETCH(Kind, kind);
        QFETCH(Cause, cause);
        TestSupport::FullDisk disk(4096);
        QUILLMERE_REQUIRE_FULL_DISK(disk);
        Fixture f;
        // An earlier output, which the failing write is to replace.
        QVERIFY2(f.write(writer, kind, disk.path()), qPrintable(f.asked.join(QLatin1Char('\n'))));

        if (cause == Cause::DiskFillsDuringTheWrite)
            // Room for the first bytes only.
            QVERIFY(disk.fill(::sysconf(_SC_PAGESIZE)));
        else
            QVERIFY(disk.makeReadOnly());
        QVERIFY(!f.write(writer, kind, disk.path()));

        QString const reason = Model::FileWriter::systemReason(
            cause == Cause::DiskFillsDuringTheWrite ? ENOSPC : EROFS);
        QCOMPARE(f.asked.size(), 1);
        QVERIFY2(f.asked.first().endsWith(QStringLiteral("\n%1.").arg(reason)),
                 qPrintable(f.asked.first()));
    }
};

QUILLMERE_TEST_MAIN(TestMainWindowWriteFailures)
#include "tst_mainwindowwritefailures.moc"
