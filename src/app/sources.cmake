list(APPEND SPRAV_APP_SOURCES
    app/CommandLine.cpp app/CommandLine.h
    app/CommandTable.cpp app/CommandTable.h
    app/Startup.cpp app/Startup.h
    app/TFmMain.cpp app/TFmMain.h
    app/TTrayIcon.cpp app/TTrayIcon.h
    app/ToolIcons.cpp app/ToolIcons.h
)
