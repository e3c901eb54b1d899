#!/usr/bin/env bash
# Runs the browser tests (tests/web/*.test.mjs) against the web build, building it first when
# needed (scripts/web --build); each test file serves the site on a free port of its own.
# ORRERY_WEB_SITE=DIR tests the site in DIR instead, without building; with ORRERY_WEB_URL=URL as
# well, the tests use the host that serves DIR there (tests/package/check.sh: nginx) instead of
# starting web/serve.py.
set -euo pipefail
# A site given by a relative path is where the caller meant it, not below this folder.
if [ -n "${ORRERY_WEB_SITE:-}" ]; then
  ORRERY_WEB_SITE="$(realpath -m -- "$ORRERY_WEB_SITE")"
  export ORRERY_WEB_SITE
fi
cd "$(dirname "$0")"
here="$(pwd)"
root="$(cd ../.. && pwd)"

if [ -z "${ORRERY_WEB_SITE:-}" ]; then
  "$root/scripts/web" --build
fi
marker="$here/node_modules/.package-lock.json"
if [ ! -f "$marker" ] || [ "$here/package-lock.json" -nt "$marker" ]; then
  npm ci --no-audit --no-fund --loglevel=error
fi
# One file at a time: the browser and the software rasteriser take the machine's cores.
exec node --test --test-concurrency=1 ./*.test.mjs
