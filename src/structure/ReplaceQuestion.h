#pragma once
#include <QString>

namespace zentrova {

struct LanguageContext;

// Asks whether the existing file `path` is to be replaced (a warning with
// Yes, No and Cancel: the name, "AlreadyExists_40", "ReplaceIt_40").
// MbYes when there is nothing to ask: the file cannot be read (is not there).
unsigned askToReplace(const LanguageContext& ctx, const QString& path);

} // namespace zentrova
