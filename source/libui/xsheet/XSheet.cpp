// The exposure sheet's spine: construction, the private data, model binding
// and the small operations the main window and the pane call.
#include "xsheet/XSheet.h"

#include "xsheet/XSheetFooter.h"
#include "xsheet/XSheetHeader.h"
#include "xsheet/XSheetCommands.h"
#include "xsheet/XSheetPrivate.h"

#include "common/Animations.h"
#include "common/IncomingConnections.h"
#include "drawings/ThumbnailMaker.h"
#include "models/FrameRangeModel.h"
#include "models/SceneModel.h"
#include "settings/Settings.h"

#include <QKeyEvent>
#include <QScrollBar>
#include <QSvgRenderer>

namespace UI {

namespace {

QSize viewBoxSize(QString const& file)
{
    QSvgRenderer renderer(file);
    return renderer.viewBoxF().size().toSize();
}

QSize scaled(QSizeF size, double factor)
{
    return QSize(qRound(size.width() * factor), qRound(size.height() * factor));
}

} // namespace

XSheet::XSheetPrivate::XSheetPrivate(XSheet* view)
    : q(view)
    , layerRefIcon(QStringLiteral(":/xsheet/X-LayerRef.svg"))
    , layerPaintIcon(QStringLiteral(":/xsheet/X-LayerPaint.svg"))
    , keySymbolIcon(QStringLiteral(":/xsheet/keySymbol.svg"))
    , backlightSymbolIcon(QStringLiteral(":/xsheet/backlightSymbol.svg"))
    , waveformIcon(QStringLiteral(":/xsheet/waveform.svg"))
    , chevronIcon(QStringLiteral(":/xsheet/chevron.svg"))
{
    applyTransparencyColors(KW::TransparencyType::TransparencyWhite);
    updateIcons();
    buildAnnotationColorTable();
    scrollAnimation = new QPropertyAnimation(q->verticalScrollBar(), "value", q);
    scrollAnimation->setEasingCurve(QEasingCurve::InOutCubic);
    scrollAnimation->setDuration(130);
}

XSheet::XSheetPrivate::~XSheetPrivate()
{
    QObject::disconnect(cursorConnection);
}

void XSheet::XSheetPrivate::applyTransparencyColors(KW::TransparencyType type)
{
    struct Colors
    {
        Qt::GlobalColor base;
        QColor tint;
    };
    static Colors const table[] = {
        {Qt::lightGray, QColor(160, 148, 136)}, {Qt::darkGray, QColor(128, 118, 108)},
        {Qt::lightGray, QColor(160, 148, 136)}, {Qt::darkGray, QColor(128, 118, 108)},
        {Qt::white, QColor(255, 236, 216)},     {Qt::lightGray, QColor(160, 148, 136)},
        {Qt::darkGray, QColor(128, 118, 108)},  {Qt::black, QColor(63, 58, 53)},
    };
    int const i = int(type);
    if (i < 0 || i > 7)
        return;
    transparencyType = type;
    baseColor = QColor(table[i].base);
    tint = table[i].tint;
    tint70 = tint;
    tint70.setAlphaF(0.69803923f);
    tint30 = tint;
    tint30.setAlphaF(0.3019608f);
}

void XSheet::XSheetPrivate::updateIcons()
{
    float const s = Model::Settings::instance()->UIScaleFraction();
    rowHeight = int(28 * s);
    shadowBandHeight = int(32 * s);
    topMargin = int(18 * s);
    bottomMargin = int(6 * s);
    layerRefIconSize = scaled(viewBoxSize(QStringLiteral(":/xsheet/X-LayerRef.svg")), s);
    layerPaintIconSize = scaled(viewBoxSize(QStringLiteral(":/xsheet/X-LayerPaint.svg")), s);
    chevronIconSize = scaled(viewBoxSize(QStringLiteral(":/xsheet/chevron.svg")), s);
    backlightIconSize = scaled(viewBoxSize(QStringLiteral(":/xsheet/backlightSymbol.svg")), s / 1.7);
    updateGradients();
    updateSymbolPaths();
}

// --- construction ------------------------------------------------------------

XSheet::XSheet(QWidget* parent)
    : QAbstractItemView(parent)
    , d(std::make_unique<XSheetPrivate>(this))
{
    setMouseTracking(true);
    d->slideMode = false;
    d->updateCursor(viewport()->mapFromGlobal(QCursor::pos()), true);

    d->header = new XSheetHeader(this);
    d->header->setProperty("X-Sheet Header", true);
    d->footer = new XSheetFooter(this);
    d->footer->setProperty("X-Sheet Footer", true);
    horizontalScrollBar()->setProperty("X-Sheet ScrollBar", true);
    verticalScrollBar()->setProperty("X-Sheet ScrollBar", true);
    verticalScrollBar()->installEventFilter(this);

    connect(d->header, &QHeaderView::sectionResized, this, &XSheet::columnResized);
    connect(d->footer, &QHeaderView::sectionMoved, this, &XSheet::columnMoved);
    connect(d->footer, &QHeaderView::sectionCountChanged, this, &XSheet::columnCountChanged);
    connect(d->header, &QHeaderView::geometriesChanged, this, &XSheet::updateGeometries);
    connect(d->footer, &XSheetFooter::rightClickedLayer, this, &XSheet::rightClickedLayer);
    connect(d->header, &XSheetHeader::rightClickedLayer, this, &XSheet::rightClickedLayer);
    connect(d->header, &XSheetHeader::doubleClickedLayer, this, &XSheet::onHeaderDoubleClickedLayer);
    connect(d->footer, &XSheetFooter::opacityClicked, this, &XSheet::onFooterOpacityClicked);
    connect(horizontalScrollBar(), &QScrollBar::valueChanged, this, [this](int value) {
        d->header->setOffset(value);
        d->footer->setOffset(value);
        d->placeGizmos();
        updateOpacitySliderPosition();
    });
    connect(&d->annotationStrokeEngine, &Model::StrokeEngine::rectChanged, this,
            &XSheet::onStrokeRectChanged);
    connect(this, &XSheet::frameHeightChanged, this, &XSheet::onCursorContextChanged,
            Qt::QueuedConnection);
    connect(Model::ThumbnailMaker::instance(), &Model::ThumbnailMaker::ready, viewport(),
            qOverload<>(&QWidget::update));

    setFrameShape(QFrame::NoFrame);
    setSizePolicy(QSizePolicy::Preferred, QSizePolicy::MinimumExpanding);
    updateViewport();
    verticalScrollBar()->setSingleStep(d->rowHeight);
    d->tabletTimer = new QTimer(this);
    d->tabletTimer->setSingleShot(true);
    d->tabletTimer->setInterval(500);
}

XSheet::~XSheet()
{
    // The views' destructors delete the header, footer and scroll bars, which
    // still emit while they go: none of it may reach this sheet's slots.
    IncomingConnections::cut(this);
    // The private data goes first: its stroke engine and animation refer to
    // the view's scroll bars and signals.
    d.reset();
}

XSheetHeader* XSheet::header() const
{
    return d->header;
}

XSheetFooter* XSheet::footer() const
{
    return d->footer;
}

// --- model binding -----------------------------------------------------------

void XSheet::setModel(Model::FrameRangeModel* m)
{
    for (QMetaObject::Connection const& connection : std::as_const(d->modelConnections))
        disconnect(connection);
    d->modelConnections.clear();
    d->cancelDrags();
    d->model = m;
    d->header->setModel(m);
    d->footer->setModel(m);
    QAbstractItemView::setModel(m);
    d->syncColumnOrder();
    updateFrameHeight();
    updateScrollBars();
    if (!m)
        return;
    d->modelConnections << connect(
        m, &QAbstractItemModel::headerDataChanged, this,
        [this](Qt::Orientation orientation, int first, int last) {
            if (orientation == Qt::Horizontal) {
                d->syncColumnOrder();
                updateScrollBars();
                updateGizmos();
                viewport()->update();
                return;
            }
            int const top = rowViewportPosition(first);
            int const bottom = rowViewportPosition(last) + rowHeight();
            viewport()->update(QRect(0, top, viewport()->width(), bottom - top + 1));
        });
    d->modelConnections << connect(
        m, &QAbstractItemModel::dataChanged, this,
        [this](QModelIndex const& topLeft, QModelIndex const&, QList<int> const& roles) {
            if (roles.contains(Qt::SizeHintRole)) {
                updateFrameHeight();
                updateGeometries();
                updateScrollBars();
                scrollTo(currentIndex(), EnsureVisible);
                viewport()->update();
            } else if (d->model && topLeft.data(Model::SceneModel::OriginalRole).toBool()) {
                updateCloneIndices(topLeft);
            } else {
                updateIndex(topLeft);
            }
        });
    d->modelConnections << connect(m, &QAbstractItemModel::layoutChanged, this, [this]() {
        updateScrollBars();
        viewport()->update();
    });
}

Model::FrameRangeModel* XSheet::frameRangeModel() const
{
    return d->model;
}

void XSheet::setSelectionModel(QItemSelectionModel* selectionModel)
{
    d->header->setSelectionModel(selectionModel);
    QAbstractItemView::setSelectionModel(selectionModel);
}

// --- state -------------------------------------------------------------------

bool XSheet::slideMode() const
{
    return d->slideMode;
}

bool XSheet::beyondButtonsShown() const
{
    return d->showBeyondButtons;
}

bool XSheet::scrollToCenterEnabled() const
{
    return d->scrollToCenter;
}

bool XSheet::verticalScrollAnimationEnabled() const
{
    return d->verticalScrollAnimationEnabled;
}

KW::TransparencyType XSheet::transparencyType() const
{
    return d->transparencyType;
}

KW::AnnotationPenType XSheet::annotationPenType() const
{
    return d->annotationPenType;
}

bool XSheet::audioOffsetLocked() const
{
    return d->audioOffsetLocked;
}

bool XSheet::isFrameDragRunning() const
{
    return d->frameDragRunning;
}

bool XSheet::isAudioDragRunning() const
{
    return d->audioDragRunning;
}

int XSheet::cursorKind() const
{
    return d->cursorKind;
}

int XSheet::opacityColumn() const
{
    return d->opacityColumn;
}

void XSheet::setSlideMode(bool slideMode)
{
    d->slideMode = slideMode;
    d->updateCursor(viewport()->mapFromGlobal(QCursor::pos()), false);
}

void XSheet::showBeyondButtons(bool show)
{
    if (show == d->showBeyondButtons)
        return;
    d->showBeyondButtons = show;
    updateGeometries();
    updateScrollBars();
    viewport()->update();
}

void XSheet::setTransparencyType(KW::TransparencyType transparencyType)
{
    if (transparencyType == d->transparencyType)
        return;
    d->applyTransparencyColors(transparencyType);
    viewport()->update();
}

void XSheet::setEnableVerticalScrollAnimation(bool enable)
{
    d->verticalScrollAnimationEnabled = enable;
}

void XSheet::setScrollToCenter(bool enable)
{
    d->scrollToCenter = enable;
    d->savedScrollToCenter = enable;
    if (enable)
        scrollTo(currentIndex(), EnsureVisible);
}

void XSheet::updateFrameHeight()
{
    if (!d->model)
        return;
    if (d->annotationStrokeEngine.hasActiveStroke())
        handleAnnotationRelease();
    int const height = d->model->headerData(0, Qt::Vertical, Qt::SizeHintRole).toSize().height();
    if (height > 0)
        d->rowHeight = height;
    emit frameHeightChanged(d->rowHeight);
    verticalScrollBar()->setSingleStep(d->rowHeight);
    d->updateGradients();
}

void XSheet::updateUISize()
{
    d->updateIcons();
    d->header->updateUISize();
    d->footer->updateUISize();
    d->updateGizmosUISize();
    updateViewport();
    updateFrameHeight();
    updateGeometries();
    updateScrollBars();
    updateOpacitySliderPosition();
    viewport()->update();
    updateGeometry();
}

void XSheet::changeLayerColor(int layer, QColor const& color)
{
    XSheetCommands::changeLayerColor(layer, color);
}

void XSheet::keyPressEvent(QKeyEvent* event)
{
    // Keys belong to the window.
    event->ignore();
}

bool XSheet::isIndexHidden(QModelIndex const&) const
{
    return false;
}

void XSheet::setSelection(QRect const&, QItemSelectionModel::SelectionFlags flags)
{
    // A rubber band selects nothing.
    if (selectionModel())
        selectionModel()->select(QModelIndex(), flags);
}

QRegion XSheet::visualRegionForSelection(QItemSelection const&) const
{
    return QRegion();
}

QModelIndex XSheet::moveCursor(CursorAction, Qt::KeyboardModifiers)
{
    return currentIndex();
}

int XSheet::horizontalOffset() const
{
    return d->header->offset();
}

int XSheet::verticalOffset() const
{
    return verticalScrollBar()->value();
}

void XSheet::onHeaderDoubleClickedLayer(int layer, QRect rect)
{
    scrollToColumn(layer, EnsureVisible);
    QRect moved = rect;
    moved.moveTopLeft(d->header->mapToGlobal(QPoint(d->header->sectionViewportPosition(layer), rect.top())));
    emit doubleClickedLayer(layer, moved);
}

void XSheet::onFooterOpacityClicked(int layer)
{
    scrollToColumn(layer, EnsureVisible);
    d->opacityColumn = layer;
    updateOpacitySliderPosition();
    emit opacityClicked(layer);
}

void XSheet::onStrokeRectChanged(QRect rect)
{
    viewport()->update(d->annotationTransform.inverted().mapRect(rect));
}

void XSheet::onCursorContextChanged()
{
    d->updateCursor(viewport()->mapFromGlobal(QCursor::pos()), true);
}

void XSheet::onAudioOffsetLockedChanged(bool locked)
{
    d->audioOffsetLocked = locked;
    d->updateCursor(viewport()->mapFromGlobal(QCursor::pos()), false);
}

void XSheet::onAnnotationPenTypeChanged(KW::AnnotationPenType penType)
{
    d->annotationPenType = penType;
    d->updateCursor(viewport()->mapFromGlobal(QCursor::pos()), false);
}

} // namespace UI
