#include "platform/sound/mp3_player.h"

#include <chrono>

namespace platform {

void Mp3Player::SetSource(std::unique_ptr<Mp3Source> next) {
    Stop();
    source = std::move(next);
}

HRESULT Mp3Player::Play() {
    Stop();
    if (!source) return E_FAIL;
    HRESULT hr = source->Rewind();
    if (FAILED(hr)) return hr;
    hr = output.Open(source->Format(), source->Path().c_str());
    if (FAILED(hr)) return hr;
    {
        std::lock_guard lock(mutex);
        stopRequested = false;
        reachedEnd = false;
    }
    feeder = std::thread(&Mp3Player::Feed, this);
    return S_OK;
}

void Mp3Player::Stop() {
    if (feeder.joinable()) {
        {
            std::lock_guard lock(mutex);
            stopRequested = true;
        }
        wake.notify_all();
        feeder.join();
    }
    output.Close();
}

double Mp3Player::PlayedSeconds() const {
    if (!source || !output.IsOpen()) return 0.0;
    return static_cast<double>(output.PlayedBytes()) / static_cast<double>(source->Format().BytesPerSecond());
}

bool Mp3Player::ReachedEnd() const {
    std::lock_guard lock(mutex);
    return reachedEnd;
}

void Mp3Player::Feed() {
    const std::size_t lead = static_cast<std::size_t>(kLeadSeconds * source->Format().BytesPerSecond());
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
        const HRESULT decoded = source->DecodeFrame(&data, &bytes);
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
