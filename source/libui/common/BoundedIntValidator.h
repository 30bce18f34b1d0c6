#pragma once

#include <QIntValidator>

namespace UI {

// An integer validator that, when editing ends, turns an out-of-range or
// empty text into the nearest allowed value, so a field with a minimum of 1
// never keeps "0" or nothing.
class BoundedIntValidator : public QIntValidator
{
    Q_OBJECT

public:
    explicit BoundedIntValidator(QObject* parent = nullptr);
    BoundedIntValidator(int bottom, int top, QObject* parent = nullptr);

    void fixup(QString& input) const override;
};

} // namespace UI
