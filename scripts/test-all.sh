#!/usr/bin/env bash
# Installs what is missing, builds every preset and runs every test: the native unit tests,
# the x64 build's tests under wine64 (its own exe and, as files, the x86 exe too), then the
# x86 build's tests under 32-bit Wine where this host can run 32-bit programs. Wine tests
# run in a Wine prefix and, without $DISPLAY, an Xvfb display of their own. Ends with a
# summary of what ran, what did not and why, and the CTest totals.
set -uo pipefail
cd "$(dirname "$0")/.."

bash scripts/install-deps.sh || exit 1

status=0
logs=$(mktemp -d)
trap 'rm -rf "$logs"' EXIT
summary=()
passed_total=0 failed_total=0 skipped_total=0

# The x86 exe is built before the x64 tests run: they check it as a file.
for preset in native windows windows-x64; do
    echo "=== $preset: configure and build"
    if ! { cmake --preset "$preset" >/dev/null && cmake --build --preset "$preset"; }; then
        echo "=== $preset: build failed"
        summary+=("$preset: BUILD FAILED")
        status=1
        touch "$logs/$preset.broken"
    fi
done

run_suite() {
    local preset=$1 label=$2 log="$logs/$1.log"
    if [[ -e "$logs/$preset.broken" ]]; then
        summary+=("$label: not run, its build failed")
        return
    fi
    echo "=== $label"
    ctest --preset "$preset" 2>&1 | tee "$log"
    local rc=${PIPESTATUS[0]}
    # CTest's own totals; tests that skipped themselves count as passed there.
    local total failed skipped
    total=$(sed -n 's/.*tests failed out of \([0-9]*\).*/\1/p' "$log" | tail -1)
    failed=$(sed -n 's/.*tests passed, \([0-9]*\) tests\{0,1\} failed out of.*/\1/p' "$log" | tail -1)
    skipped=$(grep -c '(Skipped)$' "$log")
    total=${total:-0} failed=${failed:-0}
    local passed=$((total - failed - skipped))
    [[ $passed -lt 0 ]] && passed=0
    summary+=("$label: ran, $passed passed, $failed failed, $skipped skipped or not run (of $total)")
    passed_total=$((passed_total + passed))
    failed_total=$((failed_total + failed))
    skipped_total=$((skipped_total + skipped))
    if [[ $rc -ne 0 || $total -eq 0 ]]; then
        status=1
    fi
}

run_suite native "native unit tests"
run_suite windows-x64 "x64 Wine suite (wine64; file checks of the x64 and x86 exes; release checks of both)"
if reason=$(tests/winebed/winebed.sh can-run x86); then
    run_suite windows "x86 Wine suite (32-bit Wine)"
else
    summary+=("x86 Wine suite: NOT RUN, because $reason; the x86 exe was built and checked as a file only")
fi

echo
echo "=== Summary"
printf '  %s\n' "${summary[@]}"
echo "total: $passed_total passed, $failed_total failed, $skipped_total skipped"
exit "$status"
