// SPDX-License-Identifier: MIT
#pragma once

#include <QString>

// A record's privacy: the hidden-field codes or the whole-record marker
// (`hided`, see HiddenFields) and the users who may still see everything
// (`owns`).
struct Privacy {
    QString owns;
    QString hided;

    friend bool operator==(const Privacy&, const Privacy&) = default;
};
