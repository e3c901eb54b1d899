// Mp3Player on the desktop: a feeder thread decodes ahead of an SDL audio device.
#include "platform/sound/mp3_player.h"

#include <chrono>
#include <condition_variable>
#include <mutex>
#include <thread>

#include "platform/sound/audio_output.h"

namespace platform {

struct Mp3Player::Impl {
    AudioOutput output;
    std::thread feeder;
    mutable std::mutex mutex;
    std::condition_variable wake;
    bool stopRequested = false;
    bool reachedEnd = false;

    void Feed(Mp3Source& source);
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
    HRESULT hr = source->Rewind();
    if (FAILED(hr)) return hr;
    hr = impl->output.Open(source->Format(), source->Path().c_str());
    if (FAILED(hr)) return hr;
    {
        std::lock_guard lock(impl->mutex);
        impl->stopRequested = false;
        impl->reachedEnd = false;
    }
    impl->feeder = std::thread(&Impl::Feed, impl.get(), std::ref(*source));
    return S_OK;
}

void Mp3Player::Stop() {
    if (impl->feeder.joinable()) {
        {
            std::lock_guard lock(impl->mutex);
            impl->stopRequested = true;
        }
        impl->wake.notify_all();
        impl->feeder.join();
    }
    impl->output.Close();
}

bool Mp3Player::IsPlaying() const { return impl->feeder.joinable(); }

double Mp3Player::PlayedSeconds() const {
    if (!source || !impl->output.IsOpen()) return 0.0;
    return static_cast<double>(impl->output.PlayedBytes()) / static_cast<double>(source->Format().BytesPerSecond());
}

bool Mp3Player::ReachedEnd() const {
    std::lock_guard lock(impl->mutex);
    return impl->reachedEnd;
}

void Mp3Player::Impl::Feed(Mp3Source& source) {
    const std::size_t lead = static_cast<std::size_t>(kLeadSeconds * source.Format().BytesPerSecond());
    std::unique_lock lock(mutex);
    for (;;) {
        // Sleep while the device has enough queued; wake early for Stop.
        wake.wait_for(lock, std::chrono::milliseconds(5),
                      [&] { return stopRequested || output.QueuedBytes() < lead; });
        if (stopRequested) return;
        if (output.QueuedBytes() >= lead) continue;

        lock.unlock();
        const unsigned char* data = nullptr;
        std::size_t bytes = 0;
        const HRESULT decoded = source.DecodeFrame(&data, &bytes);
        const bool more = decoded == S_OK && SUCCEEDED(output.Queue(data, bytes));
        lock.lock();
        if (!more) {
            // End of the file or a fault (already reported): the device plays out what it has.
            reachedEnd = decoded == S_FALSE;
            return;
        }
    }
}

}  // namespace platform
