#include "TrendChart.h"

#include "AnswerNotes.h"

#include <QCategoryAxis>
#include <QCursor>
#include <QImage>
#include <QLegendMarker>
#include <QLineSeries>
#include <QPainter>
#include <QToolTip>
#include <QValueAxis>

#include <limits>

namespace {

struct SeriesLook
{
    const char *title;
    QRgb colour;
    int width;
    bool active;
};

const SeriesLook Looks[TrendChart::SeriesCount] = {
    {"总收录", 0x0000FF, 2, true},    {"昨日收录", 0xFF0000, 2, true},
    {"一周收录", 0x00FFFF, 2, true},  {"一月收录", 0x00FF40, 1, true},
    {"一年收录", 0xFFFF00, 1, true},  {"百度外链", 0xFF00FF, 1, true},
    {"首页位置", 0x000000, 1, false},
};

// A ring in the series' colour around a white centre, for points whose
// figure is not real.
QImage ringMarker(const QColor &colour)
{
    QImage image(18, 18, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    QPainter painter(&image);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setPen(QPen(colour.darker(130), 3));
    painter.setBrush(Qt::white);
    painter.drawEllipse(QRectF(2, 2, 14, 14));
    return image;
}

} // namespace

TrendChart::TrendChart(QWidget *parent) : QChartView(parent)
{
    auto *chart = new QChart(); // owned by the view from setChart on
    setChart(chart);
    chart->setTitle(TitleText);
    chart->setBackgroundBrush(QColor(0xE3, 0xEE, 0xFD));
    chart->setPlotAreaBackgroundVisible(false);
    chart->setLocalizeNumbers(true);
    chart->setLocale(QLocale(QLocale::English)); // thousands grouped: 1,234,567
    chart->legend()->setAlignment(Qt::AlignRight);
    chart->setMargins(QMargins(4, 4, 4, 4));
    setRenderHint(QPainter::Antialiasing);
    setRubberBand(QChartView::NoRubberBand);
    // Hovering a point tells its date, series and value.
    setMouseTracking(true);
    viewport()->setMouseTracking(true);

    m_yAxis = new QValueAxis(chart);
    m_yAxis->setLabelFormat(QStringLiteral("%.0f"));
    m_yAxis->setRange(0, 10);
    m_xAxis = new QCategoryAxis(chart);
    m_xAxis->setLabelsPosition(QCategoryAxis::AxisLabelsPositionOnValue);
    // Thirty dates side by side only fit standing up.
    m_xAxis->setLabelsAngle(-90);
    QFont small = m_xAxis->labelsFont();
    small.setPointSizeF(7);
    m_xAxis->setLabelsFont(small);
    QFont axisFont = m_yAxis->labelsFont();
    axisFont.setPointSizeF(8);
    m_yAxis->setLabelsFont(axisFont);
    m_xAxis->setRange(-0.5, 0.5);
    chart->addAxis(m_yAxis, Qt::AlignLeft);
    chart->addAxis(m_xAxis, Qt::AlignBottom);

    for (int p = 0; p < SeriesCount; ++p) {
        auto *s = new QLineSeries(chart);
        s->setName(QString::fromUtf8(Looks[p].title));
        QPen pen(QColor::fromRgb(Looks[p].colour));
        pen.setWidth(Looks[p].width);
        s->setPen(pen);
        // Point markers, so that a day alone still shows.
        s->setPointsVisible(true);
        s->setMarkerSize(6);
        s->setSelectedLightMarker(ringMarker(pen.color()));
        chart->addSeries(s);
        connect(s, &QXYSeries::hovered, this, [this, p](const QPointF &point, bool entered) {
            showPointNote(p, point, entered);
        });
        s->attachAxis(m_xAxis);
        s->attachAxis(m_yAxis);
        m_series[p] = s;
        setSeriesActive(p, Looks[p].active);
    }
}

void TrendChart::clearPoints()
{
    for (QLineSeries *s : m_series) {
        s->deselectAllPoints();
        s->clear();
    }
    for (auto &notes : m_notes)
        notes.clear();
    for (const QString &label : m_xAxis->categoriesLabels())
        m_xAxis->remove(label);
    m_points = 0;
    // An empty chart: whole-number ticks, nothing that looks like data.
    m_yAxis->setRange(0, 10);
    m_yAxis->setTickCount(6);
    m_xAxis->setRange(-0.5, 0.5);
    chart()->update();
}

void TrendChart::appendPoint(int index, const ShouluRow &row)
{
    const std::int32_t values[] = {row.result.baidu,   row.result.baidu1,   row.result.baidu7,
                                   row.result.baidu30, row.result.baidu360, row.result.baidudomain};
    for (int p = 0; p < 6; ++p) {
        m_series[p]->append(index, double(values[p]));
        if (!row.answers)
            continue;
        const AnswerRecord &a = (*row.answers)[std::size_t(p)];
        if (outcome::obtained(a.outcome))
            continue;
        // Drawn as a hollow ring (the series' marker for selected points).
        m_notes[p].insert(index, answernotes::note(a));
        m_series[p]->selectPoint(int(m_series[p]->count()) - 1);
    }
    m_xAxis->append(row.searchtime.date().toString(QStringLiteral("yyyy-MM-dd")), index);
    m_points = qMax(m_points, index + 1);
}

void TrendChart::fitAxes()
{
    double low = std::numeric_limits<double>::max();
    double high = std::numeric_limits<double>::lowest();
    for (int p = 0; p < 6; ++p) {
        for (const QPointF &point : m_series[p]->points()) {
            low = qMin(low, point.y());
            high = qMax(high, point.y());
        }
    }
    if (low > high) {
        low = 0;
        high = 10;
    }
    if (high - low < 10)
        high = low + 10;
    m_yAxis->setRange(qMin(0.0, low), high * 1.05);
    m_yAxis->applyNiceNumbers();
    m_xAxis->setStartValue(-0.5);
    m_xAxis->setRange(-0.5, qMax(0.5, m_points - 0.5));
}

void TrendChart::setTitleDomain(const QString &domain)
{
    chart()->setTitle(domain + TitleText);
}

QString TrendChart::titleText() const
{
    return chart()->title();
}

QStringList TrendChart::xLabels() const
{
    return m_xAxis->categoriesLabels();
}

void TrendChart::setSeriesActive(int position, bool active)
{
    QLineSeries *s = m_series[position];
    s->setVisible(active);
    for (QLegendMarker *marker : chart()->legend()->markers(s))
        marker->setVisible(active);
}

QString TrendChart::pointNote(int position, int index) const
{
    return m_notes[position].value(index);
}

void TrendChart::showPointNote(int position, const QPointF &point, bool entered)
{
    if (!entered) {
        QToolTip::hideText();
        return;
    }
    // The nearest day's own point, not the spot on the line.
    const int index = qRound(point.x());
    const QLineSeries *s = m_series[position];
    if (index < 0 || index >= s->count())
        return;
    const QStringList labels = xLabels();
    QString text = s->name() + QStringLiteral("：") +
                   QLocale(QLocale::English).toString(qint64(s->at(index).y()));
    if (index >= 0 && index < labels.size())
        text = labels[index] + u' ' + text;
    const QString note = pointNote(position, index);
    if (!note.isEmpty())
        text += u'\n' + note;
    QToolTip::showText(QCursor::pos(), text, this);
}

bool TrendChart::seriesActive(int position) const
{
    return m_series[position]->isVisible();
}
