#include "ui/tallylistform.h"

#include "platform/paths.h"
#include "tally/tallymodel.h"
#include "widgets/centring.h"
#include "widgets/flatpanel.h"
#include "widgets/lbbackground.h"
#include "widgets/look.h"
#include "widgets/picturebutton.h"

#include <QDate>
#include <QFile>
#include <QLabel>
#include <QLocale>
#include <QMessageBox>
#include <QShowEvent>

namespace {

const QColor white(255, 255, 255);

QLabel *makeLabel(QWidget *parent, const QString &name, const QRect &bounds, int pixelSize,
                  Qt::Alignment alignment, bool underline = false)
{
    auto *label = new QLabel(parent);
    label->setObjectName(name);
    label->setGeometry(bounds);
    label->setAlignment(alignment | Qt::AlignVCenter);
    QFont font = look::pixelFont(pixelSize, true);
    font.setUnderline(underline);
    label->setFont(font);
    look::setTextColour(label, look::maroon);
    return label;
}

QString fromTable(const std::string &text)
{
    return QString::fromStdString(text);
}

} // namespace

std::string tallyDate()
{
    return QLocale::system().toString(QDate::currentDate(), QLocale::ShortFormat).toStdString();
}

std::function<bool(QWidget *, const QString &)> Ttallylist::askYesNo = [](QWidget *parent, const QString &question) {
    return QMessageBox::question(parent, QStringLiteral("Quenvale"), question, QMessageBox::Yes | QMessageBox::No,
                                 QMessageBox::No) == QMessageBox::Yes;
};

std::function<void(QWidget *, const QString &)> Ttallylist::showError = [](QWidget *parent, const QString &message) {
    QMessageBox::critical(parent, QStringLiteral("Quenvale"), message);
};

Ttallylist::Ttallylist(TallyModel &model, const QPixmap &backgroundTile, QWidget *parent, const QString &tallyPath)
    : QWidget(parent, Qt::Window), model_(model), tallyPath_(tallyPath)
{
    setObjectName(QStringLiteral("tallylist"));
    setWindowTitle(QStringLiteral("Quenvale - Tally List"));
    buildLayout();
    model_.changed = [this] {
        showTally();
        if (loaded_)
            saveTally();
    };
    FormCreate(backgroundTile);
}

Ttallylist::~Ttallylist()
{
    FormDestroy();
    model_.changed = nullptr;
}

void Ttallylist::buildLayout()
{
    setFixedSize(342, 425);
    look::setWindowColour(this);
    QFont font(QStringLiteral("MS Sans Serif"));
    font.setPointSize(8);
    setFont(font);
    background_ = new TLbBackground(this);

    auto *panel = new TFlatPanel(this);
    panel->setObjectName(QStringLiteral("panel_tally"));
    panel->setGeometry(6, 6, 331, 413);
    panel->setTransparent(true);
    panel->setFrameColor(look::maroon);

    makeLabel(panel, QStringLiteral("label_myname"), {1, 5, 328, 24}, 19, Qt::AlignHCenter, true)
        ->setText(QStringLiteral("YOUR TALLY LIST"));
    const char *captions[] = {"Total Rounds:", "Rounds Cleared:", "Clear Percentage:"};
    const int tops[] = {42, 59, 77};
    for (int i = 0; i < 3; ++i) {
        makeLabel(panel, QString(), {9, tops[i], 180, 16}, 13, Qt::AlignRight)
            ->setText(QString::fromLatin1(captions[i]));
        mylabel[i + 1] = makeLabel(panel, QStringLiteral("mylabel_%1").arg(i + 1), {194, tops[i], 59, 16}, 13,
                                   Qt::AlignHCenter);
    }
    makeLabel(panel, QStringLiteral("label_highscores"), {1, 96, 328, 24}, 19, Qt::AlignHCenter, true)
        ->setText(QStringLiteral("HIGH SCORES"));
    // White on khaki is hard to read; on maroon it stands out well.
    band_ = new QWidget(panel);
    band_->setObjectName(QStringLiteral("band_newest"));
    band_->setAutoFillBackground(true);
    QPalette bandPalette = band_->palette();
    bandPalette.setColor(QPalette::Window, look::maroon);
    band_->setPalette(bandPalette);
    band_->hide();
    for (int n = 1; n <= TallyModel::places; ++n) {
        const int top = 126 + 24 * (n - 1);
        label_num[n] = makeLabel(panel, QStringLiteral("label_num%1").arg(n), {5, top, 24, 18}, 13, Qt::AlignRight);
        label_num[n]->setText(QStringLiteral("%1.").arg(n));
        label_date[n] = makeLabel(panel, QStringLiteral("label_date%1").arg(n), {32, top, 101, 18}, 13,
                                  Qt::AlignLeft);
        label_name[n] = makeLabel(panel, QStringLiteral("label_name%1").arg(n), {136, top, 132, 18}, 13,
                                  Qt::AlignLeft);
        // The score label sizes itself to its text; the room up to the frame is its limit.
        label_high[n] = makeLabel(panel, QStringLiteral("label_high%1").arg(n), {286, top, 42, 18}, 13,
                                  Qt::AlignLeft);
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

void Ttallylist::FormCreate(const QPixmap &backgroundTile)
{
    background_->setImage(backgroundTile);
    if (tallyPath_.isEmpty())
        tallyPath_ = platform::dataFilePath(QStringLiteral("quenvaletally.tld"));
    const std::string error = model_.load(QFile::encodeName(tallyPath_).toStdString());
    loaded_ = true;
    showTally();
    if (!error.empty())
        showError(this, QString::fromStdString(error));
}

void Ttallylist::FormDestroy()
{
    saveTally();
}

bool Ttallylist::saveTally()
{
    try {
        model_.save(QFile::encodeName(tallyPath_).toStdString());
        failureShown_ = false;
        return true;
    } catch (const std::exception &e) {
        if (!failureShown_)
            showError(this, QStringLiteral("The tally could not be saved (%1). Quenvale keeps it and tries again "
                                           "at the next change and when it ends.")
                                .arg(QString::fromLocal8Bit(e.what())));
        failureShown_ = true;
        return false;
    }
}

void Ttallylist::showTally()
{
    for (int c = TallyModel::totalRounds; c <= TallyModel::clearPercentage; ++c)
        mylabel[c]->setText(fromTable(model_.counter(c)));
    const int newest = model_.highlighted();
    const bool banded = newest >= 1 && newest <= TallyModel::places;
    if (banded)
        band_->setGeometry(3, label_num[newest]->y() - 2, 325, label_num[newest]->height() + 4);
    band_->setVisible(banded);
    for (int n = 1; n <= TallyModel::places; ++n) {
        label_date[n]->setText(fromTable(model_.date(n)));
        label_name[n]->setText(fromTable(model_.name(n)));
        label_high[n]->setText(fromTable(model_.scoreText(n)));
        const QColor &colour = n == newest ? white : look::maroon;
        for (QLabel *label : {label_high[n], label_date[n], label_name[n], label_num[n]}) {
            look::setTextColour(label, colour);
            QFont font = label->font();
            font.setBold(model_.bold(n));
            label->setFont(font);
        }
    }
}

void Ttallylist::showEvent(QShowEvent *event)
{
    // Each opening comes up over the game, wherever the main window is now.
    if (!event->spontaneous())
        centreOnMainWindow(this);
    QWidget::showEvent(event);
}

void Ttallylist::button_resetClick()
{
    if (askYesNo(this, QStringLiteral("Are you sure you want to reset the Tally?")))
        model_.reset();
}

void Ttallylist::button_doneClick()
{
    close();
}
