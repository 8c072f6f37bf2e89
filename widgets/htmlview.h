#pragma once
// The page viewer of the high-score window: shows an HTML document given as
// text, with a vertical scroll bar only, and reports clicks on links. It never
// follows a link and never reads a file or address named in the page: what a
// click does is up to the OnLinkClick handler.

#include <QTextBrowser>

#include <functional>

class THtmlView;

// Handled is false on entry.
using TLinkClickEvent = std::function<void(THtmlView *Sender, const QString &SRC, bool &Handled)>;

class THtmlView : public QTextBrowser {
    Q_OBJECT
public:
    explicit THtmlView(QWidget *parent = nullptr);

    // Replaces the document; the page has no base address.
    void LoadFromString(const QString &html);
    // The raw bytes of a fetched page: the charset its head names, UTF-8 when it
    // names none.
    void LoadFromBytes(const QByteArray &html);
    // The text of a fetched page, decoded as LoadFromBytes does.
    static QString decodePage(const QByteArray &html);

    TLinkClickEvent OnLinkClick;

    QVariant loadResource(int type, const QUrl &name) override;

protected:
    void focusInEvent(QFocusEvent *event) override;
    void focusOutEvent(QFocusEvent *event) override;

private:
    void linkClicked(const QUrl &link);
    void setFrameVisible(bool visible);
};
