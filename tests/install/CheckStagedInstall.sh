#!/usr/bin/env bash
# Installs a build into a staging directory and checks what a user gets: the
# file list, the desktop entry with its icon and MIME type, the manual pages,
# and the installed report command on the installed demo log.
# usage: CheckStagedInstall.sh CMAKE BUILD_DIR STAGE_DIR WITH_WINDOWS(ON|OFF)
set -euo pipefail
[ $# -eq 4 ] && [ -n "$3" ] || { sed -n 's/^# usage: //p' "$0" >&2; exit 2; }
cmake="$1" build="$2" stage="$3" windows="$4"
icon_sides=(16 22 24 32 48 64 128 256)
skip_status=77
skipped=()

fail() {
  echo "FAIL: $*" >&2
  exit 1
}

expected_files() {
  printf '%s\n' bin/pelorin-report share/pelorin/demo.ZEL share/man/man1/pelorin-report.1
  [ "$windows" = ON ] || return 0
  printf '%s\n' bin/pelorin share/man/man1/pelorin.1 share/applications/pelorin.desktop \
    share/mime/packages/pelorin.xml
  for side in "${icon_sides[@]}"; do echo "share/icons/hicolor/${side}x${side}/apps/pelorin.png"; done
}

check_file_list() {
  local expected actual
  expected="$(expected_files | sort)"
  actual="$(cd "$stage" && find . ! -type d | sed 's|^\./||' | sort)"
  if [ "$actual" != "$expected" ]; then
    diff <(echo "$expected") <(echo "$actual") >&2 || true
    fail "staged files differ from the expected list (< expected, > installed)"
  fi
  for program in "$stage"/bin/*; do [ -x "$program" ] || fail "$program is not executable"; done
}

big_endian() {
  echo $((($1 << 24) | ($2 << 16) | ($3 << 8) | $4))
}

# Width and height from the PNG signature and IHDR chunk.
png_size() {
  local b
  read -r -a b <<<"$(od -An -tu1 -N24 "$1" | tr -s " \n" " ")"
  [ "${b[*]:0:8}" = "137 80 78 71 13 10 26 10" ] || { echo "not-a-png"; return; }
  echo "$(big_endian "${b[@]:16:4}")x$(big_endian "${b[@]:20:4}")"
}

check_icons() {
  for side in "${icon_sides[@]}"; do
    local icon="$stage/share/icons/hicolor/${side}x${side}/apps/pelorin.png"
    [ "$(png_size "$icon")" = "${side}x${side}" ] ||
      fail "$icon is $(png_size "$icon"), not ${side}x${side}"
  done
}

# The type the package defines for ZEL logs.
defined_mime_type() {
  sed -n 's/.*<mime-type type="\([^"]*\)".*/\1/p' "$stage/share/mime/packages/pelorin.xml"
}

desktop_key() {
  sed -n "s/^$1=//p" "$stage/share/applications/pelorin.desktop"
}

# The entry must start the installed program, name the installed icon and
# offer the MIME type the package defines.
check_desktop_entry() {
  local entry="$stage/share/applications/pelorin.desktop"
  if command -v desktop-file-validate >/dev/null; then
    local complaints
    complaints="$(desktop-file-validate "$entry" 2>&1)" || fail "desktop-file-validate: $complaints"
    [ -z "$complaints" ] || fail "desktop-file-validate: $complaints"
  else
    skipped+=("desktop-file-validate (package desktop-file-utils) not found")
  fi
  local program
  program="$(desktop_key Exec | cut -d' ' -f1)"
  [ -x "$stage/bin/$program" ] || fail "Exec names $program, which is not installed in bin/"
  [ "$(desktop_key Icon)" = pelorin ] || fail "Icon is not the installed pelorin icon"
  local mime_type
  mime_type="$(defined_mime_type)"
  [ -n "$mime_type" ] || fail "no MIME type in share/mime/packages/pelorin.xml"
  [ "$(desktop_key MimeType)" = "$mime_type;" ] ||
    fail "MimeType is '$(desktop_key MimeType)', the package defines '$mime_type'"
}

# The database compiler rejects a malformed definition. A glob matches without
# regard to case unless flagged "cs", so an unflagged *.zel covers *.ZEL too.
check_mime_type() {
  if ! command -v update-mime-database >/dev/null; then
    skipped+=("update-mime-database (package shared-mime-info) not found")
    return
  fi
  local database="$stage/share/mime" output globs
  output="$(update-mime-database "$database" 2>&1)" || fail "update-mime-database: $output"
  globs="$(grep -E "^[0-9]+:$(defined_mime_type):" "$database/globs2" || true)"
  grep -q ':\*\.zel$' <<<"$globs" && ! grep -q ':cs' <<<"$globs" ||
    fail "*.zel and *.ZEL do not both map to '$(defined_mime_type)': ${globs:-no globs} $output"
}

check_manual_pages() {
  if ! command -v groff >/dev/null; then
    echo "note: groff not found, the manual pages are not checked"
    return
  fi
  for page in "$stage"/share/man/man1/*.1; do
    local warnings
    warnings="$(groff -man -ww -z -Tutf8 "$page" 2>&1)"
    [ -z "$warnings" ] || fail "$page: $warnings"
  done
}

check_installed_report() {
  local summary
  summary="$("$stage/bin/pelorin-report" --cmr-out "$stage/contents.cmr" \
    "$stage/share/pelorin/demo.ZEL")" || fail "the installed pelorin-report exited with $?"
  grep -q "demo.ZEL: analysed$" <<<"$summary" || fail "the demo log was not analysed: $summary"
  grep -Eq "messages of the reference station: type 0 [1-9][0-9]*, type 1 [1-9][0-9]*, type 2 [1-9][0-9]*, type 3 [1-9][0-9]*, CMR\+ pages [1-9]" \
    <<<"$summary" || fail "the demo's counts are missing: $summary"
  [ -s "$stage/contents.cmr" ] || fail "the installed report wrote no CMR stream"
}

rm -rf "$stage"
"$cmake" --install "$build" --prefix "$stage" >/dev/null
check_file_list
check_manual_pages
check_installed_report
if [ "$windows" = ON ]; then
  check_icons
  check_desktop_entry
  check_mime_type
fi

if [ ${#skipped[@]} -gt 0 ]; then
  printf 'skipped: %s\n' "${skipped[@]}"
  exit "$skip_status"
fi
echo "staged install in $stage checked"
