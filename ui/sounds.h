#pragma once
// The program's seven sound effects, played on one channel: starting a sound
// stops the one still playing. The effects are created on first use, so start-up
// does not wait for the audio system, and a machine without a sound card only
// stays silent.

#include "game/gameview.h"

#include <QObject>
#include <QString>

#include <array>

class QSoundEffect;

class EffectPlayer : public QObject, public qv::SoundSink {
    Q_OBJECT
public:
    // The embedded sounds; names match without regard to case.
    static constexpr std::array<const char *, 7> names = {
        "entered", "startgame", "cardclick", "invalid", "roundover", "continue", "gameover"};

    explicit EffectPlayer(QObject *parent = nullptr);

    // Plays the embedded sound of that name in the background; an unknown name
    // gives the desktop's default beep.
    void playsounds(std::string_view name) override;

    // The name of the sound started last, empty before the first.
    QString current() const { return current_; }

private:
    QSoundEffect *effect(int index);

    std::array<QSoundEffect *, names.size()> effects_{};
    QSoundEffect *playing_ = nullptr;
    QString current_;
};
