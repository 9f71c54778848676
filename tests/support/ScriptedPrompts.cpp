// SPDX-License-Identifier: MIT
#include "ScriptedPrompts.h"

ScriptedPrompts::ScriptedPrompts()
{
    Prompts::install(this);
}

ScriptedPrompts::~ScriptedPrompts()
{
    Prompts::install(nullptr);
}

void ScriptedPrompts::record(const QString& kind, const QString& text)
{
    m_log.append(kind + QStringLiteral(": ") + text);
    if (onPrompt)
        onPrompt(kind, text);
}

void ScriptedPrompts::warning(QWidget*, const QString& text)
{
    record(QStringLiteral("warning"), text);
}

Prompts::Answer ScriptedPrompts::confirm(QWidget*, const QString& text)
{
    record(QStringLiteral("confirm"), text);
    return m_confirms.isEmpty() ? Answer::No : m_confirms.takeFirst();
}

void ScriptedPrompts::information(QWidget*, const QString& text)
{
    record(QStringLiteral("information"), text);
}

void ScriptedPrompts::error(QWidget*, const QString& text)
{
    record(QStringLiteral("error"), text);
}

int ScriptedPrompts::choose(QWidget*, const QString& text, const QStringList& choices,
                            const QString&)
{
    record(QStringLiteral("choose"),
           text + QStringLiteral(" | ") + choices.join(QStringLiteral(" / ")));
    return m_choices.isEmpty() ? -1 : m_choices.takeFirst();
}

bool ScriptedPrompts::getText(QWidget*, const QString& caption, const QString& label, QString& text)
{
    record(QStringLiteral("input"), caption + QStringLiteral(" | ") + label);
    if (m_texts.isEmpty())
        return false;
    const auto [ok, typed] = m_texts.takeFirst();
    if (ok)
        text = typed;
    return ok;
}

QString ScriptedPrompts::openFileName(QWidget*, const QString& caption, const QString& filter)
{
    record(QStringLiteral("open"), caption + QStringLiteral(" | ") + filter);
    return m_fileNames.isEmpty() ? QString() : m_fileNames.takeFirst();
}

QString ScriptedPrompts::saveFileName(QWidget*, const QString& caption, const QString& suggested,
                                      const QString& filter)
{
    record(QStringLiteral("save"),
           caption + QStringLiteral(" | ") + suggested + QStringLiteral(" | ") + filter);
    return m_fileNames.isEmpty() ? QString() : m_fileNames.takeFirst();
}
