// Shared by the cover tests: a page host that records what objects ask of it,
// and small helpers.
#pragma once

#include <QImage>
#include <QString>
#include <memory>

#include "cover/objects/cover_page_model.h"

namespace px::test {

class RecordingPage : public TCoverPageModel {
public:
    int changes = 0;
    int refits = 0;
    int repaints = 0;

    RecordingPage() {
        setOnLabelChanged([this] { ++changes; });
    }
    void requestRefitHandle() override { ++refits; }
    void repaint(TGGraphicControl&) override { ++repaints; }
};

// Puts a new object on the page as a drawing tool would, at `rect`.
template <typename T>
T& place(TCoverPageModel& page, const QRect& rect) {
    return static_cast<T&>(page.AddObject(std::make_unique<T>(), rect));
}

inline int blackPixels(const QImage& image, const QRect& area) {
    int n = 0;
    const QRect r = area.intersected(image.rect());
    for (int y = r.top(); y <= r.bottom(); ++y) {
        for (int x = r.left(); x <= r.right(); ++x) {
            if (qGray(image.pixel(x, y)) < 128) {
                ++n;
            }
        }
    }
    return n;
}

inline QString sourceFile(const QString& relative) {
    return QString::fromLocal8Bit(qgetenv("PARVEX_SOURCE_DIR")) + QLatin1Char('/') + relative;
}

}  // namespace px::test
