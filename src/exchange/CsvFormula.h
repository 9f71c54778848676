// SPDX-License-Identifier: MIT
#pragma once

#include <QString>

// Texts that a spreadsheet would run as a formula when it opens a CSV file
// ("=HYPERLINK(...)", "@SUM(...)", "+cmd", a leading tab or line break)
// are written behind an apostrophe, so it shows them as text; phones such as
// "+7 843 ..." and a lone "-" stay as they are. Reading takes the apostrophe
// off again, so a file written and read back gives every text exactly.
namespace CsvFormula
{

// The text as it goes into a CSV field.
QString guarded(const QString& text);
// The text of a CSV field as it was before guarded().
QString unguarded(const QString& field);

} // namespace CsvFormula
