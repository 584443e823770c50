// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Zentrova developers
#pragma once
#include <QIdentityProxyModel>
#include <QLocale>

namespace zentrova {

// The file dialog's list with the files' dates written as the program's
// language writes them: Qt's file list writes them in the system's locale
// ("7 Dec 2026") whatever language the program speaks.
class FileDatesModel : public QIdentityProxyModel {
public:
    FileDatesModel(const QLocale& locale, QObject* parent) : QIdentityProxyModel(parent), locale_(locale) {}
    QVariant data(const QModelIndex& index, int role) const override;

private:
    QLocale locale_;
};

} // namespace zentrova
