#include "widgets/selbutton.h"

#include <QApplication>
#include <QEnterEvent>
#include <QSignalSpy>
#include <QTest>
#include <gtest/gtest.h>

namespace {

const QColor kMaroon(128, 0, 0);
const QColor kCream(224, 228, 171);
const QColor kSilver(192, 192, 192);

// A button set up as the help and about windows set theirs up.
struct StyledButton : ::testing::Test {
    QWidget window;
    TSelButton *button = new TSelButton(&window);

    void SetUp() override
    {
        button->setGeometry(7, 8, 122, 20);
        button->setCaption("Scoring");
        button->setColor(kMaroon);
        button->setColorBorder(kCream);
        button->setColorOver(kMaroon);
        button->setColorDown(kMaroon);
        button->setColorOverCaption(kCream);
        QFont f("Arial");
        f.setPixelSize(13);
        f.setBold(true);
        button->setFont(f);
        button->setFontColor(kSilver);
        window.resize(200, 60);
        window.show();
    }

    // Pixels of the given colour inside the frame, i.e. drawn by the caption.
    int captionPixels(const QColor &colour) const
    {
        const QImage image = button->grab().toImage();
        int count = 0;
        for (int y = 1; y < image.height() - 1; ++y)
            for (int x = 1; x < image.width() - 1; ++x)
                count += image.pixelColor(x, y) == colour;
        return count;
    }

    void enter()
    {
        QEnterEvent event(QPointF(10, 10), QPointF(10, 10), button->mapToGlobal(QPointF(10, 10)));
        QApplication::sendEvent(button, &event);
    }
    void leave()
    {
        QEvent event(QEvent::Leave);
        QApplication::sendEvent(button, &event);
    }
};

TEST(SelButton, DefaultsAndCaptionFromName)
{
    TSelButton button;
    EXPECT_EQ(button.size(), QSize(105, 20));
    EXPECT_EQ(button.ColorOver(), QColor(132, 185, 164));
    EXPECT_EQ(button.ColorDown(), QColor(132, 185, 164));
    EXPECT_EQ(button.ColorOverCaption(), QColor(Qt::black));
    EXPECT_EQ(button.ColorBorder(), QColor(128, 128, 128));
    EXPECT_EQ(button.Alignment(), TSelButton::TAlignment::Left);
    EXPECT_EQ(button.BorderWidth(), 1);
    EXPECT_TRUE(button.isEnabled());

    button.setObjectName("SelButton1");
    EXPECT_EQ(button.Caption(), "SelButton1");
    button.setCaption("Overview");
    button.setObjectName("button_overview");
    EXPECT_EQ(button.Caption(), "Overview"); // a caption of its own is kept
}

TEST_F(StyledButton, HoverAndLeaveRestoreTheSilverCaption)
{
    EXPECT_GT(captionPixels(kSilver), 0);
    EXPECT_EQ(captionPixels(kCream), 0);

    enter();
    EXPECT_EQ(button->currentLook(), TSelButton::Look::Over);
    EXPECT_EQ(captionPixels(kSilver), 0);
    EXPECT_GT(captionPixels(kCream), 0);

    leave();
    EXPECT_EQ(button->currentLook(), TSelButton::Look::Normal);
    EXPECT_GT(captionPixels(kSilver), 0);
    EXPECT_EQ(captionPixels(kCream), 0);
}

TEST_F(StyledButton, FrameIsDrawnFromTheOuterEdgeInwards)
{
    button->setBorderWidth(2);
    const QImage image = button->grab().toImage();
    EXPECT_EQ(image.pixelColor(0, 0), kCream);
    EXPECT_EQ(image.pixelColor(1, 10), kCream);
    EXPECT_EQ(image.pixelColor(image.width() - 2, 10), kCream);
    EXPECT_EQ(image.pixelColor(2, 10), kMaroon);
}

TEST_F(StyledButton, CaptionPositionsFollowAlignmentAndSinkWhenPressed)
{
    const QFontMetrics fm(button->font());
    const int w = fm.horizontalAdvance("Scoring");
    const int y = 20 / 2 - fm.height() / 2;
    EXPECT_EQ(button->captionPos(), QPoint(5, y));
    button->setAlignment(TSelButton::TAlignment::Right);
    EXPECT_EQ(button->captionPos(), QPoint(122 - w - 6, y));
    button->setAlignment(TSelButton::TAlignment::Center);
    EXPECT_EQ(button->captionPos(), QPoint(122 / 2 - w / 2, y));

    QTest::mousePress(button, Qt::LeftButton, {}, QPoint(10, 10));
    EXPECT_EQ(button->currentLook(), TSelButton::Look::Down);
    EXPECT_EQ(button->captionPos(), QPoint(122 / 2 - w / 2 + 1, y + 1));
    QTest::mouseRelease(button, Qt::LeftButton, {}, QPoint(10, 10));
}

TEST_F(StyledButton, LeftClickOverTheButtonClicksAndLeavesTheHoverLook)
{
    QSignalSpy clicks(button, &TSelButton::clicked);
    QTest::mousePress(button, Qt::RightButton, {}, QPoint(10, 10));
    EXPECT_EQ(button->currentLook(), TSelButton::Look::Normal);
    QTest::mouseRelease(button, Qt::RightButton, {}, QPoint(10, 10));
    EXPECT_EQ(clicks.count(), 0);

    QTest::mouseClick(button, Qt::LeftButton, {}, QPoint(10, 10));
    EXPECT_EQ(clicks.count(), 1);
    EXPECT_EQ(button->currentLook(), TSelButton::Look::Over);
}

TEST_F(StyledButton, ReleasingOutsideDoesNotClick)
{
    QSignalSpy clicks(button, &TSelButton::clicked);
    QTest::mousePress(button, Qt::LeftButton, {}, QPoint(10, 10));
    QTest::mouseRelease(button, Qt::LeftButton, {}, QPoint(150, 10));
    EXPECT_EQ(clicks.count(), 0);
    EXPECT_EQ(button->currentLook(), TSelButton::Look::Normal);
}

TEST_F(StyledButton, DisabledButtonNeitherHoversNorClicks)
{
    enter();
    button->setEnabled(false);
    EXPECT_EQ(button->currentLook(), TSelButton::Look::Normal);
    QSignalSpy clicks(button, &TSelButton::clicked);
    enter();
    QTest::mouseClick(button, Qt::LeftButton, {}, QPoint(10, 10));
    EXPECT_EQ(clicks.count(), 0);
    EXPECT_EQ(button->currentLook(), TSelButton::Look::Normal);
}

TEST_F(StyledButton, HidingUnderThePointerForgetsTheHoverLook)
{
    enter();
    window.hide();
    window.show();
    EXPECT_EQ(button->currentLook(), TSelButton::Look::Normal);
}

} // namespace
