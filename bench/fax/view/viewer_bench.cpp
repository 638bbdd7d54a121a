// Prints how fast the viewer engine opens a long fax, turns pages, zooms and
// turns a page, each beside its target, and its peak memory for a fax of 1
// and of 200 pages (measured in a child process each, so that one case does
// not inherit the other's peak).
//
//   bench_viewer [--pages N]
#include <sys/wait.h>
#include <unistd.h>

#include <QGuiApplication>
#include <QImage>
#include <QPainter>
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <string>
#include <vector>

#include "fax/view/px_viewer.h"
#include "support/apf_samples.h"
#include "support/temp_dir.h"

namespace {

using Clock = std::chrono::steady_clock;

constexpr QSize kClient(1000, 720);
constexpr double kOpenTargetMs = 50;
constexpr double kFrameTargetMs = 16;

double millis(Clock::duration d) {
    return std::chrono::duration<double, std::milli>(d).count();
}

// Peak resident memory of this process, in KiB.
long peakKiB() {
    std::ifstream status("/proc/self/status");
    std::string line;
    while (std::getline(status, line)) {
        if (line.rfind("VmHWM:", 0) == 0) {
            return std::stol(line.substr(6));
        }
    }
    return -1;
}

void paint(px::TViewer& viewer, QImage& canvas) {
    QPainter p(&canvas);
    viewer.paint(p, canvas.rect());
}

double median(std::vector<double> v) {
    std::sort(v.begin(), v.end());
    return v[v.size() / 2];
}

void report(const char* what, double ms, double target) {
    std::printf("%-52s %8.2f ms   target %5.1f ms   %s\n", what, ms, target,
                ms <= target ? "ok" : "OVER");
}

// Opens the fax and walks every page; prints the peak memory.
int memoryCase(const std::string& fax) {
    const long before = peakKiB();
    px::TViewer viewer;
    viewer.setClientSize(kClient);
    QImage canvas(kClient, QImage::Format_RGB32);
    if (viewer.setFile(QString::fromStdString(fax)) != px::ecOK) {
        return 1;
    }
    for (unsigned n = 1; n <= viewer.numPages(); ++n) {
        viewer.gotoPage(n);
        paint(viewer, canvas);
    }
    std::printf("%ld %ld %u\n", before, peakKiB(), viewer.decodedPages());
    return 0;
}

struct Peak {
    long before = 0;
    long after = 0;
};

Peak memoryInChild(const char* self, const std::string& fax) {
    int fds[2];
    if (pipe(fds) != 0) {
        return {};
    }
    const pid_t pid = fork();
    if (pid == 0) {
        dup2(fds[1], STDOUT_FILENO);
        close(fds[0]);
        execl(self, self, "--memory", fax.c_str(), static_cast<char*>(nullptr));
        _exit(127);
    }
    close(fds[1]);
    char buf[128] = {};
    const ssize_t n = read(fds[0], buf, sizeof buf - 1);
    close(fds[0]);
    int status = 0;
    waitpid(pid, &status, 0);
    Peak p;
    if (n > 0) {
        std::sscanf(buf, "%ld %ld", &p.before, &p.after);
    }
    return p;
}

}  // namespace

int main(int argc, char** argv) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);
    if (argc == 3 && std::strcmp(argv[1], "--memory") == 0) {
        return memoryCase(argv[2]);
    }
    unsigned pages = 200;
    if (argc == 3 && std::strcmp(argv[1], "--pages") == 0) {
        pages = static_cast<unsigned>(std::max(1, std::atoi(argv[2])));
    }

    px::test::TempDir dir;
    std::vector<std::string> real;
    for (int n = 1; n <= 8; ++n) {
        const std::string apf = px::test::ccittApf(dir.path(), n);
        if (apf.empty()) {
            std::fprintf(stderr, "the CCITT test pages are missing (PARVEX_TESTDATA)\n");
            return 1;
        }
        real.push_back(apf);
    }
    const std::string one = dir / "one.apf";
    const std::string many = dir / "many.apf";
    px::test::repeatPages({real[0]}, one, 1);
    px::test::repeatPages(real, many, pages);
    std::printf("Viewer engine, real fine pages (CCITT 1-8), client %dx%d\n\n", kClient.width(),
                kClient.height());

    QImage canvas(kClient, QImage::Format_RGB32);
    std::vector<double> open;
    for (int i = 0; i < 5; ++i) {
        px::TViewer viewer;
        viewer.setClientSize(kClient);
        const auto t0 = Clock::now();
        viewer.setFile(QString::fromStdString(many));
        paint(viewer, canvas);
        open.push_back(millis(Clock::now() - t0));
    }
    char label[96];
    std::snprintf(label, sizeof label, "open a %u-page fax, page 1 shown", pages);
    report(label, median(open), kOpenTargetMs);

    px::TViewer viewer;
    viewer.setClientSize(kClient);
    viewer.setFile(QString::fromStdString(many));
    std::vector<double> turn;
    for (unsigned n = 2; n <= std::min(pages, 41U); ++n) {
        const auto t0 = Clock::now();
        viewer.gotoPage(n);
        paint(viewer, canvas);
        turn.push_back(millis(Clock::now() - t0));
    }
    if (!turn.empty()) {
        report("next page: decode and paint at 100 %", median(turn), kFrameTargetMs);
    }

    viewer.gotoPage(1);
    std::vector<double> zoom;
    const unsigned levels[] = {25, 50, 75, 100};
    for (int i = 0; i < 20; ++i) {
        const unsigned z = levels[i % 4];
        const auto t0 = Clock::now();
        viewer.setScale(z, 100, z, 100);
        paint(viewer, canvas);
        zoom.push_back(millis(Clock::now() - t0));
    }
    report("zoom change and repaint (25..100 %)", median(zoom), kFrameTargetMs);

    viewer.setScale(1, 1, 1, 1);
    std::vector<double> rotate;
    for (unsigned i = 1; i <= 8; ++i) {
        const auto t0 = Clock::now();
        viewer.setRotation(i % 4);
        paint(viewer, canvas);
        rotate.push_back(millis(Clock::now() - t0));
    }
    report("rotation change and repaint", median(rotate), kFrameTargetMs);

    std::vector<double> scroll;
    viewer.setRotation(0);
    for (int i = 0; i < 50; ++i) {
        const auto t0 = Clock::now();
        viewer.keyDown(px::TViewerKey::Down, true);
        paint(viewer, canvas);
        scroll.push_back(millis(Clock::now() - t0));
    }
    report("scroll ten steps and repaint the whole client", median(scroll), kFrameTargetMs);

    const Peak small = memoryInChild(argv[0], one);
    const Peak large = memoryInChild(argv[0], many);
    std::printf("\npeak memory, every page shown once, whole-fax loading off\n");
    std::printf("  1 page:     %7ld KiB (%ld KiB before opening)\n", small.after, small.before);
    std::printf("  %3u pages:  %7ld KiB (%ld KiB before opening)\n", pages, large.after,
                large.before);
    const double growth = static_cast<double>(large.after - large.before) /
                          static_cast<double>(std::max(1L, small.after - small.before));
    std::printf(
        "  growth over opening, %u pages : 1 page = %.2f (one page's bitmap is about "
        "%d KiB)\n",
        pages, growth, 1728 * 2400 / 8 / 1024);
    return 0;
}
