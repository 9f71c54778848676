list(APPEND SPRAV_GUI_SOURCES
    app/Startup.cpp app/Startup.h
    app/TFmMain.cpp app/TFmMain.h
    app/TTrayIcon.cpp app/TTrayIcon.h
    app/ToolIcons.cpp app/ToolIcons.h
)
