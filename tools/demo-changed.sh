#!/usr/bin/env bash
# Shows "changed since the last export" on a fresh demo, saving what the operator sees to PNG files:
#  1. the demo is prepared again from scratch (its database and simulated registers are replaced; the seeding
#     sends every demo good to the registers through the program's export, which fills the memory of sent goods);
#  2. the program compares register 1 with the catalogue and ends;
#  3. three prices change in the catalogue with isql-fb while the program is not running (the embedded engine
#     holds the database file while it runs);
#  4. the program starts again, chooses "zmienione od ostatniego eksportu", sends the selected goods and
#     compares register 1 again, which then agrees with the catalogue.
# Usage: tools/demo-changed.sh BUILD-DIR [FOLDER]   (FOLDER defaults to docs/screenshots)
set -euo pipefail
here=$(cd "$(dirname "$0")/.." && pwd)
build=$(cd "${1:?usage: demo-changed.sh BUILD-DIR [FOLDER]}" && pwd)
folder=${2:-"$here/docs/screenshots"}
export QT_QPA_PLATFORM=offscreen

cmake --build "$build" --target Tarlo_db ui_sent_goods_demo mkdemodb demoseed winip-sim WinIP >/dev/null
rm -rf "$build/demo" "$build/bin/symulator"
"$here/tools/prepare-demo.sh" "$build"

# The driver reads the INI file named after itself, as Tarlo_db does.
cp "$build/bin/Tarlo_db.INI" "$build/bin/ui_sent_goods_demo.INI"
"$build/bin/ui_sent_goods_demo" porownaj "$folder"

year=$(date +%Y)
echo "Zmiana cen towarów 101, 102 i 105 w Kartas$year (isql-fb)"
isql-fb -q -user SYSDBA -password masterkey -ch WIN1250 "$build/demo/DEMO.FDB" <<SQL
update Kartas$year set cena_1 = cena_1 + 0.10 where asort in ('101', '102', '105');
commit;
SQL

"$build/bin/ui_sent_goods_demo" zmienione "$folder"
