# Sources of src/exchange: reading and writing contact files (core) and the
# import and export windows (GUI).
list(APPEND SPRAV_CORE_SOURCES
    exchange/Contact.h
    exchange/ContactFile.cpp exchange/ContactFile.h
    exchange/ContactMapper.cpp exchange/ContactMapper.h
    exchange/ContactReader.cpp exchange/ContactReader.h
    exchange/CsvColumn.cpp exchange/CsvColumn.h
    exchange/CsvMapping.cpp exchange/CsvMapping.h
    exchange/CsvReader.cpp exchange/CsvReader.h
    exchange/CsvWriter.cpp exchange/CsvWriter.h
    exchange/DuplicateIndex.cpp exchange/DuplicateIndex.h
    exchange/ExchangeError.h
    exchange/Exporter.cpp exchange/Exporter.h
    exchange/Importer.cpp exchange/Importer.h
    exchange/LineReader.cpp exchange/LineReader.h
    exchange/PhoneKind.cpp exchange/PhoneKind.h
    exchange/TextEncoding.cpp exchange/TextEncoding.h
    exchange/VCardReader.cpp exchange/VCardReader.h
    exchange/VCardWriter.cpp exchange/VCardWriter.h
    exchange/VisibleRecords.cpp exchange/VisibleRecords.h
)
list(APPEND SPRAV_GUI_SOURCES
    exchange/ExchangeFlow.cpp exchange/ExchangeFlow.h
    exchange/ExchangeProgress.cpp exchange/ExchangeProgress.h
    exchange/ExportDialog.cpp exchange/ExportDialog.h
    exchange/ImportDialog.cpp exchange/ImportDialog.h
)
