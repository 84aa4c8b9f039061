#!/usr/bin/env bash
# Signs copies of the built Setup.exe and Helper.exe with scripts/sign and
# its test certificate, verifies each signature against that certificate,
# and checks that signing changed nothing Windows or Wine loads.
#
#   check-signatures.sh BIN_DIR WORK_DIR [OBJDUMP]
set -euo pipefail
root=$(cd "$(dirname "$0")/../.." && pwd)
bin=$1
work=$2
objdump=${3:-i686-w64-mingw32-objdump}

# always the test certificate and no network, whatever the caller has set
unset QV_SIGN_PFX QV_SIGN_PASSWORD QV_SIGN_TIMESTAMP_URL

fail() { echo "FAIL: $*" >&2; exit 1; }
u16() { od -An -tu2 --endian=little -j "$2" -N2 "$1" | tr -d ' '; }
u32() { od -An -tu4 --endian=little -j "$2" -N4 "$1" | tr -d ' '; }

rm -rf "$work"
mkdir -p "$work/unsigned" "$work/signed"
for name in Setup.exe Helper.exe; do
  cp "$bin/$name" "$work/unsigned/$name"
  cp "$bin/$name" "$work/signed/$name"
done

said=$("$root/scripts/sign" "$work/signed/Setup.exe" "$work/signed/Helper.exe")
echo "$said"
grep -q 'TEST-signed' <<<"$said" || fail "scripts/sign did not say the files are test-signed"
cert=$("$root/scripts/sign" --test-certificate)

for name in Setup.exe Helper.exe; do
  unsigned="$work/unsigned/$name"
  signed="$work/signed/$name"

  osslsigncode verify -CAfile "$cert" -in "$signed" >"$work/$name.verify" 2>&1 ||
    { cat "$work/$name.verify" >&2; fail "$name: the signature does not verify"; }

  # Where the PE32 header keeps the two fields signing writes: CheckSum
  # (optional header + 64) and the security directory, data directory 4
  # (optional header + 128: file offset and size of the certificate table).
  pe=$(u32 "$signed" 60)
  [ "$(od -An -c -j "$pe" -N4 "$signed" | tr -d ' ')" = 'PE\0\0' ] || fail "$name: no PE header"
  opt=$((pe + 24))
  [ "$(u16 "$signed" "$opt")" -eq $((0x10b)) ] || fail "$name: not a PE32 program"
  [ "$(u32 "$signed" $((opt + 92)))" -ge 5 ] || fail "$name: no security directory"
  checksum=$((opt + 64))
  security=$((opt + 128))

  # The certificate table is appended: the unsigned file is the start of the
  # signed one, then zeros up to the next 8-byte boundary, then the table,
  # which runs to the end of the file.
  size=$(stat -c %s "$unsigned")
  [ "$(u32 "$unsigned" "$security")" -eq 0 ] || fail "$name: was signed before signing"
  table=$(u32 "$signed" "$security")
  table_size=$(u32 "$signed" $((security + 4)))
  [ "$table" -ge "$size" ] && [ $((table - size)) -lt 8 ] && [ $((table % 8)) -eq 0 ] ||
    fail "$name: the certificate table (at $table) does not follow the program ($size bytes)"
  [ $((table + table_size)) -eq "$(stat -c %s "$signed")" ] ||
    fail "$name: the certificate table does not end the file"
  [ "$(tail -c +$((size + 1)) "$signed" | head -c $((table - size)) | tr -d '\0' | wc -c)" -eq 0 ] ||
    fail "$name: the padding before the certificate table is not zeros"
  # WIN_CERTIFICATE: revision 2.0, type PKCS#7 signed data
  [ "$(u16 "$signed" $((table + 4)))" -eq $((0x200)) ] &&
    [ "$(u16 "$signed" $((table + 6)))" -eq 2 ] || fail "$name: the certificate table holds no Authenticode signature"

  # Within the unsigned file's length, only those 12 header bytes may differ.
  # This covers every header, section table and section, so it is stronger
  # than comparing the sections alone (cmp -l numbers bytes from 1).
  changed=$({ cmp -l "$unsigned" "$signed" 2>/dev/null || true; } | awk -v c="$checksum" -v s="$security" '
    { at = $1 - 1 } !((at >= c && at < c + 4) || (at >= s && at < s + 8)) { print at }')
  [ -z "$changed" ] || fail "$name: signing changed bytes outside the checksum and the security directory, at: $(echo $changed | head -c 200)"

  # and what the loader maps, in the section table's own terms: the same
  # sections, the same contents (the first line names the file)
  for what in -h -s; do
    diff <("$objdump" "$what" "$unsigned" | sed 1,2d) <("$objdump" "$what" "$signed" | sed 1,2d) >/dev/null ||
      fail "$name: objdump $what differs between the unsigned and the signed file"
  done

  # A check that cannot fail proves nothing: one byte changed in the first
  # section must make verification fail.
  tampered="$work/tampered-$name"
  cp "$signed" "$tampered"
  first=$(u32 "$signed" $((opt + $(u16 "$signed" $((pe + 20))) + 20)))   # its PointerToRawData
  byte=$(od -An -tu1 -j "$first" -N1 "$signed" | tr -d ' ')
  printf "\\$(printf '%03o' $((byte ^ 0xff)))" | dd of="$tampered" bs=1 seek="$first" conv=notrunc status=none
  cmp -s "$signed" "$tampered" && fail "$name: the tampered copy is unchanged"
  if osslsigncode verify -CAfile "$cert" -in "$tampered" >/dev/null 2>&1; then
    fail "$name: a copy with a changed byte still verifies"
  fi

  echo "$name: signature verifies; sections and headers as before, but for the checksum and the security directory"
done
