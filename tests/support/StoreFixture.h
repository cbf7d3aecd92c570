#pragma once

#include "Codec.h"
#include "QueryRun.h"
#include "ResultStore.h"

#include <QTemporaryDir>

// A fresh store file in a temporary folder.
class StoreFixture
{
public:
    StoreFixture()
    {
        ResultStore::create(path());
        store = std::make_unique<ResultStore>(path());
    }
    QString path() const { return dir.filePath(QStringLiteral("setting.dat")); }

    QTemporaryDir dir;
    std::unique_ptr<ResultStore> store;
};

// Stores a run's current domain and answers as one history row.
inline void addRow(ResultStore &store, const QueryRun &run)
{
    store.addshoulu(codec::fromCp936(run.CurrentDomain), run.QueryTime, run.Result);
}
