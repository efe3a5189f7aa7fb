"""Reads a stored Office package as checking readers do and holds it to the agreed shape: each
part stored as its readable copy, every part typed, every relationship's target present; then
python-docx or openpyxl opens a document or workbook and finds it empty.

Usage: check_package.py PACKAGE PARTS_FOLDER. Any fault fails an assertion.
"""
import posixpath
import re
import sys
import zipfile

package, parts_folder = sys.argv[1:3]
archive = zipfile.ZipFile(package)
names = archive.namelist()
for info in archive.infolist():
    shape = (info.compress_type, info.flag_bits, info.create_system, info.create_version,
             info.extract_version, info.external_attr, info.extra, info.comment)
    assert shape == (8, 0, 3, 20, 20, 0o100600 << 16, b"", b""), (info.filename, shape)
    data = archive.read(info)
    with open(posixpath.join(parts_folder, info.filename), "rb") as part:
        assert data == part.read(), info.filename + " is not its readable part"
    assert data.startswith(b'<?xml version="1.0" encoding="UTF-8" standalone="yes"?>\n')
    assert not data.endswith(b"\n"), info.filename

types = archive.read("[Content_Types].xml").decode()
for default in ('<Default Extension="rels" ContentType="application/vnd.openxmlformats-package.'
                'relationships+xml"/>', '<Default Extension="xml" ContentType="application/xml"/>'):
    assert default in types, default
overridden = sorted(re.findall(r'<Override PartName="([^"]+)"', types))
assert overridden == sorted("/" + n for n in names if not n.endswith((".rels", "Types].xml")))

for name in (n for n in names if "_rels/" in n):
    folder, rels = name.split("_rels/")
    assert name == "_rels/.rels" or folder + rels[:-len(".rels")] in names, name
    data = archive.read(name).decode()
    ids = re.findall(r'Id="([^"]+)"', data)
    assert ids and len(ids) == len(set(ids)), name
    for target in re.findall(r'Target="([^"]+)"', data):
        assert posixpath.normpath(posixpath.join(folder, target)) in names, (name, target)

if package.endswith(".docx"):
    import docx
    assert [p.text for p in docx.Document(package).paragraphs] == [""]
elif package.endswith(".xlsx"):
    import openpyxl
    book = openpyxl.load_workbook(package)
    assert book.sheetnames == ["Sheet1"], book.sheetnames
    sheet = book["Sheet1"]
    assert sheet.max_row == 1 and sheet.max_column == 1 and sheet["A1"].value is None
