#include "TextModel.h"

#include <cstring>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

namespace text {

qsizetype find(QByteArrayView haystack, QByteArrayView needle, qsizetype from)
{
    const qsizetype hn = haystack.size();
    const qsizetype nn = needle.size();
    if (from < 0)
        from = 0;
    if (nn == 0)
        return from <= hn ? from : -1;
    if (from > hn - nn)
        return -1;
    const char *h = haystack.data();
    const char *n = needle.data();
    if (nn == 1) {
        const void *hit = std::memchr(h + from, n[0], std::size_t(hn - from));
        return hit ? static_cast<const char *>(hit) - h : -1;
    }
    qsizetype i = from;
#if defined(__SSE2__)
    // Compare the needle's first and last bytes at 16 places at once and
    // check the rest only where both match.
    const __m128i first = _mm_set1_epi8(n[0]);
    const __m128i last = _mm_set1_epi8(n[nn - 1]);
    for (; i + nn - 1 + 16 <= hn; i += 16) {
        const __m128i bf = _mm_loadu_si128(reinterpret_cast<const __m128i *>(h + i));
        const __m128i bl = _mm_loadu_si128(reinterpret_cast<const __m128i *>(h + i + nn - 1));
        unsigned mask = unsigned(
            _mm_movemask_epi8(_mm_and_si128(_mm_cmpeq_epi8(first, bf), _mm_cmpeq_epi8(last, bl))));
        while (mask != 0) {
            const int bit = __builtin_ctz(mask);
            if (std::memcmp(h + i + bit + 1, n + 1, std::size_t(nn - 2)) == 0)
                return i + bit;
            mask &= mask - 1;
        }
    }
#endif
    for (; i + nn <= hn; ++i) {
        if (h[i] == n[0] && std::memcmp(h + i, n, std::size_t(nn)) == 0)
            return i;
    }
    return -1;
}

QByteArrayView partOf(QByteArrayView t, qsizetype p, qsizetype n)
{
    if (p < 1)
        p = 1;
    if (p > t.size() || n <= 0)
        return {};
    const qsizetype left = t.size() - (p - 1);
    return t.sliced(p - 1, n < left ? n : left);
}

QByteArray removeAll(QByteArrayView t, QByteArrayView x)
{
    QByteArray out;
    if (x.isEmpty())
        return t.toByteArray();
    out.reserve(t.size());
    const auto *b = reinterpret_cast<const unsigned char *>(t.data());
    const qsizetype n = t.size();
    qsizetype i = 0;
    while (i < n) {
        if (n - i >= x.size() && std::memcmp(b + i, x.data(), std::size_t(x.size())) == 0) {
            i += x.size();
            continue;
        }
        // Copy one whole character: a lead byte takes its trail byte along.
        const qsizetype len = (isLeadByte(b[i]) && i + 1 < n) ? 2 : 1;
        out.append(t.data() + i, len);
        i += len;
    }
    return out;
}

QByteArrayView trim(QByteArrayView t)
{
    qsizetype begin = 0, end = t.size();
    while (begin < end && static_cast<unsigned char>(t[begin]) <= 0x20)
        ++begin;
    while (end > begin && static_cast<unsigned char>(t[end - 1]) <= 0x20)
        --end;
    return t.sliced(begin, end - begin);
}

QList<QByteArray> splitText(QByteArrayView t, QByteArrayView separator)
{
    QList<QByteArray> pieces;
    if (t.isEmpty())
        return pieces;
    if (separator.isEmpty()) {
        pieces.append(t.toByteArray());
        return pieces;
    }
    qsizetype start = 0;
    for (;;) {
        const qsizetype hit = find(t, separator, start);
        if (hit < 0)
            break;
        pieces.append(t.sliced(start, hit - start).toByteArray());
        start = hit + separator.size();
    }
    pieces.append(t.sliced(start).toByteArray());
    return pieces;
}

bool isDigits(QByteArrayView t)
{
    for (char c : t) {
        if (c < '0' || c > '9')
            return false;
    }
    return true;
}

} // namespace text
