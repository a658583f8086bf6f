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
# that docks show the entry's icon for it). Exits non-zero on any problem.
set -u

if (( $# != 1 )) || [[ ! -f $1/CPackConfig.cmake ]]; then
  echo "usage: $0 BUILD_DIR   (a configured and built build directory)" >&2
  exit 2
fi
build=$(cd "$1" && pwd)
app_id=example.halvorn.Voranth
problems=0
problem() { echo "FAIL: $*" >&2; problems=$((problems + 1)); }
ok() { echo "ok: $*"; }

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
[[ $(field Package) == voranth ]] && ok "Package: voranth" || problem "Package is '$(field Package)'"
[[ $(field Section) == science ]] && ok "Section: science" || problem "Section is '$(field Section)'"
[[ $(field Maintainer) == "The Voranth developers <dev@halvorn.example>" ]] \
  && ok "Maintainer" || problem "Maintainer is '$(field Maintainer)'"
depends=$(field Depends)
for dep in libqt6widgets6 libqt6svg6 "fonts-liberation2 | fonts-dejavu-core"; do
  [[ $depends == *"$dep"* ]] && ok "Depends on $dep" || problem "Depends lacks $dep: '$depends'"
done
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
    grep -qxF "$line" "$desktop" && ok "desktop entry: $line" || problem "desktop entry lacks $line"
  done
  grep -q '^Comment=.' "$desktop" || problem "desktop entry has no Comment"
fi
metainfo=$usr/share/metainfo/$app_id.metainfo.xml
if [[ -f $metainfo ]]; then
  for tag in "<id>$app_id</id>" "<project_license>MIT</project_license>" \
             "<launchable type=\"desktop-id\">$app_id.desktop</launchable>" \
             "<binary>voranth</binary>" "<release version=\"$version\""; do
    grep -qF "$tag" "$metainfo" && ok "metainfo: $tag" || problem "metainfo lacks $tag"
  done
fi
copyright=$usr/share/doc/voranth/copyright
[[ -f $copyright ]] && ! grep -q '^MIT License' "$copyright" && problem "the licence is not MIT"

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
