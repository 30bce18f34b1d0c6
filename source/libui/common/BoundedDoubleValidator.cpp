#include "common/BoundedDoubleValidator.h"

#include <algorithm>

BoundedDoubleValidator::BoundedDoubleValidator(double bottom, double top, int decimals, QObject* parent)
    : QDoubleValidator(bottom, top, decimals, parent)
    , m_cValidator(bottom, top, decimals)
{
    QLocale user;
    user.setNumberOptions(QLocale::RejectGroupSeparator);
    setLocale(user);
    setNotation(QDoubleValidator::StandardNotation);
    QLocale c(QLocale::C);
    c.setNumberOptions(QLocale::RejectGroupSeparator);
    m_cValidator.setLocale(c);
    m_cValidator.setNotation(QDoubleValidator::StandardNotation);
}

QValidator::State BoundedDoubleValidator::validate(QString& input, int& pos) const
{
    const State state = QDoubleValidator::validate(input, pos);
    if (state != Invalid)
        return state;
    return m_cValidator.validate(input, pos);
}

double BoundedDoubleValidator::clamped(double value) const
{
    return std::max(bottom(), std::min(top(), value));
}

void BoundedDoubleValidator::fixup(QString& input) const
{
    QDoubleValidator::fixup(input);
    bool ok = false;
    double value = locale().toDouble(input, &ok);
    if (!ok) {
        m_cValidator.fixup(input);
        value = m_cValidator.locale().toDouble(input, &ok);
    }
    if (ok)
        input = locale().toString(clamped(value), 'f', decimals());
    else if (input.isEmpty())
        input = locale().toString(bottom(), 'g', 6);
}
