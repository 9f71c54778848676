// SPDX-License-Identifier: MIT
#pragma once

#include "editor/ConflictLoop.h"

#include <functional>

class FieldChecks;
class QWidget;
class RecordForm;
struct EditorSession;
struct EditorState;

// The dialogs of the values that have no field: spouse, requisites and
// privacy. The form keeps what they give; of a shown record the user may
// change it is stored at once as well.
class ExtrasDialogs
{
public:
    using StoreAtOnce = std::function<void(const ConflictLoop::Write&)>;

    ExtrasDialogs(QWidget* frame, RecordForm& form, FieldChecks& checks,
                  const EditorSession& session, const EditorState& state, StoreAtOnce storeAtOnce);

    void editRequisites();
    // Each returns whether its dialog was accepted.
    bool editSpouse();
    bool editPrivacy();

private:
    bool storesAtOnce() const;

    QWidget* m_frame;
    RecordForm& m_form;
    FieldChecks& m_checks;
    const EditorSession& m_session;
    const EditorState& m_state;
    StoreAtOnce m_storeAtOnce;
};
