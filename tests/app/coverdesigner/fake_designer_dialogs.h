// Scripted answers for the designer's File dialogs.
#pragma once

#include <deque>
#include <optional>
#include <vector>

#include "app/coverdesigner/designer_dialogs.h"

namespace px::test {

class TFakeDesignerDialogs : public TDesignerDialogs {
public:
    struct TPreviewCall {
        QString caption;
        QString remembered;
        bool previewOnly;
    };
    std::deque<std::optional<QString>> templates;
    std::deque<std::optional<TTemplateName>> names;
    std::deque<std::optional<QString>> files;
    std::deque<std::optional<TCoverFont>> fonts;
    std::vector<TPreviewCall> previews;
    std::vector<TTemplateName> proposed;

    std::optional<QString> previewCovers(QWidget*, const QString&, const QString& caption,
                                         const QString& remembered, bool previewOnly) override {
        previews.push_back({caption, remembered, previewOnly});
        return next(templates);
    }
    std::optional<TTemplateName> saveTemplateAs(QWidget*, const QString&,
                                                const TTemplateName& p) override {
        proposed.push_back(p);
        return next(names);
    }
    std::optional<QString> openFile(QWidget*, const QString&, const QString&) override {
        return next(files);
    }
    std::optional<TCoverFont> chooseFont(QWidget*, const TCoverFont&) override {
        return next(fonts);
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

}  // namespace px::test
