#pragma once
// The about window: the title picture, the publisher's web address as a link,
// credit lines, the version and "Done". Created once at start and hidden until
// shown; closing it only hides it. Its link URL1 is also what the main window's
// publisher strip opens.

#include <QWidget>

class QLabel;
class TLbBackground;
class TSelButton;
class TURL;

class Tabout : public QWidget {
    Q_OBJECT
public:
    // Pass the main window as parent so the about window opens centred on it and
    // goes with it. backgroundTile is the main window's background picture.
    explicit Tabout(const QPixmap &backgroundTile, QWidget *parent = nullptr);

    // The publisher's address from the settings ("WebSite"), normally without a
    // scheme; a leading "http://" or "https://" picks the link type instead of
    // being doubled. Sets URL1 and the caption of Label7.
    void setWebSite(const QString &address);

    TURL *URL1() const { return URL1_; }

public slots:
    void Label7Click();
    void Button1Click();

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;
    void showEvent(QShowEvent *event) override;

private:
    void fitCaptions();

    TLbBackground *LbBackground1;
    QLabel *image_title;
    QLabel *Label7;
    QLabel *label_credits;
    QLabel *label_versionword;
    QLabel *version;
    QLabel *label_build;
    TSelButton *button_done;
    TURL *URL1_;
    bool captionsFitted_ = false;
};
