#!/usr/bin/env python3
"""Fails while a message of the sources lacks its translation.

Runs lupdate over the sources into copies of the .ts files, as `update_translations` would,
and lists every message that is new (unfinished), no longer in the sources (vanished), left
empty, or whose translation lost or gained a placeholder (%1, %n).

usage: translations_test.py LUPDATE SOURCES_LIST TS_DIR
"""
import pathlib
import re
import shutil
import subprocess
import sys
import tempfile
import xml.etree.ElementTree as ET

PLACEHOLDER = re.compile(r"%(?:n|L?\d+)")
# quillbox_en.ts holds only the English plural forms; every other file holds every message.
FILES = {"quillbox_de.ts": [], "quillbox_en.ts": ["-pluralonly"]}


def problems(ts):
    for context in ET.parse(ts).getroot().iter("context"):
        name = context.findtext("name")
        for message in context.iter("message"):
            source = message.findtext("source") or ""
            translation = message.find("translation")
            kind = translation.get("type")
            forms = ([f.text or "" for f in translation.iter("numerusform")]
                     if message.get("numerus") == "yes" else [translation.text or ""])
            where = f"{name}: {source!r}"
            if kind in ("vanished", "obsolete"):
                yield f"{where} is no longer in the sources"
            elif kind == "unfinished" or not all(forms):
                yield f"{where} has no translation"
            else:
                wanted = sorted(set(PLACEHOLDER.findall(source)))
                for form in forms:
                    if sorted(set(PLACEHOLDER.findall(form))) != wanted:
                        yield f"{where} is translated as {form!r}, with other placeholders"


def main(lupdate, sources, ts_dir):
    found = []
    with tempfile.TemporaryDirectory() as work:
        for name, options in FILES.items():
            copy = pathlib.Path(work, name)
            shutil.copy(pathlib.Path(ts_dir, name), copy)
            run = subprocess.run([lupdate, *options, f"@{sources}", "-ts", str(copy)],
                                 capture_output=True, text=True)
            if run.returncode != 0:
                sys.exit(f"lupdate failed on {name}:\n{run.stdout}{run.stderr}")
            found += [f"{name}: {p}" for p in problems(copy)]
    for line in found:
        print(line)
    if found:
        print(f"\n{len(found)} message(s) to translate: run "
              "`cmake --build build --target update_translations`, translate them in "
              f"{ts_dir} (Qt Linguist or an editor) and drop type=\"unfinished\".")
        return 1
    return 0


if __name__ == "__main__":
    sys.exit(main(*sys.argv[1:]))
