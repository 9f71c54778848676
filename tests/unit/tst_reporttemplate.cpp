// SPDX-License-Identifier: MIT
#include "report/ReportError.h"
#include "report/ReportExpression.h"
#include "report/ReportTemplate.h"
#include "report/ReportTemplateParser.h"

#include <QtTest>

class TestReportTemplate : public QObject
{
    Q_OBJECT

private slots:
    void listTemplatePageAndBands();
    void listTemplateMemos();
    void listTemplateVariables();
    void quotingAndOrientation();
    void errorsNameTheLine_data();
    void errorsNameTheLine();
    void expressions();
};

namespace
{

const ReportMemo* memo(const ReportTemplate& tpl, const QString& name)
{
    for (const ReportBand& band : tpl.bands)
        for (const ReportMemo& m : band.memos)
            if (m.name == name)
                return &m;
    return nullptr;
}

} // namespace

void TestReportTemplate::listTemplatePageAndBands()
{
    const ReportTemplate tpl = ReportTemplateParser::load(QStringLiteral(":/report/list.rpt"));
    QCOMPARE(tpl.paperSize, QSizeF(210, 297));
    QCOMPARE(tpl.designWidth, 752.0);
    QVERIFY(qAbs(tpl.designHeight() - 752.0 * 297 / 210) < 1e-9);

    QCOMPARE(tpl.bands.size(), 4);
    const struct {
        const char* name;
        ReportBand::Type type;
        qreal top, height;
        QStringList memos;
    } expected[] = {
        {"ReportTitle1", ReportBand::Type::ReportTitle, 32, 40, {QStringLiteral("Memo1")}},
        {"PageHeader1",
         ReportBand::Type::PageHeader,
         108,
         32,
         {QStringLiteral("Memo2"), QStringLiteral("Memo3"), QStringLiteral("Memo4")}},
        // Memo13 first: the grey background lies under the texts.
        {"Band1",
         ReportBand::Type::MasterData,
         220,
         20,
         {QStringLiteral("Memo13"), QStringLiteral("Memo5"), QStringLiteral("Memo6"),
          QStringLiteral("Memo7")}},
        {"Band3", ReportBand::Type::PageFooter, 292, 28, {QStringLiteral("Memo8")}},
    };
    for (int i = 0; i < 4; ++i) {
        const ReportBand& band = tpl.bands[i];
        QCOMPARE(band.name, QString::fromLatin1(expected[i].name));
        QVERIFY(band.type == expected[i].type);
        QCOMPARE(band.top, expected[i].top);
        QCOMPARE(band.height, expected[i].height);
        QStringList names;
        for (const ReportMemo& m : band.memos)
            names << m.name;
        QCOMPARE(names, expected[i].memos);
    }
    QVERIFY(tpl.band(ReportBand::Type::PageHeader)->onFirstPage);
    QVERIFY(tpl.band(ReportBand::Type::PageFooter)->onFirstPage);
    QVERIFY(tpl.band(ReportBand::Type::PageFooter)->onLastPage);
}

void TestReportTemplate::listTemplateMemos()
{
    const ReportTemplate tpl = ReportTemplateParser::load(QStringLiteral(":/report/list.rpt"));
    const QString times = QStringLiteral("Times New Roman Cyr");
    const QString arial = QStringLiteral("Arial");
    const QColor none;
    const QColor white(255, 255, 255);
    const struct {
        const char* name;
        QRectF rect;
        QString text;
        QString family;
        qreal size;
        bool bold;
        QColor color;
        QColor background;
        Qt::Alignment align;
        int frames;
        qreal frameWidth;
        bool stretch;
        bool wrap;
    } expected[] = {
        {"Memo1",
         {12, 40, 728, 26},
         QStringLiteral("Телефонный справочник"),
         times,
         16,
         false,
         white,
         QColor(64, 128, 128),
         Qt::AlignHCenter,
         ReportMemo::NoFrame,
         1,
         true,
         true},
        {"Memo2",
         {16, 116, 204, 18},
         QStringLiteral("Фамилия Имя Отчество"),
         times,
         11,
         true,
         QColor(128, 0, 0),
         white,
         Qt::AlignLeft,
         ReportMemo::FrameBottom,
         1,
         true,
         true},
        {"Memo3",
         {224, 116, 176, 18},
         QStringLiteral("Название предприятия"),
         times,
         11,
         true,
         QColor(128, 0, 0),
         white,
         Qt::AlignLeft,
         ReportMemo::FrameBottom,
         1,
         true,
         true},
        {"Memo4",
         {404, 116, 320, 18},
         QStringLiteral("Телефоны"),
         times,
         11,
         true,
         QColor(128, 0, 0),
         white,
         Qt::AlignLeft,
         ReportMemo::FrameBottom,
         1,
         true,
         true},
        {"Memo13",
         {20, 220, 707, 20},
         QString(),
         arial,
         10,
         false,
         Qt::black,
         none,
         Qt::AlignLeft,
         ReportMemo::NoFrame,
         1,
         false,
         false},
        {"Memo5",
         {36, 221, 188, 17},
         QStringLiteral("[ fio]"),
         times,
         10,
         false,
         Qt::black,
         none,
         Qt::AlignLeft,
         ReportMemo::NoFrame,
         1,
         true,
         true},
        {"Memo6",
         {228, 221, 176, 18},
         QStringLiteral("[ pp]"),
         times,
         10,
         false,
         Qt::black,
         none,
         Qt::AlignLeft,
         ReportMemo::NoFrame,
         1,
         true,
         true},
        {"Memo7",
         {408, 221, 308, 18},
         QStringLiteral("[ phone]"),
         times,
         10,
         false,
         Qt::black,
         none,
         Qt::AlignLeft,
         ReportMemo::NoFrame,
         1,
         true,
         true},
        {"Memo8",
         {16, 300, 712, 16},
         QStringLiteral("Page [Page#] of [TOTALPAGES]"),
         arial,
         8,
         false,
         Qt::black,
         white,
         Qt::AlignRight,
         ReportMemo::FrameTop,
         2,
         false,
         true},
    };
    for (const auto& e : expected) {
        const ReportMemo* m = memo(tpl, QString::fromLatin1(e.name));
        QVERIFY2(m, e.name);
        QCOMPARE(m->rect, e.rect);
        QCOMPARE(m->text, e.text);
        QCOMPARE(m->fontFamily, e.family);
        QCOMPARE(m->fontSize, e.size);
        QCOMPARE(m->bold, e.bold);
        QCOMPARE(m->italic, false);
        QCOMPARE(m->color, e.color);
        QCOMPARE(m->background, e.background);
        QCOMPARE(m->alignment & Qt::AlignHorizontal_Mask, e.align);
        QCOMPARE(m->alignment & Qt::AlignVertical_Mask, Qt::AlignTop);
        QCOMPARE(m->frames, e.frames);
        if (e.frames)
            QCOMPARE(m->frameWidth, e.frameWidth);
        QCOMPARE(m->stretch, e.stretch);
        QCOMPARE(m->wordWrap, e.wrap);
    }
    const ReportMemo* grey = memo(tpl, QStringLiteral("Memo13"));
    QCOMPARE(grey->highlight, QStringLiteral("[Line#] mod 2"));
    QCOMPARE(grey->highlightBackground, QColor(240, 240, 240));
}

void TestReportTemplate::listTemplateVariables()
{
    const ReportTemplate tpl = ReportTemplateParser::load(QStringLiteral(":/report/list.rpt"));
    QCOMPARE(tpl.variables.size(), 3);
    const QStringList names = {QStringLiteral(" fio"), QStringLiteral(" pp"),
                               QStringLiteral(" phone")};
    for (int i = 0; i < 3; ++i) {
        QCOMPARE(tpl.variables[i].category, QStringLiteral("Все поля"));
        QCOMPARE(tpl.variables[i].name, names[i]);
        QVERIFY(tpl.variables[i].value.isEmpty());
    }
}

void TestReportTemplate::quotingAndOrientation()
{
    const ReportTemplate tpl = ReportTemplateParser::parse(
        QStringLiteral("# comment\n"
                       "[page]\r\n"
                       "paper = 210 297\n"
                       "orientation = landscape\n"
                       "design-width = 1000\n"
                       "[variables \"Мои поля\"]\n"
                       "variable = \"a b\" \"значение\"\n"
                       "[band D]\n"
                       "type = master-data\n"
                       "height = 10\n"
                       "[memo M]\n"
                       "band = D\n"
                       "rect = 0 0 100 10\n"
                       "text = \"say \\\"hi\\\"\\n\\\\ [x] ; not a comment\"\n"
                       "font = Arial 9.5 bold italic\n"
                       "align = right bottom\n"
                       "frame = left top right bottom 0.5\n"));
    QCOMPARE(tpl.paperSize, QSizeF(297, 210));
    QCOMPARE(tpl.designHeight(), 210.0 * 1000 / 297);
    QCOMPARE(tpl.variables.size(), 1);
    QCOMPARE(tpl.variables[0].category, QStringLiteral("Мои поля"));
    QCOMPARE(tpl.variables[0].name, QStringLiteral("a b"));
    QCOMPARE(tpl.variables[0].value, QStringLiteral("значение"));
    const ReportMemo& m = tpl.bands[0].memos[0];
    QCOMPARE(m.text, QStringLiteral("say \"hi\"\n\\ [x] ; not a comment"));
    QCOMPARE(m.fontSize, 9.5);
    QVERIFY(m.bold && m.italic);
    QCOMPARE(m.alignment, Qt::AlignRight | Qt::AlignBottom);
    QCOMPARE(m.frames, ReportMemo::FrameLeft | ReportMemo::FrameTop | ReportMemo::FrameRight |
                           ReportMemo::FrameBottom);
    QCOMPARE(m.frameWidth, 0.5);
}

void TestReportTemplate::errorsNameTheLine_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<int>("line");
    const QString band = QStringLiteral("[band B]\ntype = master-data\n");
    QTest::newRow("open quote") << band + QStringLiteral("[memo M]\nband = B\ntext = \"abc\n") << 5;
    QTest::newRow("unknown key") << band + QStringLiteral("heigth = 3\n") << 3;
    QTest::newRow("unknown section") << QStringLiteral("\n[bands X]\n") << 2;
    QTest::newRow("key outside section") << QStringLiteral("top = 1\n") << 1;
    QTest::newRow("no equals sign") << band + QStringLiteral("top 1\n") << 3;
    QTest::newRow("bad number") << band + QStringLiteral("top = 1x\n") << 3;
    QTest::newRow("negative number") << band + QStringLiteral("height = -4\n") << 3;
    QTest::newRow("bad colour") << band + QStringLiteral("[memo M]\nband = B\nrect = 0 0 1 1\n"
                                                         "background = 300 0 0\n")
                                << 6;
    QTest::newRow("memo without rect") << band + QStringLiteral("[memo M]\nband = B\n") << 3;
    QTest::newRow("memo of unknown band")
        << band + QStringLiteral("[memo M]\nband = C\nrect = 0 0 1 1\n") << 3;
    QTest::newRow("band without type") << QStringLiteral("[band B]\nheight = 3\n") << 1;
    QTest::newRow("second data band")
        << band + QStringLiteral("[band C]\ntype = master-data\n") << 3;
    QTest::newRow("duplicate memo") << band + QStringLiteral("[memo M]\nband = B\nrect = 0 0 1 1\n"
                                                             "[memo M]\n")
                                    << 6;
    QTest::newRow("bad yes/no") << band + QStringLiteral("first-page = true\n") << 3;
    QTest::newRow("unclosed section") << QStringLiteral("[page\n") << 1;
    QTest::newRow("zero paper") << QStringLiteral("[page]\npaper = 0 297\n") << 2;
}

void TestReportTemplate::errorsNameTheLine()
{
    QFETCH(QString, text);
    QFETCH(int, line);
    try {
        ReportTemplateParser::parse(text);
        QFAIL("the template was accepted");
    } catch (const ReportError& e) {
        QVERIFY2(e.text().contains(QStringLiteral("строка %1:").arg(line)), qPrintable(e.text()));
    }
}

void TestReportTemplate::expressions()
{
    QCOMPARE(ReportExpression::evaluate(QStringLiteral("1 mod 2")), 1);
    QCOMPARE(ReportExpression::evaluate(QStringLiteral("4 MOD 2")), 0);
    QCOMPARE(ReportExpression::evaluate(QStringLiteral("(2 + 3) * 4 - 7 div 2")), 17);
    QCOMPARE(ReportExpression::evaluate(QStringLiteral("-3 + 10")), 7);
    QCOMPARE(ReportExpression::evaluate(QStringLiteral("3 mod 2 = 1")), 1);
    QCOMPARE(ReportExpression::evaluate(QStringLiteral("2 <> 2")), 0);
    QCOMPARE(ReportExpression::evaluate(QStringLiteral("2 >= 3")), 0);
    QCOMPARE(ReportExpression::evaluate(QStringLiteral("2 <= 3")), 1);
    for (const char* bad : {"1 mod 0", "7 div 0", "", "abc", "1 +", "(1", "1 2", "1 ) "}) {
        try {
            ReportExpression::evaluate(QString::fromLatin1(bad));
            QFAIL(bad);
        } catch (const ReportError& e) {
            QVERIFY(!e.text().isEmpty());
        }
    }
}

QTEST_MAIN(TestReportTemplate)
#include "tst_reporttemplate.moc"
