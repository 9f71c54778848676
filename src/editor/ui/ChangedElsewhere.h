// SPDX-License-Identifier: MIT
#pragma once

#include "records/RecordData.h"

#include <optional>

class QLabel;
class QPushButton;
class QWidget;
struct EditorSession;

// The notice beside the editor's buttons that the shown record was changed
// (with "Обновить") or deleted at another workstation since it was loaded or
// stored from here.
class ChangedElsewhere
{
public:
    ChangedElsewhere(QWidget* frame, const EditorSession& session);

    QLabel* label() const { return m_label; }
    QPushButton* reloadButton() const { return m_reload; }

    // The shown record as loaded: what later changes are told from.
    void remember(const std::optional<RecordData>& record);
    // What this copy stored is no change made elsewhere.
    void rememberStored();
    // No record to compare with; the notice goes.
    void forget();
    // What the user typed is never overwritten: "Обновить" goes.
    void userTyped();
    // Reads the remembered record again and shows, changes or hides the notice.
    void recheck();

private:
    void show(const QString& text, bool reloadable);
    void hide();

    const EditorSession& m_session;
    QLabel* m_label;
    QPushButton* m_reload;
    std::optional<RecordData> m_shown;
};
