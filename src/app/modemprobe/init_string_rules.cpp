#include "app/modemprobe/init_string_rules.h"

namespace px {

namespace {

// S7: seconds the modem waits for the far end's carrier after dialling.
constexpr const char* kWaitRegister = "S7=";
constexpr int kWaitFieldLength = 6;  // "S7=" and up to three digits
constexpr int kMaxWaitDigits = 3;
// A USRobotics string (hardware flow control "&H3") already allows for the
// modem's slower start, so only a longer wait than its usual 90 s counts.
constexpr int kLongWaitUSRobotics = 90;
constexpr int kLongWaitOther = 65;
constexpr const char* kUSRoboticsFlowControl = "&H3";

constexpr const char* kWaitLong = "S7=120";
constexpr const char* kWaitUSRobotics = "S7=90";
constexpr const char* kWaitShort = "S7=65";

constexpr const char* kHayesBase = "AT&F&C1&D2&K3";
constexpr const char* kUSRoboticsBase = "AT&H3&I2&R2";
constexpr const char* kCirrusBase = "AT&F&C1&D2\\Q3";
constexpr const char* kSportsterEarlyTail = "S36=0";
constexpr const char* kSportsterLateTail = "S36=8";
constexpr const char* kSportsterX2Tail = "S36=8S33=34";

// The wait in seconds an "S7=" setting names, 0 when it names none.
int waitSeconds(const QString& upper) {
    const int at = upper.indexOf(kWaitRegister);
    QString field = upper.mid(at, kWaitFieldLength);
    while (!field.isEmpty() && !field.back().isDigit()) {
        field.chop(1);
    }
    const QString digits = field.mid(QString(kWaitRegister).size(), kMaxWaitDigits);
    int seconds = 0;
    for (const QChar c : digits) {
        if (!c.isDigit()) {
            break;
        }
        seconds = seconds * 10 + c.digitValue();
    }
    return seconds;
}

}  // namespace

QStringList modemTypeItems() {
    return {"Hayes Compatible modem   or   UNKNOWN",
            "US Robotics/3COM Modem   or   WinModem",
            "US Robotics/3COM Sportster 28.8 or Early 33.6 model",
            "US Robotics/3COM Late Model Sportster 33.6 model",
            "US Robotics/3COM Sportster X2 modem",
            "Cirrus Logic or AT&&T modem"};
}

TInitStringChoice readInitString(const QString& text) {
    const QString upper = text.toUpper();
    TInitStringChoice choice;
    if (upper.contains(kWaitRegister)) {
        const int limit =
            upper.contains(kUSRoboticsFlowControl) ? kLongWaitUSRobotics : kLongWaitOther;
        choice.longCarrierWait = waitSeconds(upper) > limit;
    }
    // The most telling settings first: S36=8 is in both Sportster strings.
    if (upper.contains(kSportsterEarlyTail)) {
        choice.modemType = TModemType::SportsterEarly;
    } else if (upper.contains("S33=34")) {
        choice.modemType = TModemType::SportsterX2;
    } else if (upper.contains(kSportsterLateTail)) {
        choice.modemType = TModemType::SportsterLate336;
    } else if (upper.contains("\\Q3")) {
        choice.modemType = TModemType::CirrusLogicOrATT;
    } else if (upper.contains("&R2")) {
        choice.modemType = TModemType::USRoboticsOrWinModem;
    }
    return choice;
}

QString buildInitString(const TInitStringChoice& choice, bool sending) {
    QString wait = kWaitShort;
    if (sending && choice.longCarrierWait) {
        wait = kWaitLong;
    } else if (sending && choice.modemType != TModemType::HayesOrUnknown) {
        wait = kWaitUSRobotics;
    }
    switch (choice.modemType) {
        case TModemType::HayesOrUnknown:
            return kHayesBase + wait;
        case TModemType::USRoboticsOrWinModem:
            return kUSRoboticsBase + wait;
        case TModemType::SportsterEarly:
            return kUSRoboticsBase + wait + kSportsterEarlyTail;
        case TModemType::SportsterLate336:
            return kUSRoboticsBase + wait + kSportsterLateTail;
        case TModemType::SportsterX2:
            return kUSRoboticsBase + wait + kSportsterX2Tail;
        case TModemType::CirrusLogicOrATT:
            return kCirrusBase + wait;
    }
    return kHayesBase + wait;
}

QString initStringResult(TInitStringAnswer answer, const QString& oldText,
                         const TInitStringChoice& choice, bool sending) {
    switch (answer) {
        case TInitStringAnswer::LeaveBlank:
            return {};
        case TInitStringAnswer::Cancel:
            return oldText;
        case TInitStringAnswer::Ok:
            return buildInitString(choice, sending);
    }
    return oldText;
}

}  // namespace px
