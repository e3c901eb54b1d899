#!/usr/bin/env bash
# Checks what scripts/package made in build/package/ the way a viewer and a web host would use it:
#   1. the package is clean: lintian reports no error, and no warning that README's list of
#      accepted warnings does not give a reason for; the desktop entry and the AppStream
#      metainfo validate;
#   2. it installs with apt-get and runs from anywhere: from an empty folder the installed
#      orrery3d-capture writes the frame at 20 s byte for byte as the build tree does, and the
#      installed orrery3d under Xvfb reaches the setup dialog and plays the show; apt-get purge
#      then leaves none of the files the package installed;
#   3. the site, unpacked from its archive, served by Debian's nginx with README's server block,
#      passes the browser tests; the bytes and times of a first and a second visit are printed.
# Installs what it needs; apt-get needs root (or sudo). Exits non-zero at the first failure.
set -euo pipefail
cd "$(dirname "$0")/../.."
root="$(pwd)"
packages="$root/build/package"

say() { echo "package-check: $*"; }
die() {
  echo "package-check: $*" >&2
  exit 1
}

sudo=""
if [ "$(id -u)" -ne 0 ]; then sudo="sudo"; fi
install_missing() {
  local missing=()
  for p in "$@"; do
    dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "ok installed" || missing+=("$p")
  done
  if [ ${#missing[@]} -gt 0 ]; then
    say "installing ${missing[*]}"
    DEBIAN_FRONTEND=noninteractive $sudo apt-get update -q
    DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -q --no-install-recommends "${missing[@]}"
  fi
}
install_missing lintian desktop-file-utils appstream nginx libnginx-mod-http-brotli-static xvfb xauth xdotool

# shellcheck source=/dev/null
. build/package.env
deb="$packages/$ORRERY_DEB"
tarball="$packages/orrery3d-web-$ORRERY_VERSION.tar.gz"
[ -f "$deb" ] && [ -f "$tarball" ] || die "no $deb or $tarball: run scripts/package first"

scratch=$(mktemp -d)
installed=""
server_pid=""
xvfb_pid=""
cleanup() {
  [ -n "$server_pid" ] && kill "$server_pid" 2>/dev/null
  [ -n "$xvfb_pid" ] && kill "$xvfb_pid" 2>/dev/null
  if [ -n "$installed" ]; then
    DEBIAN_FRONTEND=noninteractive $sudo apt-get purge -y -q orrery3d >/dev/null 2>&1 || true
  fi
  rm -rf "$scratch"
}
trap cleanup EXIT

# --- 1. the package is clean -------------------------------------------------------------------
say "lintian $ORRERY_DEB"
lintian --fail-on none "$deb" 2>/dev/null | tee "$scratch/lintian.txt"
grep -q '^E: ' "$scratch/lintian.txt" && die "lintian reports errors"
# Each warning left must stand in README's list ("- `tag`: why"), which says why it is kept.
while read -r tag; do
  grep -q -- "^- \`$tag\`: " README.md || die "lintian warns $tag, and README gives no reason to keep it"
done < <(sed -n 's/^W: [^:]*: \([a-z0-9-]*\).*/\1/p' "$scratch/lintian.txt" | sort -u)
mkdir "$scratch/unpacked"
dpkg-deb -x "$deb" "$scratch/unpacked"
desktop-file-validate "$scratch"/unpacked/usr/share/applications/*.desktop
appstreamcli validate --no-net "$scratch"/unpacked/usr/share/metainfo/*.metainfo.xml

# --- 2. installed, run from anywhere, purged ----------------------------------------------------
say "apt-get install $deb"
installed=yes
DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -q "$deb" >/dev/null
dpkg -L orrery3d > "$scratch/files.txt"
diff -r /usr/share/orrery3d build/data >/dev/null || die "/usr/share/orrery3d is not build/data"

say "the installed orrery3d-capture from an empty folder, against the build tree's"
mkdir "$scratch/empty" "$scratch/tree"
(cd "$scratch/empty" && orrery3d-capture --at 20 --out frames 2>"$scratch/capture.err") ||
  die "orrery3d-capture failed: $(cat "$scratch/capture.err")"
(cd build/data && ../bin/orrery3d-capture --at 20 --out "$scratch/tree" 2>/dev/null)
cmp "$scratch/empty/frames/t020.000.png" "$scratch/tree/t020.000.png" ||
  die "the installed program's frame at 20 s differs from the build tree's"
[ "$(ls -A "$scratch/empty")" = frames ] || die "the run left more than its frames in the folder it started in"

say "the installed orrery3d under Xvfb from a folder without data"
# Xvfb picks a free display number and writes it once it takes connections.
Xvfb -displayfd 3 -screen 0 1024x768x24 -nolisten tcp -noreset 3>"$scratch/display" >/dev/null 2>&1 &
xvfb_pid=$!
for _ in $(seq 100); do [ -s "$scratch/display" ] && break; sleep 0.1; done
[ -s "$scratch/display" ] || die "Xvfb did not start"
previous_display="${DISPLAY-}"
export DISPLAY=":$(head -n 1 "$scratch/display")"
# The top-level window whose name holds $1, waited for up to $2 seconds ("" when none came).
# xdotool's own name search misses names typed UTF8_STRING, so each window is asked its name.
window_named() {
  local deadline=$((SECONDS + $2)) id
  while [ $SECONDS -lt $deadline ]; do
    for id in $(xdotool search --maxdepth 1 '' 2>/dev/null); do
      if xdotool getwindowname "$id" 2>/dev/null | grep -qF -- "$1"; then echo "$id"; return; fi
    done
    sleep 0.2
  done
}
(cd "$scratch/empty" && SDL_AUDIODRIVER=dummy exec orrery3d) 2>"$scratch/show.err" &
show_pid=$!
dialog=$(window_named "Project Kaede  Setup" 60)
[ -n "$dialog" ] || die "no setup dialog: $(cat "$scratch/show.err")"
xdotool windowfocus --sync "$dialog" key --clearmodifiers Return
show=$(window_named "P r o j e c t" 60)
[ -n "$show" ] || die "Run demo opened no show window: $(cat "$scratch/show.err")"
sleep 5  # the show loads its data; a file it could not find would bring an error box
[ -z "$(window_named "Orrery3D Error" 1)" ] || die "the show reported an error: $(cat "$scratch/show.err")"
xdotool windowfocus --sync "$show" key --clearmodifiers Escape
for _ in $(seq 300); do kill -0 "$show_pid" 2>/dev/null || break; sleep 0.1; done
kill -0 "$show_pid" 2>/dev/null && die "orrery3d did not end within 30 s of Esc"
code=0
wait "$show_pid" || code=$?
[ "$code" -eq 0 ] || die "orrery3d ended with exit code $code: $(cat "$scratch/show.err")"
kill "$xvfb_pid" 2>/dev/null
xvfb_pid=""
# Nothing after this may reach for the display that is gone (chromium would wait on it).
if [ -n "$previous_display" ]; then export DISPLAY="$previous_display"; else unset DISPLAY; fi

say "apt-get purge orrery3d"
DEBIAN_FRONTEND=noninteractive $sudo apt-get purge -y -q orrery3d >/dev/null
installed=""
while read -r path; do
  if [ -d "$path" ] && [ ! -L "$path" ]; then
    # A folder may stay while it holds something or another package owns it.
    if [ -z "$(ls -A "$path")" ] && ! dpkg -S "$path" >/dev/null 2>&1; then
      die "purge left the empty folder $path"
    fi
  elif [ -e "$path" ] || [ -L "$path" ]; then
    die "purge left $path"
  fi
done < "$scratch/files.txt"
[ -e /usr/share/orrery3d ] && die "purge left /usr/share/orrery3d"

# --- 3. the site on nginx -----------------------------------------------------------------------
say "nginx with README's server block over $(basename "$tarball")"
mkdir "$scratch/www"
tar -xzf "$tarball" -C "$scratch/www"
site="$scratch/www/orrery3d-web-$ORRERY_VERSION"
chmod -R a+rX "$scratch"
port=$(python3 -c 'import socket; s = socket.socket(); s.bind(("127.0.0.1", 0)); print(s.getsockname()[1])')
block=$(awk '/^```nginx$/ { inside = 1; next } inside && /^```$/ { exit } inside' README.md)
[ -n "$block" ] || die "README has no nginx server block"
served=$(printf '%s\n' "$block" | sed -e "s|^\( *\)listen 80;|\1listen 127.0.0.1:$port;|" -e "s|^\( *\)root /var/www/orrery3d;|\1root $site;|")
printf '%s\n' "$served" | grep -q "listen 127.0.0.1:$port;" && printf '%s\n' "$served" | grep -q "root $site;" ||
  die "README's server block has no 'listen 80;' and 'root /var/www/orrery3d;' lines to serve the site with"
cat > "$scratch/nginx.conf" <<EOF
daemon off;
pid $scratch/nginx.pid;
error_log $scratch/nginx-error.log;
include /etc/nginx/modules-enabled/*.conf;
events {}
http {
  include /etc/nginx/mime.types;
  default_type application/octet-stream;
  access_log $scratch/nginx-access.log;
  client_body_temp_path $scratch/body;
$served
}
EOF
nginx -t -c "$scratch/nginx.conf" 2>"$scratch/nginx-test.txt" || die "nginx refuses the configuration: $(cat "$scratch/nginx-test.txt")"
nginx -c "$scratch/nginx.conf" &
server_pid=$!
for _ in $(seq 100); do (exec 3<>"/dev/tcp/127.0.0.1/$port") 2>/dev/null && break; sleep 0.1; done
url="http://127.0.0.1:$port"
ORRERY_WEB_URL="$url" ORRERY_WEB_SITE="$site" tests/web/run.sh
say "visits of $url (bytes over the network, and milliseconds from opening the page)"
node tests/web/driver.mjs visits --url "$url" --loads 3
say "all checks passed"
