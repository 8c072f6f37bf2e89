#include "ui/dealdialog.h"

#include "game/dealnumber.h"
#include "widgets/builders.h"
#include "widgets/centring.h"
#include "widgets/flatpanel.h"
#include "widgets/labels.h"
#include "widgets/lbbackground.h"
#include "widgets/look.h"
#include "widgets/picturebutton.h"

#include <QLabel>
#include <QLineEdit>
#include <QShowEvent>

using look::maroon;
using look::pixelFont;

NumberedDealDialog::NumberedDealDialog(const QPixmap &backgroundTile, QWidget *parent) : QDialog(parent)
{
    setObjectName(QStringLiteral("dealdialog"));
    setWindowTitle(QStringLiteral("Quenvale - Play Numbered Deal"));
    setFixedSize(320, 214);
    look::setWindowColour(this);
    setFont(QFont(QStringLiteral("MS Sans Serif"), 8));
    background_ = new TLbBackground(this);
    background_->setImage(backgroundTile);

    TFlatPanel *panel = makePanel(this, QStringLiteral("panel_deal"), {6, 6, 308, 202}, true, maroon);
    makeHeading(panel, QStringLiteral("PLAY A NUMBERED DEAL"), {0, 10, 308, 26}, pixelFont(19, true));
    QLabel *about = makeLabel(panel, QStringLiteral("label_dealabout"),
                              QStringLiteral("Every deal has a number from 0 to 4294967295. A numbered deal is "
                                             "a practice game: it is not ranked and cannot be posted."),
                              {12, 40}, pixelFont(13), Qt::black, {284, 48}, Qt::AlignHCenter | Qt::AlignTop);
    about->setWordWrap(true);

    edit_deal = new QLineEdit(panel);
    edit_deal->setObjectName(QStringLiteral("edit_deal"));
    edit_deal->setFont(pixelFont(19));
    edit_deal->setGeometry(64, 90, 180, 32);
    edit_deal->setAlignment(Qt::AlignCenter);
    edit_deal->setMaxLength(32); // room for blanks and leading zeros, not for a page of text
    edit_deal->setAccessibleName(QStringLiteral("Deal number"));
    connect(edit_deal, &QLineEdit::returnPressed, this, &NumberedDealDialog::button_playClick);
    // A refusal stays until the number is changed.
    connect(edit_deal, &QLineEdit::textEdited, this, [this] { label_problem->clear(); });

    label_problem = makeLabel(panel, QStringLiteral("label_problem"), QString(), {4, 126}, pixelFont(13, true),
                              Qt::red, {300, 18}, Qt::AlignHCenter | Qt::AlignTop);
    label_problem->setAccessibleName(QStringLiteral("What is wrong with the number"));

    connect(makeButton(panel, QStringLiteral("button_play"), QStringLiteral("start"), QStringLiteral("Start Game"),
                       {20, 152}),
            &QAbstractButton::clicked, this, &NumberedDealDialog::button_playClick);
    connect(makeButton(panel, QStringLiteral("button_dealcancel"), QStringLiteral("cancel"),
                       QStringLiteral("Cancel"), {162, 152}),
            &QAbstractButton::clicked, this, &QDialog::reject);
}

void NumberedDealDialog::ask(std::optional<std::uint32_t> number)
{
    edit_deal->setText(number ? QString::number(*number) : QString());
    edit_deal->selectAll();
    edit_deal->setFocus();
    label_problem->clear();
    open();
}

void NumberedDealDialog::showEvent(QShowEvent *event)
{
    QDialog::showEvent(event);
    if (!event->spontaneous())
        centreOnMainWindow(this);
}

void NumberedDealDialog::button_playClick()
{
    std::string problem;
    const std::optional<std::uint32_t> number = qv::parseDealNumber(edit_deal->text().toStdString(), &problem);
    if (!number) {
        label_problem->setText(QString::fromStdString(problem));
        edit_deal->setFocus();
        return;
    }
    accept();
    emit dealChosen(*number);
}
