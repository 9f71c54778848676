// SPDX-License-Identifier: MIT
#include "report/ReportFonts.h"
#include "report/ReportTextLayout.h"
#include "report/ReportTextMeasure.h"

#include <QtTest>

// Texts laid out without shaping must break and place their lines exactly as
// shaped ones do: the printed page may not tell them apart.
class TestReportTextMeasure : public QObject
{
    Q_OBJECT

private slots:
    void sameAsShaped_data();
    void sameAsShaped();
};

namespace
{

// Design units per point of the A4 list report.
constexpr qreal UnitsPerPoint = 752 / (210 / 25.4 * 72);

QString describe(const ReportTextLayout& layout)
{
    QStringList lines;
    for (const ReportTextLayout::Line& l : layout.lines())
        lines << QStringLiteral("'%1' @%2").arg(l.text).arg(l.baseline, 0, 'g', 17);
    return lines.join(u" | ") + QStringLiteral(" h%1").arg(layout.height(), 0, 'g', 17);
}

} // namespace

void TestReportTextMeasure::sameAsShaped_data()
{
    QTest::addColumn<QString>("family");
    QTest::addColumn<bool>("bold");
    QTest::addColumn<QString>("text");

    const QStringList texts{
        QStringLiteral("Абрамов Александр Алексеевич"),
        QStringLiteral("Кузьма Сергеевич Петров-Водкин и/или Мусоргский-Корсаков"),
        QStringLiteral("ООО «Заря-10»"),
        QStringLiteral("(2249) Факс217-76-48; "),
        QStringLiteral("(1327) Рабочий535-28-34; Мобильный+7 939 332-69-23; Факс987-78-58; "),
        QStringLiteral("Константинопольский-Длиннофамильный Аристарх Вольдемарович"),
        QStringLiteral("Page 12 of 2897"),
        QStringLiteral("AV Ta To Yo WA LT  двойной  пробел   "),
        QStringLiteral("http://example.com/a/very/long/path/without/blanks/at/all"),
        QStringLiteral(" начало с пробела"),
        QStringLiteral("неразрывный\u00a0пробел и\tтабуляция"),
        QStringLiteral("две\nстроки"),
        QStringLiteral("№ 5 — «Ёлка», 10 %…"),
        QStringLiteral("日本語 and العربية"),
        QStringLiteral("e\u0301 combining"),
        QStringLiteral("   "),
        QString(),
    };
    for (const QString& text : texts) {
        QTest::addRow("serif %s", qPrintable(text))
            << QStringLiteral("Times New Roman Cyr") << false << text;
        QTest::addRow("sans bold %s", qPrintable(text)) << QStringLiteral("Arial") << true << text;
    }
}

void TestReportTextMeasure::sameAsShaped()
{
    QFETCH(QString, family);
    QFETCH(bool, bold);
    QFETCH(QString, text);
    const QFont font = ReportFonts::font(family, 10, bold, false);
    const QFont measuring = ReportTextLayout::measuringFont(font, UnitsPerPoint);
    ReportTextMeasure measure(font, UnitsPerPoint);
    // Every width from a few letters to more than the whole text, in steps
    // finer than a letter, so that each break is met close up.
    for (qreal width = 10; width <= 600; width += 0.75) {
        for (const bool wrap : {true, false}) {
            const QString shaped = describe(ReportTextLayout(text, measuring, width, wrap));
            const QString measured = describe(measure.layout(text, width, wrap, false));
            QVERIFY2(measured == shaped, qPrintable(QStringLiteral("width %1, wrap %2:\n%3\n%4")
                                                        .arg(width)
                                                        .arg(wrap)
                                                        .arg(measured, shaped)));
        }
    }
}

QTEST_MAIN(TestReportTextMeasure)
#include "tst_reporttextmeasure.moc"
