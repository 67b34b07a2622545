# The busiest bench scene (tests/support/busyScene.cpp, what kvframetiming
# draws) as a small browser program beside the game, for bench/webFigures.py.
# Read into the browser build's configuration right after its project() line:
#   emcmake cmake -S . -B build-web/bench -DCMAKE_BUILD_TYPE=Release
#     -DCMAKE_PROJECT_KelVantis_INCLUDE=bench/web/busyFrames.cmake
#     -DKV_WEB_PREFIX=build-web/prefix -DKV_GAME_DATA=build/game
#   cmake --build build-web/bench --target kvbusyweb
# The game's object libraries it links are defined later in that run.
if(NOT EMSCRIPTEN)
  return()
endif()
add_executable(kvbusyweb ${CMAKE_SOURCE_DIR}/bench/web/busyFrames.cpp
  ${CMAKE_SOURCE_DIR}/tests/support/busyScene.cpp)
target_include_directories(kvbusyweb PRIVATE ${CMAKE_SOURCE_DIR}/tests)
target_link_libraries(kvbusyweb PRIVATE kvlogic kvplatform)
set_target_properties(kvbusyweb PROPERTIES SUFFIX .js CXX_STANDARD 17 CXX_STANDARD_REQUIRED ON)
target_link_options(kvbusyweb PRIVATE
  -sLEGACY_GL_EMULATION=1
  -sALLOW_MEMORY_GROWTH=1
  -sFORCE_FILESYSTEM=1
  "SHELL:--js-library ${CMAKE_SOURCE_DIR}/web/glState.js"
  # The game's page watch, which its platform layer starts.
  "SHELL:--pre-js ${CMAKE_SOURCE_DIR}/web/lifecycle.js"
  "SHELL:--preload-file ${KV_GAME_DATA}/gfx@/gfx"
  "SHELL:--preload-file ${KV_GAME_DATA}/data@/data")
configure_file(${CMAKE_SOURCE_DIR}/bench/web/index.html ${CMAKE_BINARY_DIR}/index.html COPYONLY)
