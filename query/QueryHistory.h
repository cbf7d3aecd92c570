#pragma once

#include "AnswerOutcome.h"
#include "QueryResult.h"

#include <QDateTime>
#include <QString>
#include <QStringList>

// Where a run keeps what it learns: the saved domain list and the history
// rows. Failures are thrown with the store's own text.
class QueryHistory
{
public:
    virtual ~QueryHistory() = default;
    // Saves every item not saved yet; returns the saved list as it now is.
    virtual QStringList saveDomains(const QStringList &items) = 0;
    // Appends one history row with what each of its answers was.
    virtual void storeRow(const QString &domain, const QDateTime &queryTime,
                          const QueryResult &result, const AnswerRecords &answers) = 0;
    // The latest rows have changed: whoever shows them may read them again.
    virtual void reloadOverview() = 0;
};
