#pragma once

#include <QDoubleValidator>

// A number validator that accepts the user's decimal separator and also a
// point, and that turns an out-of-range or empty text into the nearest allowed
// value (in the user's format) when editing ends.
class BoundedDoubleValidator : public QDoubleValidator
{
    Q_OBJECT

public:
    BoundedDoubleValidator(double bottom, double top, int decimals, QObject* parent = nullptr);

    QValidator::State validate(QString& input, int& pos) const override;
    void fixup(QString& input) const override;

private:
    double clamped(double value) const;

    QDoubleValidator m_cValidator;
};
