// TPreviewCovers: the cover templates of a folder with their preview picture
// and description; used to pick a template or only to look at them. The
// designer lists the design files (*.FCS); the quick fax chooser lists the
// render lists (*.FCT) of the same templates.
#pragma once

#include <QDialog>
#include <functional>

class QLabel;
class QListWidget;
class QPushButton;

namespace px {

class TPreviewCovers : public QDialog {
    Q_OBJECT

public:
    static constexpr const char* kSelectCaption = "Select  Fax Cover Template";
    static constexpr const char* kPreviewCaption = "Preview Fax Cover Templates";
    static constexpr const char* kNoImage = "Image not available";

    // `previewOnly` hides "Ok" and puts "Cancel" in its place. `extension`
    // (".FCS" or ".FCT") picks the files listed, in any letter case.
    TPreviewCovers(const QString& folder, const QString& caption, bool previewOnly,
                   QWidget* parent = nullptr, const QString& extension = QStringLiteral(".FCS"));

    // The file name (without folder) selected when the dialog shows.
    void setRemembered(const QString& fileName) { remembered_ = fileName; }
    const QString& remembered() const { return remembered_; }
    // The chosen template's path after "Ok", and its file name alone.
    QString chosenPath() const;
    QString chosenName() const;

    // How "Image not available" and the beep are given (default: message box, beep).
    void setInform(std::function<void(const QString&)> inform) { inform_ = std::move(inform); }
    void setBeep(std::function<void()> beep) { beep_ = std::move(beep); }

    QListWidget* list() const { return list_; }
    QLabel* picture() const { return picture_; }
    QLabel* description() const { return description_; }
    QPushButton* okButton() const { return ok_; }
    QPushButton* cancelButton() const { return cancel_; }

    // Selects the remembered file (or the first) as showing the dialog does.
    void selectRemembered();

protected:
    void showEvent(QShowEvent* event) override;

private:
    void selectionChanged();
    void okClicked();

    QString folder_;
    QString remembered_;
    QListWidget* list_;
    QLabel* picture_;
    QLabel* description_;
    QPushButton* ok_;
    QPushButton* cancel_;
    std::function<void(const QString&)> inform_;
    std::function<void()> beep_;
};

}  // namespace px
