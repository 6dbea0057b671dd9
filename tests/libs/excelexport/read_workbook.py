#!/usr/bin/python3
# Reads a workbook with openpyxl and prints its sheets, cells (value, kind,
# number format) and active sheet as JSON, for the tests to compare.
import json
import sys

import openpyxl

with open(sys.argv[1], "rb") as f:  # a file object: the name may end in ".xls"
    wb = openpyxl.load_workbook(f)
out = {"active": wb.active.title if wb.active is not None else "", "sheets": []}
for ws in wb.worksheets:
    cells = {}
    # Only the cells present: iterating a sheet's whole dimension would
    # visit every cell up to its last row and column.
    for _, c in sorted(ws._cells.items()):
        v = c.value
        if v is None:
            continue
        if True:
            if isinstance(v, bool):
                kind, v = "b", 1.0 if v else 0.0
            elif isinstance(v, (int, float)):
                kind, v = "n", float(v)
            else:
                kind, v = "s", str(v)
            cells[c.coordinate] = {"kind": kind, "value": v, "format": c.number_format}
    out["sheets"].append({"name": ws.title, "cells": cells})
print(json.dumps(out))
