// The contact sheet: one labelled thumbnail of every shot of the show, in one picture.
#pragma once

#include <cstddef>
#include <cstdint>
#include <span>
#include <string>
#include <vector>

#include "show/timeline.h"

namespace capture {

// One moment of the show worth a thumbnail: a show time inside one row of the choreography and
// the scene whose picture it shows.
struct Shot {
    float time;
    const char* name;
    ShowScene scene;
};

// Every shot of the show, in time order.
std::span<const Shot> ShowShots();

// "98.25s tunnel flash": the label of a thumbnail.
std::string ShotLabel(const Shot& shot);

struct CellRect {
    int x = 0, y = 0, width = 0, height = 0;
};

class ContactSheet {
public:
    static constexpr int kThumbWidth = 160;
    static constexpr int kPadding = 4;
    static constexpr int kLabelHeight = 11;  // one line of the label font with a margin
    static constexpr int kColumns = 6;
    static constexpr std::uint32_t kBackground = 0xFF202020;
    static constexpr std::uint32_t kMissing = 0xFF500000;  // thumbnails never filled
    static constexpr std::uint32_t kLabelColour = 0xFFFFFFFF;

    // A sheet for the shots, of frames of the given size (the thumbnails keep its aspect);
    // labels are drawn at once, thumbnails start out in the missing colour.
    ContactSheet(std::vector<Shot> shots, int frameWidth, int frameHeight);

    std::size_t Count() const { return shots_.size(); }
    const Shot& ShotAt(std::size_t index) const { return shots_[index]; }
    int Width() const { return width_; }
    int Height() const { return height_; }
    int ThumbHeight() const { return thumbHeight_; }
    // Where the thumbnail of a shot goes; its label sits right below it.
    CellRect Thumb(std::size_t index) const;
    CellRect Label(std::size_t index) const;

    // Scales the frame (0xAARRGGBB, top row first) into the shot's thumbnail by averaging
    // boxes of source pixels; ignored for a bad index or an empty frame.
    void Place(std::size_t index, const std::uint32_t* pixels, int width, int height);
    bool Filled(std::size_t index) const { return index < filled_.size() && filled_[index]; }

    std::uint32_t At(int x, int y) const { return pixels_[static_cast<std::size_t>(y) * width_ + x]; }
    const std::vector<std::uint32_t>& Pixels() const { return pixels_; }
    // False, with the reason in error, when the file cannot be written.
    bool Write(const std::string& path, std::string& error) const;

private:
    void Fill(const CellRect& rect, std::uint32_t colour);

    std::vector<Shot> shots_;
    int thumbHeight_ = 0;
    int width_ = 0;
    int height_ = 0;
    std::vector<std::uint32_t> pixels_;
    std::vector<bool> filled_;
};

}  // namespace capture
