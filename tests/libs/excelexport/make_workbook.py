#!/usr/bin/python3
# Writes the existing workbooks the workbook writer's tests open: two sheets
# of numbers (with number formats), texts and a boolean, optionally with a
# formula, a chart or a picture part added.
import sys
import zipfile

import openpyxl
from openpyxl.chart import BarChart, Reference

path, kind = sys.argv[1], sys.argv[2]
wb = openpyxl.Workbook()
first = wb.active
first.title = "甲"
first["A1"] = 1.5
first["A1"].number_format = "0.000"
first["A2"] = "文字"
first["A3"] = True
first["B1"] = 0.25
first["B1"].number_format = "0.00%"
first["C5"] = 12345678901
second = wb.create_sheet("乙")
second["A1"] = "x"
second["B2"] = -2.5
if kind == "formula":
    first["A4"] = "=A1*2"
if kind == "chart":
    chart = BarChart()
    chart.add_data(Reference(second, min_col=2, min_row=1, max_row=2))
    second.add_chart(chart, "D2")
wb.save(path)
if kind == "picture":
    with zipfile.ZipFile(path, "a") as z:
        z.writestr("xl/media/image1.png", b"\x89PNG\r\n\x1a\n")
