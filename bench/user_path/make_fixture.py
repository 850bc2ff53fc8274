#!/usr/bin/env python3
"""Writes the store fixture of the user-path benchmarks: one store whose folder
"Big" (ID 1001) holds N messages, with senders, subjects and receipt times
varied enough for the filters to have something to find."""
import datetime
import json
import sys

count = int(sys.argv[1])
out = sys.argv[2]
senders = ["Ann Able", "Bob Baker", "Cy Cole", "Di Dunn", "Ed Ellis", "Flo Fox", "Gus Gray",
           "Hal Hunt", "Ida Ives", "Jo Jones"]
topics = ["status report", "budget", "lunch", "release plan", "meeting notes", "invoice",
          "travel", "review", "question", "minutes"]
start = datetime.datetime(1997, 1, 1, 8, 0, 0)


def message(i):
    when = start + datetime.timedelta(minutes=17 * i % (3 * 365 * 24 * 60))
    name = senders[i % len(senders)]
    return {
        "id": "%08X" % (0x100000 + i),
        "subject": "%s %d" % (topics[(i * 7) % len(topics)].capitalize(), i),
        "sender": {"name": name, "address": name.split()[0].lower() + "@example.com"},
        "timeReceived": when.strftime("%Y-%m-%dT%H:%M:%S"),
        "timeSent": (when - datetime.timedelta(minutes=1)).strftime("%Y-%m-%dT%H:%M:%S"),
        "size": 1000 + i % 5000,
        "unread": i % 3 == 0,
    }


doc = {
    "profiles": [{"name": "Bench", "default": True, "stores": ["00E1"]}],
    "stores": [{
        "id": "00E1", "name": "Mailbox - Bench",
        "root": {"id": "1000", "name": "Top"},
        "folders": [{"id": "1001", "name": "Big", "messages": [message(i) for i in range(count)]}],
    }],
    "addressLists": [],
}
with open(out, "w") as f:
    json.dump(doc, f, separators=(",", ":"))
