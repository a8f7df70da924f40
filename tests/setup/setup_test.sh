#!/usr/bin/env bash
# The set-up's decisions when the package mirror misbehaves, with stand-in
# apt-get, dpkg, dpkg-query and sudo first on PATH. Each stand-in logs its
# arguments; apt-get fails as the case tells it (FAKE_UPDATE, FAKE_INSTALL).
set -uo pipefail
here=$(cd "$(dirname "$0")" && pwd)
setup="$here/../../scripts/setup.sh"
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

bin="$work/bin"
mkdir -p "$bin"
cat >"$bin/apt-get" <<'EOF'
#!/usr/bin/env bash
echo "apt-get $*" >>"$FAKE_LOG"
case "$1" in
  update)
    [ "$FAKE_UPDATE" = ok ] && exit 0
    echo "E: Failed to fetch http://deb.example/dists/bookworm-security/main/binary-i386/Packages.xz  File has unexpected size (1000 != 999). Mirror sync in progress?" >&2
    exit 100 ;;
  install)
    case "$FAKE_INSTALL" in
      ok) exit 0 ;;
      needs-release) [[ " $* " == *" -t bookworm "* ]] && exit 0 ;;
    esac
    echo "E: Unable to correct problems, you have held broken packages." >&2
    exit 100 ;;
esac
EOF
cat >"$bin/dpkg-query" <<'EOF'
#!/usr/bin/env bash
installed() { printf 'install ok installed'; exit 0; }
case "$FAKE_INSTALLED" in
  all) installed ;;
  32-bit) [[ "$3" == *wine64* || "$3" == *x86-64* || "$3" == *:amd64 ]] || installed ;;
esac
exit 1
EOF
cat >"$bin/dpkg" <<'EOF'
#!/usr/bin/env bash
echo "dpkg $*" >>"$FAKE_LOG"
[ "$1" = --print-foreign-architectures ] && echo i386
exit 0
EOF
printf '#!/usr/bin/env bash\nexec "$@"\n' >"$bin/sudo"
printf '#!/bin/sh\n' >"$bin/sleep"
chmod +x "$bin"/*
printf 'ID=debian\nVERSION_CODENAME=bookworm\n' >"$work/os-release"

failures=0
fail() { echo "FAIL ($name): $*"; failures=$((failures + 1)); }

# run <name> <installed> <update> <install> [<runs 32-bit>]: sets status,
# out (the output)
run() {
  name=$1
  : >"$work/log"
  out=$(PATH="$bin:$PATH" FAKE_LOG="$work/log" FAKE_INSTALLED=$2 FAKE_UPDATE=$3 FAKE_INSTALL=$4 \
        SETUP_RETRY_PAUSE=0 SETUP_OS_RELEASE="$work/os-release" SETUP_RUN32_PROBE="${5:-true}" \
        "$setup" 2>&1)
  status=$?
}
count() { grep -c -- "$1" "$work/log"; }

run "update fails, install succeeds" none fail ok
[ $status -eq 0 ] || fail "exit $status"
[ "$(grep -c 'warning' <<<"$out")" -eq 1 ] || fail "expected one warning: $out"
grep -q "Mirror sync in progress" <<<"$out" || fail "the warning does not say what failed: $out"
[ "$(count 'apt-get update')" -eq 3 ] || fail "update tried $(count 'apt-get update') times, not 3"
[ "$(count 'apt-get install')" -eq 1 ] || fail "installed $(count 'apt-get install') times"

run "first install fails, the release preferred succeeds" none fail needs-release
[ $status -eq 0 ] || fail "exit $status: $out"
grep -q -- "-t bookworm" "$work/log" || fail "no install with -t bookworm"
grep -q "bookworm suite preferred" <<<"$out" || fail "the retry is not announced: $out"
grep -q "could not be installed" <<<"$out" && fail "reported as failed: $out"

run "both installs fail" none ok fail
[ $status -ne 0 ] || fail "exit 0"
grep -q "held broken packages" <<<"$out" || fail "apt's own message missing: $out"
grep -q "run scripts/setup.sh again" <<<"$out" || fail "no line saying what to try: $out"
[ "$(count 'apt-get install')" -eq 2 ] || fail "installed $(count 'apt-get install') times, not 2"

run "everything installed" all fail fail
[ $status -eq 0 ] || fail "exit $status"
[ "$(count 'apt-get')" -eq 0 ] || fail "apt-get called: $(cat "$work/log")"
[ -z "$out" ] || fail "output: $out"

run "32-bit programs cannot run" 32-bit ok ok false
[ $status -eq 0 ] || fail "exit $status: $out"
[ "$(count 'apt-get install')" -eq 1 ] || fail "installed $(count 'apt-get install') times, not once"
grep 'apt-get install' "$work/log" | grep -q ' wine64 ' || fail "64-bit Wine not installed: $(cat "$work/log")"
grep 'apt-get install' "$work/log" | grep -q 'wine32' && fail "installed again what was there"

if [ $failures -ne 0 ]; then echo "setup test: $failures failure(s)"; exit 1; fi
echo "setup test: 5 cases passed"
