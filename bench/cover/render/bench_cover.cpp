// Targets: a cover rendered to an APF file in at most 30 ms; a 200-object
// template opened, and saved, in at most 20 ms each.
#include <benchmark/benchmark.h>

#include <QDir>
#include <QGuiApplication>
#include <QPainter>
#include <QTemporaryDir>
#include <cstring>

#include "cover/io/cover_render_list.h"
#include "cover/io/g_label_object_filer.h"
#include "cover/objects/fax_cover_label.h"
#include "cover/objects/fax_cover_shapes.h"
#include "cover/objects/fax_cover_text_area.h"
#include "cover/render/cover_renderer.h"
#include "cover/render/cover_template_files.h"

namespace {

QString shipped(const char* file) {
    return QStringLiteral(PARVEX_DEFAULT_SOURCE_DIR "/resources/covers/") + QLatin1String(file);
}

px::TCoverValues sampleValues() {
    px::TCoverValues v = px::TCoverValues::preview(QDateTime(QDate(2026, 12, 8), QTime(9, 30)));
    v[px::TCoverFieldType::cfRecipient] = QStringLiteral("Ada Lovelace");
    v[px::TCoverFieldType::cfRecipientFax] = QStringLiteral("+44 20 7946 0100");
    v[px::TCoverFieldType::cfRegarding] = QStringLiteral("Quarterly figures");
    v[px::TCoverFieldType::cfSender] = QStringLiteral("Charles Babbage");
    v[px::TCoverFieldType::cfSenderCompany] = QStringLiteral("Analytical Engines Ltd");
    v[px::TCoverFieldType::cfSenderFax] = QStringLiteral("+44 20 7946 0321");
    v[px::TCoverFieldType::cfSenderVoice] = QStringLiteral("+44 20 7946 0300");
    v[px::TImportance::PleaseReply] = true;
    return v;
}

const QString kMessage = QStringLiteral(
    "Please find the quarterly figures attached.\r\nThe totals are on the second page.\r\n"
    "Kind regards from the engine room.");

void RenderCoverToApf(benchmark::State& state) {
    QTemporaryDir dir;
    const QString out = dir.filePath(QStringLiteral("COV00000.APF"));
    const px::TCoverValues values = sampleValues();
    for (auto _ : state) {
        px::RenderCoverPage(out, shipped("px0001.FCT"), values, kMessage, dir.path());
    }
}
BENCHMARK(RenderCoverToApf)->Unit(benchmark::kMillisecond);

// 200 objects of every kind, the size of a busy template.
void fillLargePage(px::TCoverPageModel& page) {
    for (int i = 0; i < 200; ++i) {
        const QRect r((i * 37) % 700, (i * 53) % 900, 60, 20);
        switch (i % 5) {
            case 0: {
                auto o = std::make_unique<px::TFaxCoverLabel>();
                o->setCaption(QStringLiteral("Label number %1").arg(i));
                page.AddObject(std::move(o), r);
                break;
            }
            case 1:
                page.AddObject(std::make_unique<px::TFaxCoverField>(), r);
                break;
            case 2:
                page.AddObject(std::make_unique<px::TFaxCoverShapes>(), r);
                break;
            case 3:
                page.AddObject(std::make_unique<px::TFaxCoverLine>(), r);
                break;
            default:
                page.AddObject(std::make_unique<px::TFaxCoverMessage>(), r);
                break;
        }
    }
}

void OpenLargeTemplate(benchmark::State& state) {
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("LARGE.FCS"));
    px::TCoverPageModel source;
    fillLargePage(source);
    px::TGLabelObjectFiler::SaveObjects(source, path);
    for (auto _ : state) {
        px::TCoverPageModel page;
        const px::TCoverLoadResult r = px::TGLabelObjectFiler::LoadObjects(page, path);
        if (r.objectsRead != 200) {
            state.SkipWithError("the template did not read back");
        }
    }
}
BENCHMARK(OpenLargeTemplate)->Unit(benchmark::kMillisecond);

void SaveLargeDesign(benchmark::State& state) {
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("LARGE.FCS"));
    px::TCoverPageModel page;
    fillLargePage(page);
    for (auto _ : state) {
        px::TGLabelObjectFiler::SaveObjects(page, path);
    }
}
BENCHMARK(SaveLargeDesign)->Unit(benchmark::kMillisecond);

// Saving as the designer does: design file, render list, preview, description.
void SaveLargeTemplate(benchmark::State& state) {
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("LARGE.FCS"));
    px::TCoverPageModel page;
    fillLargePage(page);
    for (auto _ : state) {
        px::SaveLabelFile(page, path, QStringLiteral("A large template"));
    }
}
BENCHMARK(SaveLargeTemplate)->Unit(benchmark::kMillisecond);

// The documentation's picture: px0001 with sample values, scaled to be read on screen.
int screenshot(const char* file) {
    const QImage page = px::renderCoverBitmap(shipped("px0001.FCT"), sampleValues(), kMessage);
    // Fine pages have square-ish pels (204 × 196 per inch); a smooth halving keeps text legible.
    const QImage shown = page.convertToFormat(QImage::Format_Grayscale8)
                             .scaled(page.width() / 2, page.height() / 2, Qt::IgnoreAspectRatio,
                                     Qt::SmoothTransformation);
    return shown.save(QString::fromLocal8Bit(file), "PNG") ? 0 : 1;
}

}  // namespace

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) {
        qputenv("QT_QPA_PLATFORM", "offscreen");
    }
    QGuiApplication app(argc, argv);
    for (int i = 1; i + 1 < argc; ++i) {
        if (std::strcmp(argv[i], "--screenshot") == 0) {
            return screenshot(argv[i + 1]);
        }
    }
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
