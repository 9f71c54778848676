// SPDX-License-Identifier: MIT
#include "common/DbError.h"
#include "report/ReportPreparer.h"
#include "report/ReportTemplateParser.h"
#include "report/UserDataSet.h"
#include "report/ui/Report.h"

#include <QTemporaryDir>
#include <QtTest>
#include <numeric>

// The report over a small table of rows, served the way the search view
// serves its grid: by the data set's current record number.
class TableReport
{
public:
    explicit TableReport(QList<QStringList> rows,
                         const QString& path = QStringLiteral(":/report/list.rpt"))
        : m_rows(std::move(rows))
    {
        m_loaded = report.loadTemplate(path);
        dataSet.setRangeEndCount(int(m_rows.size()));
        report.setDataSet(&dataSet);
        report.onGetValue = [this](const QString& name, QVariant& value) {
            asked.append({name, dataSet.recNo()});
            const QStringList& row = m_rows.at(dataSet.recNo());
            if (name.contains(QLatin1String("fio")))
                value = row[0];
            if (name.contains(QLatin1String("pp")))
                value = row[1];
            if (name.contains(QLatin1String("phone")))
                value = row[2];
        };
    }
    bool loaded() const { return m_loaded; }

    Report report;
    UserDataSet dataSet;
    QList<QPair<QString, int>> asked;

private:
    QList<QStringList> m_rows;
    bool m_loaded = false;
};

namespace
{

QList<QStringList> sampleRows(int count)
{
    QList<QStringList> rows;
    for (int i = 0; i < count; ++i)
        rows.append({QStringLiteral("Фамилия%1 Имя Отчество").arg(i),
                     QStringLiteral("Предприятие %1").arg(i),
                     QStringLiteral("(8352) 11-22-%1; ").arg(i, 2, 10, QLatin1Char('0'))});
    return rows;
}

// Items of one data line (by [Line#]) over all pages.
QList<ReportItem> lineItems(const QList<ReportPage>& pages, int line, const QString& object,
                            ReportItem::Kind kind = ReportItem::Kind::Text)
{
    QList<ReportItem> found;
    for (const ReportPage& page : pages)
        for (const ReportItem& item : page.itemsOf(object, kind))
            if (item.line == line)
                found.append(item);
    return found;
}

// The text without blanks, to compare broken lines with the whole text.
QString squeezed(const QString& text)
{
    QString result = text;
    result.remove(u' ');
    return result;
}

QString joinedLines(const ReportItem& item)
{
    QString joined;
    for (const ReportItem::TextLine& l : item.lines)
        joined += l.text;
    return squeezed(joined);
}

QString writeTemplate(QTemporaryDir& dir, const QString& text)
{
    const QString path = dir.filePath(QStringLiteral("t.rpt"));
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate))
        return QString();
    file.write(text.toUtf8());
    return path;
}

// A small template: page header and footer on 100 x 100 paper, a data band
// of height 10 holding [v], with band options given by the caller.
QString smallTemplate(const QString& headerOptions, const QString& footerOptions)
{
    return QStringLiteral("[page]\npaper = 100 100\ndesign-width = 100\n"
                          "[band H]\ntype = page-header\ntop = 10\nheight = 10\n%1\n"
                          "[memo HM]\nband = H\nrect = 0 10 100 10\ntext = \"head [Page#]\"\n"
                          "[band D]\ntype = master-data\ntop = 20\nheight = 10\n"
                          "[memo DM]\nband = D\nrect = 0 20 100 10\ntext = \"[v]\"\n"
                          "font = Arial 8\nstretch = yes\nwrap = yes\n"
                          "[band F]\ntype = page-footer\ntop = 30\nheight = 10\n%2\n"
                          "[memo FM]\nband = F\nrect = 0 30 100 10\n"
                          "text = \"[Page#]/[TOTALPAGES]\"\n")
        .arg(headerOptions, footerOptions);
}

} // namespace

class TestReportPreparer : public QObject
{
    Q_OBJECT

private slots:
    void recordsGiveLinesInOrder();
    void manyRecordsPaginate();
    void longTextsWrapAndGrowTheLine();
    void emptyDataSetGivesFrameOnly();
    void bandOptionsOnFirstAndLastPage();
    void oversizedBandIsCutAtTheFooter();
    void variablesAndEngineValues();
    void pageNumbersInDataLines();
    void progressCountsRecordsAndStops();
    void failuresReportAnError();
};

void TestReportPreparer::recordsGiveLinesInOrder()
{
    const QList<QStringList> rows = sampleRows(7);
    TableReport t(rows);
    QVERIFY(t.loaded());
    const QList<ReportPage> pages = t.report.prepare();
    QVERIFY2(!pages.isEmpty(), qPrintable(t.report.errorText()));
    QCOMPARE(pages.size(), 1);
    QCOMPARE(t.report.preparedPages().size(), 1);

    const ReportPage& page = pages[0];
    QStringList names, enterprises, phones;
    for (const QStringList& row : rows) {
        names << row[0];
        enterprises << row[1];
        phones << row[2];
    }
    QCOMPARE(page.texts(QStringLiteral("Memo5")), names);
    QCOMPARE(page.texts(QStringLiteral("Memo6")), enterprises);
    QCOMPARE(page.texts(QStringLiteral("Memo7")), phones);

    qreal previousTop = -1;
    for (int line = 1; line <= 7; ++line) {
        // Each line holds exactly its record's three texts, one below the other.
        const QList<ReportItem> fio = lineItems(pages, line, QStringLiteral("Memo5"));
        QCOMPARE(fio.size(), 1);
        QCOMPARE(fio[0].text, rows[line - 1][0]);
        QCOMPARE(fio[0].band, QStringLiteral("Band1"));
        QCOMPARE(lineItems(pages, line, QStringLiteral("Memo6"))[0].text, rows[line - 1][1]);
        QCOMPARE(lineItems(pages, line, QStringLiteral("Memo7"))[0].text, rows[line - 1][2]);
        QVERIFY(fio[0].rect.top() > previousTop);
        previousTop = fio[0].rect.top();

        // The 1st, 3rd, 5th ... line lies on light grey; the others on nothing.
        const QList<ReportItem> grey =
            lineItems(pages, line, QStringLiteral("Memo13"), ReportItem::Kind::Fill);
        QCOMPARE(grey.size(), line % 2);
        if (!grey.isEmpty()) {
            QCOMPARE(grey[0].color, QColor(240, 240, 240));
            QCOMPARE(grey[0].rect.height(), 20.0);
            QCOMPARE(grey[0].rect.left(), 20.0);
            QCOMPARE(grey[0].rect.width(), 707.0);
        }
    }
    // The grey background comes before the texts of its line.
    qsizetype greyIndex = -1, textIndex = -1;
    for (qsizetype i = 0; i < page.items.size(); ++i) {
        if (page.items[i].line != 1)
            continue;
        if (page.items[i].object == u"Memo13" && greyIndex < 0)
            greyIndex = i;
        if (page.items[i].object == u"Memo5" && textIndex < 0)
            textIndex = i;
    }
    QVERIFY(greyIndex >= 0 && greyIndex < textIndex);

    // The callback is asked for the three variables of each record while the
    // data set stands at that record, once.
    QList<QPair<QString, int>> expected;
    for (int rec = 0; rec < 7; ++rec)
        for (const char* name : {" fio", " pp", " phone"})
            expected.append({QString::fromLatin1(name), rec});
    QCOMPARE(t.asked, expected);
}

void TestReportPreparer::manyRecordsPaginate()
{
    TableReport t(sampleRows(200));
    const QList<ReportPage> pages = t.report.prepare();
    // 44 lines fit under the title and header of the first page, 46 on the others.
    QCOMPARE(pages.size(), 5);

    int nextLine = 1;
    for (int k = 0; k < pages.size(); ++k) {
        const ReportPage& page = pages[k];
        QCOMPARE(page.size, QSizeF(752, 752.0 * 297 / 210));
        QCOMPARE(page.paperSize, QSizeF(210, 297));
        QCOMPARE(page.texts(QStringLiteral("Memo8")),
                 QStringList{QStringLiteral("Page %1 of 5").arg(k + 1)});
        QCOMPARE(page.texts(QStringLiteral("Memo1")),
                 k == 0 ? QStringList{QStringLiteral("Телефонный справочник")} : QStringList());
        QCOMPARE(page.texts(QStringLiteral("Memo2")),
                 QStringList{QStringLiteral("Фамилия Имя Отчество")});
        QCOMPARE(page.texts(QStringLiteral("Memo3")),
                 QStringList{QStringLiteral("Название предприятия")});
        QCOMPARE(page.texts(QStringLiteral("Memo4")), QStringList{QStringLiteral("Телефоны")});

        // Title above header above data above footer, all within the page.
        const ReportItem header = page.itemsOf(QStringLiteral("Memo2"))[0];
        const ReportItem footer = page.itemsOf(QStringLiteral("Memo8"))[0];
        if (k == 0)
            QVERIFY(page.itemsOf(QStringLiteral("Memo1"))[0].rect.bottom() <= header.rect.top());
        QVERIFY(footer.rect.bottom() < page.size.height());
        const QList<ReportItem> lines = page.itemsOf(QStringLiteral("Memo5"));
        QVERIFY(!lines.isEmpty());
        for (const ReportItem& line : lines) {
            QCOMPARE(line.line, nextLine++);
            QVERIFY(line.rect.top() > header.rect.bottom());
            QVERIFY(line.rect.bottom() < footer.rect.top());
        }
        // The footer's top rule: 2 units wide along the top of Memo8.
        const QList<ReportItem> rule =
            page.itemsOf(QStringLiteral("Memo8"), ReportItem::Kind::Line);
        QCOMPARE(rule.size(), 1);
        QCOMPARE(rule[0].width, 2.0);
        QCOMPARE(rule[0].segment.y1(), footer.rect.top());
        QCOMPARE(page.itemsOf(QStringLiteral("Memo3"), ReportItem::Kind::Line).size(), 1);
    }
    QCOMPARE(nextLine, 201);
    QCOMPARE(pages[0].itemsOf(QStringLiteral("Memo5")).size(), 44);
    QCOMPARE(pages[1].itemsOf(QStringLiteral("Memo5")).size(), 46);
    // Pages keep the same layout: headers and footers at the same place.
    QCOMPARE(pages[1].itemsOf(QStringLiteral("Memo8"))[0].rect,
             pages[4].itemsOf(QStringLiteral("Memo8"))[0].rect);
    QCOMPARE(pages[1].itemsOf(QStringLiteral("Memo2"))[0].rect,
             pages[3].itemsOf(QStringLiteral("Memo2"))[0].rect);
}

void TestReportPreparer::longTextsWrapAndGrowTheLine()
{
    QList<QStringList> rows = sampleRows(3);
    const QString longName = QStringLiteral(
        "Константинопольский-Длиннофамильный Аристарх Вольдемарович Младший Сын Своего Отца");
    const QString longPhones = QStringLiteral(
        "(8352) 11-11-11; (8352) 22-22-22; (8352) 33-33-33; (8352) 44-44-44; (8352) 55-55-55; "
        "(8352) 66-66-66; ");
    rows[1][0] = longName;
    rows[1][2] = longPhones;
    TableReport t(rows);
    const QList<ReportPage> pages = t.report.prepare();
    QCOMPARE(pages.size(), 1);

    const ReportItem first = lineItems(pages, 1, QStringLiteral("Memo5"))[0];
    const ReportItem name = lineItems(pages, 2, QStringLiteral("Memo5"))[0];
    const ReportItem enterprise = lineItems(pages, 2, QStringLiteral("Memo6"))[0];
    const ReportItem phones = lineItems(pages, 2, QStringLiteral("Memo7"))[0];
    const ReportItem third = lineItems(pages, 3, QStringLiteral("Memo5"))[0];

    // A single line keeps the designed height; wrapped texts grow.
    QCOMPARE(first.lines.size(), 1);
    QCOMPARE(first.rect.height(), 17.0);
    QVERIFY(name.lines.size() >= 3);
    QVERIFY(phones.lines.size() >= 2);
    QCOMPARE(name.text, longName);
    QCOMPARE(joinedLines(name), squeezed(longName));
    QCOMPARE(joinedLines(phones), squeezed(longPhones));
    QVERIFY(name.rect.height() > 17 * 2);
    for (int i = 1; i < name.lines.size(); ++i)
        QVERIFY(name.lines[i].origin.y() > name.lines[i - 1].origin.y());
    QVERIFY(name.lines.last().origin.y() < name.rect.bottom());
    // The objects of the line grow together; the short text stays one line.
    QCOMPARE(enterprise.lines.size(), 1);
    QVERIFY(enterprise.rect.height() > 18 * 2);
    QVERIFY(qAbs(enterprise.rect.bottom() - phones.rect.bottom()) <= 1.0);
    QVERIFY(qAbs(enterprise.rect.bottom() - name.rect.bottom()) <= 1.0);

    // The grey background (line 3 here) keeps its 20 units; the next line
    // starts below the grown one.
    const QList<ReportItem> greys =
        lineItems(pages, 3, QStringLiteral("Memo13"), ReportItem::Kind::Fill);
    QCOMPARE(greys.size(), 1);
    const ReportItem& grey = greys[0];
    QCOMPARE(grey.rect.height(), 20.0);
    QVERIFY(third.rect.top() >= name.rect.bottom());
    QVERIFY(grey.rect.top() >= phones.rect.bottom());
    QCOMPARE(third.rect.top() - grey.rect.top(), 1.0);
}

void TestReportPreparer::emptyDataSetGivesFrameOnly()
{
    for (const bool withDataSet : {true, false}) {
        TableReport t({});
        if (!withDataSet)
            t.report.setDataSet(nullptr);
        const QList<ReportPage> pages = t.report.prepare();
        QCOMPARE(pages.size(), 1);
        const ReportPage& page = pages[0];
        QCOMPARE(page.texts(QStringLiteral("Memo1")).size(), 1);
        QCOMPARE(page.texts(QStringLiteral("Memo2")).size(), 1);
        QCOMPARE(page.texts(QStringLiteral("Memo3")).size(), 1);
        QCOMPARE(page.texts(QStringLiteral("Memo4")).size(), 1);
        QCOMPARE(page.texts(QStringLiteral("Memo8")), QStringList{QStringLiteral("Page 1 of 1")});
        for (const ReportItem& item : page.items)
            QCOMPARE(item.line, 0);
        QVERIFY(t.asked.isEmpty());
        // The footer stays at the bottom of the page.
        QVERIFY(page.itemsOf(QStringLiteral("Memo8"))[0].rect.top() > page.size.height() * 0.9);
    }
}

void TestReportPreparer::bandOptionsOnFirstAndLastPage()
{
    QTemporaryDir dir;
    QList<QStringList> rows;
    for (int i = 0; i < 20; ++i)
        rows.append({QString::number(i), QString(), QString()});
    // Page: 100 high, 10 blank at top and bottom, header and footer 10 each:
    // 6 lines per page with the header, 7 without.
    TableReport t(rows, writeTemplate(dir, smallTemplate(QStringLiteral("first-page = no"),
                                                         QStringLiteral("first-page = no\n"
                                                                        "last-page = no"))));
    t.report.onGetValue = [&t](const QString& name, QVariant& value) {
        if (name == u"v")
            value = t.dataSet.recNo();
    };
    QVERIFY(t.loaded());
    const QList<ReportPage> pages = t.report.prepare();
    QCOMPARE(pages.size(), 4); // 7 + 6 + 6 + 1
    QCOMPARE(pages[0].texts(QStringLiteral("HM")), QStringList());
    QCOMPARE(pages[1].texts(QStringLiteral("HM")), QStringList{QStringLiteral("head 2")});
    QCOMPARE(pages[0].texts(QStringLiteral("FM")), QStringList());
    QCOMPARE(pages[1].texts(QStringLiteral("FM")), QStringList{QStringLiteral("2/4")});
    QCOMPARE(pages[2].texts(QStringLiteral("FM")), QStringList{QStringLiteral("3/4")});
    QCOMPARE(pages[3].texts(QStringLiteral("FM")), QStringList());
    QCOMPARE(pages[0].texts(QStringLiteral("DM")).size(), 7);
    QCOMPARE(pages[0].texts(QStringLiteral("DM")).first(), QStringLiteral("0"));
    QCOMPARE(pages[0].itemsOf(QStringLiteral("DM")).first().rect.top(), 10.0);
    QCOMPARE(pages[1].texts(QStringLiteral("DM")).first(), QStringLiteral("7"));
    QCOMPARE(pages[1].itemsOf(QStringLiteral("DM")).first().rect.top(), 20.0);
    QCOMPARE(pages[3].texts(QStringLiteral("DM")), QStringList{QStringLiteral("19")});
}

void TestReportPreparer::oversizedBandIsCutAtTheFooter()
{
    QTemporaryDir dir;
    TableReport t({{}, {}}, writeTemplate(dir, smallTemplate(QString(), QString())));
    t.report.onGetValue = [&t](const QString& name, QVariant& value) {
        if (name == u"v")
            value = t.dataSet.recNo() == 0 ? QStringLiteral("short")
                                           : QStringLiteral("very long text ").repeated(200);
    };
    const QList<ReportPage> pages = t.report.prepare();
    // The long record moves to a page of its own and is cut above the footer.
    QCOMPARE(pages.size(), 2);
    QCOMPARE(pages[0].texts(QStringLiteral("DM")), QStringList{QStringLiteral("short")});
    const ReportItem cut = pages[1].itemsOf(QStringLiteral("DM"))[0];
    const ReportItem footer = pages[1].itemsOf(QStringLiteral("FM"))[0];
    QCOMPARE(cut.rect.bottom(), footer.rect.top());
    QVERIFY(!cut.lines.isEmpty());
    for (const ReportItem::TextLine& line : cut.lines)
        QVERIFY(line.origin.y() <= footer.rect.top());
}

void TestReportPreparer::variablesAndEngineValues()
{
    QTemporaryDir dir;
    TableReport t(
        {{}, {}, {}},
        writeTemplate(dir, QStringLiteral("[variables \"Все поля\"]\nvariable = given \"preset\"\n"
                                          "[band D]\ntype = master-data\ntop = 0\nheight = 10\n"
                                          "[memo DM]\nband = D\nrect = 0 0 700 10\n"
                                          "text = \"[Line#]:[given]:[other]:[Page#]/[TOTALPAGES]"
                                          ":[unclosed\"\n")));
    QStringList asked;
    t.report.onGetValue = [&](const QString& name, QVariant& value) {
        asked << name + u'=' + value.toString();
        if (name == u"other")
            value = 10 * t.dataSet.recNo();
    };
    const QList<ReportPage> pages = t.report.prepare();
    QCOMPARE(pages.size(), 1);
    QCOMPARE(pages[0].texts(QStringLiteral("DM")),
             (QStringList{QStringLiteral("1:preset:0:1/1:[unclosed"),
                          QStringLiteral("2:preset:10:1/1:[unclosed"),
                          QStringLiteral("3:preset:20:1/1:[unclosed")}));
    // The engine's own variables never reach the callback; the preset value does.
    QVERIFY(asked.contains(QStringLiteral("given=preset")));
    QVERIFY(asked.contains(QStringLiteral("other=")));
    for (const QString& a : asked)
        QVERIFY(a.startsWith(u"given") || a.startsWith(u"other"));
}

void TestReportPreparer::pageNumbersInDataLines()
{
    QTemporaryDir dir;
    QList<QStringList> rows(20);
    QString tpl = smallTemplate(QString(), QString());
    tpl.replace(QStringLiteral("text = \"[v]\""),
                QStringLiteral("text = \"[v] [Page#]/[TOTALPAGES]\""));
    TableReport t(rows, writeTemplate(dir, tpl));
    QList<int> asked;
    t.report.onGetValue = [&](const QString& name, QVariant& value) {
        if (name == u"v") {
            asked << t.dataSet.recNo();
            value = t.dataSet.recNo();
        }
    };
    const QList<ReportPage> pages = t.report.prepare();
    // 6 lines a page under the header: the line that moves to a new page
    // shows that page's number, every line the total.
    QCOMPARE(pages.size(), 4);
    QCOMPARE(pages[0].texts(QStringLiteral("DM")).last(), QStringLiteral("5 1/4"));
    QCOMPARE(pages[1].texts(QStringLiteral("DM")).first(), QStringLiteral("6 2/4"));
    QCOMPARE(pages[3].texts(QStringLiteral("DM")),
             (QStringList{QStringLiteral("18 4/4"), QStringLiteral("19 4/4")}));
    // Each record's value is asked once, however often its line is laid out.
    QList<int> once(20);
    std::iota(once.begin(), once.end(), 0);
    QCOMPARE(asked, once);
}

void TestReportPreparer::progressCountsRecordsAndStops()
{
    const ReportTemplate list = ReportTemplateParser::load(QStringLiteral(":/report/list.rpt"));
    UserDataSet dataSet;
    dataSet.setRangeEndCount(5);
    // The page count shows in the footer only: one pass over the records.
    QList<qint64> done;
    ReportPreparer whole(list, &dataSet, {}, [&](qint64 d, qint64 total) {
        done << d;
        return total == 5;
    });
    QCOMPARE(whole.prepare().size(), 1);
    QCOMPARE(done, (QList<qint64>{1, 2, 3, 4, 5}));

    // Stopped, it asks for no further record and gives no pages.
    QList<int> asked;
    ReportPreparer stopped(
        list, &dataSet, [&](const QString&, QVariant&) { asked << dataSet.recNo(); },
        [](qint64 d, qint64) { return d < 2; });
    QVERIFY(stopped.prepare().isEmpty());
    QCOMPARE(asked, (QList<int>{0, 0, 0, 1, 1, 1}));
}

void TestReportPreparer::failuresReportAnError()
{
    {
        Report report;
        QVERIFY(report.prepare().isEmpty());
        QVERIFY(report.errorText().contains(QStringLiteral("не загружен")));
        QVERIFY(!report.loadTemplate(QStringLiteral(":/report/missing.rpt")));
        QVERIFY(report.prepare().isEmpty());
        QVERIFY(report.errorText().contains(QStringLiteral("missing.rpt")));
        QVERIFY(report.loadTemplate(QStringLiteral(":/report/list.rpt")));
        QCOMPARE(report.prepare().size(), 1);
        QVERIFY(report.errorText().isEmpty());
    }
    {
        TableReport t(sampleRows(3));
        t.report.onGetValue = [&t](const QString&, QVariant&) {
            if (t.dataSet.recNo() == 2)
                throw DbError(QStringLiteral("соединение потеряно"));
        };
        QVERIFY(t.report.prepare().isEmpty());
        QVERIFY(t.report.preparedPages().isEmpty());
        QCOMPARE(t.report.errorText(), QStringLiteral("соединение потеряно"));
    }
    {
        QTemporaryDir dir;
        TableReport t(sampleRows(1),
                      writeTemplate(dir, QStringLiteral("[band D]\ntype = master-data\n"
                                                        "[memo M]\nband = D\nrect = 0 0 9 9\n"
                                                        "highlight = \"[Line#] mod\"\n")));
        QVERIFY(t.loaded());
        QVERIFY(t.report.prepare().isEmpty());
        QVERIFY(t.report.errorText().contains(QStringLiteral("1 mod")));
    }
    {
        QTemporaryDir dir;
        TableReport t(sampleRows(1), writeTemplate(dir, QStringLiteral("[band D]\ntype = x\n")));
        QVERIFY(!t.loaded());
        QVERIFY(t.report.prepare().isEmpty());
        QVERIFY(t.report.errorText().contains(QStringLiteral("строка 2")));
    }
}

QTEST_MAIN(TestReportPreparer)
#include "tst_reportpreparer.moc"
