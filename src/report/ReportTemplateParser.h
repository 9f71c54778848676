// SPDX-License-Identifier: MIT
#pragma once

#include "report/ReportTemplate.h"

#include <QString>

// Reads report templates in the engine's text format (described in
// ReportTemplateParser.cpp). Errors raise ReportError naming the line.
class ReportTemplateParser
{
public:
    static ReportTemplate parse(const QString& text);
    // Reads a file or a resource (":/report/list.rpt").
    static ReportTemplate load(const QString& path);
};
