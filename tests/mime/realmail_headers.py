#!/usr/bin/env python3
"""Reads every message of the real-mail corpus with the MIME reader (through
mime_fields) and with Python's email package, and compares what a user sees of
its headers: the subject, the sender's display name and address, the To and Cc
display names and the attachments' file names, white space normalised.

usage: realmail_headers.py MIME_FIELDS REALMAIL.tar.xz [--show N]

Where the two readers legitimately differ on malformed input, the message is in
realmail_differences.json with the fields and the reason; anything else that
differs fails, and so does a listed difference that went away (the list is kept
exact).
"""

import email
import email.header
import email.policy
import email.utils
import json
import re
import subprocess
import sys
import tarfile
import tempfile
from pathlib import Path

# Reviewed one by one (realmail_differences.json): each is malformed mail that the
# two readers repair differently, not a decoding fault of either.
with open(Path(__file__).with_name("realmail_differences.json")) as f:
    KNOWN = {f"realmail/{m}.eml": {field: d["reason"] for field in d["fields"]}
             for d in json.load(f) for m in d["messages"]}

FALLBACK_NAME = re.compile(r"attachment\d+(\.txt|\.eml)?")


def norm(s):
    return " ".join((s or "").split())


def text_of(raw):
    """Header bytes as the reader takes unlabelled 8-bit text: UTF-8, else Windows-1252."""
    try:
        return raw.decode("utf-8")
    except UnicodeDecodeError:
        return raw.decode("cp1252", errors="replace")


def parse(data):
    # Line by line, so that a Windows-1252 line does not spoil a UTF-8 one.
    text = "".join(text_of(line) for line in data.splitlines(keepends=True))
    return email.message_from_string(text, policy=email.policy.default)


def display_names(msg, header):
    """(name, address) of every mailbox of every `header`, names RFC 2047 decoded.

    email.utils splits the lists (and, like GMime, takes a trailing comment for
    a name); email.header decodes the names, dropping the blanks between adjacent
    encoded words as RFC 2047 says (the header registry keeps them in phrases,
    and ignores comments)."""
    raws = [v for (k, v) in msg.raw_items() if k.lower() == header.lower()]
    out = []
    for name, addr in email.utils.getaddresses(raws):
        if name or addr:
            decoded = email.header.make_header(email.header.decode_header(name)) if name else ""
            out.append((str(decoded), addr))
    return out


def leaves(part):
    if part.is_multipart() and part.get_content_maintype() == "multipart":
        for sub in part.iter_parts():
            yield from leaves(sub)
    else:
        yield part


def python_fields(msg):
    f = {"subject": norm(str(msg["subject"])) if msg["subject"] is not None else ""}
    sender = display_names(msg, "From") or display_names(msg, "Sender")
    f["from_name"] = (norm(sender[0][0]) or sender[0][1]) if sender else ""
    f["from_addr"] = sender[0][1] if sender else ""
    for h in ("to", "cc"):
        f[h] = [norm(n) or a for (n, a) in display_names(msg, h)]
    names = []
    rfc822 = []
    for part in leaves(msg):
        ctype = part.get_content_type()
        if ctype in ("text/plain", "text/html") and part.get_content_disposition() != "attachment":
            continue  # a body, not an attachment
        name = part.get_filename()
        if name is None:
            continue
        (rfc822 if ctype == "message/rfc822" else names).append(norm(name))
    f["attachments"] = sorted(names)
    f["rfc822"] = sorted(rfc822)
    return f


def our_fields(o):
    f = {k: norm(o.get(k, "")) for k in ("subject", "from_name", "from_addr")}
    for h in ("to", "cc"):
        f[h] = [norm(n) for n in o.get(h, [])]
    names = []
    rfc822 = []
    for name, ctype in o.get("attachments", []):
        if FALLBACK_NAME.fullmatch(name):
            continue  # the reader's own name for a part without one
        (rfc822 if ctype == "message/rfc822" else names).append(norm(name))
    f["attachments"] = sorted(names)
    f["rfc822"] = sorted(rfc822)
    return f


def differences(ours, theirs):
    diff = {}
    for k in ("subject", "from_name", "from_addr", "to", "cc", "attachments"):
        if ours[k] != theirs[k]:
            diff[k] = (ours[k], theirs[k])
    # A forwarded message without a file name is named after its subject here.
    missing = [n for n in theirs["rfc822"] if n not in ours["rfc822"]]
    if missing:
        diff["rfc822"] = (ours["rfc822"], theirs["rfc822"])
    return diff


def main():
    tool, archive = sys.argv[1], sys.argv[2]
    show = int(sys.argv[4]) if len(sys.argv) > 4 and sys.argv[3] == "--show" else 20
    with tempfile.TemporaryDirectory() as tmp:
        with tarfile.open(archive, "r:xz") as tar:
            if hasattr(tarfile, "data_filter"):
                tar.extractall(tmp, filter="data")
            else:
                tar.extractall(tmp)
        out = subprocess.run([tool, tmp], check=True, capture_output=True, text=True).stdout
        ours = {o["file"]: o for o in map(json.loads, out.splitlines())}
        files = sorted(str(p.relative_to(tmp)) for p in Path(tmp).rglob("*") if p.is_file())
        agree = listed = 0
        unexpected = []
        for name in files:
            o = ours.get(name)
            if o is None or "unreadable" in o:
                unexpected.append((name, {"unreadable": (o, None)}))
                continue
            diff = differences(our_fields(o), python_fields(parse(Path(tmp, name).read_bytes())))
            if not diff:
                agree += 1
            known = KNOWN.get(name, {})
            if set(diff) != set(known):
                unexpected.append((name, {k: diff.get(k, ("agree now", known.get(k))) for k in
                                          set(diff) | set(known)}))
            elif diff:
                listed += 1
    print(f"{agree} of {len(files)} messages agree in every field; "
          f"{listed} differ as listed; {len(unexpected)} unexpected")
    for name, diff in unexpected[:show]:
        print(name)
        for k, (a, b) in sorted(diff.items()):
            print(f"  {k}: ours {a!r}")
            print(f"  {' ' * len(k)}  python {b!r}")
    return 1 if unexpected else 0


if __name__ == "__main__":
    sys.exit(main())
