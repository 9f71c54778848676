// SPDX-License-Identifier: MIT
#pragma once

#include "report/ReportMemo.h"

#include <QList>
#include <QString>

// A band of a template: a strip across the page printed as a whole, once
// (report title), per page (page header and footer) or per record (data).
class ReportBand
{
public:
    enum class Type { ReportTitle, PageHeader, MasterData, PageFooter };

    QString name;
    Type type = Type::MasterData;
    qreal top = 0; // on the design page
    qreal height = 0;
    bool onFirstPage = true; // page header and footer
    bool onLastPage = true;  // page footer
    QList<ReportMemo> memos; // in drawing order, later ones on top
};
