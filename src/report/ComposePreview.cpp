// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Zentrova developers
#include "report/ComposePreview.h"

#include "base/TextRules.h"

#include <algorithm>

namespace zentrova {

namespace {
bool hasDigit(const QString& text)
{
    return std::any_of(text.begin(), text.end(), [](QChar c) { return c >= u'0' && c <= u'9'; });
}
} // namespace

int zoomValue(const QString& text)
{
    return int(digitsValue(text.toLatin1().toStdString()));
}

std::optional<int> typedZoom(const QString& text)
{
    if (!hasDigit(text))
        return std::nullopt;
    return std::clamp(zoomValue(text), ZoomMin, ZoomMax);
}

int zoomInIndex(int value)
{
    for (size_t i = 0; i < ZoomSteps.size(); ++i)
        if (ZoomSteps[i] > value)
            return int(i);
    return int(ZoomSteps.size()) - 1;
}

int zoomOutIndex(int value)
{
    for (size_t i = ZoomSteps.size(); i-- > 0;)
        if (ZoomSteps[i] < value)
            return int(i);
    return 0;
}

NavigationState navigation(int page, int pageCount, int zoomValue)
{
    NavigationState s;
    s.first = s.previous = page > 1;
    s.next = s.last = page < pageCount;
    s.zoomIn = zoomValue < ZoomSteps.back();
    s.zoomOut = zoomValue > ZoomSteps.front();
    return s;
}

QString pageIndicator(int page, int pageCount, const QString& of)
{
    return QString::number(page) + u' ' + of + u' ' + QString::number(pageCount);
}

std::optional<int> typedPage(const QString& text, int pageCount)
{
    qsizetype i = 0;
    while (i < text.size() && !(text[i] >= u'0' && text[i] <= u'9'))
        ++i;
    if (i == text.size() || pageCount < 1)
        return std::nullopt;
    long long value = 0;
    for (; i < text.size() && text[i] >= u'0' && text[i] <= u'9'; ++i)
        value = std::min<long long>(value * 10 + (text[i].unicode() - u'0'), pageCount);
    return int(std::clamp<long long>(value, 1, pageCount));
}

std::optional<std::pair<int, int>> pagesToPrint(std::string_view from, std::string_view to, int pageCount)
{
    const long f = digitsValue(from), t = digitsValue(to);
    if (f == 0 || t < f || t > pageCount)
        return std::nullopt;
    return std::make_pair(int(f), int(t));
}

} // namespace zentrova
