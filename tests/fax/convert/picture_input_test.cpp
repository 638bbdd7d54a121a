// Pictures as converter input: PCX and DCX read back what the unpacker
// writes, recognition by content, and cut or foreign files refused.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <unistd.h>

#include <QImage>
#include <filesystem>

#include "convert_test_support.h"
#include "fax/convert/px_document_kind.h"
#include "fax/convert/px_fax_converter.h"
#include "fax/convert/px_pcx_decoder.h"
#include "fax/unpack/px_fax_unpacker.h"

namespace px {
namespace {

using test::Page;
using test::TempDir;

// A page of stripes and a box, as a 1-bit picture (black = index 1).
QImage testPicture(int width, int height) {
    QImage image(width, height, QImage::Format_Mono);
    image.setColorTable({qRgb(255, 255, 255), qRgb(0, 0, 0)});
    image.fill(0);
    for (int y = 0; y < height; ++y) {
        for (int x = 0; x < width; ++x) {
            const bool box = x > 40 && x < 400 && y > 10 && y < 60;
            if (box || (y % 7 == 0 && x % 3 != 0)) {
                image.setPixel(x, y, 1);
            }
        }
    }
    return image;
}

// Converts at fine resolution with no margin, doubling or centring, so that
// a picture comes out pel for pel.
void convertPlain(TFaxInputDocumentType type, const std::string& in, const std::string& out,
                  const QImage* picture = nullptr) {
    TPxFaxConverter c;
    c.setMessagePump(nullptr);
    c.setOptions(0);
    c.setResolution(TFaxResolution::frHigh);
    c.setLeftMargin(0);
    c.setInputDocumentType(type);
    c.setDocumentFile(QString::fromStdString(in));
    c.setOutFileName(QString::fromStdString(out));
    if (picture != nullptr) {
        c.convertBitmapToFile(*picture);
    } else {
        c.convert();
    }
}

std::string fileBytes(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

TEST(PictureInput, PcxAndDcxPagesOfTheUnpackerConvertBackPelForPel) {
    TempDir dir;
    const QImage picture = testPicture(900, 120);
    convertPlain(TFaxInputDocumentType::idBitmap, "", dir.file("orig.apf"), &picture);
    const std::vector<Page> original = test::readPages(dir.file("orig.apf"));
    ASSERT_EQ(original.size(), 1U);

    TPxFaxUnpacker u;
    u.setOptions(0);
    u.setInFileName(QString::fromStdString(dir.file("orig.apf")));
    u.setOutFileName(QString::fromStdString(dir.file("page.pcx")));
    u.unpackPageToPcx(1);
    u.setOutFileName(QString::fromStdString(dir.file("page.dcx")));
    u.unpackPageToDcx(1);

    for (const auto& [type, name] : {std::pair{TFaxInputDocumentType::idPcx, "page.pcx"},
                                     std::pair{TFaxInputDocumentType::idDcx, "page.dcx"}}) {
        convertPlain(type, dir.file(name), dir.file("back.apf"));
        const std::vector<Page> back = test::readPages(dir.file("back.apf"));
        ASSERT_EQ(back.size(), 1U) << name;
        EXPECT_EQ(back[0], original[0]) << name;
    }
}

// A DCX file of the given PCX pictures.
std::string dcxOf(const std::vector<std::string>& pages) {
    std::string out(4 + 4 * kDcxMaxPages, '\0');
    auto put32 = [&](size_t at, uint32_t v) {
        for (int i = 0; i < 4; ++i) {
            out[at + static_cast<size_t>(i)] = static_cast<char>(v >> (8 * i));
        }
    };
    put32(0, kDcxSignature);
    for (size_t i = 0; i < pages.size(); ++i) {
        put32(4 + 4 * i, static_cast<uint32_t>(out.size()));
        out += pages[i];
    }
    return out;
}

// A PCX header for a picture of `width` × `height`.
std::string pcxHeader(unsigned width, unsigned height, unsigned bits, unsigned planes,
                      unsigned bytesPerLine) {
    std::string h(kPcxHeaderSize, '\0');
    h[0] = static_cast<char>(kPcxManufacturer);
    h[1] = 5;
    h[2] = static_cast<char>(kPcxRunLengthCoding);
    h[3] = static_cast<char>(bits);
    h[8] = static_cast<char>((width - 1) & 0xFF);
    h[9] = static_cast<char>((width - 1) >> 8);
    h[10] = static_cast<char>((height - 1) & 0xFF);
    h[11] = static_cast<char>((height - 1) >> 8);
    h[65] = static_cast<char>(planes);
    h[66] = static_cast<char>(bytesPerLine & 0xFF);
    h[67] = static_cast<char>(bytesPerLine >> 8);
    return h;
}

QImage decodeBytes(const TempDir& dir, const std::string& bytes, ErrorCode& rc) {
    dir.write("p.pcx", bytes);
    const int fd = ::open(dir.file("p.pcx").c_str(), O_RDONLY);
    QImage image;
    rc = decodePcx(fd, 0, bytes.size(), image);
    ::close(fd);
    return image;
}

TEST(PictureInput, PcxColourFormsDecodeToTheirColours) {
    TempDir dir;
    ErrorCode rc = ecOK;
    // 8 bits in one plane with a palette at the end; a run crosses nothing.
    std::string pal8 = pcxHeader(4, 1, 8, 1, 4);
    pal8 += std::string("\xC3\x01\x02", 3);  // three pels of index 1, one of 2
    std::string palette(kPcxPaletteSize, '\0');
    palette[3] = '\x10';
    palette[6] = '\x7F';
    pal8 += '\x0C' + palette;
    QImage image = decodeBytes(dir, pal8, rc);
    ASSERT_EQ(rc, ecOK);
    EXPECT_EQ(image.pixel(0, 0), qRgb(0x10, 0, 0));
    EXPECT_EQ(image.pixel(3, 0), qRgb(0x7F, 0, 0));
    // True colour: one line per plane, red, green, blue.
    std::string rgb = pcxHeader(2, 1, 8, 3, 2);
    rgb += std::string("\x11\x12\x21\x22\x31\x32", 6);
    image = decodeBytes(dir, rgb, rc);
    ASSERT_EQ(rc, ecOK);
    EXPECT_EQ(image.pixel(1, 0), qRgb(0x12, 0x22, 0x32));
    // Sixteen colours in four planes, from the header's palette.
    std::string ega = pcxHeader(8, 1, 1, 4, 2);
    ega[16 + 3 * 5] = '\x55';  // colour 5 = planes 0 and 2
    ega += std::string("\x80\x00\x00\x00\x80\x00\x00\x00", 8);
    image = decodeBytes(dir, ega, rc);
    ASSERT_EQ(rc, ecOK);
    EXPECT_EQ(image.pixel(0, 0), qRgb(0x55, 0, 0));
    // A cut picture and a header of no known kind.
    decodeBytes(dir, rgb.substr(0, rgb.size() - 2), rc);
    EXPECT_EQ(rc, ecReadPastEof);
    decodeBytes(dir, pcxHeader(2, 1, 8, 2, 2) + "abcd", rc);
    EXPECT_EQ(rc, ecBadGraphicsFormat);
    // A header claiming a picture too large to hold is refused unread.
    decodeBytes(dir, pcxHeader(65535, 65535, 8, 3, 65535), rc);
    EXPECT_EQ(rc, ecBadGraphicsFormat);
}

TEST(PictureInput, DcxPagesBecomePagesAndDamageFailsLeavingNoFile) {
    TempDir dir;
    const std::string white = pcxHeader(16, 2, 1, 1, 2) + std::string("\xC4\xFF", 2);
    dir.write("two.dcx", dcxOf({white, white}));
    convertPlain(TFaxInputDocumentType::idDcx, dir.file("two.dcx"), dir.file("two.apf"));
    EXPECT_EQ(test::readPages(dir.file("two.apf")).size(), 2U);

    struct Case {
        const char* name;
        std::string bytes;
        TFaxInputDocumentType type;
        ErrorCode expect;
    };
    const std::string good = dcxOf({white, white});
    std::string pastEnd = good;
    pastEnd[11] = '\x7F';  // second page offset far past the end
    const Case cases[] = {
        {"second page cut", good.substr(0, good.size() - 1), TFaxInputDocumentType::idDcx,
         ecReadPastEof},
        {"page offset past the end", pastEnd, TFaxInputDocumentType::idDcx, ecReadPastEof},
        {"no pages", dcxOf({}), TFaxInputDocumentType::idDcx, ecBadGraphicsFormat},
        {"PCX cut in its header", white.substr(0, 60), TFaxInputDocumentType::idPcx, ecReadPastEof},
        {"not a PCX", "hello", TFaxInputDocumentType::idPcx, ecBadGraphicsFormat},
    };
    for (const Case& c : cases) {
        dir.write("bad", c.bytes);
        EXPECT_EQ(
            test::errorOf([&] { convertPlain(c.type, dir.file("bad"), dir.file("bad.apf")); }),
            c.expect)
            << c.name;
        EXPECT_FALSE(std::filesystem::exists(dir.file("bad.apf"))) << c.name;
    }
}

TEST(PictureInput, DocumentsAreRecognisedByTheirContent) {
    TempDir dir;
    QImage picture = testPicture(64, 8);
    ASSERT_TRUE(picture.save(QString::fromStdString(dir.file("p.bmp")), "BMP"));
    ASSERT_TRUE(picture.save(QString::fromStdString(dir.file("p.png")), "PNG"));
    ASSERT_TRUE(picture.convertToFormat(QImage::Format_RGB32)
                    .save(QString::fromStdString(dir.file("p.jpg")), "JPEG"));
    struct Case {
        std::string bytes;
        TDocumentKind kind;
    };
    const Case cases[] = {
        {"", TDocumentKind::dkText},
        {"Dear Sir,\r\n\tthe invoice\f", TDocumentKind::dkText},
        {"BMW is a car of some renown\n", TDocumentKind::dkText},
        {"caf\xC3\xA9 \xE9t\xE9\n", TDocumentKind::dkText},
        {fileBytes(dir.file("p.bmp")), TDocumentKind::dkBmp},
        {fileBytes(dir.file("p.png")), TDocumentKind::dkPng},
        {fileBytes(dir.file("p.jpg")), TDocumentKind::dkJpeg},
        {pcxHeader(8, 1, 1, 1, 2), TDocumentKind::dkPcx},
        {dcxOf({pcxHeader(8, 1, 1, 1, 2)}), TDocumentKind::dkDcx},
        {std::string("II*\0\x08\0\0\0", 8), TDocumentKind::dkTiff},
        {std::string("MM\0*\0\0\0\x08", 8), TDocumentKind::dkTiff},
        {"GIF89a....", TDocumentKind::dkGif},
        {"P4\n8 1\n\xFF", TDocumentKind::dkPnm},
        // Page descriptions, whatever else their bytes look like: a PDF with
        // its binary comment, one behind junk, PostScript (which is text too).
        {"%PDF-1.7\n%\xE2\xE3\xCF\xD3\n", TDocumentKind::dkPdf},
        {std::string(900, ' ') + "%PDF-1.4", TDocumentKind::dkPdf},
        {std::string(1100, ' ') + "%PDF-1.4", TDocumentKind::dkText},
        {"%!PS-Adobe-3.0\n%%Pages: 1\n", TDocumentKind::dkPostScript},
        {" %!PS", TDocumentKind::dkText},
        {std::string("text\0with a NUL", 15), TDocumentKind::dkOther},
        {std::string(64, '\x01'), TDocumentKind::dkOther},
    };
    for (const Case& c : cases) {
        const auto* p = reinterpret_cast<const uint8_t*>(c.bytes.data());
        EXPECT_EQ(recogniseDocumentBytes(p, c.bytes.size()), c.kind)
            << documentKindName(c.kind) << ": " << c.bytes.substr(0, 12);
    }
    TDocumentKind kind = TDocumentKind::dkText;
    EXPECT_EQ(recogniseDocument(dir.file(""), kind), -EISDIR);
    EXPECT_EQ(recogniseDocument(dir.file("missing"), kind), ecFileNotFound);
}

TEST(PictureInput, CutOrForeignFilesAreRefusedNotConverted) {
    TempDir dir;
    const QImage picture = testPicture(400, 200).convertToFormat(QImage::Format_RGB32);
    ASSERT_TRUE(picture.save(QString::fromStdString(dir.file("whole.bmp")), "BMP"));
    const std::string bmp = fileBytes(dir.file("whole.bmp"));
    ASSERT_TRUE(picture.save(QString::fromStdString(dir.file("p.jpg")), "JPEG"));
    struct Case {
        const char* name;
        std::string bytes;
        TFaxInputDocumentType type;
        ErrorCode expect;
    };
    const Case cases[] = {
        {"BMP cut to 100 bytes", bmp.substr(0, 100), TFaxInputDocumentType::idBmp, ecReadPastEof},
        {"BMP cut in its pels", bmp.substr(0, bmp.size() / 2), TFaxInputDocumentType::idBmp,
         ecReadPastEof},
        {"BMP cut in its header", bmp.substr(0, 20), TFaxInputDocumentType::idBmp, ecReadPastEof},
        {"a JPEG as text", fileBytes(dir.file("p.jpg")), TFaxInputDocumentType::idText,
         ecBadGraphicsFormat},
        {"binary data as text", std::string(5000, '\0'), TFaxInputDocumentType::idText,
         ecBadGraphicsFormat},
    };
    for (const Case& c : cases) {
        dir.write("in", c.bytes);
        EXPECT_EQ(test::errorOf([&] { convertPlain(c.type, dir.file("in"), dir.file("out.apf")); }),
                  c.expect)
            << c.name;
        EXPECT_FALSE(std::filesystem::exists(dir.file("out.apf"))) << c.name;
    }
    // The whole BMP converts.
    convertPlain(TFaxInputDocumentType::idBmp, dir.file("whole.bmp"), dir.file("ok.apf"));
    EXPECT_EQ(test::readPages(dir.file("ok.apf")).size(), 1U);
}

}  // namespace
}  // namespace px
