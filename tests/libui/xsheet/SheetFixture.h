#pragma once

// A small scene shown on an exposure sheet, wired as the main window wires
// them (current bundle, frame-range model, selection model):
//
//   0 "ink"    stroke layer     A . . B * K   * distant clone of A, K key drawing
//   1 "pegs"   stroke layer     C D E F       D off the pegs
//   2 "ref"    reference layer  G . H         images
//   3 "sound"  audio layer      two seconds of tone at 25 fps
//
// The original cells carry a solid block of ink so that their thumbnails
// show. The frame range is 1-6 of 6 frames unless a test sets another.

#include "../../libmodel/media/SoundFixtures.h"
#include "../../libmodel/scene/LayerFixture.h"

#include "audio/AudioLayer.h"
#include "common/Animations.h"
#include "drawings/ImageDrawing.h"
#include "drawings/StrokeDrawing.h"
#include "drawings/ThumbnailMaker.h"
#include "models/FrameRangeModel.h"
#include "scene/KWScene.h"
#include "scene/ReferenceLayer.h"
#include "scene/Scene.h"
#include "scene/StrokeLayer.h"
#include "strokes/BitmapStroke.h"
#include "xsheet/XSheet.h"

#include <QItemSelectionModel>
#include <QTest>

namespace SheetFixture {

inline std::shared_ptr<Model::LayerItem> inkedOriginal(QSize frameSize, QString const& name)
{
    auto drawing = std::make_shared<Model::StrokeDrawing>(frameSize);
    QImage block(frameSize / 2, QImage::Format_Alpha8);
    block.fill(255);
    drawing->appendStroke(std::make_unique<Model::BitmapStroke>(
        block, QRect(QPoint(frameSize.width() / 4, frameSize.height() / 4), frameSize / 2)));
    drawing->setName(name);
    return std::make_shared<Model::LayerItem>(Model::LayerItem::Original, QUuid::createUuid(), drawing);
}

inline std::shared_ptr<Model::LayerItem> imageOriginal(QSize frameSize, QColor color)
{
    QImage image(frameSize, QImage::Format_ARGB32_Premultiplied);
    image.fill(color);
    return std::make_shared<Model::LayerItem>(Model::LayerItem::Original, QUuid::createUuid(),
                                              std::make_shared<Model::ImageDrawing>(image));
}

// Cells from a pattern: a letter an original, '.' a hold of the cell before.
inline void fill(Model::VisualLayer& layer, QString const& pattern, bool images = false)
{
    auto& cells = layer.frames();
    cells.clear();
    for (QChar const ch : pattern) {
        if (ch == QLatin1Char('.'))
            cells.append(std::make_shared<Model::LayerItem>(cells.last()->drawing));
        else
            cells.append(images ? imageOriginal(layer.frameSize(), QColor(40, 120, 200))
                                : inkedOriginal(layer.frameSize(), QString(ch)));
    }
}

struct Sheet
{
    explicit Sheet(bool withSound = true)
    {
        UI::Animations::setEnabled(false);
        Model::KWScene::setCurrentKWScene(&bundle);
        scene = bundle.scene();
        QSize const size = scene->frameSize();

        ink = std::make_shared<Model::StrokeLayer>(QColor(Qt::black), size, nullptr);
        ink->setName(QStringLiteral("ink"));
        fill(*ink, QStringLiteral("A..BXK"));
        Fixture::link(*ink, 1, *ink, 5);
        ink->setKeyDrawing(6, true);

        pegs = std::make_shared<Model::StrokeLayer>(QColor(Qt::black), size, nullptr);
        pegs->setName(QStringLiteral("pegs"));
        fill(*pegs, QStringLiteral("CDEF"));
        pegs->setOffPegsTransform(2, QTransform::fromTranslate(30, 0));

        ref = std::make_shared<Model::ReferenceLayer>(size, nullptr);
        ref->setName(QStringLiteral("ref"));
        fill(*ref, QStringLiteral("G.H"), true);

        scene->addLayer(ink, 0);
        scene->addLayer(pegs, 1);
        scene->addLayer(ref, 2);
        if (withSound) {
            audio = std::make_shared<Model::AudioLayer>(nullptr);
            audio->setName(QStringLiteral("sound"));
            audio->setOriginalAudioData(SoundFixtures::toneWav(2.0));
            scene->addLayer(audio, 3);
        }
        scene->setFrameRange(1, scene->maximumFrameNumber(), 1, 0);

        sheet.setModel(bundle.frameRangeModel());
        sheet.setSelectionModel(bundle.selectionModel());
        // The active cell follows the sheet's current cell, as the main
        // window makes it.
        QObject::connect(bundle.selectionModel(), &QItemSelectionModel::currentChanged, scene,
                         [this](QModelIndex const& current) {
                             QModelIndex const cell = model()->mapToSource(current);
                             if (cell.isValid())
                                 scene->setActiveFrameAndLayer(cell.row() + 1, cell.column(),
                                                               Model::Scene::AcceptVirtualLastFrame);
                         });
        sheet.resize(420, 420);
    }

    ~Sheet() { Model::KWScene::setCurrentKWScene(nullptr); }

    void show()
    {
        sheet.show();
        QVERIFY(QTest::qWaitForWindowExposed(&sheet));
    }

    // Paints the sheet and waits until the thumbnails that paint asked for
    // are made and painted by the sheet itself.
    void showThumbnails()
    {
        // Each grab asks for the thumbnails not made yet (a late layout may
        // ask for new sizes); done when one finds them all made, and then
        // the repaints already asked for are let through.
        QTRY_VERIFY((sheet.viewport()->grab(), thumbnailsShown()));
        QCoreApplication::processEvents();
        QCoreApplication::processEvents();
    }

    static bool thumbnailsShown()
    {
        Model::ThumbnailMaker const* maker = Model::ThumbnailMaker::instance();
        return maker->isIdle() && !maker->hasResultsWaiting();
    }

    Model::FrameRangeModel* model() const { return bundle.frameRangeModel(); }

    // The painted cell at (row, column) in viewport coordinates.
    QRect cell(int row, int column) const
    {
        return QRect(sheet.columnViewportPosition(column) + 1, sheet.rowViewportPosition(row) + 1,
                     sheet.columnWidth(column) - 3, sheet.rowHeight() - 1);
    }

    Model::KWScene bundle;
    Model::Scene* scene = nullptr;
    std::shared_ptr<Model::StrokeLayer> ink;
    std::shared_ptr<Model::StrokeLayer> pegs;
    std::shared_ptr<Model::ReferenceLayer> ref;
    std::shared_ptr<Model::AudioLayer> audio;
    UI::XSheet sheet;
};

} // namespace SheetFixture
