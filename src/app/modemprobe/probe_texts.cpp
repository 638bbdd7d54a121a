#include "app/modemprobe/probe_texts.h"

#include "comms/px_error_text.h"
#include "fax/components/px_abstract_fax.h"

namespace px {

namespace {

// The labels of the three classes, padded so their colons line up.
constexpr const char* kClassLabels[kFaxClassRows] = {
    "Class 1   : ", "Class 2   : ", "Class 2.0 : "};
constexpr const char* kClassNames[kFaxClassRows] = {"Class 1", "Class 2", "Class 2.0"};
constexpr std::uint32_t kClassBits[kFaxClassRows] = {kDetectedClass1, kDetectedClass2,
                                                     kDetectedClass2_0};

bool validRow(int row) {
    return row >= 0 && row < kFaxClassRows;
}

}  // namespace

QString findModemPortLabel(int portNumber) {
    return "Com " + QString::number(portNumber) + ":";
}

QString findModemPortPrefix(int portNumber) {
    return findModemPortLabel(portNumber) + " ";
}

QString findModemErrorText(ErrorCode code, bool& busy) {
    if (code == ecAlreadyOpen || code == ecHardware) {
        busy = true;
        return "Port is already open (could be modem)";
    }
    if (code == ecBadId) {
        return "Port does not exist";
    }
    const std::string text = errorText(code);
    return text.empty() ? QString("Unknown Error") : QString::fromStdString(text);
}

QString findModemFailureText(const QString& message) {
    return "ERROR: " + message;
}

QString findModemExplanation(int found, bool portBusy) {
    if (found > 0) {
        const QString n = QString::number(found);
        return "A modem was found on Com Port " + n + ". " + "We suggest setting the Port as Com " +
               n + ".";
    }
    if (portBusy) {
        return "No modem found. Please make sure that all communication programs (internet, AOL, "
               "etc) are closed, and then try again. If you know which Com port your modem uses, "
               "you can also just set the Port to that setting";
    }
    return "No modem found. If you know which Com port your modem uses, you can also just set the "
           "Port to that setting";
}

TFaxClassSupport TFaxClassSupport::fromDetected(std::uint32_t classBits) {
    TFaxClassSupport support;
    for (int row = 0; row < kFaxClassRows; ++row) {
        support.supported[row] = (classBits & kClassBits[row]) != 0;
    }
    return support;
}

int TFaxClassSupport::recommended() const {
    for (int row = 0; row < kFaxClassRows; ++row) {
        if (supported[row]) {
            return row;
        }
    }
    return -1;
}

QString faxClassName(int row) {
    return validRow(row) ? kClassNames[row] : "";
}

QString faxClassUnknownText(int row) {
    return QString(kClassLabels[row]) + "unknown";
}

QString faxClassSupportText(int row, bool supported) {
    return QString(kClassLabels[row]) + (supported ? "Supported" : "Not Supported");
}

QString faxClassRecommendationText(const QString& name) {
    return "Try using the recommended Fax Class (" + name + "). " + "\r" + "\r" +
           "If you experience problems, try other supported classes or auto detect.";
}

QString faxClassNoResponseText(int portNumber) {
    return "No response from device on COM" + QString::number(portNumber) + ". May not be a modem.";
}

QString faxClassNoModemQuestion(int portNumber) {
    return "The device on COM" + QString::number(portNumber) + " is not responding and may" + "\r" +
           "not be a modem. Continue with Fax Class Analysis?";
}

QString faxClassResetFailedText(int portNumber) {
    return "We are unable to continue the test. \r\rThe modem did not respond to the reset "
           "string:   (AT&F)\r\rIs the Communications Port (COM" +
           QString::number(portNumber) + ") correct? Please" + "\r" +
           "click the Find Modem Port button on the Preferences screen to be sure.";
}

QString faxClassUndeterminedText(int portNumber) {
    return "Unable to determine Fax Class support from modem on Com " + QString::number(portNumber);
}

QString faxClassNoneSupportedText(int portNumber) {
    return "Unable to retrieve Fax Class supportinformation from the modem on Com " +
           QString::number(portNumber);
}

}  // namespace px
