// Damaged and hostile APF files in the viewer: every variant opens or fails
// cleanly, paging, rotating and copying on what opened never crash, and a
// failure leaves the viewer empty and usable.
#include <gtest/gtest.h>

#include <fstream>
#include <random>

#include "fax/view/px_viewer.h"
#include "support/apf_samples.h"
#include "support/temp_dir.h"

namespace px {
namespace {

using Bytes = std::vector<uint8_t>;

void put16(Bytes& b, size_t at, unsigned v) {
    if (at + 2 <= b.size()) {
        b[at] = static_cast<uint8_t>(v);
        b[at + 1] = static_cast<uint8_t>(v >> 8);
    }
}

void put32(Bytes& b, size_t at, uint32_t v) {
    for (int i = 0; i < 4 && at + static_cast<size_t>(i) < b.size(); ++i) {
        b[at + static_cast<size_t>(i)] = static_cast<uint8_t>(v >> (8 * i));
    }
}

// Offsets of the page headers of a well-formed file.
std::vector<size_t> pageHeaders(const Bytes& b) {
    std::vector<size_t> at;
    size_t p = kApfFileHeaderSize;
    while (p + kApfPageHeaderSize <= b.size()) {
        at.push_back(p);
        const uint32_t len = b[p] | (b[p + 1] << 8) | (b[p + 2] << 16) | (uint32_t{b[p + 3]} << 24);
        p += kApfPageHeaderSize + len;
    }
    return at;
}

// The page of `file` (one page, length words) as a raw stream as a modem
// delivers it: the same codes without the length words.
Bytes rawPage(const Bytes& file) {
    Bytes page(file.begin() + kApfFileHeaderSize, file.begin() + kApfFileHeaderSize + 16);
    size_t p = kApfFileHeaderSize + kApfPageHeaderSize;
    Bytes data;
    while (p + 2 <= file.size()) {
        const size_t n = file[p] | (file[p + 1] << 8);
        p += 2;
        data.insert(data.end(), file.begin() + static_cast<long>(p),
                    file.begin() + static_cast<long>(std::min(p + n, file.size())));
        p += n;
    }
    put32(page, 0, static_cast<uint32_t>(data.size()));
    put16(page, 4, page[4] & ~kApfLengthWords);
    page.insert(page.end(), data.begin(), data.end());
    return page;
}

class ViewerMutation : public ::testing::Test {
protected:
    void SetUp() override {
        const std::string one = test::ccittApf(dir.path(), 2);
        ASSERT_FALSE(one.empty()) << "the CCITT test pages in tests/data";
        const Bytes single = test::readBytes(one);
        base = single;
        const Bytes raw = rawPage(single);
        base.insert(base.end(), raw.begin(), raw.end());
        put16(base, 32, 2);
        TViewer::Hooks hooks;
        hooks.viewerError = [this](ErrorCode) { ++errors; };
        viewer.setHooks(hooks);
        viewer.unpacker().setOptions(0);
        viewer.setClientSize(QSize(500, 400));
    }

    // Opens the variant and works it over; returns whether it opened.
    bool exercise(const Bytes& bytes) {
        const std::string path = dir / "m.apf";
        test::writeBytes(path, bytes);
        const ErrorCode rc = viewer.setFile(QString::fromStdString(path));
        if (rc != ecOK) {
            EXPECT_LT(rc, 0);
            EXPECT_EQ(viewer.curPage(), 0U);
            return false;
        }
        const unsigned pages = std::min(viewer.numPages(), 4U);
        for (unsigned n = 1; n <= pages && viewer.curPage() != 0; ++n) {
            viewer.gotoPage(n);
            viewer.keyDown(TViewerKey::PageDown, true);
        }
        if (viewer.curPage() != 0) {
            viewer.setRotation(1);
            QImage out;
            if (viewer.selectAll() == ecOK && viewer.hasMark()) {
                EXPECT_EQ(viewer.copyMark(out), ecOK);
            }
            viewer.setRotation(0);
        }
        if (viewer.curPage() == 0) {
            EXPECT_EQ(viewer.numPages(), 0U);
        }
        viewer.setFile("");
        return true;
    }

    test::TempDir dir;
    TViewer viewer;
    Bytes base;
    int errors = 0;
};

TEST_F(ViewerMutation, TheUntouchedFileOpensOnBothPages) {
    ASSERT_TRUE(exercise(base));
    EXPECT_EQ(errors, 0);
}

TEST_F(ViewerMutation, TruncationAtAnyByte) {
    const size_t step = std::max<size_t>(1, base.size() / 150);
    for (size_t cut = 0; cut < base.size(); cut += (cut < 200 ? 1 : step)) {
        exercise(Bytes(base.begin(), base.begin() + static_cast<long>(cut)));
    }
    // The viewer still opens a good file afterwards.
    EXPECT_TRUE(exercise(base));
}

TEST_F(ViewerMutation, LyingCountsAndLengths) {
    const std::vector<size_t> headers = pageHeaders(base);
    ASSERT_EQ(headers.size(), 2U);
    for (unsigned count : {0U, 1U, 3U, 65535U}) {
        Bytes b = base;
        put16(b, 32, count);
        exercise(b);
    }
    for (uint32_t len : {0U, 1U, 2U, 17U, 0x7FFFFFFFU, 0xFFFFFFFFU}) {
        for (size_t h : headers) {
            Bytes b = base;
            put32(b, h, len);
            exercise(b);
        }
    }
    // Flags of every kind on both pages.
    for (unsigned flags = 0; flags < 8; ++flags) {
        Bytes b = base;
        for (size_t h : headers) {
            put16(b, h + 4, flags);
        }
        exercise(b);
    }
    // A first-page offset that points anywhere.
    for (uint32_t off : {0U, 63U, 65U, 0xFFFFFFF0U}) {
        Bytes b = base;
        put32(b, 34, off);
        exercise(b);
    }
}

TEST_F(ViewerMutation, EmptyPagesAndEndlessLines) {
    const std::string empty = dir / "empty.apf";
    test::writeApfPages(empty, {QImage()}, true);
    Bytes e = test::readBytes(empty);
    exercise(e);

    // A raw page of nothing but EOLs.
    Bytes eols(base.begin(), base.begin() + kApfFileHeaderSize);
    put16(eols, 32, 1);
    Bytes page(kApfPageHeaderSize, 0);
    Bytes data;
    for (int i = 0; i < 200000; ++i) {
        data.insert(data.end(), {0x00, 0x08});
    }
    put32(page, 0, static_cast<uint32_t>(data.size()));
    eols.insert(eols.end(), page.begin(), page.end());
    eols.insert(eols.end(), data.begin(), data.end());
    exercise(eols);

    // Far more lines than a page holds, each with a black pel: the page is
    // cut at the unpacker's line limit and memory stays bounded.
    const std::string tall = dir / "tall.apf";
    QImage img(1728, 100000, QImage::Format_Grayscale8);
    img.fill(Qt::white);
    for (int y = 0; y < img.height(); ++y) {
        img.scanLine(y)[y % 1728] = 0;
    }
    test::writeApfPages(tall, {img}, true);
    ASSERT_TRUE(exercise(test::readBytes(tall)));
}

TEST_F(ViewerMutation, RandomByteDamage) {
    std::mt19937 rng(20261208);
    for (int round = 0; round < 300; ++round) {
        Bytes b = base;
        const int hits = 1 + static_cast<int>(rng() % 8);
        for (int i = 0; i < hits; ++i) {
            // Mostly in the headers and the first records, where damage tells most.
            const size_t limit = (rng() % 2 == 0) ? std::min<size_t>(b.size(), 400) : b.size();
            b[rng() % limit] = static_cast<uint8_t>(rng());
        }
        exercise(b);
    }
    EXPECT_TRUE(exercise(base));
}

}  // namespace
}  // namespace px
