#!/usr/bin/env bash
# Builds the Debian package and checks it without installing it:
#   check_package.sh build  BUILD_DIR OUT_DIR   the .deb, made by CPack into OUT_DIR
#   check_package.sh check  OUT_DIR VERSION     contents, desktop entry, --version, a first start
#   check_package.sh lintian OUT_DIR            lintian finds no error
set -euo pipefail
step=$1
fail() { echo "FAIL: $*" >&2; exit 1; }

case $step in
build)
  build=$2 out=$3
  rm -rf "$out"
  cpack -G DEB --config "$build/CPackConfig.cmake" -B "$out" >"$out.log" 2>&1 || { cat "$out.log"; fail "cpack"; }
  ls "$out"/kaedemaru_*_amd64.deb >/dev/null
  ;;
check)
  out=$2 version=$3
  deb="$out/kaedemaru_${version}_amd64.deb"
  [ -f "$deb" ] || fail "no $deb"
  info=$(dpkg-deb --info "$deb")
  grep -q "^ Package: kaedemaru$" <<<"$info" || fail "package name"
  grep -q "^ Version: $version$" <<<"$info" || fail "version"
  # Dependencies come from the linked libraries.
  for lib in libqt6widgets6 libqt6printsupport6 libsqlcipher libpq5 libxlsxwriter liborcus fonts-ipafont-gothic; do
    grep -q "^ Depends:.*$lib" <<<"$info" || fail "Depends lacks $lib"
  done
  # A fresh installation can open the reports it writes.
  grep -q "^ Recommends:.*libreoffice-calc | gnumeric" <<<"$info" || fail "Recommends lacks a spreadsheet program"
  contents=$(dpkg-deb --contents "$deb")
  for path in usr/bin/kaedemaru usr/bin/kaedemaru-initdb usr/bin/kaedemaru-demo usr/bin/kaedemaru-report \
              usr/share/man/man1/kaedemaru-report.1.gz \
              "usr/share/kaedemaru/塾管理楓丸くん.xlt" usr/share/kaedemaru/kaedemaru.chm \
              usr/share/applications/kaedemaru.desktop usr/share/icons/hicolor/scalable/apps/kaedemaru.svg \
              usr/share/icons/hicolor/48x48/apps/kaedemaru.png usr/share/icons/hicolor/256x256/apps/kaedemaru.png \
              usr/share/doc/kaedemaru/copyright; do
    grep -q " \./$path$" <<<"$contents" || fail "$path is not in the package"
  done
  tree=$(mktemp -d)
  trap 'kill "${pid:-0}" 2>/dev/null || true; rm -rf "$tree"' EXIT
  dpkg-deb -x "$deb" "$tree"
  desktop-file-validate "$tree/usr/share/applications/kaedemaru.desktop"
  grep -q "^Name=楓丸くん$" "$tree/usr/share/applications/kaedemaru.desktop" || fail "desktop Name"
  # --version and --help need no window system at all.
  shown=$(env -u DISPLAY -u WAYLAND_DISPLAY -u QT_QPA_PLATFORM "$tree/usr/bin/kaedemaru" --version)
  [ "$shown" = "楓丸くん (kaedemaru) $version" ] || fail "--version said: $shown"
  env -u DISPLAY -u WAYLAND_DISPLAY -u QT_QPA_PLATFORM "$tree/usr/bin/kaedemaru" --help | grep -q "^使い方: kaedemaru" \
    || fail "--help"
  # The report tool draws its pages without a display; without arguments it tells its use and fails.
  set +e
  usage=$(env -u DISPLAY -u WAYLAND_DISPLAY -u QT_QPA_PLATFORM "$tree/usr/bin/kaedemaru-report" 2>&1)
  status=$?
  set -e
  [ "$status" -eq 2 ] && grep -q "使い方: kaedemaru-report" <<<"$usage" || fail "kaedemaru-report without arguments: $status $usage"
  # The first start of the unpacked program makes the user's data folder; the menu
  # then waits for the user, so the program is ended once its lock shows it running.
  mkdir "$tree/home"
  data="$tree/home/.local/share/kaedemaru"
  HOME="$tree/home" XDG_DATA_HOME= KAEDEMARU_FOLDER= QT_QPA_PLATFORM=offscreen "$tree/usr/bin/kaedemaru" &
  pid=$!
  for _ in $(seq 100); do
    [ -e "$data/kaedemaru.lock" ] && break
    kill -0 "$pid" 2>/dev/null || fail "the program ended at its first start"
    sleep 0.1
  done
  [ -e "$data/kaedemaru.lock" ] || fail "no data folder in $data"
  kill "$pid"; wait "$pid" 2>/dev/null || true
  [ -s "$data/Revid.mdb" ] || fail "no database"
  [ "$(head -c 15 "$data/Revid.mdb")" != "SQLite format 3" ] || fail "the database is not encrypted"
  [ -d "$data/Picture" ] || fail "no Picture folder"
  cmp -s "$data/塾管理楓丸くん.xlt" "$tree/usr/share/kaedemaru/塾管理楓丸くん.xlt" || fail "no template copy"
  [ ! -e "$data/ErrorLog.txt" ] || fail "errors logged: $(cat "$data/ErrorLog.txt")"
  [ ! -e "$tree/usr/bin/Revid.mdb" ] && [ ! -e "$tree/usr/bin/kaedemaru.lock" ] || fail "data beside the executable"
  ;;
lintian)
  out=$2
  lintian --fail-on error --tag-display-limit 0 "$out"/kaedemaru_*_amd64.deb
  ;;
*)
  fail "unknown step $step"
  ;;
esac
