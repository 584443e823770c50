// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Zentrova developers
#pragma once
// The instrument's wire protocol: the requests the program sends, the layout
// of every reply, the time-outs the instrument keeps to, and pure functions
// over bytes that build and read each frame. The program decodes with these;
// the simulator and the scripted test port answer with the encoders, so both
// sides of every test speak the same bytes.
//
// Only the standard library here: the simulator builds this file on its own.

#include <array>
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace zentrova {

// ------------------------------------------------------------ requests
//
// Every request is its three-letter name; "MRD" and "MEX" are followed by a
// byte 0.
//
//   MRD  start an exchange          reply: acknowledgement
//   MWH  who is there               reply: identification
//   MNU  how many records           reply: count
//   MSS  records from the first     reply: acknowledgement
//   MRE  the next record            reply: record
//   MEX  end the exchange           reply: acknowledgement
enum class Request { Start, Identify, Count, FirstRecord, NextRecord, End };

constexpr size_t RequestNameSize = 3;
// "MRD", "MWH", ...
std::string_view requestName(Request request);
// The bytes sent for a request: the name, and the byte 0 after "MRD" and "MEX".
std::string requestFrame(Request request);
// Whether a request's name is followed by a byte 0.
bool requestEndsWithZero(Request request);
// The request with this name; false for any other three bytes.
bool requestNamed(std::string_view name, Request& request);

// ------------------------------------------------------------ time-outs
//
// Each is the longest pause between two bytes of a reply: a wait restarts with
// every byte that arrives.

// The acknowledgement of "MRD" while the program starts an exchange, and while
// the automatic search tries a port and rate.
constexpr int StartAcknowledgeTimeoutMs = 3000;
constexpr int SearchAcknowledgeTimeoutMs = 2000;
// The acknowledgements of "MSS" and "MEX".
constexpr int AcknowledgeTimeoutMs = 1000;
// The identification's head and its payload.
constexpr int IdentificationTimeoutMs = 1000;
// The count.
constexpr int CountTimeoutMs = 10000;
// A record's head: RecordHeaderTimeoutMs once for every whole
// RecordsPerHeaderTimeoutStep records the instrument announced, at least once.
constexpr int RecordHeaderTimeoutMs = 1000;
constexpr int RecordsPerHeaderTimeoutStep = 250;
int recordHeaderTimeoutMs(int announcedCount);
// A record's body, once its head came.
constexpr int RecordBodyTimeoutMs = 1000;

// ------------------------------------------------------------ acknowledgement
//
// "SER" frame, 5 bytes:
//   0..2  "SER"
//   3     not looked at
//   4     status: 0 accepted, otherwise the instrument's error code
constexpr size_t AcknowledgeSize = 5;

// Acknowledgement statuses besides the instrument's own codes.
enum AcknowledgeStatus : int {
    AckOk = 0,
    AckShort = 1,    // "SER" arrived but fewer than 5 bytes
    AckNoPrefix = 2, // the first three bytes were not "SER" (or fewer than three came)
};
// The status of a received acknowledgement (as many bytes as came): AckOk,
// AckShort, AckNoPrefix, or byte 4.
int acknowledgeStatus(const std::string& frame);
std::string acknowledgeFrame(uint8_t status = AckOk);

// ------------------------------------------------------------ identification
//
// "SWH" frame:
//   0..2  "SWH"
//   3..4  payload length, high byte first
//   5..   payload:
//           0..1  type code, LOW byte first
//           2..   up to ten texts, each ended by a byte 0
constexpr size_t IdentificationHeaderSize = 5;
// The identification buffer: a longer payload is read whole (so the next
// reply starts where it should) and what lies past this is not looked at.
constexpr size_t IdentificationBufferSize = 400;

// The payload length of an identification head; false when it is not "SWH".
bool identificationLengthOf(const std::string& head, int& length);

// The type code less 100 when it lies in 100..199, modulo 256: 114 and 14
// give 14; 370 gives 114.
uint8_t familyCodeOf(unsigned typeCode);

struct Identification {
    unsigned typeCode = 0;
    // Texts 1..10 at [0..9]: 1-3 instrument lines, 4 serial number, 5 firm
    // data, 6 user data, 7-10 instrument lines 4-7. Line feeds are dropped;
    // in the one-line texts (all but 5 and 6) a CR or a byte 2 is a space.
    std::array<std::string, 10> texts;
};
// Reads an identification payload. Only the first IdentificationBufferSize
// bytes count. False when it is too short to hold the type code.
bool parseIdentification(const std::string& payload, Identification& out);

std::string identificationPayload(unsigned typeCode, const std::vector<std::string>& texts);
std::string identificationFrame(const std::string& payload);

// A byte of an instrument's text that is one line of a result cell: the
// structure file stores a line break as byte 2 and ends its lines with CR LF,
// so bytes 2, 10 and 13 become a space; any other byte stays.
char storedLineByte(char c);

// Every byte below 32 other than CR, and every byte of 128 and above, turned
// into a space: firm and user data as they are kept and shown.
std::string cleanInstrumentText(const std::string& text);

// ------------------------------------------------------------ count
//
// "SNU" frame, 6 bytes:
//   0..2  "SNU"
//   3     not looked at
//   4..5  number of records, high byte first
constexpr size_t CountSize = 6;

// The count of a whole "SNU" reply; false for any other reply.
bool countOf(const std::string& reply, int& count);
std::string countFrame(int count);

// ------------------------------------------------------------ record
//
// "SRE" frame:
//   0..2    "SRE"
//   3       record length (3..4, high byte first, for a profile whose
//           resultLengthWidth is 2); 0: no more records
//   4 (5).. the record
//
// The record:
//   [object high, object low]  only when the profile's positionDepth is 3
//   block high, block low
//   element high, element low
//   function                    its name is function text base + this byte
//   items, to the record's end:
//     'R', 'M' or 'P', quantity, unit, text, 0    result, measured value, parameter
//     'D' or 'T', text, 0                          date, time
//     any other byte, text, 0                      a further line of the function
//   The instrument pads its texts with spaces.

// The head's size for a length of `lengthWidth` bytes (1 or 2).
size_t recordHeaderSize(int lengthWidth);
// The record length of a record head; false when it is not "SRE".
bool recordLengthOf(const std::string& head, int lengthWidth, int& length);
std::string recordHeader(int length, int lengthWidth = 1);
std::string recordFrame(const std::string& record, int lengthWidth = 1);

// Whether an item with this tag carries a quantity and a unit.
bool isCodedItem(char tag);

struct RecordItem {
    char tag = 0;
    uint8_t quantity = 0; // coded items only
    uint8_t unit = 0;     // coded items only
    std::string text;
};

struct Record {
    long object = 1; // 1 when the profile's position has no object
    long block = 0;
    long element = 0;
    bool hasFunction = false;
    uint8_t function = 0;
    std::vector<RecordItem> items;
};

// Reads a record. A record too short for its position reads the missing
// numbers as 0 and one without a function byte has no function; an item that
// runs past the record's end ends the reading, without that item.
Record parseRecord(const char* data, size_t length, int positionDepth);
// The same into `into`, reusing its storage: decoding a long transfer then
// allocates nothing per record.
void parseRecord(const char* data, size_t length, int positionDepth, Record& into);
std::string recordBytes(const Record& record, int positionDepth);
std::string recordItemBytes(const RecordItem& item);

// The cells of one result row, as the result table holds them.
constexpr int ResultColumnCount = 10;
using ResultCells = std::array<std::string, ResultColumnCount>;

// The result row of a record: column 1 the position, column 2 the element
// names (the numbers in three digits), column 3 the function's number and
// `functionName` (a '$' in it starts a new line), columns 4..8 the items by
// tag, one line each; a coded item starts with its quantity and unit numbers
// in three digits. Numbers are the received bytes plus `functionTextBase`.
ResultCells resultRowOf(const Record& record, int functionTextBase, const std::string& functionName);

} // namespace zentrova
