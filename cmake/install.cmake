# Install rules and the Debian package, laid out like Debian's own games:
#   games/kelvantis                      the launcher (dist/kelvantis.in)
#   lib/games/kelvantis/kelvantis        the game program
#   share/games/kelvantis/{gfx,data}     the game data
#   share/applications/kelvantis.desktop the desktop menu entry
#   share/icons/hicolor/NxN/apps/kelvantis.png
#   share/man/man6/kelvantis.6.gz
# `cmake --install build --prefix P` installs under P; `cpack` in the build
# folder writes kelvantis_<version>_<arch>.deb, installed under /usr.
set(KV_DIST_DIR ${CMAKE_SOURCE_DIR}/dist)
set(KV_DIST_BUILD_DIR ${CMAKE_BINARY_DIR}/dist)
set(KV_INSTALL_LAUNCHER_DIR games)
set(KV_INSTALL_PROGRAM_DIR lib/games/kelvantis)
set(KV_INSTALL_DATA_DIR share/games/kelvantis)

install(TARGETS kelvantis RUNTIME DESTINATION ${KV_INSTALL_PROGRAM_DIR})
# Only the two data folders: anything a run of the game left in build/game
# (kv.cfg, screenshot.png) stays out.
install(DIRECTORY ${KV_GAME_DIR}/gfx ${KV_GAME_DIR}/data DESTINATION ${KV_INSTALL_DATA_DIR})

# The launcher finds the program and the data relative to its own folder.
file(RELATIVE_PATH KV_REL_PROGRAM /p/${KV_INSTALL_LAUNCHER_DIR} /p/${KV_INSTALL_PROGRAM_DIR})
file(RELATIVE_PATH KV_REL_DATA /p/${KV_INSTALL_LAUNCHER_DIR} /p/${KV_INSTALL_DATA_DIR})
configure_file(${KV_DIST_DIR}/kelvantis.in ${KV_DIST_BUILD_DIR}/kelvantis @ONLY)
install(PROGRAMS ${KV_DIST_BUILD_DIR}/kelvantis DESTINATION ${KV_INSTALL_LAUNCHER_DIR})

foreach(size 32 48 64 128 256)
  install(FILES ${KV_ICON_DIR}/${size}x${size}/kelvantis.png
    DESTINATION share/icons/hicolor/${size}x${size}/apps)
endforeach()

# Debian compresses manual pages with gzip -9n (no name or time stamp).
configure_file(${KV_DIST_DIR}/kelvantis.6.in ${KV_DIST_BUILD_DIR}/kelvantis.6 @ONLY)
add_custom_command(OUTPUT ${KV_DIST_BUILD_DIR}/kelvantis.6.gz
  COMMAND sh -c "gzip -9nc \"$0\" > \"$1\"" ${KV_DIST_BUILD_DIR}/kelvantis.6 ${KV_DIST_BUILD_DIR}/kelvantis.6.gz
  DEPENDS ${KV_DIST_BUILD_DIR}/kelvantis.6
  VERBATIM)
add_custom_target(kvmanpage ALL DEPENDS ${KV_DIST_BUILD_DIR}/kelvantis.6.gz)
install(FILES ${KV_DIST_BUILD_DIR}/kelvantis.6.gz DESTINATION share/man/man6)

# The desktop entry starts the launcher by its full path, which is known only
# when installing (`--prefix` may differ from the configured prefix), so the
# entry is written then.
install(CODE "set(kvDesktopTemplate [[${KV_DIST_DIR}/kelvantis.desktop.in]])
set(kvLauncherDir [[${KV_INSTALL_LAUNCHER_DIR}]])")
install(CODE [[
  # A relative --prefix is taken from the folder cmake --install runs in.
  get_filename_component(kvPrefix "${CMAKE_INSTALL_PREFIX}" ABSOLUTE)
  set(KV_LAUNCHER "${kvPrefix}/${kvLauncherDir}/kelvantis")
  set(kvDesktop "$ENV{DESTDIR}${CMAKE_INSTALL_PREFIX}/share/applications/kelvantis.desktop")
  message(STATUS "Installing: ${kvDesktop}")
  configure_file("${kvDesktopTemplate}" "${kvDesktop}" @ONLY)
  list(APPEND CMAKE_INSTALL_MANIFEST_FILES "${kvDesktop}")
]])

# The Debian package. Its Depends line is computed by dpkg-shlibdeps from the
# libraries the program links.
set(KV_PACKAGE_MAINTAINER "KelVantis maintainers <maintainers@example.org>"
  CACHE STRING "Maintainer field of the Debian package")
set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME kelvantis)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "side-scrolling action game with a sword and a flying sidekick")
# CPack puts the summary first and indents the rest as Debian wants.
set(CPACK_DEBIAN_PACKAGE_DESCRIPTION "KelVantis is a small two-dimensional action game of one level. The first
player walks, jumps and swings a sword; a tiny second character flies freely
on a countdown that every destroyed robot extends. Robots fire volleys of
bullets, and three lives are shared by both characters.")
set(CPACK_PACKAGE_CONTACT "${KV_PACKAGE_MAINTAINER}")
set(CPACK_DEBIAN_PACKAGE_MAINTAINER "${KV_PACKAGE_MAINTAINER}")
set(CPACK_DEBIAN_PACKAGE_SECTION games)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_COMPRESSION_TYPE xz)
set(CPACK_STRIP_FILES ON)
# Install into a DESTDIR with the prefix /usr, so that the desktop entry
# written at install time names /usr/games/kelvantis and not the staging
# folder.
set(CPACK_SET_DESTDIR ON)
set(CPACK_INSTALL_PREFIX /usr)
include(CPack)
