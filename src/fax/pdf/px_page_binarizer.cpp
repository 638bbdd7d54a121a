#include "fax/pdf/px_page_binarizer.h"

#include <algorithm>
#include <cstdlib>

#include "fax/t4/px_t4_raster.h"

namespace px {

namespace {

// Text ink: darker than this is black. A little above mid-grey keeps thin
// anti-aliased strokes whole.
constexpr int kTextThreshold = 150;
constexpr int kDitherThreshold = 128;
// A mid-tone pel is neither paper nor ink ...
constexpr int kMidToneLow = 24;
constexpr int kMidToneHigh = 232;
// ... and smooth when both its neighbours across are this close to it.
constexpr int kSmoothStep = 12;
// Share of smooth mid-tones that makes a tile a picture: one in four.
constexpr unsigned kPictureShareDivisor = 4;
// Share that makes a tile next to a picture part of it: one in sixteen.
constexpr unsigned kRimShareDivisor = 16;

}  // namespace

TPageBinarizer::TPageBinarizer(const std::uint8_t* grey, unsigned width, unsigned height,
                               std::size_t stride)
    : grey_(grey),
      width_(width),
      height_(height),
      stride_(stride),
      tilesAcross_((width + kTile - 1) / kTile),
      tilesDown_((height + kTile - 1) / kTile),
      picture_(std::size_t{tilesAcross_} * tilesDown_, 0),
      error_(width + 2, 0),
      nextError_(width + 2, 0) {
    classify();
}

void TPageBinarizer::classify() {
    // Smooth mid-tones per tile, against the tile's area.
    std::vector<unsigned> smooth(picture_.size(), 0);
    std::vector<unsigned> area(picture_.size(), 0);
    for (unsigned y = 0; y < height_; ++y) {
        const std::uint8_t* row = grey_ + std::size_t{y} * stride_;
        unsigned* counts = smooth.data() + std::size_t{y / kTile} * tilesAcross_;
        for (unsigned x = 1; x + 1 < width_; ++x) {
            const int v = row[x];
            if (v > kMidToneLow && v < kMidToneHigh && std::abs(v - row[x - 1]) <= kSmoothStep &&
                std::abs(v - row[x + 1]) <= kSmoothStep) {
                ++counts[x / kTile];
            }
        }
    }
    for (unsigned ty = 0; ty < tilesDown_; ++ty) {
        for (unsigned tx = 0; tx < tilesAcross_; ++tx) {
            const std::size_t i = std::size_t{ty} * tilesAcross_ + tx;
            area[i] = (std::min(width_, (tx + 1) * kTile) - tx * kTile) *
                      (std::min(height_, (ty + 1) * kTile) - ty * kTile);
            picture_[i] = smooth[i] * kPictureShareDivisor >= area[i] ? 1 : 0;
        }
    }
    // A tile on the rim of a picture holds only part of it; it joins the
    // picture when it has some smooth tones, so the picture's edge is not
    // thresholded into a black band.
    std::vector<std::uint8_t> core = picture_;
    for (unsigned ty = 0; ty < tilesDown_; ++ty) {
        for (unsigned tx = 0; tx < tilesAcross_; ++tx) {
            const std::size_t i = std::size_t{ty} * tilesAcross_ + tx;
            if (core[i] != 0 || smooth[i] * kRimShareDivisor < area[i]) {
                continue;
            }
            for (unsigned ny = ty > 0 ? ty - 1 : 0; ny <= std::min(ty + 1, tilesDown_ - 1); ++ny) {
                for (unsigned nx = tx > 0 ? tx - 1 : 0; nx <= std::min(tx + 1, tilesAcross_ - 1);
                     ++nx) {
                    if (core[std::size_t{ny} * tilesAcross_ + nx] != 0) {
                        picture_[i] = 1;
                    }
                }
            }
        }
    }
}

void TPageBinarizer::nextRow(std::uint8_t* raster, unsigned offset) {
    if (row_ >= height_) {
        return;
    }
    const std::uint8_t* row = grey_ + std::size_t{row_} * stride_;
    const std::size_t tileRow = std::size_t{row_ / kTile} * tilesAcross_;
    std::fill(nextError_.begin(), nextError_.end(), 0);
    for (unsigned x = 0; x < width_; ++x) {
        bool black = false;
        if (picture_[tileRow + x / kTile] == 0) {
            black = row[x] < kTextThreshold;
        } else {
            // Floyd-Steinberg: 7/16 right, 3/16 below left, 5/16 below, 1/16 below right.
            const int wanted = row[x] + error_[x + 1] / 16;
            black = wanted < kDitherThreshold;
            const int err = wanted - (black ? 0 : 255);
            error_[x + 2] += err * 7;
            nextError_[x] += err * 3;
            nextError_[x + 1] += err * 5;
            nextError_[x + 2] += err;
        }
        if (black) {
            rasterSetRun(raster, offset + x, 1);
        }
    }
    error_.swap(nextError_);
    ++row_;
}

}  // namespace px
