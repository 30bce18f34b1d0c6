// The gizmos that float under the exposure sheet's header: one colour gizmo
// per column (shown on stroke layers), and one audio and one annotation
// gizmo, made when a column first needs them.
#include "xsheet/XSheet.h"

#include "xsheet/AnnotationGizmo.h"
#include "xsheet/AudioGizmo.h"
#include "xsheet/ColorGizmo.h"
#include "xsheet/XSheetHeader.h"
#include "xsheet/XSheetPrivate.h"

#include "models/FrameRangeModel.h"
#include "models/SceneModel.h"

#include <QSignalBlocker>

namespace UI {

using Roles = Model::SceneModel::Roles;

void XSheet::updateGizmos()
{
    int const count = d->model ? d->model->columnCount() : 0;
    while (d->colorGizmos.size() < count) {
        auto* const gizmo = new ColorGizmo(this);
        connect(gizmo, &ColorGizmo::colorChanged, this, &XSheet::changeLayerColor);
        d->colorGizmos.append(gizmo);
    }
    while (d->colorGizmos.size() > count) {
        ColorGizmo* const gizmo = d->colorGizmos.takeLast();
        disconnect(gizmo, nullptr, this, nullptr);
        gizmo->hide();
        gizmo->deleteLater();
    }
    for (int column = 0; column < count; ++column) {
        ColorGizmo* const colorGizmo = d->colorGizmos.at(column);
        colorGizmo->setLayerIdx(column);
        QPoint const anchor(d->header->sectionViewportPosition(column) + d->header->sectionSize(column) / 2,
                            d->header->height());
        switch (d->model->headerData(column, Qt::Horizontal, Roles::LayerTypeRole).toInt()) {
        case 1: {
            QSignalBlocker const blocker(colorGizmo);
            colorGizmo->setColor(d->model->headerData(column, Qt::Horizontal, Roles::LayerColorRole).value<QColor>());
            colorGizmo->setTopCenter(anchor);
            colorGizmo->show();
            break;
        }
        case 4: {
            if (!d->audioGizmo) {
                d->audioGizmo = new AudioGizmo(this);
                connect(d->audioGizmo, &AudioGizmo::audioOffsetLockedChanged, this,
                        &XSheet::onAudioOffsetLockedChanged);
            }
            bool const available = d->model->isAudioAvailable();
            {
                QSignalBlocker const blocker(d->audioGizmo);
                d->audioGizmo->setAudioOffsetLocked(d->audioOffsetLocked);
                d->audioGizmo->setEnabled(available);
            }
            d->audioGizmo->setTopCenter(anchor);
            d->audioGizmo->setVisible(available);
            colorGizmo->hide();
            break;
        }
        case 5: {
            if (!d->annotationGizmo) {
                d->annotationGizmo = new AnnotationGizmo(this);
                connect(d->annotationGizmo, &AnnotationGizmo::penTypeChanged, this,
                        &XSheet::onAnnotationPenTypeChanged);
            }
            {
                QSignalBlocker const blocker(d->annotationGizmo);
                d->annotationGizmo->setPenType(d->annotationPenType);
            }
            d->annotationGizmo->setTopCenter(anchor);
            d->annotationGizmo->show();
            colorGizmo->hide();
            break;
        }
        default:
            colorGizmo->hide();
            break;
        }
    }
}

void XSheet::XSheetPrivate::updateGizmosUISize()
{
    for (ColorGizmo* gizmo : std::as_const(colorGizmos))
        gizmo->updateUISize();
    if (annotationGizmo)
        annotationGizmo->updateUISize();
    if (audioGizmo)
        audioGizmo->updateUISize();
}

} // namespace UI
