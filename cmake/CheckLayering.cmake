# Fails the build when a source below the main window includes a header of
# src/app: frames and dialogs report upward by signals and are handed what
# they need, so that a window can be changed without reading the others.
#   cmake -DROOT=<src folder> -DFILES=<a;b;c> -P CheckLayering.cmake
set(offenders)
foreach(file IN LISTS FILES)
    file(STRINGS "${ROOT}/${file}" lines REGEX "^[ \t]*#[ \t]*include[ \t]*[\"<]app/")
    if(lines)
        list(APPEND offenders "${file}")
    endif()
endforeach()
if(offenders)
    list(JOIN offenders "\n  " listed)
    message(FATAL_ERROR "These files include src/app from below it:\n  ${listed}")
endif()
