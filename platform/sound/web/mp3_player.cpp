// Mp3Player in the browser: Play hands the source's bytes to Web Audio, which decodes the whole
// file (decodeAudioData) and plays it through an AudioBufferSourceNode; PlayedSeconds reads the
// audio context's clock. Decoding takes a moment, so the music starts as far into the file as
// the time since Play, which keeps it where the desktop's would be. Whatever the browser refuses
// later (a file it cannot decode, audio held until the page has had a click or key press) is
// said once on stderr and the show goes on: silently, or with the music joining in when the
// browser lets it.
#include "platform/sound/mp3_player.h"

#include <emscripten/emscripten.h>

#include <cstdint>

// Starts decoding and playing for player id; 0 (after a line on stderr) when the page has no
// Web Audio. Module.orreryMusic holds the one audio context and each player's track.
EM_JS(int, WebMusicPlay, (int id, const std::uint8_t* bytes, std::size_t size, const char* path), {
    var name = UTF8ToString(path);
    var Context = globalThis.AudioContext || globalThis.webkitAudioContext;
    if (!Context) {
        err('sound: ' + name + ': this browser has no Web Audio');
        return 0;
    }
    var music = Module.orreryMusic || (Module.orreryMusic = {context: null, players: {}});
    if (!music.context) {
        try {
            music.context = new Context();
        } catch (e) {
            err('sound: ' + name + ': cannot open an audio context (' + e.message + ')');
            return 0;
        }
        var resume = function() { music.context.resume().catch(function() {}); };
        music.context.onstatechange = function() {
            for (var key in music.players) music.players[key].start();
        };
        document.addEventListener('pointerdown', resume, true);
        document.addEventListener('keydown', resume, true);
    }
    var context = music.context;
    var track = {state: 'decoding', requested: performance.now(), buffer: null, node: null, offset: 0,
                 startedAt: 0, heldSaid: false};
    track.start = function() {
        if (music.players[id] !== track || !track.buffer || track.node || track.state === 'ended') return;
        if (context.state !== 'running') {
            if (!track.heldSaid) {
                track.heldSaid = true;
                err('sound: ' + name + ': the browser holds audio until the page is clicked or a key is pressed; ' +
                    'the music joins in then');
            }
            context.resume().catch(function() {});
            return;
        }
        var offset = (performance.now() - track.requested) / 1000;
        if (offset >= track.buffer.duration) {
            track.state = 'ended';
            return;
        }
        var node = context.createBufferSource();
        node.buffer = track.buffer;
        node.connect(context.destination);
        node.onended = function() {
            if (track.node === node) track.state = 'ended';
        };
        node.start(0, offset);
        track.node = node;
        track.offset = offset;
        track.startedAt = context.currentTime;
        track.state = 'playing';
    };
    music.players[id] = track;
    var data = HEAPU8.slice(bytes, bytes + size).buffer;
    context.decodeAudioData(data).then(function(buffer) {
        if (music.players[id] !== track) return;
        track.buffer = buffer;
        track.state = 'decoded';
        track.start();
    }, function(e) {
        if (music.players[id] !== track) return;
        track.state = 'failed';
        err('sound: ' + name + ': the browser cannot decode it (' + (e && e.message ? e.message : e) +
            '), the show runs silently');
    });
    return 1;
});

EM_JS(void, WebMusicStop, (int id), {
    var music = Module.orreryMusic;
    var track = music && music.players[id];
    if (!track) return;
    delete music.players[id];
    if (track.node) {
        track.node.onended = null;
        try {
            track.node.stop();
        } catch (e) {
        }
        track.node.disconnect();
    }
});

// Seconds into the file the audio clock has played; the file's length once it has ended.
EM_JS(double, WebMusicPosition, (int id), {
    var music = Module.orreryMusic;
    var track = music && music.players[id];
    if (!track || !track.buffer) return 0;
    if (track.state === 'ended') return track.buffer.duration;
    if (track.state !== 'playing') return 0;
    return Math.min(track.offset + music.context.currentTime - track.startedAt, track.buffer.duration);
});

// 1 once the whole file is decoded and handed to the audio output.
EM_JS(int, WebMusicHandedOver, (int id), {
    var music = Module.orreryMusic;
    var track = music && music.players[id];
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
    if (!WebMusicPlay(impl->id, bytes.data(), bytes.size(), source->Path().c_str())) return kSoundDeviceError;
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
