#!/usr/bin/env bash
# Signs a copy of the stamped updater through the build's own signing step (cmake/SignImage.cmake) with a
# throwaway self-signed certificate made here, and checks that osslsigncode verifies the signature.
# Usage: sign-copy.sh EXE OUT_DIR pem|pkcs12 CMAKE  ->  OUT_DIR/VeloraUpdate.exe (and OUT_DIR/cert.pem)
# pkcs12 signs from a password-protected PKCS#12 file, its password in VELORA_SIGN_PASSWORD.
set -euo pipefail
exe=$1 out=$2 kind=$3 cmake=$4
root=$(cd "$(dirname "$0")/../.." && pwd)
rm -rf "$out"
mkdir -p "$out"
signed=$out/VeloraUpdate.exe
cp "$exe" "$signed"
openssl req -x509 -newkey rsa:2048 -nodes -keyout "$out/key.pem" -out "$out/cert.pem" -days 2 \
  -subj "/CN=Velora test signing" -addext "extendedKeyUsage=codeSigning" 2>/dev/null
sign=("$cmake" -DIMAGE="$signed" -DOSSLSIGNCODE="$(command -v osslsigncode)")
case $kind in
  pem) "${sign[@]}" -DCERT="$out/cert.pem" -DKEY="$out/key.pem" -P "$root/cmake/SignImage.cmake" ;;
  pkcs12)
    export VELORA_SIGN_PASSWORD="throwaway $RANDOM$RANDOM"
    openssl pkcs12 -export -inkey "$out/key.pem" -in "$out/cert.pem" -out "$out/signer.p12" \
      -passout env:VELORA_SIGN_PASSWORD
    "${sign[@]}" -DPKCS12="$out/signer.p12" -P "$root/cmake/SignImage.cmake" ;;
  *) echo "unknown kind $kind" >&2; exit 2 ;;
esac
osslsigncode verify -CAfile "$out/cert.pem" -in "$signed"
