#!/usr/bin/env bash
# Times `tessaro7-batch export 1` (customers), as .xls and as .xlsx, against
# `sqlite3 -csv` writing the same selection to a file, in the same run, on a
# generated `clienti` of 32766 rows (the most a BIFF2 sheet holds under its
# heading row), and reports the peak memory of each export at 10000 and at
# 32766 rows.
# Usage: bench/export/run.sh            (Release build in build/bench-release)
#        BUILD_DIR=... RUNS=5 bench/export/run.sh
set -euo pipefail
root=$(cd "$(dirname "$0")/../.." && pwd)
build=${BUILD_DIR:-$root/build/bench-release}
runs=${RUNS:-5}
cmake -S "$root" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Release -DTESSARO7_TESTS=OFF >/dev/null
cmake --build "$build" -j2 --target tessaro7-batch >/dev/null
batch=$build/tessaro7-batch

work=$(mktemp -d "${TMPDIR:-/tmp}/tessaro7-bench-export.XXXXXX")
trap 'rm -rf "$work"' EXIT
(cd "$work" && "$batch" create-demo archivio >/dev/null)
archive=$work/archivio
db=$archive/Tessaro7.mdb

# The twelve exported fields, in column order, and the list's order.
select="select nominativo, seconda_riga, indirizzo, citta, cap, pr, piva, pivacee, tel, fax, listino, email
        from clienti order by nominativo collate nocase"

fill() {  # $1 rows: customers with every exported field filled, names in scrambled order
  sqlite3 "$db" "delete from clienti;
    with recursive n(i) as (select 1 union all select i + 1 from n where i < $1)
    insert into clienti (nominativo, seconda_riga, indirizzo, cap, pr, citta, nazione, piva, pivacee,
                         tel, fax, email, listino)
    select printf('Cliente %05d Società à responsabilità', (i * 7919) % $1), 'S.r.l.',
           printf('Via Roma, %d', i), '20121', 'MI', 'Milano', 'Italia',
           printf('%011d', i), printf('IT%011d', i), printf('02 %07d', i), printf('02 %07d', i + 1),
           printf('cliente%d@esempio.it', i), printf('%d', i % 5)
    from n;"
}

now() { date +%s.%N; }

best() {  # best wall time of $runs runs of the command
  local best= t0 t1 t
  for _ in $(seq "$runs"); do
    t0=$(now); "$@" >/dev/null; t1=$(now)
    t=$(echo "$t1 - $t0" | bc -l)
    if [ -z "$best" ] || [ "$(echo "$t < $best" | bc -l)" = 1 ]; then best=$t; fi
  done
  echo "$best"
}

export_list() { (cd "$archive" && "$batch" export 1 --format "$format"); }
dump_csv() { sqlite3 -csv "$db" "$select" > "$work/clienti.csv"; }

maxrss() {  # peak resident memory of the export, in KiB
  (cd "$archive" && /usr/bin/time -v "$batch" export 1 --format "$format" 2>&1 >/dev/null) | awk -F': ' '/Maximum resident/ {print $2}'
}

printf '%-8s %-6s %12s %12s %8s %14s %10s\n' rows format export_s sqlite3_s ratio peak_rss_KiB file_bytes
for rows in 10000 32766; do
  fill "$rows"
  ts=$(best dump_csv)
  for format in xls xlsx; do
    te=$(best export_list)
    ratio=$(echo "$te / $ts" | bc -l)
    rss=$(maxrss)
    size=$(stat -c %s "$archive/XLSClienti.$format")
    printf '%-8s %-6s %12.4f %12.4f %8.2f %14s %10s\n' "$rows" "$format" "$te" "$ts" "$ratio" "$rss" "$size"
  done
done
echo "goals at 32766 rows: ratio at most 1.5 (xls) and 2 (xlsx); each format's peak memory the same at both"
echo "sizes within a few MiB"
