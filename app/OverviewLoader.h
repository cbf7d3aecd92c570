#pragma once

#include "ShouluRow.h"

#include <QList>
#include <QObject>
#include <QString>
#include <QThread>

#include <atomic>
#include <functional>

// Reads the overview (the latest row of every saved domain) on a thread of
// its own, over a second connection to the store, so that refreshing a
// list of thousands of domains while a batch runs never holds up the
// window. Results come back on the main thread; only the newest request's
// answer is delivered.
class OverviewLoader : public QObject
{
    Q_OBJECT
public:
    using Loaded = std::function<void(QList<ShouluRow> rows)>;
    using Failed = std::function<void(const QString &text)>;

    OverviewLoader(QString storePath, Loaded loaded, Failed failed, QObject *parent = nullptr);
    ~OverviewLoader() override;

    // Main thread: asks for a fresh overview.
    void request();
    // Main thread: requests not answered yet.
    bool busy() const { return m_requested != m_answered; }

private:
    class Reader;
    QThread m_thread;
    Reader *m_reader = nullptr; // lives in m_thread, deleted when it ends
    Loaded m_loaded;
    Failed m_failed;
    std::atomic<int> m_requested{0};
    int m_answered = 0;
};
