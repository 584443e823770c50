// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Zentrova developers
#include "comm/Protocol.h"

#include "structure/ResultColumns.h"

#include <algorithm>
#include <cstring>

namespace zentrova {

namespace {

inline unsigned byteAt(const char* data, size_t i)
{
    return static_cast<unsigned char>(data[i]);
}

// A 16-bit number, high byte first.
inline int bigEndianAt(const std::string& bytes, size_t i)
{
    return int(byteAt(bytes.data(), i) * 256 + byteAt(bytes.data(), i + 1));
}

void appendBigEndian(std::string& out, int value)
{
    out += char((value >> 8) & 0xff);
    out += char(value & 0xff);
}

bool startsWith(const std::string& bytes, std::string_view prefix)
{
    return bytes.compare(0, prefix.size(), prefix) == 0;
}

std::string pad3(long v)
{
    std::string s = std::to_string(v);
    if (s.size() < 3)
        s.insert(0, 3 - s.size(), '0');
    return s;
}

ResultColumn columnOfTag(unsigned char tag)
{
    switch (tag) {
    case 'R':
        return ResultColumn::Results;
    case 'M':
        return ResultColumn::SubResults;
    case 'P':
        return ResultColumn::Parameters;
    case 'D':
        return ResultColumn::Date;
    case 'T':
        return ResultColumn::Time;
    default:
        return ResultColumn::Function; // a further line of the function
    }
}

constexpr std::string_view AcknowledgeName = "SER";
constexpr std::string_view IdentificationName = "SWH";
constexpr std::string_view CountName = "SNU";
constexpr std::string_view RecordName = "SRE";

} // namespace

// ------------------------------------------------------------ requests

std::string_view requestName(Request request)
{
    switch (request) {
    case Request::Start:
        return "MRD";
    case Request::Identify:
        return "MWH";
    case Request::Count:
        return "MNU";
    case Request::FirstRecord:
        return "MSS";
    case Request::NextRecord:
        return "MRE";
    case Request::End:
        return "MEX";
    }
    return {};
}

bool requestEndsWithZero(Request request)
{
    return request == Request::Start || request == Request::End;
}

std::string requestFrame(Request request)
{
    std::string frame(requestName(request));
    if (requestEndsWithZero(request))
        frame += '\0';
    return frame;
}

bool requestNamed(std::string_view name, Request& request)
{
    for (Request r :
         {Request::Start, Request::Identify, Request::Count, Request::FirstRecord, Request::NextRecord, Request::End})
        if (name == requestName(r)) {
            request = r;
            return true;
        }
    return false;
}

int recordHeaderTimeoutMs(int announcedCount)
{
    return std::max(1, announcedCount / RecordsPerHeaderTimeoutStep) * RecordHeaderTimeoutMs;
}

// ------------------------------------------------------------ acknowledgement

int acknowledgeStatus(const std::string& frame)
{
    int status = AckOk;
    if (frame.size() < AcknowledgeSize)
        status = AckShort;
    if (frame.size() < AcknowledgeName.size() || !startsWith(frame, AcknowledgeName))
        status = AckNoPrefix;
    if (status == AckOk)
        status = static_cast<unsigned char>(frame[4]);
    return status;
}

std::string acknowledgeFrame(uint8_t status)
{
    std::string frame(AcknowledgeName);
    frame += '\x01';
    frame += char(status);
    return frame;
}

// ------------------------------------------------------------ identification

bool identificationLengthOf(const std::string& head, int& length)
{
    if (head.size() < IdentificationHeaderSize || !startsWith(head, IdentificationName))
        return false;
    length = bigEndianAt(head, 3);
    return true;
}

uint8_t familyCodeOf(unsigned typeCode)
{
    if (typeCode >= 100 && typeCode <= 199)
        typeCode -= 100;
    return uint8_t(typeCode % 256);
}

bool parseIdentification(const std::string& payload, Identification& out)
{
    out = Identification{};
    const size_t size = std::min(payload.size(), IdentificationBufferSize);
    if (size < 2)
        return false;
    out.typeCode = byteAt(payload.data(), 0) | (byteAt(payload.data(), 1) << 8);
    size_t pos = 2;
    for (size_t n = 0; n < out.texts.size(); ++n) {
        std::string& text = out.texts[n];
        // Firm and user data (texts 5 and 6) are kept line by line; every
        // other text is one line of the identification cell.
        const bool oneLine = n != 4 && n != 5;
        while (pos < size) {
            const char c = payload[pos++];
            if (c == 0)
                break;
            if (c == '\n')
                continue;
            text += oneLine ? storedLineByte(c) : c;
        }
    }
    return true;
}

std::string identificationPayload(unsigned typeCode, const std::vector<std::string>& texts)
{
    std::string p;
    p += char(typeCode & 0xff);
    p += char((typeCode >> 8) & 0xff);
    for (const std::string& t : texts) {
        p += t;
        p += '\0';
    }
    return p;
}

std::string identificationFrame(const std::string& payload)
{
    std::string frame(IdentificationName);
    appendBigEndian(frame, int(payload.size()));
    return frame + payload;
}

char storedLineByte(char c)
{
    return c == '\x02' || c == '\n' || c == '\r' ? ' ' : c;
}

std::string cleanInstrumentText(const std::string& text)
{
    std::string s = text;
    for (char& c : s) {
        const auto b = static_cast<unsigned char>(c);
        if ((b < 32 && b != 13) || b >= 128)
            c = ' ';
    }
    return s;
}

// ------------------------------------------------------------ count

bool countOf(const std::string& reply, int& count)
{
    if (reply.size() < CountSize || !startsWith(reply, CountName))
        return false;
    count = bigEndianAt(reply, 4);
    return true;
}

std::string countFrame(int count)
{
    std::string frame(CountName);
    frame += '\0';
    appendBigEndian(frame, count);
    return frame;
}

// ------------------------------------------------------------ record

size_t recordHeaderSize(int lengthWidth)
{
    return RecordName.size() + size_t(lengthWidth == 2 ? 2 : 1);
}

bool recordLengthOf(const std::string& head, int lengthWidth, int& length)
{
    if (head.size() < recordHeaderSize(lengthWidth) || !startsWith(head, RecordName))
        return false;
    length = lengthWidth == 2 ? bigEndianAt(head, 3) : int(byteAt(head.data(), 3));
    return true;
}

std::string recordHeader(int length, int lengthWidth)
{
    std::string head(RecordName);
    if (lengthWidth == 2)
        appendBigEndian(head, length);
    else
        head += char(length);
    return head;
}

std::string recordFrame(const std::string& record, int lengthWidth)
{
    return recordHeader(int(record.size()), lengthWidth) + record;
}

bool isCodedItem(char tag)
{
    return tag == 'R' || tag == 'M' || tag == 'P';
}

Record parseRecord(const char* data, size_t length, int positionDepth)
{
    Record r;
    parseRecord(data, length, positionDepth, r);
    return r;
}

void parseRecord(const char* data, size_t length, int positionDepth, Record& r)
{
    size_t pos = 0;
    auto number = [&]() -> long {
        long v = 0;
        if (pos + 2 <= length)
            v = long(byteAt(data, pos) * 256 + byteAt(data, pos + 1));
        pos += 2;
        return v;
    };
    r.object = positionDepth >= 3 ? number() : 1;
    r.block = number();
    r.element = number();
    r.hasFunction = pos < length;
    r.function = r.hasFunction ? uint8_t(data[pos++]) : 0;
    size_t count = 0;
    while (pos < length) {
        const char tag = data[pos++];
        uint8_t quantity = 0, unit = 0;
        if (isCodedItem(tag)) {
            if (pos + 2 > length)
                break;
            quantity = uint8_t(data[pos]);
            unit = uint8_t(data[pos + 1]);
            pos += 2;
        }
        const void* zero = std::memchr(data + pos, 0, length - pos);
        if (!zero)
            break; // the text runs past the record's end
        const size_t end = size_t(static_cast<const char*>(zero) - data);
        if (count == r.items.size())
            r.items.emplace_back();
        RecordItem& item = r.items[count++];
        item.tag = tag;
        item.quantity = quantity;
        item.unit = unit;
        item.text.assign(data + pos, end - pos);
        pos = end + 1;
    }
    r.items.resize(count);
}

std::string recordItemBytes(const RecordItem& item)
{
    std::string bytes(1, item.tag);
    if (isCodedItem(item.tag)) {
        bytes += char(item.quantity);
        bytes += char(item.unit);
    }
    bytes += item.text;
    bytes += '\0';
    return bytes;
}

std::string recordBytes(const Record& record, int positionDepth)
{
    std::string bytes;
    if (positionDepth >= 3)
        appendBigEndian(bytes, int(record.object));
    appendBigEndian(bytes, int(record.block));
    appendBigEndian(bytes, int(record.element));
    if (record.hasFunction)
        bytes += char(record.function);
    for (const RecordItem& item : record.items)
        bytes += recordItemBytes(item);
    return bytes;
}

ResultCells resultRowOf(const Record& record, int functionTextBase, const std::string& functionName)
{
    ResultCells cells;
    const long a = record.object, b = record.block, e = record.element;
    auto cellOf = [&cells](ResultColumn column) -> std::string& { return cells[size_t(column)]; };
    cellOf(ResultColumn::Position) = std::to_string(a) + '\r' + std::to_string(b) + '\r' + std::to_string(e);
    cellOf(ResultColumn::Names) = pad3(a) + '\r' + pad3(b) + '\r' + pad3(e) + "\r6,13";
    if (record.hasFunction) {
        std::string& cell = cellOf(ResultColumn::Function);
        cell = std::to_string(functionTextBase + long(record.function)) + '\r';
        cell.reserve(cell.size() + functionName.size());
        for (char c : functionName)
            cell += c == '$' ? '\r' : c;
    }
    for (const RecordItem& item : record.items) {
        // Each item is one line of its cell, written straight into it.
        std::string& cell = cellOf(columnOfTag(static_cast<unsigned char>(item.tag)));
        if (!cell.empty())
            cell += '\r';
        if (isCodedItem(item.tag)) {
            cell += pad3(functionTextBase + long(item.quantity));
            cell += pad3(functionTextBase + long(item.unit));
        }
        for (char c : item.text)
            if (c != ' ')
                cell += storedLineByte(c);
    }
    return cells;
}

} // namespace zentrova
