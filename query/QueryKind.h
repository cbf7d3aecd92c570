#pragma once

// The seven questions asked for every domain. The index is at once the
// position in QueryUrls, the launch order and the Kind a request carries.
enum class QueryKind : int
{
    TotalIndexed = 0,
    IndexedDay = 1,
    IndexedWeek = 2,
    IndexedMonth = 3,
    IndexedYear = 4,
    Backlinks = 5,
    Snapshot = 6,
};

// Answers counted for one domain before its row is stored; one per kind.
inline constexpr int AnswersPerDomain = 7;

inline constexpr bool isQueryKind(int index)
{
    return index >= 0 && index < AnswersPerDomain;
}
