#include "AnswerNotes.h"

namespace answernotes {

QString note(const AnswerRecord &answer)
{
    const QString status =
        answer.status > 0 ? QStringLiteral("（HTTP %1）").arg(answer.status) : QString();
    switch (answer.outcome) {
    case AnswerOutcome::Blocked:
        return QStringLiteral("被百度安全验证拦截") + status;
    case AnswerOutcome::Failed:
        return QStringLiteral("查询失败：") + (answer.status > 0
                                                   ? QStringLiteral("没有收到页面") + status
                                                   : QStringLiteral("没有连上百度或超时"));
    case AnswerOutcome::Unrecognised:
        return QStringLiteral("页面格式无法识别") + status;
    case AnswerOutcome::Current:
        return QStringLiteral("按百度当前的页面格式读取");
    case AnswerOutcome::Read:
    case AnswerOutcome::None:
        break;
    }
    return {};
}

} // namespace answernotes
