#!/usr/bin/env bash
# Builds the libFuzzer targets with clang (AddressSanitizer and
# UndefinedBehaviorSanitizer) and runs each for a bounded time from its
# checked-in corpus. New inputs go to out/fuzz/runs, findings to
# out/fuzz/artifacts; the working tree is never written. Prints one line of
# figures per target and exits non-zero when a target found something.
#   scripts/fuzz.sh [seconds per target (30)] [target...]
set -euo pipefail
cd "$(dirname "$0")/.."
root=$(pwd)
seconds=${1:-30}
shift || true

CC=clang CXX=clang++ cmake -S "$root" -B out/fuzz -DCMAKE_BUILD_TYPE=RelWithDebInfo -DKICKORA_FUZZ=ON >/dev/null
targets=("$@")
if [ ${#targets[@]} -eq 0 ]; then
  mapfile -t targets <fuzz/targets.txt
fi
cmake --build out/fuzz -j "$(nproc 2>/dev/null || echo 2)" --target "${targets[@]}"

mkdir -p out/fuzz/runs out/fuzz/artifacts
status=0
printf '%-22s %10s %8s %6s  %s\n' target executions exec/s cov result
for t in "${targets[@]}"; do
  mkdir -p "out/fuzz/runs/$t"
  log="out/fuzz/$t.log"
  rc=0
  "out/fuzz/fuzz/$t" -max_total_time="$seconds" -max_len=4096 -timeout=10 -rss_limit_mb=2048 \
    -dict=fuzz/kickora.dict -artifact_prefix="out/fuzz/artifacts/$t-" -print_final_stats=1 \
    "out/fuzz/runs/$t" "fuzz/corpus/$t" >"$log" 2>&1 || rc=$?
  runs=$(sed -n 's/^stat::number_of_executed_units: *//p' "$log" | tail -1)
  speed=$(sed -n 's/^stat::average_exec_per_sec: *//p' "$log" | tail -1)
  cov=$(grep -o 'cov: [0-9]*' "$log" | tail -1 | cut -d' ' -f2)
  if [ $rc -eq 0 ]; then result=ok; else result="FINDING (see $log)"; status=1; fi
  printf '%-22s %10s %8s %6s  %s\n' "$t" "${runs:-?}" "${speed:-?}" "${cov:-?}" "$result"
done
exit $status
