// Answers for the viewer window's questions, and a record of what it said.
#pragma once

#include <QStringList>
#include <deque>
#include <functional>

#include "ui/viewer/viewer_prompts.h"

namespace px::test {

class TScriptedViewerPrompts : public TViewerPrompts {
public:
    QStringList informations;
    int beeps = 0;
    std::deque<QString> fileNames;  // answers of the save dialogs, in turn
    QStringList filters;            // filters the save dialogs were shown with
    std::function<bool(TPrePrintForm&)> onPrePrint = [](TPrePrintForm&) { return false; };
    int printSetups = 0;
    bool setupAnswer = false;
    unsigned setupFirst = 0;
    unsigned setupLast = 0;

    void information(QWidget*, const QString& text) override { informations << text; }
    void beep() override { ++beeps; }
    QString saveFileName(QWidget*, const QString&, const QString& filter, const QString&) override {
        filters << filter;
        if (fileNames.empty()) {
            return {};
        }
        QString next = fileNames.front();
        fileNames.pop_front();
        return next;
    }
    bool prePrint(TPrePrintForm& form) override { return onPrePrint(form); }
    bool printSetup(QWidget*, QPrinter&, unsigned, unsigned& first, unsigned& last) override {
        ++printSetups;
        if (setupAnswer) {
            first = setupFirst;
            last = setupLast;
        }
        return setupAnswer;
    }
};

}  // namespace px::test
