#!/usr/bin/env python3
"""What a plain script does with the same order file, for comparison with the import:
Python's csv module reading a Seller Hub Orders report into SQLite in one transaction,
one text column per title, the rows before the titles and the summary rows after the
orders left out.

    import_compare.py ORDERS.csv STORE.db

Prints the rows inserted, the seconds taken from opening the file to the commit, and the
peak memory of the script in kB (VmHWM, counted from the start of the script itself).
"""
import csv
import sqlite3
import sys
import time


def peak_kb():
    with open("/proc/self/status") as status:
        for line in status:
            if line.startswith("VmHWM:"):
                return int(line.split()[1])
    return 0


def main(orders, store):
    started = time.perf_counter()
    db = sqlite3.connect(store)
    with open(orders, newline="", encoding="utf-8-sig") as f:
        rows = csv.reader(f)
        titles = None
        for row in rows:
            if "Order Number" in row:
                titles = row
                break
        if titles is None:
            sys.exit("no title row in " + orders)
        columns = ", ".join('"c%d" TEXT' % i for i in range(len(titles)))
        db.execute("CREATE TABLE IF NOT EXISTS orders (%s)" % columns)
        insert = "INSERT INTO orders VALUES (%s)" % ", ".join("?" * len(titles))
        count = 0
        with db:  # one transaction
            for row in rows:
                if not any(row):
                    continue
                if row[0].startswith("Seller ID") or (len(row) > 1 and "record(s) downloaded" in row[1]):
                    break
                row = (row + [""] * len(titles))[: len(titles)]
                db.execute(insert, row)
                count += 1
    db.close()
    print(count, "%.3f" % (time.perf_counter() - started), peak_kb())


if __name__ == "__main__":
    if len(sys.argv) != 3:
        sys.exit(__doc__)
    main(sys.argv[1], sys.argv[2])
