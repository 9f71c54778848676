# Sources of src/editor: core (no widgets) and GUI lists.
list(APPEND SPRAV_CORE_SOURCES
    editor/EditorState.h
    editor/FieldLength.h
    editor/Privacy.h
    editor/RecordChanges.cpp editor/RecordChanges.h
    editor/RecordData.h
    editor/RecordFields.cpp editor/RecordFields.h
    editor/RecordHistory.cpp editor/RecordHistory.h
    editor/RecordStore.cpp editor/RecordStore.h
    editor/SpouseData.h
)
list(APPEND SPRAV_GUI_SOURCES
    editor/ConflictPrompt.cpp editor/ConflictPrompt.h
    editor/ListGrid.h
    editor/TfmDeleted.cpp editor/TfmDeleted.h
    editor/TfmHide.cpp editor/TfmHide.h
    editor/TfmHistory.cpp editor/TfmHistory.h
    editor/TfmSpouce.cpp editor/TfmSpouce.h
    editor/TfrNewRecord.cpp editor/TfrNewRecord.h
    editor/YourChangesWindow.cpp editor/YourChangesWindow.h
)
