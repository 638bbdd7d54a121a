// The Fax Problem Solver: a tree of common problems grouped by what the user
// was doing, and the solution text of the chosen problem.
#pragma once

#include <QDialog>
#include <vector>

class QTextBrowser;
class QTreeWidget;

namespace px {

struct TProblem {
    const char* group;
    const char* title;
    const char* solution;  // HTML
};

const std::vector<TProblem>& commonProblems();

class TProblemSolverForm : public QDialog {
    Q_OBJECT

public:
    explicit TProblemSolverForm(QWidget* parent = nullptr);
    QTreeWidget* tree() const { return tree_; }
    QTextBrowser* solution() const { return solution_; }

private:
    QTreeWidget* tree_;
    QTextBrowser* solution_;
};

}  // namespace px
