// SPDX-License-Identifier: MIT
#include "directory/http/HttpHandler.h"
#include "common/DbError.h"
#include "directory/http/CallerLookup.h"
#include "directory/http/HttpLog.h"
#include "directory/http/PhonebookEntries.h"
#include "directory/http/PhonebookXml.h"

#include <QJsonDocument>
#include <QJsonObject>
#include <QRegularExpression>
#include <QUrl>
#include <QUrlQuery>

namespace
{

const QByteArray xmlType = QByteArrayLiteral("text/xml; charset=utf-8");

HttpReply empty(int status)
{
    return HttpReply{status, QByteArrayLiteral("text/plain; charset=utf-8"), {}, {}};
}

HttpReply content(const QByteArray& type, const QByteArray& body)
{
    return HttpReply{200, type, body, {}};
}

// A name goes into a PBX's caller ID and from there into SIP headers: line
// breaks and other control characters become blanks.
QString oneLine(const QString& text)
{
    QString line = text;
    for (QChar& c : line) {
        if (c.category() == QChar::Other_Control || c.category() == QChar::Separator_Line ||
            c.category() == QChar::Separator_Paragraph)
            c = QLatin1Char(' ');
    }
    return line.simplified();
}

} // namespace

HttpHandler::HttpHandler(const HttpConfig& config, const QSqlDatabase& db)
    : m_config(config), m_access(config), m_numbers(config.region), m_db(db)
{
}

HttpReply HttpHandler::handle(const HttpRequest& request) const
{
    if (request.method != "GET" && request.method != "HEAD") {
        HttpReply reply = empty(405);
        reply.headers.append({QByteArrayLiteral("Allow"), QByteArrayLiteral("GET, HEAD")});
        return reply;
    }
    // The path comes from the client: logged quoted, control characters escaped.
    if (!m_access.addressAllowed(request.client)) {
        qCWarning(lcHttp) << "HTTP: refused" << request.path << "from" << request.client
                          << "(address not allowed)";
        return empty(403);
    }
    const QString key = request.query.value(QStringLiteral("key"));
    if (!m_access.keyAccepted(key)) {
        qCWarning(lcHttp) << "HTTP: refused" << request.path << "from" << request.client
                          << "(wrong key" << HttpAccess::fingerprint(key) << ")";
        return empty(403);
    }
    try {
        HttpReply reply = route(request);
        reply.headers.append({QByteArrayLiteral("Cache-Control"), QByteArrayLiteral("no-store")});
        return reply;
    } catch (const DbError& error) {
        qCWarning(lcHttp) << "HTTP:" << request.path << "failed:" << error.text();
        return empty(500);
    } catch (const std::exception& error) {
        qCWarning(lcHttp) << "HTTP:" << request.path << "failed:" << error.what();
        return empty(500);
    }
}

HttpReply HttpHandler::route(const HttpRequest& request) const
{
    const QString& path = request.path;
    if (path == QLatin1String("/cid"))
        return callerId(request, false);
    if (path == QLatin1String("/cid.json"))
        return callerId(request, true);
    if (path == QLatin1String("/phonebook/cisco.xml"))
        return ciscoPage(request);
    if (path == QLatin1String("/phonebook/cisco-search.xml"))
        return ciscoSearch(request);
    for (const char* vendor : {"yealink", "grandstream"}) {
        if (path == QStringLiteral("/phonebook/%1.xml").arg(QLatin1String(vendor)))
            return phonebook(request, QLatin1String(vendor));
    }
    return empty(404);
}

HttpReply HttpHandler::callerId(const HttpRequest& request, bool json) const
{
    const QString number = request.query.value(QStringLiteral("number"));
    const auto caller =
        CallerLookup(m_db, m_numbers, Viewer::profile(m_config.profile)).find(number);
    if (!json)
        return content(QByteArrayLiteral("text/plain; charset=utf-8"),
                       caller ? oneLine(caller->name).toUtf8() : QByteArray());
    QJsonObject object{{QStringLiteral("found"), bool(caller)}};
    if (caller) {
        object.insert(QStringLiteral("name"), oneLine(caller->name));
        object.insert(QStringLiteral("enterprise"), oneLine(caller->enterprise));
        object.insert(QStringLiteral("kind"), caller->kind);
    }
    return content(QByteArrayLiteral("application/json"),
                   QJsonDocument(object).toJson(QJsonDocument::Compact));
}

HttpReply HttpHandler::phonebook(const HttpRequest& request, const QString& vendor) const
{
    const PhonebookEntries entries(m_db, m_numbers, Viewer::profile(m_config.profile));
    const QList<int> ids = entries.ids(request.query.value(QStringLiteral("q")));
    const int limit = m_config.phonebookLimit;
    const auto page = entries.page(ids, 0, limit, limit * 6);
    if (vendor == QLatin1String("yealink"))
        return content(xmlType, PhonebookXml::yealink(page.entries));
    return content(xmlType, PhonebookXml::grandstream(page.entries));
}

// Cisco's pages of 32 phones: ?start= gives where a page begins in the list,
// and the page's "Далее" key links to the next one.
HttpReply HttpHandler::ciscoPage(const HttpRequest& request) const
{
    const PhonebookEntries entries(m_db, m_numbers, Viewer::profile(m_config.profile));
    const QString typed = request.query.value(QStringLiteral("q"));
    const QList<int> ids = entries.ids(typed);
    const int start = request.query.value(QStringLiteral("start")).toInt();
    const auto page =
        entries.page(ids, start, PhonebookXml::CiscoPageSize, PhonebookXml::CiscoPageSize);
    PhonebookXml::CiscoPage cisco;
    cisco.entries = page.entries;
    cisco.title = QStringLiteral("Справочник");
    cisco.prompt = typed.trimmed().isEmpty() ? QStringLiteral("Выберите запись")
                                             : QStringLiteral("Поиск: ") + typed.trimmed();
    if (page.next >= 0) {
        QUrlQuery query;
        query.addQueryItem(QStringLiteral("key"), request.query.value(QStringLiteral("key")));
        if (!typed.isEmpty())
            query.addQueryItem(QStringLiteral("q"), typed);
        query.addQueryItem(QStringLiteral("start"), QString::number(page.next));
        QUrl next(selfUrl(request) + QStringLiteral("/phonebook/cisco.xml"));
        next.setQuery(query);
        cisco.nextUrl = next.toString(QUrl::FullyEncoded);
    }
    return content(xmlType, PhonebookXml::cisco(cisco));
}

// The form a Cisco phone shows to search: what is typed goes to the first
// page of the phonebook as ?q=.
HttpReply HttpHandler::ciscoSearch(const HttpRequest& request) const
{
    QUrlQuery query;
    query.addQueryItem(QStringLiteral("key"), request.query.value(QStringLiteral("key")));
    QUrl url(selfUrl(request) + QStringLiteral("/phonebook/cisco.xml"));
    url.setQuery(query);
    return content(xmlType, PhonebookXml::ciscoSearch(url.toString(QUrl::FullyEncoded)));
}

// The service as the phone reached it: the Host header when it is a plain
// host name or address with a port, else the listening address.
QString HttpHandler::selfUrl(const HttpRequest& request) const
{
    static const QRegularExpression plainHost(
        QStringLiteral("^(\\[[0-9A-Fa-f:.]+\\]|[A-Za-z0-9.-]+)(:[0-9]{1,5})?$"));
    if (plainHost.match(request.host).hasMatch())
        return QStringLiteral("http://") + request.host;
    QUrl url;
    url.setScheme(QStringLiteral("http"));
    url.setHost(m_config.address.toString());
    url.setPort(m_config.port);
    return url.toString();
}
