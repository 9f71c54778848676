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

class UserDataSet;

// Lays a template out on pages over a data set, in two passes: the first
// counts the pages, the second fills [TOTALPAGES] with that count. When only
// page footers show the count, as is usual, the first pass lays out the
// pages but for their footers, and the second lays out just the footers.
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
    // Told after each record of each pass over the data set how many records
    // of all passes are done, of how many; returning false stops the
    // preparation.
    using ProgressCallback = std::function<bool(qint64 done, qint64 total)>;

    // Gap between a text object's edges and its text, in design units.
    static constexpr qreal TextInsetX = 2;
    static constexpr qreal TextInsetY = 1;

    // The data set may be null: no records. Bracketed variables that are not
    // the engine's own are asked from onGetValue, with the data set standing
    // at the record being laid out, once per record and variable: a second
    // pass over the data set reuses the values of the first.
    ReportPreparer(const ReportTemplate& reportTemplate, UserDataSet* dataSet,
                   ValueCallback onGetValue, ProgressCallback onProgress = {});

    // Raises ReportError (a bad condition), or whatever onGetValue raises.
    // Empty when onProgress stopped it (a prepared report has a page at least).
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
    // The first of two passes over the data set only counts the pages.
    bool counting() const { return m_totalAbove && m_totalPages == 0; }
    bool progressed();
    void startPage();
    void finishPage(bool last);
    void addFooters();
    void addFooter(qsizetype index, bool last);
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
    ProgressCallback m_onProgress;
    qreal m_unitsPerPoint;
    QHash<const ReportMemo*, MemoStyle> m_styles;

    QList<ReportPage> m_pages;
    bool m_totalAbove = false; // [TOTALPAGES] shows outside the page footer
    int m_totalPages = 0;      // 0 while not known
    int m_page = 0;            // the number of the page being laid out
    qreal m_edge = 0;          // blank at the top and bottom of every page
    qreal m_footerTop = 0;     // data bands end above this
    qreal m_y = 0;             // where the next band goes
    bool m_movable = false;    // the page holds more than its header
    bool m_pageBound = false;  // the band being laid out shows a page number

    // The values of the data line m_valuesLine, and in the first of two
    // passes over the data set those of every line, for the second.
    Values m_lineValues;
    int m_valuesLine = 0;
    QHash<int, Values> m_keptValues;
    qint64 m_done = 0;  // records laid out in all passes
    qint64 m_steps = 0; // records of all passes
};
