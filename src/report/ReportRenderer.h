// SPDX-License-Identifier: MIT
#pragma once

#include "report/ReportPage.h"

#include <QImage>
#include <QList>
#include <QRectF>

class QPagedPaintDevice;
class QPainter;

// Paints prepared pages: onto any painter (the preview), one page per sheet
// onto a printer or a PDF writer, or into an image.
class ReportRenderer
{
public:
    // Paints the page's items scaled into target (painter coordinates); the
    // page background is left to the caller.
    static void paintPage(QPainter& painter, const ReportPage& page, const QRectF& target);
    // One page per sheet, each fitted into the whole sheet. False when the
    // device cannot be painted on.
    static bool render(const QList<ReportPage>& pages, QPagedPaintDevice& device);
    // A PDF on the template's paper without margins.
    static bool writePdf(const QList<ReportPage>& pages, const QString& fileName);
    // The page on white, `width` pixels wide.
    static QImage renderImage(const ReportPage& page, int width);
    // The largest rectangle of the page's proportions in `area`, centred across.
    static QRectF fitted(const ReportPage& page, const QRectF& area);
};
