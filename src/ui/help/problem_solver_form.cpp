#include "ui/help/problem_solver_form.h"

#include <QDialogButtonBox>
#include <QHeaderView>
#include <QSplitter>
#include <QTextBrowser>
#include <QTreeWidget>
#include <QVBoxLayout>

namespace px {

const std::vector<TProblem>& commonProblems() {
    static const std::vector<TProblem> problems = {
        {"The modem", "No modem answers on the port",
         "<p>Open <b>Preferences</b> and check the serial port. A USB modem is usually "
         "<tt>/dev/ttyACM0</tt>; name it in <tt>PX.INI</tt>, section <tt>[Ports]</tt>, key "
         "<tt>COM1</tt>=<tt>/dev/ttyACM0</tt>.</p><p>Your user must be allowed to use the port: "
         "on most systems that means membership of the <tt>dialout</tt> group (log out and in "
         "again afterwards).</p>"},
        {"The modem", "The port is busy",
         "<p>Another program holds the port, often ModemManager probing the modem. Close that "
         "program, or tell it to leave the device alone, then try again.</p>"},
        {"The modem", "The modem does not do fax",
         "<p>Parvex needs a modem that speaks fax Class 1, Class 2 or Class 2.0. Set the fax class "
         "to <b>Auto detect</b> in Preferences to let Parvex find the best one.</p>"},
        {"Sending", "No dial tone",
         "<p>Check that the phone line is plugged into the modem's <i>Line</i> socket. On lines "
         "behind a private exchange, switch on <b>Blind dial</b> in Preferences.</p>"},
        {"Sending", "The line is busy or nobody answers",
         "<p>Parvex dials again as often as <b>Dial attempts</b> says, waiting <b>Retry wait</b> "
         "seconds in between. Check the number, and the dial prefix for an outside line.</p>"},
        {"Sending", "The transfer fails half way",
         "<p>Lower the <b>Maximum speed</b> to 9600 or 4800 bps, and try with error correction "
         "switched off. Noisy lines and internet telephone adapters often cannot carry faster "
         "fax speeds.</p>"},
        {"Receiving", "Calls are not answered",
         "<p>Receive mode must be on (the <b>Receive</b> button reads <b>STOP</b>). Parvex answers "
         "on the ring set in Preferences; lower it when another device answers first.</p>"},
        {"Receiving", "Received pages are unreadable",
         "<p>Lower the maximum receive speed in Preferences, or change the receive fax class. "
         "Ask the sender to use fine resolution for small print.</p>"},
        {"The logs", "Faxes are missing from the lists",
         "<p>Archived faxes are hidden: use <b>File &gt; Show Archived Faxes</b>. If the lists "
         "still look wrong, run <b>File &gt; Rebuild Indexes</b>.</p>"},
    };
    return problems;
}

TProblemSolverForm::TProblemSolverForm(QWidget* parent) : QDialog(parent) {
    setObjectName("TProblemSolverForm");
    setWindowTitle("Fax Problem Solver");
    auto* layout = new QVBoxLayout(this);
    auto* split = new QSplitter(this);
    tree_ = new QTreeWidget(split);
    tree_->setHeaderHidden(true);
    tree_->setAccessibleName("Problems");
    solution_ = new QTextBrowser(split);
    solution_->setOpenExternalLinks(true);
    split->setStretchFactor(1, 2);
    layout->addWidget(split, 1);
    auto* close = new QDialogButtonBox(QDialogButtonBox::Close, this);
    layout->addWidget(close);
    connect(close, &QDialogButtonBox::rejected, this, &QDialog::close);

    QTreeWidgetItem* group = nullptr;
    for (const TProblem& problem : commonProblems()) {
        if (group == nullptr || group->text(0) != problem.group) {
            group = new QTreeWidgetItem(tree_, {QString::fromUtf8(problem.group)});
            group->setExpanded(true);
        }
        auto* item = new QTreeWidgetItem(group, {QString::fromUtf8(problem.title)});
        item->setData(0, Qt::UserRole, QString::fromUtf8(problem.solution));
    }
    solution_->setHtml("<p>Choose the problem on the left.</p>");
    connect(tree_, &QTreeWidget::currentItemChanged, this, [this](QTreeWidgetItem* item) {
        const QString html = item != nullptr ? item->data(0, Qt::UserRole).toString() : QString();
        solution_->setHtml(html.isEmpty() ? QStringLiteral("<p>Choose a problem of this group.</p>")
                                          : html);
    });
    resize(720, 420);
}

}  // namespace px
