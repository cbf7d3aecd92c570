#pragma once

#include "ResultStore.h"

#include <QStringList>
#include <QTemporaryDir>

// A domain box that records what the store did to it.
class RecordingDomainBox : public DomainBox
{
public:
    QStringList items;
    QString text;
    void clearItems() override { items.clear(); }
    void appendItem(const QString &domain) override { items.append(domain); }
    void setText(const QString &t) override { text = t; }
};

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
