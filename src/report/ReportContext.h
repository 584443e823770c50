// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Zentrova developers
#pragma once
#include "language/LanguageContext.h"
#include "report/PrintoutHeading.h"

namespace zentrova {

// The language context and what the user keeps for reports: the printout
// heading, the comments and the default names of new elements.
struct ReportContext : LanguageContext {
    using LanguageContext::LanguageContext;

    PrintoutHeading heading;
    Comments comments;
    DefaultNames defaultNames;
};

} // namespace zentrova
