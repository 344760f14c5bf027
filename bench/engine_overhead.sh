#!/bin/bash
# What Kestrel adds to an unattended run, per application: "/auto" over ten quick NSIS test
# applications against the same ten uninstall commands run directly in a loop (each waited for
# with everything it starts), in a fresh copy of the test prefix, same run. The difference is
# the browser guard, the browser check, the verification, the list walks and the program start.
#   engine_overhead_per_app_ms: <ms> (<Kestrel's time / the loop's time>)
# The ten applications live in a prefix of their own; of the rounds (KESTREL_BENCH_ROUNDS, 5)
# the fastest of each side counts: what slows a round down is the machine, not the program.
set -euo pipefail
cd "$(dirname "$0")/.."
root=$PWD
build=$root/build/windows-x64
apps=10
rounds=${KESTREL_BENCH_ROUNDS:-5}

cmake --preset windows-x64 >/dev/null
cmake --build --preset windows-x64 --target Kestrel uninstall_loop_peer >/dev/null

base=$build/wineprefix
prefix=$build/bench-prefixes/engine-overhead
tools/lib/wine-prefix.sh ensure "$base" "$build/bin" >/dev/null
WINEPREFIX="$prefix" /usr/lib/wine/wineserver -k 2>/dev/null || true
tools/lib/wine-prefix.sh copy "$base" "$prefix"
cleanup() {
    WINEPREFIX="$prefix" /usr/lib/wine/wineserver -k 2>/dev/null || true
    rm -rf "$prefix"
}
trap cleanup EXIT

export WINEPREFIX=$prefix WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml,winemenubuilder.exe=d"
wine=/usr/lib/wine/wine64
/usr/lib/wine/wineserver -p

bench="$prefix/drive_c/kestrel-bench"
mkdir -p "$bench/Kestrel"
cp "$build/bin/Kestrel.exe" "$bench/Kestrel/Kestrel.exe"
cp "$build/bin/uninstall_loop_peer.exe" "$bench/uninstall_loop_peer.exe"
printf '[Options]\r\nLogFile=1\r\nEmailResults=0\r\n' > "$bench/Kestrel/Kestrel.ini"
printf 'Kestrel Bench App|the ten benchmark applications\r\n' > "$bench/Kestrel/Kestrel.txt"
: > "$bench/commands.txt"
for i in $(seq -w 1 $apps); do
    name="Kestrel Bench App $i"
    makensis -V1 "-DNAME=$name" "-DPUBLISHER=Kestrel Bench" "-DOUTFILE=$bench/app$i.exe" \
        tests/installers/nsis/test_app.nsi
    printf '"C:\\Program Files\\%s\\uninst.exe" /S\r\n' "$name" >> "$bench/commands.txt"
done

install_all() {
    for i in $(seq -w 1 $apps); do
        (cd "$prefix/drive_c" && "$wine" "C:\\kestrel-bench\\app$i.exe" /S)
    done
}
installed_count() {
    (cd "$prefix/drive_c" && "$wine" reg query \
        'HKLM\SOFTWARE\Microsoft\Windows\CurrentVersion\Uninstall' 2>/dev/null) |
        grep -c 'Kestrel Bench App' || true
}
# Milliseconds a Windows command line takes, started from here.
timed() {
    local start end
    start=$(date +%s%N)
    (cd "$prefix/drive_c" && "$wine" "$@") >/dev/null 2>&1
    end=$(date +%s%N)
    echo $(((end - start) / 1000000))
}
fastest() { sort -n | head -1; }

kestrel_times=() peer_times=()
for _ in $(seq 1 "$rounds"); do
    install_all
    [ "$(installed_count)" -eq $apps ] || { echo "engine_overhead: installing failed" >&2; exit 1; }
    kestrel_times+=("$(timed 'C:\kestrel-bench\Kestrel\Kestrel.exe' /auto)")
    [ "$(installed_count)" -eq 0 ] || { echo "engine_overhead: /auto left applications" >&2; exit 1; }
    install_all
    peer_times+=("$(timed 'C:\kestrel-bench\uninstall_loop_peer.exe' 'C:\kestrel-bench\commands.txt')")
    [ "$(installed_count)" -eq 0 ] || { echo "engine_overhead: the loop left applications" >&2; exit 1; }
done
verdicts=$(grep -c '^\*Uninstalled:  Kestrel Bench App' "$bench/Kestrel/Kestrel_Log.txt" || true)
[ "$verdicts" -eq $((apps * rounds)) ] || { echo "engine_overhead: $verdicts verdicts" >&2; exit 1; }

kestrel=$(printf '%s\n' "${kestrel_times[@]}" | fastest)
peer=$(printf '%s\n' "${peer_times[@]}" | fastest)
awk -v k="$kestrel" -v p="$peer" -v n=$apps 'BEGIN {
    printf "engine_overhead_per_app_ms: %.1f (%.3f to the direct uninstall loop)\n", (k - p) / n, k / p
    printf "engine_auto_run_ten_apps_ms: %d (%.3f to the direct uninstall loop)\n", k, k / p
    printf "direct_uninstall_loop_ten_apps_ms: %d (1.000 to the direct uninstall loop)\n", p
}'
