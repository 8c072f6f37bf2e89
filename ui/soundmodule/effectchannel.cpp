// The sound module: the one channel played through QSoundEffect.
#include "ui/soundmodule/soundchannel.h"

#include <QHash>
#include <QObject>
#include <QSoundEffect>

#include <type_traits>

namespace {

class EffectChannel : public QObject, public SoundChannel {
public:
    explicit EffectChannel(QObject *parent) : QObject(parent) {}

    void play(const QUrl &source) override
    {
        // Stop the previous effect here: without an audio device an effect
        // never reports that it has finished.
        if (playing_)
            playing_->stop();
        QSoundEffect *&effect = effects_[source];
        if (!effect) {
            effect = new QSoundEffect(this);
            effect->setSource(source);
        }
        playing_ = effect;
        playing_->play();
    }

private:
    QHash<QUrl, QSoundEffect *> effects_; // made on first use, kept for replays
    QSoundEffect *playing_ = nullptr;
};

} // namespace

extern "C" Q_DECL_EXPORT SoundChannel *quenvaleSoundChannel(QObject *parent)
{
    return new EffectChannel(parent);
}
static_assert(std::is_same_v<decltype(quenvaleSoundChannel), SoundChannelFactory>);
