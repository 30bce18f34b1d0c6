// libFuzzer target for the scene file reader. Any input must end in one of
// the reader's return codes without a sanitizer report, a crash or a hang;
// an input that reads without error must also write and read back again.
#include "files/SceneReader.h"
#include "files/SceneWriter.h"
#include "scene/Scene.h"

#include <QApplication>
#include <QBuffer>
#include <QLoggingCategory>

#include <cstdint>
#include <cstdio>
#include <cstdlib>

namespace {

char const warmUp[] =
    "<kw version=\"0.4\"><scene frameWidth=\"8\" frameHeight=\"8\"><layers>"
    "<layer type=\"stroke\"><drawing type=\"original\"/></layer>"
    "<layer type=\"reference\"><drawing type=\"original\"><image>AAAAAA==</image></drawing></layer>"
    "<layer type=\"audio\"><originalAudioData>"
    "UklGRiwAAABXQVZFZm10IBAAAAABAAEAQB8AAIA+AAACABAAZGF0YQgAAAAAAOgDGPwAAA=="
    "</originalAudioData></layer>"
    "<layer type=\"annotation\"><image>AAAAAAAAAAAAAAABCg==</image></layer>"
    "</layers></scene></kw>";

int readScene(Model::Scene* scene, QByteArray bytes, QString* error)
{
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::ReadOnly);
    Model::SceneReader reader(scene, nullptr);
    int const result = reader.read(&buffer);
    if (result != 0 && result != 1) {
        std::fprintf(stderr, "read returned %d\n", result);
        std::abort();
    }
    if (result == 1 && reader.errorString().isEmpty()) {
        std::fprintf(stderr, "an error without a message\n");
        std::abort();
    }
    *error = reader.errorString();
    return result;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(uint8_t const* data, size_t size);

// Font configuration, which the progress dialogs reach through Qt, and GLib,
// which the sound output of an audio layer reaches, keep allocations that
// they never free.
extern "C" char const* __lsan_default_suppressions()
{
    return "leak:libfontconfig.so\nleak:libglib-2.0.so\n";
}

extern "C" int LLVMFuzzerInitialize(int*, char***)
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    // Damaged payloads make the image and sound decoders complain.
    QLoggingCategory::setFilterRules(QStringLiteral("*=false"));
    qInstallMessageHandler([](QtMsgType, QMessageLogContext const&, QString const&) {});
    static int argc = 1;
    static char name[] = "fuzz_scenereader";
    static char* argv[] = {name, nullptr};
    new QApplication(argc, argv);
    // Fonts, image plugins and other lazily made caches live for the whole
    // process; making them here keeps them out of the leak checks.
    LLVMFuzzerTestOneInput(reinterpret_cast<uint8_t const*>(warmUp), sizeof(warmUp) - 1);
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(uint8_t const* data, size_t size)
{
    // Large frames are read like any other: the scene bounds them, and the
    // fuzzer's memory limit (-rss_limit_mb=2048) catches a file that still
    // makes a few bytes cost gigabytes.
    QByteArray const bytes(reinterpret_cast<char const*>(data), qsizetype(size));

    Model::Scene scene;
    QString error;
    if (readScene(&scene, bytes, &error) != 0)
        return 0;

    QByteArray written;
    {
        QBuffer buffer(&written);
        buffer.open(QIODevice::WriteOnly);
        Model::SceneWriter writer(&scene, nullptr);
        if (writer.writeFile(&buffer) != 0) {
            std::fprintf(stderr, "a scene that was read cannot be written\n");
            std::abort();
        }
    }
    Model::Scene again;
    if (readScene(&again, written, &error) != 0) {
        std::fprintf(stderr, "a written scene does not read back: %s\n", qPrintable(error));
        std::abort();
    }
    return 0;
}
