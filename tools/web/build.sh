#!/usr/bin/env bash
# Browser build: compiles zlib, libjpeg-turbo, libogg and libvorbis from
# Debian's source packages with Emscripten into build-web/prefix, then the
# game into build-web/game, and writes the static folder build-web/dist (the
# page, its service worker and manifest, and the script, WebAssembly, data and
# icons, each named after a hash of its contents). Prints the folder's path.
# Called by `bash tools/dev.sh web` and `bash tools/dev.sh web-dist`.
#
# Environment: KV_GAME_DATA, the asset generator's folder to package (default
# build/game, generated here); KV_WEB_DIST, the folder to write (default
# build-web/dist).
set -euo pipefail
shopt -s inherit_errexit

root=$(cd "$(dirname "${BASH_SOURCE[0]}")/../.." && pwd)
out=$root/build-web
prefix=$out/prefix
sources=$out/sources
stamps=$prefix/stamps
dist=${KV_WEB_DIST:-$out/dist}
game_data=${KV_GAME_DATA:-$root/build/game}
jobs=$(nproc)

# Debian's emcc runs on Debian's node; another node on the PATH needs this to
# find emscripten's node modules.
export NODE_PATH=${NODE_PATH:-/usr/share/nodejs}

# ------------------------------------------------------ Debian's source packages

# apt-get runs on a configuration of its own in build-web/apt: its sources
# list holds deb-src entries made from the system's own Debian entries (the
# deb lines of /etc/apt/sources.list and sources.list.d/debian.sources) for
# this release only, each checked with Debian's archive key alone, so no other
# deb-src line and no other archive is consulted, and the system's apt state is
# left as it is.
apt_dir=$out/apt
apt_options=(-o Dir::Etc::SourceList="$apt_dir/sources.list" -o Dir::Etc::SourceParts="$apt_dir/sources.list.d"
  -o Dir::State::Lists="$apt_dir/lists" -o Dir::Cache="$apt_dir/cache")
# As root apt hands downloads to its unprivileged user, which cannot write
# into this folder.
[ "$(id -u)" -ne 0 ] || apt_options+=(-o APT::Sandbox::User=root)
apt_ready=""

# The release's code name from an os-release file ($1).
release_name() {
  local codename
  codename=$( . "$1" && echo "${VERSION_CODENAME:-}")
  if [ -z "$codename" ]; then
    echo "$1 names no release (VERSION_CODENAME): cannot tell which Debian sources to use" >&2
    return 1
  fi
  echo "$codename"
}

# Writes into folder $1 a sources list and a sources.list.d with the deb-src
# twins of the deb entries for release $2 (the release, its -updates and its
# -security suites) found in the one-line list $4 and the deb822 file $5, each
# to be checked with keyring $3 alone; fails when there is none.
write_sources() {
  local folder=$1 codename=$2 keyring=$3 list=$4 deb822=$5
  rm -rf "$folder/sources.list.d"
  mkdir -p "$folder/sources.list.d"
  : >"$folder/sources.list"
  # One-line entries: "deb [options] URI SUITE COMPONENT...".
  [ ! -f "$list" ] || awk -v release="$codename" -v keyring="$keyring" '
    $1 == "deb" {
      i = 2
      if ($2 ~ /^\[/) { while (i <= NF && $i !~ /\]$/) i++; i++ }
      suite = $(i + 1)
      if (suite == release || suite == release "-updates" || suite == release "-security") {
        line = "deb-src [signed-by=" keyring "]"
        for (k = i; k <= NF; k++) line = line " " $k
        print line
      }
    }' "$list" >"$folder/sources.list"
  # deb822 stanzas: the same fields with Types deb-src and this release's
  # suites; a field may go on over lines that start with a blank (a key).
  [ ! -f "$deb822" ] || awk -v release="$codename" -v keyring="$keyring" '
    function flush(   n, k, s, kept) {
      if (types ~ /(^|[ \t])deb([ \t]|$)/ && tolower(enabled) != "no" && uris != "") {
        n = split(suites, s, /[ \t]+/)
        kept = ""
        for (k = 1; k <= n; k++)
          if (s[k] == release || s[k] == release "-updates" || s[k] == release "-security")
            kept = kept " " s[k]
        if (kept != "") {
          print "Types: deb-src"
          print "URIs: " uris
          print "Suites:" kept
          if (components != "") print "Components: " components
          print "Signed-By: " keyring
          print ""
        }
      }
      types = enabled = uris = suites = components = ""
    }
    /^#/ { next }
    /^[ \t]*$/ { flush(); next }
    /^[ \t]/ { next }
    {
      field = tolower(substr($0, 1, index($0, ":") - 1))
      value = substr($0, index($0, ":") + 1)
      gsub(/^[ \t]+|[ \t]+$/, "", value)
      if (field == "types") types = value
      else if (field == "enabled") enabled = value
      else if (field == "uris") uris = value
      else if (field == "suites") suites = value
      else if (field == "components") components = value
    }
    END { flush() }' "$deb822" >"$folder/sources.list.d/debian-src.sources"
  if ! grep -qs . "$folder/sources.list" "$folder/sources.list.d/debian-src.sources"; then
    echo "no deb entry for Debian $codename in $list or $deb822 to take the source packages from" >&2
    return 1
  fi
}

# Writes the deb-src entries and refreshes their index (once a run, and only
# when a library needs its source).
prepare_apt() {
  [ -z "$apt_ready" ] || return 0
  local codename keyring
  codename=$(release_name /etc/os-release)
  keyring=$(ls /usr/share/keyrings/debian-archive-keyring.{gpg,pgp} 2>/dev/null | head -n 1) || true
  if [ -z "$keyring" ]; then
    echo "Debian's archive key is missing (apt-get install debian-archive-keyring)" >&2
    return 1
  fi
  mkdir -p "$apt_dir/lists/partial" "$apt_dir/cache"
  write_sources "$apt_dir" "$codename" "$keyring" /etc/apt/sources.list /etc/apt/sources.list.d/debian.sources
  # An entry that is not Debian's archive fails its check here and is left
  # out; the packages' own look-up says when nothing is left.
  apt-get "${apt_options[@]}" update >&2 ||
    echo "apt-get update failed for some of the entries in $apt_dir: the others are used" >&2
  apt_ready=1
}

# The source version to build of package $1, given the version $2 of its
# installed -dev package ("" when none is installed): that one where the
# archive still has it, else the newest the archive has.
choose_version() {
  local package=$1 installed=$2 versions newest="" v
  versions=$(apt-cache "${apt_options[@]}" showsrc "$package" 2>/dev/null |
    awk -v p="$package" '/^Package: / { ours = ($2 == p) } ours && /^Version: / { print $2 }')
  for v in $versions; do
    if [ "$v" = "$installed" ]; then
      echo "$v"
      return 0
    fi
    if [ -z "$newest" ] || dpkg --compare-versions "$v" gt "$newest"; then
      newest=$v
    fi
  done
  if [ -z "$newest" ]; then
    echo "Debian's archive gave no source package $package (see apt-get update's messages above)" >&2
    return 1
  fi
  echo "$newest"
}

# Downloads version $2 of source package $1 into $sources and unpacks it
# afresh into its own folder, whose path is printed.
fetch_source() {
  local package=$1 version=$2
  local plain=${version#*:}
  local dir=$sources/$package-$plain
  mkdir -p "$sources"
  # Files already downloaded and still matching the archive are kept.
  (cd "$sources" && apt-get "${apt_options[@]}" source --download-only "$package=$version" >&2)
  rm -rf "$dir"
  dpkg-source --no-check -x "$sources/${package}_$plain.dsc" "$dir" >&2
  echo "$dir"
}

# Builds library $1 (source package) with the function $3 (called with the
# unpacked source folder) unless its stamp says it is current. The stamp
# records the compiler, the installed version of the -dev package $2 (whose
# source version is the one built) and the build steps; a change in any of
# them builds the library again from a fresh copy of its source.
build_library() {
  local package=$1 dev=$2 steps=$3
  local stamp=$stamps/$package installed key version src
  installed=$(dpkg-query -W -f='${db:Status-Status} ${source:Version}' "$dev" 2>/dev/null |
    awk '$1 == "installed" { print $2 }') || true
  key=$(printf 'compiler: %s\ninstalled %s: %s\nsteps: %s' "$compiler" "$dev" "${installed:-none}" \
    "$(declare -f "$steps" autotools | sha256sum | cut -c1-16)")
  if [ -f "$stamp" ] && [ "$(head -n 3 "$stamp")" = "$key" ]; then
    echo "$package: up to date, $(tail -n 1 "$stamp")" >&2
    return 0
  fi
  rm -f "$stamp"
  prepare_apt
  version=$(choose_version "$package" "$installed")
  echo "$package: building source version $version (installed $dev: ${installed:-none}) with $compiler" >&2
  src=$(fetch_source "$package" "$version")
  "$steps" "$src"
  mkdir -p "$stamps"
  printf '%s\nbuilt from %s %s\n' "$key" "$package" "$version" >"$stamp"
}

steps_zlib() {
  (cd "$1" && emconfigure ./configure --static --prefix="$prefix" >&2 && emmake make -j"$jobs" libz.a >&2 &&
    emmake make install >&2)
}

steps_jpeg() {
  local src=$1
  rm -rf "$out/libjpeg-turbo"
  emcmake cmake -S "$src" -B "$out/libjpeg-turbo" -DCMAKE_BUILD_TYPE=Release \
    -DCMAKE_INSTALL_PREFIX="$prefix" -DCMAKE_INSTALL_LIBDIR=lib \
    -DWITH_SIMD=0 -DENABLE_SHARED=0 -DWITH_TURBOJPEG=0 \
    -DSIZE_T=4 -DHAVE_SIZE_T=TRUE -DUNSIGNED_LONG=4 -DHAVE_UNSIGNED_LONG=TRUE >&2
  cmake --build "$out/libjpeg-turbo" -j"$jobs" --target jpeg-static >&2
  mkdir -p "$prefix/lib" "$prefix/include"
  cp "$out/libjpeg-turbo/libjpeg.a" "$prefix/lib/libjpeg.a"
  cp "$src/jpeglib.h" "$src/jmorecfg.h" "$src/jerror.h" "$out/libjpeg-turbo/jconfig.h" "$prefix/include/"
}

# An autotools package built out of its source folder in build-web/NAME.
autotools() {
  local src=$1 name=$2
  shift 2
  rm -rf "${out:?}/$name"
  mkdir -p "$out/$name"
  (cd "$out/$name" && emconfigure "$src/configure" --host=wasm32-unknown-linux --prefix="$prefix" --disable-shared --enable-static "$@" >&2 &&
    emmake make -j"$jobs" >&2 && emmake make install >&2)
}

steps_ogg() {
  autotools "$1" libogg
}

steps_vorbis() {
  autotools "$1" libvorbis --with-ogg="$prefix" --disable-docs --disable-examples --disable-oggtest
}

build_libraries() {
  compiler=$(emcc --version | sed -n 1p)
  build_library zlib zlib1g-dev steps_zlib
  build_library libjpeg-turbo libjpeg-dev steps_jpeg
  build_library libogg libogg-dev steps_ogg
  build_library libvorbis libvorbis-dev steps_vorbis
}

# ----------------------------------------------------------------- the game

# The data the page preloads is the desktop tree's asset generator output,
# and so are the home screen icons.
build_assets() {
  cmake -S "$root" -B "$root/build" >&2
  cmake --build "$root/build" -j"$jobs" --target kvassets >&2
}

build_game() {
  emcmake cmake -S "$root" -B "$out/game" -DCMAKE_BUILD_TYPE=Release \
    -DKV_WEB_PREFIX="$prefix" -DKV_GAME_DATA="$game_data" >&2
  cmake --build "$out/game" -j"$jobs" >&2
}

# ----------------------------------------------------------------- the folder

# A file's name with a short hash of its contents before the extension:
# NAME.HASH.EXT.
hashed_name() {
  local file=$1 base=$2 ext=$3
  echo "$base.$(sha256sum "$file" | cut -c1-10).$ext"
}

# Replaces the match of the Perl pattern $2 in file $1 by the text $3
# (after the pattern's first group, when it has one), failing unless the
# pattern matches exactly once: a change in the compiler's output must stop
# the build, not ship a page that loads the wrong file.
replace_once() {
  local file=$1
  FROM=$2 TO=$3 perl -0777 -pi -e '
    my $n = () = /$ENV{FROM}/g;
    die "$ARGV: expected $ENV{FROM} once, found it $n times\n" if $n != 1;
    s/$ENV{FROM}/(defined $1 ? $1 : "") . $ENV{TO}/e;' "$file"
}

# Every file but the page, its worker and its manifest is named after its
# contents, so a web server may let browsers keep them for ever and a
# browser never pairs one release's script with another's data. The script
# names the .wasm and the .data, so it is renamed after them.
write_dist() {
  local game=$out/game tmp=$dist.tmp wasm data script icons=() size icon release files
  rm -rf "$tmp"
  mkdir -p "$tmp"
  wasm=$(hashed_name "$game/kelvantis.wasm" kelvantis wasm)
  data=$(hashed_name "$game/kelvantis.data" kelvantis data)
  install -m 644 "$game/kelvantis.wasm" "$tmp/$wasm"
  install -m 644 "$game/kelvantis.data" "$tmp/$data"
  install -m 644 "$game/kelvantis.js" "$tmp/script.js"
  replace_once "$tmp/script.js" '(\bwasmBinaryFile\s*=\s*)"kelvantis\.wasm"' "\"$wasm\""
  replace_once "$tmp/script.js" '(\bREMOTE_PACKAGE_BASE\s*=\s*)"kelvantis\.data"' "\"$data\""
  # The data's random id (for a preload cache this build does not use) is
  # made from the data's hash, so the same build gives the same script.
  replace_once "$tmp/script.js" '("package_uuid"\s*:\s*)"[0-9a-f-]{36}"' \
    "\"$(sha256sum "$game/kelvantis.data" | cut -c1-8)-0000-4000-8000-000000000000\""
  script=$(hashed_name "$tmp/script.js" kelvantis js)
  mv "$tmp/script.js" "$tmp/$script"

  for size in 192 512; do
    icon=$(hashed_name "$root/build/icons/${size}x$size/kelvantis.png" "kelvantis-$size" png)
    install -m 644 "$root/build/icons/${size}x$size/kelvantis.png" "$tmp/$icon"
    icons+=("$icon")
  done
  cp "$root/web/manifest.webmanifest" "$tmp/"
  replace_once "$tmp/manifest.webmanifest" '@ICON_192@' "${icons[0]}"
  replace_once "$tmp/manifest.webmanifest" '@ICON_512@' "${icons[1]}"

  cp "$root/web/index.html" "$tmp/"
  replace_once "$tmp/index.html" "(script\\.src = )'kelvantis\\.js'" "'$script'"

  # The release is named after everything it serves; the worker lists the
  # named files, the script first (see web/sw.js).
  files="'$script', '$wasm', '$data', '${icons[0]}', '${icons[1]}'"
  release=$({ cat "$tmp/index.html" "$tmp/manifest.webmanifest" && echo "$files"; } | sha256sum | cut -c1-10)
  cp "$root/web/sw.js" "$tmp/"
  replace_once "$tmp/sw.js" '@RELEASE@' "$release"
  replace_once "$tmp/sw.js" '@FILES@' "$files"

  rm -rf "$dist"
  mv "$tmp" "$dist"
  echo "release $release: $script $wasm $data" >&2
  echo "$dist"
}

# Sourced (by its test) it only defines the functions.
if [ "${BASH_SOURCE[0]}" = "$0" ]; then
  build_libraries
  build_assets
  build_game
  write_dist
fi
