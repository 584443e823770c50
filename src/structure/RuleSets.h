// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Zentrova developers
#pragma once
#include "structure/Equipment.h"

#include <QString>
#include <QStringList>

#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace zentrova {

// The rules insulation is judged by are data: each rule set is a UTF-8 JSON
// file naming its source and edition, shipped in the program's rules/
// folder, and the user's own beside the settings (rules/ in the user's
// configuration folder). A user's file with the id of a shipped one takes
// its place. Texts are UTF-8.
enum class RuleKind {
    Correction,        // temperature correction of insulation resistance
    MinimumResistance, // a minimum insulation resistance by equipment type and rated voltage
    MinimumPi,         // a minimum polarisation index by thermal class
    AdviceBands,       // named bands of a quantity's value (DD)
    RatingAdvice,      // the program's PI and DAR ratings: only the source is data
    StepVoltage,       // how far the resistance may fall at a higher step
    TestVoltage,       // the test voltage recommended for the rated voltage
};

enum class CorrectionMethod { Halving, Table };

// A name or source a rule file gives in the user's language: a plain string
// is the text in every language; an object gives it per language code
// ({"en": "...", "sl": "..."}), its "en" (else its first) standing in for
// a language it leaves out.
struct RuleText {
    using Translations = std::vector<std::pair<std::string, std::string>>; // language code, text
    std::string english;                                                   // English, or every language's
    // Shared, never changed: every verdict carries its rule's names, and a
    // copy costs no more than the English one.
    std::shared_ptr<const Translations> translations;

    // The text in `language` ("sl"), English when the file does not give it.
    const std::string& in(std::string_view language) const;
    bool empty() const { return english.empty(); }
    bool translated() const { return translations && !translations->empty(); }
};

// `first`, `separator` and `second` joined in every language either gives.
RuleText joinedRuleText(const RuleText& first, std::string_view separator, const RuleText& second);

// One line of a minimum table: it applies to a point of one of `types` (all
// when empty) or of one of `classes`, within the rated voltage bounds; the
// minimum is minimumMOhm + perRatedKvMOhm * rated kV.
struct MinimumEntry {
    RuleText name;     // completes the set's title: "for form-wound windings"
    RuleText fullName; // the set's title and `name`, as a verdict names the line; filled when read
    std::vector<EquipmentType> types;
    std::vector<ThermalClass> classes;
    std::optional<double> ratedKvBelow;    // applies below this rated voltage (excluded)
    std::optional<double> ratedKvAtMost;   // applies up to this rated voltage (included)
    std::optional<double> ratedKvAbove;    // applies above this rated voltage (excluded)
    double minimum = 0;                    // megohms, or the ratio for a minimum PI
    double perRatedKv = 0;                 // megohms per rated kV
    std::optional<double> testVoltageV;    // the test voltage the table names; a test voltage set: the lowest
    std::optional<double> testVoltageMaxV; // a test voltage set: the highest recommended, none when open
    bool needsRatedVoltage() const { return ratedKvBelow || ratedKvAtMost || ratedKvAbove || perRatedKv != 0; }
};

// A band of advice: values below `below` (or up to `atMost`, included); the
// last band has neither and holds the rest.
struct AdviceBand {
    std::optional<double> below, atMost;
    RuleText name;
};

struct RuleSet {
    RuleKind kind = RuleKind::Correction;
    std::string id;  // how settings and other files name it
    RuleText title;  // how a verdict names it: "IEEE 43 minimum"
    RuleText source; // "IEEE Std 43"
    std::string edition;
    RuleText clause; // "12.3", "Table 1"
    std::string note;
    QString file; // where it was read from

    // Correction: R_base = R_T * factor(T). Halving: factor 0.5^((base - T) / halvingStep);
    // a table: factors by temperature, ascending, straight lines between them.
    CorrectionMethod method = CorrectionMethod::Halving;
    double halvingStep = 10;
    double baseTemperature = 20; // also the temperature a minimum applies at
    std::vector<std::pair<double, double>> factors;
    std::vector<EquipmentType> defaultFor; // types whose correction it is unless the settings choose another

    // Minimums: the first entry that applies counts. `types` limits the whole set.
    std::vector<MinimumEntry> entries;
    std::vector<EquipmentType> types;
    std::optional<double> notJudgedAboveMOhm; // a minimum PI: not judged above this 1-minute value

    // Advice bands
    std::string quantity;
    std::vector<AdviceBand> bands;

    // Step voltage: the default largest fall, in per cent of the highest earlier step.
    double maximumFallPercent = 0;

    // "IEEE Std 43-2013, 12.3": the source, its edition and the clause.
    RuleText citation() const;
    // The citation, and the title with it ("halving rule, base 40 °C: IEEE Std
    // 43-2000, 6.3") as a verdict credits a correction; filled when read.
    RuleText cited, credit;
    bool appliesTo(EquipmentType type) const;
};

// How the user chose among the rule sets ([EVALUATION] in the settings).
struct EvaluationChoices {
    // The correction rule set's id per equipment type; empty: the set that names the type in defaultFor.
    std::string correctionFor[EquipmentTypeCount];
    std::optional<double> stepFallPercent; // overrides the step-voltage set's default
    // What the settings held that was refused, one message each: the default then applies.
    std::vector<std::string> refused;
};

struct RuleSets {
    std::vector<RuleSet> sets;
    const RuleSet* find(std::string_view id) const;
    // The sets of a kind, in the order read.
    std::vector<const RuleSet*> ofKind(RuleKind kind) const;
    // The correction for `type`: the one chosen, else the default one; null for none. A chosen
    // set that is not among these (a colleague's rule file not installed here) gives null, never
    // another set, and its id in `missingChoice`.
    const RuleSet* correctionFor(EquipmentType type, const EvaluationChoices& choices,
                                 std::string* missingChoice = nullptr) const;
};

// Reads one rule set from a file's bytes. False with the reason ("line 4:
// ...") for a file that is no JSON or misses what its kind needs.
bool parseRuleSet(std::string_view bytes, RuleSet& out, std::string* error);

// Reads every *.json file of the folders, in name order; a later set with
// the id of an earlier one replaces it. A file that does not read is left
// out and named in `problems` with the reason; the rest still count.
RuleSets loadRuleSets(const QStringList& folders, QStringList* problems);

} // namespace zentrova
