#pragma once

// A canvas shown on screen over a scene of one stroke layer whose frames
// each hold one solid block, the pointer parked off the canvas so that zoom
// steps anchor at the view centre.

#include "canvas/Paper.h"
#include "drawings/StrokeDrawing.h"
#include "scene/KWScene.h"
#include "scene/Scene.h"
#include "scene/StrokeLayer.h"
#include "strokes/BitmapStroke.h"

#include <QCursor>
#include <QImage>
#include <QTest>

#include <memory>

namespace PaperFixture {

inline std::unique_ptr<Model::BitmapStroke> block(const QRect& rect)
{
    QImage coverage(rect.size(), QImage::Format_Alpha8);
    coverage.fill(QColor(0, 0, 0, 255));
    return std::make_unique<Model::BitmapStroke>(coverage, rect);
}

// Widget pixels differ by at most `tolerance` in every channel.
inline bool near(QRgb a, QRgb b, int tolerance = 3)
{
    return std::abs(qRed(a) - qRed(b)) <= tolerance && std::abs(qGreen(a) - qGreen(b)) <= tolerance
           && std::abs(qBlue(a) - qBlue(b)) <= tolerance;
}

inline void parkPointer()
{
    QCursor::setPos(5000, 5000);
}

struct Canvas
{
    // blocks: one rectangle per frame, in frame pixels; an empty rect leaves
    // the frame blank.
    explicit Canvas(QSize frameSize = QSize(400, 300), QList<QRect> blocks = {QRect()},
                    QColor color = QColor(0, 0, 0), QSize widgetSize = QSize(800, 600))
    {
        Model::Scene* s = kwscene.scene();
        s->setFrameSize(frameSize, KW::FitMode::FitModeKeepAspect, nullptr);
        layer = std::make_shared<Model::StrokeLayer>(color, frameSize, nullptr);
        for (int frame = 2; frame <= blocks.size(); ++frame)
            layer->insertBlankFrameAfter(frame - 1);
        for (int frame = 1; frame <= blocks.size(); ++frame)
            if (!blocks.at(frame - 1).isEmpty())
                layer->appendStroke(frame, block(blocks.at(frame - 1)));
        s->addLayer(layer, 0);
        s->setFrameRange(1, int(blocks.size()), 1, 0);
        s->updateCachedFramePixmap(true);
        Model::KWScene::setCurrentKWScene(&kwscene);
        paper.resize(widgetSize);
        paper.move(0, 0);
        paper.show();
        QVERIFY(QTest::qWaitForWindowExposed(&paper));
        parkPointer();
        paper.setCurrentScene(&kwscene);
    }

    ~Canvas() { Model::KWScene::setCurrentKWScene(nullptr); }

    Model::Scene* scene() { return kwscene.scene(); }
    // Where a paper point shows on the widget (pegged paper).
    QPointF onWidget(const QPointF& paperPoint) const
    {
        return paper.viewTransform().inverted().map(paperPoint);
    }
    QPointF underCenter() const
    {
        return paper.viewTransform().map(QPointF((paper.width() - 1) / 2, (paper.height() - 1) / 2));
    }

    Model::KWScene kwscene;
    std::shared_ptr<Model::StrokeLayer> layer;
    UI::Paper paper;
};

} // namespace PaperFixture
