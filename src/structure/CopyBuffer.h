// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Zentrova developers
#pragma once
#include <cstdint>
#include <string>

namespace zentrova {

// The row buffer behind the results grid's Copy: text lines separated by
// CR LF, at most 30500 bytes. A byte 255 is kept as 255 255 and a byte 0 as
// 255 254, so the buffer never holds a bare 0.
class CopyBuffer {
public:
    static constexpr size_t Capacity = 30500;
    static constexpr size_t StopAfter = 30010; // appends stop once past this
    static constexpr size_t SuccessBelow = 30001;

    void clear() { buffer_.clear(); }
    // Appends with the escape rule; true when the buffer stays below 30001 bytes.
    bool append(const std::string& text);
    const std::string& bytes() const { return buffer_; }

    // One grid cell as spreadsheets take it on paste: a cell with line breaks
    // goes in double quotes with its lines joined by LF (a quote inside it
    // doubled), so its lines stay in one cell instead of landing on rows of
    // their own. Any other cell is written as it is.
    static std::string cellText(const std::string& cell);
    uint16_t length() const { return uint16_t(buffer_.size()); }

private:
    std::string buffer_;
};

} // namespace zentrova
