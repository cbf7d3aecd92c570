#pragma once

#include "AnswerOutcome.h"

#include <QString>

// What the window says of an answer that was not read the classic way.
namespace answernotes {

// The note for a cell or a chart point: why the figure is not real
// ("被百度安全验证拦截", "查询失败：…", "页面格式无法识别", with the HTTP
// status where one came), or that it was read from today's layout; empty
// for an answer read the classic way or a page with no result.
QString note(const AnswerRecord &answer);

} // namespace answernotes
