#include "drawings/FrameFit.h"

namespace Model {

QTransform frameFitTransform(QSize const& oldSize, QSize const& newSize, KW::FitMode fitMode)
{
    if (oldSize.width() <= 0 || oldSize.height() <= 0)
        return QTransform();
    QTransform scale;
    QTransform translate;
    double const w = oldSize.width();
    double const h = oldSize.height();
    double const W = newSize.width();
    double const H = newSize.height();
    switch (fitMode) {
    case KW::FitMode::FitModeStretch:
        scale = QTransform::fromScale(W / w, H / h);
        break;
    case KW::FitMode::FitModeKeepAspect:
    case KW::FitMode::FitModeKeepAspectByExpanding: {
        QSize const fitted =
            oldSize.scaled(newSize, fitMode == KW::FitMode::FitModeKeepAspect
                                        ? Qt::KeepAspectRatio
                                        : Qt::KeepAspectRatioByExpanding);
        scale = QTransform::fromScale(fitted.width() / w, fitted.height() / h);
        translate = QTransform::fromTranslate((W - fitted.width()) / 2.0,
                                              (H - fitted.height()) / 2.0);
        break;
    }
    case KW::FitMode::FitModeCropCenter:
        translate = QTransform::fromTranslate((W - w) / 2.0, (H - h) / 2.0);
        break;
    case KW::FitMode::FitModeIgnore:
        break;
    }
    return scale * translate;
}

} // namespace Model
