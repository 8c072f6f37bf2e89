// Building the overlay panels of the main window, and the name panel's handlers.
#include "ui/mainform.h"

#include "ui/settings.h"
#include "widgets/builders.h"
#include "widgets/cardimage.h"
#include "widgets/flatpanel.h"
#include "widgets/labels.h"
#include "widgets/look.h"
#include "widgets/picturebutton.h"

#include <QLabel>
#include <QLineEdit>
#include <QValidator>

namespace {

using look::maroon;
using look::pixelFont;

constexpr int nameLimit = kNameLength;

// Typing stops at ten characters; a longer name set from elsewhere may still be
// shortened. (A Name read from the settings file is cut to ten already.)
class NameValidator : public QValidator {
public:
    explicit NameValidator(QLineEdit *edit) : QValidator(edit), edit_(edit) {}
    State validate(QString &input, int &) const override
    {
        return input.size() <= nameLimit || input.size() < edit_->text().size() ? Acceptable : Invalid;
    }

private:
    QLineEdit *edit_;
};

QLineEdit *makeNameEdit(QWidget *parent, const QString &name, QPoint pos)
{
    auto *edit = new QLineEdit(parent);
    edit->setObjectName(name);
    edit->setFont(pixelFont(19));
    edit->setGeometry(pos.x(), pos.y(), 161, 32);
    edit->setValidator(new NameValidator(edit));
    edit->setAccessibleName(QStringLiteral("Player name"));
    return edit;
}

} // namespace

void Tmain::buildNamePanel(QWidget *board)
{
    TFlatPanel *panel_name = panels_.panel_name =
        makePanel(board, QStringLiteral("panel_name"), {98, 38, 263, 137}, false, maroon);
    makeHeading(panel_name, QStringLiteral("ENTER YOUR NAME"), {0, 12, 263, 26}, pixelFont(19, true));
    panels_.edit_aname = makeNameEdit(panel_name, QStringLiteral("edit_aname"), {51, 46});
    connect(panels_.edit_aname, &QLineEdit::returnPressed, this, &Tmain::button_namedoneClick);
    connect(makeButton(panel_name, QStringLiteral("button_namedone"), QStringLiteral("done"),
                       QStringLiteral("Done"), {5, 90}),
            &QAbstractButton::clicked, this, &Tmain::button_namedoneClick);
    connect(makeButton(panel_name, QStringLiteral("button_namecancel"), QStringLiteral("close"),
                       QStringLiteral("Close"), {133, 90}),
            &QAbstractButton::clicked, this, &Tmain::button_namecancelClick);
}

void Tmain::buildGameOverPanel(QWidget *board)
{
    TFlatPanel *panel_over = panels_.panel_over =
        makePanel(board, QStringLiteral("panel_over"), {483, 19, 191, 311}, false, maroon);
    panel_over->hide();
    // Both copies maroon: the second one pixel right and two up.
    makeHeading(panel_over, QStringLiteral("GAME OVER"), {0, 6, 191, 32}, pixelFont(24, true), false, 1, -2,
                maroon);
    makeHeading(panel_over, QStringLiteral("You didn't earn enough points to continue."), {6, 38, 179, 34},
                pixelFont(13, true), true);
    panels_.label_score1 = makeLabel(panel_over, QStringLiteral("label_score1"), QStringLiteral("Your Score: "),
                                     {4, 74}, pixelFont(19, true), Qt::red, {183, 24},
                                     Qt::AlignHCenter | Qt::AlignTop);
    panels_.label_score1->setAccessibleName(QStringLiteral("Your Score"));
    makeHeading(panel_over, QStringLiteral("Enter Your Name"), {0, 99, 191, 24}, pixelFont(19, true));
    panels_.edit_name = makeNameEdit(panel_over, QStringLiteral("edit_name"), {16, 124});
    panels_.edit_name->setText(QStringLiteral("Guest"));
    panels_.button_sendscore = makeButton(panel_over, QStringLiteral("button_sendscore"), QStringLiteral("sendscore"),
                                          QStringLiteral("SEND SCORE"), {19, 163}, 160);
    connect(panels_.button_sendscore, &QAbstractButton::clicked, this, &Tmain::button_sendscoreClick);
    connect(makeButton(panel_over, QStringLiteral("button_highscores"), QStringLiteral("highscores"),
                       QStringLiteral("High Scores"), {36, 211}),
            &QAbstractButton::clicked, this, &Tmain::button_highscoresClick);
    connect(makeButton(panel_over, QStringLiteral("button_cancel"), QStringLiteral("close"),
                       QStringLiteral("Close"), {35, 257}),
            &QAbstractButton::clicked, this, &Tmain::button_cancelClick);

    panels_.panel_wait = makePanel(panel_over, QStringLiteral("panel_wait"), {3, 160, 185, 46}, false,
                                   look::windowColour);
    panels_.panel_wait->hide();
    panels_.label_wait = makeLabel(panels_.panel_wait, QStringLiteral("label_wait"),
                                   QStringLiteral("Posting Scores, Please Wait.."), {2, 2}, pixelFont(16, true),
                                   maroon, {181, 42}, Qt::AlignCenter);
    panels_.label_wait->setWordWrap(true);
}

void Tmain::buildContinuePanel(QWidget *board)
{
    TFlatPanel *panel_continue = panels_.panel_continue =
        makePanel(board, QStringLiteral("panel_continue"), {482, 19, 192, 142}, false, maroon);
    panel_continue->hide();
    makeHeading(panel_continue, QStringLiteral("You earned enough points to continue.."), {4, 8, 184, 78},
                pixelFont(19, true), true);
    connect(makeButton(panel_continue, QStringLiteral("button_start2"), QStringLiteral("continue"),
                       QStringLiteral("Continue"), {36, 91}),
            &QAbstractButton::clicked, this, &Tmain::button_start2Click);
}

void Tmain::buildLineScorePanel(QWidget *board)
{
    TFlatPanel *panel_linescore = panels_.panel_linescore =
        makePanel(board, QStringLiteral("panel_linescore"), {96, 108, 332, 221}, false, maroon);
    panel_linescore->hide();
    const QFont bold16 = pixelFont(16, true);
    panels_.label_ls2 = makeLabel(panel_linescore, QStringLiteral("label_ls2"), QStringLiteral("Line Score"),
                                  {9, 7}, bold16, look::grey, {200, 19});
    panels_.label_ls1 = makeLabel(panel_linescore, QStringLiteral("label_ls1"), QStringLiteral("Line Score"),
                                  {10, 7}, bold16, maroon, {200, 19});
    for (int k = 1; k <= 5; ++k) {
        auto *c = panels_.card_ls[k] = new CardImage(imagelist_cards, panel_linescore);
        c->setObjectName(QStringLiteral("card_ls%1").arg(k));
        c->move(8 + (k - 1) * 64, 26);
        c->setPlaceName(QStringLiteral("Card %1 of the line").arg(k));
    }
    static const char *const categories[] = {"Nob:", "Sets:", "Runs:", "Flush:", "Fifteen:"};
    static const int captionTops[] = {111, 131, 151, 171, 191};
    static const int valueTops[] = {111, 131, 152, 172, 192};
    for (int k = 0; k < 5; ++k) {
        makeLabel(panel_linescore, QStringLiteral("label_category%1").arg(k + 1), QLatin1String(categories[k]),
                  {27, captionTops[k]}, bold16, maroon);
        QLabel *value = panels_.label_line[k + 1] =
            makeLabel(panel_linescore, QStringLiteral("label_line%1").arg(k + 1), QStringLiteral("0"),
                      {93, valueTops[k]}, bold16, maroon, {60, 19});
        value->setAccessibleName(QLatin1String(categories[k]).chopped(1));
    }
    makeLabel(panel_linescore, QStringLiteral("label_totalheading"), QStringLiteral("TOTAL"), {233, 116}, bold16,
              maroon);
    auto *rule = new QWidget(panel_linescore);
    rule->setObjectName(QStringLiteral("shape_rule"));
    rule->setGeometry(224, 136, 73, 2);
    rule->setAutoFillBackground(true);
    QPalette pal = rule->palette();
    pal.setColor(QPalette::Window, maroon);
    rule->setPalette(pal);
    // Centred under the rule.
    panels_.label_line[6] = makeLabel(panel_linescore, QStringLiteral("label_line6"), QString(), {218, 140},
                                      pixelFont(21, true), maroon, {85, 26}, Qt::AlignHCenter | Qt::AlignTop);
    panels_.label_line[6]->setAccessibleName(QStringLiteral("Line total"));
    connect(makeButton(panel_linescore, QStringLiteral("Image1"), QStringLiteral("close"),
                       QStringLiteral("Close"), {200, 175}),
            &QAbstractButton::clicked, this, &Tmain::Image1Click);
}

void Tmain::buildUpdatePanel(QWidget *board)
{
    TFlatPanel *panel_update = panels_.panel_update =
        makePanel(board, QStringLiteral("panel_update"), {173, 136, 329, 161}, false, maroon);
    panel_update->hide();
    makeHeading(panel_update, QStringLiteral("Update Available"), {0, 10, 329, 26}, pixelFont(19, true), false,
                2, 0);
    makeHeading(panel_update, QStringLiteral("Would you like to update now?"), {0, 46, 329, 22},
                pixelFont(16, true));
    panels_.button_updateyes = makeButton(panel_update, QStringLiteral("button_updateyes"),
                                          QStringLiteral("continue"), QStringLiteral("Continue"), {27, 90});
    connect(panels_.button_updateyes, &QAbstractButton::clicked, this, &Tmain::button_updateyesClick);
    panels_.button_updatecancel = makeButton(panel_update, QStringLiteral("button_updatecancel"),
                                             QStringLiteral("cancel"), QStringLiteral("Cancel"), {171, 90});
    connect(panels_.button_updatecancel, &QAbstractButton::clicked, this, &Tmain::button_updatecancelClick);
    panels_.label_update = makeLabel(panel_update, QStringLiteral("label_update"), QString(), {4, 137},
                                     pixelFont(16), Qt::black, {321, 20}, Qt::AlignHCenter | Qt::AlignTop);
}

// ---- The name panel ----------------------------------------------------------------

void Tmain::button_namedoneClick()
{
    panels_.edit_name->setText(panels_.edit_aname->text());
    panels_.panel_name->hide();
    board_.panel_board1->setFocus();
}

void Tmain::button_namecancelClick()
{
    panels_.panel_name->hide();
    board_.panel_board1->setFocus();
}

void Tmain::ChangeName1Click()
{
    panels_.panel_name->show();
    panels_.panel_name->raise();
    panels_.edit_aname->setFocus();
    // Typing replaces the name shown ("Guest" at first) instead of adding to it.
    panels_.edit_aname->selectAll();
}

void Tmain::takeTypedName()
{
    // Starting a game with a name typed into the open panel means that name.
    if (panels_.panel_name->isVisible() && !panels_.edit_aname->text().isEmpty())
        panels_.edit_name->setText(panels_.edit_aname->text());
}
