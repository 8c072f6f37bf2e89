#pragma once
// A main window on a temporary program folder, with the sounds and the tally
// recorded, and helpers that play it through clicks.

#include "game/board.h"
#include "game/cards.h"
#include "game/deck.h"
#include "platform/paths.h"
#include "ui/application.h"
#include "ui/mainform.h"
#include "widgets/cardimage.h"
#include "widgets/look.h"

#include <QAction>
#include <QFile>
#include <QLabel>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

struct Recorder : qv::SoundSink, qv::TallySink {
    std::vector<std::string> sounds;
    std::vector<std::string> tally;
    void playsounds(std::string_view name) override { sounds.emplace_back(name); }
    void addtomineincrease(Counter counter) override { tally.push_back("increase " + std::to_string(counter)); }
    void checkscore(int score, std::string_view name) override
    {
        tally.push_back("checkscore " + std::to_string(score) + " " + std::string(name));
    }
};

class MainWindow : public ::testing::Test {
protected:
    void SetUp() override
    {
        look::installFontSubstitutions();
        ASSERT_TRUE(dir.isValid());
        // Nothing may reach the real home folder.
        qputenv("XDG_CONFIG_HOME", dir.filePath("config").toLocal8Bit());
        qputenv("XDG_DATA_HOME", dir.filePath("data").toLocal8Bit());
        platform::setProgramDirOverride(dir.path());
        iniPath = dir.filePath("quenvale.ini");
    }
    void TearDown() override
    {
        w.reset();
        platform::setProgramDirOverride(QString());
    }

    // Creates the window on first use, so a test can write a settings file first.
    Tmain &window()
    {
        if (!w) {
            w = std::make_unique<Tmain>(&rec);
            w->setTally(&rec);
            w->setErrorReporter([this](const QString &message) { errors.push_back(message); });
            w->setNoticeReporter([this](const QString &message) { notices.push_back(message); });
            w->show();
        }
        return *w;
    }

    template <class T = QWidget> T *find(const QString &name)
    {
        T *found = window().findChild<T *>(name);
        EXPECT_NE(found, nullptr) << name.toStdString();
        return found;
    }
    QString caption(const QString &name) { return find<QLabel>(name)->text(); }
    // The card a card picture shows: 0 for the back, -1 for none.
    int cardIn(const QString &name) { return find<CardImage>(name)->picture(); }
    bool shown(const QString &name) { return find(name)->isVisible(); }
    QAction *action(const QString &name) { return find<QAction>(name); }

    // A click as the player makes it; the control must be on screen.
    void click(const QString &name)
    {
        QWidget *target = find(name);
        ASSERT_TRUE(target->isVisible()) << name.toStdString() << " is hidden";
        QTest::mouseClick(target, Qt::LeftButton, {}, target->rect().center());
    }
    static QString cellName(int row, int col) { return QStringLiteral("card_%1%2").arg(row).arg(col); }
    void clickCell(int row, int col) { click(cellName(row, col)); }
    // The sixteen cells left to right, top to bottom.
    void placeAll()
    {
        for (int row = 1; row <= 4; ++row)
            for (int col = 1; col <= 4; ++col)
                clickCell(row, col);
    }
    // Every number the engine owns is what the window shows.
    void expectWindowShowsTheEngine()
    {
        const qv::GameFlow &game = window().game();
        for (int row = 1; row <= 5; ++row)
            for (int col = 1; col <= 5; ++col) {
                const int card = game.board().cell(row, col);
                EXPECT_EQ(cardIn(cellName(row, col)), card == 0 ? -1 : card) << row << col;
            }
        EXPECT_EQ(cardIn("image_nextcard"), game.nextCard());
        EXPECT_EQ(caption("label_cardtype").toStdString(), game.nextCardCaption());
        for (int line : qv::boardLines) {
            const std::optional<int> points = game.lineScore(line);
            EXPECT_EQ(caption(QStringLiteral("label_linescore%1").arg(line)),
                      points ? QString::number(*points) : QString())
                << line;
        }
        EXPECT_EQ(caption("label_rounds"), QString::number(game.rounds()));
        EXPECT_EQ(caption("label_total"), QString::number(game.runningTotal()));
        EXPECT_EQ(caption("label_score"), QString::number(game.handsTotal()));
        EXPECT_EQ(find<QTimer>("Timer2")->isActive(), game.timer2Running());
    }

    // The pause after a round runs out on the sixth tick.
    void tickOut()
    {
        for (int i = 0; i <= qv::GameFlow::pauseTicks; ++i)
            window().Timer2Timer();
    }

    // The points of each line when the deck from this seed is placed left to right,
    // top to bottom, by the engine's own scorer.
    static qv::Board scoredBoard(std::uint32_t seed)
    {
        qv::Board b = qv::dealInOrder(seed);
        for (int line : qv::boardLines)
            b.getlinescore(line, qv::getsuit(b.cell(5, 5)));
        return b;
    }
    static int total(const qv::Board &b)
    {
        int sum = 0;
        for (const auto &row : b.linebreakdown)
            for (int points : row)
                sum += points;
        return sum;
    }
    // The first seed whose deal, placed in order, totals lo..hi.
    static std::uint32_t seedScoring(int lo, int hi)
    {
        for (std::uint32_t seed = 1;; ++seed) {
            const int t = total(scoredBoard(seed));
            if (t >= lo && t <= hi)
                return seed;
        }
    }
    // Deals the next round from seed and places all sixteen cards.
    void playRound(std::uint32_t seed, const QString &startButton)
    {
        window().game().generator().seed(seed);
        click(startButton);
        placeAll();
    }

    QByteArray iniContents() const
    {
        QFile f(iniPath);
        return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
    }
    void writeIni(const QByteArray &text) const
    {
        QFile f(iniPath);
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write(text);
    }

    QTemporaryDir dir;
    QString iniPath;
    Recorder rec;
    std::vector<QString> errors;
    std::vector<QString> notices;
    std::unique_ptr<Tmain> w;
};
