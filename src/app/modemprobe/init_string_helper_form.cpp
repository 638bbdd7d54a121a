#include "app/modemprobe/init_string_helper_form.h"

#include <QCheckBox>
#include <QComboBox>
#include <QEvent>
#include <QHBoxLayout>
#include <QLabel>
#include <QMouseEvent>
#include <QPushButton>
#include <QVBoxLayout>

namespace px {

namespace {

constexpr const char* kCaption = "Modem Initialization String Helper";
constexpr const char* kHangsUpText =
    "The Faxmodem frequently hangs up before the faxmodem/fax machine on the other end answers "
    "and/or I have problems with international calls";

// The list shows "&&" as one ampersand, as the item texts are written.
QString shownItem(QString item) {
    return item.replace("&&", "&");
}

}  // namespace

TModemInitStringHelperForm::TModemInitStringHelperForm(QWidget* parent, const QString& text,
                                                       bool sending)
    : QDialog(parent), oldText_(text), result_(text), sending_(sending) {
    setObjectName("ModemInitStringHelperForm");
    setWindowTitle(kCaption);
    auto* layout = new QVBoxLayout(this);
    auto* typeLabel = new QLabel("I have a:", this);
    modemType_ = new QComboBox(this);
    modemType_->setObjectName("ModemType");
    for (const QString& item : modemTypeItems()) {
        modemType_->addItem(shownItem(item));
    }
    typeLabel->setBuddy(modemType_);
    modemType_->setAccessibleName("I have a:");
    layout->addWidget(typeLabel);
    layout->addWidget(modemType_);

    auto* hangsUp = new QHBoxLayout;
    checkAT7_ = new QCheckBox(this);
    checkAT7_->setObjectName("CheckAT7");
    checkAT7_->setAccessibleName(kHangsUpText);
    checkAT7Label_ = new QLabel(kHangsUpText, this);
    checkAT7Label_->setObjectName("CheckAT7Label");
    checkAT7Label_->setWordWrap(true);
    checkAT7Label_->setBuddy(checkAT7_);
    checkAT7Label_->installEventFilter(this);
    hangsUp->addWidget(checkAT7_, 0, Qt::AlignTop);
    hangsUp->addWidget(checkAT7Label_, 1);
    layout->addLayout(hangsUp);
    checkAT7_->setVisible(sending);
    checkAT7Label_->setVisible(sending);

    const TInitStringChoice initial = readInitString(text);
    modemType_->setCurrentIndex(static_cast<int>(initial.modemType));
    checkAT7_->setChecked(initial.longCarrierWait);

    auto* buttons = new QHBoxLayout;
    ok_ = new QPushButton("Ok", this);
    cancel_ = new QPushButton("Cancel", this);
    blank_ = new QPushButton("Leave it Blank", this);
    ok_->setObjectName("OkButton");
    cancel_->setObjectName("CancelButton");
    blank_->setObjectName("BlankButton");
    ok_->setDefault(true);
    buttons->addStretch();
    for (QPushButton* b : {ok_, cancel_, blank_}) {
        buttons->addWidget(b);
    }
    layout->addLayout(buttons);
    connect(ok_, &QPushButton::clicked, this, [this] { finish(TInitStringAnswer::Ok); });
    connect(cancel_, &QPushButton::clicked, this, [this] { finish(TInitStringAnswer::Cancel); });
    connect(blank_, &QPushButton::clicked, this, [this] { finish(TInitStringAnswer::LeaveBlank); });
    setMinimumWidth(460);
}

TInitStringChoice TModemInitStringHelperForm::choice() const {
    TInitStringChoice c;
    c.modemType = static_cast<TModemType>(modemType_->currentIndex());
    c.longCarrierWait = checkAT7_->isChecked();
    return c;
}

bool TModemInitStringHelperForm::eventFilter(QObject* watched, QEvent* event) {
    if (watched == checkAT7Label_ && event->type() == QEvent::MouseButtonRelease &&
        static_cast<QMouseEvent*>(event)->button() == Qt::LeftButton) {
        checkAT7_->toggle();
        return true;
    }
    return QDialog::eventFilter(watched, event);
}

void TModemInitStringHelperForm::finish(TInitStringAnswer answer) {
    result_ = initStringResult(answer, oldText_, choice(), sending_);
    if (answer == TInitStringAnswer::Cancel) {
        reject();
    } else {
        accept();
    }
}

}  // namespace px
