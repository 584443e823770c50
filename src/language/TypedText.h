// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Zentrova developers
#pragma once
#include <QStringList>

namespace zentrova {

struct LanguageContext;

// What the user typed, checked against the active language's code page before
// it is stored. When the code page lacks some of its characters the user is
// told which ones (one message for all the texts of one edit) and the answer
// is false: the caller keeps what it had, so nothing is stored that differs
// from what the user sees.
bool canStoreTyped(const LanguageContext& ctx, const QStringList& typed);
bool canStoreTyped(const LanguageContext& ctx, const QString& typed);

} // namespace zentrova
