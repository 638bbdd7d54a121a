// Scripted answers to every question the program asks, and a record of every
// message it showed, so commands and workflows run without a person.
#pragma once

#include <QStringList>
#include <deque>
#include <functional>
#include <vector>

#include "app/host/user_prompts.h"

namespace px::test {

class TScriptedPrompts : public TUserPrompts {
public:
    struct TQuestion {
        QString caption;
        QString text;
        bool noDefault;
    };
    struct TFaxError {
        QString caption;
        QString text;
        bool withContinue;
        bool autoClose;
        ErrorCode errorCode;
    };
    std::vector<QString> informations;
    std::vector<TFaxError> faxErrors;
    std::deque<TFaxErrorResult> faxErrorAnswers;  // Ok when none left
    std::vector<TQuestion> questions;
    std::deque<bool> answers;  // Yes/No answers in turn; No when none left
    std::deque<int> choices;   // choice and button-choice answers; -1 when none left
    std::vector<QStringList> choicesOffered;
    int beeps = 0;
    // Called with each question before it is answered.
    std::function<void(const TQuestion&)> asked;

    void information(QWidget*, const QString& text) override { informations.push_back(text); }
    bool question(QWidget*, const QString& caption, const QString& text, bool noDefault) override {
        questions.push_back({caption, text, noDefault});
        if (asked) {
            asked(questions.back());
        }
        if (answers.empty()) {
            return false;
        }
        const bool yes = answers.front();
        answers.pop_front();
        return yes;
    }
    int choice(QWidget*, const QString&, const QStringList& options, int) override {
        choicesOffered.push_back(options);
        return next();
    }
    int buttonChoice(QWidget*, const QString&, const QStringList& buttons) override {
        choicesOffered.push_back(buttons);
        return next();
    }
    TFaxErrorResult faxError(QWidget*, const QString& caption, const QString& text,
                             bool withContinue, bool autoClose, ErrorCode errorCode) override {
        faxErrors.push_back({caption, text, withContinue, autoClose, errorCode});
        if (faxErrorAnswers.empty()) {
            return TFaxErrorResult::Ok;
        }
        const TFaxErrorResult answer = faxErrorAnswers.front();
        faxErrorAnswers.pop_front();
        return answer;
    }
    void beep() override { ++beeps; }

private:
    int next() {
        if (choices.empty()) {
            return -1;
        }
        const int c = choices.front();
        choices.pop_front();
        return c;
    }
};

}  // namespace px::test
