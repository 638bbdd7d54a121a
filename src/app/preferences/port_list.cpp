#include "app/preferences/port_list.h"

#include <QComboBox>

namespace px {

QString portEntryText(const IniFile& ini, int portNumber) {
    QString text = QStringLiteral("Com%1").arg(portNumber);
    const std::string bound = ini.readString("Ports", "COM" + std::to_string(portNumber), "");
    if (!bound.empty()) {
        text += "  (" + QString::fromStdString(bound) + ")";
    }
    return text;
}

void fillPortList(QComboBox* box, const IniFile& ini, int comPort) {
    box->clear();
    const int last = std::max(kListedPorts, comPort + 1);
    for (int number = 1; number <= last; ++number) {
        if (number <= kListedPorts || number == comPort + 1) {
            box->addItem(portEntryText(ini, number), number - 1);
        }
    }
    const int index = box->findData(std::max(comPort, 0));
    box->setCurrentIndex(std::max(index, 0));
}

int selectedPort(const QComboBox* box) {
    return box->currentData().toInt();
}

}  // namespace px
