// SPDX-License-Identifier: MIT
#include "directory/ldap/LdapSearch.h"
#include "directory/ldap/LdapCandidates.h"
#include "directory/ldap/LdapDn.h"

using Scope = LdapRequest::Scope;

DirectoryEntry LdapSearch::rootDse() const
{
    DirectoryEntry dse;
    dse.add(QStringLiteral("objectClass"), QStringLiteral("top"));
    dse.add(QStringLiteral("namingContexts"), m_entries.baseDn());
    dse.add(QStringLiteral("supportedLDAPVersion"), QStringLiteral("3"));
    dse.add(QStringLiteral("supportedControl"),
            QString::fromLatin1(LdapResponse::pagedResultsOid()));
    dse.add(QStringLiteral("vendorName"), QStringLiteral("Справочник"));
    return dse;
}

LdapSearch::Outcome LdapSearch::run(const LdapRequest& request, const Viewer& viewer,
                                    QDeadlineTimer deadline, qint64 wanted) const
{
    bool people = false;
    Outcome found = candidates(request, viewer, people);
    QList<DirectoryEntry> matching;
    const auto take = [&](DirectoryEntry&& entry) {
        if (deadline.hasExpired()) {
            found.code = LdapResult::TimeLimitExceeded;
            return false;
        }
        if (request.filter.matches(entry))
            matching.append(std::move(entry));
        found.complete = matching.size() < wanted;
        return found.complete;
    };
    bool go = true;
    for (qsizetype i = 0; go && i < found.entries.size(); ++i)
        go = take(std::move(found.entries[i]));
    // The records a name, number or e-mail term can match are found by the
    // search's indexes; other filters read every record the viewer may see.
    if (go && people)
        m_entries.forEachPerson(viewer, LdapCandidates(m_entries.db(), viewer).of(request.filter),
                                take);
    found.entries = std::move(matching);
    return found;
}

// The entries in the search's scope, before the filter.
LdapSearch::Outcome LdapSearch::candidates(const LdapRequest& request, const Viewer& viewer,
                                           bool& people) const
{
    Outcome out;
    const QString baseText = QString::fromUtf8(request.base);
    const std::optional<QList<LdapDn::Rdn>> base = LdapDn::parse(baseText);
    if (!base) {
        out.code = LdapResult::InvalidDnSyntax;
        return out;
    }
    const QList<LdapDn::Rdn> top = *LdapDn::parse(m_entries.baseDn());
    const bool root = base->isEmpty();
    if (root && request.scope == Scope::Base) {
        out.entries.append(rootDse());
        return out;
    }
    // The root's one child is the base entry; a wider search from the root
    // searches the whole tree.
    bool underTop = base->size() >= top.size();
    for (qsizetype i = 1; underTop && i <= top.size(); ++i)
        underTop = LdapDn::same(base->at(base->size() - i), top.at(top.size() - i));
    if (!root && !underTop) {
        out.code = LdapResult::NoSuchObject;
        return out;
    }
    const qsizetype depth = root ? -1 : base->size() - top.size();
    const auto isPeople = [](const LdapDn::Rdn& rdn) {
        return LdapDn::same(rdn, {QStringLiteral("ou"), QStringLiteral("people")});
    };
    if (depth > 2 || (depth >= 1 && !isPeople(base->at(base->size() - top.size() - 1)))) {
        out.code = LdapResult::NoSuchObject;
        out.matchedDn =
            (depth >= 2 && isPeople(base->at(base->size() - top.size() - 1)) ? m_entries.peopleDn()
                                                                             : m_entries.baseDn())
                .toUtf8();
        return out;
    }
    if (depth == 2) {
        const LdapDn::Rdn& rdn = base->first();
        bool numeric = false;
        const int id = rdn.second.toInt(&numeric);
        const std::optional<DirectoryEntry> person =
            rdn.first == QLatin1String("uid") && numeric && id > 0 ? m_entries.person(viewer, id)
                                                                   : std::nullopt;
        if (!person) {
            out.code = LdapResult::NoSuchObject;
            out.matchedDn = m_entries.peopleDn().toUtf8();
        } else if (request.scope != Scope::OneLevel) {
            out.entries.append(*person);
        }
        return out;
    }
    const bool sub = request.scope == Scope::Subtree;
    if (depth == -1 && request.scope == Scope::OneLevel) {
        out.entries.append(m_entries.baseEntry());
        return out;
    }
    if (depth <= 0 && (sub || request.scope == Scope::Base))
        out.entries.append(m_entries.baseEntry());
    if ((depth <= 0 && (sub || request.scope == Scope::OneLevel)) ||
        (depth == 1 && request.scope != Scope::OneLevel))
        out.entries.append(m_entries.peopleEntry());
    if ((depth <= 0 && sub) || (depth == 1 && request.scope != Scope::Base))
        people = true;
    return out;
}
