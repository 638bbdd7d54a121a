// Scripted answers for the design page's dialogs and a clock the test moves.
#pragma once

#include <deque>
#include <optional>

#include "ui/coverdesign/cover_dialogs.h"
#include "ui/coverdesign/g_base_panel.h"

namespace px::test {

class TFakeCoverDialogs : public TCoverDialogs {
public:
    std::deque<std::optional<TCoverFont>> fonts;
    std::deque<std::optional<QString>> texts;
    std::deque<std::optional<TChosenSymbol>> symbols;
    int fontDialogs = 0;
    int textDialogs = 0;
    int symbolDialogs = 0;
    bool lastFontHadEffects = false;

    std::optional<TCoverFont> chooseFont(QWidget*, const TCoverFont&, bool effects) override {
        ++fontDialogs;
        lastFontHadEffects = effects;
        return next(fonts);
    }
    std::optional<QString> editText(QWidget*, const QString&) override {
        ++textDialogs;
        return next(texts);
    }
    std::optional<TChosenSymbol> chooseSymbol(QWidget*, const TCoverFont&, int) override {
        ++symbolDialogs;
        return next(symbols);
    }

private:
    template <typename T>
    static std::optional<T> next(std::deque<std::optional<T>>& answers) {
        if (answers.empty()) {
            return std::nullopt;
        }
        std::optional<T> a = answers.front();
        answers.pop_front();
        return a;
    }
};

// Milliseconds that pass only when the test says so.
struct TTestClock {
    qint64 now = 100000;
    void install(TGBasePanel& page) {
        page.setClock([this] { return now; });
    }
};

}  // namespace px::test
