#!/usr/bin/env bash
# The package as a user gets it: made from the build tree, checked by lintian,
# unpacked into a temporary root, its desktop entry and metadata validated,
# and the unpacked program started with a home of its own. Then: where did
# its data go?
#   check_package.sh <cpack> <build folder> <project version>
set -euo pipefail
cpack=$1 build=$2 version=$3
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
chmod 755 "$work" # an unprivileged user runs a case below
fail() { echo "FAIL: $*" >&2; [ -s "$work/log" ] && sed 's/^/  program: /' "$work/log" >&2; exit 1; }
sample_db="$build/sample/考试修改.mdb"
db_name=考试修改.mdb

# -- the package
(cd "$build" && "$cpack" -G DEB -B "$work/out" >/dev/null)
deb="$work/out/kaoshi_${version}_amd64.deb"
[ -f "$deb" ] || fail "no $(basename "$deb") in: $(ls "$work/out")"
[ "$(dpkg-deb -f "$deb" Version)" = "$version" ] || fail "package version is not $version"
depends=$(dpkg-deb -f "$deb" Depends)
for needed in fonts-noto-cjk qt6-translations-l10n libqt6widgets6 libsqlite3-0; do
  [[ "$depends" == *"$needed"* ]] || fail "Depends lacks $needed: $depends"
done
lintian --fail-on error "$deb" 2> >(grep -v 'running with root privileges' >&2) || fail "lintian reports errors"

root="$work/root"
dpkg-deb -x "$deb" "$root"
desktop-file-validate "$root"/usr/share/applications/*.desktop || fail "desktop entry"
appstreamcli validate --no-net "$root"/usr/share/metainfo/*.metainfo.xml >"$work/appstream" \
  || { cat "$work/appstream"; fail "AppStream metadata"; }
exec_line=$(sed -n 's/^Exec=//p' "$root"/usr/share/applications/*.desktop)
[ -x "$root/usr/bin/$exec_line" ] || fail "the desktop entry starts '$exec_line', which is not usr/bin/kaoshi"

# -- starting the program: it takes no arguments and runs until closed, so it
# is stopped once its database is there and it has had a moment to start up.
# as_user: empty, or a command prefix that runs it as an unprivileged user.
start_and_stop() {
  local home=$1 program=$2 database=$3 as_user=${4:-}
  mkdir -p "$home"
  [ -n "$as_user" ] && chown nobody "$home"
  $as_user env -u XDG_DATA_HOME -u XDG_CONFIG_HOME -u XDG_CACHE_HOME HOME="$home" QT_QPA_PLATFORM=offscreen \
    timeout 120 "$program" >"$work/log" 2>&1 &
  local pid=$!
  for _ in $(seq 1 300); do
    [ -e "$database" ] && break
    kill -0 "$pid" 2>/dev/null || break
    sleep 0.2
  done
  sleep 1
  kill -0 "$pid" 2>/dev/null || fail "$program ended by itself"
  kill "$pid"
  wait "$pid" || true
}
bank_counts() { sqlite3 "$1" "select (select count(*) from 单选), (select count(*) from 多选), (select count(*) from 判断), (select count(*) from 问答)"; }

# Installed: the database and pictures go into the per-user folder, with the
# sample bank; nothing is written into the installation.
before=$(cd "$root" && find . -printf '%p %s %T@\n' | sort)
home="$work/home"
user_data="$home/.local/share/kaoshi"
start_and_stop "$home" "$root/usr/bin/kaoshi" "$user_data/$db_name"
[ -f "$user_data/$db_name" ] || fail "no database in $user_data"
[ "$(bank_counts "$user_data/$db_name")" = "$(bank_counts "$sample_db")" ] || fail "the per-user database is not the sample bank"
[ "$(bank_counts "$sample_db")" != "0|0|0|0" ] || fail "the sample bank is empty"
cmp -s "$root/usr/share/kaoshi/image/20261201912.png" "$user_data/image/20261201912.png" || fail "sample picture not placed"
after=$(cd "$root" && find . -printf '%p %s %T@\n' | sort)
[ "$before" = "$after" ] || fail "the program wrote into the installation: $(diff <(echo "$before") <(echo "$after"))"

# A copied program folder that can be written to keeps its data beside the
# program, as it always has.
copied="$work/copied"
mkdir -p "$copied" && cp "$root/usr/bin/kaoshi" "$copied/"
start_and_stop "$work/home-copied" "$copied/kaoshi" "$copied/$db_name"
[ -f "$copied/$db_name" ] || fail "a copied folder did not keep its database beside the program"
[ ! -e "$work/home-copied/.local/share/kaoshi" ] || fail "a copied folder made a per-user data folder"

# A program folder the user may not write to: the per-user folder. File
# permissions do not bind the superuser, so as root this runs as nobody.
locked="$work/locked"
mkdir -p "$locked" && cp "$root/usr/bin/kaoshi" "$locked/"
as_user=
if [ "$(id -u)" -eq 0 ]; then
  if id nobody >/dev/null 2>&1 && command -v setpriv >/dev/null; then
    as_user="setpriv --reuid=nobody --regid=$(id -g nobody) --clear-groups"
  else
    echo "no unprivileged user: the read-only folder case is left out"; exit 0
  fi
else
  chmod 555 "$locked"
fi
start_and_stop "$work/home-locked" "$locked/kaoshi" "$work/home-locked/.local/share/kaoshi/$db_name" "$as_user"
chmod 755 "$locked"
[ -f "$work/home-locked/.local/share/kaoshi/$db_name" ] || fail "a read-only program folder did not use the per-user folder"
[ "$(ls "$locked")" = kaoshi ] || fail "something was written beside a read-only program: $(ls "$locked")"
echo "package $(basename "$deb") checked"
