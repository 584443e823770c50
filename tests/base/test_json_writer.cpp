// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Zentrova developers
// JSON written piece by piece reads as Qt's own text of the same document,
// indented and compact alike.
#include "base/JsonWriter.h"

#include <gtest/gtest.h>

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

#include <cmath>
#include <limits>

namespace zentrova::test {
namespace {

// Walks a document Qt holds and writes it; QJsonObject gives its keys sorted.
void write(JsonWriter& json, const QJsonValue& v)
{
    if (v.isObject()) {
        json.beginObject();
        const QJsonObject o = v.toObject();
        for (auto it = o.begin(); it != o.end(); ++it) {
            json.key(it.key().toStdString());
            write(json, it.value());
        }
        json.endObject();
    } else if (v.isArray()) {
        json.beginArray();
        for (const QJsonValue& item : v.toArray())
            write(json, item);
        json.endArray();
    } else if (v.isString()) {
        json.string(v.toString());
    } else if (v.isDouble()) {
        json.number(v.toDouble());
    } else if (v.isBool()) {
        json.boolean(v.toBool());
    } else {
        json.null();
    }
}

std::string written(const QJsonDocument& doc, bool indented)
{
    JsonWriter json(indented);
    write(json, doc.isObject() ? QJsonValue(doc.object()) : QJsonValue(doc.array()));
    json.finish();
    return json.text();
}

struct DocumentCase {
    const char* name;
    QJsonDocument doc;
};

TEST(JsonWriter, WritesWhatQtWritesIndentedAndCompact)
{
    const double nan = std::numeric_limits<double>::quiet_NaN();
    const double infinity = std::numeric_limits<double>::infinity();
    const DocumentCase cases[] = {
        {"empty object", QJsonDocument(QJsonObject{})},
        {"empty array", QJsonDocument(QJsonArray{})},
        {"empty containers inside",
         QJsonDocument(QJsonObject{{"flags", QJsonArray{}}, {"old", QJsonObject{}}, {"new", QJsonValue()}})},
        {"nesting", QJsonDocument(QJsonArray{QJsonArray{QJsonArray{1, 2}, QJsonObject{{"a", QJsonArray{}}}}, 3})},
        {"escapes", QJsonDocument(QJsonArray{QStringLiteral("quote \" backslash \\ slash /"),
                                             QStringLiteral("\t\n\r\b\f"), QString::fromUtf8("\x01\x1f\x7f end"),
                                             QString::fromUtf8("\xc4\x8d\xc5\xa1 \xe2\x82\xac"),
                                             QStringLiteral("\U0001F50C"), QString()})},
        {"booleans", QJsonDocument(QJsonObject{{"no", false}, {"yes", QJsonArray{true, false}}})},
        {"keys to escape", QJsonDocument(QJsonObject{{QStringLiteral("a\"b"), 1}, {QStringLiteral("\n"), 2}})},
        {"numbers", QJsonDocument(QJsonArray{0,
                                             -0.0,
                                             1,
                                             -55,
                                             2e9,
                                             9e8,
                                             1.5,
                                             -58.9,
                                             0.1,
                                             0.1 + 0.2,
                                             1e20,
                                             1e21,
                                             1.2345e-7,
                                             9007199254740992.0,
                                             9007199254740994.0,
                                             -9007199254740994.0,
                                             123456789.125,
                                             1e300,
                                             5e-324,
                                             nan,
                                             infinity,
                                             -infinity})},
    };
    for (const DocumentCase& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(written(c.doc, true), c.doc.toJson(QJsonDocument::Indented).toStdString());
        EXPECT_EQ(written(c.doc, false), c.doc.toJson(QJsonDocument::Compact).toStdString() + "\n");
    }
}

// A document larger than a piece reaches the sink before it is finished,
// and the pieces add up to the whole text.
TEST(JsonWriter, HandsLargeDocumentsOnInPieces)
{
    QJsonArray items;
    for (int i = 0; i < 20000; ++i)
        items.append(QJsonObject{{"n", i}, {"name", QStringLiteral("point %1").arg(i)}});
    const QJsonDocument doc(QJsonObject{{"items", items}});
    for (bool indented : {true, false}) {
        std::string arrived;
        int pieces = 0;
        size_t largest = 0;
        JsonWriter json(indented, [&](std::string_view piece) {
            arrived += piece;
            ++pieces;
            largest = std::max(largest, piece.size());
        });
        write(json, doc.object());
        const int beforeFinish = pieces;
        json.finish();
        EXPECT_GT(beforeFinish, 2);
        EXPECT_LT(largest, 2 * JsonWriter::ChunkSize);
        EXPECT_TRUE(json.text().empty());
        const QJsonDocument::JsonFormat format = indented ? QJsonDocument::Indented : QJsonDocument::Compact;
        EXPECT_EQ(arrived, doc.toJson(format).toStdString() + (indented ? "" : "\n"));
    }
}

} // namespace
} // namespace zentrova::test
