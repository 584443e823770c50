// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Zentrova developers
#pragma once
#include "report/ReportContext.h"
#include "structure/Document.h"
#include "structure/Export.h"

namespace zentrova {

// The report context and the open document, with the export's delimiters,
// kept between exports.
struct StructureContext : ReportContext {
    using ReportContext::ReportContext;

    Document document;
    ExportFormat exportFormat;
};

// Loads the family profile for ctx.familyCode, and lets the open document's
// default name follow: it becomes the new default name. A structure's own
// file name stays as it is, whatever the family's extension.
void applyFamilyProfile(StructureContext& ctx);

// After the interface texts were loaded again: a document that still has the
// previous default name `oldDefault` (bytes) takes the new one.
void followDefaultFileName(StructureContext& ctx, const std::string& oldDefault);

} // namespace zentrova
