# Fails the build when a file includes across the libraries' boundaries:
#  - a core file (outside app/ and the ui/ folders) includes a widget or
#    print-support header of Qt, or a file of a ui/ folder or of app/: the
#    core must build into programs without a window (the directory service);
#  - a ui/ file includes app/: frames and dialogs report upward by signals
#    and are handed what they need, so a window can change without the others.
#   cmake -DROOT=<src folder> -DFILES=<a;b;c> -DWIDGET_DIRS=<dirs> -P CheckLayering.cmake
set(widget_headers)
foreach(dir IN LISTS WIDGET_DIRS)
    if(dir MATCHES "/Qt(Widgets|PrintSupport)$" AND IS_DIRECTORY "${dir}")
        file(GLOB names RELATIVE "${dir}" "${dir}/*")
        list(APPEND widget_headers ${names})
    endif()
endforeach()
if(NOT widget_headers)
    message(FATAL_ERROR "No Qt widget headers found in: ${WIDGET_DIRS}")
endif()

set(offenders)
foreach(file IN LISTS FILES)
    file(STRINGS "${ROOT}/${file}" lines REGEX "^[ \t]*#[ \t]*include[ \t]*[\"<]")
    set(core TRUE)
    if(file MATCHES "^app/|/ui/")
        set(core FALSE)
    endif()
    foreach(line IN LISTS lines)
        string(REGEX REPLACE "^[ \t]*#[ \t]*include[ \t]*[\"<]([^\">]*)[\">].*" "\\1" included "${line}")
        set(wrong FALSE)
        if(included MATCHES "^app/")
            set(wrong TRUE)
        elseif(core)
            string(REGEX REPLACE "^Qt(Widgets|PrintSupport)/" "" bare "${included}")
            list(FIND widget_headers "${bare}" found)
            if(included MATCHES "(^|/)ui/" OR included MATCHES "^Qt(Widgets|PrintSupport)(/|$)"
               OR found GREATER -1)
                set(wrong TRUE)
            endif()
        endif()
        if(wrong)
            list(APPEND offenders "${file}: ${included}")
        endif()
    endforeach()
endforeach()
if(offenders)
    list(JOIN offenders "\n  " listed)
    message(FATAL_ERROR "These includes cross the libraries' boundaries (the core holds no "
                        "widgets; only app/ includes app/):\n  ${listed}")
endif()
