// TSaveTemplateAs: "Save fax cover template as", a template name and its
// description, with the existing templates to pick from.
#pragma once

#include <QDialog>

class QLineEdit;
class QListWidget;
class QPushButton;

namespace px {

class TSaveTemplateAs : public QDialog {
    Q_OBJECT

public:
    static constexpr const char* kNameRule =
        "The file name must start with a character (A-Z) and may contain characters, numbers or "
        "underscores. The file extension must be .FCS. File name can be up to 12 characters "
        "long.";

    TSaveTemplateAs(const QString& folder, const QString& name, const QString& description,
                    QWidget* parent = nullptr);

    QString name() const;
    QString description() const;

    QListWidget* list() const { return list_; }
    QLineEdit* nameEdit() const { return name_; }
    QLineEdit* descriptionEdit() const { return description_; }
    QPushButton* okButton() const { return ok_; }

private:
    void updateOk();
    void templatePicked();

    QString folder_;
    QListWidget* list_;
    QLineEdit* name_;
    QLineEdit* description_;
    QPushButton* ok_;
};

}  // namespace px
