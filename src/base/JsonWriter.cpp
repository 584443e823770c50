// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Zentrova developers
#include "base/JsonWriter.h"

#include <QByteArray>
#include <QLocale>

#include <charconv>
#include <cmath>

namespace zentrova {

namespace {

void appendEscaped(std::string& out, std::string_view utf8)
{
    static const char digits[] = "0123456789abcdef";
    out += '"';
    size_t plain = 0; // start of the run of bytes that need no escape
    for (size_t i = 0; i < utf8.size(); ++i) {
        const auto c = static_cast<unsigned char>(utf8[i]);
        if (c >= 0x20 && c != '"' && c != '\\')
            continue;
        out.append(utf8.data() + plain, i - plain);
        plain = i + 1;
        out += '\\';
        switch (c) {
        case '"':
            out += '"';
            break;
        case '\\':
            out += '\\';
            break;
        case '\b':
            out += 'b';
            break;
        case '\f':
            out += 'f';
            break;
        case '\n':
            out += 'n';
            break;
        case '\r':
            out += 'r';
            break;
        case '\t':
            out += 't';
            break;
        default:
            out += "u00";
            out += digits[c >> 4];
            out += digits[c & 15];
        }
    }
    out.append(utf8.data() + plain, utf8.size() - plain);
    out += '"';
}

} // namespace

JsonWriter::JsonWriter(bool indented, std::function<void(std::string_view)> sink)
    : indented_(indented), sink_(std::move(sink))
{
}

void JsonWriter::indent(size_t levels)
{
    out_.append(4 * levels, ' ');
}

void JsonWriter::beforeValue()
{
    if (afterKey_) {
        afterKey_ = false;
        return;
    }
    if (hasItems_.empty())
        return;
    if (hasItems_.back())
        out_ += indented_ ? ",\n" : ",";
    hasItems_.back() = true;
    if (indented_)
        indent(hasItems_.size());
}

void JsonWriter::afterValue()
{
    if (sink_ && out_.size() >= ChunkSize) {
        sink_(out_);
        out_.clear();
    }
}

void JsonWriter::open(char bracket)
{
    beforeValue();
    out_ += bracket;
    if (indented_)
        out_ += '\n';
    hasItems_.push_back(false);
}

void JsonWriter::close(char bracket)
{
    const bool any = hasItems_.back();
    hasItems_.pop_back();
    if (indented_) {
        if (any)
            out_ += '\n';
        indent(hasItems_.size());
    }
    out_ += bracket;
    afterValue();
}

void JsonWriter::beginObject()
{
    open('{');
}

void JsonWriter::endObject()
{
    close('}');
}

void JsonWriter::beginArray()
{
    open('[');
}

void JsonWriter::endArray()
{
    close(']');
}

void JsonWriter::key(std::string_view name)
{
    beforeValue();
    appendEscaped(out_, name);
    out_ += indented_ ? ": " : ":";
    afterKey_ = true;
}

void JsonWriter::string(std::string_view utf8)
{
    beforeValue();
    appendEscaped(out_, utf8);
    afterValue();
}

void JsonWriter::string(const QString& text)
{
    const QByteArray utf8 = text.toUtf8();
    string(std::string_view(utf8.constData(), size_t(utf8.size())));
}

void JsonWriter::number(double value)
{
    if (!std::isfinite(value)) {
        null();
        return;
    }
    // Up to 2^53 every whole number is exact in a double, and Qt keeps it
    // as an integer.
    constexpr double Exact = 9007199254740992.0;
    if (value == std::trunc(value) && std::fabs(value) <= Exact) {
        integer(static_cast<long long>(value));
        return;
    }
    beforeValue();
    const QByteArray text = QByteArray::number(value, 'g', QLocale::FloatingPointShortest);
    out_.append(text.constData(), size_t(text.size()));
    afterValue();
}

void JsonWriter::integer(long long value)
{
    beforeValue();
    char text[24];
    const auto end = std::to_chars(text, text + sizeof text, value).ptr;
    out_.append(text, size_t(end - text));
    afterValue();
}

void JsonWriter::boolean(bool value)
{
    beforeValue();
    out_ += value ? "true" : "false";
    afterValue();
}

void JsonWriter::null()
{
    beforeValue();
    out_ += "null";
    afterValue();
}

void JsonWriter::finish()
{
    out_ += '\n';
    if (sink_) {
        sink_(out_);
        out_.clear();
    }
}

} // namespace zentrova
