#pragma once
// The statistics window: charts and figures of every game recorded in the
// history, for a chosen range, with practice games left out or shown apart, and
// the rounds exported as CSV. It reads the history each time it is shown or a
// choice changes; the figures come from the history library, already counted.

#include "history/statistics.h"

#include <QWidget>

#include <array>
#include <functional>

class QChart;
class QChartView;
class QCheckBox;
class QComboBox;
class QLabel;
class QPushButton;

class TStatistics : public QWidget {
    Q_OBJECT
public:
    static constexpr int designWidth = 960;
    static constexpr int designHeight = 640;

    // historyPath is the history database; beforeReading (may be empty) runs
    // before every reading, so rounds still being written are shown too.
    explicit TStatistics(const QString &historyPath, QWidget *parent = nullptr,
                         std::function<void()> beforeReading = {});
    ~TStatistics() override;

public slots:
    // Reads the history again and shows it.
    void refresh();

public:
    // "Export CSV...": asks for a file and writes the rounds of the range there.
    void button_exportClick();

    // What is shown now (tests).
    const qv::history::Statistics &shown() const { return games_; }
    const qv::history::Statistics &shownPractice() const { return practice_; }
    QString figureText(int row, bool practice = false) const;
    QString message() const;

    // Replaceable for tests: the save-file question and the error message box.
    static std::function<QString(QWidget *parent, const QString &suggested)> askFileName;
    static std::function<void(QWidget *parent, const QString &message)> showError;

protected:
    void showEvent(QShowEvent *event) override;

private:
    void buildLayout();
    QWidget *buildFigures();
    void showFigures();
    // The start of the range chosen, seconds since 1970; 0 for all.
    std::int64_t since() const;
    static void replaceChart(QChartView *view, QChart *chart);

    QString path_;
    std::function<void()> beforeReading_;
    qv::history::Statistics games_, practice_;
    QComboBox *range_ = nullptr;
    QCheckBox *practiceApart_ = nullptr;
    QPushButton *export_ = nullptr;
    QLabel *message_ = nullptr;
    QLabel *practiceHeading_ = nullptr;
    QLabel *note_ = nullptr; // under the figures: what counts
    QChartView *scoreView_ = nullptr, *totalsView_ = nullptr, *weeksView_ = nullptr;
    static constexpr int figureRows = 8;
    std::array<QLabel *, figureRows> values_{}, practiceValues_{};
};
