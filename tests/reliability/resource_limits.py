#!/usr/bin/env python3
"""The real program over a mailbox at the limits: a 50 MB message body, a 100 MB
attachment, a message with 100,000 recipients, a folder chain 200 levels deep.
Each is opened (and the attachment saved, and a message with a large attachment
saved to the Outbox through the send window) by the program in script mode, one
run per case, and the run's peak resident memory is held against what the case
shows: a case may use a stated multiple of what it shows above what logging on
costs, and opening a message does not read its attachments at all.

usage: resource_limits.py QUORVANE QUORVANE_STORE [--scale F] [--no-memory-bounds]

--scale (or QUORVANE_RESOURCE_SCALE) multiplies the body, attachment and
recipient sizes (the chain stays 200 deep); the sanitizer build runs a small
scale and leaves the memory bounds out, since its allocator keeps what is freed.
"""
import hashlib
import os
import sqlite3
import subprocess
import sys
import time

from harness import Failure, Scratch, arguments, check

DEPTH = 200
BODY_LINE = "The quick brown fox jumps over the lazy dog. 0123456789\r\n"
PATTERN = bytes(range(256)) * 4096
MB = 1 << 20
# What any run may use above the logged-on baseline whatever it shows: the
# allocator's own slack, the tree's and code window's buffers.
SLACK = 12 * MB

TREE_PATH = '"MAPI Session - Logged On" "Mailbox - Limits" "Inbox"'


def message(n, subject):
    return {"id": "%04X" % (0x3000 + n), "subject": subject, "text": "x",
            "timeReceived": "1999-03-01T09:30:00", "timeSent": "1999-03-01T09:29:00",
            "sender": {"name": "Ann Able", "address": "ann@example.com"}}


def folder_id(level):
    return "%04X" % (0x2000 + level)


def fixture():
    chain = None
    for level in range(DEPTH, 0, -1):
        f = {"id": folder_id(level), "name": "Level %d" % level}
        if chain:
            f["folders"] = [chain]
        chain = f
    attached = message(2, "Big attachment")
    attached["attachments"] = [{"name": "big.bin", "text": "x"}]
    return {
        "profiles": [{"name": "Limits", "default": True, "server": "mail", "mailbox": "limits",
                      "stores": ["00B1"], "addressLists": ["Global Address List"]}],
        "stores": [{"id": "00B1", "name": "Mailbox - Limits", "outbox": "1002",
                    "root": {"id": "1000", "name": "Top of Information Store"},
                    "folders": [{"id": "1001", "name": "Inbox",
                                 "messages": [message(1, "Big body"), attached,
                                              message(3, "Many recipients")]},
                                {"id": "1002", "name": "Outbox"}, chain]}],
        "addressLists": [{"name": "Global Address List", "readOnly": True, "entries": [
            {"id": "E001", "name": "Ann Able", "address": "ann@example.com", "type": "SMTP",
             "alias": "ann"}]}],
    }


def pattern(size):
    return (PATTERN * (size // len(PATTERN) + 1))[:size]


def build_store(s, sizes):
    """The fixture gives the shape (the chain through the fixture reader); the
    large values go in by SQL, which is quicker than a 150 MB fixture."""
    s.write("fixture.json", fixture())
    store = s.create_store("fixture.json", os.path.join(s.env["XDG_DATA_HOME"], "quorvane"))
    db = sqlite3.connect(store)
    body = (BODY_LINE * (sizes["body"] // len(BODY_LINE) + 1))[:sizes["body"]]
    db.execute("UPDATE messages SET body = ?, size = ? WHERE eid = '3001'", (body, len(body)))
    del body
    db.execute("UPDATE attachments SET data = ? WHERE message = "
               "(SELECT rid FROM messages WHERE eid = '3002')", (pattern(sizes["attachment"]),))
    rid = db.execute("SELECT rid FROM messages WHERE eid = '3003'").fetchone()[0]
    db.executemany(
        "INSERT INTO recipients(message, name, address, type, display_type, address_type) "
        "VALUES(?, ?, ?, ?, 0, 'SMTP')",
        ((rid, "Recipient %d" % i, "r%d@example.com" % i, 1 + i % 3)
         for i in range(sizes["recipients"])))
    db.commit()
    db.close()
    return store


# The code window is cleared after logging on: what it holds then uses the
# session that a later --run-code gets from the script.
LOGON = ["click LogonButton", "click OkButton", "click ClearButton", "answer Yes",
         "select MAPITree key=00B1", "dblclick MAPITree",
         "select MAPITree key=1001", "dblclick MAPITree"]


def open_message(key):
    return LOGON + ["select MAPITree key=%s" % key, "dblclick MAPITree"]


def chain_script():
    lines = LOGON[:6]
    for level in range(1, DEPTH + 1):
        lines += ["select MAPITree key=%s" % folder_id(level), "dblclick MAPITree"]
    # Find Folder one level above the bottom finds the bottom.
    return lines + ["dump tree MAPITree", "dump code chain.bas",
                    "select MAPITree key=%s" % folder_id(DEPTH - 1), "tab Functions",
                    'set FldNameText "Level %d"' % DEPTH, "click FndFolderButton"]


def send_body(sizes):
    # A hundredth of the body: the send window's text box and the code window
    # lay the text out whole, a second a megabyte.
    n = sizes["body"] // 100
    return (BODY_LINE * (n // len(BODY_LINE) + 1))[:n]


def script_text(text):
    return '"%s"' % text.replace("\\", "\\\\").replace('"', '\\"').replace(
        "\r", "\\r").replace("\n", "\\n")


def send_script(sizes):
    return LOGON[:4] + [
        "click SendButton", "click AddressButton",
        'choose AddressListCombo "Global Address List"', 'choose EntryList "Ann Able"',
        "click ToButton", "click OkButton",
        "click AttachButton", "file outgoing.bin",
        'set SubjectText "Large attachment"', 'set MsgText %s' % script_text(send_body(sizes)),
        "click SendButton", "dump code send.bas"]


# The program is started by a small process of its own: a child's peak memory
# as the kernel counts it includes what its parent held when it forked, and
# this test's process holds the large values it made.
MEASURE = """import os, sys
pid = os.fork()
if pid == 0:
    os.execv(sys.argv[2], sys.argv[2:])
_, status, usage = os.wait4(pid, 0)
with open(sys.argv[1], "w") as f:
    f.write(str(usage.ru_maxrss * 1024))
sys.exit(os.waitstatus_to_exitcode(status) & 0xff)
"""


class Runner:
    def __init__(self, scratch):
        self.scratch = scratch
        self.quorvane, self.work, self.env = scratch.quorvane, scratch.work, scratch.env
        self.peaks = {}
        self.times = {}

    def run(self, name, script=None, run_code=None):
        """Runs the program; its output, and its peak resident memory in bytes."""
        peak_path = os.path.join(self.work, name + ".peak")
        args = [sys.executable, "-c", MEASURE, peak_path, self.quorvane]
        if script is not None:
            args += ["--script", self.scratch.write(name + ".script", "\n".join(script) + "\n")]
        if run_code is not None:
            args += ["--run-code", run_code]
        out_path = os.path.join(self.work, name + ".out")
        err_path = os.path.join(self.work, name + ".err")
        start = time.monotonic()
        with open(out_path, "wb") as out, open(err_path, "wb") as err:
            status = subprocess.run(args, cwd=self.work, env=self.env, stdout=out,
                                    stderr=err).returncode
        self.times[name] = time.monotonic() - start
        with open(err_path, "rb") as f:
            err_text = f.read().decode(errors="replace")
        check(status == 0 and not err_text,
              "%s ended with status %s: %s" % (name, status, err_text[-3000:]))
        with open(peak_path) as f:
            self.peaks[name] = int(f.read())
        return out_path


def sha256(path):
    h = hashlib.sha256()
    with open(path, "rb") as f:
        for piece in iter(lambda: f.read(MB), b""):
            h.update(piece)
    return h.hexdigest()


def main():
    ap = arguments(__doc__)
    ap.add_argument("--scale", type=float,
                    default=float(os.environ.get("QUORVANE_RESOURCE_SCALE", "1")))
    ap.add_argument("--no-memory-bounds", action="store_true")
    args = ap.parse_args()
    sizes = {"body": int(50_000_000 * args.scale), "attachment": int(100_000_000 * args.scale),
             "recipients": int(100_000 * args.scale)}
    s = Scratch(args, "quorvane-limits.")
    work = s.work
    os.makedirs(os.path.join(work, "saved"))
    started = time.monotonic()
    try:
        store = build_store(s, sizes)
        s.write("outgoing.bin", pattern(sizes["attachment"])[::-1])
        built = time.monotonic() - started
        r = Runner(s)
        bounds = []  # (case, what it shows, allowed multiple of it)

        r.run("baseline", LOGON)

        # The whole body is the Text node's text: twice its length in memory.
        r.run("body", open_message("3001"))
        bounds.append(("body", 2 * sizes["body"], 2.5))
        out = r.run("body-tree", open_message("3001") + ["dump tree MAPITree"])
        with open(out, "rb") as f:
            texts = [l for l in f if l.lstrip().startswith(b"Text:  ")]
        escaped = (BODY_LINE.replace("\r", "\\r").replace("\n", "\\n") *
                   (sizes["body"] // len(BODY_LINE) + 1)).encode()
        check(len(texts) == 1, "%d Text nodes" % len(texts))
        line = texts[0].strip()
        want = b"Text:  " + escaped[:len(line) - len(b"Text:    [image=7]")] + b"  [image=7]"
        check(line == want and len(line) >= sizes["body"],
              "the Text node holds %d of the body's %d characters" % (len(line), sizes["body"]))

        # Opening the message shows the attachment's name only: its data stays
        # in the store. Saving it streams it to the file.
        r.run("attachment-open", open_message("3002"))
        bounds.append(("attachment-open", 0, 0))
        r.run("attachment-save", open_message("3002") + [
            "select MAPITree %s \"Big attachment\" \"Attachments\" \"big.bin\"" % TREE_PATH,
            "click AttachButton", "file saved/"])
        bounds.append(("attachment-save", 0, 0))
        saved = os.path.join(work, "saved", "big.bin")
        check(os.path.getsize(saved) == sizes["attachment"],
              "the saved attachment has %d of %d bytes" % (os.path.getsize(saved),
                                                           sizes["attachment"]))
        check(sha256(saved) == hashlib.sha256(pattern(sizes["attachment"])).hexdigest(),
              "the saved attachment differs from the stored one")

        # Every recipient is a node; about a kilobyte each is allowed.
        out = r.run("recipients", open_message("3003") + [
            "select MAPITree %s \"Many recipients\" \"Recipients\"" % TREE_PATH,
            "dblclick MAPITree", "dump tree MAPITree", "dump code recipients.bas"])
        bounds.append(("recipients", sizes["recipients"] * 1024, 1))
        with open(out, "rb") as f:
            nodes = [l for l in f if l.lstrip().split(b"  ")[0] in (b"TO:", b"CC:", b"BCC:")]
        check(len(nodes) == sizes["recipients"],
              "%d of %d recipient nodes" % (len(nodes), sizes["recipients"]))
        last = sizes["recipients"] - 1
        check(nodes[-1].strip() == b"%s  Recipient %d  [key=%04X#r%d@example.com] [image=13]" % (
            [b"TO:", b"CC:", b"BCC:"][last % 3], last, 0x3003, last),
              "the last recipient node reads %r" % nodes[-1])
        # The generated code, run headless, walks the same recipients.
        out = r.run("recipients-code", LOGON[:4], run_code="recipients.bas")
        with open(out, "rb") as f:
            printed = f.read().count(b"Recipient ")
        check(printed == sizes["recipients"],
              "the generated code printed %d of %d recipients" % (printed, sizes["recipients"]))

        # The chain opened to its bottom, one level per double-click.
        out = r.run("chain", chain_script())
        with open(out, "rb") as f:
            levels = [l for l in f if l.lstrip().startswith(b"Level ")]
        check(len(levels) == DEPTH, "%d of %d levels in the tree" % (len(levels), DEPTH))
        bottom = levels[-1]
        check(bottom == b"%sLevel %d  [key=%s] [image=1]\n" % (
            b" " * (2 * (DEPTH + 1)), DEPTH, folder_id(DEPTH).encode()),
              "the bottom of the chain reads %r" % bottom[-80:])
        found = b'msgbox information ok "Quorvane \'99" Level %d - FolderID=%s\\r\\n\n' % (
            DEPTH, folder_id(DEPTH).encode())
        with open(out, "rb") as f:
            check(found in f.read(), "Find Folder did not report the bottom of the chain")
        out = r.run("chain-code", LOGON[:4], run_code="chain.bas")
        with open(out, "rb") as f:
            printed = f.read()
        check(b"Level %d" % DEPTH in printed, "the generated code did not reach the bottom: %r"
              % printed[-300:])

        # A message with the large attachment saved to the Outbox through the
        # send window: the attachment is held once, in the message.
        r.run("send", send_script(sizes))
        bounds.append(("send", sizes["attachment"] + 2 * len(send_body(sizes)), 1.5))
        with open(os.path.join(work, "send.bas"), "rb") as f:
            code = f.read().decode()
        literal = send_body(sizes).replace("\r\n", '" & vbCrLf & "')
        check('  .Text = "%s"\r\n' % literal in code, "the send code lacks the body")
        db = sqlite3.connect(store)
        check(db.execute("PRAGMA integrity_check").fetchall() == [("ok",)], "integrity_check")
        rows = db.execute(
            "SELECT m.subject, a.name, length(a.data) FROM messages m "
            "JOIN folders f ON f.rid = m.folder JOIN attachments a ON a.message = m.rid "
            "WHERE f.eid = '1002'").fetchall()
        body = db.execute("SELECT body FROM messages WHERE subject = 'Large attachment'").fetchone()
        check(body == (send_body(sizes),), "the body in the Outbox differs")
        check(rows == [("Large attachment", os.path.join(work, "outgoing.bin"), sizes["attachment"])],
              "the Outbox holds %r" % rows)
        data = db.execute("SELECT a.data FROM attachments a JOIN messages m ON m.rid = a.message "
                          "WHERE m.subject = 'Large attachment'").fetchone()[0]
        check(data == pattern(sizes["attachment"])[::-1], "the saved attachment differs")
        del data
        db.close()

        base = r.peaks["baseline"]
        print("store built in %.1f s; body %d, attachment %d, recipients %d, chain %d deep" %
              (built, sizes["body"], sizes["attachment"], sizes["recipients"], DEPTH))
        for name in r.peaks:
            print("  %-16s %6.1f s  peak %7.1f MB (%+7.1f MB over logging on)" % (
                name, r.times[name], r.peaks[name] / MB, (r.peaks[name] - base) / MB))
        if not args.no_memory_bounds:
            for name, shown, multiple in bounds:
                allowed = SLACK + shown * multiple
                check(r.peaks[name] - base <= allowed,
                      "%s used %.1f MB over logging on; %.1f MB allowed" % (
                          name, (r.peaks[name] - base) / MB, allowed / MB))
    except Failure as e:
        return s.finish([str(e)])
    print("all cases passed in %.1f s" % (time.monotonic() - started))
    return s.finish([])


if __name__ == "__main__":
    sys.exit(main())
