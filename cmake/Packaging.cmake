# SPDX-License-Identifier: MIT
# Installing Kavlo like a desktop program, and its Debian package.
#
#   cmake --install build --prefix P   P/bin/kavlo, P/share/kavlo/ (templates, help),
#                                      P/share/man/man1/kavlo.1, the desktop entry,
#                                      the AppStream metadata and the hicolor icons
#   cd build && cpack -G DEB           kavlo_VERSION-1_ARCH.deb
#
# The program finds its shared files at ../share/kavlo/ and its icon at
# ../share/icons/hicolor/ relative to its own folder, so any prefix works. In the build
# tree the icons are copied to build/share/icons for the same reason.

# The reverse-DNS name of the application: desktop entry, AppStream id, icon name.
set(KAVLO_APP_ID io.github.kavlo.Kavlo)
set(_pkg ${CMAKE_SOURCE_DIR}/packaging)
foreach(f ${KAVLO_APP_ID}.desktop ${KAVLO_APP_ID}.metainfo.xml
          icons/hicolor/scalable/apps/${KAVLO_APP_ID}.svg)
  if(NOT EXISTS ${_pkg}/${f})
    message(FATAL_ERROR "packaging/${f} is missing (the application id is ${KAVLO_APP_ID})")
  endif()
endforeach()

# The newest release of the AppStream metadata (listed first) should be this version; its
# date goes into the man page, so that a build of the same sources makes the same package.
file(STRINGS ${_pkg}/${KAVLO_APP_ID}.metainfo.xml _release REGEX "<release " LIMIT_COUNT 1)
string(REGEX MATCH "version=\"([^\"]*)\"" _ "${_release}")
set(_release_version "${CMAKE_MATCH_1}")
string(REGEX MATCH "date=\"([0-9-]*)\"" _ "${_release}")
set(KAVLO_RELEASE_DATE "${CMAKE_MATCH_1}")
if(NOT _release_version STREQUAL PROJECT_VERSION OR NOT KAVLO_RELEASE_DATE)
  message(WARNING "The newest release in packaging/${KAVLO_APP_ID}.metainfo.xml is "
                  "'${_release_version}' of '${KAVLO_RELEASE_DATE}', not ${PROJECT_VERSION}: "
                  "add the release notes of ${PROJECT_VERSION} there")
  string(TIMESTAMP KAVLO_RELEASE_DATE "%Y-%m-%d" UTC)
endif()

# The window icon comes from the same files as the desktop's icon.
add_custom_target(kavlo_icons ALL
  COMMAND ${CMAKE_COMMAND} -E copy_directory ${_pkg}/icons ${CMAKE_BINARY_DIR}/share/icons
  COMMENT "Copying the icons into the build tree")
if(TARGET kavlo)
  add_dependencies(kavlo kavlo_icons)
endif()
if(TARGET kavlo_qt)
  target_compile_definitions(kavlo_qt PRIVATE KAVLO_APP_ID="${KAVLO_APP_ID}")
endif()

install(FILES ${_pkg}/${KAVLO_APP_ID}.desktop DESTINATION ${CMAKE_INSTALL_DATADIR}/applications)
install(FILES ${_pkg}/${KAVLO_APP_ID}.metainfo.xml DESTINATION ${CMAKE_INSTALL_DATADIR}/metainfo)
install(DIRECTORY ${_pkg}/icons/hicolor DESTINATION ${CMAKE_INSTALL_DATADIR}/icons)

# The licence, where a Debian package keeps it. (The repository's LICENSE is optional
# here so that a checkout without it still configures.)
if(EXISTS ${CMAKE_SOURCE_DIR}/LICENSE)
  install(FILES ${CMAKE_SOURCE_DIR}/LICENSE DESTINATION ${CMAKE_INSTALL_DATADIR}/doc/kavlo RENAME copyright)
endif()

# The man page: help2man turns the program's --help and --version text into the page
# and adds the sections of packaging/kavlo.h2m, so a new option appears in it by itself.
find_program(KAVLO_HELP2MAN help2man)
if(KAVLO_HELP2MAN AND TARGET kavlo)
  execute_process(COMMAND date -u -d "${KAVLO_RELEASE_DATE}" +%s
                  OUTPUT_VARIABLE _release_epoch OUTPUT_STRIP_TRAILING_WHITESPACE
                  COMMAND_ERROR_IS_FATAL ANY)
  add_custom_command(
    OUTPUT ${CMAKE_BINARY_DIR}/kavlo.1
    COMMAND ${CMAKE_COMMAND} -E env SOURCE_DATE_EPOCH=${_release_epoch}
            ${KAVLO_HELP2MAN} --no-info --no-discard-stderr
            --include ${_pkg}/kavlo.h2m --output ${CMAKE_BINARY_DIR}/kavlo.1
            $<TARGET_FILE:kavlo>
    DEPENDS kavlo ${_pkg}/kavlo.h2m
    COMMENT "Writing the man page kavlo.1 from kavlo --help"
    VERBATIM)
  add_custom_target(kavlo_man ALL DEPENDS ${CMAKE_BINARY_DIR}/kavlo.1)
  install(FILES ${CMAKE_BINARY_DIR}/kavlo.1 DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)
else()
  message(WARNING "help2man not found: the man page is not made (scripts/deps.sh build installs it)")
endif()

# The Debian package. Its dependencies on libraries come from dpkg-shlibdeps.
set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME kavlo)
set(CPACK_PACKAGE_VENDOR "The Kavlo developers")
set(CPACK_PACKAGE_CONTACT "The Kavlo developers <kavlo@users.noreply.github.com>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "web photo album maker")
set(CPACK_PACKAGE_DESCRIPTION
"Kavlo turns a folder of photos (JPEG, TIFF, HEIC/HEIF, AVIF, PNG or WebP) into
a fast, self-contained web photo album: thumbnails, main images and optional
large images, album pages from a template set with skins and languages, and one
small data file. The album opens in any browser, from disk or from a web server.
.
Captions can come from the photos' Exif and IPTC data, the JPEG comment or
the file name; an album can be re-opened to re-order, leave out or caption
photos, and images that are still current are reused. Kavlo runs as a Qt
desktop program or unattended from the command line, without a display.")
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_STRIP_FILES ON)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_RELEASE 1)
set(CPACK_DEBIAN_PACKAGE_SECTION graphics)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_PACKAGE_HOMEPAGE "https://github.com/kavlo/kavlo")
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
# The watermark needs a TrueType font; the desktop opens albums with xdg-open.
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS "fonts-dejavu-core | fonts-liberation2, xdg-utils")
include(CPack)
