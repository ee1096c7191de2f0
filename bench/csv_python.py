#!/usr/bin/env python3
"""The comparison for `velkaro table`: Python's csv module reading the same
semicolon file and writing one JSON array a record, as `velkaro table` does.

  csv_python.py make ROWS FILE [ENC]  writes a contact export of ROWS rows
                                      (CR LF, ten columns, now and then a
                                      quoted field holding the separator) in
                                      ENC: cp1252 (the default) or utf-8
  csv_python.py xlsx ROWS FILE        the same rows as a workbook (.xlsx or
  csv_python.py ods ROWS FILE         .ods), every cell a text
  csv_python.py read FILE [ENC]       reads FILE with csv and writes JSON
                                      lines, byte for byte what `velkaro
                                      table` writes for such a file

Measured in the README's benchmark section with
  /usr/bin/time -f '%e s %M KiB' build/cli/velkaro table FILE >/dev/null
  /usr/bin/time -f '%e s %M KiB' python3 bench/csv_python.py read FILE >/dev/null
"""
import csv
import json
import sys
import zipfile
from xml.sax.saxutils import escape

SURNAMES = ["Müller", "Schmidt", "Schneider", "Fischer", "Weber", "Meyer", "Wagner", "Becker",
            "Schulz", "Hoffmann", "Schäfer", "Koch", "Bauer", "Richter", "Klein", "Wolf"]
FIRST = ["Anna", "Jürgen", "Petra", "Hans", "Sabine", "Uwe", "Birgit", "Karl", "Renate", "Björn"]
TOWNS = ["10115 Berlin", "20095 Hamburg", "80331 München", "50667 Köln", "60311 Frankfurt",
         "70173 Stuttgart", "40213 Düsseldorf", "04109 Leipzig"]
NOTES = ["", "Kunde seit 2009", "nur vormittags", "Rückruf erbeten", "Geburtstag im Mai"]


def make(rows, path, encoding):
    with open(path, "w", encoding=encoding, newline="") as out:
        out.write("Name;Vorname;Straße;PLZ;Ort;Telefon;Mobil;E-Mail;Firma;Notiz\r\n")
        for i in range(rows - 1):
            town = TOWNS[i % len(TOWNS)]
            name = SURNAMES[i % len(SURNAMES)]
            first = FIRST[(i // len(SURNAMES)) % len(FIRST)]
            company = '"Müller; Söhne GmbH"' if i % 10 == 0 else f"Firma {i % 50}"
            out.write(f"{name};{first};Hauptstraße {i % 200 + 1};{town[:5]};{town[6:]};"
                      f"0{30 + i % 70} {100000 + i * 7 % 900000};0171 {i * 13 % 10000000:07d};"
                      f"{first.lower()}.{i}@example.org;{company};{NOTES[i % len(NOTES)]}\r\n")


def rows_of(count):
    for i in range(count - 1):
        town = TOWNS[i % len(TOWNS)]
        first = FIRST[(i // len(SURNAMES)) % len(FIRST)]
        yield [SURNAMES[i % len(SURNAMES)], first, f"Hauptstraße {i % 200 + 1}", town[:5], town[6:],
               f"0{30 + i % 70} {100000 + i * 7 % 900000}", f"0171 {i * 13 % 10000000:07d}",
               f"{first.lower()}.{i}@example.org", "Müller; Söhne GmbH" if i % 10 == 0 else f"Firma {i % 50}",
               NOTES[i % len(NOTES)]]


def workbook(kind, count, path):
    heading = ["Name", "Vorname", "Straße", "PLZ", "Ort", "Telefon", "Mobil", "E-Mail", "Firma", "Notiz"]
    with zipfile.ZipFile(path, "w", zipfile.ZIP_DEFLATED) as z:
        if kind == "xlsx":
            z.writestr("xl/workbook.xml", '<workbook xmlns="http://schemas.openxmlformats.org/spreadsheetml/2006/main">'
                       '<sheets><sheet name="Adressen"/></sheets></workbook>')
            cell = '<c t="inlineStr"><is><t>{}</t></is></c>'
            with z.open("xl/worksheets/sheet1.xml", "w") as out:
                out.write(b'<worksheet xmlns="http://schemas.openxmlformats.org/spreadsheetml/2006/main"><sheetData>')
                for row in [heading, *rows_of(count)]:
                    out.write(("<row>" + "".join(cell.format(escape(v)) for v in row) + "</row>").encode())
                out.write(b"</sheetData></worksheet>")
        else:
            z.writestr("mimetype", "application/vnd.oasis.opendocument.spreadsheet", zipfile.ZIP_STORED)
            cell = '<table:table-cell office:value-type="string"><text:p>{}</text:p></table:table-cell>'
            with z.open("content.xml", "w") as out:
                out.write(b'<office:document-content xmlns:office="urn:oasis:names:tc:opendocument:xmlns:office:1.0"'
                          b' xmlns:table="urn:oasis:names:tc:opendocument:xmlns:table:1.0"'
                          b' xmlns:text="urn:oasis:names:tc:opendocument:xmlns:text:1.0"><office:body>'
                          b'<office:spreadsheet><table:table table:name="Adressen">')
                for row in [heading, *rows_of(count)]:
                    out.write(("<table:table-row>" + "".join(cell.format(escape(v)) for v in row)
                               + "</table:table-row>").encode())
                out.write(b"</table:table></office:spreadsheet></office:body></office:document-content>")


def read(path, encoding):
    out = sys.stdout
    with open(path, encoding=encoding, newline="") as f:
        for row in csv.reader(f, delimiter=";"):
            out.write(json.dumps(row, ensure_ascii=False, separators=(",", ":")))
            out.write("\n")


if __name__ == "__main__":
    args = sys.argv[1:]
    encoding = args.pop() if len(args) in (3, 4) and args[-1] in ("cp1252", "utf-8") else "cp1252"
    if len(args) == 3 and args[0] == "make":
        make(int(args[1]), args[2], encoding)
    elif len(args) == 3 and args[0] in ("xlsx", "ods"):
        workbook(args[0], int(args[1]), args[2])
    elif len(args) == 2 and args[0] == "read":
        read(args[1], encoding)
    else:
        sys.exit(__doc__)
