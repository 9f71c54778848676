# Sources of src/report: core (no widgets) and GUI lists.
list(APPEND SPRAV_CORE_SOURCES
)
list(APPEND SPRAV_GUI_SOURCES
)
