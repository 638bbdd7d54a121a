#!/usr/bin/env python3
"""Checks that every #include in src/ points downward.

The engine layers (tables, settings, serial, fax engine, T.4 pages) use no Qt;
the document layers (fax documents, the printer, the viewer engine, cover pages)
use Qt Gui but no windows (fax/print may use Qt PrintSupport's printer, not its
dialogs); nothing outside app/ includes app/; only app/, ui/ and the command-line
front ends of windows include ui/; the cover layers sit above the fax documents
and the settings, so those never include them."""
import pathlib
import re
import sys

src = pathlib.Path(sys.argv[1]) / "src"
include = re.compile(r'^\s*#\s*include\s*[<"]([^">]+)[">]')

# Folders (relative to src/) whose code must not see Qt. A folder's "qt"
# subfolder is where its Qt front end lives and is exempt.
no_qt = ["common", "xbase", "settings", "comms", "fax/apf", "fax/t4", "fax/engine",
         "fax/components", "app/tables", "cli/fax", "cli/settings", "cover/sender"]

# Folders whose code draws with Qt Gui but shows no window: no Qt Widgets.
gui_only = ["fax/convert", "fax/unpack", "fax/tiff", "fax/pdf", "fax/print", "fax/view", "cover",
            "cli/convert", "cli/cover", "cli/print", "cli/printqueue"]
widget_headers = {
    "QtWidgets", "QWidget", "QApplication", "QDialog", "QMainWindow", "QLabel", "QLineEdit",
    "QPushButton", "QMenu", "QMenuBar", "QMessageBox", "QFileDialog", "QFontDialog",
    "QListWidget", "QTableView", "QTreeView", "QScrollArea", "QVBoxLayout", "QHBoxLayout",
    "QFormLayout", "QGridLayout", "QCheckBox", "QComboBox", "QSpinBox", "QToolBar",
    "QStatusBar", "QAbstractButton", "QGraphicsView", "QDialogButtonBox", "QTextEdit"}

# Folders the cover layers stand on: they never include cover/.
below_cover = ["common", "xbase", "settings", "comms", "fax"]


def under(rel, folders):
    return any(rel == d or rel.startswith(d + "/") for d in folders)

# Windows under app/ that others call and that stand on the host's routines
# only: they never include another workflow's folder.
app_windows_on_host = ["app/modemprobe"]

# Command-line front ends whose work is to show a window.
window_front_ends = ["cli/view"]

# The same as widget_headers, by pattern: anything that names a dialog, a
# widget or a layout (Qt PrintSupport's QPrinter is allowed, its dialogs are not).
widget_header = re.compile(
    r"^(QtWidgets/.*|QtPrintSupport/Q\w*(Dialog|Widget)|Q(Application|Widget|MainWindow|Dialog|"
    r"\w*Dialog|\w*Widget|\w*Button|Label|LineEdit|GroupBox|([HV]?Box|Grid|Form|Stacked)?Layout|Menu\w*|ToolBar|"
    r"StatusBar|ScrollArea|ComboBox|SpinBox|CheckBox|ProgressBar))$")

faults = []
for path in sorted(src.rglob("*")):
    if path.suffix not in (".h", ".cpp"):
        continue
    rel = path.relative_to(src).as_posix()
    top = rel.split("/")[0]
    in_qt_front = "/qt/" in "/" + rel
    for number, line in enumerate(path.read_text(errors="replace").splitlines(), 1):
        m = include.match(line)
        if not m:
            continue
        target = m.group(1)
        where = f"{rel}:{number}: includes {target}"
        if target.startswith("app/") and top not in ("app", "bin"):
            faults.append(where + " (only the program's forms may)")
        if target.startswith("ui/") and top not in ("app", "ui", "bin") and \
                not any(rel.startswith(d + "/") for d in window_front_ends):
            faults.append(where + " (only windows may)")
        if (target.startswith("Q") or target.startswith("qt")) and not in_qt_front and \
                under(rel, no_qt):
            faults.append(where + " (an engine layer uses no Qt)")
        if (widget_header.match(target) or target.split("/")[0] in widget_headers) and \
                under(rel, gui_only):
            faults.append(where + " (a document layer shows no windows)")
        if under(rel, app_windows_on_host) and target.startswith("app/") and \
                not under(target, ["app/host", rel.rsplit("/", 1)[0]]):
            faults.append(where + " (these windows stand on app/host only)")
        if target.startswith("cover/") and under(rel, below_cover):
            faults.append(where + " (the cover layers stand on this one)")

for fault in faults:
    print(fault)
print(f"{len(faults)} include(s) point the wrong way" if faults else "every include points downward")
sys.exit(1 if faults else 0)
