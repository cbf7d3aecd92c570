#include "Codec.h"

#include <array>
#include <cstdint>
#include <cstring>
#include <iconv.h>
#include <memory>
#include <stdexcept>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

namespace codec {
namespace {

constexpr int LeadFirst = 0x81, LeadLast = 0xFE, TrailFirst = 0x40, TrailLast = 0xFE;
constexpr int TrailCount = TrailLast - TrailFirst + 1;
constexpr std::uint16_t Unmapped = 0;

// Both directions of code page 936 for the Basic Multilingual Plane, read
// once from the C library's converter so that conversion itself is a table
// look-up per character.
struct Tables
{
    // Unicode code unit -> code page 936 bytes (single byte below 0x100,
    // lead << 8 | trail otherwise); Unmapped when there is none.
    std::array<std::uint16_t, 0x10000> encode{};
    // (lead - 0x81) * TrailCount + (trail - 0x40) -> Unicode; 0 when none.
    std::array<char16_t, std::size_t(LeadLast - LeadFirst + 1) * TrailCount> decode{};
};

struct IconvHandle
{
    iconv_t cd;
    IconvHandle(const char *to, const char *from) : cd(iconv_open(to, from))
    {
        // iconv_open reports failure as (iconv_t)-1.
        if (cd == reinterpret_cast<iconv_t>(-1)) // NOLINT(performance-no-int-to-ptr)
            throw std::runtime_error(std::string("code page 936 converter missing: ") + from +
                                     " -> " + to);
    }
    ~IconvHandle() { iconv_close(cd); }
    IconvHandle(const IconvHandle &) = delete;
    IconvHandle &operator=(const IconvHandle &) = delete;

    // Converts one small unit; the number of bytes written, or -1.
    int convert(const char *in, size_t inLen, char *out, size_t outLen)
    {
        iconv(cd, nullptr, nullptr, nullptr, nullptr);
        char *inPtr = const_cast<char *>(in);
        char *outPtr = out;
        size_t outLeft = outLen;
        if (iconv(cd, &inPtr, &inLen, &outPtr, &outLeft) == size_t(-1) || inLen != 0)
            return -1;
        return int(outLen - outLeft);
    }
};

std::unique_ptr<Tables> buildTables()
{
    auto tables = std::make_unique<Tables>();
    {
        IconvHandle toGbk("CP936", "UTF-16LE");
        for (std::uint32_t u = 0x80; u < 0x10000; ++u) {
            if (u >= 0xD800 && u <= 0xDFFF)
                continue;
            const char in[2] = {char(u & 0xFF), char(u >> 8)};
            unsigned char out[4];
            const int n = toGbk.convert(in, 2, reinterpret_cast<char *>(out), sizeof out);
            if (n == 1)
                tables->encode[u] = out[0];
            else if (n == 2)
                tables->encode[u] = std::uint16_t(out[0] << 8 | out[1]);
        }
    }
    // Windows' code page 936 has the euro sign as the single byte 0x80.
    tables->encode[0x20AC] = 0x80;

    IconvHandle fromGbk("UTF-16LE", "CP936");
    for (int lead = LeadFirst; lead <= LeadLast; ++lead) {
        for (int trail = TrailFirst; trail <= TrailLast; ++trail) {
            if (trail == 0x7F)
                continue;
            const char in[2] = {char(lead), char(trail)};
            unsigned char out[4];
            if (fromGbk.convert(in, 2, reinterpret_cast<char *>(out), sizeof out) == 2)
                tables->decode[(lead - LeadFirst) * TrailCount + (trail - TrailFirst)] =
                    char16_t(out[0] | out[1] << 8);
        }
    }
    return tables;
}

const Tables &tables()
{
    static const std::unique_ptr<Tables> instance = buildTables();
    return *instance;
}

// Length of the run of ASCII bytes starting at p (at most n).
// Decodes one multi-byte UTF-8 sequence at p (first byte >= 0x80). Returns
// its length and the code point, or 0 when it is malformed or cut off.
inline int decodeSequence(const unsigned char *p, std::size_t left, std::uint32_t &cp)
{
    const unsigned char b0 = p[0];
    auto cont = [](unsigned char b) { return (b & 0xC0) == 0x80; };
    // Three-byte sequences first: they carry the Chinese text.
    if (b0 >= 0xE0 && b0 <= 0xEF) {
        if (left < 3 || !cont(p[1]) || !cont(p[2]))
            return 0;
        if (b0 == 0xE0 && p[1] < 0xA0) // overlong
            return 0;
        if (b0 == 0xED && p[1] > 0x9F) // surrogate
            return 0;
        cp = std::uint32_t(b0 & 0x0F) << 12 | std::uint32_t(p[1] & 0x3F) << 6 | (p[2] & 0x3F);
        return 3;
    }
    if (b0 >= 0xC2 && b0 <= 0xDF) {
        if (left < 2 || !cont(p[1]))
            return 0;
        cp = std::uint32_t(b0 & 0x1F) << 6 | (p[1] & 0x3F);
        return 2;
    }
    if (b0 >= 0xF0 && b0 <= 0xF4) {
        if (left < 4 || !cont(p[1]) || !cont(p[2]) || !cont(p[3]))
            return 0;
        if (b0 == 0xF0 && p[1] < 0x90) // overlong
            return 0;
        if (b0 == 0xF4 && p[1] > 0x8F) // above U+10FFFF
            return 0;
        cp = std::uint32_t(b0 & 0x07) << 18 | std::uint32_t(p[1] & 0x3F) << 12 |
             std::uint32_t(p[2] & 0x3F) << 6 | (p[3] & 0x3F);
        return 4;
    }
    return 0; // stray continuation byte, C0/C1 or F5..FF
}

} // namespace

template <bool Lossy> std::optional<QByteArray> convertUtf8(QByteArrayView bytes)
{
    if (bytes.isEmpty())
        return std::nullopt;
    const Tables &t = tables();
    const auto *p = reinterpret_cast<const unsigned char *>(bytes.data());
    const std::size_t n = std::size_t(bytes.size());
    // Code page 936 never needs more bytes than UTF-8 for the same text, so
    // the output (written at w <= i) always fits in n bytes.
    QByteArray out(bytes.size(), Qt::Uninitialized);
    auto *o = reinterpret_cast<unsigned char *>(out.data());
    std::size_t i = 0, w = 0;
    while (i < n) {
        if (p[i] < 0x80) {
#if defined(__SSE2__)
            // Copy 16 bytes at a time; bytes past the ASCII run are
            // overwritten by what follows.
            while (i + 16 <= n) {
                const __m128i v = _mm_loadu_si128(reinterpret_cast<const __m128i *>(p + i));
                _mm_storeu_si128(reinterpret_cast<__m128i *>(o + w), v);
                const unsigned mask = unsigned(_mm_movemask_epi8(v));
                if (mask != 0) {
                    const unsigned k = unsigned(__builtin_ctz(mask));
                    i += k;
                    w += k;
                    break;
                }
                i += 16;
                w += 16;
            }
#endif
            while (i < n && p[i] < 0x80)
                o[w++] = p[i++];
            continue;
        }
        std::uint32_t cp;
        const int len = decodeSequence(p + i, n - i, cp);
        if (len == 0) {
            if constexpr (!Lossy) {
                return std::nullopt;
            } else {
                // One "?" for the malformed sequence: its first byte and
                // the continuation bytes that follow it.
                o[w++] = '?';
                ++i;
                for (int k = 0; k < 3 && i < n && (p[i] & 0xC0) == 0x80; ++k)
                    ++i;
                continue;
            }
        }
        i += std::size_t(len);
        const std::uint16_t g = cp < 0x10000 ? t.encode[cp] : Unmapped;
        if (g >= 0x100) {
            o[w] = static_cast<unsigned char>(g >> 8);
            o[w + 1] = static_cast<unsigned char>(g & 0xFF);
            w += 2;
        } else {
            o[w++] = g == Unmapped ? '?' : static_cast<unsigned char>(g);
        }
    }
    out.truncate(qsizetype(w));
    return out;
}

std::optional<QByteArray> utf8ToCp936(QByteArrayView bytes)
{
    return convertUtf8<false>(bytes);
}

QByteArray utf8ToCp936Lossy(QByteArrayView bytes)
{
    return convertUtf8<true>(bytes).value_or(QByteArray());
}

QString fromCp936(QByteArrayView bytes)
{
    const Tables &t = tables();
    const auto *p = reinterpret_cast<const unsigned char *>(bytes.data());
    const qsizetype n = bytes.size();
    QString out;
    out.reserve(n);
    for (qsizetype i = 0; i < n; ++i) {
        const unsigned char b = p[i];
        if (b < 0x80) {
            out.append(QChar(b));
        } else if (b == 0x80) {
            out.append(QChar(0x20AC));
        } else if (b <= LeadLast && i + 1 < n && p[i + 1] >= TrailFirst && p[i + 1] <= TrailLast &&
                   p[i + 1] != 0x7F) {
            const char16_t u = t.decode[(b - LeadFirst) * TrailCount + (p[i + 1] - TrailFirst)];
            out.append(u ? QChar(u) : QChar(QChar::ReplacementCharacter));
            ++i;
        } else {
            out.append(QChar(QChar::ReplacementCharacter));
        }
    }
    return out;
}

QByteArray toCp936(QStringView text)
{
    const Tables &t = tables();
    QByteArray out;
    out.reserve(text.size() * 2);
    for (qsizetype i = 0; i < text.size(); ++i) {
        const char16_t u = text[i].unicode();
        if (u < 0x80) {
            out.append(char(u));
            continue;
        }
        if (QChar::isHighSurrogate(u) && i + 1 < text.size() &&
            QChar::isLowSurrogate(text[i + 1].unicode())) {
            ++i; // one character beyond the plane: one "?"
            out.append('?');
            continue;
        }
        const std::uint16_t g = t.encode[u];
        if (g == Unmapped) {
            out.append('?');
        } else if (g < 0x100) {
            out.append(char(g));
        } else {
            out.append(char(g >> 8));
            out.append(char(g & 0xFF));
        }
    }
    return out;
}

} // namespace codec
