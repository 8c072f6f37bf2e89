#include "ui/statisticscharts.h"

#include "game/gameflow.h"
#include "ui/statisticslook.h"

#include <QAreaSeries>
#include <QChart>
#include <QDateTime>
#include <QDateTimeAxis>
#include <QLegendMarker>
#include <QLineSeries>
#include <QPen>
#include <QScatterSeries>
#include <QValueAxis>

#include <algorithm>
#include <cmath>

namespace statisticscharts {

namespace {

const QColor plotColour{246, 240, 214};   // a pale khaki behind the points
const QColor darkKhaki{150, 132, 62};     // the game scores, the totals below 55
const QColor averageColour{46, 84, 122};  // a quiet blue, apart from maroon and khaki
const QColor practiceColour{128, 128, 128};
constexpr std::size_t maxWeekPoints = 150;

QChart *newChart(const QString &title)
{
    auto *chart = new QChart;
    chart->setTitle(title);
    chart->setTitleFont(statisticslook::font(14, true));
    chart->setTitleBrush(look::maroon);
    chart->setBackgroundBrush(look::windowColour.lighter(106));
    chart->setBackgroundPen(QPen(look::maroon, 1));
    chart->setBackgroundRoundness(0);
    chart->setPlotAreaBackgroundBrush(plotColour);
    chart->setPlotAreaBackgroundVisible(true);
    chart->setMargins(QMargins(4, 2, 6, 2));
    chart->legend()->setAlignment(Qt::AlignBottom);
    chart->legend()->setFont(statisticslook::font(12));
    chart->legend()->setLabelColor(look::maroon);
    return chart;
}

void styleAxis(QAbstractAxis *axis, const QString &title)
{
    axis->setTitleText(title);
    axis->setTitleFont(statisticslook::font(12, true));
    axis->setTitleBrush(look::maroon);
    axis->setLabelsFont(statisticslook::font(11));
    axis->setLabelsColor(look::maroon);
    axis->setLinePenColor(look::maroon);
    axis->setGridLineColor(look::windowColour.darker(115));
}

QValueAxis *valueAxis(QChart *chart, Qt::Alignment side, const QString &title, double min, double max)
{
    auto *axis = new QValueAxis;
    styleAxis(axis, title);
    axis->setRange(min, max);
    axis->setLabelFormat(QStringLiteral("%d"));
    chart->addAxis(axis, side);
    return axis;
}

void attach(QChart *chart, QAbstractSeries *series, QAbstractAxis *x, QAbstractAxis *y)
{
    chart->addSeries(series);
    series->attachAxis(x);
    series->attachAxis(y);
}

QLineSeries *line(const QString &name, const QColor &colour, qreal width, Qt::PenStyle style = Qt::SolidLine)
{
    auto *series = new QLineSeries;
    series->setName(name);
    QPen pen(colour, width, style);
    pen.setCapStyle(Qt::FlatCap);
    series->setPen(pen);
    return series;
}

QScatterSeries *points(const QString &name, const QColor &colour, qreal size)
{
    auto *series = new QScatterSeries;
    series->setName(name);
    series->setMarkerSize(size);
    series->setColor(colour);
    series->setBorderColor(colour.darker(120));
    return series;
}

// Rounds a chart's top up to a readable step.
double niceTop(double value)
{
    if (value <= 10)
        return 10;
    const double step = value <= 100 ? 10 : value <= 500 ? 50 : value <= 1000 ? 100 : value <= 5000 ? 500 : 1000;
    return std::ceil(value / step) * step;
}

// Where a game stands on the x-axis: the practice games are counted on their own,
// so both sets are drawn over the same stretch.
double spread(double game, double count, double across) { return count <= 1 ? 1 : 1 + (game - 1) * (across - 1) / (count - 1); }

} // namespace

QChart *scoreChart(const qv::history::Statistics &games, const qv::history::Statistics *practice)
{
    QChart *chart = newChart(QStringLiteral("Score of Every Game"));
    const double count = double(std::max<long>(games.figures.games, 1));
    auto *score = points(QStringLiteral("Score"), darkKhaki, games.scores.size() > 150 ? 5 : 7);
    auto *best = line(QStringLiteral("Best so far"), look::maroon, 2);
    auto *average = line(QStringLiteral("Average of 20"), averageColour, 2);
    double top = 0;
    for (const qv::history::ScorePoint &p : games.scores) {
        score->append(p.game, p.score);
        best->append(p.game, p.bestSoFar);
        average->append(p.game, p.moving);
        top = std::max<double>(top, p.bestSoFar);
    }
    QScatterSeries *apart = nullptr;
    if (practice && !practice->scores.empty()) {
        apart = points(QStringLiteral("Practice"), practiceColour, 5);
        const double practiceCount = double(practice->figures.games);
        for (const qv::history::ScorePoint &p : practice->scores) {
            apart->append(spread(p.game, practiceCount, count), p.score);
            top = std::max<double>(top, p.bestSoFar);
        }
    }
    QValueAxis *x = valueAxis(chart, Qt::AlignBottom, QStringLiteral("Games, oldest first"), 1, std::max(2.0, count));
    QValueAxis *y = valueAxis(chart, Qt::AlignLeft, QStringLiteral("Score"), 0, niceTop(top * 1.05));
    x->applyNiceNumbers();
    x->setMin(std::max(0.0, x->min()));
    y->applyNiceNumbers();
    if (apart)
        attach(chart, apart, x, y);
    attach(chart, score, x, y);
    attach(chart, average, x, y);
    attach(chart, best, x, y);
    return chart;
}

QChart *roundTotalsChart(const qv::history::Statistics &games)
{
    QChart *chart = newChart(QStringLiteral("Round Totals"));
    const int band = qv::history::roundTotalBand;
    const int threshold = qv::GameFlow::continueThreshold;
    // A step outline per band, below 55 in khaki and from 55 in maroon.
    auto *belowTop = new QLineSeries, *belowBase = new QLineSeries;
    auto *clearTop = new QLineSeries, *clearBase = new QLineSeries;
    long most = 0;
    const int bands = std::max<int>(int(games.roundTotals.size()), threshold / band + 4);
    for (int i = 0; i < bands; ++i) {
        const long count = i < int(games.roundTotals.size()) ? games.roundTotals[std::size_t(i)] : 0;
        most = std::max(most, count);
        const bool cleared = i * band >= threshold;
        QLineSeries *top = cleared ? clearTop : belowTop;
        QLineSeries *base = cleared ? clearBase : belowBase;
        top->append(i * band, double(count));
        top->append((i + 1) * band, double(count));
        base->append(i * band, 0);
        base->append((i + 1) * band, 0);
    }
    auto *below = new QAreaSeries(belowTop, belowBase);
    below->setName(QStringLiteral("Below 55"));
    below->setColor(darkKhaki);
    below->setBorderColor(darkKhaki.darker(130));
    auto *clear = new QAreaSeries(clearTop, clearBase);
    // An area series draws its outlines but does not own them.
    for (QLineSeries *outline : {belowTop, belowBase})
        outline->setParent(below);
    for (QLineSeries *outline : {clearTop, clearBase})
        outline->setParent(clear);
    clear->setName(QStringLiteral("55 and over"));
    clear->setColor(look::maroon);
    clear->setBorderColor(look::maroon.darker(130));

    const double yTop = niceTop(double(most) * 1.1);
    auto *mark = line(QStringLiteral("55"), Qt::black, 1.5, Qt::DashLine);
    mark->append(threshold, 0);
    mark->append(threshold, yTop);
    QValueAxis *x = valueAxis(chart, Qt::AlignBottom, QStringLiteral("Hands total"), 0, bands * band);
    QValueAxis *y = valueAxis(chart, Qt::AlignLeft, QStringLiteral("Rounds"), 0, yTop);
    x->setTickType(QValueAxis::TicksDynamic);
    x->setTickAnchor(0);
    x->setTickInterval(bands * band > 80 ? 20 : 10);
    y->applyNiceNumbers();
    attach(chart, below, x, y);
    attach(chart, clear, x, y);
    attach(chart, mark, x, y);
    // The line explains itself; its legend entry would only say "55" again.
    for (QLegendMarker *marker : chart->legend()->markers(mark))
        marker->setVisible(false);
    return chart;
}

QChart *clearedByWeekChart(const qv::history::Statistics &games)
{
    QChart *chart = newChart(QStringLiteral("Rounds Cleared by Week"));
    auto *share = line(QStringLiteral("Cleared (55 or more)"), look::maroon, 2);
    // Years of weeks share points, a few weeks each, so the line stays readable.
    const std::size_t weeks = games.weeks.size();
    const std::size_t group = std::max<std::size_t>(1, (weeks + maxWeekPoints - 1) / maxWeekPoints);
    share->setPointsVisible(weeks <= 60);
    qint64 first = 0, last = 0;
    for (std::size_t i = 0; i < weeks; i += group) {
        long rounds = 0, cleared = 0;
        for (std::size_t j = i; j < std::min(weeks, i + group); ++j) {
            rounds += games.weeks[j].rounds;
            cleared += games.weeks[j].cleared;
        }
        const qint64 ms = qint64(games.weeks[i].weekStart) * 1000;
        share->append(double(ms), rounds ? 100.0 * double(cleared) / double(rounds) : 0.0);
        if (first == 0)
            first = ms;
        last = ms;
    }
    if (first == 0)
        first = last = QDateTime::currentMSecsSinceEpoch();
    auto *x = new QDateTimeAxis;
    styleAxis(x, group == 1 ? QStringLiteral("Week") : QStringLiteral("Weeks, %1 to a point").arg(group));
    const qint64 year = qint64(365) * 86400 * 1000;
    x->setFormat(last - first > year ? QStringLiteral("MMM yyyy") : QStringLiteral("d MMM"));
    x->setTickCount(4);
    const qint64 week = qint64(7) * 86400 * 1000;
    x->setRange(QDateTime::fromMSecsSinceEpoch(first - week / 2), QDateTime::fromMSecsSinceEpoch(last + week / 2));
    chart->addAxis(x, Qt::AlignBottom);
    QValueAxis *y = valueAxis(chart, Qt::AlignLeft, QStringLiteral("Cleared (%)"), 0, 100);
    attach(chart, share, x, y);
    chart->legend()->hide();
    return chart;
}

} // namespace statisticscharts
