list(APPEND SPRAV_GUI_SOURCES
    app/Startup.cpp app/Startup.h
    app/TFmMain.cpp app/TFmMain.h
    app/ToolIcons.cpp app/ToolIcons.h
)
