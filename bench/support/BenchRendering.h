#pragma once

// What the benchmarks that draw strokes share: starting the renderer, and the
// strokes of generated drawings.
#include "rendering/OffscreenRenderer.h"
#include "strokes/Blending.h"
#include "strokes/SingleStroke.h"

#include <QGuiApplication>
#include <QPointF>
#include <QSize>

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

} // namespace BenchRendering
