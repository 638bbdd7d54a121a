// How the init string helper reads an existing modem init string (which modem
// type it was made for, whether the modem waits long for the carrier) and how
// it builds a new one from the user's choices.
#pragma once

#include <QString>
#include <QStringList>

namespace px {

// The rows of the "I have a:" list, in their order.
enum class TModemType {
    HayesOrUnknown = 0,
    USRoboticsOrWinModem = 1,
    SportsterEarly = 2,
    SportsterLate336 = 3,
    SportsterX2 = 4,
    CirrusLogicOrATT = 5,
};

// The list's texts as the combo box shows them ("&&" is one ampersand there).
QStringList modemTypeItems();

struct TInitStringChoice {
    TModemType modemType = TModemType::HayesOrUnknown;
    // The modem hangs up too early: a long wait for the carrier (S7).
    bool longCarrierWait = false;
};

// What an existing init string says about the modem.
TInitStringChoice readInitString(const QString& text);

// The init string the choices make; `sending` allows the long carrier wait,
// receiving always waits the short time.
QString buildInitString(const TInitStringChoice& choice, bool sending);

enum class TInitStringAnswer { Ok, Cancel, LeaveBlank };

// The helper's result for the button pressed.
QString initStringResult(TInitStringAnswer answer, const QString& oldText,
                         const TInitStringChoice& choice, bool sending);

}  // namespace px
