#include "AnswerOutcome.h"

#include <QUrl>

namespace outcome {
namespace {

const char *const Names[] = {"read", "current", "none", "blocked", "failed", "unrecognised"};

} // namespace

QString name(AnswerOutcome outcome)
{
    return QLatin1String(Names[int(outcome)]);
}

std::optional<AnswerOutcome> fromName(const QString &name)
{
    for (int i = 0; i < int(std::size(Names)); ++i) {
        if (name == QLatin1String(Names[i]))
            return AnswerOutcome(i);
    }
    return std::nullopt;
}

bool isVerificationAddress(const QByteArray &url)
{
    if (url.isEmpty())
        return false;
    const QUrl parsed = QUrl::fromEncoded(url);
    return parsed.host().compare(QLatin1String("wappass.baidu.com"), Qt::CaseInsensitive) == 0 ||
           url.contains("/static/captcha");
}

} // namespace outcome
