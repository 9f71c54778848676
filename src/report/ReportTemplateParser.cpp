// SPDX-License-Identifier: MIT
//
// The report template format: UTF-8 text of sections and "key = value" lines.
// Blank lines and lines starting with ';' or '#' are ignored. A value is a
// list of tokens separated by blanks; a token in double quotes may hold
// blanks and the escapes \" \\ \n. Unknown sections and keys are errors.
//
//   [page]                        the paper and the design page
//   paper = 210 297               paper width and height in millimetres
//   orientation = portrait        or landscape (swaps width and height)
//   design-width = 752            design units across the paper; the same
//                                 unit is used downwards
//
//   [variables "Все поля"]        a category of variables asked from the program
//   variable = " fio"             the name (blanks count); an optional second
//                                 token is the value passed to the program
//
//   [band Name]                   bands print in the order of their type:
//   type = title                  once at the start of the report
//        | page-header            at the top of every page
//        | master-data            once per record of the data set
//        | page-footer            at the bottom of every page
//   top = 32                      position on the design page (design units)
//   height = 40
//   first-page = yes              page header and footer: on the first page too
//   last-page = yes               page footer: on the last page too
//
//   [memo Name]                   a text object, drawn in file order
//   band = Name                   its band, declared above
//   rect = 12 40 728 26           left, top, width, height on the design page
//   text = "Page [Page#]"         [name] is a variable: the engine's own are
//                                 [Page#], [TOTALPAGES] and [Line#] (the data
//                                 line number from 1); others are asked
//   font = "Arial" 10 bold        family, size in points, then bold / italic
//   color = 0 0 0                 text colour, red green blue
//   background = 255 255 255      or transparent (the default)
//   align = left                  left | center | right, then top | middle | bottom
//   frame = bottom 1              none, or sides (left top right bottom) and a width
//   stretch = yes                 the object grows with its text, the band with it
//   wrap = yes                    word wrap within the object's width
//   highlight = "[Line#] mod 2"   an integer condition (+ - * div mod, comparisons,
//                                 parentheses): where it is non-zero ...
//   highlight-background = 240 240 240   ... this background is used
#include "report/ReportTemplateParser.h"
#include "report/ReportError.h"

#include <QFile>
#include <QStringList>

namespace
{

QString lineError(int line, const QString& text)
{
    return QStringLiteral("Шаблон отчёта, строка %1: %2").arg(line).arg(text);
}

QStringList tokens(const QString& value, int line)
{
    QStringList result;
    qsizetype i = 0;
    const qsizetype n = value.size();
    while (i < n) {
        if (value[i].isSpace()) {
            ++i;
            continue;
        }
        QString token;
        if (value[i] == u'"') {
            ++i;
            bool closed = false;
            while (i < n) {
                const QChar c = value[i++];
                if (c == u'"') {
                    closed = true;
                    break;
                }
                if (c == u'\\' && i < n) {
                    const QChar e = value[i++];
                    token += e == u'n' ? QChar(u'\n') : e;
                } else {
                    token += c;
                }
            }
            if (!closed)
                throw ReportError(lineError(line, QStringLiteral("не закрыты кавычки")));
        } else {
            while (i < n && !value[i].isSpace())
                token += value[i++];
        }
        result.append(token);
    }
    return result;
}

class Reader
{
public:
    ReportTemplate parse(const QString& text);

private:
    void section(const QString& header);
    void pageKey(const QString& key, const QStringList& values);
    void variablesKey(const QString& key, const QStringList& values);
    void bandKey(const QString& key, const QStringList& values);
    void memoKey(const QString& key, const QStringList& values);
    void finishSection();

    [[noreturn]] void fail(const QString& text) const
    {
        throw ReportError(lineError(m_line, text));
    }
    void expectCount(const QStringList& values, qsizetype count) const;
    qreal number(const QString& token) const;
    bool yesNo(const QStringList& values) const;
    QColor color(const QStringList& values) const;

    ReportTemplate m_tpl;
    int m_line = 0;
    int m_sectionLine = 0;
    QString m_kind;
    QString m_name;
    bool m_landscape = false;
    ReportBand m_band;
    ReportMemo m_memo;
    bool m_hasType = false;
    bool m_hasRect = false;
};

void Reader::expectCount(const QStringList& values, qsizetype count) const
{
    if (values.size() != count)
        fail(QStringLiteral("ожидалось значений: %1").arg(count));
}

qreal Reader::number(const QString& token) const
{
    bool ok = false;
    const qreal value = token.toDouble(&ok);
    if (!ok || value < 0)
        fail(QStringLiteral("неверное число \"%1\"").arg(token));
    return value;
}

bool Reader::yesNo(const QStringList& values) const
{
    expectCount(values, 1);
    if (values[0] == u"yes")
        return true;
    if (values[0] != u"no")
        fail(QStringLiteral("ожидалось yes или no"));
    return false;
}

QColor Reader::color(const QStringList& values) const
{
    if (values.size() == 1 && values[0] == u"transparent")
        return QColor();
    expectCount(values, 3);
    int rgb[3];
    for (int i = 0; i < 3; ++i) {
        const qreal v = number(values[i]);
        if (v > 255 || v != int(v))
            fail(QStringLiteral("неверная составляющая цвета \"%1\"").arg(values[i]));
        rgb[i] = int(v);
    }
    return QColor(rgb[0], rgb[1], rgb[2]);
}

void Reader::section(const QString& header)
{
    finishSection();
    const QStringList parts = tokens(header, m_line);
    m_sectionLine = m_line;
    m_kind = parts.value(0);
    m_name = parts.value(1);
    if (m_kind == u"page") {
        if (parts.size() != 1)
            fail(QStringLiteral("у раздела page нет имени"));
        return;
    }
    if (m_kind != u"variables" && m_kind != u"band" && m_kind != u"memo")
        fail(QStringLiteral("неизвестный раздел \"%1\"").arg(m_kind));
    if (parts.size() != 2 || m_name.isEmpty())
        fail(QStringLiteral("раздел %1 требует одно имя").arg(m_kind));
    if (m_kind == u"band") {
        for (const ReportBand& b : m_tpl.bands)
            if (b.name == m_name)
                fail(QStringLiteral("полоса \"%1\" уже есть").arg(m_name));
        m_band = ReportBand();
        m_band.name = m_name;
        m_hasType = false;
    } else if (m_kind == u"memo") {
        for (const ReportBand& b : m_tpl.bands)
            for (const ReportMemo& m : b.memos)
                if (m.name == m_name)
                    fail(QStringLiteral("объект \"%1\" уже есть").arg(m_name));
        m_memo = ReportMemo();
        m_memo.name = m_name;
        m_hasRect = false;
    }
}

void Reader::finishSection()
{
    const int line = m_line;
    m_line = m_sectionLine;
    if (m_kind == u"band") {
        if (!m_hasType)
            fail(QStringLiteral("у полосы \"%1\" не задан type").arg(m_band.name));
        if (m_tpl.band(m_band.type))
            fail(QStringLiteral("вторая полоса того же типа: \"%1\"").arg(m_band.name));
        m_tpl.bands.append(m_band);
    } else if (m_kind == u"memo") {
        if (!m_hasRect)
            fail(QStringLiteral("у объекта \"%1\" не задан rect").arg(m_memo.name));
        auto band = std::find_if(m_tpl.bands.begin(), m_tpl.bands.end(),
                                 [this](const ReportBand& b) { return b.name == m_memo.band; });
        if (band == m_tpl.bands.end())
            fail(
                QStringLiteral("у объекта \"%1\" нет полосы \"%2\"").arg(m_memo.name, m_memo.band));
        band->memos.append(m_memo);
    }
    m_kind.clear();
    m_line = line;
}

void Reader::pageKey(const QString& key, const QStringList& values)
{
    if (key == u"paper") {
        expectCount(values, 2);
        m_tpl.paperSize = QSizeF(number(values[0]), number(values[1]));
        if (m_tpl.paperSize.isEmpty())
            fail(QStringLiteral("пустой размер бумаги"));
    } else if (key == u"orientation") {
        expectCount(values, 1);
        if (values[0] != u"portrait" && values[0] != u"landscape")
            fail(QStringLiteral("ожидалось portrait или landscape"));
        m_landscape = values[0] == u"landscape";
    } else if (key == u"design-width") {
        expectCount(values, 1);
        m_tpl.designWidth = number(values[0]);
        if (m_tpl.designWidth <= 0)
            fail(QStringLiteral("ширина страницы должна быть больше нуля"));
    } else {
        fail(QStringLiteral("неизвестный ключ \"%1\"").arg(key));
    }
}

void Reader::variablesKey(const QString& key, const QStringList& values)
{
    if (key != u"variable")
        fail(QStringLiteral("неизвестный ключ \"%1\"").arg(key));
    if (values.isEmpty() || values.size() > 2)
        fail(QStringLiteral("ожидались имя и, может быть, значение"));
    m_tpl.variables.append({m_name, values[0], values.value(1)});
}

void Reader::bandKey(const QString& key, const QStringList& values)
{
    if (key == u"type") {
        expectCount(values, 1);
        const QString& t = values[0];
        if (t == u"title")
            m_band.type = ReportBand::Type::ReportTitle;
        else if (t == u"page-header")
            m_band.type = ReportBand::Type::PageHeader;
        else if (t == u"master-data")
            m_band.type = ReportBand::Type::MasterData;
        else if (t == u"page-footer")
            m_band.type = ReportBand::Type::PageFooter;
        else
            fail(QStringLiteral("неизвестный тип полосы \"%1\"").arg(t));
        m_hasType = true;
    } else if (key == u"top") {
        expectCount(values, 1);
        m_band.top = number(values[0]);
    } else if (key == u"height") {
        expectCount(values, 1);
        m_band.height = number(values[0]);
    } else if (key == u"first-page") {
        m_band.onFirstPage = yesNo(values);
    } else if (key == u"last-page") {
        m_band.onLastPage = yesNo(values);
    } else {
        fail(QStringLiteral("неизвестный ключ \"%1\"").arg(key));
    }
}

void Reader::memoKey(const QString& key, const QStringList& values)
{
    if (key == u"band") {
        expectCount(values, 1);
        m_memo.band = values[0];
    } else if (key == u"rect") {
        expectCount(values, 4);
        m_memo.rect =
            QRectF(number(values[0]), number(values[1]), number(values[2]), number(values[3]));
        m_hasRect = true;
    } else if (key == u"text") {
        expectCount(values, 1);
        m_memo.text = values[0];
    } else if (key == u"font") {
        if (values.size() < 2)
            fail(QStringLiteral("ожидались семейство и размер шрифта"));
        m_memo.fontFamily = values[0];
        m_memo.fontSize = number(values[1]);
        if (m_memo.fontSize <= 0)
            fail(QStringLiteral("размер шрифта должен быть больше нуля"));
        for (qsizetype i = 2; i < values.size(); ++i) {
            if (values[i] == u"bold")
                m_memo.bold = true;
            else if (values[i] == u"italic")
                m_memo.italic = true;
            else
                fail(QStringLiteral("неизвестное начертание \"%1\"").arg(values[i]));
        }
    } else if (key == u"color") {
        m_memo.color = color(values);
        if (!m_memo.color.isValid())
            fail(QStringLiteral("цвет текста не может быть прозрачным"));
    } else if (key == u"background") {
        m_memo.background = color(values);
    } else if (key == u"align") {
        if (values.isEmpty() || values.size() > 2)
            fail(QStringLiteral("ожидалось выравнивание"));
        const QString& h = values[0];
        Qt::Alignment a = h == u"left"     ? Qt::AlignLeft
                          : h == u"center" ? Qt::AlignHCenter
                          : h == u"right"  ? Qt::AlignRight
                                           : Qt::Alignment();
        if (!a)
            fail(QStringLiteral("неизвестное выравнивание \"%1\"").arg(h));
        const QString v = values.value(1, QStringLiteral("top"));
        const Qt::Alignment va = v == u"top"      ? Qt::AlignTop
                                 : v == u"middle" ? Qt::AlignVCenter
                                 : v == u"bottom" ? Qt::AlignBottom
                                                  : Qt::Alignment();
        if (!va)
            fail(QStringLiteral("неизвестное выравнивание \"%1\"").arg(v));
        m_memo.alignment = a | va;
    } else if (key == u"frame") {
        if (values == QStringList{QStringLiteral("none")}) {
            m_memo.frames = ReportMemo::NoFrame;
            return;
        }
        if (values.size() < 2)
            fail(QStringLiteral("ожидались стороны рамки и толщина"));
        int frames = ReportMemo::NoFrame;
        for (qsizetype i = 0; i + 1 < values.size(); ++i) {
            const QString& s = values[i];
            const int side = s == u"left"     ? ReportMemo::FrameLeft
                             : s == u"top"    ? ReportMemo::FrameTop
                             : s == u"right"  ? ReportMemo::FrameRight
                             : s == u"bottom" ? ReportMemo::FrameBottom
                                              : 0;
            if (!side)
                fail(QStringLiteral("неизвестная сторона рамки \"%1\"").arg(s));
            frames |= side;
        }
        m_memo.frames = frames;
        m_memo.frameWidth = number(values.last());
    } else if (key == u"stretch") {
        m_memo.stretch = yesNo(values);
    } else if (key == u"wrap") {
        m_memo.wordWrap = yesNo(values);
    } else if (key == u"highlight") {
        expectCount(values, 1);
        m_memo.highlight = values[0];
    } else if (key == u"highlight-background") {
        m_memo.highlightBackground = color(values);
    } else {
        fail(QStringLiteral("неизвестный ключ \"%1\"").arg(key));
    }
}

ReportTemplate Reader::parse(const QString& text)
{
    const QStringList lines = text.split(u'\n');
    for (const QString& raw : lines) {
        ++m_line;
        const QString line = raw.trimmed();
        if (line.isEmpty() || line.startsWith(u';') || line.startsWith(u'#'))
            continue;
        if (line.startsWith(u'[')) {
            if (!line.endsWith(u']'))
                fail(QStringLiteral("раздел не закрыт скобкой"));
            section(line.mid(1, line.size() - 2));
            continue;
        }
        const qsizetype eq = line.indexOf(u'=');
        if (eq <= 0)
            fail(QStringLiteral("ожидалось \"ключ = значение\""));
        if (m_kind.isEmpty())
            fail(QStringLiteral("ключ вне раздела"));
        const QString key = line.left(eq).trimmed();
        const QStringList values = tokens(line.mid(eq + 1), m_line);
        if (m_kind == u"page")
            pageKey(key, values);
        else if (m_kind == u"variables")
            variablesKey(key, values);
        else if (m_kind == u"band")
            bandKey(key, values);
        else
            memoKey(key, values);
    }
    finishSection();
    if (m_landscape)
        m_tpl.paperSize.transpose();
    std::stable_sort(m_tpl.bands.begin(), m_tpl.bands.end(),
                     [](const ReportBand& a, const ReportBand& b) { return a.top < b.top; });
    return m_tpl;
}

} // namespace

ReportTemplate ReportTemplateParser::parse(const QString& text)
{
    return Reader().parse(text);
}

ReportTemplate ReportTemplateParser::load(const QString& path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        throw ReportError(QStringLiteral("Не удалось открыть шаблон отчёта %1: %2")
                              .arg(path, file.errorString()));
    return parse(QString::fromUtf8(file.readAll()));
}
