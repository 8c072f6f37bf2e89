#include "sounds.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <random>
#include <string_view>

namespace artgen {
namespace {

using Buffer = std::vector<double>;
constexpr double kTwoPi = 2.0 * M_PI;

// Note frequencies by semitone from A4.
double note(int semitonesFromA4) { return 440.0 * std::pow(2.0, semitonesFromA4 / 12.0); }
const double C4 = note(-9), E4 = note(-5), G4 = note(-2), A4 = note(0), C5 = note(3),
             D5 = note(5), E5 = note(7), G5 = note(10), C6 = note(15), E6 = note(19), G6 = note(22),
             C3 = note(-21), G3 = note(-14);

struct Partial {
    double ratio;  // frequency relative to the fundamental
    double level;
    double decay;  // extra decay rate, per second
};

// RBJ biquad, enough for the band-pass and low-pass shaping of noise and buzz.
struct Biquad {
    double b0 = 1, b1 = 0, b2 = 0, a1 = 0, a2 = 0, x1 = 0, x2 = 0, y1 = 0, y2 = 0;

    static Biquad bandPass(double rate, double centre, double q)
    {
        const double w = kTwoPi * centre / rate, alpha = std::sin(w) / (2 * q), a0 = 1 + alpha;
        Biquad f;
        f.b0 = alpha / a0;
        f.b2 = -alpha / a0;
        f.a1 = -2 * std::cos(w) / a0;
        f.a2 = (1 - alpha) / a0;
        return f;
    }
    static Biquad lowPass(double rate, double cutoff, double q = 0.707)
    {
        const double w = kTwoPi * cutoff / rate, alpha = std::sin(w) / (2 * q), a0 = 1 + alpha;
        const double c = std::cos(w);
        Biquad f;
        f.b0 = (1 - c) / 2 / a0;
        f.b1 = (1 - c) / a0;
        f.b2 = f.b0;
        f.a1 = -2 * c / a0;
        f.a2 = (1 - alpha) / a0;
        return f;
    }
    double operator()(double x)
    {
        const double y = b0 * x + b1 * x1 + b2 * x2 - a1 * y1 - a2 * y2;
        x2 = x1; x1 = x; y2 = y1; y1 = y;
        return y;
    }
};

class Synth {
public:
    Synth(int rate, int frames) : rate_(rate), out_(frames, 0.0), rng_(20090803) {}

    // A struck, decaying tone: bells, chimes, plucks.
    void strike(double start, double freq, double level, double decay, const std::vector<Partial> &partials,
                double attack = 0.003, double length = 10)
    {
        const int first = index(start), last = std::min<int>(out_.size(), index(start + length));
        for (int i = std::max(first, 0); i < last; ++i) {
            const double t = (i - first) / double(rate_);
            const double rise = std::min(1.0, t / attack);
            double sum = 0;
            for (const Partial &p : partials) {
                const double f = freq * p.ratio;
                if (f >= rate_ * 0.45)
                    continue;
                sum += p.level * std::sin(kTwoPi * f * t) * std::exp(-t * (decay + p.decay));
            }
            out_[i] += level * rise * sum;
        }
    }

    // A held tone with harmonics that open up and settle like a brass note.
    void brass(double start, double freq, double level, double length, double release = 0.08)
    {
        const int first = index(start), last = std::min<int>(out_.size(), index(start + length + release));
        double phase = 0;
        for (int i = std::max(first, 0); i < last; ++i) {
            const double t = (i - first) / double(rate_);
            const double env = std::min(1.0, t / 0.025) * (t < length ? 1.0 - 0.25 * t / length
                                                                       : 0.75 * (1 - (t - length) / release));
            const double bright = 0.35 + 0.65 * std::exp(-t * 6.0);
            phase += kTwoPi * freq * (1 + 0.004 * std::sin(kTwoPi * 5.5 * t) * std::min(1.0, t * 4)) / rate_;
            double sum = 0;
            for (int n = 1; n <= 10 && freq * n < rate_ * 0.42; ++n)
                sum += std::pow(bright, n - 1) / std::pow(n, 0.7) * std::sin(n * phase);
            out_[i] += level * env * sum;
        }
    }

    // A two-operator electric-piano tone: mellow, with a soft bell at the start.
    void epiano(double start, double freq, double level, double decay, double length)
    {
        const int first = index(start), last = std::min<int>(out_.size(), index(start + length));
        for (int i = std::max(first, 0); i < last; ++i) {
            const double t = (i - first) / double(rate_);
            const double index = 1.6 * std::exp(-t * 5.0);
            const double mod = index * std::sin(kTwoPi * freq * t);
            const double env = std::min(1.0, t / 0.006) * std::exp(-t * decay);
            const double tail = std::min(1.0, (length - t) / 0.05);
            out_[i] += level * env * tail *
                       (std::sin(kTwoPi * freq * t + mod) + 0.18 * std::sin(kTwoPi * 2 * freq * t) * std::exp(-t * 3));
        }
    }

    // Shaped noise: the flap of a card, a snap, a thud.
    void noiseBurst(double start, double length, double level, Biquad filter, double decay,
                    double attack = 0.0008)
    {
        std::uniform_real_distribution<double> white(-1.0, 1.0);
        const int first = index(start), last = std::min<int>(out_.size(), index(start + length));
        for (int i = std::max(first, 0); i < last; ++i) {
            const double t = (i - first) / double(rate_);
            const double env = std::min(1.0, t / attack) * std::exp(-t * decay);
            out_[i] += level * env * filter(white(rng_));
        }
    }

    // A buzzy, band-limited square wave through a low-pass: a dull "nope".
    void buzz(double start, double length, double freq, double glide, double level, double cutoff)
    {
        Biquad tone = Biquad::lowPass(rate_, cutoff, 0.9);
        const int first = index(start), last = std::min<int>(out_.size(), index(start + length));
        double phase = 0;
        for (int i = std::max(first, 0); i < last; ++i) {
            const double t = (i - first) / double(rate_);
            const double f = freq * std::pow(glide, t / length);
            phase += kTwoPi * f / rate_;
            double sq = 0;
            for (int n = 1; n <= 15 && f * n < rate_ * 0.45; n += 2)
                sq += std::sin(n * phase) / n;
            sq += 0.6 * std::sin(phase * 1.02); // a detuned twin makes it beat
            const double env = std::min(1.0, t / 0.006) * std::min(1.0, (length - t) / 0.02) * std::exp(-t * 7);
            out_[i] += level * env * tone(sq);
        }
    }

    // Schroeder room: four combs into two all-passes, mixed under the dry signal.
    void reverb(double mix, double roomSeconds)
    {
        const double combMs[] = {29.7, 37.1, 41.1, 43.7};
        const double allpassMs[] = {5.0, 1.7};
        Buffer wet(out_.size(), 0.0);
        for (double ms : combMs) {
            const int d = std::max(1, int(ms * rate_ / 1000));
            const double g = std::pow(0.001, ms / 1000 / roomSeconds);
            Buffer line(d, 0.0);
            double damp = 0;
            for (size_t i = 0; i < out_.size(); ++i) {
                const double y = line[i % d];
                damp = 0.6 * y + 0.4 * damp; // air absorbs the highs first
                line[i % d] = out_[i] + g * damp;
                wet[i] += y / 4;
            }
        }
        for (double ms : allpassMs) {
            const int d = std::max(1, int(ms * rate_ / 1000));
            Buffer line(d, 0.0);
            for (size_t i = 0; i < wet.size(); ++i) {
                const double delayed = line[i % d];
                const double x = wet[i];
                const double y = -0.5 * x + delayed;
                line[i % d] = x + 0.5 * y;
                wet[i] = y;
            }
        }
        for (size_t i = 0; i < out_.size(); ++i)
            out_[i] = out_[i] + mix * wet[i];
    }

    // Scales to the given peak and lets the last `fade` seconds die away to silence.
    Buffer finish(double peak, double fade)
    {
        const int fadeFrames = std::min<int>(out_.size(), int(fade * rate_));
        for (int k = 0; k < fadeFrames; ++k) {
            const double x = double(k) / fadeFrames;
            out_[out_.size() - 1 - k] *= 0.5 - 0.5 * std::cos(M_PI * x);
        }
        double top = 0;
        for (double s : out_)
            top = std::max(top, std::abs(s));
        if (top > 0)
            for (double &s : out_)
                s *= peak / top;
        return out_;
    }

    double random(double lo, double hi) { return std::uniform_real_distribution<double>(lo, hi)(rng_); }

private:
    int index(double seconds) const { return int(std::lround(seconds * rate_)); }

    int rate_;
    Buffer out_;
    std::mt19937 rng_;
};

const std::vector<Partial> kBell = {{1.0, 1.0, 0}, {2.0, 0.45, 2}, {3.0, 0.2, 4}, {4.16, 0.12, 7}, {5.43, 0.06, 9}};
const std::vector<Partial> kGlock = {{1.0, 1.0, 0}, {2.76, 0.35, 5}, {5.40, 0.16, 10}, {8.93, 0.06, 16}};

Buffer entered(Synth s)
{
    // A bright rising arpeggio that rings into a chord.
    const double notes[] = {C5, E5, G5, C6};
    for (int i = 0; i < 4; ++i)
        s.strike(0.01 + i * 0.085, notes[i], 0.55, 3.2, kBell);
    s.strike(0.37, E6, 0.18, 4.5, kGlock);
    s.reverb(0.35, 0.9);
    return s.finish(0.78, 0.12);
}

Buffer startgame(Synth s)
{
    // A riffle shuffle: quick card flaps, fastest in the middle, then the deck squared up.
    double t = 0.012;
    int flap = 0;
    while (t < 0.235) {
        const double pace = 0.0095 + 0.006 * std::pow((t - 0.12) / 0.12, 2);
        const double centre = 1700 + 900 * std::sin(flap * 1.7) * 0.5 + flap * 25;
        s.noiseBurst(t, 0.018, s.random(0.55, 1.0) * (0.6 + 0.4 * std::sin(M_PI * t / 0.24)),
                     Biquad::bandPass(11025, centre, 1.6), 260);
        t += pace * s.random(0.85, 1.15);
        ++flap;
    }
    s.noiseBurst(0.245, 0.05, 1.3, Biquad::lowPass(11025, 500), 70, 0.002);
    s.strike(0.245, 130, 0.25, 40, {{1, 1, 0}, {2.3, 0.3, 30}});
    return s.finish(0.8, 0.02);
}

Buffer cardclick(Synth s)
{
    // A crisp snap as the card meets the table, with a little body under it.
    s.noiseBurst(0.004, 0.03, 1.0, Biquad::bandPass(11025, 2600, 1.8), 300, 0.0004);
    s.noiseBurst(0.004, 0.05, 0.5, Biquad::bandPass(11025, 1100, 1.2), 140, 0.0008);
    s.strike(0.004, 210, 0.1, 90, {{1, 1, 0}, {2.1, 0.35, 40}}, 0.001);
    s.noiseBurst(0.026, 0.02, 0.3, Biquad::bandPass(11025, 3400, 2.5), 450, 0.0004);
    s.reverb(0.12, 0.15);
    return s.finish(0.75, 0.03);
}

Buffer invalid(Synth s)
{
    // Two low, dull buzzes, the second a little lower: "uh-uh".
    s.noiseBurst(0.0, 0.04, 0.5, Biquad::lowPass(11025, 300), 60, 0.001);
    s.buzz(0.0, 0.10, 150, 0.94, 0.9, 700);
    s.buzz(0.125, 0.11, 128, 0.92, 0.9, 650);
    return s.finish(0.72, 0.015);
}

Buffer roundover(Synth s)
{
    // A short brass fanfare closing on a major chord.
    s.brass(0.00, G4, 0.35, 0.09);
    s.brass(0.12, C5, 0.35, 0.09);
    s.brass(0.24, E5, 0.35, 0.09);
    for (double f : {C4, G4, C5, E5})
        s.brass(0.36, f, f == C4 ? 0.22 : 0.28, 0.34, 0.14);
    s.strike(0.36, C3, 0.3, 6, {{1, 1, 0}, {2, 0.4, 3}, {3, 0.2, 6}});
    s.reverb(0.3, 0.7);
    return s.finish(0.8, 0.1);
}

Buffer continueSound(Synth s)
{
    // A rising glockenspiel motif with a shimmer at the top.
    const double notes[] = {G5, C6, E6, G6};
    for (int i = 0; i < 4; ++i)
        s.strike(0.01 + i * 0.11, notes[i], i == 3 ? 0.6 : 0.45, i == 3 ? 2.6 : 4.0, kGlock);
    s.strike(0.34, C5, 0.3, 2.8, kBell);
    s.strike(0.34, E5, 0.2, 2.8, kBell);
    s.reverb(0.4, 1.0);
    return s.finish(0.78, 0.15);
}

Buffer gameover(Synth s)
{
    // A gentle falling line that settles on a soft low chord.
    const double line[] = {E5, D5, C5, A4, G4};
    for (int i = 0; i < 5; ++i)
        s.epiano(0.02 + i * 0.28, line[i], 0.42, 2.2, 0.9);
    for (double f : {C4, E4, G4, C3})
        s.epiano(1.45, f, f == C3 ? 0.3 : 0.26, 1.3, 1.3);
    s.epiano(1.45, G3, 0.16, 1.3, 1.3);
    s.reverb(0.45, 1.4);
    return s.finish(0.8, 0.35);
}

} // namespace

const std::vector<SoundSpec> &soundSpecs()
{
    static const std::vector<SoundSpec> specs = {
        {"entered", 22050, 8, 0.79},  {"startgame", 11025, 8, 0.30}, {"cardclick", 11025, 8, 0.14},
        {"invalid", 11025, 8, 0.25},  {"roundover", 11025, 8, 0.96}, {"continue", 22050, 8, 1.06},
        {"gameover", 22050, 16, 2.79},
    };
    return specs;
}

int frameCount(const SoundSpec &sound)
{
    int frames = int(std::lround(sound.sampleRate * sound.seconds));
    if (frames * (sound.bitsPerSample / 8) % 2 != 0)
        --frames;
    return frames;
}

std::vector<double> synthesise(const SoundSpec &sound)
{
    Synth s(sound.sampleRate, frameCount(sound));
    const std::string_view name = sound.name;
    if (name == "entered") return entered(s);
    if (name == "startgame") return startgame(s);
    if (name == "cardclick") return cardclick(s);
    if (name == "invalid") return invalid(s);
    if (name == "roundover") return roundover(s);
    if (name == "continue") return continueSound(s);
    if (name == "gameover") return gameover(s);
    return {};
}

bool writeWav(const std::string &path, const std::vector<double> &samples, const SoundSpec &sound)
{
    const uint16_t bytesPerSample = uint16_t(sound.bitsPerSample / 8);
    const uint32_t dataBytes = uint32_t(samples.size()) * bytesPerSample;
    std::string out;
    auto u32 = [&](uint32_t v) { for (int i = 0; i < 4; ++i) out.push_back(char((v >> (8 * i)) & 0xff)); };
    auto u16 = [&](uint16_t v) { out.push_back(char(v & 0xff)); out.push_back(char(v >> 8)); };
    out += "RIFF";
    u32(36 + dataBytes);
    out += "WAVEfmt ";
    u32(16);
    u16(1); // PCM
    u16(1); // mono
    u32(uint32_t(sound.sampleRate));
    u32(uint32_t(sound.sampleRate) * bytesPerSample);
    u16(bytesPerSample);
    u16(uint16_t(sound.bitsPerSample));
    out += "data";
    u32(dataBytes);
    for (double s : samples) {
        const double x = std::clamp(s, -1.0, 1.0);
        if (sound.bitsPerSample == 8)
            out.push_back(char(uint8_t(std::lround(128 + 127 * x))));
        else
            u16(uint16_t(int16_t(std::lround(32767 * x))));
    }
    std::ofstream file(path, std::ios::binary);
    file.write(out.data(), std::streamsize(out.size()));
    if (!file) {
        std::fprintf(stderr, "artgen: cannot write %s\n", path.c_str());
        return false;
    }
    return true;
}

} // namespace artgen
