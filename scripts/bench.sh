#!/usr/bin/env bash
# Measures Dravik.exe against the null viewer under Wine on a private X display and writes the method, the
# machine and the table of the run to docs/performance.md. With RUNS above 1 the bench runs that many times;
# the page then also shows the spread of every figure, and the table of the last run.
#
#   bash scripts/bench.sh [RUNS]
set -euo pipefail
cd "$(dirname "${BASH_SOURCE[0]}")/.."
runs="${1:-1}"
if ! [[ "$runs" =~ ^[1-9][0-9]*$ ]]; then
    echo "usage: bash scripts/bench.sh [RUNS]" >&2
    exit 1
fi

# A prefix of its own: the bench deletes the viewer's settings before every start.
export DRAVIK_WINEPREFIX="${DRAVIK_WINEPREFIX:-$PWD/build/wineprefix-bench}"
bash scripts/setup.sh
# shellcheck source=scripts/wine-env.sh
source scripts/wine-env.sh

bench="$PWD/build/windows/bin/dravik-bench.exe"
if [ ! -f "$bench" ]; then
    echo "$bench was not built" >&2
    exit 1
fi

work="$(mktemp -d)"
trap 'rm -rf "$work"; dravik_cleanup' EXIT
dravik_start_xvfb
dravik_start_wineserver
echo "Private X display $DISPLAY, Wine prefix $WINEPREFIX"

failed=0
for run in $(seq 1 "$runs"); do
    echo "=== Run $run of $runs"
    # Output to a file, not a pipe: Wine's own processes inherit it and would keep a pipe open.
    (cd "$work" && exec timeout 1800 wine "$bench" --markdown "table$run.md" --figures "figures$run.tsv" \
        </dev/null >"log$run" 2>&1) &
    pid=$!
    tail -n +1 -s 0.2 -f --pid="$pid" "$work/log$run" 2>/dev/null | tr -d '\r'
    status=0
    wait "$pid" || status=$?
    if [ "$status" -ne 0 ] || [ ! -f "$work/table$run.md" ]; then
        echo "Run $run failed (exit code $status)"
        failed=1
    fi
done

final="$work/table$runs.md"
if [ ! -f "$final" ]; then
    echo "No table was written; docs/performance.md is left as it was" >&2
    exit 1
fi

# Lowest and highest value of each figure over all runs.
spread() {
    awk -F '\t' '
        { key = $1; if (!(key in seen)) { seen[key] = 1; order[++n] = key }
          for (c = 2; c <= 4; ++c) {
              if (!((key, c, "min") in v) || $c + 0 < v[key, c, "min"]) v[key, c, "min"] = $c + 0
              if (!((key, c, "max") in v) || $c + 0 > v[key, c, "max"]) v[key, c, "max"] = $c + 0 } }
        END { print "| Figure | Dravik | null viewer | Dravik / null |"; print "|---|---:|---:|---:|"
              for (i = 1; i <= n; ++i) { k = order[i]; line = "| " k
                  for (c = 2; c <= 4; ++c) line = line " | " v[k, c, "min"] " to " v[k, c, "max"]
                  print line " |" } }' "$work"/figures*.tsv
}

cpu="$(sed -n 's/^model name[[:space:]]*: //p' /proc/cpuinfo | head -n 1)"
{
    cat <<'TEXT'
# Performance: Dravik.exe against a null viewer

Written by `bash scripts/bench.sh [RUNS]`; every figure below comes from the run(s) named here.

## Method

`build/windows/bin/dravik-bench.exe` runs under Wine on a private Xvfb display with the Wine prefix
`build/wineprefix-bench`. It measures two viewers, each started afresh and closed (WM_CLOSE, then waiting for
its process) before the other starts. They take turns for five rounds (null viewer, Dravik, null viewer, ...),
so that both meet the same changes in the machine's load, and the table shows the median of each viewer's
rounds for every figure (memory: after its last round). Runs on this shared machine showed both kinds of
disturbance: a busy minute that slowed one round, and rounds in which either viewer ran about twice as fast as
in the others (the null viewer between 2174 and 4951 lines/s within one run) for no reason either viewer
controls. The best round of three, used before, then compared two chance results; the median of five leaves
out two such rounds either way.

- **Dravik**: `Dravik.exe` copied into a fresh temporary folder, its settings key
  `HKLM\SOFTWARE\Korvane Software\Dravik` deleted before every start (default placement, on top), its window
  visible and shown normally.
- **null viewer**: `null-viewer.exe -`, a window of the same class and title with the same shared region that
  only copies each text out of the region and answers 0: what the channel itself costs.

The clients keep the window, the region and the clients' mutex "DravikClientMutex" open, and per line take the
mutex, write an 80-character line into the region and send `WM_USER + 1` with `SendMessageTimeout`
(synchronous), then release the mutex. That is the least a client can pay per line, so the viewer's share shows
fully.

- **One client**: 1000 lines fill the pane first (it holds about 365 such lines, so every later line runs the
  trimming path), then 20000 lines are timed; lines per second.
- **Four clients**: four client processes (copies of the bench) start, wait at a common gate, then print 5000
  lines each at once, serialised by the mutex; total lines per second from the gate's opening to the last
  line answered.
- **Print latency**: the time of each sending call of the 20000 timed lines of the one-client run; median,
  99th percentile, mean and longest. The mean and the longest show the stalls that the median hides.
- **Viewer processor time per line**: the viewer process's user and kernel time (`GetProcessTimes`) over the
  timed one-client lines, divided by their number. Drawing done by the X server is not in it.
- **Start-up**: from `CreateProcess` until `FindWindow` finds the window and `SendMessageTimeout(WM_NULL)`
  returns, with a log file `DebugLog.txt` of 29930 characters beside `Dravik.exe` (the null viewer runs in a
  fresh folder holding the same file, and ignores it); five starts per round, the median of each round.
- **Memory**: private bytes and working set of the viewer's process (`GetProcessMemoryInfo`,
  `PROCESS_MEMORY_COUNTERS_EX`) after both throughput runs. Wine 8 leaves `PrivateUsage` at 0; the bench then
  takes `PagefileUsage`, which Windows documents as the same commit charge. As a cross-check, the committed
  private regions of the viewer's address space are also added up one by one (`VirtualQueryEx`).
- **Check**: after the one-client and the four-client runs of every round, the text of Dravik's pane (`WM_GETTEXT` of its Edit
  child, read at once) must end with the last line sent, which the bench reads back from the region.

The figures depend on what else the machine runs: the load average below is that of the whole machine, and
the spread over several runs shows how much the figures move.

The ratio column is Dravik / null viewer for every row. For "higher is better" rows the target is a minimum
of that ratio, for "lower is better" rows a maximum (the targets of issue 4).

## Machine

TEXT
    echo "- Processors (nproc): $(nproc)"
    echo "- CPU: ${cpu:-unknown}"
    echo "- Wine: $(wine --version 2>/dev/null || echo unknown)"
    echo "- Date: $(date -u '+%Y-%m-%d %H:%M UTC')"
    echo "- Load average at the end (1, 5, 15 min): $(cut -d ' ' -f 1-3 /proc/loadavg)"
    echo "- Runs: $runs"
    echo
    if [ "$runs" -gt 1 ]; then
        echo "## Spread over the $runs runs (lowest to highest)"
        echo
        spread
        echo
    fi
    echo "## Result of the last run"
    echo
    cat "$final"
} >docs/performance.md
echo "Wrote docs/performance.md"
exit "$failed"
