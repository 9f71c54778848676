// SPDX-License-Identifier: MIT
#include "SampleRecord.h"
#include "TestDatabase.h"
#include "db/HiddenFields.h"
#include "directory/DirectoryEntries.h"
#include "directory/ldap/LdapCandidates.h"
#include "directory/ldap/LdapSearch.h"
#include "records/RecordStore.h"

#include <QtTest>

namespace
{

using Kind = LdapFilter::Kind;

LdapFilter term(Kind kind, const QString& attribute, const QString& value)
{
    LdapFilter f;
    f.kind = kind;
    f.attribute = attribute;
    f.value = value;
    return f;
}

LdapFilter eq(const QString& attribute, const QString& value)
{
    return term(Kind::Equality, attribute, value);
}

// "initial*any*final" as a substring filter.
LdapFilter sub(const QString& attribute, const QString& pattern)
{
    LdapFilter f = term(Kind::Substrings, attribute, {});
    QStringList parts = pattern.split(QLatin1Char('*'));
    f.initial = parts.takeFirst();
    f.final = parts.takeLast();
    f.any = parts;
    return f;
}

LdapFilter group(Kind kind, const QList<LdapFilter>& children)
{
    LdapFilter f;
    f.kind = kind;
    f.children = children;
    return f;
}

const QString base = QStringLiteral("dc=sprav");

} // namespace

Q_DECLARE_METATYPE(LdapFilter)

// The records a filter's terms narrow the search to never leave out one the
// filter matches: a search answers exactly what reading every record would.
class TestLdapCandidates : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void narrowedSearchFindsWhatAFullReadFinds_data();
    void narrowedSearchFindsWhatAFullReadFinds();

private:
    std::unique_ptr<TestDatabase> m_test;
};

void TestLdapCandidates::initTestCase()
{
    SPRAV_REQUIRE_DATABASE();
    m_test = std::make_unique<TestDatabase>();
    RecordStore store(m_test->db());
    const QString mobileCode = QStringLiteral(" %1 ").arg(
        HiddenFields::number(HiddenFields::code(HiddenFields::phone(3))));
    store.insert(SampleRecord::person(u"Иванов", u"Иван Петрович")
                     .firm(u"Рога и копыта")
                     .phone(1, u"8 (843) 555-12-34")
                     .phone(3, u"+7 916 123-45-67")
                     .email(u"Ivanov@Roga.ru"));
    store.insert(SampleRecord::person(u"Ёлкина", u"Алёна").phone(1, u"555-77-88"));
    store.insert(SampleRecord().firm(u"Школа 1234", u"Средняя школа № 1234").phone(1, u"12-34"));
    store.insert(SampleRecord().phone(2, u"222-33-44"));
    store.insert(SampleRecord::person(u" ", u"Ивашова Инна"));
    store.insert(SampleRecord().firm(u" ", u"Ивановский_завод 100%"));
    store.insert(SampleRecord::person(u"Иваненко", u"Ольга")
                     .phone(3, u"+7 916 765-43-21")
                     .email(u"olga@kopyta.ru")
                     .owns(u" Иванов ")
                     .hided(mobileCode));
    store.insert(
        SampleRecord::person(u"Тайнов").owns(u" Иванов ").hided(HiddenFields::wholeRecord()));
}

void TestLdapCandidates::narrowedSearchFindsWhatAFullReadFinds_data()
{
    QTest::addColumn<LdapFilter>("filter");
    QTest::addColumn<bool>("narrowed");
    QTest::newRow("name beginning")
        << group(Kind::Or, {sub("cn", "Ива*"), sub("sn", "Ива*")}) << true;
    QTest::newRow("beginning with a blank") << sub("cn", "Иванов И*") << true;
    QTest::newRow("beginning of an enterprise") << sub("displayName", "ивановский_з*") << true;
    QTest::newRow("ё as е, letter case") << sub("cn", "елкин*") << true;
    QTest::newRow("first name") << sub("givenName", "*ЛЁНА*") << true;
    QTest::newRow("full name across the blank") << eq("cn", "Иванов Иван Петрович") << true;
    QTest::newRow("enterprise") << sub("o", "*школа*") << true;
    QTest::newRow("enterprise as the name") << sub("cn", "Школа*") << true;
    QTest::newRow("nameless record by its id") << sub("cn", "4*") << false;
    QTest::newRow("full number") << group(Kind::Or, {eq("telephoneNumber", "+7 (843) 555-12-34"),
                                                     eq("mobile", "+7 (843) 555-12-34")})
                                 << true;
    QTest::newRow("mobile as dialled") << eq("mobile", "8 916 123 45 67") << true;
    QTest::newRow("hidden mobile") << eq("mobile", "+79167654321") << true;
    QTest::newRow("number piece") << sub("homePhone", "*33-44*") << true;
    QTest::newRow("short number") << eq("telephoneNumber", "12-34") << true;
    QTest::newRow("Thunderbird") << group(Kind::Or, {sub("cn", "*rog*"), sub("mail", "*rog*"),
                                                     sub("sn", "*rog*"), sub("givenName", "*rog*")})
                                 << true;
    QTest::newRow("and with an unindexed term")
        << group(Kind::And, {term(Kind::Present, "objectClass", {}), sub("sn", "*нко")}) << true;
    QTest::newRow("or with an unindexed term")
        << group(Kind::Or, {sub("sn", "Ив*"), term(Kind::Present, "mail", {})}) << false;
    QTest::newRow("uid") << eq("uid", "1") << true;
    QTest::newRow("two letters") << sub("sn", "Ив*") << false;
}

void TestLdapCandidates::narrowedSearchFindsWhatAFullReadFinds()
{
    QFETCH(LdapFilter, filter);
    QFETCH(bool, narrowed);
    const DirectoryEntries entries(m_test->db(), base);
    LdapRequest request;
    request.op = LdapRequest::Op::Search;
    request.base = entries.peopleDn().toUtf8();
    request.scope = LdapRequest::Scope::OneLevel;
    request.filter = filter;
    for (const Viewer& viewer : {Viewer::anonymous(), Viewer::named(QStringLiteral("Иванов"))}) {
        // Every record the viewer may see, read one by one.
        QStringList expected;
        entries.forEachPerson(viewer, std::nullopt, [&](DirectoryEntry&& entry) {
            if (filter.matches(entry))
                expected.append(entry.dn);
            return true;
        });
        QStringList found;
        for (const DirectoryEntry& entry : LdapSearch(entries).run(request, viewer).entries)
            found.append(entry.dn);
        QCOMPARE(found, expected);
        QCOMPARE(LdapCandidates(m_test->db(), viewer).of(filter).has_value(), narrowed);
    }
}

QTEST_GUILESS_MAIN(TestLdapCandidates)
#include "tst_ldapcandidates.moc"
