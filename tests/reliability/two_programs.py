#!/usr/bin/env python3
"""Two real programs on one profile: one browses and filters, the other deletes
and saves to the Outbox, while a third party holds the store locked for longer
than the programs wait. Both must end by themselves, report the busy store with
its own message only, and leave a sound store.

usage: two_programs.py QUORVANE QUORVANE_STORE [--seconds S]
"""
import os
import sqlite3
import subprocess
import sys
import threading
import time

from harness import (ATTACHMENT, Failure, Scratch, arguments, check_delete, check_outbox, fixture,
                     open_store)

BUSY = "The message store is in use by another program."


def main():
    ap = arguments(__doc__)
    ap.add_argument("--seconds", type=float, default=5)
    args = ap.parse_args()
    s = Scratch(args, "quorvane-twoprograms.")
    s.write("fixture.json", fixture(400))
    s.write("attachment.bin", ATTACHMENT)
    store = s.create_store("fixture.json", os.path.join(s.env["XDG_DATA_HOME"], "quorvane"))
    for name in ("browse.bas", "write.bas"):
        s.copy(name, SECONDS=str(args.seconds))

    procs = {name: subprocess.Popen([s.quorvane, "--run-code", name + ".bas"], cwd=s.work,
                                    env=s.env, stdout=subprocess.PIPE, stderr=subprocess.PIPE,
                                    text=True)
             for name in ("browse", "write")}

    # A third party holds the whole store for longer than the programs wait.
    held = []

    def hog():
        time.sleep(min(1.5, args.seconds / 3))
        db = sqlite3.connect(store, timeout=10, isolation_level=None)
        db.execute("BEGIN EXCLUSIVE")
        held.append(time.monotonic())
        time.sleep(3.0)
        db.execute("COMMIT")
        held.append(time.monotonic())
        db.close()

    locker = threading.Thread(target=hog)
    locker.start()
    failures = []
    outputs = {}
    for name, p in procs.items():
        try:
            out, err = p.communicate(timeout=args.seconds + 60)
        except subprocess.TimeoutExpired:
            p.kill()
            out, err = p.communicate()
            failures.append("%s hung" % name)
        outputs[name] = out
        if p.returncode != 0 or err:
            failures.append("%s ended with status %s: %s" % (name, p.returncode, err[-3000:]))
        errors = [l for l in out.splitlines() if l.startswith("error ")]
        wrong = [l for l in errors if BUSY not in l]
        if wrong:
            failures.append("%s reported other errors: %r" % (name, wrong[:5]))
        if not errors:
            failures.append("%s never met the locked store" % name)
        last = out.splitlines()[-1] if out else ""
        if not (last.startswith("browsed ") or last.startswith("wrote ")):
            failures.append("%s did not finish its loop: %r" % (name, out[-500:]))
        print("%s: %s, %d busy reports" % (name, last, len(errors)))
    locker.join()
    try:
        db = open_store(store)
        check_outbox(db)
        check_delete(db)
    except Failure as e:
        failures.append(str(e))
    if not failures:
        print("ok")
    return s.finish(failures)


if __name__ == "__main__":
    sys.exit(main())
