#include "tools/assets/music/score.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <cstring>
#include <utility>
#include <vector>

#include "tools/assets/music/drums.h"
#include "tools/assets/music/dsp.h"
#include "tools/assets/music/instruments.h"

namespace assets::music {
namespace {

constexpr double kBar = 2.0;      // seconds
constexpr double kStep = 0.125;   // a sixteenth

// Key of D minor. A chord is its bass root and four pad tones (MIDI note numbers).
struct Chord {
    int root;
    std::array<int, 4> tones;
};
constexpr Chord kDm{38, {57, 62, 65, 69}};
constexpr Chord kBb{34, {58, 62, 65, 70}};
constexpr Chord kF{41, {57, 60, 65, 69}};
constexpr Chord kC{36, {55, 60, 64, 67}};
constexpr Chord kGm{43, {55, 58, 62, 67}};
constexpr Chord kA{45, {57, 61, 64, 69}};
constexpr Chord kEb{39, {55, 58, 63, 67}};
constexpr Chord kFmaj7{41, {53, 57, 60, 64}};
constexpr Chord kBbmaj7{34, {58, 62, 65, 69}};
constexpr Chord kDm9{38, {57, 62, 64, 65}};
constexpr Chord kCadd9{36, {55, 60, 62, 64}};
using Progression = std::vector<Chord>;

// The theme: eight bars over Dm Bb F C, twice. Start beat, length in beats, note.
struct ThemeNote {
    float beat, beats;
    int note;
};
const std::vector<ThemeNote> kTheme = {
    {0, 1.5f, 69},  {1.5f, 0.5f, 72}, {2, 1, 74},      {3, 0.5f, 72},  {3.5f, 0.5f, 69},   // Dm
    {4, 1.5f, 70},  {5.5f, 0.5f, 69}, {6, 2, 65},                                         // Bb
    {8, 1.5f, 72},  {9.5f, 0.5f, 69}, {10, 1, 72},     {11, 1, 77},                        // F
    {12, 3, 76},    {15, 0.5f, 74},   {15.5f, 0.5f, 72},                                   // C
    {16, 1.5f, 74}, {17.5f, 0.5f, 72}, {18, 1, 69},    {19, 1, 65},                        // Dm
    {20, 1, 67},    {21, 0.5f, 65},   {21.5f, 0.5f, 62}, {22, 2, 65},                      // Bb
    {24, 1.5f, 69}, {25.5f, 0.5f, 72}, {26, 1, 77},    {27, 1, 76},                        // F
    {28, 2, 74},    {30, 1, 72},      {31, 1, 76},                                         // C
};
// A second line for the chase and the street: shorter, rhythmic, over Dm C Bb A.
const std::vector<ThemeNote> kRiff = {
    {0, 0.5f, 74}, {0.5f, 0.5f, 74}, {1, 0.5f, 77}, {1.5f, 1, 74}, {2.5f, 0.5f, 72}, {3, 1, 69},
    {4, 0.5f, 72}, {4.5f, 0.5f, 72}, {5, 0.5f, 76}, {5.5f, 1, 72}, {6.5f, 0.5f, 71}, {7, 1, 67},
    {8, 0.5f, 70}, {8.5f, 0.5f, 70}, {9, 0.5f, 74}, {9.5f, 1, 70}, {10.5f, 0.5f, 69}, {11, 1, 65},
    {12, 1, 69},   {13, 1, 73},      {14, 1, 76},   {15, 1, 73},
};

struct Span {
    double start, end;
};

// Sixteen steps per bar: 'x' a full hit, 'o' a soft one, anything else a rest.
struct DrumPattern {
    const char* kick;
    const char* snare;
    const char* hat;
    const char* open;
};
constexpr DrumPattern kGroove{"x.....x.x.......", "....x.......x...", "o.x.o.x.o.x.o.x.", "..............x."};
constexpr DrumPattern kFour{"x...x...x...x...", "....x.......x...", "oox.oox.oox.oox.", "..x...x...x...x."};
constexpr DrumPattern kDrive{"x...x...x...x.x.", "....x.......x..o", "xoxoxoxoxoxoxoxo", "..............x."};
constexpr DrumPattern kHalf{"x.........x.....", "........x.......", "o...o...o...o...", "................"};
constexpr DrumPattern kHatsOnly{"................", "................", "o.o.o.o.o.o.o.o.", "......x.......x."};

float StepGain(char c) { return c == 'x' ? 1.0f : (c == 'o' ? 0.5f : 0.0f); }

class Score {
public:
    explicit Score(Mix& mix)
        : mix_(mix), kick_(Kick()), heart_(Kick(38.0f, 90.0f, 9.0f)), crash_(Crash(0xC4A5u)), boom_(Boom(0xB00Fu)) {
        for (std::uint32_t i = 0; i < 4; ++i) {
            snares_.push_back(Snare(0x5A00u + i));
            hats_.push_back(HiHat(false, 0x4A70u + i));
        }
        openHat_ = HiHat(true, 0x0E11u);
    }

    void Write() {
        // Each section writes only inside its own span (plus release tails), so the sections
        // that start beyond a shortened mix are skipped altogether.
        const std::pair<Span, void (Score::*)(const Span&)> sections[] = {
            {{0, 12}, &Score::Intro},        {{12, 21}, &Score::Title},     {{21, 40}, &Score::Flight},
            {{40, 55}, &Score::Idle},        {{55, 71}, &Score::Sky},       {{71, 83}, &Score::Chase},
            {{83, 98}, &Score::TunnelWait},  {{98, 114}, &Score::TunnelRush}, {{114, 126}, &Score::Run2},
            {{126, 140}, &Score::Hand},      {{140, 165}, &Score::Organic}, {{165, 193}, &Score::StreetA},
            {{193, 226}, &Score::StreetB},   {{226, 258}, &Score::Credits},
        };
        for (const auto& [span, write] : sections)
            if (FrameAt(span.start) < static_cast<std::int64_t>(mix_.Frames())) (this->*write)(span);
    }

private:
    void Place(double t, const std::vector<float>& s, float gain, const Placement& where) {
        mix_.Add(FrameAt(t), s, gain, where);
    }

    static const Chord& ChordAt(const Progression& p, const Span& span, double t, double secondsPerChord) {
        const auto index = static_cast<std::size_t>(std::floor((t - span.start) / secondsPerChord + 1e-9));
        return p[index % p.size()];
    }

    // Pads: each chord held for its slot; the cutoff moves from `from` to `to` over the span.
    void Pads(const Span& span, const Progression& p, double perChord, float from, float to, float gain,
              float attack = 0.8f, float release = 1.5f) {
        for (double t = span.start; t < span.end - 1e-9; t += perChord) {
            const Chord& chord = ChordAt(p, span, t, perChord);
            const float hold = static_cast<float>(std::min(perChord, span.end - t));
            const float x = static_cast<float>((t - span.start) / (span.end - span.start));
            const std::vector<float> notes(chord.tones.begin(), chord.tones.end());
            const StereoNote pad = Pad(notes, hold, from + (to - from) * x, attack, release);
            mix_.AddStereo(FrameAt(t), pad.left, pad.right, gain, {0.0f, 0.45f, 0.1f});
        }
    }

    // Bass line over a sixteen-step pattern: 'r' root, 'o' octave, 'f' fifth, '-' holds the
    // previous note, anything else a rest.
    void BassLine(const Span& span, const Progression& p, double perChord, const char* pattern, float cutoff,
                  float gain, int octave = 0) {
        const std::size_t steps = std::strlen(pattern);
        for (int i = 0;; ++i) {
            const double t = span.start + i * kStep;
            if (t >= span.end - 1e-9) break;
            const char c = pattern[i % steps];
            if (c != 'r' && c != 'o' && c != 'f') continue;
            int length = 1;
            while (pattern[(i + length) % steps] == '-' && length < 16) ++length;
            const Chord& chord = ChordAt(p, span, t, perChord);
            const int note = chord.root + 12 * octave + (c == 'o' ? 12 : (c == 'f' ? 7 : 0));
            const float hold = static_cast<float>(std::min(length * kStep * 0.92, span.end - t));
            Place(t, Bass(static_cast<float>(note), hold, cutoff), gain, {});
        }
    }

    void Drums(const Span& span, const DrumPattern& pattern, float gain, float hatGain = 1.0f) {
        for (int i = 0;; ++i) {
            const double t = span.start + i * kStep;
            if (t >= span.end - 1e-9) break;
            const int s = i % 16;
            if (float g = StepGain(pattern.kick[s])) Place(t, kick_, 0.85f * gain * g, {});
            if (float g = StepGain(pattern.snare[s])) Place(t, snares_[i % 4], 0.42f * gain * g, {0.05f, 0.25f, 0.0f});
            if (float g = StepGain(pattern.hat[s])) Place(t, hats_[i % 4], 0.13f * gain * hatGain * g, {0.3f, 0.05f, 0.0f});
            if (float g = StepGain(pattern.open[s])) Place(t, openHat_, 0.10f * gain * hatGain * g, {-0.25f, 0.1f, 0.0f});
        }
    }

    // Arpeggio of the chord tones, one note every `every` steps, up and down over two octaves.
    void Arp(const Span& span, const Progression& p, double perChord, int every, float cutoff, float gain,
             int octave = 0, float gainTo = -1.0f) {
        static constexpr int kOrder[8] = {0, 1, 2, 3, 4, 3, 2, 1};
        if (gainTo < 0.0f) gainTo = gain;
        for (int i = 0;; ++i) {
            const double t = span.start + i * every * kStep;
            if (t >= span.end - 1e-9) break;
            const Chord& chord = ChordAt(p, span, t, perChord);
            const int k = kOrder[i % 8];
            const int note = (k < 4 ? chord.tones[k] : chord.tones[0] + 12) + 12 * octave;
            const float x = static_cast<float>((t - span.start) / (span.end - span.start));
            const float pan = (i % 2 == 0) ? -0.35f : 0.35f;
            Place(t, Pluck(static_cast<float>(note), cutoff), gain + (gainTo - gain) * x, {pan, 0.2f, 0.35f});
        }
    }

    // A line of theme notes from `start`, one beat lasting `beat` seconds, cut at `end`.
    void Melody(double start, double end, const std::vector<ThemeNote>& line, double beat, int transpose, float gain,
                float cutoff = 2600.0f) {
        for (const ThemeNote& n : line) {
            const double t = start + n.beat * beat;
            if (t >= end - 1e-9) break;
            const float hold = static_cast<float>(std::min(n.beats * beat * 0.95, end - t));
            Place(t, Lead(static_cast<float>(n.note + transpose), hold, cutoff), gain, {0.1f, 0.25f, 0.3f});
        }
    }

    // Snare roll speeding up from eighths to thirty-seconds while it swells from g0 to g1.
    void Roll(const Span& span, float g0, float g1) {
        double t = span.start;
        int i = 0;
        while (t < span.end - 1e-9) {
            const double x = (t - span.start) / (span.end - span.start);
            Place(t, snares_[i++ % 4], static_cast<float>(g0 + (g1 - g0) * x * x), {0.0f, 0.2f, 0.0f});
            t += x < 0.5 ? 2 * kStep : (x < 0.8 ? kStep : kStep / 2);
        }
    }

    // A noise sweep of `seconds` ending exactly at `end`.
    void Rise(double end, float seconds, float gain, std::uint32_t seed) {
        Place(end - seconds, Riser(seconds, seed), gain, {0.0f, 0.3f, 0.0f});
    }

    // The hit on a flash: cymbal, boom and bass drum together.
    void Impact(double t, float gain) {
        Place(t, crash_, 0.5f * gain, {-0.1f, 0.35f, 0.0f});
        Place(t, boom_, 0.9f * gain, {0.0f, 0.2f, 0.0f});
        Place(t, kick_, 0.9f * gain, {});
    }

    // A double beat every second, the second one softer: a pulse.
    void Heartbeat(const Span& span, float gain) {
        for (double t = span.start; t < span.end - 1e-9; t += 1.0) {
            Place(t, heart_, gain, {});
            Place(t + 0.24, heart_, 0.6f * gain, {});
        }
    }

    // --- sections ---

    void Intro(const Span& s) {
        const Progression p = {kDm, kBb, kGm, kA};
        Pads({0.0, 12.0}, p, 3.0, 500.0f, 2400.0f, 0.2f, 2.0f, 1.0f);
        Place(0.0, Bass(26.0f, 11.5f, 160.0f, 0.0f), 0.4f, {});   // low D under everything
        Arp({2.4, s.end}, p, 3.0, 2, 1800.0f, 0.05f, 0, 0.16f);
        Rise(s.end, 6.0f, 0.5f, 0x1001u);
        Roll({8.0, s.end}, 0.08f, 0.55f);
        for (double t = 10.0; t < s.end; t += 0.5) Place(t, kick_, 0.35f + 0.15f * static_cast<float>(t - 10.0), {});
        Impact(s.end, 1.0f);
    }

    void Title(const Span& s) {
        const Progression p = {kDm, kBb, kF, kC};
        Pads(s, p, kBar, 2600.0f, 1800.0f, 0.22f, 0.05f, 1.5f);
        BassLine(s, p, kBar, "r---------------", 500.0f, 0.45f);
        Melody(s.start + kBar, s.end, kTheme, 0.5, 0, 0.2f, 2000.0f);
        Drums({s.start + 2 * kBar, s.end - 1.0}, kHalf, 0.7f);
        Roll({s.end - 1.0, s.end}, 0.15f, 0.4f);
        Rise(s.end, 2.0f, 0.2f, 0x1002u);
    }

    void Flight(const Span& s) {
        const Progression p = {kDm, kBb, kF, kC};
        Place(s.start, crash_, 0.3f, {0.0f, 0.3f, 0.0f});
        Pads(s, p, kBar, 1200.0f, 3200.0f, 0.17f);
        BassLine(s, p, kBar, "r.r.o.r.r.r.o.f.", 700.0f, 0.42f);
        Drums({s.start, 36.0}, kGroove, 0.9f);
        Drums({36.0, s.end}, kFour, 0.9f);
        Arp({29.0, s.end}, p, kBar, 1, 2600.0f, 0.07f, 1, 0.12f);
        Rise(s.end, 6.0f, 0.55f, 0x1003u);
        Roll({36.0, s.end}, 0.12f, 0.6f);
        Impact(s.end, 1.1f);
    }

    void Idle(const Span& s) {
        const Progression p = {kDm, kBb, kF, kC};
        Pads(s, p, kBar, 3000.0f, 2400.0f, 0.17f, 0.05f);
        BassLine({s.start + kBar, s.end - 1.0}, p, kBar, "r.r.o.r.r-r.o.f.", 900.0f, 0.42f);
        Melody(s.start + kBar, s.end - 1.0, kTheme, 0.5, 0, 0.24f);
        Drums({s.start + kBar, s.end - 1.0}, kFour, 1.0f);
        Arp({s.start + kBar, s.end - 1.0}, p, kBar, 2, 3000.0f, 0.07f, 1);
        Place(s.end - 1.0, crash_, 0.25f, {0.2f, 0.5f, 0.0f});
    }

    void Sky(const Span& s) {
        const Progression p = {kBb, kF, kGm, kA};
        Pads(s, p, 2 * kBar, 900.0f, 2600.0f, 0.2f, 1.2f, 2.0f);
        Arp(s, p, 2 * kBar, 1, 2200.0f, 0.06f, 1, 0.11f);
        for (double t = s.start + 1.0; t < s.end - 4.0; t += 4.0) {
            const Chord& c = ChordAt(p, s, t, 2 * kBar);
            Place(t, Bell(static_cast<float>(c.tones[3] + 12)), 0.09f, {0.4f, 0.5f, 0.4f});
        }
        Drums({59.0, 63.0}, kHatsOnly, 0.8f);
        Drums({63.0, s.end - 2.0}, kGroove, 0.75f);
        BassLine({63.0, s.end}, p, 2 * kBar, "r.......r.r.....", 600.0f, 0.38f);
        Roll({s.end - 2.0, s.end}, 0.1f, 0.45f);
        Rise(s.end, 3.0f, 0.3f, 0x1004u);
    }

    void Chase(const Span& s) {
        const Progression p = {kDm, kC, kBb, kA};
        Place(s.start, crash_, 0.35f, {0.0f, 0.3f, 0.0f});
        Pads(s, p, kBar, 1800.0f, 900.0f, 0.13f, 0.3f);
        BassLine({s.start, 79.0}, p, kBar, "rrorrrorrrorrfro", 1100.0f, 0.4f);
        Drums({s.start, 78.0}, kDrive, 1.0f);
        Melody(s.start, 78.0, kRiff, 0.5, 0, 0.2f, 3200.0f);
        Heartbeat({79.0, 82.0}, 0.35f);
    }

    void TunnelWait(const Span& s) {
        const Progression p = {kDm, kBb, kGm, kA};
        Pads(s, p, kBar, 500.0f, 2600.0f, 0.17f, 1.0f);
        BassLine(s, p, kBar, "rrrrrrrrrrrrrrrr", 300.0f, 0.3f);
        BassLine({91.0, s.end}, p, kBar, "r.......r.......", 900.0f, 0.2f, 1);
        Drums({87.0, 91.0}, kHatsOnly, 0.9f);
        Drums({91.0, 94.0}, kGroove, 0.9f);
        Drums({94.0, s.end}, kFour, 0.9f);
        Rise(s.end, 6.0f, 0.6f, 0x1005u);
        Roll({94.0, s.end}, 0.12f, 0.65f);
        Impact(s.end, 1.2f);
    }

    void TunnelRush(const Span& s) {
        const Progression p = {kDm, kBb, kF, kC};
        Pads(s, p, kBar, 3400.0f, 2000.0f, 0.16f, 0.05f);
        BassLine({s.start + 1.0, s.end}, p, kBar, "rrorrrorrrorrfro", 1300.0f, 0.42f);
        Drums({s.start + 1.0, s.end}, kDrive, 1.0f);
        Melody(s.start + 1.0, s.end, kTheme, 0.5, 12, 0.17f, 3400.0f);
        Arp({s.start + 1.0, s.end}, p, kBar, 1, 3000.0f, 0.06f, 0);
    }

    void Run2(const Span& s) {
        const Progression p = {kGm, kBb, kDm, kA};
        Place(s.start, crash_, 0.3f, {0.0f, 0.3f, 0.0f});
        Pads(s, p, kBar, 1600.0f, 2400.0f, 0.15f, 0.2f);
        BassLine(s, p, kBar, "r.ror.ror.ror.fo", 900.0f, 0.42f);
        Drums({s.start, s.end - 1.0}, kGroove, 1.0f);
        Melody(s.start + kBar, s.end - 1.0, kRiff, 0.5, -2, 0.18f);
    }

    void Hand(const Span& s) {
        const Progression p = {kFmaj7, kBbmaj7, kDm9, kCadd9};
        Pads(s, p, 2 * kBar, 900.0f, 1300.0f, 0.12f, 1.5f, 2.5f);
        Place(s.start, Bass(29.0f, 3.8f, 200.0f, 0.0f), 0.3f, {});
        for (double t = s.start; t < s.end - 1e-9; t += 2 * kBar) {
            const Chord& c = ChordAt(p, s, t, 2 * kBar);
            Place(t, Bass(static_cast<float>(c.root), 3.8f, 220.0f, 0.0f), 0.3f, {});
        }
        static const int kBells[] = {76, 72, 69, 74, 77, 76, 72, 74, 69, 72, 67, 69};
        int k = 0;
        for (double t = s.start + 0.5; t < s.end - 2.0; t += 1.0, ++k)
            Place(t, Bell(static_cast<float>(kBells[k % 12])), 0.07f, {k % 2 ? 0.5f : -0.5f, 0.6f, 0.4f});
        Arp({s.start + 4.0, s.end - 2.0}, p, 2 * kBar, 2, 1200.0f, 0.035f, 1);
    }

    void Organic(const Span& s) {
        const Progression p = {kDm, kEb, kDm, kA};
        Pads(s, p, 2 * kBar, 700.0f, 500.0f, 0.15f, 1.2f, 1.5f);
        Heartbeat(s, 0.7f);
        BassLine(s, p, 2 * kBar, "r-.rr-.rr-.rr-.r", 240.0f, 0.38f, -1);
        for (double t = s.start + 2.0; t < s.end - 3.0; t += 6.0) {
            Place(t, Bell(63.0f), 0.05f, {-0.6f, 0.7f, 0.5f});
            Place(t + 3.0, Bell(69.0f), 0.045f, {0.6f, 0.7f, 0.5f});
        }
        Noise wind(0xD00Du);
        Svf band;
        std::vector<float> drone(static_cast<std::size_t>((s.end - s.start) * kSampleRate));
        for (std::size_t i = 0; i < drone.size(); ++i) {
            const float t = static_cast<float>(i) / kSampleRate;
            if (i % 32 == 0) band.Tune(300.0f + 200.0f * std::sin(kTwoPi * 0.07f * t), 3.0f);
            drone[i] = band.Run(wind.Next()).band * (0.5f + 0.5f * std::sin(kTwoPi * 0.5f * t)) *
                       std::min(1.0f, t * 0.5f);
        }
        Place(s.start, drone, 0.25f, {0.0f, 0.5f, 0.0f});
    }

    void StreetA(const Span& s) {
        const Progression p = {kDm, kBb, kF, kC};
        Place(s.start, crash_, 0.3f, {0.0f, 0.3f, 0.0f});
        Pads(s, p, kBar, 1500.0f, 3000.0f, 0.16f, 0.3f);
        BassLine(s, p, kBar, "r.r.o.r.r.r.o.f.", 800.0f, 0.42f);
        Drums({s.start, 173.0}, kGroove, 0.95f);
        Roll({173.0, 174.0}, 0.2f, 0.45f);
        Drums({174.0, 182.5}, kFour, 0.95f);
        Roll({182.5, 184.0}, 0.2f, 0.5f);
        Drums({184.0, 189.0}, kDrive, 0.95f);
        Drums({189.0, s.end}, kFour, 0.95f);
        Melody(175.0, 189.0, kTheme, 0.5, 0, 0.2f);
        Arp({184.0, s.end}, p, kBar, 1, 2800.0f, 0.07f, 1);
        Rise(s.end, 4.0f, 0.55f, 0x1006u);
        Roll({189.0, s.end}, 0.12f, 0.6f);
        Impact(s.end, 1.1f);
    }

    void StreetB(const Span& s) {
        const Progression p = {kDm, kBb, kF, kC};
        Pads(s, p, kBar, 3200.0f, 2800.0f, 0.16f, 0.05f);
        BassLine({s.start + 1.0, s.end}, p, kBar, "rrorrrorrrorrfro", 1200.0f, 0.42f);
        Drums({s.start + 1.0, s.end - 1.0}, kFour, 1.0f);
        Melody(s.start + 1.0, s.end, kTheme, 0.5, 0, 0.22f, 3000.0f);
        Melody(s.start + 17.0, s.end, kTheme, 0.5, 12, 0.1f, 3000.0f);
        Arp({s.start + 1.0, s.end}, p, kBar, 1, 3200.0f, 0.06f, 1);
        Roll({s.end - 1.0, s.end}, 0.2f, 0.5f);
    }

    void Credits(const Span& s) {
        const Progression p = {kDm, kBb, kGm, kA};
        Place(s.start, crash_, 0.3f, {0.0f, 0.4f, 0.0f});
        const Span body{s.start, 250.0};
        Pads(body, p, kBar, 2200.0f, 1200.0f, 0.17f, 0.4f, 1.5f);
        BassLine({s.start, 246.0}, p, kBar, "r...r...r...r.o.", 700.0f, 0.38f);
        Drums({s.start, 242.0}, kGroove, 0.8f);
        Drums({242.0, 246.0}, kHalf, 0.6f);
        Melody(s.start + kBar, 250.0, kTheme, 0.6, 0, 0.2f, 2200.0f);
        Arp({s.start, 248.0}, p, kBar, 2, 2000.0f, 0.05f, 1, 0.02f);
        // The closing chord: D minor with an added ninth, left to ring out.
        const StereoNote last = Pad({50, 57, 62, 64, 65, 69}, 2.5f, 1400.0f, 0.6f, 4.0f);
        mix_.AddStereo(FrameAt(250.0), last.left, last.right, 0.16f, {0.0f, 0.5f, 0.1f});
        Place(250.0, Bass(26.0f, 2.5f, 200.0f, 0.0f), 0.4f, {});
        Place(250.0, Bell(74.0f), 0.08f, {0.2f, 0.6f, 0.4f});
    }

    Mix& mix_;
    std::vector<float> kick_, heart_, crash_, boom_, openHat_;
    std::vector<std::vector<float>> snares_, hats_;
};

// Linear from a at t0 to b at t1.
float Segment(double t, double t0, double t1, float a, float b) {
    return a + (b - a) * static_cast<float>((t - t0) / (t1 - t0));
}

}  // namespace

void WriteScore(Mix& mix) { Score(mix).Write(); }

float MasterLevel(double t) {
    if (t >= 54.0 && t < 55.0) return Segment(t, 54.0, 55.0, 1.0f, 0.45f);
    if (t >= 77.0 && t < 83.0) return t < 82.0 ? Segment(t, 77.0, 82.0, 1.0f, 0.2f) : 0.2f;
    if (t >= 110.0 && t < 114.0) return Segment(t, 110.0, 114.0, 1.0f, 0.3f);
    if (t >= 124.0 && t < 126.0) return Segment(t, 124.0, 126.0, 1.0f, 0.35f);
    if (t >= 138.0 && t < 140.0) return Segment(t, 138.0, 140.0, 1.0f, 0.5f);
    if (t >= 163.0 && t < 165.0) return Segment(t, 163.0, 165.0, 1.0f, 0.4f);
    if (t >= 252.0) {
        if (t >= 257.3) return 0.0f;
        const float x = static_cast<float>((t - 252.0) / 5.3);
        return 0.5f + 0.5f * std::cos(kPi * x);
    }
    return 1.0f;
}

}  // namespace assets::music
