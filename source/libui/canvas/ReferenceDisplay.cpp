#include "canvas/ReferenceDisplay.h"

#include "scene/KWScene.h"
#include "scene/Scene.h"
#include "settings/TransparencyColor.h"

#include <QCloseEvent>
#include <QGuiApplication>
#include <QPainter>
#include <QPainterPath>
#include <QScreen>
#include <QShortcut>
#include <QTimer>
#include <QWindow>

#include <cmath>

namespace UI {

namespace {

int s_hideDelay = 575;

} // namespace

struct ReferenceDisplay::ReferenceDisplayPrivate
{
    explicit ReferenceDisplayPrivate(ReferenceDisplay* q)
        : q(q)
    {
    }

    // The frame centred in the window, filling it in one direction.
    void updateTransform()
    {
        QSizeF const fitted = frameRect.size().scaled(QSizeF(windowSize), Qt::KeepAspectRatio);
        scale = fitted.width() > 0 ? frameRect.width() / fitted.width() : 1.0;
        QPointF const c(windowSize.width() / 2.0, windowSize.height() / 2.0);
        fit = QTransform::fromTranslate(-c.x(), -c.y()) * QTransform::fromScale(scale, scale)
              * QTransform::fromTranslate(c.x(), c.y());
        QPointF const shift = frameRect.center() - c;
        fit = fit * QTransform::fromTranslate(shift.x(), shift.y());
    }

    void placeOnScreen(QScreen* screen)
    {
        if (!screen)
            return;
        QRect const available = screen->availableGeometry();
        // Before a scene is bound there is no frame to size the window by;
        // a window of no size would never appear.
        QSize const frame = frameRect.isEmpty() ? QSize(640, 360) : frameRect.size().toSize();
        QSize const size = openingSize(frame, available.size(), screen->devicePixelRatio());
        QRect geometry(QPoint(), size);
        geometry.moveCenter(available.center());
        q->setGeometry(geometry);
    }

    void repaintFrameRect(QRect const& rect)
    {
        q->update(QRegion(fit.inverted().map(QPolygonF(QRectF(rect))).toPolygon()));
    }

    ReferenceDisplay* q;
    QMetaObject::Connection screenConnection;
    QShortcut* fullScreenShortcut = nullptr;
    Model::KWScene* bundle = nullptr;
    Model::Scene* scene = nullptr;
    QList<QMetaObject::Connection> sceneConnections;
    QRectF frameRect;
    QSize windowSize{-1, -1};
    KW::TransparencyType transparencyType = KW::TransparencyType::TransparencyWhite;
    double smoothLimit = 0.5;
    double scale = 1.0;
    bool hidingFromFullScreen = false;
    QByteArray savedGeometry;
    QTransform fit;
};

ReferenceDisplay::ReferenceDisplay(QWidget* parent)
    : QWidget(parent, Qt::Window | Qt::WindowTitleHint | Qt::WindowMaximizeButtonHint
                          | Qt::CustomizeWindowHint | Qt::WindowCloseButtonHint
                          | Qt::WindowFullscreenButtonHint)
    , d(std::make_unique<ReferenceDisplayPrivate>(this))
{
    setFocusPolicy(Qt::NoFocus);
    setAttribute(Qt::WA_ShowWithoutActivating);
    d->fullScreenShortcut = new QShortcut(QKeySequence::FullScreen, this);
    d->fullScreenShortcut->setContext(Qt::WindowShortcut);
    connect(d->fullScreenShortcut, &QShortcut::activated, this,
            &ReferenceDisplay::toggleFullScreen);
    if (parent)
        installEventFilter(parent);
}

ReferenceDisplay::~ReferenceDisplay()
{
    for (QMetaObject::Connection const& connection : std::as_const(d->sceneConnections))
        disconnect(connection);
}

QByteArray ReferenceDisplay::savedGeometry() const
{
    return isVisible() ? saveGeometry() : d->savedGeometry;
}

void ReferenceDisplay::setSavedGeometry(QByteArray const& geometry)
{
    d->savedGeometry = geometry;
}

QSize ReferenceDisplay::openingSize(QSize const& frameSize, QSizeF const& available,
                                    qreal devicePixelRatio)
{
    QSizeF size = QSizeF(frameSize) / devicePixelRatio;
    auto const exceeds = [](qreal value, qreal limit) {
        return value > limit && !qFuzzyCompare(value, limit);
    };
    while ((exceeds(size.width(), available.width()) || exceeds(size.height(), available.height()))
           && size.width() >= 1.0 && size.height() >= 1.0)
        size /= 2.0;
    return QSize(int(std::lround(size.width())), int(std::lround(size.height())));
}

int ReferenceDisplay::hideDelay()
{
    return s_hideDelay;
}

void ReferenceDisplay::setHideDelay(int ms)
{
    s_hideDelay = ms;
}

void ReferenceDisplay::setCurrentScene(Model::KWScene* bundle)
{
    for (QMetaObject::Connection const& connection : std::as_const(d->sceneConnections))
        disconnect(connection);
    d->sceneConnections.clear();

    d->bundle = bundle;
    d->scene = bundle ? bundle->scene() : nullptr;
    if (!d->scene) {
        d->frameRect = QRectF();
        update();
        return;
    }
    d->frameRect = QRectF(QPointF(), QSizeF(d->scene->frameSize()));
    d->updateTransform();
    auto const repaintAll = [this] { update(); };
    d->sceneConnections
        << connect(d->scene, &Model::Scene::activeFrameAndLayerChanged, this, repaintAll)
        << connect(d->scene, &Model::Scene::scrubFrameChanged, this, repaintAll)
        << connect(d->scene, &Model::Scene::rectChanged, this,
                   [this](QRect rect) { d->repaintFrameRect(rect); })
        << connect(d->scene, &Model::Scene::frameSizeChanged, this, [this](QSize size) {
               d->frameRect = QRectF(QPointF(), QSizeF(size));
               d->updateTransform();
               update();
           })
        << connect(bundle, &QObject::destroyed, this, [this] { setCurrentScene(nullptr); });
    update();
}

void ReferenceDisplay::setVisibility(bool visible)
{
    if (!visible && isVisible() && windowState().testFlag(Qt::WindowFullScreen)) {
        d->savedGeometry = saveGeometry();
        showNormal();
        d->hidingFromFullScreen = true;
        QTimer::singleShot(s_hideDelay, this, [this] {
            if (d->hidingFromFullScreen)
                hide();
        });
        return;
    }
    setVisible(visible);
}

void ReferenceDisplay::setTransparencyType(KW::TransparencyType type)
{
    if (type == d->transparencyType)
        return;
    d->transparencyType = type;
    update();
}

void ReferenceDisplay::toggleFullScreen()
{
    setWindowState(windowState() ^ Qt::WindowFullScreen);
}

void ReferenceDisplay::paintEvent(QPaintEvent* event)
{
    QPainter painter(this);
    if (!d->scene) {
        painter.fillRect(event->rect(), Qt::white);
        return;
    }
    QTransform const toWindow = d->fit.inverted();
    QPolygonF const area = toWindow.map(QPolygonF(d->frameRect));
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setRenderHint(QPainter::SmoothPixmapTransform, d->scale > d->smoothLimit);

    QPainterPath frameArea;
    frameArea.addPolygon(area);
    frameArea.closeSubpath();
    painter.fillPath(frameArea, d->scene->isVirtualLastFrame()
                                    ? QColor(221, 216, 213)
                                    : Model::transparencyColor(d->transparencyType));

    painter.save();
    painter.setTransform(toWindow);
    QRect const exposed = d->fit.mapRect(QRectF(event->rect())).toAlignedRect().adjusted(-1, -1, 1, 1);
    d->scene->drawOnlyCurrentFrame(&painter, exposed);
    painter.restore();

    QPainterPath outside;
    outside.addRect(QRectF(event->rect()));
    painter.setRenderHint(QPainter::Antialiasing, false);
    painter.fillPath(outside.subtracted(frameArea),
                     d->transparencyType == KW::TransparencyType::TransparencyBlack
                         ? QColor(Qt::darkGray)
                         : QColor(Qt::black));
}

void ReferenceDisplay::resizeEvent(QResizeEvent* event)
{
    QWidget::resizeEvent(event);
    d->windowSize = size();
    d->updateTransform();
    QString suffix;
    if (d->scene) {
        long const percent = std::lround(devicePixelRatioF() * 100.0 / d->scale);
        suffix = QStringLiteral("%1%").arg(percent);
    }
    QString const title = tr("Reference Display %1").arg(suffix);
    if (title != windowTitle())
        setWindowTitle(title);
    update();
}

void ReferenceDisplay::showEvent(QShowEvent* event)
{
    QWidget::showEvent(event);
    if (!d->savedGeometry.isEmpty()) {
        restoreGeometry(d->savedGeometry);
    } else {
        QScreen* own = windowHandle() ? windowHandle()->screen() : QGuiApplication::primaryScreen();
        QList<QScreen*> const screens = QGuiApplication::screens();
        QScreen* other = nullptr;
        for (QScreen* screen : screens) {
            if (screen != own) {
                other = screen;
                break;
            }
        }
        if (!other) {
            d->placeOnScreen(own);
        } else {
            if (windowHandle())
                windowHandle()->setScreen(other);
            d->placeOnScreen(other);
            showFullScreen();
        }
    }
    if (!d->screenConnection && windowHandle()) {
        d->smoothLimit = devicePixelRatioF() * 0.5;
        d->screenConnection = connect(windowHandle(), &QWindow::screenChanged, this,
                                      [this](QScreen* screen) {
                                          if (screen)
                                              d->smoothLimit = screen->devicePixelRatio() * 0.5;
                                      });
    }
}

void ReferenceDisplay::hideEvent(QHideEvent* event)
{
    QWidget::hideEvent(event);
    if (d->hidingFromFullScreen)
        d->hidingFromFullScreen = false;
    else
        d->savedGeometry = saveGeometry();
    emit hidden();
}

void ReferenceDisplay::closeEvent(QCloseEvent* event)
{
    event->ignore();
    setVisibility(false);
}

void ReferenceDisplay::keyPressEvent(QKeyEvent* event)
{
    emit keyPressed(event);
}

void ReferenceDisplay::keyReleaseEvent(QKeyEvent* event)
{
    emit keyReleased(event);
}

void ReferenceDisplay::mouseDoubleClickEvent(QMouseEvent* /*event*/)
{
    toggleFullScreen();
}

} // namespace UI
