#include "strokes/FloatingSelection.h"

#include "settings/Settings.h"
#include "strokes/CompoundStroke.h"

#include <QColor>
#include <QCoreApplication>
#include <QList>
#include <QProgressDialog>
#include <QWidget>

#include <utility>

namespace Model {

class FloatingSelection::FloatingSelectionPrivate
{
public:
    std::unique_ptr<Stroke> stroke;
    // The last collapsed stamp, valid for the present scaling and rotation.
    std::unique_ptr<CompoundStroke> stampCache;
    Transform transform;
    QImage indexedImage;
    double opacity = 1.0;
    bool collapseOnUse = false;
};

FloatingSelection::FloatingSelection(std::unique_ptr<Stroke> stroke, QImage const& indexedImage,
                                     double opacity)
    : d(std::make_unique<FloatingSelectionPrivate>())
{
    d->stroke = std::move(stroke);
    d->indexedImage = indexedImage;
    d->opacity = opacity;
    if (d->stroke)
        d->transform.centre = QPointF(d->stroke->boundingRect().center());
}

FloatingSelection::~FloatingSelection() = default;

QRect FloatingSelection::boundingRect() const
{
    return d->stroke ? d->stroke->boundingRect() : QRect();
}

FloatingSelection::Transform FloatingSelection::transform() const
{
    return d->transform;
}

void FloatingSelection::setTransform(Transform const& transform)
{
    if (d->stampCache) {
        Transform const& old = d->transform;
        if (transform.first == old.first && transform.second == old.second) {
            // Only the position moved: the collapsed bitmap moves with it,
            // which is what collapsing again would give.
            d->stampCache->setTransform(d->stampCache->transform() * old.composite()
                                        * transform.composite().inverted());
        } else {
            d->stampCache.reset();
        }
    }
    d->transform = transform;
}

void FloatingSelection::fitToFrame(QTransform const& fit)
{
    if (fit.isIdentity() || !fit.isInvertible())
        return;
    if (d->stroke) {
        if (d->stroke->type() != 1) {
            auto compound = std::make_unique<CompoundStroke>();
            compound->appendStroke(std::move(d->stroke));
            d->stroke = std::move(compound);
        }
        auto* compound = static_cast<CompoundStroke*>(d->stroke.get());
        compound->setTransform(compound->transform() * fit);
    }
    // The selection's own coordinates are fitted with the strokes: each
    // component is the old one seen through the fit.
    QTransform const back = fit.inverted();
    d->transform.first = back * d->transform.first * fit;
    d->transform.second = back * d->transform.second * fit;
    d->transform.third = back * d->transform.third * fit;
    d->transform.centre = fit.map(d->transform.centre);
    // A collapsed bitmap scaled along would lose its sharpness.
    d->stampCache.reset();
}

QImage FloatingSelection::indexedImage() const
{
    return d->stroke ? d->indexedImage : QImage();
}

void FloatingSelection::updateColor(QColor const& color)
{
    if (d->indexedImage.isNull())
        return;
    float const alpha = color.alphaF();
    QList<QRgb> table;
    table.reserve(256);
    for (int i = 0; i < 256; ++i)
        table.append(qRgba(color.red(), color.green(), color.blue(), qRound(float(i) * alpha)));
    d->indexedImage.setColorTable(table);
}

double FloatingSelection::opacity() const
{
    return d->opacity;
}

void FloatingSelection::setOpacity(double opacity)
{
    d->opacity = opacity;
}

bool FloatingSelection::collapseOnUse() const
{
    return d->collapseOnUse;
}

void FloatingSelection::setCollapseOnUse(bool collapse)
{
    d->collapseOnUse = collapse;
}

std::unique_ptr<Stroke> FloatingSelection::getTransformedStroke(QWidget* parent)
{
    std::unique_ptr<QProgressDialog> dialog;
    if (parent && d->collapseOnUse && d->stroke && !d->stampCache) {
        dialog = std::make_unique<QProgressDialog>(parent);
        dialog->setWindowModality(Qt::WindowModal);
        dialog->setLabelText(QCoreApplication::translate(
            "Model::FloatingSelection", "Collapsing stamp", "CollapseVectorData progress dialog"));
        dialog->setMinimumDuration(2000);
        dialog->setFixedSize(dialog->sizeHint());
    }
    return getTransformedStrokeWithProgress(dialog.get());
}

std::unique_ptr<Stroke>
FloatingSelection::getTransformedStrokeWithProgress(QProgressDialog* progress)
{
    if (d->stampCache)
        return d->stampCache->clone();
    if (!d->stroke)
        return nullptr;

    std::unique_ptr<CompoundStroke> result;
    if (d->stroke->type() == 1) {
        result.reset(static_cast<CompoundStroke*>(d->stroke->clone().release()));
    } else {
        result = std::make_unique<CompoundStroke>();
        result->appendStroke(d->stroke->clone());
    }
    result->setTransform(result->transform() * d->transform.composite().inverted());

    if (d->collapseOnUse) {
        int const ratio = Settings::instance()->bitmapRatioForCollapsingVectorData();
        if (!result->collapseVectorData(ratio, QRect(), progress)) {
            // A cancelled stamp is no stamp. Any other failure leaves the
            // strokes as they were, which still stamp correctly; neither is
            // kept as a collapsed stamp.
            if (progress && progress->wasCanceled())
                return nullptr;
            return result;
        }
        d->stampCache.reset(static_cast<CompoundStroke*>(result->clone().release()));
    }
    return result;
}

} // namespace Model
