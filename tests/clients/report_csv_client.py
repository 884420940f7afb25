#!/usr/bin/env python3
"""Reads the CSV log with a real spreadsheet program (Gnumeric's ssconvert, headless) and checks
that every row has its nine fields in their columns and that no field became a formula.
Usage: report_csv_client.py KestromLog.csv"""
import os
import shutil
import subprocess
import sys
import tempfile

if not shutil.which("ssconvert"):
    print("ssconvert (Debian package gnumeric) is not installed: skipped")
    sys.exit(77)

SEP = "\x1f"


def cells(csv_bytes):
    """The sheet's rows as the spreadsheet shows their values."""
    with tempfile.TemporaryDirectory() as d:
        src, out = os.path.join(d, "log.csv"), os.path.join(d, "out.txt")
        with open(src, "wb") as f:
            f.write(csv_bytes)
        subprocess.run(["ssconvert", "-I", "Gnumeric_stf:stf_csvtab", "-T", "Gnumeric_stf:stf_assistant",
                        "-O", f"separator={SEP} quoting-mode=never eol=unix", src, out],
                       check=True, stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
        with open(out, "rb") as f:
            text = f.read().decode("cp1252")
    # A cell's own line breaks stay inside the row: rows end where a line has all its fields.
    rows, current = [], ""
    for line in text.split("\n"):
        current = line if not current else current + "\n" + line
        if current.count(SEP) >= 8 or line == "":
            rows.append(current.split(SEP))
            current = ""
    return [r for r in rows if any(r)]


path = sys.argv[1]
with open(path, "rb") as f:
    raw = f.read()
failures = []
rows = cells(raw)
header = rows[2] if len(rows) > 2 else []
if [h.strip() for h in header] != ["Type", "SubType", "Title", "Filename", "Company", "First Detected", "Path",
                                   "Description", "Version"]:
    failures.append(f"column line read as {header}")
data = rows[3:]
for r in data:
    if len(r) != 9:
        failures.append(f"row with {len(r)} fields: {r}")
    elif r[0] not in ("HKLM", "HKCU", "UnknownKey", "Startup", "Delayed Start", "Active Tasks", "IE Helpers",
                      "ActiveX", "Services", "Scheduled Tasks"):
        failures.append(f"row whose Type column holds {r[0]!r}: {r}")
titles = [r[2] for r in data if len(r) == 9]
for expected in ("Acme, Inc \"Agent\"", "=1+1", "@SUM(1;2)", "two\nlines"):
    if expected not in titles:
        failures.append(f"title {expected!r} not read back as text; titles: {titles}")
if "2" in titles:
    failures.append("a title was run as a formula")
# The check can fail: the same file without the guard has its formula run.
bare = raw.replace(b"'=1+1", b"=1+1")
if "2" not in [r[2] for r in cells(bare)[3:] if len(r) > 2]:
    failures.append("the spreadsheet did not run an unguarded formula; the check proves nothing")

for f in failures:
    print("FAIL:", f)
print(f"{len(data)} rows checked")
sys.exit(1 if failures else 0)
