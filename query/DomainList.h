#pragma once

#include <QString>
#include <QStringList>

// The list of domains a run works on and the domain typed for a single
// query: the window's domain box, or a plain list on the command line.
class DomainList
{
public:
    virtual ~DomainList() = default;
    virtual QString text() const = 0;
    virtual void setText(const QString &text) = 0;
    virtual QStringList items() const = 0;
    // Replaces the items; the typed text stays.
    virtual void setItems(const QStringList &items) = 0;

    // Shows the saved list: its items, and as text the last saved domain
    // (an empty list leaves the text alone).
    void load(const QStringList &saved)
    {
        setItems(saved);
        if (!saved.isEmpty())
            setText(saved.last());
    }
};

// The lines of a domain list as the list dialog saves them: one domain a
// line, a line break after the last line adding none.
inline QStringList domainLines(const QString &text)
{
    if (text.isEmpty())
        return {};
    QStringList lines = text.split(u'\n');
    if (lines.last().isEmpty())
        lines.removeLast();
    return lines;
}

// A domain list held in memory.
class PlainDomainList : public DomainList
{
public:
    explicit PlainDomainList(QStringList items = {}, QString text = {})
        : m_items(std::move(items)), m_text(std::move(text))
    {}
    QString text() const override { return m_text; }
    void setText(const QString &text) override { m_text = text; }
    QStringList items() const override { return m_items; }
    void setItems(const QStringList &items) override { m_items = items; }

private:
    QStringList m_items;
    QString m_text;
};
