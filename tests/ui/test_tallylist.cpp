// The tally-list window shows its model, asks before a reset, and reads and
// writes the tally file at its creation and its end.
#include "tally/tallyfile.h"
#include "tally/tallymodel.h"
#include "ui/tallylistform.h"

#include <QDir>
#include <QFile>
#include <QLabel>
#include <QTemporaryDir>
#include <QTest>
#include <gtest/gtest.h>

#include <cmath>
#include <memory>

namespace {

struct TallyWindow : ::testing::Test {
    QTemporaryDir dir;
    QString path;
    TallyModel model{[] { return std::string("6/2/24"); }};
    std::unique_ptr<Ttallylist> window;
    std::vector<QString> errors;
    std::vector<QString> questions;
    bool answer = true;

    void SetUp() override
    {
        path = dir.filePath("quenvaletally.tld");
        Ttallylist::showError = [this](QWidget *, const QString &m) { errors.push_back(m); };
        Ttallylist::askYesNo = [this](QWidget *, const QString &q) {
            questions.push_back(q);
            return answer;
        };
        window = std::make_unique<Ttallylist>(model, QPixmap(), nullptr, path);
    }

    QLabel *label(const QString &name) { return window->findChild<QLabel *>(name); }
    // Line n (from 0) of the grid text in the tally file as it is on disk now.
    std::string gridLine(int n)
    {
        const std::string text = readTallyFile(QFile::encodeName(path).toStdString());
        std::size_t start = 0;
        for (int i = 0; i < n; ++i)
            start = text.find("\r\n", start) + 2;
        return text.substr(start, text.find("\r\n", start) - start);
    }
    QString text(const QString &name) { return label(name)->text(); }
    QString counters() { return text("mylabel_1") + "," + text("mylabel_2") + "," + text("mylabel_3"); }
    // White and bold: the place ranked last.
    bool highlighted(int n)
    {
        for (const char *kind : {"label_high", "label_date", "label_name", "label_num"}) {
            QLabel *l = label(QStringLiteral("%1%2").arg(kind).arg(n));
            if (l->palette().color(QPalette::WindowText) != QColor(255, 255, 255) || !l->font().bold())
                return false;
        }
        return true;
    }
};

} // namespace

TEST_F(TallyWindow, ShowsEveryChangeOfTheModel)
{
    EXPECT_EQ(counters(), "0,0,0");
    EXPECT_EQ(text("label_num3"), "3.");
    EXPECT_EQ(text("label_high1"), "");
    model.addtomineincrease(TallyModel::totalRounds);
    model.addtomineincrease(TallyModel::roundsCleared);
    model.addtomineincrease(TallyModel::totalRounds);
    EXPECT_EQ(counters(), "2,1,50");

    model.checkscore(70, "Ann");
    model.checkscore(90, "Bo");
    EXPECT_EQ(text("label_high1"), "90");
    EXPECT_EQ(text("label_name1"), "Bo");
    EXPECT_EQ(text("label_date1"), "6/2/24");
    EXPECT_EQ(text("label_high2"), "70");
    EXPECT_EQ(text("label_name2"), "Ann");
    EXPECT_TRUE(highlighted(1));
    EXPECT_FALSE(highlighted(2));
    EXPECT_EQ(label("label_high2")->palette().color(QPalette::WindowText), QColor(128, 0, 0));
    // A score below the ten places only takes the highlight away.
    for (int i = 0; i < 8; ++i)
        model.checkscore(50, "C");
    model.checkscore(1, "Dee");
    for (int n = 1; n <= 10; ++n)
        EXPECT_FALSE(highlighted(n)) << n;
}

TEST_F(TallyWindow, ResetAsksFirstAndDecliningChangesNothing)
{
    model.checkscore(75, "Ann");
    answer = false;
    window->button_resetClick();
    EXPECT_EQ(questions, std::vector<QString>{"Are you sure you want to reset the Tally?"});
    EXPECT_EQ(text("label_high1"), "75");
    EXPECT_TRUE(highlighted(1));

    answer = true;
    QTest::mouseClick(window->findChild<QWidget *>("button_resettally"), Qt::LeftButton);
    EXPECT_EQ(questions.size(), 2u);
    EXPECT_EQ(text("label_high1"), "");
    EXPECT_EQ(text("label_name1"), "");
    EXPECT_FALSE(label("label_high1")->font().bold());
    EXPECT_EQ(label("label_high1")->palette().color(QPalette::WindowText), QColor(128, 0, 0));
    EXPECT_EQ(counters(), "0,0,0");
}

TEST_F(TallyWindow, ReadsTheFileAtStartAndWritesItAtTheEnd)
{
    model.checkscore(88, "Bea");
    window.reset();
    ASSERT_TRUE(QFile::exists(path));

    TallyModel next([] { return std::string("1/1/25"); });
    Ttallylist again(next, QPixmap(), nullptr, path);
    EXPECT_EQ(again.findChild<QLabel *>("label_high1")->text(), "88");
    EXPECT_EQ(again.findChild<QLabel *>("label_name1")->text(), "Bea");
    EXPECT_TRUE(errors.empty());
}

TEST_F(TallyWindow, EveryChangeIsWrittenAtOnceAndAFailedWriteIsReportedOnce)
{
    EXPECT_FALSE(QFile::exists(path)); // reading the tally writes nothing
    model.addtomineincrease(TallyModel::totalRounds);
    EXPECT_EQ(gridLine(14), "1");
    model.checkscore(70, "Flo");
    EXPECT_EQ(gridLine(15), "70");

    // A folder in the file's place cannot be replaced: told once, tried at every change.
    ASSERT_TRUE(QFile::remove(path));
    ASSERT_TRUE(QDir().mkdir(path));
    model.addtomineincrease(TallyModel::totalRounds);
    model.addtomineincrease(TallyModel::roundsCleared);
    ASSERT_EQ(errors.size(), 1u);
    EXPECT_TRUE(errors[0].contains(path)) << errors[0].toStdString();
    EXPECT_TRUE(errors[0].contains("Is a directory")) << errors[0].toStdString();
    EXPECT_FALSE(window->saveTally());
    EXPECT_EQ(errors.size(), 1u);

    // Nothing was lost: the next write has all of it.
    ASSERT_TRUE(QDir().rmdir(path));
    answer = true;
    window->button_resetClick();
    EXPECT_EQ(gridLine(14), "0");
    EXPECT_EQ(errors.size(), 1u);
    model.addtomineincrease(TallyModel::totalRounds);
    EXPECT_EQ(gridLine(14), "1");
}

TEST_F(TallyWindow, DamagedFileIsReportedOnceAndTheEmptyTallyShown)
{
    window.reset();
    {
        QFile f(path);
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write("this is not a tally");
    }
    TallyModel fresh([] { return std::string(); });
    window = std::make_unique<Ttallylist>(fresh, QPixmap(), nullptr, path);
    ASSERT_EQ(errors.size(), 1u);
    EXPECT_TRUE(errors[0].endsWith(" : Lzrw1 decompression : this file has no valid header !"))
        << errors[0].toStdString();
    EXPECT_EQ(counters(), "0,0,0");
    window.reset();
    EXPECT_TRUE(QFile::exists(path + ".bak"));
}

TEST_F(TallyWindow, DoneHidesTheWindowAndKeepsTheTally)
{
    model.checkscore(12, "Eve");
    window->show();
    QTest::mouseClick(window->findChild<QWidget *>("button_done"), Qt::LeftButton);
    EXPECT_FALSE(window->isVisible());
    window->show();
    EXPECT_EQ(text("label_high1"), "12");
}

namespace {
// WCAG's relative luminance of an sRGB colour.
double luminance(const QColor &c)
{
    auto channel = [](double v) { return v <= 0.03928 ? v / 12.92 : std::pow((v + 0.055) / 1.055, 2.4); };
    return 0.2126 * channel(c.redF()) + 0.7152 * channel(c.greenF()) + 0.0722 * channel(c.blueF());
}
} // namespace

TEST_F(TallyWindow, NewestEntryReadsWhiteOnAMaroonBand)
{
    QWidget *band = window->findChild<QWidget *>("band_newest");
    window->show();
    EXPECT_FALSE(band->isVisible());
    model.checkscore(70, "Ann");
    model.checkscore(60, "Bo");
    ASSERT_TRUE(highlighted(2));
    EXPECT_TRUE(band->isVisible());
    for (const char *kind : {"label_num2", "label_date2", "label_name2", "label_high2"})
        EXPECT_TRUE(band->geometry().contains(label(kind)->geometry().center())) << kind;
    EXPECT_FALSE(band->geometry().intersects(label("label_num1")->geometry()));
    EXPECT_FALSE(band->geometry().intersects(label("label_num3")->geometry()));
    const double face = luminance(band->palette().color(QPalette::Window));
    const double text = luminance(label("label_high2")->palette().color(QPalette::WindowText));
    EXPECT_GE((text + 0.05) / (face + 0.05), 4.5);

    for (int i = 0; i < 9; ++i)
        model.checkscore(50, "C");
    model.checkscore(1, "Dee"); // not ranked: no entry is the newest
    EXPECT_FALSE(band->isVisible());
}

TEST(TallyWindowPlace, OpensCentredOnTheMainWindow)
{
    TallyModel model([] { return std::string(); });
    QTemporaryDir dir;
    QWidget main;
    main.setGeometry(40, 30, 900, 700);
    main.show();
    Ttallylist tally(model, QPixmap(), &main, dir.filePath("t.tld"));
    tally.show();
    EXPECT_LE(std::abs(tally.frameGeometry().center().x() - main.frameGeometry().center().x()), 2);
    EXPECT_LE(std::abs(tally.frameGeometry().center().y() - main.frameGeometry().center().y()), 2);
    // Wherever the main window is at the next opening.
    tally.close();
    main.move(200, 100);
    tally.show();
    EXPECT_LE(std::abs(tally.frameGeometry().center().x() - main.frameGeometry().center().x()), 2);
}
