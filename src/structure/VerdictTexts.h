// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Zentrova developers
#pragma once
#include "structure/Evaluation.h"

#include <QString>

namespace zentrova {

class InterfaceTexts;
class TextCodec;

// The verdicts in the user's language, for the windows: the sentences come
// from the language file's templates ({rule}, {value}, ... filled in), the
// names of rules, sources and bands from the rule files in the language the
// language file names (RuleLanguage_5: "en", "sl"), else in English.
class VerdictTexts {
public:
    VerdictTexts(const InterfaceTexts& texts, const TextCodec& codec);

    // "Fails IEEE 43 minimum for form-wound windings: 62 MΩ at 40 °C < 100 MΩ [IEEE Std 43-2013, 12.3]".
    QString line(const Verdict& v) const;
    // What the verdict found or why it was not judged, without rule and source.
    QString detail(const Verdict& v) const;
    // The rule as the verdict names it (the rule file's, or the program's own
    // for a point's own limit and a minimum without equipment data).
    QString rule(const Verdict& v) const;
    QString source(const Verdict& v) const;
    // "Corrected: 25 MΩ at 40 °C by the halving rule" or "Not corrected: the
    // result has no test temperature".
    QString correction(const CorrectedResistance& c) const;
    // Why a resistance was not corrected.
    QString correctionReason(VerdictReason why, std::optional<double> testTemperature, const RuleText& rule) const;

    QString text(const char* key) const;
    // A rule file's name or source in the user's language.
    QString ruleText(const RuleText& t) const;

private:
    const InterfaceTexts& texts_;
    const TextCodec& codec_;
    std::string language_; // the rule files' code of the language
};

// `pattern` with each "{name}" replaced by its value.
QString fillTemplate(QString pattern, std::initializer_list<std::pair<const char*, QString>> values);

} // namespace zentrova
