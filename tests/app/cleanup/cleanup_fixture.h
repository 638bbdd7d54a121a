// Two fax logs in a scratch program folder with their fax files on disk, the
// cleanup window over them, and the logs read back with python3-dbf.
#pragma once

#include <gtest/gtest.h>

#include <QApplication>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <memory>
#include <sstream>
#include <string>
#include <vector>

#include "app/cleanup/dm_form.h"
#include "app/host/fake_host.h"
#include "support/shell_command.h"

namespace px::test {

class CleanupFixture : public ::testing::Test {
protected:
    TFakeHost host;

    std::string sendFile(const std::string& name) const {
        return host.programFolder.sendFolder() + name;
    }
    std::string receivedFile(const std::string& name) const {
        return host.programFolder.receiveFolder() + name;
    }
    static void touch(const std::string& path) { std::ofstream(path) << "fax"; }
    static bool exists(const std::string& path) { return std::filesystem::exists(path); }

    // An outgoing fax; `sent` is YYYYMMDD or empty. Its files are made on disk.
    void outgoing(const std::string& recipient, const std::string& sent, bool archived = false,
                  const std::string& doc = "", const std::string& cover = "",
                  const std::string& phone = "") {
        TXbTable& t = host.log(TMainPage::Outgoing).table();
        t.append();
        t.setText("RECIPIENT", recipient);
        t.setText("PHONE", phone);
        t.setDate("DATESENT", TXbDate::fromDtos(sent));
        t.setText("TIMESENT", sent.empty() ? "" : "10:30");
        t.setText("FAXDOC", doc);
        t.setText("FAXCOVER", cover);
        t.setLogical("ARCHIVED", archived);
        if (!doc.empty()) {
            touch(sendFile(doc));
        }
        if (!cover.empty()) {
            touch(sendFile(cover));
            touch(sendFile(cover.substr(0, cover.rfind('.')) + ".FCD"));
        }
    }
    void incoming(const std::string& from, const std::string& received, bool archived = false,
                  const std::string& file = "") {
        TXbTable& t = host.log(TMainPage::Incoming).table();
        t.append();
        t.setText("FROM", from);
        t.setDate("DATEREC", TXbDate::fromDtos(received));
        t.setText("TIMEREC", "09:15");
        t.setNumber("PAGES", 1);
        t.setText("FAXFILE", file);
        t.setLogical("ARCHIVED", archived);
        if (!file.empty()) {
            touch(receivedFile(file));
        }
    }

    std::unique_ptr<TDMForm> openForm() {
        auto form = std::make_unique<TDMForm>(host, &host.window);
        form->show();
        QApplication::processEvents();
        return form;
    }

    // The values of `field` in the records python3-dbf reads as not deleted.
    std::vector<std::string> keptRecords(TMainPage page, const std::string& field) {
        const std::string path = host.log(page).tablePath();
        const char* source = std::getenv("PARVEX_SOURCE_DIR");
        const std::string script = source != nullptr
                                       ? std::string(source) + "/tests/app/cleanup/log_records.py"
                                       : std::string(PARVEX_CLEANUP_TEST_DIR) + "/log_records.py";
        int status = -1;
        const std::string out = runCommand("/usr/bin/python3 " + shellQuote(script) + " " +
                                               shellQuote(path) + " " + field + " 2>&1",
                                           &status);
        // Under the test script a missing prerequisite fails rather than skips.
        EXPECT_NE(status, 3) << "missing prerequisite: the python3-dbf module (python3-dbf)";
        EXPECT_EQ(status, 0) << out;
        std::vector<std::string> kept;
        std::istringstream lines(out);
        for (std::string line; std::getline(lines, line);) {
            const auto bar = line.rfind('|');
            if (bar != std::string::npos && line.substr(bar + 1) == "F") {
                kept.push_back(line.substr(0, bar));
            }
        }
        return kept;
    }
};

}  // namespace px::test
