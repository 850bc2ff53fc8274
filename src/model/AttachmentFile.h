#pragma once

// Attachment.ReadFromFile and WriteToFile as every store answers them:
// MAPI_E_NOT_FOUND for a path that is not there, MAPI_E_NO_ACCESS for one that
// cannot be read or written.

#include <QByteArray>
#include <QIODevice>
#include <QString>
#include <functional>

namespace model {

QByteArray readAttachmentFile(const QString& path);

// `write` puts the data into the file and says whether all of it went. The file
// is written beside the target and renamed over it, so a failed write leaves
// no half-written file behind.
void writeAttachmentFile(const QString& path, const std::function<bool(QIODevice&)>& write);

}  // namespace model
