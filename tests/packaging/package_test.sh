#!/usr/bin/env bash
# package_test.sh SOURCE_DIR DIST_DIR VERSION HOMEPAGE: builds the Debian package of VERSION
# (as vistrel_VERSION-REVISION_ARCH.deb) with scripts/package.sh into DIST_DIR and checks its
# files, its control data and its binaries.
# Building it takes a Release build of its own, so it runs only with VISTREL_PACKAGE_TEST=1;
# otherwise it exits with 77 (skipped).
set -euo pipefail
source_dir=$1
dist_dir=$2
version=$3
homepage=$4

if [ "${VISTREL_PACKAGE_TEST:-}" != 1 ]; then
  echo "VISTREL_PACKAGE_TEST=1 builds and checks the package: skipped"
  exit 77
fi

rm -rf "$dist_dir"
VISTREL_DIST_DIR="$dist_dir" bash "$source_dir/scripts/package.sh"
debs=("$dist_dir/vistrel_${version}"-*"_$(dpkg --print-architecture).deb")
deb=${debs[0]}
[ ${#debs[@]} -eq 1 ] && [ -f "$deb" ] || { echo "not one package of $version in $dist_dir"; exit 1; }

failures=0
fail() {
  echo "FAIL: $*"
  failures=$((failures + 1))
}

# Every file of the package, and nothing else.
expected=$(
  sort <<'EOF'
./etc/vistrel/service.conf
./usr/bin/vistrel
./usr/bin/vistrel-service
./usr/bin/vistrel-tool
./usr/lib/systemd/system/vistrel-service.service
./usr/share/applications/vistrel.desktop
./usr/share/doc/vistrel/changelog.Debian.gz
./usr/share/doc/vistrel/copyright
./usr/share/icons/hicolor/128x128/apps/vistrel.png
./usr/share/icons/hicolor/16x16/apps/vistrel.png
./usr/share/icons/hicolor/256x256/apps/vistrel.png
./usr/share/icons/hicolor/32x32/apps/vistrel.png
./usr/share/icons/hicolor/48x48/apps/vistrel.png
./usr/share/icons/hicolor/64x64/apps/vistrel.png
./usr/share/icons/hicolor/scalable/apps/vistrel.svg
./usr/share/man/man1/vistrel-tool.1.gz
./usr/share/man/man1/vistrel.1.gz
./usr/share/man/man8/vistrel-service.8.gz
./usr/share/metainfo/vistrel.metainfo.xml
EOF
)
actual=$(dpkg-deb -c "$deb" | awk '$1 !~ /^d/ {print $6}' | sort)
if [ "$actual" != "$expected" ]; then
  fail "files differ from the expected list:"
  diff <(echo "$expected") <(echo "$actual") || true
fi
# Programs executable, data files not; all owned by root.
while read -r mode owner _ _ _ path; do
  case "$path" in
    */) [ "$mode" = "drwxr-xr-x" ] || fail "$path has mode $mode" ;;
    ./usr/bin/*) [ "$mode" = "-rwxr-xr-x" ] || fail "$path has mode $mode" ;;
    *) [ "$mode" = "-rw-r--r--" ] || fail "$path has mode $mode" ;;
  esac
  [ "$owner" = "root/root" ] || fail "$path is owned by $owner"
done < <(dpkg-deb -c "$deb")

# Control fields.
field() { dpkg-deb -f "$deb" "$1"; }
check_field() {
  [ "$(field "$1")" = "$2" ] || fail "$1 is '$(field "$1")', not '$2'"
}
check_field Package vistrel
deb_version=$(field Version)
[[ "$deb_version" =~ ^${version//./\\.}-[0-9]+$ ]] || fail "Version $deb_version"
check_field Architecture "$(dpkg --print-architecture)"
check_field Section video
check_field Homepage "$homepage"
[[ "$(field Maintainer)" =~ ^[^\<]+\ \<[^\>]+@[^\>]+\>$ ]] || fail "Maintainer '$(field Maintainer)'"
[ "$(field Description | head -1)" = "player for internet TV, radio and video streams" ] ||
  fail "Description starts '$(field Description | head -1)'"
[ "$(field Description | wc -l)" -gt 3 ] || fail "no long description"
# Found by dpkg-shlibdeps in the binaries, not typed in.
depends=$(field Depends)
for library in libc6 libstdc++6 libqt6widgets6 libqt6dbus6 libmpv2 libcurl4 libsqlite3-0 \
  libmicrohttpd12 libminizip1 libdeflate0 libssl3; do
  [[ ", $depends," == *", $library "* ]] || fail "Depends lacks $library: $depends"
done

# Maintainer scripts and conffiles.
control=$(mktemp -d)
contents=$(mktemp -d)
trap 'rm -rf "$control" "$contents"' EXIT
dpkg-deb -e "$deb" "$control"
[ "$(cat "$control/conffiles")" = "/etc/vistrel/service.conf" ] ||
  fail "conffiles: $(cat "$control/conffiles" 2>/dev/null)"
[ -x "$control/postrm" ] || fail "postrm is missing or not executable"
grep -q "/var/lib/private/vistrel" "$control/postrm" || fail "postrm leaves the service's data"

dpkg-deb -x "$deb" "$contents"
# Installed, nothing is found through the build folder: no path of the source or build folders
# in the programs.
for program in vistrel vistrel-tool vistrel-service; do
  if strings -a "$contents/usr/bin/$program" | grep -F "$source_dir"; then
    fail "$program holds the path $source_dir"
  fi
  if file "$contents/usr/bin/$program" | grep -q "not stripped"; then fail "$program not stripped"; fi
done
# Compressed with -9n: no file name or time stamp in the gzip header.
for gz in usr/share/man/man1/vistrel.1.gz usr/share/man/man1/vistrel-tool.1.gz \
  usr/share/man/man8/vistrel-service.8.gz usr/share/doc/vistrel/changelog.Debian.gz; do
  gzip -t "$contents/$gz" || fail "$gz is not gzip"
  header=$(od -An -tu1 -N8 "$contents/$gz" | tr -s ' ')
  [ "$header" = " 31 139 8 0 0 0 0 0" ] || fail "$gz header holds a name or time:$header"
done
# The changelog, the metainfo file and the manual pages name the package's version.
zcat "$contents/usr/share/doc/vistrel/changelog.Debian.gz" | head -1 |
  grep -qF "vistrel ($deb_version)" || fail "changelog.Debian does not start with $deb_version"
grep -qF "<release version=\"$version\"" "$contents/usr/share/metainfo/vistrel.metainfo.xml" ||
  fail "metainfo has no release $version"
for page in man1/vistrel.1.gz man1/vistrel-tool.1.gz man8/vistrel-service.8.gz; do
  zcat "$contents/usr/share/man/$page" | grep -qF "\"Vistrel $version\"" ||
    fail "$page does not name version $version"
done
# The unit runs the installed program with the installed settings.
unit="$contents/usr/lib/systemd/system/vistrel-service.service"
grep -qx "EnvironmentFile=/etc/vistrel/service.conf" "$unit" || fail "unit's EnvironmentFile"
grep -q "^ExecStart=/usr/bin/vistrel-service serve " "$unit" || fail "unit's ExecStart"

[ "$failures" -eq 0 ] || exit 1
echo "$deb: as expected"
