// SPDX-License-Identifier: MIT
#pragma once

#include "report/ReportItem.h"

#include <QList>
#include <QSizeF>
#include <QStringList>

// A prepared page: positioned drawing items in design units, and the paper
// the design page maps onto.
class ReportPage
{
public:
    QSizeF size;      // design units
    QSizeF paperSize; // millimetres
    QList<ReportItem> items;

    QList<ReportItem> itemsOf(const QString& object,
                              ReportItem::Kind kind = ReportItem::Kind::Text) const
    {
        QList<ReportItem> found;
        for (const ReportItem& item : items)
            if (item.object == object && item.kind == kind)
                found.append(item);
        return found;
    }
    QStringList texts(const QString& object) const
    {
        QStringList found;
        for (const ReportItem& item : itemsOf(object))
            found.append(item.text);
        return found;
    }
};
