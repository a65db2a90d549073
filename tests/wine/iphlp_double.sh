# shellcheck shell=bash
# Helpers for Wine tests that run the program over the IP Helper test double
# (tools/iphlp_double): what the double should see while partial relay changes the routes.
# Source after lib.sh and qvx_install.

IPHLP_LOG=iphlp_double_log.txt
IPHLP_STATE=iphlp_double_state.txt # a journal: read it with iphlp_routes
IPHLP_CONTROL=iphlp_double_control.txt
# What the 64-bit and the 32-bit IP_ADAPTER_INFO measure.
if [ "$QVX_ARCH" = win64 ]; then IPHLP_ADAPTER_SIZE=704; else IPHLP_ADAPTER_SIZE=640; fi
# The unused metrics of a range route.
IPHLP_UNUSED='metric2=4294967295 metric3=4294967295 metric4=4294967295 metric5=4294967295'

iphlp_file() { printf '%s/%s' "$QVX_PROGRAM_UNIX" "$1"; }
# Lines for the double, taken at its next call.
iphlp_control() { printf '%s\n' "$@" >>"$(iphlp_file "$IPHLP_CONTROL")"; }
iphlp_log_lines() { [ -f "$(iphlp_file "$IPHLP_LOG")" ] && wc -l <"$(iphlp_file "$IPHLP_LOG")" || echo 0; }
# The routing calls the double logged after line N (echo calls left out).
iphlp_calls_after() { tail -n +"$(($1 + 1))" "$(iphlp_file "$IPHLP_LOG")" | grep -v '^Icmp' || true; }

# The route file of a network name as the run log shows it.
iphlp_network_file() {
  case $1 in
    中国电信) echo CHINANET ;;
    中国网通) echo CNC ;;
    教育网) echo CERNET ;;
    *) echo none ;;
  esac
}

# The CreateIpForwardEntry lines partial relay must produce, in order, for the machine's own
# network (CHINANET, CNC, CERNET or none): the rows of the other tables in table order, each
# through the tunnel's interface and next hop with the given metric.
iphlp_expected_rows() {
  local own=$1 if=$2 hop=$3 metric=$4 table
  for table in CHINANET CNC CERNET; do
    [ "$table" = "$own" ] && continue
    awk -v ifx="$if" -v hop="$hop" -v metric="$metric" -v unused="$IPHLP_UNUSED" '
      { for (i = 1; i <= NF; i++) f[n++] = $i }
      END {
        for (r = 0; r + 12 <= n; r += 12)
          printf "CreateIpForwardEntry dest=%d.%d.%d.%d mask=%d.%d.%d.%d policy=0 nexthop=%s if=%s type=4 proto=3 age=0 nexthopas=0 metric1=%s %s -> 0\n",
            f[r], f[r+1], f[r+2], f[r+3], f[r+8], f[r+9], f[r+10], f[r+11], hop, ifx, metric, unused
      }' "$QVX_SOURCE/route/$table.dat"
  done
}

# A default-route update as the client writes it: the row as the table holds it (next hop,
# type) with a new metric. Arguments: interface, next hop, type, metric, result.
iphlp_default_set() {
  printf 'SetIpForwardEntry dest=0.0.0.0 mask=0.0.0.0 policy=0 nexthop=%s if=%s type=%s proto=3 age=0 nexthopas=0 metric1=%s %s -> %s\n' "$2" "$1" "$3" "$4" "$IPHLP_UNUSED" "$5"
}

# The size query and the filling call of one adapter listing of N records.
iphlp_listing() {
  local n=$1 indexes=$2 size=$(($1 * IPHLP_ADAPTER_SIZE))
  printf 'GetAdaptersInfo buf=null size=0 adapters=%s out_size=%s -> 111\n' "$n" "$size"
  printf 'GetAdaptersInfo buf=set size=%s adapters=%s out_size=%s indexes=%s -> 0\n' "$size" "$n" "$size" "$indexes"
}

# The calls after line N that write to the routing table.
iphlp_writes_after() { iphlp_calls_after "$1" | grep -E '^(Create|Set|Delete)IpForwardEntry ' || true; }

# The double's routing table as its journal has it now, one route line each: a route line
# adds a route or replaces the one of the same destination, mask, next hop and interface,
# unroute removes it, reset empties the table.
iphlp_routes() {
  awk '$1 == "reset" { split("", at); split("", row); n = 0; next }
    $1 == "route" { k = $2 " " $3 " " $4 " " $5; if (!(k in at)) at[k] = ++n; row[at[k]] = $0; next }
    $1 == "unroute" { k = $2 " " $3 " " $4 " " $5; if (k in at) { delete row[at[k]]; delete at[k] } }
    END { for (i = 1; i <= n; i++) if (i in row) print row[i] }' "$(iphlp_file "$IPHLP_STATE")"
}

# The route line of the default route of an interface.
iphlp_default_route() { iphlp_routes | grep -E "^route 0\.0\.0\.0 0\.0\.0\.0 [0-9.]+ $1 " || true; }
