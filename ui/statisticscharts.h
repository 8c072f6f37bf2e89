#pragma once
// The three charts of the statistics window, built from data already thinned by
// the history (a few hundred points at most, however long the history), in the
// game's colours.

#include "history/statistics.h"

class QChart;

namespace statisticscharts {

// The score of every game, oldest first, with the best so far and the average
// of the last 20 games; practice games as their own points when given.
QChart *scoreChart(const qv::history::Statistics &games, const qv::history::Statistics *practice);
// How many rounds made each hands total (in bands of five), with the 55 line.
QChart *roundTotalsChart(const qv::history::Statistics &games);
// The share of rounds cleared (55 or more), week by week.
QChart *clearedByWeekChart(const qv::history::Statistics &games);

} // namespace statisticscharts
