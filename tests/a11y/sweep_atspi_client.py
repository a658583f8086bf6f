"""The sweep window's table as a screen reader meets it, through AT-SPI like a real client.

Started by run_atspi_test.sh with the program reading the example amplifier and filter
(docs/examples) from its command line. Finds the table of every point, reads its size and cells
through the Table interface, and checks that each cell speaks its row's frequency first, and that
the summary gives the band. Exits non-zero with a message on the first failed check.
"""

import sys

import pyatspi

from atspi_client import TIMEOUT, fail, find_application, text_of, wait_for, walk


def find(app, name):
    for node in walk(app):
        if node.name == name:
            return node
    return None


def main():
    app = wait_for(find_application, "the program on the accessibility bus", timeout=3 * TIMEOUT)
    table = wait_for(lambda: find(app, "Every frequency point"), "the sweep window's table")
    # The rows come once both files have been read, in the background.
    cells = wait_for(lambda: table.queryTable().nRows >= 401 and table.queryTable(),
                     "the table's 401 rows", timeout=3 * TIMEOUT)
    if cells.nRows != 401 or cells.nColumns != 9:
        fail("the table has %d rows and %d columns" % (cells.nRows, cells.nColumns))
    headers = [cells.getColumnHeader(c).name for c in range(cells.nColumns)]
    if headers[:6] != ["Frequency", "ΓS", "ΓL", "M", "ML (dB)", "RL (dB)"]:
        fail("column headers %r" % headers)
    first = [cells.getAccessibleAt(0, c).name for c in range(cells.nColumns)]
    if first[0] != "2 GHz":
        fail("the first row's frequency reads %r" % first[0])
    for name in first[1:]:
        if not name.startswith("2 GHz, "):
            fail("a cell of the first row does not speak its frequency first: %r" % name)
    if first[4] != "2 GHz, ML (dB) 27.14":
        fail("the first row's mismatch loss reads %r" % first[4])
    last = cells.getAccessibleAt(400, 0).name
    if last != "2.8 GHz":
        fail("the last row's frequency reads %r" % last)
    summary = find(app, "Summary of the sweep")
    if summary is None or "401 frequency points from 2 GHz to 2.8 GHz" not in text_of(summary):
        fail("the summary does not give the band: %r" % (summary and text_of(summary)))
    print("sweep table read through AT-SPI: 401 rows, 9 columns")


if __name__ == "__main__":
    sys.exit(main())
