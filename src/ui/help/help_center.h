// Opens the help and assistance windows on behalf of a main window: the help
// browser at a numbered topic, About, the Problem Solver and Quick Start.
// Each window is created once and brought back to the front when asked again.
#pragma once

#include <QObject>
#include <QPointer>

#include "ui/help/about_dialog.h"
#include "ui/help/help_window.h"
#include "ui/help/problem_solver_form.h"
#include "ui/help/quick_start_form.h"

namespace px {

class THelpCenter : public QObject {
    Q_OBJECT

public:
    explicit THelpCenter(QWidget* owner = nullptr);

    void setOwner(QWidget* owner) { owner_ = owner; }
    void showTopic(int topic);
    void showAbout();
    void showProblemSolver();
    void showQuickStart();

    THelpWindow* helpWindow() const { return help_; }
    TAboutDialog* aboutDialog() const { return about_; }
    TProblemSolverForm* problemSolver() const { return solver_; }
    TQuickStartForm* quickStart() const { return quickStart_; }

private:
    QPointer<QWidget> owner_;
    QPointer<THelpWindow> help_;
    QPointer<TAboutDialog> about_;
    QPointer<TProblemSolverForm> solver_;
    QPointer<TQuickStartForm> quickStart_;
};

}  // namespace px
