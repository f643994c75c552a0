# Writes the version header: run as a script (cmake -P) at every build, so that the build number
# and the release date follow the commits. The header is replaced only when its text changes, so
# an unchanged build compiles nothing again.
#
# Expects SOURCE_DIR, TEMPLATE, OUTPUT, RK_VERSION and RK_HOMEPAGE.
include(${CMAKE_CURRENT_LIST_DIR}/ReleaseInfo.cmake)
configure_file(${TEMPLATE} ${OUTPUT}.new @ONLY)
file(COPY_FILE ${OUTPUT}.new ${OUTPUT} ONLY_IF_DIFFERENT)
file(REMOVE ${OUTPUT}.new)
