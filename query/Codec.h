#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QString>
#include <QStringView>

#include <optional>

// The one place where text changes encoding. Inside the system, texts are
// byte strings in code page 936 (GBK); Qt strings exist only at the edges
// (widgets, the store's UTF-8 columns).
namespace codec {

// Decodes the bytes as UTF-8 and converts the text to code page 936.
// Empty when the bytes are not UTF-8 (malformed, overlong, an encoded
// surrogate, cut off) or hold no character at all. Characters that code
// page 936 cannot hold become "?".
std::optional<QByteArray> utf8ToCp936(QByteArrayView bytes);

// The same for a page that declares itself UTF-8 but is not quite: each
// malformed sequence becomes "?".
QByteArray utf8ToCp936Lossy(QByteArrayView bytes);

// Code page 936 bytes to a Qt string; a byte sequence that is no code page
// 936 character becomes U+FFFD.
QString fromCp936(QByteArrayView bytes);

// A Qt string to code page 936 bytes; characters that code page 936 cannot
// hold become "?".
QByteArray toCp936(QStringView text);

} // namespace codec
