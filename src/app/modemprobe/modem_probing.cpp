#include "app/modemprobe/modem_probing.h"

#include "app/host/user_prompts.h"
#include "app/modemprobe/check_fax_class_form.h"
#include "app/modemprobe/find_modem_form.h"
#include "app/modemprobe/init_string_helper_form.h"

namespace px {

namespace {

class TModemProbingWindows : public TModemProbing {
public:
    explicit TModemProbingWindows(std::string deviceRoot) : deviceRoot_(std::move(deviceRoot)) {}

    int findModem(QWidget* parent, TPxComPort& port, const SettingsFile& settingsFile) override {
        TFindModemForm form(parent, port, settingsFile, prompts_, deviceRoot_);
        form.exec();
        return form.result();
    }

    TFaxClassFinding checkFaxClass(QWidget* parent, TPxComPort& port, TPxSendFax& sendFax,
                                   int portNumber) override {
        TCheckFaxClassForm form(parent, port, sendFax, portNumber, prompts_);
        form.exec();
        return {form.classIndex(), form.className()};
    }

    QString initStringHelp(QWidget* parent, const QString& text, bool sending) override {
        TModemInitStringHelperForm form(parent, text, sending);
        form.exec();
        return form.resultText();
    }

private:
    std::string deviceRoot_;
    TDialogPrompts prompts_;
};

}  // namespace

std::unique_ptr<TModemProbing> makeModemProbing(std::string deviceRoot) {
    return std::make_unique<TModemProbingWindows>(std::move(deviceRoot));
}

}  // namespace px
