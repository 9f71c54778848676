// SPDX-License-Identifier: MIT
#pragma once

#include <QString>

// A record's privacy: the hidden-field codes or "all" (`hided`) and the users
// who may still see everything (`owns`).
struct Privacy {
    QString owns;
    QString hided;

    friend bool operator==(const Privacy&, const Privacy&) = default;
};
