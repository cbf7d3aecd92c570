#include "OverviewLoader.h"

#include "ResultStore.h"

#include <memory>

// The reading side: its own connection, opened on first use, used only on
// the loader's thread.
class OverviewLoader::Reader : public QObject
{
public:
    explicit Reader(QString path) : m_path(std::move(path)) {}

    QList<ShouluRow> latestRows()
    {
        if (!m_store)
            m_store = std::make_unique<ResultStore>(m_path);
        QList<ShouluRow> rows = m_store->latestRows();
        // The window's own connection leaves folding the log to this
        // thread; what cannot be done now is done after the next read.
        try {
            m_store->checkpoint();
        } catch (const StoreError &) {
        }
        return rows;
    }

private:
    QString m_path;
    std::unique_ptr<ResultStore> m_store;
};

OverviewLoader::OverviewLoader(QString storePath, Loaded loaded, Failed failed, QObject *parent)
    : QObject(parent), m_loaded(std::move(loaded)), m_failed(std::move(failed))
{
    m_reader = new Reader(std::move(storePath)); // released with the thread
    m_reader->moveToThread(&m_thread);
    connect(&m_thread, &QThread::finished, m_reader, &QObject::deleteLater);
    m_thread.setObjectName(QStringLiteral("overview"));
    m_thread.start();
}

OverviewLoader::~OverviewLoader()
{
    m_thread.quit();
    m_thread.wait();
}

void OverviewLoader::request()
{
    const int generation = ++m_requested;
    Reader *reader = m_reader;
    QMetaObject::invokeMethod(
        reader,
        [this, reader, generation] {
            // On the loader's thread. Requests overtaken by a newer one
            // are answered without reading.
            QList<ShouluRow> rows;
            QString failure;
            if (generation == m_requested.load()) {
                try {
                    rows = reader->latestRows();
                } catch (const std::exception &e) {
                    failure = QString::fromUtf8(e.what());
                }
            }
            QMetaObject::invokeMethod(
                this,
                [this, generation, rows = std::move(rows), failure]() mutable {
                    m_answered = qMax(m_answered, generation);
                    if (generation != m_requested.load())
                        return; // a newer request is on its way
                    if (!failure.isEmpty())
                        m_failed(failure);
                    else
                        m_loaded(std::move(rows));
                },
                Qt::QueuedConnection);
        },
        Qt::QueuedConnection);
}
