// SPDX-License-Identifier: MIT
#include "common/ui/Prompts.h"
#include "common/ui/QtPrompts.h"

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
