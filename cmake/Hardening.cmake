# The distribution's hardening flags, as dpkg-buildflags gives them to every
# Debian package: the stack protector, _FORTIFY_SOURCE, format checks, and a
# read-only relocation table bound at start (relro, bindnow). Taken by the
# plain Linux build, which the tests run and the .deb is made from, so the
# programs that are tested are the ones that are shipped. Left out of the
# sanitizer, fuzzing and cross builds (_FORTIFY_SOURCE and the sanitizers
# each replace the same library calls) and of unoptimised builds
# (_FORTIFY_SOURCE needs the optimiser). Optimisation and debugging
# information stay the build type's.
option(ZT_HARDENING "Build with the hardening flags of dpkg-buildflags" ON)

set(ZT_OPTIMISED_BUILD_TYPES Release RelWithDebInfo MinSizeRel)
if(NOT ZT_HARDENING OR CMAKE_CROSSCOMPILING OR ZT_SANITIZE OR ZT_FUZZ
   OR NOT CMAKE_BUILD_TYPE IN_LIST ZT_OPTIMISED_BUILD_TYPES)
  return()
endif()
find_program(ZT_DPKG_BUILDFLAGS dpkg-buildflags)
if(NOT ZT_DPKG_BUILDFLAGS)
  message(STATUS "dpkg-buildflags not found (dpkg-dev): building without its hardening flags")
  return()
endif()

# hardening=+all adds bindnow to Debian's defaults. -ffile-prefix-map is
# worked out from the folder dpkg-buildflags runs in: the source.
foreach(kind CPPFLAGS CXXFLAGS LDFLAGS)
  execute_process(
    COMMAND ${CMAKE_COMMAND} -E env DEB_BUILD_MAINT_OPTIONS=hardening=+all
            ${ZT_DPKG_BUILDFLAGS} --get ${kind}
    WORKING_DIRECTORY ${PROJECT_SOURCE_DIR}
    OUTPUT_VARIABLE flags OUTPUT_STRIP_TRAILING_WHITESPACE
    COMMAND_ERROR_IS_FATAL ANY)
  separate_arguments(flags UNIX_COMMAND "${flags}")
  list(FILTER flags EXCLUDE REGEX "^-(g|O[0-9s]?)$")
  if(kind STREQUAL "LDFLAGS")
    add_link_options(${flags})
  else()
    add_compile_options(${flags})
  endif()
  set(ZT_HARDENING_${kind} "${flags}")
endforeach()
message(STATUS "Hardening: ${ZT_HARDENING_CPPFLAGS} ${ZT_HARDENING_CXXFLAGS} ${ZT_HARDENING_LDFLAGS}")
