"""Reads the event-code tables of the configurator as a screen reader does,
through AT-SPI: each table by its name, its rows without the header row, its
column headers, every code cell's text and its state (disabled, ticked).

Usage: event_codes_walk.py CONFIGURATOR CLI"""

import json
import os
import sys
import time

from atspi_session import Session, fail, find_application

SEPARATE = "Внутренние события с отдельным кодом для каждой пары"
COMMON = "Внутренние события с общим кодом для обеих пар"
EXTERNAL = "Внешние коды событий ППКП"
HIGH_PRIORITY = (1, 2, 4, 6)


def separate_code(row, pair):
    return "%d5%02d" % (pair + 2, row)           # 3501, 4501, 3502 ...


def external_zones(row, pair):
    """Zone codes of a cell: zone 0 alone on most rows, a few zones on some."""
    if row % 10 == 3:
        return {"0": "1111", "3": "0A03", "7": "0A07"}   # "2 зоны"
    return {"0": "%d%03X" % (pair, row)}                 # 1001, 2001 ...


def external_text(row, pair):
    zones = external_zones(row, pair)
    return "2 зоны" if len(zones) > 1 else zones["0"]


def configuration():
    return {
        "mgdSeparateInternalEvents": [
            {"№": str(r), "Код для пары №1": separate_code(r, 1),
             "Код для пары №2": separate_code(r, 2)}
            for r in range(1, 9)],
        "mgdCommonInternalEvents": [{"№": "9", "Общий код": "13AF"}],
        "mgdExternalEvents": [
            {"№": str(r), "Код для пары №1": external_zones(r, 1),
             "Код для пары №2": external_zones(r, 2),
             "В/П": r in HIGH_PRIORITY, "О/С": r == 60}
            for r in range(1, 61)],
    }


def walk(node, depth=0):
    yield node
    if depth > 40:
        return
    for i in range(node.childCount):
        child = node.getChildAtIndex(i)
        if child is not None:
            yield from walk(child, depth + 1)


def table_named(pyatspi, window, name):
    for node in walk(window):
        if node.getRole() == pyatspi.ROLE_TABLE and node.name == name:
            return node
    fail("no table named %r; tables: %r" % (name, [
        n.name for n in walk(window) if n.getRole() == pyatspi.ROLE_TABLE]))


def show_page(pyatspi, window, caption):
    """Presses the page's tab, as a screen reader user does, until it is selected."""
    tab = next((n for n in walk(window)
                if n.getRole() == pyatspi.ROLE_PAGE_TAB and n.name == caption), None)
    if tab is None:
        fail("no page tab named %r" % caption)
    tab.queryAction().doAction(0)
    for _ in range(100):
        if tab.getState().contains(pyatspi.STATE_SELECTED):
            return
        time.sleep(0.05)
    fail("the page tab %r is not selected after it was pressed" % caption)


def cell_text(cell):
    text = cell.queryText()
    return text.getText(0, text.characterCount)


def check_headers(table, expected, what):
    table_iface = table.queryTable()
    for column, header in enumerate(expected):
        cell = table_iface.getColumnHeader(column)
        if cell is None or cell.name != header:
            fail("%s: column %d header %r, expected %r" % (
                what, column, None if cell is None else cell.name, header))


def check_code_cell(pyatspi, table, row, column, expected, what, enabled=True):
    cell = table.queryTable().getAccessibleAt(row, column)
    if cell is None:
        fail("%s: no cell at row %d, column %d" % (what, row, column))
    if cell_text(cell) != expected:
        fail("%s: row %d, column %d reads %r, expected %r" % (
            what, row, column, cell_text(cell), expected))
    states = cell.getState()
    if states.contains(pyatspi.STATE_ENABLED) != enabled:
        fail("%s: row %d, column %d enabled is %s" % (what, row, column, not enabled))
    return cell


def main():
    configurator, cli = os.path.abspath(sys.argv[1]), os.path.abspath(sys.argv[2])
    with Session() as session:
        source = os.path.join(session.folder, "codes.json")
        snc = os.path.join(session.folder, "codes.snc")
        with open(source, "w", encoding="utf-8") as f:
            json.dump(configuration(), f, ensure_ascii=False)
        made = session.run([cli, "json", "--import", source, "-o", snc])
        if made.returncode != 0:
            fail("sr5n-cli json --import: " + made.stderr)
        session.start([configurator, snc])

        import pyatspi
        app = find_application(pyatspi, "sr5n-configurator")
        window = next((w for w in (app.getChildAtIndex(i) for i in range(app.childCount))
                       if w is not None and w.name.startswith("СР-5/Н Конфигуратор")), None)
        if window is None:
            fail("no main window among %r" % [app.getChildAtIndex(i).name
                                              for i in range(app.childCount)])
        if window.getRole() != pyatspi.ROLE_FRAME:
            fail("the main window's role is %s, not frame" % window.getRoleName())

        named = {n.name: n for n in walk(window) if n.name}
        for name, role in (("Порт и команды", None),
                           ("Значок порта подключения", None)):
            if name not in named or (role is not None and named[name].getRole() != role):
                fail("nothing named %r with role %s" % (name, role))

        show_page(pyatspi, window, "Внутренние коды")
        separate = table_named(pyatspi, window, SEPARATE)
        common = table_named(pyatspi, window, COMMON)
        show_page(pyatspi, window, "Внешние коды")
        external = table_named(pyatspi, window, EXTERNAL)
        for table, rows, columns in ((separate, 8, 4), (common, 1, 3), (external, 60, 6)):
            t = table.queryTable()
            if (t.nRows, t.nColumns) != (rows, columns):
                fail("%s: %d rows, %d columns; expected %d, %d" % (
                    table.name, t.nRows, t.nColumns, rows, columns))
        check_headers(separate, ["№", "Событие", "Код для пары №1", "Код для пары №2"], SEPARATE)
        check_headers(common, ["№", "Событие", "Общий код"], COMMON)
        check_headers(external, ["№", "Событие", "Код для пары №1", "Код для пары №2",
                                 "В/П", "О/С"], EXTERNAL)

        read = 0
        for r in range(8):
            for pair in (1, 2):
                check_code_cell(pyatspi, separate, r, 1 + pair, separate_code(r + 1, pair),
                                SEPARATE)
                read += 1
            # The event's number and name head the row.
            table = separate.queryTable()
            name = table.getAccessibleAt(r, 1)
            if name.getRole() != pyatspi.ROLE_TABLE_ROW_HEADER or not name.name:
                fail("%s: row %d is headed by a %s %r" % (
                    SEPARATE, r, name.getRoleName(), name.name))
            if table.getRowDescription(r) != "%d %s" % (r + 1, name.name):
                fail("%s: row %d is described as %r, not %r" % (
                    SEPARATE, r, table.getRowDescription(r), "%d %s" % (r + 1, name.name)))
        check_code_cell(pyatspi, common, 0, 2, "13AF", COMMON)
        read += 1
        for r in range(60):
            for pair in (1, 2):
                check_code_cell(pyatspi, external, r, 1 + pair, external_text(r + 1, pair),
                                EXTERNAL)
                read += 1
            # Four events marked high priority: the other boxes of that column
            # are disabled; the mandatory column has one mark and stays open.
            marked = (r + 1) in HIGH_PRIORITY
            box = check_code_cell(pyatspi, external, r, 4, "", EXTERNAL, enabled=marked)
            if box.getRole() != pyatspi.ROLE_CHECK_BOX:
                fail("%s: row %d, В/П is a %s" % (EXTERNAL, r, box.getRoleName()))
            if box.getState().contains(pyatspi.STATE_CHECKED) != marked:
                fail("%s: row %d, В/П ticked is %s" % (EXTERNAL, r, not marked))
            mandatory = check_code_cell(pyatspi, external, r, 5, "", EXTERNAL)
            if mandatory.getState().contains(pyatspi.STATE_CHECKED) != (r == 59):
                fail("%s: row %d, О/С ticked is %s" % (EXTERNAL, r, r != 59))
        print("read %d codes and 120 marks with their states" % read)


if __name__ == "__main__":
    main()
