// SPDX-License-Identifier: MIT
#pragma once

#include "report/ReportPage.h"

#include <QDialog>
#include <QList>
#include <functional>

class QComboBox;
class QPrinter;
class QPushButton;
class QScrollArea;
class ReportPageView;

// The modal preview of a prepared report: the pages at a chosen zoom, and
// only the zoom, print and exit controls.
class ReportPreview : public QDialog
{
    Q_OBJECT

public:
    explicit ReportPreview(const QList<ReportPage>& pages, QWidget* parent = nullptr);

    // Whether the system has a printer. Tests install their answer; an empty
    // function asks the printing system again.
    using PrinterCheck = std::function<bool()>;
    static void setPrinterCheck(PrinterCheck check);

    // Zoom entries: a factor of the real size, or one of these fits.
    static constexpr qreal FitWidth = -1;
    static constexpr qreal FitPage = -2;

    QComboBox* CmbZoom;
    QPushButton* BtnPrint;
    QPushButton* BtnExit;
    QScrollArea* ScrollBox;
    ReportPageView* PageView;

    // Screen pixels per design unit at the chosen zoom.
    qreal scale() const;

    void CmbZoomChange();
    // Opens the print dialog; without a printer the button is disabled and
    // says why.
    void BtnPrintClick();
    // Prints the pages the printer's range names, one per sheet; repeats them
    // for copies the printer cannot make itself. False when printing failed.
    bool printTo(QPrinter& printer) const;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    QList<ReportPage> m_pages;
};
