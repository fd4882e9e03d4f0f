#!/usr/bin/env bash
# Installs what is missing and builds the Debian package
# build/zentrel_<version>-<revision>_<arch>.deb from a release build of its
# own (build/release, prefix /usr), its programs stripped.
#
# The package is put together with dpkg-shlibdeps, dpkg-gencontrol and
# dpkg-deb directly: the build is CMake's and `cmake --install` lays out the
# tree, so debhelper would add a source-package layer (debian/rules, its own
# configure and build steps) only to end up calling the same tools.
set -euo pipefail
cd "$(dirname "$0")/.."

revision=1

scripts/deps.sh --package

# Debian's hardening flags, all of them (bindnow too), as for a package of
# the archive.
export DEB_BUILD_MAINT_OPTIONS=hardening=+all
cmake --preset release \
    -DCMAKE_CXX_FLAGS="$(dpkg-buildflags --get CPPFLAGS) $(dpkg-buildflags --get CXXFLAGS)" \
    -DCMAKE_EXE_LINKER_FLAGS="$(dpkg-buildflags --get LDFLAGS)" >/dev/null
cmake --build --preset release

# version and release_date, from the top CMakeLists.txt through the build.
# shellcheck source=/dev/null
. build/release/version.env
package_version="$version-$revision"
arch="$(dpkg --print-architecture)"
maintainer="$(sed -n 's/^Maintainer: //p' packaging/debian/control)"
# Every file dated to the release, so the same sources give the same package.
export SOURCE_DATE_EPOCH="$(date -u -d "$release_date" +%s)"

stage=build/package
root="$stage/debian/zentrel"
rm -rf "$stage"
mkdir -p "$root/DEBIAN"
DESTDIR="$PWD/$root" cmake --install build/release >/dev/null

for program in "$root"/usr/bin/*; do
    strip --strip-unneeded --remove-section=.comment --remove-section=.note "$program"
done
gzip -9n "$root"/usr/share/man/man1/*.1

doc="$root/usr/share/doc/zentrel"
mkdir -p "$doc"
cp packaging/debian/copyright "$doc/copyright"
cat >"$stage/debian/changelog" <<CHANGELOG
zentrel ($package_version) bookworm; urgency=medium

  * Zentrel $version.

 -- $maintainer  $(LC_ALL=C date -u -R -d "@$SOURCE_DATE_EPOCH")
CHANGELOG
gzip -9nc "$stage/debian/changelog" >"$doc/changelog.Debian.gz"

find "$root" -type d -exec chmod 0755 {} +
find "$root" -type f -exec chmod 0644 {} +
chmod 0755 "$root"/usr/bin/*

cp packaging/debian/control "$stage/debian/control"
(
    cd "$stage"
    dpkg-shlibdeps -Tdebian/substvars debian/zentrel/usr/bin/*
    dpkg-gencontrol -pzentrel -Pdebian/zentrel -Tdebian/substvars
)
(cd "$root" && find usr -type f -print0 | LC_ALL=C sort -z | xargs -0 md5sum) >"$root/DEBIAN/md5sums"
chmod 0644 "$root/DEBIAN/control" "$root/DEBIAN/md5sums"
find "$root" -exec touch -h -d "@$SOURCE_DATE_EPOCH" {} +

rm -f build/zentrel_*.deb
deb="build/zentrel_${package_version}_${arch}.deb"
dpkg-deb --root-owner-group --build "$root" "$deb" >/dev/null
echo "Built $deb"
