#pragma once

// Shared set-up for the embedded store's tests: a small fixture written to a
// file, installed as the back-end, and helpers to log on and to answer the
// library's modal dialogs.

#include <QFile>
#include <QTemporaryDir>
#include <functional>
#include <ostream>

#include "messaging/Objects.h"
#include "messaging/SessionFactory.h"
#include "store/Backend.h"
#include "support/Drive.h"

// Readable QString values in failure messages.
inline void PrintTo(const QString& s, std::ostream* os) {
    *os << '"' << s.toStdString() << '"';
}

namespace storetest {

// Two stores (the second with the Outbox), three address lists (one read-only),
// two profiles plus one without Outbox and PAB.
inline const char* const kFixture = R"JSON({
  "profiles": [
    {"name": "Default", "default": true, "server": "MAILHOST", "mailbox": "Ann Lee"},
    {"name": "Secret", "password": "pa55", "stores": ["A1"], "addressLists": ["Global Address List"]},
    {"name": "Bare", "stores": ["A1"], "addressLists": []}
  ],
  "stores": [
    {"id": "A1", "name": "Archive", "root": {"id": "A100", "name": "Top of Archive"},
     "folders": [
       {"id": "A110", "name": "Old Mail", "messages": [
         {"id": "A111", "subject": "Budget 1998", "text": "Numbers attached", "importance": 2,
          "sender": {"name": "Bob Stone", "address": "bob@example.com"}, "size": 2048,
          "timeReceived": "1998-12-31T23:59:00", "timeSent": "1998-12-31T23:50:00",
          "type": "IPM.Note", "unread": true, "sent": true,
          "conversationIndex": "01BE0A", "conversationTopic": "Budget",
          "recipients": [{"name": "Ann Lee", "address": "ann@example.com", "type": 1},
                         {"name": "Carl Moe", "address": "carl@example.com", "type": 2},
                         {"name": "Dina Ray", "address": "dina@example.com", "type": 3, "displayType": 6}],
          "attachments": [{"name": "plan.txt", "text": "line one\r\nline two"},
                          {"name": "blob.bin", "base64": "AAEC/w=="}],
          "fields": [{"id": 4096, "type": 3, "value": 1024},
                     {"name": "Keywords", "value": "x"},
                     {"name": "Score", "type": 5, "value": 2.5},
                     {"name": "Reviewed", "value": true},
                     {"name": "Due", "type": 7, "value": "1999-03-01T10:15:00"},
                     {"name": "Budget", "type": 6, "value": 12.5},
                     {"name": "Broken", "type": 10, "error": "8004010F"},
                     {"name": "Missing", "type": 8, "value": null}]},
         {"id": "A112", "subject": null, "text": "no subject here", "sender": null}
       ]},
       {"id": "A120", "name": "Empty"}
     ]},
    {"id": "B1", "name": "Mailbox - Ann Lee", "outbox": "B130",
     "folders": [
       {"id": "B110", "name": "Inbox", "folders": [{"id": "B111", "name": "Projects"}],
        "messages": [
         {"id": "B1A1", "subject": "Lunch on Friday", "text": "Pizza?", "importance": 1,
          "sender": {"name": "Carl Moe", "address": "carl@example.com"}, "size": 100,
          "timeReceived": "1999-03-01T09:00:00", "type": "IPM.Note", "unread": false, "sent": true,
          "recipients": [{"name": "Ann Lee", "address": "ann@example.com"}]},
         {"id": "B1A2", "subject": "Budget 1999 draft", "text": "See the BUDGET sheet", "importance": 2,
          "sender": {"name": "Bob Stone", "address": "bob@example.com"}, "size": 5000,
          "timeReceived": "1999-03-02T14:30:00", "type": "IPM.Note", "unread": true, "sent": true,
          "recipients": [{"name": "Dina Ray", "address": "dina@example.com", "type": 2}],
          "fields": [{"name": "Keywords", "value": "finance"}, {"name": "Ticket", "type": 3, "value": 7}]},
         {"id": "B1A3", "subject": "Meeting receipt", "text": "Read", "importance": 0,
          "sender": {"name": "Erin Fox", "address": "erin@example.org"}, "size": 300,
          "timeReceived": "1999-03-03T00:00:00", "type": "IPM.Note.Receipt", "unread": false, "sent": false,
          "fields": [{"name": "Keywords", "value": "meeting"}, {"name": "Ticket", "type": 3, "value": 9}]}
       ]},
       {"id": "B120", "name": "Sent Items"},
       {"id": "B130", "name": "Outbox"}
     ]}
  ],
  "addressLists": [
    {"name": "Global Address List", "readOnly": true, "entries": [
      {"id": "E1", "name": "Ann Lee", "address": "ann@example.com", "type": "SMTP", "alias": "annl"},
      {"id": "E2", "name": "Bob Stone", "address": "bob@example.com", "type": "SMTP", "alias": "bobs",
       "comment": "Finance", "fields": [{"name": "Office", "value": "B-12"}]},
      {"id": "E3", "name": "Carl Moe", "address": "carl@example.com", "type": "SMTP", "alias": "carlm"},
      {"id": "E4", "name": "Carl Moe", "address": "carl.moe@example.org", "type": "SMTP", "alias": "cmoe"}
    ]},
    {"name": "Personal Address Book", "entries": [
      {"id": "E10", "name": "Dina Ray", "address": "dina@example.com", "type": "SMTP", "alias": "dinar"},
      {"id": "E11", "name": "Team", "type": "MAPIPDL", "displayType": 5, "members": [
        {"id": "E12", "name": "Ann Lee", "address": "ann@example.com", "type": "SMTP"},
        {"id": "E13", "name": "Bob Stone", "address": "bob@example.com", "type": "SMTP"}]}
    ]},
    {"name": "Contacts", "entries": [
      {"id": "E20", "name": "Bob Stone", "address": "bob@example.com", "type": "SMTP", "alias": "bobby"}
    ]}
  ]
})JSON";

// Writes `json` into a file in `dir` and returns its path.
inline QString writeFile(const QTemporaryDir& dir, const QString& name, const QByteArray& json) {
    const QString path = dir.filePath(name);
    QFile f(path);
    f.open(QIODevice::WriteOnly);
    f.write(json);
    return path;
}

// Installs the standard fixture (fresh for each call).
inline void installFixture() {
    QTemporaryDir dir;
    store::installFixtureBackend(writeFile(dir, QStringLiteral("fixture.json"), kFixture));
}

inline mapi::Ref<mapi::Session> logon(const QString& profile = QString(),
                                      const QString& password = QString()) {
    mapi::Ref<mapi::Session> s = mapi::createSession();
    mapi::LogonArgs a;
    if (!profile.isEmpty()) {
        a.profileName = profile;
        a.profilePassword = password;
    }
    a.showDialog = false;
    a.newSession = true;
    s->Logon(a);
    return s;
}

using drive::whenModal;

// Expects `fn` to throw mapi::Error with `number`.
template <class Fn>
std::int32_t errorOf(Fn&& fn) {
    try {
        fn();
    } catch (const mapi::Error& e) {
        return e.number();
    }
    return 0;
}

}  // namespace storetest
