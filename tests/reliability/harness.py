"""What the reliability tests share: the programs and a private scratch folder to
run them in, the mailbox they write to, and the checks of the store they leave."""
import argparse
import json
import os
import shutil
import sqlite3
import subprocess
import tempfile

ATTACHMENT = bytes(range(256)) * 256  # 64 KiB, large enough to take several pages


class Failure(Exception):
    pass


def check(cond, what):
    if not cond:
        raise Failure(what)


def arguments(doc):
    """The command line: the program and the store tool, then the test's options."""
    ap = argparse.ArgumentParser(description=doc.split("\n")[0])
    ap.add_argument("quorvane")
    ap.add_argument("store_tool")
    return ap


class Scratch:
    """A scratch folder holding the work folder the programs run in and their
    home and XDG folders (the data folder too unless data_home is False)."""

    def __init__(self, args, prefix, data_home=True):
        self.quorvane, self.tool = os.path.abspath(args.quorvane), os.path.abspath(args.store_tool)
        self.tmp = tempfile.mkdtemp(prefix=prefix)
        self.env = dict(os.environ, QT_QPA_PLATFORM="offscreen", LC_ALL="C.UTF-8", TZ="UTC")
        names = ["HOME", "XDG_CONFIG_HOME", "XDG_CACHE_HOME", "XDG_RUNTIME_DIR"]
        for k in names + (["XDG_DATA_HOME"] if data_home else []):
            self.env[k] = os.path.join(self.tmp, k.lower())
            os.makedirs(self.env[k], mode=0o700)
        self.work = os.path.join(self.tmp, "work")
        os.makedirs(self.work)

    def write(self, name, data):
        """Writes bytes, text or (for anything else) JSON into the work folder."""
        path = os.path.join(self.work, name)
        with open(path, "wb" if isinstance(data, bytes) else "w") as f:
            if isinstance(data, (bytes, str)):
                f.write(data)
            else:
                json.dump(data, f)
        return path

    def copy(self, name, **words):
        """Copies a file from beside this one into the work folder, each WORD in it replaced."""
        with open(os.path.join(os.path.dirname(os.path.abspath(__file__)), name)) as f:
            text = f.read()
        for word, value in words.items():
            text = text.replace(word, value)
        return self.write(name, text)

    def create_store(self, fixture_name, store_dir, env=None):
        subprocess.run([self.tool, "create", fixture_name, store_dir], cwd=self.work,
                       env=env or self.env, check=True, stdout=subprocess.DEVNULL)
        return os.path.join(store_dir, "mailstore.db")

    def finish(self, failures):
        """The exit status: 0 with the folder removed, else 1 with the failures told."""
        if failures:
            print("FAILED" + (": " if len(failures) == 1 else ":\n  ") + "\n  ".join(failures))
            print("files kept in", self.tmp)
            return 1
        shutil.rmtree(self.tmp)
        return 0


def fixture(inbox):
    """Profile Kill: an Inbox (1001) of `inbox` messages with two recipients, an
    attachment and a field each, an empty Outbox (1002) and an empty PAB."""
    messages = [{
        "id": "%04X" % (0x3000 + i), "subject": "Inbox %d" % i, "text": "body %d " % i * 50,
        "timeReceived": "1999-03-01T09:30:00", "timeSent": "1999-03-01T09:29:00",
        "sender": {"name": "Ann Able", "address": "ann@example.com"},
        "recipients": [{"name": "Bo", "address": "bo@example.com", "type": 1},
                       {"name": "Cy", "address": "cy@example.com", "type": 2}],
        "attachments": [{"name": "a.txt", "text": "attached %d" % i}],
        "fields": [{"name": "Keyword", "value": "k%d" % i}],
    } for i in range(inbox)]
    return {
        "profiles": [{"name": "Kill", "default": True, "server": "mail", "mailbox": "kill",
                      "stores": ["00B1"], "addressLists": ["Personal Address Book"]}],
        "stores": [{"id": "00B1", "name": "Mailbox - Kill", "outbox": "1002",
                    "root": {"id": "1000", "name": "Top of Information Store"},
                    "folders": [{"id": "1001", "name": "Inbox", "messages": messages},
                                {"id": "1002", "name": "Outbox"}]}],
        "addressLists": [{"name": "Personal Address Book", "entries": []}],
    }


def open_store(path):
    # Opening for writing rolls back a transaction the kill left half-done, as
    # the next start of the program would.
    db = sqlite3.connect(path, timeout=10)
    rows = db.execute("PRAGMA integrity_check").fetchall()
    check(rows == [("ok",)], "integrity_check: %r" % rows[:5])
    check(db.execute("PRAGMA foreign_key_check").fetchall() == [], "foreign keys broken")
    return db


def count(db, sql, *params):
    return db.execute("SELECT COUNT(*) FROM " + sql, params).fetchone()[0]


def folder_messages(db, eid):
    return db.execute("SELECT m.rid, m.subject FROM messages m JOIN folders f ON f.rid = m.folder "
                      "WHERE f.eid = ?", (eid,)).fetchall()


def no_orphans(db):
    for table in ("recipients", "attachments"):
        n = count(db, "%s WHERE message NOT IN (SELECT rid FROM messages)" % table)
        check(n == 0, "%d %s without their message" % (n, table))
    n = count(db, "props WHERE owner_kind = 1 AND owner NOT IN (SELECT rid FROM messages)")
    check(n == 0, "%d fields without their message" % n)


def check_outbox(db):
    """Every message saved to the Outbox is whole: 3 recipients, 2 attachments."""
    no_orphans(db)
    for rid, subject in folder_messages(db, "1002"):
        recips = count(db, "recipients WHERE message = ?", rid)
        sizes = [r[0] for r in db.execute(
            "SELECT length(data) FROM attachments WHERE message = ?", (rid,))]
        check(recips == 3 and sizes == [len(ATTACHMENT)] * 2,
              "Outbox message %r with %d recipients, attachments %r" % (subject, recips, sizes))


def check_delete(db):
    """Every message left in the Inbox is whole: none half deleted."""
    no_orphans(db)
    for rid, subject in folder_messages(db, "1001"):
        parts = [count(db, t, rid) for t in (
            "recipients WHERE message = ?", "attachments WHERE message = ?",
            "props WHERE owner_kind = 1 AND owner = ?")]
        check(parts == [2, 1, 1], "message %r half deleted: %r" % (subject, parts))
