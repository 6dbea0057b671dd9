#!/usr/bin/env python3
"""Reads a MATLAB file with scipy and prints each double matrix: a line
"name rows columns", then its values column after column, one a line, as
exact hexadecimal floats ("nan" for NaN)."""
import sys

import scipy.io

for name, value in sorted(scipy.io.loadmat(sys.argv[1]).items()):
    if name.startswith("__"):
        continue
    rows, columns = value.shape
    print(name, rows, columns)
    for column in range(columns):
        for row in range(rows):
            print(float(value[row, column]).hex())
