// Generates the built-in fax font from a scalable monospaced font.
//
// Usage: px-fontgen FONT.ttf OUTPUT
//
// The output is 16384 bytes: 256 glyphs of the small font (12 pels wide,
// 8 rows, 16 bytes each) followed by 256 glyphs of the standard font (20 pels
// wide, 16 rows, 48 bytes each). Rows run from the top, the leftmost pel in
// the most significant bit of a row's first byte, 1 = black.
//
// A standard-resolution fax pel is about twice as tall as it is wide, so each
// glyph is drawn on square pixels at twice the row count and pairs of rows are
// merged. Every stroke is then widened by one pel to the right so that strokes
// are two pels wide and survive the modest resolution of a fax.
#include "px_fontgen.h"

#include <QFont>
#include <QFontDatabase>
#include <QFontMetrics>
#include <QGuiApplication>
#include <QImage>
#include <QPainter>
#include <QRawFont>
#include <cstdio>
#include <fstream>
#include <vector>

namespace {

struct Cell {
    int width;
    int rows;
    int bytesPerRow;
};

constexpr Cell kSmall{12, 8, 2};
constexpr Cell kStandard{20, 16, 3};

bool printable(int code) {
    return (code >= 0x21 && code <= 0x7E) || (code >= 0xA1 && code <= 0xFF);
}

// Largest pixel size whose line height fits the square-pixel cell.
int fitPixelSize(const QString& family, const Cell& cell) {
    for (int size = cell.rows * 2; size > 4; --size) {
        QFont font(family);
        font.setPixelSize(size);
        const QFontMetrics fm(font);
        if (fm.ascent() + fm.descent() <= cell.rows * 2 &&
            fm.horizontalAdvance('M') <= cell.width - 1) {
            return size;
        }
    }
    return 5;
}

void renderFont(const QString& family, const Cell& cell, std::vector<unsigned char>& out) {
    QFont font(family);
    font.setPixelSize(fitPixelSize(family, cell));
    font.setStyleStrategy(QFont::NoAntialias);
    font.setHintingPreference(QFont::PreferFullHinting);
    const QFontMetrics fm(font);
    const int height = cell.rows * 2;
    const int top = (height - (fm.ascent() + fm.descent())) / 2;
    for (int code = 0; code < 256; ++code) {
        std::vector<unsigned char> glyph(static_cast<size_t>(cell.rows * cell.bytesPerRow), 0);
        if (printable(code)) {
            QImage img(cell.width, height, QImage::Format_Grayscale8);
            img.fill(255);
            QPainter p(&img);
            p.setFont(font);
            p.setPen(Qt::black);
            const QChar ch(static_cast<char16_t>(code));
            const int x = (cell.width - 1 - fm.horizontalAdvance(ch)) / 2;
            p.drawText(x, top + fm.ascent(), QString(ch));
            p.end();
            for (int r = 0; r < cell.rows; ++r) {
                unsigned bits = 0;
                for (int px = 0; px < cell.width; ++px) {
                    const bool black = img.pixelColor(px, 2 * r).lightness() < 128 ||
                                       img.pixelColor(px, 2 * r + 1).lightness() < 128;
                    if (black) {
                        bits |= 1U << (cell.width - 1 - px);
                    }
                }
                bits |= bits >> 1;  // two pels wide
                bits &= (1U << cell.width) - 1;
                // Left-align the pels in the row bytes.
                const unsigned aligned = bits << (cell.bytesPerRow * 8 - cell.width);
                for (int b = 0; b < cell.bytesPerRow; ++b) {
                    glyph[static_cast<size_t>(r * cell.bytesPerRow + b)] =
                        static_cast<unsigned char>(aligned >> (8 * (cell.bytesPerRow - 1 - b)));
                }
            }
        }
        out.insert(out.end(), glyph.begin(), glyph.end());
    }
}

}  // namespace

int runFontGenerator(const std::string& fontPath, const std::string& outputPath) {
    const int id = QFontDatabase::addApplicationFont(QString::fromStdString(fontPath));
    if (id < 0 || QFontDatabase::applicationFontFamilies(id).isEmpty()) {
        std::fprintf(stderr, "px-fontgen: cannot load font %s\n", fontPath.c_str());
        return 1;
    }
    const QString family = QFontDatabase::applicationFontFamilies(id).first();
    std::vector<unsigned char> out;
    renderFont(family, kSmall, out);
    renderFont(family, kStandard, out);
    if (out.size() != 16384) {
        std::fprintf(stderr, "px-fontgen: internal size error\n");
        return 1;
    }
    std::ofstream file(outputPath, std::ios::binary);
    file.write(reinterpret_cast<const char*>(out.data()), static_cast<std::streamsize>(out.size()));
    if (!file) {
        std::fprintf(stderr, "px-fontgen: cannot write %s\n", outputPath.c_str());
        return 1;
    }
    return 0;
}
