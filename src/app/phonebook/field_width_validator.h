// Keeps a line edit's text within the byte width of the character field it
// is stored in. Texts are kept as UTF-8, so a name with accented letters
// needs more bytes than characters; cutting it at the field width later
// would split a character in two.
#pragma once

#include <QValidator>

namespace px {

class TFieldWidthValidator : public QValidator {
    Q_OBJECT

public:
    TFieldWidthValidator(int width, QObject* parent) : QValidator(parent), width_(width) {}

    State validate(QString& input, int& pos) const override;
    int width() const { return width_; }

private:
    int width_;
};

}  // namespace px
