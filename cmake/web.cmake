# The browser build: the game executable only (no tests, benches, tools or
# install rules), compiled with Emscripten into kelvantis.js, kelvantis.wasm
# and kelvantis.data. The C libraries come from KV_WEB_PREFIX (built from
# Debian's source packages by tools/web/build.sh); GL, GLUT and the SDL audio
# are Emscripten's own.
set(KV_WEB_PREFIX "" CACHE PATH "Prefix with the Emscripten builds of zlib, libjpeg, libogg and libvorbis")
set(KV_GAME_DATA "" CACHE PATH "The ready-to-run folder (gfx/, data/) written by the asset generator")
if(NOT EXISTS ${KV_WEB_PREFIX}/lib/libvorbisfile.a OR NOT EXISTS ${KV_GAME_DATA}/gfx)
  message(FATAL_ERROR "KV_WEB_PREFIX and KV_GAME_DATA must name the libraries and the data "
                      "(bash tools/dev.sh web-dist builds both)")
endif()

add_library(kvweblibs INTERFACE)
target_include_directories(kvweblibs INTERFACE ${KV_WEB_PREFIX}/include
  # Emscripten's SDL headers, found as <SDL.h> as on the desktop.
  ${EMSCRIPTEN_SYSROOT}/include/SDL)
target_link_libraries(kvweblibs INTERFACE
  ${KV_WEB_PREFIX}/lib/libvorbisfile.a ${KV_WEB_PREFIX}/lib/libvorbis.a ${KV_WEB_PREFIX}/lib/libogg.a
  ${KV_WEB_PREFIX}/lib/libjpeg.a ${KV_WEB_PREFIX}/lib/libz.a)

add_library(kvlogic OBJECT)
target_include_directories(kvlogic PUBLIC ${CMAKE_SOURCE_DIR}/src)
target_link_libraries(kvlogic PUBLIC kvweblibs)
add_library(kvplatform OBJECT)
target_include_directories(kvplatform PUBLIC ${CMAKE_SOURCE_DIR}/src)
target_link_libraries(kvplatform PUBLIC kvweblibs)

foreach(sub core shell input graphics world actors audio)
  add_subdirectory(src/${sub})
endforeach()
# The page's side of the platform layer: key repeats, the gamepad, the
# player's files and the page's read-only hooks.
target_sources(kvplatform PRIVATE src/shell/webPage.cpp)

add_executable(kelvantis src/shell/main.cpp)
target_link_libraries(kelvantis PRIVATE kvlogic kvplatform)
set_target_properties(kelvantis PROPERTIES RUNTIME_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR} SUFFIX .js)

set(KV_WEB_EXPORTS _main _kvDebugState _kvViewport _kvMixerCounts _kvFullScreenSetting
  _kvKeyEvent _kvReleaseControls _kvPageHidden
  # The touch controls (web/touch.js).
  _kvGameState _kvTouchKey)
string(REPLACE ";" "," KV_WEB_EXPORTS "${KV_WEB_EXPORTS}")
target_link_options(kelvantis PRIVATE
  -sLEGACY_GL_EMULATION=1
  -sALLOW_MEMORY_GROWTH=1
  -sENVIRONMENT=web
  -sEXPORTED_FUNCTIONS=${KV_WEB_EXPORTS}
  -sEXPORTED_RUNTIME_METHODS=UTF8ToString,FS
  -sFORCE_FILESYSTEM=1
  -lidbfs.js
  "SHELL:--js-library ${CMAKE_SOURCE_DIR}/web/glState.js"
  "SHELL:--pre-js ${CMAKE_SOURCE_DIR}/web/pre.js"
  "SHELL:--pre-js ${CMAKE_SOURCE_DIR}/web/lifecycle.js"
  "SHELL:--pre-js ${CMAKE_SOURCE_DIR}/web/touch.js"
  # The data, beside the player's folder (see web/pre.js).
  "SHELL:--preload-file ${KV_GAME_DATA}/gfx@/game/gfx"
  "SHELL:--preload-file ${KV_GAME_DATA}/data@/game/data")
file(GLOB_RECURSE KV_WEB_DATA_FILES CONFIGURE_DEPENDS ${KV_GAME_DATA}/gfx/* ${KV_GAME_DATA}/data/*)
set_property(TARGET kelvantis APPEND PROPERTY LINK_DEPENDS
  ${CMAKE_SOURCE_DIR}/web/pre.js ${CMAKE_SOURCE_DIR}/web/lifecycle.js ${CMAKE_SOURCE_DIR}/web/touch.js
  ${CMAKE_SOURCE_DIR}/web/glState.js ${KV_WEB_DATA_FILES})
