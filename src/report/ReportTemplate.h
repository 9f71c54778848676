// SPDX-License-Identifier: MIT
#pragma once

#include "report/ReportBand.h"
#include "report/ReportVariable.h"

#include <QList>
#include <QSizeF>

// A report template: the paper, the design page that maps onto it, the bands
// with their text objects, and the variables asked from the program.
// The design page covers the whole paper: design units are a fixed fraction
// of the paper width (paper width / designWidth), the same both ways.
class ReportTemplate
{
public:
    QSizeF paperSize{210, 297}; // millimetres, as oriented
    qreal designWidth = 752;
    QList<ReportBand> bands;
    QList<ReportVariable> variables;

    qreal designHeight() const { return designWidth * paperSize.height() / paperSize.width(); }
    // Design units per printed point (1/72 inch).
    qreal unitsPerPoint() const { return designWidth / (paperSize.width() / 25.4 * 72); }

    const ReportBand* band(ReportBand::Type type) const
    {
        for (const ReportBand& b : bands)
            if (b.type == type)
                return &b;
        return nullptr;
    }
    const ReportVariable* variable(const QString& name) const
    {
        for (const ReportVariable& v : variables)
            if (v.name == name)
                return &v;
        return nullptr;
    }
};
