// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Zentrova developers
#include "shell/windows/FileDatesModel.h"

#include <QDateTime>
#include <QFileSystemModel>

namespace zentrova {

QVariant FileDatesModel::data(const QModelIndex& index, int role) const
{
    // Column 3 of the file system model is the date the file was changed.
    if (role == Qt::DisplayRole && index.column() == 3)
        if (const auto* files = qobject_cast<const QFileSystemModel*>(sourceModel())) {
            const QDateTime changed = files->lastModified(mapToSource(index));
            if (changed.isValid())
                return locale_.toString(changed, QLocale::ShortFormat);
        }
    return QIdentityProxyModel::data(index, role);
}

} // namespace zentrova
