// The template's description (.DES), a cover's data file (.FCD), and the
// template names the designer proposes and accepts.
#pragma once

#include <QString>
#include <QStringList>
#include <array>

namespace px {

// The first line of NAME.DES; empty when the file is missing or has no lines.
QString readDescription(const QString& desPath);
// NAME.DES with `description` as its only line (CR LF).
bool writeDescription(const QString& desPath, const QString& description);

struct TCoverData {
    QString templateName;  // without folder, e.g. "px0001.fct"
    std::array<bool, 5> importance{};
    QStringList message;
};
bool writeCoverData(const QString& fcdPath, const TCoverData& data);
// Missing lines read as empty values; the boxes are read only from a second
// line of exactly five characters ("X" checked).
TCoverData readCoverData(const QString& fcdPath);

// The first "PX" + 4 digits + ".FCS" (0001 … 9999) not in `coversFolder`; empty if none.
QString freeTemplateName(const QString& coversFolder);
// At most 12 characters, ends in ".FCS" (any case), an identifier before it.
bool isValidTemplateName(const QString& name);

// The same path with another extension (".FCT", ".DES", ".bmp").
QString withExtension(const QString& path, const QString& extension);

}  // namespace px
