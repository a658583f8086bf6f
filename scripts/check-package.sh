#!/usr/bin/env bash
# Builds the Debian package from a configured and built build directory, unpacks it into a
# scratch root and checks what it installs:
#
#   scripts/check-package.sh BUILD_DIR
#
# Checks: the executable, the desktop entry, the icon in the hicolor theme (scalable SVG and a
# 32 x 32 PNG), the AppStream metainfo and the licence are there; the package's name, section,
# maintainer and dependencies; the desktop entry and the metainfo pass desktop-file-validate and
# appstreamcli validate where those are installed; the installed program starts (offscreen) and
# keeps running; its window carries the window class that the desktop entry names (under Xvfb, so
# that docks show the entry's icon for it); the manual pages of voranth and voranth-calc and the
# change log are installed, the pages are complete and render without warnings, and the installed
# voranth-calc computes a point and draws a plot; lintian (pedantic) reports no error and no
# warning. Exits non-zero on any problem.
set -u

if (( $# != 1 )) || [[ ! -f $1/CPackConfig.cmake ]]; then
  echo "usage: $0 BUILD_DIR   (a configured and built build directory)" >&2
  exit 2
fi
build=$(cd "$1" && pwd)
"$(dirname "$0")/install-deps.sh" package || exit 1
app_id=example.halvorn.Voranth
problems=0
problem() { echo "FAIL: $*" >&2; problems=$((problems + 1)); }
ok() { echo "ok: $*"; }
# check OK_TEXT PROBLEM_TEXT COMMAND...: runs the command and reports ok or a problem.
check() {
  local good=$1 bad=$2
  shift 2
  if "$@"; then ok "$good"; else problem "$bad"; fi
}

scratch=$(mktemp -d /tmp/voranth-package.XXXXXX)
trap 'rm -rf "$scratch"' EXIT

echo "== building the package"
if ! (cd "$scratch" && cpack --config "$build/CPackConfig.cmake" -G DEB -B "$scratch/out" >"$scratch/cpack.log" 2>&1); then
  cat "$scratch/cpack.log" >&2
  problem "cpack failed"
  exit 1
fi
debs=("$scratch"/out/*.deb)
if (( ${#debs[@]} != 1 )) || [[ ! -f ${debs[0]} ]]; then
  problem "expected one .deb, found: ${debs[*]}"
  exit 1
fi
deb=${debs[0]}
ok "built $(basename "$deb")"

echo "== package fields"
field() { dpkg-deb --field "$deb" "$1"; }
check "Package: voranth" "Package is '$(field Package)'" test "$(field Package)" = voranth
check "Section: science" "Section is '$(field Section)'" test "$(field Section)" = science
check "Maintainer" "Maintainer is '$(field Maintainer)'" \
  test "$(field Maintainer)" = "The Voranth developers <dev@halvorn.example>"
depends=$(field Depends)
for dep in libqt6widgets6 libqt6svg6 "fonts-liberation2 | fonts-dejavu-core"; do
  check "Depends on $dep" "Depends lacks $dep: '$depends'" grep -qF "$dep" <<<"$depends"
done
# Each package named once.
duplicates=$(tr ',|' '\n' <<<"$depends" | sed 's/^ *//; s/ .*//' | sort | uniq -d)
check "Depends names each package once" "Depends names $duplicates more than once: '$depends'" \
  test -z "$duplicates"
check "Recommends qt6-wayland" "Recommends lacks qt6-wayland: '$(field Recommends)'" \
  grep -qF qt6-wayland <<<"$(field Recommends)"
version=$(field Version)

echo "== unpacking into a scratch root"
root=$scratch/root
dpkg-deb -x "$deb" "$root" || { problem "dpkg-deb -x failed"; exit 1; }
(cd "$root" && find . -type f -o -type l | sort | sed 's/^\./  /')

usr=$root/usr
expect_file() {  # path below the root, description
  if [[ -f $root/$1 && -s $root/$1 ]]; then ok "$2: /$1"; else problem "missing $2: /$1"; fi
}
expect_file usr/bin/voranth "executable"
[[ -x $usr/bin/voranth ]] || problem "/usr/bin/voranth is not executable"
expect_file "usr/share/applications/$app_id.desktop" "desktop entry"
expect_file "usr/share/icons/hicolor/scalable/apps/$app_id.svg" "scalable icon"
expect_file "usr/share/icons/hicolor/32x32/apps/$app_id.png" "32x32 icon"
expect_file "usr/share/metainfo/$app_id.metainfo.xml" "AppStream metainfo"
expect_file usr/share/doc/voranth/copyright "licence"
expect_file usr/share/doc/voranth/changelog.gz "change log"
expect_file usr/share/man/man1/voranth.1.gz "manual page of voranth"

echo "== file contents"
png=$usr/share/icons/hicolor/32x32/apps/$app_id.png
if [[ -f $png ]]; then
  # The PNG signature, then the IHDR chunk with width and height as 32-bit big-endian numbers.
  header=$(od -An -tx1 -N24 "$png" | tr -d ' \n')
  if [[ ${header:0:16} == 89504e470d0a1a0a && ${header:32:16} == 0000002000000020 ]]; then
    ok "the PNG icon is 32 x 32"
  else
    problem "the PNG icon is not a 32 x 32 PNG (header $header)"
  fi
fi
svg=$usr/share/icons/hicolor/scalable/apps/$app_id.svg
[[ -f $svg ]] && ! grep -q '<svg' "$svg" && problem "the scalable icon is no SVG"
desktop=$usr/share/applications/$app_id.desktop
if [[ -f $desktop ]]; then
  for line in "Type=Application" "Name=Voranth" "Exec=voranth" "Icon=$app_id" "Terminal=false" \
              "StartupWMClass=Voranth" "Categories=Science;Engineering;"; do
    check "desktop entry: $line" "desktop entry lacks $line" grep -qxF "$line" "$desktop"
  done
  grep -q '^Comment=.' "$desktop" || problem "desktop entry has no Comment"
fi
metainfo=$usr/share/metainfo/$app_id.metainfo.xml
if [[ -f $metainfo ]]; then
  for tag in "<id>$app_id</id>" "<project_license>MIT</project_license>" \
             "<launchable type=\"desktop-id\">$app_id.desktop</launchable>" \
             "<binary>voranth</binary>" "<release version=\"$version\""; do
    check "metainfo: $tag" "metainfo lacks $tag" grep -qF "$tag" "$metainfo"
  done
fi
copyright=$usr/share/doc/voranth/copyright
[[ -f $copyright ]] && ! grep -q '^MIT License' "$copyright" && problem "the licence is not MIT"

for page in voranth voranth-calc; do
  file=$usr/share/man/man1/$page.1.gz
  [[ -f $file ]] || continue
  if command -v man >/dev/null; then
    if warnings=$(LC_ALL=C.UTF-8 man --warnings -l "$file" 2>&1 >/dev/null) && [[ -z $warnings ]]; then
      ok "the manual page of $page renders without warnings"
    else
      echo "$warnings" >&2
      problem "the manual page of $page renders with warnings"
    fi
  fi
done
check "the manual page of voranth names its version" "the manual page of voranth lacks its title or version" \
  grep -qF ".TH VORANTH 1 \"\" \"Voranth $version\"" <<<"$(gzip -dc "$usr/share/man/man1/voranth.1.gz" 2>/dev/null)"

echo "== voranth-calc and its manual page"
calc_bin=$usr/bin/voranth-calc
man_page=$usr/share/man/man1/voranth-calc.1.gz
expect_file usr/bin/voranth-calc "command-line calculator"
[[ -x $calc_bin ]] || problem "/usr/bin/voranth-calc is not executable"
expect_file usr/share/man/man1/voranth-calc.1.gz "manual page"
if [[ -f $man_page ]]; then
  if gzip -t "$man_page" 2>/dev/null; then ok "the manual page is gzip-compressed"; else problem "the manual page is not gzip data"; fi
  page=$(gzip -dc "$man_page")
  check "manual page title and version" "manual page title or version is wrong" \
    grep -qF ".TH VORANTH-CALC 1 \"\" \"Voranth $version\"" <<<"$page"
  for option in --z0 --source --load --json --csv --plot --help --version; do
    grep -qF -- "${option//-/\\-}" <<<"$page" || problem "the manual page does not describe $option"
  done
fi
if [[ -x $calc_bin ]]; then
  check "voranth-calc --version" "voranth-calc --version says '$("$calc_bin" --version)'" \
    test "$("$calc_bin" --version)" = "voranth-calc $version"
  help=$("$calc_bin" --help)
  for option in --z0 --source --load --json --csv --plot "Exit status"; do
    [[ $help == *"$option"* ]] || problem "voranth-calc --help does not describe $option"
  done
  check "the installed voranth-calc computes a point" "voranth-calc computes a wrong point" \
    test "$("$calc_bin" --source 0.5@0 --load 0@0 | head -2)" = $'RL = 6.02 dB\nML = 1.25 dB'
  printf '# GHz S MA R 50\n1 0.3 20\n2 0.4 60\n' >"$scratch/a.s1p"
  printf '# GHz S RI R 75\n1 0.1 0.1\n2 0.2 0\n' >"$scratch/b.s1p"
  if "$calc_bin" --source "$scratch/a.s1p:11" --load "$scratch/b.s1p:11" --plot "$scratch/p.svg" \
       2>"$scratch/calc.log" && grep -q '</svg>' "$scratch/p.svg" && ! grep -v 'reference impedances differ' "$scratch/calc.log" >&2; then
    ok "the installed voranth-calc draws a plot"
  else
    cat "$scratch/calc.log" >&2
    problem "the installed voranth-calc cannot draw a plot"
  fi
fi

echo "== validators"
if command -v desktop-file-validate >/dev/null; then
  if out=$(desktop-file-validate "$desktop" 2>&1) && [[ -z $out ]]; then
    ok "desktop-file-validate"
  else
    echo "$out" >&2
    problem "desktop-file-validate"
  fi
else
  echo "skipped: desktop-file-validate is not installed (package desktop-file-utils)"
fi
if command -v appstreamcli >/dev/null; then
  if appstreamcli validate --no-net "$metainfo"; then
    ok "appstreamcli validate"
  else
    problem "appstreamcli validate"
  fi
else
  echo "skipped: appstreamcli is not installed (package appstream)"
fi

echo "== lintian"
# Debian's package checker, pedantic: any error or warning is a problem (information and pedantic
# notes are shown, not counted).
if command -v lintian >/dev/null; then
  lintian_out=$(lintian --pedantic --tag-display-limit 0 "$deb" 2>&1)
  [[ -n $lintian_out ]] && echo "$lintian_out"
  if grep -qE '^[EW]: ' <<<"$lintian_out"; then
    problem "lintian reports errors or warnings"
  else
    ok "lintian: no error or warning"
  fi
else
  problem "lintian is not installed (package lintian)"
fi

echo "== the installed program starts"
# It has no way to end by itself short of the user's Quit, so it passes if it is still running
# after two seconds and has said nothing about missing resources.
QT_QPA_PLATFORM=offscreen timeout 2 "$usr/bin/voranth" >"$scratch/run.log" 2>&1
status=$?
if (( status == 124 )); then
  ok "the program ran until stopped"
else
  cat "$scratch/run.log" >&2
  problem "the program exited with status $status"
fi
if grep -iE 'cannot|could not|not found|failed' "$scratch/run.log" >&2; then
  problem "the program reported problems"
fi

echo "== the window carries the desktop entry's window class"
# X11 docks match a window to its desktop entry by the class part of WM_CLASS.
wm_class=$(sed -n 's/^StartupWMClass=//p' "$desktop" 2>/dev/null)
if command -v xvfb-run >/dev/null && command -v xwininfo >/dev/null; then
  # shellcheck disable=SC2016  # the script expands its own variables, inside sh
  window_class=$(xvfb-run -a sh -c '
    "$1" & program=$!
    for attempt in $(seq 50); do
      sleep 0.1
      class=$(xwininfo -root -tree | sed -n "s/.*\"Voranth\": (\"[^\"]*\" \"\([^\"]*\)\").*/\1/p" | head -n 1)
      [ -n "$class" ] && break
    done
    kill $program
    echo "$class"' sh "$usr/bin/voranth" 2>/dev/null)
  if [[ -n $wm_class && $window_class == "$wm_class" ]]; then
    ok "window class $window_class = StartupWMClass"
  else
    problem "the window's class is '$window_class', the desktop entry's StartupWMClass '$wm_class'"
  fi
else
  echo "skipped: xvfb-run or xwininfo is not installed (packages xvfb, xauth, x11-utils)"
fi

if (( problems )); then
  echo "$problems problem(s) in $(basename "$deb")" >&2
  exit 1
fi
echo "package OK: $(basename "$deb")"
