# Sources of src/search: core (no widgets) and GUI lists.
list(APPEND SPRAV_CORE_SOURCES
    search/BirthdayWindow.cpp search/BirthdayWindow.h
    search/FoundModel.cpp search/FoundModel.h
    search/FoundRow.h
    search/ListingQueries.cpp search/ListingQueries.h
    search/SearchRequest.cpp search/SearchRequest.h
)
list(APPEND SPRAV_GUI_SOURCES
    search/TfrFind.cpp search/TfrFind.h
)
