#include "ui/aboutform.h"

#include "ui/settings.h"
#include "widgets/centring.h"
#include "widgets/lbbackground.h"
#include "widgets/look.h"
#include "widgets/picture.h"
#include "widgets/selbutton.h"
#include "widgets/url.h"
#include "version.h"

#include <QBitmap>
#include <QLabel>
#include <QMouseEvent>
#include <QPainter>

namespace {

QLabel *makeLabel(QWidget *parent, const QString &name, const QString &text, const QFont &font,
                  const QColor &colour)
{
    auto *label = new QLabel(text, parent);
    label->setObjectName(name);
    label->setFont(font);
    look::setTextColour(label, colour);
    return label;
}

// The title artwork with its background colour (taken, as usual for such
// pictures, from the bottom-left pixel) made transparent. Without the artwork
// the product and publisher names are drawn instead.
QPixmap titlePicture()
{
    QPixmap picture = loadPicture(QStringLiteral(":/about_title.png"), 1.0);
    if (!picture.isNull()) {
        if (!picture.hasAlphaChannel()) {
            const QImage image = picture.toImage();
            const QColor background = image.pixelColor(0, image.height() - 1);
            picture.setMask(picture.createMaskFromColor(background, Qt::MaskInColor));
        }
        return picture;
    }
    picture = QPixmap(270, 80);
    picture.fill(Qt::transparent);
    QPainter p(&picture);
    p.setRenderHint(QPainter::TextAntialiasing);
    const QRect name(0, 0, 270, 56);
    p.setFont(look::pixelFont(QStringLiteral("Times New Roman"), 40, true));
    p.setPen(look::grey);
    p.drawText(name.translated(2, 2), Qt::AlignCenter, QStringLiteral("Quenvale"));
    p.setPen(look::maroon);
    p.drawText(name, Qt::AlignCenter, QStringLiteral("Quenvale"));
    p.setFont(look::pixelFont(QStringLiteral("Times New Roman"), 15, true));
    p.drawText(QRect(0, 54, 270, 22), Qt::AlignCenter, QStringLiteral("Brackenfold Games"));
    return picture;
}

} // namespace

Tabout::Tabout(const QPixmap &backgroundTile, QWidget *parent)
    : QWidget(parent, Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowSystemMenuHint
                          | Qt::WindowCloseButtonHint)
{
    setWindowTitle(QStringLiteral("Quenvale - About"));
    setAttribute(Qt::WA_QuitOnClose, false);
    setFixedSize(304, 193);
    look::setWindowColour(this);

    LbBackground1 = new TLbBackground(this);
    LbBackground1->setImage(backgroundTile);

    image_title = new QLabel(this);
    image_title->setObjectName(QStringLiteral("image_title"));
    image_title->setGeometry(17, 3, 270, 80);
    image_title->setPixmap(titlePicture());

    QFont linkFont = look::pixelFont(QStringLiteral("MS Sans Serif"), 16, true);
    linkFont.setUnderline(true);
    Label7 = makeLabel(this, QStringLiteral("Label7"), QString(), linkFont, look::maroon);
    Label7->setGeometry(8, 84, 289, 20);
    Label7->setAlignment(Qt::AlignCenter);
    Label7->setCursor(Qt::PointingHandCursor);
    Label7->installEventFilter(this);

    const QFont serif = look::pixelFont(QStringLiteral("Times New Roman"), 13, true);
    label_credits = makeLabel(this, QStringLiteral("label_credits"),
                              QStringLiteral("Copyright \u00a9 2026 Brackenfold Games.\n"
                                             "Free software under the MIT License."),
                              serif, look::maroon);
    label_credits->move(4, 127);

    label_versionword =
        makeLabel(this, QStringLiteral("label_versionword"), QStringLiteral("Version"), serif, look::maroon);
    label_versionword->move(48, 176);
    version = makeLabel(this, QStringLiteral("version"), QString::fromLatin1(qv::programVersion), serif, Qt::black);
    version->move(96, 176);
    label_build = makeLabel(this, QStringLiteral("label_build"), QStringLiteral(".0"), serif, Qt::black);
    // Sized when first shown (fitCaptions).

    button_done = new TSelButton(this);
    button_done->setObjectName(QStringLiteral("button_done"));
    button_done->setCaption(QStringLiteral("Done"));
    button_done->setGeometry(202, 164, 95, 26);
    button_done->setAlignment(TSelButton::TAlignment::Center);
    look::styleButton(button_done);
    connect(button_done, &TSelButton::clicked, this, &Tabout::Button1Click);

    URL1_ = new TURL(this);
    URL1_->setObjectName(QStringLiteral("URL1"));
    URL1_->setURLType(TURL::utHttp);
    setWebSite(Settings().webSite);
}

void Tabout::setWebSite(const QString &address)
{
    QString site = address.trimmed();
    TURL::TURLType type = TURL::utHttp;
    if (site.startsWith(QLatin1String("https://"), Qt::CaseInsensitive)) {
        type = TURL::utHttps;
        site.remove(0, 8);
    } else if (site.startsWith(QLatin1String("http://"), Qt::CaseInsensitive)) {
        site.remove(0, 7);
    }
    URL1_->setURLType(type);
    URL1_->setURL(site);
    Label7->setText(site);
}

void Tabout::Label7Click()
{
    URL1_->open();
}

void Tabout::Button1Click()
{
    close();
}

bool Tabout::eventFilter(QObject *watched, QEvent *event)
{
    if (watched == Label7 && event->type() == QEvent::MouseButtonRelease) {
        const auto *mouse = static_cast<QMouseEvent *>(event);
        if (mouse->button() == Qt::LeftButton && Label7->rect().contains(mouse->position().toPoint())) {
            Label7Click();
            return true;
        }
    }
    return QWidget::eventFilter(watched, event);
}

// Measuring the serif captions loads a font that nothing else on screen at
// start uses, so it waits for the window's first showing.
void Tabout::fitCaptions()
{
    captionsFitted_ = true;
    for (QLabel *label : {label_credits, label_versionword, version})
        label->adjustSize();
    // Right after the version, never on top of it, so the line always reads "1.0.1.0".
    label_build->move(qMax(123, 96 + version->fontMetrics().horizontalAdvance(version->text())), 176);
    label_build->adjustSize();
}

void Tabout::showEvent(QShowEvent *event)
{
    if (!captionsFitted_)
        fitCaptions();
    if (!event->spontaneous())
        centreOnMainWindow(this);
    QWidget::showEvent(event);
}
