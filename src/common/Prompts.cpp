// SPDX-License-Identifier: MIT
#include "common/Prompts.h"
#include "common/QtPrompts.h"

namespace
{
Prompts* installed = nullptr;
} // namespace

Prompts& Prompts::instance()
{
    static QtPrompts qtPrompts;
    return installed ? *installed : qtPrompts;
}

void Prompts::install(Prompts* prompts)
{
    installed = prompts;
}
