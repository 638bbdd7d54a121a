#include "cover/objects/cover_fonts.h"

#include <QFontDatabase>
#include <QFontInfo>
#include <QHash>
#include <QMutex>
#include <cmath>

#include "cover/objects/wingdings.h"

namespace px {

namespace {

struct Substitute {
    const char* windows;
    const char* installed;
};

// Metric-compatible replacements, so text keeps its designed width.
constexpr Substitute kSubstitutes[] = {
    {"Arial", "Liberation Sans"},
    {"Helvetica", "Liberation Sans"},
    {"Times New Roman", "Liberation Serif"},
    {"Times", "Liberation Serif"},
    {"Courier New", "Liberation Mono"},
    {"Courier", "Liberation Mono"},
    {"WingDings", "Symbola"},
};

constexpr const char* kLastResort = "Liberation Sans";

QString lookUp(const QString& family) {
    for (const Substitute& s : kSubstitutes) {
        if (family.compare(QLatin1String(s.windows), Qt::CaseInsensitive) == 0 &&
            QFontDatabase::hasFamily(QString::fromLatin1(s.installed))) {
            return QString::fromLatin1(s.installed);
        }
    }
    if (!family.isEmpty() && QFontDatabase::hasFamily(family)) {
        return family;
    }
    // fontconfig's nearest match for the name.
    QFont probe(family);
    probe.setStyleHint(QFont::SansSerif);
    const QString nearest = QFontInfo(probe).family();
    if (!nearest.isEmpty() && QFontDatabase::hasFamily(nearest)) {
        return nearest;
    }
    return QString::fromLatin1(kLastResort);
}

}  // namespace

QString resolveFontFamily(const QString& family) {
    // Resolving asks fontconfig; covers name few families, so remember them.
    static QMutex mutex;
    static QHash<QString, QString> resolved;
    const QMutexLocker lock(&mutex);
    const QString key = family.toLower();
    auto it = resolved.constFind(key);
    if (it == resolved.constEnd()) {
        it = resolved.insert(key, lookUp(family));
    }
    return *it;
}

QFont coverFont(const QString& family, int pixelHeight, bool bold, bool italic, bool underline,
                bool strikeOut) {
    QFont f(resolveFontFamily(family));
    f.setPixelSize(std::max(1, pixelHeight));
    f.setBold(bold);
    f.setItalic(italic);
    f.setUnderline(underline);
    f.setStrikeOut(strikeOut);
    f.setStyleStrategy(QFont::NoAntialias);
    f.setHintingPreference(QFont::PreferFullHinting);
    f.setKerning(false);
    return f;
}

int screenPixelHeight(int points) {
    return mulDiv(points, kScreenPixelsPerInch, 72);
}

QFont coverFont(const TCoverFont& font, float zoom) {
    int size = font.size();
    if (zoom != 1.0F) {
        size = static_cast<int>(std::trunc(static_cast<double>(size) * zoom));
    }
    return coverFont(font.name, screenPixelHeight(size), font.bold(), font.italic(),
                     font.underline(), (font.style & fsStrikeOut) != 0);
}

QString drawnText(const QString& caption, const QString& family) {
    return isWingDingsFont(family) ? wingDingsText(caption) : caption;
}

int symbolSelectorColumns(int fontSize) {
    struct Band {
        int from;
        int to;
        int columns;
    };
    constexpr Band kBands[] = {{6, 10, 14}, {11, 20, 10}, {21, 30, 8}, {31, 40, 6},
                               {41, 50, 4}, {51, 60, 3},  {61, 72, 2}};
    for (const Band& b : kBands) {
        if (fontSize >= b.from && fontSize <= b.to) {
            return b.columns;
        }
    }
    return 1;
}

TCoverColor blackOrWhite(TCoverColor color) {
    return color == clWhite ? clWhite : clBlack;
}

}  // namespace px
