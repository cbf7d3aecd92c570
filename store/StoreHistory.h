#pragma once

#include "QueryHistory.h"

#include <functional>

class ResultStore;

// A run's history kept in the result store. `overviewChanged` is told when
// the latest rows may have changed (the window reads them again).
class StoreHistory : public QueryHistory
{
public:
    explicit StoreHistory(ResultStore &store, std::function<void()> overviewChanged = {})
        : m_store(store), m_overviewChanged(std::move(overviewChanged))
    {}

    QStringList saveDomains(const QStringList &items) override;
    void storeRow(const QString &domain, const QDateTime &queryTime, const QueryResult &result,
                  const AnswerRecords &answers) override;
    void reloadOverview() override;

private:
    ResultStore &m_store;
    std::function<void()> m_overviewChanged;
};
