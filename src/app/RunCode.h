#pragma once

// quorvane --run-code FILE [--profile NAME [--password-file F]] [--fixture
// F.json] [--script S]: runs a file of Visual Basic and writes its Debug.Print
// lines on standard output; a compile or run-time error goes to standard error
// as "FILE:LINE: ..." and makes the exit status 1.

#include <QString>

#include "messaging/Variant.h"

namespace app {

class MAPIForm;

// What a headless run answers in the library's place: the profile chooser
// gets `profile` (nobody there to choose: cancelled when empty), and a logon
// naming that profile without its password gets `password`. With `readOnly`
// every write the code asks for fails and changes nothing (a dry run).
struct HeadlessAnswers {
    QString profile;
    QString password;
    bool readOnly = false;
};

// Runs the file with `sessionName` (when not empty) already holding `session`.
// Returns the exit status: 0, 1 for a compile or run-time error, 2 when the
// file cannot be read.
int runCodeFile(const QString& path, const QString& sessionName = QString(),
                const mapi::Variant& session = mapi::Variant(),
                const HeadlessAnswers& answers = {});

// The same after a scenario script: the form's logged-on session is the value
// of the session variable under its current name.
int runCodeFileAfterScript(const QString& path, MAPIForm& form,
                           const HeadlessAnswers& answers = {});

}  // namespace app
