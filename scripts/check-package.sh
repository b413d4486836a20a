#!/usr/bin/env bash
# Builds the Debian package from a build folder, unpacks it into a temporary
# folder and checks that the unpacked program works there on its own: its version,
# a batch import of the shipped sample essay, its exports (the PDF one through the
# window program the command line hands over to), and valid desktop and
# software-centre files. Usage: check-package.sh BUILD_FOLDER
set -euo pipefail
build=$(cd "${1:?usage: check-package.sh BUILD_FOLDER}" && pwd)
for tool in cpack dpkg-deb desktop-file-validate appstreamcli; do
  if ! command -v "$tool" >/dev/null; then
    echo "SKIP: $tool is not installed (scripts/deps.sh installs it)"
    exit 0
  fi
done
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

(cd "$build" && cpack -G DEB -B "$work/out" >"$work/cpack.log" 2>&1) || {
  cat "$work/cpack.log"
  exit 1
}
deb=$(ls "$work"/out/*.deb)
echo "package: $(basename "$deb")"
dpkg-deb -I "$deb" | grep -E '^ (Package|Version|Depends|Section):'
depends=$(dpkg-deb -f "$deb" Depends)
for needed in libqt6widgets6 fonts-liberation xdg-utils; do
  [[ $depends == *"$needed"* ]] || { echo "FAIL: Depends lacks $needed: $depends"; exit 1; }
done

root="$work/root"
dpkg-deb -x "$deb" "$root"
# The unpacked tree stands alone: no program folder given, a home of its own.
export HOME="$work/home" XDG_DATA_HOME="$work/home/.local/share" XDG_CONFIG_HOME="$work/home/.config"
unset TALLIX32_HOME TALLIX32_SETTINGS
mkdir -p "$HOME"
program="$root/usr/bin/tallix32"
"$program" --version
"$program" --import "$root/usr/share/tallix32/sample/essay.rtf" "$work/essay.tlx"
head -c 5 "$work/essay.tlx" | grep -q '{\\rtf' || { echo "FAIL: the import wrote no marked file"; exit 1; }
if "$program" --help | grep -q -- '--export-text'; then
  "$program" --export-text "$root/usr/share/tallix32/sample/essay.tlx" "$work/essay.txt"
  [ -s "$work/essay.txt" ] || { echo "FAIL: the text export wrote nothing"; exit 1; }
fi
if "$program" --help | grep -q -- '--export-web'; then
  "$program" --export-web "$root/usr/share/tallix32/sample/essay.tlx" "$work/essay.htm" >/dev/null
  grep -qi '<html' "$work/essay.htm" || { echo "FAIL: the web export wrote no page"; exit 1; }
fi
# The options that paint are handed over to tallix32-gui, installed beside it.
[ -x "$root/usr/bin/tallix32-gui" ] || { echo "FAIL: usr/bin/tallix32-gui is not in the package"; exit 1; }
if "$program" --help | grep -q -- '--export-pdf'; then
  "$program" --export-pdf "$root/usr/share/tallix32/sample/essay.tlx" "$work/essay.pdf" >/dev/null
  head -c 5 "$work/essay.pdf" | grep -q '%PDF' || { echo "FAIL: the PDF export wrote no PDF"; exit 1; }
fi
# Nothing the program wrote went into the unpacked tree.
if [ -n "$(find "$root" -newer "$deb" -type f -print -quit)" ]; then
  echo "FAIL: the program wrote into its installed tree:"
  find "$root" -newer "$deb" -type f
  exit 1
fi

desktop-file-validate "$root"/usr/share/applications/org.tallix32.Tallix32.desktop
appstreamcli validate --no-net "$root"/usr/share/metainfo/org.tallix32.Tallix32.metainfo.xml
for f in usr/share/icons/hicolor/scalable/apps/org.tallix32.Tallix32.svg \
         usr/share/icons/hicolor/48x48/apps/org.tallix32.Tallix32.png \
         usr/share/mime/packages/org.tallix32.Tallix32.xml \
         usr/share/tallix32/default.btn usr/share/tallix32/help/contents.html; do
  [ -f "$root/$f" ] || { echo "FAIL: $f is not in the package"; exit 1; }
done
echo "package check passed"
