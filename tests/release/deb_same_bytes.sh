#!/usr/bin/env bash
# The Debian package of one build made twice, a second apart, as
# scripts/package.sh makes it (the commit's time as SOURCE_DATE_EPOCH): the
# same bytes, and no folder of this machine written in its files.
#   deb_same_bytes.sh SOURCE_DIR BUILD_DIR
set -euo pipefail
source_dir=$1 build_dir=$2
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
export SOURCE_DATE_EPOCH=${SOURCE_DATE_EPOCH:-$(git -C "$source_dir" log -1 --format=%ct 2>/dev/null || echo 1)}
for n in 1 2; do
  cpack -G DEB --config "$build_dir/CPackConfig.cmake" -B "$work/$n" >"$work/cpack-$n.log" ||
    { cat "$work/cpack-$n.log"; exit 1; }
  sleep 1
done
cmp "$work"/1/*.deb "$work"/2/*.deb || { echo "the two packages differ"; exit 1; }
dpkg-deb -x "$work"/1/*.deb "$work/files"
if named=$(grep -rlF "$source_dir" "$work/files"); then
  echo "files that name $source_dir: $named"
  exit 1
fi
echo "the same bytes"
