#!/usr/bin/python3
"""The daily report written by openpyxl from the same rows and the same template,
the way the program writes it: one copy of the page template per lesson (and per
further 25 students), the lesson cells, the item names, a row per student; then
every sheet but the report removed and the workbook saved.

    /usr/bin/python3 peer_nippou.py ROWS.json TEMPLATE.xlsx OUT.xlsx [REPEAT]

ROWS.json comes from `bench_reports --peer-rows FOLDER`. Prints the best time of
REPEAT runs in seconds (the rows are in memory before the clock starts).
"""
import copy
import json
import re
import sys
import time

from openpyxl import load_workbook
from openpyxl.cell.cell import MergedCell
from openpyxl.utils import get_column_letter
from openpyxl.worksheet.merge import MergedCellRange
from openpyxl.worksheet.pagebreak import Break

PAGE_ROWS = 43
STUDENTS_PER_PAGE = 25
ITEM_ROW = 17
FIRST_STUDENT_ROW = 18
# (row offset, column, index of the value in a row of ROWS.json)
LESSON_CELLS = [(2, 2, 1), (2, 4, 2), (2, 6, 3), (2, 8, 4), (2, 10, 5), (2, 12, 6), (2, 14, 7),
                (2, 16, 8), (4, 3, 9), (7, 2, 10), (11, 2, 11), (13, 2, 12)]
STUDENT_CELLS = [(3, 13), (5, 14), (6, 15), (7, 16), (8, 17), (9, 18), (10, 19), (11, 20)]
PLAIN_NUMBER = re.compile(r"^(0|[1-9][0-9]*)(\.[0-9]+)?$")


def cell_value(text):
    """A typed value as the spreadsheet keeps it: plain numbers as numbers."""
    if text == "":
        return None
    if PLAIN_NUMBER.match(text):
        return float(text) if "." in text else int(text)
    return text


def copy_page(template, sheet, top):
    shift = top - 1
    # merge_cells() checks every existing merge first and redraws the borders of
    # the range, which makes a long report quadratic and slow; the pages never
    # overlap and the borders come with the copied styles, so the merged ranges
    # are set up directly, before the cells are copied into them.
    for m in template.merged_cells.ranges:
        if m.max_row <= PAGE_ROWS:
            merged = MergedCellRange(sheet, "%s%d:%s%d" % (get_column_letter(m.min_col), m.min_row + shift,
                                                         get_column_letter(m.max_col), m.max_row + shift))
            sheet.merged_cells.ranges.append(merged)
            cells = merged.cells
            next(cells)
            for row, col in cells:
                sheet._cells[row, col] = MergedCell(sheet, row, col)
    for row in template.iter_rows(min_row=1, max_row=PAGE_ROWS):
        for c in row:
            d = sheet.cell(row=c.row + shift, column=c.column)
            if not isinstance(d, MergedCell):
                d.value = c.value
            if c.has_style:
                d._style = copy.copy(c._style)
    for r in range(1, PAGE_ROWS + 1):
        height = template.row_dimensions[r].height
        if height is not None:
            sheet.row_dimensions[r + shift].height = height


def write_report(rows, items, template_path, out_path):
    book = load_workbook(template_path)
    sheet = book["日報"]
    template = book["日報雛型"]

    def head(top, row):
        for off, col, i in LESSON_CELLS:
            sheet.cell(row=top + off, column=col).value = cell_value(row[i])
        for k in range(4):
            sheet.cell(row=top + ITEM_ROW, column=7 + k).value = cell_value(items[k])

    def student(top, j, row):
        for col, i in STUDENT_CELLS:
            sheet.cell(row=top + FIRST_STUDENT_ROW + j, column=col).value = cell_value(row[i])

    page, j = 0, 0
    if rows:
        head(1, rows[0])
        student(1, 0, rows[0])
    for i in range(1, len(rows)):
        if rows[i][0] != rows[i - 1][0] or j + 1 == STUDENTS_PER_PAGE:
            page += 1
            j = 0
            top = page * PAGE_ROWS + 1
            copy_page(template, sheet, top)
            sheet.row_breaks.append(Break(id=top - 1))
            head(top, rows[i])
        else:
            j += 1
        student(page * PAGE_ROWS + 1, j, rows[i])
    sheet.print_area = "A1:P%d" % ((page + 1) * PAGE_ROWS)
    for name in book.sheetnames:
        if name != "日報":
            del book[name]
    book.active = 0
    book.save(out_path)
    return page + 1


def main():
    if len(sys.argv) not in (4, 5):
        print(__doc__, file=sys.stderr)
        return 2
    with open(sys.argv[1], encoding="utf-8") as f:
        data = json.load(f)
    repeat = int(sys.argv[4]) if len(sys.argv) == 5 else 1
    best = None
    pages = 0
    for _ in range(repeat):
        start = time.perf_counter()
        pages = write_report(data["rows"], data["items"], sys.argv[2], sys.argv[3])
        elapsed = time.perf_counter() - start
        best = elapsed if best is None else min(best, elapsed)
    print("pages %d seconds %.4f" % (pages, best))
    return 0


if __name__ == "__main__":
    sys.exit(main())
