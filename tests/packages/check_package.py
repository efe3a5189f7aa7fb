"""Reads a stored Office package as a checking reader would and holds it to the agreed shape.

Usage: check_package.py PACKAGE PARTS_FOLDER PARTS_LIST. Any fault fails an assertion.
"""
import posixpath
import re
import sys
import zipfile

package, parts_folder, parts_list = sys.argv[1:4]
archive = zipfile.ZipFile(package)
assert archive.testzip() is None, "an entry fails its CRC"
assert not archive.comment
names = [info.filename for info in archive.infolist()]
assert names == open(parts_list).read().split(), names

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
assert '<Default Extension="rels" ContentType="application/vnd.openxmlformats-package.' \
    'relationships+xml"/>' in types
assert '<Default Extension="xml" ContentType="application/xml"/>' in types
overridden = sorted(re.findall(r'<Override PartName="([^"]+)"', types))
parts = sorted("/" + n for n in names if n != "[Content_Types].xml" and not n.endswith(".rels"))
assert overridden == parts, (overridden, parts)

relationships = 0
for name in (n for n in names if "_rels/" in n):
    folder, rels = name.split("_rels/")
    assert name == "_rels/.rels" or folder + rels[:-len(".rels")] in names, name
    data = archive.read(name).decode()
    ids = re.findall(r'Id="([^"]+)"', data)
    assert len(ids) == len(set(ids)), name
    for target in re.findall(r'Target="([^"]+)"', data):
        relationships += 1
        assert posixpath.normpath(posixpath.join(folder, target)) in names, (name, target)
assert relationships >= 2
