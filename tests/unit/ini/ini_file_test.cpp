#include "platform/ini/ini_file.h"
#include "support/test_env.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <gtest/gtest.h>

#include <memory>
#include <thread>
#include <unistd.h>
#include <vector>

using namespace brindle;

// Readable failure messages for Qt strings.
void PrintTo(const QString &text, std::ostream *out)
{
    *out << '"' << text.toStdString() << '"';
}

namespace {

class IniFileTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        const auto *info = ::testing::UnitTest::GetInstance()->current_test_info();
        folder = test::TemporaryHome() + "ini/" + info->name() + "/";
        QDir(folder).removeRecursively();
        ASSERT_TRUE(QDir().mkpath(folder));
        path = folder + "test.ini";
    }

    static void WriteRaw(const QString &file, const QByteArray &bytes)
    {
        QFile out(file);
        ASSERT_TRUE(out.open(QIODevice::WriteOnly));
        out.write(bytes);
    }

    static QString ReadRaw(const QString &file)
    {
        QFile in(file);
        return in.open(QIODevice::ReadOnly) ? QString::fromUtf8(in.readAll()) : QString();
    }

    QStringList FolderEntries() const
    {
        return QDir(folder).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot);
    }

    QString folder;
    QString path;
};

} // namespace

TEST_F(IniFileTest, WritesPlainIniTextAndReadsItBack)
{
    {
        IniFile ini(path);
        EXPECT_EQ(ini.Loaded(), IniFile::LoadResult::NoFile);
        ini.WriteString("Download", "strSaveDir", "/home/u/Yahoo Groups Files/");
        ini.WriteBool("Download", "boolOn", true);
        ini.WriteBool("Download", "boolOff", false);
        ini.WriteInteger("Download", "intTimeOut", -60);
        ini.WriteString("Other", "name", QString::fromUtf8("Gr\xC3\xBC\xC3\x9F" "e \xF0\x9F\x98\x80"));
        EXPECT_FALSE(QFile::exists(path)) << "nothing is written before save or release";
    }
    EXPECT_EQ(ReadRaw(path), QString::fromUtf8("[Download]\nstrSaveDir=/home/u/Yahoo Groups Files/\nboolOn=1\nboolOff=0\n"
                                        "intTimeOut=-60\n\n\n[Other]\nname=Gr\xC3\xBC\xC3\x9F" "e \xF0\x9F\x98\x80\n"));

    const IniFile ini(path);
    EXPECT_EQ(ini.Loaded(), IniFile::LoadResult::Read);
    EXPECT_EQ(ini.Sections(), (QStringList{"Download", "Other"}));
    EXPECT_EQ(ini.Keys("Download"), (QStringList{"strSaveDir", "boolOn", "boolOff", "intTimeOut"}));
    EXPECT_TRUE(ini.ReadBool("Download", "boolOn", false));
    EXPECT_FALSE(ini.ReadBool("Download", "boolOff", true));
    EXPECT_EQ(ini.ReadInteger("Download", "intTimeOut", 0), -60);
    EXPECT_EQ(ini.ReadString("Other", "name", ""), QString::fromUtf8("Gr\xC3\xBC\xC3\x9F" "e \xF0\x9F\x98\x80"));
    EXPECT_EQ(ini.ReadString("Other", "missing", "dflt"), "dflt");
    EXPECT_EQ(ini.ReadString("Missing", "name", "dflt"), "dflt");
}

TEST_F(IniFileTest, NumbersAreDecimalOrHexAndAnythingElseGivesTheDefault)
{
    const struct { const char *stored; int expected; } cases[] = {
        {"12", 12}, {" 42 ", 42}, {"-7", -7}, {"+8", 8}, {"0", 0},
        {"0x1F", 31}, {"0X10", 16}, {"0xff", 255}, {"-0x10", -16}, {"0xFFFFFFFF", -1},
        {"2147483647", 2147483647}, {"-2147483648", -2147483647 - 1},
        // unreadable: the default (-99) comes back
        {"", -99}, {"abc", -99}, {"12abc", -99}, {"1.5", -99}, {"0x", -99}, {"0xZZ", -99},
        {"0x1 2", -99}, {"99999999999", -99}, {"0x100000000", -99}, {"$10", -99}, {"true", -99},
    };
    QByteArray text = "[S]\n";
    for (size_t i = 0; i < std::size(cases); ++i)
        text += "k" + QByteArray::number(qulonglong(i)) + "=" + cases[i].stored + "\n";
    const IniFile ini = IniFile::FromText(QString::fromUtf8(text));
    for (size_t i = 0; i < std::size(cases); ++i)
        EXPECT_EQ(ini.ReadInteger("S", "k" + QString::number(i), -99), cases[i].expected) << "stored: " << cases[i].stored;
}

TEST_F(IniFileTest, BooleansAreIntegersWhereNonZeroIsTrue)
{
    const IniFile ini = IniFile::FromText("[S]\na=1\nb=0\nc=2\nd=-1\ne=0x0\nf=yes\ng=\n");
    EXPECT_TRUE(ini.ReadBool("S", "a", false));
    EXPECT_FALSE(ini.ReadBool("S", "b", true));
    EXPECT_TRUE(ini.ReadBool("S", "c", false));
    EXPECT_TRUE(ini.ReadBool("S", "d", false));
    EXPECT_FALSE(ini.ReadBool("S", "e", true));
    EXPECT_TRUE(ini.ReadBool("S", "f", true)) << "not a number: the default";
    EXPECT_FALSE(ini.ReadBool("S", "f", false)) << "not a number: the default";
    EXPECT_TRUE(ini.ReadBool("S", "g", true));
    EXPECT_TRUE(ini.ReadBool("S", "missing", true));
}

TEST_F(IniFileTest, StringValuesAreCutAt255Characters)
{
    const QString smile = QString::fromUtf8("\xF0\x9F\x98\x80"); // one character, two UTF-16 units
    const struct { QString written; QString expected; } cases[] = {
        {QString(255, 'a'), QString(255, 'a')},
        {QString(300, 'b'), QString(255, 'b')},
        {QString(254, 'c') + smile + "tail", QString(254, 'c') + smile},
        {QString(200, 'd') + QString(100, QChar(0x00E9)), QString(200, 'd') + QString(55, QChar(0x00E9))},
    };
    {
        IniFile ini(path);
        for (size_t i = 0; i < std::size(cases); ++i)
            ini.WriteString("S", QString::number(i), cases[i].written);
    }
    const IniFile ini(path);
    for (size_t i = 0; i < std::size(cases); ++i)
        EXPECT_EQ(ini.ReadString("S", QString::number(i), ""), cases[i].expected) << i;
}

TEST_F(IniFileTest, LineBreaksInNamesAndValuesCannotStartNewLines)
{
    {
        IniFile ini(path);
        ini.WriteString("S", "key\n[Evil]\nx", "value\r\n[Evil2]");
    }
    const IniFile ini(path);
    EXPECT_EQ(ini.Sections(), QStringList{"S"});
    EXPECT_EQ(ini.Keys("S").size(), 1);
}

TEST_F(IniFileTest, RecordFilesCutPathSectionAndKeyAt255)
{
    const QString longSection = QString(255, 's');
    const QString longKey = QString(255, 'k');
    {
        RecordIniFile record(path);
        record.WriteString(longSection + "-first", longKey + "-first", "Y");
        record.WriteInteger(longSection + "-second", longKey + "-second", 7);
        EXPECT_EQ(record.ReadInteger(longSection + "-other", longKey + "-other", -1), 7) << "same names once cut";
    }
    const IniFile plain(path);
    EXPECT_EQ(plain.Sections(), QStringList{longSection});
    EXPECT_EQ(plain.Keys(longSection), QStringList{longKey});
    EXPECT_EQ(plain.ReadString(longSection, longKey, ""), "7");

    // A plain file keeps long names whole.
    IniFile memory = IniFile::FromText("");
    memory.WriteString(longSection + "-first", "k", "1");
    EXPECT_EQ(memory.Sections(), QStringList{longSection + "-first"});

    const QString longPath = folder + QString(300, 'p');
    const RecordIniFile cut(longPath);
    EXPECT_EQ(cut.Path(), longPath.left(255));
}

TEST_F(IniFileTest, StringListRewriteRemovesTheOldEntries)
{
    {
        IniFile ini(path);
        ini.WriteStringList("List", {"one", "two", "three", "four", "five"});
        ini.WriteString("List", "Other", "kept");
    }
    {
        IniFile ini(path);
        EXPECT_EQ(ini.ReadStringList("List"), (QStringList{"one", "two", "three", "four", "five"}));
        ini.WriteStringList("List", {"A", "B"});
    }
    const IniFile ini(path);
    EXPECT_EQ(ini.ReadStringList("List"), (QStringList{"A", "B"}));
    EXPECT_EQ(ini.Keys("List"), (QStringList{"Count", "Other", "1", "2"})) << "rewritten entries are new keys";
    EXPECT_EQ(ini.ReadInteger("List", "Count", -1), 2);

    IniFile empty = IniFile::FromText("");
    empty.WriteStringList("List", {});
    EXPECT_EQ(empty.ReadInteger("List", "Count", -1), 0);
    EXPECT_TRUE(empty.ReadStringList("List").isEmpty());
}

TEST_F(IniFileTest, StringListReadsOnlyTheNumberedEntriesThatExist)
{
    const struct { const char *text; QStringList expected; } cases[] = {
        {"[L]\nCount=3\n1=a\n2=b\n3=c\n", {"a", "b", "c"}},
        {"[L]\nCount=2\n1=a\n2=b\n3=c\n", {"a", "b"}},
        {"[L]\nCount=3\n3=c\n1=a\n", {"a", "c"}},
        {"[L]\nCount=0\n1=a\n", {}},
        {"[L]\n1=a\n", {}},
        {"[L]\nCount=x\n1=a\n", {}},
        {"[L]\nCount=2\n01=a\n2=b\n", {"b"}},
        {"[L]\nCount=2\n1=\n2=b\n", {"", "b"}},
        {"[L]\nCount=2147483647\n1=a\n", {"a"}},
    };
    for (const auto &c : cases)
        EXPECT_EQ(IniFile::FromText(c.text).ReadStringList("L"), c.expected) << c.text;

    // A damaged Count costs nothing when the list is rewritten either.
    IniFile ini = IniFile::FromText("[L]\nCount=2147483647\n1=a\n7=b\n");
    ini.WriteStringList("L", {"x"});
    EXPECT_EQ(ini.Keys("L"), (QStringList{"Count", "1"}));
}

TEST_F(IniFileTest, SectionsAndKeysCompareWithoutRegardToCase)
{
    {
        IniFile ini(path);
        ini.WriteString("Download", "strSaveDir", "first");
        ini.WriteString("DOWNLOAD", "STRSAVEDIR", "second");
        ini.WriteString(QString::fromUtf8("\xC3\x84rger"), QString::fromUtf8("\xCE\xA3igma"), "x");
        ini.WriteString(QString::fromUtf8("\xC3\xA4RGER"), QString::fromUtf8("\xCF\x83IGMA"), "y");
    }
    const IniFile ini(path);
    EXPECT_EQ(ini.Sections(), (QStringList{"Download", QString::fromUtf8("\xC3\x84rger")})) << "first spelling kept";
    EXPECT_EQ(ini.Keys("download"), QStringList{"strSaveDir"});
    EXPECT_EQ(ini.ReadString("dOwNlOaD", "strsavedir", ""), "second");
    EXPECT_EQ(ini.ReadString(QString::fromUtf8("\xC3\xA4rger"), QString::fromUtf8("\xCF\x83igma"), ""), "y");
    EXPECT_TRUE(ini.SectionExists("DOWNLOAD"));
    EXPECT_TRUE(ini.ValueExists("download", "STRSAVEDIR"));
    EXPECT_FALSE(ini.ValueExists("download", "strSaveDi"));
}

TEST_F(IniFileTest, DeletingKeysAndSections)
{
    WriteRaw(path, "[DATA]\nalpha=y\nbeta=y\n[Gone]\nx=1\n");
    {
        IniFile ini(path);
        ini.DeleteKey("data", "ALPHA");
        ini.DeleteKey("DATA", "missing");
        ini.EraseSection("gone");
        ini.EraseSection("never there");
    }
    {
        IniFile ini(path);
        EXPECT_EQ(ini.Sections(), QStringList{"DATA"});
        EXPECT_EQ(ini.Keys("DATA"), QStringList{"beta"});
        ini.DeleteKey("DATA", "beta");
    }
    const IniFile ini(path);
    EXPECT_TRUE(ini.SectionExists("DATA")) << "deleting the last key leaves an empty section";
    EXPECT_TRUE(ini.Keys("DATA").isEmpty());
}

TEST_F(IniFileTest, KeepsCommentsAndEntriesItDoesNotTouch)
{
    WriteRaw(path, "; settings\r\n[A]\r\nkeep = 1\r\nchange=2\r\n\r\n[B]\r\nx=y=z\r\n");
    {
        IniFile ini(path);
        ini.WriteInteger("A", "change", 3);
        ini.WriteInteger("A", "added", 4);
    }
    const IniFile ini(path);
    EXPECT_EQ(ini.Keys("A"), (QStringList{"keep", "change", "added"}));
    EXPECT_EQ(ini.ReadInteger("A", "keep", 0), 1);
    EXPECT_EQ(ini.ReadInteger("A", "change", 0), 3);
    EXPECT_EQ(ini.ReadString("B", "x", ""), "y=z");
    EXPECT_TRUE(ReadRaw(path).startsWith("; settings\n"));
}

TEST_F(IniFileTest, SaveReplacesTheFileAndLeavesNoTemporaryFiles)
{
    WriteRaw(path, "[S]\nold=1\n");
    IniFile ini(path);
    ini.WriteInteger("S", "new", 2);
    EXPECT_TRUE(ini.Save());
    EXPECT_TRUE(ini.Save()) << "nothing left to write";
    EXPECT_EQ(FolderEntries(), QStringList{"test.ini"});
    EXPECT_EQ(ReadRaw(path), QString::fromUtf8("[S]\nold=1\nnew=2\n"));
}

TEST_F(IniFileTest, FailedWriteKeepsTheExistingFile)
{
    // The temporary file of a name this long would exceed the name limit of the
    // file system, so the replace fails even for a privileged user.
    const QString longName = folder + QString(250, 'n') + ".ini";
    WriteRaw(longName, "[S]\nold=1\n");
    {
        IniFile ini(longName);
        ini.WriteInteger("S", "new", 2);
        EXPECT_FALSE(ini.Save());
        EXPECT_EQ(ini.ReadInteger("S", "new", 0), 2) << "the change stays pending";
    }
    EXPECT_EQ(ReadRaw(longName), QString::fromUtf8("[S]\nold=1\n"));
    EXPECT_EQ(FolderEntries().size(), 1);
}

TEST_F(IniFileTest, ReadOnlyFolderKeepsTheExistingFile)
{
    WriteRaw(path, "[S]\nold=1\n");
    ASSERT_TRUE(QFile::setPermissions(folder, QFileDevice::ReadOwner | QFileDevice::ExeOwner));
    const bool privileged = QFileInfo(folder).isWritable() || geteuid() == 0;
    if (!privileged) {
        IniFile ini(path);
        ini.WriteInteger("S", "new", 2);
        EXPECT_FALSE(ini.Save());
    }
    QFile::setPermissions(folder, QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner);
    if (privileged)
        GTEST_SKIP() << "folder permissions do not bind this user";
    EXPECT_EQ(ReadRaw(path), QString::fromUtf8("[S]\nold=1\n"));
    EXPECT_EQ(FolderEntries(), QStringList{"test.ini"});
}

TEST_F(IniFileTest, DamagedFilesReadAsEmptyWithoutCrashing)
{
    QByteArray binary;
    for (int i = 0; i < 4096; ++i)
        binary.append(char((i * 7919) % 256));
    const struct { const char *name; QByteArray bytes; IniFile::LoadResult result; int sections; } cases[] = {
        {"binary", binary, IniFile::LoadResult::NotText, 0},
        {"nul in text", QByteArray("[S]\nk=1\n\0\n[T]\n", 14), IniFile::LoadResult::NotText, 0},
        {"empty", QByteArray(), IniFile::LoadResult::Read, 0},
        {"no sections", "just some words\n=\n[\n]\n", IniFile::LoadResult::Read, 0},
        {"unterminated section", "[abc\nk=v\n", IniFile::LoadResult::Read, 1},
    };
    for (const auto &c : cases) {
        WriteRaw(path, c.bytes);
        const IniFile ini(path);
        EXPECT_EQ(ini.Loaded(), c.result) << c.name;
        EXPECT_LE(ini.Sections().size(), c.sections) << c.name;
        EXPECT_EQ(ini.ReadInteger("S", "k", -1), -1) << c.name;
    }

    // A file of binary data is replaced by proper text on the next save.
    WriteRaw(path, binary);
    {
        IniFile ini(path);
        ini.WriteInteger("S", "k", 5);
    }
    EXPECT_EQ(ReadRaw(path), QString::fromUtf8("[S]\nk=5\n"));
}

TEST_F(IniFileTest, OlderEncodingsAreRead)
{
    static constexpr char16_t kUtf16[] = u"[S]\nname=caf\u00e9\n";
    const struct { const char *name; QByteArray bytes; } cases[] = {
        {"utf-8 with bom", QByteArray("\xEF\xBB\xBF[S]\nname=caf\xC3\xA9\n")},
        {"latin-1", QByteArray("[S]\nname=caf\xE9\n")},
        {"utf-16 with bom", QByteArray("\xFF\xFE", 2) + QByteArray(reinterpret_cast<const char *>(kUtf16), sizeof(kUtf16) - 2)},
    };
    for (const auto &c : cases) {
        WriteRaw(path, c.bytes);
        const IniFile ini(path);
        EXPECT_EQ(ini.ReadString("S", "name", ""), QString::fromUtf8("caf\xC3\xA9")) << c.name;
    }
}

TEST_F(IniFileTest, FileThatCannotBeOpenedIsNeverOverwritten)
{
    // A folder where the file should be: it cannot be opened as a file.
    ASSERT_TRUE(QDir().mkpath(path));
    IniFile ini(path);
    EXPECT_EQ(ini.Loaded(), IniFile::LoadResult::Unreadable);
    ini.WriteInteger("S", "k", 1);
    EXPECT_FALSE(ini.Save());
    EXPECT_TRUE(QFileInfo(path).isDir());
}

TEST_F(IniFileTest, ObjectsOfOneFileDoNotDropEachOthersKeys)
{
    {
        IniFile first(path);
        IniFile second(path);
        first.WriteString("S", "a", "1");
        second.WriteString("S", "b", "2");
        EXPECT_TRUE(first.Save());
        EXPECT_TRUE(second.Save());
        EXPECT_EQ(second.ReadString("S", "a", ""), "1") << "a save brings the object up to date";
    }
    const IniFile ini(path);
    EXPECT_EQ(ini.Keys("S"), (QStringList{"a", "b"}));

    // Item threads of a pool write one key each through their own object.
    constexpr int threads = 6;
    constexpr int keysPerThread = 25;
    std::vector<std::thread> workers;
    for (int t = 0; t < threads; ++t) {
        workers.emplace_back([this, t] {
            for (int k = 0; k < keysPerThread; ++k) {
                RecordIniFile record(path);
                record.WriteInteger("Sizes", QStringLiteral("file-%1-%2").arg(t).arg(k), k);
            }
        });
    }
    for (auto &worker : workers)
        worker.join();
    EXPECT_EQ(IniFile(path).Keys("Sizes").size(), threads * keysPerThread);
    EXPECT_EQ(FolderEntries(), QStringList{"test.ini"});
}

TEST_F(IniFileTest, TextInMemory)
{
    IniFile ini = IniFile::FromText("[Update]\r\nversion=4.4\r\nMsg=New release\r\nURLToOpen=http://example.invalid/\r\n");
    EXPECT_EQ(ini.Loaded(), IniFile::LoadResult::NoFile);
    EXPECT_TRUE(ini.Path().isEmpty());
    EXPECT_EQ(ini.ReadString("update", "VERSION", ""), "4.4");
    EXPECT_EQ(ini.Keys("Update"), (QStringList{"version", "Msg", "URLToOpen"}));
    ini.WriteString("Update", "Msg", "changed");
    EXPECT_EQ(ini.ToText(), "[Update]\nversion=4.4\nMsg=changed\nURLToOpen=http://example.invalid/\n");
    EXPECT_FALSE(ini.Save()) << "no file to write";
    EXPECT_EQ(FolderEntries(), QStringList());
}
