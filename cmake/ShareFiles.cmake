# Writes the installed files whose text carries the release date (the metainfo's release, the
# manual page's date): run as a script (cmake -P) at every build, like the version header. A file
# is replaced only when its text changes; the manual page is compressed as Debian installs them.
#
# Expects SOURCE_DIR, OUTPUT_DIR, PROJECT_VERSION, PROJECT_HOMEPAGE_URL and REELKEEPER_APP_ID.
include(${CMAKE_CURRENT_LIST_DIR}/ReleaseInfo.cmake)

function(rk_write template output)
  configure_file(${template} ${output}.new @ONLY)
  file(COPY_FILE ${output}.new ${output} ONLY_IF_DIFFERENT)
  file(REMOVE ${output}.new)
endfunction()

rk_write(${SOURCE_DIR}/share/reelkeeper.metainfo.xml.in
         ${OUTPUT_DIR}/${REELKEEPER_APP_ID}.metainfo.xml)
rk_write(${SOURCE_DIR}/share/reelkeeper.1.in ${OUTPUT_DIR}/reelkeeper.1)
set(page ${OUTPUT_DIR}/reelkeeper.1)
if(NOT EXISTS ${page}.gz OR ${page} IS_NEWER_THAN ${page}.gz)
  # -n leaves the name and time out of the archive, so the same page gives the same bytes.
  execute_process(COMMAND gzip -9 -n -c ${page} OUTPUT_FILE ${page}.gz.new
                  RESULT_VARIABLE failed)
  if(failed)
    message(FATAL_ERROR "gzip could not compress ${page}")
  endif()
  file(RENAME ${page}.gz.new ${page}.gz)
endif()
