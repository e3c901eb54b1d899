// Mp3Player in the browser: Play hands the source's bytes to Web Audio, which decodes the whole
// file (decodeAudioData) and plays it through an AudioBufferSourceNode; PlayedSeconds reads the
// audio context's clock. The page's clock (platform/clock) follows the music while it plays and
// pauses it while the page is hidden. Whatever the browser refuses later (a file it cannot
// decode, audio held until the page has had a click or key press) is said once on stderr and the
// show goes on: silently, or with the music joining in when the browser lets it.
#include "platform/sound/mp3_player.h"

#include <emscripten/emscripten.h>

#include <cstdint>

#include "platform/clock/web/page_clock.h"

// Module.orreryMusic: the one audio context, each player's track, and what the page and the
// page's clock (page_clock.h) ask of the music. Made once, by the first Play; null (after a line
// on stderr) when the page has no Web Audio.
EM_JS(int, WebMusicInstall, (const char* path), {
    if (Module.orreryMusic) return 1;
    const name = UTF8ToString(path);
    const Context = globalThis.AudioContext || globalThis.webkitAudioContext;
    if (!Context) {
        err('sound: ' + name + ': this browser has no Web Audio');
        return 0;
    }
    let context;
    try {
        context = new Context();
    } catch (e) {
        err('sound: ' + name + ': cannot open an audio context (' + e.message + ')');
        return 0;
    }
    const clock = Module.orreryClock;
    const music = {context, players: {}, latest: null, stopped: false};
    // Seconds from a sample leaving the context to its being heard.
    music.latency = () => (context.baseLatency || 0) + (context.outputLatency || 0);
    // The context's time that is being heard now: its latest output timestamp carried forward
    // to this moment, never past the time the context has rendered. A stamp more than 0.1 s old
    // (from before a suspension) says nothing of now: the rendered time less the latency does.
    const heardTime = () => {
        if (context.state === 'running' && context.getOutputTimestamp) {
            const stamp = context.getOutputTimestamp();
            const age = performance.now() - stamp.performanceTime;
            if (stamp.performanceTime > 0 && age < 100)
                return Math.min(stamp.contextTime + age / 1000, context.currentTime);
        }
        return Math.max(context.currentTime - music.latency(), 0);
    };
    // Seconds into a playing track's file that are heard now.
    music.trackPosition = (track) => {
        if (track.state === 'ended') return track.buffer.duration;
        const position = track.offset + heardTime() - track.startedAt;
        return Math.max(0, Math.min(position, track.buffer.duration));
    };
    // The newest track while it plays (not stopped, decoded and started, not played out); null
    // otherwise.
    const playing = () => {
        const track = music.latest;
        return track && music.players[track.id] === track && track.state === 'playing' ? track : null;
    };
    // The newest track's position; null without music (none, not playing yet, or played out).
    music.position = () => {
        const track = playing();
        if (!track) return null;
        const position = music.trackPosition(track);
        return position < track.buffer.duration ? position : null;
    };
    // The page is leaving the show (its graphics are gone): every track stops for good.
    music.stopAll = () => {
        music.stopped = true;
        for (const key in music.players) music.players[key].stop();
        context.suspend().catch(() => {});
    };
    // While the newest track plays, the page's clock takes its time from the audio clock: the
    // time the track was asked for plus how far into the file is heard. An audio clock that has
    // not moved for a quarter of a second (the output stalled, or the page was shown again and
    // the audio has not gone on yet) is not followed meanwhile; one that has fallen more than a
    // quarter of a second behind the page's clock (it stalled for longer) is made to catch up,
    // the track going on from the page's time.
    let lastHeard = null;
    let lastHeardAt = 0;
    clock.follow = () => {
        const track = playing();
        if (!track) return null;
        const heard = track.requested + 1000 * music.trackPosition(track);
        const now = performance.now();
        if (heard < clock.last - 250) {
            track.restart(clock.last);
            return null;
        }
        if (heard !== lastHeard) {
            lastHeard = heard;
            lastHeardAt = now;
        } else if (now - lastHeardAt > 250) {
            return null;
        }
        return heard;
    };
    // The music pauses and goes on with the page's clock.
    clock.onVisibility.push((hidden) => {
        if (music.stopped) return;
        if (!hidden) lastHeard = null;
        (hidden ? context.suspend() : context.resume()).catch(() => {});
    });
    const resume = () => {
        if (!music.stopped && clock.pausedAt === null) context.resume().catch(() => {});
    };
    context.onstatechange = () => {
        for (const key in music.players) music.players[key].start();
    };
    document.addEventListener('pointerdown', resume, true);
    document.addEventListener('keydown', resume, true);
    Module.orreryMusic = music;
    return 1;
});

// Starts decoding and playing for player id. Decoding takes a moment: the track starts as far
// into the file as the page's clock has moved since, plus the output's latency, so that what is
// heard is where the desktop's music would be.
EM_JS(void, WebMusicPlay, (int id, const std::uint8_t* bytes, std::size_t size, const char* path), {
    const name = UTF8ToString(path);
    const music = Module.orreryMusic;
    const context = music.context;
    const clock = Module.orreryClock;
    const data = HEAPU8.slice(bytes, bytes + size).buffer;
    const track = {id, state: 'decoding', requested: clock.now(), buffer: null, node: null, offset: 0, startedAt: 0,
                   heldSaid: false};
    // Starts the decoded track at the page's clock time `at` (now when not given).
    track.start = (at) => {
        if (music.players[id] !== track || !track.buffer || track.node || track.state === 'ended' || music.stopped)
            return;
        if (context.state !== 'running') {
            if (!track.heldSaid && clock.pausedAt === null) {
                track.heldSaid = true;
                err('sound: ' + name + ': the browser holds audio until the page is clicked or a key is pressed; ' +
                    'the music joins in then');
            }
            if (clock.pausedAt === null) context.resume().catch(() => {});
            return;
        }
        const offset = ((at === undefined ? clock.now() : at) - track.requested) / 1000 + music.latency();
        if (offset >= track.buffer.duration) {
            track.state = 'ended';
            return;
        }
        const node = context.createBufferSource();
        node.buffer = track.buffer;
        node.connect(context.destination);
        node.onended = () => {
            if (track.node === node) track.state = 'ended';
        };
        node.start(0, offset);
        track.node = node;
        track.offset = offset;
        track.startedAt = context.currentTime;
        track.state = 'playing';
    };
    const silence = () => {
        if (!track.node) return;
        track.node.onended = null;
        try {
            track.node.stop();
        } catch (e) {
        }
        track.node.disconnect();
        track.node = null;
    };
    track.stop = () => {
        delete music.players[id];
        silence();
    };
    track.restart = (at) => {
        silence();
        track.state = 'decoded';
        track.heldSaid = true;  // it has played: a context that is not running is not the browser's hold
        track.start(at);
    };
    music.players[id] = track;
    music.latest = track;
    context.decodeAudioData(data).then((buffer) => {
        if (music.players[id] !== track) return;
        track.buffer = buffer;
        track.state = 'decoded';
        track.start();
    }, (e) => {
        if (music.players[id] !== track) return;
        track.state = 'failed';
        err('sound: ' + name + ': the browser cannot decode it (' + (e && e.message ? e.message : e) +
            '), the show runs silently');
    });
});

EM_JS(void, WebMusicStop, (int id), {
    const music = Module.orreryMusic;
    const track = music && music.players[id];
    if (track) track.stop();
});

// Seconds into the file that are heard now; the file's length once it has ended.
EM_JS(double, WebMusicPosition, (int id), {
    const music = Module.orreryMusic;
    const track = music && music.players[id];
    if (!track || !track.buffer || (track.state !== 'playing' && track.state !== 'ended')) return 0;
    return music.trackPosition(track);
});

// 1 once the whole file is decoded and handed to the audio output.
EM_JS(int, WebMusicHandedOver, (int id), {
    const music = Module.orreryMusic;
    const track = music && music.players[id];
    return track && (track.state === 'playing' || track.state === 'ended') ? 1 : 0;
});

namespace platform {
namespace {

int nextPlayerId = 1;

}  // namespace

struct Mp3Player::Impl {
    int id = nextPlayerId++;
    bool playing = false;
};

Mp3Player::Mp3Player() : impl(std::make_unique<Impl>()) {}

Mp3Player::~Mp3Player() { SetSource(nullptr); }

void Mp3Player::SetSource(std::unique_ptr<Mp3Source> next) {
    Stop();
    source = std::move(next);
}

HRESULT Mp3Player::Play() {
    Stop();
    if (!source) return E_FAIL;
    const std::vector<std::uint8_t>& bytes = source->Bytes();
    web::InstallPageClock();
    if (!WebMusicInstall(source->Path().c_str())) return kSoundDeviceError;
    WebMusicPlay(impl->id, bytes.data(), bytes.size(), source->Path().c_str());
    impl->playing = true;
    return S_OK;
}

void Mp3Player::Stop() {
    if (!impl->playing) return;
    WebMusicStop(impl->id);
    impl->playing = false;
}

bool Mp3Player::IsPlaying() const { return impl->playing; }

double Mp3Player::PlayedSeconds() const { return impl->playing ? WebMusicPosition(impl->id) : 0.0; }

bool Mp3Player::ReachedEnd() const { return impl->playing && WebMusicHandedOver(impl->id) != 0; }

}  // namespace platform
