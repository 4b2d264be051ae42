#!/usr/bin/env bash
# package.sh: builds velto-widget_VERSION_amd64.deb from a release build with Debian's own tools.
# Usage: scripts/package.sh [OUTPUT_DIR]   (default: build/)
#
# The steps are those debhelper runs, done directly on the CMake install: dpkg-buildflags for the hardening
# flags, dh_strip's strip, dh_compress's gzip -9n, dpkg-shlibdeps for the dependencies on the libraries the
# programs link, dpkg-gencontrol for the control file, dpkg-deb to build, lintian to check.
set -euo pipefail
cd "$(dirname "$0")/.."
root=$PWD
output=$(realpath -m "${1:-build}")
build=$root/build/package
umask 022

scripts/install-deps.sh
scripts/install-deps.sh --package

# The Debian build flags (hardening, optimisation, reproducible paths) with the release configuration. The
# tests, benchmarks and warnings-as-errors are for developers: a compiler of another version must still package.
# CMake reads no CPPFLAGS, so the preprocessor's flags (_FORTIFY_SOURCE) join the compiler's, as in Debian's
# own CMake builds.
eval "$(DEB_BUILD_MAINT_OPTIONS=hardening=+all dpkg-buildflags --export=sh)"
export CXXFLAGS="$CXXFLAGS $CPPFLAGS"
cmake --preset release -B "$build" -DCMAKE_INSTALL_PREFIX=/usr -DVELTO_BUILD_TESTS=OFF \
  -DVELTO_BUILD_BENCHMARKS=OFF -DVELTO_WARNINGS_AS_ERRORS=OFF
cmake --build "$build" -j "${JOBS:-2}"

# One version: the project's, with the Debian revision of packaging/changelog, whose entry must be for it.
version=$(sed -n 's/^CMAKE_PROJECT_VERSION:STATIC=//p' "$build/CMakeCache.txt")
package_version=$(dpkg-parsechangelog -l packaging/changelog -S Version)
if [ "${package_version%-*}" != "$version" ]; then
  echo "package.sh: packaging/changelog's newest entry is $package_version, not for version $version:" \
       "add an entry for $version-1" >&2
  exit 1
fi

# debian/ as debhelper lays it out, built anew each time.
work=$build/deb
stage=$work/debian/velto-widget
rm -rf "$work"
mkdir -p "$work/debian"
cp packaging/control packaging/changelog "$work/debian/"
DESTDIR=$stage cmake --install "$build" >/dev/null

doc=$stage/usr/share/doc/velto-widget
gzip -9n -c packaging/changelog >"$doc/changelog.Debian.gz"
find "$stage/usr/share/man" -type f -name '*.[0-9]' -exec gzip -9n {} +

# From debian/, as debhelper runs them: dpkg-shlibdeps takes the programs by their path in the package's folder.
cd "$work"
programs=()
while IFS= read -r -d '' file; do
  if [ "$(head -c 4 "$file")" = $'\x7fELF' ]; then programs+=("$file"); fi
done < <(find debian/velto-widget -type f -perm -u+x -print0)
strip --remove-section=.comment --remove-section=.note --strip-unneeded "${programs[@]}"
mkdir -p "$stage/DEBIAN"  # which is how dpkg-shlibdeps knows the package's root
dpkg-shlibdeps "${programs[@]}"
dpkg-gencontrol -pvelto-widget -P"$stage"
(cd "$stage" && find . -path ./DEBIAN -prune -o -type f -printf '%P\0' | sort -z | xargs -0 md5sum >DEBIAN/md5sums)

mkdir -p "$output"
deb=$output/velto-widget_${package_version}_$(dpkg-architecture -qDEB_HOST_ARCH).deb
dpkg-deb --root-owner-group -Zxz --build "$stage" "$deb" >/dev/null
lintian --fail-on error "$deb"
echo "$deb"
