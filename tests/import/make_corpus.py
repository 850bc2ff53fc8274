#!/usr/bin/env python3
"""Writes the import test corpus into the folder given: every case byte for byte,
so nothing depends on a mail library's way of writing mail."""
import base64
import os
import sys

out = sys.argv[1]
LF = b"\n"


def msg(*lines, body=b""):
    return LF.join(l if isinstance(l, bytes) else l.encode() for l in lines) + LF + LF + body


def write(path, data, mtime=None):
    full = os.path.join(out, path)
    os.makedirs(os.path.dirname(full), exist_ok=True)
    with open(full, "wb") as f:
        f.write(data)
    if mtime is not None:
        os.utime(full, (mtime, mtime))


def mbox(messages, eol=LF):
    data = b""
    for sep, m in messages:
        data += (sep + LF + m + LF).replace(LF, eol) if eol != LF else sep + LF + m + LF
    return data


SEP = b"From sender@example.com Mon Mar  1 09:30:00 1999"
SEP2 = b"From MAILER-DAEMON Tue Mar  2 23:05:10 1999"

pdf = bytes(range(256)) * 3
note = "Taux en euros: 1 € = 6,55957 F\n".encode("utf-8")

charsets = msg(
    "From: =?UTF-8?B?SsO8cmdlbiBNw7xsbGVy?= <juergen@example.de>",
    "To: =?KOI8-R?B?8NLJ18XU?= <privet@example.ru>, plain@example.com",
    "Subject: =?ISO-8859-1?Q?Caf=E9_cr=E8me?= and =?UTF-8?B?w7xiZXI=?= =?UTF-8?Q?_alles?=",
    "Date: Mon, 1 Mar 1999 11:15:00 +0200",
    "Message-ID: <charsets@example.de>",
    "Status: RO",
    "X-Priority: 1 (Highest)",
    body=b"Plain body line one.\nLine two.\n",
)

nested = msg(
    "From: Ann Archer <ann@example.com>",
    "To: Bob Baker <bob@example.com>",
    "Subject: Nested parts",
    "Date: Tue, 2 Mar 1999 08:00:00 -0500",
    "Message-ID: <nested@example.com>",
    "Importance: low",
    "MIME-Version: 1.0",
    'Content-Type: multipart/mixed; boundary="outer"',
    body=b"--outer\n"
    b'Content-Type: multipart/alternative; boundary="inner"\n\n'
    b"--inner\nContent-Type: text/plain; charset=iso-8859-1\nContent-Transfer-Encoding: quoted-printable\n\n"
    b"Gr=FC=DFe aus K=F6ln\n"
    b"--inner\nContent-Type: text/html\n\n<p>HTML twin</p>\n"
    b"--inner--\n"
    b"--outer\nContent-Type: text/plain; charset=utf-8\nContent-Transfer-Encoding: base64\n"
    b"Content-Disposition: attachment; filename*=UTF-8''%E2%82%AC%20rates.txt\n\n"
    + base64.encodebytes(note)
    + b"--outer\nContent-Type: application/pdf; name=\"report.pdf\"\nContent-Transfer-Encoding: base64\n\n"
    + base64.encodebytes(pdf)
    + b"--outer--\n",
)

inner = msg(
    "From: Carol <carol@example.org>",
    "To: ann@example.com",
    "Subject: Original note",
    "Date: Sun, 28 Feb 1999 10:00:00 +0000",
    body=b"The original text.\n",
)
forwarded = msg(
    "From: Bob Baker <bob@example.com>",
    "To: Ann Archer <ann@example.com>",
    "Subject: Fwd: Original note",
    "Date: Wed, 3 Mar 1999 12:00:00 +0000",
    "Message-ID: <fwd@example.com>",
    "X-MSMail-Priority: High",
    "MIME-Version: 1.0",
    'Content-Type: multipart/mixed; boundary="b1"',
    body=b"--b1\nContent-Type: text/plain\n\nSee below.\n--b1\nContent-Type: message/rfc822\n\n"
    + inner
    + b"\n--b1--\n",
)

html_only = msg(
    "From: news@example.net",
    "To: ann@example.com",
    "Subject: HTML only",
    "Date: Thu, 4 Mar 1999 07:45:00 +0100",
    "Message-ID: <html@example.net>",
    "Content-Type: text/html; charset=utf-8",
    body=b"<html><body><h1>Hello</h1><p>Fish &amp; chips &lt;today&gt;</p><p>Second&nbsp;paragraph</p></body></html>\n",
)

no_date = msg(
    "From: Dan <dan@example.com>",
    "To: ann@example.com",
    "Subject: No date at all",
    "Message-ID: <nodate@example.com>",
    body=b"Where is the date?\n",
)

bad_date = msg(
    "From: Eve <eve@example.com>",
    "To: ann@example.com",
    "Subject: Unreadable date",
    "Date: yesterday afternoon",
    "Message-ID: <baddate@example.com>",
    body=b"Sent some time.\n",
)

groups = msg(
    "From: Fay <fay@example.com>",
    "To: Project: Gus <gus@example.com>, hal@example.com;, Ida <ida@example.com>",
    "Cc: Jo <jo@example.com>",
    "Bcc: Kim <kim@example.com>",
    "Subject: Groups and Bcc",
    "Date: Fri, 5 Mar 1999 16:20:00 +0000",
    "Message-ID: <groups@example.com>",
    "Status: O",
    body=b"Everyone.\n",
)

quoting = msg(
    "From: Lee <lee@example.com>",
    "To: ann@example.com",
    "Subject: From lines",
    "Date: Sat, 6 Mar 1999 09:00:00 +0000",
    "Message-ID: <quoting@example.com>",
    body=b"First line.\n>From the quoted line.\n>>From twice quoted.\n\nFrom here on, an unquoted line.\n",
)

broken = msg(
    b"From: Max \xc3\xbcber <max@example.com>",
    b"To: ann@example.com",
    b"Subject: Gr\xc3\xbc\xc3\x9fe 8-bit",
    b"Date: Sun, 7 Mar 1999 10:00:00 +0000",
    b"Message-ID: <broken@example.com>",
    b"X-Long: " + b"x" * (1 << 20),
    b"Content-Type: multipart/mixed",
    body=b"--nowhere\nContent-Type: text/plain; charset=x-no-such-charset\n\nCaf\xe9 text\n",
)

wrong_boundary = msg(
    "From: Ned <ned@example.com>",
    "To: ann@example.com",
    "Subject: Wrong boundary",
    "Date: Mon, 8 Mar 1999 10:00:00 +0000",
    "Message-ID: <wrongb@example.com>",
    'Content-Type: multipart/mixed; boundary="right"',
    body=b"--wrong\nContent-Type: text/plain\n\nLost part\n--wrong--\n",
)

unknown_charset = msg(
    "From: Rae <rae@example.com>",
    "To: ann@example.com",
    "Subject: =?x-no-such-charset?Q?Unknown_charset_word?=",
    "Date: Mon, 8 Mar 1999 11:00:00 +0000",
    "Message-ID: <charset@example.com>",
    "Content-Type: text/plain; charset=x-no-such-charset",
    body=b"Caf\xe9 au lait, na\xefve.\n",
)

garbage = bytes((i * 37 + 11) % 256 for i in range(600)).replace(b"\n", b"\x01")

truncated = msg(
    "From: Oz <oz@example.com>",
    "To: ann@example.com",
    "Subject: Cut short",
    "Date: Tue, 9 Mar 1999 10:00:00 +0000",
    "Message-ID: <truncated@example.com>",
    'Content-Type: multipart/mixed; boundary="cut"',
    body=b"--cut\nContent-Type: text/plain\n\nStill here.\n--cut\n"
    b"Content-Type: application/octet-stream; name=half.bin\nContent-Transfer-Encoding: base64\n\n"
    + base64.encodebytes(b"0123456789" * 20)[:100],
)

cases = [charsets, nested, forwarded, html_only, no_date, bad_date, groups, quoting, broken,
         wrong_boundary, unknown_charset, garbage, truncated]
data = mbox([(SEP if i % 2 == 0 else SEP2, m) for i, m in enumerate(cases)])
write("cases.mbox", data.rstrip(LF) if False else data[:-1])  # no blank line after the cut message

crlf = mbox([(SEP, charsets), (SEP2, groups)], eol=b"\r\n")
write("crlf.mbox", crlf)

# Maildir++ with flags, file times as the received times, nested subfolders.
t0 = 922000000  # 1999-03-21 07:06:40 UTC
simple = lambda subj, mid: msg(  # noqa: E731
    "From: Pat <pat@example.com>", "To: ann@example.com", "Subject: " + subj,
    "Date: Wed, 10 Mar 1999 10:00:00 +0000", "Message-ID: <%s@example.com>" % mid,
    body=("Body of %s.\n" % subj).encode())
attach = msg(
    "From: Pat <pat@example.com>", "To: Ann Archer <ann@example.com>", "Subject: Chart attached",
    "Date: Thu, 11 Mar 1999 10:00:00 +0000", "Message-ID: <chart@example.com>", "X-Priority: 5",
    'Content-Type: multipart/mixed; boundary="m"',
    body=b"--m\nContent-Type: text/plain\n\nThe chart.\n--m\nContent-Type: image/png\n"
    b"Content-Disposition: attachment; filename=chart.png\nContent-Transfer-Encoding: base64\n\n"
    + base64.encodebytes(b"\x89PNG\r\n\x1a\n" + bytes(range(40))) + b"--m--\n")
write("Mail/cur/1000.M1.host:2,S", simple("Read one", "read"), t0)
write("Mail/cur/1001.M2.host:2,FR", attach, t0 + 60)
write("Mail/new/1002.M3.host", simple("Brand new", "new"), t0 + 120)
os.makedirs(os.path.join(out, "Mail/tmp"), exist_ok=True)
write("Mail/.Work/cur/2000.M1.host:2,RS", simple("Work item", "work"), t0 + 180)
os.makedirs(os.path.join(out, "Mail/.Work/new"), exist_ok=True)
write("Mail/.Work.Reports/new/3000.M1.host", simple("Monthly report", "report"), t0 + 240)
os.makedirs(os.path.join(out, "Mail/.Work.Reports/cur"), exist_ok=True)

# A folder of .eml files with a subfolder, a Received header for the time, and
# one file that is not mail.
received = msg(
    "Received: from relay.example.com by mx.example.com; Fri, 12 Mar 1999 18:30:00 +0000",
    "Received: from client by relay.example.com; Fri, 12 Mar 1999 18:29:00 +0000",
    "From: Quin <quin@example.com>", "To: ann@example.com", "Subject: Relayed",
    "Date: Fri, 12 Mar 1999 18:28:00 +0000", "Message-ID: <relayed@example.com>",
    body=b"Came through relays.\n")
write("emls/relayed.eml", received)
write("emls/Sub/first.eml", simple("In a subfolder", "sub").replace(LF, b"\r\n"))
write("emls/picture.eml", b"\x89PNG\r\n\x1a\n" + bytes(range(256)))
write("emls/readme.txt", b"Not an .eml file: not read.\n")
write("single.eml", simple("Single file", "single"))
write("notmail.bin", garbage)
