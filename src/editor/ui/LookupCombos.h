// SPDX-License-Identifier: MIT
#pragma once

#include <QString>
#include <QStringList>
#include <optional>

class FieldChecks;
class QComboBox;
class QWidget;
struct EditorSession;
struct RecordFormWidgets;

// The job-title and city combo boxes: their lists from the database, a title
// or city the user types added to its list (a city with its telephone code,
// asked for), and the city's code in its caption.
class LookupCombos
{
public:
    LookupCombos(QWidget* frame, const RecordFormWidgets& form, FieldChecks& checks,
                 const EditorSession& session);

    // Both lists as stored; the title empty, the city the default one.
    void load();
    // The entries stored meanwhile join the lists; what the fields show stays.
    void reload();
    void showDefaultCity();
    // The user left the job title: trimmed, and added when new.
    void profLeft();
    // The user typed or picked a city: its code in the caption when known.
    void cityEdited();
    // The user left the city: trimmed, and added with its code when new.
    void cityLeft();

private:
    // The text the user left, trimmed as stored; none when it is too long
    // or not storable (the user was warned).
    std::optional<QString> leftText(QComboBox* combo);
    void setCityCaption(const QString& code);
    void setCityCaptionPlain();
    // Adds an entry the user typed; from then on the list is kept sorted.
    static void addSorted(QComboBox* combo, const QString& text, bool& sorted);
    // New entries for the list; what the user typed stays.
    static void refill(QComboBox* combo, const QStringList& items);

    QWidget* m_frame;
    const RecordFormWidgets& m_form;
    FieldChecks& m_checks;
    const EditorSession& m_session;
    bool m_profSorted = false;
    bool m_citySorted = false;
};
