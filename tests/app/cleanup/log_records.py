"""Reads a fax log with the python3-dbf package.

  log_records.py PATH FIELD   prints each record as FIELD|DELETED(T/F)
Exit status 3 when the dbf module is missing.
"""
import sys

try:
    import dbf
except ImportError:
    sys.exit(3)


def read(path, field):
    table = dbf.Table(path)
    table.open(dbf.READ_ONLY)
    for rec in table:
        print("%s|%s" % (str(rec[field.lower()]).rstrip(), "T" if dbf.is_deleted(rec) else "F"))
    table.close()


if __name__ == "__main__":
    read(sys.argv[1], sys.argv[2])
