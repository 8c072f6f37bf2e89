#include "widgets/htmlview.h"

#include "widgets/look.h"

#include <QStringDecoder>
#include <QTextDocument>

THtmlView::THtmlView(QWidget *parent) : QTextBrowser(parent)
{
    setOpenLinks(false);
    setOpenExternalLinks(false);
    setUndoRedoEnabled(false);
    setTextInteractionFlags(Qt::TextBrowserInteraction);
    setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    setVerticalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    setLineWrapMode(QTextEdit::WidgetWidth);

    QPalette pal = palette();
    pal.setColor(QPalette::Base, look::windowColour);
    pal.setColor(QPalette::Text, Qt::black);
    pal.setColor(QPalette::Link, look::maroon);
    pal.setColor(QPalette::LinkVisited, Qt::gray);
    setPalette(pal);
    viewport()->setAutoFillBackground(true);

    QFont font(QStringLiteral("Times New Roman"));
    font.setStyleHint(QFont::Serif);
    setFont(font);
    document()->setDefaultFont(font);
    // Applies to every page loaded afterwards; a page's own colours still win.
    document()->setDefaultStyleSheet(QStringLiteral("a { color: #800000; } pre, tt, code { font-family: Arial; }"));

    setFrameStyle(QFrame::Box | QFrame::Plain);
    setLineWidth(1);
    setFrameVisible(false);

    connect(this, &QTextBrowser::anchorClicked, this, &THtmlView::linkClicked);
}

void THtmlView::LoadFromString(const QString &html)
{
    document()->setBaseUrl(QUrl());
    setHtml(html);
}

void THtmlView::LoadFromBytes(const QByteArray &html)
{
    LoadFromString(decodePage(html));
}

QString THtmlView::decodePage(const QByteArray &html)
{
    QStringDecoder decoder = QStringDecoder::decoderForHtml(html);
    if (!decoder.isValid())
        decoder = QStringDecoder(QStringDecoder::Latin1);
    return decoder(html);
}

QVariant THtmlView::loadResource(int, const QUrl &)
{
    // A page from the network must not show (or probe for) local files, and
    // pictures from elsewhere are not fetched: missing pictures stay blank.
    return {};
}

void THtmlView::linkClicked(const QUrl &link)
{
    bool handled = false;
    if (OnLinkClick)
        OnLinkClick(this, link.toString(), handled);
    // The viewer's own handling: none, so a click never replaces the page.
}

void THtmlView::focusInEvent(QFocusEvent *event)
{
    setFrameVisible(true);
    QTextBrowser::focusInEvent(event);
}

void THtmlView::focusOutEvent(QFocusEvent *event)
{
    setFrameVisible(false);
    QTextBrowser::focusOutEvent(event);
}

void THtmlView::setFrameVisible(bool visible)
{
    // A plain box frame takes the window-text colour; the window colour hides it.
    QPalette pal = palette();
    pal.setColor(QPalette::WindowText, visible ? Qt::black : look::windowColour);
    setPalette(pal);
}
