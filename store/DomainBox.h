#pragma once

#include <QString>

// What the domain list needs of the window's editable drop-down box.
class DomainBox
{
public:
    virtual ~DomainBox() = default;
    virtual void clearItems() = 0;
    virtual void appendItem(const QString &domain) = 0;
    virtual void setText(const QString &text) = 0;
};
