#include "base/ini_document.h"
#include "base/utf8_path.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <sys/stat.h>
#ifndef _WIN32
#include <csignal>
#include <sys/resource.h>
#endif

namespace ornavox {
namespace {

TEST(IniDocumentReading, TrimsSkipsCommentsAndDropsLinesBeforeTheFirstSection)
{
    const auto doc =
        IniDocument::parse("orphan=1\r\n  ; comment\r\n\r\n  [ mp3 ]  \r\n  samples =  48000  \r\n;x=1\r\n");
    EXPECT_FALSE(doc.section_exists(""));
    EXPECT_EQ(doc.read_integer("mp3", "samples", 44100), 48000);
    EXPECT_EQ(doc.read_string("mp3", "x", "none"), "none");
    EXPECT_EQ(doc.text(), "[mp3]\r\nsamples =  48000\r\n\r\n");
}

TEST(IniDocumentReading, MatchesSectionsAndKeysInAnyCase)
{
    const auto doc = IniDocument::parse("[HOTKEY]\nHOTKEY1=Ctrl+F5\n");
    EXPECT_EQ(doc.read_string("hotkey", "hotkey1", ""), "Ctrl+F5");
    EXPECT_TRUE(doc.section_exists("Hotkey"));
}

TEST(IniDocumentReading, SectionIsPresentOnlyWithALine)
{
    const auto doc = IniDocument::parse("[path]\n[audio]\njust a line\n");
    EXPECT_FALSE(doc.section_exists("path"));
    EXPECT_TRUE(doc.section_exists("audio"));
    EXPECT_EQ(doc.read_string("audio", "just a line", "d"), "d");
    EXPECT_EQ(doc.text(), "[path]\r\n\r\n[audio]\r\njust a line\r\n\r\n");
}

TEST(IniDocumentReading, IntegersAreDecimalOrHexWithTheCallersDefault)
{
    const auto doc = IniDocument::parse("[mp3]\nbps=0x80\nhex=0XfF\nneg=-1\nbad=12a\nempty=\nbig=99999999999\nx=0x\n");
    EXPECT_EQ(doc.read_integer("mp3", "bps", 128), 128);
    EXPECT_EQ(doc.read_integer("mp3", "hex", 0), 255);
    EXPECT_EQ(doc.read_integer("mp3", "neg", 0), -1);
    EXPECT_EQ(doc.read_integer("mp3", "bad", 7), 7);
    EXPECT_EQ(doc.read_integer("mp3", "empty", 7), 7);
    EXPECT_EQ(doc.read_integer("mp3", "big", 7), 7);
    EXPECT_EQ(doc.read_integer("mp3", "x", 7), 7);
    EXPECT_EQ(doc.read_integer("mp3", "missing", 44100), 44100);
    EXPECT_EQ(doc.read_integer("nosection", "bps", 5), 5);
}

TEST(IniDocumentWriting, ReplacesInPlaceAppendsKeysAndSections)
{
    auto doc = IniDocument::parse("[audio]\naudioline=1\nsource=2\n[mp3]\nbps=128\n");
    doc.write_integer("AUDIO", "AudioLine", 3);
    doc.write_integer("audio", "extra", 5);
    doc.write_string("hotkey", "HotKey1", "Shift+Ctrl+F9");
    EXPECT_EQ(doc.text(),
              "[audio]\r\nAudioLine=3\r\nsource=2\r\nextra=5\r\n\r\n"
              "[mp3]\r\nbps=128\r\n\r\n"
              "[hotkey]\r\nHotKey1=Shift+Ctrl+F9\r\n\r\n");
    EXPECT_EQ(doc.read_integer("audio", "audioline", 0), 3);
}

class IniDocumentFile : public ::testing::Test {
protected:
    void SetUp() override
    {
        dir_ = std::filesystem::temp_directory_path() / ("ini_test_" + std::to_string(::getpid()));
        std::filesystem::create_directories(dir_);
    }
    void TearDown() override
    {
        std::filesystem::permissions(dir_, std::filesystem::perms::owner_all);
        std::filesystem::remove_all(dir_);
    }
    std::filesystem::path dir_;
};

// The program's folder may have any name: its path is UTF-8 text ("Ёлка").
TEST_F(IniDocumentFile, MissingFileIsEmptyAndSaveRoundTrips)
{
    const std::filesystem::path folder = dir_ / utf8_path("\xD0\x81\xD0\xBB\xD0\xBA\xD0\xB0");
    std::filesystem::create_directories(folder);
    const std::string path = utf8_text(folder / "Config.ini");
    auto doc = IniDocument::load(path);
    EXPECT_EQ(doc.text(), "");
    doc.write_string("path", "savefile", "/tmp/a b.mp3");
    std::string error;
    ASSERT_TRUE(doc.save(path, error)) << error;
    std::ifstream in(utf8_path(path), std::ios::binary);
    const std::string bytes((std::istreambuf_iterator<char>(in)), {});
    EXPECT_EQ(bytes, "[path]\r\nsavefile=/tmp/a b.mp3\r\n\r\n");
    EXPECT_EQ(IniDocument::load(path).read_string("path", "savefile", ""), "/tmp/a b.mp3");
}

TEST_F(IniDocumentFile, SaveIntoAMissingFolderReportsWhy)
{
    IniDocument doc;
    doc.write_integer("audio", "source", 1);
    std::string error;
    EXPECT_FALSE(doc.save((dir_ / "no" / "Config.ini").string(), error));
    EXPECT_NE(error.find("Config.ini"), std::string::npos);
}

std::string file_text(const std::filesystem::path& path)
{
    std::ifstream in(path, std::ios::binary);
    return std::string((std::istreambuf_iterator<char>(in)), {});
}

#ifndef _WIN32
// The disk fills up halfway through the new settings: the process may write
// no file beyond a few bytes, as a full file system refuses the rest.
TEST_F(IniDocumentFile, AFailedSaveLeavesTheStoredFileWholeAndNoTemporary)
{
    const std::filesystem::path path = dir_ / "Config.ini";
    IniDocument stored;
    stored.write_string("path", "savefile", "/music/side a.mp3");
    std::string error;
    ASSERT_TRUE(stored.save(path.string(), error)) << error;
    const std::string before = file_text(path);

    IniDocument longer = stored;
    for (int i = 0; i < 50; ++i)
        longer.write_string("hotkey", "key" + std::to_string(i), "Shift+Ctrl+F9");
    rlimit old_limit{};
    ::getrlimit(RLIMIT_FSIZE, &old_limit);
    rlimit limited = old_limit;
    limited.rlim_cur = before.size() + 16;
    const auto old_handler = std::signal(SIGXFSZ, SIG_IGN);
    ::setrlimit(RLIMIT_FSIZE, &limited);
    const bool saved = longer.save(path.string(), error);
    ::setrlimit(RLIMIT_FSIZE, &old_limit);
    std::signal(SIGXFSZ, old_handler);

    EXPECT_FALSE(saved);
    EXPECT_NE(error.find("Cannot write settings to " + path.string()), std::string::npos) << error;
    EXPECT_EQ(file_text(path), before);
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(dir_), {}), 1) << "no temporary is left";
    ASSERT_TRUE(longer.save(path.string(), error)) << "with room again, the next save goes through: " << error;
    EXPECT_EQ(file_text(path), longer.text());
}
#endif

// Where the temporary cannot even be made, the stored file is left alone too.
TEST_F(IniDocumentFile, ATemporaryThatCannotBeMadeLeavesTheStoredFile)
{
    const std::filesystem::path path = dir_ / "Config.ini";
    std::ofstream(path, std::ios::binary) << "[mp3]\r\nbps=192\r\n\r\n";
    std::filesystem::create_directory(dir_ / "Config.ini.new");
    IniDocument doc;
    doc.write_integer("mp3", "bps", 128);
    std::string error;
    EXPECT_FALSE(doc.save(path.string(), error));
    EXPECT_EQ(file_text(path), "[mp3]\r\nbps=192\r\n\r\n");
}

} // namespace
} // namespace ornavox
