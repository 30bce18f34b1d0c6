#pragma once

// What the benchmarks that draw strokes share: starting the renderer, and the
// strokes of generated drawings.
#include "drawings/StrokeDrawing.h"
#include "rendering/OffscreenRenderer.h"
#include "scene/LayerItem.h"
#include "scene/Scene.h"
#include "scene/StrokeLayer.h"
#include "strokes/ArcSegment.h"
#include "strokes/Blending.h"
#include "strokes/CompoundStroke.h"
#include "strokes/LineSegment.h"
#include "strokes/PointSegment.h"
#include "strokes/SingleStroke.h"

#include <QColor>
#include <QGuiApplication>
#include <QImage>
#include <QPainter>
#include <QPen>
#include <QPointF>
#include <QRandomGenerator>
#include <QSize>
#include <QUuid>

#include <cmath>
#include <cstdio>
#include <memory>

namespace BenchRendering {

// Names the application as the program does and starts the off-screen
// renderer; false, having said why, when it cannot start.
inline bool start(QSize const& frameSize)
{
    QGuiApplication::setOrganizationName(QStringLiteral("Quillmere"));
    QGuiApplication::setApplicationName(QStringLiteral("Quillmere"));
    Model::Blending::initLookupTables();
    if (Model::OffscreenRenderer::instance()->initialize(frameSize))
        return true;
    std::fprintf(stderr, "the off-screen renderer cannot start\n");
    return false;
}

// A wavy stroke of a figure around centre, different for every seed.
inline std::unique_ptr<Model::Stroke> figureStroke(Model::Tool* pen, QSize const& frameSize,
                                                   QPointF centre, int seed, int points = 40)
{
    auto stroke = std::make_unique<Model::SingleStroke>(frameSize, pen);
    double const angle = seed * 0.9;
    QPointF const start = centre + QPointF(std::cos(angle), std::sin(angle)) * 110.0;
    for (int i = 0; i < points; ++i) {
        double const t = double(i) / (points - 1);
        Model::Stroke::GuidePoint guide;
        guide.position = start
                         + QPointF(200.0 * t * std::cos(angle + 1.7), 200.0 * t * std::sin(angle + 1.7))
                         + QPointF(0.0, 20.0 * std::sin(t * 9.0 + seed));
        guide.pressure = 0.4 + 0.5 * std::abs(std::sin(t * 5.0 + seed));
        stroke->addPoint(std::move(guide));
        stroke->drawLastSegmentToBuffer();
    }
    stroke->addEndPoint();
    stroke->drawLastSegmentToBuffer();
    return stroke;
}

// A drawing as a user makes it: 40 pen strokes of 100 to 300 guide points
// each, wandering across the frame with the pressure rising and falling,
// appended one by one as the canvas does. The strokes carry no buffer of
// their own: the drawing renders each as it takes it.
inline std::shared_ptr<Model::StrokeDrawing> realisticDrawing(Model::Tool* pen, QSize const& frameSize,
                                                              quint32 seed)
{
    QRandomGenerator random(seed);
    auto drawing = std::make_shared<Model::StrokeDrawing>(frameSize);
    for (int s = 0; s < 40; ++s) {
        auto stroke = std::make_unique<Model::SingleStroke>(pen);
        QPointF position(frameSize.width() * (0.1 + 0.8 * random.generateDouble()),
                         frameSize.height() * (0.1 + 0.8 * random.generateDouble()));
        double heading = random.bounded(2.0 * M_PI);
        double const phase = random.bounded(2.0 * M_PI);
        int const points = 100 + random.bounded(201);
        for (int i = 0; i < points; ++i) {
            Model::Stroke::GuidePoint guide;
            guide.position = position;
            guide.pressure = 0.15 + 0.8 * std::abs(std::sin(i * 0.05 + phase));
            guide.time = quint64(i) * 8;
            stroke->addPoint(std::move(guide));
            heading += random.bounded(0.5) - 0.25;
            // Turn back toward the middle before leaving the frame.
            QPointF const towardMiddle = QPointF(frameSize.width(), frameSize.height()) / 2.0 - position;
            if (position.x() < 40 || position.y() < 40 || position.x() > frameSize.width() - 40
                || position.y() > frameSize.height() - 40)
                heading = std::atan2(towardMiddle.y(), towardMiddle.x());
            position += QPointF(std::cos(heading), std::sin(heading)) * (3.0 + random.bounded(6.0));
        }
        stroke->addEndPoint();
        drawing->appendStroke(std::move(stroke));
    }
    return drawing;
}

// What QPainter needs to draw the same segments: each as a straight line
// from its start to its end, as wide as its two ends' radii together, in the
// opacity of its middle, with round caps.
inline void paintSegments(QPainter& painter, Model::CompoundStroke const& compound)
{
    for (int i = 0; i < compound.numStrokes(); ++i) {
        Model::Stroke const* child = compound.strokeAt(i);
        if (child->type() == 1) {
            paintSegments(painter, static_cast<Model::CompoundStroke const&>(*child));
            continue;
        }
        if (child->type() != 0)
            continue;
        for (auto const& segment : static_cast<Model::SingleStroke const*>(child)->segments()) {
            QPointF a, b;
            double opacity = 0.0, width = 0.0;
            if (auto const* line = dynamic_cast<Model::LineSegment const*>(segment.get())) {
                a = line->p1();
                b = line->p2();
                opacity = (line->opacity1() + line->opacity2()) / 2.0;
                width = line->radius1() + line->radius2();
            } else if (auto const* arc = dynamic_cast<Model::ArcSegment const*>(segment.get())) {
                a = arc->p1();
                b = arc->p2();
                opacity = (arc->opacity1() + arc->opacity2()) / 2.0;
                width = arc->radius1() + arc->radius2();
            } else if (auto const* point = dynamic_cast<Model::PointSegment const*>(segment.get())) {
                a = b = point->position();
                opacity = point->opacity();
                width = 2.0 * point->radius();
            }
            QPen pen(QColor(0, 0, 0, std::clamp(int(255 * opacity), 0, 255)));
            pen.setWidthF(width);
            pen.setCapStyle(Qt::RoundCap);
            painter.setPen(pen);
            painter.drawLine(a, b);
        }
    }
}

// QPainter drawing a drawing's segments into a blank 8-bit image of size,
// scaled by scale: the floor a redraw of the drawing is measured against.
inline QImage paintDrawing(Model::StrokeDrawing const& drawing, QSize const& size, double scale)
{
    QImage image(size, QImage::Format_Alpha8);
    image.fill(Qt::transparent);
    QPainter painter(&image);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.scale(scale, scale);
    paintSegments(painter, *drawing.rootStroke());
    return image;
}

// Gives scene the frame size and adds layers stroke layers, L0, L1, ..., of
// frames original cells each, the drawing of cell (layer, frame) made by
// drawingAt(layer, frame); the frame range is all frames.
template <typename DrawingAt>
void addStrokeLayers(Model::Scene& scene, QSize const& frameSize, int layers, int frames,
                     DrawingAt&& drawingAt)
{
    scene.setFrameSize(frameSize, KW::FitMode::FitModeIgnore, nullptr);
    for (int l = 0; l < layers; ++l) {
        auto layer = std::make_shared<Model::StrokeLayer>(QColor::fromHsv(l * 100, 200, 160), frameSize, nullptr);
        layer->setName(QStringLiteral("L%1").arg(l));
        layer->frames().clear();
        for (int f = 0; f < frames; ++f) {
            std::shared_ptr<Model::Drawing> drawing = drawingAt(l, f);
            layer->frames().append(std::make_shared<Model::LayerItem>(Model::LayerItem::Original,
                                                                      QUuid::createUuid(), drawing));
        }
        scene.addLayer(layer, scene.numLayers());
    }
    scene.setFrameRange(1, frames, 1, 0);
}

} // namespace BenchRendering
