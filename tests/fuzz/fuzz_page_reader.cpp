// Feeds arbitrary answers to the page reader and checks it against the
// step-by-step reading. Input: one byte for the kind, one for the domain's
// length, the domain, then the page body.
#include "LiteralReader.h"

#include <cstdint>
#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    if (size < 2)
        return 0;
    const int kind = data[0] % 8; // 7 stands for a kind out of range
    const std::size_t domainLength = std::min<std::size_t>(data[1] % 32, size - 2);
    const QByteArray domain(reinterpret_cast<const char *>(data + 2), qsizetype(domainLength));
    const QByteArray body(reinterpret_cast<const char *>(data + 2 + domainLength),
                          qsizetype(size - 2 - domainLength));

    QueryResult fast;
    pagereader::readPage(kind, domain, body, fast);
    const QueryResult literal = literalRead(kind, domain, body, QueryResult());
    if (!(fast == literal))
        std::abort();
    return 0;
}
