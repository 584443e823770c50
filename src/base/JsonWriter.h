// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Zentrova developers
#pragma once
#include <QString>

#include <functional>
#include <string>
#include <string_view>
#include <vector>

namespace zentrova {

// JSON written as it is made, for documents too large to be held whole as a
// QJsonDocument. The text is Qt's own: indented, it is what
// QJsonDocument::toJson(Indented) writes (four spaces a level, one value a
// line); compact, it has no spaces at all. Keys are written in the order
// they are given, so a caller that wants Qt's text gives them sorted.
// The calls must form a document (one value at the top, a key before every
// value in an object); nothing checks it.
class JsonWriter {
public:
    // Without a sink the text collects in text(); with one, the sink gets it
    // in pieces of about ChunkSize bytes, and the rest at finish().
    explicit JsonWriter(bool indented, std::function<void(std::string_view)> sink = {});

    void beginObject();
    void endObject();
    void beginArray();
    void endArray();
    // The name of the next value of an object, as UTF-8.
    void key(std::string_view name);
    void string(std::string_view utf8);
    void string(const QString& text);
    // A number as Qt writes it: a whole number up to 2^53 without a point,
    // others in the shortest form that reads back the same; null for an
    // infinity or NaN, which JSON cannot hold.
    void number(double value);
    void integer(long long value);
    void boolean(bool value);
    void null();

    // Ends the document with a line end and hands what is left to the sink.
    void finish();
    // The text written so far (without a sink: all of it).
    const std::string& text() const { return out_; }

    static constexpr size_t ChunkSize = 64 * 1024;

private:
    void beforeValue();
    void open(char bracket);
    void close(char bracket);
    void indent(size_t levels);
    void afterValue();

    bool indented_;
    std::function<void(std::string_view)> sink_;
    std::string out_;
    std::vector<bool> hasItems_; // per open container: a value was written in it
    bool afterKey_ = false;
};

} // namespace zentrova
