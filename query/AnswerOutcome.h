#pragma once

#include <QByteArray>
#include <QString>

#include <array>
#include <optional>

// What one answer of a stored row really was.
enum class AnswerOutcome : int
{
    Read,        // the page held the figure where the classic layout puts it
    Current,     // read from today's layout
    None,        // the page says there is no result
    Blocked,     // the engine asked for verification or refused (403, 429)
    Failed,      // the fetch failed: nothing arrived
    Unrecognised // a page came, but none of the known texts
};

namespace outcome {

// The stored names: "read", "current", "none", "blocked", "failed",
// "unrecognised".
QString name(AnswerOutcome outcome);
std::optional<AnswerOutcome> fromName(const QString &name);

// Whether the figure is real (read, current or none); the others are
// answers not obtained.
inline bool obtained(AnswerOutcome outcome)
{
    return outcome == AnswerOutcome::Read || outcome == AnswerOutcome::Current ||
           outcome == AnswerOutcome::None;
}

// An address of the engine's verification pages: its host, or a captcha
// path. A redirect there is not followed; it is the answer.
bool isVerificationAddress(const QByteArray &url);

} // namespace outcome

// The outcome of one answer with the HTTP status it came with (0 when
// none came).
struct AnswerRecord
{
    AnswerOutcome outcome = AnswerOutcome::Failed;
    int status = 0;
    bool operator==(const AnswerRecord &) const = default;
};

// The seven answers of a row, by query kind.
using AnswerRecords = std::array<AnswerRecord, 7>;
