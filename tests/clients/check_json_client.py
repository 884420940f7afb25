#!/usr/bin/env python3
"""Reads the check program's JSON Lines with Python's own JSON parser: every line one object,
every finding with all its fields, and the last line's counts matching the findings above it.
Usage: check_json_client.py findings.jsonl"""
import collections
import json
import sys

FIELDS = {"category", "kind", "code", "location", "title", "file", "command", "company", "version",
          "first_detected"}

with open(sys.argv[1], "rb") as f:
    raw = f.read()
text = raw.decode("utf-8")  # fails on anything that is not UTF-8
lines = text.split("\n")
assert lines[-1] == "", "the last line ends with a line feed"
objects = [json.loads(line) for line in lines[:-1]]
findings, summary = objects[:-1], objects[-1]
assert findings, "the sample run has findings"
counts = collections.Counter()
for f in findings:
    missing = FIELDS - f.keys()
    assert not missing, f"finding without {missing}: {f}"
    assert isinstance(f["code"], int)
    assert f["kind"] in ("new", "changed", "put back"), f
    if "sha256" in f:
        assert len(f["sha256"]) == 64 and all(c in "0123456789abcdef" for c in f["sha256"]), f
    counts[f["category"]] += 1
assert summary["total"] == len(findings), summary
for category, n in summary["summary"].items():
    assert counts[category] == n, (category, n, counts[category])
assert set(counts) <= set(summary["summary"]), (counts, summary)
print(f"{len(findings)} findings in {len(counts)} categories read back")
