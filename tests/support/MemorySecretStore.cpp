// SPDX-License-Identifier: MIT
#include "MemorySecretStore.h"

std::optional<QString> MemorySecretStore::read(const QString& user)
{
    if (!m_entries || !m_entries->contains(user))
        return std::nullopt;
    return m_entries->value(user);
}

bool MemorySecretStore::write(const QString& user, const QString& password)
{
    if (!m_entries)
        return false;
    m_entries->insert(user, password);
    return true;
}

bool MemorySecretStore::remove(const QString& user)
{
    if (!m_entries)
        return false;
    m_entries->remove(user);
    return true;
}
