#!/usr/bin/env bash
# Measures Dravik.exe against the null viewer, what clients pay per line against the bare channel, and Dravik
# capturing Windows' own debug output against a minimal reader of that channel, under Wine on a private X
# display, and writes the method, the machine and the tables of the run to docs/performance.md. With RUNS
# above 1 the bench runs that many times; the page then also shows the spread of every figure, and the tables
# of the last run. --clients measures only what clients pay per line (a few minutes instead of about twenty),
# prints that table and leaves docs/performance.md as it is. --only-windows-output runs the rows of Windows'
# debug output alone and writes them to docs/performance-windows-output.md instead; --only-network the rows of
# syslog over the network, to docs/performance-network.md; --only-history the History window's rows, printed
# only.
#
#   bash scripts/bench.sh [--clients | --only-windows-output | --only-history | --only-network] [RUNS]
set -euo pipefail
cd "$(dirname "${BASH_SOURCE[0]}")/.."
clients_only=0
only=()
page=docs/performance.md
if [ "${1:-}" = --clients ]; then
    clients_only=1
    shift
elif [ "${1:-}" = --only-history ]; then
    clients_only=1
    only=(--only-history)
    shift
elif [ "${1:-}" = --only-windows-output ]; then
    only=(--only-windows-output)
    page=docs/performance-windows-output.md
    shift
elif [ "${1:-}" = --only-network ]; then
    only=(--only-network)
    page=docs/performance-network.md
    shift
fi
runs="${1:-1}"
if ! [[ "$runs" =~ ^[1-9][0-9]*$ ]]; then
    echo "usage: bash scripts/bench.sh [--clients | --only-windows-output | --only-history | --only-network] [RUNS]" >&2
    exit 1
fi
bench_options=("${only[@]+"${only[@]}"}")
[ "$clients_only" -eq 0 ] || [ "${#only[@]}" -gt 0 ] || bench_options=(--clients-only)

# A prefix of its own: the bench deletes the viewer's settings before every start.
export DRAVIK_PREFIX_NAME="${DRAVIK_PREFIX_NAME:-wineprefix-bench}"
bash scripts/setup.sh
# shellcheck source=scripts/wine-env.sh
source scripts/wine-env.sh
dravik_choose_arch
dravik_prepare_prefix

bench="$DRAVIK_BIN/dravik-bench.exe"
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
    (cd "$work" && exec timeout 2400 "$WINELOADER" "$bench" ${bench_options[@]+"${bench_options[@]}"} \
        --markdown "table$run.md" --figures "figures$run.tsv" --client-figures "clientfigures$run.tsv" \
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
    echo "No table was written; $page is left as it was" >&2
    exit 1
fi
if [ "$clients_only" -eq 1 ]; then
    echo "docs/performance.md is left as it was (${only[0]:---clients})"
    exit "$failed"
fi

# Lowest and highest value of each figure over all runs, from the files named PREFIX*.tsv, under the column
# heads given.
spread() {
    local prefix=$1 heads=$2
    awk -F '\t' -v heads="$heads" '
        { key = $1; if (!(key in seen)) { seen[key] = 1; order[++n] = key }
          for (c = 2; c <= 4; ++c) {
              if (!((key, c, "min") in v) || $c + 0 < v[key, c, "min"]) v[key, c, "min"] = $c + 0
              if (!((key, c, "max") in v) || $c + 0 > v[key, c, "max"]) v[key, c, "max"] = $c + 0 } }
        END { print "| Figure | " heads " |"; print "|---|---:|---:|---:|"
              for (i = 1; i <= n; ++i) { k = order[i]; line = "| " k
                  for (c = 2; c <= 4; ++c) line = line " | " v[k, c, "min"] " to " v[k, c, "max"]
                  print line " |" } }' "$work/$prefix"*.tsv
}

# The method of the rows against the null viewer and of the clients' rows.
null_viewer_method() {
    cat <<'TEXT'
## Method: Dravik against a null viewer

`dravik-bench.exe` of the Windows build this machine runs (see the machine below) runs under Wine on a private Xvfb display with the Wine prefix
`build/wineprefix-bench`. It measures two viewers side by side:

- **Dravik**: `Dravik.exe` copied into a fresh temporary folder, its settings key
  `HKLM\SOFTWARE\Korvane Software\Dravik` deleted before every start (default placement, on top), its window
  visible and shown normally.
- **null viewer**: `null-viewer.exe - --class DravikBenchNullViewer --region DravikBenchNullRegion`, copied
  likewise into a fresh temporary folder of its own, a window
  of its own class with a shared region of its own that only copies each text out of the region and answers
  0: what the channel itself costs. Its clients take their own mutex, "DravikBenchNullMutex".

The run has five rounds; each starts both viewers afresh in fresh folders. Runs on this shared machine showed
that its load changes from second to second (one viewer's blocks of the same round differ by up to twice), so
the two viewers are never measured minutes apart:

- **Start-up**: the viewers start in turns, one at a time (null viewer, Dravik, null viewer, ...; the other
  one first in the next round), five starts each per round. Each start is timed from `CreateProcess` until
  `FindWindow` finds the window and `SendMessageTimeout(WM_NULL)` returns, with a log file `DebugLog.txt` of
  29930 characters beside the exe (the null viewer ignores it). The table shows the median of all starts.
- **Throughput**: then both run at once, and the clients take turns between them in blocks of 5000 lines, in
  the order A B B A B A A B, A being the null viewer in odd rounds and Dravik in even ones, so that both meet
  the same moments of the machine. 1000 lines fill each pane first (it holds about 365 such lines, so every
  later line runs the trimming path).

The clients keep the window, the region and the clients' mutex open, and per line take the mutex, write an
80-character line into the region and send `WM_USER + 1` with `SendMessageTimeout` (synchronous), then
release the mutex. That is the least a client can pay per line, so the viewer's share shows fully.

- **One client**: the bench itself prints the lines of a block. A block ends once the viewer has answered a
  `WM_GETTEXTLENGTH` (sent to Dravik's pane, or to the null viewer's window), so the time Dravik takes to
  bring its edit control in step counts in its block; this charges Dravik about one such catching up per
  block, while a longer flood needs one only every 5 s. After every block both viewers rest 200 ms, so that
  neither one's late work falls into the other's block. The table shows the median of the blocks' lines per
  second (20 blocks per viewer); the per-round ratios below it show the spread.
- **Four clients**: four client processes (copies of the bench) start once per round and wait at a gate
  before every block; then each prints 1250 lines, serialised by the viewer's mutex, and the block ends as
  above. Lines per second of each block from the gate's opening; the median of the blocks.
- **Print latency**: the time of each sending call of the timed one-client lines (100000 per viewer);
  median, 99th percentile, mean and longest. The mean and the longest show the stalls that the median hides.
- **Viewer processor time per line**: the viewer process's user and kernel time over the one-client blocks,
  each up to the end of its rest, divided by their lines. Wine answers `GetProcessTimes` for another process
  with the caller's own times, so under Wine they are read from the viewer's `/proc/PID/stat` (found through
  the Z: drive by its command line). Drawing done by the X server is not in it.
- **Memory**: private bytes and working set of the viewer's process (`GetProcessMemoryInfo`,
  `PROCESS_MEMORY_COUNTERS_EX`) after the last round's blocks. Wine 8 leaves `PrivateUsage` at 0; the bench
  then takes `PagefileUsage`, which Windows documents as the same commit charge. As a cross-check, the
  committed private regions of the viewer's address space are also added up one by one (`VirtualQueryEx`).
  After the rounds the null viewer starts once more with `--show`: its window shown normally and active, as
  Dravik's is, the same 1000 lines and question, then its memory. The row "Private bytes, against the null
  viewer with its window shown" compares Dravik with that one (no target): how much of the private bytes
  any window that is shown costs here.
- **Check**: after every block of Dravik's, the text of its pane (`WM_GETTEXT` of its Edit child, read at
  once) must end with the last line sent, which the bench reads back from the region.
- **The history**: Dravik keeps its history by default ("HistoryLimitMB" absent), so every row above has it
  on. After the rounds one more copy of `Dravik.exe` starts in a fresh folder, its pane is filled with 1000
  lines, and four client processes print 50000 lines of 80 characters each (200000 in all, each naming its
  client and number), serialised by the clients' mutex. Then the files of `DebugLog.txt.history` beside the
  copy are read until they hold every line or 30 s have passed: each line must be there once, and each
  client's lines in the order it printed them (the row's target is none missing, twice or out of order).
  Dravik's private bytes are taken 1 s after the pane was filled and 1 s after the history held the flood.

**Clients against the bare channel.** After the rounds (or alone, with `--clients`), one more copy of
`Dravik.exe` starts (shown normally, 1000 lines first) and the clients take turns with the bare channel to
it: the text written into the region and `WM_USER + 1` sent with `SendMessageTimeout`, without the clients'
mutex. Each round ends once Dravik has answered `WM_GETTEXTLENGTH` and its pane ends with the last line
sent, then a rest of 200 ms.

- **Cost per print through `include/dravik/client.h`**: per round the bench's own process prints 3000 lines
  of 80 characters with `dravik_print` (after a first, untimed call that opens what the header keeps), 3000
  through the bare channel and 3000 through the bare channel with the clients' mutex taken around each line,
  the least a client that keeps to the protocol pays (the row without a target). Six rounds, in which each
  of the three takes each place twice. The time of the printing loop divided by its lines; the table shows
  the medians, and the ratios of each round follow it.
- **`dravik-send -` from standard input**: `dravik-send.exe -` reads 10000 such lines from a file, timed from
  `CreateProcess` to its end (its start-up included), against 10000 lines through the bare channel; four
  rounds of each, in the order A B B A, the medians of lines per second.

The figures depend on what else the machine runs: the load average below is that of the whole machine, and
the spread over several runs shows how much the figures move.

The ratio column is Dravik / null viewer in the first table and client / bare channel in the second. For
"higher is better" rows the target is a minimum of that ratio, for "lower is better" rows a maximum (the
targets of issues 4, 19, 23 and 24; the history's rows compare with what was sent and with before the flood).

TEXT
}

# The method of the rows of Windows' own debug output.
windows_output_method() {
    cat <<'TEXT'
## Method: Windows debug output

`dravik-bench` also measures the channel that `OutputDebugStringA` writes to ("DBWIN_BUFFER",
"DBWIN_BUFFER_READY", "DBWIN_DATA_READY"), with Dravik capturing it (Capture Windows Output on, saved as
"CaptureWindowsOutput" = "1" before it starts) against a minimal reader of the bench's own: a thread that waits
for "DBWIN_DATA_READY", copies the process id and the text, signals "DBWIN_BUFFER_READY" and counts. Only one
reader can hold the channel, so in each of five rounds the two take turns block by block, in the order
A B B A B A A B (the minimal reader first in odd rounds); before each of the minimal reader's blocks
Dravik's switch goes off through its menu command (`WM_COMMAND` 214), and the bench checks that the channel
was released at once, and taken again when the switch goes back on. Each round starts Dravik afresh, its
window shown.

- **Senders**: one, then four sender processes (copies of the bench) wait at a gate before every block, then
  send 1000 messages in all (250 each when there are four), each a short line such as `w1 000123` ended by LF,
  through `OutputDebugStringA`, which serialises the senders with the mutex "DBWinMutex". A block's rate is
  its messages over the time from the gate's opening until every sender has returned from its last call; the
  table shows the median of the blocks, the per-round ratios under it the spread.
- **Messages lost**: Dravik's pane is cleared (`WM_USER + 5`) before each of its blocks; a block of short
  lines stays below the capacity rule, so afterwards every message is looked for in the pane (`WM_GETTEXT`,
  waiting up to 10 s for late ones): each sender's numbers must follow one another without a gap. The minimal
  reader counts the same way. The row shows the messages missing or out of order, of all sent in the timed
  blocks; the target is none for Dravik.
- **Memory**: after the last round's blocks, its pane full of captured lines, Dravik's private bytes
  (`GetProcessMemoryInfo`; under Wine 8 its `PagefileUsage`); then four senders send 100000 lines of 80 characters, and its private bytes again once the pane ends
  with each sender's last line. The capacity rule keeps the pane below 30000 characters, so the target leaves
  room only for the heap's own slack (10 %).

TEXT
}

# The method of the rows of syslog over the network.
network_method() {
    cat <<'TEXT'
## Method: syslog over the network

The peers are real programs on the Linux side, started by `dravik-bench.exe` through Wine: util-linux
`logger` sends, and `rsyslogd` (the Debian package, run unprivileged in the foreground with a configuration
of its own that listens on 127.0.0.1 only and writes `hostname|app-name|procid|msgid|msg` per message to a
file) collects. Every port is a free loopback port picked for the run.

- **Receiving**: Dravik starts with "SyslogReceivePort" set; `logger --rfc5424 -f FILE` sends 10000 messages
  `message 000001` ... one per line of the file, first over TCP with octet counting (one connection), then as
  10000 UDP datagrams to 127.0.0.1. Each is looked for in Dravik's history (`DebugLog.txt.history`), by its
  origin's app-name: over TCP all must be there in the order sent; over UDP every one missing counts as lost
  (the target: at most 10). The seconds run from the start of `logger` until the last message was in the
  history (written at least once a second).
- **Forwarding**: rsyslogd runs first; Dravik starts with "SyslogForward" = `tcp://127.0.0.1:PORT`, and the
  bench prints 20000 lines of 80 characters as one client at full speed. Every line must be in rsyslogd's
  file, in order, as `HOST|dravik|-|-|<BOM>text`.
- **Clients with forwarding on**: the rounds of one and four clients of the first table once more, with
  Dravik forwarding every line over TCP to an rsyslogd that runs throughout, against the null viewer.

TEXT
}

# The method of the History window's rows.
history_method() {
    cat <<'TEXT'
## Method: the History window

`dravik-bench` writes a history of 3000000 lines (16 files of about 16 MB, 252 MB in all, lines of about
84 bytes such as `2026-12-09 00:00:00.000<TAB>client<TAB>line 0000000 the quick brown fox ...`) straight into
`DebugLog.txt.history` beside a fresh copy of `Dravik.exe`, before the viewer starts ("HistoryLimitMB" =
"4096", so that the history's limit removes none of it). Every 500th of 1000 lines holds
`one-in-a-thousand`; only the last holds `needle-in-the-haystack`.

- **Plain reading**, the lower bound of any window over these files: the bench reads every file in blocks of
  1 MiB and counts the line feeds (`memchr`), and again looking for `one-in-a-thousand` in each block as
  well; the second of two passes, when the files are in the system's cache, as they are for the viewer.
- Dravik starts shown normally; its private bytes after 2 s are the figure "without". Then two threads of
  the bench probe it every 10 ms, 3 s before the window opens and all the time it works: one sends
  `WM_NULL` to the main window (`SendMessageTimeout`), one prints an 80-character line as a client. Each
  keeps its longest time before and after the opening.
- **Opening**: the popup menu's command (`WM_COMMAND` 115) is posted to the main window. The bench polls
  every 2 ms: *first rows* once the History window ("TfrmHistory") is visible, its list (1001) has rows and
  the text of its top row reads as a history line (`LVM_GETITEMTEXTW` through a buffer in the viewer's
  process); *every line* once `LVM_GETITEMCOUNT` reaches 3000000 (the probing client's prints come after them,
  in the viewer's own history file). The first row and row 3000000 are then compared with the lines written.
- **Filter**: `one-in-a-thousand` is set into the Filter box (1003) in one go (`WM_SETTEXT`, as a paste); the
  time until the list holds 3000 rows and the status (1004) says "3000 of ... lines shown" and no longer
  "filtering", the window's pause of 300 ms after the last key included.
- **Find**: with the filter emptied and the first row selected (Home), `needle-in-the-haystack` is set into
  the Find box (1002); the time until row 3000000, the only one with the text, is selected and the status says
  "Line 3000000 of ...".
- **Memory**: the viewer's private bytes with the window open after all that, less the figure "without".

TEXT
}

cpu="$(sed -n 's/^model name[[:space:]]*: //p' /proc/cpuinfo | head -n 1)"
{
    if [ "${#only[@]}" -eq 0 ]; then
        echo "# Performance: Dravik.exe against a null viewer"
        echo
        echo "Written by \`bash scripts/bench.sh [RUNS]\`; every figure below comes from the run(s) named here."
        echo
        null_viewer_method
        windows_output_method
        history_method
        network_method
    elif [ "${only[0]}" = --only-network ]; then
        echo "# Performance: syslog over the network"
        echo
        echo "Written by \`bash scripts/bench.sh --only-network [RUNS]\`; every figure below comes from the run(s)"
        echo "named here."
        echo
        network_method
    else
        echo "# Performance: Dravik capturing Windows debug output"
        echo
        echo "Written by \`bash scripts/bench.sh --only-windows-output [RUNS]\`; every figure below comes from the"
        echo "run(s) named here."
        echo
        windows_output_method
    fi
    echo "## Machine"
    echo
    echo "- Processors (nproc): $(nproc)"
    echo "- CPU: ${cpu:-unknown}"
    echo "- Build: $DRAVIK_ARCH (${DRAVIK_BIN#"$PWD"/}), Wine: $("$WINELOADER" --version 2>/dev/null || echo unknown)" \
        "($WINEARCH)"
    echo "- Date: $(date -u '+%Y-%m-%d %H:%M UTC')"
    echo "- Load average at the end (1, 5, 15 min): $(cut -d ' ' -f 1-3 /proc/loadavg)"
    echo "- Runs: $runs"
    echo
    if [ "$runs" -gt 1 ]; then
        echo "## Spread over the $runs runs (lowest to highest)"
        echo
        spread figures "Dravik | null viewer or reader | ratio"
        echo
        if [ "${#only[@]}" -eq 0 ]; then
            spread clientfigures "client | bare channel | client / bare"
            echo
        fi
    fi
    echo "## Result of the last run"
    echo
    cat "$final"
} >"$page"
echo "Wrote $page"
exit "$failed"
