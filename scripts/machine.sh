# What this machine can run, sourced by scripts/setup.sh and scripts/test.sh.
#
# sa_runs_32bit: succeeds when the kernel runs 32-bit x86 programs. It asks by running
# one: a 96-byte i386 ELF that only exits with 42. A kernel without IA32 emulation, or
# with it switched off at boot, answers "Exec format error" instead. SA_NO_32BIT=1
# answers no without asking, so that a machine that runs them can try the other path;
# the answer is kept in SA_RUNS_32BIT (yes or no), which callers export to their own.
sa_runs_32bit() {
  if [ "${SA_NO_32BIT:-0}" = 1 ]; then return 1; fi
  case "${SA_RUNS_32BIT:-}" in yes) return 0 ;; no) return 1 ;; esac
  case "$(uname -m)" in x86_64 | i?86) ;; *) return 1 ;; esac
  local probe status
  probe=$(mktemp) || return 1
  # ELF header, one loadable segment, then: mov eax, 1; mov ebx, 42; int 0x80.
  printf '%b' \
    '\x7fELF\x01\x01\x01\x00\x00\x00\x00\x00\x00\x00\x00\x00' \
    '\x02\x00\x03\x00\x01\x00\x00\x00\x54\x80\x04\x08\x34\x00\x00\x00' \
    '\x00\x00\x00\x00\x00\x00\x00\x00\x34\x00\x20\x00\x01\x00\x00\x00' \
    '\x00\x00\x00\x00\x01\x00\x00\x00\x00\x00\x00\x00\x00\x80\x04\x08' \
    '\x00\x80\x04\x08\x60\x00\x00\x00\x60\x00\x00\x00\x05\x00\x00\x00' \
    '\x00\x10\x00\x00\xb8\x01\x00\x00\x00\xbb\x2a\x00\x00\x00\xcd\x80' >"$probe"
  chmod +x "$probe"
  "$probe" 2>/dev/null
  status=$?
  rm -f "$probe"
  if [ "$status" -eq 42 ]; then SA_RUNS_32BIT=yes; else SA_RUNS_32BIT=no; fi
  [ "$SA_RUNS_32BIT" = yes ]
}
