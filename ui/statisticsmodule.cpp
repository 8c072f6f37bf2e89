// The statistics module's entry point (built into quenvale-statistics only).
#include "ui/statisticsmodule.h"

#include "ui/statisticsform.h"

#include <type_traits>

extern "C" Q_DECL_EXPORT QWidget *quenvaleStatisticsWindow(const QString &historyPath, QWidget *parent,
                                                           const std::function<void()> &beforeReading)
{
    return new TStatistics(historyPath, parent, beforeReading);
}
static_assert(std::is_same_v<decltype(quenvaleStatisticsWindow), StatisticsWindowFactory>);
