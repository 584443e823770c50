// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Zentrova developers
#pragma once
#include <QString>
#include <string>

namespace zentrova {

struct LanguageContext;
struct Document;
class Progress;

// The export's delimiters; program-wide, kept between exports.
struct ExportFormat {
    enum Column { Tab = 0, Semicolon = 1 };
    enum Row { CrLf = 0, Cr = 1, Lf = 2 };
    int column = Tab;
    int row = CrLf;
    std::string columnDelimiter() const { return column == Semicolon ? ";" : "\t"; }
    std::string rowDelimiter() const { return row == Cr ? "\r" : row == Lf ? "\n" : "\r\n"; }
};

// The whole export of `document` as bytes: heading lines, the tree, the
// result rows and the report tables, every line ended by the row delimiter.
std::string exportText(const LanguageContext& ctx, const Document& document, const ExportFormat& format,
                       Progress& progress);

// The name offered by the export's file dialog: the structure file's name
// with its extension replaced by ".TXT" (empty when no file is open).
QString proposedExportName(const QString& currentFileName);
// A chosen name whose file-name part has no "." gets ".TXT".
QString exportFileName(const QString& chosen);

// The export command without its dialog: asks for the file (title, filter,
// replace question through ctx.prompts) and writes it. True when a file was
// written.
bool runExport(const LanguageContext& ctx, const Document& document, const ExportFormat& format, Progress& progress);

} // namespace zentrova
