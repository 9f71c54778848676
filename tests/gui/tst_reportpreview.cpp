// SPDX-License-Identifier: MIT
#include "ScriptedPrompts.h"
#include "report/UserDataSet.h"
#include "report/ui/Report.h"
#include "report/ui/ReportPageView.h"
#include "report/ui/ReportPreview.h"

#include <QAbstractButton>
#include <QAbstractSpinBox>
#include <QComboBox>
#include <QLineEdit>
#include <QPrintDialog>
#include <QPrinter>
#include <QProcess>
#include <QProgressDialog>
#include <QPushButton>
#include <QScrollArea>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTimer>
#include <QtTest>

class TestReportPreview : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void cleanup();
    void onlyZoomPrintAndExit();
    void printNeedsAPrinter();
    void zoomChangesTheScale();
    void printsTheChosenPages();
    void printOpensThePrintDialog();
    void showReportIsModalAndExitCloses();
    void failedPreparationShowsAnErrorBox();
    void longPreparationShowsProgressAndCancels();

private:
    QList<ReportPage> pages(int rows);
    int m_rows = 0;
    UserDataSet m_dataSet;
    Report m_report;
};

namespace
{

QString pdfText(const QString& pdf)
{
    QProcess process;
    process.start(QStandardPaths::findExecutable(QStringLiteral("pdftotext")),
                  {QStringLiteral("-enc"), QStringLiteral("UTF-8"), pdf, QStringLiteral("-")});
    if (!process.waitForFinished(60000) || process.exitCode() != 0)
        return QString();
    return QString::fromUtf8(process.readAllStandardOutput());
}

void selectZoom(QComboBox* combo, const QString& text)
{
    const int index = combo->findText(text);
    QVERIFY2(index >= 0, qPrintable(text));
    combo->setCurrentIndex(index);
}

} // namespace

void TestReportPreview::init()
{
    // Whatever this machine has: printing is tested with a printer installed.
    ReportPreview::setPrinterCheck([] { return true; });
    m_report.loadTemplate(QStringLiteral(":/report/list.rpt"));
    m_report.setDataSet(&m_dataSet);
    m_report.onGetValue = [this](const QString& name, QVariant& value) {
        if (name.contains(QLatin1String("fio")))
            value = QStringLiteral("Сидоров%1 Сидор Сидорович").arg(m_dataSet.recNo() + 1);
    };
}

void TestReportPreview::cleanup()
{
    ReportPreview::setPrinterCheck(nullptr);
}

QList<ReportPage> TestReportPreview::pages(int rows)
{
    m_dataSet.setRangeEndCount(rows);
    return m_report.prepare();
}

void TestReportPreview::onlyZoomPrintAndExit()
{
    ReportPreview preview(pages(3));
    preview.show();
    QVERIFY(QTest::qWaitForWindowExposed(&preview));
    QCOMPARE(preview.objectName(), QStringLiteral("ReportPreview"));

    QStringList controls;
    for (QWidget* w : preview.findChildren<QWidget*>()) {
        if (qobject_cast<QAbstractButton*>(w) || qobject_cast<QComboBox*>(w) ||
            qobject_cast<QLineEdit*>(w) || qobject_cast<QAbstractSpinBox*>(w))
            if (w->isVisibleTo(&preview))
                controls << w->objectName();
    }
    controls.sort();
    QCOMPARE(controls, (QStringList{QStringLiteral("BtnExit"), QStringLiteral("BtnPrint"),
                                    QStringLiteral("CmbZoom")}));
    QVERIFY(preview.BtnPrint->isEnabled());
    QCOMPARE(QApplication::focusWidget(), preview.ScrollBox);
    QVERIFY(preview.findChild<QComboBox*>(QStringLiteral("CmbZoom")) == preview.CmbZoom);
    QVERIFY(preview.findChild<ReportPageView*>(QStringLiteral("PageView")));
}

void TestReportPreview::printNeedsAPrinter()
{
    ReportPreview::setPrinterCheck([] { return false; });
    ReportPreview preview(pages(3));
    preview.show();
    QVERIFY(QTest::qWaitForWindowExposed(&preview));
    QVERIFY(!preview.BtnPrint->isEnabled());
    QVERIFY(preview.BtnPrint->toolTip().contains(QStringLiteral("не установлен принтер")));

    bool dialogShown = false;
    QTimer closer;
    closer.callOnTimeout([&] {
        if (auto* dialog = qobject_cast<QPrintDialog*>(QApplication::activeModalWidget())) {
            dialogShown = true;
            dialog->reject();
        }
    });
    closer.start(0);
    QTest::mouseClick(preview.BtnPrint, Qt::LeftButton);
    QTest::keySequence(&preview, QKeySequence::Print);
    preview.BtnPrintClick();
    QVERIFY(!dialogShown);
}

void TestReportPreview::zoomChangesTheScale()
{
    ReportPreview preview(pages(60));
    preview.resize(800, 600);
    preview.show();
    QVERIFY(QTest::qWaitForWindowExposed(&preview));
    ReportPageView* view = preview.PageView;

    // At first the page fills the width of the view.
    QCOMPARE(preview.CmbZoom->currentText(), QStringLiteral("По ширине страницы"));
    const int viewport = preview.ScrollBox->viewport()->width();
    QVERIFY(view->pageRect(0).width() <= viewport);
    QVERIFY(view->pageRect(0).width() > viewport * 0.8);

    selectZoom(preview.CmbZoom, QStringLiteral("100%"));
    const qreal full = view->scale();
    // The real size: 210 mm at the screen's resolution.
    QVERIFY(qAbs(view->pageRect(0).width() - 210 / 25.4 * preview.logicalDpiX()) <= 1);
    selectZoom(preview.CmbZoom, QStringLiteral("200%"));
    QVERIFY(qAbs(view->scale() - 2 * full) < 1e-9);
    QVERIFY(qAbs(view->pageRect(0).width() - 2 * 210 / 25.4 * preview.logicalDpiX()) <= 1);
    QVERIFY(view->width() > preview.ScrollBox->viewport()->width());
    selectZoom(preview.CmbZoom, QStringLiteral("50%"));
    QVERIFY(qAbs(view->scale() - full / 2) < 1e-9);

    // A whole page fits the view; two pages lie one under the other.
    selectZoom(preview.CmbZoom, QStringLiteral("Страница целиком"));
    QVERIFY(view->pageRect(0).height() <= preview.ScrollBox->viewport()->height());
    QCOMPARE(view->pageRect(1).top(), view->pageRect(0).bottom() + 1 + ReportPageView::Gap);
    QCOMPARE(view->height(), view->pageRect(1).bottom() + 1 + ReportPageView::Gap);

    // Fits follow the window's size.
    selectZoom(preview.CmbZoom, QStringLiteral("По ширине страницы"));
    const int before = view->pageRect(0).width();
    preview.resize(1000, 600);
    QTRY_VERIFY(view->pageRect(0).width() > before);
}

void TestReportPreview::printsTheChosenPages()
{
    if (QStandardPaths::findExecutable(QStringLiteral("pdftotext")).isEmpty())
        QSKIP("pdftotext (poppler-utils) is not installed");
    const QList<ReportPage> prepared = pages(200);
    QCOMPARE(prepared.size(), 5);
    ReportPreview preview(prepared);
    QTemporaryDir dir;

    QPrinter all(QPrinter::HighResolution);
    all.setOutputFormat(QPrinter::PdfFormat);
    all.setOutputFileName(dir.filePath(QStringLiteral("all.pdf")));
    QVERIFY(preview.printTo(all));
    QCOMPARE(pdfText(all.outputFileName()).split(u'\f', Qt::SkipEmptyParts).size(), 5);

    QPrinter some(QPrinter::HighResolution);
    some.setOutputFormat(QPrinter::PdfFormat);
    some.setOutputFileName(dir.filePath(QStringLiteral("some.pdf")));
    some.setPrintRange(QPrinter::PageRange);
    some.setFromTo(2, 3);
    QVERIFY(preview.printTo(some));
    const QStringList sheets = pdfText(some.outputFileName()).split(u'\f', Qt::SkipEmptyParts);
    QCOMPARE(sheets.size(), 2);
    QVERIFY(sheets[0].contains(QStringLiteral("Page 2 of 5")));
    QVERIFY(sheets[1].contains(QStringLiteral("Page 3 of 5")));
    QVERIFY(sheets[0].contains(QStringLiteral("Сидоров45 Сидор Сидорович")));
}

void TestReportPreview::printOpensThePrintDialog()
{
    ReportPreview preview(pages(3));
    preview.show();
    QVERIFY(QTest::qWaitForWindowExposed(&preview));
    bool seen = false;
    QString printerName;
    QTimer::singleShot(0, this, [&] {
        auto* dialog = qobject_cast<QPrintDialog*>(QApplication::activeModalWidget());
        if (!dialog)
            return;
        seen = true;
        printerName = dialog->printer()->printerName();
        QCOMPARE(dialog->minPage(), 1);
        QCOMPARE(dialog->maxPage(), 1);
        dialog->reject();
    });
    QTest::mouseClick(preview.BtnPrint, Qt::LeftButton);
    QVERIFY(seen);
    // The default printer is preselected (none on a machine without printers).
    QCOMPARE(printerName, QPrinter().printerName());
    QVERIFY(preview.isVisible());
}

void TestReportPreview::showReportIsModalAndExitCloses()
{
    m_dataSet.setRangeEndCount(4);
    QWidget owner;
    owner.show();
    int shownPages = -1;
    QString fourth;
    QTimer::singleShot(0, this, [&] {
        auto* preview = qobject_cast<ReportPreview*>(QApplication::activeModalWidget());
        if (!preview)
            return;
        QVERIFY(preview->isModal());
        QCOMPARE(preview->parentWidget(), &owner);
        shownPages = preview->PageView->pageCount();
        fourth = m_report.preparedPages().value(0).texts(QStringLiteral("Memo5")).value(3);
        QTest::mouseClick(preview->BtnExit, Qt::LeftButton);
    });
    m_report.showReport(&owner);
    QCOMPARE(shownPages, 1);
    QCOMPARE(fourth, QStringLiteral("Сидоров4 Сидор Сидорович"));
    QVERIFY(!QApplication::activeModalWidget());
}

void TestReportPreview::failedPreparationShowsAnErrorBox()
{
    ScriptedPrompts prompts;
    m_dataSet.setRangeEndCount(2);
    m_report.onGetValue = [](const QString&, QVariant&) { throw std::runtime_error("нет данных"); };
    bool previewShown = false;
    // Never fires when all goes well: it must not outlive the test.
    QTimer closer;
    closer.setSingleShot(true);
    closer.callOnTimeout([&] {
        if (auto* preview = qobject_cast<ReportPreview*>(QApplication::activeModalWidget())) {
            previewShown = true;
            preview->reject();
        }
    });
    closer.start(0);
    m_report.showReport(nullptr);
    QVERIFY(!previewShown);
    QCOMPARE(prompts.log(),
             QStringList{QStringLiteral("error: Не удалось подготовить отчёт.\nнет данных")});

    Report empty;
    empty.showReport(nullptr);
    QCOMPARE(prompts.log().size(), 2);
    QVERIFY(prompts.last().contains(QStringLiteral("Шаблон отчёта не загружен")));
}

void TestReportPreview::longPreparationShowsProgressAndCancels()
{
    ScriptedPrompts prompts;
    QWidget owner;
    owner.show();
    UserDataSet dataSet;
    Report report;
    report.loadTemplate(QStringLiteral(":/report/list.rpt"));
    report.setDataSet(&dataSet);
    const auto progressShown = [&owner] {
        const auto* progress = owner.findChild<QProgressDialog*>(QStringLiteral("ReportProgress"));
        return progress && progress->isVisible();
    };
    int previews = 0;
    QTimer closer;
    closer.callOnTimeout([&] {
        if (auto* preview = qobject_cast<ReportPreview*>(QApplication::activeModalWidget())) {
            ++previews;
            preview->reject();
        }
    });
    closer.start(10);

    // A short preparation goes straight to the preview.
    dataSet.setRangeEndCount(4);
    bool shownWhileShort = false;
    report.onGetValue = [&](const QString&, QVariant&) { shownWhileShort |= progressShown(); };
    report.showReport(&owner);
    QVERIFY(!shownWhileShort);
    QCOMPARE(previews, 1);

    // One that takes longer than the delay shows its progress in a modal
    // window; cancelled there, it shows neither a preview nor an error.
    report.setProgressDelay(0);
    dataSet.setRangeEndCount(400);
    int lastAsked = -1;
    bool cancelled = false;
    report.onGetValue = [&](const QString&, QVariant&) {
        lastAsked = dataSet.recNo();
        if (lastAsked != 100 || cancelled)
            return;
        QVERIFY(progressShown());
        auto* progress = owner.findChild<QProgressDialog*>(QStringLiteral("ReportProgress"));
        QVERIFY(progress->isModal());
        QTest::mouseClick(progress->findChild<QPushButton*>(), Qt::LeftButton);
        cancelled = true;
    };
    report.showReport(&owner);
    QVERIFY(cancelled);
    QCOMPARE(lastAsked, 100);
    QVERIFY(report.wasCancelled());
    QVERIFY(report.preparedPages().isEmpty());
    QCOMPARE(previews, 1);
    QVERIFY(prompts.log().isEmpty());
    QVERIFY(!owner.findChild<QProgressDialog*>());
}

QTEST_MAIN(TestReportPreview)
#include "tst_reportpreview.moc"
