// Cover designer figures:
//   coverdesigner_bench [--frames N]        drags 50 selected objects over a
//                                            page of 200, timing Qt's paint of
//                                            the page per drag step, against a
//                                            page that redraws its objects
//   coverdesigner_bench --screenshot FILE   the designer with a shipped template
#include <unistd.h>

#include <QApplication>
#include <QElapsedTimer>
#include <QMouseEvent>
#include <QPixmap>
#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

#include "app/coverdesigner/cover_des_main_screen.h"
#include "app/host/user_prompts.h"
#include "cover/objects/fax_cover_label.h"
#include "cover/objects/fax_cover_shapes.h"
#include "cover/objects/fax_cover_text_area.h"
#include "cover/render/cover_template_files.h"
#include "settings/ini_file.h"
#include "ui/coverdesign/g_handle.h"

namespace {

namespace fs = std::filesystem;

constexpr int kObjects = 200;
constexpr int kSelected = 50;
constexpr double kFrameBudgetMs = 8.0;

class TSilentPrompts : public px::TUserPrompts {
public:
    void information(QWidget*, const QString& text) override {
        std::fprintf(stderr, "information: %s\n", qPrintable(text));
    }
    bool question(QWidget*, const QString&, const QString&, bool) override { return false; }
    int choice(QWidget*, const QString&, const QStringList&, int) override { return -1; }
    int buttonChoice(QWidget*, const QString&, const QStringList&) override { return -1; }
    px::TFaxErrorResult faxError(QWidget*, const QString&, const QString&, bool, bool,
                                 px::ErrorCode) override {
        return px::TFaxErrorResult::Ok;
    }
    void beep() override {}
};

fs::path freshHome() {
    const fs::path home =
        fs::temp_directory_path() / ("parvex-designer-bench-" + std::to_string(getpid()));
    fs::remove_all(home);
    fs::create_directories(home / "Covers");
    return home;
}

// A crowded page: texts, fields, shapes and lines in rows.
void fill(px::TFaxCoverPanel& page) {
    for (int i = 0; i < kObjects; ++i) {
        const QRect box(10 + (i % 10) * 74, 10 + (i / 10) * 46, 64, 30);
        std::unique_ptr<px::TGGraphicControl> o;
        switch (i % 4) {
            case 0: {
                auto label = std::make_unique<px::TFaxCoverLabel>();
                label->setCaption(QStringLiteral("Text %1").arg(i));
                o = std::move(label);
                break;
            }
            case 1:
                o = std::make_unique<px::TFaxCoverField>();
                break;
            case 2: {
                auto shape = std::make_unique<px::TFaxCoverShapes>();
                shape->setShape(px::TShapeType::stRoundRect);
                o = std::move(shape);
                break;
            }
            default:
                o = std::make_unique<px::TFaxCoverLine>();
                break;
        }
        page.AddObject(std::move(o), box);
    }
}

double percentile(std::vector<double> v, double p) {
    std::sort(v.begin(), v.end());
    return v[std::min(v.size() - 1, static_cast<std::size_t>(p * static_cast<double>(v.size())))];
}

void send(QWidget* w, QEvent::Type type, QPoint at, Qt::MouseButton button,
          Qt::MouseButtons buttons) {
    QMouseEvent e(type, QPointF(at), w->mapToGlobal(QPointF(at)), button, buttons, Qt::NoModifier);
    QApplication::sendEvent(w, &e);
}

// Qt's paint of the page for each step of a drag; `redraw` makes every frame
// compose the objects again, as a page without its off-screen image would.
std::vector<double> dragFrames(px::TFaxCoverPanel& page, int frames, bool redraw) {
    px::TGHandle& handle = page.handle();
    qint64 now = 0;
    page.setClock([&now] { return now; });
    const QPoint start(handle.width() / 2, handle.height() / 2);
    send(&handle, QEvent::MouseMove, start, Qt::NoButton, Qt::NoButton);
    send(&handle, QEvent::MouseButtonPress, start, Qt::LeftButton, Qt::LeftButton);
    std::vector<double> ms;
    QElapsedTimer timer;
    for (int i = 1; i <= frames; ++i) {
        now += 16;
        send(&handle, QEvent::MouseMove, start + QPoint(i % 200, (i * 3) % 150), Qt::NoButton,
             Qt::LeftButton);
        if (redraw) {
            page.invalidatePage();
        }
        timer.start();
        const QPixmap frame = page.grab();
        ms.push_back(static_cast<double>(timer.nsecsElapsed()) / 1e6);
    }
    now += 500;
    send(&handle, QEvent::MouseButtonRelease, start + QPoint(40, 30), Qt::LeftButton, Qt::NoButton);
    return ms;
}

int bench(int frames) {
    const fs::path home = freshHome();
    TSilentPrompts prompts;
    px::TCoverDesMainScreen window(px::ProgramFolder(home.string()), prompts);
    window.show();
    px::TFaxCoverPanel& page = window.page();
    fill(page);
    page.handle().ClearSelection();
    for (int i = 0; i < kSelected; ++i) {
        page.handle().AddToSelection(*page.model().objects()[static_cast<std::size_t>(i * 4)]);
    }
    QApplication::processEvents();
    page.grab();  // the first paint composes the page

    const std::vector<double> cached = dragFrames(page, frames, false);
    page.handle().ClearSelection();
    for (int i = 0; i < kSelected; ++i) {
        page.handle().AddToSelection(*page.model().objects()[static_cast<std::size_t>(i * 4)]);
    }
    const std::vector<double> redrawn = dragFrames(page, frames, true);

    const double median = percentile(cached, 0.5);
    const double worst = percentile(cached, 0.99);
    const double redrawMedian = percentile(redrawn, 0.5);
    std::printf("drag of %d selected objects over %d, %d frames, Qt paint of the %dx%d page:\n",
                kSelected, kObjects, frames, page.width(), page.height());
    std::printf("  feedback over the page image: median %.3f ms, 99th percentile %.3f ms\n", median,
                worst);
    std::printf("  objects redrawn every frame:  median %.3f ms (%.1fx the image's)\n",
                redrawMedian, redrawMedian / std::max(median, 1e-6));
    std::printf("  budget %.1f ms per frame: %s\n", kFrameBudgetMs,
                worst <= kFrameBudgetMs ? "met" : "MISSED");
    fs::remove_all(home);
    return worst <= kFrameBudgetMs ? 0 : 1;
}

int screenshot(const std::string& file) {
    const fs::path home = freshHome();
    const QString covers = QString::fromStdString((home / "Covers").string());
    px::installShippedCovers(covers);
    {
        px::IniFile ini;
        ini.writeString("CDMRU", "F0", (home / "Covers" / "px0001.FCS").string());
        ini.save((home / "PX.INI").string());
    }
    TSilentPrompts prompts;
    px::TCoverDesMainScreen window(px::ProgramFolder(home.string()), prompts);
    window.resize(900, 640);
    window.show();
    QApplication::processEvents();
    // One object selected, as a user at work would have it.
    px::TFaxCoverPanel& page = window.page();
    for (const auto& o : page.model().objects()) {
        const auto* field = dynamic_cast<const px::TFaxCoverField*>(o.get());
        if (field != nullptr && field->coverFieldType() == px::TCoverFieldType::cfRecipient) {
            page.handle().AddToSelection(*o);
            break;
        }
    }
    QApplication::processEvents();
    const bool saved = window.grab().save(QString::fromStdString(file), "PNG");
    fs::remove_all(home);
    if (!saved) {
        std::fprintf(stderr, "could not write %s\n", file.c_str());
        return 1;
    }
    std::printf("wrote %s\n", file.c_str());
    return 0;
}

}  // namespace

int main(int argc, char** argv) {
    if (getenv("DISPLAY") == nullptr && getenv("QT_QPA_PLATFORM") == nullptr) {
        setenv("QT_QPA_PLATFORM", "offscreen", 1);
    }
    QApplication app(argc, argv);
    int frames = 300;
    for (int i = 1; i + 1 < argc; ++i) {
        if (std::string(argv[i]) == "--screenshot") {
            return screenshot(argv[i + 1]);
        }
        if (std::string(argv[i]) == "--frames") {
            frames = std::max(10, std::atoi(argv[i + 1]));
        }
    }
    return bench(frames);
}
