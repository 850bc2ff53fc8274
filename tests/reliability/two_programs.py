#!/usr/bin/env python3
"""Two real programs on one profile: one browses and filters, the other deletes
and saves to the Outbox, while a third party holds the store locked for longer
than the programs wait. Both must end by themselves, report the busy store with
its own message only, and leave a sound store.

usage: two_programs.py QUORVANE QUORVANE_STORE [--seconds S]
"""
import argparse
import os
import sqlite3
import subprocess
import sys
import threading
import time
import shutil

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
from kill_writes import fixture, open_store, check_outbox, check_delete, Failure, private_env  # noqa: E402

BUSY = "The message store is in use by another program."

LOGON = ('Set oSession = CreateObject("MAPI.Session")\n'
         'oSession.Logon ProfileName:="Kill", ShowDialog:=False\n'
         'On Error Resume Next\n')

REPORT = '''    If Err.Number <> 0 Then
      Debug.Print "error " & Err.Number & ": " & Err.Description
      Err.Clear
    End If
'''

BROWSE = LOGON + '''t0 = Timer
n = 0
Do While Timer - t0 < SECONDS
  n = n + 1
  Set oMsgs = Nothing
  Set oMsgs = oSession.GetFolder("1001", "00B1").Messages
''' + REPORT + '''  If Not oMsgs Is Nothing Then
    Set oFilter = oMsgs.Filter
    oFilter.Subject = "Inbox 1"
    Set oMsg = oMsgs.GetFirst
    For j = 1 To 100
''' + REPORT + '''      If oMsg Is Nothing Then Exit For
      s = oMsg.Subject & oMsg.Recipients.Count
      Set oNext = Nothing
      Set oNext = oMsgs.GetNext
      Set oMsg = oNext
    Next j
  End If
''' + REPORT + '''Loop
Debug.Print "browsed " & n
'''

WRITE = LOGON + '''t0 = Timer
n = 0
Do While Timer - t0 < SECONDS
  n = n + 1
  Set oMsg = Nothing
  Set oMsg = oSession.GetFolder("1001", "00B1").Messages.GetFirst
''' + REPORT + '''  If Not oMsg Is Nothing Then oMsg.Delete
''' + REPORT + '''  Set oNew = oSession.Outbox.Messages.Add
  oNew.Subject = "Saved " & n
  For j = 1 To 3
    Set oRecip = oNew.Recipients.Add(Name:="To " & j, Type:=1)
    oRecip.Address = "to@example.com"
  Next j
  For j = 1 To 2
    Set oAtt = oNew.Attachments.Add
    oAtt.Name = "a.bin"
    oAtt.ReadFromFile "attachment.bin"
  Next j
  oNew.Update
''' + REPORT + '''  ' A pause between writes, as a user makes: others get their turn at the store.
  t1 = Timer
  Do While Timer - t1 < 0.03
  Loop
Loop
Debug.Print "wrote " & n
'''


def main():
    ap = argparse.ArgumentParser()
    ap.add_argument("quorvane")
    ap.add_argument("store_tool")
    ap.add_argument("--seconds", type=float, default=5)
    args = ap.parse_args()
    quorvane, tool = os.path.abspath(args.quorvane), os.path.abspath(args.store_tool)
    tmp, env = private_env("quorvane-twoprograms.")
    work = os.path.join(tmp, "work")
    os.makedirs(work)
    import json
    with open(os.path.join(work, "fixture.json"), "w") as f:
        json.dump(fixture(400), f)
    with open(os.path.join(work, "attachment.bin"), "wb") as f:
        f.write(bytes(range(256)) * 256)
    store_dir = os.path.join(env["XDG_DATA_HOME"], "quorvane")
    subprocess.run([tool, "create", "fixture.json", store_dir], cwd=work, env=env, check=True,
                   stdout=subprocess.DEVNULL)
    store = os.path.join(store_dir, "mailstore.db")
    for name, code in (("browse.bas", BROWSE), ("write.bas", WRITE)):
        with open(os.path.join(work, name), "w") as f:
            f.write(code.replace("SECONDS", str(args.seconds)))

    procs = {name: subprocess.Popen([quorvane, "--run-code", name + ".bas"], cwd=work, env=env,
                                    stdout=subprocess.PIPE, stderr=subprocess.PIPE, text=True)
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
    if failures:
        print("FAILED:\n  " + "\n  ".join(failures))
        print("files kept in", tmp)
        return 1
    shutil.rmtree(tmp)
    print("ok")
    return 0


if __name__ == "__main__":
    sys.exit(main())
