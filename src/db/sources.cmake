list(APPEND SPRAV_CORE_SOURCES
    db/Connection.cpp db/Connection.h
    db/ContactIndex.cpp db/ContactIndex.h
    db/DataLink.cpp db/DataLink.h
    db/Database.cpp db/Database.h
    db/DateText.cpp db/DateText.h
    db/DbLog.cpp db/DbLog.h
    db/HiddenFields.cpp db/HiddenFields.h
    db/Schema.cpp db/Schema.h
    db/SearchIndex.cpp db/SearchIndex.h
    db/ServerLock.cpp db/ServerLock.h
    db/SortKey.cpp db/SortKey.h
    db/Sql.cpp db/Sql.h
    db/SqliteFile.cpp db/SqliteFile.h
    db/StoredText.cpp db/StoredText.h
    db/TextFold.cpp db/TextFold.h
    db/Visibility.cpp db/Visibility.h
)
