#pragma once

#include "ShouluRow.h"

#include <QChartView>
#include <QHash>
#include <QStringList>

#include <array>

class QCategoryAxis;
class QLineSeries;
class QValueAxis;

// The 30-day trend chart: seven line series (total, day, week, month,
// year, backlinks, and the never-fed home page position), points at
// x = 0, 1, 2... labelled with their dates.
class TrendChart : public QChartView
{
    Q_OBJECT
public:
    static constexpr int SeriesCount = 7;
    static inline const QString TitleText = QStringLiteral("最近30日走势图");

    explicit TrendChart(QWidget *parent = nullptr);

    QLineSeries *series(int position) const { return m_series[position]; }
    // Removes the points of all seven series.
    void clearPoints();
    // Adds the row's six figures at x = index, labelled with the row's date.
    void appendPoint(int index, const ShouluRow &row);
    // Fits the axes to the points after a refill.
    void fitAxes();
    void setTitleDomain(const QString &domain);
    QString titleText() const;
    QStringList xLabels() const;
    // Shown or hidden, in the plot and in the legend; the points stay.
    void setSeriesActive(int position, bool active);
    bool seriesActive(int position) const;

    // Why the point of a series at x = index is not a real figure (empty
    // when it is); such points are drawn as hollow rings.
    QString pointNote(int position, int index) const;

private:
    void showPointNote(int position, const QPointF &point, bool entered);
    std::array<QHash<int, QString>, SeriesCount> m_notes;
    std::array<QLineSeries *, SeriesCount> m_series{};
    QValueAxis *m_yAxis = nullptr;
    QCategoryAxis *m_xAxis = nullptr;
    int m_points = 0;
};
