#include "settings/TransparencyColor.h"

namespace Model {

QColor transparencyColor(KW::TransparencyType type)
{
    switch (type) {
    case KW::TransparencyType::TransparencySmallCheckersLight:
    case KW::TransparencyType::TransparencyLargeCheckersLight:
    case KW::TransparencyType::TransparencyLightGrey:
        return QColor(Qt::lightGray);
    case KW::TransparencyType::TransparencySmallCheckersDark:
    case KW::TransparencyType::TransparencyLargeCheckersDark:
    case KW::TransparencyType::TransparencyDarkGrey:
        return QColor(Qt::darkGray);
    case KW::TransparencyType::TransparencyWhite:
        return QColor(Qt::white);
    case KW::TransparencyType::TransparencyBlack:
        return QColor(Qt::black);
    }
    return QColor(Qt::transparent);
}

} // namespace Model
