list(APPEND SPRAV_CORE_SOURCES
    common/Clock.cpp common/Clock.h
    common/DbError.h
)
list(APPEND SPRAV_GUI_SOURCES
    common/Guard.h
    common/Named.h
    common/Prompts.cpp common/Prompts.h
    common/QtPrompts.cpp common/QtPrompts.h
    common/ShellOpen.cpp common/ShellOpen.h
)
