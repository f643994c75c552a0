# Where an installation puts the program's files: the GNU layout under the prefix, with the
# scanner library and the user guide in folders named after the package. The executable finds
# both by their paths relative to its own folder, so a prefix works wherever it is installed,
# copied or moved to.
include(GNUInstallDirs)
# A private library goes into a folder of the package's own; on Debian under the multiarch
# library folder (/usr/lib/x86_64-linux-gnu/reelkeeper), where the system's library search never
# looks and the package needs no ldconfig call.
if(CMAKE_LIBRARY_ARCHITECTURE AND CMAKE_INSTALL_LIBDIR STREQUAL "lib")
  set(RK_INSTALL_LIBRARYDIR lib/${CMAKE_LIBRARY_ARCHITECTURE}/reelkeeper)
else()
  set(RK_INSTALL_LIBRARYDIR ${CMAKE_INSTALL_LIBDIR}/reelkeeper)
endif()
set(RK_INSTALL_DOCDIR ${CMAKE_INSTALL_DATAROOTDIR}/doc/reelkeeper)
foreach(dir LIBRARYDIR DOCDIR)
  if(IS_ABSOLUTE ${RK_INSTALL_${dir}})
    set(full ${RK_INSTALL_${dir}})
  else()
    set(full ${CMAKE_INSTALL_PREFIX}/${RK_INSTALL_${dir}})
  endif()
  file(RELATIVE_PATH RK_${dir}_FROM_BINDIR ${CMAKE_INSTALL_FULL_BINDIR} ${full})
endforeach()
