"""Reads and writes tables with the python3-dbf package for the interop test.

  dbf_interop.py write PATH [TYPE]
                              creates PATH (TYPE db3 or vfp, default db3) with
                              the sample records below
  dbf_interop.py read PATH    prints each record as one line:
                              NAME|BORN(YYYYMMDD or -)|ACTIVE(T/F)|PAGES|PRICE (- when blank)|DELETED(T/F)
Exit status 3 when the dbf module is missing.
"""
import sys

try:
    import dbf
except ImportError:
    sys.exit(3)

import datetime

LAYOUT = "NAME C(20); BORN D; ACTIVE L; PAGES N(5,0); PRICE N(8,2)"
ROWS = [
    ("Smith", datetime.date(1970, 1, 31), True, 3, 1.25, False),
    ("O'Brien & Co", None, False, 0, 0.0, False),
    ("deleted one", datetime.date(2026, 12, 8), True, 99999, -12.5, True),
    ("", datetime.date(2000, 2, 29), False, 42, 123.45, False),
]


def write(path, kind="db3"):
    table = dbf.Table(path, LAYOUT, dbf_type=kind)
    table.open(dbf.READ_WRITE)
    for name, born, active, pages, price, deleted in ROWS:
        table.append((name, born, active, pages, price))
        if deleted:
            dbf.delete(table[-1])
    table.close()


def read(path):
    table = dbf.Table(path)
    table.open(dbf.READ_ONLY)
    for rec in table:
        born = rec.born.strftime("%Y%m%d") if rec.born else "-"
        # A blank numeric field (as APPEND BLANK leaves it) reads as None.
        pages = "-" if rec.pages is None else "%d" % rec.pages
        price = "-" if rec.price is None else "%.2f" % rec.price
        print("%s|%s|%s|%s|%s|%s" % (
            rec.name.rstrip(), born, "T" if rec.active else "F", pages, price,
            "T" if dbf.is_deleted(rec) else "F"))
    table.close()


if __name__ == "__main__":
    {"write": write, "read": read}[sys.argv[1]](*sys.argv[2:])
