#!/usr/bin/python3
# Writes the benchmark data (the CSV of make_workbook.py) as .xlsx (openpyxl,
# shared strings) and as .ods (content.xml as spreadsheet programs write it,
# one text:p per cell, zipped here), for timing the two zip-based readers
# on the same cells.
import csv
import sys
import zipfile
from xml.sax.saxutils import escape

import openpyxl

csv_path, xlsx_path, ods_path = sys.argv[1:4]
with open(csv_path, encoding="utf-8", newline="") as f:
    rows = list(csv.reader(f))

book = openpyxl.Workbook(write_only=True)
sheet = book.create_sheet("Clienti")
for row in rows:
    sheet.append([v if v else None for v in row])
book.save(xlsx_path)


def cell(v):
    if not v:
        return "<table:table-cell/>"
    return ('<table:table-cell office:value-type="string" calcext:value-type="string"><text:p>%s</text:p>'
            "</table:table-cell>" % escape(v))


body = "".join("<table:table-row>%s</table:table-row>" % "".join(cell(v) for v in row) for row in rows)
content = ('<?xml version="1.0" encoding="UTF-8"?>\n<office:document-content '
           'xmlns:office="urn:oasis:names:tc:opendocument:xmlns:office:1.0" '
           'xmlns:table="urn:oasis:names:tc:opendocument:xmlns:table:1.0" '
           'xmlns:text="urn:oasis:names:tc:opendocument:xmlns:text:1.0" '
           'xmlns:calcext="urn:org:documentfoundation:names:experimental:calc:xmlns:calcext:1.0" office:version="1.2">'
           '<office:body><office:spreadsheet><table:table table:name="Clienti">'
           '<table:table-column table:number-columns-repeated="18"/>%s</table:table>'
           "</office:spreadsheet></office:body></office:document-content>" % body)
with zipfile.ZipFile(ods_path, "w", zipfile.ZIP_DEFLATED) as z:
    z.writestr(zipfile.ZipInfo("mimetype"), "application/vnd.oasis.opendocument.spreadsheet", zipfile.ZIP_STORED)
    z.writestr("content.xml", content)
