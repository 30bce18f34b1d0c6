// What scenes made to be expensive cost to open, each beside a baseline of
// the same run:
// - a drawing of one long stroke (5,000 and 50,000 segments) stored without
//   its coverage buffer, which reading redraws, against the same drawing
//   with its buffer stored (nothing to redraw); and 40,000 one-point strokes
//   the same way;
// - 5,000 distant-clone lookups into a layer of 50,000 cells against the same
//   lookups into a layer of 500 cells;
// - an empty scene of the largest frame (8192 x 8192) against one of
//   1920 x 1080: frame size, renderer buffers and a composite;
// - scene files opened as the program opens them (a file in text mode): ten
//   million holds on a layer, a layer of as many holds as a file may give,
//   notes of a few bytes each that decode to the sheet's largest image, and
//   a scene's start followed by 2 GB of NUL bytes (a sparse file), each
//   against a small file of the same kind.
// Memory is the rise of the resident high-water mark (restarted before each
// measurement), time the processor time of the process; ratios are printed
// beside the figures. Run under X with software OpenGL, e.g.
//   DISPLAY=:91 LIBGL_ALWAYS_SOFTWARE=1 LP_NUM_THREADS=0 bench/bench_hostilescene
#include "drawings/StrokeDrawing.h"
#include "files/SceneReader.h"
#include "images/RleImage.h"
#include "rendering/OffscreenRenderer.h"
#include "scene/LayerItem.h"
#include "scene/Scene.h"
#include "scene/StrokeLayer.h"
#include "startup/Init.h"
#include "strokes/CompoundStroke.h"
#include "strokes/SingleStroke.h"
#include "tools/PenTool.h"

#include <QApplication>
#include <QFile>
#include <QPainter>
#include <QPainterPath>
#include <QTemporaryDir>
#include <QTransform>

#include <cstdio>
#include <ctime>
#include <functional>
#include <memory>

namespace {

double cpuMilliseconds()
{
    timespec now{};
    clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &now);
    return now.tv_sec * 1e3 + now.tv_nsec / 1e6;
}

qint64 statusKilobytes(QByteArray const& key)
{
    QFile status(QStringLiteral("/proc/self/status"));
    if (!status.open(QIODevice::ReadOnly))
        return -1;
    for (QByteArray const& line : status.readAll().split('\n')) {
        if (line.startsWith(key))
            return line.mid(key.size()).simplified().split(' ').value(0).toLongLong();
    }
    return -1;
}

struct Cost
{
    double milliseconds = 0.0;
    double megabytes = 0.0;
};

Cost measure(std::function<void()> const& work)
{
    QFile reset(QStringLiteral("/proc/self/clear_refs"));
    if (reset.open(QIODevice::WriteOnly))
        reset.write("5");
    reset.close();
    qint64 const start = statusKilobytes("VmRSS:");
    double const before = cpuMilliseconds();
    work();
    Cost cost;
    cost.milliseconds = cpuMilliseconds() - before;
    cost.megabytes = (statusKilobytes("VmHWM:") - start) / 1024.0;
    return cost;
}

// One pen stroke zigzagging across the frame with about segments segments,
// or strokes one-point strokes; the stream form with or without the buffer.
QByteArray drawingBytes(QSize const& size, int strokes, int turns, bool withBuffer, Model::Tool* pen)
{
    Model::CompoundStroke root;
    for (int s = 0; s < strokes; ++s) {
        auto stroke = std::make_unique<Model::SingleStroke>(pen);
        for (int i = 0; i < turns; ++i) {
            Model::Stroke::GuidePoint point;
            point.position = turns == 1 ? QPointF(20 + s % 1800, 20 + s / 1800 * 30)
                                        : QPointF(i % 2 ? size.width() - 40.0 : 40.0,
                                                  40.0 + (size.height() - 80.0) * i / turns);
            point.pressure = 0.6;
            stroke->addPoint(std::move(point));
        }
        stroke->addEndPoint();
        root.appendStroke(std::move(stroke));
    }
    QByteArray bytes;
    QDataStream out(&bytes, QIODevice::WriteOnly);
    out.setVersion(QDataStream::Qt_6_4);
    out.setFloatingPointPrecision(QDataStream::SinglePrecision);
    out << size;
    root.serialize(out);
    if (withBuffer) {
        QImage blank(size, QImage::Format_Alpha8);
        blank.fill(0);
        out << Model::StrokeDrawing::BufferFollows << Model::RleImage(blank);
    } else {
        out << Model::StrokeDrawing::NoBuffer;
    }
    return bytes;
}

Cost readDrawing(QSize const& size, QByteArray const& bytes)
{
    return measure([&] {
        Model::StrokeDrawing drawing(size);
        QDataStream in(bytes);
        in.setVersion(QDataStream::Qt_6_4);
        in.setFloatingPointPrecision(QDataStream::SinglePrecision);
        in >> drawing;
        if (in.status() != QDataStream::Ok)
            std::printf("  (refused)\n");
    });
}

// A scene file of the given layers, written in parts so that a file of
// hundreds of megabytes never sits in memory; size makes it that large with
// NUL bytes after the layers' start instead (a sparse file).
QString writeSceneFile(QTemporaryDir const& folder, QString const& name, QByteArray const& layerStart,
                       QByteArray const& repeated, int count, QByteArray const& layerEnd,
                       qint64 size = 0)
{
    QString const path = folder.filePath(name);
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly))
        return QString();
    file.write("<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<!DOCTYPE kw>\n<kw version=\"0.4\">\n"
               "<scene frameWidth=\"64\" frameHeight=\"48\">\n<layers>\n");
    if (size > 0) {
        file.resize(size);
        return path;
    }
    file.write(layerStart);
    QByteArray const block = repeated.repeated(10000);
    for (int i = 0; i < count / 10000; ++i)
        file.write(block);
    file.write(repeated.repeated(count % 10000));
    file.write(layerEnd);
    file.write("\n</layers>\n</scene>\n</kw>\n");
    return path;
}

Cost openSceneFile(QString const& path)
{
    return measure([&] {
        QFile file(path);
        if (!file.open(QIODevice::ReadOnly | QIODevice::Text))
            return;
        Model::Scene scene;
        Model::SceneReader reader(&scene, nullptr);
        if (reader.read(&file) != 0)
            std::printf("  (refused: %s)\n", qPrintable(reader.errorString().section(QLatin1Char('\n'), 0, 0)));
    });
}

void print(char const* what, Cost const& cost, Cost const& baseline)
{
    std::printf("%-46s %9.0f ms %8.1f MB   baseline %7.0f ms %7.1f MB   ratio %6.1f x time, "
                "%6.1f x memory\n",
                what, cost.milliseconds, cost.megabytes, baseline.milliseconds, baseline.megabytes,
                cost.milliseconds / std::max(1.0, baseline.milliseconds),
                cost.megabytes / std::max(1.0, baseline.megabytes));
}

} // namespace

int main(int argc, char** argv)
{
    QApplication app(argc, argv);
    Model::init();
    QSize const frame(1920, 1080);
    Model::OffscreenRenderer* renderer = Model::OffscreenRenderer::instance();
    if (!renderer->initialize(frame)) {
        std::fprintf(stderr, "no OpenGL context\n");
        return 1;
    }
    QObject owner;
    auto* pen = new Model::PenTool(Model::Tool::Marker, &owner);
    // The renderer's first strokes set up what it keeps.
    readDrawing(frame, drawingBytes(frame, 1, 50, false, pen));

    std::printf("Opening stroke drawings without their stored buffer (1920 x 1080)\n");
    for (int turns : {2500, 25000}) {
        Cost const redrawn = readDrawing(frame, drawingBytes(frame, 1, turns, false, pen));
        Cost const stored = readDrawing(frame, drawingBytes(frame, 1, turns, true, pen));
        QByteArray const what = QByteArray::number(2 * turns) + " segments, one stroke";
        print(what.constData(), redrawn, stored);
    }
    {
        Cost const redrawn = readDrawing(frame, drawingBytes(frame, 40000, 1, false, pen));
        Cost const stored = readDrawing(frame, drawingBytes(frame, 40000, 1, true, pen));
        print("40000 one-point strokes", redrawn, stored);
    }

    std::printf("\nLooking up 5000 distant clones' originals\n");
    Cost lookups[2];
    int const lengths[2] = {500, 50000};
    for (int k = 0; k < 2; ++k) {
        Model::Scene scene;
        auto layer = std::make_shared<Model::StrokeLayer>(QColor(Qt::black), QSize(64, 48), &scene);
        QList<std::shared_ptr<Model::LayerItem>>& cells = layer->frames();
        cells.clear();
        for (int i = 0; i < lengths[k]; ++i)
            cells.append(layer->blankItem());
        scene.addLayer(layer, 0);
        QList<Model::DrawingRef> refs;
        for (int i = 0; i < 5000; ++i)
            refs.append(cells.at(lengths[k] - 1 - i % 500)->reference(layer->identifier()));
        lookups[k] = measure([&] {
            int found = 0;
            for (Model::DrawingRef const& ref : std::as_const(refs))
                found += scene.lookupLayerItem(ref) ? 1 : 0;
            if (found != refs.size())
                std::printf("  (lost %lld)\n", qint64(refs.size() - found));
        });
    }
    print("into 50000 cells (baseline: 500 cells)", lookups[1], lookups[0]);

    std::printf("\nAn empty scene\n");
    Cost scenes[2];
    QSize const sizes[2] = {frame, QSize(Model::Scene::maximumFrameSide, Model::Scene::maximumFrameSide)};
    for (int k = 0; k < 2; ++k) {
        scenes[k] = measure([&] {
            Model::Scene scene;
            scene.addLayer(std::make_shared<Model::StrokeLayer>(QColor(Qt::black), scene.frameSize(), &scene), 0);
            renderer->prepareFor(sizes[k]);
            scene.setFrameSize(sizes[k], KW::FitMode::FitModeIgnore, nullptr);
            scene.updateCachedFramePixmap(true);
            QImage view(800, 600, QImage::Format_ARGB32_Premultiplied);
            view.fill(Qt::white);
            QPainter painter(&view);
            scene.draw(&painter, QRect(QPoint(0, 0), sizes[k]));
        });
    }
    print("8192 x 8192 (baseline: 1920 x 1080)", scenes[1], scenes[0]);

    std::printf("\nOpening scene files made to be expensive\n");
    QTemporaryDir folder;
    QByteArray const holdsStart = "<layer type=\"stroke\"><drawing type=\"original\"/>";
    QByteArray const hold = "<drawing type=\"clone\"/>";
    QByteArray const notesStart = "<layer type=\"annotation\">";
    // Thirteen bytes that decode to 1024 x 128 pixels.
    QByteArray const note = "<image>AAAEAAAAAIAAAAABCg==</image>";
    QByteArray const layerEnd = "</layer>";
    Cost const fewHolds = openSceneFile(writeSceneFile(folder, "few-holds.kw", holdsStart, hold, 1000, layerEnd));
    Cost const mostHolds = openSceneFile(
        writeSceneFile(folder, "most-holds.kw", holdsStart, hold, Model::SceneReader::maximumFrames - 1, layerEnd));
    print("108000 holds (baseline: 1000)", mostHolds, fewHolds);
    Cost const tenMillion = openSceneFile(
        writeSceneFile(folder, "ten-million-holds.kw", holdsStart, hold, 10000000, layerEnd));
    print("10000000 holds, 230 MB (baseline: 1000)", tenMillion, fewHolds);
    Cost const oneNote = openSceneFile(writeSceneFile(folder, "one-note.kw", notesStart, note, 1, layerEnd));
    Cost const manyNotes = openSceneFile(writeSceneFile(folder, "many-notes.kw", notesStart, note, 54000, layerEnd));
    print("54000 notes of 13 bytes, 2 MB (baseline: 1)", manyNotes, oneNote);
    Cost const sparse =
        openSceneFile(writeSceneFile(folder, "sparse.kw", {}, {}, 0, {}, qint64(2) << 30));
    print("2 GB of NUL after the start (baseline: 1 note)", sparse, oneNote);
    return 0;
}
