// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Zentrova developers
// Catalogue of the keys that every language file must provide.
//
// The loader reads [LANGUAGE] in the order of interfaceKeys() and stops the
// program when a key is missing, so the order and the spelling here are part
// of the language file format. Keys are compared case-insensitively, as INI
// keys are; a key keeps its '&' and its "_<number>" suffix (the number is part
// of the name and carries no meaning for the program).
#pragma once

#include <cstddef>
#include <string_view>
#include <vector>

namespace zentrova {

// Interface texts of section [LANGUAGE], in the order the loader reads them.
const std::vector<std::string_view>& interfaceKeys();

// Keys of section [LANGUAGE] that the instrument family profile reads on its
// own (help file, structure file extension, captions, product name). The
// two help-file keys differ only in case and are one key in the file.
const std::vector<std::string_view>& profileKeys();

// Report page labels of section [PROTOCOL], in the order of the page labels
// they fill (object page, block page, lightning-protection page, floor plan).
const std::vector<std::string_view>& protocolKeys();

// True for the eighteen unit-row headings of the report tables, whose text
// slot holds at most 20 characters instead of the usual 100.
bool isShortSlotKey(std::string_view key);

} // namespace zentrova
