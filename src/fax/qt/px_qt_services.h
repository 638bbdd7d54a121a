// Small services the Qt-based document components share: keeping the event
// loop alive during long conversions, and Qt file names as system paths.
#pragma once

#include <QCoreApplication>
#include <QFile>
#include <QString>
#include <string>

#include "common/px_errors.h"

namespace px {

// Handles pending events once; reports the quit message when the application
// is closing down, so a long operation can stop.
inline ErrorCode processOneMessage() {
    if (QCoreApplication::instance() == nullptr) {
        return ecOK;
    }
    if (QCoreApplication::closingDown()) {
        return ecGotQuitMsg;
    }
    QCoreApplication::processEvents(QEventLoop::AllEvents, 1);
    return ecOK;
}

inline std::string toPath(const QString& name) {
    return QFile::encodeName(name).toStdString();
}

}  // namespace px
