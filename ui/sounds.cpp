#include "ui/sounds.h"

#include <QApplication>
#include <QSoundEffect>
#include <QUrl>

EffectPlayer::EffectPlayer(QObject *parent) : QObject(parent) {}

QSoundEffect *EffectPlayer::effect(int index)
{
    QSoundEffect *&e = effects_[index];
    if (!e) {
        e = new QSoundEffect(this);
        e->setSource(QUrl(QStringLiteral("qrc:/sounds/%1.wav").arg(QLatin1String(names[index]))));
    }
    return e;
}

void EffectPlayer::playsounds(std::string_view name)
{
    const QString wanted = QString::fromUtf8(name.data(), qsizetype(name.size())).toLower();
    for (std::size_t i = 0; i < names.size(); ++i) {
        if (wanted != QLatin1String(names[i]))
            continue;
        // One channel. Stop the previous effect ourselves: without an audio device
        // an effect never reports that it has finished.
        if (playing_)
            playing_->stop();
        playing_ = effect(int(i));
        playing_->play();
        current_ = wanted;
        return;
    }
    current_ = wanted;
    QApplication::beep();
}
