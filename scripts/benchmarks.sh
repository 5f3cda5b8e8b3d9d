# The benchmark runner of ./test --bench.

# Runs every benchmark program in the folder DIR (the executable files bench_*, not the build's
# bench_*_autogen folders beside them), each to its end; answers 1 and names the ones that failed
# when any did.
kds_run_benchmarks() {
  local dir="$1" b failed=()
  for b in "$dir"/bench_*; do
    [ -f "$b" ] && [ -x "$b" ] || continue
    "$b" || failed+=("$(basename "$b")")
  done
  if [ ${#failed[@]} -gt 0 ]; then
    echo "benchmarks that failed: ${failed[*]}" >&2
    return 1
  fi
  return 0
}
