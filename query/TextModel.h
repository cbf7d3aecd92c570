#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QList>

// Byte-string helpers for reading result pages. Texts are code page 936
// bytes; positions are 1-based byte positions, 0 meaning "not found".
namespace text {

// Index (0-based) of the first occurrence of needle in haystack at or after
// `from`, or -1. Exact, case-sensitive byte comparison.
qsizetype find(QByteArrayView haystack, QByteArrayView needle, qsizetype from = 0);

// 1-based position of the first occurrence of x in t, or 0. An empty x is
// never found.
inline qsizetype posOf(QByteArrayView x, QByteArrayView t)
{
    if (x.isEmpty())
        return 0;
    return find(t, x) + 1;
}

// The part of t from position p, n bytes long: p below 1 counts as 1, a p
// past the end or an n of 0 or less gives the empty text, an n past the
// end stops at the end.
QByteArrayView partOf(QByteArrayView t, qsizetype p, qsizetype n);

// Deletes every occurrence of x, scanning left to right character by
// character in code page 936: an occurrence that would begin on the second
// byte of a double-byte character is not one.
QByteArray removeAll(QByteArrayView t, QByteArrayView x);

// Removes leading and trailing bytes of value 0x20 or below.
QByteArrayView trim(QByteArrayView t);

// Pieces of t between occurrences of the separator, empty pieces included:
// n occurrences give n + 1 pieces, and the empty text gives none.
QList<QByteArray> splitText(QByteArrayView t, QByteArrayView separator);

// True when every byte is "0" to "9"; true for the empty text.
bool isDigits(QByteArrayView t);

// True for a byte that starts a double-byte character in code page 936.
inline bool isLeadByte(unsigned char b)
{
    return b >= 0x81 && b <= 0xFE;
}

} // namespace text
