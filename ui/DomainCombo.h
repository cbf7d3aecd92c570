#pragma once

#include "DomainList.h"

#include <QComboBox>

// The window's editable domain box as the runs and the dialog see it.
class DomainCombo : public DomainList
{
public:
    explicit DomainCombo(QComboBox &box) : m_box(box) {}
    QString text() const override { return m_box.currentText(); }
    void setText(const QString &text) override { m_box.setEditText(text); }
    QStringList items() const override
    {
        QStringList items;
        for (int i = 0; i < m_box.count(); ++i)
            items << m_box.itemText(i);
        return items;
    }
    void setItems(const QStringList &items) override
    {
        // Replacing the items must not clear what is typed in the box.
        const QString typed = m_box.currentText();
        m_box.clear();
        m_box.addItems(items);
        m_box.setEditText(typed);
    }

private:
    QComboBox &m_box;
};
