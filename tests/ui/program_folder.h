#pragma once

#include "recording/encoder_plugin.h"
#include "tests/support/temporary_folder.h"

#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>

namespace ornavox::test {

// A program folder of its own for each test, removed afterwards: the built
// encoder plug-in copied in (and the skin, for a window that draws it),
// Config.ini written beside them.
class ProgramFolder {
public:
    enum class Skin { Without, With };

    explicit ProgramFolder(Skin skin = Skin::Without)
    {
        dir_ = make_temporary_folder("ornavox-test-");
        const std::filesystem::path built(ORNAVOX_PROGRAM_DIR);
        std::filesystem::copy_file(built / kEncoderPluginFileName, dir_ / kEncoderPluginFileName);
        if (skin == Skin::With)
            std::filesystem::copy(built / "skin", dir_ / "skin", std::filesystem::copy_options::recursive);
    }
    ~ProgramFolder()
    {
        std::error_code ignored;
        std::filesystem::permissions(dir_, std::filesystem::perms::owner_all, ignored);
        std::filesystem::remove_all(dir_, ignored);
    }
    ProgramFolder(const ProgramFolder&) = delete;
    ProgramFolder& operator=(const ProgramFolder&) = delete;

    std::string path() const { return dir_.generic_string() + "/"; }
    std::string config_path() const { return path() + "Config.ini"; }

    void write_config(const std::string& text) const { std::ofstream(config_path(), std::ios::binary) << text; }

    // The file's bytes; "<missing>" when there is none.
    std::string read_config() const
    {
        std::ifstream in(config_path(), std::ios::binary);
        if (!in)
            return "<missing>";
        std::ostringstream text;
        text << in.rdbuf();
        return text.str();
    }

private:
    std::filesystem::path dir_;
};

} // namespace ornavox::test
