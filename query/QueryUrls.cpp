#include "QueryUrls.h"

namespace {
// Path and query string of each kind, in kind order.
constexpr const char *QueryStrings[AnswersPerDomain] = {
    "/s?wd=site%3A",
    "/s?lm=1&wd=site%3A",
    "/s?lm=7&wd=site%3A",
    "/s?lm=30&wd=site%3A",
    "/s?lm=360&wd=site%3A",
    "/s?wd=domain%3A",
    "/s?wd=",
};
} // namespace

QueryUrls::QueryUrls(QByteArrayView host)
{
    for (int i = 0; i < AnswersPerDomain; ++i)
        m_prefixes[i] = QByteArray("http://") + host.toByteArray() + QueryStrings[i];
}

QByteArray QueryUrls::requestUrl(QueryKind kind, QByteArrayView domain) const
{
    return prefix(kind) + domain.toByteArray();
}
