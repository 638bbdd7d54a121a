// Main window figures with a large outgoing log:
//   main_window_bench [--records N]      time from process start to a painted
//                                        window (the parvex program), and the
//                                        time per page when scrolling the
//                                        outgoing grid from top to bottom
//   main_window_bench --screenshot FILE  the window with a few faxes, as PNG
#include <sys/wait.h>
#include <unistd.h>

#include <QAction>
#include <QApplication>
#include <QElapsedTimer>
#include <QScrollBar>
#include <QTableView>
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

#include "app/host/user_prompts.h"
#include "app/main_window/main_screen.h"
#include "app/tables/index_rebuild.h"

namespace {

namespace fs = std::filesystem;

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

struct TFax {
    const char* subject;
    const char* recipient;
    const char* phone;
    const char* date;
    const char* time;
    const char* result;
    const char* doc;
    const char* cover;
    const char* notes;
    bool archived;
};

void writeOutgoing(const std::string& home, const std::vector<TFax>& faxes, int repeat) {
    auto env = std::make_shared<px::TTableEnv>();
    px::TLogTable outgoing(px::TLogKind::Outgoing, home, env);
    outgoing.create();
    // Appending without tags and indexing once is far quicker than keeping
    // five tags sorted through every append.
    outgoing.table().open(outgoing.tablePath());
    px::TXbTable& t = outgoing.table();
    for (int i = 0; i < repeat; ++i) {
        for (const TFax& f : faxes) {
            t.append();
            t.setText("SUBJECT", repeat > 1 ? std::string(f.subject) + " #" + std::to_string(i)
                                            : std::string(f.subject));
            t.setText("RECIPIENT", f.recipient);
            t.setText("PHONE", f.phone);
            t.setDate("DATESENT", px::TXbDate::fromDtos(f.date));
            t.setText("TIMESENT", f.time);
            t.setText("LASTRESULT", f.result);
            t.setText("FAXDOC", f.doc);
            t.setText("FAXCOVER", f.cover);
            t.setText("NOTES", f.notes);
            t.setLogical("ARCHIVED", f.archived);
        }
    }
    px::rebuildTableIndex(outgoing, {});
    outgoing.close();
    px::TLogTable incoming(px::TLogKind::Incoming, home, env);
    incoming.open();
    px::rebuildTableIndex(incoming, {});
    incoming.close();
}

void writeIncoming(const std::string& home) {
    auto env = std::make_shared<px::TTableEnv>();
    px::TLogTable incoming(px::TLogKind::Incoming, home, env);
    incoming.open();
    struct {
        const char* from;
        const char* date;
        const char* time;
        int pages;
        const char* file;
    } rows[] = {{"+49 30 5550 1234", "20261207", "16:42", 3, "RCV00004.APF"},
                {"ACME SALES", "20261204", "09:05", 1, "RCV00003.APF"}};
    for (const auto& r : rows) {
        incoming.table().append();
        incoming.table().setText("FROM", r.from);
        incoming.table().setDate("DATEREC", px::TXbDate::fromDtos(r.date));
        incoming.table().setText("TIMEREC", r.time);
        incoming.table().setNumber("PAGES", r.pages);
        incoming.table().setText("FAXFILE", r.file);
    }
    px::rebuildTableIndex(incoming, {});
    incoming.close();
}

const std::vector<TFax> kSample = {
    {"Quarterly order", "Miller & Sons", "0301234567", "20261207", "14:05", "Sent", "FAX00003.APF",
     "COV00002.APF", "ask for delivery date", false},
    {"Signed contract", "Harbour Legal", "0402223344", "20261203", "10:17", "Sent", "FAX00002.APF",
     "", "", false},
    {"Price list 2027", "Nordwind GmbH", "0895551212", "", "", "The line is busy", "FAX00004.APF",
     "COV00003.APF", "retry Monday", false},
    {"Meeting notes", "Dr. A. Novak", "0221998877", "", "", "", "", "COV00004.APF", "", false},
    {"Old invoice 1187", "Baker Supplies", "0711445566", "20261015", "08:50", "Sent",
     "FAX00001.APF", "", "paid", true},
};

int screenshot(const std::string& file) {
    const fs::path home = fs::temp_directory_path() / ("parvex-shot-" + std::to_string(getpid()));
    fs::create_directories(home);
    writeOutgoing(home.string(), kSample, 1);
    writeIncoming(home.string());
    {
        FILE* ini = std::fopen((home / "PX.INI").c_str(), "w");
        std::fputs("[Modem]\nComPort=0\n", ini);
        std::fclose(ini);
    }
    int rc = 1;
    {
        TSilentPrompts prompts;
        px::TMainScreen window(px::ProgramFolder(home.string()), prompts);
        window.show();
        window.firstActivation();
        window.action(px::TCommand::ShowArchivedFaxes)->trigger();
        window.resize(1000, 440);
        window.selectRow(px::TMainPage::Outgoing, 1);
        // The hint of a menu entry under the pointer, as the status bar shows it.
        window.action(px::TCommand::SendFax)->showStatusText(&window);
        for (int i = 0; i < 20; ++i) {
            QApplication::processEvents();
        }
        if (window.grab().save(QString::fromStdString(file), "PNG")) {
            rc = 0;
        }
        window.close();
    }
    fs::remove_all(home);
    return rc;
}

double millis(std::chrono::steady_clock::duration d) {
    return std::chrono::duration<double, std::milli>(d).count();
}

// Runs the program until it has painted its window once.
double startToPaint(const std::string& program, const std::string& home) {
    const auto start = std::chrono::steady_clock::now();
    const pid_t pid = fork();
    if (pid == 0) {
        setenv("PARVEX_HOME", home.c_str(), 1);
        setenv("PARVEX_QUIT_AFTER_PAINT", "1", 1);
        if (getenv("DISPLAY") == nullptr) {
            setenv("QT_QPA_PLATFORM", "offscreen", 1);
        }
        execl(program.c_str(), program.c_str(), static_cast<char*>(nullptr));
        _exit(127);
    }
    int status = 0;
    waitpid(pid, &status, 0);
    if (!WIFEXITED(status) || WEXITSTATUS(status) != 0) {
        std::fprintf(stderr, "parvex ended with status %d\n", status);
        return -1;
    }
    return millis(std::chrono::steady_clock::now() - start);
}

void scrollFigures(const std::string& home) {
    TSilentPrompts prompts;
    px::TMainScreen window(px::ProgramFolder(home), prompts);
    window.resize(1000, 700);
    window.show();
    window.firstActivation();
    QApplication::processEvents();
    QTableView* grid = window.outgoingGrid();
    QScrollBar* bar = grid->verticalScrollBar();
    px::TLogModel& model = window.outgoingModel();
    std::vector<double> pages;
    std::vector<double> fetching;  // pages that also fetched a batch of rows
    QElapsedTimer total;
    total.start();
    while (true) {
        const int before = model.rowCount();
        const auto t0 = std::chrono::steady_clock::now();
        bar->setValue(bar->value() + bar->pageStep());
        QApplication::processEvents();
        grid->viewport()->repaint();
        const double ms = millis(std::chrono::steady_clock::now() - t0);
        pages.push_back(ms);
        if (model.rowCount() != before) {
            fetching.push_back(ms);
        }
        if (bar->value() >= bar->maximum() && !model.canFetchMore({})) {
            break;
        }
    }
    const auto worst = std::max_element(pages.begin(), pages.end()) - pages.begin();
    std::printf("  the slowest page is page %td of %zu\n", worst + 1, pages.size());
    std::sort(fetching.begin(), fetching.end());
    if (!fetching.empty()) {
        std::printf("  pages that fetched a batch of %d rows: %zu, median %.2f ms, worst %.2f ms\n",
                    px::TLogModel::kFetchBatch, fetching.size(), fetching[fetching.size() / 2],
                    fetching.back());
    }
    std::sort(pages.begin(), pages.end());
    double sum = 0;
    for (double p : pages) {
        sum += p;
    }
    std::printf("scroll top to bottom: %d rows, %zu pages of %d rows, %.0f ms in all\n",
                model.rowCount(), pages.size(), bar->pageStep(),
                static_cast<double>(total.elapsed()));
    std::printf(
        "  per page: mean %.2f ms, median %.2f ms, 99th percentile %.2f ms, worst %.2f ms "
        "(goal < 16 ms)\n",
        sum / static_cast<double>(pages.size()), pages[pages.size() / 2],
        pages[std::min(pages.size() - 1, pages.size() * 99 / 100)], pages.back());
    window.close();
}

}  // namespace

int main(int argc, char** argv) {
    if (getenv("DISPLAY") == nullptr && getenv("QT_QPA_PLATFORM") == nullptr) {
        setenv("QT_QPA_PLATFORM", "offscreen", 1);
    }
    QApplication app(argc, argv);
    int records = 100000;
    for (int i = 1; i + 1 < argc; ++i) {
        if (std::string(argv[i]) == "--screenshot") {
            return screenshot(argv[i + 1]);
        }
        if (std::string(argv[i]) == "--records") {
            records = std::max(1, std::atoi(argv[i + 1]));
        }
    }
    const fs::path home = fs::temp_directory_path() / ("parvex-bench-" + std::to_string(getpid()));
    fs::create_directories(home);
    {
        FILE* ini = std::fopen((home / "PX.INI").c_str(), "w");
        std::fputs("[Modem]\nComPort=0\n", ini);
        std::fclose(ini);
    }
    const auto built = std::chrono::steady_clock::now();
    const int repeat = std::max(1, records / static_cast<int>(kSample.size()));
    writeOutgoing(home.string(), kSample, repeat);
    std::printf("outgoing log: %d records written and indexed in %.0f ms\n",
                repeat * static_cast<int>(kSample.size()),
                millis(std::chrono::steady_clock::now() - built));

    const fs::path self = fs::canonical("/proc/self/exe");
    const std::string program = (self.parent_path().parent_path() / "bin" / "parvex").string();
    std::vector<double> starts;
    for (int i = 0; i < 5; ++i) {
        const double ms = startToPaint(program, home.string());
        if (ms >= 0) {
            starts.push_back(ms);
        }
    }
    if (!starts.empty()) {
        std::sort(starts.begin(), starts.end());
        std::printf(
            "process start to painted window (and closed again): median %.0f ms, best "
            "%.0f ms over %zu runs (goal < 1000 ms)\n",
            starts[starts.size() / 2], starts.front(), starts.size());
    }
    scrollFigures(home.string());
    fs::remove_all(home);
    return 0;
}
