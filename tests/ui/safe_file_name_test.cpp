#include "ui/SafeFileName.h"

#include <gtest/gtest.h>

#include "support/JsonCases.h"

namespace {

class SafeFileName : public testing::TestWithParam<jsoncases::Case> {};

TEST_P(SafeFileName, SuggestsANameInsideTheChosenFolder) {
    EXPECT_EQ(ui::safeFileName(GetParam().fields[1]).toStdString(), GetParam().field(2));
}

INSTANTIATE_TEST_SUITE_P(Cases, SafeFileName,
                         testing::ValuesIn(jsoncases::read(CASES_DIR "/safe_file_name.json")),
                         jsoncases::name<testing::TestParamInfo<jsoncases::Case>>);

TEST(SafeFileNameLong, KeepsTheExtensionOf10000Characters) {
    const QString longBase(10000, QLatin1Char('a'));
    EXPECT_EQ(ui::safeFileName(longBase + QStringLiteral(".txt")),
              QString(251, QLatin1Char('a')) + QStringLiteral(".txt"));
    EXPECT_EQ(ui::safeFileName(longBase), QString(255, QLatin1Char('a')));
}

TEST(SafeFileNameLong, CutsLongNamesOnWholeCharacters) {
    // 200 two-byte letters and 100 four-byte ones: 255 bytes of UTF-8 at most,
    // never half a character.
    QString name(200, QChar(0xe9));
    for (int i = 0; i < 100; ++i) name += QString::fromUcs4(U"\U0001F600", 1);
    const QString out = ui::safeFileName(name + QStringLiteral(".eml"));
    EXPECT_LE(out.toUtf8().size(), 255);
    EXPECT_TRUE(out.endsWith(QStringLiteral(".eml")));
    EXPECT_EQ(QString::fromUtf8(out.toUtf8()), out);
    EXPECT_FALSE(out.contains(QChar(0xfffd)));
}

}  // namespace
