#include "common/BoundedIntValidator.h"

#include <algorithm>

namespace UI {

BoundedIntValidator::BoundedIntValidator(QObject* parent)
    : QIntValidator(parent)
{
}

BoundedIntValidator::BoundedIntValidator(int bottom, int top, QObject* parent)
    : QIntValidator(bottom, top, parent)
{
}

void BoundedIntValidator::fixup(QString& input) const
{
    QIntValidator::fixup(input);
    bool ok = false;
    const int value = locale().toInt(input, &ok);
    if (ok)
        input = QString::number(std::max(bottom(), std::min(top(), value)));
    else if (input.isEmpty())
        input = QString::number(bottom());
}

} // namespace UI
