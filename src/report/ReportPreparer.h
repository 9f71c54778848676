// SPDX-License-Identifier: MIT
#pragma once

#include "report/ReportPage.h"
#include "report/ReportTemplate.h"
#include "report/ReportTextLayout.h"
#include "report/ReportTextMeasure.h"

#include <QHash>
#include <QList>
#include <QPair>
#include <QVariant>
#include <functional>
#include <memory>
#include <optional>
#include <vector>

class UserDataSet;

// Lays a template out on pages over a data set, in two passes: the first
// counts the pages, the second fills [TOTALPAGES] with that count. The first
// pass keeps its data bands, so the second only places them again.
//
// Page layout: the title band once at the top of the first page, then the
// page header (every page, the first one if the band says so), then one data
// band per record; the page footer sits at the bottom of every page. The
// blank above the topmost band of the design page is kept above the first
// band of every page and below the footer, so nothing is printed on the very
// edge of the paper. When a band's text objects stretch, the band grows to
// hold them, and all its stretching objects grow with it. A data band that does not fit above the
// footer moves to a new page; one that does not fit even on a new page is cut at the footer.
class ReportPreparer
{
public:
    using ValueCallback = std::function<void(const QString& name, QVariant& value)>;

    // Gap between a text object's edges and its text, in design units.
    static constexpr qreal TextInsetX = 2;
    static constexpr qreal TextInsetY = 1;

    // The data set may be null: no records. Bracketed variables that are not
    // the engine's own are asked from onGetValue, with the data set standing
    // at the record being laid out: once per record and variable, in the
    // first pass; the second pass reuses what the first one laid out.
    ReportPreparer(const ReportTemplate& reportTemplate, UserDataSet* dataSet,
                   ValueCallback onGetValue);

    // Raises ReportError (a bad condition), or whatever onGetValue raises.
    QList<ReportPage> prepare();

private:
    struct LaidBand {
        QList<ReportItem> items; // in band coordinates
        qreal height = 0;
        bool onPage = false; // shows [Page#] or [TOTALPAGES]
    };

    // The font of a text object and what measures its texts (one for all
    // objects of a font), made once.
    struct MemoStyle {
        QFont font; // as printed
        std::shared_ptr<ReportTextMeasure> measure;
    };

    // A text object's text, laid out, in band coordinates.
    struct MemoText {
        const ReportMemo* memo;
        const MemoStyle* style;
        QString text;
        QRectF rect;
        ReportTextLayout lines;
    };

    using Values = QList<QPair<QString, QString>>;

    bool pass(int totalPages);
    bool counting() const { return m_totalPages == 0; }
    LaidBand dataBand(const ReportBand& band, int line);
    void keep(const LaidBand& band, int line);
    void startPage();
    void finishPage(bool last);
    void placeBand(LaidBand band);
    LaidBand layoutBand(const ReportBand& band, int line);
    void emitMemo(const MemoText& text, int line, LaidBand& out);
    QString expand(const QString& text, int line);
    QString value(const QString& name, int line);
    QString recordValue(const QString& name, int line);
    QString askedValue(const QString& name);

    const ReportTemplate& m_tpl;
    UserDataSet* m_dataSet;
    ValueCallback m_onGetValue;
    qreal m_unitsPerPoint;
    QHash<const ReportMemo*, MemoStyle> m_styles;

    QList<ReportPage> m_pages;
    int m_totalPages = 0;     // 0 in the first pass, which only counts pages
    qreal m_edge = 0;         // blank at the top and bottom of every page
    qreal m_footerTop = 0;    // data bands end above this
    qreal m_y = 0;            // where the next band goes
    bool m_movable = false;   // the page holds more than its header
    bool m_pageBound = false; // the band being laid out shows a page number

    // The first pass's data bands, by line, for the second pass; a band that
    // shows a page number is laid out again there, from the values kept.
    std::vector<std::optional<LaidBand>> m_kept;
    QHash<int, Values> m_keptValues;
    Values m_lineValues; // of the data line m_valuesLine
    int m_valuesLine = 0;
};
