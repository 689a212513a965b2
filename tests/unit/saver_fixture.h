// A Form1 wired to the fakes, for the saver's unit tests.
#pragma once

#include <gtest/gtest.h>

#include "fakes.h"
#include "saver/form1.h"

namespace kel::fake {

class SaverFixture : public ::testing::Test {
protected:
    SaverFixture()
        : label1("Label1", log),
          label2("Label2", log),
          window(log),
          sound(log),
          speaker(log),
          profile(files),
          process(log),
          platform{label1, label2, window, sound, speaker, files, profile, codec, process},
          form(platform) {
        window.onQueryUnload = [this] { form.QueryUnload(); };
        sound.clack = &form.KeySound;
        sound.closing = &form.TitleSound;
        form.BackCol = 0;
    }

    // Runs `action`, which the test expects to end the program.
    template <typename F>
    void ExpectEnds(F action) {
        EXPECT_THROW(action(), ProgramEnded);
    }

    // The log entries that start with one of these prefixes, in order.
    Log Only(std::initializer_list<const char*> prefixes) const {
        Log out;
        for (const auto& entry : log) {
            for (const char* p : prefixes) {
                if (entry.rfind(p, 0) == 0) {
                    out.push_back(entry);
                    break;
                }
            }
        }
        return out;
    }

    Log log;
    FakeLabel label1, label2;
    FakeWindow window;
    FakeSound sound;
    FakeSpeaker speaker;
    FakeFiles files;
    FakeProfile profile;
    FakeCodec codec;
    FakeProcess process;
    SaverPlatform platform;
    Form1 form;
};

}  // namespace kel::fake
