// The seven sound effects, synthesised in plain C++ and written as PCM WAV files.
#pragma once

#include <string>
#include <vector>

namespace artgen {

struct SoundSpec {
    const char *name;
    int sampleRate;
    int bitsPerSample; // 8 (unsigned, silence 128) or 16 (signed)
    double seconds;
};

// The sounds the game plays, with the formats and lengths it ships them in.
const std::vector<SoundSpec> &soundSpecs();

// Number of frames for a sound: its length rounded to whole samples, kept even in
// bytes so no RIFF pad byte is needed, and still rounding to the listed hundredth.
int frameCount(const SoundSpec &sound);

// Samples in -1..1, frameCount(sound) of them.
std::vector<double> synthesise(const SoundSpec &sound);

bool writeWav(const std::string &path, const std::vector<double> &samples, const SoundSpec &sound);

} // namespace artgen
