#!/usr/bin/env python3
"""Reads the program report the way a browser does (an HTML5 parser) and checks that no element
comes from an item's text, that the table of contents' anchors all resolve and that every item
has its information link. Usage: report_html_client.py KestromLog.html HOSTILE_TEXT..."""
import sys
from urllib.parse import urlsplit, parse_qs

try:
    import html5lib
except ImportError:
    print("python3-html5lib is not installed (scripts/deps installs it)")
    sys.exit(77)

# Every element the report's templates write; anything else came from a text.
TEMPLATE_ELEMENTS = {"html", "head", "title", "body", "h2", "br", "b", "i", "a", "center", "big", "li", "ol"}

path, hostile = sys.argv[1], sys.argv[2:]
with open(path, "rb") as f:
    raw = f.read()
doc = html5lib.parse(raw.decode("cp1252"), treebuilder="etree", namespaceHTMLElements=False)
failures = []

elements = list(doc.iter())
foreign = sorted({e.tag for e in elements if isinstance(e.tag, str)} - TEMPLATE_ELEMENTS)
if foreign:
    failures.append(f"elements not written by the templates: {foreign}")
for e in elements:
    for name in e.attrib:
        if name.lower().startswith("on"):
            failures.append(f"event attribute {name} on <{e.tag}>")

text = "".join(doc.itertext())
for h in hostile:
    if h not in text:
        failures.append(f"hostile text not shown as text: {h!r}")

anchors = {e.get("name") for e in elements if e.tag == "a" and e.get("name")}
contents = [e.get("href") for e in elements if e.tag == "a" and (e.get("href") or "").startswith("KestromLog.html#")]
if len(contents) != 7:
    failures.append(f"{len(contents)} table of contents lines, not 7")
for href in contents:
    if href.split("#", 1)[1] not in anchors:
        failures.append(f"table of contents link {href} has no anchor")
if len(anchors) != 9:
    failures.append(f"{len(anchors)} section anchors, not 9: {sorted(anchors)}")

items = [e for e in elements if e.tag == "li"]
links = [e for e in elements if e.tag == "a" and (e.text or "") == "Click for Vant Info"]
if not items or len(links) != len(items):
    failures.append(f"{len(items)} items but {len(links)} information links")
for a in links:
    parts = urlsplit(a.get("href"))
    query = parse_qs(parts.query, keep_blank_values=True)
    if parts.scheme not in ("http", "https") or sorted(query) != sorted(
            ["program", "vendor", "version", "build", "Type", "Loc"]):
        failures.append(f"information link with other fields: {a.get('href')}")

for f in failures:
    print("FAIL:", f)
print(f"{len(items)} items, {len(anchors)} anchors, {len(contents)} contents lines checked")
sys.exit(1 if failures else 0)
