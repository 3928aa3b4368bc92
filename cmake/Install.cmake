# What `cmake --install` and the .deb put in place: the three programs, the
# desktop entry, the icon in the hicolor theme and the manual pages. Included
# last, so that every program's target exists by now; each is installed only
# if this build makes it (no Qt: no zttools, no icon).
include(GNUInstallDirs)

foreach(program zttools ztcli ztsim)
  if(TARGET ${program})
    install(TARGETS ${program} RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
  endif()
endforeach()

if(TARGET zttools)
  install(FILES ${PROJECT_SOURCE_DIR}/data/zttools.desktop
          DESTINATION ${CMAKE_INSTALL_DATADIR}/applications)
endif()
if(TARGET zticons)
  install(DIRECTORY ${ZT_ICON_DIR}/hicolor DESTINATION ${CMAKE_INSTALL_DATADIR}/icons)
endif()

# Manual pages go in compressed, as Debian's tools expect; -n keeps the
# time stamp out, so the same page always packs the same.
find_program(ZT_GZIP gzip REQUIRED)
set(pages)
foreach(program zttools ztcli ztsim)
  if(TARGET ${program})
    set(source ${PROJECT_SOURCE_DIR}/doc/${program}.1)
    set(page ${CMAKE_BINARY_DIR}/man/${program}.1)
    add_custom_command(OUTPUT ${page}.gz
      COMMAND ${CMAKE_COMMAND} -E copy ${source} ${page}
      COMMAND ${ZT_GZIP} -9nf ${page}
      DEPENDS ${source}
      COMMENT "Compressing the ${program}(1) manual page")
    list(APPEND pages ${page}.gz)
  endif()
endforeach()
add_custom_target(ztman ALL DEPENDS ${pages})
install(FILES ${pages} DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)

install(FILES ${PROJECT_SOURCE_DIR}/README.md DESTINATION ${CMAKE_INSTALL_DOCDIR})
