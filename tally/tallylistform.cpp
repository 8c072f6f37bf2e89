#include "tally/tallylistform.h"

#include "platform/paths.h"
#include "tally/tallyfile.h"
#include "widgets/cardimage.h"
#include "widgets/flatpanel.h"
#include "widgets/lbbackground.h"
#include "widgets/picturebutton.h"

#include <QDate>
#include <QFile>
#include <QLocale>
#include <QMessageBox>

#include <charconv>

namespace {

const QColor maroon(128, 0, 0);
const QColor white(255, 255, 255);

// A table cell read as an integer; nothing for text that is not one.
std::optional<int> cellInteger(const std::string &text)
{
    int value = 0;
    const char *first = text.data();
    const char *last = first + text.size();
    const auto [ptr, ec] = std::from_chars(first, last, value);
    if (text.empty() || ec != std::errc() || ptr != last)
        return std::nullopt;
    return value;
}

QLabel *makeLabel(QWidget *parent, const QString &name, const QRect &bounds, int pixelSize,
                  Qt::Alignment alignment, bool underline = false)
{
    auto *label = new QLabel(parent);
    label->setObjectName(name);
    label->setGeometry(bounds);
    label->setAlignment(alignment | Qt::AlignVCenter);
    QFont font(QStringLiteral("MS Sans Serif"));
    font.setPixelSize(pixelSize);
    font.setBold(true);
    font.setUnderline(underline);
    label->setFont(font);
    QPalette pal = label->palette();
    pal.setColor(QPalette::WindowText, maroon);
    label->setPalette(pal);
    return label;
}

} // namespace

std::function<bool(QWidget *, const QString &)> Ttallylist::askYesNo = [](QWidget *parent, const QString &question) {
    return QMessageBox::question(parent, QStringLiteral("Quenvale"), question, QMessageBox::Yes | QMessageBox::No,
                                 QMessageBox::No) == QMessageBox::Yes;
};

std::function<void(QWidget *, const QString &)> Ttallylist::showError = [](QWidget *parent, const QString &message) {
    QMessageBox::critical(parent, QStringLiteral("Quenvale"), message);
};

Ttallylist::Ttallylist(const QPixmap &backgroundTile, QWidget *parent, const QString &tallyPath)
    : QWidget(parent, Qt::Window), tallyPath_(tallyPath)
{
    setObjectName(QStringLiteral("tallylist"));
    setWindowTitle(QStringLiteral("Quenvale - Tally List"));
    buildLayout();
    FormCreate(backgroundTile);
}

Ttallylist::~Ttallylist()
{
    FormDestroy();
}

void Ttallylist::buildLayout()
{
    setFixedSize(342, 425);
    QPalette pal = palette();
    pal.setColor(QPalette::Window, QColor(210, 197, 132));
    setPalette(pal);
    QFont font(QStringLiteral("MS Sans Serif"));
    font.setPointSize(8);
    setFont(font);
    background_ = new TLbBackground(this);

    auto *panel = new TFlatPanel(this);
    panel->setObjectName(QStringLiteral("panel_tally"));
    panel->setGeometry(6, 6, 331, 413);
    panel->setTransparent(true);
    panel->setFrameColor(maroon);

    makeLabel(panel, QStringLiteral("label_myname"), {1, 5, 328, 24}, 19, Qt::AlignHCenter, true)
        ->setText(QStringLiteral("YOUR TALLY LIST"));
    const char *captions[] = {"Total Rounds:", "Rounds Cleared:", "Clear Percentage:"};
    const int tops[] = {42, 59, 77};
    for (int i = 0; i < 3; ++i) {
        makeLabel(panel, QString(), {9, tops[i], 180, 16}, 13, Qt::AlignRight)->setText(QString::fromLatin1(captions[i]));
        mylabel[i + 1] = makeLabel(panel, QStringLiteral("mylabel_%1").arg(i + 1), {194, tops[i], 59, 16}, 13,
                                   Qt::AlignHCenter);
        mylabel[i + 1]->setText(QStringLiteral("0"));
    }
    makeLabel(panel, QStringLiteral("label_highscores"), {1, 96, 328, 24}, 19, Qt::AlignHCenter, true)
        ->setText(QStringLiteral("HIGH SCORES"));
    for (int n = 1; n <= places; ++n) {
        const int top = 126 + 24 * (n - 1);
        label_num[n] = makeLabel(panel, QStringLiteral("label_num%1").arg(n), {5, top, 24, 18}, 13, Qt::AlignRight);
        label_num[n]->setText(QStringLiteral("%1.").arg(n));
        label_date[n] = makeLabel(panel, QStringLiteral("label_date%1").arg(n), {32, top, 101, 18}, 13, Qt::AlignLeft);
        label_name[n] = makeLabel(panel, QStringLiteral("label_name%1").arg(n), {136, top, 132, 18}, 13, Qt::AlignLeft);
        // The score label sizes itself to its text; the room up to the frame is its limit.
        label_high[n] = makeLabel(panel, QStringLiteral("label_high%1").arg(n), {286, top, 42, 18}, 13, Qt::AlignLeft);
        setTag(label_high[n], emptyScore);
    }

    auto *reset = new PictureButton(QStringLiteral(":/buttons/resettally.png"), QStringLiteral("Reset Tally"), panel);
    reset->setObjectName(QStringLiteral("button_resettally"));
    reset->setGeometry(8, 368, 126, 40);
    connect(reset, &QAbstractButton::clicked, this, &Ttallylist::button_resetClick);
    auto *done = new PictureButton(QStringLiteral(":/buttons/done.png"), QStringLiteral("Done"), panel);
    done->setObjectName(QStringLiteral("button_done"));
    done->setGeometry(200, 368, 126, 40);
    connect(done, &QAbstractButton::clicked, this, &Ttallylist::button_doneClick);
}

void Ttallylist::emptyTable()
{
    stringgrid_scores.setRowCount(12);
    for (int c = 0; c <= 4; ++c)
        stringgrid_scores.setCell(c, 0, "0");
    for (int r = 1; r <= places; ++r) {
        stringgrid_scores.setCell(0, r, "");
        stringgrid_scores.setCell(1, r, "-1000");
        stringgrid_scores.setCell(2, r, "");
    }
}

void Ttallylist::FormCreate(const QPixmap &backgroundTile)
{
    background_->setImage(backgroundTile);
    emptyTable();
    if (tallyPath_.isEmpty())
        tallyPath_ = platform::dataFilePath(QStringLiteral("quenvaletally.tld"));

    if (QFile::exists(tallyPath_)) {
        try {
            StringGrid loaded = stringgrid_scores;
            gridFromText(loaded, readTallyFile(tallyPath_));
            stringgrid_scores = std::move(loaded);
        } catch (const std::exception &e) {
            // The damaged file is kept aside at exit rather than simply overwritten.
            keepDamagedFile_ = true;
            showError(this, QString::fromStdString(e.what()));
        }
    }
    loadtally();
}

void Ttallylist::FormDestroy()
{
    // Errors at exit are silent: the previous tally file then stays as it was.
    try {
        if (keepDamagedFile_)
            keepAsBackup(tallyPath_);
        writeTallyFile(tallyPath_, gridToText(stringgrid_scores));
    } catch (const std::exception &) {
    }
}

void Ttallylist::loadtally()
{
    for (int c = 1; c <= 3; ++c)
        mylabel[c]->setText(QString::fromStdString(stringgrid_scores.Cells(c, 0)));
    for (int n = 1; n <= places; ++n) {
        if (stringgrid_scores.Cells(1, n).empty())
            stringgrid_scores.setCell(1, n, "-1000");
        label_date[n]->setText(QString::fromStdString(stringgrid_scores.Cells(0, n)));
        label_name[n]->setText(QString::fromStdString(stringgrid_scores.Cells(2, n)));
        const int score = cellInteger(stringgrid_scores.Cells(1, n)).value_or(emptyScore);
        setTag(label_high[n], score);
        label_high[n]->setText(score <= emptyScore ? QString() : QString::fromStdString(stringgrid_scores.Cells(1, n)));
    }
}

void Ttallylist::setPlaceColour(int place, const QColor &colour)
{
    for (QLabel *label : {label_high[place], label_date[place], label_name[place], label_num[place]}) {
        QPalette pal = label->palette();
        pal.setColor(QPalette::WindowText, colour);
        label->setPalette(pal);
    }
}

void Ttallylist::setPlaceBold(int place, bool bold)
{
    for (QLabel *label : {label_high[place], label_date[place], label_name[place], label_num[place]}) {
        QFont font = label->font();
        font.setBold(bold);
        label->setFont(font);
    }
}

void Ttallylist::copyPlace(int from, int to)
{
    setTag(label_high[to], tag(label_high[from]));
    label_high[to]->setText(label_high[from]->text());
    label_date[to]->setText(label_date[from]->text());
    label_name[to]->setText(label_name[from]->text());
    for (int c = 0; c <= 2; ++c)
        stringgrid_scores.setCell(c, to, stringgrid_scores.Cells(c, from));
}

bool Ttallylist::checkscore(int score, const QString &name)
{
    for (int n = 1; n <= places; ++n)
        setPlaceColour(n, maroon);

    int place = 1;
    while (place <= places && tag(label_high[place]) > score)
        ++place;
    if (place > places)
        return false;

    for (int m = places; m > place; --m)
        copyPlace(m - 1, m);
    setTag(label_high[place], score);
    label_high[place]->setText(QString::number(score));
    label_date[place]->setText(QLocale::system().toString(QDate::currentDate(), QLocale::ShortFormat));
    label_name[place]->setText(name);
    setPlaceColour(place, white);
    setPlaceBold(place, true);

    stringgrid_scores.setCell(0, place, label_date[place]->text().toStdString());
    stringgrid_scores.setCell(1, place, label_high[place]->text().toStdString());
    stringgrid_scores.setCell(2, place, label_name[place]->text().toStdString());
    return true;
}

void Ttallylist::checkscore(int score, std::string_view name)
{
    checkscore(score, QString::fromUtf8(name.data(), static_cast<qsizetype>(name.size())));
}

int Ttallylist::addit(int column, int row)
{
    // A counter that is not a number (a hand-edited file) starts again from 0.
    const int value = cellInteger(stringgrid_scores.Cells(column, row)).value_or(0) + 1;
    stringgrid_scores.setCell(column, row, std::to_string(value));
    return value;
}

void Ttallylist::addtomineset(int column, const QString &text)
{
    stringgrid_scores.setCell(column, 0, text.toStdString());
    if (column >= 1 && column <= 3)
        mylabel[column]->setText(text);
}

void Ttallylist::addtomineincrease(int column)
{
    addit(column, 0);
    if (column >= 1 && column <= 3)
        mylabel[column]->setText(QString::fromStdString(stringgrid_scores.Cells(column, 0)));
    if (column != 1)
        return;
    const auto rounds = cellInteger(stringgrid_scores.Cells(1, 0));
    const auto cleared = cellInteger(stringgrid_scores.Cells(2, 0));
    int percent = 0;
    if (rounds && cleared && *rounds != 0)
        percent = static_cast<int>(static_cast<long long>(*cleared) * 100 / *rounds);
    addtomineset(3, QString::number(percent));
}

void Ttallylist::button_resetClick()
{
    if (!askYesNo(this, QStringLiteral("Are you sure you want to reset the Tally?")))
        return;
    stringgrid_scores.setRowCount(12);
    for (int c = 1; c <= 3; ++c)
        mylabel[c]->setText(QStringLiteral("0"));
    for (int c = 1; c <= 8; ++c)
        stringgrid_scores.setCell(c, 0, "0");
    for (int r = 1; r < stringgrid_scores.RowCount(); ++r) {
        stringgrid_scores.setCell(0, r, "");
        stringgrid_scores.setCell(1, r, "-1000");
        stringgrid_scores.setCell(2, r, "");
    }
    for (int n = 1; n <= places; ++n) {
        label_date[n]->clear();
        label_high[n]->clear();
        label_name[n]->clear();
        setTag(label_high[n], emptyScore);
        setPlaceColour(n, maroon);
        setPlaceBold(n, false);
    }
}

void Ttallylist::button_doneClick()
{
    close();
}
