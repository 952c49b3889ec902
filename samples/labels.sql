-- Sample products for the kdx examples: scripts/sample.sh builds out/labels.db
-- from this script with the sqlite3 command (sqlite3 out/labels.db < samples/labels.sql).
-- ean holds EAN-13 numbers with their check digit (in-store prefix 2); kdx draws the
-- first 12 digits and computes the check digit again. part is a Code 39 part number.
-- Text is UTF-8, as SQLite stores it.
DROP TABLE IF EXISTS products;
CREATE TABLE products (
  id    INTEGER PRIMARY KEY,
  ean   TEXT NOT NULL,
  part  TEXT NOT NULL,
  name  TEXT NOT NULL,
  price REAL
);
INSERT INTO products (id, ean, part, name, price) VALUES
  (1, '2001234000017', 'HB-M8-40', 'Hex bolt M8 x 40', 0.18),
  (2, '2001234000024', 'WA-M8-ZN', 'Washer M8, zinc', 0.03),
  (3, '2001234000031', 'WN-M6', 'Wing nut M6', 0.22),
  (4, '2001234000048', 'WS-4X30', 'Wood screw 4 x 30', 0.05),
  (5, '2001234000055', 'CT-200', 'Cable tie 200 mm', 0.04),
  (6, '2001234000062', 'HG-60-BR', 'Hinge 60 mm, brass', 2.95),
  (7, '2001234000079', 'SB-150', 'Shelf bracket 150 mm', 1.60),
  (8, '2001234000086', 'HK-S', 'S-hook', 0.45),
  (9, '2001234000093', 'SP-10X50', 'Compression spring 10 x 50', 0.80),
  (10, '2001234000109', 'TL-710', 'Café table leg 71 cm', 12.50);
