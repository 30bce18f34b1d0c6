#pragma once

// Scenes for the export tests, built from the cell patterns of the layer
// fixture ('A'..'Z' originals, '.' holds, '*' distant clones linked by the
// test) on reference layers at full opacity. Every letter's drawing fills the
// frame with a colour of its own, so a written image tells which drawing it
// shows; files are read back by listing the export folder.

#include "../scene/LayerFixture.h"

#include "drawings/ImageDrawing.h"
#include "prompts/Prompter.h"
#include "scene/ReferenceLayer.h"
#include "scene/Scene.h"
#include "scene/StrokeLayer.h"
#include "settings/ExportExposureSheetSettings.h"
#include "settings/ExportFramesSettings.h"
#include "settings/ExportVideoSettings.h"
#include "strokes/BitmapStroke.h"

#include <QDir>
#include <QDirIterator>
#include <QImage>
#include <QProgressDialog>
#include <QStringList>
#include <QTemporaryDir>
#include <QTest>

#include <memory>

namespace ExportFixture {

inline QSize const FrameSize(8, 6);

inline QColor colourOf(QChar letter)
{
    return QColor::fromHsv((letter.unicode() - 'A') * 37 % 360, 200, 220);
}

struct ExportScene
{
    ExportScene()
    {
        scene.setFrameSize(FrameSize, KW::FitMode::FitModeKeepAspect, nullptr);
        scene.setName(QStringLiteral("Scene One"));
    }

    // Appended on top of the layers added before it.
    std::shared_ptr<Model::ReferenceLayer> add(QString const& name, QString const& pattern)
    {
        auto layer = std::make_shared<Model::ReferenceLayer>(FrameSize, nullptr);
        layer->setName(name);
        layer->setOpacity(1.0);
        Fixture::build(*layer, pattern);
        for (int frame = 1; frame <= layer->length(); ++frame) {
            auto const cell = layer->layerItem(frame);
            if (cell->kind != Model::LayerItem::Original)
                continue;
            QImage image(FrameSize, QImage::Format_ARGB32_Premultiplied);
            image.fill(colourOf(pattern.at(frame - 1)));
            auto const drawing = std::make_shared<Model::ImageDrawing>(image);
            cell->drawing = drawing;
            for (int f = frame + 1; f <= layer->length() && layer->isHoldFrame(f); ++f)
                layer->layerItem(f)->drawing = drawing;
        }
        // A new layer goes to the bottom of the stack; lift it to the top.
        int const index = scene.addLayer(layer, scene.numLayers());
        scene.moveLayer(index, scene.numLayers() - 1, 0);
        scene.updateMaxFrameNumber();
        return layer;
    }

    // A stroke layer "Ink" at opacity 0.5 whose one drawing covers the frame
    // in blue at full coverage.
    void addHalfOpaqueInk()
    {
        auto ink = std::make_shared<Model::StrokeLayer>(QColor(0, 0, 255), FrameSize, nullptr);
        ink->setName(QStringLiteral("Ink"));
        ink->setOpacity(0.5);
        QImage coverage(FrameSize, QImage::Format_Alpha8);
        coverage.fill(QColor(0, 0, 0, 255));
        QVERIFY(ink->appendStroke(
            1, std::make_unique<Model::BitmapStroke>(coverage, QRect(QPoint(), FrameSize))));
        scene.addLayer(ink, 0);
        scene.updateMaxFrameNumber();
    }

    void range(int first, int last) { scene.setFrameRange(first, last, first, 0); }

    Model::Scene scene;
};

// The exports, each with its usual settings.
enum class Kind { PngFrames, ExrFrames, PackageOfPngs, PackageOfExrs, Gif, Mp4, ProRes };

// Exports the scene into the folder: name is the frames' base name, the
// package's or the movie's name.
inline void exportAs(Kind kind, Model::Scene& scene, QString const& folder, QString const& name)
{
    QProgressDialog progress;
    switch (kind) {
    case Kind::PngFrames:
    case Kind::ExrFrames: {
        Model::ExportFramesSettings settings;
        settings.name = name;
        settings.exportDir = folder;
        settings.combineLayers = true;
        settings.clones = Model::ExportFramesSettings::IncludeClonesSimpleSequence;
        settings.imageFormat = kind == Kind::ExrFrames ? Model::ExportFramesSettings::OpenEXR
                                                       : Model::ExportFramesSettings::PNG;
        scene.exportFrames(settings, progress);
        return;
    }
    case Kind::PackageOfPngs:
    case Kind::PackageOfExrs: {
        Model::ExportExposureSheetSettings settings;
        settings.name = name;
        settings.exportDir = folder;
        settings.imageFormat = kind == Kind::PackageOfExrs
                                   ? Model::ExportExposureSheetSettings::OpenEXR
                                   : Model::ExportExposureSheetSettings::PNG;
        scene.exportExposureSheet(settings, progress);
        return;
    }
    case Kind::Gif:
    case Kind::Mp4:
    case Kind::ProRes: {
        Model::ExportVideoSettings settings;
        settings.exportDir = folder;
        settings.name = name;
        settings.videoFormat = kind == Kind::Gif   ? Model::ExportVideoSettings::GIF
                               : kind == Kind::Mp4 ? Model::ExportVideoSettings::MP4
                                                   : Model::ExportVideoSettings::ProRes;
        scene.exportVideo(settings, progress);
        return;
    }
    }
}

// The names of the files under the folder, sorted, with their sub-folders.
inline QStringList listing(QString const& folder)
{
    QStringList names;
    QDir const root(folder);
    QDirIterator it(folder, QDir::Files | QDir::Hidden | QDir::NoDotAndDotDot,
                    QDirIterator::Subdirectories);
    while (it.hasNext())
        names << root.relativeFilePath(it.next());
    names.sort();
    return names;
}

// Answers every prompt and remembers the critical boxes' texts.
struct Prompts
{
    Prompts()
    {
        Model::Prompter::setHandler([this](Model::Prompter::Request const& request) {
            if (request.kind == Model::Prompter::Kind::Critical)
                critical << request.title + QLatin1Char('|') + request.text;
            Model::Prompter::Reply reply;
            reply.button = QMessageBox::Ok;
            return reply;
        });
    }
    ~Prompts() { Model::Prompter::setHandler({}); }

    QStringList critical;
};

} // namespace ExportFixture
