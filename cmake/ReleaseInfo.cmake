# The build number (commits the build was made from) and the release date (day of the newest of
# them) in RK_BUILD and RK_RELEASE_DATE; included by the scripts that run at every build.
# Expects SOURCE_DIR.
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
