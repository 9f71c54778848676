// SPDX-License-Identifier: MIT
#pragma once

#include <QList>
#include <QPair>
#include <QString>
#include <optional>

// Distinguished names (RFC 4514) as far as this directory needs them: a
// list of type=value pairs separated by commas, with \c and \XX escapes in
// values. Multi-valued RDNs are not used here and are taken as malformed.
namespace LdapDn
{

using Rdn = QPair<QString, QString>; // type in canonical lower case, value unescaped

// Nothing when the text is no DN; an empty list for the empty DN.
std::optional<QList<Rdn>> parse(const QString& dn);
// The DN in one spelling for comparisons: types canonical, values folded
// as the search folds text, no blanks around separators. Empty for a
// malformed DN as for the empty one; check with parse() where it matters.
QString normalized(const QString& dn);
// The same RDN: equal types, values equal as the search compares text.
bool same(const Rdn& a, const Rdn& b);
// The same sequence of RDNs.
bool same(const QList<Rdn>& a, const QList<Rdn>& b);
// A value written into a DN, with the characters RFC 4514 requires escaped.
QString escaped(const QString& value);

} // namespace LdapDn
