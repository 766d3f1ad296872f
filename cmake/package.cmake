# The Debian package: every detail of it is here, and its data files are in packaging/.
# `make package` (cpack -G DEB in the build folder) packs what `make install` installs, under
# /usr, and adds what Debian asks of a package: stripped programs, manual pages compressed
# with gzip -9n, and in /usr/share/doc/hornwall a copyright file in Debian's machine-readable
# form, made from LICENSE, and a changelog in Debian's form with an entry for the project's
# version. `make install` keeps its pages uncompressed: the additions happen only in cpack's
# staging folder, through packaging/finish_package.cmake.
set(CPACK_PACKAGE_NAME ${PROJECT_NAME})
set(CPACK_DEBIAN_PACKAGE_MAINTAINER "The hornwall developers <hornwall@example.org>")
set(CPACK_PACKAGE_CONTACT ${CPACK_DEBIAN_PACKAGE_MAINTAINER})
# The package's own revision of the project's version: 1.1.0-1.
set(CPACK_DEBIAN_PACKAGE_RELEASE 1)
set(CPACK_DEBIAN_PACKAGE_SECTION science)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
# The synopsis, then the extended description, whose lines stay within 79 characters;
# cpack indents them and writes a blank line as " .".
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "describe the outer wall of a horn antenna for ZEPRA")
set(CPACK_DEBIAN_PACKAGE_DESCRIPTION [=[
An antenna engineer describes the outer wall of a circularly symmetric horn
for the ZEPRA analysis program: a conical wall with a sinusoidal ripple, with
sine or rectangular corrugations, or with corrugations on a stepped wall, in a
single or a dual band.

Each generator asks for the wall's dimensions on the console, or reads them
from an answers file, and writes the wall as an object file of ZEPRA objects.
hornwall_view checks such an object file and draws the wall as a picture.]=])
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_STRIP_FILES ON)

# The copyright file, from LICENSE: its "Copyright (c) YEARS HOLDER" line and the text of
# the licence that follows it, each line indented by one space and a blank line written " .".
set(license_file ${PROJECT_SOURCE_DIR}/LICENSE)
file(READ ${license_file} license)
if(NOT license MATCHES "\nCopyright \\(c\\) ([^\n]+)\n+(.+[^\n])\n*$")
  message(FATAL_ERROR "${license_file}: no line \"Copyright (c) YEARS HOLDER\" before the licence")
endif()
set(package_copyright ${CMAKE_MATCH_1})
string(REPLACE "\n" "\n " package_license " ${CMAKE_MATCH_2}")
string(REPLACE "\n \n" "\n .\n" package_license "${package_license}")

# The changelog's entry is dated from CHANGELOG.md's heading of the version,
# "## [1.1.0] - 2026-12-09"; a version that has none yet is dated today (or
# SOURCE_DATE_EPOCH, for a reproducible build).
set(package_version ${PROJECT_VERSION}-${CPACK_DEBIAN_PACKAGE_RELEASE})
set(changes_file ${PROJECT_SOURCE_DIR}/CHANGELOG.md)
file(READ ${changes_file} changes)
string(REPLACE "." "\\." version_pattern ${PROJECT_VERSION})
if(changes MATCHES "\n## \\[${version_pattern}\\] - ([0-9][0-9][0-9][0-9])-([0-9][0-9])-([0-9][0-9])\n")
  # The day of the week, 0 for Sunday (Sakamoto's method).
  set(year ${CMAKE_MATCH_1})
  math(EXPR month "${CMAKE_MATCH_2}")
  math(EXPR day "${CMAKE_MATCH_3}")
  set(month_offsets 0 3 2 5 0 3 5 1 4 6 2 4)
  math(EXPR month_index "${month} - 1")
  list(GET month_offsets ${month_index} offset)
  set(y ${year})
  if(month LESS 3)
    math(EXPR y "${y} - 1")
  endif()
  math(EXPR weekday "(${y} + ${y} / 4 - ${y} / 100 + ${y} / 400 + ${offset} + ${day}) % 7")
  set(weekdays Sun Mon Tue Wed Thu Fri Sat)
  set(months Jan Feb Mar Apr May Jun Jul Aug Sep Oct Nov Dec)
  list(GET weekdays ${weekday} weekday_name)
  list(GET months ${month_index} month_name)
  set(package_date "${weekday_name}, ${CMAKE_MATCH_3} ${month_name} ${year} 00:00:00 +0000")
else()
  string(TIMESTAMP package_date "%a, %d %b %Y %H:%M:%S +0000" UTC)
endif()

set(packaging_dir ${CMAKE_BINARY_DIR}/packaging)
configure_file(${PROJECT_SOURCE_DIR}/packaging/copyright.in ${packaging_dir}/copyright @ONLY)
configure_file(${PROJECT_SOURCE_DIR}/packaging/changelog.Debian.in
               ${packaging_dir}/changelog.Debian @ONLY)
set_property(DIRECTORY APPEND PROPERTY CMAKE_CONFIGURE_DEPENDS ${license_file} ${changes_file})

# Read by packaging/finish_package.cmake in cpack's staging folder.
set(CPACK_PRE_BUILD_SCRIPTS ${PROJECT_SOURCE_DIR}/packaging/finish_package.cmake)
set(CPACK_HORNWALL_MAN_DIR ${CMAKE_INSTALL_MANDIR})
set(CPACK_HORNWALL_DOCUMENTS ${packaging_dir}/copyright ${packaging_dir}/changelog.Debian)
set(CPACK_HORNWALL_LINTIAN_OVERRIDES ${PROJECT_SOURCE_DIR}/packaging/lintian-overrides)
include(CPack)
