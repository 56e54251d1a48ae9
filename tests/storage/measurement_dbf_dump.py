# Prints a dBase file as dbfread reads it: each field's name, type and length, then each record's FREQ and AMPL.
import sys

from dbfread import DBF

table = DBF(sys.argv[1], load=False)
for field in table.fields:
    print(f"field {field.name} {field.type} {field.length}")
for record in table:
    print(f"{record['FREQ']} {record['AMPL']}")
