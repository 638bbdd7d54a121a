// A program folder with a few faxes in its logs, scripted answers to every
// question, and the main window over them.
#pragma once

#include <gtest/gtest.h>

#include <QApplication>
#include <QDialog>
#include <QUrl>
#include <deque>
#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "app/host/scripted_prompts.h"
#include "app/main_window/main_screen.h"
#include "app/preferences/preferences_workflow.h"
#include "app/tables/index_rebuild.h"
#include "support/temp_dir.h"

namespace px::test {

// Stands in for the desktop's browser: records the addresses it is asked to open.
class TUrlRecorder : public QObject {
    Q_OBJECT

public:
    std::vector<QUrl> opened;

public slots:
    void open(const QUrl& url) { opened.push_back(url); }
};

struct TOutFax {
    TOutFax(std::string s, std::string r, std::string d, std::string dc = "", std::string cv = "",
            bool a = false)
        : subject(std::move(s)),
          recipient(std::move(r)),
          dateSent(std::move(d)),
          doc(std::move(dc)),
          cover(std::move(cv)),
          archived(a) {}
    std::string subject;
    std::string recipient;
    std::string dateSent;  // YYYYMMDD or empty
    std::string doc;
    std::string cover;
    bool archived = false;
};

struct TInFax {
    TInFax(std::string f, std::string d, std::string fl, bool a = false)
        : from(std::move(f)), dateRec(std::move(d)), file(std::move(fl)), archived(a) {}
    std::string from;
    std::string dateRec;
    std::string file;
    bool archived = false;
};

class MainWindowFixture : public ::testing::Test {
protected:
    TempDir home;
    TScriptedPrompts prompts;
    std::unique_ptr<TMainScreen> window;
    // The class names of the preference windows the main window showed.
    std::vector<std::string> preferenceWindows;

    std::string folder() const { return home.path() + "/"; }

    // Writes the logs; without `rebuilt` they lack the marker tag, so a reindex is offered.
    void writeLogs(const std::vector<TOutFax>& out, const std::vector<TInFax>& in,
                   bool rebuilt = true) {
        auto env = std::make_shared<TTableEnv>();
        TLogTable outgoing(TLogKind::Outgoing, folder(), env);
        ASSERT_TRUE(outgoing.open());
        for (const TOutFax& f : out) {
            TXbTable& t = outgoing.table();
            t.append();
            t.setText("SUBJECT", f.subject);
            t.setText("RECIPIENT", f.recipient);
            t.setDate("DATESENT", TXbDate::fromDtos(f.dateSent));
            t.setText("TIMESENT", f.dateSent.empty() ? "" : "10:30");
            t.setText("FAXDOC", f.doc);
            t.setText("FAXCOVER", f.cover);
            t.setLogical("ARCHIVED", f.archived);
        }
        TLogTable incoming(TLogKind::Incoming, folder(), env);
        ASSERT_TRUE(incoming.open());
        for (const TInFax& f : in) {
            TXbTable& t = incoming.table();
            t.append();
            t.setText("FROM", f.from);
            t.setDate("DATEREC", TXbDate::fromDtos(f.dateRec));
            t.setText("TIMEREC", "09:15");
            t.setNumber("PAGES", 2);
            t.setText("FAXFILE", f.file);
            t.setLogical("ARCHIVED", f.archived);
        }
        if (!rebuilt) {
            // Logs whose index went missing: it comes back without the marker.
            for (TLogTable* log : {&outgoing, &incoming}) {
                log->close();
                std::filesystem::remove(TXbTable::indexPathFor(log->tablePath()));
                ASSERT_TRUE(log->open());
            }
        }
        outgoing.close();
        incoming.close();
    }

    // Sets Modem/ComPort so the window does not treat the start as the first run.
    void configured() { writeFile(home / "PX.INI", "[Modem]\nComPort=0\n"); }

    void open() {
        window = std::make_unique<TMainScreen>(ProgramFolder(home.path()), prompts);
        // The preference windows are noted and closed as if cancelled.
        window->preferencesWorkflow().runDialog = [this](QDialog& dialog) {
            preferenceWindows.push_back(dialog.objectName().toStdString());
            return int(QDialog::Rejected);
        };
        window->show();
        window->firstActivation();
        QApplication::processEvents();
    }

    void trigger(TCommand command) {
        window->action(command)->trigger();
        QApplication::processEvents();
    }

    int rows(TMainPage page) {
        return page == TMainPage::Outgoing ? window->outgoingModel().rowCount()
                                           : window->incomingModel().rowCount();
    }

    QString cell(TMainPage page, int row, const std::string& field) {
        TLogModel& m =
            page == TMainPage::Outgoing ? window->outgoingModel() : window->incomingModel();
        return m.data(m.index(row, m.columnOf(field))).toString();
    }

    void TearDown() override {
        if (window) {
            window->close();
            window.reset();
        }
    }
};

}  // namespace px::test
