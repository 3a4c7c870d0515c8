// The sound backend module as the program opens it.
#include "app/sound_backend_module.h"

#include "platform/fake/queue_dispatcher.h"
#include "platform/mixer_device.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <string>

namespace ornavox {
namespace {

class SoundBackendModuleTest : public ::testing::Test {
protected:
    // Nothing here may reach a sound server of the user's.
    SoundBackendModuleTest() { setenv("PULSE_SERVER", "unix:/nonexistent/ornavox-test", 1); }

    std::unique_ptr<SoundBackend> make(const std::string& file)
    {
        SoundBackendModule module(std::string(ORNAVOX_PROGRAM_DIR) + file, dispatcher,
                                  [this](const std::string& reason) { failures.push_back(reason); });
        return module.make(error);
    }

    QueueDispatcher dispatcher;
    std::string error;
    std::vector<std::string> failures;
};

// The backend's mixer answers at once, as still opening while the server
// may yet answer.
TEST_F(SoundBackendModuleTest, TheBuiltModuleMakesABackendThatWaitsForNothing)
{
    const std::unique_ptr<SoundBackend> backend = make("pulse_backend.so");
    ASSERT_TRUE(backend) << error;
    struct Silent : MixerListener {
        void control_changed(uint32_t) override {}
        void lines_changed() override {}
    } listener;
    EXPECT_FALSE(backend->mixer_device().open(0, listener));
    EXPECT_TRUE(backend->mixer_device().opening());
    backend->mixer_device().close();
}

TEST_F(SoundBackendModuleTest, AMissingOrForeignModuleIsNamedWithTheReason)
{
    EXPECT_FALSE(make("no_such_backend.so"));
    EXPECT_NE(error.find("Cannot load the sound backend " + std::string(ORNAVOX_PROGRAM_DIR) + "no_such_backend.so: "),
              std::string::npos)
        << error;
    EXPECT_NE(error.find("No such file"), std::string::npos) << error;

    EXPECT_FALSE(make("liblame_enc.so"));
    EXPECT_NE(error.find("does not make a backend: ornavox_create_sound_backend is missing."), std::string::npos)
        << error;
    EXPECT_TRUE(failures.empty()) << "make() reports, it does not end the program";
}

} // namespace
} // namespace ornavox
