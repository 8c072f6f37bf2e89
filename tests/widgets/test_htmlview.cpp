#include "widgets/htmlview.h"

#include <QScrollBar>
#include <QTemporaryDir>
#include <QTest>
#include <QTextCursor>
#include <QTextDocument>
#include <gtest/gtest.h>

namespace {

struct Click {
    QString src;
    bool handledOnEntry = true;
};

class HtmlView : public ::testing::Test {
protected:
    void SetUp() override
    {
        view.resize(300, 200);
        view.OnLinkClick = [this](THtmlView *sender, const QString &src, bool &handled) {
            EXPECT_EQ(sender, &view);
            clicks.push_back({src, handled});
        };
        view.show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(&view));
    }

    // Clicks the middle of the first place where text is shown.
    void clickOn(const QString &text)
    {
        const QTextCursor found = view.document()->find(text);
        ASSERT_FALSE(found.isNull()) << text.toStdString();
        QTextCursor inside(view.document());
        inside.setPosition(found.selectionStart() + 1);
        const QPoint at = view.cursorRect(inside).center();
        QTest::mouseClick(view.viewport(), Qt::LeftButton, {}, at);
    }

    THtmlView view;
    std::vector<Click> clicks;
};

} // namespace

TEST_F(HtmlView, LooksAsTheHighScoreWindowWantsIt)
{
    EXPECT_EQ(view.palette().color(QPalette::Base), QColor(210, 197, 132));
    EXPECT_EQ(view.palette().color(QPalette::Link), QColor(128, 0, 0));
    EXPECT_EQ(view.document()->defaultFont().family(), QStringLiteral("Times New Roman"));
    EXPECT_EQ(view.horizontalScrollBarPolicy(), Qt::ScrollBarAlwaysOff);
    EXPECT_TRUE(view.textInteractionFlags() & Qt::TextSelectableByMouse);
    EXPECT_TRUE(view.isReadOnly());

    // A long page scrolls vertically; a wide one wraps instead of scrolling sideways.
    view.LoadFromString(QStringLiteral("<p>") + QString(400, QLatin1Char('w')) + QStringLiteral("</p>")
                        + QStringLiteral("<p>line</p>").repeated(100));
    QCoreApplication::processEvents();
    EXPECT_TRUE(view.verticalScrollBar()->isVisible());
    EXPECT_FALSE(view.horizontalScrollBar()->isVisible());
}

TEST_F(HtmlView, LinksShowInMaroonUnlessThePageSaysOtherwise)
{
    view.LoadFromString(QStringLiteral("<a href='http://a.example/'>plain</a> <a href='http://b.example/'>"
                                       "<font color='#0000ff'>blue</font></a>"));
    QTextCursor plain = view.document()->find(QStringLiteral("plain"));
    EXPECT_EQ(plain.charFormat().foreground().color(), QColor(128, 0, 0));
    QTextCursor blue = view.document()->find(QStringLiteral("blue"));
    EXPECT_EQ(blue.charFormat().foreground().color(), QColor(0, 0, 255));
}

TEST_F(HtmlView, ClickReportsTheTargetAndNeverNavigates)
{
    const QString page = QStringLiteral("<p>Scores</p><p><a href='http://scores.example/more'>MORE</a></p>");
    view.LoadFromString(page);
    const QString before = view.toHtml();
    clickOn(QStringLiteral("MORE"));
    ASSERT_EQ(clicks.size(), 1u);
    EXPECT_EQ(clicks[0].src, QStringLiteral("http://scores.example/more"));
    EXPECT_FALSE(clicks[0].handledOnEntry);
    QCoreApplication::processEvents();
    EXPECT_EQ(view.toHtml(), before);
    EXPECT_TRUE(view.source().isEmpty());
}

TEST_F(HtmlView, RelativeAndLocalLinksAreReportedButNotFollowed)
{
    QTemporaryDir dir;
    const QString local = dir.filePath(QStringLiteral("other.html"));
    QFile file(local);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write("<p>LOCAL FILE</p>");
    file.close();

    view.LoadFromString(QStringLiteral("<p><a href='%1'>FILE</a></p><p><a href='page2.html'>REL</a></p>")
                            .arg(QUrl::fromLocalFile(local).toString()));
    clickOn(QStringLiteral("FILE"));
    clickOn(QStringLiteral("REL"));
    QCoreApplication::processEvents();
    ASSERT_EQ(clicks.size(), 2u);
    EXPECT_EQ(clicks[1].src, QStringLiteral("page2.html"));
    EXPECT_TRUE(view.document()->find(QStringLiteral("LOCAL FILE")).isNull());
}

TEST_F(HtmlView, PageCannotReadLocalFiles)
{
    QTemporaryDir dir;
    const QString picture = dir.filePath(QStringLiteral("secret.png"));
    QImage image(8, 8, QImage::Format_RGB32);
    image.fill(Qt::red);
    ASSERT_TRUE(image.save(picture));
    EXPECT_FALSE(view.loadResource(QTextDocument::ImageResource, QUrl::fromLocalFile(picture)).isValid());
    EXPECT_FALSE(view.loadResource(QTextDocument::ImageResource, QUrl(picture)).isValid());
    EXPECT_FALSE(view.loadResource(QTextDocument::StyleSheetResource, QUrl::fromLocalFile(picture)).isValid());
}

TEST_F(HtmlView, BytesAreDecodedByTheCharsetThePageNames)
{
    view.LoadFromBytes("<html><head><meta charset=\"iso-8859-1\"></head><body>Ren\xe9</body></html>");
    EXPECT_TRUE(view.toPlainText().contains(QStringLiteral("René")));
    view.LoadFromBytes("<p>Zo\xc3\xab &amp; &#233;</p>");
    EXPECT_EQ(view.toPlainText(), QStringLiteral("Zoë & é"));
    // Whatever arrives is shown somehow; nothing breaks the viewer.
    view.LoadFromBytes(QByteArray("\xff\xfe<\0p\0>\0", 8));
    view.LoadFromBytes(QByteArray());
    EXPECT_TRUE(view.toPlainText().isEmpty());
}
