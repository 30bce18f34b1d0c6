// The canvas object itself: construction, the scene it shows, its size and
// the widget along its top edge.
#include "canvas/PaperPrivate.h"

#include "scene/KWScene.h"
#include "scene/Scene.h"
#include "settings/Settings.h"
#include "strokes/SingleStroke.h"
#include "tools/ToolManager.h"

#include <QPolygon>
#include <QRegion>
#include <QResizeEvent>
#include <QSvgRenderer>

namespace UI {

Paper::PaperPrivate::PaperPrivate(Paper* paper)
    : q(paper)
{
}

Paper::PaperPrivate::~PaperPrivate() = default;

Paper::Paper(QWidget* parent)
    : QWidget(parent)
    , d(std::make_unique<PaperPrivate>(this))
{
    d->toolType = Model::ToolManager::instance()->currentToolType();
    d->loadArtwork();
    d->rebuildTransparencyBrush();
    d->shadowHeight = int(Model::Settings::instance()->UIScaleFraction() * 32.0f);
    d->layoutTopWidget();

    setAutoFillBackground(false);
    setAttribute(Qt::WA_OpaquePaintEvent);
    setFocusPolicy(Qt::NoFocus);
    setAttribute(Qt::WA_TabletTracking);
    setAttribute(Qt::WA_MouseTracking);
    grabGesture(Qt::PanGesture);
    grabGesture(Qt::PinchGesture);

    connect(Model::ToolManager::instance(), &Model::ToolManager::currentToolTypeChanged, this,
            &Paper::setCurrentToolType);
    // The tools size their cursors in logical pixels.
    connect(this, &Paper::zoomLevelChanged, this, [this](double level) {
        Model::ToolManager::instance()->setZoomLevel(level / d->devicePixelRatio);
    });
    d->autoScrollTimer.setInterval(10);
    connect(&d->autoScrollTimer, &QTimer::timeout, this, &Paper::autoScrollView);
}

Paper::~Paper() = default;

bool Paper::isDevicePressed() const
{
    return d->anyPressed();
}

QSize Paper::sizeHint() const
{
    if (!d->scene)
        return QSize(100, 100);
    return d->framesOnWidget().toAlignedRect().size();
}

void Paper::setCurrentScene(Model::KWScene* kwscene)
{
    if (d->kwscene) {
        disconnect(d->kwscene, nullptr, this, nullptr);
        disconnect(this, nullptr, d->kwscene, nullptr);
    }
    if (d->scene) {
        disconnect(d->scene, nullptr, this, nullptr);
        disconnect(this, nullptr, d->scene, nullptr);
    }
    // A selection scrolling the old scene's view must not move the new one.
    d->autoScrollTimer.stop();
    d->kwscene = kwscene;
    d->setMirror(false);
    d->resetTransforms();

    d->scene = kwscene ? kwscene->scene() : nullptr;
    if (!d->scene)
        d->frameRect = QRectF();
    if (kwscene) {
        d->selection = kwscene->floatingSelectionTransform();
        connect(kwscene, &Model::KWScene::floatingSelectionChanged, this,
                &Paper::newFloatingSelection);
        connect(kwscene, &Model::KWScene::floatingSelectionTransformChanged, this,
                &Paper::setFloatingSelectionTransform);
    }
    if (d->scene) {
        Model::Scene* scene = d->scene;
        d->frameRect = QRectF(QPointF(0, 0), QSizeF(scene->frameSize()));
        connect(scene, &Model::Scene::activeFrameAndLayerChanged, this, [this](int frame, int) {
            d->offPegs = d->scene->offPegsTransform(frame, nullptr);
            d->compose();
            update();
        });
        connect(scene, &Model::Scene::scrubFrameChanged, this, [this](int, int) {
            d->offPegs = QTransform();
            d->compose();
            update();
        });
        connect(scene, &Model::Scene::rectChanged, this, [this](QRect rect) {
            // One paper pixel more on every side: smoothed scaling spreads a
            // changed pixel onto its neighbours on the screen.
            const QPolygon polygon =
                d->full.inverted().mapToPolygon(rect.adjusted(-1, -1, 1, 1));
            update(QRegion(polygon, Qt::OddEvenFill));
            if (d->toolType == Model::Tool::FloatingSelection)
                updateFloatingSelectionBB();
        });
        connect(scene, &Model::Scene::offPegsTransformChanged, this, &Paper::setOffPegsTransform);
        connect(scene, &Model::Scene::frameSizeChanged, this, &Paper::updateFrameSize);
        d->offPegs = scene->offPegsTransform(scene->activeFrame(), nullptr);
        d->compose();
    }
    d->rebuildGridPaths();

    const QPointF target = d->frameRect.center();
    const QPointF anchor = isVisible() ? d->viewCenter : QPointF(0, 0);
    d->viewBase = d->viewBase * QTransform::fromTranslate(
                                    d->viewBase.map(target).x() - d->viewBase.map(anchor).x(),
                                    d->viewBase.map(target).y() - d->viewBase.map(anchor).y());
    d->compose();
    d->decompose();

    d->emitZoomLevelChanged(d->scale);
    emit zoomLevelToFitChanged(d->fit(0.0));
    update();
}

void Paper::resizeEvent(QResizeEvent* event)
{
    QWidget::resizeEvent(event);
    d->viewRect = QRect(0, 0, width(), height());
    if (d->topWidget) {
        d->topWidget->resize(width(), d->topWidget->height());
        d->layoutTopWidget();
    }
    const QPointF newCenter((d->viewRect.left() + d->viewRect.right()) / 2,
                            (d->viewRect.top() + d->viewRect.bottom()) / 2);
    const QPointF shift = d->viewBase.map(d->viewCenter) - d->viewBase.map(newCenter);
    d->viewBase = d->viewBase * QTransform::fromTranslate(shift.x(), shift.y());
    d->compose();
    d->decompose();

    // The desk and the paper's pattern keep their place relative to the
    // paper.
    const QPointF moved = newCenter - d->viewCenter;
    QTransform brushTransform = d->linenBrush.transform();
    brushTransform.translate(moved.x(), moved.y());
    d->linenBrush.setTransform(brushTransform);
    d->transparencyBrush.setTransform(brushTransform);

    d->viewCenter = newCenter;
    d->layoutCenterOverlays();
    d->rebuildMirrorTransform();
    emit zoomLevelToFitChanged(d->fit(0.0));
}

void Paper::PaperPrivate::layoutTopWidget()
{
    shadowGradient = QLinearGradient();
    shadowGradient.setColorAt(0.0, QColor(0, 0, 0, 67));
    shadowGradient.setColorAt(0.5, QColor(0, 0, 0, 15));
    shadowGradient.setColorAt(1.0, QColor(0, 0, 0, 0));
    if (!topWidget)
        return;
    const int top = topWidget->height();
    viewRect.setTop(top);
    shadowRect = QRectF(0, top, q->width(), shadowHeight);
    shadowGradient.setStart(0, top);
    shadowGradient.setFinalStop(0, top + shadowHeight);
}

void Paper::setTopWidget(QWidget* widget)
{
    if (widget != d->topWidget) {
        if (d->topWidget)
            d->topWidget->hide();
        d->topWidget = widget;
        if (widget && widget->parentWidget() != this)
            widget->setParent(this);
    }
    d->viewRect = QRect(0, 0, width(), height());
    if (!widget) {
        setMinimumWidth(0);
        return;
    }
    widget->setGeometry(0, 0, width(), widget->height());
    widget->show();
    d->layoutTopWidget();
    setMinimumWidth(widget->minimumWidth());
}

void Paper::updateUISize()
{
    d->shadowHeight = int(Model::Settings::instance()->UIScaleFraction() * 32.0f);
    d->layoutTopWidget();
    if (d->topWidget)
        setMinimumWidth(d->topWidget->minimumWidth());
    update();
    updateGeometry();
}

void Paper::setMinMaxScrubOffset(int minOffset, int maxOffset)
{
    d->scrub.setBounds(minOffset, maxOffset);
}

void Paper::returnFlip_Menu()
{
}

} // namespace UI
