# Sources of src/report: core (no widgets) and GUI lists.
list(APPEND SPRAV_CORE_SOURCES
    report/UserDataSet.h
)
list(APPEND SPRAV_GUI_SOURCES
    report/Report.cpp report/Report.h
)
