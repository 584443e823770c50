// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Zentrova developers
#pragma once
#include "history/HistoryArchive.h"

class QChart;

namespace zentrova {

struct StructureContext;

// A measuring point's values of one quantity over the inspections, on a time
// axis of the inspection dates: resistances (samples in ohms) on a
// logarithmic axis with their limit Rlim drawn as a dashed line, other
// quantities on a linear one. A PI or DAR trend lies over its rating bands,
// shaded and named at the right edge as advice. A value the instrument gave
// as a bound ("<" or ">") is drawn at the bound with a triangle on it. The
// caller owns the chart.
QChart* makeTrendChart(const StructureContext& ctx, const Trend& trend);

// Whether the trend's values are resistances (drawn on a logarithmic axis).
bool isResistanceTrend(const Trend& trend);

} // namespace zentrova
