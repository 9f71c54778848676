// SPDX-License-Identifier: MIT
#pragma once

#include <QString>

// The longest text a field of the record editor takes, counted in characters
// as the user counts them (an emoji is one).
namespace FieldLength
{
constexpr int max = 255;

inline qsizetype of(const QString& text)
{
    return text.toUcs4().size();
}
} // namespace FieldLength
