// Fakes of the seam for the unit tests. They record what the logic did, in
// order, into one shared log ("caption Label1 ま", "show Label1", "pump",
// "clack", "sleep 200", ...), so that a test compares sequences.
#pragma once

#include <cstdint>
#include <functional>
#include <map>
#include <optional>
#include <set>
#include <string>
#include <vector>

#include "platform/codec.h"
#include "platform/deadline.h"
#include "platform/errors.h"
#include "platform/files.h"
#include "platform/label.h"
#include "platform/linux/data_linux.h"
#include "platform/process.h"
#include "platform/profile.h"
#include "platform/saver_window.h"
#include "platform/sound.h"
#include "speech/speaker.h"

namespace kel::fake {

using Log = std::vector<std::string>;

// Thrown by FakeProcess::EndProgram; a test catches it where the real
// program would have ended.
struct ProgramEnded {};

std::string U8(const std::u16string& text);

// Deterministic text metrics: a full-width character is `emWidthPerPoint`
// twips wide per point of font size, a half-width one half that; a line is
// `lineHeightPerPoint` twips tall per point. Font sizes are reported as set,
// rounded to `sizeQuantum` points when that is non-zero; sizes below
// `minimumPoints` throw, as a font engine refuses them.
class FakeLabel : public Label {
public:
    FakeLabel(std::string name, Log& log) : name_(std::move(name)), log_(log) {}

    void SetCaption(const std::u16string& caption) override;
    std::u16string Caption() const override { return caption_; }
    void SetFontSize(float points) override;
    float FontSize() const override { return size_; }
    void SetLeft(float twips) override;
    void SetTop(float twips) override;
    float Left() const override { return left_; }
    float Top() const override { return top_; }
    float Width() const override;
    float Height() const override;
    void SetVisible(bool visible) override;
    bool Visible() const override { return visible_; }
    void SetForeColor(std::uint32_t colour) override { colour_ = colour; }

    std::uint32_t ForeColor() const { return colour_; }

    float emWidthPerPoint = 20.0f;    // full-width char: 1 em; half-width: half
    float lineHeightPerPoint = 24.0f;
    float sizeQuantum = 0.0f;
    float minimumPoints = 1.0f;
    // When set, the line height in twips for a reported size (a font whose
    // heights are rounded can keep one height over two sizes).
    std::function<float(float points)> heightForSize;
    // When set, the width in twips of a full-width character at a reported
    // size (advances are rounded too, and can stay the same over two sizes).
    std::function<float(float points)> emWidthForSize;
    bool logGeometry = false;  // also log left/top/size changes

private:
    std::string name_;
    Log& log_;
    std::u16string caption_;
    float size_ = 72.0f;
    float left_ = 0, top_ = 0;
    bool visible_ = false;
    std::uint32_t colour_ = 0;
};

class FakeWindow : public SaverWindow {
public:
    explicit FakeWindow(Log& log) : log_(log) {}

    void SetBackColor(std::uint32_t colour) override;
    void SetLeftTop(float left, float top) override;
    void SetSize(float width, float height) override;
    void Show() override;
    void EnableTimer(bool enabled) override;
    void MakeTopmost() override;
    void Unload() override;
    float ScreenWidthTwips() const override { return screenWidth; }
    float ScreenHeightTwips() const override { return screenHeight; }
    void PumpEvents() override;
    void Sleep(std::uint32_t ms) override;
    void WaitForEvents(std::uint32_t ms) override;

    float screenWidth = 15360.0f;   // 1024 px at 15 twips per pixel
    float screenHeight = 11520.0f;  // 768 px
    std::uint32_t backColor = 0xFFFFFFFF;
    bool shown = false, topmost = false, timerEnabled = true, unloaded = false;
    float left = -1, top = -1, width = 0, height = 0;
    int pumps = 0;
    int waits = 0;
    long sleptMs = 0;  // by Sleep and WaitForEvents

    // Called on every pump: a test injects input here ("on the 5th pump, move
    // the mouse"). Runs before the pump is logged.
    std::function<void(int pumpNumber)> onPump;
    // Called in every WaitForEvents, its time already counted: input queued
    // during that wait, delivered within it. Runs before the wait is logged.
    std::function<void(int waitNumber)> onWait;
    // The form's QueryUnload, raised by Unload().
    std::function<void()> onQueryUnload;
    // When set, WaitForEvents waits on it as a host does (over its clock).
    EventWait* events = nullptr;

private:
    Log& log_;
};

class FakeSound : public SoundPlayer {
public:
    explicit FakeSound(Log& log) : log_(log) {}
    void Play(const std::vector<std::uint8_t>& soundFile) override;
    // Names the sounds by their first bytes' address for the log.
    const std::vector<std::uint8_t>* clack = nullptr;
    const std::vector<std::uint8_t>* closing = nullptr;

private:
    Log& log_;
};

class FakeSpeaker : public Speaker {
public:
    explicit FakeSpeaker(Log& log) : log_(log) {}
    void SpeakText(const std::u16string& text) override;
    bool fail = false;  // throw as a missing speech component would

private:
    Log& log_;
};

class FakeFiles : public Files {
public:
    bool FileExists(const std::string& path) const override;
    std::string ReadAll(const std::string& path) const override;
    void ReplaceAll(const std::string& path, const std::string& bytes) override;
    void RecoverInterruptedRewrite(const std::string& path) override;
    void CreateNew(const std::string& path, const std::string& bytes) override;
    void WriteAll(const std::string& path, const std::string& bytes);

    std::map<std::string, std::string> files;  // keyed by lower-cased path
    std::set<std::string> readOnly;             // writes fail with AccessDenied
    // When set, the next ReplaceAll fails (Io) saying it left the file so.
    std::optional<SaveOutcome> failReplace;
    std::vector<std::string> writes;            // paths, in order of writing
};

// The profile functions over the FakeFiles, with the same INI rules as the
// Linux program's (data/ini_text.h); records every write.
class FakeProfile : public Profile {
public:
    explicit FakeProfile(FakeFiles& files) : files_(files) {}
    std::string GetString(const std::string& path, const std::string& section,
                          const std::string& key,
                          const std::string& defaultText) const override;
    void WriteString(const std::string& path, const std::string& section,
                     const std::string& key, const std::string& value) override;

    std::vector<std::string> writes;  // "section/key=value", in order

private:
    FakeFiles& files_;
};

// Code page 932 as the Linux program converts it.
class FakeCodec : public posix::IconvCodec {};

class FakeProcess : public Process {
public:
    explicit FakeProcess(Log& log) : log_(log) {}
    [[noreturn]] void EndProgram() override;
    std::u16string ProgramDirectory() const override { return directory; }
    std::vector<std::uint8_t> LoadCustomResource(int id) const override;

    std::u16string directory = u"C:\\Program Files\\kel";
    std::map<int, std::vector<std::uint8_t>> resources = {
        {101, std::vector<std::uint8_t>(8788, 1)}, {102, std::vector<std::uint8_t>(88268, 2)}};

private:
    Log& log_;
};

}  // namespace kel::fake
