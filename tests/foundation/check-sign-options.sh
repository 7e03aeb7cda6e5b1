#!/usr/bin/env bash
# What the build's signing step hands osslsigncode, through a stand-in that records its arguments and the
# password file as it sees it: SHA-256, the timestamp server when one is given, the PKCS#12 password in a
# file of mode 600 that is gone afterwards and never on the command line.
# Usage: check-sign-options.sh EXE WORK_DIR CMAKE
set -euo pipefail
exe=$1 work=$2 cmake=$3
root=$(cd "$(dirname "$0")/../.." && pwd)
rm -rf "$work"
mkdir -p "$work"
record=$work/record.txt
cat >"$work/osslsigncode" <<'STANDIN'
#!/usr/bin/env bash
# Records the call, and the mode and content of a -readpass file; copies -in to -out.
printf '%s\n' "$@" >"$RECORD"
while [ $# -gt 0 ]; do
  case $1 in
    -readpass) stat -c 'mode %a' "$2" >>"$RECORD"; printf 'password %s\n' "$(cat "$2")" >>"$RECORD"; shift ;;
    -in) in=$2; shift ;;
    -out) out=$2; shift ;;
  esac
  shift
done
cp "$in" "$out"
STANDIN
chmod +x "$work/osslsigncode"
failures=0
expect() {  # expect <description> <whole line> [present|absent]
  if grep -qxF -- "$2" "$record"; then found=present; else found=absent; fi
  if [ "$found" != "${3:-present}" ]; then echo "FAIL: $1 ($2 $found)" >&2; failures=$((failures + 1)); fi
}
sign() {  # sign <extra cmake -D options...>
  cp "$exe" "$work/VeloraUpdate.exe"
  RECORD=$record "$cmake" -DIMAGE="$work/VeloraUpdate.exe" -DOSSLSIGNCODE="$work/osslsigncode" "$@" \
    -P "$root/cmake/SignImage.cmake"
}

VELORA_SIGN_PASSWORD='pass word;$1' sign -DPKCS12=/keys/release.p12 -DTIMESTAMP_URL='http://ts.example/rfc3161?a=1&b=2'
expect "sign command" sign
expect "PKCS#12 file" -pkcs12
expect "PKCS#12 file" /keys/release.p12
expect "password file" -readpass
expect "password file mode" "mode 600"
expect "password in the file" 'password pass word;$1'
expect "password not on the command line" 'pass word;$1' absent
expect "no -pass" -pass absent
expect "digest" -h
expect "digest" sha256
expect "timestamp" -ts
expect "timestamp" 'http://ts.example/rfc3161?a=1&b=2'
expect "signs the stamped exe" "$work/VeloraUpdate.exe"
leftovers=$(find "$work" -name '*.tmp')
[ -z "$leftovers" ] || { echo "FAIL: left behind: $leftovers" >&2; failures=$((failures + 1)); }

unset VELORA_SIGN_PASSWORD
sign -DCERT=/keys/cert.pem -DKEY=/keys/key.pem
expect "certificate" -certs
expect "certificate" /keys/cert.pem
expect "key" -key
expect "key" /keys/key.pem
expect "no password file without a password" -readpass absent
expect "no timestamp without a server" -ts absent
expect "digest" sha256

exit $failures
