#!/usr/bin/env bash
# Builds the project, then draws into out/:
#   sheet.png, sheet.pdf   a sample of every implemented symbology
#   labels.db              the sample database, built from samples/labels.sql
#   labels/N-EAN.png       one EAN-13 label per product, data from the database
#   labels.pdf             the part numbers (Code 39) printed, one page each
set -euo pipefail
cd "$(dirname "${BASH_SOURCE[0]}")/.."

bash scripts/setup.sh release
kdx=build/bin/kdx
"$kdx" sheet -o out

# The database is rebuilt from its SQL script on every run.
rm -f out/labels.db
sqlite3 out/labels.db < samples/labels.sql
echo "wrote out/labels.db (from samples/labels.sql)"

rm -rf out/labels
mkdir -p out/labels
"$kdx" render -s EAN_13 --density Medium --jobs 0 \
  --db out/labels.db --sql "SELECT ean FROM products ORDER BY id" --field ean \
  -o "out/labels/{recno}-{field}.png"
echo "wrote out/labels/*.png ($(find out/labels -name '*.png' | wc -l) labels)"

"$kdx" print -s Code_39 --quality 600 --at 600,600 --font-size 48 -v \
  --db out/labels.db --sql "SELECT part FROM products ORDER BY id" --field part \
  -o out/labels.pdf
