#!/usr/bin/env bash
# Which Windows builds this host can run under Wine, asked of the kernel once:
# a tiny 32-bit Linux program is run (Wine's 32-bit loader is one; a kernel
# without IA-32 emulation refuses it with "Exec format error").
#
#   scripts/windows-targets.sh
#
# prints a line "<preset> <build folder> <yes|no>" for each Windows build,
# the product's first (windows-x86, then windows-x64), the last word telling
# whether its programs run here, and says in one line on stderr what the host
# does. DERAVIZIZIVU_HOST_32BIT=no plays a host that
# runs no 32-bit code.
set -uo pipefail
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

runs_32bit() {
  [ "${DERAVIZIZIVU_HOST_32BIT:-}" != no ] || { reason="DERAVIZIZIVU_HOST_32BIT=no"; return 1; }
  # A handler of i386 programs (qemu through binfmt) runs them, but too slowly
  # to carry Wine; only the kernel's own execution counts.
  if grep -qs 'magic 7f454c4601010100000000000000000002000300' /proc/sys/fs/binfmt_misc/*; then
    reason="32-bit programs go to an emulator registered with binfmt_misc"
    return 1
  fi
  # exit(42) through the 32-bit system call gate.
  printf '.globl _start\n_start:\n mov $1, %%eax\n mov $42, %%ebx\n int $0x80\n' >"$work/probe.s"
  if ! as --32 -o "$work/probe.o" "$work/probe.s" 2>/dev/null || ! ld -m elf_i386 -o "$work/probe" "$work/probe.o" 2>/dev/null; then
    reason="no 32-bit program could be made to ask (binutils)"
    return 1
  fi
  local said status
  said=$("$work/probe" 2>&1)
  status=$?
  [ $status -eq 42 ] && return 0
  reason="the kernel refuses them: ${said:-exit status $status}"
  reason=${reason//$work\//}
  return 1
}

if runs_32bit; then
  echo "this host runs 32-bit programs: the Windows stage runs the 32-bit and the 64-bit builds" >&2
  echo windows-x86 build-windows yes
else
  echo "this host runs no 32-bit programs ($reason): the Windows stage runs the 64-bit build, and builds the 32-bit one without running it" >&2
  echo windows-x86 build-windows no
fi
echo windows-x64 build-windows-x64 yes
