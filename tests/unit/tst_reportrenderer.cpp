// SPDX-License-Identifier: MIT
#include "report/ReportRenderer.h"
#include "report/UserDataSet.h"
#include "report/ui/Report.h"

#include <QFontInfo>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QtTest>

class TestReportRenderer : public QObject
{
    Q_OBJECT

private slots:
    void pdfHoldsTheTexts();
    void imageShowsColoursAndRules();
    void fontsFallBackToTheirKind();

private:
    QList<ReportPage> prepare(int rows);
};

namespace
{

// The text of a PDF through pdftotext, pages separated by form feeds.
QString pdfText(const QString& pdf)
{
    QProcess process;
    process.start(QStandardPaths::findExecutable(QStringLiteral("pdftotext")),
                  {QStringLiteral("-layout"), QStringLiteral("-enc"), QStringLiteral("UTF-8"), pdf,
                   QStringLiteral("-")});
    if (!process.waitForFinished(60000) || process.exitCode() != 0)
        return QString();
    return QString::fromUtf8(process.readAllStandardOutput());
}

} // namespace

QList<ReportPage> TestReportRenderer::prepare(int rows)
{
    Report report;
    UserDataSet dataSet;
    dataSet.setRangeEndCount(rows);
    report.loadTemplate(QStringLiteral(":/report/list.rpt"));
    report.setDataSet(&dataSet);
    report.onGetValue = [&dataSet](const QString& name, QVariant& value) {
        const int row = dataSet.recNo() + 1;
        if (name.contains(QLatin1String("fio")))
            value = QStringLiteral("Петров%1 Пётр Петрович").arg(row);
        if (name.contains(QLatin1String("pp")))
            value = QStringLiteral("ЗАО \"Ромашка\"");
        if (name.contains(QLatin1String("phone")))
            value = QStringLiteral("(8352) 62-00-%1; ").arg(row, 2, 10, QLatin1Char('0'));
    };
    return report.prepare();
}

void TestReportRenderer::pdfHoldsTheTexts()
{
    if (QStandardPaths::findExecutable(QStringLiteral("pdftotext")).isEmpty())
        QSKIP("pdftotext (poppler-utils) is not installed");
    QTemporaryDir dir;
    const QString one = dir.filePath(QStringLiteral("one.pdf"));
    QVERIFY(ReportRenderer::writePdf(prepare(2), one));
    const QString text = pdfText(one);
    for (const QString& expected :
         {QStringLiteral("Телефонный справочник"), QStringLiteral("Фамилия Имя Отчество"),
          QStringLiteral("Название предприятия"), QStringLiteral("Телефоны"),
          QStringLiteral("Петров1 Пётр Петрович"), QStringLiteral("Петров2 Пётр Петрович"),
          QStringLiteral("ЗАО \"Ромашка\""), QStringLiteral("(8352) 62-00-02;"),
          QStringLiteral("Page 1 of 1")})
        QVERIFY2(text.contains(expected), qPrintable(expected + QStringLiteral(" in ") + text));

    // One sheet per page, each with its own footer.
    const QString many = dir.filePath(QStringLiteral("many.pdf"));
    QVERIFY(ReportRenderer::writePdf(prepare(100), many));
    const QStringList sheets = pdfText(many).split(u'\f', Qt::SkipEmptyParts);
    QCOMPARE(sheets.size(), 3);
    for (int k = 0; k < 3; ++k)
        QVERIFY(sheets[k].contains(QStringLiteral("Page %1 of 3").arg(k + 1)));
    QVERIFY(sheets[2].contains(QStringLiteral("Петров100 Пётр Петрович")));
    QVERIFY(!ReportRenderer::writePdf({}, dir.filePath(QStringLiteral("none.pdf"))));
}

void TestReportRenderer::imageShowsColoursAndRules()
{
    const QList<ReportPage> pages = prepare(3);
    QCOMPARE(pages.size(), 1);
    const ReportPage& page = pages[0];
    // Two pixels per design unit.
    const QImage image = ReportRenderer::renderImage(page, 1504);
    QCOMPARE(image.size(), QSize(1504, qRound(1504 * 297.0 / 210)));
    const auto pixel = [&](QPointF designPoint) {
        return image.pixelColor((designPoint * 2).toPoint());
    };

    // The title's teal background, the grey of the 1st and 3rd line only.
    const ReportItem title = page.itemsOf(QStringLiteral("Memo1"), ReportItem::Kind::Fill)[0];
    QCOMPARE(pixel(title.rect.topLeft() + QPointF(3, 3)), QColor(64, 128, 128));
    const QList<ReportItem> greys = page.itemsOf(QStringLiteral("Memo13"), ReportItem::Kind::Fill);
    QCOMPARE(greys.size(), 2);
    const QList<ReportItem> names = page.itemsOf(QStringLiteral("Memo5"));
    for (int line = 0; line < 3; ++line) {
        const QPointF corner(22, names[line].rect.top() + 1);
        QCOMPARE(pixel(corner), line % 2 ? QColor(Qt::white) : QColor(240, 240, 240));
    }

    // Dark text pixels inside the first name's box.
    const ReportItem& name = names[0];
    int dark = 0;
    for (int x = int(name.rect.left() * 2); x < int(name.rect.right() * 2); ++x)
        for (int y = int(name.rect.top() * 2); y < int(name.rect.bottom() * 2); ++y)
            dark += image.pixelColor(x, y).value() < 100;
    QVERIFY(dark > 50);

    // The header's bottom rule and the footer's top rule are black, the
    // footer's twice as thick.
    const auto ruleRows = [&](const ReportItem& rule) {
        const int x = qRound(rule.segment.center().x() * 2);
        const int y = qRound(rule.segment.y1() * 2);
        int black = 0;
        for (int dy = -4; dy <= 4; ++dy)
            black += image.pixelColor(x, y + dy) == QColor(Qt::black);
        return black;
    };
    QCOMPARE(ruleRows(page.itemsOf(QStringLiteral("Memo4"), ReportItem::Kind::Line)[0]), 2);
    QCOMPARE(ruleRows(page.itemsOf(QStringLiteral("Memo8"), ReportItem::Kind::Line)[0]), 4);
}

void TestReportRenderer::fontsFallBackToTheirKind()
{
    const QList<ReportPage> pages = prepare(1);
    const ReportItem name = pages[0].itemsOf(QStringLiteral("Memo5"))[0];
    const ReportItem footer = pages[0].itemsOf(QStringLiteral("Memo8"))[0];
    const ReportItem header = pages[0].itemsOf(QStringLiteral("Memo2"))[0];
    QCOMPARE(name.font.pointSizeF(), 10.0);
    QCOMPARE(footer.font.pointSizeF(), 8.0);
    QVERIFY(header.font.bold());
    QCOMPARE(header.color, QColor(128, 0, 0));
    QCOMPARE(footer.alignment & Qt::AlignHorizontal_Mask, Qt::AlignRight);

    // Whatever the machine has: a serif face for "Times New Roman Cyr", a
    // sans face for "Arial".
    const QString serif = QFontInfo(name.font).family();
    const QString sans = QFontInfo(footer.font).family();
    QVERIFY2(!serif.contains(QLatin1String("Sans")), qPrintable(serif));
    QVERIFY2(serif != sans, qPrintable(serif));
    QVERIFY2(sans.contains(QLatin1String("Sans")) || sans.contains(QLatin1String("Arial")) ||
                 sans.contains(QLatin1String("Arimo")),
             qPrintable(sans));
}

QTEST_MAIN(TestReportRenderer)
#include "tst_reportrenderer.moc"
