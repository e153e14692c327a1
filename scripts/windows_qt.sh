#!/usr/bin/env bash
# Builds the Qt that the Windows build of Tarvik needs (Core, Gui, Widgets, PrintSupport, Test,
# SerialPort; the Windows and offscreen platform plugins) for x86_64-w64-mingw32, from Debian's
# source of qt6-base and the source of Qt Serial Port of the same version, and keeps it in a cache
# outside the work tree. Later runs find it there and return at once.
#
# Prints the path of the Qt installation on its last line of output.
#
#   TARVIK_WINDOWS_CACHE   where built Qts are kept (default /var/cache/tarvik-windows)
#   TARVIK_QTSERIALPORT    the source tarball of Qt Serial Port 6.4.2
#                          (default ../shared/deps/qtserialport-everywhere-src-6.4.2.tar.xz)
set -euo pipefail
here=$(cd "$(dirname "$0")/.." && pwd)
cache=${TARVIK_WINDOWS_CACHE:-/var/cache/tarvik-windows}
serialport=${TARVIK_QTSERIALPORT:-$here/../shared/deps/qtserialport-everywhere-src-6.4.2.tar.xz}
toolchain=$here/cmake/mingw-w64-x86_64.cmake
jobs=$(nproc)

sudo=""
[ "$(id -u)" -eq 0 ] || sudo="sudo"

"$here/scripts/deps.sh" g++-mingw-w64-x86-64-posix xz-utils >/dev/null

[ -f "$serialport" ] || { echo "Qt Serial Port's source not found: $serialport (set TARVIK_QTSERIALPORT)" >&2; exit 1; }

# Everything that decides what is built; a change to any of it is a different Qt.
qtbase_options=(
    -DCMAKE_BUILD_TYPE=Release -DBUILD_SHARED_LIBS=ON
    -DQT_BUILD_EXAMPLES=OFF -DQT_BUILD_TESTS=OFF -DQT_BUILD_BENCHMARKS=OFF
    -DFEATURE_pkg_config=OFF
    -DFEATURE_sql=OFF -DFEATURE_network=OFF -DFEATURE_dbus=OFF -DFEATURE_concurrent=OFF
    -DFEATURE_xml=OFF -DFEATURE_opengl=OFF -DFEATURE_dynamicgl=OFF -DFEATURE_vulkan=OFF
    # Debian's copy of the source has no Wacom tablet headers.
    -DFEATURE_tabletevent=OFF
    -DFEATURE_jpeg=OFF -DFEATURE_gif=OFF -DFEATURE_sql_sqlite=OFF
    -DFEATURE_system_zlib=OFF -DFEATURE_system_png=OFF -DFEATURE_system_freetype=OFF
    -DFEATURE_system_harfbuzz=OFF -DFEATURE_system_pcre2=OFF -DFEATURE_zstd=OFF
)

# Debian's source of qt6-base, fetched once into the cache.
sources=$cache/sources
mkdir -p "$cache" 2>/dev/null || { $sudo mkdir -p "$cache"; $sudo chown "$(id -u):$(id -g)" "$cache"; }
mkdir -p "$sources"
if ! ls "$sources"/qt6-base_*.dsc >/dev/null 2>&1; then
    if ! (cd "$sources" && apt-get source --download-only qt6-base >/dev/null 2>&1); then
        # apt needs a deb-src entry for the archive it already uses.
        for list in /etc/apt/sources.list.d/*.sources; do
            grep -q '^Types: deb$' "$list" || continue
            sed 's/^Types: deb$/Types: deb-src/' "$list" |
                $sudo tee "/etc/apt/sources.list.d/tarvik-src-$(basename "$list")" >/dev/null
        done
        $sudo apt-get update -qq
        (cd "$sources" && apt-get source --download-only qt6-base >/dev/null 2>&1)
    fi
fi
dsc=$(ls "$sources"/qt6-base_*.dsc | sort -V | tail -n 1)

key=$( { cat "$dsc"; sha256sum <"$serialport"; cat "$toolchain"; printf '%s\n' "${qtbase_options[@]}"; } |
       sha256sum | cut -c1-16)
version=$(sed -n 's/^Version: //p' "$dsc" | sed 's/[+-].*//')
prefix=$cache/qt-$version-mingw64-$key
if [ -f "$prefix/.complete" ]; then
    echo "$prefix"
    exit 0
fi

started=$(date +%s)
work=$(mktemp -d "$cache/build.XXXXXX")
trap 'rm -rf "$work"' EXIT

dpkg-source -x "$dsc" "$work/qtbase" >/dev/null
cmake -S "$work/qtbase" -B "$work/qtbase-build" -G Ninja \
    -DCMAKE_TOOLCHAIN_FILE="$toolchain" \
    -DQT_HOST_PATH=/usr -DQT_HOST_PATH_CMAKE_DIR=/usr/lib/x86_64-linux-gnu/cmake \
    -DCMAKE_INSTALL_PREFIX="$prefix" \
    "${qtbase_options[@]}" >"$work/qtbase-configure.log"
nice -n 10 cmake --build "$work/qtbase-build" -j "$jobs"
rm -rf "$prefix"
cmake --install "$work/qtbase-build" >/dev/null

tar -C "$work" -xf "$serialport"
"$prefix/bin/qt-cmake" -S "$work"/qtserialport-everywhere-src-* -B "$work/serialport-build" -G Ninja \
    -DQT_HOST_PATH=/usr -DQT_HOST_PATH_CMAKE_DIR=/usr/lib/x86_64-linux-gnu/cmake \
    -DCMAKE_BUILD_TYPE=Release -DQT_BUILD_EXAMPLES=OFF -DQT_BUILD_TESTS=OFF \
    >"$work/serialport-configure.log"
nice -n 10 cmake --build "$work/serialport-build" -j "$jobs"
cmake --install "$work/serialport-build" >/dev/null

# Marked complete only at the end: an interrupted build is built again.
touch "$prefix/.complete"
echo "Qt for Windows built in $(( ($(date +%s) - started) / 60 )) min $(( ($(date +%s) - started) % 60 )) s" >&2
echo "$prefix"
