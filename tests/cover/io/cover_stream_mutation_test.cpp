// Mutants of real template files: every design file and render list read must
// give objects or records and a clean stop, never a crash, a hang or a wild
// allocation (the sanitizer build checks the rest).
#include <gtest/gtest.h>

#include <QFile>
#include <QPainter>
#include <random>

#include "cover/cover_test_support.h"
#include "cover/io/cover_render_list.h"
#include "cover/io/g_label_object_filer.h"
#include "cover/render/cover_renderer.h"

namespace px {
namespace {

std::string shipped(const char* name) {
    QFile f(test::sourceFile(QStringLiteral("resources/covers/") + QLatin1String(name)));
    EXPECT_TRUE(f.open(QIODevice::ReadOnly)) << name;
    return f.readAll().toStdString();
}

void mutate(std::string& bytes, std::mt19937& rng) {
    const int edits = 1 + static_cast<int>(rng() % 4);
    for (int e = 0; e < edits && !bytes.empty(); ++e) {
        const std::size_t at = rng() % bytes.size();
        switch (rng() % 7) {
            case 0:
                bytes[at] = static_cast<char>(rng());
                break;
            case 1:
                bytes[at] = static_cast<char>(bytes[at] ^ (1 << (rng() % 8)));
                break;
            case 2:
                bytes.resize(at);
                break;
            case 3:
                bytes.insert(at, 1 + rng() % 64, static_cast<char>(rng()));
                break;
            case 4:  // tags and lengths that ask for much
                bytes[at] = "\x00\x01\x04\x06\x0B\x0C\xFF\x7F\x80"[rng() % 9];
                break;
            case 5: {  // a huge long-string length
                const std::string huge = "\x0C\xFF\xFF\xFF\x7F";
                bytes.replace(at, std::min(huge.size(), bytes.size() - at), huge);
                break;
            }
            default:
                bytes.erase(at, 1);
                break;
        }
    }
}

TEST(CoverFileMutation, DesignFilesReadToAResultOrACleanStop) {
    std::mt19937 rng(20261208);
    const std::string originals[] = {shipped("px0001.FCS"), shipped("px0002.FCS"),
                                     shipped("px0003.FCS"), shipped("px0004.FCS")};
    int complete = 0;
    for (int i = 0; i < 8000; ++i) {
        std::string bytes = originals[i % 4];
        mutate(bytes, rng);
        TCoverPageModel page;
        const TCoverLoadResult r = TGLabelObjectFiler::readObjects(page, bytes, 0);
        ASSERT_EQ(static_cast<int>(page.count()), r.objectsRead);
        ASSERT_TRUE(r.complete || !r.error.empty());
        // An object holds no more than its record could carry.
        ASSERT_LE(page.count(), bytes.size() / 8);
        complete += r.complete ? 1 : 0;
        // What was read writes out again.
        std::vector<const TGGraphicControl*> objects;
        for (const auto& o : page.objects()) {
            objects.push_back(o.get());
        }
        const std::string again = TGLabelObjectFiler::streamObjects(objects);
        TCoverPageModel reread;
        ASSERT_TRUE(TGLabelObjectFiler::readObjects(reread, again, 0).complete);
        ASSERT_EQ(reread.count(), page.count());
    }
    EXPECT_GT(complete, 0);
}

TEST(CoverFileMutation, RenderListsDrawTheirCompleteRecordsAndStop) {
    std::mt19937 rng(1728);
    const std::string originals[] = {shipped("px0001.FCT"), shipped("px0002.FCT"),
                                     shipped("px0003.FCT"), shipped("px0004.FCT")};
    TCoverValues values = TCoverValues::preview(QDateTime(QDate(2026, 1, 2), QTime(3, 4, 5)));
    values.importance.fill(true);
    QImage canvas = newCoverCanvas(kPreviewWidth, kPreviewHeight);
    for (int i = 0; i < 3000; ++i) {
        std::string bytes = originals[i % 4];
        mutate(bytes, rng);
        int records = 0;
        readRenderList(bytes, 1 + static_cast<int>(rng() % 3), [&](const TRenderRecord&) {
            ++records;
            return true;
        });
        // A record takes at least 19 bytes.
        ASSERT_LE(static_cast<std::size_t>(records), bytes.size() / 19);
        QPainter p(&canvas);
        const int drawn = drawRenderRecords(p, bytes, values, 1, QStringLiteral("A message"));
        ASSERT_LE(drawn, records);
    }
}

}  // namespace
}  // namespace px
