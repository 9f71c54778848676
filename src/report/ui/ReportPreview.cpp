// SPDX-License-Identifier: MIT
#include "report/ui/ReportPreview.h"
#include "common/ui/Prompts.h"
#include "report/ReportRenderer.h"
#include "report/ui/ReportPageView.h"

#include <QComboBox>
#include <QEvent>
#include <QGuiApplication>
#include <QHBoxLayout>
#include <QPageLayout>
#include <QPrintDialog>
#include <QPrinter>
#include <QPrinterInfo>
#include <QPushButton>
#include <QScreen>
#include <QScrollArea>
#include <QScrollBar>
#include <QVBoxLayout>

namespace
{

QPageLayout sheetLayout(const ReportPage& page)
{
    const QSizeF paper = page.paperSize.isEmpty() ? QSizeF(210, 297) : page.paperSize;
    const bool landscape = paper.width() > paper.height();
    QPageLayout layout(QPageSize(landscape ? paper.transposed() : paper, QPageSize::Millimeter,
                                 QString(), QPageSize::FuzzyMatch),
                       landscape ? QPageLayout::Landscape : QPageLayout::Portrait, QMarginsF(),
                       QPageLayout::Millimeter);
    layout.setMode(QPageLayout::FullPageMode);
    return layout;
}

ReportPreview::PrinterCheck& printerCheck()
{
    static ReportPreview::PrinterCheck check;
    return check;
}

bool hasPrinter()
{
    if (printerCheck())
        return printerCheck()();
    return !QPrinterInfo::availablePrinterNames().isEmpty();
}

} // namespace

void ReportPreview::setPrinterCheck(PrinterCheck check)
{
    printerCheck() = std::move(check);
}

ReportPreview::ReportPreview(const QList<ReportPage>& pages, QWidget* parent)
    : QDialog(parent), m_pages(pages)
{
    setObjectName(QStringLiteral("ReportPreview"));
    setWindowTitle(QStringLiteral("Предварительный просмотр"));
    setWindowFlag(Qt::WindowMaximizeButtonHint);
    setSizeGripEnabled(true);

    CmbZoom = new QComboBox(this);
    CmbZoom->setObjectName(QStringLiteral("CmbZoom"));
    CmbZoom->addItem(QStringLiteral("По ширине страницы"), FitWidth);
    CmbZoom->addItem(QStringLiteral("Страница целиком"), FitPage);
    for (const int percent : {50, 75, 100, 150, 200})
        CmbZoom->addItem(QStringLiteral("%1%").arg(percent), percent / 100.0);
    CmbZoom->setSizeAdjustPolicy(QComboBox::AdjustToContents);

    BtnPrint = new QPushButton(QStringLiteral("Печать..."), this);
    BtnPrint->setObjectName(QStringLiteral("BtnPrint"));
    BtnPrint->setShortcut(QKeySequence::Print);
    BtnPrint->setAutoDefault(false);
    const bool printer = hasPrinter();
    BtnPrint->setEnabled(!m_pages.isEmpty() && printer);
    if (!printer)
        BtnPrint->setToolTip(QStringLiteral("Печать невозможна: в системе не установлен принтер"));

    BtnExit = new QPushButton(QStringLiteral("Закрыть"), this);
    BtnExit->setObjectName(QStringLiteral("BtnExit"));
    BtnExit->setAutoDefault(false);

    PageView = new ReportPageView(m_pages);
    PageView->setObjectName(QStringLiteral("PageView"));
    ScrollBox = new QScrollArea(this);
    ScrollBox->setObjectName(QStringLiteral("ScrollBox"));
    ScrollBox->setBackgroundRole(QPalette::Dark);
    ScrollBox->setAlignment(Qt::AlignHCenter | Qt::AlignTop);
    ScrollBox->setWidget(PageView);
    ScrollBox->viewport()->installEventFilter(this);

    auto* bar = new QHBoxLayout;
    bar->addWidget(CmbZoom);
    bar->addWidget(BtnPrint);
    bar->addWidget(BtnExit);
    bar->addStretch();
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(bar);
    layout->addWidget(ScrollBox, 1);

    connect(CmbZoom, &QComboBox::currentIndexChanged, this, &ReportPreview::CmbZoomChange);
    connect(BtnPrint, &QPushButton::clicked, this, &ReportPreview::BtnPrintClick);
    connect(BtnExit, &QPushButton::clicked, this, &QDialog::reject);

    const QScreen* screen = parent ? parent->screen() : QGuiApplication::primaryScreen();
    if (screen) {
        const QSize available = screen->availableSize();
        resize(available.width() * 3 / 4, available.height() * 7 / 8);
    } else {
        resize(900, 700);
    }
    // Keys scroll the pages rather than change the zoom.
    ScrollBox->setFocus();
    CmbZoomChange();
}

qreal ReportPreview::scale() const
{
    if (m_pages.isEmpty())
        return 1;
    const ReportPage& page = m_pages.front();
    const qreal zoom = CmbZoom->currentData().toDouble();
    const QSize viewport = ScrollBox->maximumViewportSize();
    const qreal gaps = 2 * ReportPageView::Gap;
    const qreal widthFit =
        (viewport.width() - gaps - ScrollBox->verticalScrollBar()->sizeHint().width()) /
        page.size.width();
    if (zoom == FitWidth)
        return std::max<qreal>(widthFit, 0.05);
    if (zoom == FitPage)
        return std::max<qreal>(std::min((viewport.width() - gaps) / page.size.width(),
                                        (viewport.height() - gaps) / page.size.height()),
                               0.05);
    // The real size: the paper's millimetres at the screen's resolution.
    const qreal pixelsPerMm = logicalDpiX() / 25.4;
    return zoom * page.paperSize.width() * pixelsPerMm / page.size.width();
}

void ReportPreview::CmbZoomChange()
{
    PageView->setScale(scale());
}

bool ReportPreview::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == ScrollBox->viewport() && event->type() == QEvent::Resize &&
        CmbZoom->currentData().toDouble() < 0)
        PageView->setScale(scale());
    return QDialog::eventFilter(watched, event);
}

void ReportPreview::BtnPrintClick()
{
    if (!BtnPrint->isEnabled())
        return;
    QPrinter printer(QPrinter::HighResolution);
    printer.setPageLayout(sheetLayout(m_pages.front()));
    printer.setFullPage(true);
    QPrintDialog dialog(&printer, this);
    dialog.setOptions(QAbstractPrintDialog::PrintToFile | QAbstractPrintDialog::PrintPageRange |
                      QAbstractPrintDialog::PrintCollateCopies |
                      QAbstractPrintDialog::PrintShowPageSize);
    dialog.setMinMax(1, int(m_pages.size()));
    if (dialog.exec() != QDialog::Accepted)
        return;
    if (!printTo(printer))
        Prompts::instance().error(this, QStringLiteral("Не удалось напечатать отчёт."));
}

bool ReportPreview::printTo(QPrinter& printer) const
{
    QList<ReportPage> chosen;
    const bool ranged = printer.printRange() == QPrinter::PageRange;
    const QPageRanges ranges = printer.pageRanges();
    for (int number = 1; number <= m_pages.size(); ++number) {
        if (ranged && !ranges.isEmpty() && !ranges.contains(number))
            continue;
        if (ranged && ranges.isEmpty() && printer.fromPage() > 0 &&
            (number < printer.fromPage() || number > printer.toPage()))
            continue;
        chosen.append(m_pages[number - 1]);
    }
    if (chosen.isEmpty())
        return true;
    const int copies = printer.supportsMultipleCopies() ? 1 : std::max(printer.copyCount(), 1);
    QList<ReportPage> sheets;
    if (printer.collateCopies()) {
        for (int c = 0; c < copies; ++c)
            sheets += chosen;
    } else {
        for (const ReportPage& page : chosen)
            for (int c = 0; c < copies; ++c)
                sheets.append(page);
    }
    return ReportRenderer::render(sheets, printer);
}
