# What `cmake --install` and the .deb put in place: the three programs, the
# desktop entry with the settings files' MIME type and the AppStream
# metainfo, the icon in the hicolor theme and the manual pages. Included
# last, so that every program's target exists by now; a build without Qt
# has no zttools and no icon.
include(GNUInstallDirs)

set(ZT_INSTALLED_PROGRAMS ztcli ztsim)
if(ZT_WITH_QT)
  list(PREPEND ZT_INSTALLED_PROGRAMS zttools)
endif()
install(TARGETS ${ZT_INSTALLED_PROGRAMS} RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
# A stripped install (`cmake --install --strip`, and the .deb through
# CPACK_STRIP_FILES) also drops the compiler's .comment and .note sections,
# as Debian's dh_strip does; the build folder keeps the programs whole, with
# their debugging information, and the package carries none.
find_program(ZT_STRIP NAMES ${CMAKE_STRIP} strip)
install(CODE "
  if(CMAKE_INSTALL_DO_STRIP)
    foreach(program ${ZT_INSTALLED_PROGRAMS})
      execute_process(COMMAND ${ZT_STRIP} --remove-section=.comment --remove-section=.note
                              \$ENV{DESTDIR}\${CMAKE_INSTALL_PREFIX}/${CMAKE_INSTALL_BINDIR}/\${program}
                      COMMAND_ERROR_IS_FATAL ANY)
    endforeach()
  endif()")

if(ZT_WITH_QT)
  install(FILES ${PROJECT_SOURCE_DIR}/data/zttools.desktop
          DESTINATION ${CMAKE_INSTALL_DATADIR}/applications)
  install(DIRECTORY ${ZT_ICON_DIR}/hicolor DESTINATION ${CMAKE_INSTALL_DATADIR}/icons)
  # The settings files' MIME type, which the desktop entry opens, and what
  # software centres show; the metainfo file is named after its id.
  install(FILES ${PROJECT_SOURCE_DIR}/data/zttools-mime.xml
          DESTINATION ${CMAKE_INSTALL_DATADIR}/mime/packages RENAME zttools.xml)
  set(metainfo ${PROJECT_SOURCE_DIR}/data/zttools.metainfo.xml)
  file(STRINGS ${metainfo} id_line REGEX "<id>")
  string(REGEX REPLACE ".*<id>(.*)</id>.*" "\\1" ZT_APPSTREAM_ID "${id_line}")
  set_property(DIRECTORY APPEND PROPERTY CMAKE_CONFIGURE_DEPENDS ${metainfo})
  install(FILES ${metainfo} DESTINATION ${CMAKE_INSTALL_DATADIR}/metainfo
          RENAME ${ZT_APPSTREAM_ID}.metainfo.xml)
endif()

# Manual pages and the changelog go in compressed, as Debian's tools
# expect; -n keeps the time stamp out, so the same page always packs the
# same.
find_program(ZT_GZIP gzip REQUIRED)
# zt_gzipped(SOURCE OUTPUT): OUTPUT.gz is made from SOURCE at build time.
function(zt_gzipped source output)
  add_custom_command(OUTPUT ${output}.gz
    COMMAND ${CMAKE_COMMAND} -E copy ${source} ${output}
    COMMAND ${ZT_GZIP} -9nf ${output}
    DEPENDS ${source}
    COMMENT "Compressing ${output}")
endfunction()
set(pages)
foreach(program ${ZT_INSTALLED_PROGRAMS})
  zt_gzipped(${PROJECT_SOURCE_DIR}/doc/${program}.1 ${CMAKE_BINARY_DIR}/man/${program}.1)
  list(APPEND pages ${CMAKE_BINARY_DIR}/man/${program}.1.gz)
endforeach()
# The package is native (its version has no Debian revision), so its
# changelog is changelog.gz, not changelog.Debian.gz.
set(ZT_CHANGELOG ${CMAKE_BINARY_DIR}/doc/changelog)
zt_gzipped(${PROJECT_SOURCE_DIR}/debian/changelog ${ZT_CHANGELOG})
add_custom_target(ztman ALL DEPENDS ${pages} ${ZT_CHANGELOG}.gz)
install(FILES ${pages} DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)
install(FILES ${ZT_CHANGELOG}.gz DESTINATION ${CMAKE_INSTALL_DOCDIR})

# The user's guide; the README is the developers' and stays in the source.
install(FILES ${PROJECT_SOURCE_DIR}/doc/guide.md DESTINATION ${CMAKE_INSTALL_DOCDIR})
# The licence: Debian's machine-readable copyright file points at the GPL
# text the system already has.
install(FILES ${PROJECT_SOURCE_DIR}/debian/copyright DESTINATION ${CMAKE_INSTALL_DOCDIR})

# The .deb: `cpack -G DEB` in the build folder (scripts/package does it and
# checks the result). dpkg-shlibdeps (dpkg-dev) works the library packages
# out from what the programs link, so the Qt packages are declared without
# naming them here.
set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME zttools)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_CONTACT "zttools maintainers <maintainers@users.noreply.c-seed-5dc1dd0d.example>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "utility for Zentor 3 Morse keyers on a serial port")
# The summary is the first line of the package's description; CPack indents
# this text under it.
set(CPACK_PACKAGE_DESCRIPTION "zttools tests the link to a Zentor 3 keyer chip (SMT, DIP, AF, MINI),
reads, edits and writes its stored settings, keeps them in settings
files and loads new firmware through the keyer's boot loader.

The package holds the desktop program zttools, ztcli for the same
operations from a terminal, and ztsim, a virtual keyer on a
pseudo-terminal for trying everything without hardware.")
# No Homepage field: the project has no web page of its own.
set(CPACK_DEBIAN_PACKAGE_SECTION hamradio)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
# The build keeps its debugging information; the package need not carry it.
set(CPACK_STRIP_FILES ON)
set(CPACK_OUTPUT_FILE_PREFIX package)
include(CPack)
