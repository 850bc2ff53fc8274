// An import cancelled before its end keeps what it wrote and says so; run again
// it adds what is missing and nothing twice.
#include <gtest/gtest.h>

#include <QTemporaryDir>
#include <atomic>

#include "import/Importer.h"

namespace {

TEST(ImportCancel, KeepsWhatItWroteAndTheNextImportCompletesIt) {
    QTemporaryDir dir;
    import::ImportOptions options;
    options.sources << QStringLiteral(IMPORT_CORPUS "/cases.mbox");
    options.storePath = dir.filePath(QStringLiteral("mailstore.db"));
    std::atomic<bool> cancel{true};
    options.cancel = &cancel;

    const import::ImportReport stopped = import::runImport(options);
    EXPECT_TRUE(stopped.cancelled);
    EXPECT_EQ(stopped.imported, 0);
    EXPECT_TRUE(import::summaryText(stopped).startsWith(
        "Cancelled: what was imported is kept; importing again adds what is missing.\n"));

    cancel = false;
    const import::ImportReport whole = import::runImport(options);
    EXPECT_FALSE(whole.cancelled);
    EXPECT_GT(whole.imported, 0);
    EXPECT_EQ(whole.duplicates, 0);

    const import::ImportReport again = import::runImport(options);
    EXPECT_EQ(again.imported, 0);
    EXPECT_EQ(again.duplicates, whole.imported);
}

}  // namespace
