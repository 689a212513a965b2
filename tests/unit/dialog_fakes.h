// Fakes for the settings dialog's tests: a view that keeps what a real
// control would show, a window that records what the dialog did with it, a
// message sink, and a fixture that wires a Form2 to them and to the shared
// file, profile and code-page fakes.
#pragma once

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "data/defaults.h"
#include "dialog/form2.h"
#include "fakes.h"

namespace kel::fake {

// What the real control shows, as the model last told it.
class RecordingView : public ControlView {
public:
    void ShowText(const std::u16string& t) override { text = t; }
    std::u16string Text() const override { return text; }
    void ShowEnabled(bool e) override { enabled = e; }
    void ShowChecked(int v) override { checked = v; }
    void ShowScroll(int s, int p) override {
        span = s;
        position = p;
    }

    std::u16string text;
    bool enabled = false;
    int checked = -1;
    int span = -1, position = -1;
};

class FakeDialogWindow : public DialogWindow {
public:
    explicit FakeDialogWindow(Log& log) : log_(log) {}

    float ScreenWidthTwips() const override { return screenWidth; }
    float ScreenHeightTwips() const override { return screenHeight; }
    float OuterWidthTwips() const override { return outerWidth; }
    float OuterHeightTwips() const override { return outerHeight; }
    void Move(float l, float t) override {
        left = l;
        top = t;
        log_.push_back("move");
    }
    void SetCaption(const std::u16string& c) override {
        caption = c;
        log_.push_back("caption " + U8(c));
    }
    void Show() override {
        shown = true;
        log_.push_back("show");
    }
    void Unload() override {
        log_.push_back("unload");
        ++unloads;
        if (onQueryUnload) onQueryUnload();
    }

    float screenWidth = 15360.0f;  // 1024 x 768 pixels at 15 twips per pixel
    float screenHeight = 11520.0f;
    float outerWidth = 9615.0f;    // the client area and a thin frame
    float outerHeight = 3990.0f;
    float left = -1, top = -1;
    std::u16string caption;
    bool shown = false;
    int unloads = 0;
    std::function<void()> onQueryUnload;

private:
    Log& log_;
};

class FakeMessages : public MessageSink {
public:
    void ShowMessage(const std::u16string& text) override { messages.push_back(U8(text)); }
    bool Confirm(const std::u16string& question) override {
        questions.push_back(U8(question));
        return agree;
    }
    std::vector<std::string> messages;   // UTF-8
    std::vector<std::string> questions;  // UTF-8
    bool agree = false;
};

class DialogFixture : public ::testing::Test {
protected:
    DialogFixture()
        : window(log),
          profile(files),
          platform{window, messages, files, profile, codec},
          form(platform) {
        window.onQueryUnload = [this] { form.QueryUnload(); };
    }

    static constexpr const char* kIni = "c:\\windows\\kel.ini";
    static constexpr const char* kDat = "c:\\windows\\kel.dat";

    // Files are keyed by their lower-cased path in FakeFiles.
    void PutFile(const std::string& path, const std::string& bytes) { files.files[path] = bytes; }
    std::string FileBytes(const std::string& path) const { return files.files.at(path); }
    bool HasFile(const std::string& path) const { return files.files.count(path) != 0; }

    // The text in code page 932, as the program writes it.
    std::string Sjis(const std::u16string& text) const {
        std::string bytes;
        EXPECT_TRUE(codec.Encode(text, bytes, nullptr));
        return bytes;
    }

    void PutDefaultPhrases() { PutFile(kDat, Sjis(JoinWithCrLf(DefaultPhraseLines()))); }
    void PutDefaultSettings() { PutFile(kIni, Sjis(JoinWithCrLf(DefaultSettingsLines()))); }

    // A settings file with these key=value lines under their sections.
    void PutSettings(const std::string& view, const std::string& mode,
                     const std::string& startUp) {
        PutFile(kIni, "[View]\r\n" + view + "[Mode]\r\n" + mode + "[StartUp]\r\n" + startUp);
    }

    // A phrase file of `count` numbered items: a title line, then 1..count-1.
    void PutNumberedPhrases(int count) {
        std::string bytes = "title\r\n";
        for (int i = 1; i < count; ++i) bytes += "p" + std::to_string(i) + "\r\n";
        PutFile(kDat, bytes);
    }

    std::string Label2() const { return U8(form.Label2.Caption()); }

    Log log;
    FakeDialogWindow window;
    FakeMessages messages;
    FakeFiles files;
    FakeProfile profile;
    FakeCodec codec;
    DialogPlatform platform;
    Form2 form;
};

}  // namespace kel::fake
