#include "common/app_folders.h"
#include "common/log.h"
#include "platform/registry/registry.h"
#include "support/log_capture.h"
#include "support/test_env.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <gtest/gtest.h>
#include <sqlite3.h>

#include <sys/stat.h>

#include <thread>

using namespace brindle;

namespace {

using brindle::test::LogCapture;

class RegistryTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        const auto *info = ::testing::UnitTest::GetInstance()->current_test_info();
        m_folder = test::TemporaryHome() + QStringLiteral("registry/") + QString::fromLatin1(info->name()) + QLatin1Char('/');
        QDir().mkpath(m_folder);
        m_file = m_folder + QStringLiteral("registry.sqlite3");
    }

    // The moved-aside stores, without their -wal and -shm companions.
    QStringList AsideFiles() const
    {
        QStringList names = QDir(m_folder).entryList({QStringLiteral("registry.sqlite3.corrupt-*")}, QDir::AllEntries);
        names.removeIf([](const QString &name) { return name.endsWith(QLatin1String("-wal")) || name.endsWith(QLatin1String("-shm")); });
        return names;
    }

    QString m_folder;
    QString m_file;
};

const QString kKey = QStringLiteral("Software\\Brindle2");

unsigned ModeOf(const QString &path)
{
    struct stat info {};
    ::stat(path.toLocal8Bit().constData(), &info);
    return info.st_mode & 0777;
}

} // namespace

TEST(RegistryValue, RawFormsAndReadingThemBack)
{
    const struct {
        RegistryValue value;
        QByteArray raw;
    } cases[] = {
        {RegistryValue::FromString(QStringLiteral("ab")), QByteArray("ab\0", 3)},
        {RegistryValue::FromString(QString()), QByteArray("\0", 1)},
        {RegistryValue::FromString(QStringLiteral("\u00e9")), QByteArray("\xc3\xa9\0", 3)},
        {RegistryValue::FromExpandString(QStringLiteral("%HOME%")), QByteArray("%HOME%\0", 7)},
        {RegistryValue::FromMultiString({QStringLiteral("a"), QStringLiteral("bc")}), QByteArray("a\0bc\0\0", 6)},
        {RegistryValue::FromDword(0x01020304), QByteArray("\x04\x03\x02\x01", 4)},
        {RegistryValue::FromQword(0x0102030405060708ULL), QByteArray("\x08\x07\x06\x05\x04\x03\x02\x01", 8)},
        {RegistryValue::FromBinary(QByteArray("\0\xff", 2)), QByteArray("\0\xff", 2)},
    };
    for (const auto &c : cases)
        EXPECT_EQ(c.value.data.toHex(), c.raw.toHex()) << int(c.value.type);

    EXPECT_EQ(RegistryValue::FromMultiString({QStringLiteral("a"), QStringLiteral("bc")}).ToMultiString(),
              QStringList({QStringLiteral("a"), QStringLiteral("bc")}));
    EXPECT_EQ(RegistryValue::FromQword(7).ToQword(), 7u);
    // A string's text ends at its first zero byte, as raw data written from an export may carry one.
    EXPECT_EQ((RegistryValue{RegistryType::String, QByteArray("ab\0cd", 5)}.ToString()), QStringLiteral("ab"));
    EXPECT_EQ((RegistryValue{RegistryType::String, QByteArray("ab")}.ToString()), QStringLiteral("ab"));
    // Wrong types and sizes read as nothing rather than as a guess.
    EXPECT_FALSE(RegistryValue::FromDword(1).ToString());
    EXPECT_FALSE(RegistryValue::FromString(QStringLiteral("1")).ToDword());
    EXPECT_FALSE((RegistryValue{RegistryType::Dword, QByteArray(3, '\1')}.ToDword()));
    EXPECT_FALSE(RegistryValue::FromBinary(QByteArray(8, '\0')).ToQword());
}

TEST_F(RegistryTest, EveryTypeSurvivesReopening)
{
    const QList<std::pair<QString, RegistryValue>> values = {
        {QStringLiteral("Text"), RegistryValue::FromString(QStringLiteral("h\u00e9llo w\u00f6rld"))},
        {QStringLiteral("Empty"), RegistryValue::FromString(QString())},
        {QStringLiteral("Expand"), RegistryValue::FromExpandString(QStringLiteral("%HOME%/x"))},
        {QStringLiteral("Multi"), RegistryValue::FromMultiString({QStringLiteral("one"), QStringLiteral("two")})},
        {QStringLiteral("Dword"), RegistryValue::FromDword(0xfffffffe)},
        {QStringLiteral("Qword"), RegistryValue::FromQword(0x8000000000000001ULL)},
        {QStringLiteral("Binary"), RegistryValue::FromBinary(QByteArray("\0\1\2\0", 4))},
        {QStringLiteral("NoData"), RegistryValue::FromBinary(QByteArray())},
        {QStringLiteral("BigEndian"), RegistryValue{RegistryType(5), QByteArray("\0\0\0\1", 4)}},
        {QString(), RegistryValue::FromString(QStringLiteral("default value"))},
    };
    {
        Registry registry(m_file);
        for (const auto &[name, value] : values)
            ASSERT_TRUE(registry.Write(kKey, name, value)) << name.toStdString();
    }
    Registry registry(m_file);
    for (const auto &[name, value] : values) {
        const auto read = registry.Read(kKey, name);
        ASSERT_TRUE(read.has_value()) << name.toStdString();
        EXPECT_EQ(read->type, value.type) << name.toStdString();
        EXPECT_EQ(read->data.toHex(), value.data.toHex()) << name.toStdString();
    }
    EXPECT_FALSE(registry.Read(kKey, QStringLiteral("Missing")).has_value());
}

TEST_F(RegistryTest, NamesIgnoreCaseKeepFirstSpellingAndCreationOrder)
{
    Registry registry(m_file);
    for (const char *name : {"Zeta", "alpha", "Mid", "\u00c4rger"})
        registry.Write(kKey, QString::fromUtf8(name), RegistryValue::FromString(QString::fromUtf8(name)));
    // Rewriting under another spelling keeps the first spelling and the place.
    registry.Write(kKey, QStringLiteral("ALPHA"), RegistryValue::FromDword(2));
    registry.Write(kKey, QString::fromUtf8("\u00e4RGER"), RegistryValue::FromDword(3));
    EXPECT_EQ(registry.ValueNames(kKey), QStringList({QStringLiteral("Zeta"), QStringLiteral("alpha"), QStringLiteral("Mid"),
                                                      QString::fromUtf8("\u00c4rger")}));
    EXPECT_EQ(registry.Read(kKey, QStringLiteral("aLpHa")), RegistryValue::FromDword(2));
    EXPECT_EQ(registry.Read(QStringLiteral("SOFTWARE\\brindle2"), QString::fromUtf8("\u00e4rger")), RegistryValue::FromDword(3));

    // A value deleted and written again comes last.
    registry.DeleteValue(kKey, QStringLiteral("zeta"));
    registry.Write(kKey, QStringLiteral("zETA"), RegistryValue::FromDword(1));
    EXPECT_EQ(registry.ValueNames(kKey), QStringList({QStringLiteral("alpha"), QStringLiteral("Mid"),
                                                      QString::fromUtf8("\u00c4rger"), QStringLiteral("zETA")}));

    registry.CreateKey(QStringLiteral("Software\\Brindle2\\Profiles\\zoe"));
    registry.CreateKey(QStringLiteral("software\\BRINDLE2\\profiles\\Adam\\deeper"));
    registry.CreateKey(QStringLiteral("\\Software\\\\Brindle2\\PROFILES\\ZOE\\"));
    EXPECT_EQ(registry.KeyNames(QStringLiteral("Software\\Brindle2\\Profiles")), QStringList({QStringLiteral("zoe"), QStringLiteral("Adam")}));
    EXPECT_EQ(registry.KeyNames(QString()), QStringList({QStringLiteral("Software")}));
    EXPECT_EQ(registry.KeyNames(QStringLiteral("Software\\Brindle2")), QStringList({QStringLiteral("Profiles")}));
}

TEST_F(RegistryTest, KeyOperations)
{
    Registry registry(m_file);
    const QString profiles = QStringLiteral("Software\\Brindle2\\Profiles");
    const QString user = profiles + QStringLiteral("\\joe");

    // Reading never creates keys; deleting what is missing succeeds.
    EXPECT_FALSE(registry.Read(user, QStringLiteral("g")).has_value());
    EXPECT_TRUE(registry.ValueNames(user).isEmpty());
    EXPECT_FALSE(registry.KeyExists(profiles));
    EXPECT_TRUE(registry.DeleteValue(user, QStringLiteral("g")));
    EXPECT_TRUE(registry.DeleteKey(user));
    EXPECT_FALSE(registry.KeyExists(profiles));

    registry.Write(profiles, QStringLiteral("joe"), RegistryValue::FromBinary("pw"));
    registry.Write(user, QStringLiteral("g1"), RegistryValue::FromString(QStringLiteral("C:N")));
    registry.Write(user + QStringLiteral("\\sub"), QStringLiteral("x"), RegistryValue::FromDword(1));
    EXPECT_TRUE(registry.KeyExists(QStringLiteral("software\\brindle2\\profiles\\JOE\\SUB")));

    // Replacing values keeps the subkeys and takes the new order.
    ASSERT_TRUE(registry.ReplaceValues(user, {{QStringLiteral("b"), RegistryValue::FromString(QStringLiteral("1"))},
                                              {QStringLiteral("a"), RegistryValue::FromString(QStringLiteral("2"))}}));
    EXPECT_EQ(registry.ValueNames(user), QStringList({QStringLiteral("b"), QStringLiteral("a")}));
    EXPECT_TRUE(registry.KeyExists(user + QStringLiteral("\\sub")));

    // Deleting a key takes its values and subkeys along; a new key of that name starts empty.
    ASSERT_TRUE(registry.DeleteKey(QStringLiteral("SOFTWARE\\Brindle2\\profiles\\Joe")));
    EXPECT_FALSE(registry.KeyExists(user + QStringLiteral("\\sub")));
    registry.CreateKey(user + QStringLiteral("\\sub"));
    EXPECT_TRUE(registry.ValueNames(user).isEmpty());
    EXPECT_FALSE(registry.Read(user + QStringLiteral("\\sub"), QStringLiteral("x")).has_value());
    EXPECT_EQ(registry.Read(profiles, QStringLiteral("joe")), RegistryValue::FromBinary("pw"));
    EXPECT_FALSE(registry.DeleteKey(QStringLiteral("\\")));

    // Modify sees the current value; declining to change writes nothing, not even the key.
    EXPECT_TRUE(registry.Modify(QStringLiteral("Software\\Other"), QStringLiteral("v"), [](const auto &current) {
        EXPECT_FALSE(current.has_value());
        return std::optional<RegistryValue>();
    }));
    EXPECT_FALSE(registry.KeyExists(QStringLiteral("Software\\Other")));
    registry.Modify(profiles, QStringLiteral("JOE"), [](const auto &current) {
        return RegistryValue::FromBinary(current->data + "!");
    });
    EXPECT_EQ(registry.Read(profiles, QStringLiteral("joe")), RegistryValue::FromBinary("pw!"));
}

TEST_F(RegistryTest, DefaultFileIsInTheConfigFolderAndPrivate)
{
    EXPECT_EQ(Registry::DefaultFilePath(), ConfigFolder() + QStringLiteral("brindle/registry.sqlite3"));
    EXPECT_TRUE(Registry::DefaultFilePath().startsWith(test::TemporaryHome()));
    {
        Registry registry;
        EXPECT_TRUE(registry.IsPersistent());
        EXPECT_EQ(registry.FilePath(), Registry::DefaultFilePath());
        registry.Write(kKey, QStringLiteral("UMask"), RegistryValue::FromBinary("secret"));
        for (const QString &suffix : {QString(), QStringLiteral("-wal"), QStringLiteral("-shm")}) {
            const QFileInfo file(Registry::DefaultFilePath() + suffix);
            if (file.exists() || suffix.isEmpty()) {
                EXPECT_EQ(ModeOf(file.filePath()), 0600) << suffix.toStdString();
            }
        }
    }
    // A store file that others can read is made private when opened.
    QFile(m_file).open(QIODevice::WriteOnly);
    ::chmod(m_file.toLocal8Bit().constData(), 0644);
    Registry registry(m_file);
    EXPECT_EQ(ModeOf(m_file), 0600);
}

// Both threads write their own values and count in one shared value through
// Modify; no write may be lost, whether they share the object or each has its own
// connection to the file.
TEST_F(RegistryTest, TwoThreadsWriteAtOnce)
{
    constexpr int kPerThread = 300;
    for (const bool shared : {true, false}) {
        const QString file = m_folder + (shared ? QStringLiteral("shared.sqlite3") : QStringLiteral("separate.sqlite3"));
        Registry main(file);
        Registry other(file);
        auto work = [&](Registry &registry, const QString &prefix) {
            for (int i = 0; i < kPerThread; ++i) {
                EXPECT_TRUE(registry.Write(QStringLiteral("Software\\Brindle2\\") + prefix, QString::number(i), RegistryValue::FromDword(i)));
                EXPECT_TRUE(registry.Modify(kKey, QStringLiteral("Count"), [](const std::optional<RegistryValue> &current) {
                    return RegistryValue::FromDword(current ? *current->ToDword() + 1 : 1);
                }));
                registry.ValueNames(kKey);
            }
        };
        std::thread worker(work, std::ref(shared ? main : other), QStringLiteral("Worker"));
        work(main, QStringLiteral("Main"));
        worker.join();

        Registry check(file);
        EXPECT_EQ(check.Read(kKey, QStringLiteral("Count"))->ToDword(), 2u * kPerThread) << (shared ? "shared" : "separate");
        for (const QString &prefix : {QStringLiteral("Main"), QStringLiteral("Worker")}) {
            const QStringList names = check.ValueNames(QStringLiteral("Software\\Brindle2\\") + prefix);
            ASSERT_EQ(names.size(), kPerThread);
            for (int i = 0; i < kPerThread; ++i)
                EXPECT_EQ(names.at(i), QString::number(i));
        }
    }
}

// A file that is not a store at all is moved aside unchanged and a new store starts.
TEST_F(RegistryTest, UnreadableFileIsMovedAsideAndReplaced)
{
    const struct {
        const char *kind;
        QByteArray bytes; // empty: a folder stands where the file should be
    } cases[] = {
        {"garbage", QByteArray(8192, '\x5a')},
        {"text", QByteArray("[HKEY_CURRENT_USER\\Software\\Brindle2]\r\n\"UMask\"=\"x\"\r\n")},
        {"folder", QByteArray()},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.kind);
        QDir(m_folder).removeRecursively();
        QDir().mkpath(m_folder);
        if (c.bytes.isEmpty()) {
            QDir().mkpath(m_file);
        } else {
            QFile file(m_file);
            ASSERT_TRUE(file.open(QIODevice::WriteOnly));
            file.write(c.bytes);
        }
        LogCapture log;
        {
            Registry registry(m_file);
            EXPECT_TRUE(registry.IsPersistent());
            EXPECT_TRUE(registry.KeyNames(QString()).isEmpty());
            EXPECT_TRUE(registry.Write(kKey, QStringLiteral("After"), RegistryValue::FromDword(1)));
        }
        EXPECT_EQ(Registry(m_file).Read(kKey, QStringLiteral("After")), RegistryValue::FromDword(1));

        const QStringList aside = AsideFiles();
        ASSERT_EQ(aside.size(), 1);
        EXPECT_TRUE(log.Text().contains(QStringLiteral("is damaged"))) << log.Text().toStdString();
        EXPECT_TRUE(log.Text().contains(aside.first())) << log.Text().toStdString();
        if (!c.bytes.isEmpty()) {
            QFile kept(m_folder + aside.first());
            ASSERT_TRUE(kept.open(QIODevice::ReadOnly));
            EXPECT_EQ(kept.readAll(), c.bytes);
        }
    }
}

// A store whose name index is damaged: the values still read from the table, and
// every one of them is carried over into the new store, in order.
TEST_F(RegistryTest, DamagedStoreKeepsEveryReadableValue)
{
    {
        Registry registry(m_file);
        for (int i = 0; i < 60; ++i)
            registry.Write(kKey + QStringLiteral("\\Profiles\\joe"), QStringLiteral("group%1").arg(i), RegistryValue::FromString(QStringLiteral("C:N:A%1").arg(i)));
        registry.Write(kKey, QStringLiteral("UMask"), RegistryValue::FromBinary(QByteArray("\x01\0\x02", 3)));
        registry.CreateKey(kKey + QStringLiteral("\\Empty"));
    }
    // Overwrite the root page of the value name index.
    qint64 page = 0;
    int pageSize = 0;
    {
        sqlite3 *db = nullptr;
        ASSERT_EQ(sqlite3_open(m_file.toUtf8().constData(), &db), SQLITE_OK);
        sqlite3_stmt *stmt = nullptr;
        sqlite3_prepare_v2(db, "SELECT rootpage, (SELECT page_size FROM pragma_page_size) FROM sqlite_master"
                               " WHERE name = 'sqlite_autoindex_reg_value_1'", -1, &stmt, nullptr);
        ASSERT_EQ(sqlite3_step(stmt), SQLITE_ROW);
        page = sqlite3_column_int64(stmt, 0);
        pageSize = sqlite3_column_int(stmt, 1);
        sqlite3_finalize(stmt);
        sqlite3_close(db);
    }
    ASSERT_FALSE(QFileInfo::exists(m_file + QStringLiteral("-wal")) && QFileInfo(m_file + QStringLiteral("-wal")).size() > 0);
    {
        QFile file(m_file);
        ASSERT_TRUE(file.open(QIODevice::ReadWrite));
        file.seek((page - 1) * pageSize);
        file.write(QByteArray(pageSize, '\xee'));
    }

    LogCapture log;
    Registry registry(m_file);
    ASSERT_EQ(AsideFiles().size(), 1);
    EXPECT_TRUE(log.Text().contains(QStringLiteral("Recovered 61 values"))) << log.Text().toStdString();
    const QStringList names = registry.ValueNames(kKey + QStringLiteral("\\Profiles\\joe"));
    ASSERT_EQ(names.size(), 60);
    for (int i = 0; i < 60; ++i) {
        EXPECT_EQ(names.at(i), QStringLiteral("group%1").arg(i));
        EXPECT_EQ(registry.Read(kKey + QStringLiteral("\\profiles\\JOE"), names.at(i))->ToString(), QStringLiteral("C:N:A%1").arg(i));
    }
    EXPECT_EQ(registry.Read(kKey, QStringLiteral("umask")), RegistryValue::FromBinary(QByteArray("\x01\0\x02", 3)));
    EXPECT_TRUE(registry.KeyExists(kKey + QStringLiteral("\\Empty")));
}

// Where no file can be made at all, the program still runs, with settings in memory.
TEST_F(RegistryTest, UnusableLocationFallsBackToMemory)
{
    QFile blocker(m_folder + QStringLiteral("not-a-folder"));
    ASSERT_TRUE(blocker.open(QIODevice::WriteOnly));
    blocker.close();
    LogCapture log;
    Registry registry(m_folder + QStringLiteral("not-a-folder/registry.sqlite3"));
    EXPECT_FALSE(registry.IsPersistent());
    EXPECT_TRUE(log.Text().contains(QStringLiteral("cannot be used"))) << log.Text().toStdString();
    EXPECT_TRUE(registry.Write(kKey, QStringLiteral("DLMode"), RegistryValue::FromDword(3)));
    EXPECT_EQ(registry.Read(kKey, QStringLiteral("dlmode")), RegistryValue::FromDword(3));
    EXPECT_TRUE(QFileInfo(blocker.fileName()).isFile());
}
