#pragma once
// The help window: a side panel of page buttons and a page area showing one
// read-only page at a time (the overview, the rules, the scoring, the version
// history and the licence). Created once at start and hidden until shown;
// closing it only hides it, and it keeps its page between showings.

#include <QStringList>
#include <QWidget>

class QLabel;
class QTextEdit;
class TFlatPanel;
class TLbBackground;
class TSelButton;

class Thelp : public QWidget {
    Q_OBJECT
public:
    // Pass the main window as parent so the help window opens centred on it and
    // goes with it. backgroundTile is the main window's background picture.
    explicit Thelp(const QPixmap &backgroundTile, QWidget *parent = nullptr);

    // The lines of a page (1, 3, 4, 5 or 6), title line first; empty otherwise.
    static QStringList pageLines(int page);

    // The page number of the page in front.
    int currentPage() const { return currentPage_; }

signals:
    // The "About" button was clicked; whoever created the window connects this
    // to showing (or raising) the about window.
    void aboutRequested();

public slots:
    void SelButton1Click(TSelButton *sender);
    void button_aboutClick();
    void button_doneClick();

protected:
    void resizeEvent(QResizeEvent *event) override;
    void showEvent(QShowEvent *event) override;

private:
    TSelButton *makeButton(const QString &name, const QString &caption, const QRect &geometry);
    void showPage(int page);
    void buildPages();
    void layoutPages();

    TLbBackground *LbBackground1;
    TFlatPanel *panel_side;
    TFlatPanel *panel_main;
    QLabel *label_caption;
    QLabel *label_credits;
    TSelButton *button_about;
    TSelButton *button_done;
    QList<QTextEdit *> memos_;
    int currentPage_ = 0;
};
