#pragma once

#include "DomainBox.h"

#include <QComboBox>

// The window's domain box as the store's domain list sees it.
class ComboDomainBox : public DomainBox
{
public:
    explicit ComboDomainBox(QComboBox &box) : m_box(box) {}
    void clearItems() override
    {
        // Clearing the items must not clear what is typed in the box.
        const QString text = m_box.currentText();
        m_box.clear();
        m_box.setEditText(text);
    }
    void appendItem(const QString &domain) override { m_box.addItem(domain); }
    void setText(const QString &text) override { m_box.setEditText(text); }

private:
    QComboBox &m_box;
};
