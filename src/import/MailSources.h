#pragma once

// Reading mail containers on disk (mbox files, Maildir and Maildir++ trees,
// folders of .eml files, single .eml files) one raw message at a time. Only the
// container framing is handled here; the messages themselves go to the MIME
// reader untouched.

#include <QByteArray>
#include <QString>
#include <QStringList>
#include <functional>
#include <vector>

#include "mime/ParsedMessage.h"

namespace import {

enum class SourceKind { Mbox, Maildir, EmlFolder, EmlFile };

struct Source {
    QString path;
    SourceKind kind = SourceKind::EmlFile;
    QString storeName;  // the default store name this source suggests
    qint64 bytes = 0;   // total size of what will be read, for progress
};

// One message as found in its container.
struct RawMessage {
    QStringList folder;  // folder path below the store's top folder
    QByteArray raw;
    mime::EnvelopeHints hints;
    QString origin;       // "FILE, message N at byte B" or the file's path
    qint64 consumed = 0;  // container bytes this message took up
};

// Classifies a path; an error text when it cannot be read at all.
struct Recognized {
    std::optional<Source> source;
    QString error;
};
Recognized recognizeSource(const QString& path);

// Calls `sink` for every message of the source in order; returns an error text
// when reading stops early (an I/O error), else an empty string.
QString readSource(const Source& source, const std::function<void(RawMessage&&)>& sink);

}  // namespace import
