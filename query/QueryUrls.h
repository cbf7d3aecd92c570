#pragma once

#include "QueryKind.h"

#include <QByteArray>
#include <QByteArrayView>

#include <array>

// The seven request URL prefixes, one per QueryKind in kind order.
class QueryUrls
{
public:
    static constexpr const char *DefaultHost = "www.baidu.com";

    explicit QueryUrls(QByteArrayView host = DefaultHost);

    const QByteArray &prefix(QueryKind kind) const { return m_prefixes[static_cast<int>(kind)]; }
    int count() const { return int(m_prefixes.size()); }

    // The prefix followed by the domain's code page 936 bytes exactly as
    // given: no trimming, case change or escaping.
    QByteArray requestUrl(QueryKind kind, QByteArrayView domain) const;

private:
    std::array<QByteArray, AnswersPerDomain> m_prefixes;
};
