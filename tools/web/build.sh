#!/usr/bin/env bash
# Browser build: compiles zlib, libjpeg-turbo, libogg and libvorbis from
# Debian's source packages with Emscripten into build-web/prefix (once: they
# are kept there), then the game into build-web/game, and writes the static
# folder build-web/dist (page, script, WebAssembly, data).
# Called by `bash tools/dev.sh web` and `bash tools/dev.sh web-dist`.
set -euo pipefail

root=$(cd "$(dirname "$0")/../.." && pwd)
out=$root/build-web
prefix=$out/prefix
sources=$out/sources
jobs=$(nproc)

# Debian's emcc runs on Debian's node; another node on the PATH needs this to
# find emscripten's node modules.
export NODE_PATH=${NODE_PATH:-/usr/share/nodejs}

sudo=""
[ "$(id -u)" -eq 0 ] || sudo="sudo"

# Source packages come from a deb-src entry mirroring the binary one.
ensure_deb_src() {
  if grep -rqs '^Types:.*deb-src' /etc/apt/sources.list.d/ || grep -qs '^deb-src' /etc/apt/sources.list; then
    return 0
  fi
  local base=/etc/apt/sources.list.d/debian.sources
  [ -f "$base" ] || { echo "no $base to mirror for source packages" >&2; exit 1; }
  sed 's/^Types: deb$/Types: deb-src/' "$base" | $sudo tee /etc/apt/sources.list.d/debian-src.sources >/dev/null
  $sudo apt-get update >&2
}

# Unpacks one Debian source package into $sources (once) and prints its folder.
fetch_source() {
  local package=$1
  mkdir -p "$sources"
  local dir
  dir=$(find "$sources" -maxdepth 1 -mindepth 1 -type d -name "$package-*" | head -n 1)
  if [ -z "$dir" ]; then
    ensure_deb_src
    # The newest version first; a mirror without the security archive's
    # sources still has the release's.
    (cd "$sources" && { apt-get source "$package" >&2 || apt-get source "$package/bookworm" >&2; })
    dir=$(find "$sources" -maxdepth 1 -mindepth 1 -type d -name "$package-*" | head -n 1)
  fi
  if [ -z "$dir" ]; then
    echo "the source package $package could not be fetched (apt-get source $package)" >&2
    return 1
  fi
  echo "$dir"
}

build_zlib() {
  [ -f "$prefix/lib/libz.a" ] && return 0
  local src
  src=$(fetch_source zlib)
  (cd "$src" && emconfigure ./configure --static --prefix="$prefix" >&2 && emmake make -j"$jobs" libz.a >&2 &&
    emmake make install >&2)
}

build_jpeg() {
  [ -f "$prefix/lib/libjpeg.a" ] && return 0
  local src
  src=$(fetch_source libjpeg-turbo)
  emcmake cmake -S "$src" -B "$out/libjpeg-turbo" -DCMAKE_BUILD_TYPE=Release \
    -DCMAKE_INSTALL_PREFIX="$prefix" -DCMAKE_INSTALL_LIBDIR=lib \
    -DWITH_SIMD=0 -DENABLE_SHARED=0 -DWITH_TURBOJPEG=0 \
    -DSIZE_T=4 -DHAVE_SIZE_T=TRUE -DUNSIGNED_LONG=4 -DHAVE_UNSIGNED_LONG=TRUE >&2
  cmake --build "$out/libjpeg-turbo" -j"$jobs" --target jpeg-static >&2
  mkdir -p "$prefix/lib" "$prefix/include"
  cp "$out/libjpeg-turbo/libjpeg.a" "$prefix/lib/libjpeg.a"
  cp "$src/jpeglib.h" "$src/jmorecfg.h" "$src/jerror.h" "$out/libjpeg-turbo/jconfig.h" "$prefix/include/"
}

build_autotools() {
  local package=$1 lib=$2
  shift 2
  [ -f "$prefix/lib/$lib" ] && return 0
  local src
  src=$(fetch_source "$package")
  mkdir -p "$out/$package"
  (cd "$out/$package" && emconfigure "$src/configure" --host=wasm32-unknown-linux --prefix="$prefix" --disable-shared --enable-static "$@" >&2 &&
    emmake make -j"$jobs" >&2 && emmake make install >&2)
}

build_libraries() {
  build_zlib
  build_jpeg
  build_autotools libogg libogg.a
  build_autotools libvorbis libvorbisfile.a --with-ogg="$prefix" --disable-docs --disable-examples \
    --disable-oggtest
}

# The data the page preloads is the desktop tree's asset generator output.
build_assets() {
  cmake -S "$root" -B "$root/build" >&2
  cmake --build "$root/build" -j"$jobs" --target kvassets >&2
}

build_game() {
  emcmake cmake -S "$root" -B "$out/game" -DCMAKE_BUILD_TYPE=Release \
    -DKV_WEB_PREFIX="$prefix" -DKV_GAME_DATA="$root/build/game" >&2
  cmake --build "$out/game" -j"$jobs" >&2
}

write_dist() {
  local dist=$out/dist
  rm -rf "$dist"
  mkdir -p "$dist"
  cp "$out/game/kelvantis.js" "$out/game/kelvantis.wasm" "$out/game/kelvantis.data" "$dist/"
  cp "$root/web/index.html" "$dist/"
  echo "$dist"
}

build_libraries
build_assets
build_game
write_dist
