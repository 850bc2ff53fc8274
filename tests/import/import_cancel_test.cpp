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

// Cancelled part-way, as the import window's Cancel does from another thread:
// the batches already committed stay, and the next import adds just the rest.
TEST(ImportCancel, PartWayKeepsTheCommittedBatchesAndTheNextImportAddsTheRest) {
    QTemporaryDir dir;
    import::ImportOptions options;
    options.sources << QStringLiteral(IMPORT_CORPUS "/cases.mbox");
    options.storePath = dir.filePath(QStringLiteral("mailstore.db"));
    options.batchMessages = 1;
    std::atomic<bool> cancel{false};
    options.cancel = &cancel;
    // The first report comes after the first message, which a batch of one has
    // committed by then.
    options.progress = [&cancel](const import::ImportProgress&) { cancel = true; };

    const import::ImportReport stopped = import::runImport(options);
    EXPECT_TRUE(stopped.cancelled);
    ASSERT_EQ(stopped.imported, 1);

    cancel = false;
    options.progress = nullptr;
    const import::ImportReport rest = import::runImport(options);
    EXPECT_FALSE(rest.cancelled);
    EXPECT_EQ(rest.duplicates, 1);
    EXPECT_GT(rest.imported, 1);

    options.sources.clear();
    import::ImportOptions whole = options;
    whole.sources << QStringLiteral(IMPORT_CORPUS "/cases.mbox");
    whole.storePath = dir.filePath(QStringLiteral("other.db"));
    EXPECT_EQ(import::runImport(whole).imported, stopped.imported + rest.imported);
}

}  // namespace
