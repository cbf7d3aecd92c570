#include "SplitUrl.h"

#include <limits>

namespace {

// A decimal integer with an optional sign, within the 32-bit range.
bool readDecimal(QByteArrayView text, int &value)
{
    qsizetype i = 0;
    bool negative = false;
    if (i < text.size() && (text[i] == '+' || text[i] == '-'))
        negative = text[i++] == '-';
    if (i == text.size())
        return false;
    long long v = 0;
    for (; i < text.size(); ++i) {
        if (text[i] < '0' || text[i] > '9')
            return false;
        v = v * 10 + (text[i] - '0');
        if (v > std::numeric_limits<int>::max() + 1LL)
            return false;
    }
    v = negative ? -v : v;
    if (v > std::numeric_limits<int>::max())
        return false;
    value = int(v);
    return true;
}

} // namespace

SplitUrlResult SplitUrl(QByteArrayView url)
{
    SplitUrlResult result;
    QByteArrayView rest = url;
    if (url.toByteArray().toLower().contains("http://"))
        rest = url.sliced(qMin<qsizetype>(7, url.size()));
    const qsizetype slash = rest.indexOf('/');
    QByteArrayView host = slash < 0 ? rest : rest.first(slash);
    result.path = slash < 0 ? QByteArray("/") : rest.sliced(slash).toByteArray();
    const qsizetype colon = host.indexOf(':');
    if (colon >= 0) {
        // The port text runs up to the first "/"; with none it is empty.
        const QByteArrayView portText = slash < 0 ? QByteArrayView() : host.sliced(colon + 1);
        int port = 80;
        result.port = readDecimal(portText, port) ? port : 80;
        host = host.first(colon);
    }
    result.host = host.toByteArray();
    return result;
}
