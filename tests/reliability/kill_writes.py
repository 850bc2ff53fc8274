#!/usr/bin/env python3
"""Kills the real program (SIGKILL) in the middle of its writes, again and again,
and checks after every kill that the store is sound and that every write is
whole or absent.

usage: kill_writes.py QUORVANE QUORVANE_STORE [--kills N] [--seconds S] [--seed N]

Five writers take turns, each on its own profile folder:
  outbox  saves messages with 3 recipients and 2 attachments to the Outbox (code run headless)
  delete  deletes the Inbox's messages one by one (code run headless)
  pab     adds distribution lists of 3 members to the Personal Address Book (the Add To PAB window)
  create  writes a store from a fixture with the store tool
  first-start  the program's first start, which writes the demo store
Half the kills wait until a write is under way (the rollback journal exists), the
others fall at a random moment. Stops after N kills, or once S seconds are spent
and every writer has been killed at least once.
"""
import argparse
import json
import os
import random
import shutil
import signal
import sqlite3
import subprocess
import sys
import tempfile
import time

INBOX = 40  # messages in the delete writer's Inbox
ATTACHMENT = bytes(range(256)) * 256  # 64 KiB, large enough to take several pages


def fixture(inbox):
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


LOGON = ('Set oSession = CreateObject("MAPI.Session")\n'
         'oSession.Logon ProfileName:="Kill", ShowDialog:=False\n')

OUTBOX_CODE = LOGON + '''For i = 1 To 100000
  Set oMsg = oSession.Outbox.Messages.Add
  oMsg.Subject = "ROUND " & i
  oMsg.Text = "Three recipients and two attachments."
  For j = 1 To 3
    Set oRecip = oMsg.Recipients.Add(Name:="To " & j, Type:=1)
    oRecip.Address = "to" & j & "@example.com"
  Next j
  For j = 1 To 2
    Set oAtt = oMsg.Attachments.Add
    oAtt.Name = "part" & j & ".bin"
    oAtt.Type = 1
    oAtt.ReadFromFile "attachment.bin"
  Next j
  oMsg.Update
Next i
'''

DELETE_CODE = LOGON + '''For i = 1 To 100000
  Set oMsg = oSession.GetFolder("1001", "00B1").Messages.GetFirst
  If oMsg Is Nothing Then Exit For
  oMsg.Delete
Next i
'''


def pab_script(tag):
    lines = ["click LogonButton", "choose ProfileCombo Kill", "click OkButton", "click AddAddrButton"]
    for k in range(1, 2001):
        for m in range(1, 4):
            lines += ['set NameText "Member %d"' % m, "set AddrText m%d@example.com" % m,
                      "click AddListButton"]
        lines += ['set PDLText "DL %s-%d"' % (tag, k), "click AddButton"]
    return "\n".join(lines) + "\n"


class Failure(Exception):
    pass


def check(cond, what):
    if not cond:
        raise Failure(what)


def open_store(path):
    # Opening for writing rolls back a transaction the kill left half-done, as
    # the next start of the program would.
    db = sqlite3.connect(path, timeout=10)
    rows = db.execute("PRAGMA integrity_check").fetchall()
    check(rows == [("ok",)], "integrity_check: %r" % rows[:5])
    check(db.execute("PRAGMA foreign_key_check").fetchall() == [], "foreign keys broken")
    return db


def no_orphans(db):
    for table in ("recipients", "attachments"):
        n = db.execute("SELECT COUNT(*) FROM %s WHERE message NOT IN (SELECT rid FROM messages)"
                       % table).fetchone()[0]
        check(n == 0, "%d %s without their message" % (n, table))
    n = db.execute("SELECT COUNT(*) FROM props WHERE owner_kind = 1 AND owner NOT IN "
                   "(SELECT rid FROM messages)").fetchone()[0]
    check(n == 0, "%d fields without their message" % n)


def check_outbox(db):
    no_orphans(db)
    for rid, subject in db.execute(
            "SELECT m.rid, m.subject FROM messages m JOIN folders f ON f.rid = m.folder "
            "WHERE f.eid = '1002'").fetchall():
        recips = db.execute("SELECT COUNT(*) FROM recipients WHERE message = ?", (rid,)).fetchone()[0]
        sizes = [r[0] for r in db.execute(
            "SELECT length(data) FROM attachments WHERE message = ?", (rid,))]
        check(recips == 3 and sizes == [len(ATTACHMENT)] * 2,
              "Outbox message %r with %d recipients, attachments %r" % (subject, recips, sizes))


def check_delete(db):
    no_orphans(db)
    for rid, subject in db.execute(
            "SELECT m.rid, m.subject FROM messages m JOIN folders f ON f.rid = m.folder "
            "WHERE f.eid = '1001'").fetchall():
        parts = [db.execute(q, (rid,)).fetchone()[0] for q in (
            "SELECT COUNT(*) FROM recipients WHERE message = ?",
            "SELECT COUNT(*) FROM attachments WHERE message = ?",
            "SELECT COUNT(*) FROM props WHERE owner_kind = 1 AND owner = ?")]
        check(parts == [2, 1, 1], "message %r half deleted: %r" % (subject, parts))


def check_pab(db):
    n = db.execute("SELECT COUNT(*) FROM entries WHERE parent IS NOT NULL AND parent NOT IN "
                   "(SELECT rid FROM entries)").fetchone()[0]
    check(n == 0, "%d members without their list" % n)
    for rid, name in db.execute("SELECT rid, name FROM entries WHERE type = 'MAPIPDL'").fetchall():
        members = db.execute("SELECT COUNT(*) FROM entries WHERE parent = ?", (rid,)).fetchone()[0]
        check(members == 3, "distribution list %r with %d members" % (name, members))


class Writer:
    def __init__(self, name, run):
        self.name, self.run = name, run
        self.kills = self.mid_write = self.rounds_done = 0
        self.stored = 0  # writes found whole after the last kill



def private_env(prefix, data_home=True):
    """A scratch folder, and an environment whose home and XDG folders lie inside it."""
    tmp = tempfile.mkdtemp(prefix=prefix)
    env = dict(os.environ, QT_QPA_PLATFORM="offscreen", LC_ALL="C.UTF-8", TZ="UTC")
    names = ["HOME", "XDG_CONFIG_HOME", "XDG_CACHE_HOME", "XDG_RUNTIME_DIR"]
    for k in names + (["XDG_DATA_HOME"] if data_home else []):
        env[k] = os.path.join(tmp, k.lower())
        os.makedirs(env[k], mode=0o700)
    return tmp, env

def main():
    ap = argparse.ArgumentParser()
    ap.add_argument("quorvane")
    ap.add_argument("store_tool")
    ap.add_argument("--kills", type=int, default=40)
    ap.add_argument("--seconds", type=float, default=0)
    ap.add_argument("--seed", type=int, default=None)
    ap.add_argument("--writers", default="outbox,delete,pab,create,first-start",
                    help="which writers take turns, comma-separated")
    args = ap.parse_args()
    seed = args.seed if args.seed is not None else random.randrange(1 << 30)
    rng = random.Random(seed)
    quorvane, tool = os.path.abspath(args.quorvane), os.path.abspath(args.store_tool)

    tmp, env = private_env("quorvane-killwrites.", data_home=False)
    work = os.path.join(tmp, "work")
    os.makedirs(work)
    with open(os.path.join(work, "fixture.json"), "w") as f:
        json.dump(fixture(INBOX), f)
    with open(os.path.join(work, "big.json"), "w") as f:
        json.dump(fixture(1500), f)
    with open(os.path.join(work, "attachment.bin"), "wb") as f:
        f.write(ATTACHMENT)
    for name, code in (("outbox.bas", OUTBOX_CODE), ("delete.bas", DELETE_CODE)):
        with open(os.path.join(work, name), "w") as f:
            f.write(code)

    def profile(name):
        data = os.path.join(tmp, "data-" + name)
        store = os.path.join(data, "quorvane", "mailstore.db")
        if not os.path.exists(store):
            subprocess.run([tool, "create", "fixture.json", os.path.dirname(store)], cwd=work,
                           env=env, check=True, stdout=subprocess.DEVNULL)
        return dict(env, XDG_DATA_HOME=data), store

    def kill_during(cmd, penv, journal, w, window, may_finish=False):
        """Starts cmd and kills it: after a write begins or at a random moment.
        False when it finished first (allowed only with may_finish)."""
        proc = subprocess.Popen(cmd, cwd=work, env=penv, stdout=subprocess.DEVNULL,
                                stderr=subprocess.PIPE)
        start = time.monotonic()
        if rng.random() < 0.5:
            # Mid-write: a few transactions in, while the journal is there.
            wanted, seen, was = rng.randint(1, 4), 0, False
            while proc.poll() is None and time.monotonic() - start < 60:
                now = os.path.exists(journal)
                if now and not was:
                    seen += 1
                    if seen >= wanted:
                        time.sleep(rng.uniform(0, 0.004))
                        break
                was = now
                time.sleep(0.0005)
        else:
            time.sleep(rng.uniform(0, window))
        mid = os.path.exists(journal)
        proc.send_signal(signal.SIGKILL)
        _, err = proc.communicate()
        if may_finish and proc.returncode == 0:
            return False
        if proc.returncode != -signal.SIGKILL:
            raise Failure("%s ended by itself (status %s) before the kill: %s"
                          % (w.name, proc.returncode, err.decode(errors="replace")[-2000:]))
        w.kills += 1
        w.mid_write += mid
        return True

    def run_outbox(w):
        penv, store = profile("outbox")
        kill_during([quorvane, "--run-code", "outbox.bas"], penv, store + "-journal", w, 2.0)
        db = open_store(store)
        check_outbox(db)
        w.stored = db.execute("SELECT COUNT(*) FROM messages m JOIN folders f ON f.rid = m.folder "
                              "WHERE f.eid = '1002'").fetchone()[0]

    def run_delete(w):
        penv, store = profile("delete")
        kill_during([quorvane, "--run-code", "delete.bas"], penv, store + "-journal", w, 1.0, True)
        db = open_store(store)
        check_delete(db)
        w.stored += INBOX - db.execute("SELECT COUNT(*) FROM messages").fetchone()[0]
        if db.execute("SELECT COUNT(*) FROM messages").fetchone()[0] == 0:
            db.close()
            os.remove(store)  # a full Inbox again for the next round
            w.rounds_done += 1

    def run_pab(w):
        penv, store = profile("pab")
        script = os.path.join(work, "pab.script")
        with open(script, "w") as f:
            f.write(pab_script(w.kills))
        kill_during([quorvane, "--script", script], penv, store + "-journal", w, 3.0)
        db = open_store(store)
        check_pab(db)
        w.stored = db.execute("SELECT COUNT(*) FROM entries WHERE type = 'MAPIPDL'").fetchone()[0]

    create_time = []

    def run_create(w):
        target = os.path.join(tmp, "created")
        store = os.path.join(target, "mailstore.db")
        cmd = [tool, "create", "big.json", target]
        if not create_time:
            t = time.monotonic()
            subprocess.run(cmd, cwd=work, env=env, check=True, stdout=subprocess.DEVNULL)
            create_time.append(time.monotonic() - t)
            shutil.rmtree(target)
        killed = kill_during(cmd, env, store + ".part-journal", w, create_time[0] * 1.2, True)
        if os.path.exists(store):
            db = open_store(store)
            n = db.execute("SELECT COUNT(*) FROM messages").fetchone()[0]
            check(n == 1500, "a created store with %d of 1500 messages" % n)
            check(not os.path.exists(store + ".part"), "the part built is left beside the store")
            db.close()
            shutil.rmtree(target)
            w.rounds_done += 1
        # else: a later round must still be able to create it over what is left

    def run_first_start(w):
        # The first start of the program writes the demo store into the profile
        # folder; killed part-way, the next start must not find half a store.
        data = os.path.join(tmp, "data-first")
        store = os.path.join(data, "quorvane", "mailstore.db")
        penv = dict(env, XDG_DATA_HOME=data)
        script = os.path.join(work, "first.script")
        with open(script, "w") as f:
            f.write("click LogonButton\nclick OkButton\n")
        killed = kill_during([quorvane, "--script", script], penv, store + ".part-journal", w,
                             1.0, True)
        if os.path.exists(store):
            db = open_store(store)
            n = db.execute("SELECT COUNT(*) FROM messages").fetchone()[0]
            check(n > 0, "the demo store was left without its messages")
            if demo_messages:
                check(n == demo_messages[0], "a demo store with %d of %d messages"
                      % (n, demo_messages[0]))
            elif not killed:
                demo_messages.append(n)
            db.close()
            shutil.rmtree(data)
            w.rounds_done += 1

    demo_messages = []
    writers = [Writer(name, run) for name, run in (
        ("outbox", run_outbox), ("delete", run_delete), ("pab", run_pab),
        ("create", run_create), ("first-start", run_first_start))
        if name in args.writers.split(",")]
    started = time.monotonic()
    total = turn = 0
    try:
        while total < args.kills:
            w = writers[turn % len(writers)]
            turn += 1
            before = w.kills
            w.run(w)
            total += w.kills - before
            if (args.seconds and time.monotonic() - started > args.seconds
                    and all(x.kills for x in writers)):
                break
    except Failure as e:
        print("FAILED after %d kills (seed %d, writer %s): %s" % (total, seed, w.name, e))
        print("files kept in", tmp)
        return 1
    elapsed = time.monotonic() - started
    print("%d kills in %.1f s (seed %d), every store sound and every write whole" %
          (total, elapsed, seed))
    for x in writers:
        print("  %-11s %3d kills, %3d during a write, %4d writes stored, %d complete runs" %
              (x.name, x.kills, x.mid_write, x.stored, x.rounds_done))
    shutil.rmtree(tmp)
    return 0


if __name__ == "__main__":
    sys.exit(main())
