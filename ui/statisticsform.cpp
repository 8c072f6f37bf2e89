#include "ui/statisticsform.h"

#include "history/historycsv.h"
#include "history/historydatabase.h"
#include "ui/statisticscharts.h"
#include "ui/statisticslook.h"

#include <QChart>
#include <QChartView>
#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QFileDialog>
#include <QFrame>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QMessageBox>
#include <QPushButton>
#include <QShortcut>
#include <QShowEvent>
#include <QVBoxLayout>

#include <ctime>

std::function<QString(QWidget *, const QString &)> TStatistics::askFileName = [](QWidget *parent,
                                                                                  const QString &suggested) {
    return QFileDialog::getSaveFileName(parent, QStringLiteral("Export CSV"), suggested,
                                        QStringLiteral("CSV files (*.csv);;All files (*)"));
};

std::function<void(QWidget *, const QString &)> TStatistics::showError = [](QWidget *parent, const QString &message) {
    QMessageBox::critical(parent, QStringLiteral("Quenvale"), message);
};

namespace {

const char *const figureNames[] = {"Games",         "Rounds",     "Best game",
                                   "Average game",  "Average round", "Best round",
                                   "Longest run of cleared rounds", "Average of the last 20 games"};

QLabel *figureLabel(const QString &text, int pixels, bool bold, Qt::Alignment align)
{
    auto *label = new QLabel(text);
    label->setFont(statisticslook::font(pixels, bold));
    statisticslook::setColour(label, QPalette::WindowText, look::maroon);
    label->setAlignment(align | Qt::AlignVCenter);
    return label;
}

QString number(double value, bool whole)
{
    return whole ? QLocale().toString(qlonglong(value)) : QLocale().toString(value, 'f', 1);
}

} // namespace

TStatistics::TStatistics(const QString &historyPath, QWidget *parent, std::function<void()> beforeReading)
    : QWidget(parent, Qt::Window), path_(historyPath), beforeReading_(std::move(beforeReading))
{
    setObjectName(QStringLiteral("statistics"));
    setWindowTitle(QStringLiteral("Quenvale - Statistics"));
    statisticslook::setColour(this, QPalette::Window, look::windowColour);
    setFont(statisticslook::font(13));
    buildLayout();
    resize(designWidth, designHeight);
}

TStatistics::~TStatistics() = default;

void TStatistics::buildLayout()
{
    auto *controls = new QHBoxLayout;
    auto *rangeLabel = figureLabel(QStringLiteral("Range:"), 13, true, Qt::AlignRight);
    range_ = new QComboBox;
    range_->setObjectName(QStringLiteral("combo_range"));
    range_->addItems({QStringLiteral("All games"), QStringLiteral("Last 30 days"), QStringLiteral("Last 7 days")});
    rangeLabel->setBuddy(range_);
    practiceApart_ = new QCheckBox(QStringLiteral("Show practice games apart"));
    practiceApart_->setObjectName(QStringLiteral("check_practice"));
    statisticslook::setColour(practiceApart_, QPalette::WindowText, look::maroon);
    export_ = new QPushButton(QStringLiteral("Export CSV..."));
    export_->setObjectName(QStringLiteral("button_export"));
    auto *close = new QPushButton(QStringLiteral("Close"));
    close->setObjectName(QStringLiteral("button_close"));
    controls->addWidget(rangeLabel);
    controls->addWidget(range_);
    controls->addSpacing(16);
    controls->addWidget(practiceApart_);
    controls->addStretch(1);
    controls->addWidget(export_);
    controls->addWidget(close);
    connect(range_, &QComboBox::currentIndexChanged, this, &TStatistics::refresh);
    connect(practiceApart_, &QCheckBox::toggled, this, &TStatistics::refresh);
    connect(export_, &QPushButton::clicked, this, &TStatistics::button_exportClick);
    connect(close, &QPushButton::clicked, this, &QWidget::close);
    connect(new QShortcut(QKeySequence(Qt::Key_Escape), this), &QShortcut::activated, this, &QWidget::close);

    auto chartView = [this](const char *name) {
        auto *view = new QChartView(new QChart);
        view->setObjectName(QLatin1String(name));
        view->setRenderHint(QPainter::Antialiasing);
        view->setMinimumSize(280, 190);
        view->setFrameShape(QFrame::NoFrame);
        view->setBackgroundBrush(look::windowColour);
        return view;
    };
    scoreView_ = chartView("chart_scores");
    totalsView_ = chartView("chart_totals");
    weeksView_ = chartView("chart_weeks");
    auto *lower = new QHBoxLayout;
    lower->addWidget(totalsView_, 1);
    lower->addWidget(weeksView_, 1);
    auto *charts = new QVBoxLayout;
    charts->addWidget(scoreView_, 3);
    charts->addLayout(lower, 2);

    auto *body = new QHBoxLayout;
    body->addLayout(charts, 1);
    body->addWidget(buildFigures(), 0);

    message_ = figureLabel(QString(), 13, false, Qt::AlignLeft);
    message_->setObjectName(QStringLiteral("label_message"));
    message_->setWordWrap(true);

    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(10, 8, 10, 8);
    layout->addLayout(controls);
    layout->addWidget(message_);
    layout->addLayout(body, 1);
    setMinimumSize(820, 560);
}

QWidget *TStatistics::buildFigures()
{
    auto *panel = new QFrame;
    panel->setObjectName(QStringLiteral("panel_figures"));
    panel->setStyleSheet(QStringLiteral("#panel_figures { border: 1px solid %1; background: %2; }")
                             .arg(look::maroon.name(), look::windowColour.lighter(106).name()));
    auto *grid = new QGridLayout(panel);
    grid->setContentsMargins(12, 10, 12, 10);
    grid->setVerticalSpacing(10);
    grid->addWidget(figureLabel(QStringLiteral("FIGURES"), 19, true, Qt::AlignHCenter), 0, 0, 1, 3);
    grid->addWidget(figureLabel(QStringLiteral("Played"), 13, true, Qt::AlignRight), 1, 1);
    practiceHeading_ = figureLabel(QStringLiteral("Practice"), 13, true, Qt::AlignRight);
    grid->addWidget(practiceHeading_, 1, 2);
    for (int row = 0; row < figureRows; ++row) {
        auto *name = figureLabel(QString::fromLatin1(figureNames[row]), 13, false, Qt::AlignLeft);
        name->setWordWrap(true);
        grid->addWidget(name, row + 2, 0);
        values_[std::size_t(row)] = figureLabel(QString(), 15, true, Qt::AlignRight);
        values_[std::size_t(row)]->setObjectName(QStringLiteral("label_figure%1").arg(row + 1));
        practiceValues_[std::size_t(row)] = figureLabel(QString(), 15, true, Qt::AlignRight);
        practiceValues_[std::size_t(row)]->setObjectName(QStringLiteral("label_practice%1").arg(row + 1));
        grid->addWidget(values_[std::size_t(row)], row + 2, 1);
        grid->addWidget(practiceValues_[std::size_t(row)], row + 2, 2);
    }
    note_ = figureLabel(QString(), 12, false, Qt::AlignLeft);
    note_->setWordWrap(true);
    note_->setAlignment(Qt::AlignLeft | Qt::AlignBottom);
    grid->addWidget(note_, figureRows + 2, 0, 1, 3);
    grid->setRowStretch(figureRows + 2, 1);
    grid->setColumnStretch(0, 1);
    grid->setColumnMinimumWidth(1, 56);
    panel->setMinimumWidth(250);
    panel->setMaximumWidth(320);
    return panel;
}

void TStatistics::showEvent(QShowEvent *event)
{
    QWidget::showEvent(event);
    if (!event->spontaneous())
        refresh();
}

std::int64_t TStatistics::since() const
{
    const int days = range_->currentIndex() == 1 ? 30 : range_->currentIndex() == 2 ? 7 : 0;
    return days ? std::int64_t(std::time(nullptr)) - std::int64_t(days) * 86400 : 0;
}

void TStatistics::refresh()
{
    if (beforeReading_)
        beforeReading_();
    games_ = {};
    practice_ = {};
    QString note;
    qv::history::HistoryDatabase db;
    const auto opened = db.openForReading(QFile::encodeName(path_).toStdString());
    if (!opened.message.empty()) {
        note = QString::fromLocal8Bit(opened.message.c_str());
    } else {
        try {
            const long offset = qv::history::localUtcOffset();
            games_ = qv::history::computeStatistics(db.handle(), {since(), false}, 400, offset);
            if (practiceApart_->isChecked())
                practice_ = qv::history::computeStatistics(db.handle(), {since(), true}, 400, offset);
        } catch (const qv::history::HistoryError &e) {
            note = QStringLiteral("The game history could not be read (%1).").arg(QString::fromLocal8Bit(e.what()));
        }
    }
    if (note.isEmpty() && games_.figures.games == 0 && practice_.figures.games == 0)
        note = range_->currentIndex() == 0 ? QStringLiteral("No games recorded yet. Every round you play is kept here.")
                                           : QStringLiteral("No games in this range.");
    message_->setText(note);
    message_->setVisible(!note.isEmpty());

    replaceChart(scoreView_, statisticscharts::scoreChart(games_, practiceApart_->isChecked() ? &practice_ : nullptr));
    replaceChart(totalsView_, statisticscharts::roundTotalsChart(games_));
    replaceChart(weeksView_, statisticscharts::clearedByWeekChart(games_));
    showFigures();
}

void TStatistics::replaceChart(QChartView *view, QChart *chart)
{
    QChart *old = view->chart();
    view->setChart(chart);
    delete old;
}

void TStatistics::showFigures()
{
    const bool apart = practiceApart_->isChecked();
    practiceHeading_->setVisible(apart);
    auto fill = [](const std::array<QLabel *, figureRows> &labels, const qv::history::Figures &f) {
        const bool any = f.games > 0;
        const QString none = QStringLiteral("-");
        labels[0]->setText(number(double(f.games), true));
        labels[1]->setText(number(double(f.rounds), true));
        labels[2]->setText(any ? number(f.bestGame, true) : none);
        labels[3]->setText(any ? number(f.averageGame, false) : none);
        labels[4]->setText(f.rounds ? number(f.averageRound, false) : none);
        labels[5]->setText(f.rounds ? number(f.bestRound, true) : none);
        labels[6]->setText(number(f.longestRun, true));
        labels[7]->setText(any ? number(f.averageLast20, false) : none);
    };
    fill(values_, games_.figures);
    fill(practiceValues_, practice_.figures);
    for (QLabel *label : practiceValues_)
        label->setVisible(apart);
    note_->setText(QStringLiteral("A round is cleared at 55 or more. Practice games are %1.")
                       .arg(apart ? QStringLiteral("counted apart, and shown grey on the score chart")
                                  : QStringLiteral("left out")));
}

QString TStatistics::figureText(int row, bool practice) const
{
    return (practice ? practiceValues_ : values_).at(std::size_t(row))->text();
}

QString TStatistics::message() const
{
    return message_->isVisible() ? message_->text() : QString();
}

void TStatistics::button_exportClick()
{
    const QString suggested = QDir::home().filePath(QStringLiteral("quenvale-rounds.csv"));
    const QString file = askFileName(this, suggested);
    if (file.isEmpty())
        return;
    if (beforeReading_)
        beforeReading_();
    try {
        qv::history::HistoryDatabase db;
        const auto opened = db.openForReading(QFile::encodeName(path_).toStdString());
        if (!opened.message.empty())
            throw qv::history::HistoryError(opened.message);
        const long rounds = qv::history::exportRoundsCsv(db.handle(), since(), QFile::encodeName(file).toStdString());
        message_->setText(QStringLiteral("%1 rounds written to %2.").arg(QLocale().toString(qlonglong(rounds)), file));
        message_->setVisible(true);
    } catch (const qv::history::HistoryError &e) {
        showError(this, QStringLiteral("The rounds could not be exported: %1").arg(QString::fromLocal8Bit(e.what())));
    }
}
