#include "ui/helpform.h"

#include "widgets/centring.h"
#include "widgets/flatpanel.h"
#include "widgets/lbbackground.h"
#include "widgets/look.h"
#include "widgets/selbutton.h"

#include <QLabel>
#include <QResizeEvent>
#include <QTextEdit>

#include <algorithm>
#include <iterator>

namespace {

constexpr int kSideWidth = 137;
constexpr int kCaptionHeight = 26;
constexpr int kPages[] = {1, 3, 4, 5, 6}; // the memo numbers

} // namespace

QStringList Thelp::pageLines(int page)
{
    switch (page) {
    case 1:
        return {
            QStringLiteral("Overview"),
            QString(),
            QStringLiteral(
                "Counting a cribbage hand has always been my favourite moment at the card table: "
                "the cards go down, the table goes quiet, and everyone hunts for the last fifteen or "
                "the run hiding behind a pair. One rainy evening I dealt sixteen cards into a square "
                "instead, counted every row and every column as a hand, and found I could not stop "
                "dealing another square to see if I could beat it."),
            QString(),
            QStringLiteral(
                "Quenvale is that kitchen-table puzzle turned into a small program, so it is always "
                "there for a few spare minutes. There is no opponent and no pegging, only sixteen cards "
                "and the question of where each one should go. I hope it gives you as many pleasant "
                "evenings as it has given me. Thank you for playing."),
        };
    case 3:
        return {
            QStringLiteral("Game Play"),
            QString(),
            QStringLiteral("You will receive 16 cards total. The object of the game is to place those 16"),
            QStringLiteral("cards on the grid to form 8 cribbage hands."),
            QString(),
            QStringLiteral("Simply click on an empty spot to place a card. Once a card has been placed,"),
            QStringLiteral("it cannot be moved."),
            QString(),
            QStringLiteral("After all 16 cards have been placed, the starter card is revealed. This card"),
            QStringLiteral("will be the fifth card for each of your 8 hands. It will also determine the nob"),
            QStringLiteral("card."),
            QString(),
            QStringLiteral("The 8 hands, four across and four down, will be tallied. Clicking on the score"),
            QStringLiteral("for each hand will give you a breakdown of how the hand was scored."),
            QString(),
            QStringLiteral("If the 8 hands together total 55 or more, then you will get to continue and play"),
            QStringLiteral("around round. If the hands do not equal 55 or more the game will end."),
        };
    case 4:
        return {
            QStringLiteral("Scoring"),
            QString(),
            QStringLiteral("You receive a score for 8 hands. Four down and four across. The hands"),
            QStringLiteral("are scored like Cribbage hands."),
            QString(),
            QStringLiteral("Nob - You receive one point if your hand contains the jack that matches the"),
            QStringLiteral("suit of the starter card."),
            QString(),
            QStringLiteral("Sets - Each Pair scores 2 points. Three of a kind (Pair Royal) scores 6"),
            QStringLiteral("points. Four of a kind (Double Pair Royal) scores 12 points."),
            QString(),
            QStringLiteral("Runs - 3 or more consecutive ranks score one point for each card in the run."),
            QString(),
            QStringLiteral("Flush - You receive 4 points if all the cards in the hand (besides the starter"),
            QStringLiteral("card) are the same suit. You receive 5 points if all the cards in your hand"),
            QStringLiteral("including the starter card are the same suit."),
            QString(),
            QStringLiteral("Fifteens - You receive 2 points everytime two or more of the cards in your"),
            QStringLiteral("hand add up to fifteen."),
            QString(),
            QStringLiteral("You get to continue playing as long as your hands equal 55 or more. If your"),
            QStringLiteral("hands do not equal 55 or more then the game will end."),
        };
    case 5:
        return {
            QStringLiteral("History"),
            QString(),
            QStringLiteral("Aug 3, 2009 - Version 1.0.1.0"),
            QStringLiteral("  -Fixed problem with tally high score"),
            QStringLiteral("  -Changed game winning to 55 instead of 60"),
            QStringLiteral("  -Fix bug in restarting game by disabling score timer"),
            QStringLiteral("  -Added Update abilities"),
            QStringLiteral("July 30, 2009 - Version 1.0.0.0"),
        };
    case 6:
        return {
            QStringLiteral("License Agreement"),
            QString(),
            QStringLiteral("Quenvale is released under the MIT License:"),
            QString(),
            QStringLiteral("Copyright (c) 2026 Brackenfold Games"),
            QString(),
            QStringLiteral(
                "Permission is hereby granted, free of charge, to any person obtaining a copy of this "
                "software and associated documentation files (the \"Software\"), to deal in the Software "
                "without restriction, including without limitation the rights to use, copy, modify, "
                "merge, publish, distribute, sublicense, and/or sell copies of the Software, and to "
                "permit persons to whom the Software is furnished to do so, subject to the following "
                "conditions:"),
            QString(),
            QStringLiteral(
                "The above copyright notice and this permission notice shall be included in all copies "
                "or substantial portions of the Software."),
            QString(),
            QStringLiteral(
                "THE SOFTWARE IS PROVIDED \"AS IS\", WITHOUT WARRANTY OF ANY KIND, EXPRESS OR IMPLIED, "
                "INCLUDING BUT NOT LIMITED TO THE WARRANTIES OF MERCHANTABILITY, FITNESS FOR A "
                "PARTICULAR PURPOSE AND NONINFRINGEMENT. IN NO EVENT SHALL THE AUTHORS OR COPYRIGHT "
                "HOLDERS BE LIABLE FOR ANY CLAIM, DAMAGES OR OTHER LIABILITY, WHETHER IN AN ACTION OF "
                "CONTRACT, TORT OR OTHERWISE, ARISING FROM, OUT OF OR IN CONNECTION WITH THE SOFTWARE "
                "OR THE USE OR OTHER DEALINGS IN THE SOFTWARE."),
        };
    default:
        return {};
    }
}

Thelp::Thelp(const QPixmap &backgroundTile, QWidget *parent) : QWidget(parent, Qt::Window)
{
    setWindowTitle(QStringLiteral("Quenvale - Help File"));
    // A secondary window must not keep the program running once the main window is gone.
    setAttribute(Qt::WA_QuitOnClose, false);
    look::setWindowColour(this);

    LbBackground1 = new TLbBackground(this);
    LbBackground1->setImage(backgroundTile);

    panel_side = new TFlatPanel(this);
    panel_side->setObjectName(QStringLiteral("panel_side"));
    panel_side->setTransparent(true);
    panel_side->setFrameColor(Qt::black);

    const struct {
        const char *name;
        const char *caption;
        int page;
    } pages[] = {
        {"button_overview", "Overview", 1},       {"button_gameplay", "Game Play", 3},
        {"button_scoring", "Scoring", 4},         {"button_documentation", "Documentation", 5},
        {"button_license", "License", 6},
    };
    int y = 8;
    for (const auto &p : pages) {
        TSelButton *b = makeButton(QString::fromLatin1(p.name), QString::fromLatin1(p.caption), QRect(7, y, 122, 20));
        b->setTag(p.page);
        connect(b, &TSelButton::clicked, this, [this, b] { SelButton1Click(b); });
        y += 24;
    }
    button_about = makeButton(QStringLiteral("button_about"), QStringLiteral("About"), QRect(7, y, 122, 20));
    connect(button_about, &TSelButton::clicked, this, &Thelp::button_aboutClick);

    label_credits = new QLabel(panel_side);
    label_credits->setObjectName(QStringLiteral("label_credits"));
    label_credits->setFont(look::pixelFont(QStringLiteral("MS Sans Serif"), 11));
    look::setTextColour(label_credits, look::maroon);
    label_credits->setWordWrap(true);
    label_credits->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    label_credits->setText(QStringLiteral("Quenvale, a solitaire\nof cribbage hands.\n\n"
                                          "Design, code and art\nby Brackenfold Games.\n\n"
                                          "Copyright \u00a9 2026\nBrackenfold Games.\n"
                                          "Free software under\nthe MIT License."));
    label_credits->setGeometry(9, y + 40, kSideWidth - 14, 150);

    button_done = makeButton(QStringLiteral("button_done"), QStringLiteral("Done"), QRect(18, 404, 95, 20));
    button_done->setAlignment(TSelButton::TAlignment::Center);
    connect(button_done, &TSelButton::clicked, this, &Thelp::button_doneClick);

    panel_main = new TFlatPanel(this);
    panel_main->setObjectName(QStringLiteral("panel_main"));
    panel_main->setTransparent(true);
    panel_main->setFrameColor(Qt::black);

    label_caption = new QLabel(QStringLiteral("Overview"), panel_main);
    label_caption->setObjectName(QStringLiteral("label_caption"));
    label_caption->setFont(look::pixelFont(QStringLiteral("MS Sans Serif"), 16, true));
    look::setTextColour(label_caption, look::maroon);
    label_caption->setAlignment(Qt::AlignCenter);

    // Small enough to be useful, large enough that "Done" stays below the credits.
    setMinimumSize(kSideWidth + 160, 350);
    resize(523, 431);
    // FormCreate: the help starts on the overview.
    showPage(1);
}

// Five rich-text pages are the costliest controls of the window; they are made
// when it is first shown, not while the program starts.
void Thelp::buildPages()
{
    for (int page : kPages) {
        auto *memo = new QTextEdit(panel_main);
        memo->setObjectName(QStringLiteral("memo%1").arg(page));
        memo->setReadOnly(true);
        memo->setFrameShape(QFrame::NoFrame);
        memo->document()->setDocumentMargin(5);
        memo->setFont(QFont(QStringLiteral("Arial"), 8));
        QPalette memoPal = memo->palette();
        memoPal.setColor(QPalette::Base, Qt::white);
        memoPal.setColor(QPalette::Text, Qt::black);
        memo->setPalette(memoPal);
        memo->setLineWrapMode(QTextEdit::WidgetWidth);
        memo->setVerticalScrollBarPolicy(Qt::ScrollBarAsNeeded);
        memo->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
        memo->setFocusPolicy(Qt::ClickFocus);
        memo->setPlainText(pageLines(page).join(QLatin1Char('\n')));
        memos_.append(memo);
    }

    layoutPages();
    showPage(currentPage_);
}

void Thelp::layoutPages()
{
    const int pw = panel_main->width();
    for (QTextEdit *memo : memos_)
        memo->setGeometry(1, 1 + kCaptionHeight, qMax(0, pw - 2), qMax(0, height() - 2 - kCaptionHeight));
}

TSelButton *Thelp::makeButton(const QString &name, const QString &caption, const QRect &geometry)
{
    auto *b = new TSelButton(panel_side);
    b->setObjectName(name);
    b->setCaption(caption);
    b->setGeometry(geometry);
    look::styleButton(b);
    return b;
}

void Thelp::showPage(int page)
{
    // The pages are made in the order of kPages.
    const auto *found = std::find(std::begin(kPages), std::end(kPages), page);
    if (found == std::end(kPages))
        return;
    currentPage_ = page;
    if (memos_.isEmpty())
        return; // not built yet: the page comes to the front when they are
    QTextEdit *front = memos_.at(found - std::begin(kPages));
    // Only the page in front is visible, so a page never shows through another.
    for (QTextEdit *memo : memos_)
        memo->setVisible(memo == front);
    front->raise();
}

void Thelp::SelButton1Click(TSelButton *sender)
{
    showPage(sender->Tag());
    label_caption->setText(sender->Caption());
}

void Thelp::button_aboutClick()
{
    emit aboutRequested();
}

void Thelp::button_doneClick()
{
    hide();
}

void Thelp::resizeEvent(QResizeEvent *event)
{
    // The side panel keeps its width; the page area takes whatever is left.
    const int w = width();
    const int h = height();
    panel_side->setGeometry(0, 0, kSideWidth, h);
    button_done->move(18, h - 27);
    panel_main->setGeometry(kSideWidth, 0, qMax(0, w - kSideWidth), h);
    const int pw = panel_main->width();
    label_caption->setGeometry(1, 1, qMax(0, pw - 2), kCaptionHeight);
    layoutPages();
    QWidget::resizeEvent(event);
}

void Thelp::showEvent(QShowEvent *event)
{
    if (memos_.isEmpty())
        buildPages();
    if (!event->spontaneous())
        centreOnMainWindow(this);
    QWidget::showEvent(event);
}
