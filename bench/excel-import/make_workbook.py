#!/usr/bin/python3
# Writes the benchmark workbook (BIFF8, with xlwt) and the same data as CSV:
# a heading row and ROWS customers of 18 text columns, in the order of the
# customer fields, each value within its field's cut length.
import csv
import sys

import xlwt

rows = int(sys.argv[3]) if len(sys.argv) > 3 else 25000
xls_path, csv_path = sys.argv[1], sys.argv[2]
headings = ["nominativo", "seconda_riga", "indirizzo", "cap", "pr", "citta", "nazione", "codfis", "piva",
            "pivacee", "tel", "tel2", "fax", "fax2", "contatto", "telcont", "email", "www"]
cities = ["Milano", "Roma", "Torino", "Forlì", "Bari", "Città di Castello"]


def customer(i):
    return [f"Cliente {i:05d} S.r.l.", "Società à responsabilità limitata", f"Via Garibaldi, {i % 300 + 1}",
            f"{10000 + i % 89999:05d}", "MI", cities[i % len(cities)], "Italia", f"RSSMRA80A01F{i % 1000:03d}X",
            f"{i:011d}", f"IT{i:011d}", f"06 {i:07d}", f"06 {i + 1:07d}", f"06 {i + 2:07d}", "",
            "Sig. Rossi", f"333 {i:07d}", f"cliente{i}@esempio.it", f"www.cliente{i}.esempio.it"]


book = xlwt.Workbook(encoding="utf-8")
sheet = book.add_sheet("Clienti")
with open(csv_path, "w", newline="", encoding="utf-8") as out:
    writer = csv.writer(out)
    writer.writerow(headings)
    for c, h in enumerate(headings):
        sheet.write(0, c, h)
    for i in range(1, rows + 1):
        values = customer(i)
        writer.writerow(values)
        for c, v in enumerate(values):
            if v:
                sheet.write(i, c, v)
book.save(xls_path)
