#include "cli/cover/px_cover_cli.h"

#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <cstdio>
#include <map>
#include <stdexcept>

#include "cli/cli_args.h"
#include "common/px_exceptions.h"
#include "cover/io/cover_render_list.h"
#include "cover/io/g_label_object_filer.h"
#include "cover/objects/cover_text_codec.h"
#include "cover/objects/fax_cover_shapes.h"
#include "cover/objects/fax_cover_text_area.h"
#include "cover/render/cover_renderer.h"
#include "cover/render/cover_template_files.h"
#include "cover/sender/sender_info.h"
#include "settings/program_folder.h"
#include "settings/settings_file.h"

namespace px {

namespace {

constexpr const char* kUsage =
    "usage:\n"
    "  parvex-cover render TEMPLATE OUT.APF [--date S] [--time S] [--regarding S]\n"
    "               [--recipient S] [--recipient-fax S] [--sender S] [--company S]\n"
    "               [--sender-fax S] [--sender-voice S]\n"
    "               [--check urgent,review,comment,reply,recycle] [--message-file FILE]\n"
    "      TEMPLATE: a render list (.FCT) or a template name in the program folder's Covers;\n"
    "      the sender values default to the settings ([User])\n"
    "  parvex-cover preview TEMPLATE OUT.bmp [--page] (--page: the whole fax page)\n"
    "  parvex-cover info FILE.FCS|FILE.FCT   the objects, one line each\n"
    "  parvex-cover install                  copies the shipped templates into Covers\n";

struct Args : CliArgs {
    QString text(const std::string& k) const {
        return QString::fromStdString(has(k) ? options.at(k) : std::string());
    }
};

// Options that take a value, and the flags.
const std::map<std::string, bool> kOptions = {
    {"--date", true},          {"--time", true},   {"--regarding", true},    {"--recipient", true},
    {"--recipient-fax", true}, {"--sender", true}, {"--company", true},      {"--sender-fax", true},
    {"--sender-voice", true},  {"--check", true},  {"--message-file", true}, {"--page", false},
};

Args parse(const std::vector<std::string>& argv) {
    return Args{parseCliArgs(argv, kOptions)};
}

ProgramFolder programFolder() {
    return ProgramFolder::locate(currentExecutablePath());
}

// A path as given, else a template of that name in Covers (any letter case,
// with or without ".FCT").
QString findRenderList(const std::string& name) {
    const QString given = QString::fromStdString(name);
    if (QFileInfo(given).isFile()) {
        return given;
    }
    const QDir covers(QString::fromStdString(programFolder().coversFolder()));
    QString wanted = QFileInfo(given).fileName();
    if (!wanted.endsWith(QLatin1String(".FCT"), Qt::CaseInsensitive)) {
        wanted += QLatin1String(".FCT");
    }
    for (const QString& entry : covers.entryList(QDir::Files)) {
        if (entry.compare(wanted, Qt::CaseInsensitive) == 0) {
            return covers.filePath(entry);
        }
    }
    throw std::runtime_error("no cover template " + name + " (looked in " +
                             covers.path().toStdString() + ")");
}

const std::pair<const char*, TImportance> kBoxes[] = {
    {"urgent", TImportance::Urgent},         {"review", TImportance::ForReview},
    {"comment", TImportance::PleaseComment}, {"reply", TImportance::PleaseReply},
    {"recycle", TImportance::PleaseRecycle},
};

TCoverValues valuesFrom(const Args& args) {
    TCoverValues v;
    const QDateTime now = QDateTime::currentDateTime();
    v[TCoverFieldType::cfDate] =
        args.has("--date") ? args.text("--date") : coverDateText(now.date());
    v[TCoverFieldType::cfTime] =
        args.has("--time") ? args.text("--time") : coverTimeText(now.time());
    v[TCoverFieldType::cfRegarding] = args.text("--regarding");
    v[TCoverFieldType::cfRecipient] = args.text("--recipient");
    v[TCoverFieldType::cfRecipientFax] = args.text("--recipient-fax");
    const TSenderInfo sender =
        TSenderInfo::fromSettings(SettingsFile(programFolder().settingsPath()).load().user);
    auto senderValue = [&](const char* option, const std::string& fallback) {
        return args.has(option) ? args.text(option) : QString::fromStdString(fallback);
    };
    v[TCoverFieldType::cfSender] = senderValue("--sender", sender.name);
    v[TCoverFieldType::cfSenderCompany] = senderValue("--company", sender.company);
    v[TCoverFieldType::cfSenderFax] = senderValue("--sender-fax", sender.fax);
    v[TCoverFieldType::cfSenderVoice] = senderValue("--sender-voice", sender.voice);
    if (args.has("--check")) {
        for (const QString& word :
             args.text("--check").split(QLatin1Char(','), Qt::SkipEmptyParts)) {
            bool known = false;
            for (const auto& [name, box] : kBoxes) {
                if (word.trimmed().compare(QLatin1String(name), Qt::CaseInsensitive) == 0) {
                    v[box] = true;
                    known = true;
                }
            }
            if (!known) {
                throw UsageError("--check takes urgent, review, comment, reply, recycle: " +
                                 word.toStdString());
            }
        }
    }
    return v;
}

QString messageFrom(const Args& args) {
    if (!args.has("--message-file")) {
        return {};
    }
    QFile f(args.text("--message-file"));
    if (!f.open(QIODevice::ReadOnly)) {
        throw std::runtime_error("cannot read the message file " +
                                 args.options.at("--message-file"));
    }
    QString text = QString::fromUtf8(f.readAll());
    text.replace(QLatin1String("\r\n"), QLatin1String("\n"));
    if (text.endsWith(QLatin1Char('\n'))) {
        text.chop(1);
    }
    return text.split(QLatin1Char('\n')).join(QLatin1String("\r\n"));
}

int render(const Args& args) {
    if (args.positional.size() != 2) {
        throw UsageError("render needs TEMPLATE and OUT.APF");
    }
    const QString fct = findRenderList(args.positional[0]);
    const QString out = QString::fromStdString(args.positional[1]);
    const QString written = RenderCoverPage(out, fct, valuesFrom(args), messageFrom(args),
                                            QString::fromStdString(programFolder().sendFolder()));
    if (!QFileInfo(written).isFile()) {
        throw std::runtime_error("no cover was written");
    }
    std::printf("%s\n", qPrintable(written));
    return 0;
}

int preview(const Args& args) {
    if (args.positional.size() != 2) {
        throw UsageError("preview needs TEMPLATE and OUT.bmp");
    }
    const QString fct = findRenderList(args.positional[0]);
    const QString out = QString::fromStdString(args.positional[1]);
    const QImage picture = args.has("--page")
                               ? renderCoverBitmap(fct, valuesFrom(args), messageFrom(args))
                               : renderPreviewBitmap(fct, QDateTime::currentDateTime());
    if (!picture.save(out)) {
        throw std::runtime_error("cannot write " + args.positional[1]);
    }
    return 0;
}

QString quoted(const std::string& windowsText) {
    return QLatin1Char('"') + fromWindows1252(windowsText) + QLatin1Char('"');
}

void printDesign(const QString& path) {
    TCoverPageModel page;
    const TCoverLoadResult r = TGLabelObjectFiler::LoadObjects(page, path);
    if (!r.fileFound) {
        throw std::runtime_error("cannot read " + path.toStdString());
    }
    for (const auto& o : page.objects()) {
        QString line = QStringLiteral("%1 %2,%3 %4x%5")
                           .arg(o->className())
                           .arg(o->left())
                           .arg(o->top())
                           .arg(o->width())
                           .arg(o->height());
        if (const auto* label = dynamic_cast<const TFaxCoverBaseLabel*>(o.get())) {
            line += QStringLiteral(" \"%1\" %2 %3pt")
                        .arg(label->caption(), label->font().name)
                        .arg(label->font().size());
            if (const auto* field = dynamic_cast<const TFaxCoverField*>(o.get())) {
                line += QLatin1Char(' ') +
                        QString::fromLatin1(
                            kCoverFieldTypeNames[static_cast<std::size_t>(field->coverFieldType())]
                                .data());
            }
        } else if (const auto* shape = dynamic_cast<const TFaxCoverShapes*>(o.get())) {
            line += QStringLiteral(" %1 %2 pen %3")
                        .arg(QString::fromLatin1(
                            kShapeTypeNames[static_cast<std::size_t>(shape->shape())].data()))
                        .arg(QString::fromLatin1(
                            kShapeFillTypeNames[static_cast<std::size_t>(shape->shapeFilltype())]
                                .data()))
                        .arg(shape->pen().width);
        } else if (const auto* l = dynamic_cast<const TFaxCoverLine*>(o.get())) {
            line += QStringLiteral(" %1 pen %2")
                        .arg(QString::fromLatin1(
                            kLineStyleNames[static_cast<std::size_t>(l->lineStyle())].data()))
                        .arg(l->pen().width);
        }
        if (o->locked()) {
            line += QStringLiteral(" locked");
        }
        std::printf("%s\n", qPrintable(line));
    }
    if (!r.complete) {
        throw std::runtime_error("reading stopped after " + std::to_string(r.objectsRead) +
                                 " objects: " + r.error);
    }
}

void printRenderList(const QString& path) {
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly)) {
        throw std::runtime_error("cannot read " + path.toStdString());
    }
    const QByteArray bytes = f.readAll();
    constexpr const char* kKinds[] = {"text",       "symbol", "shape",  "line",
                                      "importance", "field",  "message"};
    readRenderList(std::string_view(bytes.constData(), static_cast<std::size_t>(bytes.size())), 1,
                   [&](const TRenderRecord& r) {
                       const char* kind = r.kind >= 0 && r.kind < 7 ? kKinds[r.kind] : "unknown";
                       std::printf(
                           "%s %d,%d %dx%d %s %s %d bold=%d italic=%d underline=%d "
                           "shape=%d fill=%d pen=%d style=%d rounding=%d field=%d\n",
                           kind, r.left, r.top, r.width, r.height, qPrintable(quoted(r.caption)),
                           qPrintable(quoted(r.fontName)), r.fontSize, r.bold, r.italic,
                           r.underline, r.shape, r.fill, r.penWidth, r.lineStyle, r.rounding,
                           r.fieldType);
                       return true;
                   });
}

int info(const Args& args) {
    if (args.positional.size() != 1) {
        throw UsageError("info needs one FILE.FCS or FILE.FCT");
    }
    const QString path = QString::fromStdString(args.positional[0]);
    if (path.endsWith(QLatin1String(".FCT"), Qt::CaseInsensitive)) {
        printRenderList(path);
    } else {
        printDesign(path);
    }
    return 0;
}

int install() {
    const QString covers = QString::fromStdString(programFolder().coversFolder());
    std::printf("%d file(s) copied into %s\n", installShippedCovers(covers), qPrintable(covers));
    return 0;
}

}  // namespace

int runCoverCli(const std::vector<std::string>& argv) {
    try {
        if (argv.empty()) {
            throw UsageError("a command is needed");
        }
        const Args args = parse(argv);
        const std::string& command = argv[0];
        if (command == "render") {
            return render(args);
        }
        if (command == "preview") {
            return preview(args);
        }
        if (command == "info") {
            return info(args);
        }
        if (command == "install") {
            return install();
        }
        if (command == "--help" || command == "help") {
            std::printf("%s", kUsage);
            return 0;
        }
        throw UsageError("unknown command " + command);
    } catch (const UsageError& e) {
        std::fprintf(stderr, "parvex-cover: %s\n%s", e.what(), kUsage);
    } catch (const std::exception& e) {
        std::fprintf(stderr, "parvex-cover: %s\n", e.what());
    }
    return 1;
}

}  // namespace px
