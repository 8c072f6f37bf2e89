#pragma once
// The program's seven sound effects, played on one channel: starting a sound
// stops the one still playing. The player itself lives in the sound module
// (ui/soundmodule), opened on a worker thread when the first sound is asked
// for, so neither start-up nor the game ever waits for the audio system. A
// sound asked for while the module opens plays once it is open (a later one
// replaces it, as on the channel); without the module, or without a sound
// card, the game is silent and carries on.

#include "game/gameview.h"

#include <QCoreApplication>
#include <QObject>
#include <QString>

#include <array>
#include <thread>

class SoundChannel;

class EffectPlayer : public QObject, public qv::SoundSink {
    Q_OBJECT
public:
    // The embedded sounds; names match without regard to case.
    static constexpr std::array<const char *, 7> names = {
        "entered", "startgame", "cardclick", "invalid", "roundover", "continue", "gameover"};

    // The sound module: not yet asked for, being opened, playing, or missing
    // (sounds are off).
    enum class Module { Unopened, Opening, Ready, Missing };

    // Plays through the sound module installed with the program.
    explicit EffectPlayer(QObject *parent = nullptr);
    // Plays through the sound module at modulePath; none when it is empty.
    explicit EffectPlayer(const QString &modulePath, QObject *parent = nullptr);
    ~EffectPlayer() override;

    // Plays the embedded sound of that name in the background; an unknown name
    // gives the desktop's default beep.
    void playsounds(std::string_view name) override;

    // The name of the sound asked for last, empty before the first.
    QString current() const { return current_; }
    Module module() const { return module_; }

    // Where the sound module of the program in programFolder is: beside it in
    // the build tree, in the library folder when installed. Empty when neither
    // has it.
    static QString installedModulePath(const QString &programFolder = QCoreApplication::applicationDirPath());

private:
    void openModule();
    void moduleOpened(SoundChannel *(*factory)(QObject *));

    QString modulePath_;
    Module module_ = Module::Unopened;
    std::thread opening_;
    SoundChannel *channel_ = nullptr; // a child of this player
    int waiting_ = -1;                // the sound asked for while the module opens
    QString current_;
};
