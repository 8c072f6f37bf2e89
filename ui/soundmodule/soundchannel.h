#pragma once
// What the sound module gives the program: one channel that plays the embedded
// effects. The module alone links Qt Multimedia, which with the audio system's
// libraries behind it costs about as much as the main window; the program opens
// it when the first sound is asked for, not before main().

#include <QUrl>

class QObject;

class SoundChannel {
public:
    virtual ~SoundChannel() = default;
    // Starts the effect at source and stops the one still playing.
    virtual void play(const QUrl &source) = 0;
};

// The module's one entry point, exported under soundChannelEntry: a new channel
// owned by parent, deleted with it.
using SoundChannelFactory = SoundChannel *(QObject *parent);
inline constexpr char soundChannelEntry[] = "quenvaleSoundChannel";
