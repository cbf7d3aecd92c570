#include "TextModel.h"

#include <cstring>
#include <utility>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

namespace text {
namespace {

// How common a byte is in result pages: markup and lower-case letters
// everywhere, upper case and punctuation less, code page 936 bytes least.
int commonness(unsigned char b)
{
    switch (b) {
    case ' ':
    case '<':
    case '>':
    case '"':
    case '=':
    case '/':
    case 'e':
    case 't':
    case 'a':
    case 'o':
    case 'i':
    case 'n':
    case 's':
    case 'r':
        return 4;
    default:
        break;
    }
    if ((b >= 'a' && b <= 'z') || (b >= '0' && b <= '9'))
        return 3;
    if (b < 0x80)
        return 2;
    return 1;
}

// Two distinct positions of the needle (length >= 2) whose bytes are the
// least common, the second as far right as the choice allows.
std::pair<qsizetype, qsizetype> filterPositions(const char *n, qsizetype nn)
{
    qsizetype k1 = 0;
    for (qsizetype k = 1; k < nn; ++k) {
        if (commonness(static_cast<unsigned char>(n[k])) <
            commonness(static_cast<unsigned char>(n[k1])))
            k1 = k;
    }
    qsizetype k2 = k1 == nn - 1 ? 0 : nn - 1;
    for (qsizetype k = 0; k < nn; ++k) {
        if (k != k1 && commonness(static_cast<unsigned char>(n[k])) <
                           commonness(static_cast<unsigned char>(n[k2])))
            k2 = k;
    }
    return {k1, k2};
}

} // namespace

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
    // Compare two of the needle's bytes (the rarest in markup) at 16
    // places at once and check the whole needle only where both match.
    const std::pair<qsizetype, qsizetype> filter = filterPositions(n, nn);
    const qsizetype k1 = filter.first, k2 = filter.second;
    const __m128i first = _mm_set1_epi8(n[k1]);
    const __m128i second = _mm_set1_epi8(n[k2]);
    auto candidates = [&](qsizetype at) {
        const __m128i b1 = _mm_loadu_si128(reinterpret_cast<const __m128i *>(h + at + k1));
        const __m128i b2 = _mm_loadu_si128(reinterpret_cast<const __m128i *>(h + at + k2));
        return unsigned(_mm_movemask_epi8(
            _mm_and_si128(_mm_cmpeq_epi8(first, b1), _mm_cmpeq_epi8(second, b2))));
    };
    // 32 places a round; the check of a candidate is written out rather
    // than a call so that the vectors stay in registers.
    for (; i + nn + 31 <= hn; i += 32) {
        const unsigned mask = candidates(i) | candidates(i + 16) << 16;
        for (unsigned m = mask; m != 0; m &= m - 1) {
            const char *at = h + i + __builtin_ctz(m);
            qsizetype k = 0;
            while (k < nn && at[k] == n[k])
                ++k;
            if (k == nn)
                return at - h;
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
