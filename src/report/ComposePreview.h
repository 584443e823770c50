// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Zentrova developers
#pragma once
#include <QString>

#include <array>
#include <optional>
#include <string_view>
#include <utility>

namespace zentrova {

// The preview's zoom list: twelve percent steps, then "Page Width" and
// "Whole Page" (texts from the language file).
inline constexpr std::array<int, 12> ZoomSteps{25, 50, 75, 100, 125, 150, 175, 200, 250, 300, 350, 400};
inline constexpr int ZoomPageWidth = 12;
inline constexpr int ZoomWholePage = 13;
inline constexpr int ZoomDefaultIndex = 3; // 100%
// A typed zoom is kept within these bounds: at 0 % there is nothing to see,
// and far beyond 400 % a page is wider than any screen can scroll sensibly.
inline constexpr int ZoomMin = 10;
inline constexpr int ZoomMax = 1000;

// The number the zoom box stands for: the digits of its text, 0 when it has
// none (the two fitting entries).
int zoomValue(const QString& text);
// A zoom typed by the user: its digits, bounded; nothing when it has none.
std::optional<int> typedZoom(const QString& text);
// The step the zoom buttons go to from `value`: the first step above it
// (the last step when none is), or the last step below it (the first when
// none is).
int zoomInIndex(int value);
int zoomOutIndex(int value);

// Which paging and zoom buttons can be used.
struct NavigationState {
    bool first = false, previous = false, next = false, last = false;
    bool zoomIn = false, zoomOut = false;
};
NavigationState navigation(int page, int pageCount, int zoomValue);

// The page indicator: "3 of 12", with "of" in the user's language.
QString pageIndicator(int page, int pageCount, const QString& of);

// A page typed into the page box: the first number in the text (so that
// "7 of 12" goes to page 7), kept within 1..pageCount; nothing when the text
// has no digits or there are no pages.
std::optional<int> typedPage(const QString& text, int pageCount);

// The pages to print from the two texts of the page range dialog (each read
// as the number its digits form): nothing unless 1 <= from <= to <= count.
std::optional<std::pair<int, int>> pagesToPrint(std::string_view from, std::string_view to, int pageCount);

} // namespace zentrova
