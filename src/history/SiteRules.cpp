// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Zentrova developers
#include "history/SiteRules.h"

#include "history/HistoryArchive.h"

#include <QDateTime>
#include <QSqlError>
#include <QSqlQuery>
#include <QVariant>

#include <algorithm>
#include <iterator>

namespace zentrova {

namespace {

bool failed(const QString& reason, QString* error)
{
    if (error)
        *error = reason.simplified();
    return false;
}

} // namespace

bool SiteRuleChoice::any() const
{
    return std::any_of(std::begin(correctionFor), std::end(correctionFor),
                       [](const std::string& id) { return !id.empty(); });
}

bool readSiteRules(HistoryArchive& archive, qint64 installation, SiteRuleChoice& out, QString* error)
{
    out = SiteRuleChoice();
    QSqlQuery q(archive.database());
    q.prepare("SELECT equipment_type, correction_rule_set FROM installation_rules WHERE installation_id = ?");
    q.addBindValue(installation);
    if (!q.exec())
        return failed(q.lastError().text(), error);
    while (q.next()) {
        // A type this program does not know is left to the program that stored it.
        EquipmentType type;
        if (parseEquipmentType(q.value(0).toString().toStdString(), type))
            out.correctionFor[int(type)] = q.value(1).toString().toStdString();
    }
    return true;
}

bool writeSiteRules(HistoryArchive& archive, qint64 installation, const SiteRuleChoice& choice, QString* error)
{
    QSqlDatabase db = archive.database();
    if (!db.transaction())
        return failed(db.lastError().text(), error);
    QSqlQuery q(db);
    q.prepare("DELETE FROM installation_rules WHERE installation_id = ?");
    q.addBindValue(installation);
    bool stored = q.exec();
    const QString now = QDateTime::currentDateTime().toString(Qt::ISODate);
    for (int t = 0; stored && t < EquipmentTypeCount; ++t) {
        if (choice.correctionFor[t].empty())
            continue;
        q.prepare("INSERT INTO installation_rules (installation_id, equipment_type, correction_rule_set, changed_at)"
                  " VALUES (?, ?, ?, ?)");
        q.addBindValue(installation);
        q.addBindValue(QString::fromLatin1(equipmentTypeName(EquipmentType(t))));
        q.addBindValue(QString::fromStdString(choice.correctionFor[t]));
        q.addBindValue(now);
        stored = q.exec();
    }
    if (!stored) {
        const QString reason = q.lastError().text();
        db.rollback();
        return failed(reason, error);
    }
    if (db.commit())
        return true;
    const QString reason = db.lastError().text();
    db.rollback();
    return failed(reason, error);
}

EvaluationChoices siteChoices(EvaluationChoices settings, const SiteRuleChoice& site)
{
    for (int t = 0; t < EquipmentTypeCount; ++t)
        if (!site.correctionFor[t].empty())
            settings.correctionFor[t] = site.correctionFor[t];
    return settings;
}

} // namespace zentrova
