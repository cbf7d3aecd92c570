#include "PageReader.h"

#include "Codec.h"
#include "TextModel.h"

#include <QDate>

#include <limits>
#include <optional>

namespace pagereader {
namespace {

// The search engine's fixed markers, as code page 936 bytes.
// <td align="right" nowrap>百度一下，找到相关网页
constexpr QByteArrayView CountMarker("<td align=\"right\" nowrap>"
                                     "\xB0\xD9\xB6\xC8\xD2\xBB\xCF\xC2\xA3\xAC\xD5\xD2\xB5\xBD"
                                     "\xCF\xE0\xB9\xD8\xCD\xF8\xD2\xB3");
// 篇，用时
constexpr QByteArrayView CountEnd("\xC6\xAA\xA3\xAC\xD3\xC3\xCA\xB1");
// 约
constexpr QByteArrayView About("\xD4\xBC");
constexpr QByteArrayView
    FirstResultTable("<table border=\"0\" cellpadding=\"0\" cellspacing=\"0\" id=\"1\">");
constexpr QByteArrayView UrlLine("<font color=\"#008000\"");
// 抱歉，没有找到该URL
constexpr QByteArrayView NoResult("\xB1\xA7\xC7\xB8\xA3\xAC\xC3\xBB\xD3\xD0\xD5\xD2\xB5\xBD"
                                  "\xB8\xC3URL");
constexpr QByteArrayView AbstractParagraph("<p style=\"margin:0 0 0 15px\">");
constexpr QByteArrayView DateStart("</b>/");
constexpr QByteArrayView DateEnd("</font> -");

static_assert(CountMarker.size() == 47 && CountEnd.size() == 8 && About.size() == 2);
static_assert(FirstResultTable.size() == 57 && UrlLine.size() == 21);
static_assert(NoResult.size() == 19 && AbstractParagraph.size() == 29);
static_assert(DateStart.size() == 5 && DateEnd.size() == 9);

// The count text between the count marker and "篇，用时", with "," and "约"
// removed.
QByteArray countText(QByteArrayView page)
{
    const qsizetype a = text::posOf(CountMarker, page);
    const qsizetype b = text::posOf(CountEnd, page);
    const qsizetype start = a + CountMarker.size();
    const QByteArrayView raw = text::partOf(page, start, b - start);
    if (raw.isEmpty())
        return {};
    return text::removeAll(text::removeAll(raw, ","), About);
}

// The text between the first first-result table marker and the next one
// (or the end): piece 1 of splitting the page at that marker. Empty when
// the page has no such marker.
std::optional<QByteArrayView> firstResultBlock(QByteArrayView page)
{
    const qsizetype t = text::find(page, FirstResultTable);
    if (t < 0)
        return std::nullopt;
    const qsizetype begin = t + FirstResultTable.size();
    const qsizetype next = text::find(page, FirstResultTable, begin);
    return page.sliced(begin, (next < 0 ? page.size() : next) - begin);
}

// Whether some piece of the block split at the URL-line marker holds
// ">" + domain + "/ ": whether the probe occurs somewhere without
// overlapping one of the markers that the split (left to right) cuts at.
bool homePageShown(QByteArrayView page, QByteArrayView domain)
{
    const std::optional<QByteArrayView> block = firstResultBlock(page);
    if (!block || block->isEmpty())
        return false;
    QByteArray probe;
    probe.reserve(domain.size() + 3);
    probe.append('>').append(domain.data(), domain.size()).append("/ ");
    qsizetype marker = text::find(*block, UrlLine);
    for (qsizetype from = 0;;) {
        const qsizetype hit = text::find(*block, probe, from);
        if (hit < 0)
            return false;
        // The first cut that ends after the probe starts.
        while (marker >= 0 && marker + UrlLine.size() <= hit)
            marker = text::find(*block, UrlLine, marker + UrlLine.size());
        if (marker < 0 || marker >= hit + probe.size())
            return true;
        from = hit + 1; // this occurrence straddles a cut
    }
}

QDateTime snapshotDate(QByteArrayView page)
{
    if (text::find(page, NoResult) >= 0)
        return datetime::noSnapshot();
    const std::optional<QByteArrayView> block = firstResultBlock(page);
    // No table marker, or an empty block that yields no head.
    if (!block || block->isEmpty())
        return datetime::noSnapshot();
    const qsizetype paragraph = text::find(*block, AbstractParagraph);
    const QByteArrayView head = paragraph < 0 ? *block : block->first(paragraph);
    const qsizetype s = text::posOf(DateStart, head);
    const qsizetype e = text::posOf(DateEnd, head);
    const qsizetype start = s + DateStart.size();
    const QByteArrayView raw = text::partOf(head, start, e - start);
    const QByteArray cleaned = text::removeAll(text::removeAll(raw, ","), " ");
    return readDate(text::trim(cleaned));
}

void setCount(int kind, QueryResult &result, std::int32_t value)
{
    switch (static_cast<QueryKind>(kind)) {
    case QueryKind::TotalIndexed:
        result.baidu = value;
        break;
    case QueryKind::IndexedDay:
        result.baidu1 = value;
        break;
    case QueryKind::IndexedWeek:
        result.baidu7 = value;
        break;
    case QueryKind::IndexedMonth:
        result.baidu30 = value;
        break;
    case QueryKind::IndexedYear:
        result.baidu360 = value;
        break;
    case QueryKind::Backlinks:
        result.baidudomain = value;
        break;
    case QueryKind::Snapshot:
        break;
    }
}

// Reads `digits` (1 to 2 digit characters, or exactly `width`) as a number.
bool readField(QByteArrayView t, qsizetype &at, int minWidth, int maxWidth, int &value)
{
    int width = 0;
    value = 0;
    while (at < t.size() && width < maxWidth && t[at] >= '0' && t[at] <= '9') {
        value = value * 10 + (t[at] - '0');
        ++at;
        ++width;
    }
    return width >= minWidth;
}

} // namespace

std::int32_t readNumber(QByteArrayView numberText)
{
    if (numberText.isEmpty())
        return 0;
    if (!text::isDigits(numberText))
        return -1;
    std::int64_t value = 0;
    for (char c : numberText) {
        value = value * 10 + (c - '0');
        if (value > INT32_MAX)
            return -1;
    }
    return std::int32_t(value);
}

QDateTime readDate(QByteArrayView dateText)
{
    qsizetype at = 0;
    int year, month, day;
    const bool read = readField(dateText, at, 4, 4, year) && at < dateText.size() &&
                      dateText[at++] == '-' && readField(dateText, at, 1, 2, month) &&
                      at < dateText.size() && dateText[at++] == '-' &&
                      readField(dateText, at, 1, 2, day) && at == dateText.size();
    if (!read)
        return datetime::noSnapshot();
    const QDate date(year, month, day);
    if (!date.isValid())
        return datetime::noSnapshot();
    return datetime::make(date);
}

// Reads a page already in code page 936, by the classic rules.
static void readConverted(int kind, QByteArrayView domain, QByteArrayView page, QueryResult &result)
{
    if (kind == int(QueryKind::Snapshot)) {
        // The count of this page is never used: no need to cut it out.
        result.baiduindex = snapshotDate(page);
        return;
    }
    if (kind == int(QueryKind::TotalIndexed))
        result.baiduisfirst = homePageShown(page, domain);
    setCount(kind, result, readNumber(countText(page)));
}

void readPage(int kind, QByteArrayView domain, QByteArrayView body, QueryResult &result) noexcept
{
    if (!isQueryKind(kind))
        return;
    try {
        const std::optional<QByteArray> converted = codec::utf8ToCp936(body);
        readConverted(kind, domain, converted ? QByteArrayView(*converted) : body, result);
    } catch (...) {
        // Only memory exhaustion can land here; the slot keeps its value and
        // the answer is still counted by the caller.
    }
}

void readFailure(int kind, QueryResult &result) noexcept
{
    if (!isQueryKind(kind))
        return;
    if (kind == int(QueryKind::Snapshot)) {
        result.baiduindex = datetime::noSnapshot();
        return;
    }
    if (kind == int(QueryKind::TotalIndexed))
        result.baiduisfirst = false;
    setCount(kind, result, 0);
}

} // namespace pagereader

namespace pagereader {
namespace {

QByteArray gbk(const char16_t *text)
{
    return codec::toCp936(QStringView(text));
}

struct CurrentMarkers
{
    // The texts of today's pages, in code page 936.
    QByteArray siteBox = gbk(u"找到相关结果数");
    QByteArray about = gbk(u"约");
    QByteArray unit = gbk(u"个");
    QByteArray siteTotal = gbk(u"该网站共有");
    QByteArray siteTotalEnd = gbk(u"个网页被百度收录");
    QByteArray resultCount = gbk(u"百度为您找到相关结果");
    QByteArray yi = gbk(u"亿");
    QByteArray wan = gbk(u"万");
    QList<QByteArray> blocked = {gbk(u"百度安全验证"), "wappass.baidu.com/static/captcha",
                                 gbk(u"请输入验证码"), gbk(u"网络不给力，请稍后重试")};
    QList<QByteArray> none = {gbk(u"抱歉，没有找到该URL"), gbk(u"很抱歉，没有找到与"),
                              gbk(u"没有找到该URL"), gbk(u"未找到相关结果"), gbk(u"抱歉没有找到")};
};

const CurrentMarkers &markers()
{
    static const CurrentMarkers m;
    return m;
}

bool containsAny(QByteArrayView page, const QList<QByteArray> &texts)
{
    for (const QByteArray &t : texts) {
        if (text::find(page, t) >= 0)
            return true;
    }
    return false;
}

// "12,345", "3万", "1亿2345万": the value, or -1 when it does not read or
// does not fit.
std::int32_t readLargeNumber(QByteArrayView text)
{
    const CurrentMarkers &m = markers();
    const QByteArray t = text::removeAll(text::trim(text), ",");
    if (t.isEmpty())
        return -1;
    std::int64_t total = 0;
    std::int64_t lastUnit = std::numeric_limits<std::int64_t>::max();
    qsizetype at = 0;
    while (at < t.size()) {
        std::int64_t part = 0;
        qsizetype digits = 0;
        while (at < t.size() && t[at] >= '0' && t[at] <= '9' && digits < 12) {
            part = part * 10 + (t[at++] - '0');
            ++digits;
        }
        if (digits == 0)
            return -1;
        std::int64_t unit = 1;
        const QByteArrayView rest = QByteArrayView(t).sliced(at);
        if (rest.startsWith(m.yi)) {
            unit = 100000000;
            at += m.yi.size();
        } else if (rest.startsWith(m.wan)) {
            unit = 10000;
            at += m.wan.size();
        } else if (at < t.size()) {
            return -1;
        }
        if (unit >= lastUnit)
            return -1; // units must go down: 亿 before 万 before ones
        lastUnit = unit;
        total += part * unit;
        if (total > INT32_MAX)
            return -1;
    }
    return std::int32_t(total);
}

// The number text from `from` up to `end` (not found: nothing).
std::optional<QByteArrayView> between(QByteArrayView page, qsizetype from, QByteArrayView end)
{
    const qsizetype stop = text::find(page, end, from);
    if (stop < 0)
        return std::nullopt;
    return page.sliced(from, stop - from);
}

// Whether a page declares itself UTF-8.
bool declaresUtf8(QByteArrayView body, const QByteArray &contentType)
{
    auto declares = [](QByteArray text) {
        text = text.toLower();
        text.replace('"', "").replace('\'', "").replace(' ', "");
        return text.contains("charset=utf-8");
    };
    return declares(contentType) ||
           declares(body.first(qMin(body.size(), qsizetype(2048))).toByteArray());
}

} // namespace

std::optional<std::int32_t> currentCount(QByteArrayView page)
{
    const CurrentMarkers &m = markers();
    // Site box: 找到相关结果数约N个, usually inside <b>…</b>.
    qsizetype at = text::find(page, m.siteBox);
    if (at >= 0) {
        at += m.siteBox.size();
        if (page.sliced(at).startsWith(m.about))
            at += m.about.size();
        if (const auto n = between(page, at, m.unit))
            return readLargeNumber(text::removeAll(text::removeAll(*n, "<b>"), "</b>"));
        return -1;
    }
    // Site box, second form: 该网站共有 <b style="color:#333">N</b> 个网页被百度收录.
    at = text::find(page, m.siteTotal);
    if (at >= 0) {
        const auto inner = between(page, at + m.siteTotal.size(), m.siteTotalEnd);
        if (!inner)
            return -1;
        const qsizetype open = text::find(*inner, ">");
        const qsizetype close = text::find(*inner, "</b>");
        if (open < 0 || close < open)
            return -1;
        return readLargeNumber(inner->sliced(open + 1, close - open - 1));
    }
    // Result count: 百度为您找到相关结果约N个, or without 约.
    at = text::find(page, m.resultCount);
    if (at >= 0) {
        at += m.resultCount.size();
        if (page.sliced(at).startsWith(m.about))
            at += m.about.size();
        if (const auto n = between(page, at, m.unit))
            return readLargeNumber(*n);
        return -1;
    }
    return std::nullopt;
}

AnswerOutcome readAnswer(int kind, QByteArrayView domain, const QueryAnswer &answer,
                         QueryResult &result) noexcept
{
    if (!isQueryKind(kind))
        return AnswerOutcome::Unrecognised;
    const bool refused = answer.status == 403 || answer.status == 429 ||
                         outcome::isVerificationAddress(answer.finalUrl);
    if (!answer.succeeded) {
        readFailure(kind, result);
        return refused ? AnswerOutcome::Blocked : AnswerOutcome::Failed;
    }
    try {
        std::optional<QByteArray> converted = codec::utf8ToCp936(answer.page);
        if (!converted && declaresUtf8(answer.page, answer.contentType))
            converted = codec::utf8ToCp936Lossy(answer.page);
        const QByteArrayView page = converted ? QByteArrayView(*converted) : answer.page;
        readConverted(kind, domain, page, result);
        const CurrentMarkers &m = markers();
        if (refused || containsAny(page, m.blocked))
            return AnswerOutcome::Blocked;
        if (kind == int(QueryKind::Snapshot)) {
            if (result.baiduindex != datetime::noSnapshot())
                return AnswerOutcome::Read;
        } else {
            if (text::find(page, CountMarker) >= 0)
                return AnswerOutcome::Read;
            if (const std::optional<std::int32_t> count = currentCount(page)) {
                setCount(kind, result, *count);
                return AnswerOutcome::Current;
            }
        }
        return containsAny(page, m.none) ? AnswerOutcome::None : AnswerOutcome::Unrecognised;
    } catch (...) {
        // Memory exhausted: the slot keeps what it had.
        return AnswerOutcome::Unrecognised;
    }
}

} // namespace pagereader
