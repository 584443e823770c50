// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Zentrova developers
#include "structure/Document.h"

#include "language/LanguageContext.h"

#include <algorithm>

namespace zentrova {

Document successorOf(const Document& open)
{
    Document next;
    next.familyCode = open.familyCode;
    next.heading = open.heading;
    next.comments = open.comments;
    next.fileName = open.fileName;
    return next;
}

ElementNode* addElementNode(Document& document, ElementNode* parent)
{
    ElementNode* n = document.structure.tree.add(parent);
    document.saved = false;
    return n;
}

namespace {
// The largest number that follows `base` at the start of `text`, -1 when the
// text does not continue the base with digits.
long suffixAfter(const std::string& text, const std::string& base)
{
    if (text.size() <= base.size() || text.compare(0, base.size(), base) != 0)
        return -1;
    long v = 0;
    bool any = false;
    for (size_t i = base.size(); i < text.size() && text[i] >= '0' && text[i] <= '9'; ++i) {
        any = true;
        if (v < 100000000L)
            v = v * 10 + (text[i] - '0');
    }
    return any ? v : -1;
}
} // namespace

void initElement(Document& document, ElementNode* node, uint8_t kind, bool numbered, const NewElementNames& names)
{
    if (!node)
        return;
    node->info.kind = kind;
    node->info.number = 0;
    node->info.selection.clear();
    if (!numbered) {
        node->name = "xxx";
    } else {
        std::string base;
        if (kind == KindObject || kind == KindObjectIT)
            base = names.defaults.names[DefaultNames::Object];
        if (base.empty())
            if (const char* key = kindLanguageKey(kind))
                base = names.texts.text(key);
        long largest = 0;
        auto consider = [&](const ElementNode& other) {
            if (&other != node)
                largest = std::max(largest, suffixAfter(other.name, base));
        };
        if (node->parent()) {
            for (const auto& sibling : node->parent()->children())
                consider(*sibling);
        } else {
            document.structure.tree.forEach([&](ElementNode& n) { consider(n); });
        }
        node->name = base + std::to_string(largest + 1);
    }
    document.saved = false;
}

void clearStructure(Document& document)
{
    document.structure.tree.selected = document.structure.tree.last();
    document.structure.tree.clear();
}

void clearResultTable(Document& document)
{
    document.structure.table.clear();
}

void resetToNewStructure(Document& document, const LanguageContext& language, const DefaultNames& defaults)
{
    clearStructure(document);
    clearResultTable(document);
    ElementNode* node = addElementNode(document, nullptr);
    const uint8_t kind = language.profile.topLevelSelector <= 1 ? KindObjectIT : KindObject;
    initElement(document, node, kind, true, {defaults, language.texts});
    document.structure.tree.selected = document.structure.tree.first();
    document.fileName = language.decode(language.texts.defaultFileName);
    document.saved = true;
}

} // namespace zentrova
