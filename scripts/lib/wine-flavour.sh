# Chooses which build of the updater the Wine tiers and the demo run, once per run. Source it; it sets
#   wine_flavour   x86 (the shipped 32-bit exe, build/windows) or x64 (the x86-64 build, build/windows-x64)
#   wine_flavour_reason   one line on why
# x86 where this host runs 32-bit code; x64 where it does not (a kernel without IA-32 emulation), or
# wherever VELORA_WINE_FLAVOUR=x64 asks for it.

# Runs a 32-bit Linux program of 96 bytes that exits with 42: a kernel without IA-32 emulation refuses it
# ("Exec format error"), and so it would every 32-bit program, Wine's 32-bit loader among them.
host_runs_32bit_code() {
  local probe status=0
  # In the build folder, not /tmp, which may be mounted without the right to execute.
  mkdir -p build
  probe=$(mktemp -p build probe32.XXXXXX)
  # The ELF header (52 bytes), one loadable segment (32 bytes), then mov eax,1; mov ebx,42; int 0x80.
  printf '%b' \
    '\x7fELF\x01\x01\x01\x00\x00\x00\x00\x00\x00\x00\x00\x00\x02\x00\x03\x00\x01\x00\x00\x00\x54\x80\x04\x08' \
    '\x34\x00\x00\x00\x00\x00\x00\x00\x00\x00\x00\x00\x34\x00\x20\x00\x01\x00\x00\x00\x00\x00\x00\x00' \
    '\x01\x00\x00\x00\x00\x00\x00\x00\x00\x80\x04\x08\x00\x80\x04\x08\x60\x00\x00\x00\x60\x00\x00\x00' \
    '\x05\x00\x00\x00\x00\x10\x00\x00' \
    '\xb8\x01\x00\x00\x00\xbb\x2a\x00\x00\x00\xcd\x80' >"$probe"
  chmod +x "$probe"
  "$probe" 2>/dev/null || status=$?
  rm -f "$probe"
  [ "$status" -eq 42 ]
}

if [ "${VELORA_WINE_FLAVOUR:-}" = x64 ]; then
  wine_flavour=x64
  wine_flavour_reason="VELORA_WINE_FLAVOUR=x64 asks for the x86-64 build"
elif [ -n "${VELORA_WINE_FLAVOUR:-}" ]; then
  echo "VELORA_WINE_FLAVOUR=${VELORA_WINE_FLAVOUR}: only x64 can be asked for (unset, the host decides)" >&2
  exit 2
elif host_runs_32bit_code; then
  wine_flavour=x86
  wine_flavour_reason="this host runs 32-bit code: the shipped 32-bit exe"
else
  wine_flavour=x64
  wine_flavour_reason="this host runs no 32-bit code (a 32-bit probe program did not start): the x86-64 build"
fi
