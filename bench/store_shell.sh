#!/usr/bin/env bash
# Runs the store's three reading statements in the sqlcipher shell on a
# store file, as the reference for bench_store (compare the history and
# chart figures with bench_store's *_sameDomain ones). Each statement runs
# RUNS times in one shell; the time per run is the wall time of that shell
# less the time of a shell that only opens the file, divided by RUNS.
# The shell uses its default page cache; the program asks for 32 MB.
#   bench/store_shell.sh build/release-bench/bench/bench_store.dat [DOMAIN] [RUNS]
set -euo pipefail
file="$1"
domain="${2:-site04242.example.com}"
runs="${3:-20}"

cols="id, domain, baidu, baidu1, baidu7, baidu30, baidu360, baidudomain, baiduindex, baiduisfirst, yyyy, mm, dd, searchtime"
latest="select $cols from shoulu where id in (select (select max(s.id) from shoulu s where s.domain = d.domain) from domain d) order by searchtime desc, id desc;"
history="select $cols from shoulu where domain in (select domain from domain) and id in (select max(id) from shoulu where domain = '$domain' group by yyyy, mm, dd) order by searchtime desc, id desc;"
chart="select $cols from shoulu where domain in (select domain from domain) and id in (select id from (select max(id) as id, searchtime as st from shoulu where domain = '$domain' group by yyyy, mm, dd) order by st desc, id desc limit 30) order by searchtime desc, id desc;"

shell_ns() { # statement, count
    local start end
    start=$(date +%s%N)
    {
        echo "pragma key = '松风竹影山高水长云淡';"
        [ -n "${CACHE_KIB:-}" ] && echo "pragma cache_size = -$CACHE_KIB;"
        echo ".output /dev/null"
        echo "select count(*) from domain;"
        # one untimed warm-up run
        [ "$2" -gt 0 ] && echo "$1"
        for _ in $(seq "$2"); do echo "$1"; done
    } | sqlcipher "$file" >/dev/null
    end=$(date +%s%N)
    echo $((end - start))
}

for name in latest history chart; do
    sql="${!name}"
    warm=$(shell_ns "$sql" 1)
    full=$(shell_ns "$sql" "$((runs + 1))")
    awk -v n="$name" -v w="$warm" -v f="$full" -v r="$runs" \
        'BEGIN { printf "%-8s %.3f ms per run (%d runs)\n", n, (f - w) / r / 1e6, r }'
done
