#include "ui/SafeFileName.h"

#include <gtest/gtest.h>

namespace {

struct Case {
    const char* why;
    QString name;
    QString expected;
};

TEST(SafeFileName, SuggestsANameInsideTheChosenFolder) {
    const QString longBase(10000, QLatin1Char('a'));
    const Case cases[] = {
        {"ordinary", QStringLiteral("report.pdf"), QStringLiteral("report.pdf")},
        {"blanks kept inside", QStringLiteral("my notes.txt"), QStringLiteral("my notes.txt")},
        {"letters beyond ASCII kept", QStringLiteral("Café crème.doc"),
         QStringLiteral("Café crème.doc")},
        {"path climbing out", QStringLiteral("../../etc/passwd"), QStringLiteral("passwd")},
        {"absolute path", QStringLiteral("/etc/cron.d/job"), QStringLiteral("job")},
        {"Windows path", QStringLiteral("C:\\Temp\\..\\evil.exe"), QStringLiteral("evil.exe")},
        {"only dots", QStringLiteral(".."), QStringLiteral("__")},
        {"one dot", QStringLiteral("."), QStringLiteral("_")},
        {"leading dot hides the file", QStringLiteral(".bashrc"), QStringLiteral("_bashrc")},
        {"trailing slash leaves nothing", QStringLiteral("dir/"), QStringLiteral("attachment")},
        {"empty", QString(), QStringLiteral("attachment")},
        {"line break and tab", QStringLiteral("a\nb\tc\r.txt"), QStringLiteral("a_b_c_.txt")},
        {"NUL and DEL", QStringLiteral("a") + QChar(0) + QStringLiteral("b\x7f"),
         QStringLiteral("a_b_")},
        {"characters file systems refuse", QStringLiteral("a:b*c?d\"e<f>g|h"),
         QStringLiteral("a_b_c_d_e_f_g_h")},
        {"line separator", QStringLiteral("a") + QChar(0x2028) + QStringLiteral("b"),
         QStringLiteral("a_b")},
        {"trailing blanks and dots", QStringLiteral("name. . "), QStringLiteral("name")},
        {"10,000 characters keep the extension", longBase + QStringLiteral(".txt"),
         QString(251, QLatin1Char('a')) + QStringLiteral(".txt")},
        {"10,000 characters without extension", longBase, QString(255, QLatin1Char('a'))},
    };
    for (const Case& c : cases) EXPECT_EQ(ui::safeFileName(c.name), c.expected) << c.why;
}

TEST(SafeFileName, CutsLongNamesOnWholeCharacters) {
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
