#!/usr/bin/env bash
# procstat.sh <exe name> [procstat.exe]: one line of what a program running under Wine costs and
# holds, measured from Linux (/proc) and, when procstat.exe is given, from inside Wine. The
# program and wineserver are those of $WINEPREFIX (give it exactly as the program was started
# with). Field list: tools/procstat/README.md. Exits 1 when the program does not run.
set -u
exe=${1:?usage: procstat.sh <exe name> [procstat.exe]}
tool=${2:-}
prefix=${WINEPREFIX:?WINEPREFIX must name the program\'s prefix}
tick=$(getconf CLK_TCK)

in_prefix() { tr '\0' '\n' <"/proc/$1/environ" 2>/dev/null | grep -qxF "WINEPREFIX=$prefix"; }

# utime + stime of a process, in ms.
cpu_ms() {
  local stat
  stat=$(cat "/proc/$1/stat" 2>/dev/null) || { echo -1; return; }
  stat=${stat##*) }  # the name in parentheses may hold blanks
  awk -v t="$tick" '{ printf "%d", ($12 + $13) * 1000 / t }' <<<"$stat"
}

status_kb() { awk -v k="$2:" '$1 == k { print $2; found = 1 } END { if (!found) print -1 }' \
  "/proc/$1/status" 2>/dev/null; }

find_program() {
  local want p arg0
  want=$(tr '[:upper:]' '[:lower:]' <<<"$exe")
  for p in /proc/[0-9]*; do
    p=${p#/proc/}
    arg0=$(tr '\0' '\n' <"/proc/$p/cmdline" 2>/dev/null | head -n 1)
    arg0=${arg0##*[/\\]}
    [ "$(tr '[:upper:]' '[:lower:]' <<<"$arg0")" = "$want" ] || continue
    in_prefix "$p" && { echo "$p"; return 0; }
  done
  return 1
}

find_wineserver() {
  local p
  for p in /proc/[0-9]*; do
    p=${p#/proc/}
    case "$(cat "/proc/$p/comm" 2>/dev/null)" in wineserver*) ;; *) continue ;; esac
    in_prefix "$p" && { echo "$p"; return 0; }
  done
  return 1
}

pid=$(find_program) || { echo "procstat.sh: $exe is not running in $prefix" >&2; exit 1; }
server=$(find_wineserver) || server=""
private=$(awk '/^Private_Dirty:/ { print $2 }' "/proc/$pid/smaps_rollup" 2>/dev/null)
line="procstat exe=$exe linux_pid=$pid cpu_ms=$(cpu_ms "$pid")"
line+=" wineserver_cpu_ms=$([ -n "$server" ] && cpu_ms "$server" || echo -1)"
line+=" rss_kb=$(status_kb "$pid" VmRSS) rss_anon_kb=$(status_kb "$pid" RssAnon)"
line+=" private_kb=${private:--1} peak_rss_kb=$(status_kb "$pid" VmHWM)"
# Read last: starting a Wine process costs wineserver time.
if [ -n "$tool" ]; then
  inside=$(wine "$tool" "$exe" 2>/dev/null | tr -d '\r' | grep '^procstat ') || inside=""
  line+=" ${inside#procstat }"
fi
echo "$line"
