#include "app/ini_document.h"
#include "recording/utf8_path.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <sys/stat.h>

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

} // namespace
} // namespace ornavox
