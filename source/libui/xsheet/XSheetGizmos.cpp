// The gizmos that float under the exposure sheet's header: a colour gizmo on
// each stroke column within reach of the sheet, and one audio and one
// annotation gizmo, made when a column first needs them.
#include "xsheet/XSheet.h"

#include "xsheet/AnnotationGizmo.h"
#include "xsheet/AudioGizmo.h"
#include "xsheet/ColorGizmo.h"
#include "xsheet/XSheetHeader.h"
#include "xsheet/XSheetPrivate.h"

#include "models/FrameRangeModel.h"
#include "models/SceneModel.h"
#include "scene/Layer.h"
#include "settings/Settings.h"

#include <QSignalBlocker>

#include <cmath>

namespace UI {

using Roles = Model::SceneModel::Roles;
using Model::Layer;

namespace {

int layerType(Model::FrameRangeModel const* model, int column)
{
    return model->headerData(column, Qt::Horizontal, Roles::LayerTypeRole).toInt();
}

} // namespace

void XSheet::updateGizmos()
{
    // The columns may have changed: which of them carry the audio and the
    // annotation gizmo is looked up again.
    d->gizmoColumnsKnown = false;
    d->placeGizmos();
}

void XSheet::XSheetPrivate::placeGizmos()
{
    // The reach first: it may run the header's pending layout, which can
    // come back here.
    auto const [first, last] = visualColumnsInReach();
    int const count = model ? model->columnCount() : 0;
    if (!gizmoColumnsKnown || !gizmoColumnsValid(count))
        findGizmoColumns(count);

    auto const isStroke = [&](int column) {
        return column >= 0 && column < count && layerType(model, column) == Layer::StrokeLayerType;
    };
    auto const place = [&](ColorGizmo* gizmo, int column) {
        gizmo->setLayerIdx(column);
        {
            QSignalBlocker const blocker(gizmo);
            gizmo->setColor(model->headerData(column, Qt::Horizontal, Roles::LayerColorRole).value<QColor>());
        }
        gizmo->setTopCenter(gizmoAnchor(column));
        gizmo->show();
    };

    QHash<int, ColorGizmo*> placed;
    for (int visual = first; visual <= last; ++visual) {
        int const column = header->logicalIndex(visual);
        if (!isStroke(column))
            continue;
        ColorGizmo* gizmo = colorGizmos.take(column);
        if (!gizmo)
            gizmo = takeSpareColorGizmo();
        place(gizmo, column);
        placed.insert(column, gizmo);
    }
    // The rest are out of reach now, or their column is gone or no stroke
    // layer any more. One that is open, folding or focused stays with its
    // column until it has folded, as it would if every column had its own.
    for (auto it = colorGizmos.cbegin(); it != colorGizmos.cend(); ++it) {
        ColorGizmo* const gizmo = it.value();
        bool const busy = gizmo->state() != 0 || gizmo->hasFocus();
        if (busy && isStroke(it.key())) {
            place(gizmo, it.key());
            placed.insert(it.key(), gizmo);
        } else {
            releaseColorGizmo(gizmo);
        }
    }
    colorGizmos = std::move(placed);

    if (audioGizmoColumn >= 0) {
        if (!audioGizmo) {
            audioGizmo = new AudioGizmo(q);
            QObject::connect(audioGizmo, &AudioGizmo::audioOffsetLockedChanged, q,
                             &XSheet::onAudioOffsetLockedChanged);
        }
        bool const available = model->isAudioAvailable();
        {
            QSignalBlocker const blocker(audioGizmo);
            audioGizmo->setAudioOffsetLocked(audioOffsetLocked);
            audioGizmo->setEnabled(available);
        }
        audioGizmo->setTopCenter(gizmoAnchor(audioGizmoColumn));
        audioGizmo->setVisible(available);
    }
    if (annotationGizmoColumn >= 0) {
        if (!annotationGizmo) {
            annotationGizmo = new AnnotationGizmo(q);
            QObject::connect(annotationGizmo, &AnnotationGizmo::penTypeChanged, q,
                             &XSheet::onAnnotationPenTypeChanged);
        }
        {
            QSignalBlocker const blocker(annotationGizmo);
            annotationGizmo->setPenType(annotationPenType);
        }
        annotationGizmo->setTopCenter(gizmoAnchor(annotationGizmoColumn));
        annotationGizmo->show();
    }
}

void XSheet::XSheetPrivate::findGizmoColumns(int count)
{
    // The last of each kind, should a scene have more than one.
    audioGizmoColumn = -1;
    annotationGizmoColumn = -1;
    for (int column = 0; column < count; ++column) {
        int const type = layerType(model, column);
        if (type == Layer::AudioLayerType)
            audioGizmoColumn = column;
        else if (type == Layer::AnnotationLayerType)
            annotationGizmoColumn = column;
    }
    gizmoColumnsKnown = true;
}

bool XSheet::XSheetPrivate::gizmoColumnsValid(int count) const
{
    // A scroll that comes before the sheet has heard of changed columns
    // finds out here.
    auto const holds = [&](int column, int type) {
        return column < 0 || (column < count && layerType(model, column) == type);
    };
    return holds(audioGizmoColumn, Layer::AudioLayerType)
           && holds(annotationGizmoColumn, Layer::AnnotationLayerType);
}

std::pair<int, int> XSheet::XSheetPrivate::visualColumnsInReach() const
{
    // A gizmo stands centred on its column and its shadow is at most this
    // wide: a column further than that outside the sheet shows nothing of its
    // gizmo.
    int const reach = int(std::ceil(42 * std::max(1.0f, Model::Settings::instance()->UIScaleFraction())));
    bool const reversed = q->isRightToLeft();
    int first = header->visualIndexAt(reversed ? q->width() + reach : -reach);
    int last = header->visualIndexAt(reversed ? -reach : q->width() + reach);
    // Beyond the ends of the columns there is no index: the first or last.
    int const sections = header->count();
    if (first < 0)
        first = 0;
    if (last < 0)
        last = sections - 1;
    return {first, last};
}

QPoint XSheet::XSheetPrivate::gizmoAnchor(int column) const
{
    return QPoint(header->sectionViewportPosition(column) + header->sectionSize(column) / 2, header->height());
}

ColorGizmo* XSheet::XSheetPrivate::takeSpareColorGizmo()
{
    if (!spareColorGizmos.isEmpty())
        return spareColorGizmos.takeLast();
    auto* const gizmo = new ColorGizmo(q);
    QObject::connect(gizmo, &ColorGizmo::colorChanged, q, &XSheet::changeLayerColor);
    return gizmo;
}

void XSheet::XSheetPrivate::releaseColorGizmo(ColorGizmo* gizmo)
{
    gizmo->hide();
    // Hidden, an open gizmo loses the focus and folds: rather than come back
    // half folded on another column, it goes.
    if (gizmo->state() == 0) {
        spareColorGizmos.append(gizmo);
        return;
    }
    QObject::disconnect(gizmo, nullptr, q, nullptr);
    gizmo->deleteLater();
}

void XSheet::XSheetPrivate::updateGizmosUISize()
{
    for (ColorGizmo* gizmo : std::as_const(colorGizmos))
        gizmo->updateUISize();
    for (ColorGizmo* gizmo : std::as_const(spareColorGizmos))
        gizmo->updateUISize();
    if (annotationGizmo)
        annotationGizmo->updateUISize();
    if (audioGizmo)
        audioGizmo->updateUISize();
}

} // namespace UI
