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
// name follow: the default name becomes the new default name, and the
// extension becomes the family's.
void applyFamilyProfile(StructureContext& ctx);

// After the interface texts were loaded again: a document that still has the
// previous default name `oldDefault` (bytes) takes the new one.
void followDefaultFileName(StructureContext& ctx, const std::string& oldDefault);

} // namespace zentrova
