#include "app/quickfax/edit_add_quick_fax.h"

#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryFile>
#include <cstdint>
#include <filesystem>
#include <optional>
#include <stdexcept>
#include <string>
#include <vector>

#include "app/host/fax_files.h"
#include "app/host/status_panel.h"
#include "app/host/user_prompts.h"
#include "app/host/workflow_host.h"
#include "app/quickfax/create_edit_quick_fax.h"
#include "app/tables/log_table.h"
#include "cover/render/cover_renderer.h"
#include "cover/sender/sender_info.h"
#include "settings/file_names.h"
#include "settings/program_folder.h"
#include "settings/px_settings.h"

namespace px {

namespace {

namespace fs = std::filesystem;

QString qs(const std::string& text) {
    return QString::fromStdString(text);
}

// What a save that fails half-way has to take back, newest first; cleared
// once the save went through.
class TUndoList {
public:
    TUndoList() = default;
    TUndoList(const TUndoList&) = delete;
    TUndoList& operator=(const TUndoList&) = delete;
    ~TUndoList() {
        for (auto step = steps_.rbegin(); step != steps_.rend(); ++step) {
            try {
                (*step)();
            } catch (...) {
                // The error that stopped the save is the one the user hears of.
            }
        }
    }
    void add(std::function<void()> step) { steps_.push_back(std::move(step)); }
    void clear() { steps_.clear(); }

private:
    std::vector<std::function<void()>> steps_;
};

// The current record's values and, when it has a cover, what the cover's data
// file keeps; `coverPath` becomes the cover file's path.
TQuickFaxForm formOfRecord(TWorkflowHost& host, std::string& coverPath) {
    TQuickFaxForm form;
    const TXbTable& t = host.log(TMainPage::Outgoing).table();
    const std::string cover = t.text("FAXCOVER");
    // A stored name with a folder in it is not one of ours and is never
    // overwritten: the fax then gets a cover file of its own.
    if (isBareName(cover)) {
        const std::string send = host.folder().sendFolder();
        const std::string data = coverCompanionName(cover);
        if (existsNoCase(send, data)) {
            const TCoverData kept = readCoverData(qs(resolveNoCase(send, data)));
            const QString name = templateFileName(kept.templateName);
            if (!name.isEmpty()) {
                form.cover.templateName = name;
            }
            form.cover.importance = kept.importance;
            form.cover.message = kept.message;
        }
        coverPath = resolveNoCase(send, cover);
    }
    form.recipient = qs(t.text("RECIPIENT"));
    form.recipientFax = qs(t.text("PHONE"));
    form.regarding = qs(t.text("SUBJECT"));
    form.notes = qs(t.text("NOTES"));
    form.codes = qs(t.text("CODES"));
    return form;
}

TCoverValues coverValues(const TQuickFaxForm& form, const UserSettings& user,
                         const QDateTime& now) {
    const TSenderInfo sender = TSenderInfo::fromSettings(user);
    TCoverValues v;
    v[TCoverFieldType::cfDate] = coverDateText(now.date());
    v[TCoverFieldType::cfTime] = coverTimeText(now.time());
    v[TCoverFieldType::cfRegarding] = form.regarding;
    v[TCoverFieldType::cfRecipient] = form.recipient;
    v[TCoverFieldType::cfRecipientFax] = form.recipientFax;
    v[TCoverFieldType::cfSender] = qs(sender.name);
    v[TCoverFieldType::cfSenderCompany] = qs(sender.company);
    v[TCoverFieldType::cfSenderFax] = qs(sender.fax);
    v[TCoverFieldType::cfSenderVoice] = qs(sender.voice);
    v.importance = form.cover.importance;
    return v;
}

std::optional<QByteArray> fileContents(const QString& path) {
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly)) {
        return std::nullopt;
    }
    return f.readAll();
}

void restoreFile(const QString& path, const std::optional<QByteArray>& contents) {
    if (!contents) {
        QFile::remove(path);
        return;
    }
    QFile f(path);
    if (f.open(QIODevice::WriteOnly | QIODevice::Truncate)) {
        f.write(*contents);
    }
}

// Renders the cover, writes its data file and fills in the record. The page
// is drawn into a scratch file first: the converter removes a file it fails
// to finish, and an edited cover must not vanish that way.
void saveCover(TWorkflowHost& host, bool isNew, std::uint32_t recno, const TQuickFaxForm& form,
               const std::string& existingCover) {
    const ProgramFolder& folder = host.folder();
    const QString send = qs(folder.sendFolder());
    const QString coverPath = existingCover.empty() ? nextCoverFileName(send) : qs(existingCover);
    const std::string coverName = QFileInfo(coverPath).fileName().toStdString();
    const QString dataPath = qs(resolveNoCase(folder.sendFolder(), coverCompanionName(coverName)));
    const QString renderList =
        qs(resolveNoCase(folder.coversFolder(), form.cover.templateName.toStdString()));
    TUndoList undo;

    QTemporaryFile scratch(QDir(send).filePath(QStringLiteral("cover-XXXXXX.tmp")));
    if (!scratch.open()) {
        throw std::runtime_error("Unable to create a file in " + folder.sendFolder());
    }
    scratch.close();
    RenderCoverPage(scratch.fileName(), renderList,
                    coverValues(form, host.settings().user, QDateTime::currentDateTime()),
                    form.cover.message.join(QStringLiteral("\r\n")), send);

    const std::optional<QByteArray> oldData = fileContents(dataPath);
    if (!writeCoverData(dataPath, form.cover)) {
        throw std::runtime_error("Unable to write " + dataPath.toStdString());
    }
    undo.add([dataPath, oldData] { restoreFile(dataPath, oldData); });

    std::error_code failed;
    fs::rename(scratch.fileName().toStdString(), coverPath.toStdString(), failed);
    if (failed) {
        throw std::runtime_error("Unable to write " + coverPath.toStdString() + ": " +
                                 failed.message());
    }
    if (existingCover.empty()) {
        undo.add([coverPath] { QFile::remove(coverPath); });
    } else {
        // The old page is gone now; its old data would no longer describe it.
        undo.clear();
    }

    TXbTable& t = host.log(TMainPage::Outgoing).table();
    if (isNew) {
        t.append();
        undo.add([&t, added = t.recNo()] {
            t.goTo(added);
            t.setDeleted(true);
        });
    } else {
        t.goTo(recno);
    }
    t.setText("RECIPIENT", form.recipient.toStdString());
    t.setText("SUBJECT", form.regarding.toStdString());
    t.setText("PHONE", form.recipientFax.toStdString());
    t.setText("NOTES", form.notes.toStdString());
    t.setText("CODES", form.codes.toStdString());
    t.setText("FAXCOVER", coverName);
    undo.clear();
}

}  // namespace

bool runQuickFaxEditor(TWorkflowHost& host, TQuickFaxForm& form) {
    return quickFaxEditor({})(host, form);
}

TQuickFaxEditor quickFaxEditor(std::function<void()> help) {
    return [help = std::move(help)](TWorkflowHost& host, TQuickFaxForm& form) {
        TCreateEditQuickFax editor(host, form, host.dialogParent());
        editor.setHelp(help);
        if (editor.exec() != QDialog::Accepted) {
            return false;
        }
        form = editor.form();
        return true;
    };
}

bool EditAddQuickFax(TWorkflowHost& host, bool isNew, const TQuickFaxEditor& editor) {
    std::string existingCover;
    std::uint32_t recno = 0;
    TQuickFaxForm form;
    if (!isNew) {
        recno = host.log(TMainPage::Outgoing).table().recNo();
        form = formOfRecord(host, existingCover);
    }
    if (!editor(host, form)) {
        return false;
    }
    bool saved = false;
    try {
        TBusyScope busy(host.statusPanel(), QString::fromLatin1(kRenderingCover));
        saveCover(host, isNew, recno, form, existingCover);
        saved = true;
    } catch (const std::exception& e) {
        host.prompts().information(host.dialogParent(), QString::fromUtf8(e.what()));
    }
    host.evaluateCommands();
    if (saved && isNew) {
        host.reopenLog(TMainPage::Outgoing);
    } else {
        host.refreshLog(TMainPage::Outgoing);
    }
    return saved;
}

}  // namespace px
