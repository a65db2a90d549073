# shellcheck shell=bash
# Helpers of the Wine soak (tests/wine/soak.sh): driving the program through ui_probe,
# measuring it from outside after each cycle, and the bounds over the cycles' figures.
# Source after lib.sh; SOAK_OUT names the folder for the figures.

SOAK_LOG_LIMIT=2048000 # the run log's size limit (shell/run_log.h)
SOAK_LOG_BYTES_PER_CYCLE=4096
SOAK_PID=
SOAK_LOG_OFFSET=0
SOAK_RAS_LOG_OFFSET=0
SOAK_IPHLP_LOG_OFFSET=0
SOAK_DIAL_FAILURES=0 SOAK_ROUTE_FAILURES=0 SOAK_LOGGED=0 SOAK_LOG_MAX=0 SOAK_DROPS=0
SOAK_LOGIN_FIELDS=demo/demo123/1/1
SOAK_QUIET_FROM=
SOAK_GUI_ERROR=

soak_file() { printf '%s/%s' "$QVX_PROGRAM_UNIX" "$1"; }
soak_iphlp_control() { printf '%s\n' "$@" >>"$(soak_file iphlp_double_control.txt)"; }
soak_size() { stat -c %s "$1" 2>/dev/null || echo 0; }

# --- the process and its run log ---------------------------------------------------------------

soak_begin_process() {
  SOAK_PID=$(qvx_program_pid)
  [ -n "$SOAK_PID" ] || qvx_fail "the program's process was not found"
}
soak_threads() { qvx_thread_count "$SOAK_PID"; }
# Read without starting a program: it runs after every cycle.
soak_rss_kib() {
  local key value _
  while read -r key value _; do
    [ "$key" = VmRSS: ] && echo "$value" && return
  done <"/proc/$SOAK_PID/status"
}

# The run-log text written since the last cycle ended (from the start if the log was emptied),
# without time stamps.
soak_since() { soak__log_since | tr -d '\r' | sed -n 's/^\[[^]]*\]  //p'; }
soak__log_since() {
  local log
  log=$(soak_file qvxl.log)
  local offset=$SOAK_LOG_OFFSET
  [ "$(soak_size "$log")" -lt "$offset" ] && offset=0
  tail -c +$((offset + 1)) "$log" 2>/dev/null | iconv -f GBK -t UTF-8
}
soak_since_count() { soak_since | grep -cE -- "$1" || true; }
soak__since_at_least() { [ "$(soak_since_count "$2")" -ge "$1" ]; }
soak_wait_since() { qvx_poll "${3:-60}" "$2 x$1 in this cycle" soak__since_at_least "$1" "$2"; }

# A value from a double's live report ("calls=N connections=N ..."); empty without one.
soak_live() {
  local line=
  read -r line 2>/dev/null <"$(soak_file "$1")" || true
  soak_field "$2" "$line"
}
# The doubles' live reports and call logs, which the checks read: a missing one fails the
# cycle instead of reading as nothing held and nothing called.
soak_require_doubles() {
  local name
  for name in ras_double_live.txt iphlp_double_live.txt ras_double_log.txt iphlp_double_log.txt; do
    [ -s "$(soak_file "$name")" ] || qvx_fail "$1: the doubles' $name is missing or empty"
  done
}

# --- the cycles ----------------------------------------------------------------------------------

# Whether this cycle's connection is to be dropped: the drops spread evenly among the connects
# (soak_drop_due CONNECTS_DONE CONNECTS_WANTED DROPS_WANTED), the rest after the last connect.
soak_drop_due() {
  [ "$SOAK_DROPS" -lt "$3" ] || return 1
  [ "$1" -lt "$2" ] || return 0
  [ $((SOAK_DROPS * $2)) -lt $(($1 * $3)) ]
}

# Clicks 连接 and waits for the outcome: 0 when the connection came up (and, in partial relay,
# its routes are done), 1 when the dial was refused (its message box answered).
soak_connect() {
  local relay=$1 end=$((SECONDS + 90)) box text size seen=-1
  qvx_ui_do "connect" click "$QVX_STATUS" 连接
  while [ "$SECONDS" -lt "$end" ]; do
    size=$(soak_size "$(soak_file qvxl.log)")
    if [ "$size" != "$seen" ]; then
      seen=$size
      text=$(soak_since)
      if grep -qx '建立加速连接成功！' <<<"$text"; then
        [ "$relay" = 0 ] || return 0
        grep -qE '^部分中转(已生效|未生效|结果未知)' <<<"$text" && return 0
      fi
    fi
    box=$(qvx_ui box)
    if [ "$box" != none ]; then
      qvx_log "dial refused: $box"
      qvx_ui_do "the refusal's box" box_ok
      return 1
    fi
    sleep 0.1
  done
  qvx_fail "no outcome of the dial within 90 s: $(soak_since | tail -n 5)"
}
# The hang-up's last step logs its line once its calls are done: from then on the idle
# program calls neither double (soak_end_cycle looks), so the doubles' logs are measured at
# once.
soak_hang_up() {
  local end=$((SECONDS + 60))
  qvx_ui_do "hang up" click "$QVX_STATUS" 挂断
  until [ "$(soak_since_count '^成功挂断连接$')" -ge 1 ]; do
    [ "$SECONDS" -lt "$end" ] || qvx_fail "no hang-up within 60 s: $(soak_since | tail -n 3)"
    sleep 0.05
  done
  soak_require_doubles "the hang-up"
  SOAK_QUIET_FROM=$(soak_double_logs)
}
soak_double_logs() { echo "$(soak_size "$(soak_file ras_double_log.txt)") $(soak_size "$(soak_file iphlp_double_log.txt)")"; }
# The line goes: both looks of the link monitor find it down, and the drop message comes.
soak_drop() {
  local end=$((SECONDS + 60)) box
  qvx_ras_control "drop all"
  while [ "$SECONDS" -lt "$end" ]; do
    box=$(qvx_ui box)
    if [ "$box" != none ]; then
      [ "$box" = "网络原因，异常中断" ] || qvx_fail "after a drop the box says '$box'"
      qvx_ui_do "the drop's box" box_ok
      SOAK_DROPS=$((SOAK_DROPS + 1))
      return 0
    fi
    sleep 0.2
  done
  qvx_fail "no drop message within 60 s"
}
soak__idle() {
  [ "$(qvx_ui enabled "$QVX_STATUS" 连接)" = 1 ] && [ "$(qvx_ui box)" = none ] || return 1
  # Wine's own threads (wine_wininet_collector and wine_threadpool after the login's downloads)
  # end on their own timers, about 3 s later.
  ! grep -q '^wine_' "/proc/$SOAK_PID"/task/*/comm 2>/dev/null || return 1
  # A worker that has just ended may still be in the task list for a moment.
  local a b
  a=$(soak_threads)
  sleep 0.1
  b=$(soak_threads)
  [ "$a" = "$b" ]
}
# The moment the figures are taken: the window idle with 连接 enabled and no box open, none of
# Wine's own threads left, the thread count not changing.
soak_settle() { qvx_poll 30 "the program idle" soak__idle; }

# The status window's connection display: its status pane ("连接状态：..." or the clock
# "连接时间：...") and traffic counters ("0 K"). The notice ticker beside them turns on its own.
soak_connection_texts() {
  local all
  all=$(qvx_ui texts "$QVX_STATUS")
  tr '|' '\n' <<<"$all" | grep -E '^(连接状态|连接时间)|^[0-9]+ [KMG]$' || true
}

# For 5.5 s more, past the link monitor's 5 s tick, no call to either double (each call is a
# line in its log) and no change in the connection display: nothing of a connection runs on
# while the program is idle.
soak_check_idle() {
  local before texts later
  soak_require_doubles "$1"
  before=$(soak_double_logs)
  texts=$(soak_connection_texts)
  [ -n "$texts" ] || qvx_fail "$1: no status pane among the program's windows"
  sleep 5.5 # fixed: past the link monitor's 5 s tick
  [ "$before" = "$(soak_double_logs)" ] ||
    qvx_fail "$1: the idle program called the doubles (RAS and IP Helper log bytes $before -> $(soak_double_logs)): $(tail -n 2 "$(soak_file ras_double_log.txt)")"
  later=$(soak_connection_texts)
  [ "$texts" = "$later" ] ||
    qvx_fail "$1: the idle program's connection display changed: $(diff <(echo "$texts") <(echo "$later") | grep '^[<>]' | tr '\n' ' ')"
}

# Names in the program folder that are neither the program's files, the doubles' files nor
# the route folder: a reply or temporary file left behind.
soak_leftovers() (
  shopt -s nullglob dotglob
  local ours='^(quovix\.exe|route|qvxl\.log|user\.ini|softsetup\.ini|rasapi32\.dll|iphlpapi\.dll|(ras|iphlp)_double_[a-z]+\.txt(\.new|\.[0-9]+\.taken)?)$'
  local path
  for path in "$QVX_PROGRAM_UNIX"/*; do
    [[ ${path##*/} =~ $ours ]] || echo "${path##*/}"
  done
)

# The codes of the failures the doubles injected since the last cycle, and those the run log
# reported, one a line, sorted.
soak_injected() {
  {
    tail -c +$((SOAK_RAS_LOG_OFFSET + 1)) "$(soak_file ras_double_log.txt)"
    printf '\n@route\n'
    tail -c +$((SOAK_IPHLP_LOG_OFFSET + 1)) "$(soak_file iphlp_double_log.txt)"
  } 2>/dev/null | LC_ALL=C awk '
    $0 == "@route" { double = "route"; next }
    { while (match($0, /injected=[0-9]+/)) {
        print (double ? double : "ras"), substr($0, RSTART + 9, RLENGTH - 9)
        $0 = substr($0, RSTART + RLENGTH) } }' | sort
}
# "错误编号：N", "网络连接N错误", or the account-in-use line that stands for 691.
soak_reported() {
  soak__log_since | sed -nE 's/.*错误编号：([0-9]+).*/\1/p; s/.*网络连接([0-9]+)错误.*/\1/p; s/.*该账号正在被使用.*/691/p' | sort
}

# NAME's number in a "name=N name=N" line.
soak_field() { [[ " $2 " =~ \ $1=([0-9]+)[\ ] ]] && printf '%s' "${BASH_REMATCH[1]}" || true; }

soak_csv_header() {
  echo "phase,cycle,kind,relay,seconds,threads,rss_kib,ras_connections,ras_entries,routes,icmp,gdi,user,windows,log_bytes,injected,logged"
}

# The figures and per-cycle checks once a cycle has settled; one CSV line.
soak_end_cycle() {
  local phase=$1 n=$2 kind=$3 relay=$4 seconds=$5
  local where="$phase $n ($kind)"
  local conns entries routes icmp gui gdi user windows injected reported log_bytes grown
  soak_require_doubles "$where"
  conns=$(soak_live ras_double_live.txt connections)
  entries=$(soak_live ras_double_live.txt entries)
  routes=$(soak_live iphlp_double_live.txt routes)
  icmp=$(soak_live iphlp_double_live.txt icmp)
  [ -n "$routes" ] && [ -n "$icmp" ] ||
    qvx_fail "$where: the IP Helper double's live report lacks a figure: $(cat "$(soak_file iphlp_double_live.txt)")"
  [ "$conns" = 0 ] && [ "$entries" = 0 ] ||
    qvx_fail "$where: the RAS double holds connections=$conns entries=$entries: $(cat "$(soak_file ras_double_live.txt)")"
  if [ "$kind" = hangup ] && [ "$(soak_double_logs)" != "$SOAK_QUIET_FROM" ]; then
    qvx_fail "$where: the program called the doubles after its hang-up was done (log bytes $SOAK_QUIET_FROM -> $(soak_double_logs)): $(tail -n 2 "$(soak_file ras_double_log.txt)")"
  fi
  local left
  left=$(soak_leftovers)
  [ -z "$left" ] || qvx_fail "$where: left in the program folder: $left"
  local double code codes=()
  while read -r double code; do
    case $double in
      ras) SOAK_DIAL_FAILURES=$((SOAK_DIAL_FAILURES + 1)) ;;
      route) SOAK_ROUTE_FAILURES=$((SOAK_ROUTE_FAILURES + 1)) ;;
      *) continue ;;
    esac
    codes+=("$code")
  done < <(soak_injected)
  injected=$([ "${#codes[@]}" = 0 ] || printf '%s\n' "${codes[@]}" | sort)
  reported=$(soak_reported)
  [ "$injected" = "$reported" ] ||
    qvx_fail "$where: injected failures [${injected//$'\n'/ }] but the run log reports [${reported//$'\n'/ }]"
  SOAK_LOGGED=$((SOAK_LOGGED + ${#codes[@]}))
  log_bytes=$(soak_size "$(soak_file qvxl.log)")
  if [ "$phase" = cycles ]; then
    grown=$((log_bytes - SOAK_LOG_OFFSET))
    [ "$grown" -lt "$SOAK_LOG_BYTES_PER_CYCLE" ] ||
      qvx_fail "$where: the run log grew by $grown bytes in one cycle"
  fi
  [ "$log_bytes" -lt "$SOAK_LOG_LIMIT" ] || qvx_fail "$where: the run log holds $log_bytes bytes"
  [ "$log_bytes" -gt "$SOAK_LOG_MAX" ] && SOAK_LOG_MAX=$log_bytes
  gui=$(qvx_ui gui)
  gdi=$(soak_field gdi "$gui") user=$(soak_field user "$gui") windows=$(soak_field windows "$gui")
  [ -n "$windows" ] || qvx_fail "$where: the probe answered '$gui'"
  # GetGuiResources answering 0 with an error is a stub: no figure, not a zero.
  if [[ $gui == *gdi_error=* ]]; then
    SOAK_GUI_ERROR=${gui##*gdi_error=}
    gdi=n/a user=n/a
  fi
  echo "$phase,$n,$kind,$relay,$seconds,$(soak_threads),$(soak_rss_kib),$conns,$entries,$routes,$icmp,$gdi,$user,$windows,$log_bytes,${injected//$'\n'/+},${reported//$'\n'/+}" >>"$SOAK_OUT/cycles.csv"
  SOAK_LOG_OFFSET=$log_bytes
  read -r SOAK_RAS_LOG_OFFSET SOAK_IPHLP_LOG_OFFSET <<<"$(soak_double_logs)"
}

# --- exits and restarts ------------------------------------------------------------------------

# The status window's close box, then 确定 in the exit confirmation.
soak_exit() {
  qvx_ui_do "close the status window" close "$QVX_STATUS"
  qvx_ui_click "$QVX_BOX" 确定 30
  qvx_wait_exit 30
  [ "$QVX_EXIT_CODE" = 0 ] || qvx_fail "the program exited with $QVX_EXIT_CODE"
  [ "$(soak_since_count '^成功退出$')" = 1 ] || qvx_fail "no exit line in the run log"
  soak_require_doubles "after the exit"
  [ "$(soak_live ras_double_live.txt connections)" = 0 ] && [ "$(soak_live ras_double_live.txt entries)" = 0 ] ||
    qvx_fail "after the exit the RAS double holds $(cat "$(soak_file ras_double_live.txt)")"
  local left
  left=$(soak_leftovers)
  [ -z "$left" ] || qvx_fail "after the exit, left in the program folder: $left"
}

# Past the size limit, as weeks of use would leave it.
soak_pad_log() {
  local log
  log=$(soak_file qvxl.log)
  # shellcheck disable=SC2094 # the size is read before awk starts appending
  awk -v n=$(((SOAK_LOG_LIMIT - $(soak_size "$log")) / 64 + 1)) \
    'BEGIN { for (i = 0; i < n; i++) printf "[2026-1-1 0:0:0]  soak padding %040d\r\n", i }' >>"$log"
  [ "$(soak_size "$log")" -ge "$SOAK_LOG_LIMIT" ] || qvx_fail "padding did not reach the limit"
  SOAK_LOG_OFFSET=$(soak_size "$log")
}

# What the login window shows from user.ini: account, password, the two remember boxes.
soak_login_fields() {
  echo "$(qvx_ui edit "$QVX_LOGIN" 1)/$(qvx_ui edit "$QVX_LOGIN" 2)/$(qvx_ui checked "$QVX_LOGIN" 记住账号)/$(qvx_ui checked "$QVX_LOGIN" 记住密码)"
}

# A start and a login with the account and password the program filled in from user.ini (its
# scrambling differs at every write, so the file itself is not compared). A log found at its
# size limit must be emptied by the start, any other appended to.
soak_restart_login() {
  local log before after fields
  log=$(soak_file qvxl.log)
  before=$(soak_size "$log")
  qvx_start
  qvx_ui_window "$QVX_LOGIN"
  qvx_ui_until 30 1 enabled "$QVX_LOGIN" 登陆
  fields=$(soak_login_fields)
  [ "$fields" = "$SOAK_LOGIN_FIELDS" ] ||
    qvx_fail "restart $1: the login window shows '$fields' from user.ini, '$SOAK_LOGIN_FIELDS' was written"
  qvx_ui_do "the login button" click "$QVX_LOGIN" 登陆
  soak_wait_since 1 '^本机的内网IP为' 60
  soak_begin_process
  after=$(soak_size "$log")
  if [ "$before" -ge "$SOAK_LOG_LIMIT" ]; then
    [ "$after" -lt "$before" ] && ! grep -aq 'soak padding' "$log" ||
      qvx_fail "restart $1: a log at its limit ($before bytes) was not emptied ($after bytes)"
    SOAK_LOG_EMPTIED=$1
  else
    [ "$after" -gt "$before" ] || qvx_fail "restart $1: the log was not appended to"
  fi
  qvx_ui_until 30 1 enabled "$QVX_STATUS" 连接
}

# --- bounds and figures --------------------------------------------------------------------------

# The mean of a column over cycles FROM..TO of a phase; n/a where the column has no figures.
soak_mean() {
  awk -F, -v phase="$1" -v col="$2" -v from="$3" -v to="$4" '
    NR == 1 { for (i = 1; i <= NF; i++) if ($i == col) c = i; next }
    $1 == phase && $2 >= from && $2 <= to { if ($c == "n/a") na = 1; s += $c; n++ }
    END { if (na || !n) print "n/a"; else printf "%.2f\n", s / n }' "$SOAK_OUT/cycles.csv"
}

# The last window of a phase's cycles against its second (50 cycles, or a quarter of a shorter
# phase: cycles 51-100 and 161-210 of 210): memory within 2 %, the counts exactly equal.
soak_window() { local w=$(($1 / 4)); echo $((w < 50 ? w : 50)); }
soak_bounds() {
  local phase=$1 total=$2 w col a b
  w=$(soak_window "$total")
  [ "$w" -ge 1 ] || return 0
  for col in rss_kib threads ras_connections ras_entries routes icmp gdi user windows; do
    a=$(soak_mean "$phase" "$col" $((w + 1)) $((2 * w)))
    b=$(soak_mean "$phase" "$col" $((total - w + 1)) "$total")
    echo "${phase}.${col}=$a $b" >>"$SOAK_OUT/means.txt"
    if [ "$col" = rss_kib ]; then
      awk -v a="$a" -v b="$b" 'BEGIN { exit !(b <= a * 1.02 && b >= a * 0.98) }' ||
        qvx_fail "$phase: resident memory grew: mean $a KiB in cycles $((w + 1))-$((2 * w)), $b KiB in the last $w"
    elif [ "$a" != "$b" ]; then
      qvx_fail "$phase: $col changed: mean $a in cycles $((w + 1))-$((2 * w)), $b in the last $w"
    fi
  done
}

# soak_summary CYCLES RESTARTS CYCLES_SECONDS RESTARTS_SECONDS SECONDS
soak_summary() {
  local cycles=$1 restarts=$2
  shift 2
  echo "cycles=$cycles"
  echo "window=$(soak_window "$cycles")"
  echo "restart_window=$(soak_window "$restarts")"
  echo "hung_up=$(grep -c '^cycles,[0-9]*,hangup,' "$SOAK_OUT/cycles.csv" || true)"
  echo "drops=$SOAK_DROPS"
  echo "refused=$(grep -c '^cycles,[0-9]*,refused,' "$SOAK_OUT/cycles.csv" || true)"
  echo "restarts=$restarts"
  echo "cycles_seconds=$1"
  echo "restarts_seconds=$2"
  echo "seconds=$3"
  echo "dial_failures=$SOAK_DIAL_FAILURES"
  echo "route_failures=$SOAK_ROUTE_FAILURES"
  echo "failures_logged=$SOAK_LOGGED"
  echo "log_bytes_max=$SOAK_LOG_MAX"
  echo "log_emptied_at_restart=${SOAK_LOG_EMPTIED:-none}"
  echo "gui_resources=$([ -n "$SOAK_GUI_ERROR" ] && echo "n/a (GetGuiResources returns 0, last error $SOAK_GUI_ERROR)" || echo measured)"
  sed 's/^/mean./' "$SOAK_OUT/means.txt"
}
