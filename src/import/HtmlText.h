#pragma once

#include <QString>

namespace import {

// The text a reader sees in an HTML body, through Qt's own HTML reader.
QString htmlToText(const QString& html);

}  // namespace import
