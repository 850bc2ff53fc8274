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
import os
import random
import shutil
import signal
import subprocess
import sys
import time

from harness import (ATTACHMENT, Failure, Scratch, arguments, check, check_delete, check_outbox,
                     count, fixture, open_store)

INBOX = 40  # messages in the delete writer's Inbox


def pab_script(tag):
    lines = ["click LogonButton", "choose ProfileCombo Kill", "click OkButton", "click AddAddrButton"]
    for k in range(1, 2001):
        for m in range(1, 4):
            lines += ['set NameText "Member %d"' % m, "set AddrText m%d@example.com" % m,
                      "click AddListButton"]
        lines += ['set PDLText "DL %s-%d"' % (tag, k), "click AddButton"]
    return "\n".join(lines) + "\n"


def check_pab(db):
    n = count(db, "entries WHERE parent IS NOT NULL AND parent NOT IN (SELECT rid FROM entries)")
    check(n == 0, "%d members without their list" % n)
    for rid, name in db.execute("SELECT rid, name FROM entries WHERE type = 'MAPIPDL'").fetchall():
        members = count(db, "entries WHERE parent = ?", rid)
        check(members == 3, "distribution list %r with %d members" % (name, members))


class Writer:
    def __init__(self, name, run):
        self.name, self.run = name, run
        self.kills = self.mid_write = self.rounds_done = 0
        self.stored = 0  # writes found whole after the last kill


def main():
    ap = arguments(__doc__)
    ap.add_argument("--kills", type=int, default=40)
    ap.add_argument("--seconds", type=float, default=0)
    ap.add_argument("--seed", type=int, default=None)
    ap.add_argument("--writers", default="outbox,delete,pab,create,first-start",
                    help="which writers take turns, comma-separated")
    args = ap.parse_args()
    seed = args.seed if args.seed is not None else random.randrange(1 << 30)
    rng = random.Random(seed)
    s = Scratch(args, "quorvane-killwrites.", data_home=False)
    quorvane, tool, tmp, env, work = s.quorvane, s.tool, s.tmp, s.env, s.work
    s.write("fixture.json", fixture(INBOX))
    s.write("big.json", fixture(1500))
    s.write("attachment.bin", ATTACHMENT)
    s.copy("outbox.bas")
    s.copy("delete.bas")

    def profile(name):
        data = os.path.join(tmp, "data-" + name)
        store = os.path.join(data, "quorvane", "mailstore.db")
        if not os.path.exists(store):
            s.create_store("fixture.json", os.path.dirname(store))
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
        w.stored = count(db, "messages m JOIN folders f ON f.rid = m.folder WHERE f.eid = '1002'")

    def run_delete(w):
        penv, store = profile("delete")
        kill_during([quorvane, "--run-code", "delete.bas"], penv, store + "-journal", w, 1.0, True)
        db = open_store(store)
        check_delete(db)
        w.stored += INBOX - count(db, "messages")
        if count(db, "messages") == 0:
            db.close()
            os.remove(store)  # a full Inbox again for the next round
            w.rounds_done += 1

    def run_pab(w):
        penv, store = profile("pab")
        script = s.write("pab.script", pab_script(w.kills))
        kill_during([quorvane, "--script", script], penv, store + "-journal", w, 3.0)
        db = open_store(store)
        check_pab(db)
        w.stored = count(db, "entries WHERE type = 'MAPIPDL'")

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
            n = count(db, "messages")
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
        script = s.write("first.script", "click LogonButton\nclick OkButton\n")
        killed = kill_during([quorvane, "--script", script], penv, store + ".part-journal", w,
                             1.0, True)
        if os.path.exists(store):
            db = open_store(store)
            n = count(db, "messages")
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
        return s.finish(["after %d kills (seed %d, writer %s): %s" % (total, seed, w.name, e)])
    elapsed = time.monotonic() - started
    print("%d kills in %.1f s (seed %d), every store sound and every write whole" %
          (total, elapsed, seed))
    for x in writers:
        print("  %-11s %3d kills, %3d during a write, %4d writes stored, %d complete runs" %
              (x.name, x.kills, x.mid_write, x.stored, x.rounds_done))
    return s.finish([])


if __name__ == "__main__":
    sys.exit(main())
