#include "tally/tallyfile.h"
#include "tally/tallylistform.h"
#include "widgets/cardimage.h"

#include <QDate>
#include <QFile>
#include <QLabel>
#include <QLocale>
#include <QTemporaryDir>
#include <gtest/gtest.h>

#include <map>
#include <memory>
#include <sstream>

namespace {

std::vector<std::string> lines(const std::string &text)
{
    std::vector<std::string> out;
    size_t pos = 0;
    while (pos < text.size()) {
        const size_t end = text.find("\r\n", pos);
        out.push_back(text.substr(pos, end - pos));
        pos = end + 2;
    }
    return out;
}

QByteArray fileBytes(const QString &path)
{
    QFile f(path);
    f.open(QIODevice::ReadOnly);
    return f.readAll();
}

// The text of a tally nobody has played on yet.
std::string emptyTallyText()
{
    std::string t = "9\r\n12\r\n0\r\n";
    for (int i = 0; i < 11; ++i) t += "\r\n";
    t += "0\r\n";
    for (int i = 0; i < 10; ++i) t += "-1000\r\n";
    t += "\r\n0\r\n";
    for (int i = 0; i < 11; ++i) t += "\r\n";
    t += "0\r\n";
    for (int i = 0; i < 11; ++i) t += "\r\n";
    t += "0\r\n";
    for (int i = 0; i < 59; ++i) t += "\r\n";
    return t;
}

struct Tally : ::testing::Test {
    QTemporaryDir dir;
    QString path;
    std::unique_ptr<Ttallylist> window;
    std::vector<QString> errors;
    bool answer = true;

    void SetUp() override
    {
        path = dir.filePath("quenvaletally.tld");
        Ttallylist::showError = [this](QWidget *, const QString &m) { errors.push_back(m); };
        Ttallylist::askYesNo = [this](QWidget *, const QString &q) {
            EXPECT_EQ(q, "Are you sure you want to reset the Tally?");
            return answer;
        };
        open();
    }

    void open() { window = std::make_unique<Ttallylist>(QPixmap(), nullptr, path); }
    // Starts again on a tally file holding the empty tally with some lines changed
    // (0-based line numbers of the grid text).
    void reopenWith(const std::map<int, std::string> &changes)
    {
        auto cells = lines(emptyTallyText());
        for (const auto &[line, text] : changes)
            cells[line] = text;
        std::string text;
        for (const auto &l : cells)
            text += l + "\r\n";
        window.reset();
        writeTallyFile(path, text);
        open();
    }
    void reopen()
    {
        window.reset();
        open();
    }

    QLabel *label(const QString &name) { return window->findChild<QLabel *>(name); }
    QString score(int n) { return label(QStringLiteral("label_high%1").arg(n))->text(); }
    int scoreTag(int n) { return tag(label(QStringLiteral("label_high%1").arg(n))); }
    QString name(int n) { return label(QStringLiteral("label_name%1").arg(n))->text(); }
    QString counters()
    {
        return label("mylabel_1")->text() + "," + label("mylabel_2")->text() + "," + label("mylabel_3")->text();
    }
    bool highlighted(int n)
    {
        QLabel *l = label(QStringLiteral("label_high%1").arg(n));
        return l->palette().color(QPalette::WindowText) == QColor(255, 255, 255) && l->font().bold();
    }
};

} // namespace

TEST_F(Tally, NewTallyIsWrittenAtExitByteForByte)
{
    EXPECT_EQ(counters(), "0,0,0");
    EXPECT_EQ(score(1), "");
    window.reset();
    const QByteArray bytes = fileBytes(path);
    ASSERT_GE(bytes.size(), 12);
    EXPECT_EQ(bytes.left(4), QByteArray("\x57\x52\x5A\x4C", 4));
    const std::string text = readTallyFile(path);
    EXPECT_EQ(lines(text).size(), 110u);
    EXPECT_EQ(text, emptyTallyText());
    EXPECT_TRUE(errors.empty());
}

TEST_F(Tally, ResetChangesOnlyTheUnusedCells)
{
    window->button_resetClick();
    window.reset();
    const auto before = lines(emptyTallyText());
    const auto after = lines(readTallyFile(path));
    ASSERT_EQ(after.size(), 110u);
    std::vector<int> differing;
    for (size_t i = 0; i < after.size(); ++i)
        if (after[i] != before[i])
            differing.push_back(static_cast<int>(i) + 1);
    EXPECT_EQ(differing, (std::vector<int>{26, 63, 75, 87, 99}));
    EXPECT_EQ(after[25], "-1000");
    EXPECT_EQ(after[62], "0");
}

TEST_F(Tally, DecliningTheResetChangesNothing)
{
    window->checkscore(75, QStringLiteral("Ann"));
    answer = false;
    window->button_resetClick();
    EXPECT_EQ(score(1), "75");
    answer = true;
    window->button_resetClick();
    EXPECT_EQ(score(1), "");
    EXPECT_EQ(scoreTag(1), -1000);
    EXPECT_FALSE(label("label_high1")->font().bold());
}

TEST_F(Tally, LoadThenSaveKeepsTheBytes)
{
    window->checkscore(88, QStringLiteral("Bea"));
    window->addtomineincrease(1);
    reopen();
    EXPECT_EQ(score(1), "88");
    EXPECT_EQ(name(1), "Bea");
    EXPECT_EQ(counters(), "1,0,0");
    const QByteArray first = fileBytes(path);
    reopen();
    window.reset();
    EXPECT_EQ(fileBytes(path), first);
}

TEST_F(Tally, ScoreThatIsNotANumberRanksAsEmptyAndIsKept)
{
    reopenWith({{15, "50"}, {16, "abc"}, {28, "Cy"}, {29, "Di"}}); // places 1 and 2
    EXPECT_EQ(score(2), "");
    EXPECT_EQ(scoreTag(2), -1000);
    // Saved back unchanged.
    window.reset();
    EXPECT_EQ(lines(readTallyFile(path))[16], "abc");
    // A new score goes above it; the letters move down with their place.
    open();
    EXPECT_TRUE(window->checkscore(10, QStringLiteral("Ed")));
    EXPECT_EQ(score(2), "10");
    EXPECT_EQ(window->table().Cells(1, 3), "abc");
}

TEST_F(Tally, DamagedFileIsReportedOnceAndKeptAside)
{
    window.reset();
    {
        QFile f(path);
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write("this is not a tally");
    }
    open();
    ASSERT_EQ(errors.size(), 1u);
    EXPECT_TRUE(errors[0].contains("no valid header")) << errors[0].toStdString();
    EXPECT_EQ(counters(), "0,0,0");
    window.reset();
    EXPECT_EQ(fileBytes(path + ".bak"), QByteArray("this is not a tally"));
    EXPECT_EQ(readTallyFile(path), emptyTallyText());
    errors.clear();
    open();
    EXPECT_TRUE(errors.empty());
}

TEST_F(Tally, RankingPlacesEqualScoresAboveOlderOnes)
{
    for (int s : {90, 90, 120})
        window->checkscore(s, QStringLiteral("old"));
    for (int n = 4; n <= 10; ++n)
        window->checkscore(10 - n, QStringLiteral("p%1").arg(n)); // fills places 4..10
    EXPECT_TRUE(window->checkscore(90, QStringLiteral("new")));
    EXPECT_EQ(score(1), "120");
    EXPECT_EQ(score(2), "90");
    EXPECT_EQ(name(2), "new");
    EXPECT_EQ(score(3), "90");
    EXPECT_EQ(score(4), "90");
    EXPECT_TRUE(highlighted(2));
    EXPECT_FALSE(highlighted(3));
    EXPECT_EQ(label("label_date2")->text(),
              QLocale::system().toString(QDate::currentDate(), QLocale::ShortFormat));
    EXPECT_EQ(window->table().Cells(2, 2), "new");
}

TEST_F(Tally, FullListTakesOnlyScoresAtLeastItsLast)
{
    for (int s = 130; s >= 40; s -= 10)
        window->checkscore(s, QStringLiteral("p"));
    EXPECT_EQ(score(10), "40");
    EXPECT_FALSE(window->checkscore(39, QStringLiteral("no")));
    for (int n = 1; n <= 10; ++n)
        EXPECT_FALSE(label(QStringLiteral("label_high%1").arg(n))->palette().color(QPalette::WindowText) ==
                     QColor(255, 255, 255));
    EXPECT_TRUE(window->checkscore(40, QStringLiteral("yes")));
    EXPECT_EQ(name(10), "yes");
    EXPECT_EQ(score(9), "50");
}

TEST_F(Tally, ZeroRanksFirstOnAnEmptyTally)
{
    window->checkscore(0, std::string_view(""));
    EXPECT_EQ(score(1), "0");
    EXPECT_EQ(name(1), "");
    EXPECT_TRUE(highlighted(1));
}

TEST_F(Tally, CountersAndPercentage)
{
    window->addtomineincrease(1);
    EXPECT_EQ(counters(), "1,0,0");
    window->addtomineincrease(2);
    EXPECT_EQ(counters(), "1,1,0");
    window->addtomineincrease(1);
    EXPECT_EQ(counters(), "2,1,50");
    EXPECT_EQ(counters(), "2,1,50"); // the failed second round adds nothing
    window->addtomineincrease(1);
    EXPECT_EQ(counters(), "3,1,33");
}

TEST_F(Tally, CounterThatIsNotANumberStartsFromZero)
{
    reopenWith({{14, "many"}}); // Total Rounds
    window->addtomineincrease(1);
    EXPECT_EQ(counters(), "1,0,0");
}
