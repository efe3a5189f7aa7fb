"""Reads a stored Office package as checking readers do and holds it to the agreed shape: each
part stored as its readable copy, every part typed and reached by a relationship, every
relationship's target present and of the content type the relationship names; then
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

# A relationship's type names what its target is: the target's content type must say the same
# (officeDocument: the package's main part; theme: shared by all three markup languages).
ml, main = {"docx": ("wordprocessingml", "document"), "xlsx": ("spreadsheetml", "sheet"),
            "pptx": ("presentationml", "presentation")}[package.rsplit(".", 1)[1]]
content_types = dict(re.findall(r'<Override PartName="/([^"]+)" ContentType="([^"]+)"', types))
targets = set()
for name in (n for n in names if "_rels/" in n):
    folder, rels = name.split("_rels/")
    assert name == "_rels/.rels" or folder + rels[:-len(".rels")] in names, name
    data = archive.read(name).decode()
    ids = re.findall(r'Id="([^"]+)"', data)
    assert ids and len(ids) == len(set(ids)), name
    for kind, target in re.findall(r'Type="http://schemas.openxmlformats.org/officeDocument/2006/'
                                   r'relationships/(\w+)" Target="([^"]+)"', data):
        path = posixpath.normpath(posixpath.join(folder, target))
        assert path in names, (name, target)
        targets.add(path)
        expected = {"officeDocument": f"{ml}.{main}.main", "theme": "theme"}.get(kind,
                                                                                f"{ml}.{kind}")
        assert content_types[path] == \
            f"application/vnd.openxmlformats-officedocument.{expected}+xml", (name, kind, path)
    assert len(ids) == data.count(" Target="), name + ": a relationship of another type"
assert targets == set(content_types), set(content_types) - targets

if package.endswith(".docx"):
    import docx
    assert [p.text for p in docx.Document(package).paragraphs] == [""]
elif package.endswith(".xlsx"):
    import openpyxl
    book = openpyxl.load_workbook(package)
    assert book.sheetnames == ["Sheet1"], book.sheetnames
    sheet = book["Sheet1"]
    assert sheet.max_row == 1 and sheet.max_column == 1 and sheet["A1"].value is None
