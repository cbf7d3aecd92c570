#!/usr/bin/env bash
# Runs the store's three reading statements in the sqlcipher shell on a
# store file, with the shell's timer on, as a reference for bench_store.
#   bench/store_shell.sh build/release-bench/bench/bench_store.dat [DOMAIN] [RUNS]
set -euo pipefail
file="$1"
domain="${2:-site04242.example.com}"
runs="${3:-5}"

cols="id, domain, baidu, baidu1, baidu7, baidu30, baidu360, baidudomain, baiduindex, baiduisfirst, yyyy, mm, dd, searchtime"
latest="select $cols from shoulu where domain in (select domain from domain) and id in (select (select max(s.id) from shoulu s where s.domain = d.domain) from domain d) order by searchtime desc, id desc;"
day="select $cols from shoulu where domain in (select domain from domain) and id in (select max(id) from shoulu where domain = '$domain' group by yyyy, mm, dd) order by searchtime desc, id desc"


for name in latest history chart; do
    case $name in
    latest) sql="$latest" ;;
    history) sql="$day;" ;;
    chart) sql="$day limit 30;" ;;
    esac
    {
        echo "pragma key = '松风竹影山高水长云淡';"
        echo ".output /dev/null"
        echo "select count(*) from domain;"
        echo ".timer on"
        for _ in $(seq "$runs"); do echo "$sql"; done
    } | sqlcipher "$file" | awk -v n="$name" '/Run Time/ { t[++k] = $4 * 1000 }
        END { asort(t); printf "%-8s runs %d  median %.2f ms  min %.2f ms\n", n, k, t[int((k + 1) / 2)], t[1] }'
done
