# Writes ProgramVersion.cpp with VERSION and, in a git checkout, the commit
# (marked "modified" when tracked files differ from it). The file is only
# rewritten when its text changes, so an unchanged commit rebuilds nothing.
set(text "${VERSION}")
find_package(Git QUIET)
if(GIT_FOUND)
    execute_process(COMMAND ${GIT_EXECUTABLE} -C ${SOURCE_DIR} rev-parse --short=12 HEAD
        OUTPUT_VARIABLE commit RESULT_VARIABLE failed
        OUTPUT_STRIP_TRAILING_WHITESPACE ERROR_QUIET)
    if(NOT failed AND commit)
        execute_process(COMMAND ${GIT_EXECUTABLE} -C ${SOURCE_DIR} status --porcelain
                --untracked-files=no
            OUTPUT_VARIABLE changes ERROR_QUIET)
        if(changes)
            set(text "${text} (commit ${commit}, modified)")
        else()
            set(text "${text} (commit ${commit})")
        endif()
    endif()
endif()
set(source "// Written by WriteProgramVersion.cmake at build time.\n#include \"ProgramVersion.h\"\n\nQString ProgramVersion() { return QStringLiteral(\"${text}\"); }\n")
file(WRITE ${OUTPUT}.new "${source}")
file(COPY_FILE ${OUTPUT}.new ${OUTPUT} ONLY_IF_DIFFERENT)
file(REMOVE ${OUTPUT}.new)
