// SPDX-License-Identifier: MIT
#pragma once

#include "Measure.h"

#include <QString>

// The lines sprav_bench prints on standard output: "# what was measured",
// "name median_ms p95_ms" and "name value".
namespace Lines
{
void info(const QString& text);
void figure(const QString& name, const Measure::Figures& f);
void value(const QString& name, double v);
void text(const QString& line);
} // namespace Lines
