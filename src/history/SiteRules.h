// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Zentrova developers
#pragma once
#include "structure/Equipment.h"
#include "structure/RuleSets.h"

#include <QString>
#include <string>

namespace zentrova {

class HistoryArchive;

// The rule sets an installation's points are judged by, kept in the history
// archive with the installation, so that everyone sharing the archive
// judges a site alike: per equipment type the id of the correction rule
// set, in place of the one the settings choose. An empty id leaves the
// settings' choice.
struct SiteRuleChoice {
    std::string correctionFor[EquipmentTypeCount];
    bool any() const;
    bool operator==(const SiteRuleChoice&) const = default;
};

// The choice of `installation`; all empty when it has none. False with the
// reason when the archive cannot be read.
bool readSiteRules(HistoryArchive& archive, qint64 installation, SiteRuleChoice& out, QString* error);
// Replaces the choice of `installation`; the archive must be open for writing.
bool writeSiteRules(HistoryArchive& archive, qint64 installation, const SiteRuleChoice& choice, QString* error);

// `settings` (the settings' choices) with the site's choice in their place
// where it makes one.
EvaluationChoices siteChoices(EvaluationChoices settings, const SiteRuleChoice& site);

} // namespace zentrova
