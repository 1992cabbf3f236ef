#!/usr/bin/env bash
# The build's files against the same files linked once more into another
# folder: the same bytes, and no folder of this machine written in them.
#   same_bytes.sh SOURCE_DIR BUILD_DIR FILE AGAIN [FILE AGAIN ...]
set -uo pipefail
source_dir=$1 build_dir=$2
shift 2
failed=0
while [ $# -ge 2 ]; do
  file=$1 again=$2
  shift 2
  if ! cmp "$file" "$again"; then
    echo "differs when linked again: $(basename "$file")"
    failed=1
  fi
  for folder in "$build_dir" "$source_dir"; do
    if grep -qF "$folder" "$file"; then
      echo "$(basename "$file") names $folder"
      failed=1
    fi
  done
done
[ $failed = 0 ] && echo "the same bytes"
exit $failed
