#!/usr/bin/env bash
# One-stop developer script for a fresh Debian 12 machine.
#   bash tools/dev.sh play   install packages, build, start the game
#   bash tools/dev.sh test   install packages, build, run every test (the
#                            browser build's too, except with KV_SANITIZE=1)
#   bash tools/dev.sh web-test  the browser build (web-dist) and its tests in
#                               headless Chromium (tests/web/)
#   bash tools/dev.sh package   install packages, build, write the Debian
#                               package build/kelvantis_<version>_<arch>.deb
#   bash tools/dev.sh bench     install packages, build, print the performance
#                               figures against their targets (bench/perfSuite.py);
#                               `bench --smoke` runs it briefly, as CI does
#   bash tools/dev.sh web-dist  install packages, build the browser version into
#                               build-web/ and write build-web/dist/, a folder
#                               for any static web host
#   bash tools/dev.sh web       the same, then serve build-web/dist on 127.0.0.1
#                               (port KV_WEB_PORT, or a free one) and print the URL
# Set KV_SANITIZE=1 to build into build-asan with AddressSanitizer and
# UndefinedBehaviorSanitizer.
set -euo pipefail

cd "$(dirname "$0")/.."

packages=(
  build-essential cmake pkg-config
  freeglut3-dev libglu1-mesa-dev libgl1-mesa-dri libjpeg-dev zlib1g-dev
  libsdl2-dev libvorbis-dev libfreetype-dev fonts-dejavu-core
  libgtest-dev libbenchmark-dev libpng-dev
  xvfb xdotool python3 python3-pil imagemagick
  dpkg-dev file desktop-file-utils
  clang libclang-rt-14-dev valgrind
)
# The browser build also needs Emscripten and apt-get source's unpacker.
web_packages=(emscripten dpkg-dev xz-utils bzip2 make)

# The browser tests drive Debian's Chromium over the DevTools protocol.
web_test_packages=(chromium python3-websocket python3-pil xvfb xdotool)

install_packages() {
  local missing=()
  for p in "${packages[@]}" "$@"; do
    dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
  done
  [ ${#missing[@]} -eq 0 ] && return 0
  local sudo=""
  [ "$(id -u)" -eq 0 ] || sudo="sudo"
  $sudo apt-get update
  DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y --no-install-recommends "${missing[@]}"
}

build() {
  local dir=build flags=()
  if [ "${KV_SANITIZE:-0}" = 1 ]; then
    dir=build-asan
    flags+=(-DKV_SANITIZE=ON -DCMAKE_BUILD_TYPE=Debug)
  fi
  cmake -S . -B "$dir" "${flags[@]}" >&2
  cmake --build "$dir" -j"$(nproc)" >&2
  echo "$dir"
}

# Builds the browser version's folder and runs its tests against it; the
# desktop build in $1 draws the reference title. Prints how long it took.
# Called after `||`, where bash ignores set -e: every step's failure is
# collected by hand and returned.
web_tests() {
  local t status=0
  t=$(date +%s)
  install_packages "${web_test_packages[@]}" || return
  bash tools/dev.sh web-dist >&2 || return
  KV_BINARY="$PWD/$1/kelvantis" KV_GAME_DIR="$PWD/$1/game" KV_WEB_DIST="$PWD/build-web/dist" \
    /usr/bin/python3 tests/web/test_web.py || status=$?
  for name in failures storage sound; do
    KV_GAME_DIR="$PWD/$1/game" /usr/bin/python3 "tests/web/test_$name.py" || status=$?
  done
  /usr/bin/python3 tests/web/test_pace.py || status=$?
  KV_WEB_DIST="$PWD/build-web/dist" /usr/bin/python3 tests/web/test_touch.py || status=$?
  /usr/bin/python3 tests/web/test_build_script.py || status=$?
  # Last: it builds a second release with one picture changed.
  KV_GAME_DIR="$PWD/$1/game" /usr/bin/python3 tests/web/test_offline.py || status=$?
  echo "browser build and tests took $(( $(date +%s) - t )) s"
  return $status
}

case "${1:-}" in
  play)
    install_packages
    dir=$(build | tail -n 1)
    cd "$dir/game"
    exec ../kelvantis
    ;;
  test)
    install_packages
    dir=$(build | tail -n 1)
    status=0
    (cd "$dir" && ctest --output-on-failure -j"$(nproc)") || status=$?
    # The browser build is the normal one compiled again: its tests run once,
    # with the normal build, not with the sanitizers.
    if [ "${KV_SANITIZE:-0}" != 1 ]; then
      web_tests "$dir" || status=$?
    fi
    exit $status
    ;;
  web-test)
    install_packages
    dir=$(build | tail -n 1)
    web_tests "$dir"
    ;;
  package)
    install_packages
    dir=$(build | tail -n 1)
    cd "$dir"
    cpack
    ;;
  bench)
    install_packages
    dir=$(build | tail -n 1)
    exec /usr/bin/python3 bench/perfSuite.py "$dir" "${@:2}"
    ;;
  web-dist)
    install_packages "${web_packages[@]}"
    bash tools/web/build.sh
    ;;
  web)
    install_packages "${web_packages[@]}"
    dist=$(bash tools/web/build.sh | tail -n 1)
    # No-store answers: a visit always gets this build (tools/web/serve.py).
    exec python3 tools/web/serve.py "$dist" "${KV_WEB_PORT:-0}"
    ;;
  *)
    echo "usage: bash tools/dev.sh play|test|web-test|package|bench [--smoke]|web|web-dist" >&2
    exit 2
    ;;
esac
