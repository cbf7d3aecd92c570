#pragma once

#include <QSpinBox>

// The delay box: any typed number is taken and brought into the range;
// an empty entry keeps the previous value, and letters cannot be typed.
class DelaySpinBox : public QSpinBox
{
    Q_OBJECT
public:
    using QSpinBox::QSpinBox;

protected:
    QValidator::State validate(QString &text, int &pos) const override;
    void fixup(QString &text) const override;
};
