# cmake -DSOURCE_DIR=DIR -DOUTPUT=FILE -P BuildStamp.cmake
#
# Writes the About box's build stamp into the header FILE: the time and date
# of the source, never of the build, so that two builds of one source show
# the same stamp. The moment is SOURCE_DATE_EPOCH when it is set (as Debian's
# and other reproducible builds set it), else the last commit's date, else
# the date of debian/changelog's latest entry (a source without its git
# history). FILE is rewritten only when the stamp changes, so a new build of
# the same commit recompiles nothing.
cmake_minimum_required(VERSION 3.22)

if(NOT SOURCE_DIR OR NOT OUTPUT)
  message(FATAL_ERROR "BuildStamp.cmake needs -DSOURCE_DIR=... and -DOUTPUT=...")
endif()

set(epoch "$ENV{SOURCE_DATE_EPOCH}")
set(origin "SOURCE_DATE_EPOCH")
if(epoch STREQUAL "")
  find_program(ZT_GIT git)
  if(ZT_GIT)
    # %ct: the committer's date, seconds since 1970 (UTC).
    execute_process(COMMAND ${ZT_GIT} -C ${SOURCE_DIR} log -1 --format=%ct
                    OUTPUT_VARIABLE epoch OUTPUT_STRIP_TRAILING_WHITESPACE
                    RESULT_VARIABLE failed ERROR_QUIET)
    if(failed)
      set(epoch "")
    endif()
    set(origin "the last commit")
  endif()
endif()
if(epoch STREQUAL "" AND EXISTS ${SOURCE_DIR}/debian/changelog)
  find_program(ZT_PARSECHANGELOG dpkg-parsechangelog)
  if(ZT_PARSECHANGELOG)
    execute_process(COMMAND ${ZT_PARSECHANGELOG} -l ${SOURCE_DIR}/debian/changelog -STimestamp
                    OUTPUT_VARIABLE epoch OUTPUT_STRIP_TRAILING_WHITESPACE
                    RESULT_VARIABLE failed ERROR_QUIET)
    if(failed)
      set(epoch "")
    endif()
    set(origin "debian/changelog")
  endif()
endif()
if(NOT epoch MATCHES "^[0-9]+$")
  message(FATAL_ERROR "No build stamp: set SOURCE_DATE_EPOCH (seconds since 1970), or build "
                      "from a git checkout or with debian/changelog (${origin} gave '${epoch}')")
endif()

# string(TIMESTAMP) formats SOURCE_DATE_EPOCH when it is set, and the month
# names are the C locale's.
set(ENV{SOURCE_DATE_EPOCH} ${epoch})
string(TIMESTAMP time "%H:%M:%S" UTC)
string(TIMESTAMP date "%b %d %Y" UTC)
# The date's day is padded with a blank, "Mar  2 2022".
string(REGEX REPLACE "^([A-Z][a-z][a-z]) 0" "\\1  " date "${date}")

# Only the stamp is in the text: the same moment from another origin
# recompiles nothing.
set(text "// Written by cmake/BuildStamp.cmake: the source's date, ${epoch} in UTC.
#pragma once
#define ZT_BUILD_TIME \"${time}\"
#define ZT_BUILD_DATE \"${date}\"
")
set(scratch ${OUTPUT}.new)
file(WRITE ${scratch} "${text}")
file(COPY_FILE ${scratch} ${OUTPUT} ONLY_IF_DIFFERENT)
file(REMOVE ${scratch})
