// Turns a rendered grey page into black-and-white fax lines.
//
// A fax page is one bit per pel, and one rule does not suit both halves of a
// typical document: text wants a hard threshold (crisp edges, no speckle),
// while a photograph or a grey fill thresholded turns into black blobs and
// must be dithered instead. The page is therefore cut into small tiles and
// each tile is classed by what its grey pels look like: anti-aliased text
// has grey pels only on glyph edges, each next to a sharp step from paper to
// ink, while a picture has runs of grey pels that change smoothly. A tile
// where at least a quarter of the pels are such smooth mid-tones is picture
// and is error-diffused (Floyd-Steinberg); every other tile is thresholded.
// Error never flows out of a picture tile into text, so text next to a
// photograph stays clean.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

namespace px {

class TPageBinarizer {
public:
    // Side of the square tiles that are classed, in pels.
    static constexpr unsigned kTile = 16;

    // `grey` is `height` rows of `width` 8-bit pels (0 black, 255 white), each
    // `stride` bytes apart; it must outlive the binarizer.
    TPageBinarizer(const std::uint8_t* grey, unsigned width, unsigned height, std::size_t stride);

    // Writes row `y` into `raster` (1 = black, most significant bit first),
    // starting at pel `offset`; the raster must be cleared and hold
    // offset + width pels. Rows are taken in order from 0: the dithering
    // carries its error from one row to the next.
    void nextRow(std::uint8_t* raster, unsigned offset);

    bool pictureTile(unsigned tileX, unsigned tileY) const {
        return picture_[std::size_t{tileY} * tilesAcross_ + tileX] != 0;
    }
    unsigned tilesAcross() const { return tilesAcross_; }
    unsigned tilesDown() const { return tilesDown_; }

private:
    void classify();

    const std::uint8_t* grey_;
    unsigned width_;
    unsigned height_;
    std::size_t stride_;
    unsigned tilesAcross_;
    unsigned tilesDown_;
    std::vector<std::uint8_t> picture_;
    // Diffused error for this row and the next, with a guard pel each side.
    std::vector<int> error_;
    std::vector<int> nextError_;
    unsigned row_ = 0;
};

}  // namespace px
