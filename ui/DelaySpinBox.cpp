#include "DelaySpinBox.h"

namespace {
bool allDigits(const QString &text)
{
    for (QChar c : text) {
        if (!c.isDigit())
            return false;
    }
    return !text.isEmpty();
}
} // namespace

QValidator::State DelaySpinBox::validate(QString &text, int &) const
{
    const QString t = text.trimmed();
    if (t.isEmpty())
        return QValidator::Intermediate;
    if (!allDigits(t))
        return QValidator::Invalid;
    bool ok = false;
    const int v = t.toInt(&ok);
    return ok && v >= minimum() && v <= maximum() ? QValidator::Acceptable
                                                  : QValidator::Intermediate;
}

void DelaySpinBox::fixup(QString &text) const
{
    const QString t = text.trimmed();
    if (!allDigits(t)) {
        text = QString::number(value());
        return;
    }
    bool ok = false;
    const qlonglong v = t.toLongLong(&ok);
    // Too many digits for a number at all still means "more than the most".
    const qlonglong clamped =
        ok ? qBound(qlonglong(minimum()), v, qlonglong(maximum())) : maximum();
    text = QString::number(clamped);
}
