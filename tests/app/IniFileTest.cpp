#include "app/IniFile.h"

#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace {

// Mixed line ends, odd spelling, a repeated section and key, comments.
const QByteArray kFixture =
    "; leading comment\r\n"
    "[Setup]\r\n"
    "  Language = 1031  \r\n"
    "language=2057\r\n"
    "User=Jane Doe=QA\n"
    "Path= \"C:\\Data\\\" \r\n"
    "Quote='half\r\n"
    ";Port=9\r\n"
    "NoEqualsSign\r\n"
    "\r\n"
    "[ window ]\r\n"
    "State=2\r\n"
    "[SETUP]\r\n"
    "Port=4\r\n"
    "Extra=from second block\r\n";

TIniFile Fixture()
{
    TIniFile ini;
    ini.SetContent(kFixture);
    return ini;
}

} // namespace

TEST(IniFile, ReadsWithProfileSemantics)
{
    const TIniFile ini = Fixture();
    struct Case { const char *section, *key, *expected; };
    const Case cases[] = {
        {"setup", "LANGUAGE", "1031"},          // case-insensitive, first match wins, trimmed
        {"Setup", "User", "Jane Doe=QA"},      // value runs to the end of the line
        {"Setup", "Path", "C:\\Data\\"},       // one pair of quotes removed
        {"Setup", "Quote", "'half"},
        {"Window", "state", "2"},               // blanks inside the brackets
        {"Setup", "Port", "<none>"},            // the commented key is no entry; only the first block counts
        {"Setup", "Extra", "<none>"},
        {"Setup", "NoEqualsSign", "<none>"},
        {"Missing", "Key", "<none>"},
    };
    for (const Case &c : cases)
        EXPECT_EQ(ini.ReadString(c.section, c.key, "<none>"), QString::fromLatin1(c.expected)) << c.section << '/' << c.key;

    EXPECT_EQ(ini.Sections(), (QStringList{"Setup", "window"}));
    EXPECT_EQ(ini.Keys("SETUP"), (QStringList{"Language", "User", "Path", "Quote"}));
    EXPECT_EQ(ini.SectionValues("setup").size(), 5);
    EXPECT_TRUE(ini.KeyExists("setup", "user"));
    EXPECT_FALSE(ini.KeyExists("setup", "Port"));
}

TEST(IniFile, NumbersThatDoNotParseReadAsDefault)
{
    struct Case { const char *text; int integer; bool boolean; };
    const Case cases[] = {
        {"12", 12, true},         {" -3 ", -3, true},     {"+5", 5, true},
        {"$1F", 31, true},        {"0x10", 16, true},     {"010", 10, true},
        {"0", 0, false},          {"abc", 77, true},      {"12abc", 77, true},
        {"", 77, true},           {"1.5", 77, true},      {"99999999999", 77, true},
        {"-2147483648", -2147483647 - 1, true},           {"$FFFFFFFF", -1, true},
    };
    for (const Case &c : cases) {
        TIniFile ini;
        ini.WriteString("S", "K", QString::fromLatin1(c.text));
        EXPECT_EQ(ini.ReadInteger("S", "K", 77), c.integer) << c.text;
        EXPECT_EQ(ini.ReadBool("S", "K", true), c.boolean) << c.text;
    }

    TIniFile ini;
    ini.WriteString("S", "Bad", "x1");
    EXPECT_FALSE(ini.ReadBool("S", "Bad", false));
    ini.WriteString("S", "Comma", "2,5");
    EXPECT_DOUBLE_EQ(ini.ReadFloat("S", "Comma", 0), 2.5);
    ini.WriteString("S", "Junk", "2.5 mm");
    EXPECT_DOUBLE_EQ(ini.ReadFloat("S", "Junk", -1), -1);
    for (double value : {0.1, -1234.5678e-9, 1e300, 3.0}) {
        ini.WriteFloat("S", "F", value);
        EXPECT_EQ(ini.ReadFloat("S", "F", 0), value);
    }
}

TEST(IniFile, WritingKeepsEverythingElseInPlace)
{
    TIniFile ini = Fixture();
    ini.WriteInteger("SETUP", "language", 1036);  // replaces the first entry, keeps its spelling
    ini.WriteString("setup", "New", "a\r\nb");    // after the last entry, before the blank line
    ini.WriteBool("Files", "Flag", true);         // new section at the end
    ini.WriteString("window", "State", " 0 ");
    ini.DeleteKey("Setup", "User");

    EXPECT_EQ(ini.Content(), QByteArray(
        "; leading comment\r\n"
        "[Setup]\r\n"
        "Language=1036\r\n"
        "language=2057\r\n"
        "Path= \"C:\\Data\\\" \r\n"
        "Quote='half\r\n"
        ";Port=9\r\n"
        "NoEqualsSign\r\n"
        "New=a  b\r\n"
        "\r\n"
        "[ window ]\r\n"
        "State= 0 \r\n"
        "[SETUP]\r\n"
        "Port=4\r\n"
        "Extra=from second block\r\n"
        "[Files]\r\n"
        "Flag=1\r\n"));
    EXPECT_EQ(ini.ReadInteger("Window", "State", 9), 0);

    ini.EraseSection("setup"); // both blocks
    EXPECT_EQ(ini.Sections(), (QStringList{"window", "Files"}));
}

TEST(IniFile, SavesThroughTemporaryFileAndKeepsEncoding)
{
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    const QString path = dir.filePath("params.ini");

    // A Latin-1 file is written back byte for byte as Latin-1.
    const QByteArray latin1 = "[Gr\xfc\xdf" "e]\r\nName=M\xfcller\r\n";
    {
        QFile file(path);
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(latin1);
    }
    TIniFile ini(path);
    EXPECT_EQ(ini.Encoding(), TIniFile::TEncoding::Latin1);
    EXPECT_EQ(ini.ReadString(QString::fromUtf8("GRÜßE"), "name"),
              QString::fromUtf8("Müller"));
    ASSERT_TRUE(ini.Save());
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    EXPECT_EQ(file.readAll(), latin1);
    file.close();

    // A failed save reports the failure and leaves no partial file behind.
    EXPECT_FALSE(ini.Save(dir.filePath("missing/params.ini")));
    EXPECT_FALSE(ini.ErrorString().isEmpty());
    EXPECT_FALSE(QFile::exists(dir.filePath("missing/params.ini")));

    // A missing file loads as empty and can be created.
    TIniFile fresh;
    EXPECT_FALSE(fresh.Load(dir.filePath("new.ini")));
    fresh.WriteString("A", "B", "C");
    ASSERT_TRUE(fresh.Save());
    EXPECT_EQ(TIniFile(dir.filePath("new.ini")).ReadString("a", "b"), "C");
}
