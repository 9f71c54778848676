// SPDX-License-Identifier: MIT
#pragma once

#include "common/ui/Prompts.h"

#include <QList>
#include <QString>
#include <QStringList>
#include <functional>

// Prompts for tests: installed while it lives, records every box as
// "kind: text" in log(), answers confirmations and input boxes from queues.
// An unexpected confirmation answers No; an unexpected input box cancels.
class ScriptedPrompts : public Prompts
{
public:
    ScriptedPrompts();
    ~ScriptedPrompts() override;

    void answerConfirm(Answer answer) { m_confirms.append(answer); }
    void answerText(const QString& text) { m_texts.append({true, text}); }
    // The next choice box picks the answer of this index; -1 closes it. An
    // unexpected choice box is closed.
    void answerChoice(int index) { m_choices.append(index); }
    void cancelText() { m_texts.append({false, QString()}); }
    // The next file box picks this name; an empty one cancels. An
    // unexpected file box cancels.
    void answerFileName(const QString& name) { m_fileNames.append(name); }
    // Runs while a box is "shown", e.g. to check the focus under it.
    std::function<void(const QString& kind, const QString& text)> onPrompt;

    const QStringList& log() const { return m_log; }
    QString last() const { return m_log.isEmpty() ? QString() : m_log.last(); }
    void clear() { m_log.clear(); }

    void warning(QWidget* parent, const QString& text) override;
    Answer confirm(QWidget* parent, const QString& text) override;
    void information(QWidget* parent, const QString& text) override;
    void error(QWidget* parent, const QString& text) override;
    // Logged as "choose: text | first / second / ...".
    int choose(QWidget* parent, const QString& text, const QStringList& choices,
               const QString& details) override;
    bool getText(QWidget* parent, const QString& caption, const QString& label,
                 QString& text) override;
    QString openFileName(QWidget* parent, const QString& caption, const QString& filter) override;
    QString saveFileName(QWidget* parent, const QString& caption, const QString& suggested,
                         const QString& filter) override;

private:
    void record(const QString& kind, const QString& text);

    QStringList m_log;
    QList<Answer> m_confirms;
    QList<int> m_choices;
    QList<QPair<bool, QString>> m_texts;
    QStringList m_fileNames;
};
