# Writes the version header: run as a script (cmake -P) at every build, so that the build number
# and the release date follow the commits. The header is replaced only when its text changes, so
# an unchanged build compiles nothing again.
#
# Expects SOURCE_DIR, TEMPLATE, OUTPUT, RK_VERSION, RK_HOMEPAGE and RK_DOC_DIR.
set(RK_BUILD 0)
set(RK_RELEASE_DATE "")
find_package(Git QUIET)
if(GIT_FOUND)
  execute_process(COMMAND ${GIT_EXECUTABLE} -C ${SOURCE_DIR} rev-list --count HEAD
                  OUTPUT_VARIABLE count RESULT_VARIABLE failed
                  OUTPUT_STRIP_TRAILING_WHITESPACE ERROR_QUIET)
  if(NOT failed)
    set(RK_BUILD ${count})
  endif()
  execute_process(COMMAND ${GIT_EXECUTABLE} -C ${SOURCE_DIR} log -1 --format=%cs
                  OUTPUT_VARIABLE day RESULT_VARIABLE failed
                  OUTPUT_STRIP_TRAILING_WHITESPACE ERROR_QUIET)
  if(NOT failed)
    set(RK_RELEASE_DATE ${day})
  endif()
endif()
if(RK_RELEASE_DATE STREQUAL "")
  # A source tree without its history (an unpacked archive): the day it is built.
  string(TIMESTAMP RK_RELEASE_DATE "%Y-%m-%d" UTC)
endif()
configure_file(${TEMPLATE} ${OUTPUT}.new @ONLY)
file(COPY_FILE ${OUTPUT}.new ${OUTPUT} ONLY_IF_DIFFERENT)
file(REMOVE ${OUTPUT}.new)
