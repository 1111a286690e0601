"""Writes NEWS.md as a Debian changelog, which a native package must carry.

usage: debian_changelog.py NEWS.md MAINTAINER OUTPUT
Each "## VERSION (YYYY-MM-DD)" heading becomes an entry and each "- " item,
with its indented continuation lines, a "  * " item of it."""
import datetime
import email.utils
import re
import sys

news, maintainer, output = sys.argv[1:]
entries = []
for line in open(news, encoding="utf-8"):
    heading = re.match(r"## (\S+) \((\d{4})-(\d\d)-(\d\d)\)", line)
    if heading:
        version, *date = heading.groups()
        entries.append((version, datetime.datetime(*map(int, date), tzinfo=datetime.timezone.utc), []))
    elif entries and line.startswith("- "):
        entries[-1][2].append(line[2:].strip())
    elif entries and line.startswith("  ") and entries[-1][2]:
        entries[-1][2][-1] += " " + line.strip()
if not entries:
    sys.exit(f"{news}: no '## VERSION (YYYY-MM-DD)' heading")

with open(output, "w", encoding="utf-8") as out:
    for version, date, items in entries:
        out.write(f"triview ({version}) unstable; urgency=medium\n\n")
        for item in items:
            words, text = item.replace("`", "").split(), ""
            lines = []
            for word in words:
                if text and len(text) + len(word) > 72:
                    lines.append(text)
                    text = word
                else:
                    text = f"{text} {word}" if text else word
            lines.append(text)
            out.write("  * " + "\n    ".join(lines) + "\n")
        out.write(f"\n -- {maintainer}  {email.utils.format_datetime(date)}\n\n")
