"""Writes and reads the phone book table with the python3-dbf package.

  pxpb_interop.py write PATH   creates PATH with the fields of PXPB and three entries
  pxpb_interop.py read PATH    prints each record as NAME|PHONE|DELETED(T/F)
Exit status 3 when the dbf module is missing.
"""
import sys

try:
    import dbf
except ImportError:
    sys.exit(3)

ENTRIES = [("Zeta Works", "555 0199"), ("Ada Lovelace", "+44 20 7946 0000"),
           ("acme lower", "0800 123")]


def write(path):
    table = dbf.Table(path, "NAME C(35); PHONE C(25)", dbf_type="db3")
    table.open(dbf.READ_WRITE)
    for entry in ENTRIES:
        table.append(entry)
    table.close()


def read(path):
    table = dbf.Table(path)
    table.open(dbf.READ_ONLY)
    for rec in table:
        print("%s|%s|%s" % (rec.name.rstrip(), rec.phone.rstrip(),
                            "T" if dbf.is_deleted(rec) else "F"))
    table.close()


if __name__ == "__main__":
    {"write": write, "read": read}[sys.argv[1]](*sys.argv[2:])
