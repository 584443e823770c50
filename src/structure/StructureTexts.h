// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Zentrova developers
#pragma once
#include <QStringList>

namespace zentrova {

struct StructureContext;
class TextCodec;

// The texts of the open structure are bytes in the code page of the language
// they were typed or read in: element names, result cells, the report pages
// and tables, the printout heading and the comments; so are the heading and
// comments the settings file keeps. A change of language re-encodes them, so
// they read the same in the new code page.

// The lines of those texts that hold a character `to` cannot write, decoded
// with `from`, each once, in the order they are met (the tree first, the
// settings file's last).
QStringList structureLinesNotHeldBy(StructureContext& ctx, const TextCodec& from, const TextCodec& to);

// Re-encodes every text of the open structure, and the settings file's
// heading and comments, from `from` to `to`; a character `to` lacks becomes
// "?". True when a text of the structure changed: it then differs from its
// file and is marked unsaved.
bool convertStructureTexts(StructureContext& ctx, const TextCodec& from, const TextCodec& to);

} // namespace zentrova
