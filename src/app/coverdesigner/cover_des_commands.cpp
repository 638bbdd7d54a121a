// The designer's File commands: new, open, delete, save, save as, preview,
// cancel, and the recent-files list.
#include <QDir>
#include <QFile>
#include <QFileInfo>

#include "app/coverdesigner/cover_des_main_screen.h"
#include "app/host/user_prompts.h"
#include "cover/io/cover_text_files.h"
#include "cover/io/g_label_object_filer.h"
#include "cover/render/cover_template_files.h"
#include "settings/px_settings.h"
#include "ui/coverdesign/g_handle.h"
#include "ui/coverdesign/mru_file_list.h"
#include "ui/coverdesign/preview_covers.h"
#include "ui/coverdesign/template_files.h"

namespace px {

namespace {

constexpr const char* kNoDescription = "[description]";
constexpr const char* kNewDescription = "[Description]";

// The first line of NAME.DES, or "[description]" when there is none.
QString descriptionOrPlaceholder(const QString& templatePath) {
    const QString des = existingNoCase(withExtension(templatePath, QStringLiteral(".DES")));
    return des.isEmpty() ? QString::fromLatin1(kNoDescription) : readDescription(des);
}

// Restores a flag when the scope ends, whatever way it ends.
class TBusy {
public:
    explicit TBusy(bool& flag) : flag_(flag), was_(flag) { flag_ = true; }
    ~TBusy() { flag_ = was_; }
    TBusy(const TBusy&) = delete;
    TBusy& operator=(const TBusy&) = delete;

private:
    bool& flag_;
    bool was_;
};

}  // namespace

void TCoverDesMainScreen::NewClick() {
    currentPath_.clear();
    description_.clear();
    page_->ClearObjects();
    SetChangesMade(false);
    page_->update();
    SetButtons();
}

void TCoverDesMainScreen::OpenClick() {
    const std::optional<QString> chosen = dialogs_->previewCovers(
        this, coversFolder(), QString::fromLatin1(TPreviewCovers::kSelectCaption),
        QFileInfo(currentPath_).fileName(), false);
    if (chosen && !chosen->isEmpty()) {
        currentPath_ = *chosen;
        OpenLabelFile(*chosen);
    }
}

void TCoverDesMainScreen::OpenLabelFile(const QString& path) {
    if (existingNoCase(path).isEmpty()) {
        // A missing design file leaves the page as it is.
        return;
    }
    const QString file = existingNoCase(path);
    TBusy busy(busy_);
    const float zoom = page_->Zoom();
    if (zoom != 1.0F) {
        page_->SetZoom(1.0F);
    }
    page_->ClearObjects();
    // Errors part-way through a file leave the objects read so far on the page.
    TGLabelObjectFiler::LoadObjects(page_->model(), file);
    page_->invalidatePage();
    currentPath_ = file;
    try {
        mru_->add(file);
        saveRecentFiles();
    } catch (const IniFileError&) {
        page_->ClearObjects();
        currentPath_.clear();
        description_.clear();
        prompts_.information(this, QStringLiteral("Unable to open ") + path +
                                       QStringLiteral(". Possibly corrupted, posibly not a "
                                                      "Vantrel file"));
    }
    if (zoom != 1.0F) {
        page_->SetZoom(zoom);
    }
    SetChangesMade(false);
    SetButtons();
    if (!currentPath_.isEmpty()) {
        description_ = readDescription(companionFile(currentPath_, QStringLiteral(".DES")));
    }
    SetButtons();
    page_->update();
}

bool TCoverDesMainScreen::SaveLabelFile(const QString& path, const QString& description) {
    TBusy busy(busy_);
    // The page widget follows the zoom too, so it goes to 1.0 here and the
    // file set is written from the page as the files hold it.
    const float zoom = page_->Zoom();
    if (zoom != 1.0F) {
        page_->SetZoom(1.0F);
    }
    page_->PurgeOffPageObjects();
    bool saved = true;
    try {
        QDir().mkpath(QFileInfo(path).absolutePath());
        px::SaveLabelFile(page_->model(), path, description);
    } catch (const std::exception& e) {
        saved = false;
        prompts_.information(this, QString::fromUtf8(e.what()));
    }
    if (zoom != 1.0F) {
        page_->SetZoom(zoom);
    }
    return saved;
}

void TCoverDesMainScreen::SaveClick() {
    page_->PurgeOffPageObjects();
    if (currentPath_.isEmpty()) {
        prompts_.beep();
        return;
    }
    const QString description = descriptionOrPlaceholder(currentPath_);
    if (SaveLabelFile(currentPath_, description)) {
        SetChangesMade(false);
    }
}

void TCoverDesMainScreen::SaveAsClick() {
    page_->PurgeOffPageObjects();
    TTemplateName proposed;
    if (currentPath_.isEmpty()) {
        proposed = {freeTemplateName(coversFolder()), QString::fromLatin1(kNewDescription)};
    } else {
        proposed = {QFileInfo(currentPath_).fileName(), descriptionOrPlaceholder(currentPath_)};
    }
    const std::optional<TTemplateName> chosen =
        dialogs_->saveTemplateAs(this, coversFolder(), proposed);
    if (!chosen || !isValidTemplateName(chosen->name) || chosen->description.isEmpty()) {
        return;
    }
    const QString path = QDir(coversFolder()).filePath(chosen->name);
    currentPath_ = path;
    description_ = chosen->description;
    if (!SaveLabelFile(path, description_)) {
        SetButtons();
        return;
    }
    SetChangesMade(false);
    mru_->add(path);
    try {
        saveRecentFiles();
    } catch (const IniFileError& e) {
        prompts_.information(this, QString::fromUtf8(e.what()));
    }
    SetButtons();
}

void TCoverDesMainScreen::PreviewClick() {
    dialogs_->previewCovers(this, coversFolder(),
                            QString::fromLatin1(TPreviewCovers::kPreviewCaption),
                            QFileInfo(currentPath_).fileName(), true);
}

void TCoverDesMainScreen::CancelClick() {
    // Both questions throw work away, so No is the default.
    if (!prompts_.question(this, QStringLiteral("CANCEL"), QStringLiteral("Cancel all changes?"),
                           true)) {
        return;
    }
    page_->ClearObjects();
    if (!currentPath_.isEmpty()) {
        OpenLabelFile(currentPath_);
    }
    SetChangesMade(false);
    page_->update();
}

void TCoverDesMainScreen::CheckSaveNeeded() {
    if (!changesMade_) {
        return;
    }
    if (!prompts_.question(this, QStringLiteral("Save"), QStringLiteral("Save changes?"), false)) {
        return;
    }
    if (currentPath_.isEmpty()) {
        SaveAsClick();
    } else {
        SaveClick();
    }
    SetChangesMade(false);
}

void TCoverDesMainScreen::DeleteClick() {
    const std::optional<QString> chosen =
        dialogs_->openFile(this, QStringLiteral("Delete Fax Cover Template File"), coversFolder());
    if (!chosen || chosen->isEmpty()) {
        return;
    }
    const QString path = *chosen;
    if (QFileInfo(path).suffix().compare(QLatin1String("FCS"), Qt::CaseInsensitive) != 0) {
        prompts_.information(this, QStringLiteral("Must be a FCS (Fax Cover Template) file"));
        return;
    }
    if (!prompts_.question(this, QStringLiteral("CONFIRM"),
                           QStringLiteral("Delete ") + path + QStringLiteral("?"), true)) {
        return;
    }
    for (const char* extension : {".FCS", ".FCT", ".DES", ".BMP"}) {
        // Each file goes if it is there; one that will not go is left.
        const QString file = existingNoCase(withExtension(path, QString::fromLatin1(extension)));
        if (!file.isEmpty()) {
            QFile::remove(file);
        }
    }
}

void TCoverDesMainScreen::MRUItemClick(const QString& path) {
    CheckSaveNeeded();
    if (!existingNoCase(path).isEmpty()) {
        OpenLabelFile(path);
    } else {
        prompts_.information(this, path + QStringLiteral(" no longer exists"));
        try {
            saveRecentFiles();
        } catch (const IniFileError&) {
            // The entry is gone from the menu; the file keeps it until the next save.
        }
    }
}

void TCoverDesMainScreen::saveRecentFiles() {
    RecentTemplates recent;
    for (const QString& f : mru_->files()) {
        recent.files.push_back(f.toStdString());
    }
    settingsFile_.update([&](IniFile& ini) {
        ini.eraseSection("CDMRU");
        recent.save(ini);
    });
}

}  // namespace px
