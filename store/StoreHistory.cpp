#include "StoreHistory.h"

#include "ResultStore.h"

QStringList StoreHistory::saveDomains(const QStringList &items)
{
    for (const QString &item : items)
        m_store.addDomain(item);
    return m_store.domains();
}

void StoreHistory::storeRow(const QString &domain, const QDateTime &queryTime,
                            const QueryResult &result, const AnswerRecords &answers)
{
    m_store.addshoulu(domain, queryTime, result, answers);
}

void StoreHistory::reloadOverview()
{
    if (m_overviewChanged)
        m_overviewChanged();
}
