#include "app/phonebook/field_width_validator.h"

namespace px {

QValidator::State TFieldWidthValidator::validate(QString& input, int& pos) const {
    Q_UNUSED(pos);
    return input.toUtf8().size() <= width_ ? Acceptable : Invalid;
}

}  // namespace px
